// tavrin-cli-graphs: the planner with Qt, drawing the graphs and PDF; tavrin-cli runs it in its own
// place for plan --graphs/--pdf.
#include "base/strings.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    LoadDefaultLanguageModule();
    SetGraphsWriter(WriteGraphs);
    return RunProgram(Words(argv + 1, argv + argc));
}
