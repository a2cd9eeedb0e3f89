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
    // As printf("%.*f"): to_chars with a precision rounds the same way. Up to four decimals of a
    // number below 1e11, the common case, are rounded here: to_chars's general path costs more
    // than the rest of a plan's table.
    // A CSV field; nothing for NaN and infinity, which no reader takes as a number.
    TextBuffer& Fixed(double value, int decimals) {
        if (!std::isfinite(value))
            return *this;
        if (decimals >= 0 && decimals <= 4 && std::fabs(value) < 1e11)
            return ShortFixed(value, decimals);
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
    // The value times 10^decimals rounded as printf rounds the exact binary value: to nearest, an
    // exact tie to even. The product is split exactly into hi + lo (Dekker's product, 10^decimals
    // needing no split), so that a product rounded onto a tie is told from a true one.
    TextBuffer& ShortFixed(double value, int decimals) {
        static constexpr long long kScale[] = {1, 10, 100, 1000, 10000};
        const long long scale = kScale[decimals];
        const double p = static_cast<double>(scale);
        const double split = value * 134217729.0; // 2^27 + 1
        const double vh = split - (split - value), vl = value - vh;
        const double hi = value * p;
        const double lo = (vh * p - hi) + vl * p;
        double q = std::nearbyint(hi);
        const double d = hi - q; // exact: |hi| < 2^47
        if (d == 0.5 && lo > 0)
            q += 1;
        else if (d == -0.5 && lo < 0)
            q -= 1;
        const long long n = static_cast<long long>(std::fabs(q));
        if (std::signbit(value))
            out_.push_back('-');
        Int(n / scale);
        if (decimals > 0) {
            char fraction[5];
            long long rest = n % scale;
            for (int i = decimals - 1; i >= 0; --i, rest /= 10)
                fraction[i] = static_cast<char>('0' + rest % 10);
            out_.push_back('.');
            out_.append(fraction, static_cast<size_t>(decimals));
        }
        return *this;
    }

    std::string out_;
};
