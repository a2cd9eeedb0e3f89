#include "config/fetchsources.h"

#include <array>
#include <sstream>

#include "base/strings.h"
#include "base/text.h"

namespace {

struct Known {
    const char* id;
    int systems; // bit per GnssSystem
};
constexpr int kAll = (1 << kGnssSystems) - 1;
constexpr std::array<Known, 6> kKnown{{{"gps-yuma", 1 << 0},
                                       {"gps-sem", 1 << 0},
                                       {"glonass-iac", 1 << 1},
                                       {"galileo-xml", 1 << 2},
                                       {"qzss-yuma", 1 << 4},
                                       {"brdc", kAll}}};

const Known* Find(const std::string& id) {
    for (const Known& k : kKnown)
        if (id == k.id)
            return &k;
    return nullptr;
}

} // namespace

bool KnownFetchId(const std::string& id) {
    return Find(id) != nullptr;
}

bool FetchIdServes(const std::string& id, GnssSystem system) {
    const Known* k = Find(id);
    return k && (k->systems & (1 << static_cast<int>(system)));
}

bool FetchIdServesAny(const std::string& id, const std::array<bool, kGnssSystems>& systems) {
    for (int s = 0; s < kGnssSystems; ++s)
        if (systems[static_cast<size_t>(s)] && FetchIdServes(id, static_cast<GnssSystem>(s)))
            return true;
    return false;
}

FetchSourceList ParseFetchSources(const std::string& text, const std::string& name) {
    FetchSourceList out;
    size_t start = 0;
    for (int line = 1; start <= text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string s = text.substr(start, end - start);
        start = end + 1;
        if (const size_t hash = s.find('#'); hash != std::string::npos)
            s.erase(hash);
        std::istringstream words(s);
        std::string id, url, extra;
        words >> id >> url >> extra;
        if (id.empty())
            continue; // blank or comment
        int problem = 0;
        if (!KnownFetchId(id))
            problem = IDS_FETCH_SOURCES_ID;
        else if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0)
            problem = IDS_FETCH_SOURCES_URL;
        else if (!extra.empty())
            problem = IDS_FETCH_SOURCES_EXTRA;
        if (problem)
            out.errors.push_back(
                FormatText(ResString(IDS_FETCH_SOURCES_LINE).c_str(), name.c_str(), line,
                           FormatText(ResString(problem).c_str(), Printable(id).c_str()).c_str()));
        else
            out.sources.push_back({id, url, line});
        if (end == text.size())
            break;
    }
    return out;
}

bool TemplateHasDate(const std::string& url) {
    for (const char* p : {"{YYYY}", "{YY}", "{DDD}", "{MM}", "{DD}", "{DATE}"})
        if (url.find(p) != std::string::npos)
            return true;
    return false;
}

std::string ExpandUrl(const std::string& url, const CalendarTime& date) {
    const int year = date.year + 1900;
    const std::pair<const char*, std::string> fields[] = {
        {"{YYYY}", FormatText("%04d", year)},
        {"{YY}", FormatText("%02d", year % 100)},
        {"{DDD}", FormatText("%03d", date.dayOfYear)},
        {"{MM}", FormatText("%02d", date.month + 1)},
        {"{DD}", FormatText("%02d", date.day)},
        {"{DATE}", FormatText("%04d-%02d-%02d", year, date.month + 1, date.day)},
    };
    std::string out = url;
    for (const auto& [key, value] : fields)
        for (size_t at = out.find(key); at != std::string::npos; at = out.find(key, at + value.size()))
            out.replace(at, std::string(key).size(), value);
    return out;
}

std::string FetchedFileName(const std::string& url) {
    std::string name = url.substr(url.find_last_of('/') + 1);
    if (const size_t q = name.find_first_of("?#"); q != std::string::npos)
        name.erase(q);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0)
        name.erase(name.size() - 3);
    return name;
}
