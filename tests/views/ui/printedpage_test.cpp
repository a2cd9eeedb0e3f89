// Printed pages at printer resolutions: the letter-spaced titles of the tables and the system
// headings of the visibility graph stay on the paper with one character of spacing, and the
// header block ends above what follows it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <memory>

#include "base/strings.h"
#include "reports/table.h"
#include "views/ui/view_host_fixture.h"

using namespace view_host_fixture;

namespace {

// A page `inches` wide and high at `dpi`.
QImage Paper(double widthInches, double heightInches, int dpi) {
    QImage img(static_cast<int>(widthInches * dpi), static_cast<int>(heightInches * dpi),
               QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    return img;
}

struct Ink {
    int left = -1, right = -1, top = -1, bottom = -1;
    bool Any() const { return left >= 0; }
    int Width() const { return right - left + 1; }
    // Widens the box to the pixel (x, y), the rows taken in order.
    void Add(int x, int y) {
        if (left < 0 || x < left)
            left = x;
        right = std::max(right, x);
        if (top < 0)
            top = y;
        bottom = y;
    }
};

// Where pixels darker than mid grey lie in the rows [top, bottom).
Ink InkIn(const QImage& img, int top, int bottom) {
    Ink ink;
    for (int y = std::max(0, top); y < std::min(bottom, img.height()); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qGray(line[x]) < 128)
                ink.Add(x, y);
        }
    }
    return ink;
}

// Pixels that differ between two pictures of the same page.
Ink Difference(const QImage& a, const QImage& b) {
    Ink ink;
    for (int y = 0; y < a.height(); ++y) {
        const auto* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (la[x] != lb[x])
                ink.Add(x, y);
        }
    }
    return ink;
}

} // namespace

TEST(PrintedPage, TableTitlesStayOnThePaperWithOneCharacterOfSpacing) {
    TestHost host;
    host.FillDay();
    for (int dpi : {300, 600}) {
        for (bool dop : {false, true}) {
            SCOPED_TRACE(testing::Message() << dpi << " dpi, " << (dop ? "DOP" : "visibility"));
            std::unique_ptr<Table> table;
            if (dop)
                table = std::make_unique<DOPTable>(host.calc,
                                                   MakeHeaderInfo(host.calc, &host.site, host.interval));
            else
                table = std::make_unique<VisibilityTable>(
                    host.calc, MakeHeaderInfo(host.calc, &host.site, host.interval));
            // The top of an A4 page: the rest of it adds nothing here.
            QImage page = Paper(8.27, 2.5, dpi);
            TableFonts fonts;
            {
                QPainter p(&page);
                Canvas dc(p);
                fonts = PrepareTable(dc, *table);
                table->BeginDocument();
                DrawTablePage(dc, fonts, *table, table->PrintPage());
            }
            const std::string texts[2] = {
                ResString(IDS_TABLE_TITLE),
                ResString(dop ? IDS_TABLE_SUBTITLE_DOP : IDS_TABLE_SUBTITLE_VISIBILITY)};
            const int bands[3] = {0, 2 * fonts.lineHeight[0], 2 * fonts.lineHeight[0] + fonts.lineHeight[1]};
            for (int k = 0; k < 2; ++k) {
                const Ink ink = InkIn(page, bands[k], bands[k + 1]);
                ASSERT_TRUE(ink.Any()) << texts[k];
                EXPECT_GT(ink.left, 0) << texts[k];
                EXPECT_LT(ink.right, page.width() - 1) << texts[k];
                // Fixed pitch: each letter takes its own width and one more of spacing.
                const int n = static_cast<int>(texts[k].size());
                EXPECT_LE(ink.Width(), 2 * n * fonts.charWidth[k]) << texts[k];
                EXPECT_GE(ink.Width(), (2 * n - 3) * fonts.charWidth[k]) << texts[k];
            }
        }
    }
}

TEST(PrintedPage, VisibilityGraphHeadingsKeepOneCharacterOfSpacing) {
    TestHost host;
    host.FillDay();
    QTemporaryDir dir;
    const std::string blank = dir.filePath("blank.lng").toStdString();
    std::ofstream(blank) << "2216\t \n"; // "GPS" drawn as a blank: what differs is the heading
    std::unique_ptr<TBaseMDIChild> view(CreateView(1106, host, nullptr));
    view->resize(800, 600);
    view->grab();
    for (int dpi : {300, 600}) {
        SCOPED_TRACE(dpi);
        QImage pages[2] = {Paper(6, 5, dpi), Paper(6, 5, dpi)};
        for (int k = 0; k < 2; ++k) {
            if (k == 1) {
                ASSERT_TRUE(LoadLanguageModule(blank));
            }
            QPainter p(&pages[k]);
            Canvas dc(p);
            view->PrintOnDC(dc, 0, 5);
        }
        UnloadLanguageModule();
        const Ink heading = Difference(pages[0], pages[1]);
        ASSERT_TRUE(heading.Any());
        EXPECT_GT(heading.left, 0);
        EXPECT_LT(heading.right, pages[0].width() - 1);
        // The bold view font of 8 points at this resolution, measured on its own.
        QImage probe = Paper(1, 1, dpi);
        QPainter p(&probe);
        Canvas dc(p);
        CanvasFont f;
        f.height = -MulDiv(8, dpi, 72);
        f.weight = 700;
        f.valid = true;
        dc.SelectFont(f);
        const int plain = dc.GetTextExtent(QStringLiteral("GPS"));
        const int cw = dc.GetTextMetrics().tmAveCharWidth;
        EXPECT_LE(heading.Width(), plain + 3 * cw);
        EXPECT_GE(heading.Width(), plain + cw);
    }
}

// Every system's satellites hold more rows than a page: the graph goes on over pages, each under
// the header and above the time axis, and every bar is printed once and whole.
TEST(PrintedPage, VisibilityGraphRunsOverPagesWithEveryRowWhole) {
    TestHost host;
    for (int s = 0; s < SatelliteCatalogue::kSize; ++s)
        host.Visible(s, 0, 96);
    std::unique_ptr<TBaseMDIChild> view(CreateView(1106, host, nullptr));
    view->resize(800, 600);
    view->grab();
    std::vector<int> bars; // the height of each bar met down the pages
    int pages = 1;
    for (int page = 0; page < pages; ++page) {
        QImage paper = Paper(8.27, 11.69, 150); // A4
        {
            QPainter p(&paper);
            Canvas dc(p);
            pages = view->PrintOnDC(dc, page, 5);
        }
        // Down a line a quarter across: clear of the centred headings and of the bars' labels.
        int run = 0;
        for (int y = 0; y < paper.height(); ++y) {
            const QColor c = paper.pixelColor(paper.width() / 4, y);
            const int chroma =
                std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
            if (chroma > 100) {
                ++run;
            } else if (run > 0) {
                bars.push_back(run);
                run = 0;
            }
        }
    }
    EXPECT_GT(pages, 1);
    ASSERT_EQ(bars.size(), static_cast<size_t>(SatelliteCatalogue::kSize));
    EXPECT_EQ(*std::min_element(bars.begin(), bars.end()), *std::max_element(bars.begin(), bars.end()));
}
