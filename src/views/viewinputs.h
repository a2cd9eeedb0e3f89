// The read-only state a view draws from: the Calculator's results for the displayed interval,
// the labelled start time and the current site's obstructions. Built from the Calculator before
// painting; tests and benchmarks fill it directly.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/almanac.h"
#include "engine/calculator.h"
#include "engine/planinterval.h"
#include "engine/satellitecatalogue.h"
#include "sites/point.h"

// Vertices as (elevation, azimuth) in degrees, in drawing order.
using ObstructionPolygon = std::vector<point<double>>;

struct ViewInputs {
    // Every satellite of the catalogue; beyond GPS and GLONASS none has an orbit until one is set.
    std::array<int32_t, SatelliteCatalogue::kSize> status = [] {
        std::array<int32_t, SatelliteCatalogue::kSize> none{};
        for (int i = SatelliteCatalogue::kLegacySize; i < SatelliteCatalogue::kSize; ++i)
            none[static_cast<size_t>(i)] = StatusNoAlmanac;
        return none;
    }();
    std::array<int, SatelliteCatalogue::kSize> channel{};              // GLONASS frequency channel, else 0
    std::array<const SatSample*, SatelliteCatalogue::kSize> samples{}; // whole window, indexed from 0
    std::array<const float*, 5> dop{};                                 // PDOP, GDOP, HDOP, VDOP, TDOP
    const int32_t* satelliteCount = nullptr;
    const int32_t* solutionFlag = nullptr;
    int intervalFirst = 0;
    int intervalCount = 0;
    int step = 900;
    int mode = 0; // 1 = 2-D
    int obstructionsOn = 1;
    float elevationMask = 0; // rad
    int t0 = 0;              // labelled time of day of the interval's first sample, s
    std::vector<ObstructionPolygon> obstructions;
    // The terrain's skyline (elevation, azimuth in degrees) from azimuth 0 round to 360; empty
    // without an elevation model.
    std::vector<point<double>> terrain;

    bool Available(int s) const { return status[s] == 0 || status[s] == StatusUnhealthy; }
    bool AnyAvailable(GnssSystem system) const;
    const SatSample& Sample(int s, int j) const { return samples[s][intervalFirst + j]; }
    bool Visible(int s, int j) const { return samples[s] && Sample(s, j).visible != 0; }
    float Dop(int series, int j) const { return dop[series] ? dop[series][intervalFirst + j] : 0.0f; }
    int Count(int j) const { return satelliteCount ? satelliteCount[intervalFirst + j] : 0; }
    int Solution(int j) const { return solutionFlag ? solutionFlag[intervalFirst + j] : 0; }
};

class SiteInfo;
// The site's obstructions as vertex lists; none without a site.
std::vector<ObstructionPolygon> ObstructionsOf(const SiteInfo* site);
// The site's terrain skyline for ViewInputs::terrain; none without a site or a horizon.
std::vector<point<double>> SkylineOf(const SiteInfo* site);

ViewInputs InputsFromCalculator(const Calculator& calc, const PlanInterval& interval,
                                std::vector<ObstructionPolygon> obstructions = {});
