#include "sites/siteinfo.h"

#include "base/strings.h"
#include "base/text.h"

SiteInfo::SiteInfo() {
    CopyBounded(name, ResString(2031).c_str(), sizeof name);
}

SiteInfo::SiteInfo(double lat, double lon, double alt, const char* n, const char* d, float gmt)
    : latitude(lat), longitude(lon), altitude(alt), gmtOffset(gmt) {
    CopyBounded(name, n ? n : "", sizeof name);
    CopyBounded(description, d ? d : "", sizeof description);
}

int32_t SiteInfo::FindObstruction(const point<double>& direction) const {
    auto& list = const_cast<AList<Obstruction>&>(obstructions);
    if (!list.First())
        return -1;
    do
        if (list.Current()->Contains(direction))
            return 0;
    while (list.Next());
    return -1;
}

int SiteInfo::ChangeMask(const SiteInfo& other) const {
    int mask = 0;
    if (latitude != other.latitude || longitude != other.longitude || altitude != other.altitude)
        mask |= kChangedPosition;
    if (gmtOffset != other.gmtOffset)
        mask |= kChangedGmtOffset;
    auto& a = const_cast<AList<Obstruction>&>(obstructions);
    auto& b = const_cast<AList<Obstruction>&>(other.obstructions);
    if (a.Count() != b.Count()) {
        mask |= kChangedObstructions;
    } else if (a.First() && b.First()) {
        do
            if (a.Current()->Differs(*b.Current())) {
                mask |= kChangedObstructions;
                break;
            }
        while (a.Next() && b.Next());
    }
    return mask;
}

bool SiteInfo::Write(std::ostream& out) const {
    out.write(name, sizeof name);
    out.write(description, sizeof description);
    le::PutF64(out, latitude);
    le::PutF64(out, longitude);
    le::PutF64(out, altitude);
    le::PutF32(out, gmtOffset);
    le::PutU16(out, static_cast<uint16_t>(obstructions.Count()));
    auto& list = const_cast<AList<Obstruction>&>(obstructions);
    if (list.First()) {
        do
            list.Current()->Write(out);
        while (out && list.Next());
    }
    return static_cast<bool>(out);
}

bool SiteInfo::Read(std::istream& in) {
    char n[21], d[61];
    if (!in.read(n, sizeof n) || !in.read(d, sizeof d))
        return false;
    double lat = 0, lon = 0, alt = 0;
    float gmt = 0;
    if (!le::GetF64(in, lat) || !le::GetF64(in, lon) || !le::GetF64(in, alt) || !le::GetF32(in, gmt))
        return false;
    n[20] = 0;
    d[60] = 0;
    CopyBounded(name, ToUtf8(n).c_str(), sizeof name);
    CopyBounded(description, ToUtf8(d).c_str(), sizeof description);
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
