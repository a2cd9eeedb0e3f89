#include "sites/positionlist.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>

#include "base/text.h"

namespace {

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
            if (fields.size() < 3 || fields.size() > 5) {
                result.problem = PositionProblem::FieldCount;
                break;
            }
            const std::string name = ToUtf8(Trimmed(fields[0]));
            // A control character (a NUL above all) would cut or garble the stored name.
            const bool control = std::any_of(name.begin(), name.end(),
                                             [](char ch) { return static_cast<unsigned char>(ch) < 0x20; });
            if (name.empty() || control)
                result.problem = PositionProblem::Name;
            else if (!Number(fields[1], -90, 90, lat))
                result.problem = PositionProblem::Latitude;
            else if (!Number(fields[2], -180, 180, lon))
                result.problem = PositionProblem::Longitude;
            else if (fields.size() > 3 && !Number(fields[3], -10000, 10000, alt))
                result.problem = PositionProblem::Altitude;
            else if (fields.size() > 4 && !Number(fields[4], -12, 14, offset))
                result.problem = PositionProblem::GmtOffset;
            else if (sites.size() >= static_cast<size_t>(kMaxPositions))
                result.problem = PositionProblem::TooMany;
            if (result.problem != PositionProblem::None)
                break;
            sites.emplace_back(lat, lon, alt, name.c_str(), "", static_cast<float>(offset));
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
