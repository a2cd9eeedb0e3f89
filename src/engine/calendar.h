// The calendar: dates, days of the year and the Modified Julian Day through which every conversion
// goes. Two leap rules are kept apart:
//
// - The four-year rule (every year divisible by four is a leap year) of the program's files and of
//   the planning dates: CalendarTime, DayTime and the functions on them. It holds from 1 March 1901
//   to 31 December 2099, the range IsValidDate accepts.
// - The proleptic Gregorian rule (a century year is a leap year only when divisible by 400) of the
//   time scales: GregorianMjd and GregorianDate, for any year: GPS time, UTC and RINEX epochs.
//
// Within 1 March 1901 .. 31 December 2099 both rules give every date the same day number.
#pragma once

#include <cstdint>

enum class LeapRule { FourYear, Gregorian };

bool IsLeapYear(int64_t year, LeapRule rule);
// month 1..12
int DaysInMonth(int64_t year, int month, LeapRule rule);

// ---- the four-year rule ----------------------------------------------------------------------

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

inline constexpr int32_t kMjd1901 = 15385; // 1 January 1901
inline constexpr int32_t kSecondsPerDay = 86400;

CalendarTime MakeCalendarTime(int hour, int minute, int second, int day, int month, int year);
CalendarTime CalendarFromDayOfYear(int hour, int minute, int second, int dayOfYear, int year);
int DayOfYear(int yearSince1900, int month0, int day);
DayTime ToDayTime(const CalendarTime& t);
CalendarTime FromDayTime(const DayTime& t);

// Whether day/month (1..12)/year is a real date in the supported range.
bool IsValidDate(int day, int month, int year);

// The date `days` after day/month (1..12)/year; false, leaving them as they were, outside
// 1901-03-01 .. 2099-12-31.
bool AddDays(int& day, int& month, int& year, int days);

// ---- the Gregorian rule ----------------------------------------------------------------------

// The Modified Julian Day of a date (month 1..12), any year.
int64_t GregorianMjd(int64_t year, int month, int day);
// Its inverse: month 1..12.
void GregorianDate(int64_t mjd, int64_t& year, int& month, int& day);
