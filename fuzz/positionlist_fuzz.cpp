// libFuzzer target: the ad-hoc position list reader on any bytes. A position it accepts must be
// within the limits it promises.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sites/positionlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<SiteInfo> sites;
    const PositionListResult r = ParsePositionList(text, sites);
    if (r.problem != PositionProblem::None && (!sites.empty() || r.line < 0))
        std::abort();
    for (const SiteInfo& s : sites) {
        if (!(std::fabs(s.latitude) <= 90) || !(std::fabs(s.longitude) <= 180) ||
            !(std::fabs(s.altitude) <= 10000) || !(s.gmtOffset >= -12 && s.gmtOffset <= 14) ||
            s.name[0] == '\0' || std::strlen(s.name) > 20)
            std::abort();
    }
    return 0;
}
