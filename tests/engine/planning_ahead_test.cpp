// How far ahead each kind of orbit plans well: navigation records of 2022-01-01 and published
// almanacs, carried to other days and compared on the sky with the orbits of those days (the almanac
// published that day, or precise orbits). Prints the table; the limits below are what the planner's
// rules rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "engine/almanac_import.h"
#include "engine/broadcastephemerides.h"
#include "engine/keplerianalmanacs.h"
#include "engine/orbit.h"
#include "precise_orbits.h"

namespace {

const std::string kData = TAVRIN_SOURCE_DIR "/tests/data/";
constexpr double kLeap = 18; // GPS - UTC in 2022
constexpr precise::Site kSites[] = {
    {"Oslo", 59.9, 10.7, 100}, {"Quito", -0.2, -78.5, 2800}, {"Perth", -31.9, 115.9, 20}};

using Tracks = std::map<int, std::vector<precise::Epoch>>;      // by catalogue index
using Positioner = std::function<bool(int, double, double[3])>; // index, GPS count, position

double Day(int year, int month, int day) {
    return ScaleSeconds(year, month, day, 0, 0, 0);
}

// Every satellite of `system` the positioner knows, over the day from `start`, every 15 minutes.
Tracks Sample(const Positioner& at, GnssSystem system, double start) {
    Tracks out;
    for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n)
        for (int k = 0; k < 96; ++k) {
            precise::Epoch e;
            e.gps = start + k * 900.0;
            if (at(SatelliteCatalogue::Index({system, n}), e.gps, e.xyz))
                out[SatelliteCatalogue::Index({system, n})].push_back(e);
        }
    return out;
}

Positioner Navigation(const std::string& file, bool withoutCorrections = false) {
    auto b = std::make_shared<BroadcastEphemerides>();
    NavigationFile f = ReadNavigationFile(kData + "multignss/" + file);
    for (KeplerEphemeris& k : f.kepler)
        if (withoutCorrections)
            k.cuc = k.cus = k.crc = k.crs = k.cic = k.cis = 0;
    b->Add(f);
    return [b](int index, double gps, double xyz[3]) { return b->Position(index, gps - kLeap, xyz); };
}

Positioner Kepler(const std::vector<KeplerEphemeris>& records) {
    auto byIndex = std::make_shared<std::map<int, KeplerEphemeris>>();
    for (const KeplerEphemeris& k : records)
        (*byIndex)[SatelliteCatalogue::Index(k.satellite)] = k;
    return [byIndex](int index, double gps, double xyz[3]) {
        const auto k = byIndex->find(index);
        if (k == byIndex->end())
            return false;
        KeplerPosition(k->second, gps, xyz);
        return true;
    };
}

Positioner GalileoXml(const std::string& file) {
    std::ifstream in(kData + "almanacs/" + file);
    return Kepler(ReadGalileoAlmanacXml(std::string(std::istreambuf_iterator<char>(in), {}), file).records);
}

// BeiDou almanac as one tab-separated line per satellite: ID, health, e, toa, di (rad, from 0.3
// semicircles), rate of node, sqrt(A), node, perigee, mean anomaly (rad), af0, af1, BDT week.
Positioner BeiDouLines(const std::string& file) {
    std::ifstream in(kData + "almanacs/" + file);
    std::vector<KeplerEphemeris> records;
    std::string id, health;
    double e, toa, di, rate, sqrtA, node, perigee, m0, af0, af1, week;
    while (in >> id >> health >> e >> toa >> di >> rate >> sqrtA >> node >> perigee >> m0 >> af0 >> af1 >>
           week) {
        KeplerEphemeris k;
        ParseSatelliteCode(id, k.satellite);
        k.toe = toa;
        k.toeGps = (week + kBeiDouWeekOffset) * kSecondsPerWeek + toa - kBeiDouMinusGps;
        k.e = e, k.i0 = 0.3 * 3.1415926535898 + di, k.omegaDot = rate, k.sqrtA = sqrtA;
        k.omega0 = node, k.omega = perigee, k.m0 = m0;
        records.push_back(k);
    }
    return Kepler(records);
}

Positioner Published(const std::string& file) {
    auto a = std::make_shared<PublishedAlmanac>(
        ReadPublishedAlmanac(kData + "almanacs/" + file, MakeCalendarTime(0, 0, 0, 1, 1, 2022)));
    return [a](int index, double gps, double xyz[3]) {
        float x = 0, y = 0, z = 0;
        if (index < kGpsSatellites) {
            if (!a->gpsPresent[index])
                return false;
            const GpsTime t = ToGpsTime(CalendarOfScaleSeconds(gps));
            GpsPosition(a->gps[index], t.week, t.seconds, x, y, z);
        } else if (index < kSatellites) {
            if (!a->glonassPresent[index - kGpsSatellites])
                return false;
            const GlonassTime t = ToGlonassTime(CalendarOfScaleSeconds(gps - kLeap + kGlonassMinusUtc));
            GlonassPosition(a->glonass[index - kGpsSatellites], t.dayIndex + 1, 2.0 * t.timeOfDay, x, y, z);
        } else {
            return false;
        }
        xyz[0] = x, xyz[1] = y, xyz[2] = z;
        return true;
    };
}

Tracks Precise(GnssSystem system) {
    static const Tracks all =
        precise::ReadSp3(kData + "multignss/COD0MGXFIN_20220010000_01D_05M_ORB_15M.SP3");
    Tracks out;
    for (const auto& [index, track] : all)
        if (SatelliteCatalogue::At(index).system == system)
            out[index] = track;
    return out;
}

// A satellite moved or retired between two almanacs shows as the worst error: the limits are on the
// 95th percentile.
struct Errors {
    double median = 0, p95 = 0, worst = 0;
};

// Direction errors above 5 degrees of elevation at the sites.
Errors Compare(const Positioner& source, const Tracks& truth) {
    std::vector<double> e;
    for (const auto& [index, track] : truth)
        for (const precise::Epoch& p : track) {
            double xyz[3];
            if (!source(index, p.gps, xyz))
                continue;
            for (const precise::Site& site : kSites) {
                const precise::AzEl t = precise::Look(site, p.xyz);
                if (t.elevation > 5)
                    e.push_back(precise::AngleError(precise::Look(site, xyz), t));
            }
        }
    if (e.empty())
        return {};
    std::sort(e.begin(), e.end());
    return {e[e.size() / 2], e[e.size() * 95 / 100], e.back()};
}

struct Case {
    const char* what;
    GnssSystem system;
    Positioner source;
    std::function<Tracks()> truth;
    double limit; // degrees, of the 95th percentile
};

TEST(PlanningAhead, NavigationRecordsAndAlmanacsAgainstTheOrbitsOfLaterDays) {
    using S = GnssSystem;
    const auto on = [](Positioner p, S s, double day) { return [=] { return Sample(p, s, day); }; };
    const auto precise = [](S s) { return [=] { return Precise(s); }; };
    const Positioner galileoNav = Navigation("OPEC00NOR_S_20220010000_01D_EN.rnx");
    const Positioner gpsNav = Navigation("OPEC00NOR_S_20220010000_01D_GN.rnx");
    const Positioner beidouNav = Navigation("OPEC00NOR_S_20220010000_01D_CN.rnx");
    const Case cases[] = {
        {"Galileo nav +3 d vs XML 01-04", S::Galileo, galileoNav,
         on(GalileoXml("2022-01-04.xml"), S::Galileo, Day(2022, 1, 4)), 0.05},
        {"Galileo nav +13 d vs XML 01-14", S::Galileo, galileoNav,
         on(GalileoXml("2022-01-14.xml"), S::Galileo, Day(2022, 1, 14)), 0.2},
        {"  without harmonic terms", S::Galileo, Navigation("OPEC00NOR_S_20220010000_01D_EN.rnx", true),
         on(GalileoXml("2022-01-14.xml"), S::Galileo, Day(2022, 1, 14)), 0.2},
        {"Galileo nav +136 d vs XML 05-17", S::Galileo, galileoNav,
         on(GalileoXml("2022-05-17.xml"), S::Galileo, Day(2022, 5, 17)), 2},
        {"Galileo XML 12-24 +8 d vs precise", S::Galileo, GalileoXml("2021-12-24.xml"), precise(S::Galileo),
         0.3},
        {"Galileo XML 12-24 +21 d vs XML 01-14", S::Galileo, GalileoXml("2021-12-24.xml"),
         on(GalileoXml("2022-01-14.xml"), S::Galileo, Day(2022, 1, 14)), 0.7},
        {"Galileo XML 01-04 +133 d vs XML 05-17", S::Galileo, GalileoXml("2022-01-04.xml"),
         on(GalileoXml("2022-05-17.xml"), S::Galileo, Day(2022, 5, 17)), 4},
        {"GPS nav -4 d vs IAC 12-28", S::Gps, gpsNav,
         on(Published("MCCJ_211226.agp"), S::Gps, Day(2021, 12, 28)), 0.05},
        {"GPS nav +31 d vs YUMA 02-01", S::Gps, gpsNav,
         on(Published("current_2022-02-01.alm"), S::Gps, Day(2022, 2, 1)), 0.5},
        {"  without harmonic terms", S::Gps, Navigation("OPEC00NOR_S_20220010000_01D_GN.rnx", true),
         on(Published("current_2022-02-01.alm"), S::Gps, Day(2022, 2, 1)), 0.5},
        {"GPS IAC 12-28 +4 d vs precise", S::Gps, Published("MCCJ_211226.agp"), precise(S::Gps), 0.05},
        {"GPS IAC 12-28 +35 d vs YUMA 02-01", S::Gps, Published("MCCJ_211226.agp"),
         on(Published("current_2022-02-01.alm"), S::Gps, Day(2022, 2, 1)), 0.5},
        {"GLONASS nav -7 d vs IAC 12-25", S::Glonass, Navigation("OPEC00NOR_S_20220010000_01D_RN.rnx"),
         on(Published("MCCJ_211226.agl"), S::Glonass, Day(2021, 12, 25)), 0.15},
        {"GLONASS IAC 12-25 +7 d vs precise", S::Glonass, Published("MCCJ_211226.agl"), precise(S::Glonass),
         0.05},
        {"BeiDou nav +12 d vs almanac 01-13", S::BeiDou, beidouNav,
         on(BeiDouLines("alm_beidou.txt"), S::BeiDou, Day(2022, 1, 13)), 0.1},
        {"BeiDou almanac 01-13 -12 d vs precise", S::BeiDou, BeiDouLines("alm_beidou.txt"),
         precise(S::BeiDou), 0.1},
    };
    std::printf("%-40s %8s %8s %8s\n", "degrees on the sky", "median", "95%", "worst");
    for (const Case& c : cases) {
        const Errors e = Compare(c.source, c.truth());
        std::printf("%-40s %8.3f %8.3f %8.3f\n", c.what, e.median, e.p95, e.worst);
        EXPECT_GT(e.worst, 0) << c.what; // compared at all
        EXPECT_LT(e.p95, c.limit) << c.what;
    }
}

} // namespace
