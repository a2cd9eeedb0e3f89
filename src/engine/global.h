// Time scales, the planning interval and geodesy: what the engine computes with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// ---- time scales ---------------------------------------------------------------------------
// Calendar arithmetic uses the four-year leap rule and holds from 1 March 1901 to 31 December 2099.

struct CalendarTime {
    int second = 0;    // 0..59
    int minute = 0;    // 0..59
    int hour = 0;      // 0..23
    int day = 1;       // day of month, 1..31
    int month = 0;     // 0..11, January = 0
    int year = 0;      // year minus 1900
    int dayOfYear = 1; // 1..366
    int isDst = 0;     // always 0
};

// Modified Julian Day and fraction of the day: the pivot of every conversion.
struct DayTime {
    int32_t day = 0;
    double fraction = 0.0; // 0 <= fraction < 1
};

struct GpsTime {
    int32_t week = 0;     // weeks since 6 January 1980, not wrapped at 1024
    double seconds = 0.0; // 0 <= seconds < 604800
};

// Day within the four-year period starting 1 January of a leap year, and time of day in 2-s units.
struct GlonassTime {
    int32_t dayIndex = 0;  // 0..1460
    int32_t timeOfDay = 0; // 0..43199
};

inline constexpr int32_t kMjdGpsEpoch = 44244; // 6 January 1980
inline constexpr int32_t kMjd1901 = 15385;     // 1 January 1901
inline constexpr int32_t kSecondsPerWeek = 604800;
inline constexpr int32_t kSecondsPerDay = 86400;

CalendarTime MakeCalendarTime(int hour, int minute, int second, int day, int month, int year);
CalendarTime CalendarFromDayOfYear(int hour, int minute, int second, int dayOfYear, int year);
int DayOfYear(int yearSince1900, int month0, int day);
DayTime ToDayTime(const CalendarTime& t);
CalendarTime FromDayTime(const DayTime& t);
GpsTime ToGpsTime(const CalendarTime& t);
CalendarTime GpsToCalendar(const GpsTime& t);
void AddSeconds(GpsTime& t, double seconds);
void SubtractSeconds(GpsTime& t, double seconds);
GlonassTime ToGlonassTime(const CalendarTime& t);
void AddSeconds(GlonassTime& t, double seconds); // non-negative increments only

// Whether day/month (1..12)/year is a real date in the supported range.
bool IsValidDate(int day, int month, int year);

// ---- the planning interval -------------------------------------------------------------------
// Planning date and local time interval: begin {hour, minute, day, month, year} then end, the year
// with four digits. The end lies on the begin's date when it is later, otherwise on the next day, so
// 0:00-24:00 is the whole day and 22:00-2:00 runs into the next day.
struct PlanInterval {
    int16_t beginHour = 0, beginMinute = 0, beginDay = 1, beginMonth = 1, beginYear = 2000;
    int16_t endHour = 24, endMinute = 0, endDay = 1, endMonth = 1, endYear = 2000;

    PlanInterval() = default;
    // month 1..12; end hour 24 (with minute 0) stands for the end of the day.
    PlanInterval(int day, int month, int year, int beginH, int beginM, int endH, int endM);

    static PlanInterval Today(); // today's local date, 0:00 to 24:00
};

// The interval's local start time in seconds from midnight.
int IntervalStartSeconds(const PlanInterval& interval);

// ---- geodesy and angles ----------------------------------------------------------------------
struct Ellipsoid {
    double a = 6378137.0;       // WGS-84 semi-major axis, m
    double e = 0.0818191913305; // first eccentricity
    double e2 = e * e;
};
extern Ellipsoid g_ellipsoid;
void InitEllipsoid();

void GeodeticToEcef(double latitude, double longitude, double height, double& x, double& y, double& z);
