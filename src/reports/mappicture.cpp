#include "reports/mappicture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

void MapPicture::Start(const MapArea& cells, const std::vector<MapQuantity>& shown, bool model) {
    area = cells;
    cellColumns_ = cells.columns;
    cellRows_ = cells.rows;
    columns = std::min(cells.columns, kMapPictureMaxSide);
    rows = std::min(cells.rows, kMapPictureMaxSide);
    quantities = shown;
    hasModel = model;
    const size_t n = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    values.assign(shown.size(), std::vector<float>(n, kMapNoData));
    ground.assign(n, std::numeric_limits<float>::quiet_NaN());
}

void MapPicture::Take(int first, int count, const std::vector<std::vector<float>>& cellValues,
                      const std::vector<float>& cellGround) {
    // The cell under each sample's centre.
    const auto cellOf = [](int sample, int samples, int cells) {
        return static_cast<int>((2LL * sample + 1) * cells / (2LL * samples));
    };
    for (int r = 0; r < rows; ++r) {
        const int cellRow = cellOf(r, rows, cellRows_);
        if (cellRow < first || cellRow >= first + count)
            continue;
        for (int c = 0; c < columns; ++c) {
            const size_t from = static_cast<size_t>(cellRow - first) * static_cast<size_t>(cellColumns_) +
                                static_cast<size_t>(cellOf(c, columns, cellColumns_));
            const size_t to = static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c);
            for (size_t q = 0; q < values.size() && q < cellValues.size(); ++q)
                values[q][to] = cellValues[q][from];
            if (from < cellGround.size())
                ground[to] = cellGround[from];
        }
    }
}

std::vector<float> MapHillShade(const std::vector<float>& ground, int columns, int rows, double eastStep,
                                double southStep) {
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kSunAzimuth = 315 * kPi / 180; // from the north, clockwise
    constexpr double kSunAltitude = 45 * kPi / 180;
    std::vector<float> shade(ground.size(), std::numeric_limits<float>::quiet_NaN());
    const auto at = [&](int r, int c) {
        r = std::clamp(r, 0, rows - 1); // the edge repeats itself
        c = std::clamp(c, 0, columns - 1);
        return static_cast<double>(
            ground[static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c)]);
    };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const double a = at(r - 1, c - 1), b = at(r - 1, c), d = at(r - 1, c + 1);
            const double e = at(r, c - 1), f = at(r, c + 1);
            const double g = at(r + 1, c - 1), h = at(r + 1, c), i = at(r + 1, c + 1);
            // Rising to the east and to the north (rows run south).
            const double east = ((d + 2 * f + i) - (a + 2 * e + g)) / (8 * eastStep);
            const double north = ((a + 2 * b + d) - (g + 2 * h + i)) / (8 * southStep);
            if (!std::isfinite(east) || !std::isfinite(north) || std::isnan(at(r, c)))
                continue;
            // The surface's upward normal (-east, -north, 1) against the direction of the sun.
            const double sunEast = std::sin(kSunAzimuth) * std::cos(kSunAltitude);
            const double sunNorth = std::cos(kSunAzimuth) * std::cos(kSunAltitude);
            const double lit = (-east * sunEast - north * sunNorth + std::sin(kSunAltitude)) /
                               std::sqrt(1 + east * east + north * north);
            shade[static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c)] =
                static_cast<float>(std::max(0.0, lit));
        }
    return shade;
}

std::string MapPicturePath(const std::string& path, const std::string& word) {
    const std::filesystem::path p(path);
    return (p.parent_path() / (p.stem().string() + "-" + word + p.extension().string())).string();
}
