// Ad-hoc positions from a CSV text, one site a line:
// name,latitude,longitude[,altitude[,gmt-offset or time zone[,description[,obstructions]]]]
// (degrees north and east positive, metres, hours or a zone name such as Europe/Vienna). Obstructions
// are outlines separated by '|', each of corners "azimuth elevation" separated by ';'. A field may be
// quoted ("a, b"; "" for a quote).
// Blank lines and lines starting with '#' are skipped; a first line whose latitude is not a number is
// a heading.
#pragma once

#include <string>
#include <vector>

#include "sites/siteinfo.h"

enum class PositionProblem {
    None,
    NoPosition,   // no line holds a position
    FieldCount,   // fewer than three or more than seven fields
    Name,         // empty, or an unterminated quote
    Latitude,     // not a number within -90 .. 90
    Longitude,    // -180 .. 180
    Altitude,     // -10000 .. 10000 m
    GmtOffset,    // -12 .. 14 h, or a zone name of letters, digits and "/_+-"
    Description,  // a control character
    Obstructions, // not outlines of corners within -360..360 azimuth, -90..90 elevation
    TooMany,      // more than kMaxPositions lines of positions
};

inline constexpr int kMaxPositions = 100000;
// What a list's 16-bit counts hold: outlines of a site, corners of an outline.
inline constexpr int kMaxOutlineCorners = 32767;

struct PositionListResult {
    PositionProblem problem = PositionProblem::None;
    int line = 0; // 1-based line of the problem; 0 for the whole text
};

// Reads every position of `text` into `sites` (replacing what it held); on the first problem,
// answers it and leaves `sites` empty. Names longer than a site name are cut at a character
// boundary; text that is not UTF-8 is read as Windows-1252.
PositionListResult ParsePositionList(const std::string& text, std::vector<SiteInfo>& sites);
