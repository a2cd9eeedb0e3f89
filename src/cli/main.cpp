// tavrin-cli: the planner without windows.
#include <iostream>

#include "base/safefile.h"
#include "base/strings.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    LoadDefaultLanguageModule();
    Words words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        const int status = WriteOutput("", ResString(IDS_CLI_USAGE) + ResString(IDS_PLANNER_USAGE) + "\n");
        return words.empty() ? kExitUsage : status;
    }
    if (words[0] == "--version") {
        return WriteOutput("", std::string("tavrin-cli ") + TAVRIN_VERSION + "\n" + TAVRIN_COPYRIGHT + "\n");
    }
    return RunCommand(words);
}
