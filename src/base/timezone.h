// Time zones of the system's zone database (TZif files, /usr/share/zoneinfo or $TZDIR): the
// offset from GMT at any instant, daylight saving included.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TimeZone {
public:
    // The zone of an IANA name such as "Europe/Vienna"; nullopt when the name is not one of the
    // database's zones or its file is damaged.
    static std::optional<TimeZone> Load(const std::string& name);
    // A zone from the bytes of a TZif file.
    static std::optional<TimeZone> Parse(const std::string& bytes);

    // Seconds east of GMT at `utc` (seconds since 1970).
    int OffsetAt(int64_t utc) const;
    // The offset in force at a local date and time (seconds after midnight); at a change, the one
    // in force before it.
    int OffsetAtLocal(int year, int month, int day, int seconds) const;
    // The first instant in (from, to] at which the offset changes.
    std::optional<int64_t> NextChange(int64_t from, int64_t to) const;

    // The rule past the file's last transition, as the file's footer gives it ("CET-1CEST,M3.5.0,M10.5.0/3").
    struct Rule {
        int standard = 0, daylight = 0; // offsets east of GMT, seconds
        bool hasDaylight = false;
        struct Date {
            char kind = 'M'; // 'M' month.week.day, 'J' Julian day 1..365 without 29 Feb, 'D' 0..365
            int month = 0, week = 0, day = 0;
            int time = 7200; // local seconds after midnight
        } start, end;
    };

private:
    std::vector<int64_t> times_; // transitions, ascending
    std::vector<int> offsets_;   // the offset from each transition on
    int initial_ = 0;            // before the first one
    std::optional<Rule> rule_;   // after the last one
};

// Whether `name` is made only of what zone names are ("Europe/Vienna", "Etc/GMT+5"): it becomes part
// of a path, so no "..", no leading "/".
bool IsZoneName(const std::string& name);

// Seconds since 1970 of a date (proleptic Gregorian) and seconds after its midnight.
int64_t CivilSeconds(int year, int month, int day, int seconds = 0);

// The POSIX TZ text of a rule; false when it is not one.
bool ParseZoneRule(const std::string& text, TimeZone::Rule& rule);
