// The options of a plan or windows run, read into one request.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/calculator.h"
#include "engine/horizon.h"
#include "engine/windowsearch.h"

class Arguments;

struct PlanRequest {
    std::string sitesPath;              // empty: the bundled sample list
    std::vector<std::string> siteNames; // names or 1-based positions; none: the list's current site
    bool allSites = false;              // every site of the list
    std::string positionsPath;          // ad-hoc positions from a CSV file
    bool adHoc = false;
    double latitude = 0, longitude = 0, altitude = 0;
    float gmtOffset = 0;
    std::string timeZone; // --tz: every site's local time is this zone's
    std::vector<std::string>
        almanacPaths; // almanac and navigation files and directories; none: the bundled almanacs
    std::optional<std::array<int, 3>> date; // day, month, year; none: today at the (first) site
    bool almanacDate = false;               // --date almanac: the almanac's own date
    bool allowOld = false;                  // plan from orbits more than a year from the date
    int fromHour = 0, fromMinute = 0, toHour = 24, toMinute = 0;
    int step = 900;
    int mode = 0; // 1 = 2-D
    int cutoff = 15;
    std::array<bool, kGnssSystems> systems{true, true, true, true, true, true};
    // GPS's and GLONASS's orbit source as --orbits chose it (None: the one nearest the date), with
    // the words that chose it for the messages.
    std::array<OrbitSource, 2> orbits{OrbitSource::None, OrbitSource::None};
    std::array<std::string, 2> orbitWords;
    std::vector<int> excluded; // catalogue index + 1
    bool obstructions = true;
    int days = 1;            // 1..31 consecutive days from the date
    std::string demPath;     // an elevation model: every site gets the terrain's horizon from it
    HorizonSettings terrain; // how those horizons are computed

    // More than one site, or a way of naming sites that may give more than one: the output then
    // names the site of every row.
    bool Batch() const { return allSites || !positionsPath.empty() || siteNames.size() > 1; }
};

// Reads the planning options; prints the message and answers its exit status when one is wrong.
int ParsePlanRequest(const Arguments& args, PlanRequest& request);

// Says that `value` is not what `option` takes (`what`); the usage status.
int UsageError(const char* option, const std::string& value, const char* what);
// --at LAT,LON[,ALT] into an ad-hoc site of the request; prints the message and answers the usage
// status when it is not a position.
int ParseAt(const std::string& value, PlanRequest& request);
// The --systems list (gps,glonass,...); prints the message and answers the usage status when wrong.
int ParseSystems(const std::string& value, std::array<bool, kGnssSystems>& systems);

// --max-pdop, --min-sats, --min-common and --min-length (at most `maxLengthHours`) into `conditions`;
// prints the message and answers the usage status when one is wrong.
int ParseWindowConditions(const Arguments& args, int maxLengthHours, WindowConditions& conditions);

// Sets the code page of text in site lists from --codepage; prints the message and answers the
// usage status for one that is not offered.
int ApplyCodePage(const Arguments& args);
