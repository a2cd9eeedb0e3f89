#include "base/safefile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
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

TEST(SafeFile, WritesThroughSymbolicLinksAndSplitsHardLinks) {
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
    // a file with another name is replaced whole; the other name keeps the old content, and says so
    fs::create_hard_link(dir.File("real/ORVANT.CFG"), dir.File("hard"));
    SafeWriter out;
    ASSERT_TRUE(out.Open(dir.File("hard")));
    EXPECT_TRUE(out.Write("new") && out.Write(" content") && out.Commit());
    EXPECT_TRUE(out.LinksSplit());
    EXPECT_EQ(Get(dir.File("hard")), "new content");
    EXPECT_EQ(Get(dir.File("real/ORVANT.CFG")), "through");
    EXPECT_EQ(fs::hard_link_count(dir.File("hard")), 1u);
    EXPECT_NE(LinksSplitText("x.spl").find("x.spl"), std::string::npos);
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

TEST(SafeFile, AFullFileSystemFailsTheWriteAndKeepsTheOldFile) {
    Dir dir;
    const std::string path = dir.File("list.spl");
    // A 64 KiB file system of its own, seen only by the child.
    const int status = InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=64k") != 0)
            return 10;
        Put(path, "old list");
        int error = 0;
        if (WriteFileSafely(path, std::string(200000, 'n'), &error) || error != ENOSPC)
            return 1;
        if (Get(path) != "old list" || dir.Names() != std::vector<std::string>{"list.spl"})
            return 2;
        return 0;
    });
    if (status == 10)
        GTEST_SKIP() << "no right to mount a file system here";
    EXPECT_EQ(status, 0);
}

TEST(SafeFile, ReadOnlyFilesAndFoldersAreRefusedUnlessAsked) {
    Dir dir;
    const std::string path = dir.File("list.spl");
    Put(path, "old list");
    ::chmod(path.c_str(), 0444);
    int error = 0;
    EXPECT_FALSE(WriteFileSafely(path, "new", &error));
    EXPECT_EQ(error, kWriteReadOnly);
    EXPECT_NE(WriteErrorText(path, error).find("read-only"), std::string::npos);
    EXPECT_EQ(Get(path), "old list");
    EXPECT_TRUE(WriteFileSafely(path, "new", &error, SafeWriteOptions{true}));
    EXPECT_EQ(Get(path), "new");
    EXPECT_EQ(ModeOf(path) & 07777, 0444u);

    // A writable file in a folder we may not write cannot be replaced safely: refused, untouched.
    if (::geteuid() != 0 && ::access("/", W_OK) == 0)
        GTEST_SKIP() << "needs to run as root or as a user who cannot write /";
    ::chmod(path.c_str(), 0644);
    const int status = InChild([&] {
        if (::geteuid() == 0) {
            const uid_t nobody = 65534;
            if (::chown(dir.Path().c_str(), nobody, nobody) != 0 ||
                ::chown(path.c_str(), nobody, nobody) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                return 10;
        }
        ::chmod(dir.Path().c_str(), 0555);
        int e = 0;
        if (WriteFileSafely(path, "newer", &e) || e != kWriteFolderReadOnly)
            return 1;
        if (WriteFileSafely(dir.File("other.spl"), "x", &e) || e != EACCES)
            return 2; // no file to replace: the system's reason
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Get(path), "new");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"list.spl"});
}

TEST(SafeFile, TemporariesGoWithTheProgramOrAtTheNextWrite) {
    Dir dir;
    const std::string path = dir.File(std::string(255, 'n')); // the longest name there is
    Put(path, "old");
    // Killed mid-write: the old file stands; SIGTERM removes the temporary, SIGKILL cannot.
    for (int signal : {SIGTERM, SIGINT, SIGKILL}) {
        const int status = InChild([&] {
            SafeWriter out;
            if (!out.Open(path) || !out.Write(std::string(100000, 'x')))
                return 1;
            ::raise(signal);
            return 2;
        });
        EXPECT_EQ(status, 100 + signal);
        EXPECT_EQ(Get(path), "old");
        EXPECT_EQ(dir.Names().size(), signal == SIGKILL ? 2u : 1u) << signal;
    }
    // Another writer's live temporary stays; the killed one's goes with the next write.
    SafeWriter live;
    ASSERT_TRUE(live.Open(path));
    EXPECT_EQ(dir.Names().size(), 2u); // the killed one's was taken by Open
    EXPECT_TRUE(WriteFileSafely(path, "new"));
    EXPECT_EQ(dir.Names().size(), 2u);
    live.Abandon();
    EXPECT_EQ(dir.Names().size(), 1u);
    EXPECT_EQ(Get(path), "new");
}

TEST(SafeFile, OurOwnStandardOutputIsWrittenThroughNotReplaced) {
    Dir dir;
    const std::string path = dir.File("out.csv");
    Put(path, "kept;");
    struct stat before {};
    ::stat(path.c_str(), &before);
    const int status = InChild([&] {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0)
            return 1;
        return WriteFileSafely("/dev/stdout", "added") && WriteFileSafely("/proc/self/fd/1", ";again") ? 0
                                                                                                       : 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Get(path), "kept;added;again"); // as the shell's >> set it up
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
}
