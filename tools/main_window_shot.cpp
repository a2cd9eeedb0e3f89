// A picture of the main window for the documentation: the sample site list, the time control bar
// set to a morning-to-evening interval and the three views tiled:
//   xvfb-run -s "-screen 0 1280x900x24" build/tavrin_main_window_shot build/sites/sample.spl
//   docs/main-window.png
// It runs in a fresh program home, so the configuration of the user is not touched; the bundled
// almanacs beside the executable are used.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>

#include "app/about.h"
#include "app/decmdiframe.h"
#include "app/mdiclient.h"
#include "app/orvantapp.h"
#include "ui/commands.h"
#include "ui/prompts.h"

namespace {

// No box may stop the picture: every question is answered OK.
class QuietPrompts : public QtPrompts {
public:
    int MessageBox(QWidget*, const QString& text, const QString&, unsigned) override {
        std::fprintf(stderr, "box: %s\n", text.toLocal8Bit().constData());
        return IDOK;
    }
};

void Settle() {
    for (int i = 0; i < 25; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tavrin_main_window_shot SITE-LIST OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir home;
    setenv("TAVRIN_HOME", home.path().toLocal8Bit().constData(), 1);
    QuietPrompts prompts;
    SetPrompts(&prompts);
    SetSplashWanted(false);

    OrvantApp app;
    app.InitMainWindow();
    app.Frame()->resize(1152, 800);
    // The day of the newest bundled almanac, 6:00 to 18:15 local time.
    app.Client()->Interval() = PlanInterval(11, 8, 2025, 6, 0, 18, 15);
    app.InitInstance(QString::fromLocal8Bit(argv[1]));
    Settle();
    for (int view : {CM_VIEW_SKY, CM_VIEW_DOP, CM_VIEW_VISIBILITY})
        app.Client()->Command(view);
    app.Client()->tileSubWindows();
    Settle();
    if (!app.Frame()->grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        return 1;
    }
    SetPrompts(nullptr);
    return 0;
}
