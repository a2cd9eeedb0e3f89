#include "views/viewprinting.h"

#include <QPagedPaintDevice>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

#include "reports/headerblock.h"
#include "reports/table.h"

int ViewPainter::PrintOnDC(Canvas& dc, const ViewInputs& in, const HeaderInfo& header, int page,
                           int leftMarginChars) {
    // The whole drawing state, not only the layout: the window's readouts work from what its
    // last screen paint left (the sky plot's centre, the DOP legend), not from the page.
    Keep();
    page_ = std::max(0, page);
    pages_ = 1;
    const QPoint origin = dc.ViewportOrg();
    const QRect rect = PrepareForDevice(dc, in, header, leftMarginChars);
    if (page_ < pages_)
        PaintRect(dc, in, rect);
    dc.SetViewportOrg(origin);
    dc.SetMapMode(MM_TEXT);
    Restore();
    return pages_;
}

QRect ViewPainter::PrepareForDevice(Canvas& dc, const ViewInputs&, const HeaderInfo& header,
                                    int leftMarginChars) {
    ViewState& vs = State();
    ViewLayout& L = vs.layout;
    vs.SelectViewFont(dc, 0, 0, 0);
    ComputeMargins();
    L.ClientWidth = dc.HorzRes();
    L.ClientHeight = dc.VertRes();
    vs.BackColor = Qt::white;
    dc.SetTextColor(vs.TextColor);
    dc.SetBkMode(TRANSPARENT);
    L.MarginTop += PrintHeader(dc, header, leftMarginChars, 0, L.AvgCharWidth, L.LineHeight, L.ClientWidth);
    L.MarginLeft += leftMarginChars * L.AvgCharWidth;
    return {0, 0, L.ClientWidth, L.ClientHeight};
}

QRect ViewPainter::GetDrawRect(const ViewInputs&) {
    const ViewLayout& L = State().layout;
    return {0, 0, L.ClientWidth, L.ClientHeight};
}

QSize ViewPainter::CopySize(const ViewInputs& in) {
    Keep();
    GetDrawRect(in);
    const QSize size = CopyExtent();
    Restore();
    return size;
}

QSize ViewPainter::CopyExtent() {
    const ViewLayout& L = State().layout;
    return {L.ClientWidth, L.ClientHeight};
}

QSize SatVisibilityPainter::CopyExtent() {
    const ViewLayout& L = d.vs.layout;
    return {L.ClientWidth, L.MarginTop + L.AxisY + L.MarginBottom};
}

void ViewPainter::DrawCopy(Canvas& dc, const ViewInputs& in) {
    const QSize size = CopySize(in);
    Keep();
    ViewState& vs = State();
    vs.MetafileMode = 1;
    const QRect rect = GetDrawRect(in);
    dc.FillRect(0, 0, size.width(), size.height(), vs.BackColor);
    PaintRect(dc, in, rect);
    Restore(); // MetafileMode 0 again
}

// ---- exported pictures ---------------------------------------------------------------------

namespace {

constexpr int kCaptionIndentChars = 2;

// The caption's height in pixels, the view font selected on `dc`: the header block and a line
// between it and the graph.
int CaptionHeight(Canvas& dc, ViewState& vs, const HeaderInfo& header, int width) {
    vs.SelectViewFont(dc, 0, 0, 0);
    const ViewLayout& L = vs.layout;
    const int pageChars = L.AvgCharWidth > 0 ? width / L.AvgCharWidth : 0;
    const HeaderBlock block = LayoutHeaderBlock(header, kCaptionIndentChars, 0, pageChars);
    return (block.heightLines + 1) * L.LineHeight;
}

} // namespace

int ViewPainter::PictureHeight(Canvas&, const ViewInputs&, QSize graph) {
    return graph.height();
}

QSize ViewPainter::CaptionedSize(QPaintDevice& device, const ViewInputs& in, const HeaderInfo& header,
                                 QSize graph) {
    Keep();
    QPainter painter(&device);
    int height = 0;
    {
        Canvas dc(painter);
        PrepareForPicture();
        height = CaptionHeight(dc, State(), header, graph.width());
        State().layout.ClientWidth = graph.width();
        State().layout.ClientHeight = graph.height();
        height += PictureHeight(dc, in, graph);
    }
    Restore();
    return {graph.width(), height};
}

void ViewPainter::PaintCaptioned(QPainter& painter, const ViewInputs& in, const HeaderInfo& header,
                                 QSize graph) {
    Keep();
    PrepareForPicture();
    ViewState& vs = State();
    vs.BackColor = Qt::white;
    int top = 0, height = graph.height();
    {
        Canvas dc(painter);
        top = CaptionHeight(dc, vs, header, graph.width());
        vs.layout.ClientWidth = graph.width();
        vs.layout.ClientHeight = graph.height();
        height = PictureHeight(dc, in, graph);
        painter.fillRect(QRect(0, 0, graph.width(), top + height), Qt::white);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(vs.TextColor);
        PrintHeader(dc, header, kCaptionIndentChars, 0, vs.layout.AvgCharWidth, vs.layout.LineHeight,
                    graph.width());
        vs.ReleaseFont(dc);
    }
    painter.save();
    painter.translate(0, top);
    {
        Canvas dc(painter);
        dc.SetGround(Qt::white);
        vs.layout.ClientWidth = graph.width();
        vs.layout.ClientHeight = height;
        ScreenPaint(dc, in, QRect(0, 0, graph.width(), height));
    }
    painter.restore();
    Restore();
}

// ---- satellite visibility ------------------------------------------------------------------

void SatVisibilityPainter::ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) {
    d.Paint(dc, in, update);
}

QRect SatVisibilityPainter::PrepareForDevice(Canvas& dc, const ViewInputs& in, const HeaderInfo& header,
                                             int leftMarginChars) {
    ViewPainter::PrepareForDevice(dc, in, header, leftMarginChars);
    ViewLayout& L = d.vs.layout;
    const int rh = std::max(1, L.RowHeight);
    L.VisibleRows = std::max(1, (L.ClientHeight - L.MarginTop - L.MarginBottom) / rh);
    d.BuildRows(in);
    // Every row on some page, whole, whatever the window's scroll position: the rows a page cannot
    // hold go on the next one, under the same header and above the same time axis.
    pages_ = std::max(1, (d.RowCount + L.VisibleRows - 1) / L.VisibleRows);
    const int first = std::min(page_, pages_ - 1) * L.VisibleRows;
    L.AxisY = rh * std::min(L.VisibleRows, d.RowCount - first);
    // As a window scrolled to that row: the rows move up, the axis stays.
    dc.SetViewportOrg({0, -first * rh});
    return QRect(QPoint(0, L.MarginTop + first * rh),
                 QPoint(L.ClientWidth - L.MarginRight - 1, L.MarginTop + first * rh + L.AxisY - 1));
}

void SatVisibilityPainter::PrepareForPicture() {
    d.scrollBarWidth = 0;
    d.Scrolling = false;
    d.vs.layout.ScrollPos = 0;
}

int SatVisibilityPainter::PictureHeight(Canvas& dc, const ViewInputs& in, QSize) {
    // Every row and the time axis below them, whatever height was asked for: a picture cannot
    // scroll, and a short list would leave it half blank.
    d.vs.SelectViewFont(dc, 0, 0, 0);
    d.ComputeMargins();
    d.BuildRows(in);
    const ViewLayout& L = d.vs.layout;
    return L.MarginTop + std::max(1, d.RowCount) * L.RowHeight + L.MarginBottom;
}

QRect SatVisibilityPainter::GetDrawRect(const ViewInputs& in) {
    ViewLayout& L = d.vs.layout;
    if (d.SampleCount != in.intervalCount || d.RowTable.empty())
        d.BuildRows(in);
    L.AxisY = L.RowHeight * d.RowCount; // every row, also those scrolled out of view
    return QRect(QPoint(0, L.MarginTop),
                 QPoint(L.ClientWidth - L.MarginRight - 1, L.MarginTop + L.AxisY - 1));
}

// ---- sky plot ------------------------------------------------------------------------------

void SkyPlotPainter::ScreenPaint(Canvas& dc, const ViewInputs& in, QRect) {
    d.Draw(dc, in);
}

QRect SkyPlotPainter::PrepareForDevice(Canvas& dc, const ViewInputs&, const HeaderInfo& header,
                                       int leftMarginChars) {
    ViewLayout& L = d.vs.layout;
    d.vs.SelectViewFont(dc, 0, 0, 0);
    L.ClientWidth = dc.HorzRes();
    L.ClientHeight = dc.VertRes();
    d.vs.BackColor = Qt::white;
    dc.SetTextColor(d.vs.TextColor);
    dc.SetBkMode(TRANSPARENT);
    const int h = PrintHeader(dc, header, leftMarginChars, 0, L.AvgCharWidth, L.LineHeight, L.ClientWidth);
    // The diagram is centred in the part of the page right of and below this origin.
    dc.SetViewportOrg({leftMarginChars * L.AvgCharWidth, h});
    return {0, 0, L.ClientWidth, L.ClientHeight};
}

void SkyPlotPainter::PaintRect(Canvas& dc, const ViewInputs& in, QRect) {
    d.Draw(dc, in);
}

// ---- DOP plot ------------------------------------------------------------------------------

void DopPlotPainter::ScreenPaint(Canvas& dc, const ViewInputs& in, QRect) {
    d.Draw(dc, in);
}

void DopPlotPainter::PaintRect(Canvas& dc, const ViewInputs& in, QRect) {
    d.Draw(dc, in);
}

void PaintWindowPicture(ViewPainter& view, QPainter& painter, const ViewInputs& in, QSize size) {
    ViewState& vs = view.State();
    vs.layout.ClientWidth = size.width();
    vs.layout.ClientHeight = size.height();
    vs.BackColor = Qt::white;
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    Canvas dc(painter);
    dc.SetGround(Qt::white);
    view.ScreenPaint(dc, in, QRect(QPoint(0, 0), size));
}

std::unique_ptr<ViewPainter> MakeViewPainter(int viewKind) {
    switch (viewKind) {
    case kViewKindDop:
        return std::make_unique<DopPlotPainter>();
    case kViewKindSky:
        return std::make_unique<SkyPlotPainter>();
    default:
        return std::make_unique<SatVisibilityPainter>();
    }
}

// ---- header block and tables ---------------------------------------------------------------

int PrintHeader(Canvas& dc, const HeaderInfo& header, int indentChars, int indentLines, int charWidth,
                int lineHeight, int pageWidth) {
    const int pageChars = charWidth > 0 ? pageWidth / charWidth : 0;
    const HeaderBlock block = LayoutHeaderBlock(header, indentChars, indentLines, pageChars);
    const int oldAlign = dc.SetTextAlign(TA_LEFT | TA_TOP);
    for (const TextItem& item : block.items)
        dc.TextOut(item.column * charWidth, item.line * lineHeight, QString::fromStdString(item.text));
    dc.SetTextAlign(oldAlign);
    return block.heightLines * lineHeight;
}

namespace {

// Fixed-pitch fonts of the tables, in points.
CanvasFont TableFont(const Canvas& dc, int points, int weight) {
    CanvasFont f;
    f.face = QStringLiteral("Courier New");
    f.swiss = false;
    f.height = -MulDiv(points, dc.LogPixelsY(), 72);
    f.weight = weight;
    f.valid = true;
    return f;
}

} // namespace

TableFonts PrepareTable(Canvas& dc, Table& table) {
    TableFonts t;
    t.font[0] = TableFont(dc, 12, 700);
    t.font[1] = TableFont(dc, 10, 700);
    t.font[2] = TableFont(dc, 9, 400);
    for (int k = 0; k < 3; ++k) {
        dc.SelectFont(t.font[k]);
        const CanvasTextMetrics tm = dc.GetTextMetrics();
        t.charWidth[k] = std::max(1, tm.tmAveCharWidth);
        t.lineHeight[k] = std::max(1, tm.tmHeight + tm.tmExternalLeading);
    }
    TableMetrics m;
    m.titleCharWidth = t.charWidth[0];
    m.titleLineHeight = t.lineHeight[0];
    m.subtitleCharWidth = t.charWidth[1];
    m.subtitleLineHeight = t.lineHeight[1];
    m.bodyCharWidth = t.charWidth[2];
    m.bodyLineHeight = t.lineHeight[2];
    m.pageWidth = dc.HorzRes();
    m.pageHeight = dc.VertRes();
    table.SetPrintParameters(m);
    return t;
}

void DrawTablePage(Canvas& dc, const TableFonts& fonts, const Table& table, const TextPage& page) {
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(Qt::black);
    for (const TextItem& item : page.items) {
        const int k = item.role == FontRole::Title ? 0 : item.role == FontRole::Subtitle ? 1 : 2;
        dc.SelectFont(fonts.font[k]);
        const QString text = QString::fromStdString(item.text);
        if (item.centred) {
            // Letter-spaced by the role's own character width, centred on the body's line width.
            const int y = k == 0 ? 0 : k == 1 ? 2 * fonts.lineHeight[0] : item.line * fonts.lineHeight[2];
            const int oldAlign = dc.SetTextAlign(TA_CENTER | TA_TOP);
            const int oldExtra = dc.SetTextCharacterExtra(fonts.charWidth[k]);
            dc.TextOut(table.CharsPerLine() * fonts.charWidth[2] / 2, y, text);
            dc.SetTextCharacterExtra(oldExtra);
            dc.SetTextAlign(oldAlign);
        } else {
            dc.SetTextAlign(TA_LEFT | TA_TOP);
            dc.TextOut(item.column * fonts.charWidth[2], item.line * fonts.lineHeight[2], text);
        }
    }
}

int PrintTablePages(QPainter& painter, QPagedPaintDevice& device, Table& table) {
    Canvas dc(painter);
    const TableFonts fonts = PrepareTable(dc, table);
    table.BeginDocument();
    int pages = 0;
    while (table.HasPage()) {
        const TextPage page = table.PrintPage();
        if (pages > 0)
            device.newPage();
        ++pages;
        DrawTablePage(dc, fonts, table, page);
    }
    return pages;
}
