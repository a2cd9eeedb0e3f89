#include "views/dopplotdrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/strings.h"

namespace {

// The axis when no sample has a solution and Availability is hidden: room for good geometry.
constexpr float kEmptyDopScale = 5;
constexpr float kDopScaleLimit = 20;

int PenStyle(int k) {
    static const int styles[5] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    return styles[k % 5];
}

} // namespace

const QColor DopPlotDrawing::kSeriesColor[6] = {QColor(255, 0, 0),   QColor(0, 0, 255), QColor(0, 255, 255),
                                                QColor(255, 0, 255), QColor(0, 0, 0),   QColor(0, 128, 0)};

DopPlotDrawing::DopPlotDrawing() {
    vs.ViewFlags = kViewGrid | kShowPdop | kShowAvailability | kGridOnDop;
    for (QPoint& p : legendAt_)
        p = {-1, -1};
}

void DopPlotDrawing::ComputeMargins() {
    TimeDiagramDrawing::ComputeMargins();
    ViewLayout& L = vs.layout;
    L.MarginLeft = L.MarginRight = 8 * L.AvgCharWidth;
    L.MarginTop = 3 * L.LineHeight + toolBarHeight;
}

uint32_t DopPlotDrawing::DrawnSeries(const ViewInputs& in) const {
    uint32_t mask = vs.ViewFlags & (kShowPdop | kShowGdop | kShowHdop | kShowVdop | kShowTdop);
    if (HorizontalVerticalGreyed(in))
        mask &= ~(kShowHdop | kShowVdop);
    return mask;
}

void DopPlotDrawing::Draw(Canvas& dc, const ViewInputs& in) {
    ViewLayout& L = vs.layout;
    const int n = in.intervalCount;
    SampleCount = n;
    const bool availability = (vs.ViewFlags & kShowAvailability) != 0;

    float maxG = 0;
    int maxSv = 0;
    for (int i = 0; i < n; ++i) {
        maxG = std::max(maxG, in.Dop(kGdop, i));
        maxSv = std::max(maxSv, in.Count(i));
    }
    DopScaleMax = availability ? std::floor(maxG) * 2 + 1 : std::ceil(maxG);
    if (DopScaleMax > kDopScaleLimit)
        DopScaleMax = kDopScaleLimit;
    if (DopScaleMax <= 0)
        DopScaleMax = kEmptyDopScale;
    SvScaleMax = maxSv + 1;

    if (!vs.FontSelected) {
        vs.SelectViewFont(dc, 0, 0, 0);
        ComputeMargins();
    }
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(vs.TextColor);
    if (!vs.MetafileMode)
        PenWidth = static_cast<int>(std::floor(dc.LogPixelsX() * 0.02 + 0.5));

    const QPoint O = dc.ViewportOrg();
    L.AxisWidth = std::max(0, L.ClientWidth - O.x() - L.MarginLeft - L.MarginRight);
    L.AxisY = std::min(0, -(L.ClientHeight - O.y() - L.MarginTop - L.MarginBottom));
    L.PixelsPerSample = n > 1 ? static_cast<float>(L.AxisWidth) / (n - 1) : 0.0f;
    L.YScale = L.AxisY / DopScaleMax;
    L.AxisY = static_cast<int>(L.YScale * DopScaleMax);

    // Legend, two lines above the plot.
    const uint32_t drawn = DrawnSeries(in);
    const QString names[5] = {
        QString::fromUtf8(ResString(IDS_PDOP).c_str()), QString::fromUtf8(ResString(IDS_GDOP).c_str()),
        QString::fromUtf8(ResString(IDS_HDOP).c_str()), QString::fromUtf8(ResString(IDS_VDOP).c_str()),
        QString::fromUtf8(ResString(IDS_TDOP).c_str())};
    {
        CanvasFont saved;
        vs.SelectViewFont(dc, 0, 700, 0, &saved);
        int w = 0;
        for (int s = 0; s < 5; ++s)
            if (drawn & (1u << s))
                w += 12;
        QPoint p(L.ClientWidth / 2 - (w / 2) * L.AvgCharWidth,
                 L.ClientHeight - L.MarginBottom + L.AxisY - 2 * L.LineHeight);
        const int oldAlign = dc.SetTextAlign(TA_LEFT | TA_TOP);
        int k = 0;
        for (int s = 0; s < 5; ++s) {
            legendAt_[s] = {-1, -1};
            if (!(drawn & (1u << s)))
                continue;
            legendAt_[s] = dc.LPtoDP(p);
            DrawLegendEntry(dc, kSeriesColor[s], k++, names[s], p);
        }
        dc.SetTextAlign(oldAlign);
        vs.RestoreFont(dc, saved);
    }

    dc.SetViewportOrg({O.x() + L.MarginLeft, O.y() + L.ClientHeight - L.MarginBottom});

    // Axes.
    const bool grid = (vs.ViewFlags & kViewGrid) != 0;
    dc.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    L.YScale = L.AxisY / DopScaleMax;
    DrawYAxis(dc, std::trunc(DopScaleMax), 0, grid && (vs.ViewFlags & kGridOnDop), false, true);
    if (availability) {
        dc.SetTextAlign(TA_LEFT | TA_BOTTOM);
        L.YScale = static_cast<float>(L.AxisY) / SvScaleMax;
        DrawYAxis(dc, static_cast<float>(SvScaleMax), L.AxisWidth,
                  grid && (vs.ViewFlags & kGridOnAvailability), true, false);
    }
    {
        CanvasFont saved;
        vs.SelectViewFont(dc, 0, 700, 900, &saved);
        dc.SetTextAlign(TA_CENTER | TA_BASELINE);
        dc.TextOut(-5 * L.AvgCharWidth, L.AxisY / 2, QString::fromUtf8(ResString(IDS_DOP_AXIS).c_str()));
        if (availability) {
            const QColor old = dc.SetTextColor(kSeriesColor[5]);
            dc.SetTextAlign(TA_CENTER | TA_TOP);
            dc.TextOut(L.AxisWidth + 4 * L.AvgCharWidth, L.AxisY / 2,
                       QString::fromUtf8(ResString(IDS_DOP_AVAILABILITY).c_str()));
            dc.SetTextColor(old);
        }
        vs.RestoreFont(dc, saved);
    }
    DrawTimeAxis(dc, in, 0, grid, false);
    const CanvasPen oldPen = dc.SelectPen({PS_SOLID, 0, Qt::black});
    dc.MoveTo(0, L.AxisY);
    dc.LineTo(0, 0);
    dc.LineTo(L.AxisWidth, 0);
    dc.LineTo(L.AxisWidth, L.AxisY);
    dc.LineTo(0, L.AxisY);
    dc.SelectPen(oldPen);

    dc.SetClipDevice(
        QRect(QPoint(O.x() + L.MarginLeft, O.y() + L.ClientHeight - L.MarginBottom + L.AxisY),
              QPoint(O.x() + L.MarginLeft + L.AxisWidth - 1, O.y() + L.ClientHeight - L.MarginBottom - 1)));
    if (availability) {
        L.YScale = static_cast<float>(L.AxisY) / SvScaleMax;
        DrawAvailability(dc, in, kSeriesColor[5]);
    }
    L.YScale = L.AxisY / DopScaleMax;
    int k = 0;
    for (int s = 0; s < 5; ++s)
        if (drawn & (1u << s))
            DrawDopSeries(dc, in, kSeriesColor[s], k++, s);
    dc.ClearClip();
    dc.SetViewportOrg(O);
    vs.ReleaseFont(dc);
    vs.Painted = 1;
}

void DopPlotDrawing::DrawYAxis(Canvas& dc, float max, int x, bool grid, bool rightSide, bool left) {
    const ViewLayout& L = vs.layout;
    const int t = rightSide ? -L.AvgCharWidth : L.AvgCharWidth;
    float step = 1;
    bool twoDigits = false; // "%3.1f" instead of "%2.0f"
    if (left && max < 2) {
        step = 0.2f;
        twoDigits = true;
    } else if (left && max < 3) {
        step = 0.5f;
        twoDigits = true;
    }
    // Labels at a regular stride of steps: thinning label by label against the previous one
    // would leave uneven gaps (0, 2, 3, 4, 5, 6, 8, 9 ...) wherever the spacing is near a line.
    const float pitch = std::fabs(L.YScale) * step;
    int stride = 1;
    for (int k : {1, 2, 5, 10, 20, 50, 100, 200}) {
        stride = k;
        if (pitch * k >= L.LineHeight + 1)
            break;
    }
    if (left)
        dopLabels_.clear();
    // Counted, not accumulated: 0.2 added five times is not 1.
    const int steps = static_cast<int>(std::floor(max / step + 1e-3f));
    int lastY = L.LineHeight;
    char text[32];
    const CanvasPen gridPen{PS_SOLID, 1, kGray};
    for (int i = 0; i <= steps; i += stride) {
        const float v = i * step;
        const int y = static_cast<int>(v * L.YScale);
        if (lastY - y < L.LineHeight)
            continue;
        dc.MoveTo(x, y);
        dc.LineTo(x - t, y);
        if (twoDigits)
            std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(v));
        else
            std::snprintf(text, sizeof text, "%2.0f", static_cast<double>(v));
        dc.TextOut(x - t, y + L.LineHeight / 2, QString::fromLatin1(text));
        if (left)
            dopLabels_.push_back(v);
        if (grid && v > 0 && v < max) {
            const CanvasPen old = dc.SelectPen(gridPen);
            dc.MoveTo(0, y);
            dc.LineTo(L.AxisWidth, y);
            dc.SelectPen(old);
        }
        lastY = y;
    }
}

void DopPlotDrawing::DrawDopSeries(Canvas& dc, const ViewInputs& in, QColor colour, int k, int series) {
    const ViewLayout& L = vs.layout;
    const CanvasPen old = dc.SelectPen({PenStyle(k), PenWidth, colour});
    bool inLine = false;
    for (int i = 0; i < in.intervalCount; ++i) {
        const int x = static_cast<int>(i * L.PixelsPerSample);
        const float d = in.Dop(series, i);
        if (d == 0) {
            inLine = false; // no solution: a gap
            continue;
        }
        const int v = static_cast<int>(std::max(d * L.YScale, -10000.0f));
        if (inLine)
            dc.LineTo(x, v);
        else
            dc.MoveTo(x, v);
        inLine = true;
    }
    dc.SelectPen(old);
}

void DopPlotDrawing::DrawAvailability(Canvas& dc, const ViewInputs& in, QColor colour) {
    const ViewLayout& L = vs.layout;
    const int n = in.intervalCount;
    if (n <= 0)
        return;
    const CanvasPen good{PS_SOLID, PenWidth, colour};
    const CanvasPen none{PS_SOLID, PenWidth, kDarkRed};
    const CanvasPen old = dc.SelectPen(in.Solution(0) ? good : none);
    auto level = [&](int i) { return static_cast<int>(in.Count(i) * L.YScale); };
    dc.MoveTo(0, level(0));
    for (int i = 1; i < n; ++i) {
        const int x = static_cast<int>(i * L.PixelsPerSample);
        dc.LineTo(x, level(i - 1));
        if (i >= n - 1)
            break;
        dc.SelectPen(in.Solution(i) ? good : none);
        dc.LineTo(x, level(i));
    }
    dc.SelectPen(old);
}

void DopPlotDrawing::DrawLegendEntry(Canvas& dc, QColor colour, int k, const QString& name, QPoint& p) {
    const ViewLayout& L = vs.layout;
    const CanvasPen old = dc.SelectPen({PenStyle(k), PenWidth, colour});
    dc.MoveTo(p.x(), p.y() + L.LineHeight / 2);
    dc.LineTo(p.x() + 4 * L.AvgCharWidth, p.y() + L.LineHeight / 2);
    dc.SelectPen(old);
    dc.TextOut(p.x() + 5 * L.AvgCharWidth, p.y(), name);
    p.rx() += 8 * L.AvgCharWidth + dc.GetTextExtent(name);
}

DopPlotDrawing::Readout DopPlotDrawing::ReadoutAt(const ViewInputs& in, QPoint mouse) const {
    const ViewLayout& L = vs.layout;
    Readout out;
    if (!vs.Painted)
        return out;
    const int v = mouse.y() + L.AxisY - L.MarginTop;
    if (v > 0 || v < L.AxisY)
        return out;
    const int secs = TimeAt(in, mouse.x());
    if (secs < 0)
        return out;
    out.time = FormatClock(secs);
    const std::string format = ResString(IDS_DOP_READOUT);
    out.value = QString::fromUtf8(FormatText(format.c_str(), L.YScale != 0 ? v / L.YScale : 0.0).c_str());
    return out;
}
