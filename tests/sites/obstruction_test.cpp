#include <gtest/gtest.h>

#include <sstream>

#include "sites/obstruction.h"
#include "sites/siteinfo.h"
#include "sites/terrainhorizon.h"

#include <cmath>

namespace {

Obstruction Make(std::initializer_list<point<double>> vertices) {
    Obstruction o;
    for (const auto& v : vertices)
        o.Add(v);
    return o;
}

TEST(Obstruction, ContainmentProjectionAndBoundingBox) {
    const Obstruction o = Make({{0, 80}, {40, 100}, {0, 120}, {0, 80}});
    const std::vector<IntPoint> expected{{98, -17}, {54, 9}, {86, 50}, {98, -17}};
    const auto v = o.Vertices();
    for (size_t i = 0; i < v.size(); ++i)
        EXPECT_EQ(ProjectForContainment(v[i]), expected[i]) << i;
    EXPECT_EQ(ProjectForContainment({10, 100}), (IntPoint{87, 15}));
    EXPECT_TRUE(o.Contains({10, 100}));
    EXPECT_TRUE(o.Contains({30, 100}));
    EXPECT_FALSE(o.Contains({10, 60}));
    EXPECT_FALSE(o.Contains({0, 100})); // X equals the box's maximum
}

TEST(Obstruction, StraightEdgesAndDegenerateOutlines) {
    const Obstruction o = Make({{0, 90}, {30, 90}, {30, 180}, {0, 180}, {0, 90}});
    EXPECT_FALSE(o.Contains({10, 135}));
    EXPECT_TRUE(o.Contains({35, 135})); // between the two straight edges
    EXPECT_FALSE(Make({{0, 80}}).Contains({0, 80}));
}

TEST(Obstruction, DiffersAndChangeMask) {
    const Obstruction a = Make({{0, 80}, {40, 100}, {0, 120}});
    const Obstruction b = Make({{0, 120}, {40, 100}, {0, 80}});
    EXPECT_FALSE(a.Differs(Make({{0, 80}, {40, 100}, {0, 120}})));
    EXPECT_TRUE(a.Differs(b));
    SiteInfo s1(50, 10, 100, "one", "", 1.0f), s2 = s1;
    std::snprintf(s2.name, sizeof s2.name, "other");
    EXPECT_EQ(s1.ChangeMask(s2), 0);
    s2.altitude = 101;
    EXPECT_EQ(s1.ChangeMask(s2), 32);
    s2 = s1;
    s2.gmtOffset = 2;
    EXPECT_EQ(s1.ChangeMask(s2), 64);
    s1.obstructions.Add(a);
    s1.obstructions.Add(b);
    s2 = s1;
    EXPECT_EQ(s1.ChangeMask(s2), 0);
    s2.obstructions.Clear();
    s2.obstructions.Add(b);
    s2.obstructions.Add(a);
    s2.gmtOffset = s1.gmtOffset;
    EXPECT_EQ(s1.ChangeMask(s2), 8);
    EXPECT_EQ(s1.FindObstruction({10, 100}), 0);
    EXPECT_EQ(SiteInfo().FindObstruction({90, 0}), -1);
}

TEST(SiteInfo, RecordBytesAndLongName) {
    SiteInfo s(1.5, -2.5, 3, "abcdefghijklmnopqrstuvwxy", "d", 2.0f);
    EXPECT_STREQ(s.name, "abcdefghijklmnopqrst");
    s.obstructions.Add(Make({{0, 80}, {40, 100}}));
    std::ostringstream out;
    ASSERT_TRUE(s.Write(out));
    const std::string bytes = out.str();
    ASSERT_EQ(bytes.size(), 110u + 2 + 2 + 32);
    EXPECT_EQ(bytes[20], '\0');
    EXPECT_EQ(static_cast<unsigned char>(bytes[110]), 1); // obstruction count, little-endian
    EXPECT_EQ(static_cast<unsigned char>(bytes[112]), 2); // vertex count
    std::istringstream in(bytes);
    SiteInfo r;
    ASSERT_TRUE(r.Read(in));
    EXPECT_EQ(r.ChangeMask(s), 0);
    EXPECT_STREQ(r.name, s.name);
    std::istringstream cut(bytes.substr(0, bytes.size() - 3));
    EXPECT_FALSE(SiteInfo().Read(cut));
}

} // namespace

// The terrain's skyline as outlines: every run above the horizontal one outline, closed along it,
// hiding what lies below the skyline and nothing above; a skyline above 0 all round hides the ring.
TEST(Obstruction, TerrainHorizonOutlines) {
    TerrainHorizon bump;
    for (int a = 0; a < 360; ++a) // a ridge of 10 degrees from 60 to 120, the rest below 0
        bump.elevation.push_back(a >= 60 && a <= 120 ? 10.0f : a == 59 || a == 121 ? 0.5f : -1.0f);
    bump.elevation[354] = bump.elevation[355] = bump.elevation[356] = 3; // a second peak west of north
    const std::vector<Obstruction> outlines = HorizonOutlines(bump, 0.1, 100);
    ASSERT_EQ(outlines.size(), 2u);
    const Obstruction &ridge = outlines[0], &peak = outlines[1];
    EXPECT_TRUE(ridge.Contains({5, 90}));
    EXPECT_TRUE(ridge.Contains({9, 62}));
    EXPECT_FALSE(ridge.Contains({11, 90}));
    EXPECT_FALSE(ridge.Contains({5, 200}));
    EXPECT_LE(ridge.Count(), 100);
    EXPECT_TRUE(peak.Contains({1, 355}));
    EXPECT_FALSE(peak.Contains({1, 348}));

    TerrainHorizon ring;
    for (int a = 0; a < 360; ++a)
        ring.elevation.push_back(static_cast<float>(5 + 3 * std::sin(a * 3.14159265 / 30)));
    const std::vector<Obstruction> all = HorizonOutlines(ring, 0.001, 1000);
    ASSERT_EQ(all.size(), 1u);
    for (double a : {0.0, 45.0, 90.0, 180.0, 270.0, 359.0}) {
        SCOPED_TRACE(a);
        EXPECT_TRUE(all[0].Contains({1, a}));
        EXPECT_FALSE(all[0].Contains({9, a}));
        EXPECT_TRUE(all[0].Contains({ring.ElevationAt(a) - 1, a}));
        EXPECT_FALSE(all[0].Contains({ring.ElevationAt(a) + 1, a}));
    }
    // Fewer corners allowed: the skyline is simplified further, the ring stays whole.
    EXPECT_LT(HorizonOutlines(ring, 0.001, 400)[0].Count(), all[0].Count());
    EXPECT_LE(HorizonOutlines(ring, 0.001, 400)[0].Count(), 400);
}
