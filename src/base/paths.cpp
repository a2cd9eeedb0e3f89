#include "base/paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/strings.h"

namespace fs = std::filesystem;

namespace {

std::string WithSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

bool IsWritableDirectory(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return false;
    const fs::path probe = dir / ".tavrin-write-probe";
    {
        std::ofstream f(probe, std::ios::binary | std::ios::trunc);
        if (!f)
            return false;
    }
    fs::remove(probe, ec);
    return true;
}

} // namespace

std::string ExecutableDirectory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return WithSeparator(fs::current_path(ec).string());
    return WithSeparator(exe.parent_path().string());
}

std::string ProgramHomeFor(const std::string& executableDirectory) {
    std::error_code ec;
    if (const char* home = std::getenv("TAVRIN_HOME"); home && *home) {
        fs::create_directories(home, ec);
        return WithSeparator(home);
    }
    // An installed program's directory is shared, or the user's bin; only a build tree or a folder
    // carried around as a whole keeps its files beside the executable.
    const fs::path exeDir = executableDirectory;
    const bool ownHome =
        fs::is_regular_file(exeDir / "CMakeCache.txt", ec) || fs::exists(exeDir / kPortableMarker, ec);
    if (ownHome && IsWritableDirectory(exeDir))
        return WithSeparator(executableDirectory);
    fs::path base;
    // A relative XDG_DATA_HOME is ignored, as other desktop programs ignore it.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && fs::path(xdg).is_absolute())
        base = xdg;
    else if (const char* user = std::getenv("HOME"); user && *user)
        base = fs::path(user) / ".local" / "share";
    else
        return WithSeparator(executableDirectory);
    fs::create_directories(base / "tavrin", ec);
    return WithSeparator((base / "tavrin").string());
}

std::string ProgramHome() {
    if (const char* home = std::getenv("TAVRIN_HOME"); home && *home)
        return ProgramHomeFor(ExecutableDirectory());
    static const std::string chosen = ProgramHomeFor(ExecutableDirectory());
    return chosen;
}

std::string UserAlmanacDirectory() {
    return ProgramHome() + "almanacs/";
}

bool MakeUserAlmanacDirectory() {
    const fs::path dir = UserAlmanacDirectory();
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        return true;
    if (!fs::create_directories(dir, ec))
        return false;
    for (const fs::directory_entry& e : fs::directory_iterator(BundledDataDirectory() + "almanacs", ec))
        if (e.is_regular_file(ec))
            fs::copy_file(e.path(), dir / e.path().filename(), fs::copy_options::skip_existing, ec);
    return true;
}

std::string BuildProgramPath(const std::string& name) {
    return ProgramHome() + fs::path(name).filename().string();
}

std::string BundledDataDirectory() {
    if (const char* dir = std::getenv("TAVRIN_DATA_DIR"); dir && *dir)
        return WithSeparator(dir);
    const std::string exeDir = ExecutableDirectory();
    std::error_code ec;
    if (fs::is_directory(fs::path(exeDir) / "almanacs", ec))
        return exeDir;
    return WithSeparator((fs::path(exeDir).parent_path().parent_path() / "share" / "tavrin").string());
}

std::string UniqueProjectFileName(const std::string& directory, const std::string& extension) {
    const std::string dir = WithSeparator(directory);
    const std::string stem = ResString(IDS_PROJECT_STEM);
    for (int n = 1; n <= 9998; ++n) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%04d", n);
        const std::string candidate = dir + stem + digits + extension;
        std::error_code ec;
        const fs::file_status st = fs::status(candidate, ec);
        if (!fs::exists(st) || fs::is_directory(st))
            return candidate;
    }
    return {};
}
