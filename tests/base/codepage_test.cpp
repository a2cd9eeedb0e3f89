#include "base/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The field a file would hold for `bytes`: zero-filled to `size`.
std::string Field(const std::string& bytes, size_t size) {
    std::string f = bytes;
    f.resize(size, '\0');
    return f;
}

struct Sample {
    int codePage;
    const char* utf8;
    const char* bytes; // as the Windows program writes them
};

// Texts with their bytes in each code page, worked out from the code page charts.
const Sample kSamples[] = {
    {1252, "Höhe Süd",
     "H\xF6he S\xFC"
     "d"},
    {1252, "Zürich Süd Ostbahnhö",
     "Z\xFCrich S\xFC"
     "d Ostbahnh\xF6"}, // 20 characters
    {1252, "€ 5 – „ok“", "\x80 5 \x96 \x84ok\x93"},
    {1250, "Łódź Żółć",
     "\xA3\xF3"
     "d\x9F \xAF\xF3\xB3\xE6"},
    {1251, "Москва Север", "\xCC\xEE\xF1\xEA\xE2\xE0 \xD1\xE5\xE2\xE5\xF0"},
    {932, "東京 ﾃｽﾄ", "\x93\x8C\x8B\x9E \xC3\xBD\xC4"},
    {65001, "Zürich", "Z\xC3\xBCrich"},
};

} // namespace

TEST(CodePage, TextsRoundTripThroughTheirBytes) {
    for (const Sample& s : kSamples) {
        bool fellBack = false;
        EXPECT_EQ(EncodeFileText(s.utf8, 61, fellBack, s.codePage), Field(s.bytes, 61)) << s.utf8;
        EXPECT_FALSE(fellBack) << s.utf8;
        EXPECT_EQ(DecodeFileText(s.bytes, 61, s.codePage), s.utf8) << s.codePage;
    }
    // Bytes a code page leaves undefined read as the replacement character.
    EXPECT_EQ(DecodeFileText("a\x81"
                             "b",
                             3, 1252),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(DecodeFileText("\x93", 1, 932), "\xEF\xBF\xBD"); // a lead byte without its trail
}

TEST(CodePage, ValidLegacyTextIsNeverTakenForUtf8) {
    // "RÃ©union" in Windows-1252 is also valid UTF-8 for "Réunion"; the chosen code page decides.
    EXPECT_EQ(DecodeFileText("R\xC3\xA9union", 8, 1252), "RÃ©union");
    EXPECT_EQ(DecodeFileText("R\xC3\xA9union", 8, kCodePageUtf8), "Réunion");
    // The byte order mark is what marks a field written as UTF-8.
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFR\xC3\xA9union", 11, 1252), "Réunion");
}

// "ï»¿" in Windows-1252 has the mark's bytes: such a text is written behind the mark as UTF-8, and
// such bytes followed by no UTF-8 (another program's file) are read in the code page.
TEST(CodePage, TextsThatBeginAsTheMarkDoReadBackAsTheyWere) {
    for (int codePage : {1252, kCodePageUtf8}) {
        const std::string text = codePage == 1252 ? "ï»¿Obse™" : "\xEF\xBB\xBFObse™";
        bool fellBack = false;
        const std::string field = EncodeFileText(text, 21, fellBack, codePage);
        EXPECT_TRUE(fellBack) << codePage;
        EXPECT_EQ(DecodeFileText(field.data(), 21, codePage), text) << codePage;
        EXPECT_EQ(CutToField(text, 21, codePage), text) << codePage;
    }
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFObse\x99", 8, 1252), "ï»¿Obse™");
}

TEST(CodePage, LimitsCountWhatTheFieldHoldsInTheCodePage) {
    // A 21-byte name field: 20 characters of a single-byte code page, 10 double-byte ones.
    EXPECT_EQ(CutToField("Zürich Süd Ostbahnhöfe", 21, 1252), "Zürich Süd Ostbahnhö");
    EXPECT_EQ(CutToField("Москва Север Восток Запад", 21, 1251), "Москва Север Восток ");
    EXPECT_EQ(CutToField("東京都千代田区丸の内一丁目", 21, 932), "東京都千代田区丸の内");
    // A double-byte character is never split: 9 kanji and a half-width letter, then no room.
    EXPECT_EQ(CutToField("a東京都千代田区丸の内", 21, 932), "a東京都千代田区丸の");
    EXPECT_EQ(CutToField("Zürich Süd Ostbahnhöfe", 21, kCodePageUtf8), "Zürich Süd Ostbahn");
}

TEST(CodePage, ACharacterOutsideTheCodePageMakesTheFieldUtf8) {
    bool fellBack = false;
    const std::string field = EncodeFileText("Москва Север", 21, fellBack, 1252);
    EXPECT_TRUE(fellBack);
    // the mark and as much UTF-8 as fits in 20 bytes, whole characters only
    EXPECT_EQ(field, Field("\xEF\xBB\xBF"
                           "Москва Се",
                           21));
    EXPECT_EQ(DecodeFileText(field.data(), 21, 1252), "Москва Се");
    fellBack = false;
    EncodeFileText("Zürich", 21, fellBack, 1252);
    EXPECT_FALSE(fellBack);
}

TEST(CodePage, TextsAreMeasuredAsTheFieldWillHoldThem) {
    const std::string polish = "łódź łódź ódź łódź";
    struct Case {
        std::string text;
        size_t size;
        int codePage;
        size_t bytes, room;
        bool utf8;
        int holding; // the offered code page that holds it whole
    };
    const Case cases[] = {
        {polish, 21, 1252, 29, 17, true, 1250}, // no "ł" in 1252: UTF-8 behind the mark
        {polish, 21, 1250, 18, 20, false, 1250},
        {polish, 21, kCodePageUtf8, 29, 20, true, 1250},
        {"Zürich Flughafen Süd", 21, 1252, 20, 20, false, 1252},
        {"東京都千代田区丸の内一", 21, 932, 22, 20, false, 0},
        {"ï»¿Obse™", 21, 1252, 13, 17, true, 0}, // begins as the mark does: UTF-8 even in 1252
        {"łódź Москва", 21, 1252, 20, 17, true, 0},
    };
    for (const Case& c : cases) {
        const FieldFit fit = MeasureFieldText(c.text, c.size, c.codePage);
        EXPECT_EQ(fit.bytes, c.bytes) << c.text << " " << c.codePage;
        EXPECT_EQ(fit.room, c.room) << c.text << " " << c.codePage;
        EXPECT_EQ(fit.utf8, c.utf8) << c.text << " " << c.codePage;
        // It fits exactly when the field keeps the whole text.
        EXPECT_EQ(fit.Fits(), CutToField(c.text, c.size, c.codePage) == c.text)
            << c.text << " " << c.codePage;
        EXPECT_EQ(CodePageHolding(c.text, c.size), c.holding) << c.text;
    }
}

TEST(CodePage, AFieldNobodyEditedKeepsItsBytes) {
    // Bytes after the terminator and an undefined byte: a decoder alone could not give them back.
    const std::string bytes = Field("A\x81"
                                    "B",
                                    10) +
                              "junk\x01" + std::string(6, 'x');
    const StoredField stored = StoredField::Read(bytes.data(), 21, 1252);
    EXPECT_EQ(stored.text, "A\xEF\xBF\xBD"
                           "B");
    bool fellBack = false;
    EXPECT_EQ(stored.Write(stored.text, 21, fellBack, 1252), bytes);
    EXPECT_EQ(stored.Write("AB", 21, fellBack, 1252), Field("AB", 21)); // edited: encoded afresh
    EXPECT_FALSE(fellBack);
    // A last byte that is not zero still ends the text.
    const std::string full(21, 'n');
    EXPECT_EQ(StoredField::Read(full.data(), 21, 1252).text, std::string(20, 'n'));
}

TEST(CodePage, OnlyTheOfferedCodePagesCanBeChosen) {
    EXPECT_EQ(FileCodePage(), kDefaultCodePage);
    EXPECT_FALSE(SetFileCodePage(437));
    EXPECT_EQ(FileCodePage(), kDefaultCodePage);
    for (int page : {1250, 1251, 932, kCodePageUtf8, 1252})
        EXPECT_TRUE(SetFileCodePage(page)) << page;
    EXPECT_EQ(FileCodePage(), 1252);
}
