#include "base/strings.h"
#include "cli/commands.h"

int RunProgram(const Words& words) {
    if (words.empty()) // a reminder on standard error; --help has the whole text
        return Fail(kExitUsage, ResString(IDS_CLI_SHORT_USAGE));
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help")
        return WriteOutput("", ResString(IDS_CLI_USAGE) + ResString(IDS_PLANNER_USAGE) + "\n");
    if (words[0] == "--version")
        return WriteOutput("", std::string("tavrin-cli ") + TAVRIN_VERSION + "\n" + TAVRIN_COPYRIGHT + "\n");
    return RunCommand(words);
}

int RunCommand(const Words& words) {
    if (words.empty())
        return Fail(kExitUsage, ResString(IDS_CLI_USAGE));
    const Words rest(words.begin() + 1, words.end());
    if (words[0] == "plan")
        return RunPlan(rest);
    if (words[0] == "windows")
        return RunWindows(rest);
    if (words[0] == "horizon")
        return RunHorizon(rest);
    if (words[0] == "map")
        return RunMap(rest);
    if (words[0] == "sites")
        return RunSites(rest);
    if (words[0] == "almanac")
        return RunAlmanac(rest);
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_UNKNOWN_COMMAND).c_str(), words[0].c_str()));
}
