// Observation windows: the stretches of time in which a site, or every site of a network at once,
// meets the surveyor's conditions on geometry, satellites and hours of the day.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/satellitecatalogue.h"

#include "engine/calendar.h"
#include "engine/planseries.h"

struct WindowConditions {
    double maxPdop = 0;    // 0: any PDOP of a solution
    int minSatellites = 0; // satellites used at each site
    int minCommon = 0;     // satellites used at every site at the same sample
    int32_t minLength = 0; // s
    // Hours of the day, each site on its own local clock, both ends included; dailyFrom > dailyTo
    // runs across midnight, equal limits allow the whole day. 86400 as the end stands for 24:00.
    int32_t dailyFrom = 0, dailyTo = kSecondsPerDay;
};

struct SiteWindowFigures {
    float worstPdop = 0;
    float meanPdop = 0;
    int32_t fewestSatellites = 0;
};

struct Window {
    int32_t first = 0, last = 0; // sample indexes, both included
    int32_t start = 0, end = 0;  // s from midnight of the first date on the series' clock
    float worstPdop = 0;         // over every site and sample
    float meanPdop = 0;
    int32_t fewestSatellites = 0;
    int32_t fewestCommon = 0; // satellites used at every site at the same sample
    SatelliteSet common;      // bit j: satellite index j used at every site at one sample of the window
    std::vector<SiteWindowFigures> sites;

    int32_t Length() const { return end - start; }
};

enum class WindowOrder { Length, Pdop, Time };

// Whether sample k of site `s` lies within the hours of the day of the conditions.
bool WithinDailyHours(const SiteSeries& s, int32_t k, const WindowConditions& conditions);

// Whether site `s` meets the conditions at sample k on its own: a solution with a PDOP above 0 and
// within the limit, enough satellites, within the hours of the day.
bool MeetsConditions(const SiteSeries& s, int32_t k, const WindowConditions& conditions);

// Every longest run of samples at which all sites meet the conditions and share enough satellites,
// of at least the minimum length, in time order. The series must share step and sample count; an
// empty list of sites, or series that differ, give no window.
std::vector<Window> FindWindows(const std::vector<const SiteSeries*>& sites,
                                const WindowConditions& conditions);

// Length: longest first. Pdop: lowest worst PDOP first, then lowest mean, then longest. Ties go to
// the earlier window.
void SortWindows(std::vector<Window>& windows, WindowOrder order);
