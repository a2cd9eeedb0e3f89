#include <cctype>
#include <cstring>

#include "checks.h"

namespace {

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : s_(text) {}

    bool Document() {
        Blank();
        if (!Value(0))
            return false;
        Blank();
        return at_ == s_.size();
    }

private:
    bool Value(int depth) {
        if (depth > 200 || at_ >= s_.size())
            return false;
        const char c = s_[at_];
        if (c == '{')
            return Members(depth);
        if (c == '[')
            return Elements(depth);
        if (c == '"')
            return String();
        if (c == '-' || std::isdigit(static_cast<unsigned char>(c)))
            return Number();
        return Word("true") || Word("false") || Word("null");
    }
    bool Members(int depth) {
        ++at_;
        Blank();
        if (Take('}'))
            return true;
        do {
            Blank();
            if (!String())
                return false;
            Blank();
            if (!Take(':'))
                return false;
            Blank();
            if (!Value(depth + 1))
                return false;
            Blank();
        } while (Take(','));
        return Take('}');
    }
    bool Elements(int depth) {
        ++at_;
        Blank();
        if (Take(']'))
            return true;
        do {
            Blank();
            if (!Value(depth + 1))
                return false;
            Blank();
        } while (Take(','));
        return Take(']');
    }
    bool String() {
        if (!Take('"'))
            return false;
        while (at_ < s_.size()) {
            const auto c = static_cast<unsigned char>(s_[at_++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;
            if (c == '\\') {
                if (at_ >= s_.size())
                    return false;
                const char e = s_[at_++];
                if (e == 'u') {
                    for (int k = 0; k < 4; ++k)
                        if (at_ >= s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[at_++])))
                            return false;
                } else if (!std::strchr("\"\\/bfnrt", e)) {
                    return false;
                }
            }
        }
        return false;
    }
    bool Number() {
        Take('-');
        if (Take('0')) {
        } else if (!Digits()) {
            return false;
        }
        if (Take('.') && !Digits())
            return false;
        if (Take('e') || Take('E')) {
            if (!Take('+'))
                Take('-');
            if (!Digits())
                return false;
        }
        return true;
    }
    bool Digits() {
        const size_t start = at_;
        while (at_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[at_])))
            ++at_;
        return at_ > start;
    }
    bool Word(const char* w) {
        const size_t n = std::strlen(w);
        if (s_.compare(at_, n, w) != 0)
            return false;
        at_ += n;
        return true;
    }
    bool Take(char c) {
        if (at_ < s_.size() && s_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    void Blank() {
        while (at_ < s_.size() && std::strchr(" \t\r\n", s_[at_]) && s_[at_])
            ++at_;
    }

    const std::string& s_;
    size_t at_ = 0;
};

} // namespace

bool IsJson(const std::string& text) {
    return JsonReader(text).Document();
}
