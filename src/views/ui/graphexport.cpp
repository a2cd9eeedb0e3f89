#include "views/ui/graphexport.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "base/strings.h"
#include "engine/calculator.h"
#include "reports/headerblock.h"
#include "reports/table.h"
#include "views/canvas.h"
#include "views/satvisibilitydrawing.h"
#include "views/ui/safepdf.h"
#include "views/viewinputs.h"
#include "views/viewprinting.h"

namespace {

constexpr int kMaxSide = 10000;
constexpr int kPdfResolution = 300;   // dpi
constexpr int kPrintedLeftMargin = 5; // characters, as on the printer

struct OutputFile {
    std::filesystem::path path;
    QByteArray data;
};

// The views in the order of the files and the PDF pages.
const int kKinds[3] = {kViewKindVisibility, kViewKindSky, kViewKindDop};
const int kNameIds[3] = {IDS_EXPORT_NAME_VISIBILITY, IDS_EXPORT_NAME_SKY, IDS_EXPORT_NAME_DOP};

std::unique_ptr<ViewPainter> Painter(int kind) {
    std::unique_ptr<ViewPainter> p = MakeViewPainter(kind);
    p->State().TextColor = Qt::black;
    return p;
}

// Empty when the picture could not be encoded.
QByteArray Png(int kind, const ViewInputs& in, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        std::unique_ptr<ViewPainter> view = Painter(kind);
        PaintWindowPicture(*view, painter, in, size);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        bytes.clear();
    return bytes;
}

// The visibility graph as tall as its rows need (a window scrolls them; a file cannot): with four
// systems there are far more rows than the requested height holds.
QSize SizeFor(int kind, const ViewInputs& in, QSize size) {
    if (kind != kViewKindVisibility)
        return size;
    QImage scratch(size, QImage::Format_RGB32);
    SatVisibilityDrawing rows;
    rows.vs.layout.ClientWidth = size.width();
    rows.vs.layout.ClientHeight = size.height();
    {
        QPainter painter(&scratch);
        Canvas dc(painter);
        rows.Paint(dc, in, QRect(QPoint(0, 0), size));
    }
    const ViewLayout& L = rows.vs.layout;
    if (rows.RowCount <= L.VisibleRows)
        return size;
    const int needed = L.MarginTop + L.MarginBottom + rows.RowCount * L.RowHeight + L.RowHeight;
    return QSize(size.width(), std::min(kMaxSide, std::max(size.height(), needed)));
}

QByteArray Svg(int kind, const ViewInputs& in, QSize size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(96);
    {
        QPainter painter(&generator);
        std::unique_ptr<ViewPainter> view = Painter(kind);
        PaintWindowPicture(*view, painter, in, size);
    }
    return bytes;
}

bool WritePdf(QIODevice& device, const Calculator& calc, const ViewInputs& in, const HeaderInfo& header) {
    QPdfWriter writer(&device);
    writer.setResolution(kPdfResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    KeepPrintMargins(writer);
    writer.setTitle(QString::fromStdString(ResString(IDS_TITLE_GRAPH_PRINTOUT)));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    bool first = true;
    for (int kind : kKinds) {
        if (!first)
            writer.newPage();
        first = false;
        std::unique_ptr<ViewPainter> view = Painter(kind);
        Canvas dc(painter);
        for (int page = 0, pages = 1; page < pages; ++page) {
            if (page > 0)
                writer.newPage();
            pages = view->PrintOnDC(dc, in, header, page, kPrintedLeftMargin);
        }
    }
    VisibilityTable visibility(calc, header);
    DOPTable dop(calc, header);
    Table* tables[2] = {&visibility, &dop};
    for (Table* t : tables) {
        writer.newPage();
        PrintTablePages(painter, writer, *t);
    }
    return painter.end();
}

std::string Text(int id) {
    return ResString(id);
}

} // namespace

bool ExportGraphs(const GraphExportRequest& request, std::string& error) {
    error.clear();
    if (!QGuiApplication::instance()) {
        error = Text(IDS_EXPORT_NO_APPLICATION);
        return false;
    }
    if (!request.calculator || request.calculator->intervalCount() <= 0) {
        error = Text(IDS_EXPORT_NO_RESULTS);
        return false;
    }
    if (request.width < 1 || request.height < 1 || request.width > kMaxSide || request.height > kMaxSide) {
        error = FormatText(Text(IDS_EXPORT_BAD_SIZE).c_str(), request.width, request.height);
        return false;
    }
    const Calculator& calc = *request.calculator;
    const ViewInputs in = InputsFromCalculator(calc, request.interval, ObstructionsOf(request.site));
    const HeaderInfo header = MakeHeaderInfo(calc, request.site, request.interval);

    std::vector<OutputFile> files;
    if (!request.graphsDirectory.empty()) {
        const std::filesystem::path dir(request.graphsDirectory);
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec || !std::filesystem::is_directory(dir)) {
            const std::string why =
                ec ? ec.message() : std::make_error_code(std::errc::not_a_directory).message();
            error =
                FormatText(Text(IDS_EXPORT_DIRECTORY).c_str(), request.graphsDirectory.c_str(), why.c_str());
            return false;
        }
        const QSize size(request.width, request.height);
        for (int k = 0; k < 3; ++k) {
            const std::string name = Text(kNameIds[k]);
            const QSize fitted = SizeFor(kKinds[k], in, size);
            files.push_back({dir / (name + ".png"), Png(kKinds[k], in, fitted)});
            files.push_back({dir / (name + ".svg"), Svg(kKinds[k], in, fitted)});
        }
    }
    for (const OutputFile& f : files) {
        int e = 0;
        if (f.data.isEmpty())
            e = EIO; // the picture could not be encoded
        else if (WriteFileSafely(f.path.string(), std::string_view(f.data.constData(), f.data.size()), &e,
                                 request.writeOptions))
            continue;
        error = request.writeErrorText(f.path.string(), e);
        return false;
    }
    if (!request.pdfPath.empty()) {
        SafeWriter out;
        if (out.Open(request.pdfPath, request.writeOptions)) {
            SafeWriterDevice device(out);
            if (!WritePdf(device, calc, in, header) && out.Error() == 0) {
                out.Abandon();
                error = FormatText(Text(IDS_EXPORT_PDF).c_str(), request.pdfPath.c_str());
                return false;
            }
        }
        if (!out.Commit()) {
            error = request.writeErrorText(request.pdfPath, out.Error());
            return false;
        }
    }
    return true;
}
