// Runs the real tavrin-cli in a scratch directory and hands back what a user or a script sees.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace cli_fixture {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out; // standard output
    std::string err; // standard error
};

inline std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

// Fields of a CSV line without quoted separators.
inline std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> f;
    std::istringstream in(line);
    for (std::string x; std::getline(in, x, ',');)
        f.push_back(x);
    return f;
}

class CliRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (std::string("tavrin-cli-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // `args` is a shell word list; quoting is the caller's.
    Outcome Tavrin(const std::string& args) {
        const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
        const std::string command = std::string("TAVRIN_HOME=") + dir_.string() + " '" + TAVRIN_CLI + "' " +
                                    args + " >'" + out.string() + "' 2>'" + err.string() + "'";
        Outcome r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = ReadFile(out);
        r.err = ReadFile(err);
        return r;
    }
    fs::path dir_;
};

} // namespace cli_fixture
