#include "views/skyplotdrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/strings.h"
#include "sites/obstruction.h"

namespace {

constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegrees = 57.29577951308232; // per radian

QString Number(int v) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", v);
    return QString::fromLatin1(text);
}

// The horizon point at azimuth g degrees on a circle of radius r.
QPoint AtAzimuth(double gDegrees, int r) {
    const double a = gDegrees / kDegrees;
    return {static_cast<int>(std::sin(a) * r), static_cast<int>(std::cos(a) * r)};
}

// The system's satellites with a track on the plot: available and above the cut-off at a sample.
int SatellitesInView(const ViewInputs& in, GnssSystem system) {
    int count = 0;
    for (int s = 0; s < SatelliteCatalogue::kSize; ++s) {
        if (SatelliteCatalogue::At(s).system != system || !in.Available(s) || !in.samples[s])
            continue;
        for (int i = 0; i < in.intervalCount; ++i)
            if (in.Sample(s, i).visible) {
                ++count;
                break;
            }
    }
    return count;
}

} // namespace

SkyPlotDrawing::SkyPlotDrawing() {
    vs.ViewFlags = kViewGrid;
}

void SkyPlotDrawing::ComputeMargins() {
    ViewLayout& L = vs.layout;
    L.MarginLeft = L.MarginTop = L.MarginRight = L.MarginBottom = 3 * L.LineHeight;
}

QPoint SkyPlotDrawing::Project(float az, float el, int radius) {
    const double r = (1 - el * kTwoOverPi) * radius;
    return {static_cast<int>(std::sin(az) * r), static_cast<int>(std::cos(az) * r)};
}

QPoint SkyPlotDrawing::ProjectVertex(const point<double>& v, int radius, bool yUp) {
    const IntPoint p = ProjectDirection(v, radius, yUp);
    return {p.x, p.y};
}

void SkyPlotDrawing::Draw(Canvas& dc, const ViewInputs& in) {
    ViewLayout& L = vs.layout;
    dc.SetMapMode(MM_LOMETRIC);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(vs.TextColor);
    vs.SelectViewFont(dc, 0, 0, 0);
    ComputeMargins();
    const QPoint O = dc.ViewportOrg();
    dc.SetViewportOrg(O + QPoint((L.ClientWidth - O.x()) / 2, (L.ClientHeight - O.y()) / 2));
    centre_ = dc.ViewportOrg();
    scale_ = dc.LogPixelsY() / 254.0;
    const QPoint corner = dc.DPtoLP({L.ClientWidth, L.ClientHeight});
    // Sideways the circle also leaves room for the "W" and "E" beside the 270 and 90 labels, which
    // reach further out than three lines: a window taller than wide would cut the "W" off.
    const std::string letters = ResString(IDS_HEMISPHERE_LETTERS);
    const int letterWidth =
        dc.GetTextExtent(QString::fromUtf8(letters.size() > 3 ? letters.substr(2, 2).c_str() : "WE"));
    const int side =
        std::max(L.MarginRight, L.LineHeight + 4 * L.AvgCharWidth + letterWidth / 2 + L.AvgCharWidth / 2);
    L.SkyRadius = std::max(0, std::min(std::abs(corner.x()) - side, std::abs(L.MarginBottom + corner.y())));

    DrawSkyGrid(dc, in);
    DrawTerrain(dc, in);
    if (in.obstructionsOn == 1)
        DrawObstructions(dc, in);
    markers_.BeginPaint();
    DrawTracks(dc, in);
    // The legend may rise no higher than the top of the surface.
    legendTop_ = dc.DPtoLP(O).y();
    DrawSkyLegend(dc, in, MarkerRadius());
    vs.ReleaseFont(dc);
    dc.SetViewportOrg(O);
    dc.SetMapMode(MM_TEXT);
    vs.Painted = 1;
}

void SkyPlotDrawing::DrawSkyGrid(Canvas& dc, const ViewInputs& in) {
    const ViewLayout& L = vs.layout;
    const int R = L.SkyRadius;
    const int oldAlign = dc.SetTextAlign(TA_CENTER | TA_BASELINE);
    const CanvasPen defaultPen{PS_SOLID, 0, Qt::black};
    CanvasPen oldPen = dc.SelectPen(defaultPen);
    CanvasBrush oldBrush = dc.SelectBrush(CanvasBrush::HatchOf(HS_DIAGCROSS, kDarkRed));
    // Only the band below the cut-off stays hatched: the sky above it is painted over next.
    const int rc = static_cast<int>((1 - in.elevationMask * kTwoOverPi) * R);
    const QRect hole(QPoint(-rc, rc), QPoint(rc, -rc));
    dc.Ellipse(-R, R, R, -R, hole);
    dc.SelectPen({PS_SOLID, 5, kDarkRed});
    dc.SelectBrush(CanvasBrush::SolidOf(vs.BackColor));
    // The hatch left the middle as it was: on ground of the back colour only its edge needs it.
    if (dc.Ground() == vs.BackColor)
        dc.Ellipse(-rc, rc, rc, -rc, hole);
    else
        dc.Ellipse(-rc, rc, rc, -rc);
    dc.SelectPen(defaultPen);

    const std::string letters = ResString(IDS_HEMISPHERE_LETTERS); // "NSWE"
    auto letter = [&](size_t k) {
        return QString::fromUtf8(k < letters.size() ? letters.substr(k, 1).c_str() : "");
    };
    const bool grid = (vs.ViewFlags & kViewGrid) != 0;
    const int step = GridStep > 0 ? GridStep : 30;
    for (int g = 0; g < 180; g += step) {
        const QPoint a = AtAzimuth(g, R);
        const QPoint b = AtAzimuth(g + 180, R);
        const QPoint la = AtAzimuth(g, R + L.LineHeight) - QPoint(0, L.LineHeight / 2);
        const QPoint lb = AtAzimuth(g + 180, R + L.LineHeight) - QPoint(0, L.LineHeight / 2);
        dc.MoveTo(a.x(), a.y());
        dc.TextOut(la.x(), la.y(), Number(g));
        if (grid)
            dc.LineTo(b.x(), b.y());
        dc.TextOut(lb.x(), lb.y(), Number(g + 180));
        if (g == 0) {
            dc.TextOut(la.x(), la.y() + L.LineHeight, letter(0));
            dc.TextOut(lb.x(), lb.y() - L.LineHeight, letter(1));
        } else if (g == 90) {
            dc.TextOut(la.x() + 3 * L.AvgCharWidth, la.y(), letter(3));
            dc.TextOut(lb.x() - 4 * L.AvgCharWidth, lb.y(), letter(2));
        }
    }
    if (grid) {
        dc.SelectBrush(CanvasBrush::HollowBrush());
        dc.SetTextAlign(TA_RIGHT | TA_BOTTOM);
        for (int h = step; h < 90; h += step) {
            const int r = static_cast<int>((1 - h / 90.0) * R);
            dc.Ellipse(-r, r, r, -r);
            dc.TextOut(0, r, Number(h));
        }
    }
    dc.SelectBrush(oldBrush);
    dc.SelectPen(oldPen);
    dc.SetTextAlign(oldAlign);
}

void SkyPlotDrawing::DrawTerrain(Canvas& dc, const ViewInputs& in) {
    if (in.terrain.size() < 2)
        return;
    // The ground between the skyline and the horizon, filled, under the hatched obstructions: the
    // skyline round, then the horizon back; the seam drawn twice fills nothing.
    const int R = vs.layout.SkyRadius;
    std::vector<QPoint> pts;
    for (const point<double>& v : in.terrain)
        pts.push_back(ProjectVertex({std::max(0.0, v.x), v.y}, R, true));
    for (auto v = in.terrain.rbegin(); v != in.terrain.rend(); ++v)
        pts.push_back(ProjectVertex({0.0, v->y}, R, true));
    const CanvasPen oldPen = dc.SelectPen({PS_NULL, 0, kTerrainEdge});
    const CanvasBrush oldBrush = dc.SelectBrush(CanvasBrush::SolidOf(kTerrainFill));
    dc.Polygon(pts.data(), static_cast<int>(pts.size()));
    dc.SelectPen({PS_SOLID, 0, kTerrainEdge});
    const QPoint* p = pts.data();
    dc.MoveTo(p[0].x(), p[0].y());
    for (size_t k = 1; k < in.terrain.size(); ++k)
        dc.LineTo(p[k].x(), p[k].y());
    dc.SelectBrush(oldBrush);
    dc.SelectPen(oldPen);
}

void SkyPlotDrawing::DrawObstructions(Canvas& dc, const ViewInputs& in) {
    if (in.obstructions.empty())
        return;
    const CanvasPen oldPen = dc.SelectPen({PS_SOLID, 1, kDarkRed});
    const CanvasBrush oldBrush = dc.SelectBrush(CanvasBrush::HatchOf(HS_DIAGCROSS, kDarkRed));
    std::vector<QPoint> pts;
    for (const ObstructionPolygon& o : in.obstructions) {
        if (o.empty())
            continue;
        pts.clear();
        for (const point<double>& v : o)
            pts.push_back(ProjectVertex(v, vs.layout.SkyRadius, true));
        dc.Polygon(pts.data(), static_cast<int>(pts.size()));
    }
    dc.SelectBrush(oldBrush);
    dc.SelectPen(oldPen);
}

void SkyPlotDrawing::DrawSatMarker(Canvas& dc, QPoint c, int s, int radius, bool numbered) {
    // One fill per system, each with a number colour that reads on it.
    static const QColor kFill[kGnssSystems] = {
        kYellow, kNavy, QColor(0, 128, 64), QColor(192, 0, 0), QColor(128, 0, 128), QColor(160, 82, 0)};
    const SatelliteId id = SatelliteCatalogue::At(s);
    const int system = static_cast<int>(id.system);
    const CanvasBrush fill = CanvasBrush::SolidOf(kFill[system]);
    if (!numbered) {
        const CanvasBrush oldBrush = dc.SelectBrush(fill);
        dc.Ellipse(c.x() - radius, c.y() + radius, c.x() + radius, c.y() - radius);
        dc.SelectBrush(oldBrush);
        return;
    }
    const QColor oldText = dc.SetTextColor(system == 0 ? QColor(0, 0, 0) : QColor(255, 255, 255));
    const int oldAlign = dc.SetTextAlign(TA_CENTER | TA_TOP);
    // The same few dozen numbered markers come back at every paint: copied, not drawn again.
    dc.LabelledEllipse(c.x() - radius, c.y() + radius, c.x() + radius, c.y() - radius, fill, c.x(),
                       c.y() + radius - 5, Number(id.number), &markers_);
    dc.SetTextAlign(oldAlign);
    dc.SetTextColor(oldText);
}

void SkyPlotDrawing::DrawTracks(Canvas& dc, const ViewInputs& in) {
    const int markR = MarkerRadius();
    const int n = in.intervalCount;
    const int R = vs.layout.SkyRadius;
    int k = -1;
    enum State { FirstSegment, Gap, AfterMarker, Drawing };
    for (int s = 0; s < SatelliteCatalogue::kSize; ++s) {
        if (!in.Available(s) || !in.samples[s])
            continue;
        const CanvasPen oldPen = dc.Pen();
        const CanvasBrush oldBrush = dc.Brush();
        State state = FirstSegment;
        CanvasPen trackPen;
        CanvasBrush trackBrush;
        QPoint M, last;
        // The points of the stretch being drawn, stroked together when it ends; with few samples
        // each point also gets a dot, drawn over its line as it comes.
        const bool dotted = n < 10;
        std::vector<QPoint> run;
        for (int i = n - 1; i >= 0; --i) {
            const SatSample& smp = in.Sample(s, i);
            if (!smp.visible) {
                if (state == Drawing || state == AfterMarker) {
                    dc.PolylineTo(run);
                    run.clear();
                    state = Gap;
                }
                continue;
            }
            const QPoint P = Project(smp.azimuth, smp.elevation, R);
            if (state == FirstSegment || state == Gap) {
                if (state == FirstSegment) {
                    ++k;
                    const QColor c = SeriesPalette()[static_cast<size_t>(k % 9)];
                    trackPen = {PS_SOLID, 5, c};
                    trackBrush = CanvasBrush::SolidOf(c);
                }
                dc.SelectPen({PS_SOLID, 1, trackPen.color});
                DrawSatMarker(dc, P, s, markR);
                M = P;
                state = AfterMarker;
                dc.SelectPen(trackPen);
                dc.SelectBrush(trackBrush);
            } else if (state == AfterMarker) {
                const QPoint d = P - M;
                if (d.x() * d.x() + d.y() * d.y() < markR * markR)
                    continue; // inside the marker
                double a = std::atan2(static_cast<double>(d.x()), static_cast<double>(d.y()));
                if (a < 0)
                    a += 2 * kPi;
                dc.MoveTo(M.x() + static_cast<int>(std::sin(a) * markR),
                          M.y() + static_cast<int>(std::cos(a) * markR));
                run.push_back(P);
                last = P;
                state = Drawing;
            } else {
                if (P != last)
                    run.push_back(P);
                if (dotted) {
                    dc.PolylineTo(run);
                    run.clear();
                    const int r = markR / 3;
                    dc.Ellipse(P.x() - r, P.y() + r, P.x() + r, P.y() - r);
                    dc.MoveTo(P.x(), P.y());
                }
                last = P;
            }
        }
        dc.PolylineTo(run);
        dc.SelectPen(oldPen);
        dc.SelectBrush(oldBrush);
    }
}

void SkyPlotDrawing::DrawSkyLegend(Canvas& dc, const ViewInputs& in, int markR) {
    const ViewLayout& L = vs.layout;
    const double d = L.SkyRadius + 3 * L.LineHeight;
    const double s45 = std::sin(45 / kDegrees);
    const int hx = static_cast<int>(s45 * d), hy = static_cast<int>(std::cos(45 / kDegrees) * d);
    const int oldAlign = dc.SetTextAlign(TA_LEFT | TA_TOP);
    const CanvasPen oldPen = dc.SelectPen({PS_SOLID, 0, Qt::black});
    // One marker per system in the plan: GLONASS and GPS where they always were, the later systems
    // after them.
    const GnssSystem order[kGnssSystems] = {GnssSystem::Glonass, GnssSystem::Gps,  GnssSystem::Galileo,
                                            GnssSystem::BeiDou,  GnssSystem::Qzss, GnssSystem::NavIc};
    const int step = (markR / 3) * 7;
    int entries = 2;
    for (GnssSystem system : order)
        if (system != GnssSystem::Glonass && system != GnssSystem::Gps && in.AnyAvailable(system))
            ++entries;
    // With four or more systems the column outgrows a short surface: it moves down as far as
    // its top entry needs to stay whole.
    const int over = hy + step * (entries - 1) + markR + L.LineHeight / 2 - legendTop_;
    const int base = hy - std::max(0, over);
    int next = 2; // the first slot of a later system
    for (GnssSystem system : order) {
        if (!in.AnyAvailable(system))
            continue;
        const int slot = system == GnssSystem::Glonass ? 0 : system == GnssSystem::Gps ? 1 : next++;
        const int y = base + step * slot;
        // A number on the legend's marker would read as a satellite's: the marker is bare, and
        // the text says how many of the system's satellites the plot shows.
        DrawSatMarker(dc, {hx, y}, SatelliteCatalogue::Index({system, 1}), markR, false);
        dc.SetTextAlign(TA_LEFT | TA_TOP);
        const std::string text = FormatText(ResString(IDS_SKY_LEGEND_IN_VIEW).c_str(),
                                            SystemTitle(system).c_str(), SatellitesInView(in, system));
        dc.TextOut(hx + markR + L.AvgCharWidth, y + L.LineHeight / 2, QString::fromStdString(text));
    }
    dc.SelectPen(oldPen);
    dc.SetTextAlign(oldAlign);
}

std::optional<std::pair<int, int>> SkyPlotDrawing::DirectionAt(QPoint device) const {
    if (!vs.Painted || vs.layout.SkyRadius <= 0)
        return std::nullopt;
    const double x = (device.x() - centre_.x()) / scale_;
    const double y = (centre_.y() - device.y()) / scale_;
    const int lx = static_cast<int>(std::lround(x)), ly = static_cast<int>(std::lround(y));
    double az = std::atan2(static_cast<double>(lx), static_cast<double>(ly));
    if (az < 0)
        az += 2 * kPi;
    const double el = (1 - std::sqrt(double(lx) * lx + double(ly) * ly) / vs.layout.SkyRadius) * (kPi / 2);
    if (el < 0)
        return std::nullopt;
    return std::make_pair(static_cast<int>(az * kDegrees), static_cast<int>(el * kDegrees));
}
