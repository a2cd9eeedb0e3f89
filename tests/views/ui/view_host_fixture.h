// A host for the view windows in tests: a Calculator in a state the test sets, a site, an
// interval and a status bar with the four panes; prompts that print to PDF and choose a font.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPrinter>
#include <QRegularExpression>
#include <QStatusBar>

#include <cmath>
#include <vector>

#include "engine/calculator.h"
#include "engine/calculator_test_access.h"
#include "sites/siteinfo.h"
#include "ui/scripted_prompts.h"
#include "views/ui/viewbase.h"

namespace view_host_fixture {

inline constexpr double kDeg = 1 / 57.29577951308232;

class TestHost : public ViewHost {
public:
    Calculator calc;
    SiteInfo site{47.25, 8.5, 410, "Hill top", "North ridge above the quarry", 1};
    bool withSite = true;
    PlanInterval interval{8, 12, 2026, 0, 0, 24, 0};
    QStatusBar bar;
    QLabel* pane[5] = {};
    std::vector<TBaseMDIChild*> closed;

    TestHost() {
        for (int i = 1; i <= 4; ++i) {
            pane[i] = new QLabel;
            bar.addPermanentWidget(pane[i]);
        }
        CalculatorTestAccess::SetInterval(calc, 0, 97); // 24 h at 15 min
    }
    const Calculator& ViewCalculator() override { return calc; }
    const SiteInfo* ViewSite() override { return withSite ? &site : nullptr; }
    const PlanInterval& ViewInterval() override { return interval; }
    QStatusBar* ViewStatusBar() override { return &bar; }
    void ViewClosed(TBaseMDIChild* view) override { closed.push_back(view); }

    QString Pane(int i) const { return pane[i]->text(); }

    // Satellite s usable and visible over samples from..to, running along azimuth `az`.
    void Visible(int s, int from, int to, double az = 90) {
        CalculatorTestAccess::SetStatus(calc, s, 0);
        for (int j = from; j <= to; ++j)
            CalculatorTestAccess::SetDirection(calc, s, j, static_cast<float>(30 * kDeg),
                                               static_cast<float>(az * kDeg), 1);
    }
    void Available(int s) { CalculatorTestAccess::SetStatus(calc, s, 0); }
    // Twelve satellites seen all day, half of them GLONASS, and DOP values throughout.
    void FillDay() {
        for (int s = 0; s < 6; ++s)
            Visible(s, 0, 96, 30 * s);
        for (int s = 32; s < 38; ++s)
            Visible(s, 0, 96, 30 * s);
        for (int k = 0; k < 97; ++k) {
            CalculatorTestAccess::SetDop(calc, k, 1.8f, 2.1f, 1.1f, 1.5f, 0.9f);
            CalculatorTestAccess::SetCount(calc, k, 12, 1);
        }
    }
};

inline void MoveMouse(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// Texts and check marks of a context menu, separators left out.
struct MenuItem {
    QString text;
    bool checkable, checked;
    int command;
};
inline std::vector<MenuItem> MenuItems(TBaseMDIChild& view) {
    std::vector<MenuItem> out;
    const auto menu = view.MakeContextMenu();
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            out.push_back({a->text(), a->isCheckable(), a->isChecked(), a->data().toInt()});
    return out;
}
inline const MenuItem* FindItem(const std::vector<MenuItem>& items, int command) {
    for (const MenuItem& m : items)
        if (m.command == command)
            return &m;
    return nullptr;
}
inline void Trigger(TBaseMDIChild& view, int command) {
    const auto menu = view.MakeContextMenu();
    for (QAction* a : menu->actions())
        if (a->data().toInt() == command && !a->isSeparator())
            a->trigger();
}

// Prompts whose print dialog sends the job to a PDF file (or is cancelled), and whose font
// dialog answers a chosen font.
class PrintingPrompts : public ScriptedPrompts {
public:
    QString pdfPath; // where the print dialog sends the job; empty: leave the printer alone
    bool cancelPrint = false;
    int prints = 0;
    QString setupPath; // what the set-up dialog chooses
    QFont font;
    QColor colour;
    bool chooseFont = false;

    bool Print(QWidget*, QPrinter& printer) override {
        ++prints;
        if (cancelPrint)
            return false;
        if (!pdfPath.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdfPath);
        }
        return true;
    }
    bool PrintSetup(QWidget*, QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(setupPath);
        return true;
    }
    bool ChooseFont(QWidget*, QFont& f, QColor& c) override {
        if (!chooseFont)
            return false;
        f = font;
        c = colour;
        return true;
    }
};

// Pages of a PDF written by Qt: its page objects.
inline int PdfPageCount(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = f.readAll();
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return static_cast<int>(QString::fromLatin1(data).count(page));
}

} // namespace view_host_fixture
