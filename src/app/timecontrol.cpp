#include "app/timecontrol.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

#include "ui/commands.h"
#include "ui/controls.h"

TimeControl::TimeControl(QWidget* bar, int id, Kind kind, const QString& text)
    : QPushButton(text, bar), kind_(kind) {
    setObjectName(ControlName(id));
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    setCursor(Qt::SizeHorCursor);
}

void TimeControl::SetRuler(int left, int step) {
    left_ = left;
    step_ = std::max(step, 1);
    leftLimit_ = left;
    rightLimit_ = left + (kind_ == Begin ? 95 : 96) * step_;
}

int TimeControl::Mark() const {
    // The begin marker's right edge and the column after the end marker's left edge are the grid
    // lines a snapped marker stands on.
    return kind_ == Begin ? x() + width() - 1 : x() + 1;
}

void TimeControl::Place(int x) {
    x = std::clamp(x, leftLimit_, rightLimit_);
    const int w = width();
    int newLeft = kind_ == Begin ? x + 1 - w : x;
    if (!dragging_) {
        // A mark nearer than half a step to a grid line lands on it.
        const int half = step_ / 2;
        if (kind_ == Begin)
            newLeft = step_ * ((x + 1 + half - left_) / step_) - w + 1 + left_;
        else
            newLeft = step_ * ((x + half - left_ + 1) / step_) - 1 + left_;
    }
    if (newLeft != this->x())
        move(newLeft, y());
}

bool TimeControl::Commit() {
    if (x() == committedLeft_)
        return false;
    committedLeft_ = x();
    update();
    return true;
}

int TimeControl::MarkAt(int localX) const {
    return x() + localX - grabOffset_;
}

void TimeControl::EndDrag(int x) {
    dragging_ = false;
    Place(x);
    if (Commit())
        emit committed();
}

void TimeControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // Where the pointer took the marker stays under the pointer while it moves.
    grabOffset_ = x() + event->position().toPoint().x() - Mark();
    dragging_ = true;
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void TimeControl::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    Place(MarkAt(event->position().toPoint().x()));
    emit dragged();
}

void TimeControl::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton)
        return;
    EndDrag(MarkAt(event->position().toPoint().x()));
}

void TimeControl::keyPressEvent(QKeyEvent* event) {
    if (dragging_) {
        event->accept();
        return;
    }
    int x = Mark();
    switch (event->key()) {
    case Qt::Key_Left:
        x -= step_;
        break;
    case Qt::Key_Right:
        x += step_;
        break;
    case Qt::Key_PageUp:
        x -= 4 * step_; // an hour
        break;
    case Qt::Key_PageDown:
        x += 4 * step_;
        break;
    case Qt::Key_Home:
        x = leftLimit_;
        break;
    case Qt::Key_End:
        x = rightLimit_;
        break;
    default:
        QPushButton::keyPressEvent(event);
        return;
    }
    Place(x);
    if (Commit())
        emit committed();
    event->accept();
}

void TimeControl::focusOutEvent(QFocusEvent* event) {
    // A drag cut short (a box popped up) ends where the marker stands.
    if (dragging_)
        EndDrag(Mark());
    if (QWidget* next = FocusReceiver(this))
        PostRedraw(parentWidget(), CmRedrowAndPar(), next);
    QPushButton::focusOutEvent(event);
}

void TimeControl::paintEvent(QPaintEvent*) {
    // Red text on a transparent background: only the arrow head shows over the bar.
    QPainter p(this);
    p.setPen(QColor(255, 0, 0));
    p.setFont(font());
    // The arrow's tip at the mark, low, next to the ruler.
    const Qt::Alignment side = kind_ == Begin ? Qt::AlignRight : Qt::AlignLeft;
    p.drawText(rect().adjusted(1, 0, -1, 0), side | Qt::AlignBottom, text());
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}
