// Output built in one growing buffer, numbers written into it by std::to_chars: a table of tens of
// thousands of fields costs no formatting call and no string per field.
#pragma once

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "base/strings.h"
#include "reports/textpage.h"

class TextBuffer {
public:
    void Reserve(size_t bytes) { out_.reserve(bytes); }
    TextBuffer& operator<<(std::string_view text) {
        out_.append(text);
        return *this;
    }
    TextBuffer& operator<<(char c) {
        out_.push_back(c);
        return *this;
    }
    TextBuffer& Int(long long value) {
        char digits[24];
        const auto r = std::to_chars(digits, digits + sizeof digits, value);
        out_.append(digits, r.ptr);
        return *this;
    }
    // As printf("%.*f"): to_chars with a precision rounds the same way.
    // A CSV field; nothing for NaN and infinity, which no reader takes as a number.
    TextBuffer& Fixed(double value, int decimals) {
        if (!std::isfinite(value))
            return *this;
        char digits[64];
        const auto r =
            std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
        if (r.ec == std::errc())
            out_.append(digits, r.ptr);
        else
            out_ += FormatText("%.*f", decimals, value); // beyond 1e50: never a DOP or an angle
        return *this;
    }
    // A JSON number; null for NaN and infinity, which JSON cannot hold.
    TextBuffer& JsonFixed(double value, int decimals) {
        if (!std::isfinite(value))
            return *this << "null";
        return Fixed(value, decimals);
    }
    // "HH:MM" of seconds from midnight, hours wrapping at 24, as the tables print it.
    TextBuffer& Clock(int seconds) { return *this << ClockText(seconds); }

    const std::string& Text() const { return out_; }
    std::string Take() { return std::move(out_); }
    bool Empty() const { return out_.empty(); }

private:
    std::string out_;
};
