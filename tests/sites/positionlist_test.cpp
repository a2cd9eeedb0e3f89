// Ad-hoc positions as a spreadsheet would write them, and the lines that must be refused.
#include <gtest/gtest.h>

#include <string>

#include "sites/positionlist.h"

TEST(PositionList, ReadsHeadingCommentsQuotesAndOptionalFields) {
    const std::string text = "\xEF\xBB\xBFname,lat,lon,alt,gmt\r\n"
                             "# control points\r\n"
                             "\r\n"
                             "Pillar 1, 48.2 ,16.37,180,1\r\n"
                             "\"Bridge, north end\",-33.5,+151.25\r\n"
                             "\"Say \"\"A\"\"\",0,-180,-12.5,-3.5\n"
                             "Caf\xE9,1,2"; // Windows-1252, no final newline
    std::vector<SiteInfo> sites;
    const PositionListResult r = ParsePositionList(text, sites);
    ASSERT_EQ(r.problem, PositionProblem::None) << r.line;
    ASSERT_EQ(sites.size(), 4u);
    EXPECT_STREQ(sites[0].name, "Pillar 1");
    EXPECT_DOUBLE_EQ(sites[0].latitude, 48.2);
    EXPECT_DOUBLE_EQ(sites[0].longitude, 16.37);
    EXPECT_DOUBLE_EQ(sites[0].altitude, 180);
    EXPECT_FLOAT_EQ(sites[0].gmtOffset, 1);
    EXPECT_STREQ(sites[1].name, "Bridge, north end");
    EXPECT_DOUBLE_EQ(sites[1].longitude, 151.25);
    EXPECT_DOUBLE_EQ(sites[1].altitude, 0);
    EXPECT_FLOAT_EQ(sites[1].gmtOffset, 0);
    EXPECT_STREQ(sites[2].name, "Say \"A\"");
    EXPECT_FLOAT_EQ(sites[2].gmtOffset, -3.5f);
    EXPECT_STREQ(sites[3].name, "Caf\xC3\xA9");
    EXPECT_EQ(sites[0].obstructions.Count(), 0);

    // a long name is cut to the site name's 20 characters without splitting one
    std::string accents;
    for (int i = 0; i < 22; ++i)
        accents += "\xC3\xA9";
    ASSERT_EQ(ParsePositionList(accents + ",1,2", sites).problem, PositionProblem::None);
    EXPECT_EQ(std::string(sites[0].name), accents.substr(0, 40));
}

TEST(PositionList, RefusesTheFirstBadLineAndKeepsNothing) {
    struct Case {
        std::string text;
        PositionProblem problem;
        int line;
    } cases[] = {
        {"", PositionProblem::NoPosition, 0},
        {"# nothing\n\nname,lat,lon\n", PositionProblem::NoPosition, 0},
        {"a,1,2\nb,1\n", PositionProblem::FieldCount, 2},
        {"a,1,2,3,4,5,6,7\n", PositionProblem::FieldCount, 1},
        {"a,1,2\n,1,2\n", PositionProblem::Name, 2},
        {"a,1,2\n\"open,1,2\n", PositionProblem::Name, 2},
        {std::string("a,1,2\nb\0c,1,2\n", 13), PositionProblem::Name, 2}, // a NUL would cut the name
        {"a,1,2\nb,91,2\n", PositionProblem::Latitude, 2},
        {"a,1,2\nb,north,2\n", PositionProblem::Latitude, 2}, // only a first line may be a heading
        {"a,1,2\nb,1,180.5\n", PositionProblem::Longitude, 2},
        {"a,1,2\nb,1,2,1e3\n", PositionProblem::Altitude, 2},
        {"a,1,2\nb,1,2,10001\n", PositionProblem::Altitude, 2},
        {"a,1,2\nb,1,2,0,15\n", PositionProblem::GmtOffset, 2},
        {"a,1,2\nb,1,2,0,Europe/../x\n", PositionProblem::GmtOffset, 2}, // a zone name is part of a path
        {"a,1,2\nb,1,2,0,0,\"x\ty\"\n", PositionProblem::Description, 2},
        {"a,1,2\nb,1,2,0,0,,90 0; 91 5\n", PositionProblem::Obstructions, 2},
        {"a,1,2\nb,1,2,0,0,,90 0; 91 5; 92 99\n", PositionProblem::Obstructions, 2},
        {"a,1,2\nb,+-1,2\n", PositionProblem::Latitude, 2},
        {"a,1,2\nb,0x10,2\n", PositionProblem::Latitude, 2},
    };
    for (const Case& c : cases) {
        std::vector<SiteInfo> sites(3);
        const PositionListResult r = ParsePositionList(c.text, sites);
        EXPECT_EQ(r.problem, c.problem) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_TRUE(sites.empty()) << c.text;
    }

    std::string many;
    for (int i = 0; i <= kMaxPositions; ++i)
        many += "p,1,2\n";
    std::vector<SiteInfo> sites;
    const PositionListResult r = ParsePositionList(many, sites);
    EXPECT_EQ(r.problem, PositionProblem::TooMany);
    EXPECT_EQ(r.line, kMaxPositions + 1);
}
