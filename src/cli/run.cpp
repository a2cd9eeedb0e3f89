#include "base/strings.h"
#include "cli/arguments.h"
#include "cli/commands.h"

int RunProgram(const Words& words) {
    if (words.empty()) // a reminder on standard error; --help has the whole text
        return Fail(kExitUsage, ResString(IDS_CLI_SHORT_USAGE));
    if (words[0] == "help" && words.size() > 1)
        return PrintHelp(words[1]);
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help")
        return WriteOutput("", ResString(IDS_CLI_USAGE) + ResString(IDS_CLI_PLAN_OPTIONS) +
                                   ResString(IDS_PLANNER_USAGE) + ResString(IDS_CLI_WINDOWS_OPTIONS) +
                                   ResString(IDS_CLI_EXIT_STATUS));
    if (words[0] == "--version")
        return WriteOutput("", std::string("tavrin-cli ") + TAVRIN_VERSION + "\n" + TAVRIN_COPYRIGHT + "\n");
    return RunCommand(words);
}

int PrintHelp(const std::string& command) {
    const auto usage = [&] { return FormatText(ResString(IDS_CLI_COMMAND_USAGE).c_str(), command.c_str()); };
    std::string text;
    if (command == "plan")
        text = usage() + ResString(IDS_CLI_PLAN_OPTIONS) + ResString(IDS_PLANNER_USAGE) +
               ResString(IDS_CLI_EXIT_STATUS);
    else if (command == "windows")
        text = usage() + ResString(IDS_CLI_WINDOWS_OPTIONS) + ResString(IDS_PLANNER_USAGE) + "\n" +
               ResString(IDS_CLI_WINDOWS_PLAN_OPTIONS);
    else if (command == "sites")
        text = ResString(IDS_CLI_SITES_HELP);
    else if (command == "almanac")
        text = ResString(IDS_CLI_ALMANAC_HELP);
    else if (command == "horizon")
        text = ResString(IDS_HORIZON_USAGE);
    else if (command == "map")
        text = ResString(IDS_CLI_MAP_USAGE);
    else
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_NO_HELP).c_str(), command.c_str()));
    return WriteOutput("", text);
}

std::optional<int> EndsAtOnce(const Arguments& args, const std::string& help) {
    if (!args.Ok())
        return Fail(kExitUsage, args.Error());
    if (args.Has("--help"))
        return PrintHelp(help);
    return std::nullopt;
}

int RunCommand(const Words& words) {
    if (words.empty())
        return Fail(kExitUsage, ResString(IDS_CLI_USAGE));
    const Words rest(words.begin() + 1, words.end());
    if (NeedsFullParts(words[0], rest) && !HasFullParts() && CanHandOver())
        return HandOverToGraphsProgram(words[0].c_str(), rest, words[0].c_str());
    if (words[0] == "plan")
        return RunPlan(rest);
    if (words[0] == "windows")
        return RunWindows(rest);
    if (words[0] == "horizon")
        return RunHorizon(rest);
    if (words[0] == "map")
        return RunFullMap(rest);
    if (words[0] == "sites")
        return RunSites(rest);
    if (words[0] == "almanac")
        return RunAlmanac(rest);
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_UNKNOWN_COMMAND).c_str(), words[0].c_str()));
}
