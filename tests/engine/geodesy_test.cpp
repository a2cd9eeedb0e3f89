#include "engine/geodesy.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Geodesy, EcefOfKnownPoints) {
    InitEllipsoid();
    double x, y, z;
    GeodeticToEcef(0, 0, 0, x, y, z);
    EXPECT_DOUBLE_EQ(x, 6378137.0);
    EXPECT_NEAR(y, 0, 1e-9);
    EXPECT_NEAR(z, 0, 1e-9);
    GeodeticToEcef(M_PI / 2, 0, 100, x, y, z);
    const double kPolarRadiusM = 6356752.314; // WGS-84 b
    EXPECT_NEAR(z, kPolarRadiusM + 100, 1e-3);
    EXPECT_NEAR(x, 0, 1e-6);
    GeodeticToEcef(0, M_PI / 2, 10, x, y, z);
    EXPECT_NEAR(y, 6378147.0, 1e-6);
}
