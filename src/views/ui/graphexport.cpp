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

constexpr int kPictureDpi = 96;

void SetPictureResolution(QImage& image) {
    const int perMetre = qRound(kPictureDpi / 0.0254);
    image.setDotsPerMeterX(perMetre);
    image.setDotsPerMeterY(perMetre);
}

// The picture's size on a device of the pictures' resolution.
QSize MeasurePicture(ViewPainter& view, const ViewInputs& in, const HeaderInfo& header, QSize graph) {
    QImage scratch(QSize(1, 1), QImage::Format_RGB32);
    SetPictureResolution(scratch);
    return view.CaptionedSize(scratch, in, header, graph);
}

// One page as large as the picture, nothing kept free at its edges: the picture has its margins.
bool PaintPdf(QIODevice& device, ViewPainter& view, const ViewInputs& in, const HeaderInfo& header,
              QSize graph) {
    const QSize size = MeasurePicture(view, in, header, graph);
    QPdfWriter writer(&device);
    writer.setResolution(kPictureDpi);
    writer.setPageSize(QPageSize(QSizeF(size) / kPictureDpi, QPageSize::Inch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    view.PaintCaptioned(painter, in, header, graph);
    return painter.end();
}

} // namespace

bool GraphFormatOf(const std::string& path, GraphFormat& format) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (ext == ".png")
        format = GraphFormat::Png;
    else if (ext == ".svg")
        format = GraphFormat::Svg;
    else if (ext == ".pdf")
        format = GraphFormat::Pdf;
    else
        return false;
    return true;
}

QByteArray GraphPicture(ViewPainter& view, GraphFormat format, const ViewInputs& in, const HeaderInfo& header,
                        QSize graph) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == GraphFormat::Pdf) {
        if (!PaintPdf(buffer, view, in, header, graph))
            bytes.clear();
        return bytes;
    }
    const QSize size = MeasurePicture(view, in, header, graph);
    if (format == GraphFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(kPictureDpi);
        QPainter painter(&generator);
        view.PaintCaptioned(painter, in, header, graph);
        return bytes;
    }
    QImage image(size, QImage::Format_RGB32);
    SetPictureResolution(image);
    {
        QPainter painter(&image);
        view.PaintCaptioned(painter, in, header, graph);
    }
    if (!image.save(&buffer, "PNG"))
        bytes.clear();
    return bytes;
}

bool WriteGraphPicture(ViewPainter& view, GraphFormat format, const ViewInputs& in, const HeaderInfo& header,
                       QSize graph, const std::string& path, int* error, SafeWriteOptions options) {
    int ignored = 0;
    int& e = error ? *error : ignored;
    e = 0;
    if (format != GraphFormat::Pdf) {
        const QByteArray data = GraphPicture(view, format, in, header, graph);
        if (data.isEmpty()) {
            e = EIO; // the picture could not be encoded
            return false;
        }
        return WriteFileSafely(path, std::string_view(data.constData(), static_cast<size_t>(data.size())), &e,
                               options);
    }
    // The PDF goes out as the writer makes it; the target is replaced only once it is whole.
    SafeWriter out;
    if (out.Open(path, options)) {
        SafeWriterDevice device(out);
        if (!PaintPdf(device, view, in, header, graph) && out.Error() == 0) {
            out.Abandon();
            e = EIO;
            return false;
        }
    }
    if (!out.Commit()) {
        e = out.Error();
        return false;
    }
    return true;
}

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
    ViewInputs in = InputsFromCalculator(calc, request.interval, ObstructionsOf(request.site));
    in.terrain = SkylineOf(request.site);
    HeaderInfo header = MakeHeaderInfo(calc, request.site, request.interval);
    header.systems = request.systems;
    header.sources = request.sources;

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
            for (GraphFormat format : {GraphFormat::Png, GraphFormat::Svg}) {
                std::unique_ptr<ViewPainter> view = Painter(kKinds[k]);
                files.push_back({dir / (name + (format == GraphFormat::Png ? ".png" : ".svg")),
                                 GraphPicture(*view, format, in, header, size)});
            }
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
