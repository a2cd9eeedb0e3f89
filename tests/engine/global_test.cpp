#include "engine/global.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(PlanInterval, EndRunsIntoTheNextDayUnlessLater) {
    const PlanInterval whole(31, 12, 2025, 0, 0, 24, 0);
    EXPECT_EQ(whole.endDay, 31);
    EXPECT_EQ(whole.endYear, 2025);
    const PlanInterval night(31, 12, 2025, 22, 0, 2, 0);
    EXPECT_EQ(night.endDay, 1);
    EXPECT_EQ(night.endMonth, 1);
    EXPECT_EQ(night.endYear, 2026);
    EXPECT_EQ(night.beginYear, 2025);
    const PlanInterval leap(28, 2, 2024, 10, 30, 10, 30); // equal times: 24 hours
    EXPECT_EQ(leap.endDay, 29);
    EXPECT_EQ(leap.endMonth, 2);
    const PlanInterval sameHour(28, 2, 2024, 10, 5, 10, 6);
    EXPECT_EQ(sameHour.endDay, 28);
    EXPECT_EQ(IntervalStartSeconds(night), 22 * 3600);
    EXPECT_EQ(IntervalStartSeconds(sameHour), 10 * 3600 + 300);
}

TEST(Geodesy, EcefOfKnownPoints) {
    InitEllipsoid();
    double x, y, z;
    GeodeticToEcef(0, 0, 0, x, y, z);
    EXPECT_DOUBLE_EQ(x, 6378137.0);
    EXPECT_NEAR(y, 0, 1e-9);
    EXPECT_NEAR(z, 0, 1e-9);
    GeodeticToEcef(M_PI / 2, 0, 100, x, y, z);
    const double kPolarRadiusM = 6356752.314; // WGS-84 b
    EXPECT_NEAR(z, kPolarRadiusM + 100, 1e-3);
    EXPECT_NEAR(x, 0, 1e-6);
    GeodeticToEcef(0, M_PI / 2, 10, x, y, z);
    EXPECT_NEAR(y, 6378147.0, 1e-6);
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
