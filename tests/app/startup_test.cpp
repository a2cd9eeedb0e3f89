// Start-up and exit of the program: configuration, almanac choice, frame state, age warning.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/appsettings.h"
#include "app/commandtable.h"
#include "app_fixture.h"
#include "cli/http_server.h"
#include "dialogs/downloaddialog.h"
#include "engine/almanac_scan.h"
#include "ui/commands.h"

using namespace app_fixture;

namespace {

int Buttons(QToolBar* bar) {
    int n = 0;
    for (QAction* a : bar->actions())
        n += a->isSeparator() ? 0 : 1;
    return n;
}

int Separators(QToolBar* bar) {
    int n = 0;
    for (QAction* a : bar->actions())
        n += a->isSeparator() ? 1 : 0;
    return n;
}

} // namespace

using Startup = AppTest;

TEST_F(Startup, FirstStartTakesTheDefaultsAndTheBundledAlmanacAndWritesTheConfigurationAtExit) {
    const std::string almanac = BundledAlmanacs() + "alm00.051";
    WriteGpsAlmanac(almanac);
    ASSERT_FALSE(fs::exists(ConfigPath()));
    Start();
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.LastText().toStdString();

    const Calculator& calc = Client().Engine();
    EXPECT_EQ(calc.loadState(), kLoadOk);
    EXPECT_EQ(Client().Almanac().path, almanac);
    EXPECT_FALSE(Client().Almanac().missing);
    EXPECT_NEAR(calc.elevationMask(), 15 * 0.017453292519943295, 1e-6); // rad
    EXPECT_EQ(calc.mode(), 0);                                          // 3-D
    EXPECT_EQ(calc.step(), 900);                                        // s
    EXPECT_EQ(calc.obstructionsOn(), 1);
    EXPECT_TRUE(Client().Changes().Test(ChangeFlags::kCutOff | ChangeFlags::kMode | ChangeFlags::kAlmanac));

    EXPECT_EQ(Caption(), "Tavrin");
    EXPECT_EQ(Frame().GadgetText(3), "Obst");
    EXPECT_EQ(Frame().GadgetText(4), QString::fromUtf8("Cut: 15°"));
    EXPECT_TRUE(Frame().GadgetText(0).isEmpty());
    EXPECT_TRUE(Frame().Action(CM_TIME_BAR)->isChecked());

    ASSERT_TRUE(Exit());
    const std::string cfg = fixture::ReadFile(ConfigPath());
    ASSERT_EQ(cfg.size(), 632u);
    EXPECT_EQ(cfg.substr(0, 24), std::string("Project for \"Tavrin 32\"\0", 24));
    EXPECT_EQ(IntAt(cfg, 80), 1);  // 3-D
    EXPECT_EQ(IntAt(cfg, 84), 0);  // 15 min
    EXPECT_EQ(IntAt(cfg, 88), 15); // cut-off
    EXPECT_EQ(IntAt(cfg, 92), 1);  // obstructions
    EXPECT_EQ(IntAt(cfg, 96), 1);  // time bar
    EXPECT_EQ(IntAt(cfg, 100), 1);
    EXPECT_EQ(IntAt(cfg, 104), 1);
    EXPECT_EQ(std::string(cfg.c_str() + 108), almanac); // the next start loads it again
    EXPECT_EQ(IntAt(cfg, 628), 0);
}

TEST_F(Startup, NoAlmanacAnywhereIsReportedAndTheViewsStayDisabled) {
    prompts.answers = {IDOK};
    // The satellite configuration opens so that another almanac can be chosen; the user cancels.
    bool opened = false;
    WhenModal([&opened](QWidget* dialog) {
        opened = dialog->objectName() == ControlName(216);
        dialog->findChild<QAbstractButton*>(ControlName(2))->click();
    });
    Start();
    EXPECT_TRUE(opened);
    EXPECT_NE(Client().Engine().loadState(), kLoadOk);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].caption, "Error");
    EXPECT_EQ(prompts.boxes[0].text.toStdString(), "No files  " + Home() + "alm*.*\n Or  all files bad");
    EXPECT_EQ(prompts.boxes[0].style & MB_ICONS, MB_ICONEXCLAMATION);

    Run(CM_SITELIST_NEW);
    ASSERT_NE(Client().SiteList(), nullptr);
    for (int id : {CM_VIEW_VISIBILITY, CM_VIEW_DOP, CM_VIEW_SKY})
        EXPECT_FALSE(Enabled(id)) << id;
    Client().Command(CM_VIEW_DOP); // a stray command is refused as its menu item is
    EXPECT_EQ(Client().OpenViewCount(), 0);

    // Nothing was loaded: the configuration keeps pointing at the almanac directory.
    ASSERT_TRUE(Exit());
    const std::string cfg = fixture::ReadFile(ConfigPath());
    ASSERT_EQ(cfg.size(), 632u);
    EXPECT_EQ(DirectoryOf(cfg.c_str() + 108), Home());
}

TEST_F(Startup, AnAlmanacWithoutOneValidRecordCountsAsABadFile) {
    std::string random(3200, '\0');
    uint32_t x = 88172645u;
    for (char& c : random) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = static_cast<char>(x);
    }
    fixture::WriteFile(Home("alm25.100"), random);
    prompts.answers = {IDOK};
    // The satellite configuration opens with the bad file in its list; the user cancels.
    WhenModal([](QWidget* dialog) { dialog->findChild<QAbstractButton*>(ControlName(2))->click(); });
    Start();
    EXPECT_NE(Client().Engine().loadState(), kLoadOk); // the file was tried and refused
    // The dialog lists the file, so there is no "No files" report; leaving it without a usable
    // almanac asks for another one.
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text.toStdString(), "Change current almanac!");
}

TEST_F(Startup, ConfiguredAlmanacFirstWhenSoSetElseTheNewestOfItsDirectory) {
    const std::string dir = Home("almanacs/");
    fs::create_directories(dir);
    WriteGpsAlmanac(dir + "alm00.010");
    WriteGpsAlmanac(dir + "alm00.040");
    std::ofstream(dir + "alm00.090") << "not an almanac"; // the newest name, but unreadable
    WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
    ConfigBytes config;
    config.almanacPath = dir + "alm00.010";
    config.loadLastAlmanac = 1;
    fixture::WriteFile(ConfigPath(), config.Bytes());
    Start({}, false, dir + "alm00.010");
    EXPECT_EQ(Client().Almanac().path, dir + "alm00.010");
    app.reset();

    config.loadLastAlmanac = 0;
    fixture::WriteFile(ConfigPath(), config.Bytes());
    Start({}, false, dir + "alm00.040");
    EXPECT_EQ(Client().Almanac().path, dir + "alm00.040"); // the bad newer file was passed over
    EXPECT_EQ(Client().Engine().loadState(), kLoadOk);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(Startup, AlmanacFarFromThePlanningDateWarnsOnceAndOnlyThen) {
    WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
    prompts.answers = {IDNO};
    Start({}, true); // planned for today: the almanac is years old
    // A month or more away: the age and the file, and the offer to download current orbits.
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].caption, "Question");
    const QString offer = prompts.boxes[0].text;
    EXPECT_TRUE(offer.startsWith("The orbits of GPS are ") && offer.contains("alm00.051 of 2000-02-23") &&
                offer.endsWith("Download current orbits now?"))
        << offer.toStdString();
    EXPECT_EQ(prompts.boxes[0].style, MB_TASKMODAL | MB_ICONQUESTION | MB_YESNO);

    // The satellite dialog's question names the age too, adds "CONTINUE?" and passes the answer on.
    prompts.answers = {IDNO};
    EXPECT_EQ(ShowAlmanacAgeWarning(Client().Session(), 0x2034), IDNO);
    // The age counts from the almanac's week to today, whatever day the test runs.
    const qint64 days = QDate(2000, 2, 23).daysTo(QDateTime::currentDateTimeUtc().date());
    const QString said = prompts.LastText();
    EXPECT_TRUE(said.startsWith(QString("The orbits of GPS are %1 days").arg(days)) ||
                said.startsWith(QString("The orbits of GPS are %1 days").arg(days - 1)))
        << said.toStdString();
    EXPECT_TRUE(offer.startsWith(said.section(" days", 0, 0) + " days")) << offer.toStdString();
    EXPECT_TRUE(prompts.LastText().endsWith("CONTINUE?"));

    // Far ahead of the almanac's date: the other text. Near it: no box and Yes.
    PlanSession at = Client().Session();
    const PlanInterval current = IntervalOfAlmanac(BundledAlmanacs() + "alm00.051");
    PlanInterval before = current;
    before.beginYear = static_cast<int16_t>(before.beginYear - 1);
    at.SetInterval(before);
    prompts.answers = {IDOK};
    ShowAlmanacAgeWarning(at, 0x2030);
    EXPECT_EQ(prompts.LastText(), "WARNING!\nTHE ALMANAC FILE IS OVER 60 DAYS IN ADVANCE!\n");
    const size_t shown = prompts.boxes.size();
    at.SetInterval(current);
    EXPECT_EQ(ShowAlmanacAgeWarning(at, 0x2034), IDYES);
    EXPECT_EQ(prompts.boxes.size(), shown);
}

TEST_F(Startup, SettingsOfTheConfigurationReachTheEngineAndTheTimeBarToggleLasts) {
    WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
    ConfigBytes config;
    config.mode3D = 0;
    config.fiveMinuteStep = 1;
    config.cutOffAngle = 20;
    config.useObstructions = 0;
    config.gpsEnabled = 0;
    config.almanacPath = BundledAlmanacs();
    fixture::WriteFile(ConfigPath(), config.Bytes());
    Start();
    const Calculator& calc = Client().Engine();
    EXPECT_EQ(calc.mode(), 1);
    EXPECT_EQ(calc.step(), 300);
    EXPECT_NEAR(calc.elevationMask(), 20 * 0.017453292519943295, 1e-6);
    EXPECT_EQ(calc.obstructionsOn(), 0);
    EXPECT_EQ(Frame().GadgetText(3), "");
    for (int i = 0; i < kGpsSatellites; ++i)
        EXPECT_TRUE(calc.status(i) & StatusDisabled) << i;
    EXPECT_FALSE(Client().Session().SystemOn(GnssSystem::Gps));
    EXPECT_EQ(calc.status(40), StatusNoAlmanac); // GLONASS: no almanac in this file

    Run(CM_TIME_BAR);
    EXPECT_FALSE(Frame().Action(CM_TIME_BAR)->isChecked());
    ASSERT_TRUE(Exit());
    Start();
    EXPECT_FALSE(Frame().Action(CM_TIME_BAR)->isChecked());
    EXPECT_EQ(Client().Engine().step(), 300);
    Run(CM_TIME_BAR);
    EXPECT_TRUE(Frame().Action(CM_TIME_BAR)->isChecked());
}

TEST_F(Startup, ForeignConfigurationIsKeptAsideAndTheDefaultsUsed) {
    ConfigBytes config;
    config.signature = "project for \"tavrin 32\"";
    config.cutOffAngle = 40;
    const std::string foreign = config.Bytes() + "trailing bytes";
    fixture::WriteFile(ConfigPath(), foreign);
    prompts.answers = {IDOK, IDOK};
    WhenModal([](QWidget* dialog) { dialog->findChild<QAbstractButton*>(ControlName(2))->click(); });
    Start();
    EXPECT_NEAR(Client().Engine().elevationMask(), 15 * 0.017453292519943295, 1e-6);
    const std::string keptAs = ConfigPath() + ".bad";
    EXPECT_TRUE(std::any_of(prompts.boxes.begin(), prompts.boxes.end(), [&](const AskedBox& box) {
        return box.text.toStdString().find(keptAs) != std::string::npos;
    }));
    ASSERT_TRUE(Exit());
    EXPECT_EQ(fixture::ReadFile(keptAs), foreign);
    const std::string cfg = fixture::ReadFile(ConfigPath());
    ASSERT_EQ(cfg.size(), 632u);
    EXPECT_EQ(cfg.substr(0, 8), "Project ");
}

TEST_F(Startup, WithoutAListTheShortToolBarAndOnlyTheListFreeCommands) {
    WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
    Start();
    EXPECT_FALSE(Frame().IsFullToolBar());
    EXPECT_EQ(Buttons(Frame().ToolBar()), 4); // five gadgets with the separator
    EXPECT_EQ(Separators(Frame().ToolBar()), 1);
    for (int id :
         {CM_SITELIST_SAVE, CM_SITELIST_SAVEAS, CM_SITES, CM_OBSTRUCTIONS, CM_VIEW_VISIBILITY, CM_VIEW_DOP,
          CM_VIEW_SKY, CM_PRINT_GRAPH, CM_PRINT_TABLE, CM_CASCADE, CM_TILE, CM_ARRANGE_ICONS, CM_CLOSE_ALL})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {CM_SITELIST_NEW, CM_SITELIST_OPEN, CM_PRINT_SETUP, CM_EXIT, CM_SAT_CONFIG, CM_OPTIONS,
                   CM_TIME_BAR, CM_HELP_TOPICS, CM_ABOUT})
        EXPECT_TRUE(Enabled(id)) << id;

    Run(CM_SITELIST_NEW);
    EXPECT_TRUE(Frame().IsFullToolBar());
    EXPECT_EQ(Buttons(Frame().ToolBar()), 10);
    EXPECT_EQ(Separators(Frame().ToolBar()), 3);
    for (int id : {CM_SITELIST_SAVE, CM_SITELIST_SAVEAS, CM_VIEW_VISIBILITY, CM_VIEW_DOP, CM_VIEW_SKY})
        EXPECT_TRUE(Enabled(id)) << id;
    // No dialog for it yet: the command that would run one stays off.
    EXPECT_FALSE(Enabled(CM_SITES));

    // Every menu item shows its hint in the status bar and has a mnemonic.
    for (const CommandInfo& c : CommandTable()) {
        QAction* a = Frame().Action(c.id);
        EXPECT_EQ(a->statusTip().toStdString(), ResString(c.id)) << c.id;
        EXPECT_FALSE(a->statusTip().isEmpty()) << c.id;
        EXPECT_TRUE(a->text().contains('&')) << c.id;
    }
}

TEST_F(Startup, FrameTakesItsShareOfTheScreenCentred) {
    const QRect r = TDecMDIFrame::InitialGeometry(QSize(1024, 768));
    EXPECT_EQ(r, QRect((1024 - 900) / 2, (768 - 646) / 2, 36 * 25, 34 * 19));
    const QRect odd = TDecMDIFrame::InitialGeometry(QSize(1366, 700));
    EXPECT_EQ(odd.size(), QSize(36 * 34, 34 * 17)); // integer division by 40 first
}

// Yes to the offer: the download dialog fetches the date's orbits, and they are planned.
TEST_F(Startup, TheDownloadOfferedForOldOrbitsIsPlannedFrom) {
    HttpServer server;
    std::ifstream yuma(TAVRIN_SOURCE_DIR "/tests/data/almanacs/current_2022-02-01.alm", std::ios::binary);
    server.Set("/current.alm", {{200, std::string(std::istreambuf_iterator<char>(yuma), {})}});
    std::ofstream(Home("orbit-sources.txt")) << "gps-yuma " << server.Base() << "/current.alm\n";
    WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
    prompts.answers = {IDYES};
    // The dialog, modal, is driven as a user would: Download, then Close once it is done.
    QTimer driver;
    driver.callOnTimeout([&] {
        auto* d = dynamic_cast<DownloadDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        if (d->Report().items.empty() && !d->Running())
            QTest::mouseClick(d->findChild<QPushButton*>(ControlName(kDownloadStartId)), Qt::LeftButton);
        else if (!d->Running())
            d->reject();
    });
    driver.start(20);
    Start({}, true);
    for (int k = 0; k < 500 && Client().Session().almanac().path.find("alm22.32") == std::string::npos; ++k) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(Client().Session().almanac().path, Home("almanacs/alm22.32"));
    EXPECT_EQ(server.Hits("/current.alm"), 1);
    ASSERT_TRUE(Exit());

    // Downloading at start, as the options may ask: the dialog starts by itself and closes when
    // everything arrived; the orbits, still years old, are then offered to download again.
    OpenAppSettings()->setValue("orbits/fetchAtStart", true);
    prompts.boxes.clear();
    prompts.answers = {IDNO};
    driver.stop();
    Start({}, true);
    for (int k = 0; k < 500 && server.Hits("/current.alm") < 2; ++k) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(server.Hits("/current.alm"), 2);
    EXPECT_EQ(prompts.boxes.size(), 1u);
}
