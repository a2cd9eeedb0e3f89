// Recalculate at each level for a full two-system almanac at the 5-minute step, at a site with and
// without ten obstructions of fifteen vertices; and every level with every satellite of the bundled
// navigation files (four systems) at the same step.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/almanac.h"
#include "engine/calculator.h"
#include "engine/rinexnav.h"
#include "engine/vectorkernels.h"
#include "sites/siteinfo.h"

namespace {

// Walker-like constellations: GPS 32 in six planes at 55 deg, GLONASS 24 in three planes at
// 64.8 deg, eight slots 45 deg apart, with the orbital elements of the real systems.
bool MakeConstellation(const std::string& path) {
    GpsAlmanac gps{};
    for (int k = 0; k < kGpsSatellites; ++k) {
        GpsAlmanacRecord& r = gps[k];
        const int plane = k % 6, slot = k / 6;
        r.e = 0.002f + 0.0006f * static_cast<float>(k % 17);
        r.toa = 405504;
        r.i = 0.3056f + 0.002f * static_cast<float>(plane - 3);
        r.omegaDot = -2.6e-9f;
        r.sqrtA = 5153.6 + 0.1 * (k % 5);
        r.omega0 = -1.0 + plane / 3.0;
        r.omega = 0.3 * (k % 7) - 0.9;
        r.m0 = -1.0 + (slot * 2.0 / 6.0) + plane * 0.05;
        r.week = static_cast<int16_t>(2400 % 256);
        r.referenceWeek = 2400;
    }
    GlonassAlmanac glonass{};
    for (int k = 0; k < kGlonassSatellites; ++k) {
        GlonassAlmanacRecord& r = glonass[k];
        const int plane = k / 8, slot = k % 8;
        r.channel = static_cast<int16_t>(k % 14 - 7);
        r.healthFlag = 1;
        r.e = 0.0002f + 0.0003f * static_cast<float>(k % 6);
        r.n = 741; // 10 January 2026
        r.deltaI = 0.0100f + 0.0005f * static_cast<float>(slot % 3);
        r.lambda = -1.0f + static_cast<float>(plane) * 0.6667f;
        r.tLambda = 40545.0f / 8.0f * static_cast<float>(slot);
        r.omega = 0.1f * static_cast<float>(slot) - 0.4f;
        r.deltaT = -2655.0f + 0.5f * static_cast<float>(slot);
        r.deltaTDot = 0.0007f;
    }
    return WriteAlmanacFile(path, &gps, &glonass);
}

// Ten obstructions of fifteen vertices each, 30 deg wide, 36 deg apart, up to 15 deg high.
void AddObstructions(SiteInfo& site) {
    for (int i = 0; i < 10; ++i) {
        Obstruction o;
        const double az0 = 36.0 * i;
        o.Add(point<double>(0, az0));
        for (int t = 0; t <= 12; ++t)
            o.Add(point<double>(3 + 12 * std::sin(M_PI * t / 12), az0 + 2.5 * t));
        o.Add(point<double>(0, az0 + 30));
        site.obstructions.Add(o);
    }
}

// How many satellites the calculator plans.
int Planned(const Calculator& c) {
    int planned = 0;
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
        planned += c.HasAlmanac(i) ? 1 : 0;
    return planned;
}

// Forces the kernels of range(1) (a VectorTarget), the best again when the benchmark ends; false
// (and the benchmark skipped) when this processor cannot run them.
struct ForcedTarget {
    explicit ForcedTarget(benchmark::State& state) {
        ok = UseVectorTarget(static_cast<VectorTarget>(state.range(1)));
        if (!ok)
            state.SkipWithError("not on this processor");
        else
            state.SetLabel(VectorTargetName(ActiveVectorTarget()));
    }
    ~ForcedTarget() { UseVectorTarget(BestVectorTarget()); }
    bool ok = false;
};

// Time per satellite and sample of the window, and the satellites planned.
void CountSatelliteSamples(benchmark::State& state, const Calculator& c) {
    const int planned = Planned(c);
    state.counters["satellites"] = planned;
    state.counters["per satellite-sample"] =
        benchmark::Counter(static_cast<double>(planned) * c.sampleCount(),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

struct Setup {
    Calculator calculator;
    SiteInfo site{48.137, 11.575, 520, "bench", "", 1};
    PlanInterval interval{10, 1, 2026, 8, 0, 16, 0};
    bool ok = false;

    explicit Setup(bool obstructed) {
        const std::string path =
            (std::filesystem::temp_directory_path() / "tavrin_calc_bench_alm26.010").string();
        if (!MakeConstellation(path) || calculator.SetTimeStep(300) != 1)
            return;
        calculator.LoadAlmanac(path);
        std::error_code ec;
        std::filesystem::remove(path, ec);
        calculator.SetElevationMask(static_cast<float>(10 * 0.017453292519943295));
        if (obstructed)
            AddObstructions(site);
        ok = calculator.loadState() == kLoadOk && calculator.FirstEnabledGps() != 0 &&
             calculator.FirstEnabledGlonass() != 0 && calculator.Recalculate(site, interval, 1) == 1;
    }
};

void BM_Recalculate(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    auto setup = std::make_unique<Setup>(state.range(1) != 0);
    if (!setup->ok) {
        state.SkipWithError("no almanac");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(setup->calculator.Recalculate(setup->site, setup->interval, level));
        benchmark::ClobberMemory();
    }
    long used = 0;
    for (int k = 0; k < setup->calculator.sampleCount(); ++k)
        used += setup->calculator.satelliteCount()[k];
    state.counters["mean satellites"] = static_cast<double>(used) / setup->calculator.sampleCount();
    CountSatelliteSamples(state, setup->calculator);
}

// The shipped GPS almanac (YUMA, week 2379), as `tavrin-cli plan` uses it by default.
void BM_RecalculateShippedAlmanac(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    const ForcedTarget target(state);
    if (!target.ok)
        return;
    auto calculator = std::make_unique<Calculator>();
    const SiteInfo site(48.137, 11.575, 520, "bench", "", 1);
    const PlanInterval interval(11, 8, 2025, 0, 0, 24, 0);
    calculator->LoadAlmanac(TAVRIN_BINARY_DIR "/almanacs/alm25.223");
    calculator->SetElevationMask(static_cast<float>(10 * 0.017453292519943295));
    if (calculator->loadState() != kLoadOk || calculator->SetTimeStep(300) != 1 ||
        calculator->Recalculate(site, interval, 1) != 1) {
        state.SkipWithError("the shipped almanac is missing");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(calculator->Recalculate(site, interval, level));
        benchmark::ClobberMemory();
    }
    CountSatelliteSamples(state, *calculator);
}

void BM_RecalculateAllSystems(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    const ForcedTarget target(state);
    if (!target.ok)
        return;
    auto calculator = std::make_unique<Calculator>();
    const SiteInfo site(48.137, 11.575, 520, "bench", "", 1);
    const PlanInterval interval(1, 1, 2022, 8, 0, 16, 0);
    for (const char* system : {"GN", "RN", "EN", "CN"}) {
        const NavigationFile file =
            ReadNavigationFile(std::string(TAVRIN_SOURCE_DIR) +
                               "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_" + system + ".rnx");
        calculator->AddNavigation(file);
    }
    calculator->SetElevationMask(static_cast<float>(10 * 0.017453292519943295));
    if (calculator->SetTimeStep(300) != 1 || calculator->Recalculate(site, interval, 1) != 1) {
        state.SkipWithError("no navigation files");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(calculator->Recalculate(site, interval, level));
        benchmark::ClobberMemory();
    }
    long used = 0;
    for (int k = 0; k < calculator->sampleCount(); ++k)
        used += calculator->satelliteCount()[k];
    state.counters["mean satellites"] = static_cast<double>(used) / calculator->sampleCount();
    CountSatelliteSamples(state, *calculator);
}

} // namespace

// Each level on each instruction set (0 scalar code, 1 baseline, 2 SSE4.2, 3 AVX2, 4 AVX-512).
BENCHMARK(BM_RecalculateAllSystems)
    ->ArgNames({"level", "target"})
    ->ArgsProduct({{1, 2, 3, 4}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_RecalculateShippedAlmanac)
    ->ArgNames({"level", "target"})
    ->ArgsProduct({{1, 2, 3}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_Recalculate)
    ->ArgNames({"level", "obstructions"})
    ->ArgsProduct({{1, 2, 3, 4}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
