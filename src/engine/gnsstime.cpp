#include "engine/gnsstime.h"

#include <cmath>

#include "base/strings.h"

namespace {

// Days from 1 January 1970 of a Gregorian date (month 1..12), for any year.
int64_t DaysFromCivil(int64_t y, int month, int day) {
    y -= month <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr int64_t kGpsEpochDays = 3657; // 6 January 1980 from 1 January 1970

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

} // namespace

double ScaleSeconds(int year, int month, int day, int hour, int minute, double second) {
    const int64_t days = DaysFromCivil(year, month, day) - kGpsEpochDays;
    return static_cast<double>(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
}

double ScaleSeconds(const CalendarTime& t) {
    return ScaleSeconds(t.year + 1900, t.month + 1, t.day, t.hour, t.minute, t.second);
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
    // Civil date from days (the inverse of DaysFromCivil).
    const int64_t z = days + kGpsEpochDays + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2));
    const int r = static_cast<int>(rest);
    return MakeCalendarTime(r / 3600, r / 60 % 60, r % 60, d, m, y);
}

int BuiltInLeapSeconds(double utc) {
    int value = 0;
    for (const LeapStep& step : kLeapSteps)
        if (utc >= ScaleSeconds(step.year, step.month, 1, 0, 0, 0))
            value = step.value;
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
