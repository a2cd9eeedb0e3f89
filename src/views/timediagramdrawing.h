// The time axis shared by the satellite visibility view and the DOP plot: sample i lies at
// x = trunc(i * PixelsPerSample) from the plot's left edge and is labelled t0 + i * step.
#pragma once

#include <QString>

#include "views/canvas.h"
#include "views/viewinputs.h"
#include "views/viewstate.h"

class TimeDiagramDrawing {
public:
    ViewState vs;

    virtual ~TimeDiagramDrawing() = default;

    // Room under the plot for ticks, labels and the caption.
    virtual void ComputeMargins() { vs.layout.MarginBottom = 5 * vs.layout.LineHeight; }

    // The axis line lies at y = axisY (logical units of the current origin); grid lines run from
    // y = 0 to AxisY. gridOnly keeps the grid lines and caption but no ticks or labels.
    void DrawTimeAxis(Canvas& dc, const ViewInputs& in, int axisY, bool drawGrid, bool gridOnly);

    // Local time (seconds) under the mouse x, or -1 outside the axis or before the first paint.
    int TimeAt(const ViewInputs& in, int mouseX) const;
    static QString FormatClock(int seconds); // "%02d:%02d", modulo 24 hours

    // Density marks chosen by the last DrawTimeAxis, for tests and the readout.
    bool halfHours = false, quarterHours = false, everySample = false;
};
