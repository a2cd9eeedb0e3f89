#include "engine/planseries.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "engine/calculator.h"
#include "engine/calendar.h"
#include "engine/planinterval.h"
#include "sites/siteinfo.h"

bool CopyCalculatorSettings(const Calculator& settings, Calculator& into) {
    if (settings.loadState() != kLoadOk ||
        (settings.almanacFileName().empty() && settings.broadcast().RecordCount() == 0))
        return false; // nothing to plan with
    // The records already read: a file changed or gone since cannot make the workers disagree.
    try {
        into = settings;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int WorkerCount(int tasks) {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::max(1, std::min(tasks, cores > 0 ? cores : 1));
}

void RunInBlocks(int count, int workers, const std::function<void(int worker, int begin, int end)>& work) {
    if (count <= 0)
        return;
    workers = std::max(1, std::min(workers, count));
    const auto begin = [&](int w) { return static_cast<int>(static_cast<int64_t>(count) * w / workers); };
    std::vector<std::thread> threads;
    std::vector<int> leftOver;
    for (int w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work, w, begin(w), begin(w + 1));
        } catch (const std::system_error&) {
            leftOver.push_back(w);
        } catch (const std::bad_alloc&) {
            leftOver.push_back(w);
        }
    }
    work(0, begin(0), begin(1));
    for (std::thread& t : threads)
        t.join();
    for (int w : leftOver)
        work(w, begin(w), begin(w + 1));
}

namespace {

// Copies day `d` of the calculator's whole-day window into the series: samples 0 .. n-2, and the
// closing 24:00 sample only on the last day, where no next day's 00:00 replaces it.
void TakeDay(const Calculator& calc, int d, bool lastDay, SiteSeries& s) {
    const int32_t perDay = calc.sampleCount() - 1;
    const int32_t take = lastDay ? perDay + 1 : perDay;
    for (int32_t k = 0; k < take; ++k) {
        const size_t at = static_cast<size_t>(d) * static_cast<size_t>(perDay) + static_cast<size_t>(k);
        s.pdop[at] = calc.pdop()[k];
        s.satellites[at] = calc.satelliteCount()[k];
        s.solution[at] = calc.solutionFlag()[k];
        SatelliteSet used;
        for (int j = 0; j < SatelliteCatalogue::kSize; ++j)
            if (calc.samples(j)[k].visible == 1)
                used.set(static_cast<size_t>(j));
        s.usable[at] = used;
    }
}

} // namespace

bool PlanSitesOverDays(const Calculator& settings, const std::vector<SiteInfo>& sites, int days, int workers,
                       const std::function<PlanInterval(int day)>& intervalOf,
                       std::optional<float> commonClock,
                       const std::function<bool(const Calculator&, int site, int day)>& take) {
    if (sites.empty() || days < 1)
        return false;
    workers = std::max(1, std::min(workers, static_cast<int>(sites.size())));
    // Everything a worker touches is made here; the sites are only read.
    std::vector<std::unique_ptr<Calculator>> calcs;
    try {
        for (int w = 0; w < workers; ++w) {
            calcs.push_back(std::make_unique<Calculator>());
            if (!CopyCalculatorSettings(settings, *calcs.back()))
                return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    const auto clockOf = [&](int i) {
        return commonClock ? *commonClock : sites[static_cast<size_t>(i)].gmtOffset;
    };
    std::atomic<bool> failed{false};
    RunInBlocks(static_cast<int>(sites.size()), workers, [&](int w, int begin, int end) {
        Calculator& calc = *calcs[static_cast<size_t>(w)];
        try {
            for (int d = 0; d < days && !failed; ++d) {
                const PlanInterval interval = intervalOf(d);
                for (int i = begin; i < end; ++i) {
                    // Sites on the same clock share the day's orbits: only the first computes them.
                    const bool sameClock = i > begin && clockOf(i - 1) == clockOf(i);
                    if (!calc.Recalculate(sites[static_cast<size_t>(i)], clockOf(i), interval,
                                          sameClock ? 2 : 1) ||
                        !take(calc, i, d)) {
                        failed = true;
                        return;
                    }
                }
            }
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    });
    return !failed;
}

bool ComputeSeries(const Calculator& settings, const std::vector<SiteInfo>& sites, const SeriesRequest& r,
                   std::vector<SiteSeries>& out) {
    if (settings.loadState() != kLoadOk || settings.step() <= 0 || r.days < 1 || sites.empty())
        return false;
    // The common clock keeps to the range of a site's own offset (false for NaN).
    if (!(r.clockOffset >= -12 && r.clockOffset <= 14))
        return false;
    int lastDay = r.day, lastMonth = r.month, lastYear = r.year;
    if (!AddDays(lastDay, lastMonth, lastYear, r.days - 1))
        return false;
    const int32_t perDay = kSecondsPerDay / settings.step();
    const size_t count = static_cast<size_t>(r.days) * static_cast<size_t>(perDay) + 1;
    try {
        out.assign(sites.size(), SiteSeries{});
        for (size_t i = 0; i < sites.size(); ++i) {
            SiteSeries& s = out[i];
            s.step = settings.step();
            s.clockShift = static_cast<int32_t>(std::lround((sites[i].gmtOffset - r.clockOffset) * 3600.0));
            s.pdop.resize(count);
            s.satellites.resize(count);
            s.solution.resize(count);
            s.usable.resize(count);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Each site on the common clock: a site's offset decides the clock, not the sky.
    return PlanSitesOverDays(
        settings, sites, r.days, r.workers,
        [&](int d) {
            int day = r.day, month = r.month, year = r.year;
            AddDays(day, month, year, d);
            return PlanInterval(day, month, year, 0, 0, 24, 0);
        },
        r.clockOffset,
        [&](const Calculator& calc, int i, int d) {
            if (calc.windowStart() != 0 || calc.sampleCount() != perDay + 1)
                return false;
            TakeDay(calc, d, d == r.days - 1, out[static_cast<size_t>(i)]);
            return true;
        });
}
