// The time scales of the navigation systems, as seconds on one continuous count.
//
// A time is held as seconds since 6 January 1980 00:00 read on the scale's own clock: GPS time for
// every orbit, UTC for the planning time. GPS and Galileo time run UTC + the leap seconds (from a
// navigation file's header, else the table built in here), BeiDou time GPS - 14 s, GLONASS time
// UTC + 3 h; QZSS time is GPS time.
#pragma once

#include <cstdint>
#include <string>

#include "engine/global.h"

inline constexpr double kBeiDouMinusGps = -14.0;    // BDT - GPST, s (BeiDou ICD)
inline constexpr double kGlonassMinusUtc = 10800.0; // GLONASS time - UTC, s (GLONASS ICD)
inline constexpr int32_t kBeiDouWeekOffset = 1356;  // GPS week of BeiDou week 0, 1 January 2006

// Seconds from 6 January 1980 00:00 to the given date and time on the same clock (no leap
// seconds). month 1..12; any year of the Gregorian calendar.
double ScaleSeconds(int year, int month, int day, int hour, int minute, double second);
// The planning's calendar time read as such a count.
double ScaleSeconds(const CalendarTime& t);
// Back to a calendar date: whole seconds, rounded down.
CalendarTime CalendarOfScaleSeconds(double seconds);
// "YYYY-MM-DD HH:MM" of such a count, to the nearest minute.
std::string MinuteText(double seconds);

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
