#include "sites/siteexchange.h"

#include <charconv>
#include <cmath>

#include "base/json.h"
#include "base/strings.h"
#include "base/text.h"
#include "sites/positionlist.h"

namespace {

// Fixed notation, as the positions reader takes it, and the shortest that reads back exactly.
std::string CsvNumber(double value) {
    char digits[400];
    const auto r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    return r.ec == std::errc() ? std::string(digits, r.ptr) : "";
}

// The offset as the float the list holds: its shortest text reads back into the same float.
std::string OffsetText(float offset) {
    char digits[64];
    const auto r = std::to_chars(digits, digits + sizeof digits, offset, std::chars_format::fixed);
    return std::string(digits, r.ptr);
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"") == std::string::npos &&
        (text.empty() || (text.front() != ' ' && text.back() != ' ')))
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

std::string JsonOutlines(const SiteInfo& site) {
    std::string out = "[";
    for (const Obstruction& o : site.obstructions) {
        out += out.size() > 1 ? ", [" : "[";
        bool first = true;
        for (const point<double>& v : o.Vertices()) {
            out += (first ? "[" : ", [") + JsonNumber(v.y) + ", " + JsonNumber(v.x) + "]";
            first = false;
        }
        out += "]";
    }
    return out + "]";
}

std::string CsvOutlines(const SiteInfo& site) {
    std::string out;
    for (const Obstruction& o : site.obstructions) {
        out += out.empty() ? "" : " | ";
        bool first = true;
        for (const point<double>& v : o.Vertices()) {
            out += (first ? "" : "; ") + CsvNumber(v.y) + " " + CsvNumber(v.x);
            first = false;
        }
    }
    return out;
}

class SiteReader {
public:
    SiteReader(const std::string& source, std::string& error) : source_(source), error_(error) {}

    bool Site(const JsonValue& record, const JsonValue* coordinates, int position, SiteInfo& site) {
        position_ = position;
        const JsonValue* name = String(record, "name");
        const JsonValue* description = record.Find("description");
        if (!name || (description && description->kind != JsonValue::Kind::String))
            return Fault(name ? "description" : "name");
        double lat = 0, lon = 0, alt = 0;
        if (coordinates) { // GeoJSON: longitude, latitude[, altitude]
            const auto& c = coordinates->items;
            if (coordinates->kind != JsonValue::Kind::Array || c.size() < 2 || c.size() > 3 ||
                !IsNumber(c[0]) || !IsNumber(c[1]) || (c.size() == 3 && !IsNumber(c[2])))
                return Fault("coordinates");
            lon = c[0].number, lat = c[1].number, alt = c.size() == 3 ? c[2].number : 0;
        } else if (!Number(record, "latitude", lat) || !Number(record, "longitude", lon) ||
                   !Number(record, "altitude", alt, true)) {
            return false;
        }
        float offset = 0;
        if (const JsonValue* v = record.Find("gmtOffset")) {
            if (!IsNumber(*v))
                return Fault("gmtOffset");
            // the float the list holds, read from the digits as written
            std::from_chars(v->text.data(), v->text.data() + v->text.size(), offset);
        }
        site = SiteInfo(lat, lon, alt, "", "", offset);
        site.SetName(name->text.c_str());
        site.SetDescription(description ? description->text.c_str() : "");
        if (const JsonValue* outlines = record.Find("obstructions"); outlines && !Outlines(*outlines, site))
            return Fault("obstructions");
        if (const std::string fault = site.ValueFault(); !fault.empty()) {
            error_ =
                FormatText(LoadResString(IDS_SITES_JSON_VALUES), source_.c_str(), position_, fault.c_str());
            return false;
        }
        return true;
    }

    bool Fault(int position, const char* field) {
        position_ = position;
        return Fault(field);
    }

private:
    bool Fault(const char* field) {
        error_ = FormatText(LoadResString(IDS_SITES_JSON_FIELD), source_.c_str(), position_, field);
        return false;
    }

    static bool IsNumber(const JsonValue& v) { return v.kind == JsonValue::Kind::Number; }

    static const JsonValue* String(const JsonValue& record, const char* key) {
        const JsonValue* v = record.Find(key);
        return v && v->kind == JsonValue::Kind::String ? v : nullptr;
    }

    bool Number(const JsonValue& record, const char* key, double& value, bool optional = false) {
        const JsonValue* v = record.Find(key);
        if (!v && optional)
            return true;
        if (!v || !IsNumber(*v))
            return Fault(key);
        value = v->number;
        return true;
    }

    // [[[azimuth, elevation], ...], ...]
    static bool Outlines(const JsonValue& outlines, SiteInfo& site) {
        if (outlines.kind != JsonValue::Kind::Array || outlines.items.size() > kMaxOutlineCorners)
            return false;
        for (const JsonValue& outline : outlines.items) {
            if (outline.kind != JsonValue::Kind::Array || outline.items.size() > kMaxOutlineCorners)
                return false;
            Obstruction o;
            for (const JsonValue& corner : outline.items) {
                if (corner.kind != JsonValue::Kind::Array || corner.items.size() != 2 ||
                    !IsNumber(corner.items[0]) || !IsNumber(corner.items[1]))
                    return false;
                o.Add(point<double>(corner.items[1].number, corner.items[0].number));
            }
            if (!site.obstructions.Add(o))
                return false;
        }
        return true;
    }

    const std::string& source_;
    std::string& error_;
    int position_ = 0;
};

} // namespace

std::string WriteSitesText(const project& list, SiteTextFormat format) {
    std::string out;
    int i = 0;
    switch (format) {
    case SiteTextFormat::Json:
        out = "{\"current\": " + std::to_string(list.currentIndex + 1) + ", \"sites\": [";
        for (const SiteInfo& s : list.sites)
            out +=
                std::string(i++ ? "," : "") + "\n  {\"name\": " + JsonString(s.name) +
                ", \"description\": " + JsonString(s.description) +
                ", \"latitude\": " + JsonNumber(s.latitude) + ", \"longitude\": " + JsonNumber(s.longitude) +
                ", \"altitude\": " + JsonNumber(s.altitude) + ", \"gmtOffset\": " + OffsetText(s.gmtOffset) +
                ", \"obstructions\": " + JsonOutlines(s) + "}";
        return out + "\n]}\n";
    case SiteTextFormat::Csv:
        out = "name,latitude,longitude,altitude,gmt_offset,description,obstructions\n";
        for (const SiteInfo& s : list.sites)
            out += CsvField(s.name) + ',' + CsvNumber(s.latitude) + ',' + CsvNumber(s.longitude) + ',' +
                   CsvNumber(s.altitude) + ',' + OffsetText(s.gmtOffset) + ',' + CsvField(s.description) +
                   ',' + CsvOutlines(s) + '\n';
        return out;
    case SiteTextFormat::GeoJson:
        out = "{\"type\": \"FeatureCollection\", \"features\": [";
        for (const SiteInfo& s : list.sites) {
            const bool current = i++ == list.currentIndex;
            out += std::string(i > 1 ? "," : "") +
                   "\n  {\"type\": \"Feature\", \"geometry\": {\"type\": \"Point\", \"coordinates\": [" +
                   JsonNumber(s.longitude) + ", " + JsonNumber(s.latitude) + ", " + JsonNumber(s.altitude) +
                   "]}, \"properties\": {\"name\": " + JsonString(s.name) +
                   ", \"description\": " + JsonString(s.description) +
                   ", \"gmtOffset\": " + OffsetText(s.gmtOffset) +
                   ", \"current\": " + (current ? "true" : "false") +
                   ", \"obstructions\": " + JsonOutlines(s) + "}}";
        }
        return out + "\n]}\n";
    }
    return out;
}

bool ReadSitesJson(const std::string& text, const std::string& source, std::vector<SiteInfo>& sites,
                   int& current, std::string& error) {
    sites.clear();
    current = 0;
    int line = 0;
    const std::optional<JsonValue> root = ParseJson(text, line);
    if (!root) {
        error = FormatText(LoadResString(IDS_SITES_NOT_JSON), source.c_str(), line);
        return false;
    }
    const JsonValue* list = root->Find("sites");
    const bool geo = !list && root->Find("features");
    if (geo)
        list = root->Find("features");
    if (!list || list->kind != JsonValue::Kind::Array || list->items.empty()) {
        error = FormatText(LoadResString(IDS_SITES_JSON_NO_SITES), source.c_str());
        return false;
    }
    if (list->items.size() > static_cast<size_t>(kMaxPositions)) {
        error = FormatText(LoadResString(IDS_SITES_TOO_MANY), source.c_str(), kMaxPositions);
        return false;
    }
    if (const JsonValue* c = root->Find("current"); c && c->kind == JsonValue::Kind::Number &&
                                                    c->number >= 1 &&
                                                    c->number <= static_cast<double>(list->items.size()))
        current = static_cast<int>(c->number) - 1;
    SiteReader reader(source, error);
    int position = 0;
    for (const JsonValue& item : list->items) {
        ++position;
        const JsonValue* record = geo ? item.Find("properties") : &item;
        const JsonValue* geometry = geo ? item.Find("geometry") : nullptr;
        const JsonValue* coordinates = geometry ? geometry->Find("coordinates") : nullptr;
        SiteInfo site;
        if (!record || (geo && !coordinates)) {
            reader.Fault(position, record ? "coordinates" : "properties");
            sites.clear();
            return false;
        }
        if (!reader.Site(*record, coordinates, position, site)) {
            sites.clear();
            return false;
        }
        if (const JsonValue* c = record->Find("current"); geo && c && c->boolean)
            current = position - 1;
        sites.push_back(site);
    }
    return true;
}
