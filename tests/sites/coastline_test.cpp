// The site map's built-in world outline: its fixed shape and its geography.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sites/coastline.h"

namespace {

std::vector<CoastVertex> Outline(int index) {
    int at = 0;
    for (int i = 0; i < index; ++i)
        at += kCoastlineCounts[i];
    return {kCoastline + at, kCoastline + at + kCoastlineCounts[index]};
}

bool Same(const CoastVertex& a, int latitude, int longitude) {
    return a.latitude == latitude && a.longitude == longitude;
}

} // namespace

TEST(Coastline, HasItsFixedOutlineCountsAndClosesEveryOutline) {
    const int expected[] = {30, 21, 18, 15, 18, 18, 30, 16, 14, 21, 17, 18, 19, 19, 41, 5, 9,
                            9,  11, 6,  4,  4,  2,  5,  4,  5,  4,  5,  4,  6,  2,  6,  5, 4,
                            2,  5,  2,  7,  5,  8,  4,  7,  4,  4,  6,  8,  6,  5,  4};
    int total = 0;
    for (int i = 0; i < kCoastlineOutlines; ++i) {
        EXPECT_EQ(kCoastlineCounts[i], expected[i]) << "outline " << i;
        total += kCoastlineCounts[i];
        const std::vector<CoastVertex> o = Outline(i);
        EXPECT_TRUE(Same(o.front(), o.back().latitude, o.back().longitude)) << "outline " << i;
    }
    EXPECT_EQ(total, kCoastlineVertices);
    EXPECT_EQ(total, 492);
}

TEST(Coastline, AfricaBeginsAndEndsWhereTheMapAlwaysHadIt) {
    const std::vector<CoastVertex> africa = Outline(0);
    ASSERT_EQ(africa.size(), 30u);
    const int head[5][2] = {{21, -18}, {36, -5}, {35, 0}, {37, 12}, {32, 10}};
    for (int k = 0; k < 5; ++k)
        EXPECT_TRUE(Same(africa[k], head[k][0], head[k][1])) << k;
    const int tail[3][2] = {{3, -9}, {13, -17}, {21, -18}};
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(Same(africa[27 + k], tail[k][0], tail[k][1])) << k;
    // Its other vertices lie on the continent: the Cape, the Horn, nothing in Europe or America.
    const auto south = std::min_element(africa.begin(), africa.end(),
                                        [](auto& a, auto& b) { return a.latitude < b.latitude; });
    EXPECT_GE(south->latitude, -36);
    EXPECT_LE(south->latitude, -33);
    for (const CoastVertex& v : africa) {
        EXPECT_GE(v.longitude, -18);
        EXPECT_LE(v.longitude, 52);
        EXPECT_LE(v.latitude, 38);
    }
}

TEST(Coastline, SpansTheWholeMapAndTwoVertexOutlinesAreSinglePoints) {
    int minLat = 90, maxLat = -90, minLon = 180, maxLon = -180, dots = 0;
    for (const CoastVertex& v : kCoastline) {
        minLat = std::min(minLat, v.latitude);
        maxLat = std::max(maxLat, v.latitude);
        minLon = std::min(minLon, v.longitude);
        maxLon = std::max(maxLon, v.longitude);
    }
    EXPECT_EQ(minLat, -85);
    EXPECT_EQ(maxLat, 84);
    EXPECT_EQ(minLon, -180);
    EXPECT_EQ(maxLon, 180);
    for (int i = 0; i < kCoastlineOutlines; ++i)
        if (kCoastlineCounts[i] == 2) {
            const std::vector<CoastVertex> o = Outline(i);
            EXPECT_TRUE(Same(o[0], o[1].latitude, o[1].longitude)) << "outline " << i;
            ++dots;
        }
    EXPECT_EQ(dots, 4);
}
