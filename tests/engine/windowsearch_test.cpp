// Windows on series made by hand, where every interval is known by construction.
#include <gtest/gtest.h>

#include <utility>

#include "engine/windowsearch.h"

namespace {

constexpr int kStep = 900; // 96 samples a day
constexpr int kPerDay = 96;

// A series of `days` whole days at which every sample is good: PDOP 2, 8 satellites (indexes 0..7).
SiteSeries Good(int days) {
    SiteSeries s;
    s.step = kStep;
    const size_t n = static_cast<size_t>(days * kPerDay + 1);
    s.pdop.assign(n, 2.0f);
    s.satellites.assign(n, 8);
    s.solution.assign(n, 1);
    s.usable.assign(n, 0xFFu);
    return s;
}

void Spoil(SiteSeries& s, int from, int to) { // samples from..to, both included, lose their solution
    for (int k = from; k <= to; ++k)
        s.solution[static_cast<size_t>(k)] = 0;
}

std::vector<std::pair<int, int>> Spans(const std::vector<Window>& windows) { // first, last samples
    std::vector<std::pair<int, int>> spans;
    for (const Window& w : windows)
        spans.emplace_back(w.first, w.last);
    return spans;
}

std::vector<Window> Find(const std::vector<const SiteSeries*>& sites, const WindowConditions& c) {
    return FindWindows(sites, c);
}

} // namespace

TEST(WindowSearch, EdgesFallOnTheSamplesAndRunAcrossMidnightAndDays) {
    SiteSeries s = Good(3);
    Spoil(s, 0, 9);     // good from sample 10 (02:30) ...
    Spoil(s, 30, 89);   // ... to 29 (07:15); then from 90 (22:30 on day 1)
    Spoil(s, 200, 200); // to 199 (01:45 on day 3), across two midnights
    const std::vector<Window> w = Find({&s}, {});
    ASSERT_EQ(Spans(w), (std::vector<std::pair<int, int>>{{10, 29}, {90, 199}, {201, 288}}));
    EXPECT_EQ(w[0].start, 10 * kStep);
    EXPECT_EQ(w[0].end, 29 * kStep);
    EXPECT_EQ(w[0].Length(), 19 * kStep); // from the first good sample to the last
    EXPECT_EQ(w[1].start, 22 * 3600 + 1800);
    EXPECT_EQ(w[1].end, 2 * 86400 + 3600 + 2700);
    EXPECT_EQ(w[2].end, 3 * 86400); // the closing 24:00 sample belongs to the last window

    // a single good sample is a window of length 0; a minimum length keeps only what reaches it
    SiteSeries lone = Good(1);
    Spoil(lone, 0, 49);
    Spoil(lone, 51, 59);
    WindowConditions c;
    EXPECT_EQ(Spans(Find({&lone}, c)), (std::vector<std::pair<int, int>>{{50, 50}, {60, 96}}));
    c.minLength = 36 * kStep; // 60..96 is exactly 36 steps long
    EXPECT_EQ(Spans(Find({&lone}, c)), (std::vector<std::pair<int, int>>{{60, 96}}));
    c.minLength = 36 * kStep + 60;
    EXPECT_TRUE(Find({&lone}, c).empty());
}

TEST(WindowSearch, ConditionsOnPdopAndSatellites) {
    SiteSeries s = Good(1);
    s.pdop[10] = 3.0f;  // exactly at the limit: kept
    s.pdop[20] = 3.01f; // beyond it
    s.pdop[30] = 0.0f;  // a solution with singular geometry is no window
    s.satellites[40] = 5;
    WindowConditions c;
    c.maxPdop = 3.0;
    c.minSatellites = 6;
    EXPECT_EQ(Spans(Find({&s}, c)),
              (std::vector<std::pair<int, int>>{{0, 19}, {21, 29}, {31, 39}, {41, 96}}));

    // the figures of a window, worked out by hand: samples 0..3 with PDOP 1, 2, 4, 1 and 9, 7, 8, 9
    SiteSeries f = Good(1);
    Spoil(f, 4, 96);
    const float pdop[] = {1, 2, 4, 1};
    const int sats[] = {9, 7, 8, 9};
    for (int k = 0; k < 4; ++k) {
        f.pdop[static_cast<size_t>(k)] = pdop[k];
        f.satellites[static_cast<size_t>(k)] = sats[k];
    }
    const std::vector<Window> w = Find({&f}, {});
    ASSERT_EQ(w.size(), 1u);
    EXPECT_FLOAT_EQ(w[0].worstPdop, 4.0f);
    EXPECT_FLOAT_EQ(w[0].meanPdop, 2.0f);
    EXPECT_EQ(w[0].fewestSatellites, 7);
    EXPECT_EQ(w[0].fewestCommon, 8); // one site: its own usable satellites
    EXPECT_EQ(w[0].common, 0xFFu);
}

TEST(WindowSearch, HoursOfTheDayOnEachSitesOwnClock) {
    const SiteSeries s = Good(2);
    WindowConditions c;
    c.dailyFrom = 7 * 3600;
    c.dailyTo = 18 * 3600;
    std::vector<Window> w = Find({&s}, c);
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].start, 7 * 3600);
    EXPECT_EQ(w[0].end, 18 * 3600); // both limits included
    EXPECT_EQ(w[1].start, 86400 + 7 * 3600);

    // limits across midnight join the evening to the next morning
    c.dailyFrom = 22 * 3600;
    c.dailyTo = 4 * 3600;
    EXPECT_EQ(Spans(Find({&s}, c)), (std::vector<std::pair<int, int>>{{0, 16}, {88, 112}, {184, 192}}));
    // 24:00 as the end takes in the closing midnight sample, and no more
    c.dailyFrom = 20 * 3600;
    c.dailyTo = 86400;
    EXPECT_EQ(Spans(Find({&s}, c)), (std::vector<std::pair<int, int>>{{80, 96}, {176, 192}}));
    // equal limits are the whole day
    c.dailyFrom = c.dailyTo = 6 * 3600;
    EXPECT_EQ(Spans(Find({&s}, c)), (std::vector<std::pair<int, int>>{{0, 192}}));

    // a site whose local time runs an hour ahead reaches 18:00 an hour earlier on the common clock
    SiteSeries east = Good(2);
    east.clockShift = 3600;
    c.dailyFrom = 7 * 3600;
    c.dailyTo = 18 * 3600;
    w = Find({&s, &east}, c);
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].start, 7 * 3600);
    EXPECT_EQ(w[0].end, 17 * 3600);
}

TEST(WindowSearch, NetworkNeedsCommonSatellitesAndEverySiteGood) {
    // Each site alone is good all day. Site A loses satellites 0..3 from 10:00 (an obstruction on its
    // side); site B sees only satellites 2..9. Common: 2..7 (6) before 10:00, 4..7 (4) after.
    SiteSeries a = Good(1), b = Good(1);
    for (int k = 0; k <= kPerDay; ++k) {
        if (k >= 40)
            a.usable[static_cast<size_t>(k)] = 0xF0u;
        b.usable[static_cast<size_t>(k)] = 0x3FCu;
    }
    Spoil(b, 80, 83); // and B has no solution from 20:00 to 20:45
    WindowConditions c;
    c.minCommon = 5;
    std::vector<Window> w = Find({&a, &b}, c);
    ASSERT_EQ(Spans(w), (std::vector<std::pair<int, int>>{{0, 39}}));
    // shorter than either site's own longest window: all day for A, 00:00-19:45 for B
    EXPECT_EQ(Spans(Find({&a}, {})), (std::vector<std::pair<int, int>>{{0, 96}}));
    EXPECT_EQ(Spans(Find({&b}, {})), (std::vector<std::pair<int, int>>{{0, 79}, {84, 96}}));
    EXPECT_EQ(w[0].fewestCommon, 6);
    EXPECT_EQ(w[0].common, 0xFCu);
    ASSERT_EQ(w[0].sites.size(), 2u);

    c.minCommon = 4;
    w = Find({&a, &b}, c);
    ASSERT_EQ(Spans(w), (std::vector<std::pair<int, int>>{{0, 79}, {84, 96}}));
    EXPECT_EQ(w[0].fewestCommon, 4);
    EXPECT_EQ(w[0].common, 0xFCu); // 2 and 3 are common only before 10:00, yet they are common

    c.minCommon = 7; // more than any overlap
    EXPECT_TRUE(Find({&a, &b}, c).empty());

    // series that do not line up give nothing rather than a wrong answer
    SiteSeries shorter = Good(1);
    shorter.pdop.pop_back();
    EXPECT_TRUE(Find({&a, &shorter}, {}).empty());
    SiteSeries coarse = Good(1);
    coarse.step = 300;
    EXPECT_TRUE(Find({&a, &coarse}, {}).empty());
    EXPECT_TRUE(Find({}, {}).empty());
}

TEST(WindowSearch, SortOrders) {
    SiteSeries s = Good(1);
    // windows 0..9 (PDOP 3), 20..39 (PDOP 2), 50..59 (PDOP 2, mean lower), 70..96 (PDOP 3)
    Spoil(s, 10, 19);
    Spoil(s, 40, 49);
    Spoil(s, 60, 69);
    for (int k = 0; k <= 96; ++k)
        s.pdop[static_cast<size_t>(k)] = (k < 20 || k >= 70) ? 3.0f : 2.0f;
    s.pdop[55] = 1.0f;
    std::vector<Window> w = Find({&s}, {});
    SortWindows(w, WindowOrder::Length);
    EXPECT_EQ(Spans(w), (std::vector<std::pair<int, int>>{{70, 96}, {20, 39}, {0, 9}, {50, 59}}));
    SortWindows(w, WindowOrder::Pdop);
    EXPECT_EQ(Spans(w), (std::vector<std::pair<int, int>>{{50, 59}, {20, 39}, {70, 96}, {0, 9}}));
    SortWindows(w, WindowOrder::Time);
    EXPECT_EQ(Spans(w), (std::vector<std::pair<int, int>>{{0, 9}, {20, 39}, {50, 59}, {70, 96}}));
}
