// The desktop's terrain: Setup > Terrain, the settings kept, and the current site's horizon
// computed (or taken from the cache) whenever the site, the model or the settings change.
#include "app/appsettings.h"
#include "app/mdiclient.h"
#include "base/strings.h"
#include "engine/changeflags.h"
#include "terrain/terrainmodel.h"
#include "ui/prompts.h"
#include "ui/waitcursor.h"

namespace {

const QString kTerrainOn = QStringLiteral("terrain/on"), kTerrainModel = QStringLiteral("terrain/model"),
              kTerrainHeight = QStringLiteral("terrain/antennaHeight"),
              kTerrainDistance = QStringLiteral("terrain/maxDistance");

} // namespace

void OrvantMDIClient::RestoreTerrain() {
    const auto settings = OpenAppSettings();
    terrain_.on = settings->value(kTerrainOn, false).toBool();
    terrain_.model = settings->value(kTerrainModel).toString();
    terrain_.antennaHeight = settings->value(kTerrainHeight, 2.0).toDouble();
    terrain_.maxDistance = settings->value(kTerrainDistance, 50.0).toDouble();
}

void OrvantMDIClient::TerrainSetup() {
    TerrainOptions edited = terrain_;
    TTerrainDialog dialog(this, edited);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (edited.model != terrain_.model)
        terrainModel_.reset();
    terrain_ = edited;
    terrainFailed_.clear();
    const auto settings = OpenAppSettings();
    settings->setValue(kTerrainOn, terrain_.on);
    settings->setValue(kTerrainModel, terrain_.model);
    settings->setValue(kTerrainHeight, terrain_.antennaHeight);
    settings->setValue(kTerrainDistance, terrain_.maxDistance);
    Post(CM_RECOMPUTE);
}

void OrvantMDIClient::EnsureTerrain() {
    SiteInfo* site = list_ ? list_->CurrentSite() : nullptr;
    if (!site)
        return;
    const bool wanted = terrain_.on && !terrain_.model.isEmpty() && site->HasValidValues();
    if (!wanted) {
        if (site->terrain) {
            site->terrain.reset();
            session_.Touch(ChangeFlags::kObstructions);
        }
        return;
    }
    HorizonSettings settings;
    settings.antennaHeight = terrain_.antennaHeight;
    settings.maxDistance = terrain_.maxDistance * 1000.0;
    std::string error;
    if (!terrainModel_) {
        auto model = std::make_unique<TerrainModel>();
        if (model->Open(terrain_.model.toStdString(), error))
            terrainModel_ = std::move(model);
    }
    std::shared_ptr<const TerrainHorizon> horizon;
    if (terrainModel_) {
        // The horizon in use already answers for this site and these settings.
        if (site->terrain && site->terrain->key == terrainModel_->Key(site->latitude, site->longitude,
                                                                      site->altitude, settings))
            return;
        WaitCursor wait;
        horizon = terrainModel_->Horizon(site->latitude, site->longitude, site->altitude, settings,
                                         HorizonCacheDirectory(), error);
    }
    if (!horizon) {
        // Said once per site and model, not at every redraw.
        const std::string said = terrain_.model.toStdString() + "\n" + site->name;
        if (terrainFailed_ != said) {
            terrainFailed_ = said;
            ThePrompts().MessageBox(this,
                                    QString::fromStdString(FormatText(ResString(IDS_TERRAIN_FAILED).c_str(),
                                                                      site->name, error.c_str())),
                                    Res(IDS_TERRAIN_DLG_CAPTION), MB_OK | MB_ICONEXCLAMATION);
        }
        if (site->terrain) {
            site->terrain.reset();
            session_.Touch(ChangeFlags::kObstructions);
        }
        return;
    }
    site->terrain = std::move(horizon);
    session_.Touch(ChangeFlags::kObstructions);
}
