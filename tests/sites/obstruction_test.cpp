#include <gtest/gtest.h>

#include <sstream>

#include "sites/obstruction.h"
#include "sites/siteinfo.h"

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
