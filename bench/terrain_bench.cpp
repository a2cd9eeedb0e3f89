// Terrain horizons on the Khumbu SRTM tile (3", 1201 x 1201 cells): one site at 1 degree to 50 km
// from the grid in memory, and fifty sites spread over the tile from opening the file on, as
// tavrin-cli plan --dem does without its cache.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

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

} // namespace
