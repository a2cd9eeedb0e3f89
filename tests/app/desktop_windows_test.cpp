// The main window as a desktop user drives it: keys in the views, where views open and how the
// Window menu arranges them, and the status bar once the views are gone.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>

#include "app_fixture.h"
#include "ui/commands.h"
#include "views/ui/chartwin.h"
#include "views/ui/viewbase.h"

using namespace app_fixture;
using fixture::NewFile;
using fixture::NewSite;
using fixture::WriteFile;

namespace {

// Counts the print dialogs asked for (and cancels them).
class CountingPrompts : public ScriptedPrompts {
public:
    int prints = 0;
    bool Print(QWidget*, QPrinter&) override {
        ++prints;
        return false;
    }
};

class DesktopWindows : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
        Start();
        WriteFile(Home("two.spl"), NewFile(1, {NewSite("Alpha", "first", 10.5, 20.25, 100, 1.0f),
                                               NewSite("Bravo", "second", -33.5, -70.75, 500, -4.0f)}));
        ASSERT_TRUE(Client().OpenSiteList(Home("two.spl")));
        Drain();
        Frame().resize(1000, 750);
        QApplication::setActiveWindow(&Frame());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    }
    TBaseMDIChild* Open(int command) {
        Run(command);
        return Client().View(command);
    }
    QMdiSubWindow* Sub(TBaseMDIChild* view) { return qobject_cast<QMdiSubWindow*>(view->parentWidget()); }
    // A key as the user presses it: through the window system, so shortcuts take part.
    void Press(QKeyCombination key) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &Frame();
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        Drain();
    }
};

} // namespace

TEST_F(DesktopWindows, CtrlPTogglesPdopInTheDopPlotAndPrintsElsewhere) {
    CountingPrompts counting;
    auto* dop = static_cast<TChartWin*>(Open(CM_VIEW_DOP));
    ASSERT_NE(dop, nullptr);
    const uint32_t before = dop->Drawing().vs.ViewFlags;
    // One key, one meaning: beside the DOP plot the menu does not offer Ctrl+P for printing.
    EXPECT_TRUE(Frame().Action(CM_PRINT_GRAPH)->shortcuts().isEmpty());
    Press(Qt::CTRL | Qt::Key_P);
    EXPECT_EQ(dop->Drawing().vs.ViewFlags ^ before, kShowPdop);
    EXPECT_EQ(dop->ToolBar()->Box(CM_CHART_PDOP)->checkState(), Qt::Unchecked);
    EXPECT_EQ(counting.prints, 0);
    // The menu still prints the DOP plot ...
    Frame().Action(CM_PRINT_GRAPH)->trigger();
    Drain();
    EXPECT_EQ(counting.prints, 1);
    // ... and Ctrl+P prints from another view.
    ASSERT_NE(Open(CM_VIEW_SKY), nullptr);
    EXPECT_EQ(Frame().Action(CM_PRINT_GRAPH)->shortcut(), QKeySequence(QKeySequence::Print));
    Press(Qt::CTRL | Qt::Key_P);
    EXPECT_EQ(counting.prints, 2);
    EXPECT_EQ(dop->Drawing().vs.ViewFlags ^ before, kShowPdop);
}

TEST_F(DesktopWindows, CtrlCCopiesEveryView) {
    // Short and tall: the visibility view's rows do not all fit, then they do (no scrolling).
    for (int height : {500, 1400}) {
        Frame().resize(1000, height);
        Drain();
        for (int command : {CM_VIEW_VISIBILITY, CM_VIEW_SKY, CM_VIEW_DOP}) {
            SCOPED_TRACE(testing::Message() << height << " " << command);
            TBaseMDIChild* view = Open(command);
            ASSERT_NE(view, nullptr);
            view->grab();
            QGuiApplication::clipboard()->clear();
            Press(Qt::CTRL | Qt::Key_C);
            const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
            ASSERT_NE(mime, nullptr);
            EXPECT_TRUE(mime->hasFormat(QStringLiteral("image/svg+xml")));
            EXPECT_TRUE(mime->hasImage());
        }
        Run(CM_CLOSE_ALL);
    }
}

TEST_F(DesktopWindows, NewAndReopenedViewsLieInsideTheClientArea) {
    const QRect area = Client().viewport()->rect();
    for (int command : {CM_VIEW_VISIBILITY, CM_VIEW_DOP, CM_VIEW_SKY}) {
        TBaseMDIChild* view = Open(command);
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(area.contains(Sub(view)->geometry())) << command;
        EXPECT_GE(Sub(view)->width(), area.width() * 9 / 10) << command;
    }
    Sub(Client().View(CM_VIEW_DOP))->close();
    Drain();
    TBaseMDIChild* again = Open(CM_VIEW_DOP);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(area.contains(Sub(again)->geometry()));
    // Asking for a minimised view brings it back.
    Sub(again)->showMinimized();
    Drain();
    Open(CM_VIEW_DOP);
    EXPECT_FALSE(Sub(again)->isMinimized());
    EXPECT_TRUE(area.contains(Sub(again)->geometry()));
}

TEST_F(DesktopWindows, CascadeLeavesEveryViewHalfTheClientAreaAtLeast) {
    for (int command : {CM_VIEW_VISIBILITY, CM_VIEW_DOP, CM_VIEW_SKY})
        ASSERT_NE(Open(command), nullptr);
    Run(CM_CASCADE);
    const QRect area = Client().viewport()->rect();
    QList<QPoint> corners;
    for (QMdiSubWindow* w : Client().subWindowList()) {
        EXPECT_GE(w->width(), area.width() / 2);
        EXPECT_GE(w->height(), area.height() / 2);
        EXPECT_TRUE(area.contains(w->geometry()));
        EXPECT_FALSE(corners.contains(w->pos())); // each title bar stays visible
        corners << w->pos();
    }
}

TEST_F(DesktopWindows, ReadoutGoesWithTheLastView) {
    TBaseMDIChild* sky = Open(CM_VIEW_SKY);
    ASSERT_NE(sky, nullptr);
    sky->grab();
    const QPoint centre(sky->width() / 2, sky->height() / 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(centre), QPointF(sky->mapToGlobal(centre)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(sky, &move);
    ASSERT_FALSE(Frame().GadgetText(2).isEmpty());
    Run(CM_CLOSE_ALL);
    Drain();
    EXPECT_EQ(Frame().GadgetText(1), QString());
    EXPECT_EQ(Frame().GadgetText(2), QString());
}
