#include "cli/planner.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>

#include "base/codepage.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "engine/almanac_scan.h"

namespace fs = std::filesystem;

namespace {

constexpr int kAgeLimitDays = 60;

int UsageError(const char* option, const std::string& value, const char* what) {
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_VALUE).c_str(), option, value.c_str(), what));
}

// "G05" -> 5, "R12" -> 32 + 12; 0 when not a satellite.
int SatelliteFromName(const std::string& name) {
    if (name.size() < 2)
        return 0;
    const char system = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    int number = 0;
    if (!ParseInt(name.substr(1), number) || !IsAllDigits(name.c_str() + 1))
        return 0;
    if (system == 'G' && number >= 1 && number <= kGpsSatellites)
        return number;
    if (system == 'R' && number >= 1 && number <= kGlonassSatellites)
        return kGpsSatellites + number;
    return 0;
}

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

void ReportSkippedEntries(const project& list) {
    if (list.skippedEntries > 0)
        Fail(kExitOk,
             FormatText(LoadResString(IDS_OLD_ENTRIES_SKIPPED), list.path.c_str(), list.skippedEntries));
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
    if (auto v = value("--site"))
        r.siteName = *v;
    if (auto v = value("--at")) {
        if (value("--sites") || value("--site"))
            return Fail(kExitUsage,
                        FormatText(ResString(IDS_CLI_CONFLICT).c_str(), "--at", "--sites/--site"));
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
    if (auto v = value("--almanac"))
        r.almanacPath = *v;
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
        r.gps = r.glonass = false;
        for (const std::string& s : SplitList(*v, ',')) {
            if (s == "gps")
                r.gps = true;
            else if (s == "glonass")
                r.glonass = true;
            else
                return UsageError("--systems", *v, "gps, glonass");
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

int MakePlan(const PlanRequest& r, Plan& plan) {
    // the site
    if (r.adHoc) {
        plan.adHocSite = SiteInfo(r.latitude, r.longitude, r.altitude, ResString(IDS_CLI_ADHOC_SITE).c_str(),
                                  "", r.gmtOffset);
        plan.site = &plan.adHocSite;
    } else {
        const std::string path =
            r.sitesPath.empty() ? BundledDataDirectory() + "sites/sample.spl" : r.sitesPath;
        if (const std::string problem = InputFileProblem(path); !problem.empty())
            return Fail(kExitInput, problem);
        plan.sites = std::make_unique<project>(path);
        if (plan.sites->loadFailed)
            return Fail(kExitInput, FormatText(ResString(IDS_CLI_NOT_A_SITE_LIST).c_str(), path.c_str()));
        ReportSkippedEntries(*plan.sites);
        for (const std::string& fault : plan.sites->SiteFaults())
            Fail(kExitOk, fault);
        AList<SiteInfo>& sites = plan.sites->sites;
        if (r.siteName.empty()) {
            plan.site = plan.sites->CurrentSite();
        } else {
            int position = 0;
            if (ParseInt(r.siteName, position) && IsAllDigits(r.siteName.c_str())) {
                if (position < 1 || position > sites.Count())
                    return Fail(kExitInput, FormatText(ResString(IDS_CLI_NO_SUCH_SITE).c_str(),
                                                       r.siteName.c_str(), path.c_str()));
                plan.site = sites.GetAt(position - 1);
            } else if (sites.First()) {
                do
                    if (r.siteName == sites.Current()->name)
                        plan.site = sites.Current();
                while (!plan.site && sites.Next());
            }
            if (!plan.site)
                return Fail(kExitInput, FormatText(ResString(IDS_CLI_NO_SUCH_SITE).c_str(),
                                                   r.siteName.c_str(), path.c_str()));
        }
    }

    if (!plan.site->HasValidValues())
        return Fail(kExitInput, FormatText(ResString(IDS_CLI_SITE_UNUSABLE).c_str(), plan.site->name,
                                           plan.site->ValueFault().c_str()));

    // the almanac: a file, or the candidates of a directory newest first
    plan.calc = std::make_unique<Calculator>();
    Calculator& calc = *plan.calc;
    if (r.date)
        calc.SetWeekReference(MakeCalendarTime(0, 0, 0, (*r.date)[0], (*r.date)[1], (*r.date)[2]));
    const std::string almanac = r.almanacPath.empty() ? BundledDataDirectory() + "almanacs/" : r.almanacPath;
    std::error_code ec;
    if (fs::is_directory(almanac, ec)) {
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
    } else {
        if (const std::string problem = InputFileProblem(almanac); !problem.empty())
            return Fail(kExitInput, problem);
        calc.LoadAlmanac(almanac);
        if (calc.loadState() != kLoadOk)
            return AlmanacRefused(calc, almanac);
    }

    // the settings; the step only once an almanac is loaded, as the engine refuses it before
    calc.SetTimeStep(r.step);
    calc.SetElevationMask(CutOffRadians(r.cutoff));
    calc.SetMode(r.mode);
    calc.SetObstructionsOn(r.obstructions ? 1 : 0);
    for (int n = 1; n <= kSatellites; ++n) {
        const bool systemOff = n <= kGpsSatellites ? !r.gps : !r.glonass;
        if (systemOff || std::find(r.excluded.begin(), r.excluded.end(), n) != r.excluded.end())
            calc.SetSatelliteState(n, 1);
    }

    // the interval
    int day, month, year;
    if (r.date) {
        day = (*r.date)[0];
        month = (*r.date)[1];
        year = (*r.date)[2];
    } else {
        std::optional<CalendarTime> own = AlmanacDate(calc);
        // An almanac dated outside the calendar --date accepts (a damaged week): plan today instead.
        if (own && !IsValidDate(own->day, own->month + 1, own->year + 1900))
            own.reset();
        const PlanInterval today = PlanInterval::Today();
        day = own ? own->day : today.beginDay;
        month = own ? own->month + 1 : today.beginMonth;
        year = own ? own->year + 1900 : today.beginYear;
    }
    plan.interval = PlanInterval(day, month, year, r.fromHour, r.fromMinute, r.toHour, r.toMinute);

    const int age = calc.AlmanacAgeClass(plan.interval, kAgeLimitDays);
    if (age != 0) {
        std::string warning = ResString(age > 0 ? 2002 : 2020);
        std::replace(warning.begin(), warning.end(), '\n', ' ');
        Fail(kExitOk, warning);
    }
    calc.Recalculate(*plan.site, plan.interval, 1);
    return kExitOk;
}

std::string JsonNumber(double value, int decimals) {
    return std::isfinite(value) ? FormatText("%.*f", decimals, value) : std::string("null");
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
