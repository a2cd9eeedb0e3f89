#include "base/safefile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <new>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/strings.h"

namespace {

// Symbolic links followed at most (the system's own limit).
constexpr int kMaxLinks = 40;

int WriteAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (w == 0)
            return EIO;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return 0;
}

int CloseChecked(int fd) {
    return ::close(fd) != 0 && errno != EINTR ? errno : 0;
}

std::string DirectoryPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links to the file they finally name, which need not exist yet.
int ResolveTarget(const std::string& path, std::string& target) {
    target = path;
    for (int k = 0; k < kMaxLinks; ++k) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            return errno;
        link.resize(static_cast<size_t>(n));
        target = !link.empty() && link[0] == '/' ? link : DirectoryPart(target) + "/" + link;
    }
    return ELOOP;
}

bool SameFile(const struct stat& a, int fd) {
    struct stat b {};
    return ::fstat(fd, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Temporaries are named by a hash of the target's name, so that a name of any length leaves room
// for them and a later write of the same target finds those a killed program left.
std::string TemporaryPrefix(const std::string& name) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    return FormatText(".tavrin-%08x-", static_cast<unsigned>(hash));
}
constexpr size_t kTemporaryTail = 6; // mkstemp's XXXXXX

// A live writer holds a lock on its temporary; one nobody holds was left by a killed program.
void RemoveStaleTemporaries(const std::string& directory, const std::string& prefix) {
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0 ||
            std::strlen(name) != prefix.size() + kTemporaryTail)
            continue;
        const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// Temporaries to remove when a signal ends the program: fixed storage, for the handler may not
// allocate.
constexpr int kSlots = 16;
char g_temporaries[kSlots][PATH_MAX];
std::atomic<int> g_slotState[kSlots]; // 0 free, 1 being filled, 2 holds a temporary

void RemoveTemporariesAndDie(int signal) {
    for (int i = 0; i < kSlots; ++i)
        if (g_slotState[i].load() == 2)
            ::unlink(g_temporaries[i]);
    // The handler was reset on entry: the signal, raised again, ends the program as it would have.
    ::raise(signal);
}

void InstallSignalHandlers() {
    static const bool installed = [] {
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
                continue; // someone else's (or ignored): theirs to keep
            struct sigaction ours {};
            ours.sa_handler = RemoveTemporariesAndDie;
            ours.sa_flags = SA_RESETHAND;
            sigemptyset(&ours.sa_mask);
            ::sigaction(signal, &ours, nullptr);
        }
        // A file-size limit then makes write() fail with EFBIG instead of killing the program.
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)installed;
}

int RegisterTemporary(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (g_slotState[i].compare_exchange_strong(expected, 1)) {
            std::memcpy(g_temporaries[i], path.c_str(), path.size() + 1);
            g_slotState[i].store(2);
            return i;
        }
    }
    return -1;
}

void UnregisterTemporary(int& slot) {
    if (slot >= 0)
        g_slotState[slot].store(0);
    slot = -1;
}

void SyncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // some file systems cannot; the rename itself has succeeded
        ::close(fd);
    }
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool IsReadOnly(const std::string& target, const struct stat& st) {
    if ((st.st_mode & 0222) == 0)
        return true; // as the owner made it, whoever we are
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

} // namespace

SafeWriter::~SafeWriter() {
    Abandon();
}

bool SafeWriter::Fail(int error) {
    error_ = error;
    return false;
}

bool SafeWriter::Open(const std::string& path, SafeWriteOptions options) {
    Abandon();
    error_ = 0;
    linksSplit_ = false;
    InstallSignalHandlers();
    if (path.empty())
        return Fail(ENOENT);
    if (path == "-") {
        fd_ = STDOUT_FILENO;
        return true;
    }
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return Fail(errno);
    if (exists) {
        if (S_ISDIR(st.st_mode))
            return Fail(EISDIR);
        // Our own standard output or error (/dev/stdout, /proc/self/fd/2, the file the shell
        // redirected to): written through it, as the shell set it up.
        for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
            if (SameFile(st, fd)) {
                fd_ = fd;
                return true;
            }
        }
        if (!S_ISREG(st.st_mode)) {
            // A device, pipe or socket is written, never replaced, and never truncated.
            fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (fd_ < 0)
                return Fail(errno);
            ownsFd_ = true;
            return true;
        }
        if (!options.replaceReadOnly && IsReadOnly(path, st))
            return Fail(kWriteReadOnly);
    }
    if (const int e = ResolveTarget(path, target_))
        return Fail(e);
    directory_ = DirectoryPart(target_);
    const std::string prefix = TemporaryPrefix(NamePart(target_));
    RemoveStaleTemporaries(directory_, prefix);
    for (int attempt = 0; attempt < 3 && fd_ < 0; ++attempt) {
        temporary_ = directory_ + "/" + prefix + std::string(kTemporaryTail, 'X');
        fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
        if (fd_ < 0) {
            const int e = errno;
            temporary_.clear();
            return Fail(exists && (e == EACCES || e == EPERM) ? kWriteFolderReadOnly : e);
        }
        ownsFd_ = true;
        // Locked at once; should another writer's clean-up have taken it meanwhile, make another.
        struct stat mine {};
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd_, &mine) != 0 || mine.st_nlink == 0) {
            ::close(fd_);
            fd_ = -1;
            ownsFd_ = false;
        }
    }
    if (fd_ < 0)
        return Fail(EAGAIN);
    slot_ = RegisterTemporary(temporary_);
    if (exists) {
        // Ours when permitted; otherwise the new file is the writer's, as any new file would be.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)::fchown(fd_, st.st_uid, st.st_gid);
        linksSplit_ = st.st_nlink > 1;
    }
    if (::fchmod(fd_, exists ? st.st_mode & 07777 : 0666 & ~CurrentUmask()) != 0) {
        const int e = errno;
        Abandon();
        return Fail(e);
    }
    return true;
}

bool SafeWriter::Write(std::string_view bytes) {
    if (error_)
        return false;
    if (fd_ < 0)
        return Fail(EBADF);
    if (const int e = WriteAll(fd_, bytes.data(), bytes.size()))
        return Fail(e);
    return true;
}

bool SafeWriter::Commit() {
    if (!error_ && fd_ < 0)
        error_ = EBADF;
    if (error_) {
        Abandon();
        return false;
    }
    if (temporary_.empty()) {
        const int fd = fd_;
        const bool owned = ownsFd_;
        fd_ = -1;
        ownsFd_ = false;
        if (owned && CloseChecked(fd) != 0)
            return Fail(errno);
        return true;
    }
    int e = ::fsync(fd_) != 0 ? errno : 0;
    const int closed = CloseChecked(fd_);
    fd_ = -1;
    ownsFd_ = false;
    if (!e)
        e = closed;
    if (!e && ::rename(temporary_.c_str(), target_.c_str()) != 0)
        e = errno;
    if (e) {
        Abandon();
        linksSplit_ = false;
        return Fail(e);
    }
    UnregisterTemporary(slot_);
    temporary_.clear();
    SyncDirectory(directory_);
    return true;
}

void SafeWriter::Abandon() {
    if (ownsFd_ && fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    ownsFd_ = false;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    UnregisterTemporary(slot_);
    temporary_.clear();
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, int* error, SafeWriteOptions options) {
    int e = 0;
    try {
        SafeWriter out;
        if (!out.Open(path, options) || !out.Write(bytes) || !out.Commit())
            e = out.Error();
    } catch (const std::bad_alloc&) {
        e = ENOMEM;
    }
    if (error)
        *error = e;
    return e == 0;
}

std::string WriteErrorText(const std::string& path, int error) {
    std::string reason = error == kWriteReadOnly         ? ResString(IDS_FILE_READ_ONLY)
                         : error == kWriteFolderReadOnly ? ResString(IDS_FILE_FOLDER_READ_ONLY)
                                                         : std::string(std::strerror(error));
    return FormatText(LoadResString(IDS_FILE_WRITE_ERROR), path.c_str(), reason.c_str());
}

std::string LinksSplitText(const std::string& path) {
    return FormatText(LoadResString(IDS_FILE_LINKS_SPLIT), path.c_str());
}
