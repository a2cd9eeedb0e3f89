// The satellites the program can plan with: a system and a number, and one index per satellite.
// GPS and GLONASS keep the indices 0..55 of the almanac file and the configuration file; what came
// later (the other systems, GLONASS slots beyond 24) follows them in blocks, each new block after
// every older one, so every array sized for an older catalogue stays a prefix of the whole.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>

enum class GnssSystem : uint8_t { Gps, Glonass, Galileo, BeiDou, Qzss, NavIc };

inline constexpr int kGnssSystems = 6;

struct SatelliteId {
    GnssSystem system = GnssSystem::Gps;
    int number = 0; // PRN (GPS, Galileo, BeiDou, NavIC; QZSS as in RINEX: J01 = PRN 193) or GLONASS slot

    friend bool operator==(const SatelliteId&, const SatelliteId&) = default;
};

class SatelliteCatalogue {
public:
    // A run of one system's numbers at consecutive indices.
    struct Block {
        GnssSystem system;
        int firstNumber, count, firstIndex;
    };
    // GLONASS slots run to 31, the most the navigation message's five bits can name; the slots
    // beyond 24 carry satellites under test or in reserve, which fly and are tracked all the same.
    static constexpr Block kBlocks[] = {
        {GnssSystem::Gps, 1, 32, 0},     {GnssSystem::Glonass, 1, 24, 32}, {GnssSystem::Galileo, 1, 36, 56},
        {GnssSystem::BeiDou, 1, 63, 92}, {GnssSystem::Qzss, 1, 10, 155},   {GnssSystem::Glonass, 25, 7, 165},
        {GnssSystem::NavIc, 1, 14, 172},
    };
    static constexpr int kSize = 186;
    static constexpr int kLegacySize = 56; // GPS and GLONASS 1-24, the almanac file's satellites

    // The numbers of a system run from 1 to Count.
    static constexpr int Count(GnssSystem s) {
        int count = 0;
        for (const Block& b : kBlocks)
            count += b.system == s ? b.count : 0;
        return count;
    }

    // The index 0..kSize-1 of a satellite, -1 when the number is outside its system's range.
    static constexpr int Index(SatelliteId id) {
        for (const Block& b : kBlocks)
            if (b.system == id.system && id.number >= b.firstNumber && id.number < b.firstNumber + b.count)
                return b.firstIndex + id.number - b.firstNumber;
        return -1;
    }
    // The satellite at an index; number 0 for an index outside the catalogue.
    static constexpr SatelliteId At(int index) {
        for (const Block& b : kBlocks)
            if (index >= b.firstIndex && index < b.firstIndex + b.count)
                return {b.system, b.firstNumber + index - b.firstIndex};
        return {GnssSystem::Gps, 0};
    }
};

// Every index in the order satellites are listed and shown: system by system, by number.
inline constexpr std::array<int, SatelliteCatalogue::kSize> kListedSatellites = [] {
    std::array<int, SatelliteCatalogue::kSize> listed{};
    size_t k = 0;
    for (int s = 0; s < kGnssSystems; ++s)
        for (int n = 1; n <= SatelliteCatalogue::Count(static_cast<GnssSystem>(s)); ++n)
            listed[k++] = SatelliteCatalogue::Index({static_cast<GnssSystem>(s), n});
    return listed;
}();

// A set of satellites, bit i for catalogue index i.
using SatelliteSet = std::bitset<SatelliteCatalogue::kSize>;

// The RINEX letter of a system (G, R, E, C, J, I) and back; false for a letter of no planned system.
char SystemLetter(GnssSystem system);
bool SystemFromLetter(char letter, GnssSystem& system);

// "GPS", "GLONASS", "Galileo", "BeiDou", "QZSS", "NavIC": the names in exported tables, never
// translated.
const char* SystemName(GnssSystem system);

// The system's name as the screens and printed pages show it (from the string table).
std::string SystemTitle(GnssSystem system);

// "G05", "R12", "J03": the satellite as RINEX and the command line spell it.
std::string SatelliteCode(SatelliteId id);
// Reads such a code (two-digit number, or one digit); false when it names no catalogue satellite.
bool ParseSatelliteCode(const std::string& code, SatelliteId& id);
