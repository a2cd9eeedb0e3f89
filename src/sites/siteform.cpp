#include "sites/siteform.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "base/casefold.h"
#include "base/degrees.h"
#include "base/strings.h"
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

namespace {

// A name as the list will hold it in the code page, as the list shows it.
std::string StoredName(const std::string& name, int codePage) {
    return TrimmedName(CutToField(name, SiteInfo::kNameField, codePage).c_str());
}

std::string CodePageTitle(int codePage) {
    switch (codePage) {
    case 1250:
        return ResString(IDS_CODEPAGE_1250);
    case 1251:
        return ResString(IDS_CODEPAGE_1251);
    case 932:
        return ResString(IDS_CODEPAGE_932);
    case kCodePageUtf8:
        return ResString(IDS_CODEPAGE_65001);
    default:
        return ResString(IDS_CODEPAGE_1252);
    }
}

} // namespace

SiteNameFault CheckSiteName(const char* typed, const std::vector<std::string>& listed, int own,
                            int codePage) {
    const std::string name = StoredName(typed, codePage);
    if (name.empty())
        return SiteNameFault::Empty;
    const bool hasOwn = own >= 0 && static_cast<size_t>(own) < listed.size();
    if (hasOwn && name == StoredName(listed[static_cast<size_t>(own)], codePage))
        return SiteNameFault::None;
    for (size_t i = 0; i < listed.size(); ++i)
        if ((!hasOwn || i != static_cast<size_t>(own)) &&
            EqualIgnoringCase(name, StoredName(listed[i], codePage)))
            return SiteNameFault::Exists;
    return SiteNameFault::None;
}

std::optional<SiteTextFault> CheckSiteTexts(const SiteDialogBuf& buf, int codePage) {
    const std::pair<const char*, size_t> texts[] = {{buf.name, SiteInfo::kNameField},
                                                    {buf.description, SiteInfo::kDescriptionField}};
    for (const auto& [text, size] : texts) {
        SiteTextFault fault;
        fault.fit = MeasureFieldText(text, size, codePage);
        if (fault.fit.Fits())
            continue;
        fault.description = text == buf.description;
        fault.codePage = codePage;
        fault.holdingCodePage = CodePageHolding(text, size);
        return fault;
    }
    return std::nullopt;
}

std::string SiteTextFaultText(const SiteTextFault& fault) {
    const std::string what = ResString(fault.description ? IDS_SITE_TEXT_DESCRIPTION : IDS_SITE_TEXT_NAME);
    const int bytes = static_cast<int>(fault.fit.bytes), room = static_cast<int>(fault.fit.room);
    std::string text;
    if (!fault.fit.utf8)
        text =
            FormatText(ResString(IDS_SITE_TEXT_TOO_LONG).c_str(), what.c_str(), bytes, fault.codePage, room);
    else if (fault.codePage == kCodePageUtf8)
        text = FormatText(ResString(IDS_SITE_TEXT_TOO_LONG_UTF8).c_str(), what.c_str(), bytes, room);
    else
        text = FormatText(ResString(IDS_SITE_TEXT_NOT_IN_CODEPAGE).c_str(), what.c_str(), fault.codePage,
                          bytes, room);
    if (fault.holdingCodePage != 0)
        text += FormatText(ResString(IDS_SITE_TEXT_WOULD_FIT).c_str(),
                           CodePageTitle(fault.holdingCodePage).c_str());
    return text;
}
