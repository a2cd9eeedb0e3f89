// tavrin-cli almanac fetch: the orbits of a date from the published sources, each file checked by
// reading it before it is kept; GPS and GLONASS almanacs imported into the program's format.
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "base/paths.h"
#include "base/strings.h"
#include "base/text.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/request.h"
#include "config/fetchsources.h"
#include "engine/almanac_import.h"
#include "net/fetch.h"

namespace {

// A line of progress per source on a terminal; nothing when standard error is not one.
class Progress {
public:
    Progress() : shown_(isatty(STDERR_FILENO) == 1) {}
    ~Progress() { Clear(); }
    bool operator()(const std::string& id, size_t bytes, size_t total) {
        if (!shown_)
            return true;
        drawn_ = true;
        std::cerr << "\r\033[K" << id << ": " << bytes / 1024 << " kB";
        if (total > 0)
            std::cerr << " / " << total / 1024 << " kB";
        std::cerr << std::flush;
        return true;
    }
    void Clear() {
        if (shown_ && drawn_)
            std::cerr << "\r\033[K" << std::flush;
        drawn_ = false;
    }

private:
    bool shown_, drawn_ = false;
};

} // namespace

int RunAlmanacFetch(const Words& words) {
    const Arguments args(words, OptionsOf("almanac fetch"));
    if (const std::optional<int> end = EndsAtOnce(args, "almanac"))
        return *end;
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
    FetchOptions options;
    options.date = date;
    options.systems = systems;
    options.timeoutSeconds = timeout;
    options.write.replaceReadOnly = args.Has("--force");
    options.directory = args.Value("--dir").value_or(UserAlmanacDirectory());
    if (!options.directory.empty() && options.directory.back() != '/')
        options.directory += '/';
    Progress progress;
    options.progress = [&progress](const std::string& id, size_t n, size_t total) {
        return progress(id, n, total);
    };

    const std::string sourcesPath = args.Value("--sources").value_or(DefaultFetchSourcesPath());
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

    const FetchReport report = FetchOrbits(list, options);
    progress.Clear();
    if (!report.error.empty())
        return Fail(kExitInput, sourcesPath + ": " + report.error);
    std::string summary;
    for (const FetchItem& item : report.items)
        summary += item.line + '\n';
    for (const std::string& line : report.lines)
        summary += line + '\n';
    if (const int status = WriteOutput("", summary); status != kExitOk)
        return status;
    return report.AllArrived() ? kExitOk : kExitInput;
}
