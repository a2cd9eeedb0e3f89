// The DOP plot's drawing: PDOP, GDOP, HDOP, VDOP and TDOP curves against a left axis, the number
// of usable satellites as a staircase against a right axis, a legend above the plot.
#pragma once

#include <QString>

#include <vector>

#include "views/timediagramdrawing.h"

inline constexpr uint32_t kShowPdop = 0x01;
inline constexpr uint32_t kShowGdop = 0x02;
inline constexpr uint32_t kShowHdop = 0x04;
inline constexpr uint32_t kShowVdop = 0x08;
inline constexpr uint32_t kShowTdop = 0x10;
inline constexpr uint32_t kShowAvailability = 0x20;
inline constexpr uint32_t kGridOnDop = 0x40;
inline constexpr uint32_t kGridOnAvailability = 0x80;

// Series indices of ViewInputs::dop.
enum DopSeries { kPdop = 0, kGdop, kHdop, kVdop, kTdop };

class DopPlotDrawing : public TimeDiagramDrawing {
public:
    DopPlotDrawing();

    static const QColor kSeriesColor[6]; // PDOP, GDOP, HDOP, VDOP, TDOP, Availability

    int toolBarHeight = 0; // the window's tool bar across the top
    int SampleCount = 0;
    float DopScaleMax = 0;
    int SvScaleMax = 0;
    int PenWidth = 2;

    void ComputeMargins() override;
    void Draw(Canvas& dc, const ViewInputs& in);

    // HDOP and VDOP are shown (and their tool bar boxes usable) in 3-D mode only.
    static bool HorizontalVerticalGreyed(const ViewInputs& in) { return in.mode != 0; }
    // The series drawn, in legend order, for the current flags and mode (bits of kShow...).
    uint32_t DrawnSeries(const ViewInputs& in) const;

    struct Readout {
        QString time, value;
    };
    Readout ReadoutAt(const ViewInputs& in, QPoint mouse) const;

    // Where the legend entry of series k (0..4) starts (device), or x = -1 when not drawn.
    QPoint LegendPosition(int series) const { return legendAt_[series]; }
    // The values labelled on the DOP axis at the last paint, bottom up.
    const std::vector<float>& DopAxisLabels() const { return dopLabels_; }

private:
    void DrawYAxis(Canvas& dc, float max, int x, bool grid, bool rightSide, bool left);
    void DrawDopSeries(Canvas& dc, const ViewInputs& in, QColor colour, int k, int series);
    void DrawAvailability(Canvas& dc, const ViewInputs& in, QColor colour);
    void DrawLegendEntry(Canvas& dc, QColor colour, int k, const QString& name, QPoint& p);

    QPoint legendAt_[5];
    std::vector<float> dopLabels_;
};
