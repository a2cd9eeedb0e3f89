// The view windows as a user meets them: what they show at a known size, the readouts, the
// context menus and their check marks, scrolling, the chart tool bar and the clipboard copy.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>

#include <memory>

#include "base/strings.h"
#include "views/ui/chartwin.h"
#include "views/ui/satvisibilitywin.h"
#include "views/ui/skyplotwin.h"
#include "views/ui/view_host_fixture.h"

using namespace view_host_fixture;

namespace {

template <typename View> std::unique_ptr<View> Open(TestHost& host, int w, int h) {
    auto view =
        std::unique_ptr<View>(static_cast<View*>(CreateView(std::is_same_v<View, TSatVisibilityWin> ? 1106
                                                            : std::is_same_v<View, TChartWin>       ? 1107
                                                                                                    : 1108,
                                                            host, nullptr)));
    view->resize(w, h);
    view->show();
    return view;
}

QImage Shot(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int CountColour(const QImage& img, QRect r, QColor c) {
    int n = 0;
    r = r.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += QColor(img.pixel(x, y)) == c;
    return n;
}

} // namespace

TEST(SatVisibilityWin, BarSpansTheVisibleSamplesAndTheReadoutNamesTheSatellite) {
    TestHost host;
    host.Visible(4, 10, 40); // GPS PRN 5
    auto view = Open<TSatVisibilityWin>(host, 800, 500);
    EXPECT_EQ(view->windowTitle(), "Satellite Visibility");
    const QImage img = Shot(*view);
    const ViewLayout& L = view->Layout();
    ASSERT_GT(L.PixelsPerSample, 0);
    // Row 0 is the GPS heading, row 1 the satellite.
    const int y = L.MarginTop + L.RowHeight + 1 + L.LineHeight / 2;
    const int x0 = L.MarginLeft + static_cast<int>(10 * L.PixelsPerSample);
    // The bar ends at the first sample that is no longer visible.
    const int x1 = L.MarginLeft + static_cast<int>(41 * L.PixelsPerSample);
    const QColor bar = SeriesPalette()[0];
    EXPECT_EQ(QColor(img.pixel((x0 + x1) / 2, y)), bar);
    EXPECT_EQ(QColor(img.pixel(x1 - 2, y)), bar);
    EXPECT_NE(QColor(img.pixel(x0 - 3, y)), bar);
    EXPECT_NE(QColor(img.pixel(x1 + 3, y)), bar);

    MoveMouse(view.get(), {x0 + 1, y});
    EXPECT_EQ(host.Pane(1), "02:30");
    EXPECT_EQ(host.Pane(2), "SV# 5 GPS");
    // Over the heading row, and left of the plot: both panes empty.
    MoveMouse(view.get(), {x0 + 1, L.MarginTop + 2});
    EXPECT_EQ(host.Pane(1), "");
    EXPECT_EQ(host.Pane(2), "");
    MoveMouse(view.get(), {x0 + 1, y});
    MoveMouse(view.get(), {L.MarginLeft - 3, y});
    EXPECT_EQ(host.Pane(1), "");
    EXPECT_EQ(host.Pane(2), "");
}

TEST(SatVisibilityWin, ContextMenuOffersFrequenciesOnlyWithGlonassAndChecksTheLabelling) {
    TestHost host;
    host.Visible(0, 0, 96);
    auto view = Open<TSatVisibilityWin>(host, 600, 400);
    Shot(*view);
    auto items = MenuItems(*view);
    ASSERT_TRUE(FindItem(items, CM_VIEW_COPY));
    EXPECT_EQ(FindItem(items, CM_VIEW_COPY)->text, "&Copy");
    EXPECT_EQ(FindItem(items, CM_VIEW_FONT)->text, "&Font...");
    EXPECT_EQ(FindItem(items, CM_VIEW_GRID)->text, "&Remove Grid");
    EXPECT_FALSE(FindItem(items, CM_SHOW_FREQUENCY)); // GPS alone
    ASSERT_TRUE(FindItem(items, CM_SHOW_SVNUMBERS));
    EXPECT_FALSE(FindItem(items, CM_SHOW_SVNUMBERS)->checked);
    // GPS alone: the numbers item switches the GPS bar numbers on and off.
    Trigger(*view, CM_SHOW_SVNUMBERS);
    EXPECT_TRUE(FindItem(MenuItems(*view), CM_SHOW_SVNUMBERS)->checked);
    Trigger(*view, CM_SHOW_SVNUMBERS);
    EXPECT_FALSE(FindItem(MenuItems(*view), CM_SHOW_SVNUMBERS)->checked);

    host.Visible(40, 0, 96); // a GLONASS satellite
    items = MenuItems(*view);
    ASSERT_TRUE(FindItem(items, CM_SHOW_FREQUENCY));
    EXPECT_EQ(FindItem(items, CM_SHOW_FREQUENCY)->text, "Show Fre&quency Numbers");
    EXPECT_TRUE(FindItem(items, CM_SHOW_FREQUENCY)->checked);
    Trigger(*view, CM_SHOW_SVNUMBERS);
    items = MenuItems(*view);
    EXPECT_FALSE(FindItem(items, CM_SHOW_FREQUENCY)->checked);
    EXPECT_TRUE(FindItem(items, CM_SHOW_SVNUMBERS)->checked);
    // With GLONASS the numbers item only selects numbers; a second time changes nothing.
    Trigger(*view, CM_SHOW_SVNUMBERS);
    EXPECT_TRUE(FindItem(MenuItems(*view), CM_SHOW_SVNUMBERS)->checked);

    Trigger(*view, CM_VIEW_GRID);
    EXPECT_EQ(FindItem(MenuItems(*view), CM_VIEW_GRID)->text, "&Show Grid");
    EXPECT_EQ(view->State().ViewFlags & kViewGrid, 0u);
}

TEST(SatVisibilityWin, ScrollingMovesTheRowsAndAResizeReturnsToTheTop) {
    TestHost host;
    for (int s = 0; s < 56; ++s)
        host.Visible(s, s, s + 20);
    auto view = Open<TSatVisibilityWin>(host, 700, 300);
    Shot(*view);
    const SatVisibilityDrawing& d = view->Drawing();
    const ViewLayout& L = view->Layout();
    ASSERT_EQ(d.RowCount, 58);
    ASSERT_LT(L.VisibleRows, 58);
    EXPECT_EQ(d.ScrollMax, 58 - L.VisibleRows);
    EXPECT_TRUE(view->ScrollBar()->isEnabled());
    EXPECT_EQ(view->ScrollBar()->maximum(), d.ScrollMax);

    // A line step: the top row is now PRN 3 (rows: heading, PRN 1, PRN 2, PRN 3 ...).
    EXPECT_TRUE(view->ScrollTo(3));
    Shot(*view);
    EXPECT_EQ(L.ScrollPos, 3);
    const int x = L.MarginLeft + static_cast<int>(30 * L.PixelsPerSample);
    MoveMouse(view.get(), {x, L.MarginTop + L.LineHeight / 2});
    EXPECT_EQ(host.Pane(2), "SV# 3 GPS");
    // The scroll bar's own page step goes a page further; past the end it stops at the last page.
    view->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(L.ScrollPos, std::min(3 + L.VisibleRows, d.ScrollMax));
    view->ScrollTo(1000);
    EXPECT_EQ(L.ScrollPos, d.ScrollMax);
    Shot(*view);
    // The last row shown is the last GLONASS satellite.
    const int lastRowY = L.MarginTop + (L.VisibleRows - 1) * L.RowHeight + L.LineHeight / 2;
    MoveMouse(view.get(), {x, lastRowY});
    EXPECT_EQ(host.Pane(2), "SV#24 GLONASS");

    view->resize(700, 320);
    EXPECT_EQ(L.ScrollPos, 0);
}

TEST(SatVisibilityWin, FewRowsMoveTheAxisUpAndDisableTheScrollBar) {
    TestHost host;
    host.Visible(0, 0, 50);
    auto view = Open<TSatVisibilityWin>(host, 600, 500);
    Shot(*view);
    EXPECT_EQ(view->Layout().AxisY, 2 * view->Layout().RowHeight);
    EXPECT_FALSE(view->ScrollBar()->isEnabled());
}

TEST(SkyPlotWin, ReadoutGivesAzimuthAndElevationInsideTheHorizonOnly) {
    TestHost host;
    host.Visible(0, 0, 50);
    auto view = Open<TSkyPlotWin>(host, 600, 600);
    Shot(*view);
    SkyPlotDrawing& d = view->Drawing();
    const QPoint c = d.Centre();
    MoveMouse(view.get(), c);
    EXPECT_EQ(host.Pane(2), "Az:  0 El:90");
    EXPECT_EQ(host.Pane(1), "");
    // Half-way to the horizon due east: 45 degrees up.
    const int R = static_cast<int>(d.vs.layout.SkyRadius * d.Scale());
    MoveMouse(view.get(), c + QPoint(R / 2, 0));
    EXPECT_TRUE(host.Pane(2) == "Az: 90 El:45" || host.Pane(2) == "Az: 89 El:45" ||
                host.Pane(2) == "Az: 90 El:44")
        << host.Pane(2).toStdString();
    MoveMouse(view.get(), {2, 2});
    EXPECT_EQ(host.Pane(2), "");
}

TEST(SkyPlotWin, GridStepItemsAreCheckedAndRedrawTheRings) {
    TestHost host;
    auto view = Open<TSkyPlotWin>(host, 600, 600);
    const QImage at30 = Shot(*view);
    auto items = MenuItems(*view);
    EXPECT_TRUE(FindItem(items, CM_GRID_STEP_30)->checked);
    EXPECT_FALSE(FindItem(items, CM_GRID_STEP_10)->checked);
    Trigger(*view, CM_GRID_STEP_10);
    EXPECT_EQ(view->Drawing().GridStep, 10);
    items = MenuItems(*view);
    EXPECT_TRUE(FindItem(items, CM_GRID_STEP_10)->checked);
    const QImage at10 = Shot(*view);
    // More spokes and rings: more black pixels inside the sky.
    const QRect inner(200, 200, 200, 200);
    EXPECT_GT(CountColour(at10, inner, Qt::black), CountColour(at30, inner, Qt::black) + 50);
}

TEST(ChartWin, TwoDModeGreysHorizontalAndVerticalAndTheirAcceleratorsDoNothing) {
    TestHost host;
    auto view = Open<TChartWin>(host, 900, 500);
    view->Command(CM_CHART_PDOP + 2); // HDOP on
    ASSERT_TRUE(view->State().ViewFlags & kShowHdop);
    CalculatorTestAccess::SetMode(host.calc, 1);
    Shot(*view);
    TChartTool* tool = view->ToolBar();
    for (int id : {CM_CHART_PDOP + 2, CM_CHART_PDOP + 3}) {
        EXPECT_EQ(tool->Box(id)->checkState(), Qt::PartiallyChecked);
        EXPECT_FALSE(tool->Box(id)->isEnabled());
    }
    EXPECT_EQ(view->Drawing().LegendPosition(kHdop).x(), -1); // no legend entry in 2-D
    const uint32_t before = view->State().ViewFlags;
    tool->Command(CM_CHART_PDOP + 2); // Ctrl+H
    EXPECT_EQ(view->State().ViewFlags, before);
    // PDOP still toggles, box and flag together.
    tool->Command(CM_CHART_PDOP);
    EXPECT_EQ(tool->Box(CM_CHART_PDOP)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(view->State().ViewFlags & kShowPdop);

    CalculatorTestAccess::SetMode(host.calc, 0);
    Shot(*view);
    EXPECT_EQ(tool->Box(CM_CHART_PDOP + 2)->checkState(), Qt::Checked); // flag kept through 2-D
    EXPECT_EQ(tool->Box(CM_CHART_PDOP + 3)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(tool->Box(CM_CHART_PDOP + 2)->isEnabled());
    EXPECT_GE(view->Drawing().LegendPosition(kHdop).x(), 0);
}

TEST(ChartWin, WithoutAnySolutionTheDopAxisKeepsAScaleAndTheReadoutReadsIt) {
    TestHost host; // every DOP is 0
    auto view = Open<TChartWin>(host, 900, 500);
    view->Command(CM_CHART_PDOP + 5); // availability off
    Shot(*view);
    const DopPlotDrawing& d = view->Drawing();
    EXPECT_GT(d.DopScaleMax, 0);
    const ViewLayout& L = view->Layout();
    EXPECT_LT(L.AxisY, 0);
    EXPECT_LT(L.YScale, 0);
    // The mouse at the top edge of the plot reads the axis maximum.
    MoveMouse(view.get(), {L.MarginLeft + 10, L.MarginTop});
    EXPECT_EQ(host.Pane(2).toStdString(), FormatText("DOP:%5.2f", static_cast<double>(d.DopScaleMax)));
    EXPECT_FALSE(host.Pane(1).isEmpty());
    MoveMouse(view.get(), {L.MarginLeft + 10, L.MarginTop - 5}); // above the plot
    EXPECT_EQ(host.Pane(2), "");
}

TEST(ChartWin, AcceleratorsToggleTheSeriesAndTheirBoxes) {
    TestHost host;
    auto view = Open<TChartWin>(host, 900, 500);
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QTest::keyClick(view.get(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(view->State().ViewFlags & kShowGdop);
    EXPECT_EQ(view->ToolBar()->Box(CM_CHART_PDOP + 1)->checkState(), Qt::Checked);
    QTest::keyClick(view.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(view->State().ViewFlags & kShowPdop);
    // A click on a box does the same as its accelerator.
    QTest::mouseClick(view->ToolBar()->Box(CM_CHART_PDOP + 4), Qt::LeftButton);
    EXPECT_TRUE(view->State().ViewFlags & kShowTdop);
    EXPECT_EQ(view->ToolBar()->Box(CM_CHART_PDOP + 4)->checkState(), Qt::Checked);
}

TEST(ChartWin, HidingAvailabilityMovesItsGridToTheDopAxis) {
    TestHost host;
    auto view = Open<TChartWin>(host, 900, 500);
    Trigger(*view, CM_GRID_ON_AVAILABILITY);
    auto items = MenuItems(*view);
    EXPECT_TRUE(FindItem(items, CM_GRID_ON_AVAILABILITY)->checked);
    EXPECT_FALSE(FindItem(items, CM_GRID_ON_DOP)->checked);
    view->ToolBar()->Command(CM_CHART_PDOP + 5); // Ctrl+A
    EXPECT_EQ(view->ToolBar()->Box(CM_CHART_PDOP + 5)->checkState(), Qt::Unchecked);
    items = MenuItems(*view);
    EXPECT_TRUE(FindItem(items, CM_GRID_ON_DOP)->checked);
    EXPECT_FALSE(FindItem(items, CM_GRID_ON_AVAILABILITY)->checked);
}

TEST(BaseView, CopyPutsSvgAndABitmapOfAllRowsOnTheClipboardAndKeepsTheLayout) {
    TestHost host;
    for (int s = 0; s < 56; ++s)
        host.Visible(s, 0, 60);
    auto view = Open<TSatVisibilityWin>(host, 700, 300);
    Shot(*view);
    ASSERT_TRUE(view->ScrollTo(5));
    Shot(*view);
    const ViewLayout before = view->Layout();
    QGuiApplication::clipboard()->clear();
    view->Command(CM_VIEW_COPY);
    EXPECT_EQ(view->Layout(), before);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime);
    EXPECT_TRUE(mime->hasFormat("image/svg+xml"));
    EXPECT_TRUE(mime->data("image/svg+xml").contains("<svg"));
    ASSERT_TRUE(mime->hasImage());
    const QImage img = qvariant_cast<QImage>(mime->imageData());
    // Every row, also those scrolled out of the window.
    EXPECT_EQ(img.width(), 700);
    EXPECT_EQ(img.height(), before.MarginTop + 58 * before.RowHeight + before.MarginBottom);
    // The last GLONASS bar (palette colour of the 56th visible satellite) is in the picture.
    const QColor last = SeriesPalette()[55 % 9];
    const int y = before.MarginTop + 57 * before.RowHeight + 1 + before.LineHeight / 2;
    EXPECT_EQ(QColor(img.convertToFormat(QImage::Format_RGB32).pixel(before.MarginLeft + 20, y)), last);
}

TEST(BaseView, FontDialogChangesTheViewFontAndCancelKeepsIt) {
    TestHost host;
    host.Visible(0, 0, 50);
    PrintingPrompts prompts;
    auto view = Open<TSkyPlotWin>(host, 600, 600);
    Shot(*view);
    const int line8 = view->Layout().LineHeight;
    view->Command(CM_VIEW_FONT); // cancelled
    EXPECT_EQ(view->State().FontPointSize, 8);
    prompts.chooseFont = true;
    prompts.font = QFont("Arial", 16);
    prompts.colour = QColor(0, 0, 255);
    view->Command(CM_VIEW_FONT);
    EXPECT_EQ(view->State().FontPointSize, 16);
    EXPECT_EQ(view->State().TextColor, QColor(0, 0, 255));
    Shot(*view);
    EXPECT_GT(view->Layout().LineHeight, line8 * 3 / 2);
}

TEST(BaseView, ClosingTellsTheHostOnce) {
    TestHost host;
    auto view = Open<TChartWin>(host, 400, 300);
    view->close();
    view.reset();
    ASSERT_EQ(host.closed.size(), 1u);
}
