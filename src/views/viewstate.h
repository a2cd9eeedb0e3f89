// What the drawing of every view shares: the layout fields (sizes, metrics, margins and the scales
// of the derived views), the flags, the view font and colours. The window classes own one of
// these; printing and the clipboard copy save and restore the layout around their own drawing.
#pragma once

#include <QColor>
#include <QString>

#include <array>
#include <cstdint>

#include "views/canvas.h"

inline constexpr uint32_t kViewGrid = 0x100; // grid shown

// Saved and restored around printing and copying.
struct ViewLayout {
    int ClientWidth = 0, ClientHeight = 0;
    int AvgCharWidth = 0, LineHeight = 0, MaxCharWidth = 0;
    int MarginLeft = 0, MarginRight = 0, MarginTop = 0, MarginBottom = 0;
    // time diagrams
    float PixelsPerSample = 0;
    int AxisWidth = 0, AxisY = 0;
    // satellite visibility
    int RowHeight = 0, VisibleRows = 0, ScrollPos = 0;
    // sky plot
    int SkyRadius = 0;
    // DOP plot
    float YScale = 0;
    bool operator==(const ViewLayout&) const = default;
};

struct ViewState {
    ViewLayout layout;
    uint8_t Painted = 0;
    uint8_t MetafileMode = 0;
    uint32_t ViewFlags = 0;
    int FontPointSize = 8;
    QString FaceName = QStringLiteral("Arial");
    int FontWeight = 400;
    int FontHeight = 0; // the LOGFONT height, stored on first use
    QColor TextColor = Qt::black;
    QColor BackColor = Qt::white;
    // The satellite visibility view measures a line as the character height alone.
    bool LineIsCharHeight = false;
    bool FontSelected = false;

    // Selects the view font (pointSize 0: FontPointSize; weight 0: FontWeight) with the given
    // escapement, reads the metrics into the layout and returns LineHeight. The previous font
    // goes to *saved when given, to be handed back with RestoreFont.
    int SelectViewFont(Canvas& dc, int pointSize, int weight, int escapement, CanvasFont* saved = nullptr);
    void RestoreFont(Canvas& dc, const CanvasFont& saved);
    void ReleaseFont(Canvas& dc);

private:
    void ReadMetrics(Canvas& dc);
};

// Colours of satellite bars and tracks, the k-th coloured item taking entry k mod 9.
const std::array<QColor, 9>& SeriesPalette();
// Black on light colours, white on dark ones: for numbers on coloured bars.
QColor ContrastColor(QColor c);

// Named drawing colours.
inline const QColor kGray(128, 128, 128);
inline const QColor kDarkRed(128, 0, 0);
// The ground under the terrain skyline and its edge.
inline const QColor kTerrainFill(214, 196, 160);
inline const QColor kTerrainEdge(120, 96, 64);
inline const QColor kYellow(255, 255, 0);
inline const QColor kNavy(0, 0, 128);

// Win32 MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c);
