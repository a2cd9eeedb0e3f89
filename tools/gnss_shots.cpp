// Pictures of the program planning every system from navigation files, to look at them and for the
// documentation:
//   xvfb-run -s "-screen 0 1280x900x24" build/tavrin_gnss_shots build/sites/sample.spl docs 2022-01-01
//       tests/data/multignss/*.rnx
// The files go in as the remembered navigation files of a fresh program home, so the program reads
// them at its start as it does for a user. The frame takes the screen; the views are grabbed tiled
// (main-window.png) and each maximised, the visibility view again scrolled to its end; each view
// is exported as the Export Graph command writes it (export-*.png); the visibility graph and the
// DOP table are printed into PDF files (printed-*.pdf, for pdftoppm); then the dialogs of the
// program are grabbed: satellite configuration on its BeiDou page, options, export size and about
// (the site dialogs: tools/dialog_shots.cpp).
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

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

// Prompts that print into a PDF file and cancel file dialogs.
class ShotPrompts : public QuietPrompts {
public:
    QString pdf;
    bool Print(QWidget*, QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    }
    bool SaveFileName(QWidget*, const FileRequest&, QString&) override { return false; }
};

// Runs `command`, grabs the modal dialog it opens (after `prepare`) and closes it.
bool ShootModal(OrvantApp& app, int command, const QDir& out, const char* name,
                const std::function<void(QWidget*)>& prepare = {}) {
    bool ok = false;
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        if (prepare)
            prepare(dialog);
        Settle();
        ok = Save(*dialog, out, name);
        dialog->close();
    });
    timer->start();
    app.Client()->Command(command);
    Settle();
    return ok;
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
    static ShotPrompts prompts;
    SetPrompts(&prompts);
    app.Frame()->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    Settle();
    bool ok = true;
    for (int view : {CM_VIEW_SKY, CM_VIEW_DOP, CM_VIEW_VISIBILITY})
        app.Client()->Command(view);
    app.Client()->tileSubWindows();
    Settle();
    ok = Save(*app.Frame(), out, "main-window.png") && ok;
    app.Client()->Command(CM_CLOSE_ALL);
    Settle();
    const struct {
        int command;
        const char *shot, *exported;
    } views[] = {{CM_VIEW_VISIBILITY, "gnss-visibility.png", "export-visibility.png"},
                 {CM_VIEW_SKY, "gnss-skyplot.png", "export-skyplot.png"},
                 {CM_VIEW_DOP, "gnss-dopplot.png", "export-dopplot.png"}};
    for (const auto& v : views) {
        app.Client()->Command(v.command);
        Settle();
        if (QMdiSubWindow* w = app.Client()->activeSubWindow())
            w->showMaximized();
        Settle();
        ok = Save(*app.Frame(), out, v.shot) && ok;
        auto* view = qobject_cast<TBaseMDIChild*>(app.Client()->View(v.command));
        QString error;
        const bool exported = view && view->ExportGraphTo(out.filePath(v.exported), view->size(), &error);
        std::printf("%s %s\n", qPrintable(out.filePath(v.exported)),
                    exported ? "written" : qPrintable(error));
        ok = exported && ok;
        if (v.command == CM_VIEW_VISIBILITY) { // the later systems' rows, at the end
            prompts.pdf = out.filePath("printed-visibility.pdf");
            ok = view->PrintGraph() && ok;
            QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
            QCoreApplication::sendEvent(view, &end);
            Settle();
            ok = Save(*app.Frame(), out, "gnss-visibility-end.png") && ok;
        }
        if (v.command == CM_VIEW_DOP) {
            prompts.pdf = out.filePath("printed-dop-table.pdf");
            ok = view->PrintTable() && ok;
            // The size asked before an export's file.
            ok = ShootModal(app, CM_EXPORT_GRAPH, out, "dialog-export.png") && ok;
        }
        app.Client()->Command(CM_CLOSE_ALL);
        Settle();
    }
    ok = ShootModal(app, CM_SAT_CONFIG, out, "gnss-configdialog.png",
                    [](QWidget* dialog) {
                        if (auto* pages = dialog->findChild<QTabWidget*>(ControlName(kLaterSystemsId)))
                            pages->setCurrentIndex(1);
                    }) &&
         ok;
    ok = ShootModal(app, CM_OPTIONS, out, "dialog-options.png") && ok;
    ok = ShootModal(app, CM_ABOUT, out, "dialog-about.png") && ok;
    SetPrompts(nullptr);
    return ok ? 0 : 1;
}
