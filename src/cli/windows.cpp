// tavrin-cli windows: when to observe. The stretches of time in which one site, or every site of a
// network at once, meets the surveyor's conditions, over one day or several.
#include <iostream>

#include "base/strings.h"
#include "base/text.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/planner.h"
#include "cli/textbuffer.h"
#include "engine/calculator.h"
#include "engine/planseries.h"
#include "engine/windowsearch.h"

namespace {

constexpr int kNetworkMinCommon = 4; // a baseline needs four satellites seen at both ends

enum class Format { Text, Csv, Json };

struct WindowsRun {
    PlanRequest request;
    PlanSetup setup;
    WindowConditions conditions;
    bool minCommonGiven = false;
    WindowOrder order = WindowOrder::Length;
    Format format = Format::Text;
};

// "YYYY-MM-DD HH:MM" on the series' clock; an end at midnight is the day's 24:00.
std::string Moment(const PlanSetup& setup, int seconds, bool end) {
    int day = seconds / kSecondsPerDay, time = seconds % kSecondsPerDay;
    if (end && time == 0 && day > 0) {
        --day;
        time = kSecondsPerDay;
    }
    return DateOfDay(setup, day) + " " + FormatText("%02d:%02d", time / 3600, time % 3600 / 60);
}

std::string Length(int seconds) {
    return FormatText("%02d:%02d", seconds / 3600, seconds % 3600 / 60);
}

std::string CommonList(const SatelliteSet& common, const char* separator) {
    std::string list;
    for (int j : kListedSatellites)
        if (common.test(static_cast<size_t>(j))) {
            if (!list.empty())
                list += separator;
            list += SatelliteName(j);
        }
    return list;
}

std::string SiteNames(const PlanSetup& setup) {
    std::string names;
    for (const SiteInfo& s : setup.sites) {
        if (!names.empty())
            names += ", ";
        names += Printable(s.name);
    }
    return names;
}

std::string Text(const WindowsRun& run, const std::vector<Window>& windows) {
    const PlanSetup& setup = run.setup;
    const WindowConditions& c = run.conditions;
    const Calculator& calc = setup.calc();
    const SiteInfo& clock = setup.sites.front();
    const bool network = setup.sites.size() > 1;
    const int days = run.request.days;
    std::string out;
    out += network ? FormatText(ResString(IDS_WIN_TITLE_NETWORK).c_str(),
                                static_cast<int>(setup.sites.size()), SiteNames(setup).c_str())
                   : FormatText(ResString(IDS_WIN_TITLE_ONE).c_str(), Printable(clock.name).c_str());
    out += '\n';
    out += FormatText(ResString(IDS_WIN_SPAN).c_str(), DateOfDay(setup, 0).c_str(),
                      DateOfDay(setup, days - 1).c_str(), days, Printable(clock.name).c_str(),
                      static_cast<double>(clock.gmtOffset));
    out += '\n';
    out += FormatText(
        ResString(IDS_WIN_SETTINGS).c_str(), calc.step() / 60, CutOffDegrees(calc.elevationMask()),
        ResString(calc.mode() == 1 ? IDS_WIN_MODE_2D : IDS_WIN_MODE_3D).c_str(),
        ResString(calc.obstructionsOn() ? IDS_WIN_OBSTRUCTIONS_ON : IDS_WIN_OBSTRUCTIONS_OFF).c_str());
    out += '\n';
    std::string conditions = c.maxPdop > 0 ? FormatText(ResString(IDS_WIN_COND_PDOP).c_str(), c.maxPdop)
                                           : ResString(IDS_WIN_COND_ANY_PDOP);
    if (c.minSatellites > 0)
        conditions += ", " + FormatText(ResString(IDS_WIN_COND_SATELLITES).c_str(), c.minSatellites);
    if (c.minCommon > 0)
        conditions += ", " + FormatText(ResString(IDS_WIN_COND_COMMON).c_str(), c.minCommon);
    if (c.minLength > 0)
        conditions += ", " + FormatText(ResString(IDS_WIN_COND_LENGTH).c_str(), Length(c.minLength).c_str());
    if (c.dailyFrom != 0 || c.dailyTo != kSecondsPerDay)
        conditions += ", " + FormatText(ResString(IDS_WIN_COND_HOURS).c_str(), Length(c.dailyFrom).c_str(),
                                        Length(c.dailyTo).c_str());
    out += FormatText(ResString(IDS_WIN_CONDITIONS).c_str(), conditions.c_str());
    out += "\n\n";
    if (windows.empty())
        return out + ResString(IDS_WIN_NONE) + '\n';

    out += ResString(IDS_WIN_HEADING);
    if (network)
        out += ResString(IDS_WIN_HEADING_COMMON);
    out += '\n';
    int n = 0;
    for (const Window& w : windows) {
        out +=
            FormatText("%3d  %s  %s  %7s  %10.2f  %9.2f  %10d", ++n, Moment(setup, w.start, false).c_str(),
                       Moment(setup, w.end, true).c_str(), Length(w.Length()).c_str(),
                       static_cast<double>(w.worstPdop), static_cast<double>(w.meanPdop), w.fewestSatellites);
        if (network)
            out += FormatText("  %6d  %s", w.fewestCommon, CommonList(w.common, " ").c_str());
        out += '\n';
    }
    const int sortName = run.order == WindowOrder::Length ? IDS_WIN_SORT_LENGTH
                         : run.order == WindowOrder::Pdop ? IDS_WIN_SORT_PDOP
                                                          : IDS_WIN_SORT_TIME;
    out += '\n' + FormatText(ResString(IDS_WIN_COUNT).c_str(), n, ResString(sortName).c_str()) + '\n';
    return out;
}

std::string Csv(const WindowsRun& run, const std::vector<Window>& windows) {
    TextBuffer b;
    b << "start,end,start_seconds,end_seconds,length,length_seconds,worst_pdop,mean_pdop,fewest_satellites,"
         "fewest_common,common\n";
    for (const Window& w : windows) {
        b << Moment(run.setup, w.start, false) << ',' << Moment(run.setup, w.end, true) << ',';
        b.Int(w.start) << ',';
        b.Int(w.end) << ',' << Length(w.Length()) << ',';
        b.Int(w.Length()) << ',';
        b.Fixed(w.worstPdop, 3) << ',';
        b.Fixed(w.meanPdop, 3) << ',';
        b.Int(w.fewestSatellites) << ',';
        b.Int(w.fewestCommon) << ',' << CommonList(w.common, " ") << '\n';
    }
    return b.Take();
}

std::string Json(const WindowsRun& run, const std::vector<Window>& windows) {
    const PlanSetup& setup = run.setup;
    const Calculator& calc = setup.calc();
    const WindowConditions& c = run.conditions;
    TextBuffer b;
    b << "{\n  \"sites\": [";
    for (size_t i = 0; i < setup.sites.size(); ++i) {
        const SiteInfo& s = setup.sites[i];
        b << (i ? ",\n    " : "\n    ") << '{';
        JsonSiteMembers(b, s);
        b << '}';
    }
    b << "\n  ],\n  \"clock\": {\"site\": " << JsonString(setup.sites.front().name) << ", \"gmtOffset\": ";
    b.JsonFixed(setup.sites.front().gmtOffset, 2) << "},\n";
    b << "  \"almanac\": " << JsonSourceList(setup.sources.front().sources, run.request.systems) << ",\n";
    b << "  \"orbits\": " << JsonOrbits(setup.sources.front().sources, run.request.systems) << ",\n";
    b << "  \"date\": " << JsonString(DateOfDay(setup, 0)) << ", \"days\": ";
    b.Int(run.request.days) << ", ";
    JsonSettingsMembers(b, calc);
    b << ",\n";
    b << "  \"conditions\": {\"maxPdop\": ";
    if (c.maxPdop > 0)
        b.JsonFixed(c.maxPdop, 2);
    else
        b << "null";
    b << ", \"minSatellites\": ";
    b.Int(c.minSatellites) << ", \"minCommon\": ";
    b.Int(c.minCommon) << ", \"minLength\": " << JsonString(Length(c.minLength))
                       << ", \"from\": " << JsonString(Length(c.dailyFrom))
                       << ", \"to\": " << JsonString(Length(c.dailyTo)) << "},\n";
    b << "  \"sort\": "
      << JsonString(run.order == WindowOrder::Length ? "length"
                    : run.order == WindowOrder::Pdop ? "pdop"
                                                     : "time")
      << ",\n  \"windows\": [";
    for (size_t i = 0; i < windows.size(); ++i) {
        const Window& w = windows[i];
        b << (i ? ",\n    " : "\n    ") << "{\"start\": " << JsonString(Moment(setup, w.start, false))
          << ", \"end\": " << JsonString(Moment(setup, w.end, true)) << ", \"startSeconds\": ";
        b.Int(w.start) << ", \"endSeconds\": ";
        b.Int(w.end) << ", \"length\": " << JsonString(Length(w.Length())) << ", \"lengthSeconds\": ";
        b.Int(w.Length()) << ",\n     \"worstPdop\": ";
        b.JsonFixed(w.worstPdop, 3) << ", \"meanPdop\": ";
        b.JsonFixed(w.meanPdop, 3) << ", \"fewestSatellites\": ";
        b.Int(w.fewestSatellites) << ", \"fewestCommon\": ";
        b.Int(w.fewestCommon) << ",\n     \"common\": [";
        bool first = true;
        for (int j : kListedSatellites) {
            if (!w.common.test(static_cast<size_t>(j)))
                continue;
            b << (first ? "" : ", ") << JsonString(SatelliteName(j));
            first = false;
        }
        b << "],\n     \"sites\": [";
        for (size_t s = 0; s < w.sites.size(); ++s) {
            const SiteWindowFigures& f = w.sites[s];
            b << (s ? ", " : "") << "{\"name\": " << JsonString(setup.sites[s].name) << ", \"worstPdop\": ";
            b.JsonFixed(f.worstPdop, 3) << ", \"meanPdop\": ";
            b.JsonFixed(f.meanPdop, 3) << ", \"fewestSatellites\": ";
            b.Int(f.fewestSatellites) << '}';
        }
        b << "]}";
    }
    b << (windows.empty() ? "]\n}\n" : "\n  ]\n}\n");
    return b.Take();
}

int ParseConditions(const Arguments& args, WindowsRun& run) {
    if (const int status = ParseWindowConditions(args, 31 * 24, run.conditions))
        return status;
    run.minCommonGiven = args.Has("--min-common");
    int choice = 0;
    if (const int status = ParseChoice(args, "--sort", {"length", "pdop", "time"}, 0, choice))
        return status;
    run.order = static_cast<WindowOrder>(choice);
    if (const int status = ParseChoice(args, "--format", {"text", "csv", "json"}, 0, choice))
        return status;
    run.format = static_cast<Format>(choice);
    return kExitOk;
}

} // namespace

int RunWindows(const Words& words) {
    const Arguments args(words, OptionsOf("windows"));
    if (const std::optional<int> end = EndsAtOnce(args, "windows"))
        return *end;
    if (!args.Positional().empty())
        return Fail(kExitUsage,
                    FormatText(ResString(IDS_CLI_UNEXPECTED_ARGUMENT).c_str(), args.Positional()[0].c_str()));
    WindowsRun run;
    if (const int status = ParseConditions(args, run); status != kExitOk)
        return status;
    if (const int status = ParsePlanRequest(args, run.request); status != kExitOk)
        return status;
    WindowConditions& c = run.conditions;
    c.dailyFrom = run.request.fromHour * 3600 + run.request.fromMinute * 60;
    c.dailyTo = run.request.toHour * 3600 + run.request.toMinute * 60;

    if (const int status = PreparePlan(run.request, run.setup); status != kExitOk)
        return status;
    // Opened before computing: an output that cannot be written is said at once.
    Output out;
    if (const int status = out.Open(args.Value("--output").value_or(""), args.Has("--force")))
        return status;
    PlanSetup& setup = run.setup;
    if (!run.minCommonGiven && setup.sites.size() > 1)
        c.minCommon = kNetworkMinCommon;

    // Every site on the first site's clock, so that their samples fall at the same instants.
    SeriesRequest series;
    series.day = setup.day;
    series.month = setup.month;
    series.year = setup.year;
    series.days = run.request.days;
    series.clockOffset = setup.sites.front().gmtOffset;
    series.workers = WorkerCount(static_cast<int>(setup.sites.size()));
    std::vector<SiteSeries> computed;
    switch (ComputeSeries(setup.calc(), setup.sites, series, computed)) {
    case PlanRunResult::Done:
        break;
    case PlanRunResult::OutOfMemory:
        return Fail(kExitFailure, ResString(IDS_PLAN_OUT_OF_MEMORY));
    default:
        return Fail(kExitFailure, ResString(IDS_PLAN_COMPUTE_FAILED));
    }
    std::vector<const SiteSeries*> sites;
    for (const SiteSeries& s : computed)
        sites.push_back(&s);
    std::vector<Window> windows = FindWindows(sites, c);
    SortWindows(windows, run.order);

    if (run.format == Format::Text) {
        out.Write(Text(run, windows));
    } else {
        if (windows.empty())
            Fail(kExitOk, ResString(IDS_WIN_NONE));
        out.Write(run.format == Format::Csv ? Csv(run, windows) : Json(run, windows));
    }
    return out.Finish();
}
