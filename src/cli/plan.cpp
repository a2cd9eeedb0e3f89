// tavrin-cli plan: visibility and DOP of one site or many, over an interval on one day or several.
#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <string_view>

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
            // The site, time and seconds each line of the sample starts with, written once.
            TextBuffer lead;
            lead << siteField.Text();
            lead.Clock(t) << ',';
            lead.Int(t) << ',';
            for (int sat : kListedSatellites) { // each system's satellites together
                if (!c.HasAlmanac(sat))
                    continue;
                const SatSample& s = c.samples(sat)[k];
                b << lead.Text() << SystemOf(sat) << ',';
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
            for (int sat : kListedSatellites) { // each system's satellites together
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
                     const PlanRequest& request, const DaySources& sources, bool pretty) {
    const std::string nl = pretty ? "\n  " : " ";
    TextBuffer b;
    b << "{" << (pretty ? "\n  " : "") << "\"site\": {";
    JsonSiteMembers(b, site);
    b << "}," << nl;
    b << "\"almanac\": " << JsonSourceList(sources.sources, request.systems) << "," << nl;
    b << "\"orbits\": " << JsonOrbits(sources.sources, request.systems) << "," << nl;
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
                const DaySources& sources, const OutputOptions& o, Chunk& chunk) {
    HeaderInfo header = MakeHeaderInfo(c, &site, interval);
    header.systems = sources.systems;
    header.sources = sources.lines;
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

// Where the plan's text goes, piece by piece in order; false stops the plan.
using Sink = std::function<bool(std::string_view)>;

// Results waiting for the writer stay under about this many bytes, whatever the number of sites.
constexpr double kHeldBytes = 64.0 * 1024 * 1024;
// Neighbouring sites planned together share a day's orbits; past this many the saving is small.
constexpr int kMostBlockSites = 32;

// Sites per block of work: as many as keep the results held for the writer (2 x workers blocks of
// every day of every site, at a generous size per sample) under kHeldBytes.
int BlockSites(const PlanRequest& request, const Calculator& calc, const OutputOptions& o, int workers) {
    int satellites = 0;
    for (int sat = 0; sat < SatelliteCatalogue::kSize; ++sat)
        satellites += calc.HasAlmanac(sat) ? 1 : 0;
    const double samples =
        static_cast<double>(request.days) * (kSecondsPerDay / std::max(1, request.step) + 1);
    const double bytesPerSample = (o.kind != TableKind::Visibility ? 160.0 : 0.0) +
                                  (o.kind != TableKind::Dop ? 100.0 * satellites : 0.0);
    const double perSite = samples * bytesPerSample * 2 * workers;
    return static_cast<int>(std::clamp(kHeldBytes / std::max(1.0, perSite), 1.0, double{kMostBlockSites}));
}

// Computes every site over every day and hands the text to `sink` in the order of the sites, each
// site as soon as it and those before it are done: site by site and day by day as text pages
// (form-feed between) or JSON objects, and for CSV the DOP rows of every site, then the
// visibility rows of every site. Answers the exit status, having said what went wrong.
int StreamPlan(const PlanRequest& request, PlanSetup& setup, const OutputOptions& o, const Sink& sink) {
    const int sites = static_cast<int>(setup.sites.size());
    const PlanInterval first = IntervalOfDay(request, setup, 0);
    const int a = first.beginHour * 3600 + first.beginMinute * 60;
    const int b = first.endHour * 3600 + first.endMinute * 60;
    const bool wholeDay = a == b || b - a == kSecondsPerDay;
    const int workers = o.batch ? WorkerCount(sites) : 1;
    // CSV's two tables follow each other whole: the visibility rows are planned again after every
    // site's DOP rows rather than all held until then.
    std::vector<TableKind> passes = {o.kind};
    if (o.format == Format::Csv && o.kind == TableKind::Both)
        passes = {TableKind::Dop, TableKind::Visibility};
    std::vector<std::vector<Chunk>> chunks;
    try {
        chunks.resize(static_cast<size_t>(sites));
    } catch (const std::bad_alloc&) {
        return Fail(kExitFailure, ResString(IDS_PLAN_OUT_OF_MEMORY));
    }
    int status = kExitOk;
    bool wroteAny = false;
    const auto write = [&](std::string_view text) {
        wroteAny = wroteAny || !text.empty();
        return sink(text);
    };
    for (const TableKind kind : passes) {
        OutputOptions pass = o;
        pass.kind = kind;
        const auto take = [&](const Calculator& calc, int i, int d) {
            std::vector<Chunk>& site = chunks[static_cast<size_t>(i)];
            if (site.empty())
                site.resize(static_cast<size_t>(o.days));
            const PlanInterval interval = IntervalOfDay(request, setup, d);
            const bool dropLast = wholeDay && d + 1 < o.days;
            Chunk& chunk = site[static_cast<size_t>(d)];
            if (o.format == Format::Text)
                TextTables(calc, setup.sites[static_cast<size_t>(i)], interval,
                           setup.sources[static_cast<size_t>(d)], pass, chunk);
            else if (o.format == Format::Csv)
                CsvDay(calc, setup.sites[static_cast<size_t>(i)], interval, d, dropLast, pass, chunk);
            else
                JsonDay(calc, interval, d, dropLast, pass, chunk);
            return true;
        };
        const auto done = [&](int i) {
            std::vector<Chunk> days;
            days.swap(chunks[static_cast<size_t>(i)]);
            for (const Chunk& day : days)
                if (day.stalled) {
                    status = Fail(kExitUsage, FormatText(LoadResString(IDS_CLI_PAGE_TOO_SHORT), o.lines));
                    return false;
                }
            bool ok = true;
            if (o.format == Format::Text) {
                for (const Chunk& day : days) {
                    if (wroteAny)
                        ok = ok && write("\f");
                    ok = ok && write(day.dop);
                }
            } else if (o.format == Format::Csv) {
                if (i == 0) {
                    const std::string site = o.batch ? "site," : "";
                    if (kind == TableKind::Visibility && o.kind == TableKind::Both)
                        ok = write("\n");
                    ok = ok &&
                         write(site + (kind == TableKind::Visibility
                                           ? "time,seconds,system,number,azimuth,elevation,visible\n"
                                           : "time,seconds,pdop,gdop,hdop,vdop,tdop,satellites,solution\n"));
                }
                for (const Chunk& day : days)
                    ok = ok && write(kind == TableKind::Visibility ? day.visibility : day.dop);
            } else {
                ok = write(JsonHead(setup.calc(), setup.sites[static_cast<size_t>(i)], first, o.days, request,
                                    setup.sources.front(), !o.batch));
                bool leading = true;
                for (const Chunk& day : days) {
                    std::string_view samples = day.dop;
                    if (leading && !samples.empty()) {
                        samples.remove_prefix(1); // no comma before the first sample
                        leading = false;
                    }
                    ok = ok && write(samples);
                }
                ok = ok && write(o.batch ? "]}\n" : "\n  ]\n}\n");
            }
            if (!ok)
                status = kExitFailure; // the sink has said why
            return ok;
        };
        const PlanRunResult result = PlanSitesOverDays(
            setup.calc(), setup.sites, o.days, workers, BlockSites(request, setup.calc(), pass, workers),
            [&](int d) { return IntervalOfDay(request, setup, d); }, std::nullopt, take, done,
            kind == TableKind::Dop ? PlanReads::VisibilityAndDop : PlanReads::Everything);
        if (result == PlanRunResult::OutOfMemory)
            return Fail(kExitFailure, ResString(IDS_PLAN_OUT_OF_MEMORY));
        if (result == PlanRunResult::Failed)
            return Fail(kExitFailure, ResString(IDS_PLAN_COMPUTE_FAILED));
        if (result != PlanRunResult::Done)
            return status;
    }
    return kExitOk;
}

} // namespace

int RunPlan(const Words& words) {
    const Arguments args(words, OptionsOf("plan"));
    if (const std::optional<int> end = EndsAtOnce(args, "plan"))
        return *end;
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
    if ((!graphs.empty() || !pdf.empty()) && !CanDrawGraphs())
        return HandOverGraphs(words, drawing);

    PlanSetup setup;
    if (const int status = PreparePlan(request, setup); status != kExitOk)
        return status;

    if (!graphs.empty() || !pdf.empty()) {
        // One site on one day: the table is made whole and written after the graphs.
        std::string table;
        if (const int status = StreamPlan(request, setup, o,
                                          [&](std::string_view text) {
                                              table += text;
                                              return true;
                                          });
            status != kExitOk)
            return status;
        Plan plan;
        plan.site = &setup.sites.front();
        plan.interval = IntervalOfDay(request, setup, 0);
        plan.sources = &setup.sources.front();
        plan.calc = std::make_unique<Calculator>(setup.calc());
        plan.calc->Recalculate(*plan.site, plan.interval, 1);
        if (const int status = DrawGraphs(plan, graphs, pdf, args.Has("--force")); status != kExitOk)
            return status;
        // Graphs alone: no table on standard output unless one was asked for.
        if (!args.Has("--table") && !args.Has("--format") && !args.Has("--output"))
            return kExitOk;
        return WriteOutput(option("--output", ""), table, args.Has("--force"));
    }
    // Opened first, so that an output that cannot be written is said before any computing; on a
    // failure part-way it is left unfinished, and a file it would replace stays as it was.
    Output out;
    if (const int status = out.Open(option("--output", ""), args.Has("--force")))
        return status;
    if (const int status =
            StreamPlan(request, setup, o, [&](std::string_view text) { return out.Write(text) == kExitOk; });
        status != kExitOk)
        return status;
    return out.Finish();
}
