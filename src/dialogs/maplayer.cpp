#include "dialogs/maplayer.h"

#include <cmath>
#include <string>

#include "base/strings.h"

bool MapLayer::Load(const QString& path, int band, QString& error) {
    MapRaster raster;
    std::string problem;
    const std::string file = path.toStdString();
    if (!ReadMapRaster(file, band, raster, problem)) {
        error = QString::fromStdString(problem);
        return false;
    }
    // The band's name says which quantity it holds, and so which end of the ramp is the good one.
    const std::string& name = raster.bandNames[static_cast<size_t>(band)];
    int found = -1;
    std::string words;
    for (int q = 0; q < kMapQuantities; ++q) {
        const char* word = MapQuantityWord(static_cast<MapQuantity>(q));
        words += (q ? ", " : "") + std::string(word);
        if (name == word)
            found = q;
    }
    if (found < 0) {
        error = QString::fromStdString(FormatText(ResString(IDS_MAPDLG_LAYER_BAND_WORD).c_str(), file.c_str(),
                                                  band + 1, name.c_str(), words.c_str()));
        return false;
    }
    MapScale scale = MakeMapScale(static_cast<MapQuantity>(found), raster.values);
    scale.hasNoData = false; // drawn clear, not in a colour of the legend
    QImage image(raster.columns, raster.rows, QImage::Format_ARGB32);
    if (image.isNull()) {
        error = QString::fromStdString(FormatText(ResString(IDS_MAP_READ_NOT_MAP).c_str(), file.c_str(),
                                                  ResString(IDS_MAP_FILE_UNKNOWN).c_str()));
        return false;
    }
    for (int row = 0; row < raster.rows; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        const float* values =
            raster.values.data() + static_cast<size_t>(row) * static_cast<size_t>(raster.columns);
        for (int column = 0; column < raster.columns; ++column) {
            const float v = values[column];
            line[column] = v == raster.noData || std::isnan(v) ? qRgba(0, 0, 0, 0) : scale.Colour(v).rgb();
        }
    }
    path_ = path;
    bandNames_.clear();
    for (const std::string& n : raster.bandNames)
        bandNames_ << QString::fromStdString(n);
    raster_ = std::move(raster);
    raster_.values.clear(); // the picture holds what is drawn
    raster_.values.shrink_to_fit();
    scale_ = scale;
    image_ = std::move(image);
    return true;
}
