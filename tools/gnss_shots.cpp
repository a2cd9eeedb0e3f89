// Pictures of the program planning every system from navigation files, to look at them and for the
// documentation:
//   xvfb-run -s "-screen 0 1280x900x24" build/tavrin_gnss_shots build/sites/sample.spl docs 2022-01-01
//       tests/data/multignss/*.rnx
// The files go in as the remembered navigation files of a fresh program home, so the program reads
// them at its start as it does for a user; each view is grabbed maximised, then the satellite
// configuration dialog on its BeiDou page. The visibility view is grabbed again scrolled to its end.
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "app/appsettings.h"
#include "app_shot.h"
#include "dialogs/configdialog.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "views/ui/viewbase.h"

namespace {

bool Save(QWidget& widget, const QDir& out, const char* name) {
    const QString path = out.filePath(QString::fromLatin1(name));
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", qPrintable(path), saved ? "written" : "NOT WRITTEN");
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int year = 0, month = 0, day = 0;
    if (argc < 5 || std::sscanf(argv[3], "%d-%d-%d", &year, &month, &day) != 3) {
        std::fprintf(stderr,
                     "usage: tavrin_gnss_shots SITE-LIST OUTPUT-DIRECTORY YYYY-MM-DD NAVIGATION-FILE...\n");
        return 2;
    }
    QTemporaryDir home;
    setenv("TAVRIN_HOME", home.path().toLocal8Bit().constData(), 1);
    QStringList files;
    for (int i = 4; i < argc; ++i)
        files.append(QString::fromLocal8Bit(argv[i]));
    RememberNavigationFiles(files);
    OrvantApp app;
    StartShown(app, PlanInterval(day, month, year, 6, 0, 18, 0), argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    bool ok = true;
    const std::pair<int, const char*> views[] = {{CM_VIEW_VISIBILITY, "gnss-visibility.png"},
                                                 {CM_VIEW_SKY, "gnss-skyplot.png"},
                                                 {CM_VIEW_DOP, "gnss-dopplot.png"}};
    for (const auto& [command, name] : views) {
        app.Client()->Command(command);
        Settle();
        if (QMdiSubWindow* w = app.Client()->activeSubWindow())
            w->showMaximized();
        Settle();
        ok = Save(*app.Frame(), out, name) && ok;
        if (command == CM_VIEW_VISIBILITY) { // the later systems' rows, at the end
            QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
            QCoreApplication::sendEvent(app.Client()->View(command), &end);
            Settle();
            ok = Save(*app.Frame(), out, "gnss-visibility-end.png") && ok;
        }
        app.Client()->Command(CM_CLOSE_ALL);
        Settle();
    }
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        if (auto* pages = dialog->findChild<QTabWidget*>(ControlName(kLaterSystemsId)))
            pages->setCurrentIndex(1);
        Settle();
        ok = Save(*dialog, out, "gnss-configdialog.png") && ok;
        dialog->close();
    });
    app.Client()->Command(CM_SAT_CONFIG);
    SetPrompts(nullptr);
    return ok ? 0 : 1;
}
