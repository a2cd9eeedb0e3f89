#include "engine/orbit.h"

#include <cmath>

namespace {

constexpr double kMuGps = 3.986005e14;          // GPS gravitational constant, m^3/s^2 (IS-GPS-200)
constexpr double kOmegaEarth = 7.2921151467e-5; // Earth rotation rate, rad/s (IS-GPS-200)
constexpr double kPi = 3.1415926535898;         // the rounded value the GPS interface uses
constexpr double kMuGlonass = 3.9860044e14;     // PZ-90 gravitational constant, m^3/s^2
constexpr double kAeGlonass = 6378136.0;        // PZ-90 equatorial radius, m
constexpr double kNominalPeriod = 43200.0;      // nominal GLONASS draconic period, s
constexpr double kMeanInclination = 0.35;       // nominal GLONASS inclination, semicircles (63 deg)
constexpr double kSecondsPerDayD = 86400.0;     // day
constexpr double kHalfCycle = 63115200.0;       // half the four-year cycle, s (730.5 days)
constexpr double kFourYearCycle = 126230400.0;  // four-year cycle, s (1461 days)
constexpr double kNodeRegression = -10.0;       // J2 node regression coefficient, deg/day
constexpr double kPerigeeRotation = 5.0;        // J2 perigee rotation coefficient, deg/day

// sin and cos of m + d from those of m, for the small shifts d = e sin E of the Kepler iteration:
// the shift's own sine and cosine by their series, exact to rounding for |d| <= 0.05.
void SinCosShifted(double m, double sinM, double cosM, double d, double& s, double& c) {
    if (!(std::fabs(d) <= 0.05)) {
        s = std::sin(m + d);
        c = std::cos(m + d);
        return;
    }
    const double d2 = d * d;
    const double sd = d * (1.0 - d2 / 6.0 * (1.0 - d2 / 20.0 * (1.0 - d2 / 42.0 * (1.0 - d2 / 72.0))));
    const double cd =
        1.0 - d2 / 2.0 * (1.0 - d2 / 12.0 * (1.0 - d2 / 30.0 * (1.0 - d2 / 56.0 * (1.0 - d2 / 90.0))));
    s = sinM * cd + cosM * sd;
    c = cosM * cd - sinM * sd;
}

// Eccentric anomaly by two rounds of fixed-point iteration (enough for e <= 0.03 at planning
// accuracy), E = M, E = M + e sin E twice; answers sin E and cos E of the last round, worked out from
// one sincos of M.
void EccentricAnomaly(double m, double e, double& sinE, double& cosE) {
    const double sinM = std::sin(m), cosM = std::cos(m);
    double sin1, cos1;
    SinCosShifted(m, sinM, cosM, e * sinM, sin1, cos1);
    SinCosShifted(m, sinM, cosM, e * sin1, sinE, cosE);
}

// Argument of latitude (cos u, sin u) from the eccentric anomaly and the argument of perigee w,
// without forming the true anomaly v: its cosine and sine are (cos E - e) / (1 - e cos E) and
// sqrt(1 - e^2) sin E / (1 - e cos E), whose squares sum to 1, and u = v + w. The same angle as
// atan(s / c) (+ pi when c < 0) up to rounding; `radius` gets 1 - e cos E.
void ArgumentOfLatitude(double sinE, double cosE, double e, double root, double cosW, double sinW, double& cu,
                        double& su, double& radius) {
    radius = 1.0 - e * cosE;
    const double s = root * sinE / radius;
    const double c = (cosE - e) / radius;
    cu = c * cosW - s * sinW;
    su = s * cosW + c * sinW;
}

void ToEarthFixed(double r, double cu, double su, double node, double cosI, double sinI, double xyz[3]) {
    const double cn = std::cos(node), sn = std::sin(node);
    xyz[0] = r * (cu * cn - su * sn * cosI);
    xyz[1] = r * (cu * sn + su * cn * cosI);
    xyz[2] = r * su * sinI;
}

void Store(const double xyz[3], float& x, float& y, float& z) {
    x = static_cast<float>(xyz[0]);
    y = static_cast<float>(xyz[1]);
    z = static_cast<float>(xyz[2]);
}

} // namespace

GpsOrbitTerms PrepareGpsOrbit(const GpsAlmanacRecord& rec) {
    GpsOrbitTerms t;
    const double e = rec.e;
    t.a = rec.sqrtA * rec.sqrtA;
    t.n = std::sqrt(kMuGps / t.a / t.a / t.a);
    t.root = std::sqrt(1.0 - e * e);
    const double inclination = static_cast<double>(rec.i) * kPi;
    t.cosI = std::cos(inclination);
    t.sinI = std::sin(inclination);
    t.cosW = std::cos(rec.omega * kPi);
    t.sinW = std::sin(rec.omega * kPi);
    t.m0 = rec.m0 * kPi;
    t.node0 = rec.omega0 * kPi;
    t.nodeRate = static_cast<double>(rec.omegaDot) * kPi - kOmegaEarth;
    t.nodeAtToa = kOmegaEarth * static_cast<double>(rec.toa);
    return t;
}

int GpsPosition(const GpsAlmanacRecord& rec, const GpsOrbitTerms& t, int32_t week, double secondsOfWeek,
                float& x, float& y, float& z) {
    double xyz[3];
    GpsPositionAt(rec, t, GpsTimeFromToa(rec, week, secondsOfWeek), xyz);
    Store(xyz, x, y, z);
    return 1;
}

void GpsPositionAt(const GpsAlmanacRecord& rec, const GpsOrbitTerms& t, double tk, double xyz[3]) {
    const double e = rec.e;
    const double m = t.m0 + t.n * tk;
    double sinE, cosE, cu, su, radius;
    EccentricAnomaly(m, e, sinE, cosE);
    ArgumentOfLatitude(sinE, cosE, e, t.root, t.cosW, t.sinW, cu, su, radius);
    const double r = t.a * radius;
    const double node = t.node0 + t.nodeRate * tk - t.nodeAtToa;
    ToEarthFixed(r, cu, su, node, t.cosI, t.sinI, xyz);
}

int GpsPosition(const GpsAlmanacRecord& rec, int32_t week, double secondsOfWeek, float& x, float& y,
                float& z) {
    return GpsPosition(rec, PrepareGpsOrbit(rec), week, secondsOfWeek, x, y, z);
}

double GlonassMeanMotion(const GlonassAlmanacRecord& rec, double dt) {
    const double period0 = kNominalPeriod + rec.deltaT;
    const double period = (rec.deltaTDot / period0) * dt + period0;
    return 2.0 * kPi / period;
}

double GlonassSemiMajorAxis(const GlonassAlmanacRecord& rec, double dt) {
    const double n = GlonassMeanMotion(rec, dt);
    return std::cbrt(kMuGlonass / n / n);
}

GlonassOrbitTerms PrepareGlonassOrbit(const GlonassAlmanacRecord& rec) {
    GlonassOrbitTerms t;
    const double e = rec.e;
    const double inclination = (kMeanInclination + rec.deltaI) * kPi;
    t.cosI = std::cos(inclination);
    t.sinI = std::sin(inclination);
    t.root = std::sqrt(1.0 - e * e);
    return t;
}

double GlonassTimeFromNode(const GlonassAlmanacRecord& rec, int32_t dayNumber, double secondsOfDay) {
    double dt = static_cast<double>(dayNumber - rec.n) * kSecondsPerDayD + secondsOfDay - rec.tLambda;
    if (dt > kHalfCycle)
        dt -= kFourYearCycle;
    if (dt < -kHalfCycle)
        dt += kFourYearCycle;
    return dt;
}

int GlonassPosition(const GlonassAlmanacRecord& rec, const GlonassOrbitTerms& t, int32_t dayNumber,
                    double secondsOfDay, float& x, float& y, float& z) {
    double xyz[3];
    GlonassPositionAt(rec, t, GlonassTimeFromNode(rec, dayNumber, secondsOfDay), xyz);
    Store(xyz, x, y, z);
    return 1;
}

void GlonassPositionAt(const GlonassAlmanacRecord& rec, const GlonassOrbitTerms& t, double dt,
                       double xyz[3]) {
    const double e = rec.e;
    const double n = GlonassMeanMotion(rec, dt);
    const double a = std::cbrt(kMuGlonass / n / n);
    const double ratio = kAeGlonass / a;
    const double k = ratio * ratio * ratio * std::sqrt(ratio); // (aE / a)^3.5
    const double ci = t.cosI;
    const double nodeRate = kNodeRegression * k * ci / kSecondsPerDayD / 180.0;
    const double perigeeRate = kPerigeeRotation * k * (5.0 * ci * ci - 1.0) / kSecondsPerDayD / 180.0;
    const double omegaT = perigeeRate * dt + rec.omega;
    // Mean anomaly of the ascending node, which lies at true anomaly theta = -omegaT.
    const double theta = -omegaT * kPi;
    const double sinT = std::sin(theta), cosT = std::cos(theta);
    const double q = 1.0 + e * cosT;
    const double sinNode = t.root * sinT / q; // sine of the node's eccentric anomaly
    const double eNode = std::atan2(sinNode, (cosT + e) / q);
    const double mNode = eNode - e * sinNode;
    const double m = n * dt + mNode;
    double sinE, cosE, cu, su, radius;
    EccentricAnomaly(m, e, sinE, cosE);
    ArgumentOfLatitude(sinE, cosE, e, t.root, cosT, -sinT, cu, su, radius); // perigee at -theta
    const double r = a * radius;
    const double node = rec.lambda * kPi + (nodeRate * kPi - kOmegaEarth) * dt;
    ToEarthFixed(r, cu, su, node, t.cosI, t.sinI, xyz);
}

int GlonassPosition(const GlonassAlmanacRecord& rec, int32_t dayNumber, double secondsOfDay, float& x,
                    float& y, float& z) {
    return GlonassPosition(rec, PrepareGlonassOrbit(rec), dayNumber, secondsOfDay, x, y, z);
}
