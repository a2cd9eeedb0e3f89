#include "cli/json.h"

#include "base/strings.h"
#include "cli/textbuffer.h"
#include "engine/calculator.h"
#include "sites/siteinfo.h"

void JsonSiteMembers(TextBuffer& b, const SiteInfo& site, bool description) {
    b << "\"name\": " << JsonString(site.name);
    if (description)
        b << ", \"description\": " << JsonString(site.description);
    b << ", \"latitude\": ";
    b.JsonFixed(site.latitude, 8) << ", \"longitude\": ";
    b.JsonFixed(site.longitude, 8) << ", \"altitude\": ";
    b.JsonFixed(site.altitude, 2) << ", \"gmtOffset\": ";
    b.JsonFixed(site.gmtOffset, 2) << ", \"obstructions\": ";
    b.Int(site.obstructions.Count());
}

void JsonSettingsMembers(TextBuffer& b, const Calculator& calc) {
    b << "\"step\": ";
    b.Int(calc.step()) << ", \"mode\": " << JsonString(calc.mode() == 1 ? "2d" : "3d") << ", \"cutoff\": ";
    b.Int(CutOffDegrees(calc.elevationMask()))
        << ", \"obstructions\": " << (calc.obstructionsOn() ? "true" : "false");
}

std::string JsonOrbits(const Calculator& calc) {
    std::string json = "{";
    for (int s = 0; s < kGnssSystems; ++s) {
        const OrbitSource source = calc.source(static_cast<GnssSystem>(s));
        if (source == OrbitSource::None)
            continue;
        json += (json.size() > 1 ? ", " : "") + JsonString(SystemName(static_cast<GnssSystem>(s))) + ": " +
                (source == OrbitSource::Almanac ? "\"almanac\"" : "\"navigation\"");
    }
    return json + "}";
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + static_cast<char>(c);
        else if (c < 0x20)
            out += FormatText("\\u%04x", c);
        else
            out += static_cast<char>(c);
    }
    return out + "\"";
}
