// Cost of a level-1 recalculation: every orbit of a full almanac over a 5-minute-step window.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "engine/almanac.h"
#include "engine/calculator.h"

namespace {

// A full almanac of plausible healthy orbits, spread over the planes of both constellations.
bool MakeAlmanac(const std::string& path) {
    GpsAlmanac gps{};
    for (int k = 0; k < kGpsSatellites; ++k) {
        GpsAlmanacRecord& r = gps[k];
        r.e = 0.001f * static_cast<float>(k % 20);
        r.toa = 405504;
        r.i = 0.3f + 0.001f * static_cast<float>(k % 5);
        r.omegaDot = -2.6e-9f;
        r.sqrtA = 5153.6;
        r.omega0 = -1.0 + (k % 6) / 3.0;
        r.omega = 0.1 * (k % 7) - 0.3;
        r.m0 = -1.0 + k / 16.0;
        r.week = static_cast<int16_t>(2400 % 256);
        r.referenceWeek = 2400;
    }
    GlonassAlmanac glonass{};
    for (int k = 0; k < kGlonassSatellites; ++k) {
        GlonassAlmanacRecord& r = glonass[k];
        r.channel = static_cast<int16_t>(k % 14 - 7);
        r.healthFlag = 1;
        r.e = 0.0005f * static_cast<float>(k % 8);
        r.n = 1000;
        r.deltaI = 0.01f;
        r.lambda = -1.0f + static_cast<float>(k / 8) * 0.6667f;
        r.tLambda = 1350.0f * static_cast<float>(k);
        r.omega = 0.2f;
        r.deltaT = -2655.0f;
        r.deltaTDot = 0.0007f;
    }
    return WriteAlmanacFile(path, &gps, &glonass);
}

void BM_ComputePositions(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "tavrin_bench_alm26.100").string();
    Calculator calculator;
    if (!MakeAlmanac(path) || calculator.SetTimeStep(300) != 1) {
        state.SkipWithError("no almanac");
        return;
    }
    calculator.LoadAlmanac(path);
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (calculator.loadState() != kLoadOk || calculator.FirstEnabledGps() == 0 ||
        calculator.FirstEnabledGlonass() == 0) {
        state.SkipWithError("almanac not loaded");
        return;
    }
    const CalendarTime start = MakeCalendarTime(0, 0, 0, 10, 4, 2026);
    for (auto _ : state) {
        calculator.ComputePositions(start);
        benchmark::DoNotOptimize(calculator.samples(0));
        benchmark::ClobberMemory();
    }
    state.counters["per satellite-sample"] =
        benchmark::Counter(static_cast<double>(kSatellites) * calculator.sampleCount(),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_ComputePositions)->Unit(benchmark::kMicrosecond);
