#include "cli/terrain.h"

#include <algorithm>

#include "base/strings.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/request.h"
#include "terrain/terrainmodel.h"

std::string AzimuthRuns(const TerrainHorizon& h, const std::vector<int>& entries) {
    std::string text;
    for (size_t i = 0; i < entries.size();) {
        size_t j = i;
        while (j + 1 < entries.size() && entries[j + 1] == entries[j] + 1)
            ++j;
        text += (text.empty() ? "" : ", ") + FormatText("%g", entries[i] * h.step);
        if (j > i)
            text += FormatText("-%g", entries[j] * h.step);
        i = j + 1;
    }
    return text;
}

int AttachTerrain(const std::string& demPath, const HorizonSettings& settings, std::vector<SiteInfo>& sites) {
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

int ParseTerrainOptions(const Arguments& args, bool withStep, HorizonSettings& s) {
    struct Option {
        const char* name;
        int what;
        double scale, low, high;
        double* value;
    };
    Option options[] = {
        {"--step", IDS_TERRAIN_WHAT_STEP, 1, HorizonSettings::kMinStep, HorizonSettings::kMaxStep, &s.step},
        {"--max-distance", IDS_TERRAIN_WHAT_DISTANCE, 1000, 1e-9, HorizonSettings::kMaxDistance,
         &s.maxDistance},
        {"--antenna-height", IDS_TERRAIN_WHAT_HEIGHT, 1, -10000, 10000, &s.antennaHeight},
        {"--refraction", IDS_TERRAIN_WHAT_REFRACTION, 1, -1, 0.9, &s.refraction},
    };
    for (const Option& o : options) {
        if (!withStep && o.value == &s.step)
            continue;
        const std::optional<std::string> v = args.Value(o.name);
        if (!v)
            continue;
        double x = 0;
        if (!ParseDouble(*v, x) || !(x * o.scale >= o.low && x * o.scale <= o.high))
            return UsageError(o.name, *v, ResString(o.what).c_str());
        *o.value = x * o.scale;
    }
    s.altitudeIsAntenna = args.Has("--antenna-altitude");
    return kExitOk;
}
