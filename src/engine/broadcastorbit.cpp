#include "engine/broadcastorbit.h"

#include <algorithm>
#include <cmath>

#include "engine/vectorkernels.h"

namespace {

struct KeplerConstants {
    double mu;        // gravitational constant, m^3/s^2
    double earthRate; // Earth rotation rate, rad/s
};

constexpr KeplerConstants kGps{3.986005e14, 7.2921151467e-5};        // IS-GPS-200
constexpr KeplerConstants kQzss{3.986005e14, 7.2921151467e-5};       // IS-QZSS-PNT
constexpr KeplerConstants kGalileo{3.986004418e14, 7.2921151467e-5}; // Galileo OS SIS ICD
constexpr KeplerConstants kBeiDou{3.986004418e14, 7.2921150e-5};     // BeiDou SIS ICD (CGCS2000)
constexpr KeplerConstants kNavIc{3.986005e14, 7.2921151467e-5};      // IRNSS SPS ICD

// BeiDou GEO orbits are computed in a frame tilted by -5 degrees about x, then turned by the Earth's
// rotation since toe (BeiDou SIS ICD).
constexpr double kBeiDouGeoTilt = -5.0 * 3.14159265358979323846 / 180.0;

const KeplerConstants& ConstantsOf(GnssSystem system) {
    switch (system) {
    case GnssSystem::Galileo:
        return kGalileo;
    case GnssSystem::BeiDou:
        return kBeiDou;
    case GnssSystem::Qzss:
        return kQzss;
    case GnssSystem::NavIc:
        return kNavIc;
    default:
        return kGps;
    }
}

// sin and cos of a small angle by their series: exact to rounding for |d| <= 0.05. Multiplied by
// the reciprocals, not divided: the divisions would cost more than a sine. Below 1e-3 (the
// harmonic corrections, Newton's last steps) two terms each leave out less than 2e-21.
[[gnu::always_inline]] inline void SmallSinCos(double d, double& sd, double& cd) {
    constexpr double k6 = 1.0 / 6, k20 = 1.0 / 20, k42 = 1.0 / 42, k72 = 1.0 / 72;
    constexpr double k2 = 1.0 / 2, k12 = 1.0 / 12, k30 = 1.0 / 30, k56 = 1.0 / 56, k90 = 1.0 / 90;
    const double d2 = d * d;
    if (std::fabs(d) < 1e-3) {
        sd = d * (1.0 - d2 * k6 * (1.0 - d2 * k20));
        cd = 1.0 - d2 * k2 * (1.0 - d2 * k12);
        return;
    }
    sd = d * (1.0 - d2 * k6 * (1.0 - d2 * k20 * (1.0 - d2 * k42 * (1.0 - d2 * k72))));
    cd = 1.0 - d2 * k2 * (1.0 - d2 * k12 * (1.0 - d2 * k30 * (1.0 - d2 * k56 * (1.0 - d2 * k90))));
}

// Newton's method on Kepler's equation from the guess (ea, sin, cos), for the eccentricities flown
// (up to 0.16 for the two Galileo satellites left in elongated orbits). The small Newton steps turn
// sin E and cos E by rotation instead of new sines and cosines. Newton's error after a step is at
// most e / (2 (1 - e)) < 0.1 times the step squared: after a step below 1e-6 it is below 1e-13 rad,
// a few micrometres along the orbit.
void SolveKepler(double m, double e, double& ea, double& s, double& c) {
    for (int k = 0; k < 30; ++k) {
        const double step = (ea - e * s - m) / (1.0 - e * c);
        ea -= step;
        if (std::fabs(step) <= 0.05) {
            double sd, cd;
            SmallSinCos(step, sd, cd);
            const double s1 = s * cd - c * sd;
            c = c * cd + s * sd;
            s = s1;
        } else {
            s = std::sin(ea);
            c = std::cos(ea);
        }
        if (std::fabs(step) < 1e-6)
            break;
    }
}

// x rounded to the nearest integer without a library call: adding 1.5 * 2^52 leaves no fraction
// bits (exact below 2^51; beyond, x is whole already).
double Nearest(double x) {
    constexpr double kShift = 6755399441055744.0;
    return std::fabs(x) < 2251799813685248.0 ? (x + kShift) - kShift : x;
}

// Turns the pair (sin, cos) of an angle on by a small angle d (|d| <= 0.1: the series' first term
// left out is then below 3e-19).
[[gnu::always_inline]] inline void Turn(double d, double& s, double& c) {
    double sd, cd;
    SmallSinCos(d, sd, cd);
    const double s1 = s * cd + c * sd;
    c = c * cd - s * sd;
    s = s1;
}

} // namespace

KeplerTerms PrepareKepler(const KeplerEphemeris& k) {
    const KeplerConstants& c = ConstantsOf(k.satellite.system);
    KeplerTerms t;
    t.a = k.sqrtA * k.sqrtA;
    t.n = std::sqrt(c.mu / (t.a * t.a * t.a)) + k.deltaN;
    t.root = std::sqrt(1.0 - k.e * k.e);
    t.cosW = std::cos(k.omega);
    t.sinW = std::sin(k.omega);
    t.cosI0 = std::cos(k.i0);
    t.sinI0 = std::sin(k.i0);
    t.geo = k.satellite.system == GnssSystem::BeiDou && k.message == NavMessage::D2;
    t.earthRate = c.earthRate;
    // The node in the Earth-fixed frame at the instant; for the BeiDou GEOs in the inertial-like
    // frame of toe, the Earth's rotation being applied after the tilt.
    t.node0 = k.omega0 - c.earthRate * k.toe;
    t.nodeRate = t.geo ? k.omegaDot : k.omegaDot - c.earthRate;
    return t;
}

void KeplerPosition(const KeplerEphemeris& k, const KeplerTerms& t, double gps, double xyz[3]) {
    KeplerCarry fresh;
    KeplerPosition(k, t, gps, fresh, xyz);
}

void KeplerPosition(const KeplerEphemeris& k, const KeplerTerms& t, double gps, KeplerCarry& carry,
                    double xyz[3]) {
    constexpr double kTwoPi = 2.0 * 3.14159265358979323846;
    const double tk = gps - k.toeGps;
    double m = k.m0 + (t.n + 0.5 * k.deltaNDot * tk) * tk;
    const double node = t.node0 + t.nodeRate * tk;
    // The change of each angle since the last instant, whole turns taken out (the record may be
    // another one, whose angles count their turns from elsewhere).
    constexpr double kTurns = 1.0 / kTwoPi;
    double dm = m - carry.m;
    dm -= kTwoPi * Nearest(dm * kTurns);
    double dnode = node - carry.node;
    dnode -= kTwoPi * Nearest(dnode * kTurns);
    if (carry.valid && std::fabs(dm) <= 0.08 && std::fabs(dnode) <= 0.08) {
        // Near the last instant: the anomaly and the node turned on from there, by E's Taylor
        // series in M to the second order (dE/dM = 1 / D, d2E/dM2 = -e sin E / D^3 with
        // D = 1 - e cos E): the guess is off by about e dm^3 / 6, and one Newton step mends it.
        const double inverse = carry.inverseD;
        const double de = dm * inverse * (1.0 - 0.5 * k.e * carry.sinE * dm * inverse * inverse);
        carry.m += dm;
        carry.ea += de;
        Turn(de, carry.sinE, carry.cosE);
        carry.node += dnode;
        Turn(dnode, carry.sinNode, carry.cosNode);
    } else {
        m -= kTwoPi * Nearest(m / kTwoPi); // days from toe make many turns
        carry.m = m;
        carry.ea = m;
        carry.sinE = std::sin(m);
        carry.cosE = std::cos(m);
        carry.node = node;
        carry.cosNode = std::cos(node);
        carry.sinNode = std::sin(node);
    }
    carry.valid = true;
    SolveKepler(carry.m, k.e, carry.ea, carry.sinE, carry.cosE);
    const double sinE = carry.sinE, cosE = carry.cosE;
    const double denominator = 1.0 - k.e * cosE;
    // True anomaly's cosine and sine, then the argument of latitude phi = v + omega.
    const double inverse = 1.0 / denominator;
    carry.inverseD = inverse;
    const double cv = (cosE - k.e) * inverse;
    const double sv = t.root * sinE * inverse;
    const double cphi = cv * t.cosW - sv * t.sinW;
    const double sphi = sv * t.cosW + cv * t.sinW;
    const double s2 = 2.0 * sphi * cphi, c2 = cphi * cphi - sphi * sphi;
    const double du = k.cus * s2 + k.cuc * c2;
    const double r = (t.a + k.aDot * tk) * denominator + k.crs * s2 + k.crc * c2;
    const double di = k.iDot * tk + k.cis * s2 + k.cic * c2;
    double sdu, cdu; // the correction stays below 0.02 rad (the reader's bounds)
    SmallSinCos(du, sdu, cdu);
    const double cu = cphi * cdu - sphi * sdu;
    const double su = sphi * cdu + cphi * sdu;
    const double xp = r * cu, yp = r * su;
    double ci, si;
    if (std::fabs(di) <= 0.05) {
        double sdi, cdi;
        SmallSinCos(di, sdi, cdi);
        ci = t.cosI0 * cdi - t.sinI0 * sdi;
        si = t.sinI0 * cdi + t.cosI0 * sdi;
    } else {
        ci = std::cos(k.i0 + di);
        si = std::sin(k.i0 + di);
    }
    const double cn = carry.cosNode, sn = carry.sinNode;
    const double x = xp * cn - yp * ci * sn;
    const double y = xp * sn + yp * ci * cn;
    const double z = yp * si;
    if (!t.geo) {
        xyz[0] = x;
        xyz[1] = y;
        xyz[2] = z;
        return;
    }
    const double ct = std::cos(kBeiDouGeoTilt), st = std::sin(kBeiDouGeoTilt);
    const double y1 = ct * y + st * z;
    const double z1 = -st * y + ct * z;
    const double turn = t.earthRate * tk;
    const double cr = std::cos(turn), sr = std::sin(turn);
    xyz[0] = cr * x + sr * y1;
    xyz[1] = -sr * x + cr * y1;
    xyz[2] = z1;
}

void KeplerPosition(const KeplerEphemeris& k, double gps, double xyz[3]) {
    KeplerPosition(k, PrepareKepler(k), gps, xyz);
}

void KeplerPositions(const KeplerEphemeris* const* records, const KeplerTerms* const* terms,
                     const double* gps, int count, KeplerCarry& carry, double* xyz) {
    // Blocks of instants on the stack, each record among them listed once for the kernel.
    constexpr int kBlock = 64;
    const VectorKernels* kernels = ActiveKernels();
    for (int first = 0; first < count; first += kBlock) {
        const int n = std::min(kBlock, count - first);
        double* out = xyz + 3 * static_cast<size_t>(first);
        double fields[21][kBlock];
        int32_t which[kBlock];
        int distinct = 0;
        double largestE = 0, latitude = 0, inclination = 0; // the corrections' largest amplitudes
        bool fits = kernels != nullptr && kernels->keplerBroadcast != nullptr;
        // Each run of instants from one record: the record's checks and fields once.
        for (int i = 0, end; i < n && fits; i = end) {
            const KeplerEphemeris& k = *records[first + i];
            const KeplerTerms& t = *terms[first + i];
            for (end = i + 1; end < n && records[first + end] == &k; ++end)
                ;
            // The largest |tk| of the run: where ascending, at one of its ends. (An instant that is
            // not a number gives not a number from the kernel as from the scalar code.)
            bool ascending = true;
            for (int j = i + 1; j < end; ++j)
                ascending &= gps[first + j - 1] <= gps[first + j];
            double farthest =
                std::max(std::fabs(gps[first + i] - k.toeGps), std::fabs(gps[first + end - 1] - k.toeGps));
            for (int j = i; j < end && !ascending; ++j)
                farthest = std::max(farthest, std::fabs(gps[first + j] - k.toeGps));
            const double di = std::fabs(k.iDot) * farthest + std::fabs(k.cis) + std::fabs(k.cic);
            const double du = std::fabs(k.cus) + std::fabs(k.cuc);
            // Beyond the kernel's series: the inclination's correction, elongated orbits, the GEOs.
            fits = !t.geo && k.e <= 0.2 && di <= 0.1 && du <= 0.1;
            inclination = std::max(inclination, di);
            latitude = std::max(latitude, du);
            largestE = std::max(largestE, k.e);
            const double values[21] = {k.toeGps, k.m0,   t.n,    k.deltaNDot, t.node0, t.nodeRate, k.e,
                                       t.root,   t.cosW, t.sinW, t.a,         k.aDot,  k.cus,      k.cuc,
                                       k.crs,    k.crc,  k.cis,  k.cic,       k.iDot,  t.cosI0,    t.sinI0};
            for (int f = 0; f < 21; ++f)
                fields[f][distinct] = values[f];
            std::fill(which + i, which + end, distinct++);
        }
        if (!fits) {
            for (int i = 0; i < n; ++i)
                KeplerPosition(*records[first + i], *terms[first + i], gps[first + i], carry, out + 3 * i);
            continue;
        }
        const KeplerKernelRecords r{fields[0],  fields[1],  fields[2],  fields[3],  fields[4],  fields[5],
                                    fields[6],  fields[7],  fields[8],  fields[9],  fields[10], fields[11],
                                    fields[12], fields[13], fields[14], fields[15], fields[16], fields[17],
                                    fields[18], fields[19], fields[20]};
        double x[kBlock], y[kBlock], z[kBlock];
        kernels->keplerBroadcast(r, which, gps + first, n, KeplerNewtonSteps(largestE),
                                 KeplerAnglesSmall(largestE, latitude, inclination), x, y, z);
        for (int i = 0; i < n; ++i) {
            out[3 * i] = x[i];
            out[3 * i + 1] = y[i];
            out[3 * i + 2] = z[i];
        }
        carry.valid = false; // the next instant starts afresh
    }
}

namespace {

// Derivative of the GLONASS state (GLONASS ICD, the PZ-90 Earth-fixed equations of motion).
void GlonassDerivative(const double p[3], const double v[3], const double lunisolar[3], double dp[3],
                       double dv[3]) {
    // One square root and one division: the integration's cost is in here.
    const double r2 = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
    const double inverseR = 1.0 / std::sqrt(r2);
    const double inverseR2 = inverseR * inverseR;
    const double inverseR3 = inverseR2 * inverseR;
    const double j2 = kGlonassJ2Term * inverseR2 * inverseR3;
    const double zz = 5.0 * p[2] * p[2] * inverseR2;
    const double central = -kGlonassMu * inverseR3 - j2 * (1.0 - zz);
    const double w2 = kGlonassEarthRate * kGlonassEarthRate;
    dp[0] = v[0];
    dp[1] = v[1];
    dp[2] = v[2];
    dv[0] = (central + w2) * p[0] + 2.0 * kGlonassEarthRate * v[1] + lunisolar[0];
    dv[1] = (central + w2) * p[1] - 2.0 * kGlonassEarthRate * v[0] + lunisolar[1];
    dv[2] = (central - 2.0 * j2) * p[2] + lunisolar[2];
}

void RungeKuttaStep(GlonassState& s, const double lunisolar[3], double h) {
    double k1p[3], k1v[3], k2p[3], k2v[3], k3p[3], k3v[3], k4p[3], k4v[3], p[3], v[3];
    GlonassDerivative(s.position, s.velocity, lunisolar, k1p, k1v);
    for (int i = 0; i < 3; ++i) {
        p[i] = s.position[i] + 0.5 * h * k1p[i];
        v[i] = s.velocity[i] + 0.5 * h * k1v[i];
    }
    GlonassDerivative(p, v, lunisolar, k2p, k2v);
    for (int i = 0; i < 3; ++i) {
        p[i] = s.position[i] + 0.5 * h * k2p[i];
        v[i] = s.velocity[i] + 0.5 * h * k2v[i];
    }
    GlonassDerivative(p, v, lunisolar, k3p, k3v);
    for (int i = 0; i < 3; ++i) {
        p[i] = s.position[i] + h * k3p[i];
        v[i] = s.velocity[i] + h * k3v[i];
    }
    GlonassDerivative(p, v, lunisolar, k4p, k4v);
    for (int i = 0; i < 3; ++i) {
        s.position[i] += h / 6.0 * (k1p[i] + 2.0 * (k2p[i] + k3p[i]) + k4p[i]);
        s.velocity[i] += h / 6.0 * (k1v[i] + 2.0 * (k2v[i] + k3v[i]) + k4v[i]);
    }
    s.t += h;
}

} // namespace

GlonassState GlonassStart(const GlonassEphemeris& g) {
    GlonassState s;
    s.t = g.tbGps;
    for (int i = 0; i < 3; ++i) {
        s.position[i] = g.position[i];
        s.velocity[i] = g.velocity[i];
    }
    return s;
}

bool GlonassIntegrate(const GlonassEphemeris& g, GlonassState& s, double gps) {
    static constexpr double kNone[3] = {0, 0, 0};
    if (!GlonassSteps(g, s.t, gps, [&s](const double* lunisolar, double h) {
            RungeKuttaStep(s, lunisolar ? lunisolar : kNone, h);
        }))
        return false;
    s.t = gps;
    return true;
}

bool GlonassPosition(const GlonassEphemeris& g, double gps, double xyz[3]) {
    GlonassState s = GlonassStart(g);
    if (!GlonassIntegrate(g, s, gps))
        return false;
    for (int i = 0; i < 3; ++i)
        xyz[i] = s.position[i];
    return true;
}
