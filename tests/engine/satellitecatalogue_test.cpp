// The satellite catalogue: GPS and GLONASS keep the almanac file's indices, the later systems and
// GLONASS's later slots follow.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/satellitecatalogue.h"

TEST(SatelliteCatalogue, LegacyIndicesStayAndNewSystemsFollow) {
    struct Case {
        const char* code;
        int index;
    } const cases[] = {
        {"G01", 0},   {"G32", 31},  {"R01", 32},  {"R24", 55},  {"E01", 56},  {"E36", 91},  {"C01", 92},
        {"C63", 154}, {"J01", 155}, {"J10", 164}, {"R25", 165}, {"R31", 171}, {"I01", 172}, {"I14", 185},
    };
    for (const Case& c : cases) {
        SatelliteId id;
        ASSERT_TRUE(ParseSatelliteCode(c.code, id)) << c.code;
        EXPECT_EQ(SatelliteCatalogue::Index(id), c.index) << c.code;
        EXPECT_EQ(SatelliteCode(SatelliteCatalogue::At(c.index)), c.code);
    }
    // Every index is one satellite and back.
    for (int index = 0; index < SatelliteCatalogue::kSize; ++index)
        EXPECT_EQ(SatelliteCatalogue::Index(SatelliteCatalogue::At(index)), index);
    EXPECT_EQ(SatelliteCatalogue::At(SatelliteCatalogue::kSize).number, 0);
    EXPECT_EQ(SatelliteCatalogue::At(-1).number, 0);
    EXPECT_EQ(SatelliteCatalogue::kLegacySize, 56);
    // Listed system by system and by number: every index once, R25 after R24.
    SatelliteSet listed;
    for (int index : kListedSatellites)
        listed.set(static_cast<size_t>(index));
    EXPECT_TRUE(listed.all());
    const auto* r24 = std::find(kListedSatellites.begin(), kListedSatellites.end(), 55);
    EXPECT_EQ(r24[1], 165);
    EXPECT_EQ(SatelliteCatalogue::Count(GnssSystem::Glonass), 31);
}

TEST(SatelliteCatalogue, CodesOutsideTheCatalogueAreRefused) {
    SatelliteId id{GnssSystem::Galileo, 7};
    for (const char* code : {"G00", "G33", "R00", "R32", "E37", "C64", "J11", "S20", "I00", "I15", "X01", "G",
                             "G1x", "G123", ""})
        EXPECT_FALSE(ParseSatelliteCode(code, id)) << code;
    EXPECT_EQ(id, (SatelliteId{GnssSystem::Galileo, 7})); // left as it was
    ASSERT_TRUE(ParseSatelliteCode("G 5", id));           // RINEX 2 spelling
    EXPECT_EQ(id, (SatelliteId{GnssSystem::Gps, 5}));
    ASSERT_TRUE(ParseSatelliteCode("R7", id));
    EXPECT_EQ(id, (SatelliteId{GnssSystem::Glonass, 7}));
    EXPECT_STREQ(SystemName(GnssSystem::BeiDou), "BeiDou");
    EXPECT_STREQ(SystemName(GnssSystem::Qzss), "QZSS");
    EXPECT_STREQ(SystemName(GnssSystem::NavIc), "NavIC");
    EXPECT_EQ(SystemTitle(GnssSystem::NavIc), "NavIC");
}
