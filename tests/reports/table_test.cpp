#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../engine/calculator_test_access.h"
#include "engine/calculator.h"
#include "reports/table.h"

namespace {

using Access = CalculatorTestAccess;
constexpr double kDeg = 1 / 57.29577951308232;

HeaderInfo Header(const PlanInterval& interval = PlanInterval(11, 8, 2025, 0, 0, 24, 0)) {
    HeaderInfo h;
    h.interval = interval;
    h.almanacPath = "/almanacs/alm25.223";
    h.statuses.fill(StatusNoAlmanac);
    return h;
}

std::vector<std::vector<std::string>> Render(Table& table, int width, int lines) {
    table.SetPrintParameters(TableMetrics::ForText(width, lines));
    std::vector<std::vector<std::string>> pages;
    for (const TextPage& page : table.Pages())
        pages.push_back(RenderPlainText(page, table.CharsPerLine()));
    return pages;
}

// The first line of a page that starts with `prefix`, or empty.
std::string LineStarting(const std::vector<std::string>& page, const std::string& prefix) {
    for (const std::string& l : page)
        if (l.rfind(prefix, 0) == 0)
            return l;
    return {};
}

std::vector<std::string> DataRows(const std::vector<std::string>& page) {
    std::vector<std::string> rows;
    for (const std::string& l : page)
        if (l.size() >= 5 && std::isdigit(static_cast<unsigned char>(l[0])) && l[2] == ':')
            rows.push_back(l);
    return rows;
}

// A calculator with `count` samples of the interval and the given satellites enabled and seen once.
Calculator WithSatellites(const std::vector<int>& satellites, int count = 97) {
    Calculator c;
    Access::SetInterval(c, 0, count);
    for (int s : satellites) {
        Access::SetStatus(c, s, 0);
        Access::SetDirection(c, s, 1, static_cast<float>(20 * kDeg), static_cast<float>(100 * kDeg), 1);
    }
    return c;
}

TEST(VisibilityTable, ThirtyColumnsOnAHundredCharactersMakeFourPagesPerRowBlock) {
    std::vector<int> satellites;
    for (int s = 4; s < 24; ++s) // 20 GPS
        satellites.push_back(s);
    for (int s = 32; s < 42; ++s) // 10 GLONASS
        satellites.push_back(s);
    Calculator c = WithSatellites(satellites);
    Access::SetStatus(c, 30, 0); // enabled but never visible: no column
    Access::SetStatus(c, 50, StatusDisabled);
    Access::SetDirection(c, 50, 3, 0.5f, 0.5f, 1); // switched off: no column
    VisibilityTable table(c, Header());
    const auto pages = Render(table, 100, 66);
    EXPECT_EQ(table.Columns().size(), 30u);

    ASSERT_GE(pages.size(), 8u);
    ASSERT_EQ(pages.size() % 4, 0u);
    const int expectedColumns[4] = {9, 9, 9, 3};
    for (size_t p = 0; p < pages.size(); ++p) {
        const std::string heading = LineStarting(pages[p], "Time   ");
        const int columns = expectedColumns[p % 4];
        EXPECT_EQ(static_cast<int>(heading.size()), 7 + 10 * columns - 3) << p; // trailing blanks cut
        // the same rows on each page of a block, the next rows on the next block
        EXPECT_EQ(DataRows(pages[p]).front().substr(0, 5), DataRows(pages[p - p % 4]).front().substr(0, 5))
            << p;
        if (p % 4 == 0 && p > 0) {
            EXPECT_NE(DataRows(pages[p]).front(), DataRows(pages[p - 4]).front());
        }
    }
    EXPECT_EQ(LineStarting(pages[0], "SV     ").substr(0, 27), "SV         5         6     ");

    // System names stand once above the first column of each system on a page.
    const std::string first = LineStarting(pages[0], "System ");
    EXPECT_EQ(first, "System   GPS");
    const std::string mixed = LineStarting(pages[2], "System ");
    // page 3 holds GPS 23, 24 then GLONASS 1..7
    EXPECT_EQ(mixed, "System   GPS                 GLONASS");
    EXPECT_EQ(LineStarting(pages[3], "System "), "System   GLONASS");
    EXPECT_NE(LineStarting(pages[3], "SV     ").find("    8         9         10"), std::string::npos);

    // Every data row of the whole job appears once per column group: 97 rows in all.
    int rows = 0;
    for (size_t p = 0; p < pages.size(); p += 4)
        rows += static_cast<int>(DataRows(pages[p]).size());
    EXPECT_EQ(rows, 97);
}

TEST(VisibilityTable, CellsRoundAndMarkHiddenSamples) {
    Calculator c = WithSatellites({0}, 4);
    Access::SetDirection(c, 0, 0, static_cast<float>(9.6 * kDeg), static_cast<float>(359.6 * kDeg), 1);
    Access::SetDirection(c, 0, 1, static_cast<float>(9.4 * kDeg), static_cast<float>(0.4 * kDeg), 1);
    Access::SetDirection(c, 0, 2, static_cast<float>(45 * kDeg), static_cast<float>(45 * kDeg), 0);
    VisibilityTable table(c, Header());
    const auto pages = Render(table, 100, 66);
    ASSERT_EQ(pages.size(), 1u);
    const auto rows = DataRows(pages[0]);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "00:00    10:360");
    EXPECT_EQ(rows[1], "00:15     9:  0");
    EXPECT_EQ(rows[2], "00:30  ----|-----");
}

TEST(VisibilityTable, RowsRunAcrossMidnight) {
    Calculator c = WithSatellites({3}, 5);
    for (int k = 0; k < 5; ++k)
        Access::SetDirection(c, 3, k, static_cast<float>(30 * kDeg), static_cast<float>(10 * kDeg), 1);
    VisibilityTable table(c, Header(PlanInterval(31, 12, 2025, 23, 30, 0, 30)));
    const auto rows = DataRows(Render(table, 100, 66)[0]);
    std::vector<std::string> times;
    for (const std::string& r : rows)
        times.push_back(r.substr(0, 5));
    EXPECT_EQ(times, (std::vector<std::string>{"23:30", "23:45", "00:00", "00:15", "00:30"}));
}

TEST(VisibilityTable, PagesWithoutRoomEndTheJob) {
    Calculator c = WithSatellites({0, 1, 2});
    {
        VisibilityTable narrow(c, Header());
        EXPECT_EQ(Render(narrow, 16, 66).size(), 1u); // no column fits: one page, then the end
    }
    {
        VisibilityTable shallow(c, Header());
        EXPECT_EQ(Render(shallow, 100, 12).size(), 1u); // the page top fills the page
    }
    Calculator empty = WithSatellites({0}, 0);
    VisibilityTable none(empty, Header());
    const auto pages = Render(none, 100, 66);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(LineStarting(pages[0], "System ").empty());
}

TEST(DopTable, RoundingStarsAndTwoDimensions) {
    Calculator c = WithSatellites({0}, 4);
    Access::SetDop(c, 0, 99.994f, 99.996f, 0.0f, 1.005f, 2.0f);
    Access::SetCount(c, 0, 7, 1);
    Access::SetDop(c, 1, 1.234f, 2.345f, 0.0f, 0.0f, 1.5f); // 2-D: no HDOP and VDOP
    Access::SetCount(c, 1, 12, 1);
    DOPTable table(c, Header());
    const auto pages = Render(table, 100, 66);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_FALSE(LineStarting(pages[0], "Local        PDOP").empty());
    EXPECT_FALSE(LineStarting(pages[0], "Time                ").empty());
    const auto rows = DataRows(pages[0]);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "00:00       99.99        ****        ****        1.00        2.00          7");
    EXPECT_EQ(rows[1], "00:15        1.23        2.35        ****        ****        1.50         12");
    EXPECT_EQ(rows[2], "00:30        ****        ****        ****        ****        ****          0");
}

TEST(DopTable, NarrowPagesDropValuesAndLongIntervalsPage) {
    Calculator c = WithSatellites({0});
    for (int k = 0; k < 97; ++k)
        Access::SetDop(c, k, 1.5f, 2.5f, 1.0f, 1.2f, 0.8f);
    {
        DOPTable narrow(c, Header());
        const auto rows = DataRows(Render(narrow, 40, 66)[0]);
        EXPECT_EQ(rows[0], "00:00        1.50        2.50"); // p + 12 < 40 twice, no room for the count
    }
    DOPTable table(c, Header());
    const auto pages = Render(table, 100, 40);
    ASSERT_GT(pages.size(), 1u);
    size_t rows = 0;
    for (const auto& page : pages) {
        EXPECT_FALSE(LineStarting(page, "Local        PDOP").empty()); // headings on every page
        rows += DataRows(page).size();
    }
    EXPECT_EQ(rows, 97u);
    EXPECT_EQ(DataRows(pages.back()).back().substr(0, 5), "00:00"); // 24:00 prints as 00:00
}

TEST(DOPTable, ColumnHeadingsFollowTheLongerColumnOfTheHeader) {
    // No satellite listed: the right column is short, the site's column decides where the body starts.
    Calculator c = WithSatellites({}, 3);
    HeaderInfo h = Header();
    h.hasSite = true;
    h.siteName = "Ridge";
    h.siteDescription = "a description long enough to fill the three lines the block gives it, and more";
    DOPTable table(c, h);
    const auto pages = Render(table, 100, 66);
    ASSERT_FALSE(pages.empty());
    const auto& page = pages[0];
    int gmt = -1, headings = -1;
    for (size_t i = 0; i < page.size(); ++i) {
        if (page[i].find("Local Time - GMT") != std::string::npos)
            gmt = static_cast<int>(i);
        if (page[i].rfind("Local        PDOP", 0) == 0)
            headings = static_cast<int>(i);
    }
    ASSERT_GE(gmt, 0);
    ASSERT_GE(headings, 0);
    EXPECT_GT(headings, gmt + 1); // at least one blank line between
}

} // namespace
