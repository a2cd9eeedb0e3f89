// A map picture's samples of the cells, its hill shading and the names of its files.
#include <gtest/gtest.h>

#include <cmath>

#include "reports/mappicture.h"

// Ground facing the light (falling towards the north-west) is lit more than flat ground, ground
// facing away from it less.
TEST(MapHillShade, LightComesFromTheNorthWest) {
    const double flat = std::sin(45 * M_PI / 180);
    const struct {
        double east, north; // metres of rise per metre
        int order;          // against flat ground: +1 lighter, -1 darker, 0 the same
    } cases[] = {{0, 0, 0}, {0.3, -0.3, +1}, {-0.3, 0.3, -1}, {-0.5, 0, -1}, {0, -0.5, +1}};
    constexpr int kSide = 5;
    constexpr double kStep = 30; // m
    for (const auto& c : cases) {
        std::vector<float> ground;
        for (int r = 0; r < kSide; ++r)
            for (int col = 0; col < kSide; ++col)
                ground.push_back(static_cast<float>(1000 + c.east * kStep * col - c.north * kStep * r));
        const float lit = MapHillShade(ground, kSide, kSide, kStep, kStep)[2 * kSide + 2];
        if (c.order == 0)
            EXPECT_NEAR(lit, flat, 1e-6) << c.east << "," << c.north;
        else
            EXPECT_EQ(lit > flat + 1e-3, c.order > 0) << c.east << "," << c.north << ": " << lit;
    }
    // No height, no shade.
    const std::vector<float> hole = {1, 1, 1, 1, NAN, 1, 1, 1, 1};
    EXPECT_TRUE(std::isnan(MapHillShade(hole, 3, 3, kStep, kStep)[4]));
}

// Cells that fit are taken each; beyond the largest picture every n-th, the one under each
// sample's centre, whichever block of rows brings it.
TEST(MapPicture, SamplesTheCellsUnderTheirCentres) {
    for (int columns : {3, 2 * kMapPictureMaxSide}) {
        MapArea area;
        area.north = 1;
        area.east = 1;
        area.rows = 4;
        area.columns = columns;
        MapPicture p;
        p.Start(area, {MapQuantity::Hours}, false);
        EXPECT_EQ(p.Sampled(), columns > kMapPictureMaxSide);
        EXPECT_EQ(p.columns, std::min(columns, kMapPictureMaxSide));
        for (int first = 0; first < 4; first += 2) {
            std::vector<float> values, ground;
            for (int r = first; r < first + 2; ++r)
                for (int c = 0; c < columns; ++c) {
                    values.push_back(static_cast<float>(r * columns + c));
                    ground.push_back(static_cast<float>(r));
                }
            p.Take(first, 2, {values}, ground);
        }
        const int step = columns / p.columns;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < p.columns; c += std::max(1, p.columns / 7)) {
                const size_t at = static_cast<size_t>(r * p.columns + c);
                EXPECT_EQ(p.values[0][at], static_cast<float>(r * columns + c * step + step / 2))
                    << r << "," << c;
                EXPECT_EQ(p.ground[at], static_cast<float>(r));
            }
    }
}

TEST(MapPicture, SeveralQuantitiesNameTheirFiles) {
    EXPECT_EQ(MapPicturePath("out/khumbu.png", "hours"), "out/khumbu-hours.png");
    EXPECT_EQ(MapPicturePath("khumbu.PNG", "worst-pdop"), "khumbu-worst-pdop.PNG");
}
