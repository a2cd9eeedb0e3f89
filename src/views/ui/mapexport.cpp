#include "views/ui/mapexport.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "views/canvas.h"
#include "views/maplegend.h"
#include "views/viewprinting.h"
#include "views/viewstate.h"

namespace {

constexpr int kPictureDpi = 96;
constexpr int kMapSide = 800; // pixels the map's longer side aims at
constexpr int kCaptionIndentChars = 2;
constexpr double kMetresPerDegree = 111320.0; // along the equator; a map's cells only need ratios

struct Layout {
    int line = 1, charWidth = 1;
    int caption = 0; // height of the caption
    QRect map;       // where the cells go
    QPoint legend;   // its top left
    int rampHeight = 0;
    QSize size; // the whole picture
};

void SetResolution(QImage& image) {
    const int perMetre = qRound(kPictureDpi / 0.0254);
    image.setDotsPerMeterX(perMetre);
    image.setDotsPerMeterY(perMetre);
}

QString Degrees(double value, int decimals) {
    return QString::number(value, 'f', decimals) + QChar(0x00B0);
}

int DecimalsOf(const std::vector<double>& ticks) {
    if (ticks.size() < 2)
        return 2;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(ticks[1] - ticks[0]) - 1e-9)), 0, 6);
}

// The caption's lines below the header block, wrapped to the picture.
std::vector<std::string> CaptionLines(const MapPicture& p, int widthChars) {
    std::vector<std::string> lines;
    for (const std::string& l : p.lines)
        for (const std::string& w : WrapWords(l, std::max(20, widthChars - 2 * kCaptionIndentChars)))
            lines.push_back(w);
    return lines;
}

// The header block and the lines below it at the top; returns its height.
int PaintCaption(QPainter& painter, const MapPicture& p, int width, bool paint) {
    ViewState vs;
    Canvas dc(painter);
    vs.SelectViewFont(dc, 0, 0, 0);
    const ViewLayout& L = vs.layout;
    const int chars = L.AvgCharWidth > 0 ? width / L.AvgCharWidth : 0;
    const HeaderBlock block = LayoutHeaderBlock(p.header, kCaptionIndentChars, 0, chars);
    const std::vector<std::string> lines = CaptionLines(p, chars);
    if (paint) {
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(Qt::black);
        PrintHeader(dc, p.header, kCaptionIndentChars, 0, L.AvgCharWidth, L.LineHeight, width);
        const int oldAlign = dc.SetTextAlign(TA_LEFT | TA_TOP);
        for (size_t i = 0; i < lines.size(); ++i)
            dc.TextOut(kCaptionIndentChars * L.AvgCharWidth,
                       (block.heightLines + 1 + static_cast<int>(i)) * L.LineHeight,
                       QString::fromStdString(lines[i]));
        dc.SetTextAlign(oldAlign);
    }
    const int height = (block.heightLines + 2 + static_cast<int>(lines.size())) * L.LineHeight;
    vs.ReleaseFont(dc);
    return height;
}

QFont LabelFont() {
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(9);
    return f;
}

Layout Measure(const MapPicture& p, const MapScale& scale) {
    QImage scratch(QSize(1, 1), QImage::Format_RGB32);
    SetResolution(scratch);
    QPainter painter(&scratch);
    painter.setFont(LabelFont());
    const QFontMetrics fm = painter.fontMetrics();
    Layout l;
    l.line = fm.height();
    l.charWidth = std::max(1, fm.averageCharWidth());
    // Cells as wide and tall as the ground they cover.
    const double middle = (p.area.south + p.area.north) / 2 * 3.14159265358979323846 / 180;
    const double across = (p.area.east - p.area.west) * std::cos(middle);
    const double along = p.area.north - p.area.south;
    int w = kMapSide, h = kMapSide;
    if (across > along)
        h = std::max(1, static_cast<int>(std::lround(kMapSide * along / across)));
    else
        w = std::max(1, static_cast<int>(std::lround(kMapSide * across / along)));
    // No smaller than a pixel per sample.
    const double grow = std::max({1.0, static_cast<double>(p.columns) / w, static_cast<double>(p.rows) / h});
    w = static_cast<int>(std::lround(w * grow));
    h = static_cast<int>(std::lround(h * grow));
    const int decimals = DecimalsOf(MapTicks(p.area.south, p.area.north, 6));
    const int latLabel = std::max(fm.horizontalAdvance(Degrees(p.area.south, decimals)),
                                  fm.horizontalAdvance(Degrees(p.area.north, decimals)));
    const int margin = 2 * l.charWidth;
    l.rampHeight = std::max(8 * l.line, h * 3 / 5);
    const QSize legend = MapLegendSize(painter, scale, l.rampHeight);
    const int width = std::max(margin + latLabel + l.charWidth + w + 3 * margin + legend.width() + margin,
                               100 * l.charWidth);
    painter.end();
    QPainter again(&scratch);
    l.caption = PaintCaption(again, p, width, false);
    again.end();
    const int left = std::max(margin + latLabel + l.charWidth, (width - w - 3 * margin - legend.width()) / 2);
    l.map = QRect(left, l.caption + l.line / 2, w, h);
    l.legend = QPoint(l.map.right() + 1 + 3 * margin, l.map.top());
    l.size = QSize(width, std::max(l.map.bottom() + 1 + 2 * l.line, l.legend.y() + legend.height()) + l.line);
    return l;
}

// The cells in their colours, shaded by the ground's light where there is a model; a pixel each.
QImage Cells(const MapPicture& p, size_t band, const MapScale& scale) {
    QImage cells(p.columns, p.rows, QImage::Format_RGB32);
    std::vector<float> shade;
    if (p.hasModel) {
        const double middle = (p.area.south + p.area.north) / 2 * 3.14159265358979323846 / 180;
        const double east =
            p.area.LongitudeStep() * p.area.columns / p.columns * kMetresPerDegree * std::cos(middle);
        const double south = p.area.LatitudeStep() * p.area.rows / p.rows * kMetresPerDegree;
        shade = MapHillShade(p.ground, p.columns, p.rows, east, south);
    }
    const std::vector<float>& values = p.values[band];
    constexpr double kFlat = 0.70710678118654752; // the light on flat ground
    for (int r = 0; r < p.rows; ++r) {
        auto* line = reinterpret_cast<QRgb*>(cells.scanLine(r));
        for (int c = 0; c < p.columns; ++c) {
            const size_t at =
                static_cast<size_t>(r) * static_cast<size_t>(p.columns) + static_cast<size_t>(c);
            QColor colour = scale.Colour(values[at]);
            if (!shade.empty() && !std::isnan(shade[at]) && values[at] != kMapNoData) {
                // Flat ground keeps the colour; slopes facing the light brighten, the others darken.
                const double k = std::clamp(0.45 + 0.55 * shade[at] / kFlat, 0.2, 1.3);
                const auto times = [k](int v) {
                    return static_cast<int>(std::min(255L, std::lround(v * k)));
                };
                colour = QColor(times(colour.red()), times(colour.green()), times(colour.blue()));
            }
            line[c] = colour.rgb();
        }
    }
    return cells;
}

void PaintAxes(QPainter& painter, const MapPicture& p, const QRect& map, const Layout& l) {
    const QFontMetrics fm = painter.fontMetrics();
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(map.adjusted(-1, -1, 0, 0));
    const int tick = l.charWidth / 2 + 2;
    const std::vector<double> lats = MapTicks(p.area.south, p.area.north, 6);
    const int latDecimals = DecimalsOf(lats);
    for (double lat : lats) {
        const int y = map.top() + static_cast<int>(std::lround((p.area.north - lat) /
                                                               (p.area.north - p.area.south) * map.height()));
        painter.drawLine(map.left() - 1 - tick, y, map.left() - 1, y);
        const QString text = Degrees(lat, latDecimals);
        painter.drawText(QPoint(map.left() - 1 - tick - l.charWidth / 2 - fm.horizontalAdvance(text),
                                y + fm.ascent() / 2 - 1),
                         text);
    }
    const std::vector<double> lons =
        MapTicks(p.area.west, p.area.east, std::max(2, map.width() / (8 * l.charWidth)));
    const int lonDecimals = DecimalsOf(lons);
    for (double lon : lons) {
        const int x =
            map.left() +
            static_cast<int>(std::lround((lon - p.area.west) / (p.area.east - p.area.west) * map.width()));
        painter.drawLine(x, map.bottom() + 1, x, map.bottom() + 1 + tick);
        const QString text = Degrees(lon, lonDecimals);
        painter.drawText(QPoint(x - fm.horizontalAdvance(text) / 2, map.bottom() + 1 + tick + fm.ascent()),
                         text);
    }
}

} // namespace

QImage MapImage(const MapPicture& p, size_t band) {
    if (band >= p.values.size() || p.columns < 1 || p.rows < 1)
        return {};
    const MapScale scale = MakeMapScale(p.quantities[band], p.values[band]);
    const Layout l = Measure(p, scale);
    QImage image(l.size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    SetResolution(image);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintCaption(painter, p, l.size.width(), true);
    painter.setFont(LabelFont());
    // Each cell a block of pixels: no smoothing across cells.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(l.map, Cells(p, band, scale));
    PaintAxes(painter, p, l.map, l);
    PaintMapLegend(painter, l.legend, scale, l.rampHeight);
    painter.end();
    return image;
}

QRect MapImageCells(const MapPicture& p, size_t band) {
    if (band >= p.values.size() || p.columns < 1 || p.rows < 1)
        return {};
    return Measure(p, MakeMapScale(p.quantities[band], p.values[band])).map;
}

bool WriteMapPng(const MapPicture& picture, size_t band, const std::string& path, int* error,
                 SafeWriteOptions options) {
    int ignored = 0;
    int& e = error ? *error : ignored;
    e = 0;
    const QImage image = MapImage(picture, band);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG") || bytes.isEmpty()) {
        e = EIO;
        return false;
    }
    return WriteFileSafely(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &e,
                           options);
}
