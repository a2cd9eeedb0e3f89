#include <gtest/gtest.h>

#include <cmath>

#include "almanac_fixture.h"
#include "engine/calculator.h"
#include "engine/gnsstime.h"
#include "engine/orbit.h"

using namespace almanac_fixture;

TEST(Calculator, StartsEmptyWithAQuarterHourStep) {
    Calculator c;
    EXPECT_EQ(c.loadState(), kLoadOk);
    EXPECT_EQ(c.step(), 900);
    EXPECT_EQ(c.sampleCount(), 97);
    EXPECT_EQ(c.windowStart(), 0);
    EXPECT_EQ(c.windowEnd(), 86400);
    EXPECT_EQ(c.mode(), 0);
    EXPECT_EQ(c.obstructionsOn(), 1);
    EXPECT_EQ(c.reallocated(), 1);
    for (int k = 0; k < 56; ++k)
        EXPECT_EQ(c.status(k), StatusNoAlmanac);
    EXPECT_EQ(c.AlmanacAgeClass(MakeCalendarTime(0, 0, 0, 1, 1, 2026), 60), 0);
}

TEST(Calculator, TimeStepReallocatesZeroedSeries) {
    TempDir dir;
    Calculator c;
    c.LoadAlmanac(dir.Write("a", FullAlmanac().b));
    c.ComputePositions(MakeCalendarTime(0, 0, 0, 1, 3, 2026));
    ASSERT_NE(c.samples(0)[96].x, 0.0f);

    EXPECT_EQ(c.SetTimeStep(900), 1); // unchanged: nothing reallocated
    EXPECT_NE(c.samples(0)[96].x, 0.0f);
    EXPECT_EQ(c.SetTimeStep(300), 1);
    EXPECT_EQ(c.sampleCount(), 289);
    EXPECT_EQ(c.step(), 300);
    EXPECT_EQ(c.reallocated(), 1);
    for (int k = 0; k < 289; ++k) {
        EXPECT_EQ(c.samples(0)[k].x, 0.0f);
        EXPECT_EQ(c.tdop()[k], 0.0f);
        EXPECT_EQ(c.solutionFlag()[k], 0);
    }
    for (int bad : {0, -900})
        EXPECT_EQ(c.SetTimeStep(bad), 0) << bad;
    EXPECT_EQ(c.step(), 300);

    // without an almanac the step cannot change; a later load does not apply it
    c.LoadAlmanac(dir.Dir() + "missing");
    EXPECT_EQ(c.SetTimeStep(900), 0);
    EXPECT_EQ(c.step(), 300);
    c.LoadAlmanac(dir.Dir() + "a");
    EXPECT_EQ(c.step(), 300);
    EXPECT_EQ(c.SetTimeStep(900), 1);
    EXPECT_EQ(c.sampleCount(), 97);
}

TEST(Calculator, PositionsFollowUtcForGpsAndUtcPlusThreeHoursForGlonass) {
    // 31 December 2003, 22:00 UTC: GLONASS time is already 01:00 on 1 January 2004, day 1 of a
    // new four-year period.
    TempDir dir;
    Bytes f = FullAlmanac();
    GpsFields g;
    g.week = 1251 % 256;
    g.referenceWeek = 1251;
    PutGps(f, 0, 4, g);
    GpsFields code63;
    code63.healthCode = 63; // unhealthy: switched off, but still propagated
    PutGps(f, 0, 5, code63);
    PutGps(f, 0, 6, GpsFields{.e = 0.5f}); // no almanac
    GlonassFields r;
    r.n = 1460;
    PutGlonass(f, 2240, 2, r);
    PutGlonass(f, 2240, 3, GlonassFields{.channel = 40}); // no almanac
    Calculator c;
    ASSERT_EQ(c.SetTimeStep(300), 1);
    c.LoadAlmanac(dir.Write("a", f.b));
    ASSERT_EQ(c.status(5), 5);
    ASSERT_EQ(c.status(6), StatusNoAlmanac);
    ASSERT_EQ(c.status(32 + 3), StatusNoAlmanac);

    const CalendarTime start = MakeCalendarTime(22, 0, 0, 31, 12, 2003);
    const GpsTime gpsStart = ToGpsTime(start);
    ASSERT_EQ(gpsStart.week, 1251);
    c.ComputePositions(start);

    const GpsAlmanacRecord& prn5 = c.gpsRecords()[4];
    const GlonassAlmanacRecord& slot3 = c.glonassRecords()[2];
    for (int k : {0, 1, 23, 24, 100, 288}) {
        float x, y, z;
        GpsTime t = gpsStart;
        AddSeconds(t, 300.0 * k);
        GpsPosition(prn5, t.week, t.seconds, x, y, z);
        EXPECT_EQ(c.samples(4)[k].x, x) << k;
        EXPECT_EQ(c.samples(4)[k].z, z) << k;
        GpsPosition(c.gpsRecords()[5], t.week, t.seconds, x, y, z);
        EXPECT_EQ(c.samples(5)[k].y, y) << "switched-off satellites are propagated too";
        // GLONASS: 01:00 on day 1 plus k steps
        const double glonassSeconds = 3600.0 + 300.0 * k;
        GlonassPosition(slot3, 1 + static_cast<int>(glonassSeconds / 86400),
                        std::fmod(glonassSeconds, 86400.0), x, y, z);
        EXPECT_EQ(c.samples(32 + 2)[k].x, x) << k;
        EXPECT_EQ(c.samples(32 + 2)[k].z, z) << k;
        // satellites without almanac are left alone
        EXPECT_EQ(c.samples(6)[k].x, 0.0f);
        EXPECT_EQ(c.samples(32 + 3)[k].z, 0.0f);
    }
    // an almanac of day 1460 used on day 1 is two days old: the orbit is where the wrap puts it,
    // the GPS-like radius of a GLONASS orbit, not a point thrown out by a four-year time span
    const SatSample& s = c.samples(32 + 2)[0];
    EXPECT_NEAR(std::sqrt(double(s.x) * s.x + double(s.y) * s.y + double(s.z) * s.z),
                GlonassSemiMajorAxis(slot3, 2 * 86400.0 + 3600 - slot3.tLambda), 30000.0);
}
