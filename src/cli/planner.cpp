#include "cli/planner.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "base/casefold.h"
#include "base/codepage.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text.h"
#include "base/timezone.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/terrain.h"
#include "cli/textbuffer.h"
#include "config/orbitsources.h"
#include "engine/almanac_import.h"
#include "engine/almanac_scan.h"
#include "engine/gnsstime.h"
#include "engine/keplerianalmanacs.h"
#include "engine/planseries.h"
#include "engine/rinexnav.h"
#include "sites/positionlist.h"
#include "sites/project.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxPositionsFileMegabytes = 64;
// A site is 112 bytes and 16 more per vertex of its obstructions: room for some 600,000 bare sites,
// or 32,000 with 120 vertices each. Read, a list takes about eight times its size in memory.
constexpr int kMaxSiteListMegabytes = 64;

// The file's size in MB rounded up to a tenth, so that a file just over the limit does not read as
// the limit itself.
double Megabytes(std::uintmax_t bytes) {
    return std::ceil(static_cast<double>(bytes) / (1024.0 * 1024.0 / 10.0)) / 10.0;
}

// The input status and a message naming the file, its size and the limit when `path` is larger
// than `megabytes`; else kExitOk. `id`: the message with those three.
int RefuseLargerThan(const std::string& path, std::uintmax_t size, int megabytes, int id) {
    if (size <= static_cast<std::uintmax_t>(megabytes) << 20)
        return kExitOk;
    return Fail(kExitInput, FormatText(ResString(id).c_str(), path.c_str(), Megabytes(size), megabytes));
}

} // namespace

int OpenSiteList(const std::string& path, std::unique_ptr<project>& list) {
    if (const std::string problem = InputFileProblem(path); !problem.empty())
        return Fail(kExitInput, problem);
    // Refused before it is read: every site of a list is held in memory.
    std::error_code ec;
    if (const std::uintmax_t size = fs::file_size(path, ec); !ec)
        if (const int status =
                RefuseLargerThan(path, size, kMaxSiteListMegabytes, IDS_PLAN_SITE_LIST_TOO_LARGE))
            return status;
    list = std::make_unique<project>(path);
    if (list->loadFailed)
        return Fail(kExitInput, FormatText(ResString(IDS_CLI_NOT_A_SITE_LIST).c_str(), path.c_str()));
    if (list->skippedEntries > 0)
        Fail(kExitOk,
             FormatText(LoadResString(IDS_OLD_ENTRIES_SKIPPED), list->path.c_str(), list->skippedEntries));
    for (const std::string& fault : list->SiteFaults())
        Fail(kExitOk, fault);
    return kExitOk;
}

int AlmanacRefused(const Calculator& calc, const std::string& path) {
    const int id = calc.loadState() == kLoadNoValidRecord ? IDS_NO_VALID_RECORD : IDS_CLI_NOT_AN_ALMANAC;
    return Fail(kExitInput, FormatText(ResString(id).c_str(), path.c_str()));
}

int ReadPositions(const std::string& path, std::vector<SiteInfo>& sites) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec)
        return Fail(kExitInput, FormatText(ResString(IDS_PLAN_POSITIONS_UNREADABLE).c_str(), path.c_str()));
    if (const int status =
            RefuseLargerThan(path, size, kMaxPositionsFileMegabytes, IDS_PLAN_POSITIONS_TOO_LARGE))
        return status;
    std::ifstream in(path, std::ios::binary);
    std::string text(static_cast<size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(size)))
        return Fail(kExitInput, FormatText(ResString(IDS_PLAN_POSITIONS_UNREADABLE).c_str(), path.c_str()));
    const PositionListResult result = ParsePositionList(text, sites);
    if (result.problem == PositionProblem::None)
        return kExitOk;
    int what = IDS_PLAN_POSITIONS_FIELDS;
    switch (result.problem) {
    case PositionProblem::NoPosition:
        return Fail(kExitInput, FormatText(ResString(IDS_PLAN_POSITIONS_EMPTY).c_str(), path.c_str()));
    case PositionProblem::Name:
        what = IDS_PLAN_POSITIONS_NAME;
        break;
    case PositionProblem::Latitude:
        what = IDS_PLAN_POSITIONS_LATITUDE;
        break;
    case PositionProblem::Longitude:
        what = IDS_PLAN_POSITIONS_LONGITUDE;
        break;
    case PositionProblem::Altitude:
        what = IDS_PLAN_POSITIONS_ALTITUDE;
        break;
    case PositionProblem::GmtOffset:
        what = IDS_PLAN_POSITIONS_GMT_OFFSET;
        break;
    case PositionProblem::TooMany:
        what = IDS_PLAN_POSITIONS_TOO_MANY;
        break;
    case PositionProblem::Description:
        what = IDS_PLAN_POSITIONS_DESCRIPTION;
        break;
    case PositionProblem::Obstructions:
        what = IDS_PLAN_POSITIONS_OBSTRUCTIONS;
        break;
    default:
        break;
    }
    return Fail(kExitInput, FormatText(ResString(IDS_PLAN_POSITIONS_LINE).c_str(), path.c_str(), result.line,
                                       FormatText(ResString(what).c_str(), kMaxPositions).c_str()));
}

int LoadSites(const PlanRequest& r, std::vector<SiteInfo>& out) {
    if (r.adHoc) {
        out.emplace_back(r.latitude, r.longitude, r.altitude, ResString(IDS_CLI_ADHOC_SITE).c_str(), "",
                         r.gmtOffset);
        return kExitOk;
    }
    if (!r.positionsPath.empty()) {
        if (const std::string problem = InputFileProblem(r.positionsPath); !problem.empty())
            return Fail(kExitInput, problem);
        return ReadPositions(r.positionsPath, out);
    }
    const std::string path = r.sitesPath.empty() ? BundledDataDirectory() + "sites/sample.spl" : r.sitesPath;
    std::unique_ptr<project> opened;
    if (const int status = OpenSiteList(path, opened); status != kExitOk)
        return status;
    project& list = *opened;
    AList<SiteInfo>& sites = list.sites;
    if (r.allSites) {
        out.insert(out.end(), sites.begin(), sites.end());
        return kExitOk;
    }
    if (r.siteNames.empty()) {
        if (const SiteInfo* current = list.CurrentSite())
            out.push_back(*current);
        return kExitOk;
    }
    for (const std::string& name : r.siteNames) {
        int index = 0;
        if (const int status = FindSite(list, name, index); status != kExitOk)
            return status;
        out.push_back(*sites.GetAt(index));
    }
    return kExitOk;
}

int FindSite(const project& list, const std::string& name, int& index) {
    const AList<SiteInfo>& sites = list.sites;
    index = -1;
    int position = 0;
    if (ParseInt(name, position) && IsAllDigits(name.c_str())) {
        if (position >= 1 && position <= sites.Count())
            index = position - 1;
    } else {
        int i = 0, matches = 0;
        for (const SiteInfo& s : sites) {
            if (name == s.name) {
                index = i;
                matches = 1;
                break;
            }
            // a name that differs in letter case only, when one site has it
            if (EqualIgnoringCase(name, s.name)) {
                index = i;
                ++matches;
            }
            ++i;
        }
        if (matches > 1)
            index = -1;
    }
    if (index >= 0)
        return kExitOk;
    std::string names;
    for (const SiteInfo& s : sites)
        names += (names.empty() ? "" : ", ") + Printable(s.name);
    return Fail(kExitInput, FormatText(ResString(IDS_CLI_NO_SUCH_SITE_LIST).c_str(), name.c_str(),
                                       list.path.c_str(), names.c_str()));
}

namespace {

// Reads a navigation file into the session: its skipped lines as warnings, a refused file as the
// input error it is.
int AddNavigationFile(const std::string& path, PlanSession& session) {
    const NavigationRead read = session.AddNavigationFile(path);
    for (const std::string& w : read.warnings)
        Fail(kExitOk, w);
    return read.error.empty() ? kExitOk : Fail(kExitInput, read.error);
}

// One --almanac value: an almanac file, a navigation file, or a directory whose newest loadable
// almanac and every navigation file are taken.
int LoadSource(const std::string& path, PlanSession& session) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        const bool loaded = session.LoadNewestAlmanac(path); // else an almanac given before stays
        std::vector<std::string> navigation;
        for (const fs::directory_entry& e : fs::directory_iterator(path, ec)) {
            std::error_code fileError;
            if (e.is_regular_file(fileError) && IsNavigationFile(e.path().string()))
                navigation.push_back(e.path().string());
        }
        std::sort(navigation.begin(), navigation.end());
        for (const std::string& file : navigation)
            if (const int status = AddNavigationFile(file, session); status != kExitOk)
                return status;
        if (!loaded && navigation.empty())
            return Fail(kExitInput, FormatText(ResString(IDS_GNSS_NOTHING_IN_DIR).c_str(), path.c_str()));
        return kExitOk;
    }
    if (const std::string problem = InputFileProblem(path); !problem.empty())
        return Fail(kExitInput, problem);
    if (IsNavigationFile(path))
        return AddNavigationFile(path, session);
    if (!session.LoadAlmanac(path)) {
        // A published almanac is a file to import, not one to plan from as it is.
        if (DetectAlmanacFormat(FileHead(path)) != AlmanacFormat::Unknown)
            return Fail(kExitInput,
                        FormatText(ResString(IDS_CLI_IMPORT_FIRST).c_str(), path.c_str(), path.c_str()));
        return AlmanacRefused(session.engine(), path);
    }
    return kExitOk;
}

int LoadSession(const PlanRequest& r, PlanSetup& setup) {
    PlanSession& session = setup.session;
    // GPS weeks written modulo 1024 are dated in the era of the planning date, today without one.
    session.SetInterval(PlanInterval(setup.day, setup.month, setup.year, 0, 0, 24, 0));
    if (r.almanacPaths.empty()) {
        // What was fetched or imported into the user's almanac directory, else the bundled almanacs.
        const std::string user = UserAlmanacDirectory();
        std::error_code ec;
        if (fs::is_directory(user, ec) && !fs::is_empty(user, ec))
            if (const int status = LoadSource(user, session); status != kExitOk)
                return status;
        const std::string bundled = BundledDataDirectory() + "almanacs/";
        if (session.engine().almanacFileName().empty() && !session.LoadNewestAlmanac(bundled))
            return Fail(kExitInput,
                        FormatText(ResString(IDS_CLI_NO_ALMANAC_IN_DIR).c_str(), bundled.c_str()));
    }
    for (const std::string& path : r.almanacPaths)
        if (const int status = LoadSource(path, session); status != kExitOk)
            return status;
    for (size_t s = 0; s < 2; ++s)
        if (r.orbits[s] != OrbitSource::None &&
            !session.ChooseSource(static_cast<GnssSystem>(s), r.orbits[s]))
            return Fail(kExitInput,
                        FormatText(ResString(IDS_CLI_NO_ORBITS_OF).c_str(), r.orbitWords[s].c_str()));
    session.SetStep(r.step);
    session.SetCutOff(r.cutoff);
    session.SetMode(r.mode);
    session.SetObstructionsOn(r.obstructions);
    for (int s = 0; s < kGnssSystems; ++s)
        if (!r.systems[static_cast<size_t>(s)])
            session.SetSystemOn(static_cast<GnssSystem>(s), false);
    for (int n : r.excluded)
        session.SetSatelliteOn(n - 1, false);
    return kExitOk;
}

} // namespace

std::string FileHead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(8192, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return head;
}

bool IsNavigationFile(const std::string& path) {
    return LooksLikeOrbitFile(FileHead(path));
}

namespace {

// Today at the site: its local date now.
void Today(const SiteInfo& site, PlanSetup& setup) {
    std::tm utc{};
    const std::time_t now = std::time(nullptr);
    gmtime_r(&now, &utc);
    const CalendarTime local = CalendarOfScaleSeconds(
        ScaleSeconds(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec) +
        static_cast<double>(site.gmtOffset) * 3600.0);
    setup.day = local.day;
    setup.month = local.month + 1;
    setup.year = local.year + 1900;
}

using SharedZone = std::shared_ptr<const TimeZone>;

// The zone of each site: --tz for all, else a positions file's zone name; each site's offset is
// the zone's of now until the date is known. A zone is read once however many sites share it.
int LoadZones(const PlanRequest& r, std::vector<SiteInfo>& sites, std::vector<SharedZone>& zones) {
    std::map<std::string, SharedZone> loaded;
    auto load = [&](const std::string& name) {
        SharedZone& zone = loaded[name];
        if (!zone)
            if (std::optional<TimeZone> read = TimeZone::Load(name))
                zone = std::make_shared<const TimeZone>(std::move(*read));
        return zone;
    };
    const SharedZone all = r.timeZone.empty() ? nullptr : load(r.timeZone);
    if (!r.timeZone.empty() && !all)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_UNKNOWN_ZONE).c_str(), r.timeZone.c_str()));
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    for (SiteInfo& site : sites) {
        SharedZone zone = all;
        if (!zone && !site.timeZone.empty() && !(zone = load(site.timeZone)))
            return Fail(kExitInput, FormatText(ResString(IDS_CLI_SITE_ZONE_UNKNOWN).c_str(), site.name,
                                               site.timeZone.c_str()));
        if (zone)
            site.gmtOffset = static_cast<float>(zone->OffsetAt(now)) / 3600.0f;
        zones.push_back(std::move(zone));
    }
    return kExitOk;
}

std::string OffsetText(int seconds) {
    const int minutes = std::abs(seconds) / 60;
    return FormatText(minutes % 60 ? "GMT%c%d:%02d" : "GMT%c%d", seconds < 0 ? '-' : '+', minutes / 60,
                      minutes % 60);
}

// Each zoned site gets the offset in force at the begin of the first day's interval, for the
// whole run; a change of offset within the run is said, with the local time it happens at.
void SettleOffsets(const PlanRequest& r, PlanSetup& setup, const std::vector<SharedZone>& zones) {
    const int begin = r.fromHour * 3600 + r.fromMinute * 60;
    int end = r.toHour * 3600 + r.toMinute * 60;
    if (end <= begin)
        end += 86400;
    for (size_t i = 0; i < zones.size(); ++i) {
        if (!zones[i])
            continue;
        const TimeZone& zone = *zones[i];
        SiteInfo& site = setup.sites[i];
        const int offset = zone.OffsetAtLocal(setup.year, setup.month, setup.day, begin);
        site.gmtOffset = static_cast<float>(offset) / 3600.0f;
        const int64_t first = CivilSeconds(setup.year, setup.month, setup.day, begin) - offset;
        const int64_t last =
            CivilSeconds(setup.year, setup.month, setup.day, end + (r.days - 1) * 86400) - offset;
        if (const std::optional<int64_t> change = zone.NextChange(first, last)) {
            const int after = zone.OffsetAt(*change);
            const std::time_t shown = static_cast<std::time_t>(*change + offset);
            std::tm local{};
            gmtime_r(&shown, &local);
            Fail(kExitOk, FormatText(ResString(IDS_CLI_ZONE_CHANGES).c_str(), site.name,
                                     r.timeZone.empty() ? site.timeZone.c_str() : r.timeZone.c_str(),
                                     OffsetText(offset).c_str(), OffsetText(after).c_str(),
                                     local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                     local.tm_min, OffsetText(offset).c_str()));
        }
    }
}

// The almanac's own date, or the navigation files' day, for --date almanac.
void AlmanacDate(PlanSetup& setup) {
    const std::optional<AlmanacDay> dated = setup.session.AlmanacDate();
    std::optional<CalendarTime> own;
    if (dated)
        own = dated->date;
    // An almanac dated outside the calendar --date accepts (a damaged week): plan today instead.
    if (own && !IsValidDate(own->day, own->month + 1, own->year + 1900))
        own.reset();
    if (!own && setup.session.NavigationDay())
        own = CalendarOfScaleSeconds(*setup.session.NavigationDay());
    if (own) {
        setup.day = own->day;
        setup.month = own->month + 1;
        setup.year = own->year + 1900;
    }
}

// Where each day's orbits come from; says which requested systems have none, and refuses a plan
// with nothing to plan or, without --allow-old, orbits too far from the date.
int SettleSources(const PlanRequest& r, PlanSetup& setup) {
    PlanSession& session = setup.session;
    session.SetSite(&setup.sites.front());
    std::array<bool, kGnssSystems> missing{};
    std::optional<SystemSource> farthest; // of the requested systems' sources, over every day
    for (int d = 0; d < r.days; ++d) {
        session.SetInterval(IntervalOfDay(r, setup, d));
        DaySources& day = setup.sources.emplace_back();
        day.sources = session.Sources();
        day.systems = PlannedSystemsText(session, day.sources);
        day.lines = PlannedSourceLines(session, day.sources, true);
        for (const SystemSource& s : day.sources) {
            const auto i = static_cast<size_t>(s.system);
            missing[i] = missing[i] || (r.systems[i] && s.source == OrbitSource::None);
            if (r.systems[i] && s.source != OrbitSource::None &&
                (!farthest || std::fabs(s.ageDays) > std::fabs(farthest->ageDays)))
                farthest = s;
        }
    }
    session.SetInterval(IntervalOfDay(r, setup, 0));
    const std::string date = DateOfDay(setup, 0);
    std::string none;
    bool any = false;
    for (int s = 0; s < kGnssSystems; ++s) {
        const auto i = static_cast<size_t>(s);
        if (!r.systems[i])
            continue;
        if (!missing[i])
            any = true;
        else
            none += (none.empty() ? "" : ", ") + std::string(SystemName(static_cast<GnssSystem>(s)));
    }
    if (!any)
        return Fail(kExitInput,
                    FormatText(ResString(IDS_CLI_NOTHING_TO_PLAN).c_str(), date.c_str(), none.c_str()));
    if (!none.empty())
        Fail(kExitOk, FormatText(ResString(IDS_CLI_SYSTEM_NO_ORBITS).c_str(), none.c_str(), date.c_str()));
    if (!farthest)
        return kExitOk;
    const int days = static_cast<int>(std::fabs(farthest->ageDays));
    const std::string line = SourceLine(*farthest);
    if (days > kSourceUselessDays && !r.allowOld)
        return Fail(kExitInput, FormatText(ResString(IDS_CLI_SOURCE_TOO_OLD).c_str(), days, line.c_str()));
    if (days > kAlmanacAgeLimitDays)
        Fail(kExitOk, FormatText(ResString(IDS_CLI_SOURCE_OLD).c_str(), kAlmanacAgeLimitDays, line.c_str()));
    return kExitOk;
}

} // namespace

int PreparePlan(const PlanRequest& r, PlanSetup& setup) {
    if (const int status = LoadSites(r, setup.sites); status != kExitOk)
        return status;
    if (setup.sites.empty())
        return Fail(kExitInput, ResString(IDS_PLAN_NO_SITES));
    for (const SiteInfo& site : setup.sites)
        if (!site.HasValidValues())
            return Fail(kExitInput, FormatText(ResString(IDS_CLI_SITE_UNUSABLE).c_str(), site.name,
                                               site.ValueFault().c_str()));
    if (!r.demPath.empty())
        if (const int status = AttachTerrain(r.demPath, r.terrain, setup.sites); status != kExitOk)
            return status;
    std::vector<SharedZone> zones;
    if (const int status = LoadZones(r, setup.sites, zones); status != kExitOk)
        return status;
    if (r.date) {
        setup.day = (*r.date)[0];
        setup.month = (*r.date)[1];
        setup.year = (*r.date)[2];
    } else {
        Today(setup.sites.front(), setup);
    }
    if (const int status = LoadSession(r, setup); status != kExitOk)
        return status;
    if (r.almanacDate)
        AlmanacDate(setup);
    int day = setup.day, month = setup.month, year = setup.year;
    if (!AddDays(day, month, year, r.days - 1))
        return Fail(kExitUsage, FormatText(ResString(IDS_PLAN_DAYS_BEYOND).c_str(), r.days));
    SettleOffsets(r, setup, zones);
    return SettleSources(r, setup);
}

PlanInterval IntervalOfDay(const PlanRequest& r, const PlanSetup& setup, int d) {
    int day = setup.day, month = setup.month, year = setup.year;
    AddDays(day, month, year, d);
    return PlanInterval(day, month, year, r.fromHour, r.fromMinute, r.toHour, r.toMinute);
}

std::string DateOfDay(const PlanSetup& setup, int d) {
    int day = setup.day, month = setup.month, year = setup.year;
    AddDays(day, month, year, d);
    return FormatText("%04d-%02d-%02d", year, month, day);
}

std::string SatelliteName(int index) {
    return SatelliteCode(SatelliteCatalogue::At(index));
}
