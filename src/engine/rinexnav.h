// RINEX navigation files (versions 2.x for GPS, GLONASS and Galileo, 3.0x and 4.0x for every system,
// single-system or mixed): the broadcast orbits of GPS and QZSS LNAV, CNAV and CNAV-2, Galileo I/NAV
// and F/NAV, BeiDou D1/D2 and B-CNAV1 to 3, GLONASS FDMA and NavIC LNAV. What the planner does not use
// (SBAS, time offsets, Earth orientation, ionosphere) is passed over and counted in one message; a bad
// record is skipped with a message naming its line, and so is a record its satellite's neighbouring
// records contradict.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/ephemeris.h"
#include "engine/gnsstime.h"

struct NavigationFile {
    bool ok = false; // false: refused, see errors
    std::string name;
    int majorVersion = 0;
    LeapSeconds leapSeconds; // from the header; unknown when it gives none
    std::vector<KeplerEphemeris> kepler;
    std::vector<GlonassEphemeris> glonass;
    int skipped = 0;                   // bad records, and records their neighbours contradict
    int ignored = 0;                   // records of systems or messages the program does not plan with
    std::vector<std::string> warnings; // the skipped records and lines, naming the line
    std::vector<std::string> errors;   // why the file was refused
};

// At most this many messages about skipped records; one more line counts the rest.
inline constexpr int kMaxNavigationWarnings = 50;
// Larger files are refused unread: a day of every system's broadcasts takes a few megabytes.
inline constexpr size_t kMaxNavigationFileSize = size_t{256} << 20;

// `name` is used in the messages.
NavigationFile ParseNavigationFile(const std::string& text, const std::string& name);
NavigationFile ReadNavigationFile(const std::string& path);
// The whole of a file of orbits, or none with the reason in `error` (a directory, unreadable, larger
// than kMaxNavigationFileSize).
std::optional<std::string> ReadNavigationText(const std::string& path, std::string& error);

// Whether the text starts as a RINEX navigation file (for picking such files out of a directory).
bool LooksLikeNavigationFile(const std::string& text);
