// tavrin-cli almanac import FILE... [--dir DIR] [--near YYYY-MM-DD]
#include <filesystem>
#include <iostream>

#include "base/strings.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "config/plansession.h"

int RunAlmanacImport(const Words& words) {
    const Arguments args(words, OptionsOf("almanac import"));
    if (const std::optional<int> end = EndsAtOnce(args, "almanac"))
        return *end;
    const std::vector<std::string>& files = args.Positional();
    if (files.empty())
        return Fail(kExitUsage, ResString(IDS_IMPORT_NO_FILES));
    if (files.size() > 2)
        return Fail(kExitUsage,
                    FormatText(LoadResString(IDS_IMPORT_TOO_MANY), static_cast<int>(files.size())));
    std::optional<CalendarTime> near;
    if (const std::optional<std::string> text = args.Value("--near")) {
        int day = 0, month = 0, year = 0;
        if (!ParseDate(*text, day, month, year)) {
            const std::string what = ResString(IDS_CLI_WHAT_DATE);
            return Fail(kExitUsage,
                        FormatText(LoadResString(IDS_CLI_BAD_VALUE), "--near", text->c_str(), what.c_str()));
        }
        near = MakeCalendarTime(0, 0, 0, day, month, year);
    }
    const std::string directory = args.Value("--dir").value_or(".");
    // A new folder for the almanacs is made, and taken away again when nothing was written into it.
    std::error_code ec;
    std::filesystem::path made;
    for (std::filesystem::path p = std::filesystem::absolute(directory, ec);
         !p.empty() && !std::filesystem::exists(p, ec); p = p.parent_path())
        made = p;
    std::filesystem::create_directories(directory, ec);

    const AlmanacImportResult r =
        PlanSession::ImportPublished(files, directory, near, SafeWriteOptions{args.Has("--force")});
    if (!r.written && !made.empty()) // the folders made just now, each only when empty
        for (std::filesystem::path p = std::filesystem::absolute(directory, ec);; p = p.parent_path()) {
            std::filesystem::remove(p, ec);
            if (p == made || p == p.parent_path())
                break;
        }
    for (const std::string& w : r.warnings)
        Fail(kExitOk, w);
    if (r.writeError)
        return Fail(kExitFailure, OutputErrorText(r.path, r.writeError));
    if (!r.written) {
        for (const std::string& e : r.errors)
            Fail(kExitInput, e);
        return kExitInput;
    }
    std::string out = r.path + "\n";
    if (r.gps.present)
        out += ImportSummaryLine(ResString(IDS_IMPORT_GPS).c_str(), r.gps) + "\n";
    if (r.glonass.present)
        out += ImportSummaryLine(ResString(IDS_IMPORT_GLONASS).c_str(), r.glonass) + "\n";
    return WriteOutput("", out);
}
