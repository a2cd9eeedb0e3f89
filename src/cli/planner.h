// What a plan run needs, from the options to a computed Calculator.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/calculator.h"
#include "engine/global.h"
#include "sites/project.h"
#include "sites/siteinfo.h"

class Arguments;

struct PlanRequest {
    std::string sitesPath; // empty: the bundled sample list
    std::string siteName;  // name or 1-based position; empty: the list's current site
    bool adHoc = false;
    double latitude = 0, longitude = 0, altitude = 0;
    float gmtOffset = 0;
    std::string almanacPath;                // file or directory; empty: the bundled almanac directory
    std::optional<std::array<int, 3>> date; // day, month, year; none: the almanac's own date
    int fromHour = 0, fromMinute = 0, toHour = 24, toMinute = 0;
    int step = 900;
    int mode = 0; // 1 = 2-D
    int cutoff = 15;
    bool gps = true, glonass = true;
    std::vector<int> excluded; // satellite numbers 1..56
    bool obstructions = true;
};

struct Plan {
    std::unique_ptr<Calculator> calc;
    std::unique_ptr<project> sites;
    SiteInfo adHocSite;
    const SiteInfo* site = nullptr;
    PlanInterval interval;
};

// Reads the planning options; prints the message and answers its exit status when one is wrong.
int ParsePlanRequest(const Arguments& args, PlanRequest& request);

// Loads the site and the almanac, computes the interval; prints any message (the almanac age
// warning included) and answers the exit status.
int MakePlan(const PlanRequest& request, Plan& plan);

// Sets the code page of text in site lists from --codepage; prints the message and answers the
// usage status for one that is not offered.
int ApplyCodePage(const Arguments& args);
// One line on standard error when an old-format list had directory entries that were skipped.
void ReportSkippedEntries(const project& list);
// The message for an almanac the engine did not load; answers the input status.
int AlmanacRefused(const Calculator& calc, const std::string& path);

// A JSON number with `decimals` places; null for NaN and infinity, which JSON cannot hold.
std::string JsonNumber(double value, int decimals);

// A JSON string literal of UTF-8 text.
std::string JsonString(const std::string& text);

// The date an almanac was made for: the GPS records' week and time of almanac, else the day in the
// file name ("almYY.DDD"), else none.
std::optional<CalendarTime> AlmanacDate(const Calculator& calc);
