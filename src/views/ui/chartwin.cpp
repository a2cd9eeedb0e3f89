#include "views/ui/chartwin.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

#include <algorithm>

#include "base/strings.h"
#include "ui/commands.h"
#include "ui/controls.h"

namespace {

QString Res(int id) {
    return QString::fromStdString(ResString(id));
}

} // namespace

// ---- tool bar --------------------------------------------------------------------------------

TChartTool::TChartTool(TChartWin& chart) : QWidget(&chart), chart_(chart) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    const QFont font = ViewButtonFont(this);
    const QFontMetrics fm(font);
    const int cw = fm.averageCharWidth();
    const int h = (fm.height() + fm.leading()) * 7 / 4;
    height_ = h + 2;
    const uint32_t flags = chart.Drawing().vs.ViewFlags;
    for (int i = 0; i < 6; ++i) {
        const int id = CM_CHART_PDOP + i;
        auto* box = new ChartCheckBox(Res(2240 + i), this);
        box->setObjectName(ControlName(id));
        box->setTristate(true);
        box->setFont(font);
        box->setFocusPolicy(Qt::NoFocus);
        box->setGeometry(i < 5 ? 2 * cw + i * 14 * cw : 72 * cw, 1, 14 * cw, h);
        box->setCheckState((flags & (1u << i)) ? Qt::Checked : Qt::Unchecked);
        connect(box, &QCheckBox::clicked, this, [this, id] { Command(id); });
        boxes_[static_cast<size_t>(i)] = box;
    }
    // "Availability" with its box is wider than 14 characters here; the Help button moves along.
    ChartCheckBox* last = boxes_[5];
    last->resize(std::max(last->width(), last->sizeHint().width()), h);
    help_ = new TButtonMy(this, CM_VIEW_HELP, Res(2065), false);
    help_->setFont(font);
    help_->setGeometry(std::max(86 * cw, last->geometry().right() + cw), 2, static_cast<int>(14 * cw * 0.5),
                       h - 4);
    connect(help_, &QPushButton::clicked, this, [this] { chart_.Command(CM_VIEW_HELP); });
    resize(chart.width(), height_);
}

void TChartTool::Command(int id) {
    if (id < CM_CHART_PDOP || id > CM_CHART_PDOP + 5)
        return;
    ChartCheckBox* box = Box(id);
    // HDOP and VDOP mean nothing outside 3-D mode.
    if ((id == CM_CHART_PDOP + 2 || id == CM_CHART_PDOP + 3) && box->checkState() == Qt::PartiallyChecked)
        return;
    box->setCheckState(box->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    chart_.Command(id);
}

void TChartTool::FollowMode(bool is3D, uint32_t flags) {
    ChartCheckBox* boxes[2] = {Box(CM_CHART_PDOP + 2), Box(CM_CHART_PDOP + 3)};
    const uint32_t bits[2] = {kShowHdop, kShowVdop};
    for (int k = 0; k < 2; ++k) {
        if (is3D) {
            if (boxes[k]->checkState() == Qt::PartiallyChecked)
                boxes[k]->setCheckState((flags & bits[k]) ? Qt::Checked : Qt::Unchecked);
            boxes[k]->setEnabled(true);
        } else {
            boxes[k]->setCheckState(Qt::PartiallyChecked);
            boxes[k]->setEnabled(false);
        }
    }
}

void TChartTool::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(Qt::white);
    p.drawLine(0, 0, width() - 1, 0);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
}

// ---- view ------------------------------------------------------------------------------------

TChartWin::TChartWin(ViewHost& host, const QString& title, QWidget* parent)
    : TTimeDiagram(host, std::make_unique<DopPlotPainter>(), title, parent) {
    tool_ = new TChartTool(*this);
    Drawing().toolBarHeight = tool_->BarHeight();
    static const Qt::Key keys[6] = {Qt::Key_P, Qt::Key_G, Qt::Key_H, Qt::Key_V, Qt::Key_T, Qt::Key_A};
    for (int i = 0; i < 6; ++i) {
        auto* s = new QShortcut(QKeySequence(Qt::CTRL | keys[i]), this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        const int id = CM_CHART_PDOP + i;
        connect(s, &QShortcut::activated, this, [this, id] { tool_->Command(id); });
    }
}

void TChartWin::resizeEvent(QResizeEvent* event) {
    TTimeDiagram::resizeEvent(event);
    tool_->setGeometry(0, 0, width(), tool_->BarHeight());
}

void TChartWin::ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) {
    TTimeDiagram::ScreenPaint(dc, in, update);
    tool_->FollowMode(in.mode == 0, Drawing().vs.ViewFlags);
}

void TChartWin::mouseMoveEvent(QMouseEvent* event) {
    const ViewInputs in = Inputs();
    const DopPlotDrawing::Readout r = Drawing().ReadoutAt(in, event->position().toPoint());
    if (r.value.isEmpty()) {
        ClearReadout();
        return;
    }
    SetReadout(1, r.time);
    SetReadout(2, r.value);
}

void TChartWin::Command(int id) {
    uint32_t& flags = Drawing().vs.ViewFlags;
    if (id >= CM_CHART_PDOP && id <= CM_CHART_PDOP + 5) {
        flags ^= 1u << (id - CM_CHART_PDOP);
        // Without the availability its grid moves to the DOP axis.
        if (id == CM_CHART_PDOP + 5 && !(flags & kShowAvailability) && (flags & kGridOnAvailability)) {
            flags &= ~kGridOnAvailability;
            flags |= kGridOnDop;
        }
        Redraw();
        return;
    }
    if (id == CM_GRID_ON_DOP || id == CM_GRID_ON_AVAILABILITY) {
        flags &= ~(kGridOnDop | kGridOnAvailability);
        flags |= id == CM_GRID_ON_DOP ? kGridOnDop : kGridOnAvailability;
        if (flags & kViewGrid)
            Redraw();
        return;
    }
    TTimeDiagram::Command(id);
}

void TChartWin::BuildContextMenu(QMenu& menu) {
    TTimeDiagram::BuildContextMenu(menu);
    menu.addSeparator();
    const uint32_t flags = Drawing().vs.ViewFlags;
    AddChecked(menu, 2225, CM_GRID_ON_DOP, (flags & kGridOnDop) != 0);
    AddChecked(menu, 2224, CM_GRID_ON_AVAILABILITY, (flags & kGridOnAvailability) != 0);
}
