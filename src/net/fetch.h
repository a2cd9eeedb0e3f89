// Fetching the orbits of a date from the published sources: each source's addresses tried in turn,
// each file read as what it should be before it is kept through the safe write path, the GPS and
// GLONASS almanacs imported into one almanac file. The command line and the desktop both use it.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "base/safefile.h"
#include "config/fetchsources.h"

struct FetchOptions {
    CalendarTime date;
    std::array<bool, kGnssSystems> systems{true, true, true, true, true, true};
    std::string directory; // with a trailing separator; made when missing
    double timeoutSeconds = 120;
    SafeWriteOptions write;
    // A source's bytes so far and expected (0: unknown); false cancels the whole fetch.
    std::function<bool(const std::string& id, size_t bytes, size_t total)> progress;
};

struct FetchItem {
    std::string id;
    bool arrived = false; // fetched now, or unchanged since the last fetch
    std::string line;     // what happened, for the user
    std::string path;     // the file kept
};

struct FetchReport {
    std::vector<FetchItem> items;        // one per source asked for, in the sources' order
    std::string almanacPath;             // the almanac file the GPS/GLONASS almanacs were imported into
    std::vector<std::string> lines;      // the import's lines (written, or why not) and warnings
    std::vector<std::string> orbitFiles; // navigation files and Galileo/QZSS almanacs kept
    std::string error;                   // nothing could be fetched at all (no directory, no source)
    bool cancelled = false;
    bool importOk = true; // no almanac to import, or it was
    bool AllArrived() const;
};

// The sources file: --sources, else orbit-sources.txt in the program home, else the bundled one.
std::string DefaultFetchSourcesPath();
FetchReport FetchOrbits(const FetchSourceList& sources, const FetchOptions& options);
