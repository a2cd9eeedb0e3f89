// tavrin-cli: the planner without windows.
#include "base/strings.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    LoadDefaultLanguageModule();
#ifdef TAVRIN_CLI_GRAPHS_PROGRAM
    AllowGraphsHandOver(); // built beside this program
#endif
    return RunProgram(Words(argv + 1, argv + argc));
}
