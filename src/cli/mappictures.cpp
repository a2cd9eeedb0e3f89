#include "cli/mappictures.h"

#include <cmath>

#include "base/strings.h"
#include "sites/siteinfo.h"

namespace {

constexpr double kMetresPerDegree = 111320.0; // along a meridian, near enough for a caption

std::string Conditions(const MapConditions& conditions, const double* base) {
    const WindowConditions& w = conditions.windows;
    std::vector<std::string> parts;
    if (w.maxPdop > 0)
        parts.push_back(FormatText(ResString(IDS_MAP_CAPTION_PDOP).c_str(), w.maxPdop));
    if (w.minSatellites > 0)
        parts.push_back(FormatText(ResString(IDS_MAP_CAPTION_SATS).c_str(), w.minSatellites));
    if (w.minLength > 0)
        parts.push_back(
            FormatText(ResString(IDS_MAP_CAPTION_LENGTH).c_str(), w.minLength / 3600, w.minLength / 60 % 60));
    parts.push_back(FormatText(ResString(IDS_MAP_CAPTION_HOURS).c_str(), w.dailyFrom / 3600,
                               w.dailyFrom / 60 % 60, w.dailyTo / 3600, w.dailyTo / 60 % 60));
    if (base)
        parts.push_back(
            FormatText(ResString(IDS_MAP_CAPTION_COMMON).c_str(), conditions.minCommon, base[0], base[1]));
    std::string text;
    for (const std::string& p : parts)
        text += (text.empty() ? "" : ", ") + p;
    return FormatText(ResString(IDS_MAP_CAPTION_CONDITIONS).c_str(), text.c_str());
}

} // namespace

void CaptionMapPicture(MapPicture& picture, const PlanRequest& request, const PlanSetup& setup,
                       const MapConditions& conditions, const double* base, const std::string& model) {
    const MapArea& a = picture.area;
    const double latitude = (a.south + a.north) / 2, longitude = (a.west + a.east) / 2;
    // The height the map gives its middle, as it gives every cell's.
    double altitude = 0;
    if (picture.columns > 0 && picture.rows > 0) {
        const float middle =
            picture.ground[static_cast<size_t>(picture.rows / 2) * static_cast<size_t>(picture.columns) +
                           static_cast<size_t>(picture.columns / 2)];
        if (!std::isnan(middle))
            altitude = middle;
    }
    const double cellEast =
        a.LongitudeStep() * kMetresPerDegree * std::cos(latitude * 3.14159265358979323846 / 180);
    const SiteInfo site(latitude, longitude, altitude, "", "", request.gmtOffset);
    picture.header = MakeHeaderInfo(setup.calc(), &site, IntervalOfDay(request, setup, 0));
    // Set here, not through the site, whose fields hold no more than a site list's.
    picture.header.siteName = FormatText(ResString(IDS_MAP_CAPTION_CELLS).c_str(), a.columns, a.rows);
    picture.header.siteDescription =
        FormatText(ResString(IDS_MAP_CAPTION_AREA).c_str(), a.south, a.west, a.north, a.east, cellEast,
                   a.LatitudeStep() * kMetresPerDegree);
    if (!setup.sources.empty()) {
        picture.header.systems = setup.sources.front().systems;
        picture.header.sources = setup.sources.front().lines;
    }
    picture.header.terrain = model;
    picture.lines = {Conditions(conditions, base)};
    if (model.empty())
        picture.lines.push_back(ResString(IDS_MAP_CAPTION_OPEN_SKY));
}
