// tavrin-cli map: for every cell of a grid over an area, what its day offers (hours meeting the
// conditions, worst or mean PDOP, the longest window, minutes shared with a base), each cell under
// its own terrain horizon. Cells go in blocks of rows, so that memory follows a block, not the
// area; the satellites' positions are computed once per worker and day, each cell only turns them
// into its own sky.
#include "engine/areamap.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <limits>
#include <memory>
#include <mutex>

#include <unistd.h>

#include "base/strings.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/mappictures.h"
#include "cli/planner.h"
#include "cli/terrain.h"
#include "cli/textbuffer.h"
#include "engine/calculator.h"
#include "engine/horizonsweep.h"
#include "terrain/maprasters.h"
#include "terrain/terrainmodel.h"

namespace {

constexpr int kMaxCellsPerSide = 8192;
// Cells planned together: their horizons and results are what a run holds in memory. With terrain
// the sweep reads the model around a whole block at a time, so its blocks are larger.
constexpr int kBlockCells = 2048;
constexpr int kTerrainBlockCells = 16384; // 23 MB of horizons

enum class OutputKind { Tiff, Csv, Png };

struct MapOutput {
    std::string path; // empty or "-": standard output (CSV)
    OutputKind kind = OutputKind::Csv;
};

struct MapRun {
    PlanRequest request;
    PlanSetup setup;
    MapArea area;
    int tile = 1, tiles = 1, firstRow = 0, rowCount = 0;
    std::vector<MapQuantity> quantities;
    MapConditions conditions;
    bool hasBase = false;
    double baseLatitude = 0, baseLongitude = 0;
    std::string dem;
    bool exactHorizons = false;
    std::vector<MapOutput> outputs;
    bool force = false;
};

int BadValue(const char* option, const std::string& value, int what) {
    return UsageError(option, value, ResString(what).c_str());
}

// "S,W,N,E" in degrees.
int ParseBox(const std::string& v, double (&edges)[4]) {
    const std::vector<std::string> parts = SplitList(v, ',');
    if (parts.size() != 4)
        return BadValue("--bbox", v, IDS_MAP_WHAT_BBOX);
    for (size_t i = 0; i < 4; ++i)
        if (!ParseDouble(parts[i], edges[i]))
            return BadValue("--bbox", v, IDS_MAP_WHAT_BBOX);
    return kExitOk;
}

// "I/N", 1 <= I <= N.
int ParseTile(const std::string& v, int& tile, int& tiles) {
    const std::vector<std::string> parts = SplitList(v, '/');
    if (parts.size() != 2 || !ParseInt(parts[0], tile) || !ParseInt(parts[1], tiles) || tiles < 1 ||
        tiles > kMaxCellsPerSide || tile < 1 || tile > tiles)
        return BadValue("--tile", v, IDS_MAP_WHAT_TILE);
    return kExitOk;
}

int ParseShow(const std::string& v, std::vector<MapQuantity>& quantities) {
    quantities.clear();
    for (const std::string& word : SplitList(v, ',')) {
        int found = -1;
        for (int q = 0; q < kMapQuantities; ++q)
            if (word == MapQuantityWord(static_cast<MapQuantity>(q)))
                found = q;
        if (found < 0 || std::find(quantities.begin(), quantities.end(), static_cast<MapQuantity>(found)) !=
                             quantities.end())
            return BadValue("--show", v, IDS_MAP_WHAT_SHOW);
        quantities.push_back(static_cast<MapQuantity>(found));
    }
    return quantities.empty() ? BadValue("--show", v, IDS_MAP_WHAT_SHOW) : kExitOk;
}

int ParseOutputs(const Arguments& args, MapRun& run) {
    for (const std::string& path : args.Values("--output")) {
        MapOutput o{path, OutputKind::Csv};
        std::string ext = std::filesystem::path(path).extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext == ".tif" || ext == ".tiff")
            o.kind = OutputKind::Tiff;
        else if (ext == ".png")
            o.kind = OutputKind::Png;
        else if (ext != ".csv" && path != "-")
            return Fail(kExitUsage, FormatText(ResString(IDS_MAP_OUTPUT_KIND).c_str(), path.c_str()));
        run.outputs.push_back(o);
    }
    if (run.outputs.empty())
        run.outputs.push_back({"", OutputKind::Csv});
    return kExitOk;
}

int ParseMapOptions(const Arguments& args, MapRun& run) {
    const auto v = [&](const char* name) { return args.Value(name); };
    if (!v("--bbox"))
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_NEEDS).c_str(), "map", "--bbox S,W,N,E"));
    double edges[4];
    if (const int status = ParseBox(*v("--bbox"), edges))
        return status;
    if (v("--spacing").has_value() == v("--cells").has_value())
        return Fail(kExitUsage, ResString(IDS_MAP_NEEDS_SIZE));
    double spacing = 0;
    int cells = 0;
    if (auto s = v("--spacing"); s && (!ParseDouble(*s, spacing) || !(spacing >= 1) || spacing > 1e6))
        return BadValue("--spacing", *s, IDS_MAP_WHAT_SPACING);
    if (auto c = v("--cells"); c && (!ParseInt(*c, cells) || cells < 1 || cells > kMaxCellsPerSide))
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_RANGE).c_str(), "--cells", c->c_str(), 1,
                                           kMaxCellsPerSide));
    switch (MakeMapArea(edges[0], edges[1], edges[2], edges[3], spacing, cells, run.area)) {
    case MapAreaProblem::None:
        break;
    case MapAreaProblem::TooManyCells:
        return Fail(kExitUsage, FormatText(ResString(IDS_MAP_TOO_MANY_CELLS).c_str(), kMapMaxCells));
    case MapAreaProblem::TooSmall:
        return BadValue("--spacing", v("--spacing").value_or(""), IDS_MAP_WHAT_SPACING);
    default:
        return BadValue("--bbox", *v("--bbox"), IDS_MAP_WHAT_BBOX);
    }
    if (auto t = v("--tile"))
        if (const int status = ParseTile(*t, run.tile, run.tiles))
            return status;
    if (run.tiles > run.area.rows)
        return BadValue("--tile", *v("--tile"), IDS_MAP_WHAT_TILE);
    MapTileRows(run.area.rows, run.tile, run.tiles, run.firstRow, run.rowCount);

    run.quantities = {MapQuantity::Hours};
    if (auto s = v("--show"))
        if (const int status = ParseShow(*s, run.quantities))
            return status;
    WindowConditions& c = run.conditions.windows;
    c.minCommon = run.conditions.minCommon; // the map's own default
    if (const int status = ParseWindowConditions(args, 24, c))
        return status;
    run.conditions.minCommon = c.minCommon;
    const bool common =
        std::find(run.quantities.begin(), run.quantities.end(), MapQuantity::Common) != run.quantities.end();
    if (auto b = v("--base")) {
        PlanRequest at;
        if (const int status = ParseAt(*b, at))
            return status;
        run.hasBase = true;
        run.baseLatitude = at.latitude;
        run.baseLongitude = at.longitude;
    }
    if (common != run.hasBase)
        return Fail(kExitUsage,
                    common ? FormatText(ResString(IDS_CLI_NEEDS).c_str(), "--show common", "--base")
                           : FormatText(ResString(IDS_CLI_NEEDS).c_str(), "--base", "--show common"));
    run.exactHorizons = args.Has("--exact-horizons");
    run.force = args.Has("--force");
    return ParseOutputs(args, run);
}

// A bar on standard error while a terminal shows it; nothing otherwise.
class Progress {
public:
    explicit Progress(long long total) : total_(std::max(1LL, total)), shown_(isatty(STDERR_FILENO) == 1) {}
    ~Progress() { Clear(); }
    void Add(long long n) {
        const long long done = done_ += n;
        if (!shown_)
            return;
        const int percent = static_cast<int>(100 * std::min(done, total_) / total_);
        std::lock_guard<std::mutex> lock(mutex_);
        if (percent == drawn_)
            return;
        drawn_ = percent;
        constexpr int kWidth = 40;
        const int full = percent * kWidth / 100;
        std::cerr << "\r\033[K" << FormatText(ResString(IDS_MAP_PROGRESS).c_str(), percent) << " ["
                  << std::string(static_cast<size_t>(full), '#')
                  << std::string(static_cast<size_t>(kWidth - full), '.') << ']' << std::flush;
    }
    void Clear() {
        if (shown_ && drawn_ >= 0)
            std::cerr << "\r\033[K" << std::flush;
        drawn_ = -1;
    }

private:
    const long long total_;
    std::atomic<long long> done_{0};
    const bool shown_;
    std::mutex mutex_;
    int drawn_ = -1;
};

// The day's series of one site on the map's clock.
class Series {
public:
    Series(const MapRun& run) : run_(run) {}
    int Compute(const std::vector<SiteInfo>& sites, int workers,
                const std::function<void(int site, const SiteSeries& series)>& take) const {
        const Calculator& calc = run_.setup.calc();
        const int32_t perDay = kSecondsPerDay / calc.step();
        const PlanInterval day(run_.setup.day, run_.setup.month, run_.setup.year, 0, 0, 24, 0);
        const PlanRunResult result = PlanSitesOverDays(
            calc, sites, 1, workers, std::max(1, static_cast<int>(sites.size()) / (4 * workers)),
            [&](int) { return day; }, run_.request.gmtOffset,
            [&](const Calculator& c, int i, int) {
                if (c.windowStart() != 0 || c.sampleCount() != perDay + 1)
                    return false;
                thread_local SiteSeries s;
                s.step = c.step();
                s.clockShift = 0;
                const size_t n = static_cast<size_t>(perDay) + 1;
                s.pdop.resize(n);
                s.satellites.resize(n);
                s.solution.resize(n);
                s.usable.resize(n);
                TakeDay(c, 0, true, s);
                take(i, s);
                return true;
            },
            nullptr, PlanReads::VisibilityAndDop);
        if (result == PlanRunResult::OutOfMemory)
            return Fail(kExitFailure, ResString(IDS_PLAN_OUT_OF_MEMORY));
        if (result != PlanRunResult::Done)
            return Fail(kExitFailure, ResString(IDS_PLAN_COMPUTE_FAILED));
        return kExitOk;
    }

private:
    const MapRun& run_;
};

// Where the rows go as they are made.
class Sinks {
public:
    int Open(MapRun& run, const std::vector<std::string>& bandNames) {
        run_ = &run;
        for (const MapOutput& o : run.outputs) {
            if (o.kind == OutputKind::Png) {
                pictures_.push_back(o.path);
            } else if (o.kind == OutputKind::Tiff) {
                std::string error;
                auto& w = tiffs_.emplace_back(std::make_unique<MapRasterWriter>());
                const MapArea& a = run.area;
                if (!w->Create(o.path, a.columns, run.rowCount, a.west,
                               a.north - run.firstRow * a.LatitudeStep(), a.LongitudeStep(), a.LatitudeStep(),
                               bandNames, kMapNoData, error))
                    return Fail(kExitInput, error);
            } else {
                auto& out = csvs_.emplace_back(std::make_unique<Output>());
                if (const int status = out->Open(o.path == "-" ? "" : o.path, run.force))
                    return status;
                std::string head = "row,column,latitude,longitude,altitude";
                for (const std::string& b : bandNames)
                    head += "," + b;
                out->Write(head + "\n");
            }
        }
        if (!pictures_.empty())
            StartPicture();
        return kExitOk;
    }
    // Rows first .. first + count - 1 of the map: values[q] and the ground, row by row.
    int Write(int first, int count, const std::vector<std::vector<float>>& values,
              const std::vector<float>& ground) {
        const MapArea& a = run_->area;
        if (!pictures_.empty())
            picture_.Take(first - run_->firstRow, count, values, ground);
        for (auto& t : tiffs_) {
            std::string error;
            if (!t->WriteRows(first - run_->firstRow, count, values, error))
                return Fail(kExitFailure, error);
        }
        if (!csvs_.empty()) {
            TextBuffer b;
            for (int r = 0; r < count; ++r)
                for (int c = 0; c < a.columns; ++c) {
                    const size_t at =
                        static_cast<size_t>(r) * static_cast<size_t>(a.columns) + static_cast<size_t>(c);
                    b.Int(first + r) << ',';
                    b.Int(c) << ',';
                    b.Fixed(a.CellLatitude(first + r), 7) << ',';
                    b.Fixed(a.CellLongitude(c), 7) << ',';
                    if (std::isnan(ground[at]))
                        b << "";
                    else
                        b.Fixed(ground[at], 3);
                    for (const std::vector<float>& v : values) {
                        b << ',';
                        if (v[at] == kMapNoData)
                            b << "";
                        else if (std::isinf(v[at]))
                            b << "inf";
                        else
                            b.Fixed(v[at], 4);
                    }
                    b << '\n';
                }
            const std::string text = b.Take();
            for (auto& out : csvs_)
                out->Write(text);
        }
        return kExitOk;
    }
    // The pictures first: when one cannot be written, no other file is put in place either.
    int Finish() {
        if (!pictures_.empty()) {
            const double base[2] = {run_->baseLatitude, run_->baseLongitude};
            CaptionMapPicture(picture_, run_->request, run_->setup, run_->conditions,
                              run_->hasBase ? base : nullptr,
                              run_->dem.empty() ? "" : std::filesystem::path(run_->dem).filename().string());
            if (const int status = DrawMapPictures(picture_, pictures_, run_->force))
                return status;
        }
        for (auto& t : tiffs_) {
            std::string error;
            if (!t->Finish(error))
                return Fail(kExitFailure, error);
        }
        for (auto& out : csvs_)
            if (const int status = out->Finish())
                return status;
        return kExitOk;
    }

private:
    // The strip's cells, sampled where there are more than a picture shows.
    void StartPicture() {
        const MapRun& run = *run_;
        MapArea strip = run.area;
        strip.north = run.area.north - run.firstRow * run.area.LatitudeStep();
        strip.south = strip.north - run.rowCount * run.area.LatitudeStep();
        strip.rows = run.rowCount;
        picture_.Start(strip, run.quantities, !run.dem.empty());
        if (picture_.Sampled())
            Fail(kExitOk, FormatText(ResString(IDS_MAP_PICTURE_SAMPLED).c_str(), pictures_.front().c_str(),
                                     strip.columns, strip.rows, picture_.columns, picture_.rows));
    }

    MapRun* run_ = nullptr;
    std::vector<std::string> pictures_;
    MapPicture picture_;
    std::vector<std::unique_ptr<MapRasterWriter>> tiffs_;
    std::vector<std::unique_ptr<Output>> csvs_;
};

int Join(const Arguments& args) {
    const std::string path = *args.Value("--join");
    if (args.Positional().empty())
        return Fail(kExitUsage, ResString(IDS_MAP_JOIN_NEEDS));
    for (const std::string& part : args.Positional())
        if (const std::string problem = InputFileProblem(part); !problem.empty())
            return Fail(kExitInput, problem);
    std::string error;
    if (!JoinMapRasters(path, args.Positional(), error))
        return Fail(kExitInput, error);
    return kExitOk;
}

// The base's own series, under its own horizon when there is a model.
int BaseSeries(MapRun& run, TerrainModel* model, SiteSeries& base) {
    SiteInfo site(run.baseLatitude, run.baseLongitude, 0, ResString(IDS_MAP_BASE).c_str(), "",
                  run.request.gmtOffset);
    if (model) {
        std::string error;
        auto horizon = model->Horizon(site.latitude, site.longitude, 0, run.request.terrain,
                                      HorizonCacheDirectory(), error);
        if (!horizon)
            return Fail(kExitInput, FormatText("%s: %s", ResString(IDS_MAP_BASE).c_str(), error.c_str()));
        site.altitude = horizon->ground;
        site.terrain = std::move(horizon);
    }
    return Series(run).Compute({site}, 1, [&](int, const SiteSeries& s) { base = s; });
}

int Compute(MapRun& run) {
    const MapArea& a = run.area;
    std::unique_ptr<TerrainModel> model;
    if (!run.dem.empty()) {
        model = std::make_unique<TerrainModel>();
        std::string error;
        if (!model->Open(run.dem, error))
            return Fail(kExitInput, error);
    }
    SiteSeries base;
    if (run.hasBase)
        if (const int status = BaseSeries(run, model.get(), base))
            return status;
    std::vector<std::string> bandNames;
    for (MapQuantity q : run.quantities)
        bandNames.push_back(MapQuantityWord(q));
    Sinks sinks;
    if (const int status = sinks.Open(run, bandNames))
        return status;

    const int workers = WorkerCount(kBlockCells);
    const int blockRows = std::max(1, (model ? kTerrainBlockCells : kBlockCells) / a.columns);
    const HorizonSettings& settings = run.request.terrain;
    const long long cells = static_cast<long long>(run.rowCount) * a.columns;
    const int blocks = (run.rowCount + blockRows - 1) / blockRows;
    const long long sweepSteps =
        model && !run.exactHorizons ? SweepSteps(blockRows * a.columns, settings) : 0;
    Progress progress(cells + sweepSteps * blocks);
    // Every block and strip sweeps about the whole area's centre: their horizons are one run's.
    const double middle[2] = {(a.south + a.north) / 2, (a.west + a.east) / 2};
    for (int first = run.firstRow; first < run.firstRow + run.rowCount; first += blockRows) {
        const int count = std::min(blockRows, run.firstRow + run.rowCount - first);
        const size_t n = static_cast<size_t>(count) * static_cast<size_t>(a.columns);
        std::vector<double> lat(n), lon(n);
        for (int r = 0; r < count; ++r)
            for (int c = 0; c < a.columns; ++c) {
                const size_t at =
                    static_cast<size_t>(r) * static_cast<size_t>(a.columns) + static_cast<size_t>(c);
                lat[at] = a.CellLatitude(first + r);
                lon[at] = a.CellLongitude(c);
            }
        std::vector<float> ground(n, std::numeric_limits<float>::quiet_NaN());
        std::vector<SiteInfo> sites;
        std::vector<size_t> cellOf; // the block's cell of each site
        sites.reserve(n);
        if (model) {
            std::string error;
            if (!model->Prepare({{lat.front(), lon.front()}, {lat.back(), lon.back()}}, settings.maxDistance,
                                error))
                return Fail(kExitInput, error);
            const ElevationGrid& grid = *model->Grid();
            SweptHorizons swept;
            if (run.exactHorizons) {
                swept.count = std::max(1, static_cast<int>(std::lround(360.0 / settings.step)));
                swept.step = 360.0 / swept.count;
                swept.ground.resize(n);
                swept.elevation.assign(n * static_cast<size_t>(swept.count), -90.0f);
                for (size_t i = 0; i < n; ++i) {
                    TerrainHorizon h;
                    grid.Heights(&lat[i], &lon[i], 1, &swept.ground[i]);
                    if (ComputeHorizon(grid, lat[i], lon[i], 0, settings, h) == HorizonProblem::None)
                        std::copy(h.elevation.begin(), h.elevation.end(),
                                  swept.elevation.begin() +
                                      static_cast<std::ptrdiff_t>(i * h.elevation.size()));
                }
            } else if (!SweepHorizons(
                           grid, lat, lon, settings, workers, swept, [&] { progress.Add(1); }, middle)) {
                return Fail(kExitInput, ResString(IDS_TERRAIN_BAD_SETTINGS));
            }
            for (size_t i = 0; i < n; ++i) {
                ground[i] = swept.ground[i];
                if (std::isnan(ground[i]))
                    continue;
                auto h = std::make_shared<TerrainHorizon>();
                h->step = swept.step;
                h->elevation.assign(swept.elevation.begin() + static_cast<std::ptrdiff_t>(i * swept.count),
                                    swept.elevation.begin() +
                                        static_cast<std::ptrdiff_t>((i + 1) * swept.count));
                h->ground = ground[i];
                h->observer = ground[i] + settings.antennaHeight;
                h->model = model->Name();
                sites.emplace_back(lat[i], lon[i], ground[i], "", "", run.request.gmtOffset);
                sites.back().terrain = std::move(h);
                cellOf.push_back(i);
            }
        } else {
            for (size_t i = 0; i < n; ++i) {
                sites.emplace_back(lat[i], lon[i], 0.0, "", "", run.request.gmtOffset);
                cellOf.push_back(i);
            }
        }
        std::vector<std::vector<float>> values(run.quantities.size(), std::vector<float>(n, kMapNoData));
        if (!sites.empty()) {
            const int status = Series(run).Compute(sites, workers, [&](int i, const SiteSeries& s) {
                for (size_t q = 0; q < run.quantities.size(); ++q)
                    values[q][cellOf[static_cast<size_t>(i)]] =
                        MapValue(run.quantities[q], s, run.hasBase ? &base : nullptr, run.conditions);
                progress.Add(1);
            });
            if (status != kExitOk)
                return status;
        }
        progress.Add(static_cast<long long>(n - sites.size()));
        if (const int status = sinks.Write(first, count, values, ground))
            return status;
    }
    progress.Clear();
    return sinks.Finish();
}

} // namespace

int RunMap(const Words& words) {
    const Arguments args(words, OptionsOf("map"));
    if (const std::optional<int> end = EndsAtOnce(args, "map"))
        return *end;
    if (args.Has("--join"))
        return Join(args);
    if (!args.Positional().empty())
        return Fail(kExitUsage,
                    FormatText(ResString(IDS_CLI_UNEXPECTED_ARGUMENT).c_str(), args.Positional()[0].c_str()));
    MapRun run;
    if (const int status = ParseMapOptions(args, run))
        return status;
    for (const MapOutput& o : run.outputs)
        if (o.kind == OutputKind::Png && !CanDrawMapPictures())
            return HandOverToGraphsProgram("map", words, o.path.c_str());
    // The plan's options read as plan reads them, for the area's centre.
    Words planWords = words;
    planWords.push_back("--at");
    planWords.push_back(
        FormatText("%.7f,%.7f", (run.area.south + run.area.north) / 2, (run.area.west + run.area.east) / 2));
    CommandOptions planOptions = OptionsOf("map");
    planOptions.valued.insert("--at");
    const Arguments planArgs(planWords, planOptions);
    if (const int status = ParsePlanRequest(planArgs, run.request))
        return status;
    run.dem = run.request.demPath;
    run.request.demPath.clear(); // each cell its own horizon, not the centre's
    WindowConditions& c = run.conditions.windows;
    c.dailyFrom = run.request.fromHour * 3600 + run.request.fromMinute * 60;
    c.dailyTo = run.request.toHour * 3600 + run.request.toMinute * 60;

    if (const int status = PreparePlan(run.request, run.setup))
        return status;
    return Compute(run);
}
