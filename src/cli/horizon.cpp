// tavrin-cli horizon: the terrain's horizon at one site.
#include <cmath>
#include <memory>

#include "base/strings.h"
#include "base/text.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/planner.h"
#include "cli/request.h"
#include "cli/terrain.h"
#include "cli/textbuffer.h"

namespace {

// The site of --at, or of --sites with --site, found as plan finds it.
int ChooseSite(const Arguments& args, SiteInfo& site) {
    if (args.Has("--at") && (args.Has("--sites") || args.Has("--site")))
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_CONFLICT).c_str(), "--at", "--sites/--site"));
    PlanRequest request;
    if (const std::optional<std::string> at = args.Value("--at")) {
        if (const int status = ParseAt(*at, request); status != kExitOk)
            return status;
    } else if (args.Has("--sites") && args.Has("--site")) {
        request.sitesPath = *args.Value("--sites");
        request.siteNames = {*args.Value("--site")};
    } else {
        return Fail(kExitUsage, ResString(IDS_HORIZON_NEEDS_SITE));
    }
    std::vector<SiteInfo> sites;
    if (const int status = LoadSites(request, sites))
        return status;
    if (sites.size() != 1)
        return Fail(kExitInput, ResString(IDS_PLAN_NO_SITES));
    if (!sites[0].HasValidValues())
        return Fail(kExitInput, FormatText(ResString(IDS_CLI_SITE_UNUSABLE).c_str(), sites[0].name,
                                           sites[0].ValueFault().c_str()));
    site = sites[0];
    return kExitOk;
}

std::string Text(const SiteInfo& site, const TerrainHorizon& h, const HorizonSettings& s) {
    TextBuffer b;
    b << FormatText(ResString(IDS_HORIZON_TITLE).c_str(), h.model.c_str()) << '\n'
      << FormatText(ResString(IDS_HORIZON_SITE).c_str(), site.name, site.latitude, site.longitude) << '\n';
    if (std::isnan(h.ground))
        b << FormatText(ResString(IDS_TERRAIN_GROUND_NONE).c_str(), h.observer, h.step, s.maxDistance / 1000,
                        s.refraction);
    else
        b << FormatText(ResString(IDS_HORIZON_HEIGHTS).c_str(), h.ground, h.observer, h.step,
                        s.maxDistance / 1000, s.refraction);
    b << "\n\n" << ResString(IDS_HORIZON_COLUMNS) << '\n';
    for (int i = 0; i < h.Count(); ++i) {
        const auto k = static_cast<size_t>(i);
        b << FormatText("%7.2f  %9.3f  %8.3f%s\n", i * h.step, h.elevation[k], h.distance[k] / 1000,
                        h.cutShort[k] > 0 ? " *" : "");
    }
    return b.Take();
}

std::string Csv(const TerrainHorizon& h) {
    TextBuffer b;
    b << "azimuth,elevation,distance_km,cut_short_km\n";
    for (int i = 0; i < h.Count(); ++i) {
        const auto k = static_cast<size_t>(i);
        b.Fixed(i * h.step, 4) << ',';
        b.Fixed(h.elevation[k], 4) << ',';
        b.Fixed(h.distance[k] / 1000.0, 4) << ',';
        if (h.cutShort[k] > 0)
            b.Fixed(h.cutShort[k] / 1000.0, 4);
        b << '\n';
    }
    return b.Take();
}

std::string Json(const SiteInfo& site, const TerrainHorizon& h, const HorizonSettings& s) {
    TextBuffer b;
    b << "{\"model\": " << JsonString(h.model) << ", \"site\": " << JsonString(site.name)
      << ", \"latitude\": ";
    b.JsonFixed(site.latitude, 8) << ", \"longitude\": ";
    b.JsonFixed(site.longitude, 8) << ", \"ground\": ";
    b.JsonFixed(h.ground, 2) << ", \"antenna\": ";
    b.JsonFixed(h.observer, 2) << ", \"step\": ";
    b.JsonFixed(h.step, 6) << ", \"maxDistance\": ";
    b.JsonFixed(s.maxDistance / 1000, 3) << ", \"refraction\": ";
    b.JsonFixed(s.refraction, 4) << ", \"cutShort\": [";
    const std::vector<int> cut = h.CutShortEntries();
    for (size_t i = 0; i < cut.size(); ++i)
        b.JsonFixed(cut[i] * h.step, 4) << (i + 1 < cut.size() ? ", " : "");
    b << "], \"horizon\": [";
    for (int i = 0; i < h.Count(); ++i) {
        const auto k = static_cast<size_t>(i);
        b << (i ? ", " : "") << "{\"azimuth\": ";
        b.JsonFixed(i * h.step, 4) << ", \"elevation\": ";
        b.JsonFixed(h.elevation[k], 4) << ", \"distance\": ";
        b.JsonFixed(h.distance[k] / 1000.0, 4) << '}';
    }
    b << "]}\n";
    return b.Take();
}

} // namespace

int RunHorizon(const Words& words) {
    const Arguments args(words, OptionsOf("horizon"));
    if (const std::optional<int> end = EndsAtOnce(args, "horizon"))
        return *end;
    if (!args.Positional().empty())
        return Fail(kExitUsage,
                    FormatText(ResString(IDS_CLI_UNEXPECTED_ARGUMENT).c_str(), args.Positional()[0].c_str()));
    if (const int status = ApplyCodePage(args))
        return status;
    const std::optional<std::string> dem = args.Value("--dem");
    if (!dem)
        return Fail(kExitUsage, ResString(IDS_HORIZON_NEEDS_DEM));
    HorizonSettings settings;
    if (const int status = ParseTerrainOptions(args, true, settings))
        return status;
    int format = 0;
    if (const int status = ParseChoice(args, "--format", {"text", "csv", "json"}, 0, format))
        return status;
    std::vector<SiteInfo> sites(1);
    if (const int status = ChooseSite(args, sites[0]))
        return status;
    if (const int status = AttachTerrain(*dem, settings, sites))
        return status;
    const SiteInfo& site = sites[0];
    const TerrainHorizon& h = *site.terrain;
    const std::string text = format == 0   ? Text(site, h, settings)
                             : format == 1 ? Csv(h)
                                           : Json(site, h, settings);
    return WriteOutput(args.Value("--output").value_or(""), text, args.Has("--force"));
}
