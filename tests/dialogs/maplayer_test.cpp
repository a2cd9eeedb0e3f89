// A map file shown on the site map: its cells in the ramp's colours under the coastlines, a band
// chosen, cleared, and a file that cannot be shown leaving the map as it was.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QPushButton>

#include <filesystem>
#include <fstream>
#include <memory>

#include "dialogs/mapdialog.h"
#include "dialogs/sitedialog_fixture.h"
#include "sites/coastline.h"
#include "terrain/maprasters.h"
#include "views/maplegend.h"

using sitedialog_fixture::Control;
using sitedialog_fixture::Drain;

namespace fs = std::filesystem;

namespace {

constexpr float kNo = -9999.0f;

// A map of 4 x 2 cells of one degree from `north`, `west`: hours 0 .. 12 and worst PDOP 1 .. 8.
QString WriteMap(const fs::path& path, double north, double west, const char* firstBand = "hours") {
    MapRasterWriter w;
    std::string error;
    const bool ok = w.Create(path.string(), 4, 2, west, north, 1, 1, {firstBand, "worst-pdop"}, kNo, error) &&
                    w.WriteRows(0, 2, {{0, 3, 6, 12, kNo, 6, 9, 12}, {1, 2, 3, 8, kNo, 4, 5, 6}}, error) &&
                    w.Finish(error);
    EXPECT_TRUE(ok) << error;
    return QString::fromStdString(path.string());
}

// The map's pixels with the blinking marker's square blanked.
QImage MapPixels(MapDialog& d) {
    QImage image = d.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint at = d.Geometry().ToPixel(d.ChosenLatitude(), d.ChosenLongitude());
    for (int y = at.y() - 5; y <= at.y() + 5; ++y)
        for (int x = at.x() - 5; x <= at.x() + 5; ++x)
            if (image.valid(x, y))
                image.setPixel(x, y, 0);
    return image;
}

QColor PixelAt(MapDialog& d, double latitude, double longitude) {
    return d.grab().toImage().pixelColor(d.Geometry().ToPixel(latitude, longitude));
}

class MapLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Each test its own directory: ctest runs them side by side.
        dir = fs::temp_directory_path() /
              ("tavrin-maplayer-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        dialog = std::make_unique<MapDialog>(nullptr, QStringLiteral("Lukla"), latitude, longitude);
        dialog->show();
        Drain();
    }
    void TearDown() override { fs::remove_all(dir); }
    void ChooseFile(const QString& path) {
        prompts.files.push_back(path);
        Control<QPushButton>(dialog.get(), 913)->click();
        Drain();
    }

    ScriptedPrompts prompts;
    fs::path dir;
    double latitude = 27.69, longitude = 86.73;
    std::unique_ptr<MapDialog> dialog;
};

} // namespace

TEST_F(MapLayerTest, DrawsEachCellInTheRampsColourUnderTheCoastlines) {
    const QImage world = MapPixels(*dialog);
    ChooseFile(WriteMap(dir / "khumbu.tif", 29, 85));
    ASSERT_NE(dialog->Layer(), nullptr);
    EXPECT_FALSE(dialog->Geometry().WholeWorld()); // zoomed to the map's area
    auto* band = Control<QComboBox>(dialog.get(), 915);
    EXPECT_TRUE(band->isEnabled());
    EXPECT_EQ(band->currentText(), "hours");

    // Cell centres (half degrees) and the colours their values take: hours rise well, PDOP does not.
    const struct {
        int band;
        double latitude, longitude;
        QColor colour;
    } cells[] = {
        {0, 28.5, 88.5, MapRampColour(1)},         // 12 h, the best
        {0, 28.5, 87.5, MapRampColour(0.5)},       // 6 h of 0 .. 12
        {0, 28.5, 85.5, MapRampColour(0)},         // 0 h
        {0, 27.5, 85.5, QColor(0, 128, 0)},        // no data: the land shows through
        {1, 28.5, 85.5, MapRampColour(1)},         // PDOP 1 of 1 .. 8, the best
        {1, 27.5, 86.5, MapRampColour(4.0 / 7.0)}, // PDOP 4
    };
    for (const auto& c : cells) {
        if (band->currentIndex() != c.band) {
            band->setCurrentIndex(c.band);
            emit band->activated(c.band);
            Drain();
        }
        EXPECT_EQ(PixelAt(*dialog, c.latitude, c.longitude), c.colour)
            << "band " << c.band << " at " << c.latitude << ", " << c.longitude;
    }

    // A coastline over a layer: a map around one of its vertices shows the outline there, and the
    // cells around it.
    const CoastVertex v = kCoastline[kCoastlineCounts[0] / 2];
    ChooseFile(WriteMap(dir / "coast.tif", v.latitude + 1, v.longitude - 2));
    const QImage coast = dialog->grab().toImage();
    const QPoint at = dialog->Geometry().ToPixel(v.latitude, v.longitude);
    int black = 0; // the outline passes within a pixel of its vertex
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            black += coast.pixelColor(at + QPoint(dx, dy)) == QColor(0, 0, 0);
    EXPECT_GT(black, 0);
    EXPECT_EQ(PixelAt(*dialog, v.latitude + 0.5, v.longitude - 1.5), MapRampColour(0));

    // Cleared: the world map as before.
    Control<QPushButton>(dialog.get(), 914)->click();
    Drain();
    EXPECT_EQ(dialog->Layer(), nullptr);
    EXPECT_FALSE(Control<QPushButton>(dialog.get(), 914)->isEnabled());
    EXPECT_FALSE(band->isEnabled());
    EXPECT_TRUE(MapPixels(*dialog) == world);
}

TEST_F(MapLayerTest, AFileThatCannotBeShownLeavesTheMapAsItWas) {
    const QString shown = WriteMap(dir / "good.tif", 29, 85);
    ChooseFile(shown);
    const QImage before = MapPixels(*dialog);
    { std::ofstream(dir / "damaged.tif", std::ios::binary) << std::string("II*\0garbage", 11); }
    const struct {
        QString path;
        const char* said;
    } bad[] = {
        {QString::fromStdString((dir / "damaged.tif").string()), "damaged.tif: not a map"},
        {WriteMap(dir / "height.tif", 29, 85, "height"), "band 1 is named \"height\""},
    };
    for (const auto& b : bad) {
        prompts.answers.push_back(IDOK);
        ChooseFile(b.path);
        EXPECT_TRUE(prompts.LastText().contains(QString::fromUtf8(b.said)))
            << prompts.LastText().toStdString();
        ASSERT_NE(dialog->Layer(), nullptr);
        EXPECT_EQ(dialog->Layer()->Path(), shown);
        EXPECT_TRUE(MapPixels(*dialog) == before) << b.said;
    }
}
