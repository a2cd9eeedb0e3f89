// tavrin-cli: the planner without windows.
#include "base/strings.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    LoadDefaultLanguageModule();
    return RunProgram(Words(argv + 1, argv + argc));
}
