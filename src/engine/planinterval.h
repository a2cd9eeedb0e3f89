// The planning date and local time interval.
#pragma once

#include <cstdint>

#include "engine/calendar.h"

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

// The begin date, 00:00.
CalendarTime IntervalBeginDate(const PlanInterval& interval);
// The interval's local start time in seconds from midnight.
int IntervalStartSeconds(const PlanInterval& interval);
