#include "cli/json.h"

#include <filesystem>

#include "base/strings.h"
#include "base/text.h"
#include "cli/textbuffer.h"
#include "config/orbitsources.h"
#include "engine/calculator.h"
#include "engine/gnsstime.h"
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
    if (site.terrain)
        b << ", \"terrain\": " << JsonString(site.terrain->model);
}

void JsonSettingsMembers(TextBuffer& b, const Calculator& calc) {
    b << "\"step\": ";
    b.Int(calc.step()) << ", \"mode\": " << JsonString(calc.mode() == 1 ? "2d" : "3d") << ", \"cutoff\": ";
    b.Int(CutOffDegrees(calc.elevationMask()))
        << ", \"obstructions\": " << (calc.obstructionsOn() ? "true" : "false");
}

namespace {

// Galileo and QZSS almanacs are read as orbit records but are almanacs all the same.
const char* SourceWord(const SystemSource& s) {
    if (s.source == OrbitSource::None)
        return "null";
    return s.source == OrbitSource::Almanac || s.almanacFiles ? "\"almanac\"" : "\"navigation\"";
}

} // namespace

std::string JsonOrbits(const std::vector<SystemSource>& sources,
                       const std::array<bool, kGnssSystems>& requested) {
    std::string json = "{";
    for (const SystemSource& s : sources)
        if (requested[static_cast<size_t>(s.system)])
            json += (json.size() > 1 ? ", " : "") + JsonString(SystemName(s.system)) + ": " + SourceWord(s);
    return json + "}";
}

std::string JsonSourceList(const std::vector<SystemSource>& sources,
                           const std::array<bool, kGnssSystems>& requested) {
    std::string json = "[";
    for (const SystemSource& s : sources) {
        if (!requested[static_cast<size_t>(s.system)] || s.source == OrbitSource::None)
            continue;
        std::string files;
        for (const std::string& f : s.files)
            files += (files.empty() ? "" : ", ") + JsonString(std::filesystem::path(f).filename().string());
        json += (json.size() > 1 ? ", " : "") + std::string("{\"system\": ") +
                JsonString(SystemName(s.system)) + ", \"source\": " + SourceWord(s) + ", \"files\": [" +
                files + "], \"first\": " + JsonString(SourceDateText(s.firstUtc)) +
                ", \"last\": " + JsonString(SourceDateText(s.lastUtc)) +
                FormatText(", \"ageDays\": %d}", static_cast<int>(s.ageDays));
    }
    return json + "]";
}
