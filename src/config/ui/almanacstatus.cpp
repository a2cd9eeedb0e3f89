#include "config/ui/almanacstatus.h"

#include <QDateTime>
#include <QFileInfo>

CurrentAlmanac ReadAlmanacStatus(const std::string& path) {
    CurrentAlmanac now;
    now.path = path;
    const QFileInfo info(QString::fromStdString(path));
    if (path.empty() || path.back() == '/' || !info.exists() || info.isDir()) {
        now.status = -1;
        now.missing = true;
        return now;
    }
    now.size = info.size();
    now.modified = info.lastModified().toMSecsSinceEpoch();
    // Not every file system records a birth time; the last status change is the nearest stand-in
    // (a file replaced by a new one has a new one).
    const QDateTime born = info.birthTime();
    now.created = (born.isValid() ? born : info.metadataChangeTime()).toMSecsSinceEpoch();
    return now;
}
