// Screenshots of the site dialogs, to look at them and for the documentation:
//   xvfb-run -s "-screen 0 1280x860x24" build/tavrin_dialog_shots data/sites/sample.spl docs
//       [ALMANAC YYYY-MM-DD [ELEVATION-MODEL]]
// Each dialog is shown on the list's current site, left to settle, and grabbed to a PNG. With an
// almanac and a day the obstruction editor shows the satellite tracks of that day; with an
// elevation model also the terrain behind them (obstruction-editor-terrain.png). With
// TAVRIN_SHOT_MAP_LAYER naming a map file (tavrin-cli map -o x.tif), the site map shows each of
// its bands as a layer (site-map-layer-1.png, ...).
#include <QApplication>
#include <QDir>
#include <QThread>
#include <QWidget>

#include <cstdio>

#include "dialogs/mapdialog.h"
#include "dialogs/obstructdialog.h"
#include "dialogs/sitedialog.h"
#include "engine/calculator.h"
#include "engine/skytracks.h"
#include "sites/project.h"
#include "terrain/terrainmodel.h"

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
    SiteInfo* site = list.CurrentSite();
    {
        AList<Obstruction> obstructions = site->obstructions;
        std::vector<SkyTrack> tracks;
        int year = 0, month = 0, day = 0;
        if (argc > 4 && std::sscanf(argv[4], "%d-%d-%d", &year, &month, &day) == 3) {
            Calculator calculator;
            calculator.LoadAlmanac(argv[3]);
            calculator.SetTimeStep(300);
            SiteInfo open(site->latitude, site->longitude, site->altitude, site->name, "", site->gmtOffset);
            calculator.Recalculate(open, PlanInterval(day, month, year, 0, 0, 24, 0), 1);
            tracks = SkyTracksOf(calculator);
        }
        ObstructDialog dialog(nullptr, obstructions, QString::fromUtf8(site->name), tracks);
        ok = Shoot(dialog, out.filePath(QStringLiteral("obstruction-editor.png"))) && ok;
        if (argc > 5) {
            TerrainModel model;
            std::string error;
            std::shared_ptr<const TerrainHorizon> terrain;
            if (model.Open(argv[5], error))
                terrain = model.Horizon(site->latitude, site->longitude, site->altitude, HorizonSettings(),
                                        "", error);
            if (!terrain) {
                std::fprintf(stderr, "%s\n", error.c_str());
                return 1;
            }
            ObstructDialog withTerrain(nullptr, obstructions, QString::fromUtf8(site->name), tracks, 0,
                                       terrain);
            ok = Shoot(withTerrain, out.filePath(QStringLiteral("obstruction-editor-terrain.png"))) && ok;
        }
    }
    {
        double latitude = site->latitude, longitude = site->longitude;
        MapDialog dialog(nullptr, QString::fromUtf8(site->name), latitude, longitude);
        ok = Shoot(dialog, out.filePath(QStringLiteral("site-map.png"))) && ok;
        const QString layer = qEnvironmentVariable("TAVRIN_SHOT_MAP_LAYER");
        for (int band = 0; !layer.isEmpty() && dialog.ShowLayer(layer, band); ++band) {
            ok = Shoot(dialog, out.filePath(QStringLiteral("site-map-layer-%1.png").arg(band + 1))) && ok;
            if (band + 1 >= dialog.Layer()->BandNames().size())
                break;
        }
    }
    return ok ? 0 : 1;
}
