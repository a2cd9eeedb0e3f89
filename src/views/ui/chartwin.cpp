#include "views/ui/chartwin.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "base/strings.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/prompts.h"

// ---- tool bar --------------------------------------------------------------------------------

TChartTool::TChartTool(TChartWin& chart) : QWidget(&chart), chart_(chart) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    // Greyed labels (HDOP and VDOP outside 3-D) must still read on the grey bar.
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        pal.setColor(QPalette::Disabled, role, QColor(112, 112, 112));
    setPalette(pal);
    const QFont font = ViewButtonFont(this);
    const QFontMetrics fm(font);
    cw_ = std::max(1, fm.averageCharWidth());
    rowHeight_ = (fm.height() + fm.leading()) * 7 / 4;
    const uint32_t flags = chart.Drawing().vs.ViewFlags;
    for (int i = 0; i < 6; ++i) {
        const int id = CM_CHART_PDOP + i;
        auto* box = new ChartCheckBox(Res(IDS_CHART_PDOP + i), this);
        box->setObjectName(ControlName(id));
        box->setTristate(true);
        box->setFont(font);
        box->setFocusPolicy(Qt::NoFocus);
        box->setCheckState((flags & (1u << i)) ? Qt::Checked : Qt::Unchecked);
        connect(box, &QCheckBox::clicked, this, [this, id] { Command(id); });
        boxes_[static_cast<size_t>(i)] = box;
    }
    help_ = new TButtonMy(this, CM_VIEW_HELP, Res(IDS_HELP_BUTTON), false);
    help_->setFont(font);
    connect(help_, &QPushButton::clicked, this, [this] { chart_.Command(CM_VIEW_HELP); });
    Layout(chart.width());
    resize(chart.width(), height_);
}

void TChartTool::Layout(int width) {
    // The classic places (boxes every 14 characters from 2, Availability at 72, Help at 86) while
    // they fit; a box whose label is wider pushes the rest along, and what does not fit the width
    // goes on a further row rather than being cut off.
    const int left = 2 * cw_;
    int x = left, row = 0;
    for (int i = 0; i < 7; ++i) {
        QWidget* w = i < 6 ? static_cast<QWidget*>(boxes_[static_cast<size_t>(i)]) : help_;
        const int classic = i < 5 ? left + i * 14 * cw_ : i == 5 ? 72 * cw_ : 86 * cw_;
        const int wanted =
            i < 6 ? std::max(14 * cw_, w->sizeHint().width())
                  : std::max(7 * cw_, w->fontMetrics().horizontalAdvance(help_->text()) + 2 * cw_);
        if (row == 0)
            x = std::max(x, classic);
        if (x > left && x + wanted > width) {
            ++row;
            x = left;
        }
        if (i < 6)
            w->setGeometry(x, 1 + row * rowHeight_, wanted, rowHeight_);
        else
            w->setGeometry(x, 2 + row * rowHeight_, wanted, rowHeight_ - 4);
        x += wanted;
    }
    height_ = (row + 1) * rowHeight_ + 2;
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
}

int TChartWin::AcceleratorCommand(const QKeyEvent* key) {
    static const Qt::Key keys[6] = {Qt::Key_P, Qt::Key_G, Qt::Key_H, Qt::Key_V, Qt::Key_T, Qt::Key_A};
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier)
        return 0;
    for (int i = 0; i < 6; ++i)
        if (key->key() == keys[i])
            return CM_CHART_PDOP + i;
    return 0;
}

bool TChartWin::event(QEvent* event) {
    // The tool bar's keys come before the program's shortcuts while the plot has the focus: Ctrl+P
    // toggles PDOP here, as it always did, and prints from the menu and the other views.
    if (event->type() == QEvent::ShortcutOverride && AcceleratorCommand(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return TTimeDiagram::event(event);
}

void TChartWin::keyPressEvent(QKeyEvent* event) {
    if (const int id = AcceleratorCommand(event)) {
        tool_->Command(id);
        return;
    }
    TTimeDiagram::keyPressEvent(event);
}

void TChartWin::resizeEvent(QResizeEvent* event) {
    tool_->Layout(width());
    tool_->setGeometry(0, 0, width(), tool_->BarHeight());
    // A narrow window puts the tool bar on more rows: the plot starts below them.
    Drawing().toolBarHeight = tool_->BarHeight();
    TTimeDiagram::resizeEvent(event);
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
    AddChecked(menu, IDS_DOP_GRID_ON_DOP, CM_GRID_ON_DOP, (flags & kGridOnDop) != 0);
    AddChecked(menu, IDS_DOP_GRID_ON_AVAILABILITY, CM_GRID_ON_AVAILABILITY,
               (flags & kGridOnAvailability) != 0);
}
