// One view's drawing on every device: the screen, a printer page with the header block, the
// clipboard picture and the exported files. The windows and the graph export both go through it,
// so what is printed or exported is what the window shows. Also the printed text tables.
#pragma once

#include <QRect>
#include <QSize>

#include <memory>

#include "views/canvas.h"
#include "views/dopplotdrawing.h"
#include "views/satvisibilitydrawing.h"
#include "views/skyplotdrawing.h"
#include "views/viewinputs.h"
#include "views/viewstate.h"

class QPaintDevice;
class QPainter;
class QPagedPaintDevice;
class Table;
struct TextPage;
struct HeaderInfo;

// View kinds as the print-table command asks them.
inline constexpr int kViewKindDop = 0;
inline constexpr int kViewKindSky = 1;
inline constexpr int kViewKindVisibility = 2;

class ViewPainter {
public:
    virtual ~ViewPainter() = default;

    virtual ViewState& State() = 0;
    virtual int ViewKind() const = 0;

    // What the window shows at ClientWidth x ClientHeight; `update` in device units.
    virtual void ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) = 0;

    // Page `page` (from 0) of the graph below the header block; the layout is the same afterwards.
    // Returns how many pages the graph takes on this device.
    int PrintOnDC(Canvas& dc, const ViewInputs& in, const HeaderInfo& header, int page, int leftMarginChars);

    // The clipboard picture after a screen paint: its size in pixels, and its drawing. Both leave
    // the layout as it was.
    QSize CopySize(const ViewInputs& in);
    void DrawCopy(Canvas& dc, const ViewInputs& in);

    // The exported picture: the printed page's header block as its caption, with the window's
    // picture of the graph below it, `graph` wide and, but for the visibility graph (as tall as
    // its rows), `graph` tall. Sizes in pixels of `device`, which only lends its resolution.
    QSize CaptionedSize(QPaintDevice& device, const ViewInputs& in, const HeaderInfo& header, QSize graph);
    // Draws that picture at the painter's origin; both leave the drawing state as it was.
    void PaintCaptioned(QPainter& painter, const ViewInputs& in, const HeaderInfo& header, QSize graph);

    ViewLayout SaveLayout() { return State().layout; }
    void RestoreLayout(const ViewLayout& layout) { State().layout = layout; }

protected:
    // A copy of the whole drawing state, put back after a page or a clipboard picture.
    virtual void Keep() = 0;
    virtual void Restore() = 0;
    virtual void ComputeMargins() = 0;
    virtual QRect PrepareForDevice(Canvas& dc, const ViewInputs& in, const HeaderInfo& header,
                                   int leftMarginChars);
    virtual QRect GetDrawRect(const ViewInputs& in);
    // The picture's size after GetDrawRect.
    virtual QSize CopyExtent();
    // The drawing proper, into the rectangle the caller prepared.
    virtual void PaintRect(Canvas& dc, const ViewInputs& in, QRect rect) = 0;
    // A picture shows the graph from its first row, with no room kept for a scroll bar; the
    // height its content takes at `graph` size, with the view font selected.
    virtual void PrepareForPicture() {}
    virtual int PictureHeight(Canvas& dc, const ViewInputs& in, QSize graph);

    // While a page is prepared: which one, and how many the graph takes (PrepareForDevice sets it).
    int page_ = 0;
    int pages_ = 1;
};

// What every view's painter shares: its drawing, the kept copy of it and the view kind.
template <typename Drawing, int Kind> class DrawingPainter : public ViewPainter {
public:
    Drawing d;
    ViewState& State() override { return d.vs; }
    int ViewKind() const override { return Kind; }

protected:
    void Keep() override { kept_ = d; }
    void Restore() override { d = kept_; }
    void ComputeMargins() override { d.ComputeMargins(); }

private:
    Drawing kept_;
};

class SatVisibilityPainter : public DrawingPainter<SatVisibilityDrawing, kViewKindVisibility> {
public:
    void ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) override;

protected:
    QRect PrepareForDevice(Canvas& dc, const ViewInputs& in, const HeaderInfo& header,
                           int leftMarginChars) override;
    QRect GetDrawRect(const ViewInputs& in) override;
    QSize CopyExtent() override;
    void PaintRect(Canvas& dc, const ViewInputs& in, QRect rect) override { d.Draw(dc, in, rect); }
    void PrepareForPicture() override;
    int PictureHeight(Canvas& dc, const ViewInputs& in, QSize graph) override;
};

class SkyPlotPainter : public DrawingPainter<SkyPlotDrawing, kViewKindSky> {
public:
    void ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) override;

protected:
    QRect PrepareForDevice(Canvas& dc, const ViewInputs& in, const HeaderInfo& header,
                           int leftMarginChars) override;
    void PaintRect(Canvas& dc, const ViewInputs& in, QRect rect) override;
};

class DopPlotPainter : public DrawingPainter<DopPlotDrawing, kViewKindDop> {
public:
    void ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) override;

protected:
    void PaintRect(Canvas& dc, const ViewInputs& in, QRect rect) override;
};

// The window's picture at `size` on any device (image, SVG), on a white ground: what the export
// writes and the benchmark measures.
void PaintWindowPicture(ViewPainter& view, QPainter& painter, const ViewInputs& in, QSize size);

// A painter for a view kind.
std::unique_ptr<ViewPainter> MakeViewPainter(int viewKind);

// The header block with the view font at (indentChars, indentLines); returns its height in
// logical units (the longer column's final line).
int PrintHeader(Canvas& dc, const HeaderInfo& header, int indentChars, int indentLines, int charWidth,
                int lineHeight, int pageWidth);

// The three fixed-pitch fonts of the tables (title, subtitle, body) with their metrics.
struct TableFonts {
    CanvasFont font[3];
    int charWidth[3] = {1, 1, 1};
    int lineHeight[3] = {1, 1, 1};
};
// Measures the fonts on `dc` and gives the table its print parameters from them and the page.
TableFonts PrepareTable(Canvas& dc, Table& table);
// One laid-out page of `table`.
void DrawTablePage(Canvas& dc, const TableFonts& fonts, const Table& table, const TextPage& page);

// Every page of a table on a paged device, drawn with the table fonts measured on it; returns the
// number of pages printed.
int PrintTablePages(QPainter& painter, QPagedPaintDevice& device, Table& table);
