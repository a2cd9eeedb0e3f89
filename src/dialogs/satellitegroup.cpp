#include "dialogs/satellitegroup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/strings.h"
#include "config/transfer.h"
#include "dialogs/satellitemarker.h"
#include "engine/calculator.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/prompts.h"

TSatelliteGroup::TSatelliteGroup(QWidget* parent, const QString& systemText, const SatelliteGroupIds& ids,
                                 const Calculator& engine)
    : QGroupBox(parent), engine_(engine), systemId_(ids.system) {
    system_ = new QCheckBox(systemText, this);
    system_->setObjectName(ControlName(ids.systemBox));
    QFont bold = system_->font();
    bold.setBold(true);
    system_->setFont(bold);
    connect(system_, &QCheckBox::clicked, this, &TSatelliteGroup::SystemClicked);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (int k = 0; k < SatelliteCatalogue::Count(ids.system); ++k) {
        const bool first = k < ids.count;
        const int index = SatelliteCatalogue::Index({ids.system, k + 1});
        auto* box = new myTCheckBox(this, first ? ids.firstBox + k : ids.moreBoxes + k - ids.count,
                                    QString::number(k + 1), system_);
        auto* marker = new TSatelliteMarker(
            this, first ? ids.firstMarker + k : ids.moreMarkers + k - ids.count, engine, index);
        indices_.push_back(index);
        boxes_.push_back(box);
        markers_.push_back(marker);
        auto* cell = new QVBoxLayout;
        cell->setSpacing(1);
        cell->addWidget(box);
        // Under the box's indicator, as the bars were drawn.
        cell->addWidget(marker, 0, Qt::AlignLeft);
        grid->addLayout(cell, k / ids.columns, k % ids.columns);
    }

    auto* on = new QPushButton(Res(IDS_CFGDLG_ALL_ON), this);
    auto* off = new QPushButton(Res(IDS_CFGDLG_ALL_OFF), this);
    on->setObjectName(ControlName(ids.allOn));
    off->setObjectName(ControlName(ids.allOff));
    on->setAutoDefault(false);
    off->setAutoDefault(false);
    connect(on, &QPushButton::clicked, this, [this] { SetAll(true); });
    connect(off, &QPushButton::clicked, this, [this] { SetAll(false); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(on);
    buttons->addWidget(off);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(system_);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void TSatelliteGroup::SetStates(const BufferForConfiguration& buffer) {
    system_->setChecked(buffer.SystemState(systemId_) != 0);
    for (size_t k = 0; k < boxes_.size(); ++k)
        boxes_[k]->SetTransfer(buffer.Box(indices_[k]));
}

uint16_t TSatelliteGroup::SystemState() const {
    return system_->isChecked() ? 1 : 0;
}

void TSatelliteGroup::GetStates(BufferForConfiguration& buffer) const {
    buffer.SystemState(systemId_) = SystemState();
    for (size_t k = 0; k < boxes_.size(); ++k)
        buffer.Box(indices_[k]) = boxes_[k]->Transfer();
}

bool TSatelliteGroup::EngineHasSystem() const {
    for (int index : indices_)
        if (engine_.HasAlmanac(index))
            return true;
    return false;
}

void TSatelliteGroup::DisableWhatIsAbsent() {
    if (!EngineHasSystem()) {
        system_->setChecked(false);
        system_->setEnabled(false);
    }
    for (myTCheckBox* box : boxes_)
        if (box->Transfer() == 2)
            box->setEnabled(false);
}

void TSatelliteGroup::RefreshFromEngine() {
    const bool has = EngineHasSystem();
    system_->setEnabled(has);
    system_->setChecked(has);
    for (size_t k = 0; k < boxes_.size(); ++k) {
        myTCheckBox* box = boxes_[k];
        box->setEnabled(true);
        const uint16_t state = SatelliteBoxState(engine_.status(indices_[k]), system_->isChecked());
        box->SetTransfer(state);
        if (state == 2)
            box->setEnabled(false);
    }
    for (TSatelliteMarker* marker : markers_)
        marker->update();
}

void TSatelliteGroup::SystemClicked() {
    const bool on = system_->isChecked();
    for (size_t k = 0; k < boxes_.size(); ++k) {
        myTCheckBox* box = boxes_[k];
        if (box->Transfer() == 2)
            continue;
        const bool unhealthy = (engine_.status(indices_[k]) & StatusUnhealthy) != 0;
        box->SetTransfer(on && !unhealthy ? 1 : 0);
    }
}

void TSatelliteGroup::SetAll(bool on) {
    if (!system_->isChecked())
        return;
    for (myTCheckBox* box : boxes_)
        if (box->Transfer() != 2)
            box->SetTransfer(on ? 1 : 0);
}
