// Where published orbits are fetched from: a plain text file of one source a line, "ID URL-TEMPLATE",
// '#' starting a comment. Several lines of one ID are tried in order; a template without a date in
// it names the current file and serves only dates from yesterday on.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/calendar.h"
#include "engine/satellitecatalogue.h"

struct FetchSource {
    std::string id;  // gps-yuma, gps-sem, glonass-iac, galileo-xml, qzss-yuma, brdc
    std::string url; // the template
    int line = 0;
};

struct FetchSourceList {
    std::vector<FetchSource> sources;
    std::vector<std::string> errors; // lines that could not be read, each naming its line
};

// `name` is for the messages.
FetchSourceList ParseFetchSources(const std::string& text, const std::string& name);
// Whether the id is one the fetch knows.
bool KnownFetchId(const std::string& id);
// The systems a source's files hold: GPS for gps-yuma, every system for brdc, ...
bool FetchIdServes(const std::string& id, GnssSystem system);
// Whether the source holds any of the systems asked for.
bool FetchIdServesAny(const std::string& id, const std::array<bool, kGnssSystems>& systems);
// Whether the template names a day ({YYYY}, {DDD}, {DATE}, ...).
bool TemplateHasDate(const std::string& url);
// The template with the date's placeholders filled: {YYYY} {YY} {DDD} {MM} {DD} {DATE} (YYYY-MM-DD).
std::string ExpandUrl(const std::string& url, const CalendarTime& date);
// The file name a download is kept under: the last part of the address, without a ".gz".
std::string FetchedFileName(const std::string& url);
