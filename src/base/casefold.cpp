#include "base/casefold.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct FoldRun {
    char32_t first, last;
    int stride;
    int delta;
};

#include "base/casefold_tables.inc"

// The character at `i` and the bytes it takes; a byte that starts no valid sequence stands for
// itself, above every character, so that it equals only the same byte.
char32_t Next(std::string_view s, size_t& i) {
    const auto byte = [&s](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    int length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    char32_t c = length == 1 ? b : length == 2 ? b & 0x1Fu : length == 3 ? b & 0x0Fu : b & 0x07u;
    if (length == 0 || i + static_cast<size_t>(length) > s.size()) {
        ++i;
        return 0x110000 + b;
    }
    for (int k = 1; k < length; ++k) {
        if ((byte(i + static_cast<size_t>(k)) & 0xC0) != 0x80) {
            ++i;
            return 0x110000 + b;
        }
        c = (c << 6) | (byte(i + static_cast<size_t>(k)) & 0x3Fu);
    }
    i += static_cast<size_t>(length);
    return c;
}

} // namespace

char32_t FoldCase(char32_t c) {
    const auto* run = std::upper_bound(std::begin(kFoldRuns), std::end(kFoldRuns), c,
                                       [](char32_t value, const FoldRun& r) { return value < r.first; });
    if (run == std::begin(kFoldRuns))
        return c;
    --run;
    if (c > run->last || (c - run->first) % static_cast<char32_t>(run->stride) != 0)
        return c;
    return static_cast<char32_t>(static_cast<int64_t>(c) + run->delta);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (FoldCase(Next(a, i)) != FoldCase(Next(b, j)))
            return false;
    return i == a.size() && j == b.size();
}
