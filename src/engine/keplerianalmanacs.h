// Almanacs of the systems that came after GPS and GLONASS — the Galileo almanac XML of the European
// GNSS Service Centre and QZSS YUMA almanacs — read as orbit records the broadcast propagation
// plans with: Keplerian elements without harmonic corrections, good for weeks rather than hours.
#pragma once

#include <string>
#include <vector>

#include "engine/calendar.h"
#include "engine/ephemeris.h"
#include "engine/rinexnav.h"

// How long around its reference time an almanac record is taken as the satellite's orbit.
inline constexpr double kAlmanacFitHours = 24.0 * 90;

struct KeplerianAlmanac {
    std::vector<KeplerEphemeris> records; // one per satellite, in the file's order
    std::vector<std::string> warnings;    // records skipped, each with the reason
    std::string error;                    // the file refused: nothing in `records`
};

// Whether the text is a Galileo almanac XML file (its root element and almanac entries).
bool IsGalileoAlmanacXml(const std::string& text);
// `name` is for the messages. The week, given modulo 4, is put nearest the file's issue date.
KeplerianAlmanac ReadGalileoAlmanacXml(const std::string& text, const std::string& name);

// Whether the text is a YUMA almanac of QZSS (PRNs 193 to 202).
bool IsQzssYuma(const std::string& text);
// The week, given modulo 1024, is put nearest `near` as for GPS almanacs.
KeplerianAlmanac ReadQzssYuma(const std::string& text, const std::string& name, const CalendarTime& near,
                              bool nearIsToday = false);

// Any file of orbit records the planner reads beside the almanac: a RINEX navigation file, a Galileo
// almanac XML or a QZSS YUMA almanac, the almanacs' records in `kepler` with their file's name. QZSS
// weeks are put nearest `near`.
NavigationFile ReadOrbitFile(const std::string& path, const CalendarTime& near, bool nearIsToday = false);
// Whether the start of a file (its first few kilobytes) is one of those.
bool LooksLikeOrbitFile(const std::string& head);
