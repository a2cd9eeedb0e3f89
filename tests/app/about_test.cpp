// The About box's version texts and the splash's place.
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/about.h"
#include "ui/commands.h"
#include "ui/scripted_prompts.h"

namespace {

QString Text(QWidget& w, int id) {
    QLabel* label = w.findChild<QLabel*>(ControlName(id));
    EXPECT_NE(label, nullptr) << id;
    return label ? label->text() : QString();
}

} // namespace

TEST(AboutDialog, VersionAndCopyrightFromTheBuildAndTemplatesWithoutThem) {
    AboutDialog about(nullptr);
    EXPECT_EQ(Text(about, 1301), QStringLiteral("Version " TAVRIN_VERSION));
    EXPECT_EQ(Text(about, 1302), QStringLiteral(TAVRIN_COPYRIGHT));
    EXPECT_EQ(Text(about, 1303), "");
    EXPECT_EQ(about.windowTitle(), "About");

    AboutDialog bare(nullptr, ProjectRCVersion{});
    EXPECT_EQ(Text(bare, 1301), "Version");
    EXPECT_EQ(Text(bare, 1302), "");
}

TEST(LogoWindow, CentredOnTheScreenAndClosedAtTheSecondTick) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QPixmap picture = SplashPixmap();
    ASSERT_FALSE(picture.isNull());
    LogoWindow splash(nullptr);
    EXPECT_EQ(splash.centredPosition(),
              QPoint((screen.width() - picture.width()) / 2, (screen.height() - picture.height()) / 2));
    const int before = SplashTickCount();
    splash.Execute(); // returns once it has closed itself
    EXPECT_EQ(SplashTickCount(), before + (before == 0 ? 2 : 1));
    EXPECT_FALSE(splash.isVisible());
}
