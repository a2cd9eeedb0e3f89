// Windows over a week for one site and for a network of fifty, on the shipped almanac at the
// 5-minute step, and the plan command's CSV of both tables end to end (set TAVRIN_BENCH_CLI to time
// another tavrin-cli, an older build for instance).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/calculator.h"
#include "engine/planseries.h"
#include "engine/windowsearch.h"
#include "sites/siteinfo.h"

extern char** environ;

namespace {

const std::string kAlmanac = TAVRIN_BINARY_DIR "/almanacs/alm25.223";

bool Configure(Calculator& c) {
    c.LoadAlmanac(kAlmanac);
    c.SetTimeStep(300);
    c.SetElevationMask(15 * 0.017453292519943295f);
    return c.loadState() == kLoadOk;
}

// An azimuth in degrees as a site list holds it, 0 <= az < 360: a ridge across north goes on from 0.
double Azimuth(double degrees) {
    return degrees - 360.0 * std::floor(degrees / 360.0);
}

// A ridge of fifteen vertices, 60 degrees wide, up to 20 degrees high, its side turning with `i`.
SiteInfo Pillar(int i) {
    SiteInfo s(46.0 + 0.05 * (i % 10), 14.0 + 0.07 * (i / 10), 300 + 10 * i, "pillar", "", 1);
    Obstruction ridge;
    const double az0 = 37.0 * i;
    ridge.Add(point<double>(0, Azimuth(az0)));
    for (int t = 0; t <= 12; ++t)
        ridge.Add(point<double>(5 + 15 * std::sin(M_PI * t / 12), Azimuth(az0 + 5.0 * t)));
    ridge.Add(point<double>(0, Azimuth(az0 + 60)));
    s.obstructions.Add(ridge);
    return s;
}

void Windows(benchmark::State& state, int siteCount) {
    Calculator settings;
    if (!Configure(settings)) {
        state.SkipWithError("the shipped almanac is missing");
        return;
    }
    std::vector<SiteInfo> sites;
    for (int i = 0; i < siteCount; ++i) {
        sites.push_back(Pillar(i));
        if (!sites.back().HasValidValues()) {
            state.SkipWithError("a site of the fixture cannot be planned");
            return;
        }
    }
    SeriesRequest r;
    r.day = 11;
    r.month = 8;
    r.year = 2025;
    r.days = 7;
    r.clockOffset = 1;
    r.workers = WorkerCount(siteCount);
    WindowConditions c;
    c.maxPdop = 3;
    c.minSatellites = 6;
    c.minCommon = siteCount > 1 ? 4 : 0;
    size_t found = 0;
    for (auto _ : state) {
        std::vector<SiteSeries> series;
        if (ComputeSeries(settings, sites, r, series) != PlanRunResult::Done) {
            state.SkipWithError("computation failed");
            return;
        }
        std::vector<const SiteSeries*> all;
        for (const SiteSeries& s : series)
            all.push_back(&s);
        std::vector<Window> windows = FindWindows(all, c);
        SortWindows(windows, WindowOrder::Length);
        found = windows.size();
        benchmark::DoNotOptimize(windows.data());
    }
    state.counters["windows"] = static_cast<double>(found);
    state.counters["workers"] = r.workers;
    // Wall time per site and day planned (the series of all sites, then the search).
    state.counters["per site-day"] =
        benchmark::Counter(static_cast<double>(siteCount) * r.days,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_WindowsOneSiteSevenDays(benchmark::State& state) {
    Windows(state, 1);
}
BENCHMARK(BM_WindowsOneSiteSevenDays)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowsNetworkOfFiftySevenDays(benchmark::State& state) {
    Windows(state, 50);
}
BENCHMARK(BM_WindowsNetworkOfFiftySevenDays)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowsNetworkOfTwoHundredSevenDays(benchmark::State& state) {
    Windows(state, 200);
}
BENCHMARK(BM_WindowsNetworkOfTwoHundredSevenDays)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs tavrin-cli with `args`, its output thrown away, once per iteration.
void RunCli(benchmark::State& state, std::vector<std::string> words) {
    const char* other = std::getenv("TAVRIN_BENCH_CLI");
    words.insert(words.begin(), other ? other : TAVRIN_CLI);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("tavrin-cli did not run");
            return;
        }
    }
}

// tavrin-cli plan --step 5 --table both --format csv, on the shipped almanac's day (so that its age
// never refuses it).
void BM_PlanCsvBothTablesEndToEnd(benchmark::State& state) {
    RunCli(state, {"plan", "--step", "5", "--table", "both", "--format", "csv", "--date", "2025-08-12"});
}
BENCHMARK(BM_PlanCsvBothTablesEndToEnd)->Unit(benchmark::kMillisecond)->UseRealTime();

// tavrin-cli --version: what starting the program costs.
void BM_VersionEndToEnd(benchmark::State& state) {
    RunCli(state, {"--version"});
}
BENCHMARK(BM_VersionEndToEnd)->Unit(benchmark::kMillisecond)->UseRealTime();

// tavrin-cli map over the Khumbu tile, 100 x 100 cells, one day at 5 minutes, GPS and Galileo from
// the navigation files, hours with PDOP <= 2 from 06:00 to 18:00: open sky (range 0) and each
// cell under its own terrain horizon (range 1). CSV to standard output, thrown away.
void BM_MapKhumbuEndToEnd(benchmark::State& state) {
    const std::string data = TAVRIN_SOURCE_DIR "/tests/data/";
    std::vector<std::string> words = {"map",
                                      "--bbox",
                                      "27,86,28,87",
                                      "--cells",
                                      "100",
                                      "--date",
                                      "2022-01-01",
                                      "--step",
                                      "5",
                                      "--systems",
                                      "gps,galileo",
                                      "--almanac",
                                      data + "multignss/OPEC00NOR_S_20220010000_01D_GN.rnx",
                                      "--almanac",
                                      data + "multignss/OPEC00NOR_S_20220010000_01D_EN.rnx",
                                      "--show",
                                      "hours",
                                      "--max-pdop",
                                      "2",
                                      "--from",
                                      "06:00",
                                      "--to",
                                      "18:00"};
    if (state.range(0) == 1) {
        words.push_back("--dem");
        words.push_back(data + "dem/N27E086.hgt");
    }
    RunCli(state, words);
}
BENCHMARK(BM_MapKhumbuEndToEnd)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace
