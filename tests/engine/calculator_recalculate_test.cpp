// Recalculate: the sampling window and interval indices, the levels, and the visibility rules.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "almanac_fixture.h"
#include "calculator_test_access.h"
#include "engine/calculator.h"
#include "sites/siteinfo.h"

using namespace almanac_fixture;
using Access = CalculatorTestAccess;

namespace {

constexpr float kDegF = 0.017453292519943295f;

struct WindowCase {
    int step, beginH, beginM, endH, endM;
    int windowStart, windowEnd, first, count;
};

} // namespace

TEST(CalculatorRecalculate, WindowAndIntervalIndices) {
    const WindowCase cases[] = {
        {900, 0, 0, 0, 0, 0, 86400, 0, 97},         // the whole day
        {300, 0, 0, 24, 0, 0, 86400, 0, 289},       // the "24 Hours" button
        {900, 22, 0, 2, 0, 43200, 129600, 40, 17},  // across midnight: 12:00 to 12:00
        {300, 22, 0, 2, 0, 43200, 129600, 120, 49}, //
        {900, 1, 0, 5, 0, 0, 86400, 4, 17},         // would start before midnight: whole day
        {900, 10, 5, 12, 5, 0, 86400, 40, 9},       // 10:00 computed, 10:05 printed
        {300, 10, 5, 12, 5, 0, 86400, 121, 25},     //
        {900, 20, 0, 23, 30, 0, 86400, 80, 15}      // inside the whole-day window: kept
    };
    const SiteInfo site(48, 11, 500, "s", "", 1);
    for (const WindowCase& w : cases) {
        SCOPED_TRACE(testing::Message()
                     << w.step << " " << w.beginH << ":" << w.beginM << "-" << w.endH << ":" << w.endM);
        Calculator c;
        ASSERT_EQ(c.SetTimeStep(w.step), 1);
        EXPECT_EQ(c.Recalculate(site, PlanInterval(10, 3, 2026, w.beginH, w.beginM, w.endH, w.endM), 4), 1);
        EXPECT_EQ(c.windowStart(), w.windowStart);
        EXPECT_EQ(c.windowEnd(), w.windowEnd);
        EXPECT_EQ(c.intervalFirst(), w.first);
        EXPECT_EQ(c.intervalCount(), w.count);
        EXPECT_LE(c.intervalFirst() + c.intervalCount(), c.sampleCount());
        EXPECT_EQ(c.site(), &site);
    }
}

TEST(CalculatorRecalculate, LevelsRecomputeOnlyWhatTheyMustAndTheWindowMovesOnlyWhenLeft) {
    const SiteInfo site(48, 11, 500, "s", "", 1);
    Calculator c; // no almanac: every recomputed series is zero
    const PlanInterval day(10, 3, 2026, 8, 0, 12, 0);
    // A level-4 call on a fresh engine runs level 1 (the arrays were just allocated).
    Access::SetCount(c, 3, 9, 1);
    EXPECT_EQ(c.Recalculate(site, day, 4), 1);
    EXPECT_EQ(c.reallocated(), 0);
    EXPECT_EQ(c.satelliteCount()[3], 0);

    // Inside the window: level 4 leaves the results alone, level 3 redoes them.
    Access::SetCount(c, 3, 9, 1);
    EXPECT_EQ(c.Recalculate(site, PlanInterval(10, 3, 2026, 9, 0, 16, 0), 4), 1);
    EXPECT_EQ(c.windowStart(), 0);
    EXPECT_EQ(c.intervalFirst(), 36);
    EXPECT_EQ(c.satelliteCount()[3], 9);
    EXPECT_EQ(c.Recalculate(site, day, 3), 1);
    EXPECT_EQ(c.satelliteCount()[3], 0);

    // Leaving it re-centres the window and recomputes whatever level was asked.
    Access::SetCount(c, 3, 9, 1);
    EXPECT_EQ(c.Recalculate(site, PlanInterval(10, 3, 2026, 23, 0, 3, 0), 4), 1);
    EXPECT_EQ(c.windowStart(), 46800);
    EXPECT_EQ(c.satelliteCount()[3], 0);

    // A level outside 1..4 moves the indices only.
    Access::SetCount(c, 3, 9, 1);
    EXPECT_EQ(c.Recalculate(site, PlanInterval(10, 3, 2026, 22, 0, 2, 0), 7), 0);
    EXPECT_EQ(c.intervalFirst(), 36);
    EXPECT_EQ(c.satelliteCount()[3], 9);

    // A step change reallocates, so the next call is a full one.
    ASSERT_EQ(c.SetTimeStep(300), 1);
    Access::SetCount(c, 3, 9, 1);
    EXPECT_EQ(c.Recalculate(site, PlanInterval(10, 3, 2026, 22, 0, 2, 0), 4), 1);
    EXPECT_EQ(c.intervalFirst(), 108);
    EXPECT_EQ(c.satelliteCount()[3], 0);

    // Without an almanac nothing happens.
    TempDir dir;
    c.LoadAlmanac(dir.Dir() + "missing");
    Access::SetCount(c, 3, 9, 1);
    EXPECT_EQ(c.Recalculate(site, day, 1), 0);
    EXPECT_EQ(c.intervalFirst(), 108);
    EXPECT_EQ(c.satelliteCount()[3], 9);
}

TEST(CalculatorRecalculate, SatellitesCountOnlyWhenUsableAtThisAndTheNextSample) {
    const SiteInfo site(48, 11, 500, "s", "", 1);
    Calculator c;
    c.SetElevationMask(10 * kDegF);
    Access::SetAllStatuses(c, StatusNoAlmanac);
    const int rising = 0, setting = 33, always = 4, unhealthy = 5, off = 6;
    for (int j : {rising, setting, always})
        Access::SetStatus(c, j, 0);
    Access::SetStatus(c, unhealthy, StatusUnhealthy);
    Access::SetStatus(c, off, StatusDisabled);
    const int n = c.sampleCount();
    for (int k = 0; k < n; ++k) {
        Access::SetDirection(c, rising, k, k < 5 ? 5 * kDegF : 10.5f * kDegF, 1.0f, 1);
        // exactly at the mask is below it
        Access::SetDirection(c, setting, k, k < 10 ? 40 * kDegF : 10 * kDegF, 2.0f, 1);
        for (int j : {always, unhealthy, off})
            Access::SetDirection(c, j, k, 45 * kDegF, 3.0f, 1);
    }
    c.ComputeVisibilityAndDop(site);
    for (int k = 0; k < n; ++k) {
        EXPECT_EQ(Access::Sample(c, rising, k).visible, k >= 5 ? 1 : 0) << k;
        EXPECT_EQ(Access::Sample(c, setting, k).visible, k < 9 ? 1 : 0) << k;
        EXPECT_EQ(Access::Sample(c, always, k).visible, 1) << k;
        EXPECT_EQ(Access::Sample(c, unhealthy, k).visible, 1) << k; // healthiness is not the user's choice
        EXPECT_EQ(Access::Sample(c, off, k).visible, 0) << k;
        EXPECT_EQ(c.satelliteCount()[k], (k >= 5 ? 1 : 0) + (k < 9 ? 1 : 0) + 2) << k;
    }
    // A NaN elevation is not visible.
    Access::SetDirection(c, always, 20, std::nanf(""), 3.0f, 1);
    c.ComputeVisibilityAndDop(site);
    EXPECT_EQ(Access::Sample(c, always, 19).visible, 0);
    EXPECT_EQ(Access::Sample(c, always, 20).visible, 0);
    EXPECT_EQ(Access::Sample(c, always, 21).visible, 1);
}

TEST(CalculatorRecalculate, ObstructionsHideExactlyTheSamplesBehindThem) {
    // Elevation/azimuth outline whose containment is worked out on the projected grid: it holds
    // (10, 100) and (30, 100) but not (10, 60), (10, 140) nor (50, 100).
    SiteInfo site(48, 11, 500, "s", "", 1);
    Obstruction o;
    for (const auto& [e, a] : std::vector<std::pair<double, double>>{{0, 80}, {40, 100}, {0, 120}, {0, 80}})
        o.Add(point<double>(e, a));
    site.obstructions.Add(o);

    Calculator c;
    Access::SetAllStatuses(c, StatusNoAlmanac);
    const struct {
        int index;
        float elevation, azimuth;
        bool hidden;
    } fixed[] = {
        {0, 10, 100, true}, {1, 30, 100, true}, {2, 10, 60, false}, {3, 10, 140, false}, {4, 50, 100, false}};
    const int moving = 40;
    for (const auto& f : fixed)
        Access::SetStatus(c, f.index, 0);
    Access::SetStatus(c, moving, 0);
    const int n = c.sampleCount();
    for (int k = 0; k < n; ++k) {
        for (const auto& f : fixed)
            Access::SetDirection(c, f.index, k, f.elevation * kDegF, f.azimuth * kDegF, 0);
        // (10, 60) for samples 0..4, behind the obstruction at (10, 100) for 5..9, then (10, 140)
        const float azimuth = k < 5 ? 60.f : k < 10 ? 100.f : 140.f;
        Access::SetDirection(c, moving, k, 10 * kDegF, azimuth * kDegF, 0);
    }
    c.ComputeVisibilityAndDop(site);
    for (int k = 0; k < n; ++k) {
        for (const auto& f : fixed)
            EXPECT_EQ(Access::Sample(c, f.index, k).visible, f.hidden ? 0 : 1) << f.index << " at " << k;
        EXPECT_EQ(Access::Sample(c, moving, k).visible, k < 4 || k >= 10 ? 1 : 0) << k;
    }
    c.SetObstructionsOn(0);
    c.ComputeVisibilityAndDop(site);
    for (int k = 0; k < n; ++k) {
        EXPECT_EQ(c.satelliteCount()[k], 6) << k;
        EXPECT_EQ(Access::Sample(c, 0, k).visible, 1) << k;
    }
}

TEST(CalculatorRecalculate, SwitchedOffSatelliteKeepsItsPositionsButIsNeverVisible) {
    TempDir dir;
    const std::string path = dir.Write("a", FullAlmanac().b);
    const SiteInfo site(48, 11, 500, "s", "", 1);
    const PlanInterval interval(10, 3, 2026, 0, 0, 24, 0);
    Calculator on, off;
    on.LoadAlmanac(path);
    off.LoadAlmanac(path);
    ASSERT_EQ(off.SetSatelliteState(3, 1), 1);
    ASSERT_EQ(on.Recalculate(site, interval, 1), 1);
    ASSERT_EQ(off.Recalculate(site, interval, 1), 1);
    int seen = 0;
    for (int k = 0; k < on.sampleCount(); ++k) {
        const SatSample& a = on.samples(2)[k];
        const SatSample& b = off.samples(2)[k];
        EXPECT_EQ(a.x, b.x);
        EXPECT_EQ(a.y, b.y);
        EXPECT_EQ(a.z, b.z);
        EXPECT_EQ(a.azimuth, b.azimuth);
        EXPECT_EQ(a.elevation, b.elevation);
        EXPECT_EQ(b.visible, 0);
        seen += a.visible;
        EXPECT_EQ(on.satelliteCount()[k] - off.satelliteCount()[k], a.visible) << k;
    }
    EXPECT_GT(seen, 0); // it does rise over the day
}

TEST(CalculatorRecalculate, AllocatesNothing) {
    TempDir dir;
    SiteInfo site(48, 11, 500, "s", "", 1);
    Obstruction o;
    for (const auto& [e, a] : std::vector<std::pair<double, double>>{{0, 0}, {60, 90}, {0, 180}, {0, 0}})
        o.Add(point<double>(e, a));
    site.obstructions.Add(o);
    Calculator c;
    ASSERT_EQ(c.SetTimeStep(300), 1);
    c.LoadAlmanac(dir.Write("a", FullAlmanac().b));
    auto pointers = [&c] {
        std::vector<const void*> p;
        for (int j = 0; j < kSatellites; ++j)
            p.push_back(c.samples(j));
        for (const void* s :
             {static_cast<const void*>(c.pdop()), static_cast<const void*>(c.gdop()),
              static_cast<const void*>(c.hdop()), static_cast<const void*>(c.vdop()),
              static_cast<const void*>(c.tdop()), static_cast<const void*>(c.satelliteCount()),
              static_cast<const void*>(c.solutionFlag())})
            p.push_back(s);
        return p;
    };
    const std::vector<const void*> before = pointers();
    for (int level : {1, 2, 3, 4}) {
        ASSERT_EQ(c.Recalculate(site, PlanInterval(10, 3, 2026, 22, 0, 2, 0), level), 1);
        EXPECT_EQ(pointers(), before) << level;
    }
    EXPECT_GT(c.solutionFlag()[100], 0);
}

TEST(CalculatorRecalculate, ObstructionTestAgreesWithTheSiteOverTheWholeSky) {
    // The engine projects the outlines once per run; its answers must be the site's own everywhere.
    const std::vector<std::vector<std::pair<double, double>>> outlines = {
        {{0, 80}, {40, 100}, {0, 120}, {0, 80}},
        {{0, 90}, {30, 90}, {30, 180}, {0, 180}, {0, 90}},
        {{0, 340}, {25, 350}, {5, 0}, {35, 10}, {0, 20}}, // across north, not closed, concave
        {{60, 200}, {85, 230}, {70, 300}, {89, 250}},     // high up, round the zenith side
        {{20, 45}},                                       // a single vertex hides nothing
    };
    // All of them, only those on the horizon, only the high one: the quick ring test then rejects
    // different parts of the sky.
    for (const std::vector<size_t>& chosen : {std::vector<size_t>{0, 1, 2, 3, 4}, {0, 1, 2}, {3}}) {
        SiteInfo site(48, 11, 500, "s", "", 1);
        for (size_t i : chosen) {
            Obstruction o;
            for (const auto& [e, a] : outlines[i])
                o.Add(point<double>(e, a));
            site.obstructions.Add(o);
        }
        Calculator c;
        Access::SetAllStatuses(c, 0);
        const int n = c.sampleCount();
        int hidden = 0, directions = 0;
        // One degree in elevation by 1.5 deg in azimuth over four runs: every sample a new direction.
        for (int row = 0; row < 4; ++row) {
            for (int j = 0; j < kSatellites; ++j)
                for (int k = 0; k < n; ++k) {
                    const int g = (row * kSatellites + j) * n + k;
                    const float e = static_cast<float>(0.5 + g % 90);
                    const float a = static_cast<float>(std::fmod(0.2 + 1.5 * (g / 90), 360.0));
                    Access::SetDirection(c, j, k, e * kDegF, a * kDegF, 0);
                }
            c.ComputeVisibilityAndDop(site);
            for (int j = 0; j < kSatellites; ++j)
                for (int k = 0; k < n; ++k) {
                    auto free = [&](int m) {
                        const SatSample& s = Access::Sample(c, j, m);
                        const point<double> d(static_cast<float>(s.elevation * 57.29577951308232),
                                              static_cast<float>(s.azimuth * 57.29577951308232));
                        return site.FindObstruction(d) < 0;
                    };
                    const int next = k + 1 < n ? k + 1 : k;
                    ASSERT_EQ(Access::Sample(c, j, k).visible, free(k) && free(next) ? 1 : 0)
                        << j << " at " << k;
                    hidden += free(k) ? 0 : 1;
                    ++directions;
                }
        }
        EXPECT_GT(hidden, 50) << chosen.size(); // the sweep does cross the outlines
        EXPECT_LT(hidden, directions / 4) << chosen.size();
    }
}

TEST(CalculatorRecalculate, ASiteWithoutValidValuesIsNotPlannedAndShowsNothing) {
    const SiteInfo good(48, 11, 500, "s", "", 1);
    const PlanInterval day(10, 3, 2026, 8, 0, 12, 0);
    Calculator c;
    ASSERT_EQ(c.Recalculate(good, day, 1), 1);
    for (const SiteInfo& bad : {SiteInfo(std::nan(""), 11, 500, "n", "", 1),
                                SiteInfo(48, 1e300, 500, "l", "", 1), SiteInfo(48, 11, 500, "g", "", 100)}) {
        Access::SetCount(c, 3, 9, 1); // results of the site before
        EXPECT_EQ(c.Recalculate(bad, day, 4), 0) << bad.name;
        EXPECT_EQ(c.satelliteCount()[3], 0) << bad.name; // not the other site's results
        EXPECT_EQ(c.solutionFlag()[3], 0) << bad.name;
    }
    // The next usable site is computed from the positions on, whatever level is asked.
    Access::SetCount(c, 3, 9, 1);
    EXPECT_EQ(c.Recalculate(good, day, 4), 1);
    EXPECT_EQ(c.satelliteCount()[3], 0);
}
