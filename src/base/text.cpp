#include "base/text.h"

#include <cassert>
#include <cstring>

#include "base/strings.h"

int IsAllDigits(const char* text) {
    if (!text || !*text)
        return 0;
    for (; *text; ++text)
        if (*text < '0' || *text > '9')
            return 0;
    return 1;
}

int HasNonBlank(const char* text) {
    for (; text && *text; ++text)
        if (*text != ' ' && *text != '\t')
            return 1;
    return 0;
}

void TrimBlanks(char* text) {
    if (!text)
        return;
    char* start = text;
    while (*start == ' ' || *start == '\t')
        ++start;
    size_t n = std::strlen(start);
    while (n > 0 && (start[n - 1] == ' ' || start[n - 1] == '\t'))
        --n; // blanks are single bytes, never part of a UTF-8 sequence
    std::memmove(text, start, n);
    text[n] = '\0';
}

namespace {

// Length of the UTF-8 sequence starting at s[i] if it is complete and well formed, else 0.
size_t Utf8SequenceLength(const unsigned char* s, size_t i, size_t length) {
    const unsigned char c = s[i];
    size_t n;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4;
    else
        return 0;
    if (i + n > length)
        return 0;
    for (size_t k = 1; k < n; ++k)
        if ((s[i + k] & 0xC0) != 0x80)
            return 0;
    // overlong forms, surrogates and values above U+10FFFF
    if ((c == 0xE0 && s[i + 1] < 0xA0) || (c == 0xED && s[i + 1] > 0x9F) || (c == 0xF0 && s[i + 1] < 0x90) ||
        (c == 0xF4 && s[i + 1] > 0x8F))
        return 0;
    return n;
}

} // namespace

void CopyBounded(char* destination, const char* source, size_t count) {
    assert(count > 0 && "count > 0");
    if (count == 0)
        return;
    const auto* s = reinterpret_cast<const unsigned char*>(source ? source : "");
    const size_t length = std::strlen(reinterpret_cast<const char*>(s));
    size_t used = 0;
    while (used < length) {
        size_t n = Utf8SequenceLength(s, used, length);
        if (n == 0)
            n = 1; // a stray byte is copied as one character
        if (used + n > count - 1)
            break;
        used += n;
    }
    std::memcpy(destination, s, used);
    std::memset(destination + used, 0, count - used);
}

bool IsValidUtf8(const char* text, size_t length) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < length;) {
        const size_t n = Utf8SequenceLength(s, i, length);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string ToUtf8(const std::string& fileText) {
    if (IsValidUtf8(fileText.data(), fileText.size()))
        return fileText;
    // Windows-1252 0x80..0x9F; the rest of the upper half maps to U+00A0..U+00FF.
    static const char16_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                       0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(fileText.size() * 2);
    for (unsigned char c : fileText) {
        char32_t u = c < 0x80 ? c : (c < 0xA0 ? kHigh[c - 0x80] : c);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string Printable(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t n = 1;
        if (c >= 0x80) {
            n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            if (i + n > text.size() || !IsValidUtf8(text.data() + i, n))
                n = 0;
        } else if (c < 0x20 || c == 0x7F) {
            n = 0;
        }
        if (n == 0) {
            // A byte that would garble the terminal or the line: shown, not sent.
            out += FormatText("\\x%02X", c);
            ++i;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}
