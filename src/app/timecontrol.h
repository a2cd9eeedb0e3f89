// A marker of the time control bar: a small button standing on the 24-hour ruler that the user
// drags (or moves with the keys) to the begin or the end of the planning interval.
#pragma once

#include <QPushButton>

class TimeControl : public QPushButton {
    Q_OBJECT
public:
    // The begin marker stands left of its mark, the end marker right of it.
    enum Kind { Begin = 0, End = 1 };

    TimeControl(QWidget* bar, int id, Kind kind, const QString& text);

    Kind kind() const { return kind_; }
    // The ruler's left edge and its quarter-hour step in pixels; sets the limits: marks 0:00 to
    // 23:45 for the begin marker, 0:00 to 24:00 for the end marker.
    void SetRuler(int left, int step);
    int LeftLimit() const { return leftLimit_; }
    int RightLimit() const { return rightLimit_; }

    // Moves the marker to mark position `x`, clamped to its limits, snapped to the nearest
    // quarter hour unless it is being dragged.
    void Place(int x);
    // The pixel column of the ruler the marker points at.
    int Mark() const;
    bool IsDragging() const { return dragging_; }

    // Makes the present position the committed one (repainting); true when it differs from the
    // last committed position.
    bool Commit();
    int CommittedLeft() const { return committedLeft_; }

signals:
    // A new position was committed: the ruler's interval line needs drawing again.
    void committed();
    // The marker moved while being dragged.
    void dragged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The mark under a pointer position given in the marker's own coordinates.
    int MarkAt(int localX) const;
    void EndDrag(int x);

    Kind kind_;
    int left_ = 0, step_ = 1;
    int leftLimit_ = 0, rightLimit_ = 0;
    bool dragging_ = false;
    int grabOffset_ = 0; // pointer column minus mark when the drag began
    int committedLeft_ = -1;
};
