// The three graphs as files for the command line: PNG and SVG pictures of each view and one PDF
// with the printed graphs and both tables under the header block, drawn by the views' own code.
// Needs a QGuiApplication (the offscreen platform will do); makes no window.
#pragma once

#include <string>

#include "base/safefile.h"
#include "engine/planinterval.h"

class Calculator;
class SiteInfo;

struct GraphExportRequest {
    const Calculator* calculator = nullptr;
    const SiteInfo* site = nullptr; // may be null
    PlanInterval interval;
    std::string graphsDirectory; // empty: no pictures
    std::string pdfPath;         // empty: no PDF
    int width = 1200, height = 800;
    SafeWriteOptions writeOptions;
    // The line for a file that could not be written.
    std::string (*writeErrorText)(const std::string& path, int error) = WriteErrorText;
};

// Writes visibility, sky and dop .png and .svg into the directory (created when missing) and/or
// the PDF ("-": standard output), each through a SafeWriter: a file is replaced only when its new
// content is complete. On failure `error` is one line naming what failed.
bool ExportGraphs(const GraphExportRequest& request, std::string& error);
