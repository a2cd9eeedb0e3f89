// Time scales: GPS weeks and the GLONASS period from the calendar, the continuous count against
// published GPS weeks, the leap-second table around its steps, and the round trip between UTC and
// GPS time.
#include <gtest/gtest.h>

#include "engine/gnsstime.h"

TEST(GnssTime, ScaleSecondsCountFromTheGpsEpoch) {
    struct Case {
        int year, month, day, hour;
        double expected; // s
    } const cases[] = {
        {1980, 1, 6, 0, 0},
        {1980, 1, 5, 0, -86400},
        {1999, 8, 22, 0, 1024 * 604800.0},         // the first week rollover
        {2006, 1, 1, 0, 1356 * 604800.0},          // BeiDou week 0
        {2022, 1, 1, 0, 2190 * 604800.0 + 518400}, // as the SP3 file of that day gives it
        {2100, 3, 1, 12, 3791620800},              // 2100 is not a leap year
    };
    for (const Case& c : cases) {
        const double s = ScaleSeconds(c.year, c.month, c.day, c.hour, 0, 0);
        EXPECT_DOUBLE_EQ(s, c.expected) << c.year;
        const CalendarTime back = CalendarOfScaleSeconds(s + 59.9);
        EXPECT_EQ(back.year + 1900, c.year);
        EXPECT_EQ(back.month + 1, c.month);
        EXPECT_EQ(back.day, c.day);
        EXPECT_EQ(back.hour, c.hour);
        EXPECT_EQ(back.second, 59);
    }
    // Leap days: 2020-02-29 exists, 2100-02-29 does not.
    EXPECT_DOUBLE_EQ(ScaleSeconds(2020, 3, 1, 0, 0, 0) - ScaleSeconds(2020, 2, 28, 0, 0, 0), 2 * 86400.0);
    EXPECT_DOUBLE_EQ(ScaleSeconds(2100, 3, 1, 0, 0, 0) - ScaleSeconds(2100, 2, 28, 0, 0, 0), 86400.0);
    // The planning's calendar type reads the same.
    EXPECT_DOUBLE_EQ(ScaleSeconds(MakeCalendarTime(6, 30, 15, 1, 1, 2022)),
                     ScaleSeconds(2022, 1, 1, 6, 30, 15));
}

TEST(GnssTime, BuiltInLeapSecondsStepAtTheirDates) {
    const double newYear2017 = ScaleSeconds(2017, 1, 1, 0, 0, 0);
    EXPECT_EQ(BuiltInLeapSeconds(ScaleSeconds(1980, 1, 6, 0, 0, 0)), 0);
    EXPECT_EQ(BuiltInLeapSeconds(ScaleSeconds(1981, 6, 30, 23, 59, 59)), 0);
    EXPECT_EQ(BuiltInLeapSeconds(ScaleSeconds(1981, 7, 1, 0, 0, 0)), 1);
    EXPECT_EQ(BuiltInLeapSeconds(ScaleSeconds(2006, 1, 1, 0, 0, 0)), 14);
    EXPECT_EQ(BuiltInLeapSeconds(newYear2017 - 1), 17);
    EXPECT_EQ(BuiltInLeapSeconds(newYear2017), 18);
    EXPECT_EQ(BuiltInLeapSeconds(ScaleSeconds(2026, 12, 8, 0, 0, 0)), 18);

    // Round trip across the step, on both sides of it.
    const LeapSeconds none;
    for (double utc : {newYear2017 - 2, newYear2017 - 1, newYear2017, newYear2017 + 1, newYear2017 + 86400})
        EXPECT_DOUBLE_EQ(GpsToUtc(UtcToGps(utc, none), none), utc) << utc - newYear2017;
    EXPECT_DOUBLE_EQ(UtcToGps(newYear2017, none) - newYear2017, 18);

    // A header's value wins over the table.
    const LeapSeconds header{20, -1, 0};
    EXPECT_DOUBLE_EQ(UtcToGps(newYear2017, header) - newYear2017, 20);
    EXPECT_DOUBLE_EQ(GpsToUtc(newYear2017 + 20, header), newYear2017);
}

TEST(Time, Millennium) {
    const CalendarTime t = MakeCalendarTime(0, 0, 0, 1, 1, 2000);
    const DayTime d = ToDayTime(t);
    EXPECT_EQ(d.day, 51544);
    EXPECT_EQ(d.fraction, 0.0);
    const GpsTime g = ToGpsTime(t);
    EXPECT_EQ(g.week, 1042);
    EXPECT_EQ(g.seconds, 518400.0);
    const GlonassTime r = ToGlonassTime(t);
    EXPECT_EQ(r.dayIndex, 0);
    EXPECT_EQ(r.timeOfDay, 0);
    // the GPS epoch itself
    EXPECT_EQ(ToDayTime(MakeCalendarTime(0, 0, 0, 6, 1, 1980)).day, kMjdGpsEpoch);
}

TEST(Time, CalendarRoundTripsThroughGpsTimeEveryDay) {
    // Every day of 1999-2001 and a few far dates: calendar -> GPS -> calendar is the identity.
    DayTime d = ToDayTime(MakeCalendarTime(0, 0, 0, 1, 1, 1999));
    for (int i = 0; i < 3 * 366; ++i, ++d.day) {
        CalendarTime c = FromDayTime(d);
        c.hour = 13;
        c.minute = 7;
        c.second = 42;
        const CalendarTime back = GpsToCalendar(ToGpsTime(c));
        ASSERT_EQ(back.year, c.year);
        ASSERT_EQ(back.dayOfYear, c.dayOfYear);
        ASSERT_EQ(back.hour * 3600 + back.minute * 60 + back.second, 13 * 3600 + 7 * 60 + 42);
    }
    const GpsTime late = ToGpsTime(MakeCalendarTime(0, 0, 0, 11, 8, 2025));
    EXPECT_EQ(late.week, 2379); // week 331 of the third 1024-week era
    EXPECT_EQ(late.seconds, 86400.0);
}

TEST(Time, AddingSecondsNormalisesTheWeek) {
    GpsTime g{1043, 600000.0};
    AddSeconds(g, 10800.0);
    EXPECT_EQ(g.week, 1044);
    EXPECT_DOUBLE_EQ(g.seconds, 6000.0);
    g = {1043, 3600.0};
    SubtractSeconds(g, 7200.0);
    EXPECT_EQ(g.week, 1042);
    EXPECT_DOUBLE_EQ(g.seconds, 601200.0);
    g = {1043, 100.25};
    SubtractSeconds(g, 3.0 * 604800.0);
    EXPECT_EQ(g.week, 1040);
    EXPECT_DOUBLE_EQ(g.seconds, 100.25); // the fraction is kept
    g = {1043, 604799.0};
    AddSeconds(g, 1.0);
    EXPECT_EQ(g.week, 1044);
    EXPECT_EQ(g.seconds, 0.0);
}

TEST(Time, GlonassSecondsWrapTheDayAndTheCycle) {
    GlonassTime r{1460, 43000};
    AddSeconds(r, 900.0); // 86000 + 900 s crosses midnight at the end of the four-year period
    EXPECT_EQ(r.dayIndex, 0);
    EXPECT_EQ(r.timeOfDay, 250);
    r = {10, 100};
    AddSeconds(r, 301.0);
    EXPECT_EQ(r.dayIndex, 10);
    EXPECT_EQ(r.timeOfDay, 250); // 501 s truncated to 2-s units
}

TEST(Time, SecondsFarOutsideTheCalendarSaturate) {
    GpsTime t{2000, 0};
    AddSeconds(t, 1e300);
    EXPECT_EQ(t.week, 100000000); // held far beyond the calendar, never overflowing
    const CalendarTime c = GpsToCalendar(GpsTime{2000, 1e300});
    EXPECT_GT(c.year, 2099 - 1900); // outside the supported range, which IsValidDate then refuses
    EXPECT_FALSE(IsValidDate(c.day, c.month + 1, c.year + 1900));
    GlonassTime g{10, 100};
    AddSeconds(g, 1e300);
    EXPECT_GE(g.dayIndex, 0);
    EXPECT_LE(g.dayIndex, 1460);
}
