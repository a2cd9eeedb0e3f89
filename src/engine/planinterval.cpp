#include "engine/planinterval.h"

#include <ctime>

#include "engine/calendar.h"

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

CalendarTime IntervalBeginDate(const PlanInterval& interval) {
    return MakeCalendarTime(0, 0, 0, interval.beginDay, interval.beginMonth, interval.beginYear);
}

int IntervalStartSeconds(const PlanInterval& interval) {
    return interval.beginHour * 3600 + interval.beginMinute * 60;
}
