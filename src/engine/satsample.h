// One satellite at one sample of the planning window.
#pragma once

#include <cstdint>

struct SatSample {
    float x = 0, y = 0, z = 0; // Earth-fixed, m
    float azimuth = 0;         // rad, 0 <= az < 2 pi, clockwise from north
    float elevation = 0;       // rad
    int32_t visible = 0;       // 0 or 1
};
