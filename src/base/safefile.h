// Writing a file the user cares about (site list, configuration, almanac, -o, graphs, PDF) without
// ever leaving a damaged or empty one behind.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reasons a write is refused that are not errno values.
inline constexpr int kWriteReadOnly = -1;       // the target is read-only and replacing it was not asked for
inline constexpr int kWriteFolderReadOnly = -2; // the target's folder cannot be written: no safe replacement

struct SafeWriteOptions {
    // Replace a file its owner made read-only (tavrin-cli --force, or the user said so).
    bool replaceReadOnly = false;
};

// One file written safely, in pieces as they are made. A regular file (the one symbolic links
// finally name) is replaced by a temporary beside it, created with O_EXCL under a short name,
// synced and renamed over it only at Commit, with the old file's mode and, where permitted, owner.
// A file with other hard links is replaced too: the other names keep the old content (LinksSplit).
// A device, a pipe or socket, and a file that is our own standard output or error are written
// directly, never replaced; "-" is standard output. A temporary left by a program killed while
// writing the same target is removed; one of ours is removed on SIGINT, SIGTERM and SIGHUP.
// Until Commit the old file is as it was; a writer destroyed without Commit removes its temporary.
class SafeWriter {
public:
    SafeWriter() = default;
    ~SafeWriter();
    SafeWriter(const SafeWriter&) = delete;
    SafeWriter& operator=(const SafeWriter&) = delete;

    // False with Error() when `path` cannot be written at all.
    bool Open(const std::string& path, SafeWriteOptions options = {});
    // False with Error() once any write has failed; later calls do nothing.
    bool Write(std::string_view bytes);
    bool Write(const char* data, size_t size) { return Write(std::string_view(data, size)); }
    // Puts the new content in place; false with Error() and the old file untouched.
    bool Commit();
    // Drops what was written; the old file stays.
    void Abandon();

    int Error() const { return error_; }
    // The replaced file had other hard links, which keep the previous content.
    bool LinksSplit() const { return linksSplit_; }

private:
    bool Fail(int error);

    int fd_ = -1;
    bool ownsFd_ = false;
    int error_ = 0;
    bool linksSplit_ = false;
    int slot_ = -1; // the temporary's place in the list removed on a signal
    std::string target_, temporary_, directory_;
};

// Writes `bytes` to `path` with a SafeWriter. On failure false, `path` as it was and `error` (when
// given) an errno value or one of the kWrite reasons above.
bool WriteFileSafely(const std::string& path, std::string_view bytes, int* error = nullptr,
                     SafeWriteOptions options = {});

// "FILE: cannot be written (reason)" for a failure SafeWriter reported.
std::string WriteErrorText(const std::string& path, int error);
// "FILE had other names (hard links); they keep the previous content."
std::string LinksSplitText(const std::string& path);
