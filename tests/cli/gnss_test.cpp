// tavrin-cli planning every system from navigation files: the sources on the command line, the
// system names of the exports, and the systems and satellites left out.
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <set>

#include "cli_fixture.h"
#include "engine/vectorkernels.h"

using namespace cli_fixture;

namespace {

class Gnss : public CliRun {};

const std::string kDir = TAVRIN_SOURCE_DIR "/tests/data/multignss";
const std::string kFiles = " --almanac '" + kDir + "/OPEC00NOR_S_20220010000_01D_GN.rnx' --almanac '" + kDir +
                           "/OPEC00NOR_S_20220010000_01D_RN.rnx' --almanac '" + kDir +
                           "/OPEC00NOR_S_20220010000_01D_EN.rnx' --almanac '" + kDir +
                           "/OPEC00NOR_S_20220010000_01D_CN.rnx'";
const std::string kSite = " --at 59.91,10.75,50 --date 2022-01-01 --step 5 --cutoff 10";

// Per system of a visibility CSV: the satellite numbers listed, and those visible at some sample.
struct Listed {
    std::map<std::string, std::set<int>> all, visible;
};

Listed ReadVisibility(const std::string& csv) {
    Listed l;
    for (const std::string& line : Lines(csv)) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() != 7 || f[0] == "time")
            continue;
        l.all[f[2]].insert(std::stoi(f[3]));
        if (f[6] == "1")
            l.visible[f[2]].insert(std::stoi(f[3]));
    }
    return l;
}

} // namespace

TEST_F(Gnss, NavigationFilesPlanEverySystemUnderItsOwnName) {
    const Outcome r = Tavrin("plan" + kFiles + kSite + " --table visibility --format csv");
    ASSERT_EQ(r.status, 0) << r.err;
    const Listed l = ReadVisibility(r.out);
    const std::map<std::string, size_t> expected = {
        {"GPS", 29}, {"GLONASS", 22}, {"Galileo", 24}, {"BeiDou", 22}};
    ASSERT_EQ(l.all.size(), expected.size());
    for (const auto& [system, count] : expected) {
        EXPECT_EQ(l.all.at(system).size(), count) << system;
        EXPECT_FALSE(l.visible.at(system).empty()) << system;
    }
    EXPECT_LE(*l.all.at("Galileo").rbegin(), 36);
    EXPECT_LE(*l.all.at("BeiDou").rbegin(), 63);

    // The directory holds the same four files (beside a precise orbit and notes, which are no
    // navigation files); without a date the files' own day is planned.
    const Outcome dir = Tavrin("plan --almanac '" + kDir + "' --at 59.91,10.75,50 --step 5 --cutoff 10" +
                               " --table visibility --format csv");
    ASSERT_EQ(dir.status, 0) << dir.err;
    EXPECT_TRUE(dir.out == r.out); // (not printed: thousands of lines)

    // Four clocks: every sample needs at least seven satellites for a solution, and has them.
    const Outcome dop = Tavrin("plan" + kFiles + kSite + " --format csv");
    ASSERT_EQ(dop.status, 0) << dop.err;
    int rows = 0;
    for (const std::string& line : Lines(dop.out)) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() != 9 || f[0] == "time")
            continue;
        ++rows;
        EXPECT_GE(std::stoi(f[7]), 20) << line;
        EXPECT_EQ(f[8], "1") << line;
    }
    EXPECT_EQ(rows, 289);
}

TEST_F(Gnss, SystemsAndSatellitesLeftOutAreNeverUsed) {
    const Outcome r = Tavrin("plan" + kFiles + kSite +
                             " --systems galileo,BeiDou --exclude E11,c20 --table both --format csv");
    ASSERT_EQ(r.status, 0) << r.err;
    const Listed l = ReadVisibility(r.out);
    EXPECT_EQ(l.visible.count("GPS"), 0u);
    EXPECT_EQ(l.visible.count("GLONASS"), 0u);
    EXPECT_FALSE(l.visible.at("Galileo").empty());
    EXPECT_FALSE(l.visible.at("BeiDou").empty());
    EXPECT_EQ(l.visible.at("Galileo").count(11), 0u);
    EXPECT_EQ(l.visible.at("BeiDou").count(20), 0u);
    EXPECT_EQ(l.all.at("Galileo").count(11), 1u); // listed, never visible

    // The satellite counts of the DOP table are the visible rows of each sample.
    std::map<int, int> visibleAt;
    for (const std::string& line : Lines(r.out)) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() == 7 && f[0] != "time" && f[6] == "1")
            ++visibleAt[std::stoi(f[1])];
    }
    int checked = 0;
    for (const std::string& line : Lines(r.out)) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() != 9 || f[0] == "time")
            continue;
        EXPECT_EQ(std::stoi(f[7]), visibleAt[std::stoi(f[1])]) << line;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_F(Gnss, TextAndJsonNameEachSystem) {
    const Outcome text =
        Tavrin("plan" + kFiles + kSite + " --from 08:00 --to 09:00 --table visibility --width 400");
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* heading : {"Available GPS satellites", "Available Galileo satellites",
                                "Available BeiDou satellites", "Galileo", "BeiDou"})
        EXPECT_NE(text.out.find(heading), std::string::npos) << heading;
    EXPECT_EQ(text.out.find("QZSS"), std::string::npos);

    const Outcome json =
        Tavrin("plan" + kFiles + kSite + " --from 08:00 --to 09:00 --table visibility --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    for (const char* system : {"\"GPS\"", "\"GLONASS\"", "\"Galileo\"", "\"BeiDou\""})
        EXPECT_NE(json.out.find(std::string("{\"system\": ") + system), std::string::npos) << system;
}

TEST_F(Gnss, UnusableSourcesAreRefused) {
    // A navigation header with no record after it.
    const std::string header = ReadFile(kDir + "/OPEC00NOR_S_20220010000_01D_EN.rnx");
    const size_t end = header.find("END OF HEADER");
    ASSERT_NE(end, std::string::npos);
    {
        std::ofstream out(dir_ / "empty.rnx", std::ios::binary);
        out << header.substr(0, header.find('\n', end) + 1);
    }
    const Outcome empty = Tavrin("plan --almanac '" + (dir_ / "empty.rnx").string() + "'" + kSite);
    EXPECT_EQ(empty.status, 3);
    EXPECT_NE(empty.err.find("empty.rnx"), std::string::npos) << empty.err;
    EXPECT_TRUE(empty.out.empty());

    fs::create_directories(dir_ / "nothing");
    {
        std::ofstream out(dir_ / "nothing" / "notes.txt");
        out << "no orbits here\n";
    }
    const Outcome nothing = Tavrin("plan --almanac '" + (dir_ / "nothing").string() + "'" + kSite);
    EXPECT_EQ(nothing.status, 3);
    EXPECT_NE(nothing.err.find("nothing"), std::string::npos) << nothing.err;
}

// With an almanac and navigation files, each system takes the source nearest the date unless
// --orbits names one; JSON says which. A source that was not given is refused.
TEST_F(Gnss, OrbitsChooseTheSourceAndJsonSaysWhich) {
    const std::string almanac = " --almanac " + Bundled("almanacs/alm18.258");
    const std::string base = "plan" + kFiles + almanac + kSite + " --from 08:00 --to 08:15 --format json";
    const Outcome nearest = Tavrin(base);
    ASSERT_EQ(nearest.status, 0) << nearest.err;
    EXPECT_NE(nearest.out.find("\"orbits\": {\"GPS\": \"navigation\", \"GLONASS\": \"navigation\", "
                               "\"Galileo\": \"navigation\", \"BeiDou\": \"navigation\", \"QZSS\": null, "
                               "\"NavIC\": null}"),
              std::string::npos)
        << nearest.out.substr(0, 400);

    const Outcome chosen = Tavrin(base + " --orbits GPS=almanac,glonass=nearest --allow-old");
    ASSERT_EQ(chosen.status, 0) << chosen.err;
    EXPECT_NE(chosen.out.find("\"orbits\": {\"GPS\": \"almanac\", \"GLONASS\": \"navigation\""),
              std::string::npos);
    EXPECT_NE(chosen.err.find("alm18.258 of 2018-09-15, 1203 days old"), std::string::npos)
        << chosen.err; // 2018's almanac in 2022
    EXPECT_NE(chosen.out, nearest.out);

    for (const char* wrong : {"galileo=almanac", "gps", "gps=rinex", "gps=almanac=1"}) {
        const Outcome r = Tavrin(base + " --orbits " + wrong);
        EXPECT_EQ(r.status, 2) << wrong;
        EXPECT_NE(r.err.find(wrong), std::string::npos) << r.err;
    }
    const Outcome absent = Tavrin("plan" + kFiles + kSite + " --orbits gps=almanac");
    EXPECT_EQ(absent.status, 3);
    EXPECT_NE(absent.err.find("--orbits gps=almanac: no such orbits"), std::string::npos) << absent.err;
}

// `almanac FILE` on a navigation file: per system its satellites, health and records' span.
TEST_F(Gnss, AlmanacCommandDescribesANavigationFile) {
    const Outcome r = Tavrin("almanac '" + kDir + "/OPEC00NOR_S_20220010000_01D_EN.rnx'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u + 24u);
    EXPECT_NE(lines[0].find("(RINEX 3)"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1],
              "Galileo: 24 satellites, 22 healthy, records of 2021-12-31 23:10 to 2022-01-01 23:40 UTC");
    EXPECT_EQ(lines[2], "E01  healthy");
}

// GLONASS slots 25 and 26 of a navigation file are listed, and left out by their codes.
TEST_F(Gnss, GlonassSlotsBeyond24AreListedAndExcluded) {
    const std::string file =
        "'" TAVRIN_SOURCE_DIR "/tests/data/navformats/CORD00ARG_R_20240920000_01D_MN_R25-R26.rnx'";
    const Outcome r = Tavrin("almanac " + file);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(
        r.out.find("GLONASS: 2 satellites, 0 healthy, records of 2024-04-01 00:15 to 2024-04-01 23:45 UTC\n"
                   "R25  unhealthy\nR26  unhealthy\n"),
        std::string::npos)
        << r.out;
    const Outcome excluded = Tavrin("plan --almanac " + file + " --at -31.53,-64.47,750 --date 2024-04-01" +
                                    " --exclude R25,I05 --format csv");
    EXPECT_EQ(excluded.status, 0) << excluded.err;
}

// Every requested system is accounted for: planned from a named, dated source, or named as missing;
// a plan with nothing to plan from, or only from orbits over a year away, fails with what to do.
TEST_F(Gnss, EverySystemAskedForIsPlannedOrNamed) {
    const std::string nav = " --almanac '" + kDir + "'";
    const std::string xml = " --almanac '" TAVRIN_SOURCE_DIR "/tests/data/almanacs/2022-01-04.xml'";
    const std::string day =
        " --at 59.91,10.75,50 --from 08:00 --to 09:00 --width 160"; // no header line wrapped
    struct Case {
        std::string args;
        int status;
        std::string err, out; // parts of each
    } cases[] = {
        {"plan --systems gps,qzss --date 2022-01-01" + nav + day, 0, "no orbits of QZSS for 2022-01-01", ""},
        {"plan --systems galileo --date 2025-08-11" + day, 3,
         "nothing can be planned for 2025-08-11: there are no orbits of Galileo", ""},
        {"plan --systems galileo --date 2024-01-10" + nav + day, 3, "--allow-old", ""},
        {"plan --systems galileo --date 2024-01-10 --days 3 --allow-old" + nav + day, 0, "740 days old",
         "738 days old"},
        // Navigation records weeks away serve as an almanac; so does the Galileo almanac.
        {"plan --date 2022-01-20 --systems galileo,beidou" + nav + day, 0, "", "Galileo/BeiDou TAVRIN"},
        {"plan --date 2022-01-20 --systems galileo" + nav + day, 0, "",
         "Galileo: navigation records of 12/31/2021 to 1/1/2022 used as an almanac, 18 days old"},
        {"plan --date 2022-01-20 --systems galileo --format json" + xml + day, 0, "",
         R"("almanac": [{"system": "Galileo", "source": "almanac", "files": ["2022-01-04.xml"], )"
         R"("first": "2022-01-04", "last": "2022-01-04", "ageDays": 15}],)"},
        {"plan --date 2022-01-01 --format json" + nav + day, 0, "no orbits of QZSS, NavIC",
         R"("orbits": {"GPS": "navigation", "GLONASS": "navigation", "Galileo": "navigation", )"
         R"("BeiDou": "navigation", "QZSS": null, "NavIC": null})"},
        {"windows --systems galileo --date 2025-08-11 --at 0,0", 3, "no orbits of Galileo", ""},
        {"plan --almanac '" TAVRIN_SOURCE_DIR "/tests/data/almanacs/current_2022-02-01.alm'", 3,
         "is a published almanac: import it first", ""},
    };
    for (const Case& c : cases) {
        const Outcome r = Tavrin(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << c.args << "\n" << r.out.substr(0, 1500);
    }
}

// Without --date a plan is of today at the site; the bundled almanac is then over a year old.
TEST_F(Gnss, TheDefaultDateIsTodayAtTheSite) {
    const auto today = [] {
        const std::time_t now = std::time(nullptr) + 14 * 3600; // a site at GMT+14
        std::tm tm{};
        gmtime_r(&now, &tm);
        char text[32];
        std::strftime(text, sizeof text, "\"date\": \"%Y-%m-%d\"", &tm);
        return std::string(text);
    };
    const std::string before = today();
    const Outcome old = Today("plan --at 0,0 --gmt-offset 14 --systems gps");
    EXPECT_EQ(old.status, 3) << old.err;
    EXPECT_NE(old.err.find("--allow-old"), std::string::npos) << old.err;
    const Outcome r = Today("plan --at 0,0 --gmt-offset 14 --systems gps --allow-old --format json");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.find(before) != std::string::npos || r.out.find(today()) != std::string::npos)
        << r.out.substr(0, 600);
}

TEST_F(Gnss, EveryVectorTargetPrintsWhatTheScalarCodePrints) {
    // The bundled day's navigation files and the shipped almanac, at the finest resolution printed
    // (the JSON's directions and DOP), each table.
    const std::vector<std::string> cases = {
        "plan" + kFiles + kSite + " --table both --format json",
        "plan --almanac " + Bundled("almanacs/alm25.223") +
            " --date 2025-08-12 --step 5 --table both --format json",
        "plan --almanac " + Bundled("almanacs/alm18.258") + " --date 2018-09-15 --step 5 --table both",
    };
    std::vector<std::string> scalar;
    ASSERT_TRUE(UseVectorTarget(VectorTarget::Scalar));
    for (const std::string& args : cases) {
        const Outcome r = Tavrin(args);
        ASSERT_EQ(r.status, 0) << args << ": " << r.err;
        scalar.push_back(r.out);
    }
    for (int t = static_cast<int>(VectorTarget::Baseline); t < kVectorTargets; ++t) {
        const VectorTarget target = static_cast<VectorTarget>(t);
        if (!UseVectorTarget(target))
            continue;
        for (size_t i = 0; i < cases.size(); ++i)
            EXPECT_TRUE(Tavrin(cases[i]).out == scalar[i]) << cases[i] << " on " << VectorTargetName(target);
    }
    UseVectorTarget(BestVectorTarget());
}
