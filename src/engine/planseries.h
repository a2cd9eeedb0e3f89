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

// How a run over several days ended.
enum class PlanRunResult {
    Done,
    Stopped,     // take or done answered false
    Failed,      // the settings hold nothing to plan with, or a site could not be planned
    OutOfMemory, // a worker's copy of the settings or a result did not fit
};

// The one driver of plans over several days: every site on every day on `workers` threads (the
// calling one among them), each with a copy of `settings`. Day d is planned over intervalOf(d),
// each site on its own local time or on `commonClock`. Sites go to the workers in blocks of
// `blockSites` neighbours, each block planned day by day, so that neighbours on one clock share a
// day's orbits; take(calc, site, d) reads each result on its worker's thread.
// With `done`, done(site) is called on the calling thread in the order of the sites, once every day
// of that site has been taken; workers then keep at most 2 x workers blocks ahead of it, so that
// the results waiting to be written stay few however many sites there are. A false from take or
// done stops everything. `take` reading no sample's direction may say so: the workers then plan
// only what visibility and DOP read (Calculator::SetOnlyNearTheSky).
enum class PlanReads { Everything, VisibilityAndDop };
PlanRunResult PlanSitesOverDays(const Calculator& settings, const std::vector<SiteInfo>& sites, int days,
                                int workers, int blockSites,
                                const std::function<PlanInterval(int day)>& intervalOf,
                                std::optional<float> commonClock,
                                const std::function<bool(const Calculator&, int site, int day)>& take,
                                const std::function<bool(int site)>& done = nullptr,
                                PlanReads reads = PlanReads::Everything);

// The series of every site over the request's days on one clock: days x (86400 / step) + 1 samples
// each, the last at 24:00 of the last day. `settings` holds the loaded almanac, step, cut-off, mode,
// obstruction switch and satellite selection; each worker plans with a copy of it. Anything but Done
// leaves `out` unspecified; a request it cannot plan (no almanac, no site, a date or clock out of
// range) is Failed.
PlanRunResult ComputeSeries(const Calculator& settings, const std::vector<SiteInfo>& sites,
                            const SeriesRequest& request, std::vector<SiteSeries>& out);

// Copies day `d` of the calculator's whole-day window into the series (sized for every day):
// samples 0 .. n-2, and the closing 24:00 sample only on the last day, where no next day's 00:00
// replaces it.
void TakeDay(const Calculator& calc, int d, bool lastDay, SiteSeries& s);

// `into` becomes a copy of `settings`: its almanac and navigation records, sources, satellite
// choices and settings, without reading any file again. false when `settings` holds nothing to plan
// with or memory runs out.
bool CopyCalculatorSettings(const Calculator& settings, Calculator& into);

// The number of workers to use for `tasks` tasks: the machine's cores, at least one, at most `tasks`.
int WorkerCount(int tasks);
