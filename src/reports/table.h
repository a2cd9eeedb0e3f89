// The two text tables of the displayed interval, laid out page by page as positioned text.
#pragma once

#include <string>
#include <vector>

#include "base/strings.h"
#include "reports/headerblock.h"
#include "reports/textpage.h"

class Calculator;

// Font metrics and page size in the device's logical units. For plain text every unit is one
// character or one line.
struct TableMetrics {
    int bodyCharWidth = 1, bodyLineHeight = 1;
    int titleCharWidth = 1, titleLineHeight = 1;
    int subtitleCharWidth = 1, subtitleLineHeight = 1;
    int pageWidth = 80, pageHeight = 60;

    static TableMetrics ForText(int charsPerLine, int linesPerPage);
};

// Title and subtitle items are centred; a printout draws the title at y = 0 and the subtitle at
// y = 2 x title line height, body items at line x body line height.
class Table {
public:
    Table(std::string title, const Calculator& calculator, HeaderInfo header);
    virtual ~Table() = default;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const std::string& Title() const { return title_; }
    void SetPrintParameters(const TableMetrics& metrics);
    virtual void BeginDocument();
    bool HasPage() const { return !done_; }
    TextPage PrintPage();

    // The whole job: begin, then every page.
    std::vector<TextPage> Pages();

    int CharsPerLine() const { return charsPerLine_; }
    // The job ended because a page could not hold a single row (the page is too short).
    bool Stalled() const { return stalled_; }
    int LinesPerPage() const { return linesPerPage_; }
    const TableMetrics& Metrics() const { return metrics_; }

protected:
    virtual void PrepareData();
    virtual int SubtitleId() const = 0;
    // Lays out one page below the page top (line `top`); returns whether it made progress.
    virtual bool PrintBody(TextPage& page, int top) = 0;

    int PageTop(TextPage& page) const;
    bool Fits(int line) const { return line + 1 <= linesPerPage_; }
    static void Body(TextPage& page, int line, int column, std::string text);

    const Calculator& calc_;
    HeaderInfo header_;
    int rowCount_ = 0;
    int nextRow_ = 0;
    int nextTime_ = 0;
    int step_ = 900;
    int charsPerLine_ = 0;
    int linesPerPage_ = 0;
    bool done_ = false;
    bool stalled_ = false;

private:
    std::string title_;
    TableMetrics metrics_;
};

class VisibilityTable : public Table {
public:
    VisibilityTable(const Calculator& calculator, HeaderInfo header);
    void BeginDocument() override;
    const std::vector<int>& Columns() const { return columns_; }

protected:
    void PrepareData() override;
    int SubtitleId() const override { return IDS_TABLE_SUBTITLE_VISIBILITY; }
    bool PrintBody(TextPage& page, int top) override;

private:
    std::vector<int> columns_; // satellite indexes, ascending
    int columnOffset_ = 0;
};

class DOPTable : public Table {
public:
    DOPTable(const Calculator& calculator, HeaderInfo header);

protected:
    int SubtitleId() const override { return IDS_TABLE_SUBTITLE_DOP; }
    bool PrintBody(TextPage& page, int top) override;
};
