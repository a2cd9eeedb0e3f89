// Where the program finds and keeps its files.
#pragma once

#include <string>

// The directory of the running executable, with a trailing separator.
std::string ExecutableDirectory();
// Where the configuration, help and new site lists live: $TAVRIN_HOME, else the executable's
// directory when writable, else $XDG_DATA_HOME/tavrin (created on first use). Trailing separator.
std::string ProgramHome();
// Where fetched and imported almanacs and orbit files are kept: "almanacs" in the program home.
// Trailing separator; it may not exist yet.
std::string UserAlmanacDirectory();
// Makes the user's almanac directory when it is missing, with a copy of the bundled almanacs in it
// so that its list starts as the program's did; true when it exists afterwards.
bool MakeUserAlmanacDirectory();
// Program home followed by the file name and extension of `name` (its directory part is dropped).
std::string BuildProgramPath(const std::string& name);
// The bundled almanacs and sample site lists: $TAVRIN_DATA_DIR, else beside the executable when
// they are there (build tree), else the installed share directory. Trailing separator.
std::string BundledDataDirectory();
// A name "proj0001" + extension ... in `directory` under which no file exists; empty when none is free.
std::string UniqueProjectFileName(const std::string& directory, const std::string& extension);
