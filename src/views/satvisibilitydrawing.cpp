#include "views/satvisibilitydrawing.h"

#include <algorithm>
#include <cstdio>

#include "base/strings.h"

SatVisibilityDrawing::SatVisibilityDrawing() {
    vs.ViewFlags = kViewGrid | kShowFrequency;
    vs.LineIsCharHeight = true;
    RowTable.reserve(SatelliteCatalogue::kSize + kGnssSystems);
}

void SatVisibilityDrawing::ComputeMargins() {
    TimeDiagramDrawing::ComputeMargins();
    ViewLayout& L = vs.layout;
    L.MarginLeft = 5 * L.AvgCharWidth;
    L.MarginRight = scrollBarWidth + 2 * L.AvgCharWidth;
    L.MarginTop = 2 * L.LineHeight;
    L.RowHeight = L.LineHeight + 1;
}

void SatVisibilityDrawing::BuildRows(const ViewInputs& in) {
    const int oldCount = RowCount;
    RowTable.clear();
    SampleCount = in.intervalCount;
    int k = 0;
    // Each system's satellites under its heading (row id -1 - the system).
    int headed = -1;
    for (int s : kListedSatellites) {
        if (!in.Available(s))
            continue;
        const int system = static_cast<int>(SatelliteCatalogue::At(s).system);
        if (system != headed) {
            RowTable.push_back({-1 - system, -1});
            headed = system;
        }
        Row row{s, -1};
        // A satellite seen only at the very last sample draws no bar and takes no colour.
        for (int j = 0; j + 1 < SampleCount; ++j)
            if (in.Visible(s, j)) {
                row.colour = k++;
                break;
            }
        RowTable.push_back(row);
    }
    RowCount = static_cast<int>(RowTable.size());
    ViewLayout& L = vs.layout;
    if (RowCount < oldCount)
        L.ScrollPos = std::max(0, L.ScrollPos - (oldCount - RowCount));
    if (RowCount < L.VisibleRows) {
        L.AxisY = RowCount * L.RowHeight;
        L.ScrollPos = 0;
    }
}

void SatVisibilityDrawing::Paint(Canvas& dc, const ViewInputs& in, QRect update) {
    ViewLayout& L = vs.layout;
    vs.SelectViewFont(dc, 0, 0, 0);
    if (!Scrolling)
        ComputeMargins();
    L.VisibleRows = std::max(1, (L.ClientHeight - L.MarginTop - L.MarginBottom) / std::max(1, L.RowHeight));
    L.AxisY = L.RowHeight * L.VisibleRows;
    if (!Scrolling)
        BuildRows(in);
    dc.SetViewportOrg({0, -L.ScrollPos * L.RowHeight});
    QRect r = update.intersected(
        QRect(QPoint(0, L.MarginTop), QPoint(L.ClientWidth - L.MarginRight - 1, L.MarginTop + L.AxisY - 1)));
    r.translate(0, L.ScrollPos * L.RowHeight);
    Draw(dc, in, r);
    ScrollMax = std::max(0, RowCount - L.VisibleRows);
}

int SatVisibilityDrawing::BarLabel(const ViewInputs& in, int s) const {
    if (vs.ViewFlags & kShowFrequency)
        return SatelliteCatalogue::At(s).system == GnssSystem::Glonass ? in.channel[s] : 0;
    return SatelliteNumber(s);
}

void SatVisibilityDrawing::Draw(Canvas& dc, const ViewInputs& in, QRect rows) {
    ViewLayout& L = vs.layout;
    const CanvasPen gridPen{PS_SOLID, 1, kGray};
    if (!vs.FontSelected) {
        vs.SelectViewFont(dc, 0, 0, 0);
        ComputeMargins();
    }
    if (SampleCount != in.intervalCount)
        BuildRows(in);
    if (!Scrolling) {
        L.PixelsPerSample =
            SampleCount > 1
                ? static_cast<float>(L.ClientWidth - L.MarginLeft - L.MarginRight) / (SampleCount - 1)
                : 0.0f;
        L.AxisWidth = std::max(0, static_cast<int>((SampleCount - 1) * L.PixelsPerSample));
    }
    const QPoint O = dc.ViewportOrg();
    dc.SetViewportOrg({L.MarginLeft, L.MarginTop});
    dc.SetTextAlign(TA_RIGHT | TA_TOP);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(vs.TextColor);
    // Row range from the rectangle, relative to the rows' top.
    const int top = rows.top() - L.MarginTop;
    const int bottom = rows.top() + rows.height() - L.MarginTop;
    const int rh = std::max(1, L.RowHeight);
    const int f = std::max(0, top / rh);
    // The rows the rectangle reaches into, and not the one below it, which a printed page's time
    // axis would cut.
    const int e = std::min((bottom + rh - 1) / rh, RowCount);

    CanvasPen oldPen = dc.SelectPen(gridPen);
    dc.MoveTo(0, L.AxisY);
    dc.LineTo(L.AxisWidth, L.AxisY);
    dc.LineTo(L.AxisWidth, 0);
    dc.SelectPen(oldPen);

    DrawTimeAxis(dc, in, L.AxisY, (vs.ViewFlags & kViewGrid) != 0, Scrolling);

    dc.SetClipDevice(
        QRect(QPoint(0, L.MarginTop), QPoint(L.ClientWidth - L.MarginRight - 1, L.MarginTop + L.AxisY - 1)));
    dc.SetViewportOrg({O.x() + L.MarginLeft, O.y() + L.MarginTop});

    int y = f * rh;
    char text[16];
    for (int r = f; r < e; ++r) {
        oldPen = dc.SelectPen(gridPen);
        dc.MoveTo(0, y);
        dc.LineTo(L.AxisWidth, y);
        dc.SelectPen(oldPen);
        ++y;
        const Row& row = RowTable[static_cast<size_t>(r)];
        if (row.id < 0) {
            dc.FillRect(0, y, L.AxisWidth, y + L.LineHeight, vs.BackColor);
            CanvasFont saved;
            vs.SelectViewFont(dc, 0, 700, 0, &saved);
            const int oldAlign = dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
            const int oldExtra = dc.SetTextCharacterExtra(L.AvgCharWidth);
            dc.TextOut((L.ClientWidth - L.MarginLeft - L.MarginRight) / 2, y + L.LineHeight,
                       QString::fromStdString(SystemTitle(static_cast<GnssSystem>(-1 - row.id))));
            dc.SetTextCharacterExtra(oldExtra);
            dc.SetTextAlign(oldAlign);
            vs.RestoreFont(dc, saved);
        } else {
            const int s = row.id;
            std::snprintf(text, sizeof text, "%d", SatelliteNumber(s));
            dc.TextOut(-L.AvgCharWidth / 2, y, QString::fromLatin1(text));
            if (row.colour >= 0 && in.samples[s]) {
                const QColor colour = SeriesPalette()[static_cast<size_t>(row.colour % 9)];
                const CanvasPen barPen{PS_INSIDEFRAME, 1, colour};
                const CanvasPen p0 = dc.SelectPen(barPen);
                const CanvasBrush b0 = dc.SelectBrush(CanvasBrush::SolidOf(colour));
                const int label = BarLabel(in, s);
                // GLONASS channels run -7..+6, so 0 is a real channel and labelled too.
                const bool drawLabel = (vs.ViewFlags & kShowFrequency)
                                           ? SatelliteCatalogue::At(s).system == GnssSystem::Glonass
                                           : label != 0;
                for (int i = 0; i < SampleCount; ++i) {
                    if (!in.Visible(s, i))
                        continue;
                    const int x0 = static_cast<int>(i * L.PixelsPerSample);
                    while (i < SampleCount - 1 && in.Visible(s, i))
                        ++i;
                    const int x1 = static_cast<int>(i * L.PixelsPerSample);
                    if (x1 <= x0)
                        continue;
                    dc.Rectangle(x0, y, x1, y + L.LineHeight);
                    if (drawLabel) {
                        const QColor oldText = dc.SetTextColor(ContrastColor(colour));
                        const int oldAlign = dc.SetTextAlign(TA_LEFT | TA_TOP);
                        std::snprintf(text, sizeof text, "%d", label);
                        dc.TextOut(x0, y, QString::fromLatin1(text));
                        dc.SetTextAlign(oldAlign);
                        dc.SetTextColor(oldText);
                    }
                }
                dc.SelectBrush(b0);
                dc.SelectPen(p0);
            }
        }
        y += L.LineHeight;
    }
    oldPen = dc.SelectPen(gridPen);
    dc.MoveTo(0, f * rh);
    dc.LineTo(0, y);
    dc.SelectPen(oldPen);
    dc.ClearClip();
    dc.SetViewportOrg(O);
    vs.ReleaseFont(dc);
    Scrolling = false;
    vs.Painted = 1;
}

SatVisibilityDrawing::Readout SatVisibilityDrawing::ReadoutAt(const ViewInputs& in, QPoint mouse) const {
    const ViewLayout& L = vs.layout;
    Readout out;
    if (!vs.Painted)
        return out;
    const int v = mouse.y() - L.MarginTop;
    if (v < 0 || v > L.AxisY)
        return out;
    const int r = L.ScrollPos + v / (L.LineHeight + 1);
    if (r >= RowCount || RowTable[static_cast<size_t>(r)].id < 0)
        return out;
    const int secs = TimeAt(in, mouse.x());
    if (secs < 0)
        return out;
    const int s = RowTable[static_cast<size_t>(r)].id;
    out.time = FormatClock(secs);
    const std::string format = ResString(IDS_SATVIS_READOUT);
    const std::string name = SystemTitle(SatelliteCatalogue::At(s).system);
    out.satellite = QString::fromUtf8(FormatText(format.c_str(), SatelliteNumber(s), name.c_str()).c_str());
    return out;
}
