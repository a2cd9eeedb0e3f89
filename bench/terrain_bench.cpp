// Terrain horizons on the Khumbu SRTM tile (3", 1201 x 1201 cells): one site at 1 degree to 50 km
// from the grid in memory, and fifty sites spread over the tile from opening the file on, as
// tavrin-cli plan --dem does without its cache.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/horizonsweep.h"
#include "terrain/terrainmodel.h"

namespace {

const std::string kTile = TAVRIN_SOURCE_DIR "/tests/data/dem/N27E086.hgt";

void BM_HorizonOneSite(benchmark::State& state) {
    TerrainModel model;
    std::string error;
    if (!model.Open(kTile, error) || !model.Prepare({{27.7375, 86.710833}}, 50000, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    HorizonSettings settings;
    for (auto _ : state) {
        TerrainHorizon h;
        ComputeHorizon(*model.Grid(), 27.7375, 86.710833, 0, settings, h);
        benchmark::DoNotOptimize(h.elevation.data());
    }
}
BENCHMARK(BM_HorizonOneSite)->Unit(benchmark::kMillisecond);

void BM_HorizonFiftySites(benchmark::State& state) {
    std::vector<std::pair<double, double>> sites;
    for (int i = 0; i < 50; ++i) // a 10 x 5 lattice over the tile
        sites.emplace_back(27.05 + 0.09 * (i % 10) + 0.004, 86.1 + 0.18 * (i / 10) + 0.003);
    HorizonSettings settings;
    for (auto _ : state) {
        TerrainModel model;
        std::string error;
        if (!model.Open(kTile, error) || !model.Prepare(sites, settings.maxDistance, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        for (const auto& [lat, lon] : sites)
            benchmark::DoNotOptimize(model.Horizon(lat, lon, 0, settings, "", error));
    }
}
BENCHMARK(BM_HorizonFiftySites)->Unit(benchmark::kMillisecond);

// The horizons of the 100 x 100 cells of a map over the whole tile, swept together on two workers.
void BM_SweepHundredSquare(benchmark::State& state) {
    std::vector<double> lat, lon;
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 100; ++c) {
            lat.push_back(28.0 - (r + 0.5) / 100);
            lon.push_back(86.0 + (c + 0.5) / 100);
        }
    TerrainModel model;
    std::string error;
    HorizonSettings settings;
    if (!model.Open(kTile, error) ||
        !model.Prepare({{lat.front(), lon.front()}, {lat.back(), lon.back()}}, settings.maxDistance, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        SweptHorizons swept;
        SweepHorizons(*model.Grid(), lat, lon, settings, 2, swept);
        benchmark::DoNotOptimize(swept.elevation.data());
    }
}
BENCHMARK(BM_SweepHundredSquare)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
