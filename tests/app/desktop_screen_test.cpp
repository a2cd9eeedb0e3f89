// Windows on a small screen: the help window beside what asked for it.
#include <QApplication>
#include <QDialog>
#include <QTest>

#include "app_fixture.h"
#include "ui/screenfit.h"

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
