#include "engine/horizonsweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "terrain/terrainmodel.h"

namespace {

const std::string kTile = TAVRIN_SOURCE_DIR "/tests/data/dem/N27E086.hgt";

} // namespace

// Every observer's horizon from one sweep agrees with its own rays wherever the skyline is set
// farther than 1 km away: at the reference sites of the tile (gorge, valley, slope, summit) and at
// the cells of a coarse grid across it, on two workers.
TEST(HorizonSweep, AgreesWithTheSingleSiteHorizonOnTheKhumbuTile) {
    constexpr double kToleranceDegrees = 0.2; // for 99 azimuths in 100
    constexpr double kWorstDegrees = 0.5;     // a sliver of a ridge caught by one method only
    std::vector<double> lat = {27.7375, 27.893333, 27.805, 27.860833, 27.6875};
    std::vector<double> lon = {86.710833, 86.818333, 86.71, 86.861667, 86.731667};
    for (double a = 27.62; a < 27.95; a += 0.11)
        for (double b = 86.58; b < 86.95; b += 0.12) {
            lat.push_back(a);
            lon.push_back(b);
        }
    TerrainModel model;
    std::string error;
    ASSERT_TRUE(model.Open(kTile, error)) << error;
    HorizonSettings settings;
    std::vector<std::pair<double, double>> positions;
    for (size_t o = 0; o < lat.size(); ++o)
        positions.emplace_back(lat[o], lon[o]);
    ASSERT_TRUE(model.Prepare(positions, settings.maxDistance, error)) << error;
    const ElevationGrid& grid = *model.Grid();
    SweptHorizons swept;
    std::atomic<int> ticks{0}; // called from both workers
    ASSERT_TRUE(SweepHorizons(grid, lat, lon, settings, 2, swept, [&] { ++ticks; }));
    EXPECT_EQ(ticks.load(), SweepSteps(static_cast<int>(lat.size()), settings));
    ASSERT_EQ(swept.count, 360);

    int compared = 0, within = 0;
    double worst = 0;
    for (size_t o = 0; o < lat.size(); ++o) {
        TerrainHorizon single;
        ASSERT_EQ(ComputeHorizon(grid, lat[o], lon[o], 0, settings, single), HorizonProblem::None);
        float ground = 0;
        grid.Heights(&lat[o], &lon[o], 1, &ground);
        EXPECT_FLOAT_EQ(swept.ground[o], ground);
        for (int i = 0; i < swept.count; ++i) {
            const auto at = static_cast<size_t>(i);
            if (single.distance[at] <= 1000)
                continue;
            const double d = std::fabs(swept.elevation[o * 360 + at] - single.elevation[at]);
            ++compared;
            within += d <= kToleranceDegrees;
            worst = std::max(worst, d);
        }
    }
    ASSERT_GT(compared, 3000);
    EXPECT_GE(within, compared * 0.99) << within << " of " << compared;
    EXPECT_LE(worst, kWorstDegrees);
}
