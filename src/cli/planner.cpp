#include "cli/planner.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "base/codepage.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/textbuffer.h"
#include "engine/almanac_scan.h"
#include "engine/gnsstime.h"
#include "engine/planseries.h"
#include "engine/rinexnav.h"
#include "sites/positionlist.h"
#include "sites/project.h"

namespace fs = std::filesystem;

namespace {

constexpr int kAgeLimitDays = 60;
constexpr int kMaxDays = 31;
constexpr std::uintmax_t kMaxPositionsFileBytes = 64u << 20;

int UsageError(const char* option, const std::string& value, const char* what) {
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_VALUE).c_str(), option, value.c_str(), what));
}

// "G05" -> 5, "R12" -> 32 + 12, "E01" -> 57: the catalogue index + 1; 0 when not a satellite.
int SatelliteFromName(const std::string& name) {
    if (name.size() < 2 || name.size() > 3 || !IsAllDigits(name.c_str() + 1))
        return 0;
    std::string code = name;
    code[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(code[0])));
    SatelliteId id;
    if (!ParseSatelliteCode(code, id))
        return 0;
    return SatelliteCatalogue::Index(id) + 1;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    const std::string lower(b);
    return a.size() == lower.size() && std::equal(a.begin(), a.end(), lower.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == y;
           });
}

// The name of each system as --systems spells it, in catalogue order.
const char* const kSystemWords[kGnssSystems] = {"gps", "glonass", "galileo", "beidou", "qzss"};

} // namespace

int ApplyCodePage(const Arguments& args) {
    const std::optional<std::string> v = args.Value("--codepage");
    if (!v)
        return kExitOk;
    int codePage = 0;
    if (!ParseInt(*v, codePage) || !SetFileCodePage(codePage))
        return UsageError("--codepage", *v, ResString(IDS_CLI_WHAT_CODEPAGE).c_str());
    return kExitOk;
}

int OpenSiteList(const std::string& path, std::unique_ptr<project>& list) {
    if (const std::string problem = InputFileProblem(path); !problem.empty())
        return Fail(kExitInput, problem);
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

int ParsePlanRequest(const Arguments& args, PlanRequest& r) {
    auto value = [&](const char* name) { return args.Value(name); };
    if (const int status = ApplyCodePage(args))
        return status;
    if (auto v = value("--sites"))
        r.sitesPath = *v;
    r.siteNames = args.Values("--site");
    r.allSites = args.Has("--all-sites");
    if (auto v = value("--positions"))
        r.positionsPath = *v;
    const auto conflict = [](const char* a, const char* b) {
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_CONFLICT).c_str(), a, b));
    };
    if (r.allSites && !r.siteNames.empty())
        return conflict("--all-sites", "--site");
    if (!r.positionsPath.empty() && (value("--sites") || !r.siteNames.empty() || r.allSites))
        return conflict("--positions", "--sites/--site/--all-sites");
    if (auto v = value("--at")) {
        if (value("--sites") || !r.siteNames.empty() || r.allSites || value("--positions"))
            return conflict("--at", "--sites/--site/--all-sites/--positions");
        const std::vector<std::string> parts = SplitList(*v, ',');
        double lat = 0, lon = 0, alt = 0;
        if (parts.size() < 2 || parts.size() > 3 || !ParseDouble(parts[0], lat) ||
            !ParseDouble(parts[1], lon) || (parts.size() == 3 && !ParseDouble(parts[2], alt)) ||
            std::fabs(lat) > 90 || std::fabs(lon) > 180 || std::fabs(alt) > 10000)
            return UsageError("--at", *v, ResString(IDS_CLI_WHAT_POSITION).c_str());
        r.adHoc = true;
        r.latitude = lat;
        r.longitude = lon;
        r.altitude = alt;
    }
    if (auto v = value("--gmt-offset")) {
        double offset = 0;
        if (!r.adHoc)
            return Fail(kExitUsage, FormatText(ResString(IDS_CLI_NEEDS).c_str(), "--gmt-offset", "--at"));
        if (!ParseDouble(*v, offset) || offset < -12 || offset > 14)
            return UsageError("--gmt-offset", *v, ResString(IDS_CLI_WHAT_GMT_OFFSET).c_str());
        r.gmtOffset = static_cast<float>(offset);
    }
    r.almanacPaths = args.Values("--almanac");
    if (auto v = value("--date")) {
        int d, m, y;
        if (!ParseDate(*v, d, m, y))
            return UsageError("--date", *v, ResString(IDS_CLI_WHAT_DATE).c_str());
        r.date = std::array<int, 3>{d, m, y};
    }
    if (auto v = value("--from")) {
        if (!ParseClock(*v, r.fromHour, r.fromMinute) || r.fromHour == 24)
            return UsageError("--from", *v, ResString(IDS_CLI_WHAT_TIME).c_str());
    }
    if (auto v = value("--to")) {
        if (!ParseClock(*v, r.toHour, r.toMinute))
            return UsageError("--to", *v, ResString(IDS_CLI_WHAT_TIME).c_str());
    }
    int choice = 0;
    if (const int status = ParseChoice(args, "--step", {"15", "5"}, 0, choice))
        return status;
    r.step = choice == 0 ? 900 : 300;
    if (const int status = ParseChoice(args, "--mode", {"3d", "2d"}, 0, choice))
        return status;
    r.mode = choice; // 1 = 2-D
    if (auto v = value("--cutoff")) {
        if (!ParseInt(*v, r.cutoff) || r.cutoff < 0 || r.cutoff > 89)
            return UsageError("--cutoff", *v, "0-89");
    }
    if (auto v = value("--systems")) {
        r.systems.fill(false);
        for (const std::string& s : SplitList(*v, ',')) {
            const auto word = std::find_if(std::begin(kSystemWords), std::end(kSystemWords),
                                           [&](const char* w) { return EqualsIgnoringCase(s, w); });
            if (word == std::end(kSystemWords))
                return UsageError("--systems", *v, "gps, glonass, galileo, beidou, qzss");
            r.systems[static_cast<size_t>(word - std::begin(kSystemWords))] = true;
        }
    }
    if (auto v = value("--orbits")) {
        for (const std::string& pick : SplitList(*v, ',')) {
            const std::vector<std::string> parts = SplitList(pick, '=');
            const int system = parts.size() != 2                               ? -1
                               : EqualsIgnoringCase(parts[0], kSystemWords[0]) ? 0
                               : EqualsIgnoringCase(parts[0], kSystemWords[1]) ? 1
                                                                               : -1;
            const char* const sources[] = {"nearest", "almanac", "navigation"};
            const auto source =
                system < 0 ? std::end(sources)
                           : std::find_if(std::begin(sources), std::end(sources),
                                          [&](const char* w) { return EqualsIgnoringCase(parts[1], w); });
            if (source == std::end(sources))
                return UsageError("--orbits", pick, ResString(IDS_CLI_WHAT_ORBITS).c_str());
            const OrbitSource chosen[] = {OrbitSource::None, OrbitSource::Almanac, OrbitSource::Broadcast};
            r.orbits[static_cast<size_t>(system)] = chosen[source - std::begin(sources)];
            r.orbitWords[static_cast<size_t>(system)] = pick;
        }
    }
    if (auto v = value("--exclude")) {
        for (const std::string& s : SplitList(*v, ',')) {
            const int sat = SatelliteFromName(s);
            if (sat == 0)
                return UsageError("--exclude", s, ResString(IDS_CLI_WHAT_SATELLITE).c_str());
            r.excluded.push_back(sat);
        }
    }
    r.obstructions = !args.Has("--no-obstructions");
    if (auto v = value("--days")) {
        if (!ParseInt(*v, r.days) || r.days < 1 || r.days > kMaxDays)
            return Fail(kExitUsage,
                        FormatText(ResString(IDS_CLI_BAD_RANGE).c_str(), "--days", v->c_str(), 1, kMaxDays));
    }
    return kExitOk;
}

std::optional<CalendarTime> AlmanacDate(const Calculator& calc) {
    for (int i = 0; i < kGpsSatellites; ++i) {
        if (!calc.HasAlmanac(i))
            continue;
        const GpsAlmanacRecord& r = calc.gpsRecords()[static_cast<size_t>(i)];
        return GpsToCalendar(GpsTime{r.week, static_cast<double>(r.toa)});
    }
    // "almYY.DDD": the same reading of the name as the directory scan's
    const std::string name = fs::path(calc.almanacFileName()).filename().string();
    const size_t dot = name.find('.');
    int year = 0, day = 0;
    if (AlmanacNameKey(name) < 0 || dot == std::string::npos || !ParseInt(name.substr(3, dot - 3), year) ||
        !ParseInt(name.substr(dot + 1), day) || day < 1 || day > 366)
        return std::nullopt;
    if (year > 99)
        return std::nullopt;
    year += year <= 80 ? 2000 : 1900;
    if (year > 2099 || (day == 366 && year % 4 != 0))
        return std::nullopt;
    return CalendarFromDayOfYear(0, 0, 0, day, year);
}

namespace {

int ReadPositions(const std::string& path, std::vector<SiteInfo>& sites) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxPositionsFileBytes)
        return Fail(kExitInput, FormatText(ResString(IDS_PLAN_POSITIONS_UNREADABLE).c_str(), path.c_str()));
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
        const SiteInfo* site = nullptr;
        int position = 0;
        if (ParseInt(name, position) && IsAllDigits(name.c_str())) {
            if (position >= 1 && position <= sites.Count())
                site = sites.GetAt(position - 1);
        } else {
            const auto named =
                std::find_if(sites.begin(), sites.end(), [&](const SiteInfo& s) { return name == s.name; });
            if (named != sites.end())
                site = &*named;
        }
        if (!site)
            return Fail(kExitInput,
                        FormatText(ResString(IDS_CLI_NO_SUCH_SITE).c_str(), name.c_str(), path.c_str()));
        out.push_back(*site);
    }
    return kExitOk;
}

// Reads a navigation file into the calculator: its skipped lines as warnings, a refused file as
// the input error it is.
int AddNavigationFile(const std::string& path, Calculator& calc, std::map<long, int>& recordsPerDay) {
    const NavigationFile file = ReadNavigationFile(path);
    for (const std::string& w : file.warnings)
        Fail(kExitOk, w);
    if (!file.errors.empty())
        return Fail(kExitInput, file.errors.front());
    calc.AddNavigation(file);
    const auto day = [&](double gps) {
        return static_cast<long>(std::floor(GpsToUtc(gps, file.leapSeconds) / kSecondsPerDay));
    };
    for (const KeplerEphemeris& k : file.kepler)
        ++recordsPerDay[day(k.toeGps)];
    for (const GlonassEphemeris& g : file.glonass)
        ++recordsPerDay[day(g.tbGps)];
    return kExitOk;
}

// One --almanac value: an almanac file, a navigation file, or a directory whose newest loadable
// almanac and every navigation file are taken.
int LoadSource(const std::string& path, Calculator& calc, bool& almanacLoaded,
               std::map<long, int>& recordsPerDay) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        ASortedList<AString> names;
        ScanAlmanacDirectory(path, names);
        bool loaded = false;
        if (names.First()) {
            do {
                calc.LoadAlmanac(AlmanacPath(path, names.Current()->Text()));
                loaded = calc.loadState() == kLoadOk;
            } while (!loaded && names.Next());
        }
        if (!loaded && almanacLoaded) { // an almanac given before stays
            const std::string before = calc.almanacFileName();
            calc.LoadAlmanac(before);
        } else if (!loaded) {
            calc.ForgetAlmanac(); // the failed tries leave no half-loaded state
        }
        almanacLoaded = almanacLoaded || loaded;
        std::vector<std::string> navigation;
        for (const fs::directory_entry& e : fs::directory_iterator(path, ec)) {
            std::error_code fileError;
            if (e.is_regular_file(fileError) && IsNavigationFile(e.path().string()))
                navigation.push_back(e.path().string());
        }
        std::sort(navigation.begin(), navigation.end());
        for (const std::string& file : navigation)
            if (const int status = AddNavigationFile(file, calc, recordsPerDay); status != kExitOk)
                return status;
        if (!loaded && navigation.empty())
            return Fail(kExitInput, FormatText(ResString(IDS_GNSS_NOTHING_IN_DIR).c_str(), path.c_str()));
        return kExitOk;
    }
    if (const std::string problem = InputFileProblem(path); !problem.empty())
        return Fail(kExitInput, problem);
    if (IsNavigationFile(path))
        return AddNavigationFile(path, calc, recordsPerDay);
    calc.LoadAlmanac(path);
    if (calc.loadState() != kLoadOk)
        return AlmanacRefused(calc, path);
    almanacLoaded = true;
    return kExitOk;
}

int LoadCalculator(const PlanRequest& r, Calculator& calc, std::optional<double>& navigationDay) {
    if (r.date)
        calc.SetWeekReference(MakeCalendarTime(0, 0, 0, (*r.date)[0], (*r.date)[1], (*r.date)[2]));
    if (r.almanacPaths.empty()) {
        // the bundled almanacs, newest first
        const std::string almanac = BundledDataDirectory() + "almanacs/";
        ASortedList<AString> names;
        ScanAlmanacDirectory(almanac, names);
        bool loaded = false;
        if (names.First()) {
            do {
                calc.LoadAlmanac(AlmanacPath(almanac, names.Current()->Text()));
                loaded = calc.loadState() == kLoadOk;
            } while (!loaded && names.Next());
        }
        if (!loaded)
            return Fail(kExitInput,
                        FormatText(ResString(IDS_CLI_NO_ALMANAC_IN_DIR).c_str(), almanac.c_str()));
    }
    bool almanacLoaded = false;
    std::map<long, int> recordsPerDay; // UTC days since 6 January 1980
    for (const std::string& path : r.almanacPaths)
        if (const int status = LoadSource(path, calc, almanacLoaded, recordsPerDay); status != kExitOk)
            return status;
    // The navigation files' own day: the one most of their records are for (a day's file holds a
    // few records of the evening before).
    const auto most = std::max_element(recordsPerDay.begin(), recordsPerDay.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    if (most != recordsPerDay.end())
        navigationDay = static_cast<double>(most->first) * kSecondsPerDay;

    for (int s = 0; s < 2; ++s)
        if (r.orbits[static_cast<size_t>(s)] != OrbitSource::None &&
            !calc.SetSource(static_cast<GnssSystem>(s), r.orbits[static_cast<size_t>(s)]))
            return Fail(kExitInput, FormatText(ResString(IDS_CLI_NO_ORBITS_OF).c_str(),
                                               r.orbitWords[static_cast<size_t>(s)].c_str()));

    // the settings; the step only once an almanac is loaded, as the engine refuses it before
    calc.SetTimeStep(r.step);
    calc.SetElevationMask(CutOffRadians(r.cutoff));
    calc.SetMode(r.mode);
    calc.SetObstructionsOn(r.obstructions ? 1 : 0);
    for (int n = 1; n <= SatelliteCatalogue::kSize; ++n) {
        const bool systemOff = !r.systems[static_cast<size_t>(SatelliteCatalogue::At(n - 1).system)];
        if (systemOff || std::find(r.excluded.begin(), r.excluded.end(), n) != r.excluded.end())
            calc.SetSatelliteState(n, 1);
    }
    return kExitOk;
}

} // namespace

bool IsNavigationFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return LooksLikeNavigationFile(head);
}

int PreparePlan(const PlanRequest& r, PlanSetup& setup) {
    if (const int status = LoadSites(r, setup.sites); status != kExitOk)
        return status;
    if (setup.sites.empty())
        return Fail(kExitInput, ResString(IDS_PLAN_NO_SITES));
    for (const SiteInfo& site : setup.sites)
        if (!site.HasValidValues())
            return Fail(kExitInput, FormatText(ResString(IDS_CLI_SITE_UNUSABLE).c_str(), site.name,
                                               site.ValueFault().c_str()));
    setup.calc = std::make_unique<Calculator>();
    if (const int status = LoadCalculator(r, *setup.calc, setup.navigationUtc); status != kExitOk)
        return status;

    if (r.date) {
        setup.day = (*r.date)[0];
        setup.month = (*r.date)[1];
        setup.year = (*r.date)[2];
    } else {
        std::optional<CalendarTime> own = AlmanacDate(*setup.calc);
        // An almanac dated outside the calendar --date accepts (a damaged week): plan today instead.
        if (own && !IsValidDate(own->day, own->month + 1, own->year + 1900))
            own.reset();
        if (!own && setup.navigationUtc)
            own = CalendarOfScaleSeconds(*setup.navigationUtc);
        const PlanInterval today = PlanInterval::Today();
        setup.day = own ? own->day : today.beginDay;
        setup.month = own ? own->month + 1 : today.beginMonth;
        setup.year = own ? own->year + 1900 : today.beginYear;
    }
    int day = setup.day, month = setup.month, year = setup.year;
    if (!AddDays(day, month, year, r.days - 1))
        return Fail(kExitUsage, FormatText(ResString(IDS_PLAN_DAYS_BEYOND).c_str(), r.days));

    for (int d : {0, r.days - 1}) {
        const int age = setup.calc->AlmanacAgeClass(IntervalOfDay(r, setup, d), kAgeLimitDays);
        if (age != 0) {
            std::string warning = ResString(age > 0 ? 2002 : 2020);
            std::replace(warning.begin(), warning.end(), '\n', ' ');
            Fail(kExitOk, warning);
            break;
        }
    }
    return kExitOk;
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

std::string JsonNumber(double value, int decimals) {
    TextBuffer b;
    b.JsonFixed(value, decimals);
    return b.Take();
}

std::string JsonOrbits(const Calculator& calc) {
    std::string json = "{";
    for (int s = 0; s < kGnssSystems; ++s) {
        const OrbitSource source = calc.source(static_cast<GnssSystem>(s));
        if (source == OrbitSource::None)
            continue;
        json += (json.size() > 1 ? ", " : "") + JsonString(SystemName(static_cast<GnssSystem>(s))) + ": " +
                (source == OrbitSource::Almanac ? "\"almanac\"" : "\"navigation\"");
    }
    return json + "}";
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + static_cast<char>(c);
        else if (c < 0x20)
            out += FormatText("\\u%04x", c);
        else
            out += static_cast<char>(c);
    }
    return out + "\"";
}
