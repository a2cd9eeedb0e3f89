#include "views/ui/viewbase.h"

#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QShortcut>
#include <QStatusBar>
#include <QSvgGenerator>

#include "base/safefile.h"
#include "base/strings.h"
#include "reports/headerblock.h"
#include "reports/table.h"
#include "sites/siteinfo.h"
#include "ui/dates.h"
#include "ui/help.h"
#include "ui/prompts.h"
#include "views/ui/graphexport.h"
#include "views/ui/graphsizedialog.h"
#include "views/ui/safepdf.h"

namespace {

QPrinter* g_printer = nullptr;

void DeletePrinter() {
    delete g_printer;
    g_printer = nullptr;
}

// The status bar's text panes after the message area: named "pane<N>" by the frame, or else its
// labels in the order they were added.
QLabel* ReadoutLabel(QStatusBar* bar, int pane) {
    if (!bar || pane < 1)
        return nullptr;
    if (auto* named = bar->findChild<QLabel*>(QStringLiteral("pane%1").arg(pane)))
        return named;
    const QList<QLabel*> labels = bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    int k = 0;
    for (QLabel* l : labels) {
        // The message area's own label is not a pane.
        if (l->objectName().startsWith(QLatin1String("qt_")))
            continue;
        if (++k == pane)
            return l;
    }
    return nullptr;
}

} // namespace

void ViewHost::ViewReadout(int pane, const QString& text) {
    if (QLabel* l = ReadoutLabel(ViewStatusBar(), pane))
        l->setText(text);
}

TBaseMDIChild::TBaseMDIChild(ViewHost& host, std::unique_ptr<ViewPainter> painter, const QString& title,
                             QWidget* parent)
    : QWidget(parent), host_(host), painter_(std::move(painter)) {
    setWindowTitle(title);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    State().TextColor = palette().color(QPalette::WindowText);
    State().BackColor = palette().color(QPalette::Base);
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    copy->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QShortcut::activated, this, [this] { Command(CM_VIEW_COPY); });
}

TBaseMDIChild::~TBaseMDIChild() {
    NotifyClosed();
}

void TBaseMDIChild::NotifyClosed() {
    if (closed_)
        return;
    closed_ = true;
    // What the pointer pointed at in this view is gone with it.
    ClearReadout();
    host_.ViewClosed(this);
}

void TBaseMDIChild::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        NotifyClosed();
}

ViewInputs TBaseMDIChild::Inputs() const {
    ViewInputs in =
        InputsFromCalculator(host_.ViewCalculator(), host_.ViewInterval(), ObstructionsOf(host_.ViewSite()));
    in.terrain = SkylineOf(host_.ViewSite());
    return in;
}

HeaderInfo TBaseMDIChild::Header() const {
    HeaderInfo info = MakeHeaderInfo(host_.ViewCalculator(), host_.ViewSite(), host_.ViewInterval());
    const std::string path = host_.ViewAlmanacPath();
    if (!path.empty())
        info.almanacPath = path;
    host_.ViewSources(info.systems, info.sources);
    const PlanInterval& i = info.interval;
    info.dateText = PrintedDate(i.beginYear, i.beginMonth, i.beginDay);
    return info;
}

void TBaseMDIChild::UpdateClientSize() {
    State().layout.ClientWidth = width();
    State().layout.ClientHeight = height();
}

void TBaseMDIChild::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateClientSize();
    update();
}

void TBaseMDIChild::Redraw() {
    update();
}

void TBaseMDIChild::paintEvent(QPaintEvent* event) {
    UpdateClientSize();
    QPainter p(this);
    p.fillRect(event->rect(), palette().color(QPalette::Base));
    Canvas dc(p);
    dc.SetGround(palette().color(QPalette::Base));
    ScreenPaint(dc, Inputs(), event->rect());
}

void TBaseMDIChild::ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) {
    painter_->ScreenPaint(dc, in, update);
}

// ---- readouts --------------------------------------------------------------------------------

void TBaseMDIChild::SetReadout(int pane, const QString& text) {
    host_.ViewReadout(pane, text);
}

void TBaseMDIChild::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    ClearReadout();
}

void TBaseMDIChild::ClearReadout() {
    SetReadout(1, QString());
    SetReadout(2, QString());
}

// ---- commands and the context menu ---------------------------------------------------------

void TBaseMDIChild::Command(int id) {
    switch (id) {
    case CM_VIEW_COPY:
        CopyToClipboard();
        break;
    case CM_VIEW_GRID:
        State().ViewFlags ^= kViewGrid;
        Redraw();
        break;
    case CM_VIEW_FONT:
        ChooseViewFont();
        break;
    case CM_VIEW_HELP:
        ShowHelpContext(this, HelpContext());
        break;
    default:
        break;
    }
}

QAction* TBaseMDIChild::AddCommand(QMenu& menu, int stringId, int command) {
    QAction* a = menu.addAction(Res(stringId));
    a->setData(command);
    connect(a, &QAction::triggered, this, [this, command] { Command(command); });
    return a;
}

QAction* TBaseMDIChild::AddChecked(QMenu& menu, int stringId, int command, bool checked) {
    QAction* a = AddCommand(menu, stringId, command);
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}

void TBaseMDIChild::BuildContextMenu(QMenu& menu) {
    // No menu or tool bar of the program copies a view, so the copy is offered here (and by Ctrl+C).
    QAction* copy = AddCommand(menu, IDS_VIEW_COPY, CM_VIEW_COPY);
    copy->setShortcut(QKeySequence::Copy);
    menu.addSeparator();
    AddCommand(menu, IDS_VIEW_FONT, CM_VIEW_FONT);
    menu.addSeparator();
    AddCommand(menu, (State().ViewFlags & kViewGrid) ? IDS_VIEW_REMOVE_GRID : IDS_VIEW_SHOW_GRID,
               CM_VIEW_GRID);
}

std::unique_ptr<QMenu> TBaseMDIChild::MakeContextMenu() {
    auto menu = std::make_unique<QMenu>(this);
    BuildContextMenu(*menu);
    return menu;
}

void TBaseMDIChild::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu = MakeContextMenu();
    menu->exec(event->globalPos());
}

void TBaseMDIChild::ChooseViewFont() {
    ViewState& vs = State();
    QFont font(vs.FaceName);
    font.setPointSize(vs.FontPointSize);
    font.setWeight(static_cast<QFont::Weight>(vs.FontWeight));
    QColor colour = vs.TextColor;
    if (!ThePrompts().ChooseFont(this, font, colour))
        return;
    vs.TextColor = colour;
    if (font.pointSize() > 0)
        vs.FontPointSize = font.pointSize();
    vs.FaceName = font.family();
    vs.FontWeight = font.weight();
    vs.FontHeight = 0;
    Redraw();
}

// ---- clipboard -------------------------------------------------------------------------------

void TBaseMDIChild::CopyToClipboard() {
    if (!State().Painted)
        return;
    const ViewInputs in = Inputs();
    const QSize size = painter_->CopySize(in);
    if (size.isEmpty())
        return;
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&svg);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(logicalDpiY());
        generator.setTitle(windowTitle());
        QPainter p(&generator);
        Canvas dc(p);
        painter_->DrawCopy(dc, in);
    }
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    image.fill(State().BackColor);
    {
        QPainter p(&image);
        Canvas dc(p);
        painter_->DrawCopy(dc, in);
    }
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), svg.data());
    mime->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(mime);
}

// ---- printing --------------------------------------------------------------------------------

QPrinter& TBaseMDIChild::Printer() {
    if (!g_printer) {
        g_printer = new QPrinter(QPrinter::HighResolution);
        // Gone before the application object, which the printer's engine needs.
        qAddPostRoutine(DeletePrinter);
    }
    return *g_printer;
}

bool TBaseMDIChild::PrintSetup(QWidget* owner) {
    return ThePrompts().PrintSetup(owner, Printer());
}

int TBaseMDIChild::PrintOnDC(Canvas& dc, int page, int leftMarginChars) {
    return painter_->PrintOnDC(dc, Inputs(), Header(), page, leftMarginChars);
}

namespace {

void ReportPrintFailure(QWidget* owner, const QString& title) {
    const QString text =
        QString::fromStdString(FormatText(ResString(IDS_PRINT_NOT_PRINTED).c_str(),
                                          title.toUtf8().constData(), ResString(IDS_PRINT_FAILED).c_str()));
    ThePrompts().MessageBox(owner, text, Res(IDS_PRINT_ERROR_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

namespace {

void ReportWriteFailure(QWidget* owner, const PrintJob& job) {
    ThePrompts().MessageBox(owner, QString::fromStdString(WriteErrorText(job.Path(), job.Error())),
                            Res(IDS_PRINT_ERROR_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

// The print dialog for a one-page-range job, then the painter on the printer or the PDF file it
// was set to; false when the user cancelled or it cannot be opened (then reported).
bool StartPrinting(QWidget* owner, QPrinter& printer, const QString& title, PrintJob& job, QPainter& p) {
    printer.setDocName(title);
    printer.setFromTo(0, 0); // no page range to choose
    if (!ThePrompts().Print(owner, printer))
        return false;
    KeepPrintMargins(printer);
    if (!job.Open() && job.Error() == kWriteReadOnly) {
        const std::string question = FormatText(LoadResString(IDS_REPLACE_READ_ONLY), job.Path().c_str());
        if (ThePrompts().MessageBox(owner, QString::fromStdString(question), Res(IDS_QUESTION),
                                    MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        job.Open(SafeWriteOptions{true});
    }
    if (job.Error()) {
        ReportWriteFailure(owner, job);
        return false;
    }
    if (!p.begin(&job.Device())) {
        ReportPrintFailure(owner, title);
        return false;
    }
    return true;
}

bool EndPrinting(QWidget* owner, PrintJob& job, QPainter& p) {
    const bool painted = p.end();
    if (!job.Finish()) {
        ReportWriteFailure(owner, job);
        return false;
    }
    return painted;
}

} // namespace

QString TBaseMDIChild::PrintFileProposal(const QString& what) const {
    // "<site> - <what>.pdf" in the list's folder, or in the home folder for a list not yet saved.
    const std::string list = host_.ViewListPath();
    QString folder = list.empty() ? QDir::homePath() : QFileInfo(QString::fromStdString(list)).absolutePath();
    const SiteInfo* site = host_.ViewSite();
    QString name =
        site && site->name[0] ? QString::fromUtf8(site->name).trimmed() + QStringLiteral(" - ") + what : what;
    name.replace('/', '-');
    return QDir(folder).filePath(name + QStringLiteral(".pdf"));
}

bool TBaseMDIChild::PrintGraph() {
    QPrinter& printer = Printer();
    ProposePrintFile(PrintFileProposal(windowTitle()));
    PrintJob job(printer);
    QPainter p;
    if (!StartPrinting(this, printer, Res(IDS_TITLE_GRAPH_PRINTOUT), job, p))
        return false;
    {
        Canvas dc(p);
        for (int page = 0, pages = 1; page < pages; ++page) {
            if (page > 0)
                job.Device().newPage();
            pages = PrintOnDC(dc, page, 5);
        }
    }
    return EndPrinting(this, job, p);
}

bool TBaseMDIChild::PrintTable() {
    const Calculator& calc = host_.ViewCalculator();
    std::unique_ptr<Table> table;
    if (GetViewKind() == kViewKindDop)
        table = std::make_unique<DOPTable>(calc, Header());
    else
        table = std::make_unique<VisibilityTable>(calc, Header());
    QPrinter& printer = Printer();
    ProposePrintFile(PrintFileProposal(QString::fromStdString(table->Title())));
    PrintJob job(printer);
    QPainter p;
    if (!StartPrinting(this, printer, QString::fromStdString(table->Title()), job, p))
        return false;
    PrintTablePages(p, job.Device(), *table);
    return EndPrinting(this, job, p);
}

// ---- export --------------------------------------------------------------------------------

bool TBaseMDIChild::ExportGraphTo(const QString& path, QSize graph, QString* error) {
    const std::string file = path.toStdString();
    GraphFormat format;
    if (!GraphFormatOf(file, format)) {
        if (error)
            *error =
                QString::fromStdString(FormatText(ResString(IDS_EXPORT_UNKNOWN_TYPE).c_str(), file.c_str()));
        return false;
    }
    int e = 0;
    if (WriteGraphPicture(*painter_, format, Inputs(), Header(), graph, file, &e))
        return true;
    if (error)
        *error = QString::fromStdString(WriteErrorText(file, e));
    return false;
}

bool TBaseMDIChild::ExportGraph() {
    static QSize chosen; // the size asked last, for the next export of this run
    GraphSizeDialog sizeDialog(this, chosen.isValid() ? chosen : size());
    if (sizeDialog.exec() != QDialog::Accepted)
        return false;
    chosen = sizeDialog.Size();
    FileRequest request;
    request.title = Res(IDS_EXPORT_TITLE);
    request.filter = Res(IDS_EXPORT_FILTER);
    request.defaultExtension = QStringLiteral("png");
    const QFileInfo proposal(PrintFileProposal(windowTitle()));
    request.directory = proposal.absolutePath();
    request.initialName = proposal.completeBaseName() + QStringLiteral(".png");
    request.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    QString path;
    if (!ThePrompts().SaveFileName(this, request, path))
        return false;
    QString error;
    if (ExportGraphTo(WithDefaultExtension(path, request.defaultExtension), chosen, &error))
        return true;
    ThePrompts().MessageBox(this, error, Res(IDS_EXPORT_CAPTION_ERROR), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void PlaceHelpButton(QWidget* view, QWidget* button, int below) {
    button->move(view->width() - button->width() - 10, view->height() - button->height() - below);
}

QFont ViewButtonFont(const QWidget* w) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(MulDiv(8, w->logicalDpiY(), 72));
    f.setWeight(QFont::Bold);
    return f;
}
