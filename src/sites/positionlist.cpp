#include "sites/positionlist.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>

#include "base/text.h"
#include "base/timezone.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t at = 0;
    for (size_t next; (next = text.find(separator, at)) != std::string::npos; at = next + 1)
        parts.push_back(text.substr(at, next - at));
    parts.push_back(text.substr(at));
    return parts;
}

std::string Trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// Splits one CSV line; false for an unterminated quote.
bool SplitFields(const std::string& line, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    size_t i = 0;
    for (;;) {
        field.clear();
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i < line.size() && line[i] == '"') {
            for (++i;; ++i) {
                if (i >= line.size())
                    return false;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i];
            }
            // text after the closing quote up to the separator belongs to the field
            while (i < line.size() && line[i] != ',')
                field += line[i++];
            fields.push_back(field);
        } else {
            const size_t comma = line.find(',', i);
            fields.push_back(
                Trimmed(line.substr(i, comma == std::string::npos ? std::string::npos : comma - i)));
            i = comma == std::string::npos ? line.size() : comma;
        }
        if (i >= line.size())
            return true;
        ++i; // the comma
    }
}

// The whole field must be the number; no locale, no hexadecimal, no infinities.
bool Number(const std::string& text, double low, double high, double& value) {
    const std::string t = Trimmed(text);
    if (t.empty() || (t[0] == '+' && (t.size() == 1 || t[1] == '-' || t[1] == '+')))
        return false;
    const char* begin = t.c_str() + (t[0] == '+' ? 1 : 0);
    const char* end = t.c_str() + t.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::fixed);
    return ec == std::errc() && ptr == end && std::isfinite(value) && value >= low && value <= high;
}

// A control character (a NUL above all) would cut or garble a stored text.
bool HasControl(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char ch) { return static_cast<unsigned char>(ch) < 0x20; });
}

// "az el; az el; ... | az el; ...": outlines of at least three corners.
bool ParseOutlines(const std::string& text, std::vector<Obstruction>& outlines) {
    for (const std::string& outline : Split(text, '|')) {
        if (Trimmed(outline).empty())
            continue;
        Obstruction o;
        for (const std::string& corner : Split(outline, ';')) {
            const std::string c = Trimmed(corner);
            const size_t blank = c.find_first_of(" \t");
            double az = 0, el = 0;
            if (blank == std::string::npos || !Number(c.substr(0, blank), -360, 360, az) ||
                !Number(c.substr(blank), -90, 90, el) || o.Count() >= kMaxOutlineCorners)
                return false;
            o.Add(point<double>(el, az));
        }
        if (o.Count() < 3 || outlines.size() >= static_cast<size_t>(kMaxOutlineCorners))
            return false;
        outlines.push_back(o);
    }
    return true;
}

} // namespace

PositionListResult ParsePositionList(const std::string& text, std::vector<SiteInfo>& sites) {
    PositionListResult result;
    sites.clear();
    std::vector<std::string> fields;
    int lineNumber = 0;
    bool firstContentLine = true;
    try {
        for (size_t at = 0; at <= text.size();) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(at, end - at);
            at = end + 1;
            ++lineNumber;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (lineNumber == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
                line.erase(0, 3); // a byte-order mark from a spreadsheet
            const std::string content = Trimmed(line);
            if (content.empty() || content[0] == '#')
                continue;
            const bool heading = firstContentLine;
            firstContentLine = false;

            result.line = lineNumber;
            if (!SplitFields(line, fields)) {
                result.problem = PositionProblem::Name;
                break;
            }
            double lat = 0, lon = 0, alt = 0, offset = 0;
            if (heading && fields.size() >= 2 && !Number(fields[1], -1e300, 1e300, lat))
                continue;
            if (fields.size() < 3 || fields.size() > 7) {
                result.problem = PositionProblem::FieldCount;
                break;
            }
            const std::string name = ToUtf8(Trimmed(fields[0]));
            const std::string description = fields.size() > 5 ? ToUtf8(Trimmed(fields[5])) : "";
            const std::string zone = fields.size() > 4 ? Trimmed(fields[4]) : "";
            const bool zoneNamed = !zone.empty() && !Number(zone, -1e300, 1e300, offset);
            std::vector<Obstruction> outlines;
            if (name.empty() || HasControl(name))
                result.problem = PositionProblem::Name;
            else if (!Number(fields[1], -90, 90, lat))
                result.problem = PositionProblem::Latitude;
            else if (!Number(fields[2], -180, 180, lon))
                result.problem = PositionProblem::Longitude;
            else if (fields.size() > 3 && !Number(fields[3], -10000, 10000, alt))
                result.problem = PositionProblem::Altitude;
            else if (zoneNamed ? !IsZoneName(zone) : !zone.empty() && !Number(zone, -12, 14, offset))
                result.problem = PositionProblem::GmtOffset;
            else if (HasControl(description))
                result.problem = PositionProblem::Description;
            else if (fields.size() > 6 && !ParseOutlines(fields[6], outlines))
                result.problem = PositionProblem::Obstructions;
            else if (sites.size() >= static_cast<size_t>(kMaxPositions))
                result.problem = PositionProblem::TooMany;
            if (result.problem != PositionProblem::None)
                break;
            SiteInfo& site = sites.emplace_back(lat, lon, alt, name.c_str(), description.c_str(),
                                                static_cast<float>(zoneNamed ? 0 : offset));
            if (zoneNamed)
                site.timeZone = zone;
            for (const Obstruction& o : outlines)
                site.obstructions.Add(o);
        }
    } catch (const std::bad_alloc&) {
        result.problem = PositionProblem::TooMany;
    }
    if (result.problem == PositionProblem::None && sites.empty()) {
        result.problem = PositionProblem::NoPosition;
        result.line = 0;
    }
    if (result.problem != PositionProblem::None)
        sites.clear();
    else
        result.line = 0;
    return result;
}
