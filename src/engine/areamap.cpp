#include "engine/areamap.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/geodesy.h"

namespace {

constexpr const char* kWords[kMapQuantities] = {"hours", "worst-pdop", "mean-pdop", "longest-window",
                                                "common"};
constexpr const char* kUnits[kMapQuantities] = {"h", "", "", "h", "min"};

} // namespace

const char* MapQuantityWord(MapQuantity q) {
    return kWords[static_cast<int>(q)];
}

const char* MapQuantityUnit(MapQuantity q) {
    return kUnits[static_cast<int>(q)];
}

bool MapQuantityRisesWell(MapQuantity q) {
    return q != MapQuantity::WorstPdop && q != MapQuantity::MeanPdop;
}

MapAreaProblem MakeMapArea(double south, double west, double north, double east, double spacing, int cells,
                           MapArea& area) {
    for (double v : {south, west, north, east})
        if (!std::isfinite(v))
            return MapAreaProblem::Range;
    if (std::fabs(south) > 89 || std::fabs(north) > 89 || west < -180 || east > 180)
        return MapAreaProblem::Range;
    if (!(south < north) || !(west < east))
        return MapAreaProblem::Order;
    if (north - south > kMapMaxSpan || east - west > kMapMaxSpan)
        return MapAreaProblem::Range;
    double rows = cells, columns = cells;
    if (cells <= 0) {
        if (!(spacing > 0) || !std::isfinite(spacing))
            return MapAreaProblem::TooSmall;
        // Metres per degree at the middle latitude, on the ellipsoid.
        const double phi = (south + north) / 2 * 3.14159265358979323846 / 180;
        const double s = std::sin(phi), w = std::sqrt(1 - g_ellipsoid.e2 * s * s);
        const double perLat =
            g_ellipsoid.a * (1 - g_ellipsoid.e2) / (w * w * w) * 3.14159265358979323846 / 180;
        const double perLon = g_ellipsoid.a / w * std::cos(phi) * 3.14159265358979323846 / 180;
        rows = std::max(1.0, std::round((north - south) * perLat / spacing));
        columns = std::max(1.0, std::round((east - west) * perLon / spacing));
    }
    if (rows * columns > static_cast<double>(kMapMaxCells))
        return MapAreaProblem::TooManyCells;
    area = {south, west, north, east, static_cast<int>(rows), static_cast<int>(columns)};
    return MapAreaProblem::None;
}

void MapTileRows(int rows, int tile, int tiles, int& first, int& count) {
    first = static_cast<int>(static_cast<long long>(rows) * (tile - 1) / tiles);
    const int end = static_cast<int>(static_cast<long long>(rows) * tile / tiles);
    count = end - first;
}

float MapValue(MapQuantity q, const SiteSeries& cell, const SiteSeries* base, const MapConditions& c) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    switch (q) {
    case MapQuantity::Hours:
    case MapQuantity::LongestWindow: {
        int32_t sum = 0, longest = 0;
        for (const Window& w : FindWindows({&cell}, c.windows)) {
            sum += w.Length();
            longest = std::max(longest, w.Length());
        }
        return static_cast<float>((q == MapQuantity::Hours ? sum : longest) / 3600.0);
    }
    case MapQuantity::WorstPdop:
    case MapQuantity::MeanPdop: {
        float worst = 0;
        double sum = 0;
        int fixes = 0;
        bool gap = false;
        for (int32_t k = 0; k < cell.Count(); ++k) {
            if (!WithinDailyHours(cell, k, c.windows))
                continue;
            const float p = cell.pdop[static_cast<size_t>(k)];
            if (cell.solution[static_cast<size_t>(k)] != 1 || !(p > 0)) {
                gap = true;
                continue;
            }
            worst = std::max(worst, p);
            sum += p;
            ++fixes;
        }
        if (q == MapQuantity::WorstPdop)
            return gap || fixes == 0 ? kInfinity : worst;
        return fixes == 0 ? kInfinity : static_cast<float>(sum / fixes);
    }
    case MapQuantity::Common: {
        if (!base)
            return kMapNoData;
        WindowConditions w = c.windows;
        w.minCommon = c.minCommon;
        int32_t sum = 0;
        for (const Window& window : FindWindows({&cell, base}, w))
            sum += window.Length();
        return static_cast<float>(sum / 60.0);
    }
    }
    return kMapNoData;
}
