// DOP against geometry worked out by hand. Positions are placed through the test access in the
// site's local frame, then the level-2 and level-3 stages run on them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "calculator_test_access.h"
#include "engine/calculator.h"
#include "engine/geodesy.h"
#include "sites/siteinfo.h"

namespace {

constexpr double kDeg = 0.017453292519943295;
// Positions are floats (about 2 m at 20000 km), so the unit vectors carry ~1e-7 and the Earth-rotation
// range term scales them by ~2e-6: DOP values of order 1 are good to well within this.
constexpr double kDopTolerance = 1e-4;

using Access = CalculatorTestAccess;

struct Direction {
    int index;
    double elevation, azimuth; // degrees
    double range = 2.2e7;      // m
};

// A calculator with only the given satellites enabled (the rest without almanac), each at the same
// direction for every sample, with azimuth/elevation and visibility worked out by the engine.
void Place(Calculator& c, const SiteInfo& site, const std::vector<Direction>& sats) {
    Access::SetAllStatuses(c, StatusNoAlmanac);
    const double phi = site.latitude * kDeg, lambda = site.longitude * kDeg;
    double s[3];
    GeodeticToEcef(phi, lambda, site.altitude, s[0], s[1], s[2]);
    const double north[3] = {-std::sin(phi) * std::cos(lambda), -std::sin(phi) * std::sin(lambda),
                             std::cos(phi)};
    const double east[3] = {-std::sin(lambda), std::cos(lambda), 0};
    const double up[3] = {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
    for (const Direction& d : sats) {
        Access::SetStatus(c, d.index, 0);
        const double e = d.elevation * kDeg, a = d.azimuth * kDeg;
        double p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = s[i] + d.range * (std::cos(e) * std::cos(a) * north[i] +
                                     std::cos(e) * std::sin(a) * east[i] + std::sin(e) * up[i]);
        for (int k = 0; k < c.sampleCount(); ++k)
            Access::SetPosition(c, d.index, k, static_cast<float>(p[0]), static_cast<float>(p[1]),
                                static_cast<float>(p[2]));
    }
    c.ComputeAzEl(site);
    c.ComputeVisibilityAndDop(site);
}

// One satellite at the zenith and three at elevation 30 deg, 120 deg apart in azimuth, starting at
// `azimuth0`. In the local frame (east, north, up) with rows (u, -1) the normal matrix splits into
//   east/north: 3/2 cos^2 e each (the sums of sin a cos a, sin a and cos a over the three vanish),
//   up/clock:   [[1 + 3 sin^2 e, -(1 + 3 sin e)], [-(1 + 3 sin e), 4]], determinant 3 (1 - sin e)^2.
// So HDOP^2 = 4 / (3 cos^2 e), VDOP^2 = 4 / (3 (1 - sin e)^2), TDOP^2 = (1 + 3 sin^2 e) / (3 (1 - sin e)^2);
// with e = 30 deg: HDOP = 4/3, VDOP = 4/sqrt 3, TDOP = sqrt(7/3), PDOP = 8/3.
std::vector<Direction> ZenithAndThree(int first, double azimuth0, double range = 2.2e7) {
    return {{first, 90, 0, range - 2e6},
            {first + 1, 30, azimuth0, range},
            {first + 2, 30, azimuth0 + 120, range},
            {first + 3, 30, azimuth0 + 240, range}};
}
const double kH = 4.0 / 3.0, kV = 4.0 / std::sqrt(3.0), kT = std::sqrt(7.0 / 3.0), kP = 8.0 / 3.0;

void ExpectDop(const Calculator& c, int k, double p, double g, double h, double v, double t) {
    EXPECT_NEAR(c.pdop()[k], p, kDopTolerance) << "sample " << k;
    EXPECT_NEAR(c.gdop()[k], g, kDopTolerance) << "sample " << k;
    EXPECT_NEAR(c.hdop()[k], h, kDopTolerance) << "sample " << k;
    EXPECT_NEAR(c.vdop()[k], v, kDopTolerance) << "sample " << k;
    EXPECT_NEAR(c.tdop()[k], t, kDopTolerance) << "sample " << k;
}

} // namespace

TEST(CalculatorDop, ZenithAndThreeAtEqualElevationMatchTheClosedForm) {
    // The pole has no Earth-rotation range term; the others check the local frame's rotation.
    const SiteInfo sites[] = {SiteInfo(90, 0, 0, "pole", "", 0), SiteInfo(47.5, 8.25, 520, "mid", "", 1),
                              SiteInfo(-33.9, -151.2, 40, "south west", "", -10)};
    for (const SiteInfo& site : sites) {
        for (double azimuth0 : {0.0, 17.0}) {
            SCOPED_TRACE(site.name);
            Calculator c;
            Place(c, site, ZenithAndThree(0, azimuth0));
            for (int k : {0, 50, 96}) {
                EXPECT_EQ(c.satelliteCount()[k], 4);
                EXPECT_EQ(c.solutionFlag()[k], 1);
                ExpectDop(c, k, kP, std::hypot(kP, kT), kH, kV, kT);
            }
            EXPECT_EQ(c.parameterCount(), 4);
        }
    }
}

TEST(CalculatorDop, OneSystemUsesOneClockColumnAndTwoSystemsTwo) {
    const SiteInfo site(52, 13, 40, "site", "", 1);
    // GLONASS alone: the same single clock column as GPS.
    {
        Calculator c;
        Place(c, site, ZenithAndThree(32, 40, 2.55e7));
        EXPECT_EQ(c.parameterCount(), 4);
        ExpectDop(c, 10, kP, std::hypot(kP, kT), kH, kV, kT);
    }
    // The same directions seen by both systems. With G the 3x3 sum of u u^T over one system, g the sum
    // of u and m = 4 satellites, the position block is (2 (G - g g^T / m))^-1, half the one-system
    // covariance, and each clock variance is 1/m + g^T S^-1 g / (2 m^2): the clock trace grows by 1/m.
    {
        Calculator c;
        std::vector<Direction> both = ZenithAndThree(0, 40);
        for (const Direction& d : ZenithAndThree(40, 40, 2.55e7))
            both.push_back(d);
        Place(c, site, both);
        EXPECT_EQ(c.parameterCount(), 5);
        EXPECT_EQ(c.satelliteCount()[10], 8);
        const double t = std::sqrt(kT * kT + 0.25), p = kP / std::sqrt(2.0);
        ExpectDop(c, 10, p, std::hypot(p, t), kH / std::sqrt(2.0), kV / std::sqrt(2.0), t);
    }
}

TEST(CalculatorDop, EachSystemInViewTakesItsOwnClock) {
    // k systems seeing the same four directions: the position covariance is the one-system one
    // divided by k, each clock variance 1/4 + (T^2 - 1/4) / k, so the clock trace T^2 + (k - 1) / 4.
    const SiteInfo site(52, 13, 40, "site", "", 1);
    const int firsts[] = {0, 40, 60, 100, 156}; // GPS, GLONASS, Galileo, BeiDou, QZSS
    for (int systems : {4, 5}) {
        Calculator c;
        std::vector<Direction> all;
        for (int s = 0; s < systems; ++s)
            for (const Direction& d : ZenithAndThree(firsts[s], 40, 2.2e7 + 1e6 * s))
                all.push_back(d);
        Place(c, site, all);
        EXPECT_EQ(c.parameterCount(), 3 + systems);
        EXPECT_EQ(c.satelliteCount()[10], 4 * systems);
        const double root = std::sqrt(static_cast<double>(systems));
        const double t = std::sqrt(kT * kT + 0.25 * (systems - 1)), p = kP / root;
        ExpectDop(c, 10, p, std::hypot(p, t), kH / root, kV / root, t);
    }
    // One Galileo satellite beside four GPS: its clock takes it whole, the position is GPS's alone;
    // the fix needs five satellites for the five unknowns and has them.
    Calculator c;
    std::vector<Direction> five = ZenithAndThree(0, 40);
    five.push_back({70, 45, 300});
    Place(c, site, five);
    EXPECT_EQ(c.parameterCount(), 5);
    EXPECT_EQ(c.solutionFlag()[10], 1);
    EXPECT_NEAR(c.pdop()[10], kP, kDopTolerance);
    EXPECT_NEAR(c.hdop()[10], kH, kDopTolerance);
    EXPECT_GT(c.tdop()[10], kT);
    // Without a satellite in view BeiDou adds no column.
    Access::SetStatus(c, 100, 0);
    for (int k = 0; k < c.sampleCount(); ++k)
        Access::SetPosition(c, 100, k, 0, 0, -2.6e7f); // below the horizon of 52 N
    c.ComputeAzEl(site);
    c.ComputeVisibilityAndDop(site);
    EXPECT_EQ(c.parameterCount(), 5);
    EXPECT_NEAR(c.pdop()[10], kP, kDopTolerance);
}

TEST(CalculatorDop, TwoDimensionalModeWithThreeSatellites) {
    // Rows (cos e cos a, cos e sin a, -1): the normal matrix is diag(3/2 cos^2 e, 3/2 cos^2 e, 3), so
    // PDOP = 2 / (sqrt 3 cos e) and TDOP = 1 / sqrt 3; HDOP and VDOP are not formed.
    const SiteInfo site(47.5, 8.25, 520, "mid", "", 1);
    Calculator c;
    Access::SetMode(c, 1);
    const std::vector<Direction> three = {{5, 30, 10}, {6, 30, 130}, {7, 30, 250}};
    Place(c, site, three);
    const double e = 30 * kDeg;
    const double p = 2 / (std::sqrt(3.0) * std::cos(e)), t = 1 / std::sqrt(3.0);
    EXPECT_EQ(c.parameterCount(), 3);
    EXPECT_EQ(c.satelliteCount()[3], 3);
    EXPECT_EQ(c.solutionFlag()[3], 1);
    ExpectDop(c, 3, p, std::hypot(p, t), 0, 0, t);

    // The same three in 3-D mode are too few.
    Access::SetMode(c, 0);
    c.ComputeVisibilityAndDop(site);
    EXPECT_EQ(c.solutionFlag()[3], 0);
    ExpectDop(c, 3, 0, 0, 0, 0, 0);
}

TEST(CalculatorDop, TooFewSatellitesForTheParametersGiveNoSolution) {
    const SiteInfo site(47.5, 8.25, 520, "mid", "", 1);
    Calculator c;
    // One GPS and three GLONASS: two clocks, five parameters, four satellites.
    Place(c, site, {{2, 70, 0}, {33, 30, 20}, {34, 40, 140}, {35, 50, 260}});
    EXPECT_EQ(c.parameterCount(), 5);
    for (int k : {0, 48, 96}) {
        EXPECT_EQ(c.satelliteCount()[k], 4);
        EXPECT_EQ(c.solutionFlag()[k], 0);
        ExpectDop(c, k, 0, 0, 0, 0, 0);
    }
}

TEST(CalculatorDop, SingularGeometryGivesZerosWithTheSolutionFlag) {
    // At 0 N 0 E north is the z axis: four satellites in the east-west vertical plane leave the z
    // column of the normal matrix exactly zero.
    const SiteInfo site(0, 0, 0, "equator", "", 0);
    Calculator c;
    Place(c, site, {{0, 20, 90}, {1, 50, 90}, {2, 70, 90}, {3, 40, 270}});
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < c.sampleCount(); ++k)
            CalculatorTestAccess::Sample(c, j, k).z = 0; // cos 90 deg is not quite 0
    c.ComputeAzEl(site);
    c.ComputeVisibilityAndDop(site);
    EXPECT_EQ(c.satelliteCount()[5], 4);
    EXPECT_EQ(c.solutionFlag()[5], 1);
    ExpectDop(c, 5, 0, 0, 0, 0, 0);
}

TEST(CalculatorDop, InversionOfSymmetricMatrices) {
    // A positive definite 5 x 5: the product with its inverse is the identity.
    const double n[25] = {6,   1, 0.5, -1, 2,   1, 5,    1, 0,  -1, 0.5,  1, 4,
                          0.5, 0, -1,  0,  0.5, 3, 0.25, 2, -1, 0,  0.25, 4};
    double q[25];
    std::copy(std::begin(n), std::end(n), q);
    ASSERT_TRUE(InvertNormalMatrix(q, 5));
    for (int r = 0; r < 5; ++r)
        for (int col = 0; col < 5; ++col) {
            double sum = 0;
            for (int k = 0; k < 5; ++k)
                sum += n[r * 5 + k] * q[k * 5 + col];
            EXPECT_NEAR(sum, r == col ? 1.0 : 0.0, 1e-12) << r << "," << col;
            EXPECT_EQ(q[r * 5 + col], q[col * 5 + r]);
        }
    // 2 x 2 by hand: [[4, 2], [2, 2]]^-1 = [[0.5, -0.5], [-0.5, 1]].
    double two[4] = {4, 2, 2, 2};
    ASSERT_TRUE(InvertNormalMatrix(two, 2));
    EXPECT_DOUBLE_EQ(two[0], 0.5);
    EXPECT_DOUBLE_EQ(two[1], -0.5);
    EXPECT_DOUBLE_EQ(two[3], 1.0);

    double firstZero[4] = {0, 1, 1, 1};
    EXPECT_FALSE(InvertNormalMatrix(firstZero, 2));
    double laterZero[4] = {1, 1, 1, 1};
    EXPECT_FALSE(InvertNormalMatrix(laterZero, 2));
    double laterNegative[4] = {1, 2, 2, 1};
    EXPECT_FALSE(InvertNormalMatrix(laterNegative, 2));
    double underflow[4] = {1e-200, 0, 0, 1e-200}; // pivots fine, their product 0
    EXPECT_FALSE(InvertNormalMatrix(underflow, 2));
}
