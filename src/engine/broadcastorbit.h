// Satellite positions from broadcast ephemerides, each system by its own interface document: the
// Keplerian user algorithm of GPS, Galileo, BeiDou (with the GEO satellites' own rotation), QZSS and
// NavIC, the modernised messages' with their rates of the semi-major axis and mean motion, and the
// integration of the GLONASS state vector. Positions are Earth-fixed at the instant asked
// for, in the frame of that instant (no signal travel time), as precise orbits give them.
#pragma once

#include <cmath>

#include "engine/ephemeris.h"

// Earth-fixed position (m) at `gps` (seconds of the continuous GPS count).
void KeplerPosition(const KeplerEphemeris& ephemeris, double gps, double xyz[3]);

// What of a record's orbit does not change along it, worked out once; positions from it are the
// same as from the plain call above.
struct KeplerTerms {
    double a = 0, n = 0;         // semi-major axis (m), corrected mean motion (rad/s), at toe
    double root = 0;             // sqrt(1 - e^2)
    double cosW = 0, sinW = 0;   // argument of perigee
    double cosI0 = 0, sinI0 = 0; // inclination at toe
    double node0 = 0;            // node at toe, rad
    double nodeRate = 0;         // its rate in the frame the node is taken in, rad/s
    double earthRate = 0;        // rad/s, for the BeiDou GEOs' turn
    bool geo = false;            // BeiDou GEO: computed in its own frame, then turned
};
KeplerTerms PrepareKepler(const KeplerEphemeris& ephemeris);
void KeplerPosition(const KeplerEphemeris& ephemeris, const KeplerTerms& terms, double gps, double xyz[3]);
// What one position leaves for the next of the same satellite: a series of instants close together
// then needs no new sines and cosines, whichever of its records serves each.
struct KeplerCarry {
    bool valid = false;
    double m = 0, ea = 0, sinE = 0, cosE = 0; // mean and eccentric anomaly, rad
    double inverseD = 0;                      // 1 / (1 - e cos E) at that anomaly
    double node = 0, sinNode = 0, cosNode = 0;
};
void KeplerPosition(const KeplerEphemeris& ephemeris, const KeplerTerms& terms, double gps,
                    KeplerCarry& carry, double xyz[3]);
// Positions (xyz: three per instant) at `count` instants, instant k from records[k] and terms[k]:
// through the vector kernels where they hold, else one by one with `carry`.
void KeplerPositions(const KeplerEphemeris* const* records, const KeplerTerms* const* terms,
                     const double* gps, int count, KeplerCarry& carry, double* xyz);

// The GLONASS state during an integration; carried from sample to sample so that a series of
// times near one record integrates each stretch once.
struct GlonassState {
    double t = 0; // continuous GPS count
    double position[3] = {};
    double velocity[3] = {};
};

// The PZ-90 force model (GLONASS ICD).
inline constexpr double kGlonassMu = 3.986004418e14;     // gravitational constant, m^3/s^2
inline constexpr double kGlonassAe = 6378136.0;          // equatorial radius, m
inline constexpr double kGlonassJ2 = 1.08262575e-3;      // second zonal harmonic
inline constexpr double kGlonassEarthRate = 7.292115e-5; // Earth rotation rate, rad/s
inline constexpr double kGlonassJ2Term = 1.5 * kGlonassJ2 * kGlonassMu * kGlonassAe * kGlonassAe; // m^5/s^2

// Longest integration step, s: Runge-Kutta 4 with it stays within half a metre of a 10-s step over
// the quarter hour around a record and within 60 m over a day, well inside what the broadcast force
// model itself holds that far out (kilometres); a 120-s step would cost 2.5 times as much.
inline constexpr double kGlonassMaxStep = 300.0;

// The broadcast lunisolar acceleration holds for 15 min either side of its record (GLONASS ICD).
// Held constant beyond, it turns with the Earth while the Sun and Moon do not: leaving it out there
// keeps an 18-h extrapolation within about 4 km of the precise orbit instead of 11 km.
inline constexpr double kGlonassLunisolarSpan = 900.0;

// How far from its reference time a broadcast record is used: a week keeps a plan made from last
// week's file, and bounds the GLONASS integration.
inline constexpr double kMaxExtrapolation = 7 * 86400.0; // s
// How far a GLONASS record serves a plan.
inline constexpr double kGlonassReach = kMaxExtrapolation;

GlonassState GlonassStart(const GlonassEphemeris& ephemeris);
// The Runge-Kutta steps that take a state from `from` to `gps`: step(lunisolar, h) for each, in
// order. Stretches are split where the broadcast acceleration stops holding (nullptr lunisolar:
// none), equal steps landing on the end of each. false, and no step, when either instant is more
// than kMaxExtrapolation from the record or not a number.
template <typename Step> bool GlonassSteps(const GlonassEphemeris& g, double from, double gps, Step&& step) {
    if (!(std::fabs(gps - g.tbGps) <= kMaxExtrapolation) || !(std::fabs(from - g.tbGps) <= kMaxExtrapolation))
        return false;
    for (double t = from; t != gps;) {
        double end = gps;
        for (double edge : {g.tbGps - kGlonassLunisolarSpan, g.tbGps + kGlonassLunisolarSpan})
            if ((edge - t) * (gps - edge) > 0 && std::fabs(edge - t) < std::fabs(end - t))
                end = edge;
        const double span = end - t;
        const double middle = t + 0.5 * span;
        const bool near = std::fabs(middle - g.tbGps) <= kGlonassLunisolarSpan;
        // One step where it reaches, as the general rule gives it: no division then.
        const bool one = std::fabs(span) <= kGlonassMaxStep;
        const double steps = one ? 1.0 : std::ceil(std::fabs(span) / kGlonassMaxStep);
        const double h = one ? span : span / steps;
        for (double k = 0; k < steps; ++k)
            step(near ? g.acceleration : nullptr, h);
        t = end;
    }
    return true;
}
// Moves `state` to time `gps` (either direction) under the PZ-90 central field with J2, the
// Earth's rotation and, near the record, its lunisolar acceleration. false, the state unchanged,
// when `gps` is more than kMaxExtrapolation from the record or not a number.
bool GlonassIntegrate(const GlonassEphemeris& ephemeris, GlonassState& state, double gps);
bool GlonassPosition(const GlonassEphemeris& ephemeris, double gps, double xyz[3]);
