// tavrin-cli plan: one day (or interval) of visibility and DOP for one site.
#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

#include "base/strings.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/planner.h"
#include "engine/calculator.h"
#include "reports/table.h"

namespace {

constexpr double kRadToDeg = 57.29577951308232;

enum class TableKind { Dop, Visibility, Both };
enum class Format { Text, Csv, Json };

// A CSV field: empty for a value that is not a finite number.
std::string Number(double v, int decimals) {
    return std::isfinite(v) ? FormatText("%.*f", decimals, v) : std::string();
}

// The local time printed for the j-th sample of the interval, seconds from midnight of the date.
int SampleSeconds(const Plan& plan, int j) {
    return IntervalStartSeconds(plan.interval) + j * plan.calc->step();
}

std::string SystemName(int sat) {
    return ResString(sat < kGpsSatellites ? 2216 : 2217);
}
int SatelliteNumber(int sat) {
    return sat < kGpsSatellites ? sat + 1 : sat - kGpsSatellites + 1;
}

std::string DopCsv(const Plan& plan) {
    const Calculator& c = *plan.calc;
    std::string out = "time,seconds,pdop,gdop,hdop,vdop,tdop,satellites,solution\n";
    for (int j = 0; j < c.intervalCount(); ++j) {
        const int k = c.intervalFirst() + j;
        const int t = SampleSeconds(plan, j);
        out += ClockText(t) + "," + std::to_string(t) + "," + Number(c.pdop()[k], 3) + "," +
               Number(c.gdop()[k], 3) + "," + Number(c.hdop()[k], 3) + "," + Number(c.vdop()[k], 3) + "," +
               Number(c.tdop()[k], 3) + "," + std::to_string(c.satelliteCount()[k]) + "," +
               std::to_string(c.solutionFlag()[k]) + "\n";
    }
    return out;
}

std::string VisibilityCsv(const Plan& plan) {
    const Calculator& c = *plan.calc;
    std::string out = "time,seconds,system,number,azimuth,elevation,visible\n";
    for (int j = 0; j < c.intervalCount(); ++j) {
        const int k = c.intervalFirst() + j;
        const int t = SampleSeconds(plan, j);
        for (int sat = 0; sat < kSatellites; ++sat) {
            if (!c.HasAlmanac(sat))
                continue;
            const SatSample& s = c.samples(sat)[k];
            out += ClockText(t) + "," + std::to_string(t) + "," + SystemName(sat) + "," +
                   std::to_string(SatelliteNumber(sat)) + "," + Number(s.azimuth * kRadToDeg, 2) + "," +
                   Number(s.elevation * kRadToDeg, 2) + "," + std::to_string(s.visible) + "\n";
        }
    }
    return out;
}

std::string Json(const Plan& plan, TableKind kind) {
    const Calculator& c = *plan.calc;
    const SiteInfo& site = *plan.site;
    std::ostringstream o;
    o << "{\n  \"site\": {\"name\": " << JsonString(site.name)
      << ", \"latitude\": " << JsonNumber(site.latitude, 8)
      << ", \"longitude\": " << JsonNumber(site.longitude, 8)
      << ", \"altitude\": " << JsonNumber(site.altitude, 2)
      << ", \"gmtOffset\": " << JsonNumber(site.gmtOffset, 2)
      << ", \"obstructions\": " << site.obstructions.Count() << "},\n";
    o << "  \"almanac\": " << JsonString(c.almanacFileName()) << ",\n";
    o << "  \"date\": "
      << JsonString(FormatText("%04d-%02d-%02d", plan.interval.beginYear, plan.interval.beginMonth,
                               plan.interval.beginDay))
      << ",\n  \"from\": "
      << JsonString(FormatText("%02d:%02d", plan.interval.beginHour, plan.interval.beginMinute))
      << ", \"to\": " << JsonString(FormatText("%02d:%02d", plan.interval.endHour, plan.interval.endMinute))
      << ",\n  \"step\": " << c.step() << ", \"mode\": " << JsonString(c.mode() == 1 ? "2d" : "3d")
      << ", \"cutoff\": " << static_cast<int>(c.elevationMask() * kRadToDeg + 0.5)
      << ", \"obstructions\": " << (c.obstructionsOn() ? "true" : "false") << ",\n";
    o << "  \"samples\": [";
    for (int j = 0; j < c.intervalCount(); ++j) {
        const int k = c.intervalFirst() + j;
        const int t = SampleSeconds(plan, j);
        o << (j ? ",\n" : "\n") << "    {\"time\": " << JsonString(ClockText(t)) << ", \"seconds\": " << t;
        if (kind != TableKind::Visibility)
            o << ", \"pdop\": " << JsonNumber(c.pdop()[k], 3) << ", \"gdop\": " << JsonNumber(c.gdop()[k], 3)
              << ", \"hdop\": " << JsonNumber(c.hdop()[k], 3) << ", \"vdop\": " << JsonNumber(c.vdop()[k], 3)
              << ", \"tdop\": " << JsonNumber(c.tdop()[k], 3) << ", \"satellites\": " << c.satelliteCount()[k]
              << ", \"solution\": " << c.solutionFlag()[k];
        if (kind != TableKind::Dop) {
            o << ",\n     \"sky\": [";
            bool first = true;
            for (int sat = 0; sat < kSatellites; ++sat) {
                if (!c.HasAlmanac(sat))
                    continue;
                const SatSample& s = c.samples(sat)[k];
                o << (first ? "" : ", ") << "{\"system\": " << JsonString(SystemName(sat))
                  << ", \"number\": " << SatelliteNumber(sat)
                  << ", \"azimuth\": " << JsonNumber(s.azimuth * kRadToDeg, 2)
                  << ", \"elevation\": " << JsonNumber(s.elevation * kRadToDeg, 2)
                  << ", \"visible\": " << s.visible << "}";
                first = false;
            }
            o << "]";
        }
        o << "}";
    }
    o << "\n  ]\n}\n";
    return o.str();
}

// The text pages; false when a page of `lines` lines cannot hold one row of a table.
bool TextTables(const Plan& plan, TableKind kind, int width, int lines, std::string& out) {
    const HeaderInfo header = MakeHeaderInfo(*plan.calc, plan.site, plan.interval);
    const TableMetrics metrics = TableMetrics::ForText(width, lines);
    bool whole = true;
    auto add = [&](Table& table) {
        table.SetPrintParameters(metrics);
        if (!out.empty())
            out += '\f';
        out += RenderPlainText(table.Pages(), table.CharsPerLine());
        whole = whole && !table.Stalled();
    };
    if (kind != TableKind::Visibility) {
        DOPTable dop(*plan.calc, header);
        add(dop);
    }
    if (kind != TableKind::Dop) {
        VisibilityTable vis(*plan.calc, header);
        add(vis);
    }
    return whole;
}

} // namespace

int RunPlan(const Words& words) {
    const Arguments args(
        words, {"--sites",  "--site",  "--at",    "--gmt-offset", "--almanac", "--date",    "--from",
                "--to",     "--step",  "--mode",  "--cutoff",     "--systems", "--exclude", "--table",
                "--format", "--width", "--lines", "--output",     "--graphs",  "--pdf",     "--codepage"},
        {"--no-obstructions", "--help"});
    if (!args.Ok())
        return Fail(kExitUsage, args.Error());
    if (args.Has("--help")) {
        return WriteOutput("", ResString(IDS_CLI_USAGE));
    }
    if (!args.Positional().empty())
        return Fail(kExitUsage,
                    FormatText(ResString(IDS_CLI_UNEXPECTED_ARGUMENT).c_str(), args.Positional()[0].c_str()));

    auto option = [&](const char* name, const char* fallback) { return args.Value(name).value_or(fallback); };
    int kindIndex = 0, formatIndex = 0;
    if (const int status = ParseChoice(args, "--table", {"dop", "visibility", "both"}, 0, kindIndex))
        return status;
    if (const int status = ParseChoice(args, "--format", {"text", "csv", "json"}, 0, formatIndex))
        return status;
    const auto kind = static_cast<TableKind>(kindIndex);
    const auto format = static_cast<Format>(formatIndex);
    int width = 100, lines = 66;
    if (!ParseInt(option("--width", "100"), width) || width < 20 || width > 1000)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_RANGE).c_str(), "--width",
                                           option("--width", "").c_str(), 20, 1000));
    if (!ParseInt(option("--lines", "66"), lines) || lines < 10 || lines > 100000)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_RANGE).c_str(), "--lines",
                                           option("--lines", "").c_str(), 10, 100000));

    PlanRequest request;
    if (const int status = ParsePlanRequest(args, request); status != kExitOk)
        return status;
    Plan plan;
    if (const int status = MakePlan(request, plan); status != kExitOk)
        return status;

    std::string out;
    if (format == Format::Json) {
        out = Json(plan, kind);
    } else if (format == Format::Csv) {
        if (kind != TableKind::Visibility)
            out += DopCsv(plan);
        if (kind == TableKind::Both)
            out += "\n";
        if (kind != TableKind::Dop)
            out += VisibilityCsv(plan);
    } else {
        if (!TextTables(plan, kind, width, lines, out))
            return Fail(kExitUsage, FormatText(LoadResString(IDS_CLI_PAGE_TOO_SHORT), lines));
    }
    const std::string graphs = option("--graphs", ""), pdf = option("--pdf", "");
    if (!graphs.empty() || !pdf.empty()) {
#ifdef TAVRIN_CLI_GRAPHS
        if (const int status = WriteGraphs(plan, graphs, pdf); status != kExitOk)
            return status;
        // Graphs alone: no table on standard output unless one was asked for.
        if (!args.Has("--table") && !args.Has("--format") && !args.Has("--output"))
            return kExitOk;
#else
        return Fail(kExitUsage,
                    FormatText(ResString(IDS_CLI_NO_GRAPHS).c_str(), graphs.empty() ? "--pdf" : "--graphs"));
#endif
    }
    return WriteOutput(option("--output", ""), out);
}
