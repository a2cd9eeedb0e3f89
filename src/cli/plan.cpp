// tavrin-cli plan: visibility and DOP of one site or many, over an interval on one day or several.
#include <atomic>
#include <iostream>
#include <memory>
#include <new>

#include "base/strings.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/planner.h"
#include "cli/textbuffer.h"
#include "engine/calculator.h"
#include "engine/planseries.h"
#include "reports/table.h"

namespace {

enum class TableKind { Dop, Visibility, Both };
enum class Format { Text, Csv, Json };

struct OutputOptions {
    TableKind kind = TableKind::Dop;
    Format format = Format::Text;
    int width = 100, lines = 66;
    bool batch = false; // every row names its site; JSON as one line per site
    int days = 1;
};

// What one site gives on one day: its text tables, or its CSV rows or JSON samples of each table.
struct Chunk {
    std::string dop, visibility;
    bool stalled = false; // a text page too short for one row of a table
};

int SatelliteNumber(int sat) {
    return SatelliteCatalogue::At(sat).number;
}

// "GPS", "GLONASS", "Galileo", "BeiDou", "QZSS": names of the exported tables, never translated.
const char* SystemOf(int sat) {
    return SystemName(SatelliteCatalogue::At(sat).system);
}

// A CSV field: quoted when it holds a separator, a quote or a line break.
void CsvField(TextBuffer& b, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        b << text;
        return;
    }
    b << '"';
    for (char c : text) {
        if (c == '"')
            b << '"';
        b << c;
    }
    b << '"';
}

// The samples of day `d`, their time counted from midnight of the first date. A whole-day
// interval's closing sample is the next day's first, and is left to it (`dropLast`).
void CsvDay(const Calculator& c, const SiteInfo& site, const PlanInterval& interval, int d, bool dropLast,
            const OutputOptions& o, Chunk& chunk) {
    const int rows = c.intervalCount() - (dropLast ? 1 : 0);
    const int start = IntervalStartSeconds(interval) + d * kSecondsPerDay;
    TextBuffer siteField;
    if (o.batch) {
        CsvField(siteField, site.name);
        siteField << ',';
    }
    if (o.kind != TableKind::Visibility) {
        TextBuffer b;
        b.Reserve(static_cast<size_t>(rows) * 64);
        for (int j = 0; j < rows; ++j) {
            const int k = c.intervalFirst() + j;
            const int t = start + j * c.step();
            b << siteField.Text();
            b.Clock(t) << ',';
            b.Int(t) << ',';
            b.Fixed(c.pdop()[k], 3) << ',';
            b.Fixed(c.gdop()[k], 3) << ',';
            b.Fixed(c.hdop()[k], 3) << ',';
            b.Fixed(c.vdop()[k], 3) << ',';
            b.Fixed(c.tdop()[k], 3) << ',';
            b.Int(c.satelliteCount()[k]) << ',';
            b.Int(c.solutionFlag()[k]) << '\n';
        }
        chunk.dop = b.Take();
    }
    if (o.kind != TableKind::Dop) {
        TextBuffer b;
        b.Reserve(static_cast<size_t>(rows) * SatelliteCatalogue::kSize * 40);
        for (int j = 0; j < rows; ++j) {
            const int k = c.intervalFirst() + j;
            const int t = start + j * c.step();
            for (int sat = 0; sat < SatelliteCatalogue::kSize; ++sat) {
                if (!c.HasAlmanac(sat))
                    continue;
                const SatSample& s = c.samples(sat)[k];
                b << siteField.Text();
                b.Clock(t) << ',';
                b.Int(t) << ',' << SystemOf(sat) << ',';
                b.Int(SatelliteNumber(sat)) << ',';
                b.Fixed(s.azimuth * kRadToDeg, 2) << ',';
                b.Fixed(s.elevation * kRadToDeg, 2) << ',';
                b.Int(s.visible) << '\n';
            }
        }
        chunk.visibility = b.Take();
    }
}

// The JSON samples of day `d`, each led by its comma (the caller drops the very first).
void JsonDay(const Calculator& c, const PlanInterval& interval, int d, bool dropLast, const OutputOptions& o,
             Chunk& chunk) {
    const int rows = c.intervalCount() - (dropLast ? 1 : 0);
    const int start = IntervalStartSeconds(interval) + d * kSecondsPerDay;
    const bool pretty = !o.batch;
    TextBuffer b;
    b.Reserve(static_cast<size_t>(rows) * (o.kind == TableKind::Dop ? 160 : 10000));
    for (int j = 0; j < rows; ++j) {
        const int k = c.intervalFirst() + j;
        const int t = start + j * c.step();
        b << (pretty ? ",\n    {\"time\": \"" : ",{\"time\": \"");
        b.Clock(t) << "\", \"seconds\": ";
        b.Int(t);
        if (o.kind != TableKind::Visibility) {
            b << ", \"pdop\": ";
            b.JsonFixed(c.pdop()[k], 3) << ", \"gdop\": ";
            b.JsonFixed(c.gdop()[k], 3) << ", \"hdop\": ";
            b.JsonFixed(c.hdop()[k], 3) << ", \"vdop\": ";
            b.JsonFixed(c.vdop()[k], 3) << ", \"tdop\": ";
            b.JsonFixed(c.tdop()[k], 3) << ", \"satellites\": ";
            b.Int(c.satelliteCount()[k]) << ", \"solution\": ";
            b.Int(c.solutionFlag()[k]);
        }
        if (o.kind != TableKind::Dop) {
            b << (pretty ? ",\n     \"sky\": [" : ", \"sky\": [");
            bool first = true;
            for (int sat = 0; sat < SatelliteCatalogue::kSize; ++sat) {
                if (!c.HasAlmanac(sat))
                    continue;
                const SatSample& s = c.samples(sat)[k];
                b << (first ? "{\"system\": \"" : ", {\"system\": \"") << SystemOf(sat) << "\", \"number\": ";
                b.Int(SatelliteNumber(sat)) << ", \"azimuth\": ";
                b.JsonFixed(s.azimuth * kRadToDeg, 2) << ", \"elevation\": ";
                b.JsonFixed(s.elevation * kRadToDeg, 2) << ", \"visible\": ";
                b.Int(s.visible) << '}';
                first = false;
            }
            b << ']';
        }
        b << '}';
    }
    chunk.dop = b.Take();
}

// The opening of one site's JSON object, up to the samples.
std::string JsonHead(const Calculator& c, const SiteInfo& site, const PlanInterval& interval, int days,
                     bool pretty) {
    const std::string nl = pretty ? "\n  " : " ";
    TextBuffer b;
    b << "{" << (pretty ? "\n  " : "") << "\"site\": {";
    JsonSiteMembers(b, site);
    b << "}," << nl;
    b << "\"almanac\": " << JsonString(c.almanacFileName()) << "," << nl;
    b << "\"orbits\": " << JsonOrbits(c) << "," << nl;
    b << "\"date\": "
      << JsonString(FormatText("%04d-%02d-%02d", interval.beginYear, interval.beginMonth, interval.beginDay))
      << ", \"days\": ";
    b.Int(days) << "," << nl << "\"from\": "
                << JsonString(FormatText("%02d:%02d", interval.beginHour, interval.beginMinute))
                << ", \"to\": " << JsonString(FormatText("%02d:%02d", interval.endHour, interval.endMinute))
                << "," << nl;
    JsonSettingsMembers(b, c);
    b << "," << nl;
    b << "\"samples\": [";
    return b.Take();
}

void TextTables(const Calculator& c, const SiteInfo& site, const PlanInterval& interval,
                const OutputOptions& o, Chunk& chunk) {
    const HeaderInfo header = MakeHeaderInfo(c, &site, interval);
    const TableMetrics metrics = TableMetrics::ForText(o.width, o.lines);
    std::string& out = chunk.dop;
    auto add = [&](Table& table) {
        table.SetPrintParameters(metrics);
        if (!out.empty())
            out += '\f';
        out += RenderPlainText(table.Pages(), table.CharsPerLine());
        chunk.stalled = chunk.stalled || table.Stalled();
    };
    if (o.kind != TableKind::Visibility) {
        DOPTable dop(c, header);
        add(dop);
    }
    if (o.kind != TableKind::Dop) {
        VisibilityTable vis(c, header);
        add(vis);
    }
}

// Every site over every day, one Calculator per worker; chunks[site][day].
bool ComputeChunks(const PlanRequest& request, PlanSetup& setup, const OutputOptions& o,
                   std::vector<std::vector<Chunk>>& chunks) {
    const int sites = static_cast<int>(setup.sites.size());
    try {
        chunks.assign(static_cast<size_t>(sites), std::vector<Chunk>(static_cast<size_t>(o.days)));
    } catch (const std::bad_alloc&) {
        return false;
    }
    const PlanInterval first = IntervalOfDay(request, setup, 0);
    const int a = first.beginHour * 3600 + first.beginMinute * 60;
    const int b = first.endHour * 3600 + first.endMinute * 60;
    const bool wholeDay = a == b || b - a == kSecondsPerDay;
    return PlanSitesOverDays(
        setup.calc(), setup.sites, o.days, o.batch ? WorkerCount(sites) : 1,
        [&](int d) { return IntervalOfDay(request, setup, d); }, std::nullopt,
        [&](const Calculator& calc, int i, int d) {
            const SiteInfo& site = setup.sites[static_cast<size_t>(i)];
            const PlanInterval interval = IntervalOfDay(request, setup, d);
            const bool dropLast = wholeDay && d + 1 < o.days;
            Chunk& chunk = chunks[static_cast<size_t>(i)][static_cast<size_t>(d)];
            if (o.format == Format::Text)
                TextTables(calc, site, interval, o, chunk);
            else if (o.format == Format::Csv)
                CsvDay(calc, site, interval, d, dropLast, o, chunk);
            else
                JsonDay(calc, interval, d, dropLast, o, chunk);
            return true;
        });
}

std::string Assemble(const PlanRequest& request, PlanSetup& setup, const OutputOptions& o,
                     std::vector<std::vector<Chunk>>& chunks) {
    std::string out;
    if (o.format == Format::Text) {
        for (auto& site : chunks)
            for (Chunk& day : site) {
                if (!out.empty())
                    out += '\f';
                out += day.dop;
                day.dop.clear();
            }
        return out;
    }
    if (o.format == Format::Csv) {
        const std::string site = o.batch ? "site," : "";
        if (o.kind != TableKind::Visibility) {
            out += site + "time,seconds,pdop,gdop,hdop,vdop,tdop,satellites,solution\n";
            for (auto& s : chunks)
                for (Chunk& day : s) {
                    out += day.dop;
                    std::string().swap(day.dop);
                }
        }
        if (o.kind == TableKind::Both)
            out += "\n";
        if (o.kind != TableKind::Dop) {
            out += site + "time,seconds,system,number,azimuth,elevation,visible\n";
            for (auto& s : chunks)
                for (Chunk& day : s) {
                    out += day.visibility;
                    std::string().swap(day.visibility);
                }
        }
        return out;
    }
    const PlanInterval first = IntervalOfDay(request, setup, 0);
    for (size_t i = 0; i < chunks.size(); ++i) {
        out += JsonHead(setup.calc(), setup.sites[i], first, o.days, !o.batch);
        bool leading = true;
        for (Chunk& day : chunks[i]) {
            if (leading && !day.dop.empty()) {
                out.append(day.dop, 1); // no comma before the first sample
                leading = false;
            } else {
                out += day.dop;
            }
            std::string().swap(day.dop);
        }
        out += o.batch ? "]}\n" : "\n  ]\n}\n";
    }
    return out;
}

} // namespace

int RunPlan(const Words& words) {
    const Arguments args(words,
                         {"--sites",  "--site",    "--at",    "--gmt-offset", "--almanac",   "--date",
                          "--from",   "--to",      "--step",  "--mode",       "--cutoff",    "--systems",
                          "--orbits", "--exclude", "--table", "--format",     "--width",     "--lines",
                          "--output", "--graphs",  "--pdf",   "--days",       "--positions", "--codepage"},
                         {"--no-obstructions", "--help", "--all-sites", "--force"}, {"--site", "--almanac"});
    if (!args.Ok())
        return Fail(kExitUsage, args.Error());
    if (args.Has("--help")) {
        return WriteOutput("", ResString(IDS_CLI_USAGE) + ResString(IDS_PLANNER_USAGE));
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
    OutputOptions o;
    o.kind = static_cast<TableKind>(kindIndex);
    o.format = static_cast<Format>(formatIndex);
    if (!ParseInt(option("--width", "100"), o.width) || o.width < 20 || o.width > 1000)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_RANGE).c_str(), "--width",
                                           option("--width", "").c_str(), 20, 1000));
    if (!ParseInt(option("--lines", "66"), o.lines) || o.lines < 10 || o.lines > 100000)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_RANGE).c_str(), "--lines",
                                           option("--lines", "").c_str(), 10, 100000));

    PlanRequest request;
    if (const int status = ParsePlanRequest(args, request); status != kExitOk)
        return status;
    o.batch = request.Batch();
    o.days = request.days;
    const std::string graphs = option("--graphs", ""), pdf = option("--pdf", "");
    const char* drawing = graphs.empty() ? "--pdf" : "--graphs";
    if ((!graphs.empty() || !pdf.empty()) && o.batch)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_CONFLICT).c_str(), drawing,
                                           "--all-sites/--positions/--site"));
    if ((!graphs.empty() || !pdf.empty()) && o.days > 1)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_CONFLICT).c_str(), drawing, "--days"));
#ifndef TAVRIN_CLI_GRAPHS
    if (!graphs.empty() || !pdf.empty())
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_NO_GRAPHS).c_str(), drawing));
#endif

    PlanSetup setup;
    if (const int status = PreparePlan(request, setup); status != kExitOk)
        return status;
    std::vector<std::vector<Chunk>> chunks;
    if (!ComputeChunks(request, setup, o, chunks))
        return Fail(kExitFailure, FormatText(ResString(IDS_PLAN_COMPUTE_FAILED).c_str(),
                                             setup.calc().almanacFileName().c_str()));
    for (const std::vector<Chunk>& site : chunks)
        for (const Chunk& chunk : site)
            if (chunk.stalled)
                return Fail(kExitUsage, FormatText(LoadResString(IDS_CLI_PAGE_TOO_SHORT), o.lines));
    std::string out;
    try {
        out = Assemble(request, setup, o, chunks);
    } catch (const std::bad_alloc&) {
        return Fail(kExitFailure, ResString(IDS_PLAN_OUT_OF_MEMORY));
    }

#ifdef TAVRIN_CLI_GRAPHS
    if (!graphs.empty() || !pdf.empty()) {
        Plan plan;
        plan.site = &setup.sites.front();
        plan.interval = IntervalOfDay(request, setup, 0);
        plan.calc = std::make_unique<Calculator>(setup.calc());
        plan.calc->Recalculate(*plan.site, plan.interval, 1);
        if (const int status = WriteGraphs(plan, graphs, pdf, args.Has("--force")); status != kExitOk)
            return status;
        // Graphs alone: no table on standard output unless one was asked for.
        if (!args.Has("--table") && !args.Has("--format") && !args.Has("--output"))
            return kExitOk;
    }
#endif
    return WriteOutput(option("--output", ""), out, args.Has("--force"));
}
