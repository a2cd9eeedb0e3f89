// Cost of the broadcast orbits over a planning window: every satellite of the bundled day's
// navigation files (GPS, GLONASS, Galileo, BeiDou) at 289 samples 5 min apart, each sample from its
// nearest record, as a level-1 recalculation would ask for them.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/broadcastephemerides.h"
#include "engine/rinexnav.h"

namespace {

constexpr int kSamples = 289;

const BroadcastEphemerides* Day() {
    static const BroadcastEphemerides* day = [] {
        auto* set = new BroadcastEphemerides;
        for (const char* system : {"GN", "RN", "EN", "CN"}) {
            const NavigationFile f =
                ReadNavigationFile(std::string(TAVRIN_SOURCE_DIR) +
                                   "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_" + system + ".rnx");
            if (!f.ok)
                return static_cast<BroadcastEphemerides*>(nullptr);
            set->Add(f);
        }
        return set;
    }();
    return day;
}

// range(0): -1 every system, else the one system (GnssSystem's value).
void BM_BroadcastPositions(benchmark::State& state) {
    const BroadcastEphemerides* day = Day();
    if (day == nullptr) {
        state.SkipWithError("navigation files not read");
        return;
    }
    const double start = ScaleSeconds(2022, 1, 1, 0, 0, 0); // UTC
    std::vector<double> times(kSamples);
    for (int k = 0; k < kSamples; ++k)
        times[k] = start + 300.0 * k;
    std::vector<int> satellites;
    for (int index = 0; index < SatelliteCatalogue::kSize; ++index)
        if (day->Has(index) &&
            (state.range(0) < 0 || static_cast<int>(SatelliteCatalogue::At(index).system) == state.range(0)))
            satellites.push_back(index);
    std::vector<double> xyz(3 * kSamples);
    for (auto _ : state) {
        for (int index : satellites)
            day->Positions(index, times.data(), kSamples, xyz.data());
        benchmark::DoNotOptimize(xyz.data());
        benchmark::ClobberMemory();
    }
    state.counters["satellites"] = static_cast<double>(satellites.size());
    state.counters["per satellite-sample"] =
        benchmark::Counter(static_cast<double>(satellites.size()) * kSamples,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReadNavigationFiles(benchmark::State& state) {
    for (auto _ : state) {
        const NavigationFile f = ReadNavigationFile(
            std::string(TAVRIN_SOURCE_DIR) + "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_EN.rnx");
        benchmark::DoNotOptimize(f.kepler.data());
    }
}

} // namespace

BENCHMARK(BM_BroadcastPositions)
    ->Arg(-1)
    ->Arg(static_cast<int>(GnssSystem::Gps))
    ->Arg(static_cast<int>(GnssSystem::Glonass))
    ->Arg(static_cast<int>(GnssSystem::Galileo))
    ->Arg(static_cast<int>(GnssSystem::BeiDou))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadNavigationFiles)->Unit(benchmark::kMillisecond);
