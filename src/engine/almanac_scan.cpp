#include "engine/almanac_scan.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

#include "base/strings.h"
#include "engine/almanac.h"

namespace fs = std::filesystem;

namespace {

// Case-insensitive glob with '*' and '?', as the platform's file search matches names.
bool GlobMatches(const char* pattern, const char* name) {
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starP = pattern++;
            starN = name;
        } else if (*pattern == '?' || (*pattern && std::tolower(static_cast<unsigned char>(*pattern)) ==
                                                       std::tolower(static_cast<unsigned char>(*name)))) {
            ++pattern;
            ++name;
        } else if (starP) {
            pattern = starP + 1;
            name = ++starN;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == 0;
}

bool AllDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Decimal digits as a number, saturated so that long digit strings cannot overflow the key.
int64_t DigitsValue(const std::string& s) {
    int64_t v = 0;
    for (char c : s) {
        v = v * 10 + (c - '0');
        if (v > 999999999)
            return 999999999;
    }
    return v;
}

bool HasCandidateSize(const fs::directory_entry& entry) {
    std::error_code ec;
    const uintmax_t size = entry.file_size(ec);
    return !ec && (size == kFullAlmanacSize || size == kGpsBlockSize || size == kGlonassBlockSize);
}

} // namespace

ASortedList<AString>& AlmanacNameList() {
    static ASortedList<AString> list;
    return list;
}

int64_t AlmanacNameKey(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return -1;
    const std::string base = name.substr(0, dot);
    const std::string extension = name.substr(dot + 1);
    if (base.size() <= 3 || !AllDigits(base.substr(3)) || !AllDigits(extension))
        return -1;
    int64_t year = DigitsValue(base.substr(3));
    year += year <= 80 ? 2000 : 1900;
    // Days before 1 January of `year` by the four-year rule, then the day of year (which may run
    // on into the next year).
    return 365 * (year - 1) + (year - 1) / 4 + DigitsValue(extension);
}

std::optional<CalendarTime> AlmanacNameDate(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (AlmanacNameKey(name) < 0)
        return std::nullopt;
    int year = static_cast<int>(DigitsValue(name.substr(3, dot - 3)));
    const int day = static_cast<int>(DigitsValue(name.substr(dot + 1)));
    if (year > 99 || day < 1 || day > 366)
        return std::nullopt;
    year += year <= 80 ? 2000 : 1900;
    if (day == 366 && !IsLeapYear(year, LeapRule::FourYear))
        return std::nullopt;
    return CalendarFromDayOfYear(0, 0, 0, day, year);
}

int ScanAlmanacDirectory(const std::string& directory, ASortedList<AString>& list) {
    list.Clear();
    std::string pattern = LoadResString(IDS_ALMANAC_PATTERN);
    if (pattern.empty())
        pattern = "alm*.*";
    struct Candidate {
        std::string name;
        int64_t key;
    };
    std::vector<Candidate> found;
    try {
        std::vector<std::string> names;
        std::error_code ec;
        const fs::path dir = directory.empty() ? fs::path(".") : fs::path(directory);
        fs::directory_iterator it(dir, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            const fs::directory_entry& entry = *it;
            std::string name = entry.path().filename().string();
            if (name.empty() || name[0] == '.' || !GlobMatches(pattern.c_str(), name.c_str()))
                continue;
            std::error_code dirEc;
            if (entry.is_directory(dirEc) || !HasCandidateSize(entry))
                continue;
            names.push_back(std::move(name));
        }
        // The system hands entries over in no particular order; name order makes "found first"
        // the same on every run.
        std::sort(names.begin(), names.end());
        for (std::string& name : names) {
            const int64_t key = AlmanacNameKey(name);
            if (key < 0)
                continue;
            // Before the first entry with a strictly smaller key: equal keys keep the found order.
            auto at =
                std::find_if(found.begin(), found.end(), [key](const Candidate& c) { return c.key < key; });
            found.insert(at, Candidate{std::move(name), key});
        }
    } catch (const std::bad_alloc&) {
        found.clear();
    }
    // The list keeps the date order built here, not its own ordered insertion.
    for (const Candidate& c : found)
        list.AList<AString>::Add(AString(c.name.c_str()));
    return list.Count() > 0 ? 1 : 0;
}

int ScanAlmanacDirectory(const std::string& directory) {
    return ScanAlmanacDirectory(directory, AlmanacNameList());
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string AlmanacPath(const std::string& directory, const std::string& name) {
    if (directory.empty() || directory.back() == '/')
        return directory + name;
    return directory + "/" + name;
}
