// A named observation point with its obstructions.
#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "base/alist.h"
#include "base/codepage.h"
#include "sites/obstruction.h"
#include "sites/point.h"
#include "sites/terrainhorizon.h"

class SiteInfo {
public:
    // At most 20 and 60 characters: what the file's 21- and 61-byte fields hold in the code page
    // text is written in. Held here as UTF-8, with room for every character of those limits.
    static constexpr size_t kNameField = 21, kDescriptionField = 61;
    static constexpr int kNameChars = 20, kDescriptionChars = 60;
    char name[kNameChars * 4 + 1]{};
    char description[kDescriptionChars * 4 + 1]{};
    double latitude = 0.0;  // degrees, north positive
    double longitude = 0.0; // degrees, east positive
    double altitude = 0.0;  // metres
    float gmtOffset = 0.0f; // hours, local time minus GMT
    AList<Obstruction> obstructions;
    // The skyline of the terrain, computed from an elevation model when one is in use; never
    // written to the site list.
    std::shared_ptr<const TerrainHorizon> terrain;
    // A time zone name (Europe/Vienna) from a positions file: the plan's date gives the offset.
    // Never written to the site list.
    std::string timeZone;
    // The two text fields as read from the file, written back unchanged while nobody edits them.
    StoredField storedName, storedDescription;

    static constexpr int kChangedPosition = 0x20;
    static constexpr int kChangedGmtOffset = 0x40;
    static constexpr int kChangedObstructions = 0x08;

    SiteInfo(); // named "new site"
    SiteInfo(double latitude, double longitude, double altitude, const char* name, const char* description,
             float gmtOffset);
    SiteInfo(const SiteInfo&) = default;
    SiteInfo& operator=(const SiteInfo&) = default;

    // Every value a plan uses is finite and within its range: latitude -90..90, longitude
    // -180..180, altitude -11000..100000 m, GMT offset -12..14 h, obstruction corners at elevations
    // -90..90 and azimuths -360..360. A site read from a damaged file may fail; it is kept in its list
    // but cannot be planned until it is mended.
    bool HasValidValues() const;
    // What is wrong, for the user: empty when HasValidValues.
    std::string ValueFault() const;

    // 0 when the direction (elevation, azimuth, degrees) is behind an obstruction, else -1.
    int32_t FindObstruction(const point<double>& direction) const;
    int ChangeMask(const SiteInfo& other) const;

    // Cut to what the file's fields hold in the current code page.
    void SetName(const char* text);
    void SetDescription(const char* text);

    // The site record; `fellBack` (when given) becomes true when a text had to be written as UTF-8.
    bool Write(std::ostream& out, bool* fellBack = nullptr) const;
    bool Read(std::istream& in);
};
