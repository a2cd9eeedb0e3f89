#include "base/safefile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Dir {
public:
    Dir() {
        std::string templ = (fs::temp_directory_path() / "tavrin-safefile-XXXXXX").string();
        path_ = ::mkdtemp(templ.data());
    }
    ~Dir() {
        ::chmod(path_.c_str(), 0700);
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }
    // Every name in the directory: a stray temporary would show here.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode;
}

// Runs `body` in a child process (for limits and identities the test process must not take on)
// and answers its exit status.
template <typename F> int InChild(F body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

} // namespace

TEST(SafeFile, ReplacesARegularFileKeepingItsModeAndLeavingNoTemporary) {
    Dir dir;
    const std::string path = dir.File("list.spl");
    Put(path, "old");
    for (mode_t mode : {0640, 0600, 0604}) {
        ::chmod(path.c_str(), mode);
        EXPECT_TRUE(WriteFileSafely(path, "new content"));
        EXPECT_EQ(Get(path), "new content");
        EXPECT_EQ(ModeOf(path) & 07777, mode);
    }
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"list.spl"});
    // A new file gets the mode any new file would get.
    const mode_t mask = ::umask(022);
    EXPECT_TRUE(WriteFileSafely(dir.File("fresh"), "x"));
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir.File("fresh")) & 07777, 0644u);
}

TEST(SafeFile, WritesThroughSymbolicLinksAndKeepsHardLinks) {
    Dir dir;
    ::mkdir(dir.File("real").c_str(), 0755);
    Put(dir.File("real/ORVANT.CFG"), "old");
    // a relative link to a link
    fs::create_symlink("real/ORVANT.CFG", dir.File("first"));
    fs::create_symlink(dir.File("first"), dir.File("second"));
    EXPECT_TRUE(WriteFileSafely(dir.File("second"), "through"));
    EXPECT_TRUE(fs::is_symlink(dir.File("second")));
    EXPECT_TRUE(fs::is_symlink(dir.File("first")));
    EXPECT_EQ(Get(dir.File("real/ORVANT.CFG")), "through");
    // a dangling link creates the file it names
    fs::create_symlink("real/new.spl", dir.File("dangling"));
    EXPECT_TRUE(WriteFileSafely(dir.File("dangling"), "made"));
    EXPECT_TRUE(fs::is_symlink(dir.File("dangling")));
    EXPECT_EQ(Get(dir.File("real/new.spl")), "made");
    // a hard link sees the new content too
    fs::create_hard_link(dir.File("real/ORVANT.CFG"), dir.File("hard"));
    EXPECT_TRUE(WriteFileSafely(dir.File("hard"), "both names"));
    EXPECT_EQ(Get(dir.File("real/ORVANT.CFG")), "both names");
    EXPECT_EQ(fs::hard_link_count(dir.File("hard")), 2u);
    // a loop is an error naming the reason
    fs::create_symlink(dir.File("loop"), dir.File("loop"));
    int error = 0;
    EXPECT_FALSE(WriteFileSafely(dir.File("loop"), "x", &error));
    EXPECT_EQ(error, ELOOP);
}

TEST(SafeFile, DevicesAndPipesAreWrittenNeverReplaced) {
    EXPECT_TRUE(WriteFileSafely("/dev/null", "nothing"));
    EXPECT_TRUE(S_ISCHR(ModeOf("/dev/null")));
    int error = 0;
    EXPECT_FALSE(WriteFileSafely("/dev/full", std::string(100, 'x'), &error));
    EXPECT_EQ(error, ENOSPC);
    EXPECT_TRUE(S_ISCHR(ModeOf("/dev/full")));
    EXPECT_NE(WriteErrorText("/dev/full", error).find(std::strerror(ENOSPC)), std::string::npos);
    EXPECT_NE(WriteErrorText("/dev/full", error).find("/dev/full"), std::string::npos);

    Dir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Get(fifo); });
    EXPECT_TRUE(WriteFileSafely(fifo, "through the pipe"));
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
    EXPECT_FALSE(WriteFileSafely(dir.Path(), "x", &error));
    EXPECT_EQ(error, EISDIR);
}

TEST(SafeFile, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    Dir dir;
    const std::string path = dir.File("alm25.223");
    Put(path, "old almanac");
    // A file-size limit: an ordinary error (EFBIG), not a signal that kills the program.
    const int status = InChild([&] {
        struct rlimit limit {
            1000, 1000
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int error = 0;
        const bool ok = WriteFileSafely(path, std::string(5000, 'n'), &error);
        return !ok && error == EFBIG ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Get(path), "old almanac");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"alm25.223"});
    int error = 0;
    EXPECT_FALSE(WriteFileSafely(dir.File("missing/dir/file"), "x", &error));
    EXPECT_EQ(error, ENOENT);
}

TEST(SafeFile, AWritableFileInADirectoryWeMayNotWriteIsRewrittenInPlace) {
    if (::geteuid() != 0 && ::access("/", W_OK) == 0)
        GTEST_SKIP() << "needs to run as root or as a user who cannot write /";
    Dir dir;
    const std::string path = dir.File("list.spl");
    Put(path, "old list, longer than the new one");
    const std::string other = dir.File("other.spl");
    // As an unprivileged user (root may write anywhere): the directory read-only, the file writable.
    const int status = InChild([&] {
        if (::geteuid() == 0) {
            const uid_t nobody = 65534;
            if (::chown(dir.Path().c_str(), nobody, nobody) != 0 ||
                ::chown(path.c_str(), nobody, nobody) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                return 10;
        }
        ::chmod(dir.Path().c_str(), 0555);
        if (!WriteFileSafely(path, "new list"))
            return 1;
        int error = 0;
        if (WriteFileSafely(other, "x", &error) || error != EACCES)
            return 2; // no file to rewrite: refused, saying why
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Get(path), "new list");
    EXPECT_FALSE(fs::exists(other));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"list.spl"});
}
