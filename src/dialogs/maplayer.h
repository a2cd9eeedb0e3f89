// A map file shown on the site map: one band read back, coloured with the maps' ramp, under the
// coastlines; cells without data are left clear so that the land shows through them.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include "terrain/maprasters.h"
#include "views/maplegend.h"

class MapLayer {
public:
    // Band `band` (from 0) of the map file at `path`; false with `error` naming the file and what
    // is wrong with it, this layer unchanged.
    bool Load(const QString& path, int band, QString& error);

    const QString& Path() const { return path_; }
    const QStringList& BandNames() const { return bandNames_; }
    int Band() const { return raster_.band; }
    const MapScale& Scale() const { return scale_; }
    // The band's colours, a pixel per value held, row 0 along the north edge.
    const QImage& Image() const { return image_; }
    double South() const { return raster_.south; }
    double West() const { return raster_.west; }
    double North() const { return raster_.north; }
    double East() const { return raster_.east; }

private:
    QString path_;
    QStringList bandNames_;
    MapRaster raster_;
    MapScale scale_;
    QImage image_;
};
