#include "sites/siteinfo.h"

#include <algorithm>

#include "base/strings.h"
#include "base/text.h"

SiteInfo::SiteInfo() {
    SetName(ResString(IDS_NEW_SITE).c_str());
}

SiteInfo::SiteInfo(double lat, double lon, double alt, const char* n, const char* d, float gmt)
    : latitude(lat), longitude(lon), altitude(alt), gmtOffset(gmt) {
    SetName(n);
    SetDescription(d);
}

void SiteInfo::SetName(const char* text) {
    CopyBounded(name, CutToField(text ? text : "", kNameField).c_str(), sizeof name);
}

void SiteInfo::SetDescription(const char* text) {
    CopyBounded(description, CutToField(text ? text : "", kDescriptionField).c_str(), sizeof description);
}

namespace {

bool Within(double value, double low, double high) {
    return value >= low && value <= high; // false for NaN
}

std::string Shown(double value) {
    return FormatText("%g", value);
}

} // namespace

std::string SiteInfo::ValueFault() const {
    if (!Within(latitude, -90, 90))
        return FormatText(LoadResString(IDS_SITE_FAULT_LATITUDE), Shown(latitude).c_str());
    if (!Within(longitude, -180, 180))
        return FormatText(LoadResString(IDS_SITE_FAULT_LONGITUDE), Shown(longitude).c_str());
    if (!Within(altitude, -11000, 100000))
        return FormatText(LoadResString(IDS_SITE_FAULT_ALTITUDE), Shown(altitude).c_str());
    if (!Within(gmtOffset, -12, 14))
        return FormatText(LoadResString(IDS_SITE_FAULT_GMT_OFFSET), Shown(gmtOffset).c_str());
    int n = 0;
    for (const Obstruction& o : obstructions) {
        ++n;
        for (const point<double>& v : o)
            if (!Within(v.x, -90, 90) || !Within(v.y, -360, 360))
                return FormatText(LoadResString(IDS_SITE_FAULT_VERTEX), n, Shown(v.x).c_str(),
                                  Shown(v.y).c_str());
    }
    return {};
}

bool SiteInfo::HasValidValues() const {
    if (!Within(latitude, -90, 90) || !Within(longitude, -180, 180) || !Within(altitude, -11000, 100000) ||
        !Within(gmtOffset, -12, 14))
        return false;
    // Walked in place: the engine asks at every recomputation, which must not allocate.
    for (const Obstruction& o : obstructions)
        for (const point<double>& v : o)
            if (!Within(v.x, -90, 90) || !Within(v.y, -360, 360))
                return false;
    return true;
}

int32_t SiteInfo::FindObstruction(const point<double>& direction) const {
    for (const Obstruction& o : obstructions)
        if (o.Contains(direction))
            return 0;
    return -1;
}

int SiteInfo::ChangeMask(const SiteInfo& other) const {
    int mask = 0;
    if (latitude != other.latitude || longitude != other.longitude || altitude != other.altitude)
        mask |= kChangedPosition;
    if (gmtOffset != other.gmtOffset)
        mask |= kChangedGmtOffset;
    if (obstructions.Count() != other.obstructions.Count() ||
        !std::equal(obstructions.begin(), obstructions.end(), other.obstructions.begin(),
                    [](const Obstruction& a, const Obstruction& b) { return !a.Differs(b); }))
        mask |= kChangedObstructions;
    if (terrain != other.terrain)
        mask |= kChangedObstructions;
    return mask;
}

bool SiteInfo::Write(std::ostream& out, bool* fellBack) const {
    bool utf8 = false;
    out << storedName.Write(name, kNameField, utf8)
        << storedDescription.Write(description, kDescriptionField, utf8);
    if (fellBack && utf8)
        *fellBack = true;
    le::PutF64(out, latitude);
    le::PutF64(out, longitude);
    le::PutF64(out, altitude);
    le::PutF32(out, gmtOffset);
    le::PutU16(out, static_cast<uint16_t>(obstructions.Count()));
    for (const Obstruction& o : obstructions)
        if (!o.Write(out))
            break;
    return static_cast<bool>(out);
}

bool SiteInfo::Read(std::istream& in) {
    char n[kNameField], d[kDescriptionField];
    if (!in.read(n, sizeof n) || !in.read(d, sizeof d))
        return false;
    double lat = 0, lon = 0, alt = 0;
    float gmt = 0;
    if (!le::GetF64(in, lat) || !le::GetF64(in, lon) || !le::GetF64(in, alt) || !le::GetF32(in, gmt))
        return false;
    storedName = StoredField::Read(n, sizeof n);
    storedDescription = StoredField::Read(d, sizeof d);
    CopyBounded(name, storedName.text.c_str(), sizeof name);
    CopyBounded(description, storedDescription.text.c_str(), sizeof description);
    latitude = lat;
    longitude = lon;
    altitude = alt;
    gmtOffset = gmt;
    obstructions.Clear();
    uint16_t raw = 0;
    if (!le::GetU16(in, raw))
        return false;
    const auto count = static_cast<int16_t>(raw);
    for (int i = 0; i < count; ++i) {
        Obstruction o;
        if (!o.Read(in))
            return false;
        obstructions.Add(o);
    }
    return static_cast<bool>(in);
}
