// tavrin-cli sites FILE and tavrin-cli almanac FILE: what a site list or an almanac holds.
#include <filesystem>
#include <iostream>
#include <sstream>

#include "base/strings.h"
#include "base/text.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/planner.h"
#include "cli/textbuffer.h"
#include "engine/almanac_import.h"
#include "engine/calculator.h"
#include "engine/gnsstime.h"
#include "engine/keplerianalmanacs.h"
#include "engine/rinexnav.h"
#include "sites/project.h"

namespace fs = std::filesystem;

namespace {

// "ok", "off", "unhealthy, off", ...: the status word in words.
std::string StatusText(int32_t status) {
    if ((status & ~StatusUnhealthy) == StatusNoAlmanac)
        return ResString(IDS_CLI_STATUS_NO_ALMANAC);
    std::string text =
        ResString(status & StatusUnhealthy ? IDS_CLI_STATUS_UNHEALTHY : IDS_CLI_STATUS_HEALTHY);
    if (status & StatusDisabled)
        text += ResString(IDS_CLI_STATUS_OFF);
    return text;
}

// What a navigation file holds: per system its satellites, their health at the last record and the
// span of the records; then every satellite.
int DescribeNavigation(const std::string& path, const std::string& output, bool force) {
    const NavigationFile file = ReadOrbitFile(path, TodayUtc(), true);
    for (const std::string& w : file.warnings)
        Fail(kExitOk, w);
    if (!file.errors.empty())
        return Fail(kExitInput, file.errors.front());
    BroadcastEphemerides set;
    set.Add(file);
    std::ostringstream o;
    if (file.majorVersion > 0)
        o << FormatText(ResString(IDS_CLI_NAVIGATION_FILE).c_str(), path.c_str(), file.majorVersion) << '\n';
    else
        o << FormatText(ResString(IDS_CLI_ORBIT_ALMANAC_FILE).c_str(), path.c_str()) << '\n';
    std::string satellites;
    for (int s = 0; s < kGnssSystems; ++s) {
        const GnssSystem system = static_cast<GnssSystem>(s);
        int count = 0, healthy = 0;
        double first = 0, last = 0;
        if (!set.Coverage(system, count, first, last))
            continue;
        for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n) {
            const int i = SatelliteCatalogue::Index({system, n});
            if (!set.Has(i))
                continue;
            const bool good = set.HealthAt(i, last) == SatelliteHealth::Healthy;
            healthy += good ? 1 : 0;
            satellites += SatelliteName(i) + "  " +
                          ResString(good ? IDS_CLI_STATUS_HEALTHY : IDS_CLI_STATUS_UNHEALTHY) + '\n';
        }
        o << FormatText(ResString(IDS_CLI_NAVIGATION_SYSTEM).c_str(), SystemTitle(system).c_str(), count,
                        healthy, MinuteText(first).c_str(), MinuteText(last).c_str())
          << '\n';
    }
    return WriteOutput(output, o.str() + satellites, force);
}

} // namespace

int RunSites(const Words& words) {
    for (const char* command : {"new", "add", "remove", "import", "export"})
        if (!words.empty() && words[0] == command)
            return RunSitesChange(command, Words(words.begin() + 1, words.end()));
    const Arguments args(words, OptionsOf("sites"));
    if (const std::optional<int> end = EndsAtOnce(args, "sites"))
        return *end;
    if (args.Positional().size() != 1)
        return Fail(kExitUsage, ResString(IDS_CLI_SITES_USAGE).c_str());
    int formatIndex = 0;
    if (const int status = ParseChoice(args, "--format", {"text", "json"}, 0, formatIndex))
        return status;
    const bool json = formatIndex == 1;
    if (const int status = ApplyCodePage(args))
        return status;
    std::unique_ptr<project> opened;
    if (const int status = OpenSiteList(args.Positional()[0], opened); status != kExitOk)
        return status;
    project& list = *opened;

    std::ostringstream o;
    const AList<SiteInfo>& sites = list.sites;
    if (json) {
        o << "{\"current\": " << list.currentIndex + 1 << ", \"sites\": [";
        int i = 0;
        for (const SiteInfo& s : sites) {
            o << (i ? ",\n  " : "\n  ");
            ++i;
            TextBuffer b;
            b << "{\"position\": ";
            b.Int(i) << ", ";
            JsonSiteMembers(b, s, true);
            o << b.Text() << "}";
        }
        o << "\n]}\n";
    } else {
        o << ResString(IDS_CLI_SITES_HEADING);
        int i = 0;
        for (const SiteInfo& s : sites) {
            ++i;
            o << FormatText("%c%3d  %-20s %12.6f %12.6f %9.2f %6.2f %5d\n",
                            i - 1 == list.currentIndex ? '*' : ' ', i, Printable(s.name).c_str(), s.latitude,
                            s.longitude, s.altitude, static_cast<double>(s.gmtOffset),
                            s.obstructions.Count());
        }
    }
    return WriteOutput(args.Value("--output").value_or(""), o.str(), args.Has("--force"));
}

int RunAlmanac(const Words& words) {
    if (!words.empty() && words[0] == "import")
        return RunAlmanacImport(Words(words.begin() + 1, words.end()));
    if (!words.empty() && words[0] == "fetch")
        return RunFullFetch(Words(words.begin() + 1, words.end()));
    const Arguments args(words, OptionsOf("almanac"));
    if (const std::optional<int> end = EndsAtOnce(args, "almanac"))
        return *end;
    if (args.Positional().size() != 1)
        return Fail(kExitUsage, ResString(IDS_CLI_ALMANAC_USAGE).c_str());
    const std::string path = args.Positional()[0];
    if (const std::string problem = InputFileProblem(path); !problem.empty())
        return Fail(kExitInput, problem);
    if (IsNavigationFile(path))
        return DescribeNavigation(path, args.Value("--output").value_or(""), args.Has("--force"));
    PlanSession session;
    const Calculator& calc = session.engine();
    if (!session.LoadAlmanac(path))
        return AlmanacRefused(calc, path);

    std::ostringstream o;
    o << FormatText(ResString(IDS_CLI_ALMANAC_FILE).c_str(), path.c_str()) << '\n';
    if (const std::optional<AlmanacDay> day = session.AlmanacDate())
        o << FormatText(ResString(IDS_CLI_ALMANAC_DATE).c_str(), day->date.year + 1900, day->date.month + 1,
                        day->date.day)
          << '\n';
    int present[2] = {0, 0}, healthy[2] = {0, 0};
    for (int i = 0; i < kSatellites; ++i) {
        const int system = i < kGpsSatellites ? 0 : 1;
        if (calc.HasAlmanac(i)) {
            ++present[system];
            if (!(calc.status(i) & StatusUnhealthy))
                ++healthy[system];
        }
    }
    for (int system = 0; system < 2; ++system)
        if (present[system])
            o << FormatText(ResString(IDS_CLI_ALMANAC_SYSTEM).c_str(),
                            ResString(system ? IDS_GLONASS : IDS_GPS).c_str(), present[system],
                            healthy[system])
              << '\n';
    for (int i = 0; i < kSatellites; ++i) {
        const bool gps = i < kGpsSatellites;
        if ((gps && !present[0]) || (!gps && !present[1]))
            continue;
        o << FormatText("%c%02d  %s", gps ? 'G' : 'R', gps ? i + 1 : i - kGpsSatellites + 1,
                        StatusText(calc.status(i)).c_str());
        if (!gps && calc.HasAlmanac(i))
            o << FormatText(ResString(IDS_CLI_ALMANAC_CHANNEL).c_str(), calc.FrequencyNumber(i));
        o << '\n';
    }
    return WriteOutput(args.Value("--output").value_or(""), o.str(), args.Has("--force"));
}
