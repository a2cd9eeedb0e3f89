#include "dialogs/mapdrawing.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "base/degrees.h"
#include "base/strings.h"
#include "dialogs/maplayer.h"
#include "sites/coastline.h"
#include "views/maplegend.h"

MapGeometry MapGeometry::ForClientArea(const QRect& client, int averageCharWidth, int charHeight) {
    int left = client.left(), top = client.top();
    int right = static_cast<int>((client.right() + 1) * 0.8);
    int bottom = static_cast<int>((client.bottom() + 1) * 0.8);
    left += 7 * averageCharWidth;
    right -= 7 * averageCharWidth;
    top += charHeight;
    bottom -= charHeight;
    int width = right - left, height = bottom - top;
    int newWidth = width, newHeight = height;
    if (width * 5 / 9 >= height)
        newWidth = static_cast<int>(height * 1.8);
    else
        newHeight = static_cast<int>(width * 5 / 9.0);
    const int dx = (width - newWidth) / 2, dy = (height - newHeight) / 2;
    return FromEdges(left + dx, top + dy, right - dx, bottom - dy);
}

MapGeometry MapGeometry::FromEdges(int left, int top, int right, int bottom) {
    MapGeometry m;
    m.left = left;
    m.top = top;
    m.right = right;
    m.bottom = bottom;
    m.cx = (left + right) / 2;
    m.cy = (top + bottom) / 2;
    return m;
}

MapGeometry MapGeometry::Showing(double south, double west, double north, double east) const {
    MapGeometry m = FromEdges(left, top, right, bottom);
    // A tenth of the area's size around it, not below a few metres across, and a degree of
    // longitude as wide as it is on the ground at the area's middle latitude.
    const double middle = (south + north) / 2;
    const double ratio =
        double(right - left) / (bottom - top) / std::fmax(std::cos(middle * std::numbers::pi / 180), 0.05);
    const double down = std::fmax((north - south) * 1.2, 1e-4), across = std::fmax((east - west) * 1.2, 1e-4);
    const double wide = std::fmax(across, down * ratio);
    if (wide >= 360 || wide / ratio >= 180)
        return m;
    m.spanLongitude = wide;
    m.spanLatitude = wide / ratio;
    m.centreLatitude = middle;
    m.centreLongitude = (west + east) / 2;
    return m;
}

QPointF MapGeometry::ToPoint(double latitude, double longitude) const {
    return {(right - left) * (longitude - centreLongitude) * (1.0 / spanLongitude) + cx,
            cy - (bottom - top) * (latitude - centreLatitude) * (1.0 / spanLatitude)};
}

QPoint MapGeometry::ToPixel(double latitude, double longitude) const {
    const QPointF p = ToPoint(latitude, longitude);
    // Far outside any screen, a typed position still maps to some pixel without overflow.
    auto clamp = [](double v) { return static_cast<int>(std::fmax(-1e6, std::fmin(1e6, v))); };
    return {clamp(p.x()), clamp(p.y())};
}

void MapGeometry::FromPixel(QPoint pixel, double& latitude, double& longitude) const {
    longitude = centreLongitude + (pixel.x() - cx) * spanLongitude / (right - left);
    latitude = centreLatitude + (pixel.y() - cy) * -spanLatitude / (bottom - top);
}

QString MapReadout(double value, bool latitude) {
    const QString letters = QString::fromStdString(ResString(IDS_HEMISPHERE_LETTERS));
    int index = latitude ? (value >= 0 ? 0 : 1) : (value >= 0 ? 3 : 2);
    int d, m, s, h;
    DegreesToDms(std::fabs(value), d, m, s, h);
    const QByteArray letter = letters.mid(index, 1).toUtf8();
    return QString::fromStdString(
        FormatText(LoadResString(IDS_MAP_POSITION), d, m, s, h, letter.constData()));
}

namespace {

const QColor kLand(0, 128, 0);

// The land filled, or (over a layer) only its outlines.
void PaintLand(QPainter& p, const MapGeometry& map, bool outlines) {
    const QColor land = outlines ? QColor(0, 0, 0) : kLand;
    p.setPen(outlines ? QPen(land, 1) : QPen(Qt::NoPen));
    p.setBrush(outlines ? QBrush(Qt::NoBrush) : QBrush(land));
    int at = 0;
    for (int i = 0; i < kCoastlineOutlines; ++i) {
        const int count = kCoastlineCounts[i];
        QPolygon polygon;
        for (int k = 0; k < count; ++k)
            polygon << map.ToPixel(kCoastline[at + k].latitude, kCoastline[at + k].longitude);
        at += count;
        const bool dot = count == 1 || (count == 2 && polygon[0] == polygon[1]);
        if (dot) {
            p.save();
            p.setPen(land);
            p.drawPoint(polygon[0]);
            p.restore();
        } else if (count > 0) {
            p.drawPolygon(polygon, Qt::OddEvenFill);
        }
    }
}

// A zoomed map: dotted lines at round degrees, labelled at the left and the bottom.
void PaintDegreeGrid(QPainter& p, const MapGeometry& map, const QString& letters) {
    const QFontMetrics fm(p.font());
    double north, west, south, east;
    map.FromPixel(QPoint(map.left, map.top), north, west);
    map.FromPixel(QPoint(map.right, map.bottom), south, east);
    const auto label = [&letters](double value, double step, int positive, int negative) {
        const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 6);
        const QByteArray number = QString::number(std::fabs(value), 'f', decimals).toUtf8();
        const QByteArray letter = letters.mid(value < 0 ? negative : positive, 1).toUtf8();
        return QString::fromStdString(
            FormatText(LoadResString(IDS_MAPDLG_GRID_DEGREES), number.constData(), letter.constData()));
    };
    const std::vector<double> latitudes = MapTicks(south, north, 5), longitudes = MapTicks(west, east, 6);
    for (double lat : latitudes) {
        const int y = map.ToPixel(lat, 0).y();
        p.drawLine(map.left, y, map.right, y);
        const QString text = label(lat, latitudes.size() > 1 ? latitudes[1] - latitudes[0] : 1, 0, 1);
        p.drawText(map.left - fm.horizontalAdvance(text) - fm.averageCharWidth() / 2, y + fm.ascent() / 2 - 1,
                   text);
    }
    for (double lon : longitudes) {
        const int x = map.ToPixel(0, lon).x();
        p.drawLine(x, map.top, x, map.bottom);
        const QString text = label(lon, longitudes.size() > 1 ? longitudes[1] - longitudes[0] : 1, 3, 2);
        p.drawText(x - fm.horizontalAdvance(text) / 2, map.bottom + fm.ascent(), text);
    }
}

void PaintGrid(QPainter& p, const MapGeometry& map) {
    const int w = map.right - map.left, h = map.bottom - map.top;
    const QFontMetrics fm(p.font());
    const int internalLeading = std::max(0, fm.height() - QFontInfo(p.font()).pixelSize());
    const int lower = (fm.ascent() - internalLeading) / 2;
    const QString letters = QString::fromStdString(ResString(IDS_HEMISPHERE_LETTERS));
    auto text = [&letters](int id, int letter) {
        const QByteArray l = letters.mid(letter, 1).toUtf8();
        return QString::fromStdString(FormatText(LoadResString(id), l.constData()));
    };
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.setBackgroundMode(Qt::TransparentMode);
    if (!map.WholeWorld()) {
        PaintDegreeGrid(p, map, letters);
        return;
    }
    const int equator = map.top + h / 2, meridian = map.left + w / 2;
    p.drawLine(map.left, equator, map.right, equator);
    const QString west = text(IDS_MAPDLG_WEST_END, 2), east = text(IDS_MAPDLG_EAST_END, 3);
    p.drawText(map.left - fm.horizontalAdvance(west), equator + lower, west);
    p.drawText(map.right, equator + lower, east);
    p.drawLine(meridian, map.top, meridian, map.bottom);
    const QString north = text(IDS_MAPDLG_POLE, 0), south = text(IDS_MAPDLG_POLE, 1);
    p.drawText(meridian - fm.horizontalAdvance(north) / 2, map.top - fm.descent(), north);
    p.drawText(meridian - fm.horizontalAdvance(south) / 2, map.bottom + fm.ascent(), south);
    for (int y : {equator + h / 4, equator - h / 4})
        p.drawLine(map.left, y, map.right, y);
    for (int x : {meridian + w / 4, meridian - w / 4})
        p.drawLine(x, map.top, x, map.bottom);
}

void PaintFrame(QPainter& p, const MapGeometry& map) {
    const QRect r = map.Rect();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRect(r.left(), r.bottom() - 1, r.width(), 2));
    p.drawRect(QRect(r.right() - 1, r.top(), 2, r.height()));
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(QRect(r.left(), r.top(), 2, r.height() - 2));
    p.drawRect(QRect(r.left(), r.top(), r.width() - 2, 2));
}

} // namespace

void PaintMap(QPainter& painter, const MapGeometry& map, const MapLayer* layer) {
    painter.save();
    painter.fillRect(map.Rect(), QColor(0, 0, 255));
    painter.setClipRect(map.Rect());
    PaintLand(painter, map, false);
    if (layer && !layer->Image().isNull()) {
        // A pixel of the picture per value, stretched over its cells without blending them.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(
            QRectF(map.ToPoint(layer->North(), layer->West()), map.ToPoint(layer->South(), layer->East())),
            layer->Image());
        PaintLand(painter, map, true);
    }
    painter.setClipping(false);
    PaintGrid(painter, map);
    PaintFrame(painter, map);
    painter.restore();
}
