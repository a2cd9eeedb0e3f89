// The Options dialog on its own and through the Options command of the client.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>

#include "app/app_fixture.h"
#include "app/newtimedialog.h"
#include "base/codepage.h"
#include "dialogs/optionsdialog.h"
#include "reports/headerblock.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/help.h"
#include "views/ui/viewbase.h"

using namespace app_fixture;

namespace {

template <typename T> T* Control(QWidget* dialog, int id) {
    T* c = dialog->findChild<T*>(ControlName(id));
    EXPECT_NE(c, nullptr) << id;
    return c;
}

// A radio button or check box as a click on it changes it.
void Click(QWidget* dialog, int id) {
    Control<QAbstractButton>(dialog, id)->click();
}

// A push button pressed with the mouse: the focus moves to it first.
void Press(QWidget* dialog, int id) {
    QTest::mouseClick(Control<QAbstractButton>(dialog, id), Qt::LeftButton);
}

// Types into the cut-off field, which keeps the focus.
void TypeCutOff(QWidget* dialog, const QString& text) {
    QLineEdit* edit = Control<QLineEdit>(dialog, 164);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

class OptionsCommand : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
        Start();
        Client().Session().ClearChanges();
    }
    // Runs the Options command; `edit` works the dialog, then OK is clicked.
    void RunOptions(std::function<void(QWidget*)> edit, int button = 1) {
        WhenModal([edit, button](QWidget* dialog) {
            edit(dialog);
            Press(dialog, button);
        });
        Client().Command(CM_OPTIONS);
    }
};

} // namespace

TEST(OptionsDialog, ShowsTheRecordAndOkWritesItBack) {
    OptionsTransfer record;
    record.mode2D = 1;
    record.mode3D = 0;
    record.step15 = 0;
    record.step5 = 1;
    std::strcpy(record.cutOff, "7");
    record.obstructions = 0;
    record.loadLastAlmanac = 1;
    record.codePage = 1251;
    TOptionsDialog dialog(nullptr, record);
    EXPECT_EQ(Control<QComboBox>(&dialog, kCodePageControl)->currentData().toInt(), 1251);
    EXPECT_EQ(Control<QComboBox>(&dialog, kCodePageControl)->count(), 5); // 1252 1250 1251 932 UTF-8
    EXPECT_TRUE(Control<QRadioButton>(&dialog, 362)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(&dialog, 363)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(&dialog, 167)->isChecked());
    EXPECT_EQ(Control<QLineEdit>(&dialog, 164)->text(), "7");
    EXPECT_FALSE(Control<QCheckBox>(&dialog, 166)->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(&dialog, 168)->isChecked());
    EXPECT_EQ(HelpContextFor(Control<QLineEdit>(&dialog, 164)), 10200);

    Control<QRadioButton>(&dialog, 363)->setChecked(true);
    Control<QRadioButton>(&dialog, 165)->setChecked(true);
    Control<QLineEdit>(&dialog, 164)->setText("42");
    Control<QCheckBox>(&dialog, 166)->setChecked(true);
    QComboBox* pages = Control<QComboBox>(&dialog, kCodePageControl);
    pages->setCurrentIndex(pages->findData(932));
    dialog.accept();
    EXPECT_EQ(record.codePage, 932);
    EXPECT_EQ(record.mode2D, 0);
    EXPECT_EQ(record.mode3D, 1);
    EXPECT_EQ(record.step15, 1);
    EXPECT_EQ(record.step5, 0);
    EXPECT_STREQ(record.cutOff, "42");
    EXPECT_EQ(record.obstructions, 1);
    EXPECT_EQ(record.loadLastAlmanac, 1);
}

TEST(OptionsDialog, CancelLeavesTheRecordAlone) {
    OptionsTransfer record;
    TOptionsDialog dialog(nullptr, record);
    Control<QRadioButton>(&dialog, 362)->setChecked(true);
    Control<QLineEdit>(&dialog, 164)->setText("3");
    dialog.reject();
    EXPECT_EQ(record.mode2D, 0);
    EXPECT_STREQ(record.cutOff, "15");
}

TEST_F(OptionsCommand, EachOptionSetsTheEngineTheGadgetsAndItsChangeFlag) {
    const Calculator& calc = Client().Engine();
    RunOptions([](QWidget* d) { TypeCutOff(d, "20"); });
    EXPECT_NEAR(calc.elevationMask(), 20 * 0.017453292519943295, 1e-6);
    EXPECT_EQ(Frame().GadgetText(4), QString::fromUtf8("Cut: 20°"));
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kCutOff);

    Client().Session().ClearChanges();
    RunOptions([](QWidget* d) { Click(d, 362); });
    EXPECT_EQ(calc.mode(), 1);
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kMode);

    Client().Session().ClearChanges();
    RunOptions([](QWidget* d) { Click(d, 167); });
    EXPECT_EQ(calc.step(), 300);
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kAlmanac);
    EXPECT_EQ(Client().Changes().Level(), 1);

    Client().Session().ClearChanges();
    RunOptions([](QWidget* d) { Click(d, 166); });
    EXPECT_EQ(calc.obstructionsOn(), 0);
    EXPECT_EQ(Frame().GadgetText(3), "");
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kObstructions);

    // The start-up option changes nothing now.
    Client().Session().ClearChanges();
    RunOptions([](QWidget* d) { Click(d, 168); });
    EXPECT_FALSE(Client().Changes().Any());
    EXPECT_EQ(Client().Options().loadLastAlmanac, 1);

    // The code page of text in files: used from now on, and kept in the settings.
    Client().Session().ClearChanges();
    RunOptions([](QWidget* d) {
        QComboBox* pages = Control<QComboBox>(d, kCodePageControl);
        pages->setCurrentIndex(pages->findData(1250));
    });
    EXPECT_EQ(FileCodePage(), 1250);
    EXPECT_FALSE(Client().Changes().Any());
    RunOptions([](QWidget* d) {
        QComboBox* pages = Control<QComboBox>(d, kCodePageControl);
        pages->setCurrentIndex(pages->findData(1252));
    });
    EXPECT_EQ(FileCodePage(), 1252);

    // Cancel: nothing, whatever was changed in the dialog.
    RunOptions([](QWidget* d) { Click(d, 363); }, 2);
    EXPECT_EQ(calc.mode(), 1);
    EXPECT_EQ(Client().Options().mode2D, 1);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(prompts.beeps, 0);

    // The cut-off angle and the mode together: level 3.
    Client().Session().ClearChanges();
    RunOptions([](QWidget* d) {
        Click(d, 363);
        TypeCutOff(d, "10");
    });
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kCutOff | ChangeFlags::kMode);
    EXPECT_EQ(Client().Changes().Level(), 3);
}

TEST_F(OptionsCommand, CutOffOutOfRangeIsCorrectedWithABeepWhetherOkIsClickedOrEnterPressed) {
    RunOptions([](QWidget* d) { TypeCutOff(d, "95"); });
    EXPECT_STREQ(Client().Options().cutOff, "89");
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_NEAR(Client().Engine().elevationMask(), 89 * 0.017453292519943295, 1e-6);

    WhenModal([](QWidget* d) {
        TypeCutOff(d, "99");
        QTest::keyClick(Control<QLineEdit>(d, 164), Qt::Key_Return);
    });
    Client().Command(CM_OPTIONS);
    EXPECT_STREQ(Client().Options().cutOff, "89");
    EXPECT_EQ(prompts.beeps, 2);

    // An empty field becomes the lowest angle.
    RunOptions([](QWidget* d) { Control<QLineEdit>(d, 164)->clear(); });
    EXPECT_STREQ(Client().Options().cutOff, "0");
    EXPECT_EQ(prompts.beeps, 3);
}

TEST_F(OptionsCommand, OkWithoutChangesStillRedrawsTheViews) {
    fixture::WriteFile(Home("one.spl"), fixture::NewFile(0, {fixture::NewSite("A", "", 45, 10, 0, 1)}));
    Client().OpenSiteList(Home("one.spl"));
    Drain();
    Client().Command(CM_VIEW_SKY);
    Drain();
    ASSERT_EQ(Client().OpenViewCount(), 1);
    QWidget* view = Client().View(CM_VIEW_SKY);
    view->repaint();
    bool painted = false;
    struct PaintSpy : QObject {
        bool* painted;
        explicit PaintSpy(bool* p) : painted(p) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint || e->type() == QEvent::UpdateRequest)
                *painted = true;
            return false;
        }
    } spy(&painted);
    view->installEventFilter(&spy);
    RunOptions([](QWidget*) {});
    Drain();
    EXPECT_TRUE(painted);
    view->removeEventFilter(&spy);
}

// Dates follow the locale on screen until Options asks for month/day/year; paper keeps
// month/day/year unless told to follow the screen; the choice outlives the run.
TEST_F(OptionsCommand, DatesFollowTheLocaleOrTheMonthDayFormChosenHere) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_TRUE(Exit());
    const PlanInterval day(8, 12, 2026, 0, 0, 24, 0);
    prompts.answers = {IDOK, IDOK}; // the almanac's age, at each start
    Start(QString(), false, {}, &day);
    fixture::WriteFile(Home("one.spl"), fixture::NewFile(0, {fixture::NewSite("A", "", 45, 10, 0, 1)}));
    Client().OpenSiteList(Home("one.spl"));
    Client().Command(CM_VIEW_DOP);
    Drain();
    auto* view = qobject_cast<TBaseMDIChild*>(Client().View(CM_VIEW_DOP));
    ASSERT_NE(view, nullptr);
    if (!Client().TimeBar())
        Run(CM_TIME_BAR);
    NewTimeDialog* bar = Client().TimeBar();
    ASSERT_NE(bar, nullptr);
    const auto order = [&bar] {
        QString ids;
        for (QWidget* field : bar->DateFields())
            ids += field->objectName() + ' ';
        return ids.trimmed();
    };
    const auto printed = [view] {
        const HeaderBlock block = LayoutHeaderBlock(view->Header(), 0, 0, 100);
        for (const TextItem& item : block.items)
            if (item.text.rfind("Date:", 0) == 0)
                return item.text;
        return std::string();
    };
    struct Case {
        int form;          // the radio button chosen
        bool printedToo;   // the check box
        const char* order; // the time bar's fields: day 102, month 101, year 103
        const char *label, *printed;
    };
    const Case cases[] = {
        {kLocaleDatesControl, false, "id102 id101 id103", " Date (dd.mm.yy)", "Date: 12/8/2026"},
        {kLocaleDatesControl, true, "id102 id101 id103", " Date (dd.mm.yy)", "Date: 08.12.2026"},
        {kLegacyDatesControl, true, "id101 id102 id103", " Date ( mm:dd:yy )", "Date: 12/8/2026"},
    };
    EXPECT_EQ(order().toStdString(), cases[0].order); // before any choice
    EXPECT_EQ(printed(), cases[0].printed);
    for (const Case& c : cases) {
        RunOptions([&c](QWidget* dialog) {
            Click(dialog, c.form);
            Control<QCheckBox>(dialog, kPrintedDatesControl)->setChecked(c.printedToo);
        });
        Drain();
        EXPECT_EQ(order().toStdString(), c.order) << c.printed;
        EXPECT_EQ(printed(), c.printed);
        const QList<QLabel*> labels = bar->findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&c](QLabel* l) {
            return l->text() == QString::fromUtf8(c.label);
        })) << c.label;
    }
    // Month/day/year comes back at the next start; the configuration file's record is as long
    // as ever.
    const auto configSize = fs::file_size(ConfigPath());
    ASSERT_TRUE(Exit());
    EXPECT_EQ(fs::file_size(ConfigPath()), configSize);
    Start(QString(), false, {}, &day);
    if (!Client().TimeBar())
        Run(CM_TIME_BAR);
    bar = Client().TimeBar();
    EXPECT_EQ(order().toStdString(), "id101 id102 id103");
    QLocale::setDefault(before);
}
