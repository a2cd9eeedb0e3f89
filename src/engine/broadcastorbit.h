// Satellite positions from broadcast ephemerides, each system by its own interface document: the
// Keplerian user algorithm of GPS, Galileo, BeiDou (with the GEO satellites' own rotation) and QZSS,
// and the integration of the GLONASS state vector. Positions are Earth-fixed at the instant asked
// for, in the frame of that instant (no signal travel time), as precise orbits give them.
#pragma once

#include "engine/ephemeris.h"

// Earth-fixed position (m) at `gps` (seconds of the continuous GPS count).
void KeplerPosition(const KeplerEphemeris& ephemeris, double gps, double xyz[3]);

// The GLONASS state during an integration; carried from sample to sample so that a series of
// times near one record integrates each stretch once.
struct GlonassState {
    double t = 0; // continuous GPS count
    double position[3] = {};
    double velocity[3] = {};
};

// Longest integration step, s: Runge-Kutta 4 with it stays within millimetres of a 10-s step over
// the quarter hour around a record, and within metres over a day.
inline constexpr double kGlonassMaxStep = 120.0;

// The broadcast lunisolar acceleration holds for 15 min either side of its record (GLONASS ICD).
// Held constant beyond, it turns with the Earth while the Sun and Moon do not: leaving it out there
// keeps an 18-h extrapolation within about 4 km of the precise orbit instead of 11 km.
inline constexpr double kGlonassLunisolarSpan = 900.0;

// How far from its reference time a broadcast record is used: a week keeps a plan made from last
// week's file, and bounds the GLONASS integration.
inline constexpr double kMaxExtrapolation = 7 * 86400.0; // s

GlonassState GlonassStart(const GlonassEphemeris& ephemeris);
// Moves `state` to time `gps` (either direction) under the PZ-90 central field with J2, the
// Earth's rotation and, near the record, its lunisolar acceleration. false, the state unchanged,
// when `gps` is more than kMaxExtrapolation from the record or not a number.
bool GlonassIntegrate(const GlonassEphemeris& ephemeris, GlonassState& state, double gps);
bool GlonassPosition(const GlonassEphemeris& ephemeris, double gps, double xyz[3]);
