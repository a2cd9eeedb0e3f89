// Site lists made and converted from the shell, time zones and steps, and help per command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_fixture.h"

namespace fs = std::filesystem;

namespace {

using namespace cli_fixture;

class SitesCli : public CliRun {
protected:
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

} // namespace

TEST_F(SitesCli, EveryFormatCarriesTheWholeListBack) {
    const std::string sample = Bundled("sites/sample.spl"); // quoted for the command line
    const std::string original = Bytes(sample.substr(1, sample.size() - 2));
    ASSERT_FALSE(original.empty());
    // JSON and GeoJSON carry the current site too; CSV holds no current site, so the first is.
    for (const char* format : {"json", "geojson", "csv"}) {
        const std::string text = Path(std::string("sample.") + format),
                          list = Path(std::string(format) + ".spl");
        ASSERT_EQ(Tavrin("sites export " + sample + " --format " + format + " -o " + text).status, 0)
            << format;
        const Outcome r = Tavrin("sites import " + list + " --from " + text);
        ASSERT_EQ(r.status, 0) << format << r.err;
        std::string back = Bytes(list), expected = original;
        if (std::string(format) == "csv")
            expected[7] = back[7] = 0; // the current index's low byte
        EXPECT_EQ(back, expected) << format;
    }
    // Imported again beside itself, every name is taken; --replace puts the same list back.
    const std::string json = Path("sample.json"), copy = Path("json.spl");
    EXPECT_EQ(Tavrin("sites import " + copy + " --from " + json).status, 3);
    EXPECT_EQ(Tavrin("sites import " + copy + " --from " + json + " --replace").status, 0);
    EXPECT_EQ(Bytes(copy), original);
}

TEST_F(SitesCli, NewAddRemoveChangeTheListOnlyWhenRight) {
    const std::string list = Path("mine.spl");
    ASSERT_EQ(Tavrin("sites new " + list +
                     " --name Base --at 48.2,16.37,180 --gmt-offset 1 --obstruction 90:0,90:30,180:30,180:0")
                  .status,
              0);
    ASSERT_EQ(
        Tavrin("sites add " + list + " --name Rover --at 48.21,16.38 --description 'north pier'").status, 0);
    const std::string two = Bytes(list);
    struct Case {
        std::string args;
        int status;
        std::string message;
    } refused[] = {
        {"sites new " + list, 3, "already exists"},
        {"sites new " + list + ".2 --name X", 2, "--at"},
        {"sites add " + list + " --name ROVER --at 1,1", 3, "already in"},
        {"sites add " + list + " --name X --at 91,0", 2, "--at"},
        {"sites add " + list + " --name X", 2, "--at"},
        {"sites add " + list + " --name ' ' --at 1,1", 2, "--name"},
        {"sites add " + list + " --name 'Twenty-one characters' --at 1,1", 2, "21 bytes"},
        {"sites add " + list + " --name X --at 1,1 --obstruction 1:2,3:4", 2, "--obstruction"},
        {"sites add " + list + " --name X --at 1,1 --max-pdop 3", 2, "windows"},
        {"sites remove " + list + " Nowhere", 3, "its sites are Base, Rover"},
        {"sites import " + list + " --from " + list, 3, "line 1"},
        {"sites frobnicate", 3, "frobnicate"},
    };
    for (const Case& c : refused) {
        const Outcome r = Tavrin(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_EQ(Bytes(list), two) << c.args;
    }
    const Outcome shown = Tavrin("sites export " + list);
    EXPECT_NE(
        shown.out.find(R"("name": "Base", "description": "", "latitude": 48.2, "longitude": 16.37, )"
                       R"("altitude": 180, "gmtOffset": 1, "obstructions": [[[90, 0], [90, 30], [180, 30], )"
                       R"([180, 0]]]})"),
        std::string::npos)
        << shown.out;
    EXPECT_EQ(Tavrin("sites remove " + list + " base").status, 0);
    const Outcome last = Tavrin("sites remove " + list + " 1");
    EXPECT_EQ(last.status, 3);
    EXPECT_NE(last.err.find("at least one site"), std::string::npos);
    EXPECT_NE(Tavrin("sites " + list).out.find("*  1  Rover"), std::string::npos);
}

TEST_F(SitesCli, PositionsCarryZonesDescriptionsAndOutlines) {
    std::ofstream(Path("p.csv"))
        << "name,lat,lon,alt,zone,description,obstructions\n"
           "Wien,48.2,16.37,180,Europe/Vienna,\"Ring, west\",90 0; 90 30; 180 30; 180 0\n";
    EXPECT_EQ(Tavrin("sites import " + Path("p.spl") + " --from " + Path("p.csv")).status, 0);
    EXPECT_NE(Tavrin("sites export " + Path("p.spl") + " --format csv")
                  .out.find("Wien,48.2,16.37,180,0,\"Ring, west\",90 0; 90 30; 180 30; 180 0"),
              std::string::npos);
    // In a plan the zone gives the date's offset: summer time in July.
    const Outcome r =
        Tavrin("plan --positions " + Path("p.csv") + " --date 2025-07-15 --format json --to 01:00");
    EXPECT_NE(r.out.find("\"gmtOffset\": 2.00"), std::string::npos) << r.out << r.err;
    std::ofstream(Path("bad.csv")) << "Wien,48.2,16.37,180,Mars/Base\n";
    EXPECT_NE(Tavrin("plan --positions " + Path("bad.csv")).err.find("Mars/Base"), std::string::npos);
}

TEST_F(SitesCli, ZonesGiveTheOffsetOfTheDateAndSayAChange) {
    struct Case {
        std::string args, offset, said;
    } cases[] = {
        {"--tz Europe/Vienna --date 2025-01-15", "1.00", ""},
        {"--tz Europe/Vienna --date 2025-07-15", "2.00", ""},
        {"--tz Europe/Vienna --date 2025-10-26 --to 06:00", "2.00",
         "changes from GMT+2 to GMT+1 at 2025-10-26 03:00"},
        {"--tz America/New_York --date 2025-03-09 --to 06:00", "-5.00", "GMT-5 to GMT-4 at 2025-03-09 02:00"},
        {"--tz Asia/Kolkata --date 2025-07-15", "5.50", ""},
    };
    for (const Case& c : cases) {
        const Outcome r = Tavrin("plan --at 48.2,16.37 --systems gps --allow-old --format json " + c.args);
        EXPECT_EQ(r.status, 0) << c.args << r.err;
        EXPECT_NE(r.out.find("\"gmtOffset\": " + c.offset), std::string::npos) << c.args;
        EXPECT_EQ(r.err.find("changes from") != std::string::npos, !c.said.empty()) << c.args << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.args << r.err;
    }
    for (const char* zone : {"Mars/Base", "../../etc/passwd", "/etc/localtime", ""})
        EXPECT_EQ(Tavrin(std::string("plan --at 1,1 --tz '") + zone + "'").status, 2) << zone;
}

TEST_F(SitesCli, EveryStepSamplesTheDay) {
    for (const int minutes : {1, 2, 5, 10, 15, 30, 60}) {
        const Outcome r = Tavrin("plan --systems gps --format csv --step " + std::to_string(minutes));
        ASSERT_EQ(r.status, 0) << minutes << r.err;
        EXPECT_EQ(Lines(r.out).size(), 1u + 1440u / static_cast<unsigned>(minutes) + 1u) << minutes;
    }
}

TEST_F(SitesCli, HelpOfEachCommandTellsItsOwnOptions) {
    struct Case {
        std::string words, has, lacks;
    } cases[] = {
        {"help plan", "--table KIND", "--max-pdop"},       {"plan --help", "--table KIND", "--max-pdop"},
        {"help windows", "--max-pdop", "--table KIND"},    {"windows --help", "--max-pdop", "--table KIND"},
        {"help sites", "sites import FILE", "--max-pdop"}, {"sites add x --help", "--obstruction", "--table"},
        {"help almanac", "almanac fetch", "--max-pdop"},   {"almanac fetch --help", "--near", "--max-pdop"},
        {"help horizon", "--refraction K", "--max-pdop"},  {"map --help", "--bbox", "--table KIND"},
    };
    for (const Case& c : cases) {
        const Outcome r = Tavrin(c.words);
        EXPECT_EQ(r.status, 0) << c.words;
        EXPECT_NE(r.out.find(c.has), std::string::npos) << c.words;
        EXPECT_EQ(r.out.find(c.lacks), std::string::npos) << c.words;
    }
    EXPECT_EQ(Tavrin("help frobnicate").status, 2);
}
