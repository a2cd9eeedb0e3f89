// Heights on a grid of latitude and longitude held in memory: what an elevation model is read into.
#pragma once

#include <algorithm>
#include <limits>
#include <vector>

#include "engine/horizon.h"

class ElevationGrid : public ElevationSampler {
public:
    // Cell centres: row 0 at `north`, rows `latStep` degrees apart southward; column 0 at `west`,
    // columns `lonStep` apart eastward. Heights row by row, NaN for no data.
    ElevationGrid(double north, double west, double latStep, double lonStep, int rows, int columns,
                  std::vector<float> heights);

    // Bilinear between the four cells around; NaN when one of them has no data. Within half a cell
    // of the edge, the edge cells.
    void Heights(const double* latitude, const double* longitude, int n, float* heights) const override;
    bool Covers(double latitude, double longitude) const override;
    double Spacing(double latitude, double longitude) const override;

    int Rows() const { return rows_; }
    int Columns() const { return columns_; }
    // The centre of cell (0, 0) and the steps between cells, degrees; the height of one cell, NaN
    // for none.
    double FirstLatitude() const { return north_; }
    double FirstLongitude() const { return west_; }
    double LatitudeStep() const { return latStep_; }
    double LongitudeStep() const { return lonStep_; }
    float At(int row, int column) const { return heights_[static_cast<size_t>(row) * columns_ + column]; }
    const std::vector<float>& Data() const { return heights_; }
    // Where a position falls: its row and column counted in cells from cell (0, 0), fractional,
    // outside the grid when the position is.
    void Locate(double latitude, double longitude, double& row, double& column) const;
    // The height at a fractional row and column of `heights` (`rows` x `columns`, row by row) by the
    // rule of Heights; a transposed copy reads with rows and columns swapped.
    static float Sample(const float* heights, int rows, int columns, double row, double column) {
        int r0, c0, r1, c1;
        if (row >= 0 && column >= 0 && row < rows - 1 && column < columns - 1) {
            r0 = static_cast<int>(row), c0 = static_cast<int>(column);
            r1 = r0 + 1, c1 = c0 + 1;
        } else {
            // Within half a cell outside the outer cells' centres, the outer cells.
            if (rows <= 0 || columns <= 0 ||
                !(row >= -0.5 && row <= rows - 0.5 && column >= -0.5 && column <= columns - 0.5))
                return std::numeric_limits<float>::quiet_NaN();
            row = std::clamp(row, 0.0, rows - 1.0);
            column = std::clamp(column, 0.0, columns - 1.0);
            r0 = std::min(static_cast<int>(row), std::max(rows - 2, 0));
            c0 = std::min(static_cast<int>(column), std::max(columns - 2, 0));
            r1 = std::min(r0 + 1, rows - 1), c1 = std::min(c0 + 1, columns - 1);
        }
        const double fr = row - r0, fc = column - c0;
        const float* row0 = heights + static_cast<size_t>(r0) * static_cast<size_t>(columns);
        const float* row1 = heights + static_cast<size_t>(r1) * static_cast<size_t>(columns);
        // A cell without data makes the samples that lean on it holes too: passed over, so that a
        // hole is neither a wall nor a pit.
        return static_cast<float>((1 - fr) * ((1 - fc) * row0[c0] + fc * row0[c1]) +
                                  fr * ((1 - fc) * row1[c0] + fc * row1[c1]));
    }
    // The grid's edges (the outer sides of its outer cells), degrees.
    double North() const { return north_ + latStep_ / 2; }
    double South() const { return north_ - (rows_ - 0.5) * latStep_; }
    double West() const { return west_ - lonStep_ / 2; }
    double East() const { return west_ + (columns_ - 0.5) * lonStep_; }

private:
    double north_, west_, latStep_, lonStep_;
    int rows_, columns_;
    std::vector<float> heights_;
};
