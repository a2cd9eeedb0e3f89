// Import of published almanacs (US Coast Guard YUMA and SEM, the GLONASS IAC's .agp and .agl text
// formats) into the program's almanac records, and writing them as one almanac file.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/almanac.h"
#include "engine/calendar.h"

enum class AlmanacFormat { Unknown, Yuma, Sem, IacGps, IacGlonass };

// One published file read into records. Satellites the file does not hold, or that were skipped,
// keep zero records (which fail the record tests, so they load as "no almanac").
struct PublishedAlmanac {
    AlmanacFormat format = AlmanacFormat::Unknown;
    bool ok = false; // false: refused, see errors
    bool isGps = false;
    GpsAlmanac gps{};
    GlonassAlmanac glonass{};
    std::array<bool, kGpsSatellites> gpsPresent{};
    std::array<bool, kGlonassSatellites> glonassPresent{};
    int imported = 0, skipped = 0, healthy = 0;
    CalendarTime date; // the almanac's date: GPS time of the first satellite's week and toa, or
                       // the GLONASS almanac's date (GLONASS time)
    std::vector<std::string> warnings; // satellites skipped, naming the satellite and the field
    std::vector<std::string> errors;   // why the file was refused
};

// `name` is used in messages and for its extension; `near` picks the era of weeks published
// modulo 1024 (the one that puts the almanac nearest it). With `nearIsToday` no era may date the
// almanac after `near` plus kFutureWeeks: a file that exists now was not made years ahead.
PublishedAlmanac ParsePublishedAlmanac(const std::string& text, const std::string& name,
                                       const CalendarTime& near, bool nearIsToday = false);
PublishedAlmanac ReadPublishedAlmanac(const std::string& path, const CalendarTime& near,
                                      bool nearIsToday = false);

// The format the content shows, Unknown when none fits.
AlmanacFormat DetectAlmanacFormat(const std::string& text);
// The format the file name's extension claims (.alm YUMA, .al3 SEM, .agp, .agl), else Unknown.
AlmanacFormat FormatOfName(const std::string& name);

// How far ahead of today an almanac may be dated (published almanacs run a few days ahead).
inline constexpr int kFutureWeeks = 4;

// The full week of a week published modulo 1024 (values 0..1023): the era that puts week and toa
// nearest `near`, or with `nearIsToday` the nearest that is not after it by more than kFutureWeeks.
// Weeks from 1024 on are full weeks already and come back unchanged.
int ResolveGpsWeek(int publishedWeek, double toa, const CalendarTime& near, bool nearIsToday = false);

// "alm" + two-digit year + "." + day of year, as the directory scan orders them.
std::string AlmanacFileName(const CalendarTime& date);

// Today's date, UTC, at 00:00.
CalendarTime TodayUtc();

struct ImportSummary {
    bool present = false;
    int imported = 0, skipped = 0, healthy = 0;
};

struct AlmanacImportResult {
    bool written = false;
    std::string path; // the file written, or that could not be (writeError)
    ImportSummary gps, glonass;
    std::vector<std::string> warnings;
    std::vector<std::string> errors; // non-empty exactly when nothing was written
    int writeError = 0;              // the files were good, the almanac could not be written
};

// Reads one or two published files (at most one per system) and writes their records into one
// almanac file in `directory`, named after the almanac's date (the GPS one when both are given).
// Nothing is written when any file is refused or no satellite could be imported.
AlmanacImportResult ImportAlmanacFiles(const std::vector<std::string>& paths, const std::string& directory,
                                       const CalendarTime& near, bool nearIsToday = false,
                                       SafeWriteOptions options = {});

// "GPS: 31 satellites imported, 0 skipped, 31 healthy".
std::string ImportSummaryLine(const char* system, const ImportSummary& summary);
