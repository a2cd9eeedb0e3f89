#include "views/skyplotdrawing.h"

#include <gtest/gtest.h>

#include <QPicture>

#include <cmath>
#include <functional>

#include "view_fixture.h"

using namespace view_fixture;

namespace {

struct Sky {
    QImage img;
    SkyPlotDrawing view;
    // Device point of a logical point of the diagram.
    QPoint Device(QPoint logical) const {
        return view.Centre() + QPoint(static_cast<int>(std::lround(logical.x() * view.Scale())),
                                      -static_cast<int>(std::lround(logical.y() * view.Scale())));
    }
};

void Render(Sky& s, const ViewInputs& in, int w = 800, int h = 800) {
    s.img = WhiteImage(w, h);
    s.view.vs.layout.ClientWidth = w;
    s.view.vs.layout.ClientHeight = h;
    QPainter p(&s.img);
    Canvas dc(p);
    s.view.Draw(dc, in);
}

constexpr double kDeg = 1 / 57.29577951308232;

} // namespace

TEST(SkyPlotDrawing, TrackEndsInItsMarkerAtTheLatestVisibleSample) {
    Results r(97);
    // GPS PRN 1 climbs from the east horizon to 60 degrees over samples 20..40.
    r.Visible(0, 20, 40);
    for (int j = 0; j < 97; ++j)
        r.Direction(0, j, 90, 3 * (j - 20));
    Sky s;
    Render(s, r.in);
    const int R = s.view.vs.layout.SkyRadius;
    ASSERT_GT(R, 0);
    const int markR = s.view.MarkerRadius();
    const QPoint end =
        s.Device(SkyPlotDrawing::Project(static_cast<float>(90 * kDeg), static_cast<float>(60 * kDeg), R));
    // Yellow GPS marker, left of its number.
    const int off = static_cast<int>(0.7 * markR * s.view.Scale());
    EXPECT_EQ(At(s.img, end.x() - off, end.y()), QColor(255, 255, 0));
    // The track, in the first palette colour, half-way along.
    const QPoint mid =
        s.Device(SkyPlotDrawing::Project(static_cast<float>(90 * kDeg), static_cast<float>(30 * kDeg), R));
    EXPECT_GT(CountColour(s.img, QRect(mid.x() - 2, mid.y() - 2, 5, 5), SeriesPalette()[0]), 5);
    // Nothing where the satellite was not visible (below the horizon, sample 60).
    const QPoint later =
        s.Device(SkyPlotDrawing::Project(static_cast<float>(90 * kDeg), static_cast<float>(80 * kDeg), R));
    EXPECT_EQ(CountColour(s.img, QRect(later.x() - 3, later.y() - 3, 7, 7), SeriesPalette()[0]), 0);
}

TEST(SkyPlotDrawing, BandBelowTheCutOffIsHatchedAndObstructionsSitWhereTheirVerticesProject) {
    Results r(97);
    r.in.elevationMask = static_cast<float>(20 * kDeg);
    r.in.obstructions = {{{10, 200}, {60, 200}, {60, 250}, {10, 250}, {10, 200}}};
    r.in.status[0] = 0; // one GPS satellite available, never visible
    Sky s;
    s.view.vs.ViewFlags = 0; // no grid lines in the way
    Render(s, r.in);
    const int R = s.view.vs.layout.SkyRadius;
    const QColor darkRed(128, 0, 0);
    auto ring = [&](double azDeg, double elDeg) {
        return s.Device(
            SkyPlotDrawing::Project(static_cast<float>(azDeg * kDeg), static_cast<float>(elDeg * kDeg), R));
    };
    // Between the horizon and the cut-off (10 degrees up, north-east): hatch lines and gaps.
    const QPoint band = ring(45, 10);
    const QRect b(band.x() - 8, band.y() - 8, 17, 17);
    EXPECT_GT(CountColour(s.img, b, darkRed), 10);
    EXPECT_GT(CountColour(s.img, b, Qt::white), 10);
    // Above the cut-off, away from obstructions: clear sky.
    const QPoint sky = ring(45, 50);
    EXPECT_EQ(CountColour(s.img, QRect(sky.x() - 8, sky.y() - 8, 17, 17), darkRed), 0);
    // Inside the obstruction (el 35, az 225): hatched; just outside its azimuth range: clear.
    const QPoint inside = ring(225, 35);
    EXPECT_GT(CountColour(s.img, QRect(inside.x() - 6, inside.y() - 6, 13, 13), darkRed), 10);
    const QPoint outside = ring(280, 35);
    EXPECT_EQ(CountColour(s.img, QRect(outside.x() - 6, outside.y() - 6, 13, 13), darkRed), 0);
    // The corner vertex (60, 250) lies on the polygon's edge.
    const QPoint v = s.Device(SkyPlotDrawing::ProjectVertex({60, 250}, R, true));
    EXPECT_GT(CountColour(s.img, QRect(v.x() - 2, v.y() - 2, 5, 5), darkRed), 0);

    // Obstructions off: the same place is clear.
    r.in.obstructionsOn = 0;
    Render(s, r.in);
    EXPECT_EQ(CountColour(s.img, QRect(inside.x() - 6, inside.y() - 6, 13, 13), darkRed), 0);
}

TEST(SkyPlotDrawing, GroundOfTheBackColourLeavesThePictureAsItWas) {
    // The cut-off disc paints only its edge when told the ground already shows the back colour.
    Results r(97);
    r.Visible(0, 20, 40);
    for (int j = 0; j < 97; ++j)
        r.Direction(0, j, 90, 3 * (j - 20));
    for (const double maskDeg : {0.0, 10.0, 45.0, 85.0}) {
        SCOPED_TRACE(maskDeg);
        r.in.elevationMask = static_cast<float>(maskDeg * kDeg);
        QImage images[2];
        for (int k = 0; k < 2; ++k) {
            Sky s;
            s.view.vs.layout.ClientWidth = s.view.vs.layout.ClientHeight = 600;
            images[k] = WhiteImage(600, 600);
            QPainter p(&images[k]);
            Canvas dc(p);
            if (k == 1)
                dc.SetGround(Qt::white);
            s.view.Draw(dc, r.in);
        }
        EXPECT_EQ(images[0], images[1]);
    }
}

TEST(SkyPlotDrawing, ReadoutInvertsTheProjection) {
    Results r(97);
    Sky s;
    Render(s, r.in);
    auto centre = s.view.DirectionAt(s.view.Centre());
    ASSERT_TRUE(centre);
    EXPECT_EQ(centre->first, 0);
    EXPECT_EQ(centre->second, 90);
    const QPoint p = s.Device(SkyPlotDrawing::Project(
        static_cast<float>(135.5 * kDeg), static_cast<float>(30.5 * kDeg), s.view.vs.layout.SkyRadius));
    auto d = s.view.DirectionAt(p);
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->first, 135, 1);
    EXPECT_NEAR(d->second, 30, 1);
    EXPECT_FALSE(s.view.DirectionAt({0, 0})); // a corner, beyond the horizon
}

TEST(SkyPlotDrawing, ProjectionPutsZenithAtTheCentreAndNorthUp) {
    EXPECT_EQ(SkyPlotDrawing::Project(0, static_cast<float>(90 * kDeg), 1000), QPoint(0, 0));
    EXPECT_EQ(SkyPlotDrawing::Project(0, 0, 1000), QPoint(0, 1000));
    EXPECT_EQ(SkyPlotDrawing::Project(static_cast<float>(90 * kDeg), 0, 1000).x(), 1000);
    // Obstruction vertices: y down for plain device coordinates.
    EXPECT_EQ(SkyPlotDrawing::ProjectVertex({45, 180}, 1000, true), QPoint(0, -500));
    EXPECT_EQ(SkyPlotDrawing::ProjectVertex({45, 180}, 1000, false), QPoint(0, 500));
}

TEST(SkyPlotDrawing, LegendShowsAMarkerForEachSystemWithAnAvailableSatellite) {
    Results r(97);
    r.Visible(3, 10, 20); // GPS only
    for (int j = 0; j < 97; ++j)
        r.Direction(3, j, 200, 40);
    Sky gps;
    Render(gps, r.in);
    EXPECT_EQ(CountColour(gps.img, gps.img.rect(), kNavy), 0);
    EXPECT_GT(CountColour(gps.img, gps.img.rect(), kYellow), 0);
    // A GLONASS satellite that is available but never visible still brings its legend marker,
    // in the upper right, outside the horizon.
    r.in.status[40] = 0;
    Sky both;
    Render(both, r.in);
    const QPoint centre = both.view.Centre();
    const QRect upperRight(centre.x() + 1, 0, both.img.width() - centre.x() - 1, centre.y());
    EXPECT_GT(CountColour(both.img, upperRight, kNavy), 20);
}

TEST(SkyPlotDrawing, TallWindowKeepsTheWestAndEastLettersWhole) {
    Results r(97);
    for (int w : {220, 300, 400}) {
        Sky s;
        Render(s, r.in, w, 3 * w);
        ASSERT_GT(s.view.vs.layout.SkyRadius, 0) << w;
        // Nothing is drawn in the outermost columns: the letters beside the circle fit.
        EXPECT_EQ(CountNotWhite(s.img, QRect(0, 0, 2, s.img.height())), 0) << w;
        EXPECT_EQ(CountNotWhite(s.img, QRect(w - 2, 0, 2, s.img.height())), 0) << w;
    }
    // A wide window is limited by its height, as before.
    Sky wide;
    Render(wide, r.in, 1200, 600);
    const int lines = wide.view.vs.layout.MarginBottom;
    const QPoint bottom =
        wide.view.Centre() +
        QPoint(0, static_cast<int>(std::lround((wide.view.vs.layout.SkyRadius + lines) * wide.view.Scale())));
    EXPECT_NEAR(bottom.y(), 600, 2);
}

TEST(SkyPlotDrawing, LaterSystemsHaveMarkersOfTheirOwnInTheLegend) {
    Results r(97);
    const QColor galileo(0, 128, 64), beidou(192, 0, 0), qzss(128, 0, 128);
    r.Visible(3, 10, 20);
    r.in.status[56 + 10] = 0; // E11 and C20 available, never visible: only their legend markers
    r.in.status[92 + 19] = 0;
    Sky sky;
    Render(sky, r.in);
    const QPoint centre = sky.view.Centre();
    const QRect upperRight(centre.x() + 1, 0, sky.img.width() - centre.x() - 1, centre.y());
    EXPECT_GT(CountColour(sky.img, upperRight, galileo), 20);
    EXPECT_GT(CountColour(sky.img, upperRight, beidou), 20);
    EXPECT_EQ(CountColour(sky.img, sky.img.rect(), qzss), 0);
    EXPECT_GT(CountColour(sky.img, upperRight, kYellow), 20);
}

TEST(SkyPlotDrawing, TracksOnAnImageLookAsTheDrawingRecordedAndReplayed) {
    // On an image the canvas draws wide lines and outlined ellipses in pieces; a recorded
    // picture gets them whole, as a printer does. Both must give the same plot.
    Results r(97);
    const int sats[] = {0, 3, 7, 40, 45};
    for (int k = 0; k < 5; ++k) {
        const int s = sats[k];
        r.Visible(s, 5 + 7 * k, 60 + 5 * k);
        for (int j = 0; j < 97; ++j)
            r.Direction(s, j, 40 * k + 2.5 * j, 5 + std::fabs(85 - 3.1 * (j - 10 * k)) * 0.9);
    }
    Sky direct;
    Render(direct, r.in);
    QPicture picture;
    {
        Sky recorded;
        recorded.view.vs.layout.ClientWidth = recorded.view.vs.layout.ClientHeight = 800;
        QPainter p(&picture);
        Canvas dc(p);
        recorded.view.Draw(dc, r.in);
    }
    QImage replayed = WhiteImage(800, 800);
    {
        QPainter p(&replayed);
        p.drawPicture(0, 0, picture);
    }
    int differ = 0, trackPixels = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 800; ++x) {
            differ += direct.img.pixel(x, y) != replayed.pixel(x, y);
            for (size_t c = 0; c < 5; ++c)
                trackPixels += QColor(direct.img.pixel(x, y)) == SeriesPalette()[c];
        }
    ASSERT_GT(trackPixels, 1000);
    // A few pixels at the joins: no more than one in a hundred of the tracks'.
    EXPECT_LE(differ, trackPixels / 100);
}

TEST(SkyPlotDrawing, KeptMarkersFollowEveryChangeOfLook) {
    // A view that has painted before draws what a new view draws, after each change of what its
    // markers show; markers below a system's gap make each number come back.
    Results r(97);
    const int sats[] = {0, 3, 7, 40, 45};
    for (int k = 0; k < 5; ++k) {
        r.Visible(sats[k], 5 + 7 * k, 30 + 5 * k);
        r.Visible(sats[k], 50 + 3 * k, 80);
        for (int j = 0; j < 97; ++j)
            r.Direction(sats[k], j, 40 * k + 2.5 * j, 5 + std::fabs(85 - 3.1 * (j - 10 * k)) * 0.9);
    }
    struct Change {
        const char* name;
        std::function<void(SkyPlotDrawing&, ViewInputs&, QSize&)> apply;
    };
    const Change changes[] = {
        {"none", [](SkyPlotDrawing&, ViewInputs&, QSize&) {}},
        {"font size", [](SkyPlotDrawing& v, ViewInputs&, QSize&) { v.vs.FontPointSize = 11; }},
        {"font face",
         [](SkyPlotDrawing& v, ViewInputs&, QSize&) { v.vs.FaceName = QStringLiteral("Courier New"); }},
        {"bold", [](SkyPlotDrawing& v, ViewInputs&, QSize&) { v.vs.FontWeight = 700; }},
        {"size", [](SkyPlotDrawing&, ViewInputs&, QSize& size) { size = QSize(640, 530); }},
        // One satellite fewer: the later tracks take other colours.
        {"selection", [](SkyPlotDrawing&, ViewInputs& in, QSize&) { in.status[3] = StatusNoAlmanac; }},
    };
    auto paint = [](SkyPlotDrawing& v, const ViewInputs& in, QSize size) {
        QImage img = WhiteImage(size.width(), size.height());
        v.vs.layout.ClientWidth = size.width();
        v.vs.layout.ClientHeight = size.height();
        QPainter p(&img);
        Canvas dc(p);
        v.Draw(dc, in);
        return img;
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        ViewInputs in = r.in;
        QSize size(700, 600);
        SkyPlotDrawing warm;
        paint(warm, in, size);
        paint(warm, in, size);
        change.apply(warm, in, size);
        SkyPlotDrawing fresh;
        fresh.vs = warm.vs;
        const QImage expected = paint(fresh, in, size);
        EXPECT_EQ(paint(warm, in, size), expected);
        EXPECT_EQ(paint(warm, in, size), expected);
    }
}
