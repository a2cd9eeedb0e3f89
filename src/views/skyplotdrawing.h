// The sky plot's drawing: a polar diagram in 0.1 mm units with the zenith at the centre, north up,
// the band below the cut-off hatched, the site's obstructions, and each satellite's track ending in
// a numbered marker at its latest visible sample; the legend says how many of each system it shows.
#pragma once

#include <QPoint>

#include <optional>
#include <utility>

#include "views/canvas.h"
#include "views/viewinputs.h"
#include "views/viewstate.h"

class SkyPlotDrawing {
public:
    ViewState vs;
    int GridStep = 30; // degrees, 10 or 30

    SkyPlotDrawing();

    void ComputeMargins();
    // The whole diagram, centred in the surface right of and below the current viewport origin.
    void Draw(Canvas& dc, const ViewInputs& in);

    // Projection of a direction (radians) onto the diagram of radius `radius`, y up.
    static QPoint Project(float az, float el, int radius);
    // The obstruction vertex (elevation, azimuth in degrees) on a diagram of radius `radius`.
    static QPoint ProjectVertex(const point<double>& v, int radius, bool yUp);
    // Azimuth and elevation (degrees, truncated) under a device point of the last screen paint, or
    // nothing outside the horizon circle.
    std::optional<std::pair<int, int>> DirectionAt(QPoint device) const;
    int MarkerRadius() const { return vs.layout.LineHeight / 2 + 5; }
    QPoint Centre() const { return centre_; } // device point of the zenith in the last paint
    double Scale() const { return scale_; }   // device pixels per logical unit in the last paint

private:
    void DrawSkyGrid(Canvas& dc, const ViewInputs& in);
    void DrawObstructions(Canvas& dc, const ViewInputs& in);
    void DrawTerrain(Canvas& dc, const ViewInputs& in);
    void DrawTracks(Canvas& dc, const ViewInputs& in);
    void DrawSatMarker(Canvas& dc, QPoint centre, int s, int radius, bool numbered = true);
    void DrawSkyLegend(Canvas& dc, const ViewInputs& in, int markR);

    QPoint centre_;
    double scale_ = 1;
    int legendTop_ = 0; // logical y of the surface's top edge in the current paint
    CanvasStamps markers_;
};
