// An owning byte string. Allocation failure leaves it empty instead of throwing.
#pragma once

#include <cstdint>

class AString {
public:
    AString() = default;
    explicit AString(int n);
    AString(const char* text);
    AString(const AString& other);
    AString& operator=(const AString& other);
    AString& operator=(const char* text);
    ~AString();

    const char* Text() const;
    // Byte i, or one shared zero byte for an index outside the text.
    char& operator[](int i);
    int32_t Length() const { return length_; }

    AString operator+(const AString& right) const;
    AString operator+(const char* right) const;

    // Byte order (UTF-8 byte order is code point order, so multi-byte characters compare whole).
    int Compare(const AString& other) const;

    friend bool operator==(const AString& a, const AString& b) { return a.Compare(b) == 0; }
    friend bool operator!=(const AString& a, const AString& b) { return a.Compare(b) != 0; }
    friend bool operator<(const AString& a, const AString& b) { return a.Compare(b) < 0; }
    friend bool operator>(const AString& a, const AString& b) { return a.Compare(b) > 0; }
    friend bool operator<=(const AString& a, const AString& b) { return a.Compare(b) <= 0; }
    friend bool operator>=(const AString& a, const AString& b) { return a.Compare(b) >= 0; }

private:
    void Assign(const char* text, int32_t length);

    char* text_ = nullptr;
    int32_t length_ = 0;
};
