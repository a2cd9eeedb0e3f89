#include "base/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxDepth = 32;

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool Value(JsonValue& v, int depth) {
        if (depth > kMaxDepth)
            return false;
        Space();
        if (pos_ >= text_.size())
            return false;
        switch (text_[pos_]) {
        case '{':
            return Object(v, depth);
        case '[':
            return Array(v, depth);
        case '"':
            v.kind = JsonValue::Kind::String;
            return String(v.text);
        case 't':
            v.kind = JsonValue::Kind::Bool;
            v.boolean = true;
            return Word("true");
        case 'f':
            v.kind = JsonValue::Kind::Bool;
            return Word("false");
        case 'n':
            return Word("null");
        default: {
            v.kind = JsonValue::Kind::Number;
            const size_t start = pos_;
            const bool ok = Number(v.number);
            v.text = text_.substr(start, pos_ - start);
            return ok;
        }
        }
    }

    bool AtEnd() {
        Space();
        return pos_ == text_.size();
    }

    int Line() const {
        int line = 1;
        for (size_t i = 0; i < pos_ && i < text_.size(); ++i)
            line += text_[i] == '\n' ? 1 : 0;
        return line;
    }

private:
    void Space() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    bool Take(char c) {
        Space();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool Word(std::string_view w) {
        if (text_.substr(pos_, w.size()) != w)
            return false;
        pos_ += w.size();
        return true;
    }

    bool Number(double& out) {
        // JSON's own grammar: no leading '+', no bare '.', no hexadecimal, no inf or nan words.
        const size_t start = pos_;
        auto digits = [&] {
            const size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')
                ++pos_;
            return pos_ > from;
        };
        if (pos_ < text_.size() && text_[pos_] == '-')
            ++pos_;
        if (!digits())
            return false;
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (!digits())
                return false;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-'))
                ++pos_;
            if (!digits())
                return false;
        }
        const auto r = std::from_chars(text_.data() + start, text_.data() + pos_, out);
        return r.ec == std::errc() && std::isfinite(out);
    }

    static void PutUtf8(std::string& s, unsigned cp) {
        if (cp < 0x80) {
            s += static_cast<char>(cp);
        } else if (cp < 0x800) {
            s += static_cast<char>(0xC0 | (cp >> 6));
            s += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            s += static_cast<char>(0xE0 | (cp >> 12));
            s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            s += static_cast<char>(0xF0 | (cp >> 18));
            s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    bool Hex4(unsigned& cp) {
        if (pos_ + 4 > text_.size())
            return false;
        const auto r = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, cp, 16);
        if (r.ptr != text_.data() + pos_ + 4)
            return false;
        pos_ += 4;
        return true;
    }

    bool String(std::string& out) {
        ++pos_; // the opening quote
        out.clear();
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size())
                return false;
            const char e = text_[pos_++];
            const char* const plain = "\"\\/bfnrt";
            const char* const meant = "\"\\/\b\f\n\r\t";
            if (const char* p = e ? std::strchr(plain, e) : nullptr) {
                out += meant[p - plain];
                continue;
            }
            unsigned cp = 0;
            if (e != 'u' || !Hex4(cp))
                return false;
            if (cp >= 0xD800 && cp < 0xDC00) { // a surrogate pair
                unsigned low = 0;
                if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000)
                    return false;
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else if (cp >= 0xDC00 && cp < 0xE000) {
                return false;
            }
            PutUtf8(out, cp);
        }
        return false;
    }

    bool Array(JsonValue& v, int depth) {
        ++pos_;
        v.kind = JsonValue::Kind::Array;
        if (Take(']'))
            return true;
        do {
            v.items.emplace_back();
            if (!Value(v.items.back(), depth + 1))
                return false;
        } while (Take(','));
        return Take(']');
    }

    bool Object(JsonValue& v, int depth) {
        ++pos_;
        v.kind = JsonValue::Kind::Object;
        if (Take('}'))
            return true;
        do {
            Space();
            if (pos_ >= text_.size() || text_[pos_] != '"')
                return false;
            v.members.emplace_back();
            if (!String(v.members.back().name) || !Take(':') || !Value(v.members.back().value, depth + 1))
                return false;
        } while (Take(','));
        return Take('}');
    }

    std::string_view text_;
    size_t pos_ = 0;
};

} // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value))
        return "null";
    char digits[32];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, r.ptr);
}

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const JsonMember& m : members)
        if (m.name == key)
            return &m.value;
    return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text, int& line) {
    Reader reader(text);
    JsonValue v;
    if (reader.Value(v, 0) && reader.AtEnd())
        return v;
    line = reader.Line();
    return std::nullopt;
}
