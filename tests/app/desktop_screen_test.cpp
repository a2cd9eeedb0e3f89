// Windows on a small screen: the help window beside what asked for it, every dialog within a
// 1024 x 768 screen, and places remembered on a larger screen brought onto this one.
#include <QApplication>
#include <QDialog>
#include <QMdiSubWindow>
#include <QTest>

#include "app/about.h"
#include "app/appsettings.h"
#include "app_fixture.h"
#include "dialogs/configdialog.h"
#include "dialogs/mapdialog.h"
#include "dialogs/obstructdialog.h"
#include "dialogs/optionsdialog.h"
#include "dialogs/sitedialog.h"
#include "ui/commands.h"
#include "ui/screenfit.h"
#include "views/ui/viewbase.h"

using namespace app_fixture;
using fixture::NewFile;
using fixture::NewSite;
using fixture::WriteFile;

namespace {

class DesktopScreen : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
        WriteFile(Home("two.spl"), NewFile(1, {NewSite("Alpha", "first", 10.5, 20.25, 100, 1.0f),
                                               NewSite("Bravo", "second", -33.5, -70.75, 500, -4.0f)}));
    }
    // The client area of a window as the window system frames it, title bar included.
    static QRect Framed(const QWidget* w) { return w->geometry().marginsAdded(FrameMargins(w)); }
};

} // namespace

// F1 in a dialog opens help beside it, on the side with room, title bar on the screen; Escape in
// the help window closes it.
TEST_F(DesktopScreen, HelpOpensBesideWhatAskedForItWithItsTitleBarOnTheScreen) {
    Start();
    const QRect area = AvailableArea(&Frame());
    ASSERT_GE(area.width(), 700); // room for help beside a narrow dialog
    for (bool dialogOnTheLeft : {true, false}) {
        SCOPED_TRACE(dialogOnTheLeft);
        QDialog dialog(&Frame());
        dialog.resize(120, 200);
        dialog.move(dialogOnTheLeft ? area.left() + 10 : area.right() - 130, area.top() + 60);
        SetHelpContext(&dialog, 10300);
        WhenModal([&](QWidget*) {
            QTest::keyClick(&dialog, Qt::Key_F1);
            if (QWidget* help = dialog.findChild<QWidget*>("helpWindow")) {
                EXPECT_TRUE(help->isVisible());
                EXPECT_TRUE(area.contains(Framed(help))) << Framed(help).y();
                EXPECT_FALSE(Framed(help).intersects(dialog.frameGeometry()));
                EXPECT_EQ(help->x() > dialog.x(), dialogOnTheLeft);
                // It takes the keyboard, so that Escape reaches it.
                EXPECT_TRUE(QTest::qWaitFor([help] { return QApplication::activeWindow() == help; }, 1000));
                QTest::keyClick(help->focusWidget() ? help->focusWidget() : help, Qt::Key_Escape);
                EXPECT_FALSE(help->isVisible());
            } else {
                ADD_FAILURE() << "no help window";
            }
            dialog.reject();
        });
        dialog.exec();
        CloseHelpWindow();
    }
}

// A 1024 x 768 screen less a panel and each dialog's title bar: what every dialog may take.
TEST_F(DesktopScreen, EveryDialogFitsA1024By768Screen) {
    Start();
    ASSERT_TRUE(Client().OpenSiteList(Home("two.spl")));
    Drain();
    const QSize screen(1024, 768 - 32);
    project list(Home("two.spl"));
    AList<Obstruction> obstructions;
    double latitude = 10, longitude = 20;
    const std::vector<std::pair<const char*, std::function<QDialog*()>>> dialogs = {
        {"site editor", [&] { return new SiteDialog(&Frame(), list); }},
        {"obstruction editor", [&] { return new ObstructDialog(&Frame(), obstructions, "Alpha", {}); }},
        {"site map", [&] { return new MapDialog(&Frame(), "Alpha", latitude, longitude); }},
        {"satellite configuration", [&] { return new ConfigDialog(&Frame(), Client()); }},
        {"options", [&] { return new TOptionsDialog(&Frame(), Client().Options()); }},
        {"about", [&] { return new AboutDialog(&Frame()); }},
    };
    const QRect area = AvailableArea(&Frame());
    for (const auto& [name, make] : dialogs) {
        SCOPED_TRACE(name);
        std::unique_ptr<QDialog> d(make());
        d->show();
        Drain();
        // The smallest it can be made fits 1024 x 768, and where this screen is smaller it opens
        // no larger than the screen.
        const QSize least = d->minimumSize().expandedTo(d->minimumSizeHint()).grownBy(FrameMargins(d.get()));
        EXPECT_LE(least.width(), screen.width());
        EXPECT_LE(least.height(), screen.height());
        EXPECT_LE(Framed(d.get()).height(), std::max(area.height(), least.height()));
    }
}

// Window and views remembered on a 1600 x 1000 screen come back whole on this smaller one: the views
// keep their share of the client area, a place remembered without its area's size moves in.
TEST_F(DesktopScreen, PlacesRememberedOnALargerScreenComeBackOnThisOne) {
    Start();
    ASSERT_TRUE(Exit());
    const QSize large(1580, 860);
    RememberViews({{CM_VIEW_SKY, QRect(790, 430, 790, 430), false, large},
                   {CM_VIEW_DOP, QRect(0, 0, 1580, 120), false, large},
                   {CM_VIEW_VISIBILITY, QRect(1100, 300, 400, 500), false, QSize()}});
    {
        QWidget big;
        big.setGeometry(0, 0, 1600, 1000);
        RememberFrameGeometry(big.saveGeometry());
    }
    Start();
    const QRect screen = AvailableArea(&Frame());
    ASSERT_LT(screen.width(), 1600);
    EXPECT_TRUE(screen.contains(Frame().geometry()));
    EXPECT_GE(Framed(&Frame()).top(), screen.top()); // the title bar too
    ASSERT_TRUE(Client().OpenSiteList(Home("two.spl")));
    Drain();
    const QRect area = Client().viewport()->rect();
    auto place = [this](int command) { return Client().View(command)->parentWidget()->geometry(); };
    for (int command : {CM_VIEW_SKY, CM_VIEW_DOP, CM_VIEW_VISIBILITY})
        EXPECT_TRUE(area.contains(place(command))) << command;
    // The lower right quarter stays the lower right quarter; the tool bar's strip stays as wide.
    EXPECT_NEAR(place(CM_VIEW_SKY).left(), area.width() / 2, 2);
    EXPECT_NEAR(place(CM_VIEW_SKY).height(), area.height() / 2, 2);
    EXPECT_EQ(place(CM_VIEW_DOP).width(), area.width());
    EXPECT_EQ(place(CM_VIEW_VISIBILITY).width(), std::min(400, area.width()));
}
