#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "reports/headerblock.h"

namespace {

std::vector<std::string> Lines(const HeaderBlock& block, int width) {
    TextPage page;
    page.items = block.items;
    return RenderPlainText(page, width);
}

bool Has(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& l : lines)
        if (l.find(text) != std::string::npos)
            return true;
    return false;
}

HeaderInfo Sample() {
    HeaderInfo h;
    h.hasSite = true;
    h.siteName = "Cerro Calan";
    h.siteDescription =
        "National Astronomical Observatory of Chile, on a hill east of Santiago, with a long text";
    h.latitude = -(33 + 23 / 60.0 + 59.9999 / 3600.0); // rounds up to the next minute
    h.longitude = -70.5367;
    h.altitude = 860;
    h.gmtOffset = -4;
    h.almanacPath = "/some/where/alm25.223";
    std::fill_n(h.statuses.begin(), 56, 0);
    h.statuses[4] = 1; // switched off
    h.statuses[5] = 2; // no almanac
    h.statuses[6] = 4; // unhealthy, still listed
    for (int i = 32; i < 56; ++i)
        h.statuses[static_cast<size_t>(i)] = 2; // no GLONASS at all
    h.elevationMask = static_cast<float>(14.6 / 57.29577951308232);
    h.mode = 1;
    h.interval = PlanInterval(9, 3, 2024, 22, 0, 2, 30);
    return h;
}

TEST(HeaderBlock, BothColumnsAsPrinted) {
    const auto lines = Lines(LayoutHeaderBlock(Sample(), 0, 0, 100), 100);
    EXPECT_TRUE(Has(lines, "Latitude :  33\xC2\xB0 24' 00.00\" S"));
    EXPECT_TRUE(Has(lines, "Longitude:  70\xC2\xB0 32' 12.12\" W"));
    EXPECT_TRUE(Has(lines, "Altitude :   860.00"));
    EXPECT_TRUE(Has(lines, "Local Time - GMT:  -4.00 h"));
    EXPECT_TRUE(Has(lines, "Almanac file name: alm25.223"));
    EXPECT_FALSE(Has(lines, "/some/where"));
    EXPECT_TRUE(Has(lines, "Elevation cut-off angle: 15"));
    EXPECT_TRUE(Has(lines, "Mode: 2D"));
    EXPECT_TRUE(Has(lines, "Date: 3/9/2024"));
    EXPECT_TRUE(Has(lines, "Local Time Interval: 22:00 - 2:30"));
    EXPECT_FALSE(Has(lines, "GLONASS")); // no GLONASS satellite: neither heading nor list
    EXPECT_TRUE(Has(lines, "  1  2  3  4  7  8"));
}

TEST(HeaderBlock, ListsWrapToTheWidthAndTakeThreeLines) {
    HeaderInfo h = Sample();
    std::fill_n(h.statuses.begin(), 56, 0); // every GPS and GLONASS satellite, no other system
    const HeaderBlock narrow = LayoutHeaderBlock(h, 0, 0, 70); // 28 characters: 9 numbers a line
    const auto lines = Lines(narrow, 70);
    EXPECT_TRUE(Has(lines, "  1  2  3  4  5  6  7  8  9 10"));
    EXPECT_TRUE(Has(lines, " 31 32"));
    EXPECT_TRUE(Has(lines, " 21 22 23 24"));
    const HeaderBlock wide = LayoutHeaderBlock(h, 0, 0, 300);
    HeaderInfo one = h;
    one.statuses.fill(2);
    one.statuses[0] = 0;
    one.statuses[40] = 0;
    const HeaderBlock single = LayoutHeaderBlock(one, 0, 0, 300);
    EXPECT_EQ(single.heightLines, wide.heightLines); // one line of numbers still takes three
    EXPECT_GT(narrow.heightLines, wide.heightLines);

    // A later system gets its heading and list only with a satellite.
    EXPECT_FALSE(Has(Lines(wide, 300), "Available Galileo satellites (PRN numbers):"));
    one.statuses[56 + 10] = 0; // E11
    one.statuses[92 + 19] = 4; // C20, unhealthy but enabled
    one.statuses[155 + 2] = 1; // J03 switched off
    const auto later = Lines(LayoutHeaderBlock(one, 0, 0, 300), 300);
    EXPECT_TRUE(Has(later, "Available Galileo satellites (PRN numbers):"));
    EXPECT_TRUE(Has(later, " 11"));
    EXPECT_TRUE(Has(later, "Available BeiDou satellites (PRN numbers):"));
    EXPECT_TRUE(Has(later, " 20"));
    EXPECT_FALSE(Has(later, "Available QZSS satellites (J numbers):"));
}

TEST(HeaderBlock, DescriptionWrapsIntoThreeLinesOfThirty) {
    const auto lines = Lines(LayoutHeaderBlock(Sample(), 0, 0, 100), 100);
    EXPECT_TRUE(Has(lines, "National Astronomical"));
    EXPECT_FALSE(Has(lines, "long text")); // beyond the third line
    const auto words = WrapWords("a bb ccc dddddddddd", 4);
    EXPECT_EQ(words, (std::vector<std::string>{"a bb", "ccc", "dddd", "dddd", "dd"}));
    EXPECT_EQ(WrapWords("S\xC3\xA3o Paulo", 4), (std::vector<std::string>{"S\xC3\xA3o", "Paul", "o"}));
}

TEST(HeaderBlock, PlacedAtItsIndent) {
    const HeaderBlock block = LayoutHeaderBlock(Sample(), 5, 7, 100);
    int minLine = 1000, minColumn = 1000, rightColumn = 0;
    for (const TextItem& item : block.items) {
        minLine = std::min(minLine, item.line);
        minColumn = std::min(minColumn, item.column);
        rightColumn = std::max(rightColumn, item.column);
    }
    EXPECT_EQ(minLine, 8); // one line down from the indent
    EXPECT_EQ(minColumn, 5);
    EXPECT_EQ(rightColumn, 45);
}

TEST(HeaderBlock, HeightCoversTheLongerColumn) {
    // No GLONASS and few GPS satellites: the right column ends well above the left one's last line.
    const HeaderBlock block = LayoutHeaderBlock(Sample(), 0, 4, 100);
    int last = 0;
    bool gmtSeen = false;
    for (const TextItem& item : block.items) {
        last = std::max(last, item.line);
        gmtSeen = gmtSeen || item.text.find("Local Time - GMT") != std::string::npos;
    }
    ASSERT_TRUE(gmtSeen);
    EXPECT_GT(4 + block.heightLines, last); // whatever follows starts below every line of the block
    // With both systems listed the right column is the longer one and still decides.
    HeaderInfo full = Sample();
    full.statuses.fill(0);
    const HeaderBlock narrow = LayoutHeaderBlock(full, 0, 0, 60);
    int lastFull = 0;
    for (const TextItem& item : narrow.items)
        lastFull = std::max(lastFull, item.line);
    EXPECT_EQ(narrow.heightLines, lastFull + 1);
}

} // namespace
