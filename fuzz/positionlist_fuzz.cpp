// libFuzzer target: the ad-hoc position list reader on any bytes. A position it accepts must be
// within the limits it promises.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "sites/positionlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<SiteInfo> sites;
    const PositionListResult r = ParsePositionList(text, sites);
    if (r.problem != PositionProblem::None && (!sites.empty() || r.line < 0))
        std::abort();
    for (const SiteInfo& s : sites) {
        // The name is UTF-8 of at most kNameChars characters (a byte of the code page may take three).
        const size_t bytes = std::strlen(s.name);
        size_t characters = 0;
        for (size_t i = 0; i < bytes; ++i)
            characters += (static_cast<unsigned char>(s.name[i]) & 0xC0) != 0x80 ? 1 : 0;
        if (!(std::fabs(s.latitude) <= 90) || !(std::fabs(s.longitude) <= 180) ||
            !(std::fabs(s.altitude) <= 10000) || !(s.gmtOffset >= -12 && s.gmtOffset <= 14) || bytes == 0 ||
            !IsValidUtf8(s.name, bytes) || characters > static_cast<size_t>(SiteInfo::kNameChars))
            std::abort();
    }
    return 0;
}
