#include "engine/orbit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPiFull = 3.14159265358979323846;
constexpr double kFloatPositionTolerance = 8.0; // m: a float holds 2.7e7 m to about 2 m per axis
constexpr double kDegree = kPiFull / 180.0;

double Radius(float x, float y, float z) {
    return std::sqrt(double(x) * x + double(y) * y + double(z) * z);
}

GpsAlmanacRecord Gps(float e, float inclination) {
    GpsAlmanacRecord r;
    r.e = e;
    r.toa = 147456;
    r.i = inclination;
    r.omegaDot = -2.6e-9f;
    r.sqrtA = 5153.6;
    r.omega0 = 0.3;
    r.omega = 0.6;
    r.m0 = -0.2;
    r.week = 1300;
    r.referenceWeek = 1300;
    return r;
}

GlonassAlmanacRecord Glonass(float e, float deltaI) {
    GlonassAlmanacRecord r;
    r.channel = 1;
    r.healthFlag = 1;
    r.e = e;
    r.n = 400;
    r.deltaI = deltaI;
    r.lambda = 0.7f;
    r.tLambda = 30000.f;
    r.omega = -0.4f;
    r.deltaT = -2655.f;
    r.deltaTDot = 0.0005f;
    return r;
}

} // namespace

TEST(GpsOrbit, AtToaTheSatelliteSitsAtItsMeanAnomaly) {
    // e = 0, perigee 0, M0 = 0.5 (90 degrees past the node) at tk = 0 with toa 0: the satellite
    // is at its orbit's highest point, node at Omega0 = 0: (0, A cos i, A sin i).
    GpsAlmanacRecord r = Gps(0.0f, 0.3f);
    r.toa = 0;
    r.omega0 = 0.0;
    r.omega = 0.0;
    r.m0 = 0.5;
    const double a = r.sqrtA * r.sqrtA;
    const double i = 0.3 * kPiFull;
    float x, y, z;
    GpsPosition(r, 1300, 0.0, x, y, z);
    EXPECT_NEAR(x, 0.0, kFloatPositionTolerance);
    EXPECT_NEAR(y, a * std::cos(i), kFloatPositionTolerance);
    EXPECT_NEAR(z, a * std::sin(i), kFloatPositionTolerance);
    // at the node (M0 = 0), toa one hour into the week: the node has turned with the Earth
    r.m0 = 0.0;
    r.toa = 3600;
    GpsPosition(r, 1300, 3600.0, x, y, z);
    const double node = -7.2921151467e-5 * 3600;
    EXPECT_NEAR(x, a * std::cos(node), kFloatPositionTolerance);
    EXPECT_NEAR(y, a * std::sin(node), kFloatPositionTolerance);
    EXPECT_NEAR(z, 0.0, kFloatPositionTolerance);
}

TEST(Orbits, RadiusStaysBetweenPerigeeAndApogee) {
    const float e = 0.03f;
    const GpsAlmanacRecord gps = Gps(e, 0.3f);
    const double a = gps.sqrtA * gps.sqrtA;
    const GlonassAlmanacRecord glonass = Glonass(e, 0.0f);
    double gpsMin = 1e300, gpsMax = 0, gloMin = 1e300, gloMax = 0;
    for (int minute = 0; minute < 24 * 60; ++minute) {
        float x, y, z;
        GpsPosition(gps, 1300, gps.toa + minute * 60.0, x, y, z);
        const double rg = Radius(x, y, z);
        EXPECT_GE(rg, a * (1 - e) - kFloatPositionTolerance);
        EXPECT_LE(rg, a * (1 + e) + kFloatPositionTolerance);
        gpsMin = std::min(gpsMin, rg);
        gpsMax = std::max(gpsMax, rg);
        GlonassPosition(glonass, 400, 30000.0 + minute * 60.0, x, y, z);
        const double ag = GlonassSemiMajorAxis(glonass, minute * 60.0);
        const double rr = Radius(x, y, z);
        EXPECT_GE(rr, ag * (1 - e) - kFloatPositionTolerance);
        EXPECT_LE(rr, ag * (1 + e) + kFloatPositionTolerance);
        gloMin = std::min(gloMin, rr);
        gloMax = std::max(gloMax, rr);
    }
    // over a day (two revolutions) both extremes are reached, within two Kepler rounds' error
    EXPECT_NEAR(gpsMin, a * (1 - e), 2000.0);
    EXPECT_NEAR(gpsMax, a * (1 + e), 2000.0);
    EXPECT_NEAR(gloMax - gloMin, 2 * e * GlonassSemiMajorAxis(glonass, 0.0), 4000.0);
}

TEST(Orbits, HighestLatitudeIsTheInclination) {
    struct Case {
        bool glonass;
        float e, inclination; // GPS: the inclination; GLONASS: the correction to 0.35
        double expectedDegrees;
    } cases[] = {{false, 0.0f, 0.3f, 54.0},
                 {false, 0.025f, 0.35f, 63.0},
                 {true, 0.0f, 0.0f, 63.0},
                 {true, 0.02f, -0.05f, 54.0},
                 {true, 0.001f, 0.03f, 68.4}};
    for (const Case& c : cases) {
        const GpsAlmanacRecord gps = Gps(c.e, c.inclination);
        const GlonassAlmanacRecord glonass = Glonass(c.e, c.inclination);
        double highest = 0;
        for (int second = 0; second < 86400; second += 30) {
            float x, y, z;
            if (c.glonass)
                GlonassPosition(glonass, 400, second, x, y, z);
            else
                GpsPosition(gps, 1300, second, x, y, z);
            highest = std::max(highest, std::asin(z / Radius(x, y, z)) / kDegree);
        }
        EXPECT_NEAR(highest, c.expectedDegrees, 0.05) << c.glonass << " " << c.inclination;
    }
}

TEST(Orbits, CircularOrbitsHaveTheirNominalSize) {
    GlonassAlmanacRecord r = Glonass(0.0f, 0.0f);
    r.deltaT = 0;
    r.deltaTDot = 0;
    // 43200 s period with mu = 3.9860044e14: a = (mu T^2 / 4 pi^2)^(1/3) = 26610222.8 m
    EXPECT_NEAR(GlonassSemiMajorAxis(r, 0.0), 26610222.8, 0.1);
    EXPECT_NEAR(GlonassSemiMajorAxis(r, 1e6), 26610222.8, 0.1);
    // e = 0: circles of radius a (GLONASS) and A (GPS)
    const GpsAlmanacRecord gps = Gps(0.0f, 0.3f);
    for (int minute = 0; minute < 24 * 60; minute += 11) {
        float x, y, z;
        GlonassPosition(r, 400, minute * 60.0, x, y, z);
        EXPECT_NEAR(Radius(x, y, z), 26610222.8, kFloatPositionTolerance) << minute;
        GpsPosition(gps, 1300, gps.toa + minute * 60.0, x, y, z);
        EXPECT_NEAR(Radius(x, y, z), gps.sqrtA * gps.sqrtA, kFloatPositionTolerance) << minute;
    }
    // a period drift makes the orbit grow: T' > 0 lengthens the period
    r.deltaTDot = 0.004f;
    EXPECT_GT(GlonassSemiMajorAxis(r, 86400.0 * 10), GlonassSemiMajorAxis(r, 0.0));
}

TEST(GlonassOrbit, CrossesTheNodeAtItsAlmanacTimeAndLongitude) {
    // At t = tLambda of day N the satellite is at the ascending node, longitude lambda.
    for (float e : {0.0f, 0.01f}) {
        const GlonassAlmanacRecord r = Glonass(e, 0.01f);
        const double a = GlonassSemiMajorAxis(r, 0.0);
        const double radius = a * (1 - e * e) / (1 + e * std::cos(r.omega * kPiFull)); // at theta = -omega
        float x, y, z;
        GlonassPosition(r, r.n, r.tLambda, x, y, z);
        EXPECT_NEAR(x, radius * std::cos(r.lambda * kPiFull), 100.0) << e; // m: two Kepler rounds
        EXPECT_NEAR(y, radius * std::sin(r.lambda * kPiFull), 100.0) << e;
        EXPECT_NEAR(z, 0.0, 100.0) << e;
        float x1, y1, z1;
        GlonassPosition(r, r.n, r.tLambda + 60.0, x1, y1, z1);
        EXPECT_GT(z1, z) << "ascending";
    }
}

TEST(GlonassOrbit, FourYearCycleWrapsBothWays) {
    // day 1460 of one period evaluated on day 1 of the next is two days after the almanac, just
    // as day 1 evaluated on day 3
    GlonassAlmanacRecord late = Glonass(0.01f, 0.01f);
    late.n = 1460;
    GlonassAlmanacRecord early = late;
    early.n = 1;
    for (double seconds : {0.0, 4321.0, 86398.0}) {
        float x0, y0, z0, x1, y1, z1;
        GlonassPosition(late, 1, seconds, x0, y0, z0);
        GlonassPosition(early, 3, seconds, x1, y1, z1);
        EXPECT_NEAR(x0, x1, 1.0) << seconds;
        EXPECT_NEAR(y0, y1, 1.0) << seconds;
        EXPECT_NEAR(z0, z1, 1.0) << seconds;
        // and the other way: an almanac of day 2 evaluated on day 1460 of the previous period
        // is three days before it, as day 1000 evaluated on day 997
        GlonassAlmanacRecord ahead = late;
        ahead.n = 2;
        GlonassAlmanacRecord mid = late;
        mid.n = 1000;
        GlonassPosition(ahead, 1460, seconds, x0, y0, z0);
        GlonassPosition(mid, 997, seconds, x1, y1, z1);
        EXPECT_NEAR(x0, x1, 1.0) << seconds;
        EXPECT_NEAR(z0, z1, 1.0) << seconds;
    }
}
