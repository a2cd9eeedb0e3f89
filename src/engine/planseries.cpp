#include "engine/planseries.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "engine/calculator.h"
#include "engine/calendar.h"
#include "engine/planinterval.h"
#include "sites/siteinfo.h"

namespace {

// Something to plan with: a loaded almanac or navigation records.
bool HasOrbits(const Calculator& settings) {
    return settings.loadState() == kLoadOk &&
           (!settings.almanacFileName().empty() || settings.broadcast().RecordCount() != 0);
}

} // namespace

bool CopyCalculatorSettings(const Calculator& settings, Calculator& into) {
    if (!HasOrbits(settings))
        return false;
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

void TakeDay(const Calculator& calc, int d, bool lastDay, SiteSeries& s) {
    const int32_t perDay = calc.sampleCount() - 1;
    const int32_t take = lastDay ? perDay + 1 : perDay;
    const size_t base = static_cast<size_t>(d) * static_cast<size_t>(perDay);
    for (int32_t k = 0; k < take; ++k) {
        const size_t at = base + static_cast<size_t>(k);
        s.pdop[at] = calc.pdop()[k];
        s.satellites[at] = calc.satelliteCount()[k];
        s.solution[at] = calc.solutionFlag()[k];
        SatelliteSet& used = s.usable[at];
        used.reset();
        const int16_t* list = calc.usedAt(k);
        for (int32_t e = 0; e < calc.satelliteCount()[k]; ++e)
            used.set(static_cast<size_t>(list[e]));
    }
}

namespace {

// Who plans which block and how far the workers may run ahead of the sites handed over.
class BlockQueue {
public:
    BlockQueue(int blocks, int ahead)
        : complete_(static_cast<size_t>(blocks)), blocks_(blocks), ahead_(ahead) {}

    // The next block to plan, or -1 when there is none or everything stops. `wait`: until the
    // look-ahead allows one.
    int Next(bool wait) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wait)
            changed_.wait(lock,
                          [&] { return stopped_ || handed_ >= blocks_ || handed_ < handedOver_ + ahead_; });
        if (stopped_ || handed_ >= blocks_ || handed_ >= handedOver_ + ahead_)
            return -1;
        return handed_++;
    }
    void Finished(int block, PlanRunResult result) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (result == PlanRunResult::Done) {
                complete_[static_cast<size_t>(block)] = 1;
            } else if (!stopped_) {
                stopped_ = true;
                result_ = result;
            }
            stopping_ = stopped_;
        }
        changed_.notify_all();
    }
    // The next block in order once it is complete, -1 when everything is handed over or stops;
    // `wait`: until one is complete or nothing is left to wait for.
    int Complete(bool wait) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wait)
            changed_.wait(lock, [&] {
                return stopped_ || handedOver_ >= blocks_ || complete_[static_cast<size_t>(handedOver_)];
            });
        if (stopped_ || handedOver_ >= blocks_ || !complete_[static_cast<size_t>(handedOver_)])
            return -1;
        return handedOver_;
    }
    void HandedOver() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++handedOver_;
        }
        changed_.notify_all();
    }
    bool AllHandedOver() {
        std::lock_guard<std::mutex> lock(mutex_);
        return handedOver_ >= blocks_;
    }
    bool Stopping() const { return stopping_; }
    PlanRunResult Result() {
        std::lock_guard<std::mutex> lock(mutex_);
        return result_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<char> complete_;
    const int blocks_, ahead_;
    int handed_ = 0, handedOver_ = 0;
    bool stopped_ = false;
    std::atomic<bool> stopping_{false}; // read by workers between sites
    PlanRunResult result_ = PlanRunResult::Done;
};

} // namespace

PlanRunResult PlanSitesOverDays(const Calculator& settings, const std::vector<SiteInfo>& sites, int days,
                                int workers, int blockSites,
                                const std::function<PlanInterval(int day)>& intervalOf,
                                std::optional<float> commonClock,
                                const std::function<bool(const Calculator&, int site, int day)>& take,
                                const std::function<bool(int site)>& done, PlanReads reads) {
    const int count = static_cast<int>(sites.size());
    if (count == 0 || days < 1)
        return PlanRunResult::Failed;
    workers = std::max(1, std::min(workers, count));
    blockSites = std::max(1, blockSites);
    const int blocks = static_cast<int>((static_cast<int64_t>(count) + blockSites - 1) / blockSites);
    // Everything a worker touches is made here; the sites are only read.
    std::vector<std::unique_ptr<Calculator>> calcs;
    try {
        for (int w = 0; w < workers; ++w) {
            calcs.push_back(std::make_unique<Calculator>());
            if (!CopyCalculatorSettings(settings, *calcs.back()))
                return HasOrbits(settings) ? PlanRunResult::OutOfMemory : PlanRunResult::Failed;
            calcs.back()->SetOnlyNearTheSky(reads == PlanReads::VisibilityAndDop);
        }
    } catch (const std::bad_alloc&) {
        return PlanRunResult::OutOfMemory;
    }
    const auto clockOf = [&](int i) {
        return commonClock ? *commonClock : sites[static_cast<size_t>(i)].gmtOffset;
    };
    // Without `done` nothing waits to be written, and the workers may run to the end.
    BlockQueue queue(blocks, done ? 2 * workers : blocks);
    const auto plan = [&](Calculator& calc, int block) {
        const int begin = block * blockSites, end = std::min(count, begin + blockSites);
        try {
            for (int d = 0; d < days; ++d) {
                const PlanInterval interval = intervalOf(d);
                for (int i = begin; i < end; ++i) {
                    if (queue.Stopping())
                        return PlanRunResult::Stopped;
                    // Sites on the same clock share the day's orbits: only the first computes them.
                    const bool sameClock = i > begin && clockOf(i - 1) == clockOf(i);
                    if (!calc.Recalculate(sites[static_cast<size_t>(i)], clockOf(i), interval,
                                          sameClock ? 2 : 1))
                        return PlanRunResult::Failed;
                    if (!take(calc, i, d))
                        return PlanRunResult::Stopped;
                }
            }
        } catch (const std::bad_alloc&) {
            return PlanRunResult::OutOfMemory;
        }
        return PlanRunResult::Done;
    };
    const auto work = [&](int w) {
        for (int b; (b = queue.Next(true)) >= 0;)
            queue.Finished(b, plan(*calcs[static_cast<size_t>(w)], b));
    };
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work, w);
        } catch (const std::system_error&) {
            break; // fewer threads: the calling one plans what is left
        } catch (const std::bad_alloc&) {
            break;
        }
    }
    // The calling thread hands over each block as soon as it is complete, and plans while none is.
    while (!queue.AllHandedOver()) {
        const int ready = queue.Complete(false);
        if (ready >= 0) {
            const int begin = ready * blockSites, end = std::min(count, begin + blockSites);
            PlanRunResult result = PlanRunResult::Done;
            try {
                for (int i = begin; i < end && done && result == PlanRunResult::Done; ++i)
                    if (!done(i))
                        result = PlanRunResult::Stopped;
            } catch (const std::bad_alloc&) {
                result = PlanRunResult::OutOfMemory;
            }
            if (result != PlanRunResult::Done) {
                queue.Finished(ready, result);
                break;
            }
            queue.HandedOver();
            continue;
        }
        if (const int next = queue.Next(false); next >= 0)
            queue.Finished(next, plan(*calcs[0], next));
        else if (queue.Complete(true) < 0)
            break; // stopped
    }
    for (std::thread& t : threads)
        t.join();
    return queue.Result();
}

PlanRunResult ComputeSeries(const Calculator& settings, const std::vector<SiteInfo>& sites,
                            const SeriesRequest& r, std::vector<SiteSeries>& out) {
    if (settings.loadState() != kLoadOk || settings.step() <= 0 || r.days < 1 || sites.empty())
        return PlanRunResult::Failed;
    // The common clock keeps to the range of a site's own offset (false for NaN).
    if (!(r.clockOffset >= -12 && r.clockOffset <= 14))
        return PlanRunResult::Failed;
    int lastDay = r.day, lastMonth = r.month, lastYear = r.year;
    if (!AddDays(lastDay, lastMonth, lastYear, r.days - 1))
        return PlanRunResult::Failed;
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
        return PlanRunResult::OutOfMemory;
    }
    // Each site on the common clock: a site's offset decides the clock, not the sky. One block per
    // worker: every result has its place in `out`, and nothing waits to be written.
    const int workers = std::max(1, r.workers), siteCount = static_cast<int>(sites.size());
    const PlanRunResult result = PlanSitesOverDays(
        settings, sites, r.days, workers, (siteCount + workers - 1) / workers,
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
        },
        nullptr, PlanReads::VisibilityAndDop);
    // Only a window unlike the one asked for stops a series.
    return result == PlanRunResult::Stopped ? PlanRunResult::Failed : result;
}
