// The time control bar: the planning date in three fields (in the screen's date order) and the local time
// interval on a 24-hour ruler with a begin and an end marker. It edits a working copy of the client's
// planning interval and hands it over when the keyboard focus leaves the bar for another window of the
// program (at once for "24 Hour").
#pragma once

#include <QFont>
#include <QPointer>
#include <QWidget>

#include <array>

#include "engine/planinterval.h"

class OrvantMDIClient;
class QLabel;
class TimeControl;
class myTControl;
class myTEdit;

class NewTimeDialog : public QWidget {
    Q_OBJECT
public:
    // Control ids, kept as the controls' object names.
    static constexpr int kMonth = 101, kDay = 102, kYear = 103, k24Hour = 104;
    static constexpr int kBeginMarker = 113, kEndMarker = 114, kRuler = 650;
    static constexpr int kHelpContext = 10069;
    // Redraw the ruler (the interval line) now.
    static constexpr int kRedrawRuler = 1000;

    NewTimeDialog(QWidget* parent, OrvantMDIClient& client);

    // The interval the bar shows now, read back from the fields and the markers.
    PlanInterval ReadInterval() const;
    const PlanInterval& Working() const { return working_; }

    // Ruler geometry in the bar's pixels: left edge, quarter-hour step, hour width.
    int RulerLeft() const;
    int Step() const { return step_; }
    int HourWidth() const { return hourWidth_; }
    TimeControl* BeginMarker() const { return begin_; }
    TimeControl* EndMarker() const { return end_; }

    // The date fields in the order, and with the separator, of the screen's date form.
    void ApplyDateForm();
    // The date fields in their order on the bar.
    const std::array<myTEdit*, 3>& DateFields() const { return dateFields_; }

    // The "24 Hour" button: 0:00 to 24:00, effective at once.
    void WholeDay();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The interval line as the ruler draws it: one or two pieces [from, to] in pixels.
    struct Piece {
        int from, to;
    };
    int IntervalPieces(Piece pieces[2]) const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Places every control from the font's dialog units and the bar's width; the markers keep
    // the times they showed.
    void LayOut();
    void UpdateRulerFont();
    // Where everything goes in a bar `width` pixels wide (at least its narrowest).
    struct Geometry {
        int width = 0, height = 0;
        int rulerLeft = 0, rulerTop = 0, rulerHeight = 0, step = 3;
        int markerWidth = 0, markerHeight = 0, labelWidth = 0, labelHeight = 0;
        int dateLeft = 0, dateLabelTop = 0, dateLabelWidth = 0, editTop = 0, editHeight = 0;
        int twoDigits = 0, fourDigits = 0, colon = 0;
        int buttonLeft = 0, buttonWidth = 0, buttonHeight = 0;
    };
    Geometry Measure(int width) const;
    void PlaceMarkers(const PlanInterval& interval);
    void RedrawRuler();
    // On the registered event: checks the date and hands the interval over when due.
    void ApplyInterval(QWidget* focus);
    // Up/Down in a date field.
    void StepField(myTEdit* edit, int direction);
    // Pixels of `units` horizontal or vertical dialog units of the bar's font.
    int DluX(int units) const;
    int DluY(int units) const;

    QPointer<OrvantMDIClient> client_;
    PlanInterval working_;
    myTEdit *month_, *day_, *year_;
    std::array<myTEdit*, 3> dateFields_{};
    QWidget* ruler_;
    TimeControl *begin_, *end_;
    myTControl* wholeDay_;
    QLabel *dateLabel_, *localLabel_, *timeLabel_, *colon1_, *colon2_;
    QFont rulerFont_;
    int step_ = 1, hourWidth_ = 4;
    bool placed_ = false;
    bool layingOut_ = false;
};
