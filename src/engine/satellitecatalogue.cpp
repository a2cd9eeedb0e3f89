#include "engine/satellitecatalogue.h"

#include "base/strings.h"

namespace {

constexpr char kLetters[kGnssSystems] = {'G', 'R', 'E', 'C', 'J', 'I'};
constexpr const char* kNames[kGnssSystems] = {"GPS", "GLONASS", "Galileo", "BeiDou", "QZSS", "NavIC"};

// The blocks fill the indices one after the other, and the legacy prefix is GPS then GLONASS 1-24.
constexpr bool BlocksFollowEachOther() {
    int next = 0;
    for (const SatelliteCatalogue::Block& b : SatelliteCatalogue::kBlocks) {
        if (b.firstIndex != next)
            return false;
        next += b.count;
    }
    return next == SatelliteCatalogue::kSize;
}
static_assert(BlocksFollowEachOther());
static_assert(SatelliteCatalogue::Index({GnssSystem::Galileo, 1}) == SatelliteCatalogue::kLegacySize);

} // namespace

char SystemLetter(GnssSystem system) {
    return kLetters[static_cast<int>(system)];
}

bool SystemFromLetter(char letter, GnssSystem& system) {
    for (int s = 0; s < kGnssSystems; ++s)
        if (kLetters[s] == letter) {
            system = static_cast<GnssSystem>(s);
            return true;
        }
    return false;
}

const char* SystemName(GnssSystem system) {
    return kNames[static_cast<int>(system)];
}

std::string SatelliteCode(SatelliteId id) {
    std::string code(1, SystemLetter(id.system));
    code += static_cast<char>('0' + id.number / 10 % 10);
    code += static_cast<char>('0' + id.number % 10);
    return code;
}

bool ParseSatelliteCode(const std::string& code, SatelliteId& id) {
    if (code.size() < 2 || code.size() > 3)
        return false;
    SatelliteId parsed;
    if (!SystemFromLetter(code[0], parsed.system))
        return false;
    int number = 0;
    for (size_t k = 1; k < code.size(); ++k) {
        // RINEX 2 writes " 5" for 05
        const char ch = code[k] == ' ' && k + 1 < code.size() ? '0' : code[k];
        if (ch < '0' || ch > '9')
            return false;
        number = number * 10 + (ch - '0');
    }
    parsed.number = number;
    if (SatelliteCatalogue::Index(parsed) < 0)
        return false;
    id = parsed;
    return true;
}

std::string SystemTitle(GnssSystem system) {
    static constexpr int kIds[kGnssSystems] = {IDS_GPS,    IDS_GLONASS, IDS_GALILEO,
                                               IDS_BEIDOU, IDS_QZSS,    IDS_NAVIC};
    return ResString(kIds[static_cast<int>(system)]);
}
