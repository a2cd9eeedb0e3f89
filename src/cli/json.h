// The JSON every command writes, in one place: numbers, strings, a site, the orbit sources and the
// planning settings, so that plan, windows and sites spell each the same.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/json.h"
#include "config/plansession.h"

class Calculator;
class SiteInfo;
class TextBuffer;

// {"GPS": "almanac", "Galileo": "navigation", "NavIC": null, ...}: the source of each requested system.
std::string JsonOrbits(const std::vector<SystemSource>& sources,
                       const std::array<bool, kGnssSystems>& requested);
// [{"system", "source", "files", "first", "last", "ageDays"}, ...]: the source of each requested
// system that has one, its files by name, the dates of its orbits and their age at the date (full
// days; negative: the orbits are of a later date).
std::string JsonSourceList(const std::vector<SystemSource>& sources,
                           const std::array<bool, kGnssSystems>& requested);
// A site's members: "name", the "description" when asked for, "latitude", "longitude", "altitude",
// "gmtOffset" and the number of "obstructions"; no braces.
void JsonSiteMembers(TextBuffer& b, const SiteInfo& site, bool description = false);
// "step", "mode", "cutoff" and "obstructions" of the engine's settings; no braces.
void JsonSettingsMembers(TextBuffer& b, const Calculator& calc);
