// The JSON texts every command writes: numbers, strings and the orbit sources.
#pragma once

#include <string>

class Calculator;

// A JSON number with `decimals` places; null for NaN and infinity, which JSON cannot hold.
std::string JsonNumber(double value, int decimals);

// A JSON string literal of UTF-8 text.
std::string JsonString(const std::string& text);
// {"GPS": "almanac", "Galileo": "navigation", ...}: the source of each system planned.
std::string JsonOrbits(const Calculator& calc);
