#include "base/codepage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "base/text.h"

namespace {

#include "base/codepage_tables.inc"

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkSize = 3;
constexpr char32_t kReplacement = 0xFFFD;
constexpr char16_t kUndefined = 0xFFFF;

int g_codePage = kDefaultCodePage;

const char16_t* SingleByteHigh(int codePage) {
    switch (codePage) {
    case 1250:
        return kCp1250High;
    case 1251:
        return kCp1251High;
    case 1252:
        return kCp1252High;
    default:
        return nullptr;
    }
}

bool IsCp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

int Cp932LeadIndex(unsigned char c) {
    return c <= 0x9F ? c - 0x81 : c - 0xE0 + (0x9F - 0x81 + 1);
}

constexpr int kCp932TrailCount = kCp932TrailLast - kCp932TrailFirst + 1;

void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// The next character of UTF-8 text and its length in bytes; 0 as the length for a malformed byte.
std::pair<char32_t, size_t> NextUtf8(const std::string& s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80)
        return {c, 1};
    if (!IsValidUtf8(s.data() + i, std::min<size_t>(s.size() - i, c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2)))
        return {0, 0};
    if (c < 0xE0)
        return {static_cast<char32_t>(((c & 0x1F) << 6) | (s[i + 1] & 0x3F)), 2};
    if (c < 0xF0)
        return {static_cast<char32_t>(((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F)), 3};
    return {static_cast<char32_t>(((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) |
                                  (s[i + 3] & 0x3F)),
            4};
}

// Unicode -> Shift-JIS, built once. Where a character has several codes, the one Windows writes:
// the first in code order, except that the IBM extensions (FA..FC) win over NEC's copies (ED, EE).
const std::vector<std::pair<char32_t, uint16_t>>& Cp932Reverse() {
    static const std::vector<std::pair<char32_t, uint16_t>> table = [] {
        std::vector<std::pair<char32_t, uint16_t>> t;
        std::vector<int> leads;
        for (int c = 0x81; c <= 0xFC; ++c)
            if (IsCp932Lead(static_cast<unsigned char>(c)) && c != 0xED && c != 0xEE)
                leads.push_back(c);
        leads.push_back(0xED);
        leads.push_back(0xEE);
        for (int c = 0x80; c <= 0xFF; ++c)
            if (!IsCp932Lead(static_cast<unsigned char>(c)) && kCp932Single[c - 0x80] != kUndefined)
                t.emplace_back(kCp932Single[c - 0x80], static_cast<uint16_t>(c));
        for (int lead : leads)
            for (int trail = kCp932TrailFirst; trail <= kCp932TrailLast; ++trail) {
                const char16_t u =
                    kCp932Double[Cp932LeadIndex(static_cast<unsigned char>(lead)) * kCp932TrailCount +
                                 (trail - kCp932TrailFirst)];
                if (u != kUndefined)
                    t.emplace_back(u, static_cast<uint16_t>(lead << 8 | trail));
            }
        // Stable, so the first code entered for a character stays first.
        std::stable_sort(t.begin(), t.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        return t;
    }();
    return table;
}

// The bytes of one character in the code page; false when it has none there.
bool EncodeChar(char32_t u, int codePage, std::string& out) {
    if (u < 0x80) {
        out += static_cast<char>(u);
        return true;
    }
    if (const char16_t* high = SingleByteHigh(codePage)) {
        for (int k = 0; k < 128; ++k)
            if (high[k] == u) {
                out += static_cast<char>(0x80 + k);
                return true;
            }
        return false;
    }
    if (codePage == 932) {
        const auto& t = Cp932Reverse();
        const auto it = std::lower_bound(t.begin(), t.end(), u,
                                         [](const auto& e, char32_t key) { return e.first < key; });
        if (it == t.end() || it->first != u)
            return false;
        if (it->second > 0xFF)
            out += static_cast<char>(it->second >> 8);
        out += static_cast<char>(it->second & 0xFF);
        return true;
    }
    return false;
}

// UTF-8 cut to at most `room` bytes, never inside a sequence.
std::string CutUtf8(const std::string& text, size_t room) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        size_t n = NextUtf8(text, i).second;
        if (n == 0)
            n = 1; // a stray byte counts as one character
        if (out.size() + n > room)
            break;
        out.append(text, i, n);
        i += n;
    }
    return out;
}

} // namespace

const std::vector<int>& SupportedCodePages() {
    static const std::vector<int> pages = {1252, 1250, 1251, 932, kCodePageUtf8};
    return pages;
}

bool IsSupportedCodePage(int codePage) {
    const auto& pages = SupportedCodePages();
    return std::find(pages.begin(), pages.end(), codePage) != pages.end();
}

int FileCodePage() {
    return g_codePage;
}

bool SetFileCodePage(int codePage) {
    if (!IsSupportedCodePage(codePage))
        return false;
    g_codePage = codePage;
    return true;
}

std::string DecodeFileText(const char* bytes, size_t size, int codePage) {
    const size_t n = bytes ? strnlen(bytes, size) : 0;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    // The mark of a field written as UTF-8; bytes after it that are no UTF-8 were written by
    // another program in the code page ("ï»¿" in Windows-1252) and are read as such.
    if (n >= kByteOrderMarkSize && std::memcmp(bytes, kByteOrderMark, kByteOrderMarkSize) == 0 &&
        IsValidUtf8(bytes + kByteOrderMarkSize, n - kByteOrderMarkSize))
        return std::string(bytes + kByteOrderMarkSize, n - kByteOrderMarkSize);
    std::string out;
    if (codePage == kCodePageUtf8) {
        if (IsValidUtf8(bytes, n))
            return std::string(bytes, n);
        codePage = 1252; // not UTF-8 after all: the Windows default
    }
    const char16_t* high = SingleByteHigh(codePage);
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = s[i];
        char32_t u;
        if (c < 0x80) {
            u = c;
        } else if (high) {
            u = high[c - 0x80];
        } else if (IsCp932Lead(c)) {
            if (i + 1 < n && s[i + 1] >= kCp932TrailFirst && s[i + 1] <= kCp932TrailLast) {
                u = kCp932Double[Cp932LeadIndex(c) * kCp932TrailCount + (s[i + 1] - kCp932TrailFirst)];
                ++i;
            } else {
                u = kUndefined;
            }
        } else {
            u = kCp932Single[c - 0x80];
        }
        AppendUtf8(out, u == kUndefined ? kReplacement : u);
    }
    return out;
}

std::string EncodeFileText(const std::string& text, size_t size, bool& fellBack, int codePage) {
    std::string field;
    if (size == 0)
        return field;
    const size_t room = size - 1;
    bool fits = true;
    if (codePage == kCodePageUtf8) {
        field = CutUtf8(text, room);
    } else {
        for (size_t i = 0; i < text.size();) {
            const auto [u, n] = NextUtf8(text, i);
            std::string bytes;
            if (n == 0 || !EncodeChar(u, codePage, bytes)) {
                fits = false;
                break;
            }
            if (field.size() + bytes.size() > room)
                break;
            field += bytes;
            i += n;
        }
    }
    // A text whose bytes would begin as the mark does ("ï»¿" in Windows-1252, U+FEFF in UTF-8)
    // is written behind the mark too, so that it reads back as it was.
    if (field.compare(0, kByteOrderMarkSize, kByteOrderMark) == 0)
        fits = false;
    if (!fits) {
        fellBack = true;
        field = kByteOrderMark;
        field += CutUtf8(text, room - kByteOrderMarkSize);
    }
    field.resize(size, '\0');
    return field;
}

std::string CutToField(const std::string& text, size_t size, int codePage) {
    bool fellBack = false;
    const std::string field = EncodeFileText(text, size, fellBack, codePage);
    return DecodeFileText(field.data(), field.size(), codePage);
}

FieldFit MeasureFieldText(const std::string& text, size_t size, int codePage) {
    // The whole text, in a field with room for all of it: code page bytes never outnumber the
    // UTF-8 ones, and a field written as UTF-8 takes the mark besides.
    bool fellBack = false;
    const std::string whole = EncodeFileText(text, text.size() + kByteOrderMarkSize + 1, fellBack, codePage);
    const size_t mark = fellBack ? kByteOrderMarkSize : 0;
    const size_t room = size > 0 ? size - 1 : 0;
    FieldFit fit;
    fit.utf8 = fellBack || codePage == kCodePageUtf8;
    fit.bytes = strnlen(whole.data(), whole.size()) - mark;
    fit.room = room > mark ? room - mark : 0;
    return fit;
}

int CodePageHolding(const std::string& text, size_t size) {
    for (int page : SupportedCodePages()) {
        if (page == kCodePageUtf8)
            continue;
        const FieldFit fit = MeasureFieldText(text, size, page);
        if (!fit.utf8 && fit.Fits())
            return page;
    }
    return 0;
}

StoredField StoredField::Read(const char* bytes, size_t size, int codePage) {
    StoredField f;
    f.bytes.assign(bytes, size);
    // The field's last byte is its terminator, whatever it holds.
    f.text = DecodeFileText(bytes, size > 0 ? size - 1 : 0, codePage);
    return f;
}

std::string StoredField::Write(const std::string& value, size_t size, bool& fellBack, int codePage) const {
    if (bytes.size() == size && value == text)
        return bytes;
    return EncodeFileText(value, size, fellBack, codePage);
}
