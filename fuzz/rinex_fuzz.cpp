// Fuzz target for the RINEX navigation reader: any bytes must be read or refused without a crash,
// every record the reader keeps must propagate to a finite position, and what it passes over is
// said.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/broadcastephemerides.h"
#include "engine/broadcastorbit.h"
#include "engine/rinexnav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const NavigationFile file = ParseNavigationFile(text, "fuzz.rnx");
    if (file.ok == (file.kepler.empty() && file.glonass.empty()))
        std::abort(); // a refused file holds no record, an accepted one holds some
    if (!file.ok && file.errors.empty())
        std::abort(); // a refusal always says why
    if ((file.ignored > 0 || file.skipped > 0) && file.warnings.empty())
        std::abort(); // records passed over or left out are told
    BroadcastEphemerides set;
    set.Add(file);
    for (const KeplerEphemeris& k : file.kepler) {
        double xyz[3];
        KeplerPosition(k, k.toeGps + 3600, xyz);
        if (!std::isfinite(xyz[0] + xyz[1] + xyz[2]))
            std::abort();
    }
    for (const GlonassEphemeris& g : file.glonass) {
        double xyz[3];
        if (!GlonassPosition(g, g.tbGps + 1800, xyz) || !std::isfinite(xyz[0] + xyz[1] + xyz[2]))
            std::abort();
    }
    // Every kept record is found again at its own time, and a position near it is computed.
    for (const KeplerEphemeris& k : file.kepler) {
        const int index = SatelliteCatalogue::Index(k.satellite);
        double xyz[3];
        if (set.NearestKepler(index, k.toeGps) == nullptr || !set.Position(index, k.toeGps - 18, xyz))
            std::abort();
    }
    for (int index = 0; index < SatelliteCatalogue::kSize; ++index) {
        double xyz[3];
        set.Position(index, 1.3e9, xyz); // far from most records: refused quickly
    }
    // A series across a satellite's records, whichever of its messages serves each instant.
    for (const KeplerEphemeris& k : file.kepler) {
        const double utc[4] = {k.toeGps - 9000, k.toeGps - 18, k.toeGps + 5400, k.toeGps + 12600};
        double xyz[12];
        set.Positions(SatelliteCatalogue::Index(k.satellite), utc, 4, xyz);
    }
    return 0;
}
