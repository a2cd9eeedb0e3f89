// The Sites command with the real site editor: opened by New and Open, Cancel puts the list back,
// Select makes the chosen site current and recomputes what its change requires.
#include <QListView>
#include <QTest>

#include "app/app_fixture.h"
#include "app/sitedialogs.h"
#include "dialogs/sitedialog_fixture.h"
#include "ui/commands.h"
#include "ui/prompts.h"

using namespace app_fixture;
using sitedialog_fixture::ClickEntry;
using sitedialog_fixture::Names;
using sitedialog_fixture::Press;
using sitedialog_fixture::SetText;
using sitedialog_fixture::Text;

namespace {

class SitesCommand : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
        Start();
        InstallSiteDialogs();
        SiteDialog::ClearClipboard();
    }
    void TearDown() override {
        SiteDialog::ClearClipboard();
        AppTest::TearDown();
    }
    // Opens a list of three sites, the second current, working the editor that opens with `edit`.
    void OpenThree(std::function<void(QWidget*)> edit = [](QWidget* d) { Press(d, 2); }) {
        fixture::WriteFile(Home("three.spl"),
                           fixture::NewFile(1, {fixture::NewSite("Alpha", "a", 10, 20, 100, 1.0f),
                                                fixture::NewSite("Bravo", "b", -33.5, -70.75, 500, -4.0f),
                                                fixture::NewSite("Charlie", "c", 45, 7, 0, 1.0f)}));
        WhenModal(edit);
        Client().OpenSiteList(Home("three.spl"));
        Drain();
    }
    // Runs the Sites command on the editor, worked by `edit`.
    void RunSites(std::function<void(QWidget*)> edit) {
        WhenModal(edit);
        Run(CM_SITES);
    }
};

} // namespace

TEST_F(SitesCommand, NewOpensTheEditorAtOnceAndSelectKeepsTheTypedSite) {
    EXPECT_FALSE(Enabled(CM_SITES)); // no list yet
    QString shownName;
    WhenModal([&shownName](QWidget* d) {
        shownName = Text(d, 909);
        SetText(d, 909, "Kathmandu");
        SetText(d, 103, "27");
        SetText(d, 112, "42");
        SetText(d, 105, "85");
        SetText(d, 115, "19");
        SetText(d, 108, "5.75");
        Press(d, 1);
    });
    prompts.answers = {IDYES}; // "Site new site was changed!"
    Run(CM_SITELIST_NEW);
    EXPECT_EQ(shownName, "new site");
    ASSERT_NE(Client().SiteList(), nullptr);
    EXPECT_TRUE(Enabled(CM_SITES));
    EXPECT_EQ(prompts.LastText(), "Site new site was changed!\nDo you want to update site\n  new site?");
    const SiteInfo* site = Client().SiteList()->CurrentSite();
    EXPECT_STREQ(site->name, "Kathmandu");
    EXPECT_EQ(site->gmtOffset, 5.75f);
    EXPECT_STREQ(Client().SiteList()->currentName, "Kathmandu");
    EXPECT_EQ(Client().SiteList()->modified, 1);
    EXPECT_EQ(Frame().GadgetText(0), QString::fromUtf8("Kathmandu  Lat: 27°42' 0\"N  Lon: 85°19' 0\"E"));
}

TEST_F(SitesCommand, CancelPutsTheListBackWhateverTheEditorDid) {
    OpenThree();
    ASSERT_NE(Client().SiteList(), nullptr);
    const std::string before = Client().SiteList()->Image();
    Client().Session().ClearChanges();
    RunSites([](QWidget* d) {
        Press(d, 109); // delete Bravo
        SetText(d, 909, "Delta");
        Press(d, 119); // add Delta
        Press(d, 2);
    });
    EXPECT_EQ(Client().SiteList()->Image(), before);
    EXPECT_EQ(Client().SiteList()->modified, 0);
    EXPECT_STREQ(Client().SiteList()->CurrentSite()->name, "Bravo");
    EXPECT_FALSE(Client().Changes().Any());
}

TEST_F(SitesCommand, SelectingAnotherSiteRecomputesAtTheLevelOfWhatDiffers) {
    OpenThree();
    Run(CM_VIEW_DOP);
    ASSERT_EQ(Client().OpenViewCount(), 1);
    EXPECT_FALSE(Client().Changes().Any());

    // Alpha and Bravo differ in position and offset: level 1, computed for the new site at once.
    RunSites([](QWidget* d) {
        ClickEntry(d, 0);
        Press(d, 1);
    });
    EXPECT_EQ(Client().SiteList()->currentIndex, 0);
    EXPECT_TRUE(Frame().GadgetText(0).startsWith("Alpha  Lat: 10°"));
    EXPECT_FALSE(Client().Changes().Any()); // the posted recomputation ran
    EXPECT_EQ(Client().Engine().site(), Client().SiteList()->CurrentSite());
    EXPECT_TRUE(prompts.boxes.empty());

    // Alpha to Charlie: same offset, another position: only the position flag is handed on.
    Client().Command(CM_CLOSE_ALL);
    Client().Session().ClearChanges();
    RunSites([](QWidget* d) {
        ClickEntry(d, 2);
        Press(d, 1);
    });
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kPosition);
    EXPECT_EQ(Client().Changes().Level(), 2);
}

TEST_F(SitesCommand, DeletingEverySiteAndNotInsertingTheNewOneClosesTheList) {
    OpenThree();
    Run(CM_VIEW_SKY);
    prompts.answers = {IDNO};
    RunSites([](QWidget* d) {
        Press(d, 109);
        Press(d, 109);
        Press(d, 109);
        EXPECT_TRUE(Names(d).isEmpty());
        Press(d, 1);
    });
    EXPECT_EQ(prompts.LastText(), " Insert site new site in the site list ?");
    EXPECT_EQ(Client().SiteList(), nullptr);
    EXPECT_EQ(Client().OpenViewCount(), 0);
    EXPECT_EQ(Caption(), "Tavrin");
    EXPECT_FALSE(Frame().IsFullToolBar());
    EXPECT_FALSE(Enabled(CM_SITES));
}
