#include "views/ui/satvisibilitywin.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

#include "base/strings.h"
#include "ui/commands.h"
#include "ui/controls.h"

TSatVisibilityWin::TSatVisibilityWin(ViewHost& host, const QString& title, QWidget* parent)
    : TTimeDiagram(host, std::make_unique<SatVisibilityPainter>(), title, parent) {
    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setObjectName(ControlName(kScrollBarId));
    scrollBar_->setRange(0, 0);
    scrollBar_->setTracking(false); // the thumb moves the rows when it is released
    scrollBar_->hide();
    // The view keeps the keyboard focus itself (its Ctrl+C, and the keys below scroll the rows):
    // a hidden scroll bar holding it would leave the keys with nobody.
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    Drawing().scrollBarWidth = scrollBar_->sizeHint().width();
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int v) { ScrollTo(v); });

    help_ = new TButtonMy(this, CM_VIEW_HELP, QString::fromStdString(ResString(IDS_HELP_BUTTON)), false);
    const QFont font = ViewButtonFont(this);
    const QFontMetrics fm(font);
    help_->setFont(font);
    help_->resize(6 * fm.averageCharWidth(), static_cast<int>(1.5 * (fm.height() + fm.leading())));
    connect(help_, &QPushButton::clicked, this, [this] { Command(CM_VIEW_HELP); });
}

void TSatVisibilityWin::ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) {
    State().BackColor = palette().color(QPalette::Base);
    SatVisibilityDrawing& d = Drawing();
    const ViewLayout& L = d.vs.layout;
    // A scroll step repaints only rows; a paint that reaches beyond them draws everything.
    const QRect rows(QPoint(0, L.MarginTop),
                     QPoint(L.ClientWidth - L.MarginRight - 1, L.MarginTop + L.AxisY - 1));
    if (d.Scrolling && !rows.contains(update))
        d.Scrolling = false;
    TTimeDiagram::ScreenPaint(dc, in, update);
    UpdateScrollBar();
    PlaceHelpButton(this, help_, 4);
}

void TSatVisibilityWin::UpdateScrollBar() {
    SatVisibilityDrawing& d = Drawing();
    const ViewLayout& L = d.vs.layout;
    d.ScrollMax = std::max(0, d.RowCount - L.VisibleRows);
    scrollBar_->setGeometry(L.ClientWidth - L.MarginRight, L.MarginTop, d.scrollBarWidth, L.AxisY);
    const QSignalBlocker block(scrollBar_);
    scrollBar_->setRange(0, d.ScrollMax);
    scrollBar_->setPageStep(std::max(1, L.VisibleRows));
    scrollBar_->setValue(L.ScrollPos);
    scrollBar_->setEnabled(d.ScrollMax > 0);
    scrollBar_->show();
}

bool TSatVisibilityWin::ScrollTo(int position) {
    SatVisibilityDrawing& d = Drawing();
    ViewLayout& L = d.vs.layout;
    const int next = std::clamp(position, 0, d.ScrollMax);
    if (next == L.ScrollPos)
        return false;
    {
        const QSignalBlocker block(scrollBar_);
        scrollBar_->setValue(next);
    }
    const int delta = L.ScrollPos - next;
    L.ScrollPos = next;
    d.Scrolling = true;
    const QRect rows(QPoint(0, L.MarginTop),
                     QPoint(L.ClientWidth - L.MarginRight - 1, L.MarginTop + L.AxisY - 1));
    // A short step moves the rows already drawn; a longer one draws them again.
    if (std::abs(delta) < L.VisibleRows)
        scroll(0, delta * L.RowHeight, rows);
    else
        update(rows);
    return true;
}

void TSatVisibilityWin::keyPressEvent(QKeyEvent* event) {
    const ViewLayout& L = Drawing().vs.layout;
    const int page = std::max(1, L.VisibleRows);
    switch (event->key()) {
    case Qt::Key_Up:
        ScrollTo(L.ScrollPos - 1);
        break;
    case Qt::Key_Down:
        ScrollTo(L.ScrollPos + 1);
        break;
    case Qt::Key_PageUp:
        ScrollTo(L.ScrollPos - page);
        break;
    case Qt::Key_PageDown:
        ScrollTo(L.ScrollPos + page);
        break;
    case Qt::Key_Home:
        ScrollTo(0);
        break;
    case Qt::Key_End:
        ScrollTo(Drawing().ScrollMax);
        break;
    default:
        TTimeDiagram::keyPressEvent(event);
    }
}

void TSatVisibilityWin::wheelEvent(QWheelEvent* event) {
    // Whole notches (or their sum from a fine-grained wheel) move the desktop's lines per notch.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRemainder_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0)
        ScrollTo(Drawing().vs.layout.ScrollPos - notches * QApplication::wheelScrollLines());
    event->accept();
}

void TSatVisibilityWin::resizeEvent(QResizeEvent* event) {
    Drawing().vs.layout.ScrollPos = 0;
    scrollBar_->hide();
    TTimeDiagram::resizeEvent(event);
}

void TSatVisibilityWin::mouseMoveEvent(QMouseEvent* event) {
    const ViewInputs in = Inputs();
    const SatVisibilityDrawing::Readout r = Drawing().ReadoutAt(in, event->position().toPoint());
    if (r.satellite.isEmpty()) {
        ClearReadout();
        return;
    }
    SetReadout(1, r.time);
    SetReadout(2, r.satellite);
}

void TSatVisibilityWin::Command(int id) {
    uint32_t& flags = Drawing().vs.ViewFlags;
    switch (id) {
    case CM_SHOW_FREQUENCY:
        if (!(flags & kShowFrequency)) {
            flags |= kShowFrequency;
            Redraw();
        }
        break;
    case CM_SHOW_SVNUMBERS:
        if (!Inputs().AnyAvailable(GnssSystem::Glonass)) {
            flags ^= kShowFrequency; // GPS alone: the item switches the bar numbers on and off
            Redraw();
        } else if (flags & kShowFrequency) {
            flags &= ~kShowFrequency;
            Redraw();
        }
        break;
    default:
        TTimeDiagram::Command(id);
    }
}

void TSatVisibilityWin::BuildContextMenu(QMenu& menu) {
    TTimeDiagram::BuildContextMenu(menu);
    menu.addSeparator();
    const bool frequency = (Drawing().vs.ViewFlags & kShowFrequency) != 0;
    if (Inputs().AnyAvailable(GnssSystem::Glonass))
        AddChecked(menu, IDS_SATVIS_SHOW_FREQUENCY, CM_SHOW_FREQUENCY, frequency);
    AddChecked(menu, IDS_SATVIS_SHOW_SV_NUMBERS, CM_SHOW_SVNUMBERS, !frequency);
}
