// The map colours and legend, and the map picture drawn with them.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <limits>

#include "views/maplegend.h"
#include "views/ui/mapexport.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

double Lightness(const QColor& c) {
    return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
}

} // namespace

// Dark at the bad end, bright at the good one, and brighter all the way up.
TEST(MapLegend, RampRunsFromDarkToBrightEvenly) {
    EXPECT_LT(Lightness(MapRampColour(0)), 0.1);
    EXPECT_GT(Lightness(MapRampColour(1)), 0.8);
    for (int i = 1; i <= 64; ++i)
        EXPECT_GT(Lightness(MapRampColour(i / 64.0)), Lightness(MapRampColour((i - 1) / 64.0))) << i;
    EXPECT_EQ(MapRampColour(-1), MapRampColour(0)); // clamped
    EXPECT_EQ(MapRampColour(2), MapRampColour(1));
}

// Low PDOP and many hours are the good, bright end; no fix and no data have colours of their own.
TEST(MapLegend, EachQuantityRunsTheRightWay) {
    const struct {
        MapQuantity quantity;
        bool highIsGood;
    } cases[] = {{MapQuantity::Hours, true},
                 {MapQuantity::WorstPdop, false},
                 {MapQuantity::MeanPdop, false},
                 {MapQuantity::LongestWindow, true},
                 {MapQuantity::Common, true}};
    for (const auto& c : cases) {
        const MapScale s = MakeMapScale(c.quantity, {2.0f, 5.0f, 3.5f, kInf, kMapNoData});
        EXPECT_EQ(s.low, 2.0);
        EXPECT_EQ(s.high, 5.0);
        EXPECT_TRUE(s.hasNoFix && s.hasNoData);
        const QColor good = s.Colour(c.highIsGood ? 5.0f : 2.0f), bad = s.Colour(c.highIsGood ? 2.0f : 5.0f);
        EXPECT_EQ(good, MapRampColour(1)) << MapQuantityWord(c.quantity);
        EXPECT_EQ(bad, MapRampColour(0)) << MapQuantityWord(c.quantity);
        EXPECT_EQ(s.Colour(kInf), kMapNoFixColour);
        EXPECT_EQ(s.Colour(kMapNoData), kMapNoDataColour);
        EXPECT_EQ(s.Colour(std::nanf("")), kMapNoDataColour);
    }
    // A few PDOP outliers do not press every other cell into one colour.
    std::vector<float> pdop;
    for (int i = 1; i <= 100; ++i)
        pdop.push_back(static_cast<float>(i));
    const MapScale clipped = MakeMapScale(MapQuantity::WorstPdop, pdop);
    EXPECT_TRUE(clipped.clipped);
    EXPECT_EQ(clipped.low, 1.0);
    EXPECT_EQ(clipped.high, 96.0);
    EXPECT_EQ(clipped.Colour(100.0f), MapRampColour(0));
    EXPECT_FALSE(MakeMapScale(MapQuantity::Hours, pdop).clipped);
    // One value only still gets a ramp, with the value inside it.
    const MapScale one = MakeMapScale(MapQuantity::Hours, {12.0f, 12.0f});
    EXPECT_LT(one.low, 12.0);
    EXPECT_GT(one.high, 12.0);
    EXPECT_FALSE(one.hasNoFix || one.hasNoData);
}

TEST(MapLegend, TicksAreRoundValuesWithinTheRange) {
    const struct {
        double low, high;
        int most;
        std::vector<double> ticks;
    } cases[] = {
        {0, 12, 8, {0, 2, 4, 6, 8, 10, 12}},
        {1.23, 1.87, 6, {1.4, 1.6, 1.8}},
        {0.3, 11.7, 6, {5, 10}},
        {-0.5, 0.5, 5, {-0.5, 0, 0.5}}, // a quarter is no round step: a half
        {7, 7, 5, {}},
    };
    for (const auto& c : cases) {
        const std::vector<double> t = MapTicks(c.low, c.high, c.most);
        ASSERT_EQ(t.size(), c.ticks.size()) << c.low << ".." << c.high;
        for (size_t i = 0; i < t.size(); ++i)
            EXPECT_NEAR(t[i], c.ticks[i], 1e-12) << c.low << ".." << c.high;
    }
}

// The cell of the most hours is drawn at the bright end, the least at the dark end, and the other
// way round for PDOP, whatever the ground under them.
TEST(MapPicture, CellsTakeTheirQuantitysColours) {
    for (MapQuantity q : {MapQuantity::Hours, MapQuantity::WorstPdop}) {
        MapPicture p;
        MapArea area;
        area.south = 27.9;
        area.north = 28.0;
        area.west = 86.9;
        area.east = 87.1;
        area.rows = 1;
        area.columns = 2;
        p.Start(area, {q}, true);
        p.Take(0, 1, {{1.5f, 9.0f}}, {4000.0f, 4000.0f});
        const QImage image = MapImage(p, 0);
        const QRect cells = MapImageCells(p, 0);
        ASSERT_FALSE(image.isNull());
        ASSERT_TRUE(image.rect().contains(cells));
        const QColor low = image.pixelColor(cells.left() + cells.width() / 4, cells.center().y());
        const QColor high = image.pixelColor(cells.left() + 3 * cells.width() / 4, cells.center().y());
        // Flat ground: the shade keeps the ramp's colours.
        const bool rises = q == MapQuantity::Hours;
        EXPECT_EQ(high, MapRampColour(rises ? 1 : 0)) << MapQuantityWord(q);
        EXPECT_EQ(low, MapRampColour(rises ? 0 : 1)) << MapQuantityWord(q);
    }
}
