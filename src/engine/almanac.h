// Almanac files: the GPS and GLONASS records, their byte layout, validity and health, and the writer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/safefile.h"

// Satellite status bits (one word per satellite index 0..55).
inline constexpr int32_t StatusDisabled = 1;  // switched off by the user
inline constexpr int32_t StatusNoAlmanac = 2; // no valid almanac record
inline constexpr int32_t StatusUnhealthy = 4; // valid record that marks the satellite unhealthy

inline constexpr int kGpsSatellites = 32;
inline constexpr int kGlonassSatellites = 24;
inline constexpr int kSatellites = kGpsSatellites + kGlonassSatellites;

inline constexpr size_t kGpsRecordSize = 70;
inline constexpr size_t kGlonassRecordSize = 40;
inline constexpr size_t kGpsBlockSize = kGpsRecordSize * kGpsSatellites;             // 2240
inline constexpr size_t kGlonassBlockSize = kGlonassRecordSize * kGlonassSatellites; // 960
inline constexpr size_t kFullAlmanacSize = kGpsBlockSize + kGlonassBlockSize;        // 3200

// One GPS record as stored at its file offset, decoded to native byte order. Angles in semicircles.
struct GpsAlmanacRecord {
    float e = 0;               //  0 eccentricity
    int32_t toa = 0;           //  4 time of almanac, seconds of week
    float i = 0;               //  8 inclination (the full angle)
    float omegaDot = 0;        // 12 rate of right ascension, semicircles/s
    int16_t healthFlag = 0;    // 16 non-zero: unhealthy
    double sqrtA = 0;          // 18 square root of the semi-major axis, m^1/2
    double omega0 = 0;         // 26 longitude of the ascending node at the weekly epoch
    double omega = 0;          // 34 argument of perigee
    double m0 = 0;             // 42 mean anomaly at toa
    uint32_t reserved50 = 0;   // 50 not interpreted
    uint32_t reserved54 = 0;   // 54 not interpreted
    int16_t healthCode = 0;    // 58 63: unhealthy
    int16_t week = 0;          // 60 almanac week; the full week once the record has been accepted
    int16_t referenceWeek = 0; // 62
    uint32_t reserved64 = 0;   // 64 not interpreted
    uint16_t reserved68 = 0;   // 68 not interpreted
};

// One GLONASS record, decoded. Angles in semicircles.
struct GlonassAlmanacRecord {
    int16_t channel = 0;    //  0 frequency channel number
    int16_t healthFlag = 0; //  2 zero: unhealthy
    float e = 0;            //  4 eccentricity
    int32_t n = 0;          //  8 day of the almanac in the four-year period, 1 = 1 January of the leap year
    float deltaI = 0;       // 12 correction to the mean inclination
    float lambda = 0;       // 16 longitude of the ascending node at tLambda
    float tLambda = 0;      // 20 time of that node crossing, seconds of the day
    float omega = 0;        // 24 argument of perigee
    float deltaT = 0;       // 28 correction to the mean draconic period, s
    float deltaTDot = 0;    // 32 rate of the draconic period, s per revolution
    float correction = 0;   // 36 range-tested only
};

using GpsAlmanac = std::array<GpsAlmanacRecord, kGpsSatellites>;
using GlonassAlmanac = std::array<GlonassAlmanacRecord, kGlonassSatellites>;

// Byte layout (big-endian); `bytes` holds one whole record.
GpsAlmanacRecord DecodeGpsRecord(const uint8_t* bytes);
GlonassAlmanacRecord DecodeGlonassRecord(const uint8_t* bytes);
void EncodeGpsRecord(const GpsAlmanacRecord& record, uint8_t* bytes);
void EncodeGlonassRecord(const GlonassAlmanacRecord& record, uint8_t* bytes);

// The record tests. A NaN anywhere fails them, and so does a GPS node rate beyond what the
// broadcast field can hold (GPS, QZSS and Galileo almanacs: 2^-23 semicircles/s); a larger one turns
// the node into noise.
constexpr double kMaxAlmanacNodeRate = 1.2e-7; // semicircles/s
bool IsValidGpsRecord(const GpsAlmanacRecord& record);
bool IsValidGlonassRecord(const GlonassAlmanacRecord& record);

// The full week from the 8 significant bits of the almanac week and the reference week. A reference
// week from 1024 on is a full week already; a smaller one was written modulo 1024, and the result is
// put in the 1024-week era nearest `nearWeek` that does not pass `latestWeek`.
int16_t ReconstructGpsWeek(int16_t almanacWeek, int16_t referenceWeek, int nearWeek, int latestWeek);

// For an accepted GPS record: a negative eccentricity becomes 0, the week is reconstructed.
void AcceptGpsRecord(GpsAlmanacRecord& record, int nearWeek, int latestWeek);

bool IsHealthy(const GpsAlmanacRecord& record);
bool IsHealthy(const GlonassAlmanacRecord& record);

// The file image: 3200 bytes with both blocks, 2240 with GPS only, 960 with GLONASS only; empty
// when neither is given.
std::vector<uint8_t> EncodeAlmanac(const GpsAlmanac* gps, const GlonassAlmanac* glonass);

// Writes EncodeAlmanac's image safely (WriteFileSafely). False, `path` untouched and `error` set to
// why on failure.
bool WriteAlmanacFile(const std::string& path, const GpsAlmanac* gps, const GlonassAlmanac* glonass,
                      int* error = nullptr, SafeWriteOptions options = {});
