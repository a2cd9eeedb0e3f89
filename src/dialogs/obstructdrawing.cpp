#include "dialogs/obstructdrawing.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <cmath>

#include "base/strings.h"

namespace {

enum class HAlign { Left, Centre, Right };
enum class VAlign { Top, Baseline, Bottom };

// Text placed with its reference point at (x, y), as a text-alignment flag of the device would.
void DrawAligned(QPainter& p, int x, int y, const QString& text, HAlign h, VAlign v) {
    const QFontMetrics fm(p.font());
    const int width = fm.horizontalAdvance(text);
    int left = x;
    if (h == HAlign::Centre)
        left = x - width / 2;
    else if (h == HAlign::Right)
        left = x - width;
    int baseline = y;
    if (v == VAlign::Top)
        baseline = y + fm.ascent();
    else if (v == VAlign::Bottom)
        baseline = y - fm.descent();
    p.drawText(left, baseline, text);
}

void LabelAlignment(int azimuth, HAlign& h, VAlign& v) {
    if (azimuth == 0) {
        h = HAlign::Centre, v = VAlign::Bottom;
    } else if (azimuth <= 75) {
        h = HAlign::Left, v = VAlign::Bottom;
    } else if (azimuth <= 90) {
        h = HAlign::Left, v = VAlign::Baseline;
    } else if (azimuth <= 170) {
        h = HAlign::Left, v = VAlign::Top;
    } else if (azimuth <= 180) {
        h = HAlign::Centre, v = VAlign::Top;
    } else if (azimuth <= 260) {
        h = HAlign::Right, v = VAlign::Top;
    } else if (azimuth <= 270) {
        h = HAlign::Right, v = VAlign::Baseline;
    } else {
        h = HAlign::Right, v = VAlign::Bottom;
    }
}

QPoint RadialEnd(const ObstructDiagram& d, int azimuth) {
    const auto a = static_cast<float>(azimuth * 3.1416 * (1.0 / 180));
    return {static_cast<int>(std::sin(a) * d.radius + d.cx), static_cast<int>(d.cy - std::cos(a) * d.radius)};
}

void PaintGrid(QPainter& p, const ObstructDiagram& d) {
    p.setPen(QPen(QColor(0, 255, 0), 1));
    p.setBrush(Qt::NoBrush);
    QRect box(d.cx - d.radius, d.cy - d.radius, 2 * d.radius, 2 * d.radius);
    const int shrink = d.radius / 9;
    for (int i = 0; i < 9; ++i) {
        p.drawEllipse(box);
        box.adjust(shrink, shrink, -shrink, -shrink);
    }
    for (int a = 0; a < 360; a += 15)
        p.drawLine(QPoint(d.cx, d.cy), RadialEnd(d, a));
}

void PaintLabels(QPainter& p, const ObstructDiagram& d, const QColor& textColour) {
    const QFontMetrics fm(p.font());
    const int internalLeading = std::max(0, fm.height() - QFontInfo(p.font()).pixelSize());
    const int halfCap = (fm.ascent() - internalLeading) / 2;
    const int average = fm.averageCharWidth();
    p.setPen(textColour);
    for (int a = 0; a < 360; a += 15) {
        QPoint end = RadialEnd(d, a);
        if (a == 90)
            end += QPoint(average / 2, halfCap);
        else if (a == 270)
            end += QPoint(-average / 2, halfCap);
        HAlign h;
        VAlign v;
        LabelAlignment(a, h, v);
        DrawAligned(p, end.x(), end.y(), QString::number(a), h, v);
    }
    const QString letters = QString::fromStdString(ResString(IDS_HEMISPHERE_LETTERS));
    if (letters.size() < 4)
        return;
    p.setPen(QColor(0, 0, 255));
    const int line = fm.height() + internalLeading;
    const QPoint north = RadialEnd(d, 0), south = RadialEnd(d, 180);
    const QPoint east = RadialEnd(d, 90), west = RadialEnd(d, 270);
    DrawAligned(p, north.x(), north.y() - line, letters.mid(0, 1), HAlign::Centre, VAlign::Bottom);
    DrawAligned(p, south.x(), south.y() + line, letters.mid(1, 1), HAlign::Centre, VAlign::Top);
    DrawAligned(p, east.x() + 4 * average, east.y() + halfCap, letters.mid(3, 1), HAlign::Left,
                VAlign::Baseline);
    DrawAligned(p, west.x() - 5 * average, west.y() + halfCap, letters.mid(2, 1), HAlign::Right,
                VAlign::Baseline);
}

void PaintTracks(QPainter& p, const ObstructDiagram& d, const std::vector<SkyTrack>& tracks) {
    p.setPen(QPen(QColor(170, 185, 230), 1));
    for (const SkyTrack& track : tracks) {
        QPolygon line;
        for (const point<double>& direction : track) {
            const IntPoint q = ProjectDirection(direction, d.radius, false);
            line << QPoint(d.cx + q.x, d.cy + q.y);
        }
        p.drawPolyline(line);
    }
}

// The ground between the terrain's skyline and the horizon; the seam between the two rings is
// drawn twice and fills nothing.
void PaintTerrain(QPainter& p, const ObstructDiagram& d, const TerrainHorizon& h) {
    QPolygon ground;
    const int n = h.Count();
    for (int i = 0; i <= n; ++i) {
        const point<double> v(std::max(0.0, static_cast<double>(h.elevation[static_cast<size_t>(i % n)])),
                              i * h.step);
        const IntPoint q = ProjectDirection(v, d.radius, false);
        ground << QPoint(d.cx + q.x, d.cy + q.y);
    }
    for (int i = n; i >= 0; --i) {
        const IntPoint q = ProjectDirection(point<double>(0.0, i * h.step), d.radius, false);
        ground << QPoint(d.cx + q.x, d.cy + q.y);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 196, 160));
    p.drawPolygon(ground, Qt::OddEvenFill);
    p.setPen(QPen(QColor(120, 96, 64), 1));
    p.drawPolyline(ground.constData(), n + 1);
}

void PaintObstructions(QPainter& p, const ObstructDiagram& d, const AList<Obstruction>& list) {
    p.setPen(QPen(QColor(255, 0, 255), 1));
    p.setBrush(QBrush(QColor(192, 192, 192), Qt::DiagCrossPattern));
    for (const Obstruction& obstruction : list) {
        QPolygon polygon;
        for (const IntPoint& q : ProjectForDrawing(obstruction, d.radius, false))
            polygon << QPoint(d.cx + q.x, d.cy + q.y);
        if (!polygon.isEmpty())
            p.drawPolygon(polygon, Qt::OddEvenFill);
    }
}

} // namespace

bool ObstructDiagram::Inside(QPoint p) const {
    const long dx = p.x() - cx, dy = cy - p.y();
    return dx * dx + dy * dy <= static_cast<long>(radius) * radius;
}

point<double> ObstructDiagram::Direction(QPoint p) const {
    const double dx = p.x() - cx, dy = cy - p.y();
    const double d = std::sqrt(dx * dx + dy * dy);
    const double elevation = (1 - d * (1.0 / radius)) * 90;
    double azimuth = 0;
    if (dx != 0 || dy != 0) {
        azimuth = std::atan2(dx, dy);
        if (azimuth < 0)
            azimuth += 6.2832;
        azimuth *= 57.29564553093965; // 180 / 3.1416, as the labels are placed
    }
    return point<double>(elevation, azimuth);
}

void PaintObstructDiagram(QPainter& painter, const ObstructDiagram& diagram, const ObstructScene& scene) {
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    const QColor text = painter.pen().color();
    if (scene.terrain && scene.terrain->Count() > 0)
        PaintTerrain(painter, diagram, *scene.terrain);
    PaintGrid(painter, diagram);
    PaintLabels(painter, diagram, text);
    if (scene.tracks)
        PaintTracks(painter, diagram, *scene.tracks);
    if (scene.obstructions)
        PaintObstructions(painter, diagram, *scene.obstructions);
    const QPen magenta(QColor(255, 0, 255), 1);
    painter.setPen(magenta);
    painter.setBrush(Qt::NoBrush);
    if (scene.polyline && !scene.polyline->empty()) {
        const std::vector<QPoint>& points = *scene.polyline;
        if (points.size() == 1)
            painter.drawPoint(points[0]);
        for (size_t i = 1; i < points.size(); ++i)
            painter.drawLine(points[i - 1], points[i]);
    }
    if (scene.rubberBand && scene.anchor != scene.end)
        painter.drawLine(scene.anchor, scene.end);
    painter.restore();
}
