// A site editor on a list of sites, shown on the offscreen platform and answered by scripted
// prompts; its controls are found by their ids.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "dialogs/sitedialog.h"
#include "sites/project.h"
#include "ui/commands.h"
#include "ui/scripted_prompts.h"

namespace sitedialog_fixture {

template <typename T> T* Control(QWidget* dialog, int id) {
    T* c = dialog->findChild<T*>(ControlName(id));
    EXPECT_NE(c, nullptr) << "no control " << id;
    return c;
}

inline QString Text(QWidget* dialog, int id) {
    if (auto* plain = dialog->findChild<QPlainTextEdit*>(ControlName(id)))
        return plain->toPlainText();
    if (auto* combo = dialog->findChild<QComboBox*>(ControlName(id)))
        return combo->currentText();
    return Control<QLineEdit>(dialog, id)->text();
}

// Text as typed by the user.
inline void SetText(QWidget* dialog, int id, const QString& text) {
    if (auto* plain = dialog->findChild<QPlainTextEdit*>(ControlName(id))) {
        plain->setPlainText(text);
    } else {
        QLineEdit* edit = Control<QLineEdit>(dialog, id);
        edit->setText(text);
        edit->setModified(true);
    }
}

inline void Drain() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Types `text` into field `id` and moves the focus on to the name field, as a user leaving it.
inline void Leave(QWidget* dialog, int id, const QString& text) {
    QLineEdit* edit = Control<QLineEdit>(dialog, id);
    edit->setFocus();
    edit->setText(text);
    edit->setModified(true);
    Control<QLineEdit>(dialog, id == 909 ? 107 : 909)->setFocus();
    Drain();
}

inline void Press(QWidget* dialog, int id) {
    Control<QPushButton>(dialog, id)->click();
    Drain();
}

inline QListView* List(QWidget* dialog) {
    return Control<QListView>(dialog, 110);
}

inline int SelectedRow(QWidget* dialog) {
    QModelIndex current = List(dialog)->currentIndex();
    return current.isValid() ? current.row() : -1;
}

inline QStringList Names(QWidget* dialog) {
    QStringList names;
    QAbstractItemModel* model = List(dialog)->model();
    for (int i = 0; i < model->rowCount(); ++i)
        names << model->index(i, 0).data().toString();
    return names;
}

// A click on a line of the list, then whatever the click sets off.
inline void ClickEntry(QWidget* dialog, int row) {
    QListView* view = List(dialog);
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    Drain();
}

inline SiteInfo Site(const char* name, double lat, double lon, double alt = 0, float gmt = 0,
                     const char* description = "") {
    return SiteInfo(lat, lon, alt, name, description, gmt);
}

inline Obstruction Outline() {
    Obstruction o;
    o.Add(point<double>(0, 80));
    o.Add(point<double>(40, 100));
    o.Add(point<double>(0, 120));
    o.Add(point<double>(0, 80));
    return o;
}

class SiteDialogTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    ScriptedPrompts prompts;
    std::unique_ptr<project> list;
    std::unique_ptr<SiteDialog> dialog;

    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        setenv("TAVRIN_HOME", home.path().toLocal8Bit().constData(), 1);
        list = std::make_unique<project>();
        list->sites.Clear();
        SiteDialog::ClearClipboard();
    }
    void TearDown() override {
        dialog.reset();
        SiteDialog::ClearClipboard();
        unsetenv("TAVRIN_HOME");
        EXPECT_TRUE(prompts.answers.empty()) << "answers left over";
    }

    void AddSite(const SiteInfo& site) { list->sites.Add(site); }
    void AddThree() {
        AddSite(Site("alpha", 10, 20, 100, 1));
        AddSite(Site("Bravo", -33.5, -70.75, 500, -4));
        AddSite(Site("  Charlie\t", 45.5, 7.25, 1200, 2, "third"));
    }
    SiteInfo& Stored(int i) { return *list->sites.GetAt(i); }

    // Opens the editor on the list with `current` as the current site, shown and active.
    QWidget* Open(int current = 0) {
        list->currentIndex = static_cast<int16_t>(current);
        dialog = std::make_unique<SiteDialog>(nullptr, *list);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        Drain();
        return dialog.get();
    }
    QWidget* D() { return dialog.get(); }
};

} // namespace sitedialog_fixture
