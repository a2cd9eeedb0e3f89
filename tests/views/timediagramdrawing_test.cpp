#include "views/timediagramdrawing.h"

#include <gtest/gtest.h>

#include "view_fixture.h"

using namespace view_fixture;

namespace {

// The axis of `n` samples `step` apart drawn `axisWidth` pixels long, its line at y = 300 of an
// image with the plot's left edge at x = 50; grid lines run up to y = 100.
struct Axis {
    QImage img = WhiteImage(1400, 500);
    TimeDiagramDrawing view;
    int lineHeight = 0;

    Axis(int n, int step, int axisWidth, bool grid = true) {
        Results r(n, step);
        ViewLayout& L = view.vs.layout;
        L.AxisWidth = axisWidth;
        L.PixelsPerSample = static_cast<float>(axisWidth) / (n - 1);
        L.AxisY = -200;
        QPainter p(&img);
        Canvas dc(p);
        dc.SetViewportOrg({50, 300});
        view.DrawTimeAxis(dc, r.in, 0, grid, false);
        // The rotated font's line, as the density choice saw it.
        view.vs.SelectViewFont(dc, 0, 0, 900);
        lineHeight = view.vs.layout.LineHeight;
    }
    int X(int i) const { return 50 + static_cast<int>(i * view.vs.layout.PixelsPerSample); }
    // Grey pixels of the grid line above sample i.
    int GridAt(int i) const { return CountColour(img, QRect(X(i), 120, 1, 160), kGray); }
};

} // namespace

TEST(TimeDiagramDrawing, LabelDensityFollowsTheRoomPerSample) {
    // 24 h at 5 min on 400 px: P = 1, the half hour's 6 px are less than a rotated line: full
    // hours only.
    {
        Axis a(289, 300, 400);
        ASSERT_GT(a.lineHeight, 6);
        EXPECT_FALSE(a.view.halfHours);
        EXPECT_FALSE(a.view.quarterHours);
    }
    // 24 h at 15 min with P between half a line and a line: hours and half hours.
    {
        Axis probe(97, 900, 97 * 20);
        const int lh = probe.lineHeight;
        Axis a(97, 900, 97 * (lh / 2 + 1));
        EXPECT_TRUE(a.view.halfHours);
        EXPECT_FALSE(a.view.quarterHours);
        // A full line per sample: quarters too, but not every sample.
        Axis b(97, 900, 97 * lh);
        EXPECT_TRUE(b.view.quarterHours);
        EXPECT_FALSE(b.view.everySample);
        // At 5 min, more than a line per sample labels every sample.
        Axis c(73, 300, 72 * (lh + 2));
        EXPECT_TRUE(c.view.everySample);
    }
}

TEST(TimeDiagramDrawing, GridLinesSkipTheFirstAndLastSample) {
    Axis a(97, 900, 960);        // 10 px per sample, labels on hours and half hours at least
    EXPECT_EQ(a.GridAt(0), 0);   // 0:00, the first sample
    EXPECT_GT(a.GridAt(4), 100); // 1:00
    EXPECT_GT(a.GridAt(2), 100); // 0:30 with the half-hour mark
    EXPECT_EQ(a.GridAt(96), 0);  // 24:00, the last sample
    Axis none(97, 900, 960, false);
    EXPECT_EQ(none.GridAt(4), 0);
}

TEST(TimeDiagramDrawing, ReadoutGivesTheSampleTimeUnderTheMouse) {
    TimeDiagramDrawing view;
    Results r(9, 900);
    r.in.t0 = 23 * 3600; // 23:00 to 1:00 across midnight
    ViewLayout& L = view.vs.layout;
    L.MarginLeft = 40;
    L.AxisWidth = 800;
    L.PixelsPerSample = 100;
    EXPECT_EQ(view.TimeAt(r.in, 100), -1); // not painted yet
    view.vs.Painted = 1;
    EXPECT_EQ(TimeDiagramDrawing::FormatClock(view.TimeAt(r.in, 40)), "23:00");
    EXPECT_EQ(TimeDiagramDrawing::FormatClock(view.TimeAt(r.in, 40 + 450)), "00:00");
    EXPECT_EQ(TimeDiagramDrawing::FormatClock(view.TimeAt(r.in, 40 + 800)), "01:00");
    EXPECT_EQ(view.TimeAt(r.in, 39), -1);
    EXPECT_EQ(view.TimeAt(r.in, 40 + 801), -1);
}
