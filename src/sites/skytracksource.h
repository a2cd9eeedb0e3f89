// Where the satellites of the current plan run across the sky of a site: drawn faintly behind the
// obstruction editor's outlines, so that the user sees what an obstruction will hide. The main
// window answers; a dialog opened without one shows no tracks.
#pragma once

#include <vector>

#include "sites/point.h"

class SiteInfo;

// Successive directions (x elevation, y azimuth, degrees) of one satellite above the horizon.
using SkyTrack = std::vector<point<double>>;

class SkyTrackSource {
public:
    virtual ~SkyTrackSource() = default;
    // The tracks over the planning interval for `site` as it is now (its position may differ from
    // the stored one); none when nothing can be computed.
    virtual std::vector<SkyTrack> SkyTracksFor(const SiteInfo& site) = 0;
};
