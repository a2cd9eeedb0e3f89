// Broadcast ephemerides: the orbit records a navigation file holds, one per satellite and issue.
#pragma once

#include <cstdint>

#include "engine/satellitecatalogue.h"

// Which message a record was taken from: first the kinds every receiver decodes (LNAV of GPS, QZSS
// and NavIC), then the modernised ones: CNAV and CNAV-2 of GPS and QZSS, B-CNAV1 to 3 of BeiDou
// (Cnv2 stands for both CNAV-2s); Almanac: an almanac's elements, without corrections, for planning
// ahead.
enum class NavMessage : uint8_t { Lnav, Inav, Fnav, D1, D2, Fdma, Cnav, Cnv1, Cnv2, Cnv3, Almanac };

// Whether a message is one of the modernised ones.
constexpr bool IsModernMessage(NavMessage m) {
    return m >= NavMessage::Cnav && m <= NavMessage::Cnv3;
}

// Keplerian elements with their harmonic corrections (GPS, QZSS, Galileo, BeiDou, NavIC). Angles in
// radians, distances in metres, times in seconds.
struct KeplerEphemeris {
    SatelliteId satellite;
    NavMessage message = NavMessage::Lnav;
    bool healthy = true;
    double toeGps = 0;   // reference time of the ephemeris on the continuous GPS count
    double toe = 0;      // the same as seconds of the system's own week (BeiDou: of the BDT week)
    double fitHours = 4; // how long around toe the orbit is meant to hold (GPS, QZSS: from the record)
    double sqrtA = 0;    // m^1/2
    double e = 0;        // eccentricity
    double i0 = 0;       // inclination at toe
    double omega0 = 0;   // longitude of the ascending node at the start of the week
    double omega = 0;    // argument of perigee
    double m0 = 0;       // mean anomaly at toe
    double deltaN = 0;   // mean motion difference, rad/s
    double omegaDot = 0; // rate of right ascension, rad/s
    double iDot = 0;     // rate of inclination, rad/s
    double cuc = 0, cus = 0, crc = 0, crs = 0, cic = 0, cis = 0;
    // The modernised messages' rates: of the semi-major axis (m/s) and of the mean motion
    // difference (rad/s^2); 0 in the others.
    double aDot = 0, deltaNDot = 0;
};

// A GLONASS FDMA state vector in PZ-90 with the lunisolar acceleration broadcast with it. Metres,
// metres per second and metres per second squared.
struct GlonassEphemeris {
    SatelliteId satellite{GnssSystem::Glonass, 0};
    bool healthy = true;
    double tbGps = 0; // the state vector's time on the continuous GPS count
    double position[3] = {};
    double velocity[3] = {};
    double acceleration[3] = {};
    int channel = 0; // frequency channel, -7..13
};
