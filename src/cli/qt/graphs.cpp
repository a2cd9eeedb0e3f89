// tavrin-cli plan --graphs/--pdf and map -o FILE.png: the views' own drawing, on the offscreen
// platform so that it runs without a display.
#include <QGuiApplication>
#include <QtGlobal>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "base/strings.h"
#include "cli/commands.h"
#include "cli/planner.h"
#include "reports/mappicture.h"
#include "views/ui/graphexport.h"
#include "views/ui/mapexport.h"

namespace {

// Qt's notes about the environment (no runtime directory, no session bus) are not the user's
// business; its errors still are.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        Fail(kExitFailure, message.toStdString());
}

// The Qt application the drawing needs, on the offscreen platform unless the user names another;
// none when the process already has one.
std::unique_ptr<QGuiApplication> DrawingApplication() {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QuietMessages);
    if (QGuiApplication::instance())
        return nullptr;
    static int argc = 1; // Qt keeps a reference to it
    static char name[] = "tavrin-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int WriteMapPictures(const MapPicture& picture, const std::vector<std::string>& paths, bool force) {
    const std::unique_ptr<QGuiApplication> application = DrawingApplication();
    const bool several = picture.quantities.size() > 1;
    for (const std::string& path : paths)
        for (size_t band = 0; band < picture.quantities.size(); ++band) {
            const std::string target =
                several ? MapPicturePath(path, MapQuantityWord(picture.quantities[band])) : path;
            int error = 0;
            if (!WriteMapPng(picture, band, target, &error, SafeWriteOptions{force}))
                return Fail(kExitFailure, error == EIO ? FormatText(ResString(IDS_MAP_PICTURE_FAILED).c_str(),
                                                                    target.c_str())
                                                       : OutputErrorText(target, error));
        }
    return kExitOk;
}

int WriteGraphs(const Plan& plan, const std::string& directory, const std::string& pdf, bool force) {
    const std::unique_ptr<QGuiApplication> application = DrawingApplication();
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
