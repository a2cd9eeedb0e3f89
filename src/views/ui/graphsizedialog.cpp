#include "views/ui/graphsizedialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "base/strings.h"
#include "ui/commands.h"
#include "ui/help.h"
#include "ui/prompts.h"

namespace {

constexpr int kLargestSide = 10000; // pixels, as the command line takes them

QSpinBox* SideBox(QWidget* parent, int id, int value) {
    auto* box = Named(new QSpinBox(parent), id);
    box->setRange(1, kLargestSide);
    box->setValue(value);
    box->setSuffix(QLatin1Char(' ') + Res(IDS_EXPDLG_PIXELS));
    return box;
}

} // namespace

GraphSizeDialog::GraphSizeDialog(QWidget* parent, QSize size) : QDialog(parent) {
    setObjectName(QStringLiteral("graphSizeDialog"));
    setWindowTitle(Res(IDS_EXPDLG_CAPTION));
    width_ = SideBox(this, 44103, size.width());
    height_ = SideBox(this, 44104, size.height());
    auto* widthLabel = new QLabel(Res(IDS_EXPDLG_WIDTH), this);
    auto* heightLabel = new QLabel(Res(IDS_EXPDLG_HEIGHT), this);
    widthLabel->setBuddy(width_);
    heightLabel->setBuddy(height_);
    auto* note = new QLabel(Res(IDS_EXPDLG_NOTE), this);
    note->setWordWrap(true);

    auto* ok = Named(new QPushButton(Res(IDS_BUTTON_OK), this), 1);
    auto* cancel = Named(new QPushButton(Res(IDS_BUTTON_CANCEL), this), 2);
    auto* help = Named(new QPushButton(Res(IDS_HELP_BUTTON), this), 9);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpContext(this, kExportHelpContext); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(widthLabel, 0, 0);
    grid->addWidget(width_, 0, 1);
    grid->addWidget(heightLabel, 1, 0);
    grid->addWidget(height_, 1, 1);
    grid->addWidget(note, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    grid->addLayout(buttons, 3, 0, 1, 2);
    // As wide as the note reads comfortably, not as wide as it is long.
    note->setMinimumWidth(note->fontMetrics().averageCharWidth() * 48);
    SetHelpContext(this, kExportHelpContext);
}

QSize GraphSizeDialog::Size() const {
    return {width_->value(), height_->value()};
}
