// Replacing a file without ever leaving a damaged or empty one behind.
#pragma once

#include <string>

// Writes `bytes` to a temporary file in the target's directory and renames it over `path` only
// when every byte is on disk. On failure the previous file is untouched and false is returned.
bool WriteFileSafely(const std::string& path, const std::string& bytes);
