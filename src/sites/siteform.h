// The site editor's form without its widgets: the fields as text (the transfer record), the two
// ways between a site and the form, and the rules the form applies to position and name. The dialog
// only moves text between this record and its controls.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sites/siteinfo.h"

struct SiteDialogBuf {
    // UTF-8, with room for every character the file's fields hold (not their bytes).
    char name[SiteInfo::kNameChars * 4 + 1]{};
    char description[SiteInfo::kDescriptionChars * 4 + 1]{};
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
// are taken as typed, cut to what the file's fields hold in the code page.
void ReadSiteDialogBuf(const SiteDialogBuf& buf, SiteInfo& site);

// At 90 degrees of latitude or 180 of longitude there is nothing beyond: the minutes, seconds and
// hundredths of that angle become "0". True when any of them was not 0.
bool ApplyPoleRule(SiteDialogBuf& buf);

// A name as the list shows it: without the blanks before and after.
std::string TrimmedName(const char* name);

// What stands against storing a typed name in a list.
enum class SiteNameFault { None, Empty, Exists };
// `typed` as in the name field; `listed` the names of the list's sites; `own` the entry the name is
// for (-1: a new site). Names are compared as the list will hold them in the code page, without the
// blanks around them: another site's name in any letter case is taken; the own entry may keep its
// name or change its case.
SiteNameFault CheckSiteName(const char* typed, const std::vector<std::string>& listed, int own,
                            int codePage = FileCodePage());

// A typed name or description that its field in the list cannot hold whole in the code page.
struct SiteTextFault {
    bool description = false; // else the name
    int codePage = 0;         // the list's
    FieldFit fit;
    int holdingCodePage = 0; // an offered code page that would hold it, 0 when none does
};
// The first of the typed name and description that does not fit; nullopt when both do. What does
// not fit is refused rather than cut on the way into the list.
std::optional<SiteTextFault> CheckSiteTexts(const SiteDialogBuf& buf, int codePage = FileCodePage());
// The refusal as the user reads it: what the text takes, what the list holds, and which code page
// would hold it.
std::string SiteTextFaultText(const SiteTextFault& fault);
