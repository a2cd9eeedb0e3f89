// The terrain's horizons of many observers at once: near each observer its own rays, beyond them
// one sweep of the model per azimuth in which every observer on a line of the sweep shares the
// convex hull of the profile ahead of it (after Stewart, "Fast horizon computation at all points
// of a terrain", IEEE TVCG 1998).
#pragma once

#include <functional>
#include <vector>

#include "engine/elevationgrid.h"
#include "engine/horizon.h"

struct SweptHorizons {
    int count = 0;                // azimuth entries, entry i at i * step degrees
    double step = 0;              // degrees
    std::vector<float> elevation; // observer o's entry i at o * count + i, degrees; -90: no ground seen
    std::vector<float> ground;    // the model's height under each observer, m; NaN: none there
};

// Within this many metres (and at least 16 of the model's cells) each observer's own rays, as
// ComputeHorizon casts them; beyond, the sweep.
inline constexpr double kSweepNearField = 5000.0;

// The horizons of the observers at `latitude`/`longitude` (degrees, the same length) over `grid`,
// each antenna `settings.antennaHeight` above the ground under it; `workers` threads, the calling
// one among them. `tick` (may be empty) is called, from any worker, after each of the `Steps()`
// pieces of work. `centre` (latitude, longitude; null: the observers' middle) anchors the sweep's
// lines, so that observers swept in separate calls about one centre get the same horizons.
// False for settings outside their limits or positions within a degree of a pole.
bool SweepHorizons(const ElevationGrid& grid, const std::vector<double>& latitude,
                   const std::vector<double>& longitude, const HorizonSettings& settings, int workers,
                   SweptHorizons& out, const std::function<void()>& tick = nullptr,
                   const double* centre = nullptr);

// How many times SweepHorizons calls `tick` for `observers` observers: for a progress bar.
int SweepSteps(int observers, const HorizonSettings& settings);
