#include "engine/gnsstime.h"

#include <array>
#include <cmath>

#include "base/numbers.h"
#include "base/strings.h"

// ---- GPS weeks and the GLONASS four-year period ------------------------------------------------

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

// ---- the continuous count ----------------------------------------------------------------------

namespace {

struct LeapStep {
    int year, month; // UTC date from which the new value holds, day 1
    int value;       // GPS - UTC, s
};
// The leap seconds inserted since the GPS epoch (IERS Bulletin C).
constexpr LeapStep kLeapSteps[] = {
    {1981, 7, 1},  {1982, 7, 2},  {1983, 7, 3},  {1985, 7, 4},  {1988, 1, 5},  {1990, 1, 6},
    {1991, 1, 7},  {1992, 7, 8},  {1993, 7, 9},  {1994, 7, 10}, {1996, 1, 11}, {1997, 7, 12},
    {1999, 1, 13}, {2006, 1, 14}, {2009, 1, 15}, {2012, 7, 16}, {2015, 7, 17}, {2017, 1, 18},
};

constexpr double kHalfWeek = 302400.0;

} // namespace

double ScaleSeconds(int year, int month, int day, int hour, int minute, double second) {
    const int64_t days = GregorianMjd(year, month, day) - kMjdGpsEpoch;
    return static_cast<double>(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
}

double ScaleSeconds(const CalendarTime& t) {
    return ScaleSeconds(t.year + 1900, t.month + 1, t.day, t.hour, t.minute, t.second);
}

double ScaleSeconds(const GpsTime& t) {
    return static_cast<double>(t.week) * kSecondsPerWeek + t.seconds;
}

CalendarTime CalendarOfScaleSeconds(double seconds) {
    const double whole = std::floor(seconds);
    const int64_t total = static_cast<int64_t>(whole);
    int64_t days = total / 86400;
    int64_t rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int64_t year = 0;
    int month = 1, day = 1;
    GregorianDate(days + kMjdGpsEpoch, year, month, day);
    const int r = static_cast<int>(rest);
    return MakeCalendarTime(r / 3600, r / 60 % 60, r % 60, day, month, static_cast<int>(year));
}

double NearestOfWeek(double secondsOfWeek, double near) {
    double t = std::floor(near / kSecondsPerWeek) * kSecondsPerWeek + secondsOfWeek;
    if (t - near > kHalfWeek)
        t -= kSecondsPerWeek;
    else if (near - t > kHalfWeek)
        t += kSecondsPerWeek;
    return t;
}

int BuiltInLeapSeconds(double utc) {
    // The steps' instants worked out once: every position from a file without the leap seconds
    // in its header asks.
    static const auto kFrom = [] {
        std::array<double, std::size(kLeapSteps)> from{};
        for (size_t i = 0; i < from.size(); ++i)
            from[i] = ScaleSeconds(kLeapSteps[i].year, kLeapSteps[i].month, 1, 0, 0, 0);
        return from;
    }();
    int value = 0;
    for (size_t i = 0; i < kFrom.size(); ++i)
        if (utc >= kFrom[i])
            value = kLeapSteps[i].value;
    return value;
}

int GpsMinusUtc(const LeapSeconds& header, double utc) {
    if (!header.known())
        return BuiltInLeapSeconds(utc);
    if (header.future >= 0 && utc >= header.futureFromUtc)
        return header.future;
    return header.current;
}

double UtcToGps(double utc, const LeapSeconds& header) {
    return utc + GpsMinusUtc(header, utc);
}

double GpsToUtc(double gps, const LeapSeconds& header) {
    // The offset of the UTC instant, found from a first guess; the second look settles the seconds
    // just after a step.
    const double guess = gps - GpsMinusUtc(header, gps);
    return gps - GpsMinusUtc(header, guess);
}

std::string MinuteText(double seconds) {
    const CalendarTime t = CalendarOfScaleSeconds(std::round(seconds / 60) * 60);
    return FormatText("%04d-%02d-%02d %02d:%02d", t.year + 1900, t.month + 1, t.day, t.hour, t.minute);
}
