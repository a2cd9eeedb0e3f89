// The site map's world map: where it lies in the dialog, the projection between positions and
// pixels, and the drawing of sea, land, grid and frame onto any painter.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>

class MapLayer;
class QPainter;

struct MapGeometry {
    int left = 0, top = 0, right = 1, bottom = 1;
    int cx = 0, cy = 0;
    // The position at the centre and the degrees across and down: the whole world unless zoomed.
    double centreLatitude = 0, centreLongitude = 0;
    double spanLatitude = 180, spanLongitude = 360;

    // The map inside a dialog's client area: the upper left four fifths, less a margin of seven
    // average character widths at the sides and one character height above and below, at 1.8 : 1.
    static MapGeometry ForClientArea(const QRect& client, int averageCharWidth, int charHeight);
    // The map of the given corners, its centre derived.
    static MapGeometry FromEdges(int left, int top, int right, int bottom);
    // The same pixels showing the area between the given edges (degrees) and a little around it,
    // degrees across twice degrees down as on the world map; at most the whole world.
    MapGeometry Showing(double south, double west, double north, double east) const;
    bool WholeWorld() const { return spanLongitude >= 360; }

    QPoint ToPixel(double latitude, double longitude) const;
    QPointF ToPoint(double latitude, double longitude) const;
    void FromPixel(QPoint pixel, double& latitude, double& longitude) const;
    bool Contains(QPoint pixel) const {
        return left <= pixel.x() && pixel.x() < right && top <= pixel.y() && pixel.y() < bottom;
    }
    QRect Rect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
};

// Sea, land from the coastline table, the grid with its labels and the sunken frame; with a layer,
// the layer over the land and the coastlines drawn over it.
void PaintMap(QPainter& painter, const MapGeometry& map, const MapLayer* layer = nullptr);
// The readout of one angle: degrees, minutes, seconds, hundredths and the hemisphere letter.
QString MapReadout(double value, bool latitude);
