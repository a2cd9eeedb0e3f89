// The RINEX navigation reader: the bundled files of every system and version, mixed and RINEX 4
// files built from their records, bad records skipped by line, records their neighbours contradict
// left out, and files refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/strings.h"
#include "engine/broadcastephemerides.h"
#include "engine/rinexnav.h"

namespace {

const std::string kData = TAVRIN_SOURCE_DIR "/tests/data/";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A header line: the content padded to column 61, then the label.
std::string HeaderLine(const std::string& content, const std::string& label) {
    std::string line = content;
    line.resize(60, ' ');
    return line + label + "\n";
}

std::string Header(const std::string& versionLine, const std::string& extra = "") {
    return HeaderLine(versionLine, "RINEX VERSION / TYPE") + extra + HeaderLine("", "END OF HEADER");
}

// Real records of 2022-01-01 (the bundled files), line by line.
const char* const kG30 = "G30 2022 01 01 02 00 00-5.035293288529E-04-2.728484105319E-12 0.000000000000E+00\n"
                         "     9.400000000000E+01-8.656250000000E+00 5.173786937564E-09-2.315157581206E-01\n"
                         "    -4.135072231293E-07 5.383261595853E-03 8.381903171539E-06 5.153595811844E+03\n"
                         "     5.256000000000E+05 4.284083843231E-08 2.113095554454E+00 1.154839992523E-07\n"
                         "     9.359002012800E-01 2.045625000000E+02-2.751309879534E+00-8.298917111780E-09\n"
                         "    -5.953819429049E-10 1.000000000000E+00 2.190000000000E+03 0.000000000000E+00\n"
                         "     2.000000000000E+00 0.000000000000E+00 3.725290298462E-09 9.400000000000E+01\n"
                         "     5.184180000000E+05 0.000000000000E+00\n";
const char* const kR08 = "R08 2022 01 01 00 15 00-6.282329559326E-05 0.000000000000E+00 0.000000000000E+00\n"
                         "     7.423335449219E+03-2.488239288330E+00 1.862645149231E-09 0.000000000000E+00\n"
                         "     1.374886572266E+04-1.186802864075E+00-2.793967723846E-09 6.000000000000E+00\n"
                         "     2.022299023438E+04 1.721749305725E+00-9.313225746155E-10 0.000000000000E+00\n";
// E31 with health word 8: only the E5a signal's validity bit, which F/NAV carries and I/NAV does not.
const char* const kE31 = "E31 2021 12 31 23 10 00-4.901266074739E-04-5.258016244625E-13 0.000000000000E+00\n"
                         "     9.100000000000E+01 1.700000000000E+02 2.548320433489E-09 2.398942842170E+00\n"
                         "     8.007511496544E-06 3.183797234669E-04 1.223385334015E-05 5.440634159088E+03\n"
                         "     5.154000000000E+05 3.725290298462E-09 2.996622944711E+00 1.303851604462E-08\n"
                         "     9.752654484063E-01 8.556250000000E+01-7.030484537044E-01-5.158786312728E-09\n"
                         "    -2.296524230881E-10 5.130000000000E+02 2.190000000000E+03\n"
                         "     3.120000000000E+00 8.000000000000E+00 5.820766091347E-09 5.122274160385E-09\n"
                         "     5.160850000000E+05\n";

std::string Relabel(std::string record, const std::string& code) {
    return record.replace(0, 3, code);
}

// The record with line `line` (0-based) replaced.
std::string WithLine(const std::string& record, int line, const std::string& text) {
    std::istringstream in(record);
    std::string out, l;
    for (int k = 0; std::getline(in, l); ++k)
        out += (k == line ? text : l) + "\n";
    return out;
}

int CountLines(const std::string& text, char first) {
    std::istringstream in(text);
    std::string line;
    int n = 0;
    bool body = false;
    while (std::getline(in, line)) {
        if (body && !line.empty() && line[0] == first)
            ++n;
        body = body || line.find("END OF HEADER") != std::string::npos;
    }
    return n;
}

size_t BodyLines(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    size_t n = 0;
    bool body = false;
    while (std::getline(in, line)) {
        n += body && !line.empty();
        body = body || line.find("END OF HEADER") != std::string::npos;
    }
    return n;
}

int CountOf(const NavigationFile& f, GnssSystem system) {
    int n = 0;
    for (const KeplerEphemeris& k : f.kepler)
        n += k.satellite.system == system;
    if (system == GnssSystem::Glonass)
        n += static_cast<int>(f.glonass.size());
    return n;
}

} // namespace

TEST(RinexNav, ReadsTheBundledFilesOfEverySystemAndVersion) {
    struct Case {
        std::string path;
        GnssSystem system;
        char recordLetter; // what starts each record's first line
        int major;
        int leap; // -1: the header gives none
    } const cases[] = {
        {"multignss/OPEC00NOR_S_20220010000_01D_GN.rnx", GnssSystem::Gps, 'G', 3, 18},
        {"multignss/OPEC00NOR_S_20220010000_01D_RN.rnx", GnssSystem::Glonass, 'R', 3, 18},
        {"multignss/OPEC00NOR_S_20220010000_01D_EN.rnx", GnssSystem::Galileo, 'E', 3, -1},
        {"multignss/OPEC00NOR_S_20220010000_01D_CN.rnx", GnssSystem::BeiDou, 'C', 3, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const NavigationFile f = ReadNavigationFile(kData + c.path);
        ASSERT_TRUE(f.ok);
        EXPECT_EQ(f.majorVersion, c.major);
        EXPECT_EQ(f.leapSeconds.current, c.leap);
        EXPECT_EQ(CountOf(f, c.system), CountLines(Slurp(kData + c.path), c.recordLetter));
        EXPECT_EQ(f.skipped, 0);
        EXPECT_EQ(f.ignored, 0);
        // This station writes BeiDou angles in semicircles (inclinations of 0.30 where RINEX has 0.96
        // rad); the reader converts them and says so.
        if (c.system == GnssSystem::BeiDou)
            EXPECT_EQ(f.warnings,
                      std::vector<std::string>{f.name + ": the BeiDou records give their angles in "
                                                        "semicircles, not radians; they are read as such"});
        else
            EXPECT_TRUE(f.warnings.empty());
    }
    // RINEX 2: records are counted by their lines (8 per GPS record, 4 per GLONASS record).
    const NavigationFile gps = ReadNavigationFile(kData + "orbits/brdc2230.25n");
    ASSERT_TRUE(gps.ok);
    EXPECT_EQ(gps.majorVersion, 2);
    EXPECT_EQ(gps.leapSeconds.current, 18);
    EXPECT_EQ(gps.kepler.size(), 405u);
    EXPECT_TRUE(gps.warnings.empty());
    const NavigationFile glonass = ReadNavigationFile(kData + "orbits/brdc0130_0000-0600.22g");
    ASSERT_TRUE(glonass.ok);
    EXPECT_EQ(glonass.glonass.size(), BodyLines(Slurp(kData + "orbits/brdc0130_0000-0600.22g")) / 4);
    EXPECT_TRUE(glonass.warnings.empty());
    // RINEX 2.12 Galileo (type E): 8 lines a record; F/NAV told from the data sources.
    const NavigationFile galileo = ReadNavigationFile(kData + "navformats/ceda2100.18e");
    ASSERT_TRUE(galileo.ok) << galileo.errors.front();
    EXPECT_EQ(galileo.majorVersion, 2);
    EXPECT_EQ(CountOf(galileo, GnssSystem::Galileo), 29);
    EXPECT_EQ(galileo.kepler.size(), BodyLines(Slurp(kData + "navformats/ceda2100.18e")) / 8);
    EXPECT_EQ(std::count_if(galileo.kepler.begin(), galileo.kepler.end(),
                            [](const KeplerEphemeris& k) { return k.message == NavMessage::Fnav; }),
              8);
    EXPECT_TRUE(galileo.warnings.empty());
    EXPECT_TRUE(LooksLikeNavigationFile(Slurp(kData + "navformats/ceda2100.18e")));
    // GLONASS slot 2 of the 2.01 file: channel -4, position in metres.
    for (const GlonassEphemeris& g : glonass.glonass)
        if (g.satellite.number == 2) {
            EXPECT_EQ(g.channel, -4);
            EXPECT_NEAR(g.position[0], -25030716.7969, 1e-3);
            break;
        }
}

TEST(RinexNav, MixedFileKeepsEverySystemAndSkipsBadRecordsByLine) {
    const std::string header = Header("     3.05           N: GNSS NAV DATA    M: MIXED",
                                      HeaderLine("    18    18  2185     7GPS", "LEAP SECONDS"));
    // Lines: header 1-3; G30 4-11; J02 12-19; S20 20-23; R08 24-28 (with a 3.05 fifth line);
    // E31 29-36 with a bad number on 31; C26 37-38 cut short; a stray line 39; X01 40-43; G40 44-51.
    std::string text = header + kG30;
    std::string qzss = Relabel(kG30, "J02");
    text += qzss;
    text += Relabel(kR08, "S20");
    text += std::string(kR08) +
            "     0.000000000000E+00 0.000000000000E+00 0.000000000000E+00 0.000000000000E+00\n";
    text +=
        WithLine(kE31, 2, "     8.007511496544E-06 3.1837972346.9E-04 1.223385334015E-05 5.440634159088E+03");
    text += "C26 2022 01 01 00 00 00 7.999165682122E-04-5.281997061957E-12 0.000000000000E+00\n"
            "     1.000000000000E+00 5.318750000000E+01 1.248054104508E-09 3.505306588486E-01\n";
    text += "this line belongs to no record\n";
    text += Relabel(kR08, "X01");
    text += Relabel(kG30, "G40");
    const NavigationFile f = ParseNavigationFile(text, "mixed.rnx");
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.kepler.size(), 2u);
    EXPECT_EQ(f.kepler[0].satellite, (SatelliteId{GnssSystem::Gps, 30}));
    EXPECT_EQ(f.kepler[1].satellite, (SatelliteId{GnssSystem::Qzss, 2}));
    EXPECT_DOUBLE_EQ(f.kepler[0].fitHours, 4); // GPS: 0 in the record means four hours
    EXPECT_DOUBLE_EQ(f.kepler[1].fitHours, 2); // QZSS: the flag 0 means two
    ASSERT_EQ(f.glonass.size(), 1u);
    EXPECT_EQ(f.glonass[0].channel, 6);
    EXPECT_EQ(f.ignored, 1); // the SBAS record
    EXPECT_EQ(f.skipped, 4);
    const std::vector<std::string> expected = {
        "mixed.rnx line 31: \"3.1837972346.9E-04\" is not a number; record skipped",
        "mixed.rnx line 37: the record ends after 2 of its 8 lines; record skipped",
        "mixed.rnx line 39: unexpected \"this line belongs to no record\"; line skipped",
        "mixed.rnx line 40: \"X01\" is not a satellite; record skipped",
        "mixed.rnx line 44: G40 is beyond the satellites the program plans with; record skipped",
        "mixed.rnx: records the planner does not use were skipped: 1 SBAS",
    };
    EXPECT_EQ(f.warnings, expected);

    // Times: GPS toe 525600 s of week 2190; the GLONASS record's UTC 00:15 is GPS 00:15:18.
    EXPECT_DOUBLE_EQ(f.kepler[0].toeGps, 2190 * 604800.0 + 525600);
    EXPECT_DOUBLE_EQ(f.glonass[0].tbGps, 2190 * 604800.0 + 518400 + 900 + 18);
}

// Every ephemeris kind of RINEX 4, in file order: the legacy messages beside GPS CNAV and CNAV-2 and
// BeiDou B-CNAV1 to 3; what the planner does not use is counted in one line.
TEST(RinexNav, Version4ReadsEveryEphemerisKind) {
    // NavMessage's order; each record as "code message", healthy ones only (G04's CNAV-2 health 1
    // flags its L5 signal, not the satellite).
    const char* const names[] = {"LNAV", "INAV", "FNAV", "D1", "D2", "FDMA", "CNAV", "CNV1", "CNV2", "CNV3"};
    const std::pair<const char*, const char*> cases[] = {
        {"navformats/Example_GPS_Rinex400.n", "G01 LNAV,G01 LNAV,G01 CNAV,G01 CNAV,G04 CNV2,"},
        {"navformats/Example_Beidou_Rinex400.n",
         "C06 D1,C06 D1,C01 D2,C01 D2,C19 CNV1,C19 CNV1,C19 CNV2,C19 CNV2,C19 CNV3,C19 CNV3,"},
    };
    for (const auto& [path, records] : cases) {
        const NavigationFile f = ReadNavigationFile(kData + path);
        ASSERT_TRUE(f.ok);
        EXPECT_TRUE(f.warnings.empty()) << f.warnings.front();
        EXPECT_EQ(f.ignored, 0);
        std::string read;
        for (const KeplerEphemeris& k : f.kepler)
            if (k.healthy)
                read += SatelliteCode(k.satellite) + " " + names[static_cast<int>(k.message)] + ",";
        EXPECT_EQ(read, records);
    }
    // CNAV: toe is the record's epoch (its orbit line 3 opens with the prediction time), and the
    // rates of the semi-major axis and of the mean motion are read.
    const NavigationFile gps = ReadNavigationFile(kData + "navformats/Example_GPS_Rinex400.n");
    ASSERT_EQ(gps.kepler.size(), 5u);
    EXPECT_DOUBLE_EQ(gps.kepler[2].toeGps, ScaleSeconds(2022, 10, 5, 1, 30, 0));
    EXPECT_DOUBLE_EQ(gps.kepler[2].aDot, -5.971431732178e-03);
    EXPECT_DOUBLE_EQ(gps.kepler[2].deltaNDot, 6.631309981839e-14);

    // Blocks of other kinds and SBAS ephemerides pass, counted by kind; I/NAV and F/NAV both read.
    std::string text =
        Header("     4.01           N: GNSS NAV DATA    M: MIXED", HeaderLine("    18", "LEAP SECONDS"));
    text += "> EPH G30 LNAV\n" + std::string(kG30);
    text += "> STO G30 LNAV\n    2022 01 01 00 00 00 GPUT\n     5.184000000000E+05 1.0E-09 0.0E+00 0.0E+00\n";
    text += "> EPH E31 FNAV\n" + std::string(kE31);
    text += "> EPH E31 INAV\n" + std::string(kE31);
    text += "> EPH R08 FDMA\n" + std::string(kR08) +
            "     0.000000000000E+00 0.000000000000E+00 0.000000000000E+00 0.000000000000E+00\n";
    text += "> ION GAL\n    2022 01 01 00 00 00 8.7750E+01 4.1797E-01-1.0742E-02\n";
    text += "> EPH S20 SBAS\n" + Relabel(kR08, "S20");
    text += "> STO E31 INAV\n    2022 01 01 00 00 00 GAGP\n     5.184000000000E+05 1.0E-09 0.0E+00 0.0E+00\n";
    const NavigationFile f = ParseNavigationFile(text, "v4.rnx");
    ASSERT_TRUE(f.ok) << (f.errors.empty() ? "" : f.errors[0]);
    EXPECT_EQ(f.warnings, std::vector<std::string>{
                              "v4.rnx: records the planner does not use were skipped: 2 STO, 1 ION, 1 SBAS"});
    EXPECT_EQ(f.ignored, 4);
    ASSERT_EQ(f.kepler.size(), 3u);
    EXPECT_EQ(f.kepler[1].message, NavMessage::Fnav);
    EXPECT_EQ(f.kepler[2].message, NavMessage::Inav);
    // The same health word: the E5a validity bit concerns F/NAV only.
    EXPECT_FALSE(f.kepler[1].healthy);
    EXPECT_TRUE(f.kepler[2].healthy);
    EXPECT_EQ(f.glonass.size(), 1u);

    // The F/NAV and I/NAV copies of one ephemeris are kept once, as I/NAV.
    BroadcastEphemerides set;
    set.Add(f);
    EXPECT_EQ(set.RecordCount(), 3);
    const int e31 = SatelliteCatalogue::Index({GnssSystem::Galileo, 31});
    ASSERT_NE(set.NearestKepler(e31, f.kepler[1].toeGps), nullptr);
    EXPECT_EQ(set.NearestKepler(e31, f.kepler[1].toeGps)->message, NavMessage::Inav);
}

// A record labelled with another satellite (an IGS merged file's mislabelled GLONASS slot: the
// satellite across the plane) is left out with its line, satellite and epoch; the rest is read.
// Against a majority the odd record goes; a lone pair at odds loses both, either may be wrong.
TEST(RinexNav, RecordsTheirNeighboursContradictAreLeftOut) {
    const std::string glonass = Slurp(kData + "orbits/brdc0130_0000-0600.22g");
    const std::string gps = Slurp(kData + "orbits/brdc2230.25n");
    // The file with the record starting `from` relabelled `to` (RINEX 2: the number in columns 1-2).
    auto relabel = [](std::string text, const std::string& from, const char* to) {
        const size_t at = text.find("\n" + from);
        return at == std::string::npos ? std::string() : text.replace(at + 1, 2, to);
    };
    // The header and the GLONASS records (four lines) starting with these, in this order.
    auto only = [](const std::string& text, const std::vector<std::string>& starts) {
        std::string out = text.substr(0, text.find('\n', text.find("END OF HEADER")) + 1);
        for (const std::string& start : starts) {
            size_t end = text.find("\n" + start) + 1;
            const size_t begin = end;
            for (int k = 0; k < 4; ++k)
                end = text.find('\n', end) + 1;
            out += text.substr(begin, end - begin);
        }
        return out;
    };
    struct Left {
        int line;
        const char* satellite;
        const char* epoch;
    };
    struct Case {
        const char* what;
        std::string text;
        size_t records; // read in all
        std::vector<Left> left;
    } const cases[] = {
        {"GLONASS slot 1 as 5",
         relabel(glonass, " 1 22  1 13  2 15", " 5"),
         276 - 1,
         {{376, "R05", "2022-01-13 02:15:00"}}},
        {"GPS PRN 3 as 7",
         relabel(gps, " 3 25  8 11  4  0", " 7"),
         405 - 1,
         {{529, "G07", "2025-08-11 04:00:00"}}},
        {"a lone pair",
         relabel(only(glonass, {" 1 22  1 13  0 15", " 5 22  1 13  0 45", " 2 22  1 13  0 15"}), " 5 22",
                 " 1"),
         1,
         {{8, "R01", "2022-01-13 00:15:00"}, {12, "R01", "2022-01-13 00:45:00"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.text.empty());
        const NavigationFile f = ParseNavigationFile(c.text, "merged");
        ASSERT_TRUE(f.ok);
        EXPECT_EQ(f.kepler.size() + f.glonass.size(), c.records);
        EXPECT_EQ(f.skipped, static_cast<int>(c.left.size()));
        ASSERT_EQ(f.warnings.size(), c.left.size());
        for (size_t k = 0; k < c.left.size(); ++k) {
            const std::string head = "merged line " + std::to_string(c.left[k].line) + ": the record of " +
                                     c.left[k].satellite + " for " + c.left[k].epoch + " lies ";
            ASSERT_EQ(f.warnings[k].substr(0, head.size()), head);
            const double km = std::stod(f.warnings[k].substr(head.size()));
            EXPECT_GT(km, 5000) << f.warnings[k];
            EXPECT_NE(f.warnings[k].find(
                          " km from where the satellite's neighbouring records put it; record skipped"),
                      std::string::npos)
                << f.warnings[k];
        }
    }
}

TEST(RinexNav, FilesWithoutUsableRecordsAreRefused) {
    const std::string nav3 = "     3.04           N: GNSS NAV DATA    G: GPS";
    struct Case {
        std::string text;
        std::string error;
    } const cases[] = {
        {"", "f.rnx: not a RINEX navigation file"},
        {Header("     3.04           OBSERVATION DATA    M"), "f.rnx: not a RINEX navigation file"},
        {Header("     5.00           N: GNSS NAV DATA    M"),
         "f.rnx: RINEX version 5.00 is not read (versions 2, 3 and 4 are)"},
        {HeaderLine(nav3, "RINEX VERSION / TYPE") + kG30, "f.rnx: the header has no END OF HEADER line"},
        {Header(nav3), "f.rnx: no usable navigation record (nothing loaded)"},
        {Header(nav3) + WithLine(kG30, 0, "G30 2022 13 01 02 00 00-5.035293288529E-04"),
         "f.rnx: no usable navigation record (nothing loaded)"},
        {Header(nav3) +
             WithLine(kG30, 2,
                      "    -4.135072231293E-07 5.383261595853E-03 8.381903171539E-06 5.153595811844E+05"),
         "f.rnx: no usable navigation record (nothing loaded)"},
        {Header(nav3) + Relabel(kR08, "S20"), "f.rnx: no usable navigation record (nothing loaded)"},
    };
    for (const Case& c : cases) {
        const NavigationFile f = ParseNavigationFile(c.text, "f.rnx");
        EXPECT_FALSE(f.ok);
        ASSERT_EQ(f.errors.size(), 1u) << c.text;
        EXPECT_EQ(f.errors[0], c.error);
        EXPECT_TRUE(f.kepler.empty() && f.glonass.empty());
    }
    // What was wrong with the records is said as well.
    const NavigationFile month = ParseNavigationFile(
        Header(nav3) + WithLine(kG30, 0, "G30 2022 13 01 02 00 00-5.035293288529E-04"), "f.rnx");
    EXPECT_EQ(month.warnings,
              std::vector<std::string>{
                  "f.rnx line 3: the time \"2022 13 01 02 00 00\" is not a date and time; record skipped"});
    const NavigationFile orbit = ParseNavigationFile(
        Header(nav3) +
            WithLine(kG30, 2,
                     "    -4.135072231293E-07 5.383261595853E-03 8.381903171539E-06 5.153595811844E+05"),
        "f.rnx");
    EXPECT_EQ(orbit.warnings,
              std::vector<std::string>{"f.rnx line 3: the orbit of G30 is not one a navigation "
                                       "satellite flies; record skipped"});

    for (const auto& [path, why] :
         {std::pair<std::string, std::string>{kData + "no such file.rnx", "cannot open the file"},
          {kData, "a directory, not a navigation file"}}) {
        const NavigationFile unread = ReadNavigationFile(path);
        EXPECT_FALSE(unread.ok);
        ASSERT_EQ(unread.errors.size(), 1u);
        EXPECT_EQ(unread.errors[0], path + ": " + why);
    }
}

// Writers that leave the empty last line of a GPS record out are read all the same.
TEST(RinexNav, KeplerRecordsWithoutTheirLastLine) {
    std::string g30 = kG30;
    g30.erase(g30.rfind("     5.184180000000E+05"));
    const std::string header = Header("     3.04           N: GNSS NAV DATA    G: GPS");
    const NavigationFile f = ParseNavigationFile(header + g30 + g30, "f.rnx");
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.kepler.size(), 2u);
    EXPECT_DOUBLE_EQ(f.kepler[0].fitHours, 4);
    EXPECT_TRUE(f.warnings.empty());
    // Six lines are too few.
    g30.erase(g30.rfind("     2.000000000000E+00"));
    const NavigationFile cut = ParseNavigationFile(header + g30 + kG30, "f.rnx");
    ASSERT_TRUE(cut.ok);
    EXPECT_EQ(cut.kepler.size(), 1u);
    EXPECT_EQ(cut.warnings, std::vector<std::string>{
                                "f.rnx line 3: the record ends after 6 of its 8 lines; record skipped"});
}

TEST(RinexNav, ManyBadRecordsAreCountedNotAllListed) {
    std::string text = Header("     3.04           N: GNSS NAV DATA    G: GPS") + kG30;
    for (int k = 0; k < 120; ++k)
        text += "G30 2022 01 01 02 00\n"; // each a record cut short
    const NavigationFile f = ParseNavigationFile(text, "f.rnx");
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.skipped, 120);
    ASSERT_EQ(f.warnings.size(), static_cast<size_t>(kMaxNavigationWarnings) + 1);
    EXPECT_EQ(f.warnings.back(), "f.rnx: 70 more records skipped");
}

TEST(RinexNav, LeapSecondsOfTheHeader) {
    auto leap = [](const std::string& line) {
        const std::string text =
            Header("     3.04           N: GNSS NAV DATA    M: MIXED", HeaderLine(line, "LEAP SECONDS")) +
            kG30;
        return ParseNavigationFile(text, "f.rnx");
    };
    EXPECT_EQ(leap("    18    18  2185     7GPS").leapSeconds.current, 18);
    EXPECT_EQ(leap("    18    18  2185     7GPS").leapSeconds.future, -1);
    // BeiDou counts from its own time, 14 s behind GPS time.
    EXPECT_EQ(leap("     4     4   829     7BDS").leapSeconds.current, 18);
    // An announced leap second takes over at the end of the day it names.
    const LeapSeconds next = leap("    18    19  2400     7GPS").leapSeconds;
    const double at = 2400 * 604800.0 + 7 * 86400.0 - 18; // UTC
    EXPECT_EQ(GpsMinusUtc(next, at - 1), 18);
    EXPECT_EQ(GpsMinusUtc(next, at + 1), 19);
    // Unreadable: said, and the table is used.
    const NavigationFile bad = leap("    xx");
    EXPECT_FALSE(bad.leapSeconds.known());
    EXPECT_EQ(bad.warnings,
              std::vector<std::string>{
                  "f.rnx line 2: the leap seconds cannot be read; the program's own table is used"});
}

TEST(RinexNav, RecognisesNavigationFilesByTheirFirstLine) {
    EXPECT_TRUE(LooksLikeNavigationFile(Slurp(kData + "multignss/OPEC00NOR_S_20220010000_01D_GN.rnx")));
    EXPECT_TRUE(LooksLikeNavigationFile(Slurp(kData + "orbits/brdc0130_0000-0600.22g")));
    EXPECT_FALSE(LooksLikeNavigationFile(Header("     3.04           OBSERVATION DATA    M")));
    EXPECT_FALSE(LooksLikeNavigationFile("\x01\x02 binary almanac"));
}
