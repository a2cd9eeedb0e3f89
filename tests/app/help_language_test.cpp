// Help topics by context and F1, and a language file replacing the program's texts.
#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>

#include "app/commandtable.h"
#include "app_fixture.h"
#include "ui/commands.h"

using namespace app_fixture;

TEST(Help, EveryContextOfTheProgramHasItsOwnPageAndAnUnknownOneTheGeneralTopic) {
    std::vector<int> contexts;
    for (const CommandInfo& c : CommandTable())
        contexts.push_back(c.helpId);
    // Dialogs and views.
    for (int id : {10200, 10300, 10035, 10057, 10065, 10069, 10012, 10013, 10014})
        contexts.push_back(id);
    for (int id : contexts) {
        const QString page = HelpPageFor(id);
        EXPECT_NE(page.toStdString(), HelpPageFor(kHelpDefaultContext).toStdString()) << id;
        QFile f(page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << page.toStdString();
        EXPECT_TRUE(f.readAll().contains("<h1>")) << id;
    }
    EXPECT_EQ(HelpPageFor(4711).toStdString(), ":/help/12003.html");
    EXPECT_EQ(HelpPageFor(0).toStdString(), ":/help/12003.html");
    EXPECT_EQ(HelpPageFor(kHelpContentsContext).toStdString(), ":/help/contents.html");

    ShowHelpContext(nullptr, 4711);
    EXPECT_EQ(ShownHelpContext(), 12003);
    ShowHelpContext(nullptr, 10002);
    EXPECT_EQ(ShownHelpContext(), 10002);
    ShowHelpContents(nullptr);
    EXPECT_EQ(ShownHelpContext(), kHelpContentsContext);
    CloseHelpWindow();
    EXPECT_EQ(ShownHelpContext(), 0);
}

TEST(Help, ContentsLinksEveryPage) {
    QFile f(":/help/contents.html");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray contents = f.readAll();
    QDir dir(":/help");
    int pages = 0;
    for (const QString& name : dir.entryList({"*.html"})) {
        if (name == "contents.html")
            continue;
        ++pages;
        EXPECT_TRUE(contents.contains(("href=\"" + name + "\"").toUtf8())) << name.toStdString();
    }
    EXPECT_GT(pages, 25);
}

using HelpKey = AppTest;

TEST_F(HelpKey, F1ShowsTheTopicOfTheHighlightedMenuItemOrOfTheFocusedDialog) {
    WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
    Start();
    QMenu* siteList = Frame().Menu(0);
    siteList->popup(QPoint(10, 10));
    siteList->setActiveAction(Frame().Action(CM_SITELIST_OPEN));
    QTest::keyClick(siteList, Qt::Key_F1);
    EXPECT_EQ(ShownHelpContext(), 10002);
    siteList->hide();

    WhenModal([](QWidget* dialog) {
        QWidget* edit = dialog->findChild<QWidget*>(ControlName(164));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_F1);
        EXPECT_EQ(ShownHelpContext(), 10200);
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(ControlName(9)), Qt::LeftButton);
        EXPECT_EQ(ShownHelpContext(), 10200);
        // A window of the modal dialog's own, so that its modality does not block it.
        QWidget* help = dialog->findChild<QWidget*>("helpWindow");
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isWindow() && help->isVisible());
        static_cast<QDialog*>(dialog)->reject();
    });
    Run(CM_OPTIONS);

    // Nothing with a topic of its own: the general one.
    Client().setFocus();
    QTest::keyClick(&Client(), Qt::Key_F1);
    EXPECT_EQ(ShownHelpContext(), 12003);
    Run(CM_HELP_TOPICS);
    EXPECT_EQ(ShownHelpContext(), kHelpContentsContext);
}

using Language = AppTest;

TEST_F(Language, LanguageFileOverridesAMenuTextAndAMessageAndTheRestStaysTheProgramsOwn) {
    std::ofstream(Home("ORVANTLANG.lng")) << "# test translation\n"
                                          << "40010\t&Neue Liste...\n"
                                          << "2011\tFalsches Dateiformat!\n"
                                          << "2019\tFehler\n";
    prompts.answers = {IDOK}; // no almanac: the report, then the satellite configuration, cancelled
    WhenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    Start();
    EXPECT_EQ(Frame().Action(CM_SITELIST_NEW)->text(), "&Neue Liste...");
    EXPECT_EQ(Frame().Action(CM_SITELIST_OPEN)->text(), "&Open...");
    EXPECT_EQ(prompts.boxes.at(0).caption, "Fehler");

    fixture::WriteFile(Home("bad.spl"), "garbage");
    prompts.files = {QString::fromStdString(Home("bad.spl"))};
    prompts.answers = {IDOK};
    Run(CM_SITELIST_OPEN);
    EXPECT_EQ(prompts.LastText(), "Falsches Dateiformat!");
    EXPECT_EQ(prompts.boxes.back().caption, "Fehler");

    // The failed save keeps the program's own texts.
    Run(CM_SITELIST_NEW);
    Client().SiteList()->path = Home("no/such/dir/x.spl");
    prompts.answers = {IDOK};
    Run(CM_SITELIST_SAVE);
    EXPECT_TRUE(prompts.LastText().startsWith("Write to disk failed !\n"))
        << prompts.LastText().toStdString();
    EXPECT_EQ(prompts.boxes.back().caption, "Error");
}
