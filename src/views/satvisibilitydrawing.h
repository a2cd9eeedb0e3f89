// The satellite visibility view's drawing: one row per available satellite under a GPS and a
// GLONASS heading, a coloured bar for each stretch of visible samples, the time axis below.
#pragma once

#include <QString>

#include <vector>

#include "views/timediagramdrawing.h"

inline constexpr uint32_t kShowFrequency = 0x01; // bars labelled with GLONASS frequency channels

class SatVisibilityDrawing : public TimeDiagramDrawing {
public:
    struct Row {
        int id = 0;      // 0..55 satellite index, -1 GPS heading, -2 GLONASS heading
        int colour = -1; // palette index, -1 when never visible
    };

    SatVisibilityDrawing();

    int scrollBarWidth = 0; // the window's scroll bar, kept free on the right
    int SampleCount = 0;
    int ScrollMax = 0;
    int RowCount = 0;
    bool Scrolling = false;
    std::vector<Row> RowTable;

    void ComputeMargins() override;
    void BuildRows(const ViewInputs& in);
    // The screen paint: margins, rows and the row range from the update rectangle (device units).
    void Paint(Canvas& dc, const ViewInputs& in, QRect update);
    // The drawing proper, also for printing and copying; `rows` in device units.
    void Draw(Canvas& dc, const ViewInputs& in, QRect rows);

    // Readout for a mouse position: the time and "SV#..." text, both empty outside a satellite row.
    struct Readout {
        QString time, satellite;
    };
    Readout ReadoutAt(const ViewInputs& in, QPoint mouse) const;

    static int SatelliteNumber(int s) { return SatelliteCatalogue::At(s).number; }
    // The number a bar shows, or 0 for none.
    int BarLabel(const ViewInputs& in, int s) const;
};
