// The "Satellite Visibility" view: one row per available satellite with a bar for each visible
// stretch, a scroll bar for the rows and the time axis fixed below them.
#pragma once

#include "views/ui/timediagram.h"

class QScrollBar;
class TButtonMy;

inline constexpr int CM_SHOW_FREQUENCY = 115;
inline constexpr int CM_SHOW_SVNUMBERS = 116;
inline constexpr int kScrollBarId = 300;

class TSatVisibilityWin : public TTimeDiagram {
    Q_OBJECT
public:
    TSatVisibilityWin(ViewHost& host, const QString& title, QWidget* parent);

    SatVisibilityDrawing& Drawing() { return static_cast<SatVisibilityPainter&>(Painter()).d; }
    QScrollBar* ScrollBar() const { return scrollBar_; }
    void Command(int id) override;
    // Moves the first row shown as the scroll bar's requests do; returns whether it changed.
    bool ScrollTo(int position);

protected:
    void BuildContextMenu(QMenu& menu) override;
    void ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) override;
    TimeDiagramDrawing& Diagram() override { return Drawing(); }
    int HelpContext() const override { return kHelpSatVisibility; }
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void UpdateScrollBar();

    QScrollBar* scrollBar_;
    TButtonMy* help_;
    int wheelRemainder_ = 0;
};
