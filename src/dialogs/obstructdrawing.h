// The obstruction editor's polar diagram: geometry, the pixel-to-direction conversion and the
// drawing of grid, labels, compass letters, satellite tracks, obstructions and the outline being
// drawn onto any painter.
#pragma once

#include <QPoint>

#include <vector>

#include "sites/obstruction.h"
#include "sites/skytracksource.h"
#include "sites/terrainhorizon.h"

class QPainter;

struct ObstructDiagram {
    int cx = 0, cy = 0, radius = 1;

    bool Inside(QPoint p) const;
    // x elevation, y azimuth in degrees; the centre is the zenith with azimuth 0.
    point<double> Direction(QPoint p) const;
};

struct ObstructScene {
    const AList<Obstruction>* obstructions = nullptr;
    const std::vector<QPoint>* polyline = nullptr;
    // The rubber band from the last vertex to the pointer while a segment is dragged.
    bool rubberBand = false;
    QPoint anchor, end;
    const std::vector<SkyTrack>* tracks = nullptr;
    const TerrainHorizon* terrain = nullptr; // drawn filled behind the outlines
};

void PaintObstructDiagram(QPainter& painter, const ObstructDiagram& diagram, const ObstructScene& scene);
