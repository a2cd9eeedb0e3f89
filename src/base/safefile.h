// Writing a file the user cares about (site list, configuration, almanac, -o) without ever leaving
// a damaged or empty one behind.
#pragma once

#include <string>

// Writes `bytes` to `path`. A regular file (the one a symbolic link finally names) is replaced
// through a temporary beside it that is synced and renamed over it, keeping its mode and, where
// permitted, its owner; a file with other hard links, or in a directory we may not write, is
// rewritten in place, its old content restored on failure. A device, a pipe, anything under /dev
// or /proc, and "-" (standard output) are written directly, never replaced. On failure the old file
// is as it was, no temporary is left, false is returned and `error` (when given) holds the errno
// value that says why.
bool WriteFileSafely(const std::string& path, const std::string& bytes, int* error = nullptr);

// "FILE: cannot be written (reason)" for a failure WriteFileSafely reported.
std::string WriteErrorText(const std::string& path, int error);
