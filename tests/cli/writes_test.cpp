// Every file tavrin-cli writes survives a fault with its old bytes, and the fault is named.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "../sites/sitelist_fixture.h"
#include "cli_fixture.h"

namespace fs = std::filesystem;

namespace {

using namespace cli_fixture;

class CliWrites : public CliRun {
public:
    // What each kind of output is asked with, aimed at `target`.
    struct Writer {
        const char* what;
        std::string (*args)(const fs::path& target, const fs::path& dir);
        bool graphs = false; // needs the Qt drawing
    };
    static std::vector<Writer> Writers() {
        return {
            {"-o",
             [](const fs::path& t, const fs::path&) { return "plan --to 02:00 -o '" + t.string() + "'"; }},
            {"sites -o",
             [](const fs::path& t, const fs::path&) {
                 return "sites " + Bundled("sites/sample.spl") + " -o '" + t.string() + "'";
             }},
            {"--pdf",
             [](const fs::path& t, const fs::path&) { return "plan --to 02:00 --pdf '" + t.string() + "'"; },
             true},
            {"map -o",
             [](const fs::path& t, const fs::path&) {
                 return "map --bbox 27.70,86.68,27.74,86.74 --cells 2 --systems gps --date 2022-01-01 "
                        "--almanac '" TAVRIN_SOURCE_DIR
                        "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_GN.rnx' "
                        "-o '" +
                        t.string() + "'";
             },
             true},
            {"import",
             [](const fs::path& t, const fs::path& d) {
                 return "almanac import '" + (d / "in.alm").string() + "' --dir '" +
                        t.parent_path().string() + "'";
             }},
        };
    }

protected:
    void SetUp() override {
        CliRun::SetUp();
        std::ofstream(dir_ / "in.alm") << kYumaWeek876;
    }
    // The almanac file the import writes (named after its date).
    fs::path ImportTarget() const { return dir_ / "alm16.157"; }
    fs::path TargetOf(const Writer& w) const {
        if (std::string(w.what) == "map -o")
            return dir_ / "out.png"; // the picture: the other outputs are written as every -o is
        return std::string(w.what) == "import" ? ImportTarget() : dir_ / "out";
    }
};

bool Skipped(const CliWrites::Writer& w) {
#ifdef TAVRIN_CLI_GRAPHS
    (void)w;
    return false;
#else
    return w.graphs;
#endif
}

size_t Entries(const fs::path& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {}));
}

TEST_F(CliWrites, AReadOnlyTargetIsKeptUnlessForced) {
    for (const Writer& w : Writers()) {
        if (Skipped(w))
            continue;
        const fs::path target = TargetOf(w);
        std::ofstream(target) << "the user's";
        fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        Outcome r = Tavrin(w.args(target, dir_));
        EXPECT_EQ(r.status, 1) << w.what;
        EXPECT_NE(r.err.find("read-only; --force replaces it"), std::string::npos) << w.what << ": " << r.err;
        EXPECT_EQ(ReadFile(target), "the user's") << w.what;
        r = Tavrin(w.args(target, dir_) + " --force");
        EXPECT_EQ(r.status, 0) << w.what << ": " << r.err;
        EXPECT_NE(ReadFile(target), "the user's") << w.what;
        EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::remove(target);
    }
}

TEST_F(CliWrites, AFileSizeLimitFailsTheWriteAndKeepsTheOldFile) {
    for (const Writer& w : Writers()) {
        if (Skipped(w))
            continue;
        const fs::path target = TargetOf(w);
        std::ofstream(target) << "old";
        // A planted link where an earlier version put its temporary leads nowhere now.
        std::ofstream(dir_ / "victim") << "unrelated";
        fs::create_symlink(dir_ / "victim", target.string() + ".part");
        const std::string args = w.args(target, dir_);
        const pid_t child = ::fork();
        if (child == 0) {
            const rlimit limit{100, 100};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::_exit(Tavrin(args).status);
        }
        int raw = 0;
        ::waitpid(child, &raw, 0);
        EXPECT_TRUE(WIFEXITED(raw)) << w.what << ": killed by signal " << WTERMSIG(raw);
        EXPECT_EQ(WEXITSTATUS(raw), 1) << w.what;
        EXPECT_EQ(ReadFile(target), "old") << w.what;
        EXPECT_EQ(ReadFile(dir_ / "victim"), "unrelated") << w.what;
        fs::remove(target.string() + ".part");
        fs::remove(target);
        EXPECT_EQ(Entries(dir_), 2u) << w.what; // the input and the victim: no temporary left
    }
}

TEST_F(CliWrites, NamesUpToTheLongestAndTargetsThatAreNotFiles) {
    const fs::path longest = dir_ / std::string(255, 'n');
    Outcome r = Tavrin("plan --to 01:00 -o '" + longest.string() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(ReadFile(longest).find("GEOMETRIC DILUTION"), std::string::npos);

    // Paths are judged by what they name, not by how they are spelt.
    for (const std::string& spelt :
         {"/dev/.." + dir_.string() + "/a.txt", "/proc/self/root" + dir_.string() + "/b.txt"}) {
        std::ofstream(spelt) << "old";
        r = Tavrin("plan --to 01:00 -o '" + spelt + "'");
        EXPECT_EQ(r.status, 0) << spelt << ": " << r.err;
        EXPECT_NE(ReadFile(spelt).find("GEOMETRIC DILUTION"), std::string::npos) << spelt;
    }
#ifdef TAVRIN_CLI_GRAPHS
    // A PDF into a device or down a pipe: written through, never replacing the device or naming a file "-".
    for (const char* pdf : {"/dev/null", "-"}) {
        const std::string command = std::string("cd '") + dir_.string() + "' && '" + TAVRIN_CLI +
                                    "' plan --date almanac --to 01:00 --pdf " + pdf + " > piped";
        EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << pdf;
        EXPECT_EQ(ReadFile(dir_ / "piped").substr(0, 5), std::string(pdf) == "-" ? "%PDF-" : "") << pdf;
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_FALSE(fs::exists(dir_ / "-"));
#endif

    const fs::path fifo = dir_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadFile(fifo); });
    r = Tavrin("sites " + Bundled("sites/sample.spl") + " -o '" + fifo.string() + "'");
    reader.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(received.find("latitude"), std::string::npos);
    EXPECT_TRUE(fs::is_fifo(fifo));

    const struct {
        std::string args;
        int status;
        const char* says;
    } refused[] = {
        {"plan -o ''", 2, "--output needs a file or directory name"},
        {"plan --pdf ''", 2, "--pdf needs a file or directory name"},
        {"plan -o '" + dir_.string() + "'", 1, "Is a directory"},
        {"almanac import '" + (dir_ / "in.alm").string() + "' --dir /proc", 1, "cannot be written"},
    };
    for (const auto& c : refused) {
        r = Tavrin(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
    }
}

TEST_F(CliWrites, ControlCharactersInNamesAreShownEscaped) {
    using namespace fixture;
    const fs::path list = dir_ / "odd.spl";
    std::ofstream(list, std::ios::binary)
        << NewFile(0, {NewSite("a\033[2Jb\a", "line\r\nbreak", 50, 10, 0, 1)});
    Outcome r = Tavrin("sites '" + list.string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("a\\x1B[2Jb\\x07"), std::string::npos) << r.out;
    r = Tavrin("plan --to 01:00 --sites '" + list.string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("line\\x0D\\x0Abreak"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\033'), std::string::npos);
    r = Tavrin("windows --sites '" + list.string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("a\\x1B[2Jb\\x07"), std::string::npos) << r.out;
    r = Tavrin("sites '" + list.string() + "' --format json"); // JSON keeps the text, escaped its own way
    EXPECT_NE(r.out.find("a\\u001b[2Jb\\u0007"), std::string::npos) << r.out;
}

} // namespace
