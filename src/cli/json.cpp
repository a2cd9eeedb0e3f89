#include "cli/json.h"

#include "base/strings.h"
#include "cli/textbuffer.h"
#include "engine/calculator.h"

std::string JsonNumber(double value, int decimals) {
    TextBuffer b;
    b.JsonFixed(value, decimals);
    return b.Take();
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
