#include "dialogs/satellitemarker.h"

#include <QPainter>

#include <algorithm>

#include "engine/calculator.h"
#include "ui/commands.h"

namespace {

const QColor kUnhealthy(128, 0, 0); // dark red

} // namespace

TSatelliteMarker::TSatelliteMarker(QWidget* parent, int id, const Calculator& engine, int index)
    : QWidget(parent), engine_(engine), index_(index) {
    setObjectName(ControlName(id));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

bool TSatelliteMarker::Marked() const {
    return (engine_.status(index_) & StatusUnhealthy) != 0;
}

QSize TSatelliteMarker::sizeHint() const {
    // 7 x 1 dialog units: about the width of the box's indicator, a few pixels high.
    const int unit = fontMetrics().averageCharWidth();
    return {std::max(10, unit * 7 / 4), std::max(3, fontMetrics().height() / 8)};
}

void TSatelliteMarker::paintEvent(QPaintEvent*) {
    // Other bars keep the dialog's own background: nothing to draw.
    if (!Marked())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), kUnhealthy);
}
