// The satellite configuration dialog on its own: a host with an engine and the working records,
// almanac files written byte by byte, message boxes and file dialogs answered by a script.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "cli/http_server.h"
#include "dialogs/configdialog.h"
#include "dialogs/configdialoghost.h"
#include "dialogs/downloaddialog.h"
#include "dialogs/satellitemarker.h"
#include "engine/almanac_fixture.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/dates.h"
#include "ui/help.h"
#include "ui/scripted_prompts.h"

namespace {

namespace fs = std::filesystem;
using almanac_fixture::Bytes;

class TestHost : public ConfigDialogHost {
public:
    PlanSession session;
    std::vector<unsigned> ageStyles; // every age check asked for
    int ageAnswer = IDYES;

    PlanSession& Session() override { return session; }
    int AlmanacAgeWarning(const PlanSession&, unsigned style) override {
        ageStyles.push_back(style);
        return ageAnswer;
    }
    const Calculator& calc() const { return session.engine(); }
};

// GPS week 1050 (from Sunday 20 February 2000) and toa 319488 s of the fixture records.
const PlanInterval kAlmanacDay(23, 2, 2000, 0, 0, 24, 0);
const PlanInterval kNavigationDay(1, 1, 2022, 8, 0, 16, 0);

// What the Orbits line of `system` says.
std::string OrbitsLine(QWidget* d, int system);

// A full almanac with GPS PRN 3 and GLONASS slot 2 unhealthy, GPS PRN 30 and GLONASS slot 20 absent.
Bytes MixedAlmanac() {
    Bytes b = almanac_fixture::FullAlmanac();
    almanac_fixture::GpsFields g;
    g.healthFlag = 1;
    almanac_fixture::PutGps(b, 0, 2, g);
    almanac_fixture::GlonassFields r;
    r.healthFlag = 0;
    almanac_fixture::PutGlonass(b, 2240, 1, r);
    almanac_fixture::PutGps(b, 0, 29, almanac_fixture::GpsFields{.sqrtA = 100});
    almanac_fixture::PutGlonass(b, 2240, 19, almanac_fixture::GlonassFields{.n = 0});
    return b;
}

Bytes GpsOnly() {
    Bytes b = almanac_fixture::FullAlmanac();
    b.b.resize(2240);
    return b;
}

template <typename T> T* Control(QWidget* dialog, int id) {
    T* c = dialog->findChild<T*>(ControlName(id));
    EXPECT_NE(c, nullptr) << id;
    return c;
}

Qt::CheckState Box(QWidget* d, int id) {
    return Control<QCheckBox>(d, id)->checkState();
}

void Press(QWidget* d, int id) {
    QTest::mouseClick(Control<QAbstractButton>(d, id), Qt::LeftButton);
}

// A check box clicked (on its indicator or text).
void Click(QWidget* d, int id) {
    Control<QAbstractButton>(d, id)->click();
}

// Chooses entry `index` of the almanac list as the user does.
void Choose(QWidget* d, int index) {
    QComboBox* list = Control<QComboBox>(d, 161);
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// A file dialog that answers with `chosen`.
struct ChosenFiles : ScriptedPrompts {
    QStringList chosen;
    bool OpenFileNames(QWidget*, const FileRequest& r, QStringList& paths) override {
        fileRequests.push_back(r);
        paths = chosen;
        return true;
    }
};

class ConfigDialogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    TestHost host;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        host.session.SetInterval(kAlmanacDay);
        host.session.SetDirectory(Dir());
    }
    void TearDown() override { CloseHelpWindow(); }

    std::string Dir() const { return dir.path().toStdString() + "/"; }
    std::string Write(const std::string& name, const Bytes& bytes) const {
        const std::string path = Dir() + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.b.data()),
                   static_cast<std::streamsize>(bytes.b.size()));
        return path;
    }
    // The program's state after it loaded `name` at start-up.
    void Loaded(const std::string& name) {
        host.session.LoadAlmanac(Dir() + name);
        host.session.ClearChanges();
    }
    // The mixed almanac of 2000 loaded, the planning date 2022-01-01, and the file dialog set to
    // answer with the station's navigation files of `systems` ("GN", "RN", "EN", "CN") of that day.
    void NavigationDay(ChosenFiles& files, std::initializer_list<const char*> systems) {
        Write("alm00.051", MixedAlmanac());
        Loaded("alm00.051");
        host.session.SetInterval(kNavigationDay);
        const std::string data = TAVRIN_SOURCE_DIR "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_";
        for (const char* s : systems)
            files.chosen.push_back(QString::fromStdString(data + s + ".rnx"));
    }
};

std::string OrbitsLine(QWidget* d, int system) {
    return Control<QLabel>(d, kSourceTextIds + system)->text().toStdString();
}

} // namespace

TEST_F(ConfigDialogTest, GpsOnlyAlmanacDisablesGlonassAndSelectingAFullOneBringsItBack) {
    Write("alm00.051", GpsOnly());
    Write("alm00.040", MixedAlmanac());
    Loaded("alm00.051");
    ConfigDialog d(nullptr, host);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(d.windowTitle(), "SATELLITE CONFIGURATION");
    QComboBox* list = Control<QComboBox>(&d, 161);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), "alm00.051"); // newest first
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(Control<QLabel>(&d, 645)->text().toStdString(), Dir());
    EXPECT_EQ(Control<QLabel>(&d, kAlmanacDateId)->text(),
              "Almanac date " + ScreenDate(2000, 2, 23) + ", age 0 d at the planning date");

    EXPECT_EQ(Box(&d, 365), Qt::Checked);
    EXPECT_FALSE(Control<QCheckBox>(&d, 366)->isEnabled());
    EXPECT_EQ(Box(&d, 366), Qt::Unchecked);
    for (int id = 205; id <= 228; ++id) {
        EXPECT_EQ(Box(&d, id), Qt::PartiallyChecked) << id;
        EXPECT_FALSE(Control<QCheckBox>(&d, id)->isEnabled()) << id;
    }
    EXPECT_EQ(Box(&d, 173), Qt::Checked);
    EXPECT_EQ(HelpContextFor(Control<QCheckBox>(&d, 190)), kConfigHelpContext);

    // The other file is loaded at once: GLONASS back, unhealthy ones off and marked, absent ones grey.
    Choose(&d, 1);
    EXPECT_EQ(OrbitsLine(&d, 0), "planned from the almanac alm00.040");
    EXPECT_EQ(host.calc().almanacFileName(), Dir() + "alm00.051"); // until OK
    EXPECT_TRUE(Control<QCheckBox>(&d, 366)->isEnabled());
    EXPECT_EQ(Box(&d, 366), Qt::Checked);
    EXPECT_EQ(Box(&d, 205), Qt::Checked);
    EXPECT_EQ(Box(&d, 206), Qt::Unchecked); // slot 2 unhealthy
    EXPECT_EQ(Box(&d, 175), Qt::Unchecked); // PRN 3 unhealthy
    EXPECT_EQ(Box(&d, 202), Qt::PartiallyChecked);
    EXPECT_FALSE(Control<QCheckBox>(&d, 202)->isEnabled());
    EXPECT_EQ(Box(&d, 224), Qt::PartiallyChecked);
    EXPECT_TRUE(Control<TSatelliteMarker>(&d, 1002)->Marked());
    EXPECT_TRUE(Control<TSatelliteMarker>(&d, 1033)->Marked());
    EXPECT_FALSE(Control<TSatelliteMarker>(&d, 1000)->Marked());
    EXPECT_FALSE(Control<TSatelliteMarker>(&d, 1029)->Marked());
    EXPECT_EQ(Control<QLabel>(&d, kAlmanacDateId)->text(),
              "Almanac date " + ScreenDate(2000, 2, 23) + ", age 0 d at the planning date");
    d.reject();
}

TEST_F(ConfigDialogTest, SystemBoxOffThenOnKeepsUnhealthyOffUntilAllOnAndOkKeepsTheChoice) {
    Write("alm00.051", MixedAlmanac());
    Loaded("alm00.051");
    ConfigDialog d(nullptr, host);
    d.show();
    EXPECT_EQ(Box(&d, 175), Qt::Unchecked); // PRN 3 starts off: unhealthy
    EXPECT_EQ(Box(&d, 174), Qt::Checked);

    Click(&d, 365); // GPS off
    for (int id = 173; id <= 204; ++id)
        EXPECT_EQ(Box(&d, id), id == 202 ? Qt::PartiallyChecked : Qt::Unchecked) << id;
    Press(&d, 357); // All SVs On does nothing while the system is off
    EXPECT_EQ(Box(&d, 174), Qt::Unchecked);
    Click(&d, 174); // nor can a box be checked
    EXPECT_EQ(Box(&d, 174), Qt::Unchecked);

    Click(&d, 365); // GPS on: all but the unhealthy one
    EXPECT_EQ(Box(&d, 174), Qt::Checked);
    EXPECT_EQ(Box(&d, 175), Qt::Unchecked);
    EXPECT_EQ(Box(&d, 202), Qt::PartiallyChecked);
    Press(&d, 357);
    EXPECT_EQ(Box(&d, 175), Qt::Checked);
    EXPECT_EQ(Box(&d, 202), Qt::PartiallyChecked);

    Press(&d, 360); // GLONASS All SVs Off, then one back on by hand
    for (int id = 205; id <= 228; ++id)
        EXPECT_EQ(Box(&d, id), id == 224 ? Qt::PartiallyChecked : Qt::Unchecked) << id;
    Click(&d, 210);
    EXPECT_EQ(Box(&d, 210), Qt::Checked);

    Press(&d, 1);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(host.session.changes().Bits(), ChangeFlags::kSatellites); // the same almanac: no reload flag
    EXPECT_TRUE(host.ageStyles.empty());
    EXPECT_EQ(host.calc().status(2), StatusUnhealthy); // switched on although unhealthy
    EXPECT_EQ(host.calc().status(1), 0);
    EXPECT_EQ(host.calc().status(29), StatusNoAlmanac);
    EXPECT_EQ(host.calc().status(32), StatusDisabled);
    EXPECT_EQ(host.calc().status(37), 0);
    EXPECT_TRUE(host.session.SystemOn(GnssSystem::Gps));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ConfigDialogTest, CancelAfterSelectingAnotherAlmanacReloadsThePreviousOneAndItsSelection) {
    Write("alm00.051", MixedAlmanac());
    Write("alm00.040", GpsOnly());
    Loaded("alm00.040");
    host.session.SetSatelliteOn(4, false); // the user had switched PRN 5 off
    host.session.ClearChanges();
    ConfigDialog d(nullptr, host);
    EXPECT_EQ(Control<QComboBox>(&d, 161)->currentIndex(), 1);
    EXPECT_EQ(Box(&d, 177), Qt::Unchecked);
    Choose(&d, 0);
    EXPECT_EQ(OrbitsLine(&d, 0), "planned from the almanac alm00.051");
    EXPECT_EQ(Box(&d, 177), Qt::Checked); // a fresh almanac: everything usable on

    Press(&d, 2);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(host.calc().almanacFileName(), Dir() + "alm00.040");
    EXPECT_EQ(host.calc().status(4), StatusDisabled);
    EXPECT_EQ(host.calc().status(3), 0);
    EXPECT_EQ(host.calc().status(40), StatusNoAlmanac);
    EXPECT_FALSE(host.session.changes().Any()); // Cancel changes nothing
    EXPECT_EQ(host.session.almanac().path, Dir() + "alm00.040");
    EXPECT_TRUE(prompts.boxes.empty());

    // A reselection of the same almanac resets its boxes, and Cancel drops that too.
    ConfigDialog again(nullptr, host);
    Choose(&again, 1);
    EXPECT_EQ(Box(&again, 177), Qt::Checked);
    again.reject();
    EXPECT_EQ(host.calc().status(4), StatusDisabled);
    EXPECT_FALSE(host.session.changes().Any());
}

TEST_F(ConfigDialogTest, OnlyANewCreationTimeCountsAsAnotherAlmanac) {
    const std::string path = Write("alm00.051", almanac_fixture::FullAlmanac());
    Loaded("alm00.051");

    // Rewritten in place (the same file): not reloaded, even though PRN 7 is now unhealthy in it.
    {
        Bytes b = almanac_fixture::FullAlmanac();
        almanac_fixture::PutGps(b, 0, 6, almanac_fixture::GpsFields{.healthFlag = 1});
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.write(reinterpret_cast<const char*>(b.b.data()), 3200);
    }
    {
        ConfigDialog d(nullptr, host);
        EXPECT_TRUE(prompts.boxes.empty());
        EXPECT_EQ(host.calc().status(6), 0);
        EXPECT_FALSE(host.session.changes().Any());
        d.reject();
        EXPECT_FALSE(host.session.changes().Any());
    }

    // Replaced by a new file under the same name: reloaded, said so, every usable satellite on.
    host.session.SetSystemOn(GnssSystem::Gps, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    fs::remove(path);
    Bytes b = almanac_fixture::FullAlmanac();
    almanac_fixture::PutGps(b, 0, 6, almanac_fixture::GpsFields{.healthFlag = 1});
    Write("alm00.051", b);
    prompts.answers = {IDOK};
    ConfigDialog d(nullptr, host);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "Change current almanac!");
    EXPECT_EQ(prompts.boxes[0].caption, "Warning");
    EXPECT_EQ(prompts.boxes[0].style & MB_ICONS, MB_ICONEXCLAMATION);
    EXPECT_EQ(host.ageStyles, std::vector<unsigned>{MB_TASKMODAL | MB_ICONEXCLAMATION | MB_OK});
    EXPECT_TRUE(host.session.changes().Test(ChangeFlags::kAlmanac));
    EXPECT_EQ(host.calc().status(6), StatusDisabled | StatusUnhealthy);
    EXPECT_EQ(Box(&d, 365), Qt::Checked);
    EXPECT_EQ(Box(&d, 173), Qt::Checked);
    EXPECT_EQ(Box(&d, 179), Qt::Unchecked);

    // OK now, without a change: nothing more to recompute.
    host.session.ClearChanges();
    d.accept();
    EXPECT_FALSE(host.session.changes().Any());
}

TEST_F(ConfigDialogTest, EmptyDirectoryIsReportedAndOkAsksForAnAlmanac) {
    prompts.answers = {IDOK, IDOK};
    ConfigDialog d(nullptr, host);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text.toStdString(), "No files  " + Dir() + "alm*.*\n Or  all files bad");
    EXPECT_EQ(prompts.boxes[0].caption, "Error");
    EXPECT_NE(host.calc().loadState(), kLoadOk);
    EXPECT_EQ(Control<QComboBox>(&d, 161)->count(), 0);
    EXPECT_EQ(Control<QLabel>(&d, kAlmanacDateId)->text(), "No almanac loaded");
    EXPECT_FALSE(Control<QCheckBox>(&d, 365)->isEnabled());

    d.show();
    Press(&d, 1);
    ASSERT_EQ(prompts.boxes.size(), 2u);
    EXPECT_EQ(prompts.boxes[1].text, "No almanac has been selected!");
    EXPECT_EQ(prompts.boxes[1].caption, "Error");
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(host.session.changes().Test(ChangeFlags::kSatellites));
    Press(&d, 2);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(prompts.boxes.size(), 2u);
}

TEST_F(ConfigDialogTest, ChangeDirKeepsTheOldDirectoryWhenTheNewOneHoldsNoAlmanac) {
    Write("alm00.051", MixedAlmanac());
    Loaded("alm00.051");
    QTemporaryDir other, empty;
    const std::string otherDir = other.path().toStdString() + "/";
    std::ofstream(empty.path().toStdString() + "/readme.txt") << "no almanac here";
    {
        Bytes b = GpsOnly();
        std::ofstream(otherDir + "alm01.100", std::ios::binary)
            .write(reinterpret_cast<const char*>(b.b.data()), 2240);
        std::ofstream(otherDir + "alm01.200", std::ios::binary)
            .write(reinterpret_cast<const char*>(b.b.data()), 2240);
    }
    ConfigDialog d(nullptr, host);
    prompts.files = {empty.path() + "/readme.txt", QString::fromStdString(otherDir + "alm01.100")};
    prompts.answers = {IDOK};
    Press(&d, 662);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text.toStdString(),
              "No files  " + empty.path().toStdString() + "/alm*.*\n Or  all files bad");
    EXPECT_EQ(prompts.fileRequests[0].title, "Change Almanac Directory");
    EXPECT_EQ(prompts.fileRequests[0].filter, "ALMANAC Files (ALM*.*)|alm*.*|");
    EXPECT_EQ(Control<QLabel>(&d, 645)->text().toStdString(), Dir());
    EXPECT_EQ(host.calc().almanacFileName(), Dir() + "alm00.051");

    Press(&d, 662);
    QComboBox* list = Control<QComboBox>(&d, 161);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentText(), "alm01.100"); // the file chosen, not the newest
    EXPECT_EQ(Control<QLabel>(&d, 645)->text().toStdString(), otherDir);
    EXPECT_EQ(OrbitsLine(&d, 0), "planned from the almanac alm01.100");
    EXPECT_FALSE(Control<QCheckBox>(&d, 366)->isEnabled());

    // OK asks the age question with Yes/No; No keeps the dialog open, Yes records the new almanac.
    d.show();
    host.ageAnswer = IDNO;
    Press(&d, 1);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(host.session.almanac().path, Dir() + "alm00.051");
    host.ageAnswer = IDYES;
    Press(&d, 1);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(host.ageStyles.back(), MB_TASKMODAL | MB_ICONEXCLAMATION | MB_YESNO);
    EXPECT_EQ(host.session.almanac().path, otherDir + "alm01.100");
    EXPECT_EQ(host.session.changes().Bits(), ChangeFlags::kAlmanac | ChangeFlags::kSatellites);
    EXPECT_EQ(host.session.directory(), otherDir);
    EXPECT_TRUE(host.session.SystemOn(GnssSystem::Glonass)); // greyed out, not switched off
}

TEST_F(ConfigDialogTest, OkRefusesASelectedFileThatDoesNotLoad) {
    Write("alm00.051", MixedAlmanac());
    const std::string gone = Write("alm00.040", GpsOnly());
    Loaded("alm00.051");
    ConfigDialog d(nullptr, host);
    fs::remove(gone);
    Choose(&d, 1);
    EXPECT_EQ(Control<QLabel>(&d, kAlmanacDateId)->text(), "No almanac loaded");
    d.show();
    prompts.answers = {IDOK, IDOK};
    Press(&d, 1);
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text.toStdString(), "No file  " + gone + "\n Or bad file");

    // Cancel goes back to the almanac that loads.
    Press(&d, 2);
    EXPECT_EQ(host.calc().loadState(), kLoadOk);
    EXPECT_EQ(host.calc().almanacFileName(), Dir() + "alm00.051");
    EXPECT_EQ(prompts.boxes.size(), 1u);
}

TEST_F(ConfigDialogTest, ImportWritesIntoTheDirectoryAndSelectsTheNewFile) {
    Write("alm00.051", MixedAlmanac());
    Loaded("alm00.051");
    ConfigDialog d(nullptr, host);
    const std::string sources = TAVRIN_SOURCE_DIR "/data/almanac-sources/";

    // A file that is no almanac: the importer's own words, nothing written.
    QTemporaryDir in;
    const std::string notes = in.path().toStdString() + "/notes.txt";
    std::ofstream(notes) << "shopping list\n";
    prompts.files = {QString::fromStdString(notes)};
    prompts.answers = {IDOK};
    Press(&d, kImportButtonId);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].caption, "Error");
    EXPECT_TRUE(prompts.boxes[0].text.startsWith(QString::fromStdString(notes + ": not a YUMA")))
        << prompts.boxes[0].text.toStdString();
    EXPECT_EQ(Control<QComboBox>(&d, 161)->count(), 1);

    prompts.files = {QString::fromStdString(sources + "YUMA223.alm")};
    prompts.answers = {IDOK};
    Press(&d, kImportButtonId);
    ASSERT_EQ(prompts.boxes.size(), 2u);
    EXPECT_EQ(prompts.boxes[1].caption, "Information");
    const std::string written = Dir() + "alm25.225";
    EXPECT_TRUE(
        prompts.boxes[1].text.startsWith(QString::fromStdString("Almanac written to " + written + "\nGPS: ")))
        << prompts.boxes[1].text.toStdString();
    ASSERT_TRUE(fs::exists(written));
    QComboBox* list = Control<QComboBox>(&d, 161);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentText(), "alm25.225");
    EXPECT_EQ(OrbitsLine(&d, 0), "planned from the almanac alm25.225");
    EXPECT_TRUE(Control<QLabel>(&d, kAlmanacDateId)
                    ->text()
                    .startsWith("Almanac date " + ScreenDate(2025, 8, 13) + ","));
    EXPECT_FALSE(Control<QCheckBox>(&d, 366)->isEnabled()); // a GPS almanac
}

TEST_F(ConfigDialogTest, ImportOfAGpsAndAGlonassFileTogetherGivesOneAlmanacOfBoth) {
    ChosenFiles twoFiles; // two files at once
    const std::string sources = TAVRIN_SOURCE_DIR "/data/almanac-sources/";
    twoFiles.chosen = {QString::fromStdString(sources + "YUMA223.alm"),
                       QString::fromStdString(sources + "MCCJ_180913.agl")};
    twoFiles.answers = {IDOK, IDOK}; // the empty directory, then the import's summary
    ConfigDialog d(nullptr, host);
    Press(&d, kImportButtonId);
    ASSERT_EQ(twoFiles.boxes.size(), 2u);
    EXPECT_TRUE(twoFiles.boxes[1].text.contains("\nGLONASS: ")) << twoFiles.boxes[1].text.toStdString();
    EXPECT_EQ(twoFiles.fileRequests[0].title, "Import Published Almanacs");
    EXPECT_EQ(Control<QComboBox>(&d, 161)->currentText(), "alm25.225");
    EXPECT_EQ(Box(&d, 366), Qt::Checked);
    EXPECT_TRUE(Control<QCheckBox>(&d, 366)->isEnabled());
    EXPECT_EQ(Box(&d, 365), Qt::Checked);
}

TEST_F(ConfigDialogTest, EveryAlmanacOfTheDirectoryIsListed) {
    Bytes glonassOnly = almanac_fixture::FullAlmanac();
    glonassOnly.b.erase(glonassOnly.b.begin(), glonassOnly.b.begin() + 2240);
    for (int day = 1; day <= 40; ++day)
        Write("alm01." + std::to_string(day), glonassOnly);
    Loaded("alm01.40");
    ConfigDialog d(nullptr, host);
    QComboBox* list = Control<QComboBox>(&d, 161);
    ASSERT_EQ(list->count(), 40);
    EXPECT_EQ(list->itemText(0), "alm01.40");
    EXPECT_EQ(list->itemText(39), "alm01.1");
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_FALSE(Control<QCheckBox>(&d, 365)->isEnabled());
    // Day 100 of the four-year period nearest the planning date: 9 April 2000, after that date.
    EXPECT_EQ(Control<QLabel>(&d, kAlmanacDateId)->text(),
              "Almanac date " + ScreenDate(2000, 4, 9) +
                  ", 46 d after the planning date: dated in the future");
    d.accept();
    EXPECT_EQ(host.session.almanac().path, Dir() + "alm01.40");
}

TEST_F(ConfigDialogTest, NavigationFilesFillTheLaterSystemsPagesAndOkAppliesTheirBoxes) {
    ChosenFiles four;
    NavigationDay(four, {"GN", "RN", "EN", "CN"});
    four.answers = {IDOK}; // the BeiDou file's note on its angles
    ConfigDialog d(nullptr, host);
    d.show();
    // Before: no orbit for the later systems, their system boxes off and greyed.
    EXPECT_FALSE(Control<QCheckBox>(&d, 47730)->isEnabled());
    EXPECT_EQ(Box(&d, 47731 + 10), Qt::PartiallyChecked); // E11

    Press(&d, kNavigationButtonId);
    EXPECT_EQ(four.fileRequests.back().title, "Add RINEX Navigation Files");
    EXPECT_EQ(four.fileRequests.back().directory.toStdString(), Dir()); // where the almanacs are
    EXPECT_TRUE(four.LastText().contains("semicircles")) << four.LastText().toStdString();
    EXPECT_TRUE(Control<QCheckBox>(&d, 47730)->isEnabled());
    EXPECT_EQ(Box(&d, 47730), Qt::Checked);
    EXPECT_EQ(Box(&d, 47731 + 10), Qt::Checked);                                 // E11 in the files
    EXPECT_EQ(Box(&d, 47731 + 0), Qt::Checked);                                  // E01 too
    EXPECT_EQ(Box(&d, 47731 + 5), Qt::PartiallyChecked);                         // E06 is not
    EXPECT_EQ(Box(&d, 47806 + 19), Qt::Checked);                                 // C20
    EXPECT_FALSE(Control<QCheckBox>(&d, 47934)->isEnabled());                    // no QZSS in the files
    EXPECT_EQ(OrbitsLine(&d, 0).substr(0, 29), "planned from navigation files"); // nearer 2022
    EXPECT_EQ(Box(&d, 173 + 2), Qt::Checked);           // G03 healthy in the files, off in the almanac
    EXPECT_EQ(Box(&d, 173 + 10), Qt::PartiallyChecked); // G11 not in the files

    if (const char* shots = std::getenv("TAVRIN_SCREENSHOTS")) {
        Control<QTabWidget>(&d, kLaterSystemsId)->setCurrentIndex(1);
        d.grab().save(QString::fromUtf8(shots) + "/configdialog.png");
    }

    Click(&d, 47731 + 10); // E11 off
    Press(&d, 1);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const int e11 = SatelliteCatalogue::Index({GnssSystem::Galileo, 11});
    EXPECT_EQ(host.calc().status(e11) & StatusDisabled, StatusDisabled);
    EXPECT_EQ(host.calc().status(e11 - 10), 0); // E01 on
}

// Which source each system is planned from is shown, GPS's can be changed, and Cancel puts the
// files and the choice back as they were; Remove forgets the files.
TEST_F(ConfigDialogTest, OrbitSourcesAreShownAndChosenAndCancelPutsThemBack) {
    ChosenFiles files;
    NavigationDay(files, {"GN", "EN"});
    {
        ConfigDialog d(nullptr, host);
        d.show();
        EXPECT_EQ(OrbitsLine(&d, 0), "planned from the almanac alm00.051");
        EXPECT_EQ(OrbitsLine(&d, 2), "no orbits: add navigation files");
        Press(&d, kNavigationButtonId);
        // The files are nearer 2022 than the almanac of 2000.
        EXPECT_EQ(OrbitsLine(&d, 0),
                  "planned from navigation files: 29 satellites, records of 2022-01-01 01:59 to 2022-01-02 "
                  "00:00 UTC");
        EXPECT_EQ(OrbitsLine(&d, 2).substr(0, 47), "planned from navigation files: 24 satellites, r");
        EXPECT_EQ(OrbitsLine(&d, 1), "planned from the almanac alm00.051"); // no GLONASS file
        QComboBox* gps = Control<QComboBox>(&d, kSourceBoxIds);
        EXPECT_EQ(gps->currentIndex(), 0); // nearest the planning date

        gps->setCurrentIndex(1);
        emit gps->activated(1);
        EXPECT_EQ(OrbitsLine(&d, 0), "planned from the almanac alm00.051");
        EXPECT_EQ(Box(&d, 173 + 2), Qt::Unchecked); // G03 unhealthy in the almanac
        d.reject();
    }
    EXPECT_TRUE(host.session.navigationFiles().empty());
    EXPECT_EQ(host.calc().broadcast().RecordCount(), 0);
    EXPECT_FALSE(host.calc().SourceChosen(GnssSystem::Gps));
    EXPECT_EQ(host.calc().source(GnssSystem::Galileo), OrbitSource::None);

    ConfigDialog d(nullptr, host);
    d.show();
    Press(&d, kNavigationButtonId);
    // GLONASS has no navigation file: its navigation entry cannot be chosen.
    auto* glonass = qobject_cast<QStandardItemModel*>(Control<QComboBox>(&d, kSourceBoxIds + 1)->model());
    ASSERT_NE(glonass, nullptr);
    EXPECT_TRUE(glonass->item(1)->isEnabled());
    EXPECT_FALSE(glonass->item(2)->isEnabled());
    Press(&d, kRemoveNavigationId);
    EXPECT_EQ(OrbitsLine(&d, 2), "no orbits: add navigation files");
    EXPECT_EQ(OrbitsLine(&d, 0), "planned from the almanac alm00.051");
    Press(&d, 1);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

// A GLONASS-only almanac beside four systems' navigation files: years from the files their
// Keplerian records serve as almanacs and GLONASS falls back to its almanac; every system starts
// checked, and OK without a change leaves all four planned.
TEST_F(ConfigDialogTest, MixedSourcesStayPlannedThroughOkWithoutAChange) {
    ChosenFiles files;
    NavigationDay(files, {"GN", "RN", "EN", "CN"});
    Bytes glonass = almanac_fixture::FullAlmanac();
    glonass.b.erase(glonass.b.begin(), glonass.b.begin() + 2240);
    Write("alm18.256", glonass);
    Loaded("alm18.256");
    for (const QString& path : files.chosen)
        ASSERT_TRUE(host.session.AddNavigationFile(path.toStdString()).error.empty());
    const auto planned = [this](GnssSystem system) {
        for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n)
            if (host.calc().IsEnabled(SatelliteCatalogue::Index({system, n})))
                return true;
        return false;
    };
    for (const PlanInterval& day : {PlanInterval(9, 12, 2026, 8, 0, 16, 0), kNavigationDay}) {
        host.session.SetInterval(day);
        host.session.ClearChanges();
        ConfigDialog d(nullptr, host);
        EXPECT_EQ(OrbitsLine(&d, 2).substr(0, 13), "planned from ");
        for (int id : {365, 366, 47730, 47805})
            EXPECT_EQ(Box(&d, id), Qt::Checked) << id;
        EXPECT_FALSE(Control<QCheckBox>(&d, 47934)->isEnabled()); // no QZSS file
        d.accept();
        EXPECT_FALSE(host.session.changes().Any());
    }
    for (GnssSystem system : {GnssSystem::Gps, GnssSystem::Glonass, GnssSystem::Galileo, GnssSystem::BeiDou})
        EXPECT_TRUE(planned(system)) << static_cast<int>(system);
}

TEST_F(ConfigDialogTest, ImportDatesWeeksWrittenModulo1024NearTodayNeverYearsAhead) {
    ChosenFiles sem;
    sem.chosen = {QString::fromStdString(TAVRIN_SOURCE_DIR "/data/almanac-sources/current.al3")};
    sem.answers = {IDOK, IDOK}; // the empty directory, then the summary
    ConfigDialog d(nullptr, host);
    Press(&d, kImportButtonId);
    EXPECT_EQ(Control<QComboBox>(&d, 161)->currentText(), "alm16.62");
    EXPECT_TRUE(Control<QLabel>(&d, kAlmanacDateId)
                    ->text()
                    .startsWith("Almanac date " + ScreenDate(2016, 3, 2) + ","));
}

// Download...: the sources fetched off the window's thread, each with its bar; Cancel stops a
// transfer that hangs; what arrived becomes the draft's almanac and orbit files.
TEST_F(ConfigDialogTest, DownloadFetchesWithProgressCancelsAndAdoptsWhatArrived) {
    HttpServer server;
    const std::string data = TAVRIN_SOURCE_DIR "/tests/data/";
    const auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    server.Set("/gps/2022/032.alm", {{200, read(data + "almanacs/current_2022-02-01.alm")}});
    server.Set("/gsc/2022-02-01.xml", {{200, read(data + "almanacs/2022-01-14.xml")}});
    const std::string sources = Dir() + "sources.txt";
    std::ofstream(sources) << "gps-yuma " << server.Base() << "/gps/{YYYY}/{DDD}.alm\n"
                           << "galileo-xml " << server.Base() << "/gsc/{DATE}.xml\n";
    const std::string into = Dir() + "fetched/";
    const auto waitFor = [](DownloadDialog& d) {
        for (int k = 0; k < 1000 && (d.Running() || d.Report().items.empty()); ++k) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    {
        DownloadDialog d(nullptr, MakeCalendarTime(0, 0, 0, 1, 2, 2022), into, sources);
        Press(&d, kDownloadStartId);
        waitFor(d);
        const QString summary = Control<QPlainTextEdit>(&d, kDownloadSummaryId)->toPlainText();
        EXPECT_TRUE(summary.contains("gps-yuma: fetched") && summary.contains("galileo-xml: fetched"))
            << summary.toStdString();
        EXPECT_EQ(d.findChild<QProgressBar*>("progress-gps-yuma")->text(), "done");
        ASSERT_FALSE(d.Report().almanacPath.empty());

        // Into the dialog: the fetched almanac listed and selected, the Galileo almanac planned.
        Write("alm00.051", MixedAlmanac());
        Loaded("alm00.051");
        host.session.SetInterval(PlanInterval(1, 2, 2022, 8, 0, 16, 0));
        ConfigDialog config(nullptr, host);
        config.AdoptFetched(d.Report());
        EXPECT_EQ(Control<QComboBox>(&config, 161)->currentText().toStdString(),
                  fs::path(d.Report().almanacPath).filename().string());
        EXPECT_EQ(OrbitsLine(&config, 2).substr(0, 13), "planned from ");
    }
    // A server that never answers: Cancel ends the transfer at once and nothing is kept.
    server.Set("/gps/2022/032.alm", {{200, "late", "", "", false, 30}});
    std::ofstream(sources) << "gps-yuma " << server.Base() << "/gps/{YYYY}/{DDD}.alm\n";
    const std::string quiet = Dir() + "quiet/";
    DownloadDialog d(nullptr, MakeCalendarTime(0, 0, 0, 1, 2, 2022), quiet, sources);
    Press(&d, kDownloadStartId);
    const auto started = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    d.reject();
    waitFor(d);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_TRUE(d.Report().cancelled);
    EXPECT_TRUE(Control<QPlainTextEdit>(&d, kDownloadSummaryId)->toPlainText().contains("cancelled"));
    EXPECT_FALSE(fs::exists(quiet + "032.alm"));
}
