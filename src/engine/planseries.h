// Several days of what a site sees, sampled without a break, for one site or a whole network on one
// clock, and the sharing of such work among the machine's cores (one Calculator per worker).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/planinterval.h"
#include "engine/satellitecatalogue.h"

class Calculator;
class SiteInfo;

// Sample k lies k x step seconds after midnight of the first date on the series' clock.
struct SiteSeries {
    int32_t step = 0;       // s between samples
    int32_t clockShift = 0; // s by which the site's own local time runs ahead of the series' clock
    std::vector<float> pdop;
    std::vector<int32_t> satellites;  // satellites used per sample
    std::vector<int32_t> solution;    // 1 where enough satellites were used
    std::vector<SatelliteSet> usable; // bit j: satellite index j used at the sample

    int32_t Count() const { return static_cast<int32_t>(pdop.size()); }
};

struct SeriesRequest {
    int day = 1, month = 1, year = 2000; // first date; month 1..12
    int days = 1;                        // whole days from 00:00 of the first date
    float clockOffset = 0;               // GMT offset of the series' clock, hours
    int workers = 1;
};

// The series of every site over the request's days on one clock: days x (86400 / step) + 1 samples
// each, the last at 24:00 of the last day. `settings` holds the loaded almanac, step, cut-off, mode,
// obstruction switch and satellite selection; each worker plans with a copy of it. false when a
// computation fails; `out` is then unspecified.
// The one driver of plans over several days: every site on every day on `workers` threads, each
// with a copy of `settings`. Day d is planned over intervalOf(d), each site on its own local time
// or on `commonClock`; then take(calc, site, d) reads the result (false, or running out of memory,
// stops everything and answers false). Neighbouring sites on one clock share a day's orbits.
bool PlanSitesOverDays(const Calculator& settings, const std::vector<SiteInfo>& sites, int days, int workers,
                       const std::function<PlanInterval(int day)>& intervalOf,
                       std::optional<float> commonClock,
                       const std::function<bool(const Calculator&, int site, int day)>& take);

bool ComputeSeries(const Calculator& settings, const std::vector<SiteInfo>& sites,
                   const SeriesRequest& request, std::vector<SiteSeries>& out);

// `into` becomes a copy of `settings`: its almanac and navigation records, sources, satellite
// choices and settings, without reading any file again. false when `settings` holds nothing to plan
// with or memory runs out.
bool CopyCalculatorSettings(const Calculator& settings, Calculator& into);

// Splits 0..count-1 into at most `workers` contiguous blocks and runs work(worker, begin, end) for
// each on its own thread (the first block on the calling thread). A thread that cannot be started
// leaves its block to the calling thread.
void RunInBlocks(int count, int workers, const std::function<void(int worker, int begin, int end)>& work);

// The number of workers to use for `tasks` tasks: the machine's cores, at least one, at most `tasks`.
int WorkerCount(int tasks);
