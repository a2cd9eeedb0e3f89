#include "engine/calendar.h"

#include <cmath>
#include <cstdlib>

#include "base/numbers.h"

bool IsLeapYear(int64_t year, LeapRule rule) {
    if (year % 4 != 0)
        return false;
    return rule == LeapRule::FourYear || year % 100 != 0 || year % 400 == 0;
}

int DaysInMonth(int64_t year, int month, LeapRule rule) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year, rule) ? 29 : kDays[month - 1];
}

// ---- the four-year rule ----------------------------------------------------------------------

int DayOfYear(int yearSince1900, int month0, int day) {
    int m = month0 - 2; // months counted from March
    if (m < 0)
        m = month0 + 10;
    int c = day + (m * 157) / 5 - (m * 4) / 5 - 306;
    if (c <= 0)
        c += IsLeapYear(yearSince1900, LeapRule::FourYear) ? 366 : 365; // 1900 is divisible by four
    return c;
}

namespace {

void SetMonthFromDayOfYear(CalendarTime& t) {
    int g = t.dayOfYear / 30;
    if (g > 11)
        g = 11;
    if (t.dayOfYear < DayOfYear(t.year, g, 1))
        --g;
    t.month = g;
    t.day = t.dayOfYear - DayOfYear(t.year, g, 1) + 1;
}

} // namespace

CalendarTime MakeCalendarTime(int hour, int minute, int second, int day, int month, int year) {
    CalendarTime t;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.day = day;
    t.month = month - 1;
    t.year = year - 1900;
    t.dayOfYear = DayOfYear(t.year, t.month, day);
    return t;
}

CalendarTime CalendarFromDayOfYear(int hour, int minute, int second, int dayOfYear, int year) {
    CalendarTime t;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.year = year - 1900;
    t.dayOfYear = dayOfYear;
    SetMonthFromDayOfYear(t);
    return t;
}

DayTime ToDayTime(const CalendarTime& t) {
    const int y = t.year;
    DayTime d;
    d.day = t.dayOfYear + 365 * (y - 1) + (y - 1) / 4 + 15384;
    d.fraction = ((t.hour * 60 + t.minute) * 60 + t.second) / 86400.0;
    return d;
}

CalendarTime FromDayTime(const DayTime& dt) {
    double sd = dt.fraction * 86400.0 + 0.5;
    int32_t s = sd > 0 ? SaturatingCast<int32_t>(std::fmin(sd, 86399.0)) : 0;
    const int32_t a = dt.day - kMjd1901;
    const int32_t d = FloorMod(a, 1461);
    CalendarTime t;
    t.dayOfYear = d == 1460 ? 366 : d % 365 + 1;
    t.year = 1 + 4 * FloorDiv(a, 1461) + d / 365 - (d == 1460 ? 1 : 0);
    t.hour = s / 3600;
    t.minute = (s % 3600) / 60;
    t.second = s % 60;
    SetMonthFromDayOfYear(t);
    return t;
}

bool IsValidDate(int day, int month, int year) {
    if (year < 1901 || year > 2099 || month < 1 || month > 12 || day < 1)
        return false;
    if (year == 1901 && month < 3) // the calendar rule holds from 1 March 1901
        return false;
    return day <= DaysInMonth(year, month, LeapRule::FourYear);
}

bool AddDays(int& day, int& month, int& year, int days) {
    if (!IsValidDate(day, month, year) || std::abs(days) > 200 * 366)
        return false;
    DayTime t = ToDayTime(MakeCalendarTime(0, 0, 0, day, month, year));
    t.day += days;
    const CalendarTime c = FromDayTime(t);
    if (!IsValidDate(c.day, c.month + 1, c.year + 1900))
        return false;
    day = c.day;
    month = c.month + 1;
    year = c.year + 1900;
    return true;
}

// ---- the Gregorian rule ----------------------------------------------------------------------

namespace {

// Days from 0000-03-01 of the proleptic Gregorian calendar to 1858-11-17, MJD 0.
constexpr int64_t kMjdShift = 678881;

} // namespace

// Counted in 400-year eras from 1 March, so that the leap day ends each year of the count.
int64_t GregorianMjd(int64_t year, int month, int day) {
    const int64_t y = year - (month <= 2);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - kMjdShift;
}

void GregorianDate(int64_t mjd, int64_t& year, int& month, int& day) {
    const int64_t z = mjd + kMjdShift;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2);
}
