#include "cli/terrain.h"

#include "base/strings.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/request.h"

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
