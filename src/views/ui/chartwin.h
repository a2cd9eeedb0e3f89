// The "DOP Plot" view: the DOP curves and the number of usable satellites over the interval, with
// the chart tool bar of series check boxes across its top.
#pragma once

#include <QCheckBox>

#include <array>

#include "views/ui/timediagram.h"

class TButtonMy;
class TChartWin;

inline constexpr int CM_GRID_ON_DOP = 113;
inline constexpr int CM_GRID_ON_AVAILABILITY = 114;
inline constexpr int CM_CHART_PDOP = 101; // ... 106 Availability

// A three-state box that only its tool bar changes.
class ChartCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

class TChartTool : public QWidget {
    Q_OBJECT
public:
    explicit TChartTool(TChartWin& chart);

    int BarHeight() const { return height_; }
    ChartCheckBox* Box(int command) const { return boxes_[static_cast<size_t>(command - CM_CHART_PDOP)]; }
    // A box's click or its accelerator: flip the box and pass the command on to the view.
    void Command(int id);
    // HDOP and VDOP follow the mode: usable in 3-D, indeterminate and disabled otherwise.
    void FollowMode(bool is3D, uint32_t flags);
    // Places the boxes and the Help button for a bar `width` pixels wide; sets BarHeight.
    void Layout(int width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TChartWin& chart_;
    std::array<ChartCheckBox*, 6> boxes_{};
    TButtonMy* help_;
    int cw_ = 1, rowHeight_ = 0;
    int height_ = 0;
};

class TChartWin : public TTimeDiagram {
    Q_OBJECT
public:
    TChartWin(ViewHost& host, const QString& title, QWidget* parent);

    DopPlotDrawing& Drawing() { return static_cast<DopPlotPainter&>(Painter()).d; }
    TChartTool* ToolBar() const { return tool_; }
    void Command(int id) override;

protected:
    void BuildContextMenu(QMenu& menu) override;
    void ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) override;
    TimeDiagramDrawing& Diagram() override { return Drawing(); }
    int HelpContext() const override { return kHelpDopPlot; }
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The series command of a tool bar accelerator (Ctrl+P, G, H, V, T, A), else 0.
    static int AcceleratorCommand(const QKeyEvent* key);

    TChartTool* tool_;
};
