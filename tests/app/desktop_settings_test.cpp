// What the program remembers between runs (the window's place, the open views, the recent site
// lists) and a site list dropped on the window.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/appsettings.h"
#include "app_fixture.h"
#include "engine/rinexnav.h"
#include "ui/commands.h"
#include "views/ui/viewbase.h"

using namespace app_fixture;
using fixture::NewFile;
using fixture::NewSite;
using fixture::WriteFile;

namespace {

class DesktopSettings : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
        for (const char* name : {"one.spl", "two.spl"})
            WriteFile(Home(name), NewFile(0, {NewSite(name, "a site", 10.5, 20.25, 100, 1.0f)}));
        Start();
    }
    QString Path(const char* name) const { return QString::fromStdString(Home(name)); }
    QStringList RecentMenuPaths() {
        Frame().FillRecentMenu();
        QStringList paths;
        for (QAction* a : Frame().RecentMenu()->actions())
            if (!a->isSeparator() && a->data().isValid())
                paths << a->data().toString();
        return paths;
    }
    void Drop(const QString& path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Frame(), &enter);
        if (!enter.isAccepted())
            return;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Frame(), &drop);
        Drain();
    }
};

} // namespace

TEST_F(DesktopSettings, WindowPlaceAndOpenViewsComeBackAfterARestart) {
    ASSERT_TRUE(Client().OpenSiteList(Home("one.spl")));
    Run(CM_VIEW_DOP);
    Run(CM_VIEW_SKY);
    Frame().setGeometry(0, 40, 700, 500); // on the screen, title bar and all
    Drain();
    const QRect frame = Frame().geometry();
    auto* dop = qobject_cast<QMdiSubWindow*>(Client().View(CM_VIEW_DOP)->parentWidget());
    dop->setGeometry(20, 10, 300, 200);
    const QRect dopPlace = dop->geometry();
    ASSERT_TRUE(Exit());

    Start();
    EXPECT_EQ(Frame().geometry(), frame);
    EXPECT_EQ(Client().OpenViewCount(), 0); // no list yet: no views
    ASSERT_TRUE(Client().OpenSiteList(Home("two.spl")));
    Drain();
    EXPECT_NE(Client().View(CM_VIEW_DOP), nullptr);
    EXPECT_NE(Client().View(CM_VIEW_SKY), nullptr);
    EXPECT_EQ(Client().View(CM_VIEW_VISIBILITY), nullptr);
    EXPECT_EQ(Client().View(CM_VIEW_DOP)->parentWidget()->geometry(), dopPlace);
    // Only the first list of a run brings them back.
    Run(CM_CLOSE_ALL);
    ASSERT_TRUE(Client().OpenSiteList(Home("one.spl")));
    EXPECT_EQ(Client().OpenViewCount(), 0);
    // Nothing of this went into the configuration file: it keeps its 632 bytes.
    ASSERT_TRUE(Exit());
    EXPECT_EQ(QFile(QString::fromStdString(ConfigPath())).size(), 632);
}

TEST_F(DesktopSettings, RecentListsNewestFirstAcrossRunsAndAMissingOneIsDropped) {
    EXPECT_FALSE(Frame().RecentMenu()->isEnabled());
    ASSERT_TRUE(Client().OpenSiteList(Home("one.spl")));
    ASSERT_TRUE(Client().OpenSiteList(Home("two.spl")));
    ASSERT_TRUE(Client().OpenSiteList(Home("one.spl")));
    EXPECT_EQ(RecentMenuPaths(), (QStringList{Path("one.spl"), Path("two.spl")}));
    ASSERT_TRUE(Exit());

    Start();
    ASSERT_EQ(RecentMenuPaths(), (QStringList{Path("one.spl"), Path("two.spl")}));
    EXPECT_TRUE(Frame().RecentMenu()->isEnabled());
    Frame().RecentMenu()->actions()[1]->trigger(); // "&2 two.spl"
    Drain();
    EXPECT_EQ(Caption(), "Tavrin - two.spl");
    EXPECT_EQ(RecentMenuPaths().first(), Path("two.spl"));

    QFile::remove(Path("one.spl"));
    prompts.answers = {IDOK};
    EXPECT_FALSE(Client().OpenChosenList(Path("one.spl")));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_TRUE(prompts.boxes[0].text.contains(Path("one.spl")));
    EXPECT_EQ(RecentMenuPaths(), QStringList{Path("two.spl")});
    EXPECT_EQ(Caption(), "Tavrin - two.spl");
}

// The submenu follows the lists opened and saved under a new name in this run, without a restart
// and without being opened first (a disabled submenu does not open).
TEST_F(DesktopSettings, OpenRecentFollowsOpenAndSaveAsInTheSameRun) {
    auto shown = [this] {
        QStringList paths;
        for (QAction* a : Frame().RecentMenu()->actions())
            if (a->data().isValid())
                paths << a->data().toString();
        return paths;
    };
    EXPECT_FALSE(Frame().RecentMenu()->isEnabled());
    ASSERT_TRUE(Client().OpenSiteList(Home("one.spl")));
    EXPECT_TRUE(Frame().RecentMenu()->isEnabled());
    EXPECT_EQ(shown(), QStringList{Path("one.spl")});
    prompts.files = {Path("three.spl")};
    Run(CM_SITELIST_SAVEAS);
    EXPECT_EQ(shown(), (QStringList{Path("three.spl"), Path("one.spl")}));
}

TEST_F(DesktopSettings, DroppedSiteListOpensAfterTheQuestionToSave) {
    Drop(Path("one.spl"));
    EXPECT_EQ(Caption(), "Tavrin - one.spl");
    // A changed list: Cancel keeps it, No lets the dropped one in.
    Client().SiteList()->modified = 1;
    prompts.answers = {IDCANCEL};
    Drop(Path("two.spl"));
    EXPECT_EQ(Caption(), "Tavrin - one.spl");
    prompts.answers = {IDNO};
    Drop(Path("two.spl"));
    EXPECT_EQ(Caption(), "Tavrin - two.spl");
    // Anything but a site list is not taken.
    const QString text = Path("notes.txt");
    WriteFile(text.toStdString(), "x");
    Drop(text);
    EXPECT_EQ(Caption(), "Tavrin - two.spl");
    EXPECT_EQ(prompts.boxes.size(), 2u);
}

// The navigation files and the chosen orbit source come back at the next start; a file gone
// meanwhile is named once and forgotten.
TEST_F(DesktopSettings, NavigationFilesAndTheChosenSourceComeBackAfterARestart) {
    const std::string files = TAVRIN_SOURCE_DIR "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_";
    fs::copy_file(files + "GN.rnx", Home("GN.rnx"));
    for (const std::string& path : {Home("GN.rnx"), files + "EN.rnx"})
        ASSERT_TRUE(Client().Session().AddNavigationFile(path).error.empty());
    ASSERT_TRUE(Client().Session().ChooseSource(GnssSystem::Gps, OrbitSource::Almanac));
    WhenModal([](QWidget* dialog) { dialog->close(); }); // the configuration dialog, cancelled
    Run(CM_SAT_CONFIG);
    ASSERT_TRUE(Exit());

    fs::remove(Home("GN.rnx"));
    prompts.boxes.clear();
    prompts.answers = {IDOK, IDOK}; // the file gone, the almanac's age
    const PlanInterval day(1, 1, 2022, 8, 0, 16, 0);
    Start(QString(), false, {}, &day);
    const Calculator& engine = Client().Engine();
    EXPECT_EQ(Client().Session().navigationFiles(), std::vector<std::string>{files + "EN.rnx"});
    EXPECT_EQ(engine.source(GnssSystem::Galileo), OrbitSource::Broadcast);
    EXPECT_FALSE(engine.HasSource(GnssSystem::Gps, OrbitSource::Broadcast));
    EXPECT_TRUE(engine.SourceChosen(GnssSystem::Gps));
    EXPECT_EQ(engine.source(GnssSystem::Gps), OrbitSource::Almanac);
    ASSERT_GE(prompts.boxes.size(), 1u);
    EXPECT_TRUE(prompts.boxes[0].text.contains(Path("GN.rnx"))) << prompts.boxes[0].text.toStdString();
    // The files' satellites at the planning date are planned, E01 among them.
    const int e01 = SatelliteCatalogue::Index({GnssSystem::Galileo, 1});
    EXPECT_TRUE(engine.IsEnabled(e01));
    ASSERT_TRUE(Exit());

    prompts.boxes.clear();
    prompts.answers = {IDOK};
    Start(); // today: the Galileo records are years old, and the program says so
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_TRUE(prompts.boxes[0].text.contains("The orbits of Galileo are"))
        << prompts.boxes[0].text.toStdString();
    EXPECT_EQ(Client().Session().navigationFiles().size(), 1u);
}
