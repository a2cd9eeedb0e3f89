// Graphs as files: one view's picture under the printed page's header block as PNG, SVG or a
// one-page PDF (the desktop's Export Graph), and for the command line PNG and SVG pictures of
// each view and one PDF with the printed graphs and both tables under the header block, all drawn
// by the views' own code. Needs a QGuiApplication (the offscreen platform will do); makes no window.
#pragma once

#include <QByteArray>
#include <QSize>

#include <string>
#include <vector>

#include "base/safefile.h"
#include "engine/planinterval.h"

class Calculator;
class SiteInfo;
class ViewPainter;
struct HeaderInfo;
struct ViewInputs;

enum class GraphFormat { Png, Svg, Pdf };

// The format a file name's extension names (any case); false for none of the three.
bool GraphFormatOf(const std::string& path, GraphFormat& format);

// The view's captioned picture (ViewPainter::PaintCaptioned) at `graph` size, encoded; empty when
// it could not be. A PDF is one page of the picture's own size.
QByteArray GraphPicture(ViewPainter& view, GraphFormat format, const ViewInputs& in, const HeaderInfo& header,
                        QSize graph);
// The same written to `path` through a SafeWriter; false with the errno value in *error.
bool WriteGraphPicture(ViewPainter& view, GraphFormat format, const ViewInputs& in, const HeaderInfo& header,
                       QSize graph, const std::string& path, int* error, SafeWriteOptions options = {});

struct GraphExportRequest {
    const Calculator* calculator = nullptr;
    const SiteInfo* site = nullptr; // may be null
    PlanInterval interval;
    // The systems planned and a line per system's orbit source, for the caption; none: the
    // almanac's name.
    std::string systems;
    std::vector<std::string> sources;
    std::string graphsDirectory; // empty: no pictures
    std::string pdfPath;         // empty: no PDF
    int width = 1200, height = 800;
    SafeWriteOptions writeOptions;
    // The line for a file that could not be written.
    std::string (*writeErrorText)(const std::string& path, int error) = WriteErrorText;
};

// Writes visibility, sky and dop .png and .svg (captioned pictures) into the directory (created when missing)
// and/or the PDF ("-": standard output), each through a SafeWriter: a file is replaced only when its new
// content is complete. On failure `error` is one line naming what failed.
bool ExportGraphs(const GraphExportRequest& request, std::string& error);
