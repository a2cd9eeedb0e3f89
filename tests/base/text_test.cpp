#include "base/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Text, DigitsBlanksAndTrimming) {
    EXPECT_EQ(IsAllDigits(""), 0);
    EXPECT_EQ(IsAllDigits("0123"), 1);
    EXPECT_EQ(IsAllDigits("12a"), 0);
    EXPECT_EQ(HasNonBlank(" \t"), 0);
    EXPECT_EQ(HasNonBlank(" x"), 1);
    char text[] = " Test site\t ";
    TrimBlanks(text);
    EXPECT_STREQ(text, "Test site");
    char blanks[] = " \t ";
    TrimBlanks(blanks);
    EXPECT_STREQ(blanks, "");
}

TEST(Text, BoundedCopyNeverSplitsUtf8) {
    char buf[6];
    std::memset(buf, 'x', sizeof buf);
    CopyBounded(buf, "abcdefgh", sizeof buf);
    EXPECT_STREQ(buf, "abcde");
    // "ab" + U+00E9 (2 bytes) + U+20AC (3 bytes): the euro sign does not fit in the last 1 byte
    CopyBounded(buf, "ab\xC3\xA9\xE2\x82\xAC", sizeof buf);
    EXPECT_STREQ(buf, "ab\xC3\xA9");
    EXPECT_EQ(buf[4], 0);
    EXPECT_EQ(buf[5], 0);                 // the rest is zero-filled, as in the fixed file fields
    CopyBounded(buf, "a\xE2\x82\xAC", 4); // three bytes of room: the euro sign needs 3 + 'a'
    EXPECT_STREQ(buf, "a");
    char one[1];
    CopyBounded(one, "abc", 1);
    EXPECT_EQ(one[0], 0);
}

TEST(Text, FileTextIsUtf8OrWindows1252) {
    EXPECT_EQ(ToUtf8("Zürich"), "Zürich");
    EXPECT_EQ(ToUtf8("Z\xFCrich"), "Zürich");
    EXPECT_EQ(ToUtf8("\x80 5"), "€ 5");
    EXPECT_FALSE(IsValidUtf8("\xC0\x80", 2)); // overlong
    EXPECT_FALSE(IsValidUtf8("\xE2\x82", 2)); // cut short
}
