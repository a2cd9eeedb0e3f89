// The Calculator planning from navigation files: every system of the bundled day, checked against
// the precise orbits of that day, the choice between almanac and navigation files, and the user's
// satellite choices across recalculations.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine/calculator.h"
#include "engine/geodesy.h"
#include "engine/rinexnav.h"
#include "precise_orbits.h"
#include "sites/siteinfo.h"

namespace {

const std::string kData = TAVRIN_SOURCE_DIR "/tests/data/multignss/";
const char* const kNavigation[] = {"OPEC00NOR_S_20220010000_01D_GN.rnx", "OPEC00NOR_S_20220010000_01D_RN.rnx",
                                   "OPEC00NOR_S_20220010000_01D_EN.rnx",
                                   "OPEC00NOR_S_20220010000_01D_CN.rnx"};
constexpr double kRad = 57.29577951308232;

void AddDay(Calculator& c) {
    for (const char* name : kNavigation) {
        const NavigationFile file = ReadNavigationFile(kData + name);
        ASSERT_TRUE(file.errors.empty()) << name;
        c.AddNavigation(file);
    }
}

// Lagrange interpolation of nine precise epochs around `gps`; false near the ends of the file.
bool Interpolate(const std::vector<precise::Epoch>& epochs, double gps, double xyz[3]) {
    size_t i = 0;
    while (i < epochs.size() && epochs[i].gps < gps)
        ++i;
    if (i < 4 || i + 5 > epochs.size())
        return false;
    const size_t first = i - 4;
    for (int c = 0; c < 3; ++c)
        xyz[c] = 0;
    for (size_t a = first; a < first + 9; ++a) {
        double w = 1;
        for (size_t b = first; b < first + 9; ++b)
            if (b != a)
                w *= (gps - epochs[b].gps) / (epochs[a].gps - epochs[b].gps);
        for (int c = 0; c < 3; ++c)
            xyz[c] += w * epochs[a].xyz[c];
    }
    return true;
}

} // namespace

TEST(CalculatorGnss, EverySystemMatchesThePreciseOrbitsAtTheUtcSamples) {
    Calculator c;
    ASSERT_EQ(c.SetTimeStep(300), 1);
    AddDay(c);
    for (GnssSystem s : {GnssSystem::Gps, GnssSystem::Glonass, GnssSystem::Galileo, GnssSystem::BeiDou})
        EXPECT_EQ(c.source(s), OrbitSource::Broadcast) << SystemName(s);
    EXPECT_EQ(c.source(GnssSystem::Qzss), OrbitSource::None);

    // GMT offset 0: the samples run from 00:00 UTC at five-minute steps.
    const SiteInfo site(59.91, 10.75, 50, "Oslo", "", 0);
    const precise::Site look{"Oslo", 59.91, 10.75, 50};
    ASSERT_EQ(c.Recalculate(site, PlanInterval(1, 1, 2022, 6, 0, 18, 0), 1), 1);
    ASSERT_EQ(c.windowStart(), 0);

    const std::map<int, std::vector<precise::Epoch>> orbits =
        precise::ReadSp3(kData + "COD0MGXFIN_20220010000_01D_05M_ORB_15M.SP3");
    const double day = ScaleSeconds(2022, 1, 1, 0, 0, 0);
    double worst[kGnssSystems] = {};
    int compared[kGnssSystems] = {};
    int planned = 0;
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i) {
        if (!c.HasAlmanac(i))
            continue;
        ++planned;
        const auto orbit = orbits.find(i);
        if (orbit == orbits.end())
            continue;
        const int system = static_cast<int>(SatelliteCatalogue::At(i).system);
        for (int k = 0; k < c.sampleCount(); k += 7) {
            // GPS time runs 18 s ahead of UTC on that day.
            double xyz[3];
            if (!Interpolate(orbit->second, day + 300.0 * k + 18.0, xyz))
                continue;
            const precise::AzEl truth = precise::Look(look, xyz);
            if (truth.elevation < 0)
                continue;
            const SatSample& s = c.samples(i)[k];
            const precise::AzEl got{s.azimuth * kRad, s.elevation * kRad};
            const double error = precise::AngleError(got, truth);
            worst[system] = std::max(worst[system], error);
            ++compared[system];
            EXPECT_LT(error, 0.01) << SatelliteCode(SatelliteCatalogue::At(i)) << " sample " << k;
        }
    }
    EXPECT_EQ(planned, 29 + 22 + 24 + 22); // every satellite of the four files

    // The quick arc tangent of the navigation files' satellites against the library's, all around
    // the sky (the site frame here is worked out separately from the engine's).
    double o[3];
    GeodeticToEcef(59.91 / kRad, 10.75 / kRad, 50, o[0], o[1], o[2]);
    const double sp = std::sin(59.91 / kRad), cp = std::cos(59.91 / kRad);
    const double sl = std::sin(10.75 / kRad), cl = std::cos(10.75 / kRad);
    double worstArc = 0;
    for (int i = SatelliteCatalogue::kLegacySize; i < SatelliteCatalogue::kSize; ++i) {
        for (int k = 0; c.HasAlmanac(i) && k < c.sampleCount(); ++k) {
            const SatSample& s = c.samples(i)[k];
            const double d[3] = {s.x - o[0], s.y - o[1], s.z - o[2]};
            const double east = -sl * d[0] + cl * d[1];
            const double north = -sp * cl * d[0] - sp * sl * d[1] + cp * d[2];
            const double up = cp * cl * d[0] + cp * sl * d[1] + sp * d[2];
            double azimuth = std::atan2(east, north);
            if (azimuth < 0)
                azimuth += 2 * 3.141592653589793;
            worstArc = std::max(worstArc, std::fabs(std::atan2(up, std::hypot(east, north)) - s.elevation));
            worstArc = std::max(worstArc, std::fabs(azimuth - s.azimuth));
        }
    }
    EXPECT_LT(worstArc, 1e-6);
    for (int s = 0; s < 4; ++s)
        EXPECT_GT(compared[s], 20) << SystemName(static_cast<GnssSystem>(s)) << " worst " << worst[s];

    // Four systems in view: seven unknowns and far more satellites than GPS and GLONASS give.
    int most = 0, fourSystems = 0;
    for (int k = 0; k < c.sampleCount(); ++k) {
        most = std::max(most, c.satelliteCount()[k]);
        if (c.solutionFlag()[k] == 1) {
            EXPECT_NEAR(c.gdop()[k] * c.gdop()[k], c.pdop()[k] * c.pdop()[k] + c.tdop()[k] * c.tdop()[k],
                        1e-3);
            EXPECT_GT(c.pdop()[k], 0.3f);
            EXPECT_LT(c.pdop()[k], 3.0f);
        }
    }
    for (int k = 0; k < c.sampleCount(); ++k) {
        bool seen[kGnssSystems] = {};
        for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
            if (c.HasAlmanac(i) && c.samples(i)[k].visible == 1)
                seen[static_cast<int>(SatelliteCatalogue::At(i).system)] = true;
        fourSystems += seen[0] && seen[1] && seen[2] && seen[3] ? 1 : 0;
    }
    EXPECT_GT(most, 30);
    EXPECT_EQ(fourSystems, c.sampleCount());
    c.Recalculate(site, PlanInterval(1, 1, 2022, 6, 0, 18, 0), 3);
    EXPECT_EQ(c.parameterCount(), 7); // at the last sample
}

TEST(CalculatorGnss, TheSourceNearestThePlanningDateUnlessTheUserChose) {
    Calculator c;
    ASSERT_EQ(c.SetTimeStep(900), 1);
    c.LoadAlmanac(TAVRIN_BINARY_DIR "/almanacs/alm25.223"); // 11 August 2025
    ASSERT_EQ(c.loadState(), kLoadOk);
    EXPECT_EQ(c.source(GnssSystem::Gps), OrbitSource::Almanac);
    EXPECT_EQ(c.source(GnssSystem::Galileo), OrbitSource::None);
    EXPECT_FALSE(c.SetSource(GnssSystem::Galileo, OrbitSource::Almanac));
    ASSERT_EQ(c.SetSatelliteState(3, 1), 1); // G03 off in the almanac
    AddDay(c);
    EXPECT_EQ(c.source(GnssSystem::Gps), OrbitSource::Almanac); // kept until a date says otherwise
    EXPECT_EQ(c.source(GnssSystem::Galileo), OrbitSource::Broadcast);

    const SiteInfo site(48.14, 11.58, 520, "Munich", "", 1);
    ASSERT_EQ(c.Recalculate(site, PlanInterval(1, 1, 2022, 8, 0, 16, 0), 1), 1);
    EXPECT_EQ(c.source(GnssSystem::Gps), OrbitSource::Broadcast);
    EXPECT_EQ(c.source(GnssSystem::Glonass), OrbitSource::Broadcast);
    EXPECT_EQ(c.GpsAlmanacAge(MakeCalendarTime(0, 0, 0, 1, 1, 2022)), 0); // its almanac is not used

    // A broadcast satellite switched off stays off through the health refresh and a new almanac.
    const int e11 = SatelliteCatalogue::Index({GnssSystem::Galileo, 11});
    ASSERT_TRUE(c.HasAlmanac(e11));
    ASSERT_EQ(c.SetSatelliteState(e11 + 1, 1), 1);
    c.LoadAlmanac(TAVRIN_BINARY_DIR "/almanacs/alm25.223");
    c.Recalculate(site, PlanInterval(1, 1, 2022, 9, 0, 17, 0), 2);
    EXPECT_FALSE(c.IsEnabled(e11));
    for (int k = 0; k < c.sampleCount(); ++k)
        EXPECT_EQ(c.samples(e11)[k].visible, 0);

    // The almanac's own date: the navigation files are years away.
    c.Recalculate(site, PlanInterval(11, 8, 2025, 8, 0, 16, 0), 1);
    EXPECT_EQ(c.source(GnssSystem::Gps), OrbitSource::Almanac);
    EXPECT_EQ(c.source(GnssSystem::Galileo), OrbitSource::Broadcast); // its only source

    // The user's choice holds against the date; the almanac's statuses come back with it.
    ASSERT_TRUE(c.SetSource(GnssSystem::Gps, OrbitSource::Broadcast));
    c.Recalculate(site, PlanInterval(11, 8, 2025, 8, 0, 16, 0), 3);
    EXPECT_EQ(c.source(GnssSystem::Gps), OrbitSource::Broadcast);
    ASSERT_TRUE(c.SetSource(GnssSystem::Gps, OrbitSource::Almanac));
    c.Recalculate(site, PlanInterval(1, 1, 2022, 8, 0, 16, 0), 3);
    EXPECT_EQ(c.source(GnssSystem::Gps), OrbitSource::Almanac);
    Calculator fresh;
    fresh.LoadAlmanac(TAVRIN_BINARY_DIR "/almanacs/alm25.223");
    for (int i = 0; i < kGpsSatellites; ++i)
        EXPECT_EQ(c.status(i), fresh.status(i)) << i; // the new load forgot the old choice of G03

    c.ClearNavigation();
    EXPECT_EQ(c.source(GnssSystem::Galileo), OrbitSource::None);
    EXPECT_EQ(c.status(e11), StatusNoAlmanac);
}

// GLONASS slots 25 and 26 (flagged unhealthy by their records: off until switched on) and satellites
// with only modernised messages (G04 CNAV-2, C19 B-CNAV) are planned: positions over the window,
// the GLONASS channel, and passes over the station that logged them.
TEST(CalculatorGnss, NewerSlotsAndMessagesArePlanned) {
    struct Case {
        const char* file;
        PlanInterval interval;
        const char* satellite;
        bool healthy;
        int channel;
        double radius; // m, of the orbit
    } const cases[] = {
        {"CORD00ARG_R_20240920000_01D_MN_R25-R26.rnx", PlanInterval(1, 4, 2024, 0, 0, 23, 45), "R25", false,
         -5, 25.51e6},
        {"CORD00ARG_R_20240920000_01D_MN_R25-R26.rnx", PlanInterval(1, 4, 2024, 0, 0, 23, 45), "R26", false,
         -6, 25.51e6},
        {"Example_GPS_Rinex400.n", PlanInterval(5, 10, 2022, 0, 0, 23, 45), "G04", true, 0, 26.56e6},
        {"Example_Beidou_Rinex400.n", PlanInterval(5, 10, 2022, 0, 0, 23, 45), "C19", true, 0, 27.91e6},
    };
    const SiteInfo cordoba(-31.53, -64.47, 750, "Cordoba", "", 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.satellite);
        Calculator calc;
        ASSERT_EQ(calc.SetTimeStep(900), 1);
        calc.AddNavigation(
            ReadNavigationFile(TAVRIN_SOURCE_DIR "/tests/data/navformats/" + std::string(c.file)));
        SatelliteId id;
        ASSERT_TRUE(ParseSatelliteCode(c.satellite, id));
        const int index = SatelliteCatalogue::Index(id);
        ASSERT_EQ(calc.Recalculate(cordoba, c.interval, 1), 1);
        EXPECT_EQ(calc.IsEnabled(index), c.healthy);
        if (!c.healthy) {
            ASSERT_EQ(calc.SetSatelliteState(index + 1, 0), 1);
            ASSERT_EQ(calc.Recalculate(cordoba, c.interval, 1), 1);
        }
        ASSERT_TRUE(calc.IsEnabled(index));
        EXPECT_EQ(calc.FrequencyNumber(index), c.channel);
        int visible = 0;
        for (int k = 0; k < calc.sampleCount(); ++k) {
            const SatSample& s = calc.samples(index)[k];
            EXPECT_NEAR(std::hypot(s.x, s.y, s.z), c.radius, 0.02 * c.radius) << k;
            visible += s.visible == 1;
        }
        EXPECT_GT(visible, 0);
    }
}
