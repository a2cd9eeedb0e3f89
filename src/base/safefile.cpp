#include "base/safefile.h"

#include <cstdio>
#include <filesystem>
#include <new>

namespace fs = std::filesystem;

bool WriteFileSafely(const std::string& path, const std::string& bytes) {
    if (path.empty())
        return false;
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return false;
    // Hidden and in the same directory, so the rename cannot cross file systems.
    fs::path target, temp;
    try {
        target = path;
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "." + name + ".tmp".
        std::string name = ".";
        name += target.filename().string();
        name += ".tmp";
        temp = (target.has_parent_path() ? target.parent_path() : fs::path(".")) / name;
    } catch (const std::bad_alloc&) {
        return false;
    }
    bool ok = false;
    if (std::FILE* f = std::fopen(temp.c_str(), "wb")) {
        // In pieces, so that a device that fills up part-way is noticed at the piece that fails.
        constexpr size_t kPiece = 4096;
        ok = true;
        for (size_t at = 0; ok && at < bytes.size(); at += kPiece) {
            const size_t n = std::min(kPiece, bytes.size() - at);
            ok = std::fwrite(bytes.data() + at, 1, n, f) == n;
        }
        ok = std::fflush(f) == 0 && ok;
        ok = std::fclose(f) == 0 && ok;
    }
    if (ok) {
        fs::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok)
        fs::remove(temp, ec);
    return ok;
}
