// What a plan or windows run needs, from the options to the sites and a loaded Calculator.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/calculator.h"
#include "engine/global.h"
#include "sites/siteinfo.h"

class Arguments;
class project;

struct PlanRequest {
    std::string sitesPath;              // empty: the bundled sample list
    std::vector<std::string> siteNames; // names or 1-based positions; none: the list's current site
    bool allSites = false;              // every site of the list
    std::string positionsPath;          // ad-hoc positions from a CSV file
    bool adHoc = false;
    double latitude = 0, longitude = 0, altitude = 0;
    float gmtOffset = 0;
    std::vector<std::string>
        almanacPaths; // almanac and navigation files and directories; none: the bundled almanacs
    std::optional<std::array<int, 3>> date; // day, month, year; none: the almanac's own date
    int fromHour = 0, fromMinute = 0, toHour = 24, toMinute = 0;
    int step = 900;
    int mode = 0; // 1 = 2-D
    int cutoff = 15;
    std::array<bool, kGnssSystems> systems{true, true, true, true, true};
    // GPS's and GLONASS's orbit source as --orbits chose it (None: the one nearest the date), with
    // the words that chose it for the messages.
    std::array<OrbitSource, 2> orbits{OrbitSource::None, OrbitSource::None};
    std::array<std::string, 2> orbitWords;
    std::vector<int> excluded; // catalogue index + 1
    bool obstructions = true;
    int days = 1; // 1..31 consecutive days from the date

    // More than one site, or a way of naming sites that may give more than one: the output then
    // names the site of every row.
    bool Batch() const { return allSites || !positionsPath.empty() || siteNames.size() > 1; }
};

// The sites, the almanac with its settings, and the first date of a run.
struct PlanSetup {
    std::unique_ptr<Calculator> calc;
    std::optional<double> navigationUtc; // the navigation files' own day (UTC, 00:00), when read
    std::vector<SiteInfo> sites;         // in the order asked for
    int day = 1, month = 1, year = 2000;
};

// One site on one day, computed: what the graphs draw.
struct Plan {
    std::unique_ptr<Calculator> calc;
    const SiteInfo* site = nullptr;
    PlanInterval interval;
};

// Reads the planning options; prints the message and answers its exit status when one is wrong.
int ParsePlanRequest(const Arguments& args, PlanRequest& request);

// Loads the sites and the almanac and settles the first date; prints any message (the almanac age
// warning included, for the first and the last day) and answers the exit status.
int PreparePlan(const PlanRequest& request, PlanSetup& setup);

// The request's local interval on day `d` (0 = the first date) of the setup.
PlanInterval IntervalOfDay(const PlanRequest& request, const PlanSetup& setup, int d);

// "YYYY-MM-DD" of day `d` of the setup.
std::string DateOfDay(const PlanSetup& setup, int d);

// "G05", "R12", "E11": the name of a satellite by its catalogue index.
std::string SatelliteName(int index);

// Sets the code page of text in site lists from --codepage; prints the message and answers the
// usage status for one that is not offered.
int ApplyCodePage(const Arguments& args);
// Opens a site list into `list`, saying on standard error which old-format directory entries
// were skipped and which sites cannot be planned; the exit status (input error when unreadable).
int OpenSiteList(const std::string& path, std::unique_ptr<project>& list);
// Whether the file starts as a RINEX navigation file.
bool IsNavigationFile(const std::string& path);
// The message for an almanac the engine did not load; answers the input status.
int AlmanacRefused(const Calculator& calc, const std::string& path);

// A JSON number with `decimals` places; null for NaN and infinity, which JSON cannot hold.
std::string JsonNumber(double value, int decimals);

// A JSON string literal of UTF-8 text.
std::string JsonString(const std::string& text);
// {"GPS": "almanac", "Galileo": "navigation", ...}: the source of each system planned.
std::string JsonOrbits(const Calculator& calc);

// The date an almanac was made for: the GPS records' week and time of almanac, else the day in the
// file name ("almYY.DDD"), else none.
std::optional<CalendarTime> AlmanacDate(const Calculator& calc);
