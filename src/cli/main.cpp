// tavrin-cli: the planner without windows.
#include "base/strings.h"
#include "cli/commands.h"
#include "cli/terrain.h"

int main(int argc, char** argv) {
    LoadDefaultLanguageModule();
#ifdef TAVRIN_CLI_GRAPHS_PROGRAM
    AllowGraphsHandOver(); // built beside this program
#endif
#ifdef TAVRIN_CLI_FULL
    SetFullParts({RunMap, AttachModelTerrain, RunAlmanacFetch}); // no program beside this one has them
#endif
    return RunProgram(Words(argv + 1, argv + argc));
}
