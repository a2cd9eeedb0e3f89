// Text in the program's files: UTF-8 in memory, a legacy code page the user chooses on disk, so
// that site lists and the configuration stay byte-identical with those of the Windows program.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

inline constexpr int kCodePageUtf8 = 65001;
inline constexpr int kDefaultCodePage = 1252;

// The code pages offered: 1252, 1250, 1251, 932 and UTF-8 (65001), in that order.
const std::vector<int>& SupportedCodePages();
bool IsSupportedCodePage(int codePage);

// The code page text fields are read and written in; 1252 until set. An unsupported one is refused.
int FileCodePage();
bool SetFileCodePage(int codePage);

// A text field as the file holds it: the bytes up to the first zero byte, in the code page. A field
// that starts with the UTF-8 byte order mark holds UTF-8 (written when the code page could not hold
// every character). Bytes the code page leaves undefined read as U+FFFD.
std::string DecodeFileText(const char* bytes, size_t size, int codePage = FileCodePage());

// The text as a field of `size` bytes: in the code page and zero-filled, cut to what fits in
// size - 1 bytes without splitting a character. When a character has no place in the code page the
// field holds the byte order mark and UTF-8 instead, and `fellBack` becomes true.
std::string EncodeFileText(const std::string& text, size_t size, bool& fellBack,
                           int codePage = FileCodePage());

// The longest start of `text` whose field of `size` bytes holds it whole: so a 21-byte name field
// takes 20 characters of a single-byte code page, 10 double-byte ones.
std::string CutToField(const std::string& text, size_t size, int codePage = FileCodePage());

// How a text fits a field of `size` bytes as EncodeFileText writes it, counted before any cut.
struct FieldFit {
    size_t bytes = 0;  // the text's bytes: in the code page, or in UTF-8 when `utf8`
    size_t room = 0;   // what the field holds of such bytes: size - 1, less the mark before UTF-8
    bool utf8 = false; // held as UTF-8: the code page is 65001, or a character has no place in it
    bool Fits() const { return bytes <= room; }
};
FieldFit MeasureFieldText(const std::string& text, size_t size, int codePage = FileCodePage());

// The first offered legacy code page (1252, 1250, 1251, 932) whose field of `size` bytes holds
// `text` whole in its own bytes; 0 when none does.
int CodePageHolding(const std::string& text, size_t size);

// A text field read from a file: its bytes and the text they gave, so that a field nobody edited
// is written back byte for byte.
struct StoredField {
    std::string bytes;
    std::string text;

    // Reads a field of `size` bytes, the last of which ends the text even when it is not zero.
    static StoredField Read(const char* bytes, size_t size, int codePage = FileCodePage());
    // The field for `text`: the stored bytes when the text is still the one read, else encoded.
    std::string Write(const std::string& text, size_t size, bool& fellBack,
                      int codePage = FileCodePage()) const;
};
