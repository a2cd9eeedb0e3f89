#include "engine/global.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "base/numbers.h"

// ---- time ----------------------------------------------------------------------------------

int DayOfYear(int yearSince1900, int month0, int day) {
    int m = month0 - 2; // months counted from March
    if (m < 0)
        m = month0 + 10;
    int c = day + (m * 157) / 5 - (m * 4) / 5 - 306;
    if (c <= 0)
        c += yearSince1900 % 4 == 0 ? 366 : 365;
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

// Floor division and modulo for the negative values that day arithmetic can meet.
int32_t FloorDiv(int32_t a, int32_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
int32_t FloorMod(int32_t a, int32_t b) {
    return a - FloorDiv(a, b) * b;
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

GpsTime ToGpsTime(const CalendarTime& t) {
    const DayTime d = ToDayTime(t);
    const int32_t a = d.day - kMjdGpsEpoch;
    GpsTime g;
    g.week = FloorDiv(a, 7);
    g.seconds = (FloorMod(a, 7) + d.fraction) * 86400.0;
    return g;
}

CalendarTime GpsToCalendar(const GpsTime& g) {
    DayTime d;
    const double days = std::floor(g.seconds / 86400.0);
    // Far outside any calendar the program supports, but never beyond what int32 holds.
    const double day = days + 7.0 * g.week + kMjdGpsEpoch;
    d.day = SaturatingCast<int32_t>(std::fmax(std::fmin(day, 1e8), -1e8));
    d.fraction = std::fmod(g.seconds, 86400.0) / 86400.0;
    if (d.fraction < 0)
        d.fraction += 1.0;
    return FromDayTime(d);
}

void AddSeconds(GpsTime& t, double seconds) {
    t.seconds += seconds;
    if (t.seconds >= 0 && t.seconds < kSecondsPerWeek)
        return;
    const double weeks = std::floor(t.seconds / kSecondsPerWeek);
    t.week = SaturatingCast<int32_t>(std::fmax(std::fmin(t.week + weeks, 1e8), -1e8));
    t.seconds -= weeks * kSecondsPerWeek;
    if (t.seconds >= kSecondsPerWeek) { // rounding at the upper edge
        t.seconds -= kSecondsPerWeek;
        ++t.week;
    }
}

void SubtractSeconds(GpsTime& t, double seconds) {
    AddSeconds(t, -seconds);
}

GlonassTime ToGlonassTime(const CalendarTime& t) {
    const DayTime d = ToDayTime(t);
    GlonassTime g;
    g.dayIndex = FloorMod(d.day - 15019, 1461);
    g.timeOfDay = static_cast<int32_t>(43200.0 * d.fraction);
    return g;
}

void AddSeconds(GlonassTime& t, double seconds) {
    int32_t s = SaturatingCast<int32_t>(2.0 * t.timeOfDay + seconds);
    if (s > 86399) {
        t.dayIndex = (t.dayIndex + s / 86400) % 1461;
        s %= 86400;
    }
    t.timeOfDay = s / 2;
}

bool IsValidDate(int day, int month, int year) {
    if (year < 1901 || year > 2099 || month < 1 || month > 12 || day < 1)
        return false;
    if (year == 1901 && month < 3) // the calendar rule holds from 1 March 1901
        return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int last = kDays[month - 1] + (month == 2 && year % 4 == 0 ? 1 : 0);
    return day <= last;
}

// ---- planning interval -------------------------------------------------------------------------

PlanInterval::PlanInterval(int day, int month, int year, int beginH, int beginM, int endH, int endM) {
    beginHour = static_cast<int16_t>(beginH);
    beginMinute = static_cast<int16_t>(beginM);
    beginDay = static_cast<int16_t>(day);
    beginMonth = static_cast<int16_t>(month);
    beginYear = static_cast<int16_t>(year);
    endHour = static_cast<int16_t>(endH);
    endMinute = static_cast<int16_t>(endM);
    int d = day, m = month, y = year;
    if (!(endH > beginH || (endH == beginH && endM > beginM))) {
        const DayTime next{ToDayTime(MakeCalendarTime(0, 0, 0, day, month, year)).day + 1, 0.0};
        const CalendarTime c = FromDayTime(next);
        d = c.day;
        m = c.month + 1;
        y = c.year + 1900;
    }
    endDay = static_cast<int16_t>(d);
    endMonth = static_cast<int16_t>(m);
    endYear = static_cast<int16_t>(y);
}

PlanInterval PlanInterval::Today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm* p = std::localtime(&now))
        local = *p;
    return PlanInterval(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, 0, 0, 24, 0);
}

int IntervalStartSeconds(const PlanInterval& interval) {
    return interval.beginHour * 3600 + interval.beginMinute * 60;
}

// ---- geodesy and angles --------------------------------------------------------------------------

Ellipsoid g_ellipsoid;

void InitEllipsoid() {
    g_ellipsoid.a = 6378137.0;
    g_ellipsoid.e = 0.0818191913305;
    g_ellipsoid.e2 = g_ellipsoid.e * g_ellipsoid.e;
}

void GeodeticToEcef(double latitude, double longitude, double height, double& x, double& y, double& z) {
    const double s = std::sin(latitude);
    const double n = g_ellipsoid.a / std::sqrt(1.0 - g_ellipsoid.e2 * s * s);
    x = (n + height) * std::cos(latitude) * std::cos(longitude);
    y = (n + height) * std::cos(latitude) * std::sin(longitude);
    z = (n * (1.0 - g_ellipsoid.e2) + height) * s;
}
