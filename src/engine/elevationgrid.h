// Heights on a grid of latitude and longitude held in memory: what an elevation model is read into.
#pragma once

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
