// A picture of the main window for the documentation: the sample site list, the time control bar
// set to a morning-to-evening interval and the three views tiled:
//   xvfb-run -s "-screen 0 1280x900x24" build/tavrin_main_window_shot build/sites/sample.spl
//   docs/main-window.png
// It runs in a fresh program home, so the configuration of the user is not touched; the bundled
// almanacs beside the executable are used.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include "app_shot.h"
#include "ui/commands.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tavrin_main_window_shot SITE-LIST OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir home;
    setenv("TAVRIN_HOME", home.path().toLocal8Bit().constData(), 1);
    OrvantApp app;
    // The day of the newest bundled almanac, 6:00 to 18:15 local time.
    StartShown(app, PlanInterval(11, 8, 2025, 6, 0, 18, 15), argv[1]);
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
