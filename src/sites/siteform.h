// The site editor's transfer record: the fields of the form as text, and the two ways between a
// site and the form.
#pragma once

#include "sites/siteinfo.h"

struct SiteDialogBuf {
    char name[21]{};
    char description[61]{};
    char latDegrees[3]{}, latMinutes[3]{}, latSeconds[3]{}, latHundredths[3]{};
    int latHemisphere = 0; // 0 north, 1 south
    char lonDegrees[4]{}, lonMinutes[3]{}, lonSeconds[3]{}, lonHundredths[3]{};
    int lonHemisphere = 0; // 0 east, 1 west
    char altitude[9]{};
    char gmtOffset[7]{};
};

// Latitude and longitude only, as degrees, minutes, seconds and hundredths with the hemisphere.
void FillPosition(double latitude, double longitude, SiteDialogBuf& buf);
// The whole form from a site: name, description, position, altitude and offset ("%5.2f").
void FillSiteDialogBuf(const SiteInfo& site, SiteDialogBuf& buf);

// The position the form shows, north and east positive.
double ReadLatitude(const SiteDialogBuf& buf);
double ReadLongitude(const SiteDialogBuf& buf);
// The fixed fields of `site` from the form; its obstructions are left alone. Name and description
// are taken as typed.
void ReadSiteDialogBuf(const SiteDialogBuf& buf, SiteInfo& site);
