// Runs tavrin-cli's logic in-process in a scratch directory and hands back what a user or a script sees.
#pragma once

#include <algorithm>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "cli/commands.h"
#include "cli/terrain.h"

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

// A YUMA almanac of GPS week 1900 (2016-06-05), published with the week modulo 1024.
inline constexpr const char* kYumaWeek876 = "******** Week 876 almanac for PRN-01 ********\n"
                                            "ID:                         01\n"
                                            "Health:                     000\n"
                                            "Eccentricity:               0.5E-002\n"
                                            "Time of Applicability(s):  61440.0000\n"
                                            "Orbital Inclination(rad):   0.9600000000\n"
                                            "Rate of Right Ascen(r/s):  -0.8000000000E-008\n"
                                            "SQRT(A)  (m 1/2):           5153.600000\n"
                                            "Right Ascen at Week(rad):   0.1000000000E+001\n"
                                            "Argument of Perigee(rad):   0.500000000\n"
                                            "Mean Anom(rad):             0.1000000000E+001\n"
                                            "Af0(s):                     0.0000000000E+000\n"
                                            "Af1(s/s):                   0.0000000000E+000\n"
                                            "week:                        876\n\n";

// The bundled data beside the programs, as a quoted word.
inline std::string Bundled(const std::string& relative) {
    return "'" + (fs::path(TAVRIN_CLI).parent_path() / relative).string() + "'";
}

class CliRun : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef TAVRIN_CLI_GRAPHS
        SetGraphsWriter(WriteGraphs); // as tavrin-cli-graphs does
        SetMapPictureWriter(WriteMapPictures);
#endif
        SetFullParts({RunMap, AttachModelTerrain, RunAlmanacFetch});
        dir_ = fs::temp_directory_path() /
               (std::string("tavrin-cli-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::remove_all(dir_);
    }

    // `args` is a word list quoted as a shell would take it ('...', "...", backslash); tavrin-cli's
    // logic runs in this process with its home in the test's directory. A plan or windows run
    // without --date is of the almanac's own date, as the results compared were made for; Today
    // runs with the program's own default, today at the site.
    Outcome Tavrin(const std::string& args) {
        std::vector<std::string> words = ShellWords(args);
        if (!words.empty() && (words[0] == "plan" || words[0] == "windows") &&
            std::find(words.begin(), words.end(), "--date") == words.end())
            words.push_back("--date=almanac");
        return Run(words);
    }
    Outcome Today(const std::string& args) {
        return Run(ShellWords(args));
    }
    Outcome Run(const std::vector<std::string>& words) {
        setenv("TAVRIN_HOME", dir_.c_str(), 1);
        Outcome r;
        CaptureOutput(&r.out, &r.err);
        r.status = RunProgram(words);
        CaptureOutput(nullptr, nullptr);
        SetFileCodePage(kDefaultCodePage); // --codepage lasts for the process
        return r;
    }
    static std::vector<std::string> ShellWords(const std::string& text) {
        std::vector<std::string> words;
        std::string word;
        bool inWord = false;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == ' ' || c == '\t' || c == '\n') {
                if (inWord)
                    words.push_back(word);
                word.clear();
                inWord = false;
                continue;
            }
            inWord = true;
            if (c == '\'') {
                const size_t end = text.find('\'', i + 1);
                word += text.substr(i + 1, end - i - 1);
                i = end == std::string::npos ? text.size() : end;
            } else if (c == '"') {
                for (++i; i < text.size() && text[i] != '"'; ++i) {
                    if (text[i] == '\\' && i + 1 < text.size() && std::strchr("\"\\$`", text[i + 1]))
                        ++i;
                    word += text[i];
                }
            } else if (c == '\\' && i + 1 < text.size()) {
                word += text[++i];
            } else {
                word += c;
            }
        }
        if (inWord)
            words.push_back(word);
        return words;
    }
    fs::path dir_;
};

} // namespace cli_fixture
