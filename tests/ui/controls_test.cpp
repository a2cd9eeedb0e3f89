#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

#include <vector>

#include "ui/scripted_prompts.h"
#include "ui/commands.h"
#include "ui/controls.h"

namespace {

// A dialog stand-in that records the redraw events its controls post.
class Recorder : public QWidget {
public:
    struct Got {
        QEvent::Type type;
        QWidget* focus;
    };
    std::vector<Got> got;

protected:
    bool event(QEvent* e) override {
        if (e->type() == CmRedrowAndPar() || e->type() == CmRedrowAndParFloat())
            got.push_back({e->type(), static_cast<RedrawEvent*>(e)->focus()});
        return QWidget::event(e);
    }
};

struct Window {
    Recorder parent;
    QLineEdit* other;
    Window() {
        new QVBoxLayout(&parent);
        other = new QLineEdit(&parent);
        parent.layout()->addWidget(other);
    }
    void Show() {
        parent.show();
        parent.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&parent));
    }
    // Types `text` into `edit` and moves the focus to the other field of the window.
    void Leave(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->setText(text);
        other->setFocus();
        QCoreApplication::sendPostedEvents();
    }
};

struct IntCase {
    int limit, min, max, step;
    const char *typed, *corrected;
    bool beep;
};

} // namespace

TEST(myTEdit, CorrectsOutOfRangeValuesWithABeepWhenTheFocusLeaves) {
    const IntCase cases[] = {
        {5, 1900, 2100, 1, "2200", "2100", true}, // year too late
        {5, 1900, 2100, 1, "1800", "1900", true}, // year too early
        {5, 1900, 2100, 1, "", "1900", true},     // empty year
        {3, 1, 12, 1, "0", "1", true},            // month 0
        {3, 1, 12, 1, "7", "7", false},           // a good month stays, silently
        {3, 0, 89, 1, "95", "89", true},          // cut-off angle
        {3, 0, 89, 5, "47", "45", true},          // rounded toward zero to the step
        {5, 1, 12, 1, " 7 ", " 7 ", false},       // blanks around a good value are accepted
    };
    for (const IntCase& c : cases) {
        ScriptedPrompts prompts;
        Window w;
        auto* edit = new myTEdit(&w.parent, 103, c.limit);
        edit->SetRange(c.min, c.max, c.step);
        w.parent.layout()->addWidget(edit);
        w.Show();
        edit->setValidator(nullptr); // the blanks case types what the filter would refuse
        w.Leave(edit, c.typed);
        EXPECT_EQ(edit->text().toStdString(), c.corrected) << c.typed;
        EXPECT_EQ(prompts.beeps, c.beep ? 1 : 0) << c.typed;
        ASSERT_EQ(w.parent.got.size(), 1u) << c.typed;
        EXPECT_EQ(w.parent.got[0].type, CmRedrowAndPar());
        EXPECT_EQ(w.parent.got[0].focus, w.other);
    }
}

TEST(myTEdit, FilterAndTextLimitKeepToTwoDigits) {
    Window w;
    auto* edit = new myTEdit(&w.parent, 164, 3);
    w.parent.layout()->addWidget(edit);
    w.Show();
    edit->setFocus();
    QTest::keyClicks(edit, "9x57");
    EXPECT_EQ(edit->text(), QString("95"));
    EXPECT_EQ(edit->objectName(), QString("id164"));
}

TEST(myTEdit, FocusLeavingForAnotherProgramChecksAndPostsNothing) {
    ScriptedPrompts prompts;
    Window w;
    auto* edit = new myTEdit(&w.parent, 103, 5);
    edit->SetRange(1900, 2100, 1);
    w.parent.layout()->addWidget(edit);
    w.Show();
    edit->setFocus();
    edit->setText("2200");
    edit->clearFocus(); // no focus widget left in this application
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(edit->text(), QString("2200"));
    EXPECT_EQ(prompts.beeps, 0);
    EXPECT_TRUE(w.parent.got.empty());
}

TEST(myTEditFloat, CorrectsFractionsToTheStepAndClampsToTheRange) {
    struct FloatCase {
        int limit;
        float min, max, step;
        const char *typed, *corrected;
        bool beep;
    };
    const FloatCase cases[] = {
        {7, -12, 12, 0.5f, "3.7", "3.5", true}, // local time - GMT
        {7, -12, 12, 0.5f, "-13", "-12", true},
        {7, -12, 12, 0.5f, "-3.5", "-3.5", false},
        {9, -10000, 10000, 1.0f, "12.5", "12", true}, // altitude
        {9, -10000, 10000, 1.0f, "abc", "0", true},   // no number at all
        {9, -10000, 10000, 0.0f, "1234.56", "1234.56", false},
        {9, -10000, 10000, 0.0f, "1.23e", "1.23", true}, // not one number: its leading value
    };
    for (const FloatCase& c : cases) {
        ScriptedPrompts prompts;
        Window w;
        auto* edit = new myTEditFloat(&w.parent, 108, c.limit);
        edit->SetRange(c.min, c.max, c.step);
        edit->setValidator(nullptr);
        w.parent.layout()->addWidget(edit);
        w.Show();
        w.Leave(edit, c.typed);
        EXPECT_EQ(edit->text().toStdString(), c.corrected) << c.typed;
        EXPECT_EQ(prompts.beeps, c.beep ? 1 : 0) << c.typed;
        ASSERT_EQ(w.parent.got.size(), 1u);
        EXPECT_EQ(w.parent.got[0].type, CmRedrowAndParFloat());
    }
}

TEST(myTControl, TellsItsParentWhenTheFocusLeaves) {
    Window w;
    auto* button = new myTControl(&w.parent, 104, "24");
    button->setFocusPolicy(Qt::StrongFocus);
    w.parent.layout()->addWidget(button);
    w.Show();
    button->setFocus();
    w.other->setFocus();
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(w.parent.got.size(), 1u);
    EXPECT_EQ(w.parent.got[0].type, CmRedrowAndPar());
    EXPECT_EQ(w.parent.got[0].focus, w.other);
}

TEST(myTCheckBox, CannotBeCheckedWhileItsSystemIsOffNorMadeIndeterminate) {
    QWidget parent;
    QCheckBox system("GPS", &parent);
    myTCheckBox box(&parent, 173, "1", &system);
    system.setChecked(false);
    box.click();
    EXPECT_EQ(box.Transfer(), 0);

    system.setChecked(true);
    box.click();
    EXPECT_EQ(box.Transfer(), 1);
    box.click();
    EXPECT_EQ(box.Transfer(), 0);
    box.click();
    EXPECT_EQ(box.Transfer(), 1);

    box.SetTransfer(2);
    EXPECT_EQ(box.checkState(), Qt::PartiallyChecked);
    system.setChecked(false);
    box.SetTransfer(1);
    box.click(); // a checked box of a switched-off system can only be unchecked
    EXPECT_EQ(box.Transfer(), 0);
}

TEST(TButtonMy, DefaultStyleFollowsTheFlagAndSetStyle) {
    QWidget parent;
    TButtonMy help(&parent, 9, "Help", false);
    TButtonMy ok(&parent, 1, "OK", true);
    EXPECT_FALSE(help.isDefault());
    EXPECT_TRUE(ok.isDefault());
    EXPECT_FALSE(ok.isCurrentDefault());
    help.SetStyle(1);
    EXPECT_TRUE(help.isCurrentDefault());
    EXPECT_TRUE(help.isDefault());
    help.SetStyle(0);
    EXPECT_FALSE(help.isCurrentDefault());
    help.SetStyle(7); // any other style leaves it alone
    EXPECT_FALSE(help.isCurrentDefault());
    EXPECT_EQ(help.objectName(), QString("id9"));
}
