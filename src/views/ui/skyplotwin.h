// The "Sky Plot" view: the polar diagram of the sky with the satellites' tracks, the cut-off band
// and the site's obstructions; the readout shows azimuth and elevation under the mouse.
#pragma once

#include "views/ui/viewbase.h"

class TButtonMy;

inline constexpr int CM_GRID_STEP_10 = 117;
inline constexpr int CM_GRID_STEP_30 = 118;

class TSkyPlotWin : public TBaseMDIChild {
    Q_OBJECT
public:
    TSkyPlotWin(ViewHost& host, const QString& title, QWidget* parent);

    SkyPlotDrawing& Drawing() { return static_cast<SkyPlotPainter&>(Painter()).d; }
    void Command(int id) override;

protected:
    void BuildContextMenu(QMenu& menu) override;
    void ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) override;
    int HelpContext() const override { return kHelpSkyPlot; }
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    TButtonMy* help_;
};
