// tavrin-cli sites new|add|remove|import|export: site lists made and changed from the shell.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "base/codepage.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/planner.h"
#include "cli/request.h"
#include "sites/positionlist.h"
#include "sites/project.h"
#include "sites/siteexchange.h"
#include "sites/siteform.h"

namespace fs = std::filesystem;

namespace {

// What input files may hold before they are refused unread.
constexpr std::uintmax_t kMaxImportBytes = 64u << 20;

// Writes the whole list in place of `path`, safely; says what went wrong, or what was worth saying.
int SaveList(const project& list, const std::string& path, bool force) {
    project::SaveOutcome outcome;
    if (!list.Save(path, &outcome, SafeWriteOptions{force}))
        return Fail(kExitFailure, OutputErrorText(path, outcome.error));
    if (outcome.textAsUtf8)
        Fail(kExitOk, FormatText(ResString(IDS_SITES_TEXT_UTF8).c_str(), path.c_str(), FileCodePage()));
    if (outcome.linksSplit)
        Fail(kExitOk, LinksSplitText(path));
    return kExitOk;
}

// "90:0,90:30,180:30,180:0" into an outline.
bool ParseOutline(const std::string& text, Obstruction& outline) {
    for (const std::string& corner : SplitList(text, ',')) {
        const std::vector<std::string> parts = SplitList(corner, ':');
        double az = 0, el = 0;
        if (parts.size() != 2 || !ParseDouble(parts[0], az) || !ParseDouble(parts[1], el) ||
            std::fabs(az) > 360 || std::fabs(el) > 90 || outline.Count() >= kMaxOutlineCorners)
            return false;
        outline.Add(point<double>(el, az));
    }
    return outline.Count() >= 3;
}

// The site the options of new and add describe, checked against the names of `list`.
int ReadSiteOptions(const Arguments& args, const project& list, SiteInfo& site) {
    const std::optional<std::string> name = args.Value("--name");
    const std::optional<std::string> at = args.Value("--at");
    if (!at)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_NEEDS).c_str(), "--name", "--at"));
    PlanRequest position;
    if (const int status = ParseAt(*at, position))
        return status;
    double offset = 0;
    if (const auto v = args.Value("--gmt-offset");
        v && (!ParseDouble(*v, offset) || offset < -12 || offset > 14))
        return UsageError("--gmt-offset", *v, ResString(IDS_CLI_WHAT_GMT_OFFSET).c_str());
    // What the list's fields cannot hold whole is refused, as the desktop refuses it, not cut.
    const std::string nameText = TrimmedName(name.value_or("").c_str());
    const std::string description = args.Value("--description").value_or("");
    for (const bool isDescription : {false, true}) {
        const std::string& text = isDescription ? description : nameText;
        const size_t field = isDescription ? SiteInfo::kDescriptionField : SiteInfo::kNameField;
        if (const FieldFit fit = MeasureFieldText(text, field); !fit.Fits()) {
            const int holding = CodePageHolding(text, field);
            return Fail(kExitUsage,
                        SiteTextFaultText({isDescription, FileCodePage(), fit, 0}) +
                            (holding ? FormatText(ResString(IDS_SITES_CODEPAGE_HOLDS).c_str(), holding)
                                     : std::string()));
        }
    }
    site = SiteInfo(position.latitude, position.longitude, position.altitude, "", "",
                    static_cast<float>(offset));
    site.SetName(nameText.c_str());
    site.SetDescription(description.c_str());
    for (const std::string& text : args.Values("--obstruction")) {
        Obstruction outline;
        if (!ParseOutline(text, outline))
            return UsageError("--obstruction", text, ResString(IDS_CLI_WHAT_OUTLINE).c_str());
        site.obstructions.Add(outline);
    }
    std::vector<std::string> names;
    for (const SiteInfo& s : list.sites)
        names.push_back(s.name);
    switch (CheckSiteName(site.name, names, -1)) {
    case SiteNameFault::Empty:
        return Fail(kExitUsage, ResString(IDS_SITES_NAME_EMPTY));
    case SiteNameFault::Exists:
        return Fail(kExitInput,
                    FormatText(ResString(IDS_SITES_NAME_TAKEN).c_str(), site.name, list.path.c_str()));
    case SiteNameFault::None:
        break;
    }
    return kExitOk;
}

int NewList(const Arguments& args, const std::string& path) {
    if (fs::exists(fs::symlink_status(path)))
        return Fail(kExitInput, FormatText(ResString(IDS_SITES_EXISTS).c_str(), path.c_str()));
    project list;
    list.path = path;
    // Any of the site's options describes the one site; without them it is the default one.
    const std::set<std::string>& options = OptionsOf("sites new").valued;
    if (std::any_of(options.begin(), options.end(),
                    [&](const std::string& o) { return o != "--codepage" && args.Has(o); })) {
        list.sites.Clear();
        SiteInfo site;
        if (const int status = ReadSiteOptions(args, list, site))
            return status;
        list.sites.Add(site);
    }
    return SaveList(list, path, args.Has("--force"));
}

int AddSite(const Arguments& args, project& list) {
    SiteInfo site;
    if (const int status = ReadSiteOptions(args, list, site))
        return status;
    if (list.sites.Count() >= kMaxPositions)
        return Fail(kExitInput,
                    FormatText(ResString(IDS_SITES_TOO_MANY).c_str(), list.path.c_str(), kMaxPositions));
    list.sites.Add(site);
    return SaveList(list, list.path, args.Has("--force"));
}

int RemoveSite(const Arguments& args, project& list) {
    if (args.Positional().size() != 2)
        return Fail(kExitUsage, ResString(IDS_CLI_SITES_USAGE));
    int index = 0;
    if (const int status = FindSite(list, args.Positional()[1], index))
        return status;
    if (list.sites.Count() == 1)
        return Fail(kExitInput, FormatText(ResString(IDS_SITES_LAST_SITE).c_str(), list.path.c_str(),
                                           list.sites.GetAt(0)->name));
    list.sites.GetAt(index);
    list.sites.DeleteCurrent();
    if (list.currentIndex > index || list.currentIndex >= list.sites.Count())
        --list.currentIndex;
    return SaveList(list, list.path, args.Has("--force"));
}

// The sites of a JSON, GeoJSON or positions CSV file, told apart by their first character.
int ReadImport(const std::string& path, std::vector<SiteInfo>& sites, int& current) {
    current = 0;
    if (const std::string problem = InputFileProblem(path); !problem.empty())
        return Fail(kExitInput, problem);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    std::string text(ec || size > kMaxImportBytes ? 0 : static_cast<size_t>(size), '\0');
    if (text.size() != size || !in.read(text.data(), static_cast<std::streamsize>(size)))
        return Fail(kExitInput, FormatText(ResString(IDS_PLAN_POSITIONS_UNREADABLE).c_str(), path.c_str()));
    const size_t first = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (first == std::string::npos || text[first] != '{')
        return ReadPositions(path, sites);
    std::string error;
    if (!ReadSitesJson(text, path, sites, current, error))
        return Fail(kExitInput, error);
    return kExitOk;
}

int ImportSites(const Arguments& args, const std::string& path) {
    const std::optional<std::string> from = args.Value("--from");
    if (!from)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_MISSING_VALUE).c_str(), "--from"));
    std::vector<SiteInfo> incoming;
    int current = 0;
    if (const int status = ReadImport(*from, incoming, current))
        return status;
    std::unique_ptr<project> list;
    const bool exists = fs::exists(path);
    if (exists) {
        if (const int status = OpenSiteList(path, list))
            return status;
        if (project::FileFormat(path) == 0 && !args.Has("--convert"))
            return Fail(kExitInput, FormatText(ResString(IDS_SITES_OLD_FORMAT).c_str(), path.c_str()));
    } else {
        list = std::make_unique<project>();
        list->path = path;
    }
    const bool replace = !exists || args.Has("--replace");
    if (replace) {
        list->sites.Clear();
        list->currentIndex = static_cast<int16_t>(current);
    }
    std::vector<std::string> names;
    for (const SiteInfo& s : list->sites)
        names.push_back(s.name);
    for (SiteInfo& site : incoming) {
        site.timeZone.clear(); // a list holds offsets only
        if (CheckSiteName(site.name, names, -1) != SiteNameFault::None)
            return Fail(kExitInput,
                        FormatText(ResString(IDS_SITES_NAME_TAKEN).c_str(), site.name, path.c_str()));
        names.push_back(site.name);
        list->sites.Add(site);
    }
    if (list->sites.Count() > kMaxPositions)
        return Fail(kExitInput,
                    FormatText(ResString(IDS_SITES_TOO_MANY).c_str(), path.c_str(), kMaxPositions));
    if (const int status = SaveList(*list, path, args.Has("--force")))
        return status;
    return Fail(kExitOk, FormatText(ResString(IDS_SITES_WRITTEN).c_str(), path.c_str(), list->sites.Count()));
}

} // namespace

int RunSitesChange(const std::string& command, const Words& words) {
    const Arguments args(words, OptionsOf("sites " + command));
    if (const std::optional<int> end = EndsAtOnce(args, "sites"))
        return *end;
    if (const int status = ApplyCodePage(args))
        return status;
    const size_t positional = command == "remove" ? 2 : 1;
    if (args.Positional().size() != positional)
        return Fail(kExitUsage, ResString(IDS_CLI_SITES_USAGE));
    const std::string path = args.Positional()[0];
    if (command == "new")
        return NewList(args, path);
    if (command == "import")
        return ImportSites(args, path);
    std::unique_ptr<project> list;
    if (const int status = OpenSiteList(path, list))
        return status;
    // A change rewrites the list in the current format, which the old programs do not read.
    if (command != "export" && project::FileFormat(path) == 0 && !args.Has("--convert"))
        return Fail(kExitInput, FormatText(ResString(IDS_SITES_OLD_FORMAT).c_str(), path.c_str()));
    if (command == "add")
        return AddSite(args, *list);
    if (command == "remove")
        return RemoveSite(args, *list);
    int format = 0;
    if (const int status = ParseChoice(args, "--format", {"json", "csv", "geojson"}, 0, format))
        return status;
    return WriteOutput(args.Value("--output").value_or(""),
                       WriteSitesText(*list, static_cast<SiteTextFormat>(format)), args.Has("--force"));
}
