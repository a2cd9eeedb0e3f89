// A site list: the document of the program, an ordered list of sites with one of them current.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/aheapmass.h"
#include "base/alist.h"
#include "base/safefile.h"
#include "sites/siteinfo.h"

class project {
public:
    std::string path;      // full path of the site list file; not cut to any length
    char signature[8]{};   // the first seven bytes read from the file, empty for a new list
    AList<SiteInfo> sites; // in file order
    AHeapMass<int> selection{10, 10};
    int16_t currentIndex = 0;
    char currentName[sizeof SiteInfo::name]{};
    int32_t loadFailed = 0;
    uint8_t modified = 0;
    // Old format: directory entries that named no record inside the file and were skipped.
    int skippedEntries = 0;

    // A new, unsaved list holding one default site, under a free name in the program home.
    project();
    // A list read from either file format; loadFailed is set when nothing could be read.
    explicit project(const std::string& path);
    project(const project&) = default;
    project& operator=(const project&) = default;

    // 1 for the current format, 0 for the old one, -1 when unreadable or neither.
    static int FileFormat(const std::string& path);
    struct SaveOutcome {
        int error = 0;           // why a write failed (WriteFileSafely)
        bool textAsUtf8 = false; // a name or description did not fit the code page
        bool linksSplit = false; // the file's other hard links keep the previous list
    };
    // Writes the whole list in the current format; the previous file survives any failure.
    bool Save(const std::string& path, SaveOutcome* outcome = nullptr, SafeWriteOptions options = {}) const;

    // One line per site whose values cannot be planned ("LIST: site 3 "Name": latitude ..."); the
    // rest of the list is usable.
    std::vector<std::string> SiteFaults() const;

    // The current site; the first one when the stored index is outside the list.
    SiteInfo* CurrentSite();
    // The list as the bytes Save writes.
    std::string Image(bool* textAsUtf8 = nullptr) const;

private:
    bool ReadNewFormat(std::istream& in);
    bool ReadOldFormat(std::istream& in, uintmax_t length);
};
