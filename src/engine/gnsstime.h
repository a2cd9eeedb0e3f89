// The time scales of the navigation systems.
//
// GpsTime (week and seconds) and GlonassTime (day of the four-year period and time of day) are the
// almanacs' own forms; they convert from and to the planning's CalendarTime, of the four-year rule.
//
// A continuous count holds a time as seconds since 6 January 1980 00:00 read on the scale's own
// clock: GPS time for every orbit, UTC for the planning time; its dates follow the Gregorian rule,
// for any year. GPS and Galileo time run UTC + the leap seconds (from a navigation file's header,
// else the table built in here), BeiDou time GPS - 14 s, GLONASS time UTC + 3 h; QZSS time is GPS
// time.
#pragma once

#include <cstdint>
#include <string>

#include "engine/calendar.h"

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
inline constexpr int32_t kSecondsPerWeek = 604800;

GpsTime ToGpsTime(const CalendarTime& t);
CalendarTime GpsToCalendar(const GpsTime& t);
void AddSeconds(GpsTime& t, double seconds);
void SubtractSeconds(GpsTime& t, double seconds);
GlonassTime ToGlonassTime(const CalendarTime& t);
void AddSeconds(GlonassTime& t, double seconds); // non-negative increments only

inline constexpr double kBeiDouMinusGps = -14.0;    // BDT - GPST, s (BeiDou ICD)
inline constexpr double kGlonassMinusUtc = 10800.0; // GLONASS time - UTC, s (GLONASS ICD)
inline constexpr int32_t kBeiDouWeekOffset = 1356;  // GPS week of BeiDou week 0, 1 January 2006

// Seconds from 6 January 1980 00:00 to the given date and time on the same clock (no leap
// seconds). month 1..12; any year of the Gregorian calendar.
double ScaleSeconds(int year, int month, int day, int hour, int minute, double second);
// The planning's calendar time read as such a count.
double ScaleSeconds(const CalendarTime& t);
// A week and seconds into it (which may run past the week's end) as such a count.
double ScaleSeconds(const GpsTime& t);
// Back to a calendar date: whole seconds, rounded down.
CalendarTime CalendarOfScaleSeconds(double seconds);
// "YYYY-MM-DD HH:MM" of such a count, to the nearest minute.
std::string MinuteText(double seconds);

// Seconds of the week `secondsOfWeek` on the count, taken in the week that puts them nearest
// `near` (the same clock): a time given within its week, found across a week rollover and when
// the week is known only modulo 1024.
double NearestOfWeek(double secondsOfWeek, double near);

// GPS - UTC of the built-in table at a UTC instant: 0 before July 1981, 18 from 2017 on.
int BuiltInLeapSeconds(double utc);

// The leap seconds a navigation file's header announces. `current` < 0 when it gives none; a
// future value takes over at `futureFromUtc` (seconds as above, UTC) when `future` >= 0.
struct LeapSeconds {
    int current = -1;
    int future = -1;
    double futureFromUtc = 0;

    bool known() const { return current >= 0; }
};

// GPS - UTC at a UTC instant: the header's value when it has one, else the built-in table.
int GpsMinusUtc(const LeapSeconds& header, double utc);
double UtcToGps(double utc, const LeapSeconds& header);
double GpsToUtc(double gps, const LeapSeconds& header);
