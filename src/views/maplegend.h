// The colours of a map's values and their legend: one ramp, dark at the bad end and bright at the
// good one, whichever way the quantity runs; a colour of its own for "no fix" (PDOP without a
// solution) and for cells without data. Map pictures and the site map's layer both draw with it.
#pragma once

#include <QColor>
#include <QRect>
#include <QSize>

#include <vector>

#include "engine/areamap.h"

class QPainter;

// The ramp from 0 (the bad end, dark violet) to 1 (the good end, bright yellow): a perceptually
// even blue-green-yellow ramp after viridis, from a polynomial fit of it.
QColor MapRampColour(double t);

struct MapScale {
    MapQuantity quantity = MapQuantity::Hours;
    double low = 0, high = 1; // the values at the ramp's ends, low < high
    bool hasNoFix = false, hasNoData = false;
    bool clipped = false; // values beyond `high` take its colour (the legend says "at least")

    // Where `value` falls on the ramp, 0 bad .. 1 good; negative for no fix or no data.
    double Position(float value) const;
    QColor Colour(float value) const;
};

inline const QColor kMapNoFixColour(178, 24, 43);
inline const QColor kMapNoDataColour(190, 190, 190);

// The scale of a band's values: their finite range (widened when all are equal), and whether some
// have no fix or no data. PDOP has no upper bound, and a few cells near a fix's loss would press
// all others into one colour: its ramp ends at the 95th percentile, the rest clipped to it.
MapScale MakeMapScale(MapQuantity quantity, const std::vector<float>& values);

// Round values (1, 2 or 5 times a power of ten apart) within low .. high, at most `most` of them.
std::vector<double> MapTicks(double low, double high, int most);

// The legend: the quantity's word and unit, the ramp upright with the good end on top and its
// ticks, then a swatch for no fix and one for no data where the map has them. Drawn with the
// painter's font; its size for the ramp `rampHeight` pixels tall.
QSize MapLegendSize(QPainter& painter, const MapScale& scale, int rampHeight);
void PaintMapLegend(QPainter& painter, QPoint topLeft, const MapScale& scale, int rampHeight);
