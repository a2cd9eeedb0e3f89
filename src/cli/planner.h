// Setting up a plan or windows run: the sites and a plan session loaded as the request asks.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/json.h"
#include "cli/request.h"
#include "config/plansession.h"
#include "sites/siteinfo.h"

class project;

// Where a day's orbits come from, for the headers and JSON.
struct DaySources {
    std::vector<SystemSource> sources; // every system, in the systems' order
    std::string systems;               // "GPS/GLONASS/Galileo": those planned
    std::vector<std::string> lines;    // a line per system planned, dates as the headers print them
};

// The sites, the session with the almanac, navigation files and settings, and the first date of a run.
struct PlanSetup {
    PlanSession session;
    std::vector<SiteInfo> sites; // in the order asked for
    int day = 1, month = 1, year = 2000;
    std::vector<DaySources> sources; // by day of the run

    const Calculator& calc() const { return session.engine(); }
};

// One site on one day, computed: what the graphs draw.
struct Plan {
    std::unique_ptr<Calculator> calc;
    const SiteInfo* site = nullptr;
    PlanInterval interval;
    const DaySources* sources = nullptr; // for the captions; null: the almanac's name only
};

// The sites the request names (--at, --positions, --sites with --site or --all-sites), in order;
// prints what is wrong and answers the exit status.
int LoadSites(const PlanRequest& request, std::vector<SiteInfo>& sites);

// Loads the sites and the almanac and settles the first date; prints any message (the almanac age
// warning included, for the first and the last day) and answers the exit status.
int PreparePlan(const PlanRequest& request, PlanSetup& setup);

// The request's local interval on day `d` (0 = the first date) of the setup.
PlanInterval IntervalOfDay(const PlanRequest& request, const PlanSetup& setup, int d);

// "YYYY-MM-DD" of day `d` of the setup.
std::string DateOfDay(const PlanSetup& setup, int d);

// "G05", "R12", "E11": the name of a satellite by its catalogue index.
std::string SatelliteName(int index);

// Opens a site list into `list`, saying on standard error which old-format directory entries
// were skipped and which sites cannot be planned; the exit status (input error when unreadable).
int OpenSiteList(const std::string& path, std::unique_ptr<project>& list);
// The index of the site NAME (any letter case when only one site has it) or N (1 = first) names;
// else says so, listing the list's sites, and answers the input status.
int FindSite(const project& list, const std::string& name, int& index);
// The sites of a positions CSV file; a problem is said with its line and answers the input status.
int ReadPositions(const std::string& path, std::vector<SiteInfo>& sites);
// The first few kilobytes of a file, for telling its kind; empty when it cannot be read.
std::string FileHead(const std::string& path);
// Whether the file starts as a RINEX navigation file, a Galileo almanac XML or a QZSS almanac.
bool IsNavigationFile(const std::string& path);
// The message for an almanac the engine did not load; answers the input status.
int AlmanacRefused(const Calculator& calc, const std::string& path);
