#include "base/safefile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <new>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/strings.h"

namespace {

// Symbolic links followed at most (the system's own limit).
constexpr int kMaxLinks = 40;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, so that a failing close (a full disk on NFS) is reported; 0 or an errno value.
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int fd_;
};

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

bool IsSystemPath(const std::string& path) {
    return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0;
}

// Follows symbolic links to the file they finally name, which need not exist yet. `direct` becomes
// true when the way leads into /dev or /proc, whose links (such as /dev/stdout) name open
// descriptors rather than files to replace.
int ResolveTarget(const std::string& path, std::string& target, bool& direct) {
    target = path;
    direct = IsSystemPath(path);
    for (int k = 0; k < kMaxLinks && !direct; ++k) {
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
        direct = IsSystemPath(target);
    }
    return direct ? 0 : ELOOP;
}

int WriteDirectly(const std::string& path, const std::string& bytes) {
    // Appending leaves what a shell's ">>" already holds; a device or a pipe does not care.
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    if (const int e = WriteAll(fd.get(), bytes.data(), bytes.size()))
        return e;
    return fd.Close();
}

// Rewrites the file where it is: for a file with other names, or in a directory we may not write.
int WriteInPlace(const std::string& target, const std::string& bytes) {
    Descriptor fd(::open(target.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW));
    if (fd.get() < 0)
        return errno;
    std::string old;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        old.append(buffer, static_cast<size_t>(n));
    }
    int e = ::lseek(fd.get(), 0, SEEK_SET) < 0 ? errno : 0;
    if (!e)
        e = WriteAll(fd.get(), bytes.data(), bytes.size());
    if (!e && ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0)
        e = errno;
    if (!e && ::fsync(fd.get()) != 0)
        e = errno;
    if (e) {
        // Put the old content back; a file that is now too short or too long would be worse.
        if (::lseek(fd.get(), 0, SEEK_SET) == 0 && WriteAll(fd.get(), old.data(), old.size()) == 0 &&
            ::ftruncate(fd.get(), static_cast<off_t>(old.size())) == 0)
            ::fsync(fd.get());
        return e;
    }
    return fd.Close();
}

void SyncDirectory(const std::string& directory) {
    Descriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get()); // some file systems cannot; the rename itself has succeeded
}

int CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<int>(mask);
}

int Write(const std::string& path, const std::string& bytes) {
    // A file-size limit then makes write() fail with EFBIG instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);

    if (path.empty())
        return ENOENT;
    if (path == "-")
        return WriteAll(STDOUT_FILENO, bytes.data(), bytes.size());
    std::string target;
    bool direct = false;
    if (const int e = ResolveTarget(path, target, direct))
        return e;
    if (direct)
        return WriteDirectly(path, bytes);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return errno;
    if (exists && S_ISDIR(st.st_mode))
        return EISDIR;
    if (exists && !S_ISREG(st.st_mode))
        return WriteDirectly(target, bytes);
    if (exists && st.st_nlink > 1)
        return WriteInPlace(target, bytes);

    const std::string directory = DirectoryPart(target);
    std::string temp = directory + "/." + NamePart(target) + ".XXXXXX";
    Descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        const int e = errno;
        if (exists && (e == EACCES || e == EPERM) && ::access(target.c_str(), W_OK) == 0)
            return WriteInPlace(target, bytes);
        return e;
    }
    int e = 0;
    if (exists) {
        // Ours when permitted; otherwise the new file is the writer's, as any new file would be.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)::fchown(fd.get(), st.st_uid, st.st_gid);
        if (::fchmod(fd.get(), st.st_mode & 07777) != 0)
            e = errno;
    } else if (::fchmod(fd.get(), static_cast<mode_t>(0666 & ~CurrentUmask())) != 0) {
        e = errno;
    }
    if (!e)
        e = WriteAll(fd.get(), bytes.data(), bytes.size());
    if (!e && ::fsync(fd.get()) != 0)
        e = errno;
    if (const int closed = fd.Close(); !e)
        e = closed;
    if (!e && ::rename(temp.c_str(), target.c_str()) != 0)
        e = errno;
    if (e) {
        ::unlink(temp.c_str());
        return e;
    }
    SyncDirectory(directory);
    return 0;
}

} // namespace

bool WriteFileSafely(const std::string& path, const std::string& bytes, int* error) {
    int e;
    try {
        e = Write(path, bytes);
    } catch (const std::bad_alloc&) {
        e = ENOMEM;
    }
    if (error)
        *error = e;
    return e == 0;
}

std::string WriteErrorText(const std::string& path, int error) {
    return FormatText(LoadResString(IDS_FILE_WRITE_ERROR), path.c_str(), std::strerror(error));
}
