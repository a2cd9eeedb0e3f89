#include "views/timediagramdrawing.h"

#include <cstdio>

#include "base/strings.h"

void TimeDiagramDrawing::DrawTimeAxis(Canvas& dc, const ViewInputs& in, int axisY, bool drawGrid,
                                      bool gridOnly) {
    ViewLayout& L = vs.layout;
    const int t0 = in.t0;
    const int n = in.intervalCount;
    const int step = in.step > 0 ? in.step : 900;
    const int oldAlign = dc.SetTextAlign(TA_CENTER | TA_TOP);

    CanvasFont saved;
    bool haveSaved = true;
    vs.SelectViewFont(dc, 0, 0, 900, &saved);

    halfHours = quarterHours = everySample = false;
    const int P = n > 0 ? L.AxisWidth / n : 0;
    if (P * (1800 / step) < L.LineHeight) {
        // No room for rotated labels: horizontal full hours only.
        vs.RestoreFont(dc, saved);
        haveSaved = false;
    } else {
        halfHours = true;
        if (P * (900 / step) >= L.LineHeight) {
            quarterHours = true;
            everySample = P > L.LineHeight;
        }
        dc.SetTextAlign(TA_RIGHT);
    }
    const bool rotated = halfHours;
    const int half = L.LineHeight / 2;
    const CanvasPen gridPen{PS_SOLID, 1, kGray};

    const int minSpacing = rotated ? L.LineHeight : 3 * L.AvgCharWidth;
    int lastHourX = -minSpacing;
    char text[32];
    auto gridLine = [&](int i, int x) {
        if (!drawGrid || i == 0 || i == n - 1)
            return;
        const CanvasPen old = dc.SelectPen(gridPen);
        dc.MoveTo(x, 0);
        dc.LineTo(x, L.AxisY);
        dc.SelectPen(old);
    };
    auto subLabel = [&](int x, int tickTop, int hour, int minute) {
        if (gridOnly)
            return;
        dc.MoveTo(x, tickTop);
        dc.LineTo(x, axisY);
        std::snprintf(text, sizeof text, "%d:%02d", hour, minute);
        dc.TextOut(x - L.LineHeight / 2, axisY + half, QString::fromLatin1(text));
    };
    for (int i = 0; i < n; ++i) {
        const int t = t0 + i * step;
        const int hour = (t / 3600) % 24;
        const int minute = (t % 3600) / 60;
        const int x = static_cast<int>(i * L.PixelsPerSample);
        if (minute == 0) {
            if (x - lastHourX < minSpacing)
                continue;
            if (!gridOnly) {
                if (rotated) {
                    std::snprintf(text, sizeof text, "%d:%02d", hour, minute);
                    dc.TextOut(x - L.LineHeight / 2, axisY + half, QString::fromLatin1(text));
                } else {
                    std::snprintf(text, sizeof text, "%d", hour);
                    dc.TextOut(x, axisY + half, QString::fromLatin1(text));
                }
                dc.MoveTo(x, axisY + half);
                dc.LineTo(x, axisY);
            }
            gridLine(i, x);
            lastHourX = x;
        } else if (minute == 30) {
            if (!halfHours)
                continue;
            subLabel(x, axisY + (2 * half) / 3, hour, minute);
            gridLine(i, x);
        } else if (minute == 15 || minute == 45) {
            if (!quarterHours)
                continue;
            subLabel(x, axisY + half / 2, hour, minute);
            gridLine(i, x);
        } else {
            if (!everySample)
                continue;
            subLabel(x, axisY + half / 2, hour, minute);
            gridLine(i, x);
        }
    }

    // Caption, measured with the width of the regular font.
    const int avg = L.AvgCharWidth;
    CanvasFont beforeBold;
    vs.SelectViewFont(dc, 0, 700, 0, haveSaved ? nullptr : &beforeBold);
    if (!haveSaved) {
        saved = beforeBold;
        haveSaved = true;
    }
    dc.SetTextAlign(TA_CENTER | TA_TOP);
    dc.TextOut(L.AxisWidth / 2, axisY + half + 6 * avg, QString::fromUtf8(LoadResString(IDS_LOCAL_TIME)));

    dc.SetTextAlign(oldAlign);
    vs.RestoreFont(dc, saved);
}

int TimeDiagramDrawing::TimeAt(const ViewInputs& in, int mouseX) const {
    if (!vs.Painted)
        return -1;
    const int d = mouseX - vs.layout.MarginLeft;
    if (d < 0 || d > vs.layout.AxisWidth)
        return -1;
    if (vs.layout.PixelsPerSample == 0)
        return in.t0;
    return in.t0 + static_cast<int>(d / vs.layout.PixelsPerSample) * in.step;
}

QString TimeDiagramDrawing::FormatClock(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", (seconds / 3600) % 24, (seconds % 3600) / 60);
    return QString::fromLatin1(text);
}
