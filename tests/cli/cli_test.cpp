// Runs the real tavrin-cli and checks what a user or a script sees.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "../sites/sitelist_fixture.h"
#include "cli_fixture.h"

namespace fs = std::filesystem;

namespace {

using namespace cli_fixture;

class Cli : public CliRun {};

int CountMatches(const std::string& text, const std::string& pattern) {
    const std::regex re(pattern);
    return static_cast<int>(
        std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

} // namespace

TEST_F(Cli, DefaultsPlanTheWholeDayAsADopTable) {
    const Outcome r = Tavrin("plan --systems gps");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("GEOMETRIC DILUTION OF PRECISION"), std::string::npos);
    EXPECT_NE(r.out.find("Site name:"), std::string::npos);
    // 00:00 to 24:00 at 15 minutes: 97 rows, the last labelled 00:00 again
    EXPECT_EQ(CountMatches(r.out, R"((^|\n)\d\d:\d\d    )"), 97);
    EXPECT_NE(r.out.find("\n23:45"), std::string::npos);
    EXPECT_TRUE(r.err.empty()) << r.err; // the bundled almanac is planned on its own date: no age warning
}

TEST_F(Cli, HelpAndVersion) {
    Outcome r = Tavrin("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("time,seconds,pdop,gdop,hdop,vdop,tdop,satellites,solution"), std::string::npos);
    r = Tavrin("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("tavrin-cli 1.0.0"), std::string::npos);
    r = Tavrin("");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("tavrin-cli help COMMAND"), std::string::npos);
}

TEST_F(Cli, CsvCarriesEverySampleAndSatellite) {
    Outcome r = Tavrin("plan --format csv --step 5");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1u + 289u);
    EXPECT_EQ(lines[0], "time,seconds,pdop,gdop,hdop,vdop,tdop,satellites,solution");
    EXPECT_EQ(Fields(lines[1]).size(), 9u);
    EXPECT_EQ(Fields(lines[1])[0], "00:00");
    EXPECT_EQ(Fields(lines.back())[1], "86400");
    int solutions = 0;
    for (size_t i = 1; i < lines.size(); ++i)
        solutions += Fields(lines[i])[8] == "1";
    EXPECT_GT(solutions, 250); // a real almanac gives a solution nearly all day

    r = Tavrin("plan --format csv --table visibility");
    ASSERT_EQ(r.status, 0) << r.err;
    lines = Lines(r.out);
    EXPECT_EQ(lines[0], "time,seconds,system,number,azimuth,elevation,visible");
    // every satellite with an almanac at each of the 97 samples
    ASSERT_EQ((lines.size() - 1) % 97, 0u);
    const size_t satellites = (lines.size() - 1) / 97;
    EXPECT_GE(satellites, 24u);
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = Fields(lines[i]);
        ASSERT_EQ(f.size(), 7u) << lines[i];
        const double el = std::stod(f[5]);
        ASSERT_GE(el, -90.0);
        ASSERT_LE(el, 90.0);
        if (f[6] == "1") {
            ASSERT_GT(el, 15.0) << lines[i]; // the default cut-off
        }
    }
}

TEST_F(Cli, JsonHoldsTheSamplesAndTheSky) {
    const Outcome r = Tavrin("plan --format json --table both --from 22:00 --to 02:00");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(CountMatches(r.out, "\"pdop\""), 17);
    EXPECT_EQ(CountMatches(r.out, "\"sky\""), 17);
    EXPECT_NE(r.out.find("\"time\": \"22:00\""), std::string::npos);
    EXPECT_NE(r.out.find("\"time\": \"02:00\""), std::string::npos);
    EXPECT_NE(r.out.find("\"seconds\": 93600"), std::string::npos);
}

TEST_F(Cli, OptionsChangeThePlan) {
    // 2-D: HDOP and VDOP are zero everywhere
    Outcome r = Tavrin("plan --format csv --mode 2d");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& l : Lines(r.out))
        if (l.rfind("time", 0) != 0) {
            EXPECT_EQ(Fields(l)[4], "0.000");
            EXPECT_EQ(Fields(l)[5], "0.000");
        }
    // a cut-off of 89 degrees leaves no solution
    r = Tavrin("plan --format csv --cutoff 89");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(CountMatches(r.out, R"(,1\n)"), 0);
    // GPS only, one satellite left out
    r = Tavrin("plan --format csv --table visibility --systems gps --exclude G05");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(CountMatches(r.out, ",GLONASS,"), 0);
    EXPECT_EQ(CountMatches(r.out, R"(,GPS,5,[^\n]*,1\n)"), 0);
    // an ad-hoc site on the equator with its GMT offset
    r = Tavrin("plan --at 0,0,0 --gmt-offset 3 --format json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"gmtOffset\": 3.00"), std::string::npos);
    // obstructions off: at least as many satellites at every sample
    const Outcome with = Tavrin("plan --format csv");
    const Outcome without = Tavrin("plan --format csv --no-obstructions");
    const std::vector<std::string> a = Lines(with.out), b = Lines(without.out);
    ASSERT_EQ(a.size(), b.size());
    bool more = false;
    for (size_t i = 1; i < a.size(); ++i) {
        EXPECT_GE(std::stoi(Fields(b[i])[7]), std::stoi(Fields(a[i])[7]));
        more |= std::stoi(Fields(b[i])[7]) > std::stoi(Fields(a[i])[7]);
    }
    EXPECT_TRUE(more); // the sample list's current site has obstructions
}

TEST_F(Cli, PagesFollowWidthAndLines) {
    const Outcome narrow = Tavrin("plan --table visibility --width 80 --lines 40");
    const Outcome wide = Tavrin("plan --table visibility --width 200 --lines 40");
    ASSERT_EQ(narrow.status, 0) << narrow.err;
    ASSERT_EQ(wide.status, 0) << wide.err;
    EXPECT_GT(CountMatches(narrow.out, "\f"), CountMatches(wide.out, "\f"));
    for (const std::string& l : Lines(narrow.out))
        EXPECT_LE(l.size(), 80u) << l;
}

TEST_F(Cli, OutputFileIsWrittenOnlyOnSuccess) {
    const fs::path file = dir_ / "plan.txt";
    Outcome r = Tavrin("plan -o '" + file.string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(ReadFile(file).find("GEOMETRIC DILUTION"), std::string::npos);
    const fs::path other = dir_ / "other.txt";
    r = Tavrin("plan --date 2025-02-30 -o '" + other.string() + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(fs::exists(other));
}

TEST_F(Cli, ErrorsNameTheInputAndSetTheStatus) {
    std::ofstream(dir_ / "junk.spl") << "not a site list at all";
    struct Case {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"plan --bogus", 2, "--bogus"},
        {"plan --dat 2025-08-11", 2, "did you mean --date?"},
        {"plan --date 2025-13-01", 2, "--date"},
        {"plan --from 25:00", 2, "--from"},
        {"plan --from 8:0", 2, "--from"},
        {"plan --to 123:00", 2, "--to"},
        {"plan --step 7", 2, "--step"},
        {"plan --max-pdop 3", 2, "it is an option of windows"},
        {"plan --cutoff 90", 2, "--cutoff"},
        {"plan --systems galileo,glonas", 2, "--systems"},
        {"plan --exclude X01", 2, "X01"},
        {"plan --table pie", 2, "--table"},
        {"plan --gmt-offset 2", 2, "--gmt-offset"},
        {"plan --sites /nonexistent.spl", 3, "/nonexistent.spl"},
        {"plan --sites '" + (dir_ / "junk.spl").string() + "'", 3, "junk.spl"},
        {"plan --site 'Nowhere at all'", 3, "its sites are Greenwich, Boulder, Sydney Observatory"},
        {"plan --site 99", 3, "99"},
        {"plan --almanac '" + (dir_ / "junk.spl").string() + "'", 3, "junk.spl"},
        {"plan --almanac '" + dir_.string() + "'", 3, dir_.string()},
        {"frobnicate", 2, "frobnicate"},
    };
    for (const Case& c : cases) {
        const Outcome r = Tavrin(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
    // A site named in another letter case is the one site of that name.
    EXPECT_EQ(Tavrin("plan --systems gps --site BOULDER --to 01:00").out,
              Tavrin("plan --systems gps --site Boulder --to 01:00").out);
    // An hour of one digit is read as people write it.
    EXPECT_EQ(Tavrin("plan --systems gps --from 8:00 --to 9:30").out,
              Tavrin("plan --systems gps --from 08:00 --to 09:30").out);
}

TEST_F(Cli, SitesAndAlmanacListings) {
    Outcome r = Tavrin("sites --format json " + Bundled("sites/sample.spl"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_GE(CountMatches(r.out, "\"name\""), 5);
    EXPECT_NE(r.out.find("\"obstructions\": 2"), std::string::npos);
    r = Tavrin("almanac " + Bundled("almanacs/alm25.223"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("2025-08-11"), std::string::npos);
    EXPECT_NE(r.out.find("GPS: 31 satellites"), std::string::npos);
    EXPECT_NE(r.out.find("G20  no almanac"), std::string::npos);
}

TEST_F(Cli, AgeWarningGoesToStandardErrorAndPlanningGoesOn) {
    const Outcome r = Tavrin("plan --date 2026-01-01 --format csv --systems gps");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("more than 60 days from the date"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("GPS: almanac alm25.223 of 2025-08-11, 142 days old"), std::string::npos) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 98u);
}

TEST_F(Cli, SitesByNameOrPositionAndTheOldFormat) {
    const std::string sample = Bundled("sites/sample.spl");
    const Outcome byName = Tavrin("plan --format json --sites " + sample + " --site Boulder");
    const Outcome byPosition = Tavrin("plan --format json --sites " + sample + " --site 2");
    ASSERT_EQ(byName.status, 0) << byName.err;
    EXPECT_NE(byName.out.find("\"name\": \"Boulder\""), std::string::npos);
    EXPECT_EQ(byName.out, byPosition.out);

    const Outcome fine = Tavrin("plan --format csv --step 5 --from 06:00 --to 07:00");
    ASSERT_EQ(fine.status, 0) << fine.err;
    EXPECT_EQ(Lines(fine.out).size(), 1u + 13u); // 06:00 to 07:00 in steps of five minutes

    fixture::OldSite site;
    site.outlines = {{0, {{90, 0}, {100, 20}, {100, 0}}}};
    const fs::path old = dir_ / "old.spl";
    fixture::WriteFile(old.string(), fixture::OldFile({{"Old Site", 0}}, {fixture::OldRecord(site)}));
    const Outcome listed = Tavrin("sites '" + old.string() + "'");
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("Old Site"), std::string::npos);
    const Outcome planned = Tavrin("plan --sites '" + old.string() + "' --table visibility");
    ASSERT_EQ(planned.status, 0) << planned.err;
    EXPECT_NE(planned.out.find("Latitude :  45\xC2\xB0 30' 15.01\" N"), std::string::npos);
    // A change would rewrite it in a format older programs cannot read: only when asked to.
    const std::string bytes = ReadFile(old), add = "sites add '" + old.string() + "' --name New --at 1,1";
    EXPECT_EQ(Tavrin(add).status, 3);
    EXPECT_EQ(ReadFile(old), bytes);
    EXPECT_EQ(Tavrin(add + " --convert").status, 0);
    EXPECT_NE(Tavrin("sites '" + old.string() + "'").out.find("Old Site"), std::string::npos);
}

#ifdef TAVRIN_CLI_GRAPHS
TEST_F(Cli, GraphsAndPdfWithoutADisplay) {
    const fs::path graphs = dir_ / "graphs", pdf = dir_ / "day.pdf";
    const Outcome r =
        Tavrin("plan --systems gps --graphs '" + graphs.string() + "' --pdf '" + pdf.string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty()); // graphs alone: no table on standard output
    EXPECT_TRUE(r.err.empty()) << r.err;
    for (const char* name : {"visibility", "sky", "dop"}) {
        EXPECT_EQ(ReadFile(graphs / (std::string(name) + ".png")).substr(1, 3), "PNG") << name;
        EXPECT_NE(ReadFile(graphs / (std::string(name) + ".svg")).find("<svg"), std::string::npos) << name;
    }
    const std::string document = ReadFile(pdf);
    EXPECT_EQ(document.substr(0, 5), "%PDF-");
    // three graph pages and at least one page of each table
    EXPECT_GE(CountMatches(document, R"(/Type\s*/Page[^s])"), 5);

    const Outcome both = Tavrin("plan --table dop --graphs '" + graphs.string() + "'");
    ASSERT_EQ(both.status, 0) << both.err;
    EXPECT_NE(both.out.find("GEOMETRIC DILUTION"), std::string::npos);

    const fs::path blocked = dir_ / "file";
    std::ofstream(blocked) << "x";
    const Outcome failed = Tavrin("plan --systems gps --graphs '" + (blocked / "sub").string() + "' -o '" +
                                  (dir_ / "t.txt").string() + "'");
    EXPECT_EQ(failed.status, 1);
    EXPECT_FALSE(fs::exists(dir_ / "t.txt"));
    EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1) << failed.err;
}
#endif

TEST_F(Cli, GarbageOfAnAlmanacsLengthIsRefused) {
    // 3200 bytes that hold not one valid satellite record
    std::string random(3200, '\0');
    uint32_t x = 2463534242u;
    for (char& c : random) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = static_cast<char>(x);
    }
    const fs::path alm = dir_ / "alm25.100";
    std::ofstream(alm, std::ios::binary) << random;
    for (const std::string& args :
         {"almanac '" + alm.string() + "'", "plan --almanac '" + alm.string() + "'"}) {
        const Outcome r = Tavrin(args);
        EXPECT_EQ(r.status, 3) << args;
        EXPECT_NE(r.err.find("no valid satellite record"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(r.out.empty()) << args;
    }
}

TEST_F(Cli, OutputGoesThroughLinksAndIntoDevicesWithoutReplacingThem) {
    const fs::path real = dir_ / "real.txt", link = dir_ / "link.txt";
    std::ofstream(real) << "old";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, link);
    Outcome r = Tavrin("plan -o '" + link.string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadFile(real).find("GEOMETRIC DILUTION"), std::string::npos);
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    r = Tavrin("plan -o /dev/null");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    r = Tavrin("plan -o /dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("/dev/full"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2); // link and real: no temporary left
}

TEST_F(Cli, SiteNamesAreReadInTheChosenCodePage) {
    using namespace fixture;
    const fs::path list = dir_ / "cyr.spl";
    std::ofstream(list, std::ios::binary) << NewFile(
        0, {NewSite("\xCC\xEE\xF1\xEA\xE2\xE0", "\xCF\xF3\xEB\xEA\xEE\xE2\xEE", 55.75, 37.62, 150, 3)});
    Outcome r = Tavrin("sites '" + list.string() + "' --format json --codepage 1251");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"name\": \"Москва\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"description\": \"Пулково\""), std::string::npos) << r.out;
    r = Tavrin("sites '" + list.string() + "' --format json"); // Windows-1252 by default
    EXPECT_NE(r.out.find("\"name\": \"Ìîñêâà\""), std::string::npos) << r.out;
    r = Tavrin("plan --sites '" + list.string() + "' --site Москва --codepage 1251 --to 01:00");
    EXPECT_EQ(r.status, 0) << r.err;
    r = Tavrin("sites '" + list.string() + "' --codepage 437");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--codepage"), std::string::npos) << r.err;
}

TEST_F(Cli, ImportDatesA10BitWeekNoLaterThanToday) {
    // A YUMA almanac of GPS week 1900 (2016-06-05), published with the week modulo 1024.
    std::ofstream(dir_ / "old.alm") << kYumaWeek876;
    Outcome r = Tavrin("almanac import '" + (dir_ / "old.alm").string() + "' --dir '" + dir_.string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("alm16.157"), std::string::npos) << r.out; // 5 June 2016, not 2036
    r = Tavrin("almanac import '" + (dir_ / "old.alm").string() + "' --dir '" + dir_.string() +
               "' --near 2036-01-01");
    EXPECT_NE(r.out.find("alm36."), std::string::npos) << r.out; // asked for: the later era
}

TEST_F(Cli, SitesWithBadValuesAreNamedAndCannotBePlanned) {
    using namespace fixture;
    const fs::path list = dir_ / "bad.spl";
    std::ofstream(list, std::ios::binary) << NewFile(0, {NewSite("Good", "", 47.37, 8.54, 408, 1),
                                                         NewSite("Broken", "", std::nan(""), 8.0, 400, 1),
                                                         NewSite("Far", "", 1e300, 8.0, 400, 1)});
    Outcome r = Tavrin("sites '" + list.string() + "' --format json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"latitude\": null"), std::string::npos) << r.out; // not "nan", which is no JSON
    EXPECT_EQ(r.out.find("nan"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("site 2 \"Broken\": latitude nan"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("site 3 \"Far\": latitude 1e+300"), std::string::npos) << r.err;
    r = Tavrin("plan --sites '" + list.string() + "' --site Broken --format json");
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_NE(r.err.find("site \"Broken\" cannot be planned: latitude nan"), std::string::npos) << r.err;
    r = Tavrin("plan --sites '" + list.string() + "' --site Good --to 01:00"); // the rest is usable
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("GEOMETRIC DILUTION"), std::string::npos);
}

TEST_F(Cli, OutputAndInputProblemsAreNamedWithTheirReason) {
    // Pages too short for one row: an error, not a table of headings (the heading takes over 22 lines).
    for (const char* lines : {"10", "22"}) {
        const Outcome r = Tavrin(std::string("plan --lines ") + lines);
        EXPECT_EQ(r.status, 2) << lines;
        EXPECT_NE(r.err.find("--lines"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    const Outcome enough = Tavrin("plan --lines 30");
    EXPECT_EQ(enough.status, 0);
    EXPECT_NE(enough.out.find("\n00:00 "), std::string::npos);
    // A full device for standard output: status 1 and the reason, for a plan and for --help.
    for (const char* args : {"plan --date almanac", "--help"}) {
        const std::string command =
            std::string("'") + TAVRIN_CLI + "' " + args + " >/dev/full 2>'" + (dir_ / "err").string() + "'";
        const int raw = std::system(command.c_str());
        const std::string err = ReadFile(dir_ / "err");
        EXPECT_EQ(WEXITSTATUS(raw), 1) << args;
        EXPECT_NE(err.find("standard output: cannot be written (No space left on device)"), std::string::npos)
            << args << ": " << err;
    }
    // A device or a directory given as a file, and a name that is not UTF-8.
    Outcome r = Tavrin("plan --sites /dev/null");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("/dev/null: not a regular file"), std::string::npos) << r.err;
    r = Tavrin("plan --sites '" + dir_.string() + "'");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find(": a directory, not a file"), std::string::npos) << r.err;
    r = Tavrin("plan --sites '/nowhere/a\377\033[2Jb.spl'");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("/nowhere/a\\xFF\\x1B[2Jb.spl: no such file"), std::string::npos) << r.err;
}

TEST_F(Cli, AnAlmanacDatedBeyondTheCalendarIsPlannedToday) {
    // Every GPS record of week 7000 (year 2114): valid records, a date --date would refuse.
    std::string alm(2240, '\0');
    auto put = [&](size_t at, uint64_t v, int size) {
        for (int k = size - 1; k >= 0; --k, v >>= 8)
            alm[at + static_cast<size_t>(k)] = static_cast<char>(v & 0xFF);
    };
    auto f32 = [](float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return u;
    };
    auto f64 = [](double d) {
        uint64_t u;
        std::memcpy(&u, &d, 8);
        return u;
    };
    for (size_t k = 0; k < 32; ++k) {
        const size_t o = 70 * k;
        put(o + 0, f32(0.01f), 4);
        put(o + 4, 319488, 4);
        put(o + 8, f32(0.3f), 4);
        put(o + 12, f32(-2.5e-9f), 4);
        put(o + 18, f64(5153.6), 8);
        put(o + 26, f64(0.1 * static_cast<double>(k % 10)), 8);
        put(o + 60, 7000 % 256, 2);
        put(o + 62, 7000, 2);
    }
    const fs::path path = dir_ / "alm14.1";
    std::ofstream(path, std::ios::binary) << alm;
    const Outcome r = Tavrin("plan --almanac '" + path.string() + "' --format json --to 01:00 --allow-old");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::regex date("\"date\": \"(\\d{4})-");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, date)) << r.out.substr(0, 400);
    EXPECT_LE(std::stoi(m[1]), 2099);
    EXPECT_GE(std::stoi(m[1]), 2026);
}
