// The broadcast orbits of one or more navigation files, per satellite of the catalogue: the record
// nearest each instant gives the position there and says whether the satellite is healthy.
//
// A satellite may have records of several messages (GPS LNAV beside CNAV and CNAV-2, BeiDou D1 beside
// B-CNAV1 to 3). The legacy message's nearest record serves an instant inside its fit interval; else
// the modernised messages' nearest one, inside its own; else whichever of the two is nearer (the
// legacy one when as near). Beyond every fit, records serve as an almanac does: the nearest in time
// of them and of the almanacs' records (Galileo, QZSS) serves. The legacy messages are what every receiver
// decodes and what the almanacs and plans have always used; the modernised ones fill the times they leave.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/broadcastorbit.h"
#include "engine/ephemeris.h"
#include "engine/gnsstime.h"
#include "engine/rinexnav.h"
#include "engine/vectorkernels.h"

enum class SatelliteHealth { NoOrbit, Healthy, Unhealthy };

// The room GLONASS satellites' lanes are laid out in, kept by the caller from call to call: once it
// has grown to a window's needs, laying them out allocates nothing. Operation t of lane l is at
// [t * kGlonassLanes + l], as the kernel reads it; `length` counts each lane's operations.
struct GlonassWork {
    std::vector<double> records, gps, h, ax, ay, az;
    std::vector<int32_t> start, store;
    std::array<int, kGlonassLanes> length{};
};

class BroadcastEphemerides {
public:
    // Takes a read file's records. The same ephemeris given twice (as a mixed file and a single-
    // system file do, or Galileo's I/NAV and F/NAV) is kept once: of two records of one instant the
    // one first in NavMessage's order (I/NAV before F/NAV). The leap seconds are those of the first
    // header that gives them.
    void Add(const NavigationFile& file);
    void Clear();
    // Forgets the records whose reference time is after `gps`: what was known at that time.
    void DropAfter(double gps);

    int RecordCount() const;
    // The satellites of `system` with records, and the first and last reference time among them
    // (UTC, seconds of the calendar count); false when the system has none.
    bool Coverage(GnssSystem system, int& satellites, double& firstUtc, double& lastUtc) const;
    bool Has(int index) const; // index in the satellite catalogue
    const LeapSeconds& leapSeconds() const { return leap_; }
    double UtcToGps(double utc) const { return ::UtcToGps(utc, leap_); }

    // The record serving `gps` (the nearest, the later of two as near, by the rule above), nullptr
    // when the satellite has none of that kind (GLONASS: none within kGlonassReach).
    const KeplerEphemeris* NearestKepler(int index, double gps) const;
    const GlonassEphemeris* NearestGlonass(int index, double gps) const;

    SatelliteHealth HealthAt(int index, double utc) const;
    // Earth-fixed position (m) at a UTC instant from the nearest record; false without one.
    bool Position(int index, double utc, double xyz[3]) const;
    // Positions at ascending UTC instants (xyz: 3 * count values), each from its nearest record;
    // the GLONASS instants one record serves are reached by one integration outwards from it. false
    // when an instant has no record within reach (the positions are then incomplete).
    bool Positions(int index, const double* utc, int count, double* xyz) const;
    // Positions of several GLONASS satellites as Positions gives them, integrated side by side in
    // the vector kernels' lanes: xyz[i] takes satellite index[i]'s. done[i] is false, nothing
    // written to xyz[i], where Positions would fail, for a satellite without GLONASS records, and
    // for all without the kernels. The lanes are laid out in `work`.
    void GlonassPositions(const int* index, int satellites, const double* utc, int count, double* const* xyz,
                          bool* done, GlonassWork& work) const;

    struct PreparedKepler {
        KeplerEphemeris record;
        KeplerTerms terms;
    };

private:
    // The record serving `gps` among the legacy and the modernised messages' records.
    const PreparedKepler* ServingKepler(int index, double gps) const;

    std::array<std::vector<PreparedKepler>, SatelliteCatalogue::kSize> kepler_; // legacy messages
    std::array<std::vector<PreparedKepler>, SatelliteCatalogue::kSize> modern_; // CNAV and the like
    std::array<std::vector<PreparedKepler>, SatelliteCatalogue::kSize> almanac_;
    std::array<std::vector<GlonassEphemeris>, SatelliteCatalogue::kSize> glonass_;
    LeapSeconds leap_;
};
