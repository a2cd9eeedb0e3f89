// Opening the site editor on a list of 32,000 sites: the copy the Sites command keeps for Cancel,
// building the dialog and its list, and the first paint. Built only by the dialogs' benchmark
// target; the general benchmark target has no Qt and compiles this file to nothing.
#ifdef TAVRIN_DIALOGS_BENCH

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "dialogs/sitedialog.h"
#include "sites/project.h"

namespace {

project* g_list = nullptr;

void OpenSiteEditor(benchmark::State& state) {
    for (auto _ : state) {
        project copy = *g_list;
        SiteDialog dialog(nullptr, *g_list);
        dialog.show();
        QApplication::processEvents();
        dialog.repaint();
        benchmark::DoNotOptimize(copy.sites.Count());
    }
}
BENCHMARK(OpenSiteEditor)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Add a site at the end of the long list and delete it again, as the buttons do.
void AddAndDeleteOnLongList(benchmark::State& state) {
    g_list->sites.GetAt(g_list->sites.Count() - 1);
    g_list->sites.DeleteCurrent(); // room for one more
    SiteDialog dialog(nullptr, *g_list);
    dialog.show();
    QApplication::processEvents();
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("id909"));
    auto* add = dialog.findChild<QPushButton*>(QStringLiteral("id119"));
    auto* remove = dialog.findChild<QPushButton*>(QStringLiteral("id109"));
    for (auto _ : state) {
        name->setText(QStringLiteral("Benchmark site"));
        add->click();
        remove->click();
        QApplication::processEvents();
    }
}
BENCHMARK(AddAndDeleteOnLongList)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir home;
    setenv("TAVRIN_HOME", home.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    project list;
    list.sites.Clear();
    for (int i = 0; i < kMaxSites; ++i) {
        const std::string name = "Site " + std::to_string(i);
        list.sites.Add(SiteInfo(i % 90, i % 180, i % 1000, name.c_str(), "benchmark", 0.0f));
    }
    list.currentIndex = kMaxSites / 2;
    g_list = &list;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#endif
