// The Satellite Configuration command of the program, and the start without a usable almanac that
// opens the dialog.
#include <QComboBox>
#include <QTest>

#include "app/app_fixture.h"
#include "dialogs/configdialog.h"
#include "ui/commands.h"
#include "ui/controls.h"

using namespace app_fixture;

namespace {

void Press(QWidget* dialog, int id) {
    auto* button = dialog->findChild<QAbstractButton*>(ControlName(id));
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

using SatelliteConfiguration = AppTest;

} // namespace

TEST_F(SatelliteConfiguration, StartWithoutAnAlmanacOpensTheDialogAndAnImportReachesTheViews) {
    // The "No files" report of the dialog, the import's summary, then the age question at OK (the
    // planning date is today, the almanac of August 2025).
    prompts.answers = {IDOK, IDOK, IDYES};
    prompts.files = {TAVRIN_SOURCE_DIR "/data/almanac-sources/YUMA223.alm"};
    bool opened = false;
    WhenModal([&opened](QWidget* dialog) {
        opened = dialog->objectName() == ControlName(kConfigDialogId);
        Press(dialog, kImportButtonId);
        Press(dialog, 1);
    });
    Start({}, true);
    EXPECT_TRUE(opened);
    ASSERT_EQ(prompts.boxes.size(), 3u) << prompts.LastText().toStdString();
    EXPECT_EQ(prompts.boxes[0].text.toStdString(), "No files  " + Home() + "alm*.*\n Or  all files bad");
    EXPECT_TRUE(prompts.boxes[1].text.startsWith(QString::fromStdString("Almanac written to " + Home())));
    EXPECT_EQ(prompts.boxes[2].style, MB_TASKMODAL | MB_ICONEXCLAMATION | MB_YESNO);

    EXPECT_EQ(Client().Engine().loadState(), kLoadOk);
    EXPECT_EQ(Client().Almanac().path, Home() + "alm25.225");
    EXPECT_EQ(Client().Engine().step(), 900); // s
    Run(CM_SITELIST_NEW);
    for (int id : {CM_VIEW_VISIBILITY, CM_VIEW_DOP, CM_VIEW_SKY})
        EXPECT_TRUE(Enabled(id)) << id;

    // The next start loads what was imported.
    ASSERT_TRUE(Exit());
    EXPECT_EQ(std::string(fixture::ReadFile(ConfigPath()).c_str() + 108), Home() + "alm25.225");
}

TEST_F(SatelliteConfiguration, CommandIsAlwaysThereOkKeepsTheSystemsAndCancelChangesNothing) {
    WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
    Start();
    EXPECT_TRUE(Enabled(CM_SAT_CONFIG));
    // A first start loads the bundled almanac: the dialog looks in its directory.
    EXPECT_EQ(Client().Session().directory(), BundledAlmanacs());

    Client().Session().ClearChanges();
    WhenModal([](QWidget* dialog) { Press(dialog, 2); });
    Client().Command(CM_SAT_CONFIG);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_FALSE(Client().Changes().Any());

    WhenModal([](QWidget* dialog) {
        dialog->findChild<QAbstractButton*>(ControlName(365))->click();
        Press(dialog, 1);
    });
    Client().Command(CM_SAT_CONFIG);
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kSatellites);
    EXPECT_FALSE(Client().Session().SystemOn(GnssSystem::Gps));
    for (int i = 0; i < kGpsSatellites; ++i)
        EXPECT_TRUE(Client().Engine().status(i) & StatusDisabled) << i;

    // The systems' states outlive the run.
    ASSERT_TRUE(Exit());
    EXPECT_EQ(IntAt(fixture::ReadFile(ConfigPath()), 100), 0);
}
