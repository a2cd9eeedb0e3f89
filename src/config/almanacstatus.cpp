#include "config/almanacstatus.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>

namespace {

int64_t Milliseconds(int64_t seconds, int64_t nanoseconds) {
    return seconds * 1000 + nanoseconds / 1000000;
}

} // namespace

CurrentAlmanac ReadAlmanacStatus(const std::string& path) {
    CurrentAlmanac now;
    now.path = path;
    struct statx info {};
    if (path.empty() || path.back() == '/' ||
        statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0 ||
        S_ISDIR(info.stx_mode)) {
        now.status = -1;
        now.missing = true;
        return now;
    }
    now.size = static_cast<int64_t>(info.stx_size);
    now.modified = Milliseconds(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
    // Not every file system records a birth time; the last status change is the nearest stand-in
    // (a file replaced by a new one has a new one).
    const statx_timestamp born = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_ctime;
    now.created = Milliseconds(born.tv_sec, born.tv_nsec);
    return now;
}
