// Where the program finds and keeps its files.
#pragma once

#include <string>

// The directory of the running executable, with a trailing separator.
std::string ExecutableDirectory();
// Where the configuration, help and new site lists live: ProgramHomeFor(ExecutableDirectory()),
// decided once per process unless $TAVRIN_HOME is set. Trailing separator.
std::string ProgramHome();
// The name of the file that marks the executable's directory as a portable installation.
inline constexpr const char* kPortableMarker = "tavrin.portable";
// The program home of an executable in `executableDirectory`, from the environment: $TAVRIN_HOME;
// else that directory when it is a build tree (CMakeCache.txt) or holds kPortableMarker, and is
// writable; else $XDG_DATA_HOME/tavrin (an absolute path), else ~/.local/share/tavrin; with no home
// named at all, the executable's directory. Created when missing. Trailing separator.
std::string ProgramHomeFor(const std::string& executableDirectory);
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
