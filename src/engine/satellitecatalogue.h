// The satellites the program can plan with: a system and a number, and one index per satellite.
// GPS and GLONASS keep the indices 0..55 of the almanac file and the configuration file; the systems
// that came later follow them, so every array sized for the legacy 56 stays a prefix of the whole.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>

enum class GnssSystem : uint8_t { Gps, Glonass, Galileo, BeiDou, Qzss };

inline constexpr int kGnssSystems = 5;

struct SatelliteId {
    GnssSystem system = GnssSystem::Gps;
    int number = 0; // PRN (GPS, Galileo, BeiDou, QZSS as in RINEX: J01 = PRN 193) or GLONASS slot

    friend bool operator==(const SatelliteId&, const SatelliteId&) = default;
};

class SatelliteCatalogue {
public:
    // Satellites per system in catalogue order, and where each system starts.
    static constexpr int kCount[kGnssSystems] = {32, 24, 36, 63, 10};
    static constexpr int kFirst[kGnssSystems] = {0, 32, 56, 92, 155};
    static constexpr int kSize = 165;
    static constexpr int kLegacySize = 56; // GPS and GLONASS, the almanac file's satellites

    static constexpr int Count(GnssSystem s) { return kCount[static_cast<int>(s)]; }
    static constexpr int First(GnssSystem s) { return kFirst[static_cast<int>(s)]; }

    // The index 0..164 of a satellite, -1 when the number is outside its system's range.
    static constexpr int Index(SatelliteId id) {
        const int s = static_cast<int>(id.system);
        if (s < 0 || s >= kGnssSystems || id.number < 1 || id.number > kCount[s])
            return -1;
        return kFirst[s] + id.number - 1;
    }
    // The satellite at an index; number 0 for an index outside the catalogue.
    static constexpr SatelliteId At(int index) {
        for (int s = kGnssSystems - 1; s >= 0; --s)
            if (index >= kFirst[s] && index < kFirst[s] + kCount[s])
                return {static_cast<GnssSystem>(s), index - kFirst[s] + 1};
        return {GnssSystem::Gps, 0};
    }
};

// A set of satellites, bit i for catalogue index i.
using SatelliteSet = std::bitset<SatelliteCatalogue::kSize>;

// The RINEX letter of a system (G, R, E, C, J) and back; false for a letter of no planned system.
char SystemLetter(GnssSystem system);
bool SystemFromLetter(char letter, GnssSystem& system);

// "GPS", "GLONASS", "Galileo", "BeiDou", "QZSS": the names in exported tables, never translated.
const char* SystemName(GnssSystem system);

// The system's name as the screens and printed pages show it (from the string table).
std::string SystemTitle(GnssSystem system);

// "G05", "R12", "J03": the satellite as RINEX and the command line spell it.
std::string SatelliteCode(SatelliteId id);
// Reads such a code (two-digit number, or one digit); false when it names no catalogue satellite.
bool ParseSatelliteCode(const std::string& code, SatelliteId& id);
