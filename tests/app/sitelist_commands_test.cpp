// The Site List commands with every answer to their questions, and the site and obstruction
// commands' copies for Cancel.
#include <QMdiSubWindow>
#include <QMenu>
#include <cmath>

#include "app_fixture.h"
#include "ui/commands.h"
#include "ui/prompts.h"
#include "views/ui/viewbase.h"

using namespace app_fixture;
using fixture::NewFile;
using fixture::NewSite;
using fixture::ReadFile;
using fixture::WriteFile;

namespace {

class SiteListCommands : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
        Start();
        ASSERT_TRUE(prompts.boxes.empty());
    }

    std::string TwoSites() const {
        return NewFile(1, {NewSite("Alpha", "first", 10.5, 20.25, 100, 1.0f),
                           NewSite("Bravo", "second", -33.5, -70.75, 500, -4.0f)});
    }
    // Opens `bytes` written as `name` in the home directory.
    void OpenFile(const std::string& name, const std::string& bytes) {
        WriteFile(Home(name), bytes);
        prompts.files.push_back(QString::fromStdString(Home(name)));
        Run(CM_SITELIST_OPEN);
    }
    std::string OldFormat() const {
        fixture::OldSite s;
        return fixture::OldFile({{"Old site", 0}}, {fixture::OldRecord(s)});
    }
};

} // namespace

TEST_F(SiteListCommands, OpenShowsTheListInCaptionSiteLineAndToolBar) {
    OpenFile("two.spl", TwoSites());
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.fileRequests[0].filter, "Site List Files (*.SPL)|*.spl|");
    EXPECT_EQ(prompts.fileRequests[0].defaultExtension, "SPL");
    EXPECT_EQ(prompts.fileRequests[0].flags, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    ASSERT_NE(Client().SiteList(), nullptr);
    EXPECT_EQ(Caption(), "Tavrin - two.spl");
    EXPECT_TRUE(Frame().IsFullToolBar());
    // The second site is current: southern and western.
    EXPECT_EQ(Frame().GadgetText(0), QString::fromUtf8("Bravo  Lat: 33°30' 0\"S  Lon: 70°45' 0\"W"));
    EXPECT_EQ(Frame().OrbitsText(), "No orbits: GLONASS, Galileo, BeiDou, QZSS, NavIC"); // a GPS almanac only
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kAll);

    // Open another: Cancel in the file dialog changes nothing.
    prompts.files.push_back(QString());
    Run(CM_SITELIST_OPEN);
    EXPECT_EQ(Caption(), "Tavrin - two.spl");
}

TEST_F(SiteListCommands, UnreadableFileKeepsTheCurrentListItsCaptionAndItsViews) {
    OpenFile("two.spl", TwoSites());
    Run(CM_VIEW_DOP);
    ASSERT_EQ(Client().OpenViewCount(), 1);
    prompts.answers = {IDOK};
    OpenFile("bad.spl", "this is no site list at all");
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "Incorrect file format !");
    EXPECT_EQ(prompts.boxes[0].caption, "Error");
    EXPECT_EQ(prompts.boxes[0].style & MB_ICONS, MB_ICONEXCLAMATION);
    EXPECT_EQ(Caption(), "Tavrin - two.spl");
    EXPECT_EQ(QString(Client().SiteList()->currentName), "Bravo");
    EXPECT_EQ(Client().OpenViewCount(), 1);
}

TEST_F(SiteListCommands, NewListIsUnsavedUnderAFreeNameAndClosesTheViews) {
    OpenFile("two.spl", TwoSites());
    Run(CM_VIEW_SKY);
    Run(CM_VIEW_VISIBILITY);
    ASSERT_EQ(Client().OpenViewCount(), 2);
    Client().Session().ClearChanges();
    Run(CM_SITELIST_NEW);
    EXPECT_EQ(Client().OpenViewCount(), 0);
    EXPECT_EQ(Caption(), "Tavrin - proj0001.SPL");
    EXPECT_EQ(Frame().GadgetText(0), QString::fromUtf8("new site  Lat: 0° 0' 0\"N  Lon: 0° 0' 0\"E"));
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kAll);
    EXPECT_FALSE(fs::exists(Home("proj0001.SPL")));
    Run(CM_SITELIST_SAVE);
    EXPECT_EQ(project::FileFormat(Home("proj0001.SPL")), 1);
}

TEST_F(SiteListCommands, AskToSaveWithEveryAnswer) {
    OpenFile("two.spl", TwoSites());
    const std::string original = ReadFile(Home("two.spl"));
    Client().SiteList()->modified = 1;

    // Cancel: the list stays, nothing is written.
    prompts.answers = {IDCANCEL};
    Run(CM_SITELIST_NEW);
    EXPECT_EQ(prompts.LastText(), "Do you want to save changes\n to file two.spl?");
    EXPECT_EQ(prompts.boxes.back().caption, "Question");
    EXPECT_EQ(prompts.boxes.back().style, MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(Caption(), "Tavrin - two.spl*"); // still unsaved

    // Cancel again, for Open: no file dialog follows.
    prompts.answers = {IDCANCEL};
    Run(CM_SITELIST_OPEN);
    EXPECT_EQ(prompts.fileRequests.size(), 1u);

    // Yes, and the write fails: the message, and the list stays.
    fs::remove(Home("two.spl"));
    fs::create_directory(Home("two.spl")); // a directory in the file's place cannot be replaced
    prompts.answers = {IDYES, IDOK};
    Run(CM_SITELIST_NEW);
    // The fixed text, then the file and the reason.
    EXPECT_EQ(prompts.LastText(), QString::fromStdString("Write to disk failed !\n" + Home("two.spl") +
                                                         ": cannot be written (Is a directory)"));
    EXPECT_EQ(prompts.boxes.back().caption, "Error");
    EXPECT_EQ(Caption(), "Tavrin - two.spl*");
    EXPECT_EQ(Client().SiteList()->modified, 1);
    fs::remove(Home("two.spl"));

    // Yes: saved, then replaced by the new list.
    prompts.answers = {IDYES};
    Run(CM_SITELIST_NEW);
    EXPECT_EQ(ReadFile(Home("two.spl")).substr(0, 9), original.substr(0, 9));
    EXPECT_EQ(Caption(), "Tavrin - proj0001.SPL");

    // No: not saved, replaced all the same.
    Client().SiteList()->modified = 1;
    prompts.answers = {IDNO};
    prompts.files.push_back(QString::fromStdString(Home("two.spl")));
    Run(CM_SITELIST_OPEN);
    EXPECT_EQ(Caption(), "Tavrin - two.spl");
    EXPECT_FALSE(fs::exists(Home("proj0001.SPL")));
}

TEST_F(SiteListCommands, OldFormatListAsksBeforeItIsSavedInTheNewFormat) {
    OpenFile("old.spl", OldFormat());
    ASSERT_NE(Client().SiteList(), nullptr);
    ASSERT_EQ(project::FileFormat(Home("old.spl")), 0);
    const std::string original = ReadFile(Home("old.spl"));

    prompts.answers = {IDCANCEL};
    Run(CM_SITELIST_SAVE);
    EXPECT_EQ(prompts.LastText(), "The site list will be saved as new win format");
    EXPECT_EQ(prompts.boxes.back().caption, "Information");
    EXPECT_EQ(prompts.boxes.back().style, MB_OKCANCEL | MB_ICONEXCLAMATION);
    EXPECT_EQ(ReadFile(Home("old.spl")), original);

    // The save question says so too.
    Client().SiteList()->modified = 1;
    prompts.answers = {IDCANCEL};
    Run(CM_SITELIST_NEW);
    EXPECT_EQ(prompts.LastText(), "Do you want to save changes\n to file old.spl?\n"
                                  "The site list will be saved as new win format");

    prompts.answers = {IDOK};
    Run(CM_SITELIST_SAVE);
    EXPECT_EQ(project::FileFormat(Home("old.spl")), 1);
    EXPECT_EQ(Client().SiteList()->modified, 0);
}

TEST_F(SiteListCommands, SaveAsOntoTheOldFormatFileAsksAndCancelBringsTheDialogBack) {
    OpenFile("old.spl", OldFormat());
    const std::string original = ReadFile(Home("old.spl"));
    // Its own path: asked; Cancel shows the dialog again, where a new name is chosen.
    prompts.files = {QString::fromStdString(Home("old.spl")), QString::fromStdString(Home("copy"))};
    prompts.answers = {IDCANCEL};
    Run(CM_SITELIST_SAVEAS);
    ASSERT_EQ(prompts.fileRequests.size(), 3u); // Open, then Save As twice
    EXPECT_EQ(prompts.fileRequests[1].flags, OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    EXPECT_EQ(prompts.LastText(), "The site list will be saved as new win format");
    EXPECT_EQ(ReadFile(Home("old.spl")), original);
    EXPECT_EQ(project::FileFormat(Home("copy.spl")), 1);
    EXPECT_EQ(Client().SiteList()->path, Home("copy.spl"));

    // Back to the old file under another spelling of its path: the same file, so asked again.
    prompts.files = {QString::fromStdString(Home("./old.spl"))};
    prompts.answers = {IDOK};
    Client().SiteList()->path = Home("old.spl");
    Run(CM_SITELIST_SAVEAS);
    EXPECT_EQ(prompts.boxes.size(), 2u);
    EXPECT_EQ(project::FileFormat(Home("old.spl")), 1);
    EXPECT_EQ(Client().SiteList()->path, Home("old.spl"));
}

TEST_F(SiteListCommands, SaveAsStoresTheNewPathAndFailureKeepsTheOld) {
    OpenFile("two.spl", TwoSites());
    Client().SiteList()->modified = 1;
    prompts.files = {QString::fromStdString(Home("renamed"))};
    Run(CM_SITELIST_SAVEAS);
    EXPECT_EQ(Client().SiteList()->path, Home("renamed.spl"));
    EXPECT_EQ(Caption(), "Tavrin - renamed.spl");
    EXPECT_EQ(Client().SiteList()->modified, 0);
    EXPECT_EQ(project::FileFormat(Home("renamed.spl")), 1);

    Client().SiteList()->modified = 1;
    prompts.files = {QString::fromStdString(Home("missing/dir.spl"))};
    prompts.answers = {IDOK};
    Run(CM_SITELIST_SAVEAS);
    EXPECT_EQ(prompts.LastText(),
              QString::fromStdString("Write to disk failed !\n" + Home("missing/dir.spl") +
                                     ": cannot be written (No such file or directory)"));
    EXPECT_EQ(Client().SiteList()->path, Home("renamed.spl"));
    EXPECT_EQ(Client().SiteList()->modified, 1);

    // Cancel in the save dialog: nothing at all.
    prompts.files = {QString()};
    Run(CM_SITELIST_SAVEAS);
    EXPECT_EQ(Client().SiteList()->modified, 1);

    // A read-only list is replaced only when the user says so; one with another name is replaced
    // whole, and the user is told that the other name keeps the old list.
    Client().SiteList()->modified = 1;
    const std::string before = fixture::ReadFile(Home("renamed.spl"));
    fs::permissions(Home("renamed.spl"), fs::perms::owner_read);
    for (int answer : {IDNO, IDYES}) {
        prompts.answers = {answer};
        Run(CM_SITELIST_SAVE);
        EXPECT_TRUE(prompts.LastText().contains("read-only")) << prompts.LastText().toStdString();
        EXPECT_EQ(Client().SiteList()->modified, answer == IDYES ? 0 : 1);
        if (answer == IDNO) {
            EXPECT_EQ(fixture::ReadFile(Home("renamed.spl")), before);
        }
    }
    EXPECT_EQ(fs::status(Home("renamed.spl")).permissions() & fs::perms::all, fs::perms::owner_read);
    fs::permissions(Home("renamed.spl"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_hard_link(Home("renamed.spl"), Home("other name.spl"));
    Client().SiteList()->modified = 1;
    prompts.answers = {IDOK};
    Run(CM_SITELIST_SAVE);
    EXPECT_TRUE(prompts.LastText().contains("hard links")) << prompts.LastText().toStdString();
    EXPECT_EQ(fs::hard_link_count(Home("renamed.spl")), 1u);
}

TEST_F(SiteListCommands, SiteEditorCancelRestoresTheListAndOkSetsTheFlagsOfWhatChanged) {
    int runs = 0;
    std::function<void(project&)> edit = [](project&) {};
    bool answer = false;
    InstalledDialogs().siteEditor = [&](QWidget*, project& list) {
        ++runs;
        edit(list);
        return answer;
    };
    OpenFile("two.spl", TwoSites());
    EXPECT_EQ(runs, 1); // posted after Open

    // Cancel: every change undone.
    edit = [](project& list) {
        list.CurrentSite()->latitude = 1;
        list.sites.Add(SiteInfo());
        list.modified = 1;
    };
    Client().Session().ClearChanges();
    Run(CM_SITES);
    EXPECT_EQ(Client().SiteList()->sites.Count(), 2);
    EXPECT_DOUBLE_EQ(Client().SiteList()->CurrentSite()->latitude, -33.5);
    EXPECT_EQ(Client().SiteList()->modified, 0);
    EXPECT_FALSE(Client().Changes().Any());

    // OK after moving the site and changing its offset: position and local-time flags.
    answer = true;
    edit = [](project& list) {
        list.CurrentSite()->latitude = -30;
        list.CurrentSite()->gmtOffset = 2;
    };
    Run(CM_SITES);
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kPosition | ChangeFlags::kGmtOffset);
    EXPECT_TRUE(Frame().GadgetText(0).contains(QString::fromUtf8("Lat: 30° 0' 0\"S")));

    // OK with every site deleted: no list remains.
    Run(CM_VIEW_DOP);
    edit = [](project& list) { list.sites.Clear(); };
    Run(CM_SITES);
    EXPECT_EQ(Client().SiteList(), nullptr);
    EXPECT_EQ(Client().OpenViewCount(), 0);
    EXPECT_EQ(Caption(), "Tavrin");
    EXPECT_FALSE(Frame().IsFullToolBar());
    EXPECT_TRUE(Frame().GadgetText(0).isEmpty());
}

TEST_F(SiteListCommands, ObstructionEditorWorksOnACopy) {
    bool answer = false;
    InstalledDialogs().obstructionEditor = [&](QWidget*, SiteInfo&, AList<Obstruction>& copy) {
        Obstruction o;
        o.Add(point<double>(10, 0));
        o.Add(point<double>(20, 30));
        o.Add(point<double>(10, 60));
        copy.Add(o);
        return answer;
    };
    OpenFile("two.spl", TwoSites());
    Client().Session().ClearChanges();
    Run(CM_OBSTRUCTIONS);
    EXPECT_EQ(Client().SiteList()->CurrentSite()->obstructions.Count(), 0);
    EXPECT_EQ(Client().SiteList()->modified, 0);
    EXPECT_FALSE(Client().Changes().Any());

    answer = true;
    Run(CM_OBSTRUCTIONS);
    EXPECT_EQ(Client().SiteList()->CurrentSite()->obstructions.Count(), 1);
    EXPECT_EQ(Client().SiteList()->modified, 1);
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kObstructions);
}

TEST_F(SiteListCommands, ViewsOpenOnceRecomputeWithTheFlagsAndFreeTheirSlots) {
    OpenFile("two.spl", TwoSites());
    Run(CM_VIEW_DOP);
    TBaseMDIChild* dop = Client().View(CM_VIEW_DOP);
    ASSERT_NE(dop, nullptr);
    EXPECT_FALSE(Client().Changes().Any()); // recomputed before the view was made
    EXPECT_GT(Client().Engine().intervalCount(), 0);
    EXPECT_EQ(dop->windowTitle(), "DOP Plot");
    for (int id : {CM_PRINT_GRAPH, CM_PRINT_TABLE, CM_CASCADE, CM_TILE, CM_CLOSE_ALL})
        EXPECT_TRUE(Enabled(id)) << id;

    Run(CM_VIEW_DOP); // only activated
    EXPECT_EQ(Client().View(CM_VIEW_DOP), dop);
    EXPECT_EQ(Client().subWindowList().size(), 1);

    // A change reaches the engine at the next recomputation, with its level.
    Client().Session().Touch(ChangeFlags::kTime);
    QCoreApplication::postEvent(&Client(), new RedrawEvent(CmRedrowAndPar(), nullptr));
    Drain();
    EXPECT_FALSE(Client().Changes().Any());

    // Closed by its own window: the slot is free and the command makes a new one.
    Client().subWindowList().first()->close();
    Drain();
    EXPECT_EQ(Client().View(CM_VIEW_DOP), nullptr);
    EXPECT_FALSE(Enabled(CM_CLOSE_ALL));
    Run(CM_VIEW_DOP);
    Run(CM_VIEW_SKY);
    Run(CM_VIEW_VISIBILITY);
    EXPECT_EQ(Client().OpenViewCount(), 3);
    Run(CM_CLOSE_ALL);
    EXPECT_EQ(Client().OpenViewCount(), 0);
    EXPECT_TRUE(Client().subWindowList().isEmpty());
}

TEST_F(SiteListCommands, ClosingAsksToSaveAndCancelKeepsTheProgramAndTheConfiguration) {
    OpenFile("two.spl", TwoSites());
    Client().SiteList()->modified = 1;
    Client().Options().cutOff[0] = '3';
    prompts.answers = {IDCANCEL};
    EXPECT_FALSE(Frame().close());
    EXPECT_EQ(Client().Configuration().cutOffAngle, 15); // not yet copied
    prompts.answers = {IDNO};
    ASSERT_TRUE(Exit());
    EXPECT_EQ(IntAt(ReadFile(ConfigPath()), 88), 35);
}

TEST_F(SiteListCommands, ListNamedAtStartIsOpen) {
    WriteFile(Home("start.spl"), TwoSites());
    app.reset();
    Start(QString::fromStdString(Home("start.spl")));
    ASSERT_NE(Client().SiteList(), nullptr);
    EXPECT_EQ(Caption(), "Tavrin - start.spl");
}

TEST_F(SiteListCommands, OpeningTellsOfSkippedEntriesAndOfSitesThatCannotBePlanned) {
    // An old list whose second entry names a slot past the end of the file.
    fixture::OldSite s;
    prompts.answers = {IDOK};
    OpenFile("gap.spl",
             fixture::OldFile({{"First", 0}, {"Gone", 7}, {"Third", 1}},
                              {fixture::OldRecord(s), fixture::OldRecord(s), fixture::OldRecord(s)}));
    ASSERT_EQ(Client().SiteList()->sites.Count(), 2);
    EXPECT_EQ(prompts.LastText(),
              "gap.spl: 1 site entries of the directory name no record in the file and were skipped.");
    EXPECT_EQ(prompts.boxes.back().caption, "Warning");

    // A new list with a site whose latitude is no number: opened, and the site named.
    prompts.answers = {IDOK};
    OpenFile("nan.spl", NewFile(0, {NewSite("Alpha", "", 10.5, 20.25, 100, 1.0f),
                                    NewSite("Broken", "", std::nan(""), 20.25, 100, 1.0f)}));
    ASSERT_EQ(Client().SiteList()->sites.Count(), 2);
    EXPECT_TRUE(prompts.LastText().contains("site 2 \"Broken\": latitude nan"))
        << prompts.LastText().toStdString();
    EXPECT_EQ(prompts.boxes.back().caption, "Warning");
}

// The title marks a list with unsaved changes until it is saved, and Alt with the underlined
// letter of each menu title opens that menu.
TEST_F(SiteListCommands, TheTitleMarksUnsavedChangesAndTheMenuTitlesTakeAltKeys) {
    InstalledDialogs().obstructionEditor = [](QWidget*, SiteInfo&, AList<Obstruction>& obstructions) {
        Obstruction o;
        o.Add(point<double>(0, 80));
        o.Add(point<double>(40, 100));
        o.Add(point<double>(0, 120));
        o.Add(point<double>(0, 80));
        obstructions.Add(o);
        return true;
    };
    OpenFile("two.spl", TwoSites());
    EXPECT_EQ(Caption(), "Tavrin - two.spl");
    Run(CM_OBSTRUCTIONS);
    EXPECT_EQ(Caption(), "Tavrin - two.spl*");
    Run(CM_SITELIST_SAVE);
    EXPECT_EQ(Caption(), "Tavrin - two.spl");

    QStringList keys;
    for (int i = 0; i < 5; ++i)
        keys << QKeySequence::mnemonic(Frame().Menu(i)->title()).toString();
    EXPECT_EQ(keys, (QStringList{"Alt+S", "Alt+V", "Alt+W", "Alt+T", "Alt+H"}));
}
