#include "engine/changeflags.h"

int ChangeFlags::LevelOf(uint32_t bits) {
    if (bits & (kGmtOffset | kDate | kAlmanac))
        return 1;
    if (bits & kPosition)
        return 2;
    if (bits & (kSatellites | kMode | kObstructions | kCutOff))
        return 3;
    if (bits & kTime)
        return 4;
    return 0;
}
