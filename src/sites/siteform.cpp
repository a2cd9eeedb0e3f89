#include "sites/siteform.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "base/casefold.h"
#include "base/degrees.h"
#include "base/text.h"

namespace {

template <size_t N> void PutNumber(char (&field)[N], int value) {
    std::snprintf(field, N, "%d", value);
}

// The magnitude split for the form; beyond the limit it is taken modulo the limit, as always shown.
void FillAngle(double value, double limit, char* degrees, size_t degreesSize, char (&minutes)[3],
               char (&seconds)[3], char (&hundredths)[3], int& hemisphere) {
    hemisphere = value < 0 ? 1 : 0;
    double magnitude = std::fabs(value);
    if (!std::isfinite(magnitude))
        magnitude = 0;
    if (magnitude > limit)
        magnitude = std::fmod(magnitude, limit);
    int d, m, s, h;
    DegreesToDms(magnitude, d, m, s, h);
    std::snprintf(degrees, degreesSize, "%d", d);
    PutNumber(minutes, m);
    PutNumber(seconds, s);
    PutNumber(hundredths, h);
}

// A whole number as typed: its leading digits after blanks, 0 when there are none.
int Whole(const char* text) {
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

double ReadAngle(const char* degrees, const char* minutes, const char* seconds, const char* hundredths,
                 int hemisphere) {
    const double value =
        static_cast<double>(DmsToDegrees(Whole(degrees), Whole(minutes), Whole(seconds), Whole(hundredths)));
    return hemisphere == 1 ? -value : value;
}

double Decimal(const char* text) {
    const double value = std::strtod(text, nullptr);
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

void FillPosition(double latitude, double longitude, SiteDialogBuf& buf) {
    FillAngle(latitude, 90, buf.latDegrees, sizeof buf.latDegrees, buf.latMinutes, buf.latSeconds,
              buf.latHundredths, buf.latHemisphere);
    FillAngle(longitude, 180, buf.lonDegrees, sizeof buf.lonDegrees, buf.lonMinutes, buf.lonSeconds,
              buf.lonHundredths, buf.lonHemisphere);
}

void FillSiteDialogBuf(const SiteInfo& site, SiteDialogBuf& buf) {
    CopyBounded(buf.name, site.name, sizeof buf.name);
    CopyBounded(buf.description, site.description, sizeof buf.description);
    FillPosition(site.latitude, site.longitude, buf);
    // Values the fields cannot hold are cut by the field itself and corrected when checked.
    char text[64];
    std::snprintf(text, sizeof text, "%5.2f", site.altitude);
    CopyBounded(buf.altitude, text, sizeof buf.altitude);
    std::snprintf(text, sizeof text, "%5.2f", static_cast<double>(site.gmtOffset));
    CopyBounded(buf.gmtOffset, text, sizeof buf.gmtOffset);
}

double ReadLatitude(const SiteDialogBuf& buf) {
    return ReadAngle(buf.latDegrees, buf.latMinutes, buf.latSeconds, buf.latHundredths, buf.latHemisphere);
}

double ReadLongitude(const SiteDialogBuf& buf) {
    return ReadAngle(buf.lonDegrees, buf.lonMinutes, buf.lonSeconds, buf.lonHundredths, buf.lonHemisphere);
}

void ReadSiteDialogBuf(const SiteDialogBuf& buf, SiteInfo& site) {
    site.SetName(buf.name);
    site.SetDescription(buf.description);
    site.latitude = ReadLatitude(buf);
    site.longitude = ReadLongitude(buf);
    site.altitude = Decimal(buf.altitude);
    site.gmtOffset = static_cast<float>(Decimal(buf.gmtOffset));
}

bool ApplyPoleRule(SiteDialogBuf& buf) {
    bool changed = false;
    auto zero = [&changed](std::initializer_list<char*> fields) {
        for (char* field : fields)
            if (Whole(field) != 0) {
                std::strcpy(field, "0");
                changed = true;
            }
    };
    if (Whole(buf.latDegrees) == 90)
        zero({buf.latMinutes, buf.latSeconds, buf.latHundredths});
    if (Whole(buf.lonDegrees) == 180)
        zero({buf.lonMinutes, buf.lonSeconds, buf.lonHundredths});
    return changed;
}

std::string TrimmedName(const char* name) {
    std::string copy(name);
    TrimBlanks(copy.data());
    return copy.c_str();
}

SiteNameFault CheckSiteName(const char* typed, const std::vector<std::string>& listed, int own) {
    const std::string trimmed = TrimmedName(typed);
    if (trimmed.empty())
        return SiteNameFault::Empty;
    const bool hasOwn = own >= 0 && static_cast<size_t>(own) < listed.size();
    if (hasOwn && trimmed == listed[static_cast<size_t>(own)])
        return SiteNameFault::None;
    for (size_t i = 0; i < listed.size(); ++i)
        if ((!hasOwn || i != static_cast<size_t>(own)) && EqualIgnoringCase(trimmed, listed[i]))
            return SiteNameFault::Exists;
    return SiteNameFault::None;
}
