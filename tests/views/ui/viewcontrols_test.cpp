// The views' controls as a desktop user works them: the mouse wheel and the keys over the
// visibility rows, and a chart tool bar that stays whole and readable in any width.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <memory>

#include "views/ui/chartwin.h"
#include "views/ui/satvisibilitywin.h"
#include "views/ui/view_host_fixture.h"

using namespace view_host_fixture;

namespace {

void Wheel(QWidget* w, int delta) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST(SatVisibilityWin, WheelAndKeysScrollTheRows) {
    TestHost host;
    for (int s = 0; s < 56; ++s)
        host.Visible(s, s, s + 20);
    std::unique_ptr<TSatVisibilityWin> view(static_cast<TSatVisibilityWin*>(CreateView(1106, host, nullptr)));
    view->resize(700, 300);
    view->show();
    view->grab();
    const ViewLayout& L = view->Layout();
    const int lines = QApplication::wheelScrollLines();
    Wheel(view.get(), -120); // one notch towards the user: further down the list
    EXPECT_EQ(L.ScrollPos, lines);
    Wheel(view.get(), -60); // half a notch waits for the other half
    EXPECT_EQ(L.ScrollPos, lines);
    Wheel(view.get(), -60);
    EXPECT_EQ(L.ScrollPos, 2 * lines);
    Wheel(view.get(), 240);
    EXPECT_EQ(L.ScrollPos, 0);
    EXPECT_EQ(view->ScrollBar()->value(), 0);

    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    view->setFocus();
    EXPECT_TRUE(view->hasFocus()); // the view itself, not a hidden scroll bar
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(L.ScrollPos, 1);
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    EXPECT_EQ(L.ScrollPos, 1 + L.VisibleRows);
    QTest::keyClick(view.get(), Qt::Key_End);
    EXPECT_EQ(L.ScrollPos, view->Drawing().ScrollMax);
    QTest::keyClick(view.get(), Qt::Key_Home);
    EXPECT_EQ(L.ScrollPos, 0);
}

TEST(ChartWin, ToolBarWrapsInANarrowWindowAndThePlotStartsBelowIt) {
    TestHost host;
    std::unique_ptr<TChartWin> view(static_cast<TChartWin*>(CreateView(1107, host, nullptr)));
    view->resize(1000, 500);
    view->show();
    view->grab();
    TChartTool* tool = view->ToolBar();
    const int oneRow = tool->BarHeight();
    std::vector<QWidget*> controls;
    for (int id = CM_CHART_PDOP; id <= CM_CHART_PDOP + 5; ++id)
        controls.push_back(tool->Box(id));
    controls.push_back(tool->findChild<QPushButton*>());
    ASSERT_NE(controls.back(), nullptr);

    for (int width : {1000, 420, 200}) {
        SCOPED_TRACE(width);
        view->resize(width, 500);
        view->grab();
        EXPECT_EQ(tool->width(), width);
        for (size_t i = 0; i < controls.size(); ++i) {
            const QRect r = controls[i]->geometry();
            // Whole: inside the bar, wide enough for its text, clear of the others.
            EXPECT_TRUE(QRect(0, 0, width, tool->height()).contains(r)) << i;
            if (i < 6) {
                EXPECT_GE(r.width(), controls[i]->sizeHint().width()) << i;
            }
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(r.intersects(controls[j]->geometry())) << i << " " << j;
        }
        EXPECT_GE(view->Layout().MarginTop, tool->height());
    }
    EXPECT_GT(tool->BarHeight(), oneRow);
    view->resize(1000, 500);
    EXPECT_EQ(tool->BarHeight(), oneRow);
}

TEST(ChartWin, GreyedHorizontalAndVerticalLabelsStayReadable) {
    TestHost host;
    CalculatorTestAccess::SetMode(host.calc, 1); // 2-D: HDOP and VDOP greyed
    std::unique_ptr<TChartWin> view(static_cast<TChartWin*>(CreateView(1107, host, nullptr)));
    view->resize(900, 500);
    view->show();
    view->grab();
    ChartCheckBox* hdop = view->ToolBar()->Box(CM_CHART_PDOP + 2);
    ASSERT_FALSE(hdop->isEnabled());
    const QImage shot = hdop->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int background = qGray(view->ToolBar()->palette().color(QPalette::Window).rgb());
    // The label's letters, right of the box: pixels clearly darker than the bar.
    int letters = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = shot.width() / 3; x < shot.width(); ++x)
            letters += qGray(shot.pixel(x, y)) < background - 48;
    EXPECT_GT(letters, 10);
}
