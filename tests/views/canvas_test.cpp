// Letter-spaced text on devices of any resolution: the extra space is in the canvas's logical
// units, so a title keeps its width on paper whatever the printer's dots per inch. Wide lines and
// outlined ellipses, which the canvas draws in pieces on raster devices, against Qt's own.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <vector>

#include "views/canvas.h"
#include "views/view_fixture.h"

using namespace view_fixture;

namespace {

// The columns holding ink (anything darker than mid grey) in a rectangle; {-1, -1} when none.
std::pair<int, int> InkColumns(const QImage& img, QRect r) {
    int left = -1, right = -1;
    r = r.intersected(img.rect());
    for (int x = r.left(); x <= r.right(); ++x)
        for (int y = r.top(); y <= r.bottom(); ++y)
            if (qGray(img.pixel(x, y)) < 128) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
    return {left, right};
}

QImage ImageAtDpi(int w, int h, int dpi) {
    QImage img = WhiteImage(w, h);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    return img;
}

// Pixels that differ between two images of one size, and pixels not white in the first.
struct Difference {
    int differ = 0, ink = 0;
};
Difference Compare(const QImage& a, const QImage& b) {
    Difference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            d.differ += a.pixel(x, y) != b.pixel(x, y);
            d.ink += a.pixel(x, y) != qRgb(255, 255, 255);
        }
    return d;
}

// A polyline through `points` in pixels (MM_TEXT): by the canvas, and by Qt's stroker with the
// pen the canvas selects for it.
std::pair<QImage, QImage> Polylines(const std::vector<QPoint>& points, int width, QColor colour,
                                    bool antialiased = false) {
    QImage canvas = WhiteImage(120, 100), qt = WhiteImage(120, 100);
    {
        QPainter p(&canvas);
        Canvas dc(p);
        dc.SelectPen({PS_SOLID, width, colour});
        p.setRenderHint(QPainter::Antialiasing, antialiased);
        dc.MoveTo(points.front().x(), points.front().y());
        dc.PolylineTo(std::vector<QPoint>(points.begin() + 1, points.end()));
    }
    {
        QPainter p(&qt);
        p.setRenderHint(QPainter::Antialiasing, antialiased);
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(points.data(), static_cast<int>(points.size()));
    }
    return {canvas, qt};
}

struct PolylineCase {
    const char* name;
    std::vector<QPoint> points;
};

const PolylineCase kPolylines[] = {
    {"horizontal", {{10, 50}, {110, 50}}},
    {"vertical", {{60, 5}, {60, 95}}},
    {"diagonal", {{10, 10}, {90, 90}}},
    {"shallow", {{5, 40}, {115, 61}}},
    {"arc", {{10, 80}, {21, 62}, {35, 47}, {52, 36}, {71, 30}, {90, 31}, {108, 37}}},
    {"reversal", {{20, 20}, {100, 40}, {25, 60}, {100, 80}}},
    {"repeated point", {{20, 50}, {60, 30}, {60, 30}, {100, 50}}},
    {"short steps", {{50, 50}, {51, 50}, {52, 51}, {52, 52}, {53, 54}, {55, 55}}},
};

} // namespace

TEST(Canvas, WidePolylineLooksAsQtStrokesItWithRoundJoins) {
    for (int width : {2, 3, 5, 12})
        for (const PolylineCase& c : kPolylines) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << width << " px");
            const auto [canvas, qt] = Polylines(c.points, width, QColor(0, 0, 255));
            const Difference d = Compare(qt, canvas);
            // The same line but for a few pixels at its joins and ends.
            ASSERT_GT(d.ink, 0);
            EXPECT_LE(d.differ, 3 * static_cast<int>(c.points.size())) << d.ink;
        }
}

TEST(Canvas, WidePolylineWrittenIntoAnImageHasTheEnginesPixels) {
    // The same polylines through the engine (a clip keeps the canvas from writing the rows
    // itself) and written directly, moved and on both 32-bit formats; a star adds every direction.
    std::vector<PolylineCase> cases(std::begin(kPolylines), std::end(kPolylines));
    PolylineCase star{"star", {}};
    for (int k = 0; k <= 48; ++k) {
        const double a = k * 3.14159265358979 / 24;
        star.points.push_back({60, 50});
        star.points.push_back({60 + static_cast<int>(std::lround(std::cos(a) * (20 + k % 7 * 4))),
                               50 + static_cast<int>(std::lround(std::sin(a) * (20 + k % 5 * 5)))});
    }
    cases.push_back(star);
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied})
        for (int width : {2, 3, 5, 12})
            for (const PolylineCase& c : cases) {
                SCOPED_TRACE(testing::Message() << c.name << ", " << width << " px, format " << format);
                QImage images[2];
                for (int k = 0; k < 2; ++k) {
                    images[k] = WhiteImage(130, 110).convertToFormat(format);
                    QPainter p(&images[k]);
                    p.translate(3, 4);
                    if (k == 1)
                        p.setClipRect(QRect(-3, -4, 130, 110));
                    Canvas dc(p);
                    dc.SelectPen({PS_SOLID, width, QColor(0, 0, 255)});
                    dc.MoveTo(c.points.front().x(), c.points.front().y());
                    dc.PolylineTo(std::vector<QPoint>(c.points.begin() + 1, c.points.end()));
                }
                const Difference d = Compare(images[1], images[0]);
                ASSERT_GT(d.ink, 0);
                EXPECT_EQ(d.differ, 0);
            }
}

TEST(Canvas, TranslucentOrAntialiasedPolylineIsStrokedWhole) {
    // Pieces overlapping at the joins would be blended twice, and antialiased edges in pieces
    // would show their seams: such a line is Qt's stroke, pixel for pixel.
    const std::vector<QPoint>& arc = kPolylines[4].points;
    for (bool antialiased : {false, true}) {
        const auto [canvas, qt] =
            Polylines(arc, 5, antialiased ? QColor(0, 0, 255) : QColor(0, 0, 255, 128), antialiased);
        EXPECT_EQ(Compare(qt, canvas).differ, 0) << antialiased;
    }
}

TEST(Canvas, EllipseUnderAWidePenLooksAsQtDrawsIt) {
    for (int width : {2, 3, 6})
        for (const QRect r : {QRect(40, 40, 7, 7), QRect(10, 20, 100, 60), QRect(30, 5, 31, 90)}) {
            SCOPED_TRACE(testing::Message() << width << " px, " << r.width() << " x " << r.height());
            QImage canvas = WhiteImage(120, 100), qt = WhiteImage(120, 100);
            {
                QPainter p(&canvas);
                Canvas dc(p);
                dc.SelectPen({PS_SOLID, width, QColor(128, 0, 0)});
                dc.SelectBrush(CanvasBrush::SolidOf(QColor(255, 255, 0)));
                dc.Ellipse(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
            }
            {
                QPainter p(&qt);
                p.setPen(QPen(QColor(128, 0, 0), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                p.setBrush(QColor(255, 255, 0));
                p.drawEllipse(r);
            }
            EXPECT_EQ(Compare(qt, canvas).differ, 0);
        }
}

TEST(Canvas, CharacterExtraAddsItsLogicalWidthPerCharacterAtEveryResolution) {
    const QString text = QStringLiteral("GLONASS");
    for (int dpi : {96, 300, 600}) {
        SCOPED_TRACE(dpi);
        QImage img = ImageAtDpi(dpi * 8, dpi / 2, dpi);
        int plain = 0, spaced = 0, extra = 0;
        {
            QPainter p(&img);
            Canvas dc(p);
            CanvasFont f;
            f.height = -dc.LogPixelsY() * 12 / 72; // 12 points
            f.weight = 700;
            f.valid = true;
            dc.SelectFont(f);
            extra = dc.GetTextMetrics().tmAveCharWidth;
            plain = dc.GetTextExtent(text);
            dc.SetTextCharacterExtra(extra);
            spaced = dc.GetTextExtent(text);
            dc.SetTextAlign(TA_CENTER | TA_TOP);
            dc.TextOut(img.width() / 2, 0, text);
        }
        // What is measured is what is drawn: one average character more for each letter.
        EXPECT_NEAR(spaced, plain + text.size() * extra, text.size());
        const auto [left, right] = InkColumns(img, img.rect());
        ASSERT_GE(left, 0);
        EXPECT_LE(right - left + 1, spaced);
        EXPECT_GE(right - left + 1, plain + (text.size() - 2) * extra);
        // Centred where it was asked to be.
        EXPECT_NEAR((left + right) / 2.0, img.width() / 2.0, extra);
    }
}

TEST(Canvas, TextIsMeasuredAndDrawnInTheFontAndModeSelectedLast) {
    const QString text = QStringLiteral("GLONASS");
    QImage img = ImageAtDpi(600, 120, 96);
    QPainter p(&img);
    Canvas dc(p);
    CanvasFont f;
    f.valid = true;
    int previous = 0;
    for (int height : {12, 24, 48}) {
        SCOPED_TRACE(height);
        f.height = -height;
        dc.SelectFont(f);
        const int width = dc.GetTextExtent(text);
        if (previous > 0) {
            EXPECT_NEAR(width, 2 * previous, 3);
        }
        previous = width;
        img.fill(Qt::white);
        dc.TextOut(10, 10, text);
        const auto [left, right] = InkColumns(img, img.rect());
        ASSERT_GE(left, 0);
        EXPECT_NEAR(right - left + 1, width, width / 8 + 2);
    }
    // In 0.1 mm units the font's height is in those units too: the text keeps its proportions,
    // as many units wide as it was pixels (but for rounding the font to whole pixels).
    dc.SetMapMode(MM_LOMETRIC);
    EXPECT_NEAR(dc.GetTextExtent(text), previous, previous / 25);
}

TEST(Canvas, RingWithItsMiddlePaintedOverLooksAsTheWholeEllipseUnderIt) {
    // A hatched ring in MM_TEXT units: the hatched ellipse, then a white one with a wide outline
    // over its middle, with and without leaving that middle out of the first.
    for (const int hole : {4, 30, 90}) {
        SCOPED_TRACE(hole);
        QImage images[2] = {WhiteImage(220, 220), WhiteImage(220, 220)};
        for (int k = 0; k < 2; ++k) {
            QPainter p(&images[k]);
            Canvas dc(p);
            dc.SelectBrush(CanvasBrush::HatchOf(HS_DIAGCROSS, QColor(128, 0, 0)));
            if (k == 0)
                dc.Ellipse(10, 10, 211, 211);
            else
                dc.Ellipse(10, 10, 211, 211,
                           QRect(QPoint(110 - hole, 110 - hole), QPoint(111 + hole, 111 + hole)));
            dc.SelectPen({PS_SOLID, 2, QColor(128, 0, 0)});
            dc.SelectBrush(CanvasBrush::SolidOf(Qt::white));
            dc.Ellipse(110 - hole, 110 - hole, 111 + hole, 111 + hole);
        }
        EXPECT_EQ(Compare(images[0], images[1]).differ, 0);
    }
    // On an image the middle is left out, not hatched and painted over.
    QImage ring = WhiteImage(220, 220);
    {
        QPainter p(&ring);
        Canvas dc(p);
        dc.SelectBrush(CanvasBrush::HatchOf(HS_DIAGCROSS, QColor(128, 0, 0)));
        dc.Ellipse(10, 10, 211, 211, QRect(QPoint(20, 20), QPoint(201, 201)));
    }
    EXPECT_EQ(CountNotWhite(ring, QRect(60, 60, 100, 100)), 0);
    EXPECT_GT(CountNotWhite(ring, QRect(10, 100, 10, 20)), 20);
}

TEST(Canvas, LabelledEllipseCopiedFromItsStampHasThePixelsDrawnDirectly) {
    // A row of labelled ellipses at every rounding of 0.1 mm to pixels, over stripes: drawn
    // directly, and as the third paint of one set of stamps. A label wider than its ellipse would
    // show the ground through the stamp: it is drawn, not copied.
    struct Look {
        const char* name;
        QImage::Format format;
        int map, radius, pen, align, fontHeight;
        QPoint label; // from the centre
        const char* text;
        bool stamped;
    };
    const Look looks[] = {
        {"marker", QImage::Format_RGB32, MM_LOMETRIC, 22, 1, TA_CENTER | TA_TOP, -28, {0, 17}, "17", true},
        {"premultiplied",
         QImage::Format_ARGB32_Premultiplied,
         MM_LOMETRIC,
         22,
         1,
         TA_CENTER | TA_TOP,
         -28,
         {0, 17},
         "5",
         true},
        {"wide pen, baseline",
         QImage::Format_RGB32,
         MM_LOMETRIC,
         40,
         8,
         TA_CENTER | TA_BASELINE,
         -30,
         {0, -12},
         "24",
         true},
        {"pixels", QImage::Format_RGB32, MM_TEXT, 11, 0, TA_LEFT | TA_TOP, -11, {-3, -6}, "3", true},
        {"label too wide",
         QImage::Format_RGB32,
         MM_LOMETRIC,
         22,
         1,
         TA_CENTER | TA_TOP,
         -28,
         {0, 17},
         "GLONASS",
         false},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.name);
        CanvasStamps stamps;
        QImage images[2];
        for (int paint = 0; paint < 4; ++paint) {
            stamps.BeginPaint();
            QImage& img = images[paint == 0 ? 0 : 1];
            img = QImage(400, 120, look.format);
            QPainter p(&img);
            for (int x = 0; x < img.width(); ++x)
                p.fillRect(x, 0, 1, img.height(), QColor::fromHsv(x * 7 % 360, 200, 255));
            Canvas dc(p);
            dc.SetMapMode(look.map);
            dc.SetBkMode(TRANSPARENT);
            dc.SetViewportOrg({0, look.map == MM_LOMETRIC ? 120 : 0});
            CanvasFont f;
            f.height = look.fontHeight;
            f.valid = true;
            dc.SelectFont(f);
            dc.SetTextAlign(look.align);
            dc.SetTextColor(Qt::white);
            dc.SelectPen({PS_SOLID, look.pen, QColor(0, 0, 128)});
            const CanvasBrush fill = CanvasBrush::SolidOf(QColor(192, 0, 0));
            const int y = look.map == MM_LOMETRIC ? 150 : 60;
            for (int k = 0; k < 12; ++k) {
                const int x = 3 * look.radius * (k + 1) + k;
                dc.LabelledEllipse(x - look.radius, y + look.radius, x + look.radius, y - look.radius, fill,
                                   x + look.label.x(), y + look.label.y(), QString::fromLatin1(look.text),
                                   paint == 0 ? nullptr : &stamps);
            }
        }
        EXPECT_EQ(images[0], images[1]);
        EXPECT_EQ(stamps.kept() > 0, look.stamped) << stamps.size();
    }
}
