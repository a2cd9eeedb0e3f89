#include "views/satvisibilitydrawing.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/strings.h"
#include "view_fixture.h"

using namespace view_fixture;

namespace {

struct Drawn {
    QImage img;
    SatVisibilityDrawing view;
};

void Render(Drawn& d, const ViewInputs& in, int w = 900, int h = 700) {
    d.img = WhiteImage(w, h);
    d.view.vs.layout.ClientWidth = w;
    d.view.vs.layout.ClientHeight = h;
    QPainter p(&d.img);
    Canvas dc(p);
    d.view.Paint(dc, in, QRect(0, 0, w, h));
}

// Device y of the middle of row r.
int RowMiddle(const SatVisibilityDrawing& v, int r) {
    const ViewLayout& L = v.vs.layout;
    return L.MarginTop + (r - L.ScrollPos) * L.RowHeight + 1 + L.LineHeight / 2;
}

int SampleX(const SatVisibilityDrawing& v, int i) {
    return v.vs.layout.MarginLeft + static_cast<int>(i * v.vs.layout.PixelsPerSample);
}

} // namespace

TEST(SatVisibilityDrawing, BarSpansTheVisibleSamplesInItsRow) {
    Results r;
    r.Visible(0, 10, 30); // GPS PRN 1: samples 10..30, bar up to the first invisible one, 31
    r.Visible(3, 0, 96);  // PRN 4: the whole interval
    r.Visible(5, 96, 96); // PRN 6: only the last sample: no bar, no colour
    Drawn d;
    Render(d, r.in);
    const auto& rows = d.view.RowTable;
    ASSERT_EQ(d.view.RowCount, 4); // heading, 1, 4, 6
    EXPECT_EQ(rows[0].id, -1);
    EXPECT_EQ(rows[1].colour, 0);
    EXPECT_EQ(rows[2].colour, 1);
    EXPECT_EQ(rows[3].colour, -1);

    const QColor red = SeriesPalette()[0], green = SeriesPalette()[1];
    const int y1 = RowMiddle(d.view, 1);
    const int x0 = SampleX(d.view, 10), x1 = SampleX(d.view, 31);
    EXPECT_EQ(At(d.img, (x0 + x1) / 2, y1), red);
    EXPECT_EQ(At(d.img, x0 + 1, y1), red);
    EXPECT_EQ(At(d.img, x1 - 2, y1), red);
    EXPECT_NE(At(d.img, x0 - 2, y1), red);
    EXPECT_NE(At(d.img, x1 + 2, y1), red);
    // With frequency labels on, a GPS bar carries no number.
    EXPECT_EQ(CountColour(d.img, QRect(x0, y1 - 3, x1 - x0, 6), QColor(0, 0, 0)), 0);

    const int y2 = RowMiddle(d.view, 2);
    EXPECT_EQ(At(d.img, SampleX(d.view, 0) + 1, y2), green);
    EXPECT_EQ(At(d.img, SampleX(d.view, 96) - 2, y2), green);
    EXPECT_EQ(d.view.vs.layout.AxisWidth, static_cast<int>(96 * d.view.vs.layout.PixelsPerSample));

    const QRect lastRow(SampleX(d.view, 0), RowMiddle(d.view, 3) - 2, d.view.vs.layout.AxisWidth, 4);
    for (const QColor& c : SeriesPalette())
        EXPECT_EQ(CountColour(d.img, lastRow, c), 0);
    // Fewer rows than fit: the plot ends under the last row.
    EXPECT_EQ(d.view.vs.layout.AxisY, 4 * d.view.vs.layout.RowHeight);
    EXPECT_EQ(d.view.vs.layout.ScrollPos, 0);
}

TEST(SatVisibilityDrawing, GlonassBarsShowTheirChannelWhateverItsSign) {
    Results r;
    // GLONASS 1, 2, 3 with channels 0, -7 and +6, visible over wide stretches.
    for (int k = 0; k < 3; ++k) {
        r.Visible(32 + k, 5, 90);
        r.in.channel[static_cast<size_t>(32 + k)] = k == 0 ? 0 : (k == 1 ? -7 : 6);
    }
    Drawn d;
    Render(d, r.in);
    ASSERT_EQ(d.view.RowCount, 4);
    EXPECT_EQ(d.view.RowTable[0].id, -2);
    for (int k = 0; k < 3; ++k) {
        const QColor bar = SeriesPalette()[static_cast<size_t>(k)];
        const int y = RowMiddle(d.view, 1 + k);
        const int x0 = SampleX(d.view, 5);
        const QRect labelArea(x0 + 1, y - d.view.vs.layout.LineHeight / 2 + 1,
                              3 * d.view.vs.layout.AvgCharWidth, d.view.vs.layout.LineHeight - 2);
        // The number's pixels lean to the contrast colour (the text is smoothed).
        int strokes = 0;
        for (int py = labelArea.top(); py <= labelArea.bottom(); ++py)
            for (int px = labelArea.left(); px <= labelArea.right(); ++px) {
                const QColor c = At(d.img, px, py), t = ContrastColor(bar);
                if (std::abs(c.red() - t.red()) + std::abs(c.green() - t.green()) +
                        std::abs(c.blue() - t.blue()) <
                    200)
                    ++strokes;
            }
        EXPECT_GT(strokes, 3) << "channel of GLONASS " << k + 1;
        // Far from the label the bar is plain.
        EXPECT_EQ(At(d.img, SampleX(d.view, 60), y), bar);
    }
    EXPECT_EQ(d.view.BarLabel(r.in, 32), 0);
    EXPECT_EQ(d.view.BarLabel(r.in, 33), -7);

    // Satellite numbers instead: GLONASS 2 shows "2", a GPS bar its PRN.
    d.view.vs.ViewFlags &= ~kShowFrequency;
    EXPECT_EQ(d.view.BarLabel(r.in, 33), 2);
    EXPECT_EQ(d.view.BarLabel(r.in, 4), 5);
}

TEST(SatVisibilityDrawing, ReadoutNamesTheSatelliteAndTimeUnderTheMouse) {
    Results r;
    r.in.t0 = 6 * 3600;
    r.Visible(4, 0, 50);
    Drawn d;
    Render(d, r.in);
    const auto inRow = d.view.ReadoutAt(r.in, {SampleX(d.view, 8) + 1, RowMiddle(d.view, 1)});
    EXPECT_EQ(inRow.time, QStringLiteral("08:00"));
    EXPECT_FALSE(inRow.satellite.isEmpty() && !ResString(IDS_SATVIS_READOUT).empty());
    EXPECT_TRUE(d.view.ReadoutAt(r.in, {SampleX(d.view, 8), RowMiddle(d.view, 0)}).time.isEmpty()); // heading
    EXPECT_TRUE(
        d.view.ReadoutAt(r.in, {d.view.vs.layout.MarginLeft - 1, RowMiddle(d.view, 1)}).time.isEmpty());
    EXPECT_TRUE(d.view.ReadoutAt(r.in, {SampleX(d.view, 8), RowMiddle(d.view, 5)}).time.isEmpty()); // no row
}

TEST(SatVisibilityDrawing, RowsScrollUnderAFixedTimeAxis) {
    Results r;
    for (int s = 0; s < 32; ++s)
        r.Visible(s, 0, 96);
    for (int s = 32; s < 56; ++s)
        r.Visible(s, 0, 96);
    Drawn d;
    Render(d, r.in, 900, 400);
    ASSERT_EQ(d.view.RowCount, 58);
    ASSERT_LT(d.view.vs.layout.VisibleRows, 58);
    EXPECT_EQ(d.view.ScrollMax, 58 - d.view.vs.layout.VisibleRows);
    // The 10th visible satellite reuses the first colour.
    EXPECT_EQ(d.view.RowTable[10].colour % 9, 0);

    d.view.vs.layout.ScrollPos = 10;
    Render(d, r.in, 900, 400);
    const int y = RowMiddle(d.view, 10); // row 10 is now the first one shown
    EXPECT_EQ(y, d.view.vs.layout.MarginTop + 1 + d.view.vs.layout.LineHeight / 2);
    EXPECT_EQ(At(d.img, SampleX(d.view, 50), y), SeriesPalette()[0]);
}

TEST(SatVisibilityDrawing, EachSystemGetsItsHeadingAndItsOwnNumbers) {
    Results r;
    const int g04 = 3, e11 = 56 + 10, c20 = 92 + 19, j03 = 155 + 2;
    for (int s : {g04, e11, c20, j03})
        r.Visible(s, 10, 40);
    Drawn d;
    Render(d, r.in);
    const auto& rows = d.view.RowTable;
    ASSERT_EQ(d.view.RowCount, 8); // no GLONASS heading without a GLONASS satellite
    const int ids[] = {-1, g04, -3, e11, -4, c20, -5, j03};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(rows[static_cast<size_t>(i)].id, ids[i]) << i;
    EXPECT_EQ(d.view.BarLabel(r.in, e11), 0); // only GLONASS has channels to show
    d.view.vs.ViewFlags &= ~kShowFrequency;
    EXPECT_EQ(d.view.BarLabel(r.in, e11), 11);
    EXPECT_EQ(d.view.BarLabel(r.in, j03), 3);
    const auto readout = d.view.ReadoutAt(r.in, {SampleX(d.view, 20) + 1, RowMiddle(d.view, 5)});
    EXPECT_TRUE(readout.satellite.contains(QStringLiteral("BeiDou"))) << readout.satellite.toStdString();
    EXPECT_TRUE(readout.satellite.contains(QStringLiteral("20"))) << readout.satellite.toStdString();
}
