// Words for where each system's orbits come from and how old they are: one line per system for the
// report headers, the command line's messages and the desktop program's status.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/plansession.h"

// Beyond this many days from the date a source is no use for planning (the command line refuses it
// unless told otherwise, the desktop program asks).
inline constexpr int kSourceUselessDays = 365;

// The UTC date of an instant (seconds of the scale) as YYYY-MM-DD, or as the legacy month/day/year.
std::string SourceDateText(double utc, bool legacy = false);
// "485 days old", "3 days ahead" (of the date): full days.
std::string SourceAgeText(double days);
// "GPS: almanac alm25.223 of 2025-08-11, 485 days old". Dates as YYYY-MM-DD, or as the legacy
// month/day/year of the printed headers.
std::string SourceLine(const SystemSource& source, bool legacyDates = false);
// "GPS/GLONASS/Galileo": the systems of `sources` with orbits whose satellites the session keeps on.
std::string PlannedSystemsText(const PlanSession& session, const std::vector<SystemSource>& sources);
// Orbits this many days or more from the date: the desktop program offers to download current ones.
inline constexpr int kOfferDownloadDays = 30;

// Of the systems with orbits the session keeps on, the source farthest from the planning date.
std::optional<SystemSource> FarthestPlannedSource(const PlanSession& session);
// The source lines of the systems with orbits the session keeps on.
std::vector<std::string> PlannedSourceLines(const PlanSession& session,
                                            const std::vector<SystemSource>& sources, bool legacyDates);
