// tavrin-cli: the planner without windows.
#include <iostream>

#include "base/safefile.h"
#include "base/strings.h"
#include "cli/commands.h"

int Fail(int status, const std::string& text) {
    std::cerr << "tavrin-cli: " << text << '\n';
    return status;
}

int WriteOutput(const std::string& path, const std::string& text) {
    if (path.empty() || path == "-") {
        std::cout << text;
        std::cout.flush();
        return std::cout ? kExitOk : kExitFailure;
    }
    int error = 0;
    if (!WriteFileSafely(path, text, &error))
        return Fail(kExitFailure, WriteErrorText(path, error));
    return kExitOk;
}

int main(int argc, char** argv) {
    LoadDefaultLanguageModule();
    Words words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        std::cout << ResString(IDS_CLI_USAGE) << '\n';
        return words.empty() ? kExitUsage : kExitOk;
    }
    if (words[0] == "--version") {
        std::cout << "tavrin-cli " << TAVRIN_VERSION << '\n' << TAVRIN_COPYRIGHT << '\n';
        return kExitOk;
    }
    const Words rest(words.begin() + 1, words.end());
    if (words[0] == "plan")
        return RunPlan(rest);
    if (words[0] == "sites")
        return RunSites(rest);
    if (words[0] == "almanac")
        return RunAlmanac(rest);
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_UNKNOWN_COMMAND).c_str(), words[0].c_str()));
}
