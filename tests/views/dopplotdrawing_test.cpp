#include "views/dopplotdrawing.h"

#include <gtest/gtest.h>

#include "view_fixture.h"

using namespace view_fixture;

namespace {

void Render(QImage& img, DopPlotDrawing& view, const ViewInputs& in, int w = 900, int h = 500) {
    img = WhiteImage(w, h);
    view.vs.layout.ClientWidth = w;
    view.vs.layout.ClientHeight = h;
    QPainter p(&img);
    Canvas dc(p);
    view.Draw(dc, in);
}

// Device x of sample i and device y of a DOP value after a paint.
int X(const DopPlotDrawing& v, int i) {
    return v.vs.layout.MarginLeft + static_cast<int>(i * v.vs.layout.PixelsPerSample);
}
int Y(const DopPlotDrawing& v, float value) {
    const ViewLayout& L = v.vs.layout;
    return L.ClientHeight - L.MarginBottom + static_cast<int>(value * (L.AxisY / v.DopScaleMax));
}

} // namespace

TEST(DopPlotDrawing, AxisScaleFollowsTheLargestGdopAndTheAvailability) {
    struct Case {
        float maxGdop;
        bool availability;
        float scale;
    };
    const Case cases[] = {
        {3.4f, false, 4}, {1.6f, false, 2}, {3.4f, true, 7},
        {50, false, 20},  {50, true, 20},   {0.8f, false, 1},
    };
    for (const Case& c : cases) {
        Results r(97);
        r.dop[kGdop][30] = c.maxGdop;
        r.dop[kGdop][31] = c.maxGdop / 2;
        DopPlotDrawing view;
        if (!c.availability)
            view.vs.ViewFlags &= ~kShowAvailability;
        QImage img;
        Render(img, view, r.in);
        EXPECT_FLOAT_EQ(view.DopScaleMax, c.scale) << c.maxGdop << (c.availability ? " with" : " without");
    }
}

TEST(DopPlotDrawing, NoSolutionAnywhereStillGivesTheDopAxisAScale) {
    Results r(97); // every DOP 0
    DopPlotDrawing view;
    view.vs.ViewFlags &= ~kShowAvailability;
    QImage img;
    Render(img, view, r.in);
    EXPECT_GT(view.DopScaleMax, 0);
    EXPECT_LT(view.vs.layout.AxisY, 0);
    EXPECT_LT(view.vs.layout.YScale, 0);
    // No curve at all inside the plot.
    const ViewLayout& L = view.vs.layout;
    const QRect plot(L.MarginLeft + 2, L.ClientHeight - L.MarginBottom + L.AxisY + 2, L.AxisWidth - 4,
                     -L.AxisY - 4);
    EXPECT_EQ(CountColour(img, plot, QColor(255, 0, 0)), 0);
}

TEST(DopPlotDrawing, CurveHasGapsWhereThereIsNoSolution) {
    Results r(97);
    for (int i = 0; i < 97; ++i)
        r.dop[kPdop][i] = r.dop[kGdop][i] = (i >= 40 && i < 60) ? 0.0f : 2.5f;
    DopPlotDrawing view;
    view.vs.ViewFlags &= ~kShowAvailability;
    QImage img;
    Render(img, view, r.in);
    const QColor red(255, 0, 0);
    const int y = Y(view, 2.5f);
    auto redNear = [&](int i) { return CountColour(img, QRect(X(view, i) - 1, y - 4, 3, 9), red); };
    EXPECT_GT(redNear(20), 0);
    EXPECT_GT(redNear(80), 0);
    EXPECT_EQ(redNear(50), 0); // the gap
    EXPECT_EQ(redNear(45), 0);
}

TEST(DopPlotDrawing, LegendListsTheShownSeriesAndHidesHorizontalAndVerticalIn2D) {
    Results r(97);
    DopPlotDrawing view;
    view.vs.ViewFlags |= kShowHdop | kShowTdop;
    QImage img;
    Render(img, view, r.in);
    EXPECT_GE(view.LegendPosition(kPdop).x(), 0);
    EXPECT_GT(view.LegendPosition(kHdop).x(), view.LegendPosition(kPdop).x());
    EXPECT_GT(view.LegendPosition(kTdop).x(), view.LegendPosition(kHdop).x());
    EXPECT_EQ(view.LegendPosition(kGdop).x(), -1);
    r.in.mode = 1;
    Render(img, view, r.in);
    EXPECT_EQ(view.LegendPosition(kHdop).x(), -1);
    EXPECT_EQ(view.DrawnSeries(r.in), kShowPdop | kShowTdop);
}

TEST(DopPlotDrawing, AvailabilityStairsAreDarkRedWithoutASolution) {
    Results r(97);
    for (int i = 0; i < 97; ++i) {
        r.count[i] = i < 50 ? 6 : 3;
        r.solution[i] = i < 50 ? 1 : 0;
        r.dop[kGdop][i] = i < 50 ? 2 : 0;
    }
    DopPlotDrawing view;
    view.vs.ViewFlags &= ~kShowPdop;
    QImage img;
    Render(img, view, r.in);
    const ViewLayout& L = view.vs.layout;
    const float svScale = static_cast<float>(L.AxisY) / view.SvScaleMax;
    const int base = L.ClientHeight - L.MarginBottom;
    const int y6 = base + static_cast<int>(6 * svScale), y3 = base + static_cast<int>(3 * svScale);
    EXPECT_GT(CountColour(img, QRect(X(view, 20) - 1, y6 - 3, 3, 7), QColor(0, 128, 0)), 0);
    EXPECT_GT(CountColour(img, QRect(X(view, 70) - 1, y3 - 3, 3, 7), kDarkRed), 0);
}

TEST(DopPlotDrawing, DopAxisLabelsAreEvenlySpacedAtEveryHeight) {
    Results r(97);
    r.dop[kGdop][30] = 50; // the axis runs 0..20
    for (int h = 150; h <= 700; h += 25) {
        DopPlotDrawing view;
        view.vs.ViewFlags &= ~kShowAvailability;
        QImage img;
        Render(img, view, r.in, 900, h);
        const std::vector<float>& labels = view.DopAxisLabels();
        ASSERT_GE(labels.size(), 2u) << h;
        EXPECT_EQ(labels.front(), 0) << h;
        const float stride = labels[1] - labels[0];
        for (size_t i = 1; i < labels.size(); ++i)
            EXPECT_FLOAT_EQ(labels[i] - labels[i - 1], stride) << h << " at " << labels[i];
        // Labels at least a line apart.
        EXPECT_GE(stride * std::fabs(view.vs.layout.YScale), view.vs.layout.LineHeight) << h;
    }
    // The small scale labels its top too: 0.0 ... 1.0 in fifths when there is room.
    Results small(97);
    small.dop[kGdop][30] = 0.8f;
    DopPlotDrawing view;
    view.vs.ViewFlags &= ~kShowAvailability;
    QImage img;
    Render(img, view, small.in, 900, 700);
    ASSERT_FALSE(view.DopAxisLabels().empty());
    EXPECT_FLOAT_EQ(view.DopAxisLabels().back(), 1.0f);
}
