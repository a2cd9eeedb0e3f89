// The calendar: its two leap rules, their range and the day count.
#include "engine/calendar.h"

#include <gtest/gtest.h>

#include "engine/gnsstime.h"

TEST(Time, DayOfYearAcrossLeapYears) {
    struct Case {
        int year, month, day, expected;
    } cases[] = {{2000, 1, 1, 1},     {2000, 2, 29, 60},   {2000, 3, 1, 61},   {1999, 3, 1, 60},
                 {2000, 12, 31, 366}, {1999, 12, 31, 365}, {2096, 12, 31, 366}};
    for (const Case& c : cases) {
        EXPECT_EQ(DayOfYear(c.year - 1900, c.month - 1, c.day), c.expected) << c.year << "-" << c.month;
        const CalendarTime back = CalendarFromDayOfYear(0, 0, 0, c.expected, c.year);
        EXPECT_EQ(back.month, c.month - 1);
        EXPECT_EQ(back.day, c.day);
    }
}

TEST(Time, LastDayOfFourYearPeriodRoundTrips) {
    const CalendarTime t = FromDayTime(ToDayTime(MakeCalendarTime(23, 59, 59, 31, 12, 2000)));
    EXPECT_EQ(t.year, 100);
    EXPECT_EQ(t.dayOfYear, 366);
    EXPECT_EQ(t.month, 11);
    EXPECT_EQ(t.day, 31);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.second, 59);
    EXPECT_EQ(ToGlonassTime(MakeCalendarTime(12, 0, 0, 31, 12, 2003)).dayIndex, 1460);
    EXPECT_EQ(ToGlonassTime(MakeCalendarTime(12, 0, 0, 1, 1, 2004)).dayIndex, 0);
}

TEST(Time, ValidDates) {
    EXPECT_TRUE(IsValidDate(29, 2, 2000));
    EXPECT_FALSE(IsValidDate(29, 2, 2001));
    EXPECT_FALSE(IsValidDate(31, 4, 2020));
    EXPECT_FALSE(IsValidDate(0, 1, 2020));
    EXPECT_FALSE(IsValidDate(1, 13, 2020));
    EXPECT_FALSE(IsValidDate(1, 1, 2100));
    EXPECT_FALSE(IsValidDate(28, 2, 1901));
    EXPECT_TRUE(IsValidDate(1, 3, 1901));
}

TEST(Calendar, BothRulesAgreeWithinTheRangeAndRoundTripAcrossItsEdges) {
    struct Case {
        int year, month, day;
        int32_t mjd; // published Modified Julian Day
        bool inRange;
    } const cases[] = {
        {1900, 3, 1, 15079, false},  {1901, 2, 28, 15443, false}, {1901, 3, 1, 15444, true},
        {1980, 1, 6, 44244, true},   {2000, 2, 29, 51603, true},  {2024, 2, 29, 60369, true},
        {2099, 12, 31, 88068, true}, {2100, 1, 1, 88069, false},  {2100, 3, 1, 88128, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GregorianMjd(c.year, c.month, c.day), c.mjd) << c.year << "-" << c.month << "-" << c.day;
        int64_t year = 0;
        int month = 0, day = 0;
        GregorianDate(c.mjd, year, month, day);
        EXPECT_EQ(year * 10000 + month * 100 + day, c.year * 10000 + c.month * 100 + c.day);
        EXPECT_EQ(IsValidDate(c.day, c.month, c.year), c.inRange) << c.year;
        if (!c.inRange)
            continue;
        EXPECT_EQ(ToDayTime(MakeCalendarTime(0, 0, 0, c.day, c.month, c.year)).day, c.mjd) << c.year;
        const CalendarTime back = FromDayTime(DayTime{c.mjd, 0.0});
        EXPECT_EQ((back.year + 1900) * 10000 + (back.month + 1) * 100 + back.day,
                  c.year * 10000 + c.month * 100 + c.day);
    }
    // Every day of the range reads as the same date by both rules.
    for (int32_t mjd = 15444; mjd <= 88068; ++mjd) {
        const CalendarTime fourYear = FromDayTime(DayTime{mjd, 0.0});
        int64_t year = 0;
        int month = 0, day = 0;
        GregorianDate(mjd, year, month, day);
        ASSERT_EQ(fourYear.year + 1900, year) << mjd;
        ASSERT_EQ(fourYear.month + 1, month) << mjd;
        ASSERT_EQ(fourYear.day, day) << mjd;
    }
    // Outside it the rules part: 1900 and 2100 are leap years only by the four-year rule.
    for (const int y : {1900, 2100})
        EXPECT_EQ(DaysInMonth(y, 2, LeapRule::FourYear) - DaysInMonth(y, 2, LeapRule::Gregorian), 1) << y;
    EXPECT_EQ(DaysInMonth(2000, 2, LeapRule::Gregorian), 29);
}
