// Horizons from an elevation model for the sites of a run, through GDAL.
#include <algorithm>

#include "base/strings.h"
#include "cli/commands.h"
#include "cli/terrain.h"
#include "terrain/terrainmodel.h"

int AttachModelTerrain(const std::string& demPath, const HorizonSettings& settings,
                       std::vector<SiteInfo>& sites) {
    TerrainModel model;
    std::string error;
    if (!model.Open(demPath, error))
        return Fail(kExitInput, error);
    // One read of the model for every site when they lie near each other; else a read per site.
    std::vector<std::pair<double, double>> positions;
    for (const SiteInfo& s : sites)
        positions.emplace_back(s.latitude, s.longitude);
    std::string ignored;
    model.Prepare(positions, settings.maxDistance, ignored);
    for (SiteInfo& site : sites) {
        auto horizon = model.Horizon(site.latitude, site.longitude, site.altitude, settings,
                                     HorizonCacheDirectory(), error);
        if (!horizon)
            return Fail(kExitInput, FormatText("%s: %s", site.name, error.c_str()));
        const std::vector<int> cut = horizon->CutShortEntries();
        if (!cut.empty()) {
            const float nearest =
                *std::min_element(horizon->cutShort.begin(), horizon->cutShort.end(),
                                  [](float a, float b) { return (a > 0 ? a : 1e30f) < (b > 0 ? b : 1e30f); });
            Fail(kExitOk, FormatText(ResString(IDS_TERRAIN_CUT_SHORT).c_str(), site.name,
                                     FormatText("%.1f", settings.maxDistance / 1000).c_str(),
                                     FormatText("%.1f", nearest / 1000).c_str(), static_cast<int>(cut.size()),
                                     horizon->Count(), AzimuthRuns(*horizon, cut).c_str()));
        }
        site.terrain = std::move(horizon);
    }
    return kExitOk;
}
