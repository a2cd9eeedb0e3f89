// Series over several days, checked against the Calculator run day by day on its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "engine/calculator.h"
#include "engine/calendar.h"
#include "engine/planseries.h"
#include "engine/vectorkernels.h"
#include "sites/siteinfo.h"

namespace {

const std::string kAlmanac = TAVRIN_BINARY_DIR "/almanacs/alm25.223"; // made for 2025-08-11
constexpr int kStep = 900;
constexpr int kPerDay = 86400 / kStep;
constexpr float kCutoff = 10 * 0.017453292519943295f;
constexpr float kPdopTolerance = 1e-5f; // dimensionless; the same sums in the same order

void Configure(Calculator& c) {
    c.LoadAlmanac(kAlmanac);
    ASSERT_EQ(c.loadState(), kLoadOk);
    c.SetTimeStep(kStep);
    c.SetElevationMask(kCutoff);
    c.SetSatelliteState(5, 1); // G05 off
}

SiteInfo Hillside(float gmtOffset) {
    SiteInfo s(47.07, 15.44, 350, "Hillside", "", gmtOffset);
    Obstruction ridge; // the eastern sky below 40 degrees
    for (auto [el, az] : {std::pair{0.0, 60.0}, {40.0, 60.0}, {40.0, 150.0}, {0.0, 150.0}})
        ridge.Add(point<double>(el, az));
    s.obstructions.Add(ridge);
    return s;
}

SatelliteSet UsedAt(const Calculator& c, int k) {
    SatelliteSet used;
    for (int j = 0; j < SatelliteCatalogue::kSize; ++j)
        if (c.samples(j)[k].visible == 1)
            used.set(static_cast<size_t>(j));
    return used;
}

// `days` days from the almanac's own, 11 August 2025, on a clock `clockOffset` hours from GMT.
SeriesRequest OnAlmanacDay(int days, float clockOffset) {
    SeriesRequest r;
    r.day = 11;
    r.month = 8;
    r.year = 2025;
    r.days = days;
    r.clockOffset = clockOffset;
    return r;
}

} // namespace

TEST(PlanSeries, AddDaysAcrossMonthsYearsAndTheLimits) {
    struct Case {
        int day, month, year, add;
        bool ok;
        int toDay, toMonth, toYear;
    } cases[] = {
        {28, 2, 2024, 1, true, 29, 2, 2024},  {28, 2, 2025, 1, true, 1, 3, 2025},
        {31, 12, 2025, 1, true, 1, 1, 2026},  {1, 3, 2024, -1, true, 29, 2, 2024},
        {11, 8, 2025, 30, true, 10, 9, 2025}, {31, 12, 2099, 1, false, 31, 12, 2099},
        {1, 3, 1901, -1, false, 1, 3, 1901},  {30, 2, 2025, 1, false, 30, 2, 2025},
    };
    for (const Case& c : cases) {
        int d = c.day, m = c.month, y = c.year;
        EXPECT_EQ(AddDays(d, m, y, c.add), c.ok)
            << c.day << "." << c.month << "." << c.year << " + " << c.add;
        EXPECT_EQ(d, c.toDay);
        EXPECT_EQ(m, c.toMonth);
        EXPECT_EQ(y, c.toYear);
    }
}

TEST(PlanSeries, SitesAreHandedOverInOrderWithoutRunningFarAhead) {
    Calculator settings;
    Configure(settings);
    struct Case {
        int sites, days, workers, blockSites;
        int stopAt; // done answers false for this site; -1 never
    } cases[] = {
        {1, 3, 1, 1, -1}, {7, 2, 2, 1, -1}, {20, 1, 3, 2, -1}, {12, 2, 2, 3, -1}, {10, 1, 2, 1, 4},
    };
    for (const Case& c : cases) {
        std::vector<SiteInfo> sites;
        for (int i = 0; i < c.sites; ++i)
            sites.push_back(Hillside(static_cast<float>(i % 3)));
        std::vector<std::atomic<int>> taken(static_cast<size_t>(c.sites));
        std::vector<int> order;
        std::atomic<int> doneCount{0}, tooFarAhead{0}, takes{0};
        const PlanRunResult result = PlanSitesOverDays(
            settings, sites, c.days, c.workers, c.blockSites,
            [](int d) { return PlanInterval(11 + d, 8, 2025, 0, 0, 24, 0); }, std::nullopt,
            [&](const Calculator&, int i, int) {
                // A block is begun only while fewer than 2 x workers blocks wait to be handed over.
                if (i / c.blockSites >= doneCount / c.blockSites + 2 * c.workers)
                    ++tooFarAhead;
                ++taken[static_cast<size_t>(i)];
                ++takes;
                return true;
            },
            [&](int i) {
                // A slow writer: the other workers get every chance to run ahead.
                for (int wait = 0; i == 0 && wait < 500 && takes < c.sites * c.days; ++wait)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                EXPECT_EQ(taken[static_cast<size_t>(i)], c.days) << "site " << i << " handed over unfinished";
                order.push_back(i);
                ++doneCount;
                return i != c.stopAt;
            });
        const int handed = c.stopAt < 0 ? c.sites : c.stopAt + 1;
        EXPECT_EQ(result, c.stopAt < 0 ? PlanRunResult::Done : PlanRunResult::Stopped) << c.sites;
        ASSERT_EQ(static_cast<int>(order.size()), handed) << c.sites;
        for (int i = 0; i < handed; ++i)
            EXPECT_EQ(order[static_cast<size_t>(i)], i);
        EXPECT_EQ(tooFarAhead, 0) << c.sites << " sites, " << c.workers << " workers";
    }
    EXPECT_GE(WorkerCount(100), 1);
    EXPECT_EQ(WorkerCount(1), 1);
}

TEST(PlanSeries, DaysJoinAsTheCalculatorComputesEachDay) {
    Calculator settings;
    Configure(settings);
    const std::vector<SiteInfo> sites = {Hillside(1)};
    SeriesRequest r = OnAlmanacDay(2, 1);
    std::vector<SiteSeries> out;
    ASSERT_EQ(ComputeSeries(settings, sites, r, out), PlanRunResult::Done);
    ASSERT_EQ(out.size(), 1u);
    const SiteSeries& s = out[0];
    ASSERT_EQ(s.Count(), 2 * kPerDay + 1);
    EXPECT_EQ(s.clockShift, 0);

    for (int d = 0; d < 2; ++d) {
        Calculator day;
        Configure(day);
        ASSERT_EQ(day.Recalculate(sites[0], PlanInterval(11 + d, 8, 2025, 0, 0, 24, 0), 1), 1);
        // the closing 24:00 sample of the first day is the second day's 00:00
        const int samples = d == 1 ? kPerDay + 1 : kPerDay;
        for (int k = 0; k < samples; ++k) {
            const size_t at = static_cast<size_t>(d * kPerDay + k);
            ASSERT_EQ(s.satellites[at], day.satelliteCount()[k]) << d << " " << k;
            ASSERT_EQ(s.solution[at], day.solutionFlag()[k]);
            ASSERT_EQ(s.usable[at], UsedAt(day, k));
            ASSERT_NEAR(s.pdop[at], day.pdop()[k], kPdopTolerance);
        }
    }
    // G05 is switched off and never used; without the ridge the sky holds at least as much
    for (int k = 0; k < s.Count(); ++k)
        EXPECT_FALSE(s.usable[static_cast<size_t>(k)].test(4));
    settings.SetObstructionsOn(0);
    std::vector<SiteSeries> open;
    ASSERT_EQ(ComputeSeries(settings, sites, r, open), PlanRunResult::Done);
    int more = 0;
    for (int k = 0; k < s.Count(); ++k) {
        const size_t at = static_cast<size_t>(k);
        EXPECT_TRUE((s.usable[at] & ~open[0].usable[at]).none()) << k;
        more += open[0].satellites[at] > s.satellites[at];
    }
    EXPECT_GT(more, 0);
}

TEST(PlanSeries, SitesOnOneClockAreShiftedCopiesOfTheirOwn) {
    Calculator settings;
    Configure(settings);
    // Two hours east of the common clock: its own series runs eight samples ahead.
    const std::vector<SiteInfo> sites = {Hillside(0), Hillside(2),
                                         SiteInfo(-33.86, 151.2, 40, "Harbour", "", 10)};
    SeriesRequest r = OnAlmanacDay(2, 0);
    r.workers = 1;
    std::vector<SiteSeries> one, two;
    ASSERT_EQ(ComputeSeries(settings, sites, r, one), PlanRunResult::Done);
    r.workers = 2;
    ASSERT_EQ(ComputeSeries(settings, sites, r, two), PlanRunResult::Done);
    for (size_t i = 0; i < sites.size(); ++i) {
        EXPECT_EQ(one[i].usable, two[i].usable) << i;
        EXPECT_EQ(one[i].pdop, two[i].pdop) << i;
    }
    EXPECT_EQ(one[1].clockShift, 7200);
    EXPECT_EQ(one[2].clockShift, 36000);

    std::vector<SiteSeries> own;
    r.clockOffset = 2;
    ASSERT_EQ(ComputeSeries(settings, {sites[1]}, r, own), PlanRunResult::Done);
    // own sample k + 8 is the common clock's sample k; the last sample of a series is judged
    // without a next one, so both series' last samples are left out
    const int shift = 7200 / kStep;
    for (int k = 0; k + shift < own[0].Count() - 1; ++k) {
        const size_t common = static_cast<size_t>(k), local = static_cast<size_t>(k + shift);
        ASSERT_EQ(one[1].usable[common], own[0].usable[local]) << k;
        ASSERT_EQ(one[1].satellites[common], own[0].satellites[local]) << k;
        ASSERT_NEAR(one[1].pdop[common], own[0].pdop[local], kPdopTolerance) << k;
    }
    // A site at the same place on the common clock sees the same sky as the shifted one.
    EXPECT_EQ(one[0].usable, one[1].usable);
}

TEST(PlanSeries, RefusesWhatItCannotCompute) {
    Calculator empty; // no almanac
    std::vector<SiteSeries> out;
    SeriesRequest r = OnAlmanacDay(1, 0);
    EXPECT_EQ(ComputeSeries(empty, {Hillside(0)}, r, out), PlanRunResult::Failed);
    Calculator settings;
    Configure(settings);
    EXPECT_EQ(ComputeSeries(settings, {}, r, out), PlanRunResult::Failed);
    r.day = 30;
    r.month = 12;
    r.year = 2099;
    r.days = 3; // beyond 2099-12-31
    EXPECT_EQ(ComputeSeries(settings, {Hillside(0)}, r, out), PlanRunResult::Failed);
    r.days = 2;
    EXPECT_EQ(ComputeSeries(settings, {Hillside(0)}, r, out), PlanRunResult::Done);
}

TEST(PlanSeries, LeanCalculatorsReadAsFullOnesWhereVisibilityAndDopLook) {
    const SiteInfo site = Hillside(1);
    const PlanInterval day(11, 8, 2025, 0, 0, 24, 0);
    Calculator full, lean;
    Configure(full);
    Configure(lean);
    lean.SetOnlyNearTheSky(true);
    // The cut-off raised, then lowered and the ridge ignored for level 3 alone: the lean one must
    // compute again what it left out.
    struct Step {
        double degrees;
        int obstructions, level;
    };
    int nadir = 0, zenith = 0;
    for (const Step& step : {Step{20, 1, 1}, Step{5, 1, 3}, Step{5, 0, 3}}) {
        for (Calculator* c : {&full, &lean}) {
            c->SetElevationMask(static_cast<float>(step.degrees * 0.017453292519943295));
            c->SetObstructionsOn(step.obstructions);
            ASSERT_EQ(c->Recalculate(site, day, step.level), 1);
        }
        for (int k = 0; k < full.sampleCount(); ++k) {
            ASSERT_EQ(full.satelliteCount()[k], lean.satelliteCount()[k]) << step.degrees << " " << k;
            ASSERT_EQ(full.pdop()[k], lean.pdop()[k]);
            ASSERT_EQ(UsedAt(full, k), UsedAt(lean, k));
            for (int j = 0; j < SatelliteCatalogue::kSize; ++j) {
                const SatSample &a = full.samples(j)[k], &b = lean.samples(j)[k];
                if (std::fabs(b.elevation) == 1.57079637f && a.elevation != b.elevation) {
                    (b.elevation < 0 ? nadir : zenith)++;
                    EXPECT_EQ(a.elevation > full.elevationMask(), b.elevation > 0) << j << " " << k;
                } else {
                    ASSERT_EQ(a.elevation, b.elevation) << j << " " << k;
                    ASSERT_EQ(a.azimuth, b.azimuth);
                }
            }
        }
    }
    // Whole runs are left out only where the kernels run.
    EXPECT_EQ(nadir > 0 && zenith > 0, ActiveKernels() != nullptr);
}
