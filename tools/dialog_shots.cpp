// Screenshots of the site dialogs, to look at them and for the documentation:
//   xvfb-run -s "-screen 0 1280x860x24" build/tavrin_dialog_shots data/sites/sample.spl docs
// Each dialog is shown on the list's current site, left to settle, and grabbed to a PNG.
#include <QApplication>
#include <QDir>
#include <QThread>
#include <QWidget>

#include <cstdio>

#include "sites/project.h"
#include "sites/ui/sitedialog.h"

namespace {

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

bool Shoot(QWidget& dialog, const QString& path) {
    dialog.show();
    Settle();
    const bool saved = dialog.grab().save(path);
    std::printf("%s %s\n", qPrintable(path), saved ? "written" : "NOT WRITTEN");
    dialog.hide();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tavrin_dialog_shots SITELIST.spl OUTPUT-DIRECTORY\n");
        return 2;
    }
    project list(argv[1]);
    if (list.loadFailed) {
        std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    bool ok = true;
    {
        SiteDialog dialog(nullptr, list);
        ok = Shoot(dialog, out.filePath(QStringLiteral("site-editor.png"))) && ok;
    }
    return ok ? 0 : 1;
}
