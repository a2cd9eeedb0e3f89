// Letter case, for comparing names as a person reads them: "Zürich" and "ZÜRICH" are one site.
#pragma once

#include <string_view>

// Unicode's one-to-one case fold of a character ('A' and 'a' give 'a'; 'Σ', 'σ' and 'ς' give 'σ');
// a character without one is itself.
char32_t FoldCase(char32_t c);

// True when two UTF-8 texts differ in letter case at most, character by character. Bytes that are
// not UTF-8 compare as they are.
bool EqualIgnoringCase(std::string_view a, std::string_view b);
