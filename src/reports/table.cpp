#include "reports/table.h"

#include <cmath>

#include "base/strings.h"
#include "base/text.h"
#include "engine/calculator.h"

namespace {

constexpr int kLabelWidth = 7;   // visibility rows: the time or row label
constexpr int kColumnWidth = 10; // visibility rows: one satellite
constexpr int kDopFirst = 9;     // DOP rows: where the first value starts
constexpr int kDopWidth = 12;
constexpr int kDopCountWidth = 7;

} // namespace

TableMetrics TableMetrics::ForText(int charsPerLine, int linesPerPage) {
    TableMetrics m;
    m.pageWidth = charsPerLine;
    m.pageHeight = linesPerPage;
    return m;
}

Table::Table(std::string title, const Calculator& calculator, HeaderInfo header)
    : calc_(calculator), header_(std::move(header)), title_(std::move(title)) {}

void Table::SetPrintParameters(const TableMetrics& metrics) {
    metrics_ = metrics;
    linesPerPage_ = metrics.bodyLineHeight > 0 ? metrics.pageHeight / metrics.bodyLineHeight : 0;
    charsPerLine_ = metrics.bodyCharWidth > 0 ? metrics.pageWidth / metrics.bodyCharWidth : 0;
    PrepareData();
}

void Table::PrepareData() {
    rowCount_ = calc_.intervalCount();
    step_ = calc_.step();
}

void Table::BeginDocument() {
    nextRow_ = 0;
    nextTime_ = IntervalStartSeconds(header_.interval);
    done_ = false;
    stalled_ = false;
}

std::vector<TextPage> Table::Pages() {
    BeginDocument();
    std::vector<TextPage> pages;
    while (HasPage())
        pages.push_back(PrintPage());
    return pages;
}

void Table::Body(TextPage& page, int line, int column, std::string text) {
    page.items.push_back({FontRole::Body, column, line, false, std::move(text)});
}

int Table::PageTop(TextPage& page) const {
    page.items.push_back({FontRole::Title, 0, 0, true,
                          header_.systems.empty() ? ResString(IDS_TABLE_TITLE)
                                                  : FormatText(ResString(IDS_TABLE_TITLE_SYSTEMS).c_str(),
                                                               header_.systems.c_str())});
    const int bodyLh = metrics_.bodyLineHeight > 0 ? metrics_.bodyLineHeight : 1;
    page.items.push_back(
        {FontRole::Subtitle, 0, 2 * metrics_.titleLineHeight / bodyLh, true, ResString(SubtitleId())});
    int line = (metrics_.titleLineHeight + metrics_.subtitleLineHeight) * 2 / bodyLh + 1;
    const HeaderBlock header = LayoutHeaderBlock(header_, 0, line, charsPerLine_);
    for (const TextItem& item : header.items)
        if (Fits(item.line))
            page.items.push_back(item);
    return line + header.heightLines + 3;
}

TextPage Table::PrintPage() {
    TextPage page;
    if (done_)
        return page;
    const int top = PageTop(page);
    // A page that cannot hold anything would be asked for again and again: end the job instead.
    if (!PrintBody(page, top)) {
        done_ = true;
        stalled_ = true;
    }
    return page;
}

// ---- visibility table -------------------------------------------------------------------------

VisibilityTable::VisibilityTable(const Calculator& calculator, HeaderInfo header)
    : Table(ResString(IDS_TITLE_VISIBILITY_TABLE), calculator, std::move(header)) {}

void VisibilityTable::BeginDocument() {
    Table::BeginDocument();
    columnOffset_ = 0;
}

void VisibilityTable::PrepareData() {
    Table::PrepareData();
    columns_.clear();
    const int first = calc_.intervalFirst();
    for (int sat : kListedSatellites) {
        if (!calc_.IsEnabled(sat))
            continue;
        for (int r = 0; r < rowCount_; ++r) {
            if (calc_.samples(sat)[first + r].visible == 1) {
                columns_.push_back(sat);
                break;
            }
        }
    }
}

bool VisibilityTable::PrintBody(TextPage& page, int top) {
    if (rowCount_ == 0) { // only the page top
        done_ = true;
        return true;
    }
    // the columns of this page
    int fitting = 0;
    for (int g = kLabelWidth;
         columnOffset_ + fitting < static_cast<int>(columns_.size()) && g + kColumnWidth < charsPerLine_;
         g += kColumnWidth)
        ++fitting;
    if (fitting == 0 && !columns_.empty())
        return false;
    const auto columnAt = [&](int c) { return columns_[static_cast<size_t>(columnOffset_ + c)]; };

    int line = top;
    if (Fits(line)) {
        std::string row = ResString(IDS_TABLE_LABEL_SYSTEM);
        for (int c = 0; c < fitting; ++c) {
            const GnssSystem system = SatelliteCatalogue::At(columnAt(c)).system;
            const bool firstOfSystem = c == 0 || SatelliteCatalogue::At(columnAt(c - 1)).system != system;
            const std::string name = SystemTitle(system);
            const int g = kLabelWidth + c * kColumnWidth;
            const bool show = firstOfSystem && charsPerLine_ >= g + static_cast<int>(name.size());
            row += FormatText("  %-8.8s", show ? name.c_str() : "");
        }
        Body(page, line, 0, row);
    }
    ++line;
    if (Fits(line)) {
        std::string row = ResString(IDS_TABLE_LABEL_SV);
        for (int c = 0; c < fitting; ++c) {
            row += FormatText("    %-2d    ", SatelliteCatalogue::At(columnAt(c)).number);
        }
        Body(page, line, 0, row);
    }
    line += 2;
    if (Fits(line)) {
        std::string row = ResString(IDS_TABLE_LABEL_TIME);
        for (int c = 0; c < fitting; ++c)
            row += ResString(IDS_TABLE_EL_AZ);
        Body(page, line, 0, row);
    }
    line += 2;

    int rows = 0;
    for (; nextRow_ + rows < rowCount_ && Fits(line); ++rows, ++line) {
        std::string row = FormatText("%s  ", ClockText(nextTime_ + rows * step_).c_str());
        const int k = calc_.intervalFirst() + nextRow_ + rows;
        for (int c = 0; c < fitting; ++c) {
            const SatSample& s = calc_.samples(columnAt(c))[k];
            if (s.visible == 1)
                row += FormatText("  %2d:%3d  ", static_cast<int>(s.elevation * kRadToDeg + 0.5),
                                  static_cast<int>(s.azimuth * kRadToDeg + 0.5));
            else
                row += "----|-----";
        }
        Body(page, line, 0, row);
    }
    if (rows == 0)
        return false;

    if (columnOffset_ + fitting < static_cast<int>(columns_.size())) {
        columnOffset_ += fitting;
    } else {
        columnOffset_ = 0;
        nextRow_ += rows;
        nextTime_ += rows * step_;
    }
    if (nextRow_ >= rowCount_)
        done_ = true;
    return true;
}

// ---- DOP table -----------------------------------------------------------------------------------

DOPTable::DOPTable(const Calculator& calculator, HeaderInfo header)
    : Table(ResString(IDS_TITLE_DOP_TABLE), calculator, std::move(header)) {}

bool DOPTable::PrintBody(TextPage& page, int top) {
    Body(page, top, 0, ResString(IDS_TABLE_DOP_HEADING_1));
    Body(page, top + 1, 0, ResString(IDS_TABLE_DOP_HEADING_2));
    int line = top + 3;
    bool progress = false;
    for (; nextRow_ < rowCount_ && Fits(line); ++line, progress = true) {
        const int k = calc_.intervalFirst() + nextRow_;
        const float values[5] = {calc_.pdop()[k], calc_.gdop()[k], calc_.hdop()[k], calc_.vdop()[k],
                                 calc_.tdop()[k]};
        std::string row;
        int p = kDopFirst;
        if (charsPerLine_ > kDopFirst)
            row = FormatText("%s    ", ClockText(nextTime_).c_str());
        for (float v : values) {
            if (p + kDopWidth >= charsPerLine_)
                continue;
            const float rounded = static_cast<float>(std::floor(v * 100.0 + 0.5) * 0.01);
            if (rounded > 99.99 || rounded == 0)
                row += "    ****    ";
            else
                row += FormatText("   %5.2f    ", static_cast<double>(rounded));
            p += kDopWidth;
        }
        if (p + kDopCountWidth < charsPerLine_)
            row += FormatText("     %2d", calc_.satelliteCount()[k]);
        Body(page, line, 0, row);
        ++nextRow_;
        nextTime_ += step_;
    }
    if (nextRow_ >= rowCount_)
        done_ = true;
    return progress || rowCount_ == 0;
}
