#include "base/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

class ProgramPaths : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tavrin-paths-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        setenv("TAVRIN_HOME", dir_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("TAVRIN_HOME");
        fs::remove_all(dir_);
    }
    fs::path dir_;
};

TEST_F(ProgramPaths, BuildProgramPathDropsTheDirectoryOfTheName) {
    EXPECT_EQ(BuildProgramPath("ORVANT.CFG"), dir_.string() + "/ORVANT.CFG");
    EXPECT_EQ(BuildProgramPath("/elsewhere/ORVANT.HLP"), dir_.string() + "/ORVANT.HLP");
    EXPECT_EQ(BuildProgramPath(""), dir_.string() + "/");
}

TEST_F(ProgramPaths, UniqueNameSkipsExistingFiles) {
    std::ofstream(dir_ / "proj0001.SPL") << "x";
    std::ofstream(dir_ / "proj0002.SPL") << "x";
    fs::create_directory(dir_ / "proj0003.SPL"); // directories do not count
    EXPECT_EQ(UniqueProjectFileName(dir_.string(), ".SPL"), dir_.string() + "/proj0003.SPL");
    EXPECT_EQ(UniqueProjectFileName(dir_.string() + "/", ".SPL"), dir_.string() + "/proj0003.SPL");
}

// Where an executable keeps its files: only a build tree or a marked portable folder keeps them beside
// it; an installed one (say in ~/.local/bin) uses the user's data directory.
TEST_F(ProgramPaths, HomeFollowsTheEnvironmentAndMarkedFolders) {
    const auto saved = [](const char* name) { return std::getenv(name) ? std::getenv(name) : std::string(); };
    const std::string savedHome = saved("HOME"), savedXdg = saved("XDG_DATA_HOME");
    const fs::path exe = dir_ / "bin", xdg = dir_ / "xdg", user = dir_ / "user", own = dir_ / "own";
    enum Marker { kNone, kBuildTree, kPortable };
    struct Case {
        const char* what;
        Marker marker;
        const char* tavrinHome; // values relative to dir_; nullptr unsets
        const char* xdgDataHome;
        const char* home;
        fs::path expected;
    };
    const Case cases[] = {
        {"TAVRIN_HOME first", kBuildTree, "own", "xdg", "user", own},
        {"build tree", kBuildTree, nullptr, "xdg", "user", exe},
        {"portable folder", kPortable, nullptr, "xdg", "user", exe},
        {"installed: XDG data home", kNone, nullptr, "xdg", "user", xdg / "tavrin"},
        {"installed: no XDG, HOME", kNone, nullptr, nullptr, "user", user / ".local/share/tavrin"},
        {"relative XDG ignored", kNone, nullptr, "=relative", "user", user / ".local/share/tavrin"},
        {"no home at all", kNone, nullptr, nullptr, nullptr, exe},
    };
    const auto set = [this](const char* name, const char* value) {
        if (!value)
            unsetenv(name);
        else if (value[0] == '=')
            setenv(name, value + 1, 1);
        else
            setenv(name, (dir_ / value).c_str(), 1);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(exe);
        fs::remove_all(xdg);
        fs::remove_all(user);
        fs::create_directories(exe);
        if (c.marker == kBuildTree)
            std::ofstream(exe / "CMakeCache.txt") << "# build\n";
        if (c.marker == kPortable)
            std::ofstream(exe / kPortableMarker);
        set("TAVRIN_HOME", c.tavrinHome);
        set("XDG_DATA_HOME", c.xdgDataHome);
        set("HOME", c.home);
        const std::string home = ProgramHomeFor(exe.string());
        EXPECT_EQ(home, c.expected.string() + "/");
        EXPECT_TRUE(fs::is_directory(c.expected)); // made on first use
    }
    for (const auto& [name, value] : {std::pair{"HOME", savedHome}, {"XDG_DATA_HOME", savedXdg}})
        value.empty() ? unsetenv(name) : setenv(name, value.c_str(), 1);
}
