// The string table: every user-visible text, looked up by id.
#pragma once

#include <string>

#include "string_ids.h"

struct StringEntry {
    int id;
    const char* text;
};

// Size of the shared buffer LoadResString answers in (519 characters and a terminator).
inline constexpr int kResStringBufferSize = 520;

// The text of `id`: the language module's when it has one, else the program's own, else "".
// Answers in one shared buffer that the next call overwrites; copy the text before calling again.
const char* LoadResString(int id);

// The same text as an owned copy, for callers that keep it; not cut to the shared buffer's size.
std::string ResString(int id);

// The program's own text for `id` (no language module, no length limit), or nullptr.
const char* BuiltinString(int id);

// Loads a language file (UTF-8 lines "id<TAB>text", escapes \n \t \\, '#' comments) as the language
// module, replacing any earlier one. A missing or unreadable file leaves no module and returns false.
bool LoadLanguageModule(const std::string& path);

// Looks for ORVANTLANG.lng beside the executable, then in the program home; loads the first found.
bool LoadDefaultLanguageModule();

void UnloadLanguageModule();

// printf-style formatting of a format text taken from the string table.
std::string FormatText(const char* format, ...);
