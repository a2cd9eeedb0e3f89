// Time scales: the continuous count against published GPS weeks, the leap-second table around its
// steps, and the round trip between UTC and GPS time.
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
