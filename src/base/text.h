// Text helpers for the fixed-width fields of the files and the dialogs.
#pragma once

#include <cstddef>
#include <string>

int IsAllDigits(const char* text);
int HasNonBlank(const char* text);
void TrimBlanks(char* text);
// Copies at most count - 1 bytes, never splitting a UTF-8 sequence, zero-fills the rest of the
// destination and always terminates. count 0 is a programming error.
void CopyBounded(char* destination, const char* source, size_t count);
bool IsValidUtf8(const char* text, size_t length);
// Text as stored in a file: kept when it is UTF-8, else decoded as Windows-1252.
std::string ToUtf8(const std::string& fileText);
// `text` for a terminal or a text table: control characters and bytes that are not UTF-8 written
// as \xNN, so that a name cannot move the cursor, ring the bell or break a line. Files keep the bytes.
std::string Printable(const std::string& text);
