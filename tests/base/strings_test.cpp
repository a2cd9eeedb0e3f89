#include "base/strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

class LanguageModule : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = fs::temp_directory_path() / (std::string("tavrin-lang-") +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        UnloadLanguageModule();
        fs::remove(path_);
    }
    void Write(const std::string& content) { std::ofstream(path_, std::ios::binary) << content; }
    fs::path path_;
};

} // namespace

TEST(Strings, OwnTableAndUnknownIds) {
    UnloadLanguageModule();
    EXPECT_STREQ(LoadResString(2019), "Error");
    EXPECT_STREQ(LoadResString(2021), "proj");
    EXPECT_STREQ(LoadResString(7), ""); // nowhere: empty
    EXPECT_EQ(BuiltinString(7), nullptr);
}

TEST(Strings, OneSharedBuffer) {
    UnloadLanguageModule();
    const char* first = LoadResString(2019);
    const char* second = LoadResString(2003);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "Information");
}

TEST_F(LanguageModule, OverridesIdByIdAndFallsBack) {
    Write("# German\n2019\tFehler\n2003\tZeile\\nzwei\\tTab \\\\\nnot-an-id\tx\n\n");
    ASSERT_TRUE(LoadLanguageModule(path_.string()));
    EXPECT_STREQ(LoadResString(2019), "Fehler");
    EXPECT_STREQ(LoadResString(2003), "Zeile\nzwei\tTab \\");
    EXPECT_STREQ(LoadResString(2021), "proj"); // missing from the module
    UnloadLanguageModule();
    EXPECT_STREQ(LoadResString(2019), "Error");
}

TEST_F(LanguageModule, MissingFileMeansNoModule) {
    Write("2019\tFehler\n");
    ASSERT_TRUE(LoadLanguageModule(path_.string()));
    EXPECT_FALSE(LoadLanguageModule((path_.string() + ".absent")));
    EXPECT_STREQ(LoadResString(2019), "Error"); // the earlier module is gone too
}

TEST_F(LanguageModule, TextsAreCutToTheBufferAndConvertedFromWindows1252) {
    Write("2019\t" + std::string(600, 'x') +
          "\n2003\tGr\xFC\xDF"
          "e\n");
    ASSERT_TRUE(LoadLanguageModule(path_.string()));
    EXPECT_EQ(std::strlen(LoadResString(2019)), static_cast<size_t>(kResStringBufferSize - 1));
    EXPECT_STREQ(LoadResString(2003), "Grüße");
}

TEST_F(LanguageModule, ATranslationIsUsedOnlyWithExactlyOurConversionsAndNoNul) {
    // The program's text is "unknown command %s (see tavrin-cli --help)".
    Write("42005\tunknown command %1500000000s\n"     // a width ours does not have: 1.5 GB of blanks
          "42002\tOption %-s braucht einen Wert\n" +  // a flag ours does not have
          std::string("42003\tOption %s doppelt\n") + // the same conversion: used
          std::string("2019\tFeh\0ler\n", 13) +       // a NUL inside the text
          "2003\tAus%%kunft\n");                      // a literal percent sign is no conversion
    std::string content;
    {
        std::ifstream in(path_, std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_NE(content.find(std::string("Feh\0ler", 7)), std::string::npos); // the fixture holds the NUL
    ASSERT_TRUE(LoadLanguageModule(path_.string()));
    EXPECT_EQ(ResString(42005), "unknown command %s (see tavrin-cli --help)");
    EXPECT_EQ(ResString(42002), "option %s needs a value");
    EXPECT_EQ(ResString(42003), "Option %s doppelt");
    EXPECT_EQ(ResString(2019), "Error");
    EXPECT_EQ(ResString(2003), "Aus%%kunft");
}
