// The time control bar: markers dragged and moved with the keys, "24 Hour", the date fields and
// their corrections, the hand-over to the client when the focus leaves the bar, the command that
// shows and hides it.
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTest>
#include <QToolBar>

#include "app/newtimedialog.h"
#include "app/timecontrol.h"
#include "app_fixture.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/help.h"
#include "views/ui/viewbase.h"

using namespace app_fixture;

namespace {

struct Times {
    int bh, bm, eh, em;
};

class TimeBar : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
        Start();
        ASSERT_TRUE(prompts.boxes.empty());
        Frame().resize(1200, 700);
        Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        Drain();
        ASSERT_NE(Bar(), nullptr);
        ASSERT_GE(Bar()->Step(), 5); // px: room for a release between grid lines
    }

    NewTimeDialog* Bar() { return Client().TimeBar(); }
    myTEdit* Field(int id) { return Bar()->findChild<myTEdit*>(ControlName(id)); }
    // The column of the ruler for quarter hour k.
    int Grid(int k) { return Bar()->RulerLeft() + k * Bar()->Step(); }

    static void Mouse(QWidget* w, QEvent::Type type, int barX, Qt::MouseButtons buttons) {
        const QPoint local(barX - w->x(), w->height() / 2);
        QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
    // Takes a marker at its mark and lets it go at column `x` of the bar.
    void Drag(TimeControl* marker, int x) {
        Mouse(marker, QEvent::MouseButtonPress, marker->Mark(), Qt::LeftButton);
        Mouse(marker, QEvent::MouseMove, x, Qt::LeftButton);
        Mouse(marker, QEvent::MouseButtonRelease, x, Qt::NoButton);
        Drain();
    }
    static Times TimesOf(const PlanInterval& p) {
        return {p.beginHour, p.beginMinute, p.endHour, p.endMinute};
    }
    Times Shown() { return TimesOf(Bar()->ReadInterval()); }

    // Gives the focus to `w` and lets the bar see it go, without running what it posts onwards.
    void FocusTo(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::sendPostedEvents(Bar(), CmRedrowAndPar());
    }
    // A site list and an open view, so that the client recomputes.
    void OpenListAndView() {
        fixture::WriteFile(Home("one.spl"),
                           fixture::NewFile(0, {fixture::NewSite("Alpha", "", 48.0, 11.0, 500, 1.0f)}));
        ASSERT_TRUE(Client().OpenSiteList(Home("one.spl")));
        Run(CM_VIEW_DOP);
        ASSERT_EQ(Client().OpenViewCount(), 1);
        ASSERT_FALSE(Client().Changes().Any());
    }
    QWidget* View() { return Client().View(CM_VIEW_DOP); }
};

bool operator==(const Times& a, const Times& b) {
    return a.bh == b.bh && a.bm == b.bm && a.eh == b.eh && a.em == b.em;
}
void PrintTo(const Times& t, std::ostream* out) {
    *out << t.bh << ':' << t.bm << '-' << t.eh << ':' << t.em;
}

} // namespace

TEST_F(TimeBar, SitsUnderTheToolBarAcrossTheFrameAndShowsTheClientsInterval) {
    auto* area = Frame().findChild<QToolBar*>(QStringLiteral("timeBarArea"));
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(Frame().toolBarArea(area), Qt::TopToolBarArea);
    EXPECT_GE(area->y(), Frame().ToolBar()->geometry().bottom());
    EXPECT_GE(Client().y(), area->geometry().bottom());
    EXPECT_GE(Bar()->width(), Frame().width() - 40);

    const PlanInterval& p = Client().Interval();
    EXPECT_EQ(Field(101)->text().toInt(), p.beginMonth);
    EXPECT_EQ(Field(102)->text().toInt(), p.beginDay);
    EXPECT_EQ(Field(103)->text().toInt(), p.beginYear);
    EXPECT_EQ(Shown(), (Times{0, 0, 24, 0}));
    EXPECT_EQ(HelpContextFor(Field(102)), 10069);
    EXPECT_EQ(HelpContextFor(Bar()->EndMarker()), 10069);
}

TEST_F(TimeBar, ReleasedMarkersSnapToTheNearestQuarterHourWithinTheirLimits) {
    TimeControl* begin = Bar()->BeginMarker();
    TimeControl* end = Bar()->EndMarker();
    const int s = Bar()->Step();
    // While dragged the marker follows the pointer to the pixel.
    Mouse(begin, QEvent::MouseButtonPress, begin->Mark(), Qt::LeftButton);
    Mouse(begin, QEvent::MouseMove, Grid(25) + 1, Qt::LeftButton);
    EXPECT_EQ(begin->Mark(), Grid(25) + 1);
    Mouse(begin, QEvent::MouseButtonRelease, Grid(25) + 1, Qt::NoButton);
    EXPECT_EQ(begin->Mark(), Grid(25));
    EXPECT_EQ(Shown(), (Times{6, 15, 24, 0}));

    struct Case {
        int k, offset, expectedK;
    } cases[] = {{33, 0, 33}, {33, 1, 33}, {33, -1, 33}, {33, s - 1, 34}, {33, -(s - 1), 32}};
    for (const Case& c : cases) {
        Drag(begin, Grid(c.k) + c.offset);
        EXPECT_EQ(begin->Mark(), Grid(c.expectedK)) << c.k << " " << c.offset;
        EXPECT_EQ(Bar()->ReadInterval().beginHour * 4 + Bar()->ReadInterval().beginMinute / 15, c.expectedK);
        Drag(end, Grid(c.k + 40) + c.offset);
        EXPECT_EQ(Bar()->ReadInterval().endHour * 4 + Bar()->ReadInterval().endMinute / 15, c.expectedK + 40)
            << c.k << " " << c.offset;
    }
    // The limits: the begin marker stops at 23:45, the end marker at 24:00, both at 0:00.
    Drag(begin, Grid(200));
    Drag(end, Grid(200));
    EXPECT_EQ(Shown(), (Times{23, 45, 24, 0}));
    Drag(begin, Grid(-20));
    Drag(end, 0);
    EXPECT_EQ(Shown(), (Times{0, 0, 0, 0}));
    // Nothing reaches the client while the focus stays in the bar.
    EXPECT_EQ(TimesOf(Client().Interval()), (Times{0, 0, 24, 0}));
}

TEST_F(TimeBar, BeginPastEndRunsIntoTheNextDayDrawnInTwoPieces) {
    Drag(Bar()->EndMarker(), Grid(24));   // 6:00
    Drag(Bar()->BeginMarker(), Grid(80)); // 20:00
    NewTimeDialog::Piece pieces[2];
    ASSERT_EQ(Bar()->IntervalPieces(pieces), 2);
    const int x0 = Bar()->RulerLeft(), hw = Bar()->HourWidth();
    EXPECT_EQ(pieces[0].from, Grid(80));
    EXPECT_EQ(pieces[0].to, x0 + 24 * hw);
    EXPECT_EQ(pieces[1].from, x0);
    EXPECT_EQ(pieces[1].to, Grid(24) - 1);

    // On the screen: red at 2:00 and 22:00, the black axis at noon.
    const QImage shot = Bar()->grab().toImage();
    const QWidget* ruler = Bar()->findChild<QWidget*>(ControlName(650));
    const int axis = ruler->y() + (ruler->height() & ~1) / 2;
    EXPECT_EQ(shot.pixelColor(x0 + 2 * hw + 1, axis), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(x0 + 22 * hw + 1, axis), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(x0 + 12 * hw + 1, axis), QColor(0, 0, 0));

    FocusTo(&Client());
    const PlanInterval& p = Client().Interval();
    EXPECT_EQ(TimesOf(p), (Times{20, 0, 6, 0}));
    const QDate begin(p.beginYear, p.beginMonth, p.beginDay);
    EXPECT_EQ(QDate(p.endYear, p.endMonth, p.endDay), begin.addDays(1));
}

TEST_F(TimeBar, TwentyFourHourTakesEffectWithoutLeavingTheBar) {
    Drag(Bar()->BeginMarker(), Grid(32));
    Drag(Bar()->EndMarker(), Grid(40));
    FocusTo(&Client());
    ASSERT_EQ(TimesOf(Client().Interval()), (Times{8, 0, 10, 0}));
    Client().Session().ClearChanges();

    auto* button = Bar()->findChild<QPushButton*>(ControlName(104));
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(Bar(), CmRedrowAndPar());
    EXPECT_TRUE(Bar()->isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(TimesOf(Client().Interval()), (Times{0, 0, 24, 0}));
    EXPECT_EQ(Client().Changes().Bits(), ChangeFlags::kTime);
    const PlanInterval& p = Client().Interval();
    EXPECT_EQ(p.beginDay, Field(102)->text().toInt()); // on the date shown, ending on it
    EXPECT_EQ(p.endDay, p.beginDay);
}

TEST_F(TimeBar, FocusInsideTheBarKeepsTheIntervalLeavingItRecomputes) {
    OpenListAndView();
    const PlanInterval before = Client().Interval();
    // A time change: the marker by keys, then the focus to a date field.
    TimeControl* begin = Bar()->BeginMarker();
    begin->setFocus();
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(begin, Qt::Key_Right);
    FocusTo(Field(102));
    EXPECT_EQ(TimesOf(Client().Interval()), TimesOf(before));
    EXPECT_FALSE(Client().Changes().Any());

    FocusTo(View());
    EXPECT_EQ(TimesOf(Client().Interval()), (Times{1, 30, 24, 0}));
    EXPECT_EQ(Client().Changes().Level(), 4);
    Drain();
    EXPECT_FALSE(Client().Changes().Any()); // the client recomputed
    EXPECT_TRUE(prompts.boxes.empty());

    // A date change, the next day: level 1, the age check finds the almanac fine.
    QLineEdit* day = Field(102);
    const QDate next = QDate(before.beginYear, before.beginMonth, before.beginDay).addDays(1);
    Field(101)->setText(QString::number(next.month()));
    day->setText(QString::number(next.day()));
    FocusTo(day);
    FocusTo(View());
    EXPECT_EQ(Client().Changes().Level(), 1);
    EXPECT_EQ(Client().Interval().beginDay, next.day());
    Drain();
    EXPECT_FALSE(Client().Changes().Any());
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(TimeBar, ADateChangeRunsTheAgeCheckOnce) {
    OpenListAndView();
    QLineEdit* year = Field(103);
    year->setText(QString::number(Client().Interval().beginYear + 1));
    FocusTo(year);
    prompts.answers = {IDNO};
    FocusTo(View());
    Drain();
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].caption, "Question"); // a year away: download current orbits?
    // Back into the bar and out again with nothing changed: no second check.
    FocusTo(year);
    FocusTo(View());
    Drain();
    EXPECT_EQ(prompts.boxes.size(), 1u);
}

TEST_F(TimeBar, ImpossibleDatesAreCorrectedWithABeep) {
    // Days the month lacks become its last day; the years run as far as the calendar holds. One
    // beep for each check that corrects something.
    struct Case {
        const char *month, *day, *year;
        int expectedMonth, expectedDay, expectedYear, beeps;
    } cases[] = {{"2", "29", "2023", 2, 28, 2023, 1},  {"2", "29", "2024", 2, 29, 2024, 0},
                 {"4", "31", "2024", 4, 30, 2024, 1},  {"2", "31", "2024", 2, 29, 2024, 1},
                 {"2", "29", "2100", 2, 28, 2099, 1},  {"1", "15", "1900", 3, 15, 1901, 1},
                 {"12", "31", "2024", 12, 31, 2024, 0}};
    for (const Case& c : cases) {
        prompts.beeps = 0;
        Field(101)->setText(c.month);
        Field(102)->setText(c.day);
        Field(103)->setText(c.year);
        FocusTo(Field(103));
        FocusTo(Field(101)); // within the bar: corrected, not handed over
        const std::string date = std::string(c.month) + "-" + c.day + "-" + c.year;
        EXPECT_EQ(Field(101)->text().toInt(), c.expectedMonth) << date;
        EXPECT_EQ(Field(102)->text().toInt(), c.expectedDay) << date;
        EXPECT_EQ(Field(103)->text().toInt(), c.expectedYear) << date;
        EXPECT_EQ(prompts.beeps, c.beeps) << date;
    }
    prompts.answers = {IDOK}; // 2024 is far from the almanac: its age warning
    FocusTo(&Client());
    EXPECT_EQ(Client().Interval().beginDay, 31);
    EXPECT_EQ(Client().Interval().beginMonth, 12);
    EXPECT_EQ(Client().Interval().beginYear, 2024);
    Drain();
    EXPECT_EQ(prompts.boxes.size(), 1u);
}

TEST_F(TimeBar, KeysMoveMarkersAndStepDateFields) {
    TimeControl* end = Bar()->EndMarker();
    end->setFocus();
    QTest::keyClick(end, Qt::Key_Left);
    EXPECT_EQ(Shown(), (Times{0, 0, 23, 45}));
    QTest::keyClick(end, Qt::Key_Home);
    QTest::keyClick(end, Qt::Key_PageDown);
    EXPECT_EQ(Shown(), (Times{0, 0, 1, 0}));
    QTest::keyClick(end, Qt::Key_End);
    QTest::keyClick(end, Qt::Key_Right); // at its limit already
    EXPECT_EQ(Shown(), (Times{0, 0, 24, 0}));
    TimeControl* begin = Bar()->BeginMarker();
    begin->setFocus();
    QTest::keyClick(begin, Qt::Key_End);
    EXPECT_EQ(Shown(), (Times{23, 45, 24, 0}));

    myTEdit* month = Field(101);
    month->setFocus();
    month->selectAll();
    QTest::keyClicks(month, "11");
    QTest::keyClick(month, Qt::Key_Up);
    QTest::keyClick(month, Qt::Key_Up); // stops at December
    EXPECT_EQ(month->text(), "12");
    QTest::keyClick(month, Qt::Key_Down);
    EXPECT_EQ(month->text(), "11");
    myTEdit* year = Field(103);
    year->setText("2099");
    year->setFocus();
    QTest::keyClick(year, Qt::Key_Up);
    EXPECT_EQ(year->text(), "2099");
}

TEST_F(TimeBar, FollowsTheFrameWidthAndTheFontKeepingItsTimes) {
    Drag(Bar()->BeginMarker(), Grid(25));
    Drag(Bar()->EndMarker(), Grid(74));
    const int step = Bar()->Step(), height = Bar()->height();
    Frame().resize(1800, 700);
    Drain();
    EXPECT_GT(Bar()->Step(), step);
    EXPECT_EQ(Shown(), (Times{6, 15, 18, 30}));

    QFont big = Bar()->font();
    big.setPixelSize(QFontMetrics(big).height() * 2);
    Bar()->setFont(big);
    Drain();
    EXPECT_GT(Bar()->height(), height * 3 / 2);
    EXPECT_EQ(Shown(), (Times{6, 15, 18, 30}));
    for (QWidget* w : Bar()->findChildren<QWidget*>()) {
        if (w->isVisibleTo(Bar())) {
            EXPECT_TRUE(Bar()->rect().contains(w->geometry())) << w->objectName().toStdString();
        }
    }
}

TEST_F(TimeBar, TheCommandHidesAndShowsTheBarAndTheChoiceLasts) {
    Run(CM_TIME_BAR);
    EXPECT_EQ(Bar(), nullptr);
    EXPECT_FALSE(Frame().Action(CM_TIME_BAR)->isChecked());
    EXPECT_EQ(Frame().findChild<QToolBar*>(QStringLiteral("timeBarArea")), nullptr);

    // The interval changed meanwhile: the bar shows it when it opens again.
    Client().Session().SetInterval(PlanInterval(3, 4, 2021, 5, 30, 7, 0));
    Run(CM_TIME_BAR);
    ASSERT_NE(Bar(), nullptr);
    EXPECT_TRUE(Frame().Action(CM_TIME_BAR)->isChecked());
    EXPECT_EQ(Shown(), (Times{5, 30, 7, 0}));
    EXPECT_EQ(Field(103)->text(), "2021");

    Run(CM_TIME_BAR);
    ASSERT_TRUE(Exit());
    EXPECT_EQ(IntAt(fixture::ReadFile(ConfigPath()), 96), 0);
    Start();
    EXPECT_EQ(Client().TimeBar(), nullptr);
    EXPECT_FALSE(Frame().Action(CM_TIME_BAR)->isChecked());
}
