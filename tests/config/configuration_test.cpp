#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>

#include "../sites/sitelist_fixture.h"
#include "base/paths.h"
#include "config/fileconfiguration.h"
#include "config/plansession.h"
#include "config/transfer.h"
#include "engine/calculator.h"
#include "engine/changeflags.h"

using namespace fixture;

namespace {

int32_t FieldAt(const std::string& bytes, size_t offset) {
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | static_cast<unsigned char>(bytes[offset + k]);
    return static_cast<int32_t>(v);
}

// A configuration file as the program writes it, built independently of the writer.
std::string ConfigBytes(const std::string& signature, std::initializer_list<int32_t> seven,
                        const std::string& almanac, int32_t loadLast) {
    std::string out;
    PutText(out, signature, 80);
    for (int32_t v : seven)
        PutLe(out, static_cast<uint32_t>(v), 4);
    PutText(out, almanac, 520);
    PutLe(out, static_cast<uint32_t>(loadLast), 4);
    return out;
}

const char* kSignature = "Project for \"Tavrin 32\"";

TEST(Configuration, FirstRunDefaultsAndTheFileWrittenAtExit) {
    TempDir dir("cfg-first");
    const std::string path = dir.File("ORVANT.CFG");
    {
        fileConfiguration config(path);
        EXPECT_STREQ(config.signature, kSignature);
        EXPECT_EQ(config.mode3D, 1);
        EXPECT_EQ(config.fiveMinuteStep, 0);
        EXPECT_EQ(config.cutOffAngle, 15);
        EXPECT_EQ(config.useObstructions, 1);
        EXPECT_EQ(config.showTimeBar, 1);
        EXPECT_EQ(config.gpsEnabled, 1);
        EXPECT_EQ(config.glonassEnabled, 1);
        EXPECT_EQ(config.loadLastAlmanac, 0);
        EXPECT_EQ(std::string(config.almanacPath), BuildProgramPath(""));
        EXPECT_EQ(config.almanacPath[std::strlen(config.almanacPath) - 1], '/');
        EXPECT_FALSE(std::filesystem::exists(path)); // written only at exit
        config.showTimeBar = 0;
    }
    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 632u);
    EXPECT_EQ(bytes.substr(0, 24), std::string(kSignature) + '\0');
    EXPECT_EQ(FieldAt(bytes, 88), 15);
    EXPECT_EQ(FieldAt(bytes, 96), 0);
    fileConfiguration again(path);
    EXPECT_EQ(again.showTimeBar, 0); // the time bar stays closed at the next start
    again.filePath.clear();
}

TEST(Configuration, ReadingAcceptsOnlyItsOwnFiles) {
    TempDir dir("cfg-read");
    const std::string path = dir.File("ORVANT.CFG");
    const std::string good = ConfigBytes(kSignature, {0, 1, 30, 0, 0, 1, 0}, "/data/alm/alm25.223", 1);
    ASSERT_EQ(good.size(), 632u);

    WriteFile(path, good);
    {
        fileConfiguration config(path);
        EXPECT_EQ(config.readProblem, "");
        EXPECT_EQ(config.mode3D, 0);
        EXPECT_EQ(config.fiveMinuteStep, 1);
        EXPECT_EQ(config.cutOffAngle, 30);
        EXPECT_EQ(config.useObstructions, 0);
        EXPECT_EQ(config.glonassEnabled, 0);
        EXPECT_STREQ(config.almanacPath, "/data/alm/alm25.223");
        EXPECT_EQ(config.loadLastAlmanac, 1);
    }
    EXPECT_EQ(ReadFile(path), good); // rewritten byte for byte

    // Whatever is not exactly one of ours is kept aside, under a name no earlier one took, before
    // a fresh file is written.
    const std::string rejected[] = {
        ConfigBytes("project for \"Tavrin 32\"", {0, 1, 30, 0, 0, 1, 0}, "/x", 1),
        ConfigBytes("Project for \"Tavrin 32\" and more", {0, 1, 30, 0, 0, 1, 0}, "/x", 1),
        good.substr(0, 631),
        good + "trailing bytes",
        std::string(10 << 20, 'x'),
    };
    const std::string keptAs[] = {".bad", ".bad-2", ".bad-3", ".bad-4", ".bad-5"};
    for (size_t k = 0; k < std::size(rejected); ++k) {
        WriteFile(path, rejected[k]);
        {
            fileConfiguration config(path);
            EXPECT_EQ(config.cutOffAngle, 15);
            EXPECT_EQ(config.mode3D, 1);
            EXPECT_STREQ(config.signature, kSignature);
            EXPECT_NE(config.readProblem.find(path + keptAs[k]), std::string::npos) << config.readProblem;
        }
        EXPECT_EQ(ReadFile(path + keptAs[k]), rejected[k]);
        EXPECT_EQ(ReadFile(path).size(), 632u);
    }

    // One that cannot be read at all is never written over.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    {
        fileConfiguration config(path);
        EXPECT_NE(config.readProblem.find(std::strerror(EISDIR)), std::string::npos) << config.readProblem;
    }
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".bad-6"));
}

TEST(Configuration, ValuesOutOfRangeAreBroughtIn) {
    TempDir dir("cfg-range");
    const std::string path = dir.File("ORVANT.CFG");
    for (const auto& [stored, expected] : {std::pair{95, 89}, {-5, 0}, {2000000000, 89}}) {
        std::string bytes = ConfigBytes(kSignature, {1, 0, stored, 1, 1, 1, 1}, "", 0);
        bytes.replace(108, 520, std::string(520, 'a')); // an unterminated path
        WriteFile(path, bytes);
        fileConfiguration config(path);
        config.filePath.clear();
        EXPECT_EQ(config.cutOffAngle, expected);
        EXPECT_EQ(std::strlen(config.almanacPath), 519u);
        OptionsTransfer options;
        FillOptionsTransfer(config, options);
        EXPECT_EQ(options.CutOffDegrees(), expected);
    }
}

TEST(Configuration, LongAlmanacPathsAreNotCut) {
    TempDir dir("cfg-path");
    fileConfiguration config(dir.File("ORVANT.CFG"));
    config.filePath.clear();
    const std::string fits = "/" + std::string(518, 'p');
    config.SetAll(1, 0, 15, 1, 1, 1, 1, fits, 0);
    EXPECT_EQ(std::string(config.almanacPath), fits);
    config.SetAll(0, 1, 20, 0, 0, 0, 0, fits + "/longer/than/the/field", 1);
    EXPECT_EQ(std::string(config.almanacPath), fits); // the previous path stays
    EXPECT_EQ(config.cutOffAngle, 20);
    EXPECT_EQ(config.loadLastAlmanac, 1);
}

TEST(Configuration, WorkingRecordsRoundTrip) {
    TempDir dir("cfg-records");
    fileConfiguration config(dir.File("ORVANT.CFG"));
    config.filePath.clear();
    config.SetAll(0, 1, 7, 0, 1, 1, 0, "/home/u/almanacs/alm18.258", 1);

    OptionsTransfer options;
    FillOptionsTransfer(config, options);
    EXPECT_EQ(options.mode2D, 1);
    EXPECT_EQ(options.mode3D, 0);
    EXPECT_EQ(options.step15, 0);
    EXPECT_EQ(options.step5, 1);
    EXPECT_STREQ(options.cutOff, "7");
    EXPECT_EQ(options.obstructions, 0);
    EXPECT_EQ(options.loadLastAlmanac, 1);
    BufferForConfiguration buffer;
    FillBufferForConfiguration(config, buffer);
    EXPECT_EQ(buffer.gps, 1);
    EXPECT_EQ(buffer.glonass, 0);
    EXPECT_EQ(buffer.directory, "/home/u/almanacs/");

    PlanSession session;
    const Calculator& calculator = session.engine();
    EXPECT_EQ(ApplyOptions(options, session),
              ChangeFlags::kCutOff | ChangeFlags::kMode | ChangeFlags::kAlmanac | ChangeFlags::kObstructions);
    EXPECT_EQ(ApplyOptions(options, session), 0u); // the same options again change nothing
    EXPECT_EQ(calculator.mode(), 1);
    EXPECT_EQ(calculator.step(), 300);
    EXPECT_EQ(calculator.obstructionsOn(), 0);
    EXPECT_FLOAT_EQ(calculator.elevationMask(), static_cast<float>(7 * M_PI / 180));

    options.mode2D = 0;
    options.mode3D = 1;
    std::strcpy(options.cutOff, "45");
    CurrentAlmanac loaded{"/elsewhere/alm25.223", 0, false};
    ConfigurationFromWorkingRecords(config, options, buffer, loaded);
    EXPECT_EQ(config.mode3D, 1);
    EXPECT_EQ(config.cutOffAngle, 45);
    EXPECT_EQ(config.fiveMinuteStep, 1);
    EXPECT_EQ(config.glonassEnabled, 0);
    EXPECT_STREQ(config.almanacPath, "/elsewhere/alm25.223");
    ConfigurationFromWorkingRecords(config, options, buffer, CurrentAlmanac{});
    EXPECT_STREQ(config.almanacPath, "/elsewhere/alm25.223"); // no almanac loaded: remembered one stays
}

TEST(Configuration, AFailedWriteLeavesTheOldFile) {
    TempDir dir("cfg-fail");
    {
        fileConfiguration config(dir.File("missing/dir/ORVANT.CFG")); // written nowhere, quietly
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
    const std::string path = dir.File("ORVANT.CFG");
    const std::string good = ConfigBytes(kSignature, {0, 1, 30, 0, 0, 1, 0}, "/a", 1);
    WriteFile(path, good);
    {
        fileConfiguration config(path);
        config.cutOffAngle = 5;
        // The file size limit makes the write fail part-way, even for root.
        rlimit old{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 100;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = config.Write();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_FALSE(written);
        config.filePath.clear();
    }
    EXPECT_EQ(ReadFile(path), good);
}

} // namespace

namespace {

TEST(Configuration, SettingsNobodyChangedKeepTheirBytesAndThePathItsCodePage) {
    TempDir dir("cfg-bytes");
    const std::string path = dir.File("ORVANT.CFG");
    std::string bytes = ConfigBytes(kSignature, {1, 0, 15, 1, 1, 1, 1}, "/home/j\xFCrgen/alm/alm25.223", 1);
    bytes[70] = 'q';        // after the signature's terminator
    bytes[108 + 300] = 'Z'; // after the path's terminator
    WriteFile(path, bytes);
    {
        fileConfiguration config(path); // written back at the end of the block
        EXPECT_STREQ(config.almanacPath, "/home/jürgen/alm/alm25.223"); // Windows-1252 by default
    }
    EXPECT_EQ(ReadFile(path), bytes);

    fileConfiguration config(path);
    config.filePath.clear();
    config.SetAll(1, 0, 20, 1, 1, 1, 1, "/home/jürgen/alm/alm25.224", 1);
    std::string expected = bytes;
    expected.replace(88, 4, std::string("\x14\0\0\0", 4));
    expected.replace(108, 520, std::string(520, '\0'));
    expected.replace(108, 26, "/home/j\xFCrgen/alm/alm25.224");
    EXPECT_EQ(config.Image(), expected);
    // A path with a character outside the code page is kept whole, as UTF-8 behind the mark.
    bool asUtf8 = false;
    config.SetAll(1, 0, 20, 1, 1, 1, 1, "/srv/Москва/alm25.224", 1);
    const std::string image = config.Image(&asUtf8);
    EXPECT_TRUE(asUtf8);
    EXPECT_EQ(image.substr(108, 3), "\xEF\xBB\xBF");
    WriteFile(path, image);
    EXPECT_STREQ(fileConfiguration(path).almanacPath, "/srv/Москва/alm25.224");
}

} // namespace
