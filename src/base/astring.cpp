#include "base/astring.h"

#include <cstring>
#include <new>
#include <utility>

AString::AString(int n) {
    if (n < 0)
        n = 0;
    text_ = new (std::nothrow) char[static_cast<size_t>(n) + 1]();
    length_ = text_ ? n : 0;
}

AString::AString(const char* text) {
    Assign(text, text ? static_cast<int32_t>(std::strlen(text)) : 0);
}

AString::AString(const AString& other) {
    Assign(other.text_, other.length_);
}

AString& AString::operator=(const AString& other) {
    if (this != &other) {
        AString copy(other);
        std::swap(text_, copy.text_);
        std::swap(length_, copy.length_);
    }
    return *this;
}

AString& AString::operator=(const char* text) {
    AString copy(text);
    std::swap(text_, copy.text_);
    std::swap(length_, copy.length_);
    return *this;
}

AString::~AString() {
    delete[] text_;
}

void AString::Assign(const char* text, int32_t length) {
    text_ = new (std::nothrow) char[static_cast<size_t>(length) + 1];
    if (!text_) {
        length_ = 0;
        return;
    }
    if (length > 0)
        std::memcpy(text_, text, static_cast<size_t>(length));
    text_[length] = '\0';
    length_ = length;
}

const char* AString::Text() const {
    return text_ ? text_ : "";
}

char& AString::operator[](int i) {
    static char shared = 0;
    if (text_ && i >= 0 && i < length_)
        return text_[i];
    shared = 0; // a caller may have written through it
    return shared;
}

AString AString::operator+(const AString& right) const {
    AString result;
    result.text_ = new (std::nothrow) char[static_cast<size_t>(length_) + right.length_ + 1];
    if (!result.text_)
        return *this;
    std::memcpy(result.text_, Text(), static_cast<size_t>(length_));
    std::memcpy(result.text_ + length_, right.Text(), static_cast<size_t>(right.length_) + 1);
    result.length_ = length_ + right.length_;
    return result;
}

AString AString::operator+(const char* right) const {
    return *this + AString(right);
}

int AString::Compare(const AString& other) const {
    return std::strcmp(Text(), other.Text());
}
