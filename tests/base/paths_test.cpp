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
