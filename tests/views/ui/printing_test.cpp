// Printing through the prompts service into PDF files, the printed header block, and the graph
// export of the command line.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QSvgGenerator>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <memory>

#include "views/ui/chartwin.h"
#include "views/ui/graphexport.h"
#include "views/ui/satvisibilitywin.h"
#include "views/ui/skyplotwin.h"
#include "views/ui/view_host_fixture.h"

using namespace view_host_fixture;

namespace {

std::unique_ptr<TBaseMDIChild> OpenView(TestHost& host, int command) {
    std::unique_ptr<TBaseMDIChild> view(CreateView(command, host, nullptr));
    view->resize(800, 600);
    view->grab();
    return view;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A PDF's document title as Qt writes it: UTF-16 big-endian.
bool HasTitle(const QByteArray& pdf, const QString& title) {
    QByteArray utf16;
    for (QChar c : title) {
        utf16.append(static_cast<char>(c.unicode() >> 8));
        utf16.append(static_cast<char>(c.unicode() & 0xFF));
    }
    return pdf.contains(utf16);
}

} // namespace

TEST(Printing, GraphIsOnePageAndCancellingPrintsNothing) {
    TestHost host;
    host.FillDay();
    QTemporaryDir dir;
    PrintingPrompts prompts;
    auto view = OpenView(host, 1106);
    const ViewLayout before = view->Layout();

    prompts.pdfPath = dir.filePath("graph.pdf");
    ASSERT_TRUE(view->PrintGraph());
    EXPECT_EQ(PdfPageCount(prompts.pdfPath), 1);
    EXPECT_TRUE(HasTitle(ReadAll(prompts.pdfPath), "_Print"));
    EXPECT_EQ(view->Layout(), before); // the window's layout survives the page

    prompts.pdfPath = dir.filePath("cancelled.pdf");
    prompts.cancelPrint = true;
    EXPECT_FALSE(view->PrintGraph());
    EXPECT_FALSE(QFile::exists(prompts.pdfPath));
}

TEST(Printing, AFileIsReplacedOnlyWholeAndAReadOnlyOneOnlyWhenTheUserSaysSo) {
    TestHost host;
    host.FillDay();
    QTemporaryDir dir;
    PrintingPrompts prompts;
    auto view = OpenView(host, 1107);
    prompts.pdfPath = dir.filePath("kept.pdf");
    std::ofstream(prompts.pdfPath.toStdString()) << "the user's";
    QFile::setPermissions(prompts.pdfPath, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    for (int answer : {IDNO, IDYES}) {
        prompts.answers = {answer};
        EXPECT_EQ(view->PrintGraph(), answer == IDYES);
        EXPECT_TRUE(prompts.LastText().contains("read-only")) << prompts.LastText().toStdString();
        EXPECT_EQ(ReadAll(prompts.pdfPath).startsWith("%PDF-"), answer == IDYES);
    }
    // A file that cannot be made: said, and nothing left.
    prompts.pdfPath = dir.filePath("missing/graph.pdf");
    prompts.answers = {IDOK};
    EXPECT_FALSE(view->PrintTable());
    EXPECT_TRUE(prompts.LastText().contains(prompts.pdfPath)) << prompts.LastText().toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

TEST(Printing, TableBelongsToTheActiveViewAndRunsOverPages) {
    TestHost host;
    host.FillDay();
    QTemporaryDir dir;
    PrintingPrompts prompts;

    for (int command : {1108, 1106}) { // sky plot and visibility: the visibility table
        auto view = OpenView(host, command);
        prompts.pdfPath = dir.filePath(QString("visibility%1.pdf").arg(command));
        ASSERT_TRUE(view->PrintTable());
        const QByteArray pdf = ReadAll(prompts.pdfPath);
        EXPECT_TRUE(HasTitle(pdf, "Satellite Visibility Table"));
        // 97 rows of 12 columns do not fit one A4 page.
        EXPECT_GT(PdfPageCount(prompts.pdfPath), 1);
    }
    auto dop = OpenView(host, 1107);
    prompts.pdfPath = dir.filePath("dop.pdf");
    ASSERT_TRUE(dop->PrintTable());
    EXPECT_TRUE(HasTitle(ReadAll(prompts.pdfPath), "Dilution of Precision Table"));
    const int dayPages = PdfPageCount(prompts.pdfPath);
    EXPECT_GE(dayPages, 2);

    // Five rows fit one page.
    CalculatorTestAccess::SetInterval(host.calc, 0, 5);
    prompts.pdfPath = dir.filePath("dop-short.pdf");
    ASSERT_TRUE(dop->PrintTable());
    EXPECT_EQ(PdfPageCount(prompts.pdfPath), 1);
}

// Printers leave the paper's edges unprinted: a job keeps at least 10 mm however narrow the margins
// were set. The visibility graph of every satellite takes more than one page.
TEST(Printing, PagesKeepClearOfThePapersEdgesAndTheGraphRunsOver) {
    TestHost host;
    for (int s = 0; s < SatelliteCatalogue::kSize; ++s)
        host.Visible(s, 0, 96);
    QTemporaryDir dir;
    PrintingPrompts prompts;
    auto view = OpenView(host, 1106);
    TBaseMDIChild::Printer().setPageMargins(QMarginsF(3, 12, 3, 4), QPageLayout::Millimeter);
    prompts.pdfPath = dir.filePath("graph.pdf");
    ASSERT_TRUE(view->PrintGraph());
    EXPECT_GT(PdfPageCount(prompts.pdfPath), 1);
    const QMarginsF kept = TBaseMDIChild::Printer().pageLayout().margins(QPageLayout::Millimeter);
    EXPECT_GE(kept.left(), 10 - 1e-6);
    EXPECT_GE(kept.right(), 10 - 1e-6);
    EXPECT_GE(kept.bottom(), 10 - 1e-6);
    EXPECT_NEAR(kept.top(), 12, 1e-6); // wider ones stay
}

TEST(Printing, WindowReadoutsStillFollowTheScreenAfterAPage) {
    TestHost host;
    host.FillDay();
    QTemporaryDir dir;
    PrintingPrompts prompts;
    prompts.pdfPath = dir.filePath("sky.pdf");
    std::unique_ptr<TBaseMDIChild> view(CreateView(1108, host, nullptr));
    view->resize(600, 600);
    view->show();
    view->grab();
    auto* sky = static_cast<TSkyPlotWin*>(view.get());
    const QPoint centre = sky->Drawing().Centre();
    ASSERT_TRUE(view->PrintGraph());
    MoveMouse(view.get(), centre);
    EXPECT_EQ(host.Pane(2), "Az:  0 El:90");
}

TEST(Printing, PrinterChosenInSetUpServesLaterPrints) {
    TestHost host;
    host.FillDay();
    QTemporaryDir dir;
    PrintingPrompts prompts;
    auto view = OpenView(host, 1108);
    prompts.setupPath = dir.filePath("chosen.pdf");
    ASSERT_TRUE(TBaseMDIChild::PrintSetup(view.get()));
    prompts.pdfPath.clear(); // the print dialog keeps the set-up
    ASSERT_TRUE(view->PrintGraph());
    EXPECT_EQ(PdfPageCount(prompts.setupPath), 1);
    QFile::remove(prompts.setupPath);
    ASSERT_TRUE(view->PrintTable());
    EXPECT_GE(PdfPageCount(prompts.setupPath), 1);
}

TEST(Printing, HeaderBlockDescribesTheSiteAndThePlanningParameters) {
    TestHost host;
    host.FillDay();
    host.calc.SetElevationMask(static_cast<float>(15 * kDeg));
    for (int command : {1106, 1107, 1108}) {
        auto view = OpenView(host, command);
        QBuffer svg;
        svg.open(QIODevice::WriteOnly);
        {
            QSvgGenerator page;
            page.setOutputDevice(&svg);
            page.setSize(QSize(794, 1123)); // A4 at 96 dpi
            page.setResolution(96);
            QPainter p(&page);
            Canvas dc(p);
            view->PrintOnDC(dc, 0, 5);
        }
        const QString text = QString::fromUtf8(svg.data());
        for (const char* expected : {"Site name:", "Hill top", "Site description:", "North ridge",
                                     "Latitude :", "Longitude:", "Elevation cut-off angle: 15", "Mode: 3D",
                                     "Date: 12/8/2026", "Local Time Interval: 0:00 - 24:00",
                                     "Available GPS satellites", "Available GLONASS satellites"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << command << ": " << expected;
    }
    // Without a current site the page still prints.
    host.withSite = false;
    auto view = OpenView(host, 1107);
    QTemporaryDir dir;
    PrintingPrompts prompts;
    prompts.pdfPath = dir.filePath("nosite.pdf");
    ASSERT_TRUE(view->PrintGraph());
    EXPECT_EQ(PdfPageCount(prompts.pdfPath), 1);
}

TEST(GraphExport, WritesThePicturesAndOnePdfOfGraphsAndTables) {
    TestHost host;
    for (int s = 0; s < 6; ++s)
        host.Visible(s, 0, 96, 60 * s);
    CalculatorTestAccess::SetInterval(host.calc, 0, 5); // each table on one page
    QTemporaryDir dir;
    GraphExportRequest request;
    request.calculator = &host.calc;
    request.site = &host.site;
    request.interval = host.interval;
    request.graphsDirectory = dir.filePath("graphs").toStdString(); // made when missing
    request.pdfPath = dir.filePath("plan.pdf").toStdString();
    std::string error;
    ASSERT_TRUE(ExportGraphs(request, error)) << error;
    EXPECT_TRUE(error.empty());
    for (const char* name : {"visibility", "sky", "dop"}) {
        const QString base = dir.filePath(QString("graphs/") + name);
        const QImage png(base + ".png");
        ASSERT_FALSE(png.isNull()) << name;
        EXPECT_EQ(png.width(), 1200) << name;
        // Under the printed page's header.
        const QByteArray svg = ReadAll(base + ".svg");
        for (const char* caption :
             {"Site name:", "Hill top", "Date: 12/8/2026", "Local Time Interval: 0:00 - 24:00"})
            EXPECT_TRUE(svg.contains(caption)) << name << ": " << caption;
    }
    // The sky and DOP graphs take the height asked for below the header; six rows of satellites
    // do not fill it.
    const int visibilityHeight = QImage(dir.filePath("graphs/visibility.png")).height();
    EXPECT_GT(QImage(dir.filePath("graphs/dop.png")).height(), 800);
    EXPECT_LT(visibilityHeight, QImage(dir.filePath("graphs/dop.png")).height() - 200);
    // The visibility picture shows the first satellite's bar.
    const QImage vis = QImage(dir.filePath("graphs/visibility.png")).convertToFormat(QImage::Format_RGB32);
    bool bar = false;
    for (int y = 0; y < vis.height() && !bar; ++y)
        for (int x = 0; x < vis.width() && !bar; ++x)
            bar = QColor(vis.pixel(x, y)) == SeriesPalette()[0];
    EXPECT_TRUE(bar);
    // Three graphs, one visibility table page, one DOP table page.
    EXPECT_EQ(PdfPageCount(QString::fromStdString(request.pdfPath)), 5);
}

// The lowest row of `image` with anything drawn on it.
int LowestInk(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor(image.pixel(x, y)) != Qt::white)
                return y;
    return -1;
}

TEST(GraphExport, ViewWritesItsPictureUnderTheHeaderAsPngSvgOrPdf) {
    TestHost host;
    host.FillDay();
    host.calc.SetElevationMask(static_cast<float>(15 * kDeg));
    QTemporaryDir dir;
    auto visibility = OpenView(host, 1106);
    const QSize asked(900, 1400); // far taller than twelve rows
    QString error;
    ASSERT_TRUE(visibility->ExportGraphTo(dir.filePath("v.png"), asked, &error)) << error.toStdString();
    const QImage png(dir.filePath("v.png"));
    EXPECT_EQ(png.width(), 900);
    // As tall as the header, the rows and the time axis: no blank half below.
    EXPECT_LT(png.height(), 800);
    EXPECT_GT(LowestInk(png), png.height() - png.height() / 10);

    ASSERT_TRUE(visibility->ExportGraphTo(dir.filePath("v.SVG"), asked, &error)) << error.toStdString();
    const QByteArray svg = ReadAll(dir.filePath("v.SVG"));
    for (const char* caption : {"Site name:", "Hill top", "Latitude :", "Elevation cut-off angle: 15",
                                "Date: 12/8/2026", "Local Time Interval: 0:00 - 24:00", "GMT"})
        EXPECT_TRUE(svg.contains(caption)) << caption;

    auto sky = OpenView(host, 1108);
    ASSERT_TRUE(sky->ExportGraphTo(dir.filePath("s.pdf"), QSize(600, 600), &error)) << error.toStdString();
    const QByteArray pdf = ReadAll(dir.filePath("s.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(PdfPageCount(dir.filePath("s.pdf")), 1);
    // The window is as it was, and a name that says no picture format writes nothing.
    EXPECT_EQ(sky->size(), QSize(800, 600));
    EXPECT_FALSE(sky->ExportGraphTo(dir.filePath("s.txt"), QSize(600, 600), &error));
    EXPECT_TRUE(error.contains("s.txt")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("s.txt")));
}

TEST(GraphExport, FailuresNameWhatFailedAndLeaveNoPartialFile) {
    TestHost host;
    host.FillDay();
    QTemporaryDir dir;
    std::string error;

    GraphExportRequest none;
    none.graphsDirectory = dir.filePath("g").toStdString();
    EXPECT_FALSE(ExportGraphs(none, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(QFile::exists(dir.filePath("g")));

    GraphExportRequest request;
    request.calculator = &host.calc;
    request.interval = host.interval;
    const std::string file = dir.filePath("plain").toStdString();
    std::ofstream(file) << "x";
    request.graphsDirectory = file + "/graphs"; // below a regular file
    EXPECT_FALSE(ExportGraphs(request, error));
    EXPECT_NE(error.find(request.graphsDirectory), std::string::npos) << error;

    request.graphsDirectory.clear();
    request.pdfPath = dir.filePath("missing/plan.pdf").toStdString();
    EXPECT_FALSE(ExportGraphs(request, error));
    EXPECT_NE(error.find(request.pdfPath), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(request.pdfPath + ".part"));

    request.pdfPath.clear();
    request.graphsDirectory = dir.filePath("g2").toStdString();
    request.width = 0;
    EXPECT_FALSE(ExportGraphs(request, error));
    EXPECT_NE(error.find("0x800"), std::string::npos) << error;
}
