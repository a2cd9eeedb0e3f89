#include "dialogs/terraindialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/strings.h"
#include "ui/commands.h"
#include "ui/help.h"
#include "ui/prompts.h"

TTerrainDialog::TTerrainDialog(QWidget* parent, TerrainOptions& options)
    : QDialog(parent), options_(options) {
    setObjectName(QStringLiteral("terrainDialog"));
    setWindowTitle(Res(IDS_TERRAIN_DLG_CAPTION));
    on_ = Named(new QCheckBox(Res(IDS_TERRAIN_DLG_ON), this), 48260);
    model_ = Named(new QLineEdit(this), 48261);
    model_->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    auto* file = Named(new QPushButton(Res(IDS_TERRAIN_DLG_FILE), this), 48262);
    auto* folder = Named(new QPushButton(Res(IDS_TERRAIN_DLG_FOLDER), this), 48263);
    for (QPushButton* b : {file, folder})
        b->setAutoDefault(false);
    connect(file, &QPushButton::clicked, this, [this] { Browse(false); });
    connect(folder, &QPushButton::clicked, this, [this] { Browse(true); });
    height_ = Named(new QDoubleSpinBox(this), 48264);
    height_->setRange(-1000, 1000);
    height_->setDecimals(2);
    height_->setSuffix(QStringLiteral(" m"));
    distance_ = Named(new QDoubleSpinBox(this), 48265);
    distance_->setRange(1, 500);
    distance_->setDecimals(1);
    distance_->setSuffix(QStringLiteral(" km"));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(Res(IDS_TERRAIN_DLG_MODEL), this), 0, 0);
    grid->addWidget(model_, 0, 1);
    auto* browse = new QHBoxLayout;
    browse->addWidget(file);
    browse->addWidget(folder);
    browse->addStretch();
    grid->addLayout(browse, 1, 1);
    grid->addWidget(new QLabel(Res(IDS_TERRAIN_DLG_HEIGHT), this), 2, 0);
    grid->addWidget(height_, 2, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(Res(IDS_TERRAIN_DLG_DISTANCE), this), 3, 0);
    grid->addWidget(distance_, 3, 1, Qt::AlignLeft);
    auto* buttons = new QDialogButtonBox(this);
    Named(buttons->addButton(Res(IDS_BUTTON_OK), QDialogButtonBox::AcceptRole), 1);
    Named(buttons->addButton(Res(IDS_BUTTON_CANCEL), QDialogButtonBox::RejectRole), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &TTerrainDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* top = new QVBoxLayout(this);
    top->addWidget(on_);
    top->addLayout(grid);
    top->addWidget(new QLabel(Res(IDS_TERRAIN_DLG_NOTE), this));
    top->addWidget(buttons);

    SetHelpContext(this, kTerrainHelpContext);
    on_->setChecked(options_.on);
    model_->setText(options_.model);
    height_->setValue(options_.antennaHeight);
    distance_->setValue(options_.maxDistance);
}

void TTerrainDialog::Browse(bool folder) {
    if (folder) {
        const QString dir =
            QFileDialog::getExistingDirectory(this, Res(IDS_TERRAIN_DLG_FOLDER), model_->text());
        if (!dir.isEmpty())
            model_->setText(dir);
        return;
    }
    FileRequest request;
    request.filter = Res(IDS_TERRAIN_DLG_FILTER);
    QString path;
    if (ThePrompts().OpenFileName(this, request, path))
        model_->setText(path);
}

void TTerrainDialog::accept() {
    options_.on = on_->isChecked();
    options_.model = model_->text().trimmed();
    options_.antennaHeight = height_->value();
    options_.maxDistance = distance_->value();
    QDialog::accept();
}
