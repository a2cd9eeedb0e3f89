#include "engine/keplerianalmanacs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "engine/broadcastorbit.h"
#include "precise_orbits.h"

namespace {

const std::string kData = TAVRIN_SOURCE_DIR "/tests/data/";

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr precise::Site kSites[] = {
    {"Oslo", 59.9, 10.7, 100}, {"Quito", -0.2, -78.5, 2800}, {"Perth", -31.9, 115.9, 20}};

// The worst direction error, degrees, of the almanac's satellites over 2022-01-01 seen from the sites.
double WorstAgainstPreciseOrbits(const KeplerianAlmanac& almanac) {
    static const auto precise =
        precise::ReadSp3(kData + "multignss/COD0MGXFIN_20220010000_01D_05M_ORB_15M.SP3");
    double worst = 0;
    for (const KeplerEphemeris& k : almanac.records) {
        const auto track = precise.find(SatelliteCatalogue::Index(k.satellite));
        if (track == precise.end())
            continue;
        for (const precise::Epoch& p : track->second) {
            double xyz[3];
            KeplerPosition(k, p.gps, xyz);
            for (const precise::Site& site : kSites) {
                const precise::AzEl truth = precise::Look(site, p.xyz);
                if (truth.elevation > 0)
                    worst = std::max(worst, precise::AngleError(precise::Look(site, xyz), truth));
            }
        }
    }
    return worst;
}

TEST(KeplerianAlmanacs, GalileoXmlAlmanacsFollowThePreciseOrbitsAWeekAway) {
    for (const char* file : {"2021-12-24.xml", "2022-01-04.xml"}) {
        const KeplerianAlmanac a = ReadGalileoAlmanacXml(Read(kData + "almanacs/" + file), file);
        ASSERT_EQ(a.error, "") << file;
        EXPECT_EQ(a.records.size(), 22u) << file;
        EXPECT_TRUE(a.warnings.empty()) << file;
        const double worst = WorstAgainstPreciseOrbits(a);
        std::printf("%s: worst %.3f deg on 2022-01-01\n", file, worst);
        EXPECT_LT(worst, 0.5) << file;
    }
}

TEST(KeplerianAlmanacs, QzssYumaGivesTheQuasiZenithAndGeostationaryOrbits) {
    const std::string text = Read(kData + "almanacs/q2019034.alm");
    ASSERT_TRUE(IsQzssYuma(text));
    const KeplerianAlmanac a = ReadQzssYuma(text, "q2019034.alm", MakeCalendarTime(0, 0, 0, 1, 2, 2019));
    ASSERT_EQ(a.error, "");
    std::vector<int> numbers;
    for (const KeplerEphemeris& k : a.records)
        numbers.push_back(k.satellite.number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 7})); // PRNs 193-195 and 199
    EXPECT_EQ(a.records.front().toeGps, (2039.0 * kSecondsPerWeek) + 262144.0);
    // Over a day each stays over East Asia and Australia: the quasi-zenith figure eight, the
    // geostationary one at 127 degrees east.
    for (const KeplerEphemeris& k : a.records) {
        double west = 360, east = 0;
        for (int hour = 0; hour < 24; ++hour) {
            double xyz[3];
            KeplerPosition(k, k.toeGps + hour * 3600.0, xyz);
            const double longitude = std::atan2(xyz[1], xyz[0]) / precise::kDeg;
            west = std::min(west, longitude);
            east = std::max(east, longitude);
            EXPECT_NEAR(std::sqrt(xyz[0] * xyz[0] + xyz[1] * xyz[1] + xyz[2] * xyz[2]), 42164e3, 3500e3);
        }
        EXPECT_GT(west, 100) << k.satellite.number;
        EXPECT_LT(east, 170) << k.satellite.number;
    }
}

TEST(KeplerianAlmanacs, WhatIsNotAnAlmanacOfTheirsIsRefusedAndBadRecordsSkipped) {
    std::string xml = Read(kData + "almanacs/2022-01-04.xml");
    const size_t ecc = xml.find("<ecc>");
    xml.replace(ecc, 5, "<ecc>x"); // the first satellite's eccentricity is no number
    const KeplerianAlmanac damaged = ReadGalileoAlmanacXml(xml, "g.xml");
    EXPECT_EQ(damaged.records.size(), 21u);
    ASSERT_EQ(damaged.warnings.size(), 1u);
    EXPECT_NE(damaged.warnings[0].find("E01"), std::string::npos) << damaged.warnings[0];
    EXPECT_NE(damaged.warnings[0].find("ecc"), std::string::npos) << damaged.warnings[0];

    const std::string refused[] = {"<html><body>404 Not Found</body></html>", "",
                                   xml.substr(0, xml.find("<issueDate>"))};
    for (const std::string& text : refused) {
        EXPECT_FALSE(ReadGalileoAlmanacXml(text, "g.xml").error.empty());
        EXPECT_TRUE(ReadGalileoAlmanacXml(text, "g.xml").records.empty());
        EXPECT_FALSE(IsQzssYuma(text));
    }
    const std::string gps = "******** Week 876 almanac for PRN-01 ********\nID:                         01\n";
    EXPECT_FALSE(IsQzssYuma(gps));
    EXPECT_FALSE(ReadQzssYuma(gps, "gps.alm", MakeCalendarTime(0, 0, 0, 1, 1, 2016)).error.empty());
}

} // namespace
