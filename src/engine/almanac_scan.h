// Finding almanac files in a directory, newest almanac first.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/alist.h"
#include "base/astring.h"
#include "engine/calendar.h"

// The program-wide list of almanac file names (name and extension, no directory).
ASortedList<AString>& AlmanacNameList();

// Clears `list` and fills it with the candidate almanac files of `directory`, newest almanac
// first; 1 when it holds at least one name, else 0.
int ScanAlmanacDirectory(const std::string& directory, ASortedList<AString>& list);
// The same into the program-wide list.
int ScanAlmanacDirectory(const std::string& directory);

// The sort key of a candidate name "alm<year>.<day of year>": a day count, later days larger.
// -1 when the name is no candidate.
int64_t AlmanacNameKey(const std::string& name);
// The day a candidate name "almYY.DDD" stands for (years 81-99 in the 1900s, else the 2000s), at
// 00:00; none for a name that is no candidate or a day the year does not have.
std::optional<CalendarTime> AlmanacNameDate(const std::string& name);

// The directory part of `path` with its trailing separator; empty when it has none.
std::string DirectoryOf(const std::string& path);
// `directory` (a separator added when it lacks one) followed by `name`.
std::string AlmanacPath(const std::string& directory, const std::string& name);
