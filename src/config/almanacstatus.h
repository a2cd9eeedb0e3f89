// The file status of an almanac as the satellite configuration records it: what tells later whether
// the file under that name is still the one that was loaded.
#pragma once

#include <string>

#include "config/transfer.h"

// The path with its status read now. `missing` when the status cannot be read or the path names no
// file (it ends in a separator, or is a directory).
CurrentAlmanac ReadAlmanacStatus(const std::string& path);
