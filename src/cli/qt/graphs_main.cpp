// tavrin-cli-graphs: the planner with Qt and GDAL, drawing the graphs, PDF and map pictures and
// reading elevation models; tavrin-cli runs it in its own place for plan --graphs/--pdf, map,
// horizon and --dem.
#include "base/strings.h"
#include "cli/commands.h"
#include "cli/terrain.h"

int main(int argc, char** argv) {
    LoadDefaultLanguageModule();
    SetGraphsWriter(WriteGraphs);
    SetMapPictureWriter(WriteMapPictures);
    SetFullParts({RunMap, AttachModelTerrain, RunAlmanacFetch});
    return RunProgram(Words(argv + 1, argv + argc));
}
