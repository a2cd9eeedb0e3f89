#include "engine/almanac_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "almanac_fixture.h"

using namespace almanac_fixture;

namespace {

std::vector<std::string> Names(ASortedList<AString>& list) {
    std::vector<std::string> names;
    for (int k = 0; k < list.Count(); ++k)
        names.push_back(list.GetAt(k)->Text());
    return names;
}

} // namespace

TEST(AlmanacScan, OrdersNewestFirstAcrossCenturies) {
    TempDir dir;
    for (const char* name : {"alm98.5", "ALM80.1", "alm81.1"}) // ALM80: 2080, matched in any case
        dir.Write(name, std::vector<uint8_t>(960));
    dir.Write("alm99.1", std::vector<uint8_t>(3200));
    dir.Write("alm01.200", std::vector<uint8_t>(2240));
    ASSERT_EQ(ScanAlmanacDirectory(dir.Dir()), 1);
    EXPECT_EQ(Names(AlmanacNameList()),
              (std::vector<std::string>{"ALM80.1", "alm01.200", "alm99.1", "alm98.5", "alm81.1"}));
}

TEST(AlmanacScan, EqualDatesKeepTheFoundOrderAndForeignFilesAreSkipped) {
    TempDir dir;
    // all four are 1 January 2002: 2001 has 365 days, so its day 366 runs on into 2002
    for (const char* name : {"alm02.1", "alm01.366", "alm2.1", "alm02.0001"})
        dir.Write(name, std::vector<uint8_t>(960));
    for (const char* name : {"almanac.dat", "alm.123", "alm12", "alm12.x1", "alm12.", "alm1x.3", "xalm12.3",
                             ".alm12.3", "alm12.3.4"})
        dir.Write(name, std::vector<uint8_t>(3200));
    dir.Write("alm12.3", std::vector<uint8_t>(3000));
    dir.Write("alm12.4", {});
    fs::create_directory(dir.Dir() + "alm12.5");
    ASSERT_EQ(ScanAlmanacDirectory(dir.Dir()), 1);
    const std::vector<std::string> expected{"alm01.366", "alm02.0001", "alm02.1", "alm2.1"};
    EXPECT_EQ(Names(AlmanacNameList()), expected);

    // each scan rebuilds the list; a missing directory leaves it empty
    EXPECT_EQ(ScanAlmanacDirectory(dir.Dir() + "missing/"), 0);
    EXPECT_EQ(AlmanacNameList().Count(), 0);
    // a list of the caller's own, the directory without a trailing separator
    ASortedList<AString> mine;
    ASSERT_EQ(ScanAlmanacDirectory(dir.Dir().substr(0, dir.Dir().size() - 1), mine), 1);
    EXPECT_EQ(Names(mine), expected);
}

TEST(AlmanacScan, PathsSplitAndJoin) {
    EXPECT_EQ(DirectoryOf("/data/alm/alm26.100"), "/data/alm/");
    EXPECT_EQ(DirectoryOf("alm26.100"), "");
    EXPECT_EQ(AlmanacPath("/data/alm/", "alm26.100"), "/data/alm/alm26.100");
    EXPECT_EQ(AlmanacPath("/data/alm", "alm26.100"), "/data/alm/alm26.100");
    EXPECT_EQ(AlmanacPath("", "alm26.100"), "alm26.100");
}
