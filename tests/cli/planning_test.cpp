// plan over several days and sites, and windows, checked against the single-day plan of the same
// program: its CSV rows are the independent answer, scanned here by brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <regex>
#include <set>

#include "../sites/sitelist_fixture.h"
#include "cli_fixture.h"
#include "engine/satellitecatalogue.h"

using namespace cli_fixture;

namespace {

class Planning : public CliRun {};

struct Span {
    int start, end; // seconds
    bool operator==(const Span& o) const { return start == o.start && end == o.end; }
};

std::ostream& operator<<(std::ostream& out, const Span& s) {
    return out << s.start << "-" << s.end;
}

// Every [i, j] whose samples all pass and whose neighbours do not, by trying every pair.
std::vector<Span> BruteForceRuns(const std::vector<int>& seconds, const std::vector<bool>& ok,
                                 int minLength) {
    std::vector<Span> runs;
    const int n = static_cast<int>(ok.size());
    for (int i = 0; i < n; ++i)
        for (int j = i; j < n; ++j) {
            bool all = true;
            for (int k = i; k <= j; ++k)
                all = all && ok[static_cast<size_t>(k)];
            const bool closed = (i == 0 || !ok[static_cast<size_t>(i - 1)]) &&
                                (j == n - 1 || !ok[static_cast<size_t>(j + 1)]);
            if (all && closed &&
                seconds[static_cast<size_t>(j)] - seconds[static_cast<size_t>(i)] >= minLength)
                runs.push_back({seconds[static_cast<size_t>(i)], seconds[static_cast<size_t>(j)]});
        }
    return runs;
}

// start_seconds and end_seconds of a windows CSV, in its order.
std::vector<Span> WindowSpans(const std::string& csv) {
    std::vector<Span> spans;
    const std::vector<std::string> lines = Lines(csv);
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = Fields(lines[i]);
        spans.push_back({std::stoi(f.at(2)), std::stoi(f.at(3))});
    }
    return spans;
}

struct DopRow {
    int seconds;
    double pdop;
    int satellites, solution;
};

std::vector<DopRow> DopRows(const std::string& csv) {
    std::vector<DopRow> rows;
    for (const std::string& l : Lines(csv)) {
        const std::vector<std::string> f = Fields(l);
        if (f.size() != 9 || f[0] == "time")
            continue;
        rows.push_back({std::stoi(f[1]), std::stod(f[2]), std::stoi(f[7]), std::stoi(f[8])});
    }
    return rows;
}

std::string SampleList() {
    return cli_fixture::Bundled("sites/sample.spl");
}

} // namespace

TEST_F(Planning, DaysMakeOneSeriesThatJoinsTheSingleDays) {
    const Outcome two = Tavrin("plan --format csv --days 2 --date 2025-08-11");
    const Outcome first = Tavrin("plan --format csv --date 2025-08-11");
    const Outcome second = Tavrin("plan --format csv --date 2025-08-12");
    ASSERT_EQ(two.status, 0) << two.err;
    const std::vector<std::string> a = Lines(two.out), d1 = Lines(first.out), d2 = Lines(second.out);
    ASSERT_EQ(a.size(), 1u + 2 * 96 + 1);
    ASSERT_EQ(d1.size(), 98u);
    EXPECT_EQ(a[0], d1[0]);
    for (size_t i = 0; i < 96; ++i) // the first day, up to 23:45
        EXPECT_EQ(a[1 + i], d1[1 + i]);
    for (size_t i = 0; i <= 96; ++i) { // the second day from its 00:00, its seconds from the first midnight
        std::vector<std::string> f = Fields(d2[1 + i]);
        f[1] = std::to_string(std::stoi(f[1]) + 86400);
        std::string joined;
        for (const std::string& x : f)
            joined += (joined.empty() ? "" : ",") + x;
        EXPECT_EQ(a[97 + i], joined);
    }

    // text: one table per day, each with its own date; JSON: one series
    const Outcome text = Tavrin("plan --days 2 --width 132 --lines 1000");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Date: 8/11/2025"), std::string::npos);
    EXPECT_NE(text.out.find("Date: 8/12/2025"), std::string::npos);
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\f'), 1);
    const Outcome json = Tavrin("plan --days 3 --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    const std::regex pdop("\"pdop\"");
    EXPECT_EQ(
        std::distance(std::sregex_iterator(json.out.begin(), json.out.end(), pdop), std::sregex_iterator()),
        3 * 96 + 1);
    EXPECT_NE(json.out.find("\"days\": 3"), std::string::npos);
    EXPECT_NE(json.out.find("\"seconds\": 259200"), std::string::npos);
}

TEST_F(Planning, AllSitesAndPositionsGiveOneStreamInOrder) {
    const Outcome all = Tavrin("plan --all-sites --format csv --sites " + SampleList());
    ASSERT_EQ(all.status, 0) << all.err;
    const std::vector<std::string> lines = Lines(all.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "site,time,seconds,pdop,gdop,hdop,vdop,tdop,satellites,solution");
    ASSERT_EQ(lines.size(), 1u + 8 * 97); // eight sites
    // each site's rows are its own plan, whichever worker computed them
    for (int site : {1, 3, 8}) {
        const Outcome own =
            Tavrin("plan --format csv --sites " + SampleList() + " --site " + std::to_string(site));
        const std::vector<std::string> o = Lines(own.out);
        ASSERT_EQ(o.size(), 98u);
        for (size_t i = 1; i < o.size(); ++i) {
            const std::string& row = lines[static_cast<size_t>(site - 1) * 97 + i];
            ASSERT_EQ(row.substr(row.find(',') + 1), o[i]) << site;
        }
    }
    EXPECT_EQ(lines[1].substr(0, 10), "Greenwich,");

    std::ofstream(dir_ / "points.csv")
        << "name,lat,lon,alt,gmt\nP1,48.2,16.37,180,1\n\"P, 2\",-33.5,151.25,0,10\n";
    const Outcome positions =
        Tavrin("plan --format json --positions '" + (dir_ / "points.csv").string() + "'");
    ASSERT_EQ(positions.status, 0) << positions.err;
    const std::vector<std::string> objects = Lines(positions.out);
    ASSERT_EQ(objects.size(), 2u); // JSON lines
    EXPECT_EQ(objects[0].rfind("{\"site\": {\"name\": \"P1\"", 0), 0u) << objects[0];
    EXPECT_EQ(objects[1].rfind("{\"site\": {\"name\": \"P, 2\"", 0), 0u) << objects[1];
    const Outcome adHoc = Tavrin("plan --format json --at -33.5,151.25,0 --gmt-offset 10");
    const std::regex number("\"pdop\": ([0-9.]+)");
    std::vector<std::string> a, b;
    for (auto it = std::sregex_iterator(objects[1].begin(), objects[1].end(), number);
         it != std::sregex_iterator(); ++it)
        a.push_back((*it)[1]);
    for (auto it = std::sregex_iterator(adHoc.out.begin(), adHoc.out.end(), number);
         it != std::sregex_iterator(); ++it)
        b.push_back((*it)[1]);
    EXPECT_EQ(a.size(), 97u);
    EXPECT_EQ(a, b);

    std::ofstream(dir_ / "bad.csv") << "P1,48.2,16.37\nP2,48.2\n";
    const Outcome bad = Tavrin("plan --positions '" + (dir_ / "bad.csv").string() + "'");
    EXPECT_EQ(bad.status, 3);
    EXPECT_NE(bad.err.find("bad.csv line 2"), std::string::npos) << bad.err;
    EXPECT_TRUE(bad.out.empty());
}

TEST_F(Planning, ManySitesStreamTheBytesOfOneSiteAtATime) {
    // Twelve sites, neighbours sometimes on one clock (they share a day's orbits), one with a ridge;
    // each also in a list of its own.
    std::string list = fixture::NewFile(0, {});
    std::vector<fs::path> own;
    for (int i = 0; i < 12; ++i) {
        const std::vector<fixture::Outline> ridge = {{{0, 90}, {30, 100}, {30, 140}, {0, 150}}};
        const std::string site = fixture::NewSite(
            "S" + std::to_string(i), "site " + std::to_string(i), -40 + 7.5 * i, -170 + 29 * i, 10 * i,
            static_cast<float>(i / 3 - 2), i == 4 ? ridge : std::vector<fixture::Outline>{});
        list += site;
        own.push_back(dir_ / ("own" + std::to_string(i) + ".spl"));
        std::ofstream(own.back(), std::ios::binary) << fixture::NewFile(0, {site});
    }
    std::ofstream(dir_ / "all.spl", std::ios::binary) << list;

    // Visibility at the 5-minute step makes blocks of a few sites, planned on both cores.
    enum class Join { Text, Csv, Json };
    struct Case {
        std::string options;
        Join join;
    } cases[] = {
        {"--format text --table both --step 5 --from 08:00 --to 10:00 --width 90 --lines 40", Join::Text},
        {"--format text", Join::Text},
        {"--format csv", Join::Csv},
        {"--format csv --table both --step 5", Join::Csv},
        {"--format json --table visibility --step 5 --from 08:00 --to 10:00", Join::Json},
        {"--format json", Join::Json},
    };
    const std::string visibilityHeading = "\n\nsite,time,seconds,system,";
    for (const Case& c : cases) {
        const std::string options = "plan " + c.options + " --days 2 --date 2025-08-11 --all-sites";
        const Outcome all = Tavrin(options + " --sites '" + (dir_ / "all.spl").string() + "'");
        ASSERT_EQ(all.status, 0) << c.options << "\n" << all.err;
        // Text pages joined by a form feed, JSON lines one after another, CSV under one heading
        // with the DOP rows of every site before the visibility rows of every site.
        std::string expected, visibility;
        for (const fs::path& one : own) {
            const Outcome r = Tavrin(options + " --sites '" + one.string() + "'");
            ASSERT_EQ(r.status, 0) << r.err;
            if (c.join != Join::Csv) {
                expected += (c.join == Join::Text && !expected.empty() ? "\f" : "") + r.out;
                continue;
            }
            const size_t split = r.out.find(visibilityHeading);
            const std::string dop = split == std::string::npos ? r.out : r.out.substr(0, split + 1);
            expected += expected.empty() ? dop : dop.substr(dop.find('\n') + 1);
            if (split != std::string::npos) {
                const std::string rows = r.out.substr(split + 2);
                visibility += visibility.empty() ? "\n" + rows : rows.substr(rows.find('\n') + 1);
            }
        }
        expected += visibility;
        EXPECT_TRUE(all.out == expected)
            << c.options << ": " << all.out.size() << " bytes against " << expected.size();
    }
}

TEST_F(Planning, AnOutputThatCannotBeWrittenFailsBeforeAnyComputing) {
    // --lines 10 fails only once the first table is made (status 2): an output refused first says
    // it was refused before.
    const fs::path kept = dir_ / "kept.txt", readOnly = dir_ / "read-only.txt";
    std::ofstream(kept) << "old";
    std::ofstream(readOnly) << "old";
    fs::permissions(readOnly, fs::perms::owner_read);
    struct Case {
        std::string output;
        int status;
        std::string message;
    } cases[] = {
        {dir_.string(), 1, dir_.string()},
        {(dir_ / "missing" / "plan.txt").string(), 1, "plan.txt"},
        {readOnly.string(), 1, "read-only.txt"},
        {kept.string(), 2, "--lines"}, // failing part-way: the old file stays
    };
    for (const Case& c : cases) {
        for (const char* command :
             {"plan --systems gps --all-sites --lines 10", "plan --systems gps --days 3 --lines 10"}) {
            const Outcome r = Tavrin(std::string(command) + " -o '" + c.output + "'");
            EXPECT_EQ(r.status, c.status) << command << " -o " << c.output << "\n" << r.err;
            EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    }
    EXPECT_EQ(ReadFile(kept), "old");
    EXPECT_EQ(ReadFile(readOnly), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2); // no temporary left
}

TEST_F(Planning, InputsLargerThanTheirLimitAreRefusedUnread) {
    // Sparse files just over 64 MB: a site list's signature, a position first.
    const fs::path list = dir_ / "huge.spl", positions = dir_ / "huge.csv";
    std::ofstream(list, std::ios::binary) << fixture::NewFile(0, {fixture::NewSite("A", "", 1, 2, 3, 0)});
    std::ofstream(positions) << "P1,48.2,16.37\n";
    for (const fs::path& p : {list, positions})
        fs::resize_file(p, (64u << 20) + 1);
    struct Case {
        std::string args, message;
    } cases[] = {
        {"plan --all-sites --sites '" + list.string() + "'",
         "huge.spl: too large for a site list (64.1 MB; at most 64 MB)"},
        {"windows --sites '" + list.string() + "'", "huge.spl: too large for a site list"},
        {"sites '" + list.string() + "'", "huge.spl: too large for a site list"},
        {"plan --positions '" + positions.string() + "'",
         "huge.csv: too large for a positions file (64.1 MB; at most 64 MB)"},
    };
    for (const Case& c : cases) {
        const Outcome r = Tavrin(c.args);
        EXPECT_EQ(r.status, 3) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST_F(Planning, WindowsOfOneSiteMatchABruteForceScanOfThePlan) {
    const Outcome plan = Tavrin("plan --format csv --days 2 --step 5");
    ASSERT_EQ(plan.status, 0) << plan.err;
    const std::vector<DopRow> rows = DopRows(plan.out);
    ASSERT_EQ(rows.size(), 2u * 288 + 1);
    std::vector<int> seconds;
    std::vector<bool> ok;
    for (const DopRow& r : rows) {
        const int time = r.seconds % 86400;
        seconds.push_back(r.seconds);
        ok.push_back(r.solution == 1 && r.pdop > 0 && r.pdop <= 2.2 && r.satellites >= 7 &&
                     time >= 7 * 3600 && time <= 18 * 3600);
    }
    const std::vector<Span> expected = BruteForceRuns(seconds, ok, 1800);
    ASSERT_GE(expected.size(), 2u); // the conditions leave some windows, not all of the day

    const Outcome w = Tavrin("windows --days 2 --step 5 --max-pdop 2.2 --min-sats 7 --from 07:00 --to 18:00 "
                             "--min-length 0:30 --sort time --format csv");
    ASSERT_EQ(w.status, 0) << w.err;
    EXPECT_EQ(WindowSpans(w.out), expected);
    // the figures of each window from the same rows
    const std::vector<std::string> lines = Lines(w.out);
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = Fields(lines[i]);
        double worst = 0;
        int fewest = 99;
        for (const DopRow& r : rows)
            if (r.seconds >= std::stoi(f[2]) && r.seconds <= std::stoi(f[3])) {
                worst = std::max(worst, r.pdop);
                fewest = std::min(fewest, r.satellites);
            }
        EXPECT_NEAR(std::stod(f[6]), worst, 0.0005) << lines[i];
        EXPECT_EQ(std::stoi(f[8]), fewest) << lines[i];
        EXPECT_EQ(std::stoi(f[5]), std::stoi(f[3]) - std::stoi(f[2]));
    }

    // longest first by default, in text with the same windows
    const Outcome text =
        Tavrin("windows --days 2 --step 5 --max-pdop 2.2 --min-sats 7 --from 07:00 --to 18:00 "
               "--min-length 0:30");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Observation windows of Sydney Observatory"), std::string::npos);
    EXPECT_NE(text.out.find("Windows found: " + std::to_string(expected.size()) + ", sorted by length."),
              std::string::npos);
    const Outcome json =
        Tavrin("windows --days 2 --step 5 --max-pdop 2.2 --min-sats 7 --from 07:00 --to 18:00 "
               "--min-length 0:30 --format json --sort pdop");
    ASSERT_EQ(json.status, 0) << json.err;
    const std::regex start("\"startSeconds\": ([0-9]+)");
    std::set<int> starts;
    for (auto it = std::sregex_iterator(json.out.begin(), json.out.end(), start);
         it != std::sregex_iterator(); ++it)
        starts.insert(std::stoi((*it)[1]));
    std::set<int> want;
    for (const Span& s : expected)
        want.insert(s.start);
    EXPECT_EQ(starts, want);
}

TEST_F(Planning, NetworkWindowsAreWhereBothSitesShareEnoughSatellites) {
    // Two pillars at one place, one with a ridge in the east, the other in the west: each sees most
    // of the sky, together they share less of it.
    const fixture::Outline east = {{0, 30}, {70, 30}, {70, 150}, {0, 150}};
    const fixture::Outline west = {{0, 210}, {70, 210}, {70, 330}, {0, 330}};
    fixture::WriteFile((dir_ / "net.spl").string(),
                       fixture::NewFile(0, {fixture::NewSite("East", "", 47.07, 15.44, 350, 1, {east}),
                                            fixture::NewSite("West", "", 47.07, 15.44, 350, 1, {west})}));
    const std::string list = "--sites '" + (dir_ / "net.spl").string() + "' ";

    const Outcome a = Tavrin("plan --format csv --table both --date 2025-08-11 " + list + "--site East");
    const Outcome b = Tavrin("plan --format csv --table both --date 2025-08-11 " + list + "--site West");
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    std::map<int, std::set<std::string>> visibleA, visibleB;
    for (auto [text, visible] : {std::pair{&a.out, &visibleA}, {&b.out, &visibleB}})
        for (const std::string& l : Lines(*text)) {
            const std::vector<std::string> f = Fields(l);
            if (f.size() == 7 && f[6] == "1")
                (*visible)[std::stoi(f[1])].insert(f[2] + f[3]);
        }
    const std::vector<DopRow> rowsA = DopRows(a.out), rowsB = DopRows(b.out);
    ASSERT_EQ(rowsA.size(), 97u);
    std::vector<int> seconds;
    std::vector<bool> okA, okB, together;
    for (size_t k = 0; k < rowsA.size(); ++k) {
        const int t = rowsA[k].seconds;
        const auto good = [](const DopRow& r) { return r.solution == 1 && r.pdop > 0 && r.satellites >= 5; };
        int common = 0;
        for (const std::string& s : visibleA[t])
            common += static_cast<int>(visibleB[t].count(s));
        seconds.push_back(t);
        okA.push_back(good(rowsA[k]));
        okB.push_back(good(rowsB[k]));
        together.push_back(good(rowsA[k]) && good(rowsB[k]) && common >= 5);
    }
    const Outcome w =
        Tavrin("windows --date 2025-08-11 --min-sats 5 --min-common 5 --sort time --format csv " + list +
               "--site East --site West");
    ASSERT_EQ(w.status, 0) << w.err;
    const std::vector<Span> expected = BruteForceRuns(seconds, together, 0);
    EXPECT_EQ(WindowSpans(w.out), expected);

    const auto total = [](const std::vector<Span>& spans) {
        int sum = 0;
        for (const Span& s : spans)
            sum += s.end - s.start;
        return sum;
    };
    const int ownA = total(BruteForceRuns(seconds, okA, 0)), ownB = total(BruteForceRuns(seconds, okB, 0));
    EXPECT_LT(total(expected), ownA);
    EXPECT_LT(total(expected), ownB);
    EXPECT_GT(total(expected), 0);

    // the text names both sites and lists the common satellites
    const Outcome text =
        Tavrin("windows --date 2025-08-11 --min-sats 5 --min-common 5 " + list + "--site East --site West");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Common observation windows of 2 sites: East, West"), std::string::npos);
    EXPECT_TRUE(std::regex_search(text.out, std::regex(R"(  [GR]\d\d [GR]\d\d)")));

    // more common satellites than any overlap holds: no window, a clear line, success
    const Outcome none = Tavrin("windows --min-common 40 " + list + "--site East --site West");
    EXPECT_EQ(none.status, 0);
    EXPECT_NE(none.out.find("No window meets the conditions."), std::string::npos);
    const Outcome noneCsv = Tavrin("windows --min-common 40 --format csv " + list + "--all-sites");
    EXPECT_EQ(noneCsv.status, 0);
    EXPECT_EQ(Lines(noneCsv.out).size(), 1u); // the heading only
    EXPECT_NE(noneCsv.err.find("No window meets the conditions."), std::string::npos);
}

TEST_F(Planning, BadValuesAreRefusedWithTheirOption) {
    struct Case {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"windows --max-pdop 0", 2, "--max-pdop"},
        {"windows --max-pdop abc", 2, "--max-pdop"},
        {"windows --min-sats " + std::to_string(SatelliteCatalogue::kSize + 1), 2, "--min-sats"},
        {"windows --min-common -1", 2, "--min-common"},
        {"windows --min-length 1:75", 2, "--min-length"},
        {"windows --min-length 90", 2, "--min-length"},
        {"windows --sort best", 2, "--sort"},
        {"windows --days 0", 2, "--days"},
        {"plan --days 32", 2, "--days"},
        {"plan --date 2099-12-31 --days 2", 2, "--days"},
        {"plan --all-sites --site Boulder", 2, "--all-sites"},
        {"plan --positions x.csv --at 1,2", 2, "--positions"},
        {"plan --all-sites --graphs out", 2, "--graphs"},
        {"plan --days 2 --pdf day.pdf", 2, "--pdf"},
        {"windows --bogus", 2, "--bogus"},
        {"windows --positions /nonexistent.csv", 3, "/nonexistent.csv"},
        {"windows --site Atlantis", 3, "Atlantis"},
    };
    for (const Case& c : cases) {
        const Outcome r = Tavrin(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
    const Outcome help = Tavrin("--help");
    EXPECT_NE(help.out.find("start,end,start_seconds,end_seconds,length,length_seconds,worst_pdop"),
              std::string::npos);
    EXPECT_NE(help.out.find("  windows "), std::string::npos);
}

// In the Dudh Kosi gorge the terrain hides a satellite exactly where its track runs below the
// skyline that `horizon` prints (as with an obstruction: used at a sample when it is above the
// skyline then and at the next); the windows of a network with terrain lie within those without.
TEST_F(Planning, TerrainHidesWhatLiesBelowTheSkyline) {
    const std::string dem = "--dem '" TAVRIN_SOURCE_DIR "/tests/data/dem/N27E086.hgt' ";
    const std::string at = "--at 27.7375,86.710833 --gmt-offset 5.75 --cutoff 5 --date 2025-08-11 ";
    const Outcome horizon = Tavrin("horizon --format csv " + dem + "--at 27.7375,86.710833");
    ASSERT_EQ(horizon.status, 0) << horizon.err;
    EXPECT_NE(horizon.err.find("ends before 50.0 km"), std::string::npos) << horizon.err;
    // The same site from a site list, named as plan names it.
    fixture::WriteFile(
        (dir_ / "khumbu.spl").string(),
        fixture::NewFile(0, {fixture::NewSite("Phakding", "", 27.7375, 86.710833, 2588, 5.75, {})}));
    const Outcome listed = Tavrin("horizon --format csv " + dem + "--sites '" +
                                  (dir_ / "khumbu.spl").string() + "' --site phakding");
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, horizon.out);
    std::vector<double> skyline;
    for (const std::string& l : Lines(horizon.out))
        if (const std::vector<std::string> f = Fields(l); f.size() >= 3 && f[0] != "azimuth")
            skyline.push_back(std::stod(f[1]));
    ASSERT_EQ(skyline.size(), 360u);
    const auto below = [&](double azimuth, double elevation) {
        const int i = static_cast<int>(azimuth) % 360;
        const double t = azimuth - std::floor(azimuth);
        return elevation -
               (skyline[static_cast<size_t>(i)] * (1 - t) + skyline[(static_cast<size_t>(i) + 1) % 360] * t);
    };
    const Outcome open = Tavrin("plan --format csv --table visibility " + at);
    const Outcome hidden = Tavrin("plan --format csv --table visibility " + at + dem);
    ASSERT_EQ(open.status, 0) << open.err;
    ASSERT_EQ(hidden.status, 0) << hidden.err;
    struct Sample {
        double azimuth, elevation;
        bool open, hidden;
    };
    std::map<std::string, std::vector<Sample>> tracks; // by satellite, in time order
    const std::vector<std::string> a = Lines(open.out), b = Lines(hidden.out);
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 1; k < a.size(); ++k) {
        const std::vector<std::string> f = Fields(a[k]), g = Fields(b[k]);
        ASSERT_EQ(f.size(), 7u);
        ASSERT_EQ(f[2] + f[3] + f[4] + f[5], g[2] + g[3] + g[4] + g[5]) << k;
        tracks[f[2] + f[3]].push_back({std::stod(f[4]), std::stod(f[5]), f[6] == "1", g[6] == "1"});
    }
    const Outcome text = Tavrin("plan --table dop " + at + dem);
    EXPECT_NE(text.out.find("Terrain: N27E086.hgt"), std::string::npos);
    EXPECT_NE(Tavrin("plan --format json " + at + dem).out.find("\"terrain\": \"N27E086.hgt\""),
              std::string::npos);
    int lost = 0, kept = 0;
    for (const auto& [satellite, track] : tracks)
        for (size_t k = 0; k + 1 < track.size(); ++k) {
            const double now = below(track[k].azimuth, track[k].elevation),
                         next = below(track[k + 1].azimuth, track[k + 1].elevation);
            if (std::fabs(now) < 0.01 || std::fabs(next) < 0.01)
                continue; // within the printed rounding of the skyline
            EXPECT_EQ(track[k].hidden, track[k].open && now > 0 && next > 0) << satellite << " sample " << k;
            lost += track[k].open && !track[k].hidden;
            kept += track[k].hidden;
        }
    EXPECT_GT(lost, 100); // the gorge hides much of the sky
    EXPECT_GT(kept, 100);

    // Two sites of the valley as a network: every window with terrain lies within one without.
    std::ofstream(dir_ / "valley.csv")
        << "Phakding,27.7375,86.710833,2588,5.75\nLukla,27.6875,86.731667,2853,5.75\n";
    const std::string net = "windows --min-sats 4 --min-common 4 --format csv --sort time --date 2025-08-11 "
                            "--positions '" +
                            (dir_ / "valley.csv").string() + "' ";
    const Outcome wide = Tavrin(net), narrow = Tavrin(net + dem);
    ASSERT_EQ(wide.status, 0) << wide.err;
    ASSERT_EQ(narrow.status, 0) << narrow.err;
    const std::vector<Span> with = WindowSpans(narrow.out), without = WindowSpans(wide.out);
    ASSERT_FALSE(with.empty());
    int inWith = 0, inWithout = 0;
    for (const Span& s : with) {
        inWith += s.end - s.start;
        EXPECT_TRUE(std::any_of(without.begin(), without.end(), [&](const Span& w) {
            return w.start <= s.start && s.end <= w.end;
        })) << s;
    }
    for (const Span& s : without)
        inWithout += s.end - s.start;
    EXPECT_LT(inWith, inWithout);

    // A model that cannot be used, and settings out of range, are named.
    const Outcome missing = Tavrin("plan " + at + "--dem '" + (dir_ / "none.hgt").string() + "'");
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.err.find("none.hgt: no such file or folder"), std::string::npos) << missing.err;
    const Outcome far = Tavrin("horizon " + dem + "--at 27.7,86.7 --max-distance 600");
    EXPECT_EQ(far.status, 2);
    EXPECT_NE(far.err.find("--max-distance 600"), std::string::npos) << far.err;
    EXPECT_EQ(Tavrin("horizon --at 27.7,86.7").status, 2);
}
