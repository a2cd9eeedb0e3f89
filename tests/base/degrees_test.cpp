#include "base/degrees.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>

TEST(Angles, DmsRoundingAndInverse) {
    int d, m, s, h;
    DegreesToDms(45.5, d, m, s, h);
    EXPECT_EQ((std::array{d, m, s, h}), (std::array{45, 30, 0, 0}));
    DegreesToDms(0.999999, d, m, s, h);
    EXPECT_EQ((std::array{d, m, s, h}), (std::array{1, 0, 0, 0}));
    DegreesToDms(55.75833333, d, m, s, h); // 55 45 30.00
    EXPECT_EQ((std::array{d, m, s, h}), (std::array{55, 45, 30, 0}));
    DegreesToDms(-12.5, d, m, s, h); // floor(-4500000 + 0.5) = -4500000
    EXPECT_EQ((std::array{d, m, s, h}), (std::array{-12, -30, 0, 0}));
    EXPECT_NEAR(static_cast<double>(DmsToDegrees(37, 25, 19, 7)), 37.0 + 25 / 60.0 + 19.07 / 3600.0, 1e-12);
    int sd, sm;
    double ss;
    SplitDegrees(10.5125, sd, sm, ss);
    EXPECT_EQ(sd, 10);
    EXPECT_EQ(sm, 30);
    EXPECT_NEAR(ss, 45.0, 1e-9);
}

TEST(Angles, ValuesNoAngleCanHaveSaturateInsteadOfOverflowing) {
    int d = 0, m = 0, s = 0, h = 0;
    double seconds = 0;
    SplitDegrees(1e300, d, m, seconds);
    EXPECT_EQ(d, INT32_MAX);
    SplitDegrees(std::nan(""), d, m, seconds);
    EXPECT_EQ(d, 0);
    DegreesToDms(-1e300, d, m, s, h);
    EXPECT_EQ(d, INT32_MIN);        // the tick count saturates, then the degrees
    DegreesToDms(45.5, d, m, s, h); // and ordinary values are as they were
    EXPECT_EQ(d, 45);
    EXPECT_EQ(m, 30);
}
