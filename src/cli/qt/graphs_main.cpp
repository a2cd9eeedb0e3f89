// tavrin-cli-graphs: the planner with Qt, drawing the graphs, PDF and map pictures; tavrin-cli runs it in its
// own place for plan --graphs/--pdf and map -o FILE.png.
#include "base/strings.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    LoadDefaultLanguageModule();
    SetGraphsWriter(WriteGraphs);
    SetMapPictureWriter(WriteMapPictures);
    return RunProgram(Words(argv + 1, argv + argc));
}
