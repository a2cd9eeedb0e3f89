// tavrin: the desktop planner.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/about.h"
#include "app/decmdiframe.h"
#include "app/orvantapp.h"
#include "app/sitedialogs.h"
#include "base/strings.h"
#include "sites/project.h"

namespace {

// Prints the time from the start of the process to the first paint of the main window, for the
// start-up measurement (TAVRIN_STARTUP_REPORT=1).
class FirstPaintReport : public QObject {
public:
    explicit FirstPaintReport(const QElapsedTimer& clock) : clock_(clock) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            std::fprintf(stderr, "%s\n",
                         FormatText(LoadResString(IDS_APP_STARTUP_TIME), clock_.elapsed()).c_str());
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    const QElapsedTimer& clock_;
};

int Fail(int id, const char* argument) {
    std::fprintf(stderr, "%s\n", FormatText(LoadResString(id), argument).c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavrin"));
    QApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));

    OrvantApp app;
    QString siteList;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const QByteArray bytes = a.toLocal8Bit();
        if (a == QLatin1String("--no-splash")) {
            SetSplashWanted(false);
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(LoadResString(IDS_APP_USAGE), stdout);
            return 0;
        } else if (a == QLatin1String("--version")) {
            std::printf("tavrin %s\n", TAVRIN_VERSION);
            return 0;
        } else if (a.startsWith('-') || !siteList.isEmpty()) {
            return Fail(IDS_APP_UNKNOWN_OPTION, bytes.constData());
        } else {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(bytes.constData(), ec))
                return Fail(IDS_APP_NO_SUCH_FILE, bytes.constData());
            if (project::FileFormat(bytes.constData()) < 0)
                return Fail(IDS_APP_NOT_A_SITE_LIST, bytes.constData());
            siteList = a;
        }
    }

    InstallSiteDialogs();
    app.InitMainWindow();
    FirstPaintReport report(clock);
    if (qEnvironmentVariableIntValue("TAVRIN_STARTUP_REPORT") == 1)
        app.Frame()->installEventFilter(&report);
    app.InitInstance(siteList);
    return app.Run();
}
