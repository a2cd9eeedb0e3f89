#include "engine/elevationgrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/geodesy.h"

ElevationGrid::ElevationGrid(double north, double west, double latStep, double lonStep, int rows, int columns,
                             std::vector<float> heights)
    : north_(north), west_(west), latStep_(latStep), lonStep_(lonStep), rows_(rows), columns_(columns),
      heights_(std::move(heights)) {
    if (rows_ <= 0 || columns_ <= 0 || heights_.size() != static_cast<size_t>(rows_) * columns_)
        rows_ = columns_ = 0;
}

namespace {

// The longitude moved by whole turns to lie nearest `reference`.
double Unwrapped(double longitude, double reference) {
    return longitude - 360.0 * std::round((longitude - reference) / 360.0);
}

} // namespace

bool ElevationGrid::Covers(double latitude, double longitude) const {
    const double lon = Unwrapped(longitude, (West() + East()) / 2);
    return rows_ > 0 && latitude <= North() && latitude >= South() && lon >= West() && lon <= East();
}

void ElevationGrid::Locate(double latitude, double longitude, double& row, double& column) const {
    row = (north_ - latitude) / latStep_;
    const double middle = west_ + (columns_ - 1) * lonStep_ / 2;
    if (std::fabs(longitude - middle) > 180.0)
        longitude = Unwrapped(longitude, middle);
    column = (longitude - west_) / lonStep_;
}

void ElevationGrid::Heights(const double* latitude, const double* longitude, int n, float* out) const {
    for (int i = 0; i < n; ++i) {
        double r, c;
        Locate(latitude[i], longitude[i], r, c);
        out[i] = Sample(heights_.data(), rows_, columns_, r, c);
    }
}

double ElevationGrid::Spacing(double latitude, double) const {
    // Metres per degree of latitude and of longitude near the site, on the ellipsoid.
    const double phi = latitude * 3.14159265358979323846 / 180.0;
    const double s = std::sin(phi);
    const double w = std::sqrt(1.0 - g_ellipsoid.e2 * s * s);
    const double perDegreeLat =
        g_ellipsoid.a * (1.0 - g_ellipsoid.e2) / (w * w * w) * 3.14159265358979323846 / 180.0;
    const double perDegreeLon = g_ellipsoid.a / w * std::cos(phi) * 3.14159265358979323846 / 180.0;
    return std::max(1.0, std::min(latStep_ * perDegreeLat, lonStep_ * perDegreeLon));
}
