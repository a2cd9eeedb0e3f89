// One full repaint of each view at 1920 x 1080 from the sample scene (24 hours at 5 minutes).
// Built only by the views' own benchmark target; the general benchmark target has no Qt.
#ifdef TAVRIN_VIEWS_BENCH

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "views/viewinputs.h"
#include "views/viewprinting.h"
#include "views_scene.h"

namespace {

views_scene::Scene* g_scene = nullptr;

// `firstPaint`: a new view every time, with nothing kept from an earlier paint.
void Repaint(benchmark::State& state, int kind, bool firstPaint = false) {
    const ViewInputs in =
        InputsFromCalculator(g_scene->calc, g_scene->interval, ObstructionsOf(&g_scene->site));
    const QSize size(1920, 1080);
    QImage image(size, QImage::Format_RGB32);
    std::unique_ptr<ViewPainter> view = MakeViewPainter(kind);
    for (auto _ : state) {
        if (firstPaint)
            view = MakeViewPainter(kind);
        QPainter painter(&image);
        PaintWindowPicture(*view, painter, in, size);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

bool WritePictures(const char* prefix) {
    const ViewInputs in =
        InputsFromCalculator(g_scene->calc, g_scene->interval, ObstructionsOf(&g_scene->site));
    const QSize size(1920, 1080);
    const std::pair<int, const char*> kinds[] = {
        {kViewKindVisibility, "visibility"}, {kViewKindSky, "sky"}, {kViewKindDop, "dop"}};
    for (const auto& [kind, name] : kinds) {
        QImage image(size, QImage::Format_RGB32);
        std::unique_ptr<ViewPainter> view = MakeViewPainter(kind);
        // The third paint, as the benchmark measures it: what a view keeps from its earlier
        // paints (the sky plot's marker stamps) is in use by then.
        for (int k = 0; k < 3; ++k) {
            QPainter painter(&image);
            PaintWindowPicture(*view, painter, in, size);
        }
        const QString path =
            QString::fromLocal8Bit(prefix) + QLatin1Char('-') + QLatin1String(name) + QLatin1String(".png");
        if (!image.save(path)) {
            std::fprintf(stderr, "%s cannot be written\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

void BM_SatVisibilityRepaint(benchmark::State& s) {
    Repaint(s, kViewKindVisibility);
}
void BM_SkyPlotRepaint(benchmark::State& s) {
    Repaint(s, kViewKindSky);
}
void BM_SkyPlotFirstPaint(benchmark::State& s) {
    Repaint(s, kViewKindSky, true);
}
void BM_DopPlotRepaint(benchmark::State& s) {
    Repaint(s, kViewKindDop);
}

// The minimum beside the median: on a shared machine the least disturbed repetition says most.
double Minimum(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

BENCHMARK(BM_SatVisibilityRepaint)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ComputeStatistics("min", Minimum)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SkyPlotRepaint)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ComputeStatistics("min", Minimum)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SkyPlotFirstPaint)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ComputeStatistics("min", Minimum)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DopPlotRepaint)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ComputeStatistics("min", Minimum)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    auto scene = views_scene::MakeScene(TAVRIN_ALMANAC_DIR "/alm18.258", 300);
    if (!scene) {
        std::fprintf(stderr, "the sample almanac %s cannot be loaded\n", TAVRIN_ALMANAC_DIR "/alm18.258");
        return 1;
    }
    g_scene = scene.get();
    // --png=PREFIX writes the pictures the benchmarks paint (PREFIX-sky.png, ...) instead, so a
    // change meant to be faster can be checked pixel by pixel against the picture before it.
    if (argc > 1 && std::strncmp(argv[1], "--png=", 6) == 0)
        return WritePictures(argv[1] + 6) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#endif
