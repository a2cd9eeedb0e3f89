// tavrin-cli: the planner without windows.
#include <iostream>

#include "cli/commands.h"
#include "engine/strings.h"

int Fail(int status, const std::string& text) {
    std::cerr << "tavrin-cli: " << text << '\n';
    return status;
}

int main(int argc, char** argv) {
    LoadDefaultLanguageModule();
    Words words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h") {
        std::cout << ResString(IDS_CLI_ALMANAC_USAGE) << '\n';
        return words.empty() ? kExitUsage : kExitOk;
    }
    if (words[0] == "--version") {
        std::cout << "tavrin-cli " << TAVRIN_VERSION << '\n' << TAVRIN_COPYRIGHT << '\n';
        return kExitOk;
    }
    if (words.size() >= 2 && words[0] == "almanac" && words[1] == "import")
        return RunAlmanacImport(Words(words.begin() + 2, words.end()));
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_UNKNOWN_COMMAND).c_str(), words[0].c_str()));
}
