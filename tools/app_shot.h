// What the tools that picture the whole program share: message boxes that never stop them, and
// time for the windows to settle before they are grabbed.
#pragma once

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

#include "app/about.h"
#include "app/decmdiframe.h"
#include "app/mdiclient.h"
#include "app/orvantapp.h"
#include "ui/prompts.h"

// Every question answered OK; the text goes to standard error.
class QuietPrompts : public QtPrompts {
public:
    int MessageBox(QWidget*, const QString& text, const QString&, unsigned) override {
        std::fprintf(stderr, "box: %s\n", text.toLocal8Bit().constData());
        return IDOK;
    }
};

inline void Settle() {
    for (int i = 0; i < 25; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

// The program started without splash on `siteList`, its frame 1152 x 800, planning `interval`;
// no message box stops it from here on.
inline void StartShown(OrvantApp& app, const PlanInterval& interval, const char* siteList) {
    static QuietPrompts prompts;
    SetPrompts(&prompts);
    SetSplashWanted(false);
    app.InitMainWindow();
    app.Frame()->resize(1152, 800);
    app.Client()->Session().SetInterval(interval);
    app.InitInstance(QString::fromLocal8Bit(siteList));
    Settle();
}
