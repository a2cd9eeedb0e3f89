// tavrin-cli plan --all-sites --days 31 --format csv over a generated list of 1,000 and 4,000 sites
// (32,000 too with TAVRIN_BENCH_LARGE=1, some three minutes a run): the time, the child's processor
// time and its peak resident memory, its output thrown away. TAVRIN_BENCH_CLI times another tavrin-cli.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "sites/project.h"

extern char** environ;

namespace {

// A national network: a grid of sites 0.1 degrees apart on one clock, made once per size.
std::string SiteList(int count) {
    const std::string path = TAVRIN_BINARY_DIR "/bench-sites-" + std::to_string(count) + ".spl";
    if (std::filesystem::exists(path))
        return path;
    project list;
    list.sites.Clear();
    for (int i = 0; i < count; ++i) {
        const std::string name = "S" + std::to_string(i);
        list.sites.Add(SiteInfo(40 + (i % 200) * 0.1, (i / 200) * 0.18, 100 + i % 900, name.c_str(), "", 1));
    }
    return list.Save(path) ? path : std::string();
}

void BM_PlanAllSitesMonthCsv(benchmark::State& state) {
    const std::string sites = SiteList(static_cast<int>(state.range(0)));
    if (sites.empty()) {
        state.SkipWithError("the site list could not be written");
        return;
    }
    const char* other = std::getenv("TAVRIN_BENCH_CLI");
    const std::string cli = other ? other : TAVRIN_CLI;
    // The shipped almanac's month, so that the run does not depend on today's date.
    std::vector<std::string> words = {cli,  "plan",     "--sites", sites,    "--all-sites", "--days",
                                      "31", "--format", "csv",     "--date", "2025-08-12"};
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    long peakKb = 0;
    double cpuSeconds =
        0; // user and system time of the child: steadier than the wall clock on a busy machine
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        rusage usage{};
        if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("tavrin-cli did not run");
            return;
        }
        peakKb = std::max(peakKb, usage.ru_maxrss);
        cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["cpu_s"] = cpuSeconds;
    state.counters["site_days"] = static_cast<double>(state.range(0)) * 31;
}
BENCHMARK(BM_PlanAllSitesMonthCsv)
    ->Apply([](benchmark::internal::Benchmark* b) {
        b->Arg(1000)->Arg(4000);
        if (const char* large = std::getenv("TAVRIN_BENCH_LARGE"); large && std::string(large) == "1")
            b->Arg(32000);
    })
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace
