// tavrin-cli plan --graphs/--pdf: the views' own drawing, on the offscreen platform so that it runs
// without a display.
#include <QGuiApplication>
#include <QtGlobal>

#include <cstdlib>

#include "cli/commands.h"
#include "cli/planner.h"
#include "views/ui/graphexport.h"

namespace {

// Qt's notes about the environment (no runtime directory, no session bus) are not the user's
// business; its errors still are.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        Fail(kExitFailure, message.toStdString());
}

} // namespace

int WriteGraphs(const Plan& plan, const std::string& directory, const std::string& pdf, bool force) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "tavrin-cli";
    char* argv[] = {name, nullptr};
    qInstallMessageHandler(QuietMessages);
    QGuiApplication application(argc, argv);
    GraphExportRequest request;
    request.calculator = plan.calc.get();
    request.site = plan.site;
    request.interval = plan.interval;
    if (plan.sources) {
        request.systems = plan.sources->systems;
        request.sources = plan.sources->lines;
    }
    request.graphsDirectory = directory;
    request.pdfPath = pdf;
    request.writeOptions.replaceReadOnly = force;
    request.writeErrorText = OutputErrorText;
    std::string error;
    if (!ExportGraphs(request, error))
        return Fail(kExitFailure, error);
    return kExitOk;
}
