#include "cli/request.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/codepage.h"
#include "base/strings.h"
#include "base/text.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/terrain.h"
#include "engine/satellitecatalogue.h"

int UsageError(const char* option, const std::string& value, const char* what) {
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_VALUE).c_str(), option, value.c_str(), what));
}

namespace {

constexpr int kMaxDays = 31;
constexpr double kMaxPdopLimit = 1000;

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
const char* const kSystemWords[kGnssSystems] = {"gps", "glonass", "galileo", "beidou", "qzss", "navic"};

} // namespace

int ParseAt(const std::string& v, PlanRequest& r) {
    const std::vector<std::string> parts = SplitList(v, ',');
    double lat = 0, lon = 0, alt = 0;
    if (parts.size() < 2 || parts.size() > 3 || !ParseDouble(parts[0], lat) || !ParseDouble(parts[1], lon) ||
        (parts.size() == 3 && !ParseDouble(parts[2], alt)) || std::fabs(lat) > 90 || std::fabs(lon) > 180 ||
        std::fabs(alt) > 10000)
        return UsageError("--at", v, ResString(IDS_CLI_WHAT_POSITION).c_str());
    r.adHoc = true;
    r.latitude = lat;
    r.longitude = lon;
    r.altitude = alt;
    return kExitOk;
}

int ParseSystems(const std::string& v, std::array<bool, kGnssSystems>& systems) {
    systems.fill(false);
    for (const std::string& s : SplitList(v, ',')) {
        const auto word = std::find_if(std::begin(kSystemWords), std::end(kSystemWords),
                                       [&](const char* w) { return EqualsIgnoringCase(s, w); });
        if (word == std::end(kSystemWords))
            return UsageError("--systems", v, "gps, glonass, galileo, beidou, qzss, navic");
        systems[static_cast<size_t>(word - std::begin(kSystemWords))] = true;
    }
    return kExitOk;
}

int ParseWindowConditions(const Arguments& args, int maxLengthHours, WindowConditions& c) {
    if (auto v = args.Value("--max-pdop"))
        if (!ParseDouble(*v, c.maxPdop) || !(c.maxPdop > 0) || c.maxPdop > kMaxPdopLimit)
            return UsageError("--max-pdop", *v, ResString(IDS_WIN_WHAT_PDOP).c_str());
    for (auto [name, field] :
         {std::pair{"--min-sats", &c.minSatellites}, std::pair{"--min-common", &c.minCommon}})
        if (auto v = args.Value(name))
            if (!ParseInt(*v, *field) || *field < 0 || *field > SatelliteCatalogue::kSize)
                return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_RANGE).c_str(), name, v->c_str(), 0,
                                                   SatelliteCatalogue::kSize));
    if (auto v = args.Value("--min-length")) {
        int seconds = 0;
        if (!ParseDuration(*v, maxLengthHours, seconds))
            return UsageError("--min-length", *v, ResString(IDS_WIN_WHAT_LENGTH).c_str());
        c.minLength = seconds;
    }
    return kExitOk;
}

int ApplyCodePage(const Arguments& args) {
    const std::optional<std::string> v = args.Value("--codepage");
    if (!v)
        return kExitOk;
    int codePage = 0;
    if (!ParseInt(*v, codePage) || !SetFileCodePage(codePage))
        return UsageError("--codepage", *v, ResString(IDS_CLI_WHAT_CODEPAGE).c_str());
    return kExitOk;
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
        if (const int status = ParseAt(*v, r); status != kExitOk)
            return status;
    }
    if (auto v = value("--gmt-offset")) {
        double offset = 0;
        if (!r.adHoc)
            return Fail(kExitUsage, FormatText(ResString(IDS_CLI_NEEDS).c_str(), "--gmt-offset", "--at"));
        if (!ParseDouble(*v, offset) || offset < -12 || offset > 14)
            return UsageError("--gmt-offset", *v, ResString(IDS_CLI_WHAT_GMT_OFFSET).c_str());
        r.gmtOffset = static_cast<float>(offset);
    }
    if (auto v = value("--tz")) {
        if (value("--gmt-offset"))
            return conflict("--tz", "--gmt-offset");
        if (v->empty())
            return Fail(kExitUsage, FormatText(ResString(IDS_CLI_UNKNOWN_ZONE).c_str(), ""));
        r.timeZone = *v;
    }
    r.almanacPaths = args.Values("--almanac");
    if (auto v = value("--date")) {
        int d, m, y;
        if (*v == "almanac")
            r.almanacDate = true;
        else if (!ParseDate(*v, d, m, y))
            return UsageError("--date", *v, ResString(IDS_CLI_WHAT_DATE_ALMANAC).c_str());
        else
            r.date = std::array<int, 3>{d, m, y};
    }
    r.allowOld = args.Has("--allow-old");
    if (auto v = value("--from")) {
        if (!ParseClock(*v, r.fromHour, r.fromMinute) || r.fromHour == 24)
            return UsageError("--from", *v, ResString(IDS_CLI_WHAT_TIME).c_str());
    }
    if (auto v = value("--to")) {
        if (!ParseClock(*v, r.toHour, r.toMinute))
            return UsageError("--to", *v, ResString(IDS_CLI_WHAT_TIME).c_str());
    }
    int choice = 0;
    // Minutes that divide an hour, so that every row falls on the same minutes of each hour.
    static const int kStepMinutes[] = {15, 1, 2, 5, 10, 30, 60};
    if (const int status = ParseChoice(args, "--step", {"15", "1", "2", "5", "10", "30", "60"}, 0, choice))
        return status;
    r.step = kStepMinutes[choice] * 60;
    if (const int status = ParseChoice(args, "--mode", {"3d", "2d"}, 0, choice))
        return status;
    r.mode = choice; // 1 = 2-D
    if (auto v = value("--cutoff")) {
        if (!ParseInt(*v, r.cutoff) || r.cutoff < 0 || r.cutoff > 89)
            return UsageError("--cutoff", *v, "0-89");
    }
    if (auto v = value("--systems"))
        if (const int status = ParseSystems(*v, r.systems); status != kExitOk)
            return status;
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
    if (auto v = value("--dem"))
        r.demPath = *v;
    if (const int status = ParseTerrainOptions(args, false, r.terrain))
        return status;
    if (auto v = value("--days")) {
        if (!ParseInt(*v, r.days) || r.days < 1 || r.days > kMaxDays)
            return Fail(kExitUsage,
                        FormatText(ResString(IDS_CLI_BAD_RANGE).c_str(), "--days", v->c_str(), 1, kMaxDays));
    }
    return kExitOk;
}
