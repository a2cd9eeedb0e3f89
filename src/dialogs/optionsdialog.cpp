#include "dialogs/optionsdialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstring>

#include "base/codepage.h"
#include "base/strings.h"
#include "base/text.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/dates.h"
#include "ui/help.h"
#include "ui/prompts.h"

namespace {

QGroupBox* RadioGroup(QWidget* parent, int titleId, QRadioButton* a, QRadioButton* b) {
    auto* box = new QGroupBox(Res(titleId), parent);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(a);
    layout->addWidget(b);
    auto* group = new QButtonGroup(box);
    group->addButton(a);
    group->addButton(b);
    return box;
}

} // namespace

TOptionsDialog::TOptionsDialog(QWidget* parent, OptionsTransfer& record) : QDialog(parent), record_(record) {
    setObjectName(ControlName(16000));
    setWindowTitle(Res(IDS_OPTDLG_CAPTION));
    mode2D_ = Named(new QRadioButton(Res(IDS_OPTDLG_2D), this), 362);
    mode3D_ = Named(new QRadioButton(Res(IDS_OPTDLG_3D), this), 363);
    step15_ = Named(new QRadioButton(Res(IDS_OPTDLG_15_MIN), this), 165);
    step5_ = Named(new QRadioButton(Res(IDS_OPTDLG_5_MIN), this), 167);
    cutOff_ = new myTEdit(this, 164, 3);
    cutOff_->SetRange(0, 89, 1);
    cutOff_->setMaximumWidth(cutOff_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    obstructions_ = Named(new QCheckBox(Res(IDS_OPTDLG_OBSTRUCTIONS), this), 166);
    loadLast_ = Named(new QCheckBox(Res(IDS_OPTDLG_LOAD_LAST_ALMANAC), this), 168);
    codePage_ = Named(new QComboBox(this), kCodePageControl);
    for (int page : SupportedCodePages()) {
        const int id = page == 1250   ? IDS_CODEPAGE_1250
                       : page == 1251 ? IDS_CODEPAGE_1251
                       : page == 932  ? IDS_CODEPAGE_932
                       : page == 1252 ? IDS_CODEPAGE_1252
                                      : IDS_CODEPAGE_65001;
        codePage_->addItem(Res(id), page);
    }

    // Each form shown with today's date in it.
    const QDate today = QDate::currentDate();
    const auto sample = [&](int id, const QString& date) {
        return QString::fromStdString(FormatText(ResString(id).c_str(), date.toUtf8().constData()));
    };
    localeDates_ = Named(
        new QRadioButton(
            sample(IDS_OPTDLG_DATES_LOCALE, LocaleDate(today.year(), today.month(), today.day())), this),
        kLocaleDatesControl);
    legacyDates_ = Named(
        new QRadioButton(
            sample(IDS_OPTDLG_DATES_LEGACY, LegacyDate(today.year(), today.month(), today.day())), this),
        kLegacyDatesControl);
    printedDates_ = Named(new QCheckBox(Res(IDS_OPTDLG_DATES_PRINTED), this), kPrintedDatesControl);
    fetchAtStart_ = Named(new QCheckBox(Res(IDS_OPTDLG_FETCH_AT_START), this), kFetchAtStartControl);
    // Paper follows a month/day/year screen anyway.
    connect(localeDates_, &QRadioButton::toggled, printedDates_, &QWidget::setEnabled);

    auto* ok = Named(new QPushButton(Res(IDS_BUTTON_OK), this), 1);
    auto* cancel = Named(new QPushButton(Res(IDS_BUTTON_CANCEL), this), 2);
    auto* help = Named(new QPushButton(Res(IDS_HELP_BUTTON), this), 9);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TOptionsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &TOptionsDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpContext(this, kOptionsHelpContext); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(RadioGroup(this, IDS_OPTDLG_MODE, mode2D_, mode3D_), 0, 0);
    grid->addWidget(RadioGroup(this, IDS_OPTDLG_DISPLAY_TIME, step15_, step5_), 0, 1);
    auto* cutRow = new QHBoxLayout;
    auto* cutLabel = new QLabel(Res(IDS_OPTDLG_CUTOFF), this);
    cutLabel->setBuddy(cutOff_);
    cutRow->addWidget(cutLabel);
    cutRow->addWidget(cutOff_);
    cutRow->addStretch();
    grid->addLayout(cutRow, 1, 0, 1, 2);
    grid->addWidget(obstructions_, 2, 0, 1, 2);
    auto* startRow = new QVBoxLayout;
    startRow->addWidget(loadLast_);
    startRow->addWidget(fetchAtStart_);
    grid->addLayout(startRow, 3, 0, 1, 2);
    auto* codeRow = new QHBoxLayout;
    auto* codeLabel = new QLabel(Res(IDS_OPTDLG_CODEPAGE), this);
    codeLabel->setBuddy(codePage_);
    codeRow->addWidget(codeLabel);
    codeRow->addWidget(codePage_, 1);
    grid->addLayout(codeRow, 4, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    QGroupBox* dates = RadioGroup(this, IDS_OPTDLG_DATES, localeDates_, legacyDates_);
    dates->layout()->addWidget(printedDates_);
    grid->addWidget(dates, 5, 0, 1, 2);
    grid->addLayout(buttons, 6, 0, 1, 2);

    // The whole dialog answers F1 with its topic while it is open.
    SetHelpContext(this, kOptionsHelpContext);
    TransferIn();
}

void TOptionsDialog::TransferIn() {
    mode2D_->setChecked(record_.mode2D == 1);
    mode3D_->setChecked(record_.mode3D == 1);
    step15_->setChecked(record_.step15 == 1);
    step5_->setChecked(record_.step5 == 1);
    cutOff_->setText(QString::fromLatin1(record_.cutOff, static_cast<int>(strnlen(record_.cutOff, 2))));
    obstructions_->setChecked(record_.obstructions == 1);
    loadLast_->setChecked(record_.loadLastAlmanac == 1);
    const int at = codePage_->findData(record_.codePage);
    codePage_->setCurrentIndex(at >= 0 ? at : 0);
    legacyDates_->setChecked(record_.legacyDates != 0);
    localeDates_->setChecked(record_.legacyDates == 0);
    printedDates_->setChecked(record_.printedDatesLikeScreen != 0);
    fetchAtStart_->setChecked(record_.fetchAtStart != 0);
    printedDates_->setEnabled(record_.legacyDates == 0);
}

void TOptionsDialog::TransferOut() {
    record_.mode2D = mode2D_->isChecked() ? 1 : 0;
    record_.mode3D = mode3D_->isChecked() ? 1 : 0;
    record_.step15 = step15_->isChecked() ? 1 : 0;
    record_.step5 = step5_->isChecked() ? 1 : 0;
    CopyBounded(record_.cutOff, cutOff_->text().toLatin1().constData(), sizeof record_.cutOff);
    record_.obstructions = obstructions_->isChecked() ? 1 : 0;
    record_.loadLastAlmanac = loadLast_->isChecked() ? 1 : 0;
    record_.codePage = codePage_->currentData().toInt();
    record_.legacyDates = legacyDates_->isChecked() ? 1 : 0;
    record_.printedDatesLikeScreen = printedDates_->isChecked() ? 1 : 0;
    record_.fetchAtStart = fetchAtStart_->isChecked() ? 1 : 0;
}

void TOptionsDialog::accept() {
    // Enter in the field closes the dialog without the focus leaving it: the field is checked
    // here as well, so an angle outside 0-89 never reaches the engine.
    if (!cutOff_->IsValid()) {
        ThePrompts().Beep(MB_ICONEXCLAMATION);
        cutOff_->Correct();
    }
    TransferOut();
    QDialog::accept();
}
