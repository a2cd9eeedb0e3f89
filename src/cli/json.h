// The JSON every command writes, in one place: numbers, strings, a site, the orbit sources and the
// planning settings, so that plan, windows and sites spell each the same.
#pragma once

#include <string>

class Calculator;
class SiteInfo;
class TextBuffer;

// A JSON string literal of UTF-8 text.
std::string JsonString(const std::string& text);
// {"GPS": "almanac", "Galileo": "navigation", ...}: the source of each system planned.
std::string JsonOrbits(const Calculator& calc);
// A site's members: "name", the "description" when asked for, "latitude", "longitude", "altitude",
// "gmtOffset" and the number of "obstructions"; no braces.
void JsonSiteMembers(TextBuffer& b, const SiteInfo& site, bool description = false);
// "step", "mode", "cutoff" and "obstructions" of the engine's settings; no braces.
void JsonSettingsMembers(TextBuffer& b, const Calculator& calc);
