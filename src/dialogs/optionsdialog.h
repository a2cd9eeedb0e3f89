// The Options dialog (16000): DOP mode, display time step, cut-off angle, use of obstructions and
// loading the last almanac at start-up, the code page of the text in files and the date forms,
// edited through the options transfer record.
#pragma once

#include <QDialog>

#include "config/transfer.h"

class QCheckBox;
class QComboBox;
class QRadioButton;
class myTEdit;

inline constexpr int kOptionsHelpContext = 10200;
inline constexpr int kCodePageControl = 47010; // the code page combo box, named "id47010"
// The date form controls: locale, month/day/year, printed like the screen.
inline constexpr int kLocaleDatesControl = 44121, kLegacyDatesControl = 44122, kPrintedDatesControl = 44123;
inline constexpr int kFetchAtStartControl = 48142;

class TOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows `record`; OK writes the controls back into it, Cancel leaves it alone.
    TOptionsDialog(QWidget* parent, OptionsTransfer& record);

    void accept() override;

private:
    void TransferIn();
    void TransferOut();

    OptionsTransfer& record_;
    QRadioButton* mode2D_;
    QRadioButton* mode3D_;
    QRadioButton* step15_;
    QRadioButton* step5_;
    myTEdit* cutOff_;
    QCheckBox* obstructions_;
    QCheckBox* loadLast_;
    QComboBox* codePage_;
    QRadioButton* localeDates_;
    QRadioButton* legacyDates_;
    QCheckBox* printedDates_;
    QCheckBox* fetchAtStart_;
};
