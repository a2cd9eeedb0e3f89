// tavrin-cli almanac fetch: the orbits of a date from the published sources, each file checked by
// reading it before it is kept; GPS and GLONASS almanacs imported into the program's format.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "base/paths.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/request.h"
#include "config/fetchsources.h"
#include "config/plansession.h"
#include "engine/almanac_import.h"
#include "engine/gnsstime.h"
#include "engine/keplerianalmanacs.h"
#include "net/download.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSourcesFile = "orbit-sources.txt";
constexpr const char* kStateFile = ".fetch-state";

// What the last fetch of each address answered: "URL<TAB>ETag<TAB>Last-Modified" a line.
struct Validators {
    std::string etag, lastModified;
};
using FetchState = std::map<std::string, Validators>;

FetchState ReadState(const std::string& path) {
    FetchState state;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t a = line.find('\t'), b = a == std::string::npos ? a : line.find('\t', a + 1);
        if (b != std::string::npos)
            state[line.substr(0, a)] = {line.substr(a + 1, b - a - 1), line.substr(b + 1)};
    }
    return state;
}

std::string StateText(const FetchState& state) {
    std::string text;
    for (const auto& [url, v] : state)
        text += url + '\t' + v.etag + '\t' + v.lastModified + '\n';
    return text;
}

// Why a file is not what its source should give; empty when it reads as such. `what`: a word on
// what it holds ("GPS: 31 satellites").
std::string Check(const std::string& id, const std::string& text, const std::string& name,
                  const CalendarTime& date, std::string& what) {
    if (id == "galileo-xml" || id == "qzss-yuma") {
        const KeplerianAlmanac a =
            id == "galileo-xml" ? ReadGalileoAlmanacXml(text, name) : ReadQzssYuma(text, name, date);
        what = FormatText(ResString(IDS_FETCH_SATELLITES).c_str(), static_cast<int>(a.records.size()));
        return a.error;
    }
    if (id == "brdc") {
        const NavigationFile f = ParseNavigationFile(text, name);
        what = FormatText(ResString(IDS_FETCH_RECORDS).c_str(),
                          static_cast<int>(f.kepler.size() + f.glonass.size()));
        return f.errors.empty() ? std::string() : f.errors.front();
    }
    const PublishedAlmanac a = ParsePublishedAlmanac(text, name, date);
    what = FormatText(ResString(IDS_FETCH_SATELLITES).c_str(), a.imported);
    if (!a.errors.empty())
        return a.errors.front();
    return a.ok && a.imported > 0 ? std::string()
                                  : FormatText(LoadResString(IDS_NO_VALID_RECORD), name.c_str());
}

// The days tried for a source, first to last: Galileo's almanac is published every few days, the
// merged navigation file a day after its day.
std::vector<CalendarTime> DaysTried(const std::string& id, const CalendarTime& date) {
    const int back = id == "galileo-xml" ? 10 : id == "brdc" ? 2 : 0;
    std::vector<CalendarTime> days;
    const double start = ScaleSeconds(date);
    for (int d = 0; d <= back; ++d)
        days.push_back(CalendarOfScaleSeconds(start - d * double{kSecondsPerDay}));
    return days;
}

class Progress {
public:
    explicit Progress(std::string id) : id_(std::move(id)), shown_(isatty(STDERR_FILENO) == 1) {}
    ~Progress() {
        if (shown_ && drawn_)
            std::cerr << "\r\033[K" << std::flush;
    }
    bool operator()(size_t bytes, size_t total) {
        if (!shown_)
            return true;
        drawn_ = true;
        std::cerr << "\r\033[K" << id_ << ": " << bytes / 1024 << " kB";
        if (total > 0)
            std::cerr << " / " << total / 1024 << " kB";
        std::cerr << std::flush;
        return true;
    }

private:
    std::string id_;
    bool shown_, drawn_ = false;
};

struct Outcome {
    bool arrived = false; // fetched or not modified
    std::string line;     // the summary
    std::string path;     // the file kept, when fetched or not modified
};

Outcome FetchOne(const std::string& id, const std::vector<const FetchSource*>& lines,
                 const CalendarTime& date, const std::string& dir, double timeout, FetchState& state,
                 SafeWriteOptions options) {
    Outcome out;
    const double today = ScaleSeconds(TodayUtc());
    std::string failure = ResString(IDS_FETCH_NO_ADDRESS);
    for (const FetchSource* source : lines) {
        // An address without a date is the current file: of no use for a day long past.
        if (!TemplateHasDate(source->url) && ScaleSeconds(date) < today - kSecondsPerDay)
            continue;
        for (const CalendarTime& day : DaysTried(id, date)) {
            const std::string url = ExpandUrl(source->url, day);
            const std::string target = dir + FetchedFileName(url);
            DownloadRequest request;
            request.url = url;
            request.totalSeconds = timeout;
            request.connectSeconds = std::min(timeout, request.connectSeconds);
            Progress progress(id);
            request.progress = [&progress](size_t n, size_t total) { return progress(n, total); };
            std::error_code ec;
            if (fs::is_regular_file(target, ec) && state.count(url)) {
                request.etag = state[url].etag;
                request.lastModified = state[url].lastModified;
            }
            const DownloadResult got = Download(request);
            if (got.status == DownloadStatus::NotFound && !TemplateHasDate(source->url))
                break;
            if (got.status == DownloadStatus::NotFound) {
                failure = FormatText(ResString(IDS_FETCH_FAILED_AT).c_str(), url.c_str(), got.error.c_str());
                continue;
            }
            if (got.status == DownloadStatus::NotModified) {
                out = {true,
                       FormatText(ResString(IDS_FETCH_NOT_MODIFIED).c_str(), id.c_str(), target.c_str()),
                       target};
                return out;
            }
            if (got.status != DownloadStatus::Fetched) {
                failure = FormatText(ResString(got.offline ? IDS_FETCH_OFFLINE : IDS_FETCH_FAILED_AT).c_str(),
                                     url.c_str(), got.error.c_str());
                break; // the next address of the source, if any
            }
            std::string what;
            if (const std::string bad = Check(id, got.body, FetchedFileName(url), day, what); !bad.empty()) {
                failure = FormatText(ResString(IDS_FETCH_NOT_WHAT).c_str(), url.c_str(), bad.c_str());
                break;
            }
            int error = 0;
            if (!WriteFileSafely(target, got.body, &error, options)) {
                failure = WriteErrorText(target, error);
                break;
            }
            state[url] = {got.etag, got.lastModified};
            out = {true,
                   FormatText(ResString(IDS_FETCH_FETCHED).c_str(), id.c_str(), url.c_str(), target.c_str(),
                              what.c_str()),
                   target};
            return out;
        }
    }
    out.line = FormatText(ResString(IDS_FETCH_FAILED).c_str(), id.c_str(), failure.c_str());
    return out;
}

} // namespace

int RunAlmanacFetch(const Words& words) {
    const Arguments args(words, {"--date", "--systems", "--dir", "--sources", "--timeout"}, {"--force"});
    if (!args.Ok())
        return Fail(kExitUsage, args.Error());
    if (!args.Positional().empty())
        return Fail(kExitUsage, ResString(IDS_FETCH_USAGE));
    CalendarTime date = TodayUtc();
    if (const auto v = args.Value("--date")) {
        int d = 0, m = 0, y = 0;
        if (!ParseDate(*v, d, m, y))
            return UsageError("--date", *v, ResString(IDS_CLI_WHAT_DATE).c_str());
        date = MakeCalendarTime(0, 0, 0, d, m, y);
    }
    std::array<bool, kGnssSystems> systems{};
    systems.fill(true);
    if (const auto v = args.Value("--systems"))
        if (const int status = ParseSystems(*v, systems); status != kExitOk)
            return status;
    double timeout = 120;
    if (const auto v = args.Value("--timeout"))
        if (!ParseDouble(*v, timeout) || !(timeout >= 1 && timeout <= 3600))
            return UsageError("--timeout", *v, "1-3600");
    std::string dir = args.Value("--dir").value_or(UserAlmanacDirectory());
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec))
        return Fail(kExitInput, FormatText(ResString(IDS_FETCH_NO_DIR).c_str(), dir.c_str()));

    std::string sourcesPath = args.Value("--sources").value_or(ProgramHome() + kSourcesFile);
    if (!args.Value("--sources") && !fs::exists(sourcesPath, ec))
        sourcesPath = BundledDataDirectory() + kSourcesFile;
    if (const std::string problem = InputFileProblem(sourcesPath); !problem.empty())
        return Fail(kExitInput, problem);
    std::ifstream in(sourcesPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const FetchSourceList list = ParseFetchSources(text.str(), sourcesPath);
    for (const std::string& e : list.errors)
        Fail(kExitOk, e);
    if (!list.errors.empty())
        return kExitInput;

    // The sources in the order of their first line, each with its addresses.
    std::vector<std::string> ids;
    std::map<std::string, std::vector<const FetchSource*>> byId;
    for (const FetchSource& s : list.sources) {
        bool wanted = false;
        for (int k = 0; k < kGnssSystems; ++k)
            wanted = wanted ||
                     (systems[static_cast<size_t>(k)] && FetchIdServes(s.id, static_cast<GnssSystem>(k)));
        if (!wanted)
            continue;
        if (byId[s.id].empty())
            ids.push_back(s.id);
        byId[s.id].push_back(&s);
    }
    if (ids.empty())
        return Fail(kExitInput, FormatText(ResString(IDS_FETCH_NO_SOURCES).c_str(), sourcesPath.c_str()));

    const SafeWriteOptions options{args.Has("--force")};
    FetchState state = ReadState(dir + kStateFile);
    std::string summary;
    std::string gpsFile, glonassFile; // imported together into one almanac file
    bool all = true;
    for (const std::string& id : ids) {
        const Outcome o = FetchOne(id, byId[id], date, dir, timeout, state, options);
        summary += o.line + '\n';
        all = all && o.arrived;
        if (o.arrived && (id == "gps-yuma" || id == "gps-sem") && gpsFile.empty())
            gpsFile = o.path; // YUMA, else SEM
        if (o.arrived && id == "glonass-iac")
            glonassFile = o.path;
    }
    std::vector<std::string> published;
    for (const std::string& f : {gpsFile, glonassFile})
        if (!f.empty())
            published.push_back(f);
    int error = 0;
    if (!WriteFileSafely(dir + kStateFile, StateText(state), &error))
        Fail(kExitOk, WriteErrorText(dir + kStateFile, error));
    if (!published.empty()) {
        const AlmanacImportResult r = PlanSession::ImportPublished(published, dir, date, options);
        for (const std::string& w : r.warnings)
            Fail(kExitOk, w);
        if (r.written)
            summary += FormatText(ResString(IDS_FETCH_IMPORTED).c_str(), r.path.c_str()) + '\n';
        else
            for (const std::string& e : r.errors)
                summary += e + '\n';
        all = all && r.written;
    }
    if (const int status = WriteOutput("", summary); status != kExitOk)
        return status;
    return all ? kExitOk : kExitInput;
}
