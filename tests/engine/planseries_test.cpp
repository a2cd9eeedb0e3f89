// Series over several days, checked against the Calculator run day by day on its own.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "engine/calculator.h"
#include "engine/calendar.h"
#include "engine/planseries.h"
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

TEST(PlanSeries, BlocksCoverEveryTaskOnce) {
    for (auto [count, workers] : {std::pair{0, 3}, {1, 4}, {7, 2}, {10, 3}, {5, 1}, {3, 8}}) {
        std::vector<std::atomic<int>> seen(static_cast<size_t>(count));
        std::atomic<int> maxWorker{0};
        RunInBlocks(count, workers, [&](int w, int begin, int end) {
            for (int i = begin; i < end; ++i)
                ++seen[static_cast<size_t>(i)];
            if (w > maxWorker)
                maxWorker = w;
        });
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(seen[static_cast<size_t>(i)], 1) << count << " tasks, " << workers << " workers";
        EXPECT_LT(maxWorker, std::max(1, workers));
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
    ASSERT_TRUE(ComputeSeries(settings, sites, r, out));
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
    ASSERT_TRUE(ComputeSeries(settings, sites, r, open));
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
    ASSERT_TRUE(ComputeSeries(settings, sites, r, one));
    r.workers = 2;
    ASSERT_TRUE(ComputeSeries(settings, sites, r, two));
    for (size_t i = 0; i < sites.size(); ++i) {
        EXPECT_EQ(one[i].usable, two[i].usable) << i;
        EXPECT_EQ(one[i].pdop, two[i].pdop) << i;
    }
    EXPECT_EQ(one[1].clockShift, 7200);
    EXPECT_EQ(one[2].clockShift, 36000);

    std::vector<SiteSeries> own;
    r.clockOffset = 2;
    ASSERT_TRUE(ComputeSeries(settings, {sites[1]}, r, own));
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
    EXPECT_FALSE(ComputeSeries(empty, {Hillside(0)}, r, out));
    Calculator settings;
    Configure(settings);
    EXPECT_FALSE(ComputeSeries(settings, {}, r, out));
    r.day = 30;
    r.month = 12;
    r.year = 2099;
    r.days = 3; // beyond 2099-12-31
    EXPECT_FALSE(ComputeSeries(settings, {Hillside(0)}, r, out));
    r.days = 2;
    EXPECT_TRUE(ComputeSeries(settings, {Hillside(0)}, r, out));
}
