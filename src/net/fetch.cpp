#include "net/fetch.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "base/paths.h"
#include "base/strings.h"
#include "base/text.h"
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

// Why a file is not what its source should give; empty when it reads as such. `what`: how much it
// holds ("31 satellites").
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

FetchItem FetchOne(const std::string& id, const std::vector<const FetchSource*>& lines, const FetchOptions& o,
                   FetchState& state, bool& cancelled) {
    const CalendarTime& date = o.date;
    const std::string& dir = o.directory;
    FetchItem out;
    out.id = id;
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
            request.totalSeconds = o.timeoutSeconds;
            request.connectSeconds = std::min(o.timeoutSeconds, request.connectSeconds);
            if (o.progress)
                request.progress = [&](size_t n, size_t total) { return o.progress(id, n, total); };
            std::error_code ec;
            if (fs::is_regular_file(target, ec) && state.count(url)) {
                request.etag = state[url].etag;
                request.lastModified = state[url].lastModified;
            }
            const DownloadResult got = Download(request);
            if (got.status == DownloadStatus::Cancelled) {
                cancelled = true;
                out.line = FormatText(ResString(IDS_FETCH_FAILED).c_str(), id.c_str(), got.error.c_str());
                return out;
            }
            if (got.status == DownloadStatus::NotFound && !TemplateHasDate(source->url))
                break;
            if (got.status == DownloadStatus::NotFound) {
                failure = FormatText(ResString(IDS_FETCH_FAILED_AT).c_str(), url.c_str(), got.error.c_str());
                continue;
            }
            if (got.status == DownloadStatus::NotModified) {
                out.arrived = true;
                out.line = FormatText(ResString(IDS_FETCH_NOT_MODIFIED).c_str(), id.c_str(), target.c_str());
                out.path = target;
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
            if (!WriteFileSafely(target, got.body, &error, o.write)) {
                failure = WriteErrorText(target, error);
                break;
            }
            state[url] = {got.etag, got.lastModified};
            out.arrived = true;
            out.line = FormatText(ResString(IDS_FETCH_FETCHED).c_str(), id.c_str(), url.c_str(),
                                  target.c_str(), what.c_str());
            out.path = target;
            return out;
        }
    }
    out.line = FormatText(ResString(IDS_FETCH_FAILED).c_str(), id.c_str(), failure.c_str());
    return out;
}

} // namespace

bool FetchReport::AllArrived() const {
    return error.empty() && !cancelled && importOk &&
           std::all_of(items.begin(), items.end(), [](const FetchItem& i) { return i.arrived; });
}

std::string DefaultFetchSourcesPath() {
    std::error_code ec;
    const std::string own = ProgramHome() + kSourcesFile;
    return fs::exists(own, ec) ? own : BundledDataDirectory() + kSourcesFile;
}

FetchReport FetchOrbits(const FetchSourceList& list, const FetchOptions& o) {
    FetchReport report;
    std::error_code ec;
    fs::create_directories(o.directory, ec);
    if (!fs::is_directory(o.directory, ec)) {
        report.error = FormatText(ResString(IDS_FETCH_NO_DIR).c_str(), o.directory.c_str());
        return report;
    }
    // The sources in the order of their first line, each with its addresses.
    std::vector<std::string> ids;
    std::map<std::string, std::vector<const FetchSource*>> byId;
    for (const FetchSource& s : list.sources) {
        if (!FetchIdServesAny(s.id, o.systems))
            continue;
        if (byId[s.id].empty())
            ids.push_back(s.id);
        byId[s.id].push_back(&s);
    }
    if (ids.empty()) {
        report.error = ResString(IDS_FETCH_NO_SOURCES);
        return report;
    }
    FetchState state = ReadState(o.directory + kStateFile);
    std::string gpsFile, glonassFile; // imported together into one almanac file
    for (const std::string& id : ids) {
        if (report.cancelled)
            break;
        FetchItem item = FetchOne(id, byId[id], o, state, report.cancelled);
        if (item.arrived && (id == "gps-yuma" || id == "gps-sem") && gpsFile.empty())
            gpsFile = item.path; // YUMA, else SEM
        else if (item.arrived && id == "glonass-iac")
            glonassFile = item.path;
        else if (item.arrived && id != "gps-yuma" && id != "gps-sem")
            report.orbitFiles.push_back(item.path);
        report.items.push_back(std::move(item));
    }
    int error = 0;
    if (!WriteFileSafely(o.directory + kStateFile, StateText(state), &error))
        report.lines.push_back(WriteErrorText(o.directory + kStateFile, error));
    std::vector<std::string> published;
    for (const std::string& f : {gpsFile, glonassFile})
        if (!f.empty())
            published.push_back(f);
    if (!published.empty() && !report.cancelled) {
        const AlmanacImportResult r = PlanSession::ImportPublished(published, o.directory, o.date, o.write);
        report.importOk = r.written;
        if (r.written) {
            report.almanacPath = r.path;
            report.lines.push_back(FormatText(ResString(IDS_FETCH_IMPORTED).c_str(), r.path.c_str()));
        }
        for (const std::string& e : r.errors)
            report.lines.push_back(e);
        for (const std::string& w : r.warnings)
            report.lines.push_back(w);
    }
    return report;
}
