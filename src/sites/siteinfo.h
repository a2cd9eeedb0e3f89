// A named observation point with its obstructions.
#pragma once

#include <istream>
#include <ostream>

#include "base/alist.h"
#include "sites/obstruction.h"
#include "sites/point.h"

class SiteInfo {
public:
    // Fixed block, stored byte for byte in site list files (110 bytes).
    char name[21]{};
    char description[61]{};
    double latitude = 0.0;  // degrees, north positive
    double longitude = 0.0; // degrees, east positive
    double altitude = 0.0;  // metres
    float gmtOffset = 0.0f; // hours, local time minus GMT
    AList<Obstruction> obstructions;

    static constexpr int kChangedPosition = 0x20;
    static constexpr int kChangedGmtOffset = 0x40;
    static constexpr int kChangedObstructions = 0x08;

    SiteInfo(); // named "new site"
    SiteInfo(double latitude, double longitude, double altitude, const char* name, const char* description,
             float gmtOffset);
    SiteInfo(const SiteInfo&) = default;
    SiteInfo& operator=(const SiteInfo&) = default;

    // 0 when the direction (elevation, azimuth, degrees) is behind an obstruction, else -1.
    int32_t FindObstruction(const point<double>& direction) const;
    int ChangeMask(const SiteInfo& other) const;

    bool Write(std::ostream& out) const;
    bool Read(std::istream& in);
};
