// The satellite tracks the obstruction editor shows behind its outlines.
#include "app/mdiclient.h"

#include "engine/skytracks.h"

std::vector<SkyTrack> OrvantMDIClient::SkyTracksFor(const SiteInfo& site) {
    if (session_.engine().loadState() != kLoadOk)
        return {};
    // Computed on copies: the plan of the current site, which the views show, stays as it is, and
    // a position being edited in the site editor is already taken into account.
    SiteInfo open(site.latitude, site.longitude, site.altitude, site.name, site.description, site.gmtOffset);
    Calculator calculator(session_.engine());
    if (!calculator.Recalculate(open, session_.interval(), 1))
        return {};
    return SkyTracksOf(calculator);
}
