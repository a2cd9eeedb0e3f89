#include "views/maplegend.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "base/strings.h"

namespace {

// Matt Zucker's sixth-degree fit of viridis, one polynomial per channel (0..1).
constexpr double kRamp[7][3] = {
    {0.2777273272234177, 0.005407344544966578, 0.3340998053353061},
    {0.1050930431085774, 1.404613529898575, 1.384590162594685},
    {-0.3308618287255563, 0.214847559468213, 0.09509516302823659},
    {-4.634230498983486, -5.799100973351585, -19.33244095627987},
    {6.228269936347081, 14.17993336680004, 56.69055260068105},
    {4.776384997670288, -13.74514537774601, -65.35303263337234},
    {-5.435455855934631, 4.645852612178535, 26.3124352495832},
};

bool IsNoData(float v) {
    return v == kMapNoData || std::isnan(v);
}

bool IsNoFix(float v) {
    return std::isinf(v);
}

// Decimals that tell ticks `step` apart.
int Decimals(double step) {
    return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 6);
}

std::string Title(MapQuantity q) {
    const std::string unit = MapQuantityUnit(q);
    return unit.empty()
               ? std::string(MapQuantityWord(q))
               : FormatText(ResString(IDS_MAP_LEGEND_TITLE).c_str(), MapQuantityWord(q), unit.c_str());
}

struct LegendMetrics {
    int line, gap, rampWidth, labels, swatch;
};

LegendMetrics Measure(QPainter& painter, const MapScale& scale) {
    const QFontMetrics fm = painter.fontMetrics();
    LegendMetrics m{};
    m.line = fm.height();
    m.gap = fm.averageCharWidth();
    m.rampWidth = 2 * m.line;
    m.swatch = m.line;
    const std::vector<double> ticks = MapTicks(scale.low, scale.high, 8);
    const int decimals = ticks.size() > 1 ? Decimals(ticks[1] - ticks[0]) : 1;
    for (double t : ticks)
        m.labels = std::max(m.labels, fm.horizontalAdvance(QString::number(t, 'f', decimals)));
    if (scale.clipped)
        m.labels = std::max(m.labels,
                            fm.horizontalAdvance(QChar(0x2265) + QString::number(scale.high, 'f', decimals)));
    return m;
}

} // namespace

QColor MapRampColour(double t) {
    t = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0);
    int channel[3];
    for (int c = 0; c < 3; ++c) {
        double v = kRamp[6][c];
        for (int k = 5; k >= 0; --k)
            v = v * t + kRamp[k][c];
        channel[c] = static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    }
    return QColor(channel[0], channel[1], channel[2]);
}

double MapScale::Position(float value) const {
    if (IsNoData(value) || IsNoFix(value))
        return -1;
    const double t = std::clamp((value - low) / (high - low), 0.0, 1.0);
    return MapQuantityRisesWell(quantity) ? t : 1 - t;
}

QColor MapScale::Colour(float value) const {
    if (IsNoData(value))
        return kMapNoDataColour;
    if (IsNoFix(value))
        return kMapNoFixColour;
    return MapRampColour(Position(value));
}

MapScale MakeMapScale(MapQuantity quantity, const std::vector<float>& values) {
    MapScale s;
    s.quantity = quantity;
    std::vector<float> finite;
    finite.reserve(values.size());
    for (float v : values) {
        if (IsNoData(v))
            s.hasNoData = true;
        else if (IsNoFix(v))
            s.hasNoFix = true;
        else
            finite.push_back(v);
    }
    double low = 0, high = 0; // nothing but no fix or no data
    if (!finite.empty()) {
        low = *std::min_element(finite.begin(), finite.end());
        high = *std::max_element(finite.begin(), finite.end());
    }
    if (!MapQuantityRisesWell(quantity) && finite.size() >= 20) {
        const auto at = finite.begin() + static_cast<std::ptrdiff_t>(finite.size() * 95 / 100);
        std::nth_element(finite.begin(), at, finite.end());
        if (*at<high&& * at> low) {
            high = *at;
            s.clipped = true;
        }
    }
    if (high - low < 1e-6) {
        // One value: a ramp about it, so that it is labelled and drawn at the middle.
        const double half = std::max(0.5, std::fabs(low) * 0.05);
        low -= half;
        high += half;
    }
    s.low = low;
    s.high = high;
    return s;
}

std::vector<double> MapTicks(double low, double high, int most) {
    std::vector<double> ticks;
    if (!(high > low) || most < 2 || !std::isfinite(high - low))
        return ticks;
    const double rough = (high - low) / (most - 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double f : {1.0, 2.0, 5.0, 10.0})
        if (f * power >= rough - 1e-12 * power) {
            step = f * power;
            break;
        }
    const double tiny = step * 1e-9, first = std::ceil((low - tiny) / step);
    // Counted, not stepped: far from zero a step of one may not change a double.
    for (int i = 0; i <= most; ++i) {
        const double t = (first + i) * step;
        if (t > high + tiny)
            break;
        ticks.push_back(std::fabs(t) < tiny ? 0.0 : t);
    }
    return ticks;
}

QSize MapLegendSize(QPainter& painter, const MapScale& scale, int rampHeight) {
    const LegendMetrics m = Measure(painter, scale);
    const QFontMetrics fm = painter.fontMetrics();
    int width = fm.horizontalAdvance(QString::fromStdString(Title(scale.quantity)));
    width = std::max(width, m.rampWidth + m.gap + m.labels);
    int height = m.line + m.line / 2 + rampHeight + m.line / 2;
    const std::pair<bool, int> swatches[2] = {{scale.hasNoFix, IDS_MAP_LEGEND_NO_FIX},
                                              {scale.hasNoData, IDS_MAP_LEGEND_NO_DATA}};
    for (const auto& [has, text] : swatches)
        if (has) {
            width = std::max(width, m.swatch + m.gap +
                                        fm.horizontalAdvance(QString::fromStdString(ResString(text))));
            height += m.line + m.gap;
        }
    return {width, height};
}

void PaintMapLegend(QPainter& painter, QPoint topLeft, const MapScale& scale, int rampHeight) {
    const LegendMetrics m = Measure(painter, scale);
    const QFontMetrics fm = painter.fontMetrics();
    painter.save();
    painter.setPen(Qt::black);
    int y = topLeft.y();
    const int x = topLeft.x();
    painter.drawText(QPoint(x, y + fm.ascent()), QString::fromStdString(Title(scale.quantity)));
    y += m.line + m.line / 2;
    // The ramp, good end on top, a line of pixels per row.
    const bool rises = MapQuantityRisesWell(scale.quantity);
    for (int row = 0; row < rampHeight; ++row) {
        const double t = rampHeight > 1 ? 1.0 - static_cast<double>(row) / (rampHeight - 1) : 1.0;
        painter.fillRect(QRect(x, y + row, m.rampWidth, 1), MapRampColour(t));
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(x, y, m.rampWidth, rampHeight).adjusted(0, 0, -1, -1));
    const std::vector<double> ticks = MapTicks(scale.low, scale.high, 8);
    const int decimals = ticks.size() > 1 ? Decimals(ticks[1] - ticks[0]) : 1;
    const auto label = [&](double value, const QString& text) {
        const double good = (value - scale.low) / (scale.high - scale.low);
        const double fromTop = rises ? 1 - good : good;
        const int ty = y + static_cast<int>(std::lround(fromTop * (rampHeight - 1)));
        painter.drawLine(x + m.rampWidth - m.gap, ty, x + m.rampWidth + m.gap / 2, ty);
        painter.drawText(QPoint(x + m.rampWidth + m.gap, ty + fm.ascent() / 2 - 1), text);
        return ty;
    };
    // Clipped: the end says "at least", and no tick crowds it.
    const int end = scale.clipped
                        ? label(scale.high, QChar(0x2265) + QString::number(scale.high, 'f', decimals))
                        : -rampHeight;
    for (double t : ticks) {
        const double good = (t - scale.low) / (scale.high - scale.low);
        const int ty = y + static_cast<int>(std::lround((rises ? 1 - good : good) * (rampHeight - 1)));
        if (std::abs(ty - end) >= m.line)
            label(t, QString::number(t, 'f', decimals));
    }
    y += rampHeight + m.line / 2;
    const struct {
        bool has;
        QColor colour;
        int text;
    } swatches[2] = {{scale.hasNoFix, kMapNoFixColour, IDS_MAP_LEGEND_NO_FIX},
                     {scale.hasNoData, kMapNoDataColour, IDS_MAP_LEGEND_NO_DATA}};
    for (const auto& s : swatches) {
        if (!s.has)
            continue;
        y += m.gap;
        painter.fillRect(QRect(x, y, m.swatch, m.swatch), s.colour);
        painter.drawRect(QRect(x, y, m.swatch, m.swatch).adjusted(0, 0, -1, -1));
        painter.drawText(QPoint(x + m.swatch + m.gap, y + fm.ascent()),
                         QString::fromStdString(ResString(s.text)));
        y += m.line;
    }
    painter.restore();
}
