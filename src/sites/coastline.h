// The built-in world map: coarse land outlines in whole degrees, drawn in this order. Each outline
// repeats its first vertex as its last; an outline of two equal vertices is a small island drawn as
// one pixel. The table is generated (tools/coastline_gen.py); its source is named in coastline.cpp.
#pragma once

#include <cstdint>

struct CoastVertex {
    int32_t latitude;  // degrees, north positive
    int32_t longitude; // degrees, east positive
};

inline constexpr int kCoastlineOutlines = 49;
inline constexpr int kCoastlineVertices = 492;

// Vertex count of each outline, in drawing order.
extern const int32_t kCoastlineCounts[kCoastlineOutlines];
// All vertices, outline after outline.
extern const CoastVertex kCoastline[kCoastlineVertices];
