#include "base/casefold.h"

#include <gtest/gtest.h>

TEST(CaseFold, LettersOfEveryScriptCompareWithoutTheirCase) {
    struct Case {
        const char *a, *b;
        bool equal;
    };
    const Case cases[] = {
        {"Zürich", "ZÜRICH", true},
        {"МОСКВА", "москва", true},
        {"ΟΔΟΣ", "οδος", true},       // final sigma and sigma
        {"ǅ", "ǆ", true},             // a title case letter
        {"Ꭰ", "ꭰ", true},           // Cherokee folds to capitals
        {"\u212A", "k", true},        // the Kelvin sign
        {"\u1E9E", "ß", true},        // capital sharp s
        {"Straße", "STRASSE", false}, // one character stays one character
        {"İ", "i", false},
        {"abc", "abcd", false},
        {"a\xff", "A\xff", true}, // bytes that are no UTF-8 compare as they are
        {"\xff", "\xfe", false},
        {"\xc3", "\xc3\xa4", false}, // a sequence cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualIgnoringCase(c.a, c.b), c.equal) << c.a << " " << c.b;
        EXPECT_EQ(EqualIgnoringCase(c.b, c.a), c.equal) << c.b << " " << c.a;
    }
    EXPECT_EQ(FoldCase(U'A'), U'a');
    EXPECT_EQ(FoldCase(U'1'), U'1');
    EXPECT_EQ(FoldCase(0x10400), char32_t{0x10428}); // Deseret, beyond the 16-bit characters
}
