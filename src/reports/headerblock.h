// The header block printed above every graph and table: the site on the left, the almanac and the
// planning parameters on the right.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/planinterval.h"
#include "engine/satellitecatalogue.h"
#include "reports/textpage.h"

class Calculator;
class SiteInfo;

struct HeaderInfo {
    bool hasSite = false;
    std::string siteName;
    std::string siteDescription;
    double latitude = 0, longitude = 0, altitude = 0;
    float gmtOffset = 0;
    std::string almanacPath; // only its file name is printed
    // Where the plan has its orbits from: the systems planned ("GPS/GLONASS/Galileo") and a line per
    // system with its source and age. Empty: the almanac's file name only, as always.
    std::string systems;
    std::vector<std::string> sources;
    std::string terrain; // the elevation model whose horizon hides satellites; empty: none
    // Beyond GPS and GLONASS no satellite until one is set.
    std::array<int32_t, SatelliteCatalogue::kSize> statuses = [] {
        std::array<int32_t, SatelliteCatalogue::kSize> none{};
        for (int i = SatelliteCatalogue::kLegacySize; i < SatelliteCatalogue::kSize; ++i)
            none[static_cast<size_t>(i)] = 2; // no orbit
        return none;
    }();
    float elevationMask = 0; // radians
    int mode = 0;            // 1 = 2-D
    PlanInterval interval;
    std::string dateText; // the date as the desktop's option writes it; empty: month/day/year
};

HeaderInfo MakeHeaderInfo(const Calculator& calculator, const SiteInfo* site, const PlanInterval& interval);

struct HeaderBlock {
    std::vector<TextItem> items; // body lines, placed from (indentChars, indentLines)
    int heightLines = 0;         // the longer column's final line, counted from indentLines
};

// Lays the block out on a page `pageChars` body characters wide.
HeaderBlock LayoutHeaderBlock(const HeaderInfo& info, int indentChars, int indentLines, int pageChars);

// Words of `text` wrapped into lines of at most `width` characters; over-long words are cut.
std::vector<std::string> WrapWords(const std::string& text, int width);
