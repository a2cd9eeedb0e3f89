#include "views/viewstate.h"

#include <cstdlib>

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const long long p = static_cast<long long>(a) * b;
    const long long q = (std::llabs(p) + std::llabs(static_cast<long long>(c)) / 2) / std::llabs(c);
    return static_cast<int>(((p < 0) != (c < 0)) ? -q : q);
}

const std::array<QColor, 9>& SeriesPalette() {
    static const std::array<QColor, 9> palette = {
        QColor(255, 0, 0),   QColor(0, 255, 0), QColor(0, 0, 255),   QColor(128, 128, 0), QColor(0, 255, 255),
        QColor(255, 0, 255), QColor(0, 128, 0), QColor(128, 0, 128), QColor(0, 128, 128)};
    return palette;
}

QColor ContrastColor(QColor c) {
    return (c.red() > 128 || c.green() > 128) ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

void ViewState::ReadMetrics(Canvas& dc) {
    if (MetafileMode)
        return;
    const CanvasTextMetrics tm = dc.GetTextMetrics();
    layout.AvgCharWidth = tm.tmAveCharWidth;
    layout.LineHeight =
        LineIsCharHeight ? tm.tmHeight - tm.tmInternalLeading : tm.tmHeight + tm.tmExternalLeading;
    layout.MaxCharWidth = tm.tmMaxCharWidth;
}

int ViewState::SelectViewFont(Canvas& dc, int pointSize, int weight, int escapement, CanvasFont* saved) {
    const CanvasFont previous = dc.Font();
    if (saved)
        *saved = previous;
    const int points = pointSize != 0 ? pointSize : FontPointSize;
    const int h = MulDiv(points, dc.LogPixelsY(), 72);
    const QPoint o = dc.ViewportOrg();
    const QPoint logical = dc.DPtoLP({o.x(), o.y() + h});
    CanvasFont f;
    f.face = FaceName;
    f.height = -std::abs(logical.y());
    if (FontHeight == 0)
        FontHeight = -h;
    f.weight = weight != 0 ? weight : FontWeight;
    f.escapement = escapement;
    f.valid = true;
    dc.SelectFont(f);
    FontSelected = true;
    ReadMetrics(dc);
    return layout.LineHeight;
}

void ViewState::RestoreFont(Canvas& dc, const CanvasFont& saved) {
    dc.SelectFont(saved);
    ReadMetrics(dc);
}

void ViewState::ReleaseFont(Canvas& dc) {
    dc.SelectFont(CanvasFont{});
    FontSelected = false;
}
