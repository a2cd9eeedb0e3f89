// Screenshots of the three views with the sample scene, for the documentation:
//   xvfb-run -s "-screen 0 1280x860x24" build/tavrin_view_shots build/almanacs/alm18.258 docs [PDF
//   [GRAPHS-DIRECTORY]]
// Each view is shown maximised in an MDI area with the status bar and its readout; with a PDF
// path the printed graphs and tables of the same scene are exported there too, and with a
// directory the PNG and SVG pictures of the command line.
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QStatusBar>
#include <QThread>

#include <cstdio>

#include "views/ui/graphexport.h"
#include "views/ui/viewbase.h"
#include "views/ui/viewhost.h"
#include "views_scene.h"

namespace {

class ShotHost : public ViewHost {
public:
    explicit ShotHost(views_scene::Scene& scene, QStatusBar* bar) : scene_(scene), bar_(bar) {}
    const Calculator& ViewCalculator() override { return scene_.calc; }
    const SiteInfo* ViewSite() override { return &scene_.site; }
    const PlanInterval& ViewInterval() override { return scene_.interval; }
    QStatusBar* ViewStatusBar() override { return bar_; }
    void ViewClosed(TBaseMDIChild*) override {}

private:
    views_scene::Scene& scene_;
    QStatusBar* bar_;
};

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tavrin_view_shots ALMANAC OUTPUT-DIRECTORY\n");
        return 2;
    }
    auto scene = views_scene::MakeScene(argv[1], 900);
    if (!scene) {
        std::fprintf(stderr, "%s: cannot be loaded\n", argv[1]);
        return 1;
    }
    scene->interval = PlanInterval(13, 9, 2018, 6, 0, 18, 0);
    scene->calc.Recalculate(scene->site, scene->interval, 1);

    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Tavrin"));
    auto* area = new QMdiArea;
    frame.setCentralWidget(area);
    QStatusBar* bar = frame.statusBar();
    const int widths[4] = {5, 14, 5, 9};
    for (int i = 0; i < 4; ++i) {
        auto* l = new QLabel;
        l->setObjectName(QStringLiteral("pane%1").arg(i + 1));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(widths[i] * l->fontMetrics().averageCharWidth() + 8);
        bar->addPermanentWidget(l);
    }
    bar->findChild<QLabel*>(QStringLiteral("pane4"))->setText(QString::fromUtf8("Cut: 10°"));
    bar->showMessage(QString::fromUtf8("Sparrow Hills  Lat: 55°45' 0\"N  Lon: 37°37'12\"E"));
    frame.resize(1200, 800);
    frame.show();
    ShotHost host(*scene, bar);

    struct Shot {
        int command;
        const char* name;
        QPointF mouse; // fraction of the view
    };
    const Shot shots[3] = {{1106, "view-visibility.png", {0.42, 0.3}},
                           {1108, "view-skyplot.png", {0.62, 0.35}},
                           {1107, "view-dopplot.png", {0.55, 0.5}}};
    for (const Shot& s : shots) {
        TBaseMDIChild* view = CreateView(s.command, host, nullptr);
        QMdiSubWindow* sub = area->addSubWindow(view);
        sub->showMaximized();
        Settle();
        const QPoint p(static_cast<int>(view->width() * s.mouse.x()),
                       static_cast<int>(view->height() * s.mouse.y()));
        QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(view->mapToGlobal(p)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
        Settle();
        const QString path = QString::fromLocal8Bit(argv[2]) + QLatin1Char('/') + QLatin1String(s.name);
        if (!frame.grab().save(path)) {
            std::fprintf(stderr, "%s: cannot be written\n", path.toLocal8Bit().constData());
            return 1;
        }
        sub->close();
        Settle();
    }
    if (argc > 3) {
        GraphExportRequest request;
        request.calculator = &scene->calc;
        request.site = &scene->site;
        request.interval = scene->interval;
        request.pdfPath = argv[3];
        if (argc > 4)
            request.graphsDirectory = argv[4];
        std::string error;
        if (!ExportGraphs(request, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
