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

void ElevationGrid::Heights(const double* latitude, const double* longitude, int n, float* out) const {
    const float noData = std::numeric_limits<float>::quiet_NaN();
    const double middle = (West() + East()) / 2;
    const double rowMax = rows_ - 1, columnMax = columns_ - 1;
    for (int i = 0; i < n; ++i) {
        double r = (north_ - latitude[i]) / latStep_;
        double c = (Unwrapped(longitude[i], middle) - west_) / lonStep_;
        if (!(r >= -0.5 && r <= rowMax + 0.5 && c >= -0.5 && c <= columnMax + 0.5)) {
            out[i] = noData;
            continue;
        }
        r = std::clamp(r, 0.0, rowMax);
        c = std::clamp(c, 0.0, columnMax);
        const int r0 = std::min(static_cast<int>(r), std::max(rows_ - 2, 0));
        const int c0 = std::min(static_cast<int>(c), std::max(columns_ - 2, 0));
        const int r1 = std::min(r0 + 1, rows_ - 1), c1 = std::min(c0 + 1, columns_ - 1);
        const double fr = r - r0, fc = c - c0;
        const float* row0 = heights_.data() + static_cast<size_t>(r0) * columns_;
        const float* row1 = heights_.data() + static_cast<size_t>(r1) * columns_;
        const float h[4] = {row0[c0], row0[c1], row1[c0], row1[c1]};
        const double w[4] = {(1 - fr) * (1 - fc), (1 - fr) * fc, fr * (1 - fc), fr * fc};
        // A cell without data makes the samples that lean on it holes too: passed over, so that a
        // hole is neither a wall nor a pit.
        out[i] = static_cast<float>(w[0] * h[0] + w[1] * h[1] + w[2] * h[2] + w[3] * h[3]);
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
