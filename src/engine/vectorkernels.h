// The per-sample work of levels 1 and 2 over whole arrays, compiled for several instruction sets
// (AVX-512, AVX2, SSE4.2 and the architecture's baseline); the best this processor runs is chosen
// at the first use. Each kernel gives what the scalar code gives within 1e-9 rad; only standard
// types cross here, so that no code built for a wider instruction set leaks into the rest.
#pragma once

#include <cstdint>

// A GPS almanac orbit (orbit.cpp's GpsOrbitTerms and the eccentricity).
struct GpsKernelOrbit {
    double a, n, root, cosI, sinI, cosW, sinW, m0, node0, nodeRate, nodeAtToa, e;
};
// A GLONASS almanac orbit: its record's terms in double, and the semi-major axis (m) near the first
// sample, where the cube roots along the window start from.
struct GlonassKernelOrbit {
    double cosI, sinI, root, e, deltaT, deltaTDot, omega, lambda, nearA;
};
// The site: the sines and cosines of latitude and longitude, and its Earth-fixed position (m).
struct SiteKernelFrame {
    double sinPhi, cosPhi, sinLambda, cosLambda, x, y, z;
};

// Broadcast Keplerian records, one entry per record (arrays of the same length): the terms of
// broadcastorbit.cpp's KeplerTerms and the record's own elements, for eccentricities up to 0.2 and
// corrections of the inclination below 0.1 rad; no BeiDou GEO.
struct KeplerKernelRecords {
    const double *toeGps, *m0, *n, *deltaNDot, *node0, *nodeRate, *e, *root, *cosW, *sinW, *a, *aDot, *cus,
        *cuc, *crs, *crc, *cis, *cic, *iDot, *cosI0, *sinI0;
};

// GLONASS integrations side by side, one satellite per lane. At each of `ops` operations lane l
// may begin again from a record (start >= 0: records[6 * start ...], position (m) then velocity
// (m/s)), take a Runge-Kutta step of h seconds (0: none) under the central field with J2, the
// Earth's rotation and the lunisolar acceleration, then store its position for an instant
// (store >= 0: xyz[l][3 * store ...]). Operation t of lane l is at [t * kGlonassLanes + l].
// A constellation's worth: each step's several vectors are independent, so the divider and the
// square root's latency of one overlap the others' (a third quicker than 8 lanes on AVX-512).
inline constexpr int kGlonassLanes = 24;
struct GlonassKernelProgram {
    int ops;
    const int32_t *start, *store;
    const double *h, *lunisolarX, *lunisolarY, *lunisolarZ;
    const double* records;
    double mu, j2Term, earthRate; // the force model's constants (m^3/s^2, m^5/s^2, rad/s)
};

// Dilutions of precision side by side, one sample per lane, every lane with the same systems in use.
// Slot s of lane l ([s * kDopLanes + l]) holds a visible satellite's Earth-fixed position (m) and
// its system's clock (0..clocks-1, its place among the systems in use), or clock -1 and position 0
// where the lane has no more satellites. The sums, the inversion and the dilutions take the scalar
// code's operations in its order, so every value is the same to the last bit. Sixteen lanes, two
// AVX-512 vectors: the inversion's chain of dependent pivots runs for both side by side (level 3
// a seventh quicker than with eight).
inline constexpr int kDopLanes = 16;
struct DopKernelBlock {
    int depth;              // slots: the satellites of the fullest lane
    int positionParameters; // 3, or 2 for the horizontal position alone
    int clocks;             // 1..6
    const float *x, *y, *z;
    const int32_t* clock;
    double site[3];     // Earth-fixed, m
    double frame[3][3]; // rows: north, east, up
    double omegaOverC;  // Earth rotation rate over the speed of light, s/m
};
// Lanes whose matrix could not be inverted have `inverted` 0 and no dilutions; the horizontal and
// vertical ones only for 3 position parameters.
struct DopKernelResult {
    double gdop[kDopLanes], pdop[kDopLanes], tdop[kDopLanes], hdop[kDopLanes], vdop[kDopLanes];
    int8_t inverted[kDopLanes];
};

struct VectorKernels {
    // Earth-fixed positions (m) at `count` times: tk, s from the time of almanac; dt, s from the
    // node crossing (within half the four-year cycle). Angles of the times must stay below 1e6 rad.
    void (*gpsAlmanac)(const GpsKernelOrbit& orbit, const double* tk, int count, double* x, double* y,
                       double* z);
    void (*glonassAlmanac)(const GlonassKernelOrbit& orbit, const double* dt, int count, double* x, double* y,
                           double* z);
    // Earth-fixed positions (m) at `count` instants of the continuous GPS count, instant k from the
    // record which[k], Kepler's equation by `newtonSteps` steps of Newton's method from
    // E = M + e sin M (KeplerNewtonSteps); smallAngles where every Newton step and harmonic
    // correction stays within kSmallAngle (KeplerAnglesSmall). nullptr where the scalar code is quicker.
    void (*keplerBroadcast)(const KeplerKernelRecords& records, const int32_t* which, const double* gps,
                            int count, int newtonSteps, bool smallAngles, double* x, double* y, double* z);
    // As the scalar code's Runge-Kutta steps do, lane by lane.
    void (*glonassBroadcast)(const GlonassKernelProgram& program, double* const* xyz);
    // Azimuth (-pi..pi, clockwise from north) and elevation (rad) of each Earth-fixed position (m).
    void (*azimuthElevation)(const SiteKernelFrame& site, const double* x, const double* y, const double* z,
                             int count, double* azimuth, double* elevation);
    // The same for samples laid out as floats x, y, z (m), azimuth (0..2 pi), elevation, each
    // `stride` floats after the one before: their azimuth and elevation filled in. Runs of 8
    // samples whose elevations' sines are all below belowSine (>= 0) get elevation -pi/2, those all
    // above aboveSine (0..1) pi/2, and azimuth 0, their arc tangents spared; -1 and 2 spare none.
    void (*sampleDirections)(const SiteKernelFrame& site, float* samples, int stride, int count,
                             double belowSine, double aboveSine);
    void (*dilutions)(const DopKernelBlock& block, DopKernelResult& result);
};

// The scalar code the kernels are held to (and which the Scalar target runs): with the library's
// arc tangent, as the almanacs' directions, or the engine's quicker one (within 1e-11 rad).
void ScalarAzimuthElevation(const SiteKernelFrame& site, const double* x, const double* y, const double* z,
                            int count, double* azimuth, double* elevation, bool libraryAtan2);

// Steps enough for the largest eccentricity of a call (at most 0.2): the guess is off by at most
// e^2, and each step squares that times e / (2 (1 - e)), so two reach 1e-15 rad up to e = 0.05, three
// 1e-17 up to 0.2.
inline int KeplerNewtonSteps(double largestEccentricity) {
    return largestEccentricity <= 0.05 ? 2 : 3;
}
// An angle (rad) whose sine and cosine a short series gives exactly.
inline constexpr double kSmallAngle = 2e-3;
// The first Newton step, the largest, moves E by at most e^2 / (1 - e): within kSmallAngle up to
// e = 0.04. The corrections of the argument of latitude and the inclination are bounded by their
// amplitudes (`latitude`: |Cus| + |Cuc|; `inclination`: |IDOT tk| + |Cis| + |Cic|).
inline bool KeplerAnglesSmall(double largestEccentricity, double latitude, double inclination) {
    return largestEccentricity <= 0.04 && latitude <= kSmallAngle && inclination <= kSmallAngle;
}

// Scalar: the engine's plain code, no kernels; then the kernels by the instruction set built for.
enum class VectorTarget : uint8_t { Scalar, Baseline, Sse4, Avx2, Avx512 };
inline constexpr int kVectorTargets = 5;

const char* VectorTargetName(VectorTarget target);
bool CanRunVectorTarget(VectorTarget target);
VectorTarget BestVectorTarget();
// The kernels in use, nullptr for Scalar.
const VectorKernels* ActiveKernels();
VectorTarget ActiveVectorTarget();
// From now on, in every thread (tests and benchmarks compare them); false, nothing changed, when
// this processor cannot run it.
bool UseVectorTarget(VectorTarget target);

// The kernels of each instruction set; those not built for this architecture are the baseline's.
extern const VectorKernels kBaselineKernels, kSse4Kernels, kAvx2Kernels, kAvx512Kernels;
