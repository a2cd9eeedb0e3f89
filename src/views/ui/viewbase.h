// The common base of the three view windows: view font, context menu with font and grid, the copy
// to the clipboard (SVG and bitmap), printing the graph and the view's table, exporting the graph
// as a file, and the status bar
// readouts. The drawing itself is the view's ViewPainter, shared with printing and the export.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "views/ui/viewhost.h"
#include "views/viewinputs.h"
#include "views/viewprinting.h"

class QPrinter;
struct HeaderInfo;

// View commands.
inline constexpr int CM_VIEW_HELP = 9;
inline constexpr int CM_VIEW_COPY = 110;
inline constexpr int CM_VIEW_GRID = 111;
inline constexpr int CM_VIEW_FONT = 112;

// Help contexts of the views.
inline constexpr int kHelpSatVisibility = 10012;
inline constexpr int kHelpDopPlot = 10013;
inline constexpr int kHelpSkyPlot = 10014;

class TBaseMDIChild : public QWidget {
    Q_OBJECT
public:
    ~TBaseMDIChild() override;

    // 0 DOP plot, 1 sky plot, 2 satellite visibility.
    int GetViewKind() const { return painter_->ViewKind(); }
    ViewHost& Host() const { return host_; }
    ViewState& State() { return painter_->State(); }
    const ViewLayout& Layout() const { return painter_->State().layout; }
    ViewPainter& Painter() { return *painter_; }

    // The inputs and the printed header from the host's current state.
    ViewInputs Inputs() const;
    HeaderInfo Header() const;

    // The view's commands (menu items, buttons, accelerators).
    virtual void Command(int id);
    // The right-button menu as it would open now; its actions run Command.
    std::unique_ptr<QMenu> MakeContextMenu();

    void CopyToClipboard();

    // The print commands of the active view, through the prompts service; true when printed.
    bool PrintGraph();
    bool PrintTable();
    // Export Graph: the size, then the file, through the prompts service; true when written.
    bool ExportGraph();
    // The view's picture under the printed page's header at `graph` size into `path`, as its
    // extension says (.png, .svg, .pdf); false with the message for the user in *error.
    bool ExportGraphTo(const QString& path, QSize graph, QString* error = nullptr);
    // The printer kept for the whole run, and its set-up dialog.
    static QPrinter& Printer();
    static bool PrintSetup(QWidget* owner);
    // Where printing to a file would write `what` (the view's or the table's title).
    QString PrintFileProposal(const QString& what) const;
    // Page `page` of the graph: header block, then the view 5 characters in. Returns how many pages
    // the graph takes on this device.
    int PrintOnDC(Canvas& dc, int page, int leftMarginChars);

protected:
    TBaseMDIChild(ViewHost& host, std::unique_ptr<ViewPainter> painter, const QString& title,
                  QWidget* parent);

    virtual void BuildContextMenu(QMenu& menu);
    QAction* AddCommand(QMenu& menu, int stringId, int command);
    QAction* AddChecked(QMenu& menu, int stringId, int command, bool checked);
    // The screen paint; the base draws the painter's screen picture.
    virtual void ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update);
    virtual void UpdateClientSize();
    virtual int HelpContext() const = 0;
    // Invalidate and repaint at once.
    void Redraw();

    void SetReadout(int pane, const QString& text);
    void ClearReadout();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ChooseViewFont();
    void NotifyClosed();

    ViewHost& host_;
    std::unique_ptr<ViewPainter> painter_;
    bool closed_ = false;
};

// The bold 8-point "MS Sans Serif" of the views' buttons and tool bar.
QFont ViewButtonFont(const QWidget* w);
// A help button's place in the bottom-right corner, `below` pixels above the bottom edge.
void PlaceHelpButton(QWidget* view, QWidget* button, int below);
