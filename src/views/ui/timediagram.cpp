#include "views/ui/timediagram.h"

bool TTimeDiagram::ShowTimeAt(const ViewInputs& in, int x) {
    const int secs = Diagram().TimeAt(in, x);
    if (secs < 0) {
        ClearReadout();
        return false;
    }
    SetReadout(1, TimeDiagramDrawing::FormatClock(secs));
    return true;
}
