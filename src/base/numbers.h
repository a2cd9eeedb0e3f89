// Conversions of numbers read from files, which may hold anything: a float-to-int conversion of a
// value out of range is undefined behaviour, so every such conversion saturates instead.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Truncated toward zero like a cast; NaN gives 0, values beyond the range its nearest end.
template <typename Int> Int SaturatingCast(double value) {
    if (std::isnan(value))
        return 0;
    // The largest double below the type's maximum plus one, so the comparison itself is exact.
    constexpr double kHigh = static_cast<double>(std::numeric_limits<Int>::max() / 2 + 1) * 2.0;
    constexpr double kLow = static_cast<double>(std::numeric_limits<Int>::min());
    if (value >= kHigh)
        return std::numeric_limits<Int>::max();
    if (value < kLow)
        return std::numeric_limits<Int>::min();
    return static_cast<Int>(value);
}

// Division and remainder rounded toward minus infinity: day and week counts before their epoch.
constexpr int32_t FloorDiv(int32_t a, int32_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
constexpr int32_t FloorMod(int32_t a, int32_t b) {
    return a - FloorDiv(a, b) * b;
}
