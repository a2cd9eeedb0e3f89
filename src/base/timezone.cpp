#include "base/timezone.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

constexpr int64_t kDay = 86400;
// Offsets beyond a day are not of this world; a damaged file is refused rather than believed.
constexpr int kMaxOffset = 26 * 3600;
constexpr size_t kMaxFileBytes = 1 << 20;

int64_t Big(const unsigned char* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    if (bytes == 4)
        return static_cast<int32_t>(static_cast<uint32_t>(v));
    return static_cast<int64_t>(v);
}

// Days from 1970-01-01 to the date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

int64_t YearOf(int64_t utc) {
    int64_t days = utc >= 0 ? utc / kDay : (utc - kDay + 1) / kDay;
    int64_t y = 1970 + days / 366;
    while (DaysFromCivil(y + 1, 1, 1) <= days)
        ++y;
    while (DaysFromCivil(y, 1, 1) > days)
        --y;
    return y;
}

bool IsLeap(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// The rule's date in `year`, as seconds of local time since 1970.
int64_t LocalInstant(const TimeZone::Rule::Date& d, int64_t year) {
    int64_t day = DaysFromCivil(year, 1, 1);
    if (d.kind == 'J')
        day += d.day - 1 + (IsLeap(year) && d.day >= 60 ? 1 : 0);
    else if (d.kind == 'D')
        day += d.day;
    else {
        const int64_t first = DaysFromCivil(year, d.month, 1);
        const int weekday = static_cast<int>(((first + 4) % 7 + 7) % 7); // 1970-01-01 was a Thursday
        int64_t date = first + (d.day - weekday + 7) % 7 + 7 * (d.week - 1);
        const int64_t next =
            d.month == 12 ? DaysFromCivil(year + 1, 1, 1) : DaysFromCivil(year, d.month + 1, 1);
        while (date >= next) // week 5: the last such day of the month
            date -= 7;
        day = date;
    }
    return day * kDay + d.time;
}

class RuleText {
public:
    explicit RuleText(const std::string& t) : t_(t) {}
    bool End() const { return i_ >= t_.size(); }
    bool Take(char c) {
        if (i_ < t_.size() && t_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool Name() {
        if (Take('<')) {
            const size_t close = t_.find('>', i_);
            if (close == std::string::npos || close - i_ < 3)
                return false;
            i_ = close + 1;
            return true;
        }
        const size_t from = i_;
        while (i_ < t_.size() && std::isalpha(static_cast<unsigned char>(t_[i_])))
            ++i_;
        return i_ - from >= 3;
    }
    bool Number(int& v, int max) {
        const size_t from = i_;
        v = 0;
        while (i_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[i_])) && i_ - from < 4)
            v = v * 10 + (t_[i_++] - '0');
        return i_ > from && v <= max;
    }
    // [+-]hh[:mm[:ss]] in seconds; hours up to `maxHours`.
    bool Clock(int& seconds, int maxHours) {
        const int sign = Take('-') ? -1 : (Take('+'), 1);
        int h = 0, m = 0, s = 0;
        if (!Number(h, maxHours))
            return false;
        if (Take(':') && (!Number(m, 59) || (Take(':') && !Number(s, 59))))
            return false;
        seconds = sign * (h * 3600 + m * 60 + s);
        return true;
    }
    bool Date(TimeZone::Rule::Date& d) {
        if (Take('M')) {
            d.kind = 'M';
            if (!Number(d.month, 12) || d.month < 1 || !Take('.') || !Number(d.week, 5) || d.week < 1 ||
                !Take('.') || !Number(d.day, 6))
                return false;
        } else if (Take('J')) {
            d.kind = 'J';
            if (!Number(d.day, 365) || d.day < 1)
                return false;
        } else {
            d.kind = 'D';
            if (!Number(d.day, 365))
                return false;
        }
        return !Take('/') || Clock(d.time, 167);
    }

private:
    const std::string& t_;
    size_t i_ = 0;
};

} // namespace

bool ParseZoneRule(const std::string& text, TimeZone::Rule& rule) {
    RuleText t(text);
    int west = 0;
    rule = {};
    if (!t.Name() || !t.Clock(west, 24))
        return false;
    rule.standard = -west; // POSIX counts west of GMT
    if (t.End())
        return true;
    if (!t.Name())
        return false;
    rule.hasDaylight = true;
    rule.daylight = rule.standard + 3600;
    if (!t.End() && !t.Take(',')) {
        if (!t.Clock(west, 24) || !t.Take(','))
            return false;
        rule.daylight = -west;
    }
    if (t.End()) // no dates given: the United States' rule of POSIX
        rule.start = {'M', 3, 2, 0, 7200}, rule.end = {'M', 11, 1, 0, 7200};
    else if (!t.Date(rule.start) || !t.Take(',') || !t.Date(rule.end))
        return false;
    return t.End();
}

std::optional<TimeZone> TimeZone::Parse(const std::string& bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    TimeZone zone;
    // A version 1 block with 32-bit times, then in version 2 and later the same with 64-bit times
    // and a footer with the rule for times past the last transition.
    size_t at = 0;
    for (int pass = 0; pass < 2; ++pass) {
        if (n < at + 44 || bytes.compare(at, 4, "TZif") != 0)
            return std::nullopt;
        const bool v2 = b[at + 4] >= '2';
        int64_t count[6];
        for (int i = 0; i < 6; ++i)
            count[i] = Big(b + at + 20 + 4 * i, 4);
        const int64_t isut = count[0], isstd = count[1], leap = count[2], timecnt = count[3],
                      typecnt = count[4], charcnt = count[5];
        if (isut < 0 || isstd < 0 || leap < 0 || timecnt < 0 || typecnt < 1 || typecnt > 256 || charcnt < 0 ||
            timecnt > 100000 || leap > 10000 || isut > typecnt || isstd > typecnt || charcnt > 65536)
            return std::nullopt;
        const int width = pass == 0 ? 4 : 8;
        const size_t data = at + 44;
        const size_t size = static_cast<size_t>(timecnt * width + timecnt + typecnt * 6 + charcnt +
                                                leap * (width + 4) + isstd + isut);
        if (n < data + size)
            return std::nullopt;
        if (pass == 0 && v2) { // skip to the 64-bit block
            at = data + size;
            continue;
        }
        const unsigned char* times = b + data;
        const unsigned char* index = times + timecnt * width;
        const unsigned char* types = index + timecnt;
        std::vector<int> typeOffset(static_cast<size_t>(typecnt));
        std::vector<bool> typeDst(static_cast<size_t>(typecnt));
        for (int64_t t = 0; t < typecnt; ++t) {
            typeOffset[static_cast<size_t>(t)] = static_cast<int>(Big(types + 6 * t, 4));
            typeDst[static_cast<size_t>(t)] = types[6 * t + 4] != 0;
            if (std::abs(typeOffset[static_cast<size_t>(t)]) > kMaxOffset)
                return std::nullopt;
        }
        for (int64_t t = 0; t < timecnt; ++t) {
            const int64_t when = Big(times + width * t, width);
            const size_t type = index[t];
            if (type >= typeOffset.size() || (!zone.times_.empty() && when <= zone.times_.back()))
                return std::nullopt;
            zone.times_.push_back(when);
            zone.offsets_.push_back(typeOffset[type]);
        }
        // Before the first transition: the first standard-time type (type 0 by the format's rule).
        zone.initial_ = typeOffset[0];
        if (v2) {
            const size_t footer = data + size;
            const size_t close = bytes.find('\n', footer + 1);
            if (footer >= n || b[footer] != '\n' || close == std::string::npos)
                return std::nullopt;
            const std::string text = bytes.substr(footer + 1, close - footer - 1);
            Rule rule;
            if (!text.empty()) {
                if (!ParseZoneRule(text, rule) || std::abs(rule.standard) > kMaxOffset ||
                    std::abs(rule.daylight) > kMaxOffset)
                    return std::nullopt;
                zone.rule_ = rule;
            }
        }
        return zone;
    }
    return std::nullopt;
}

bool IsZoneName(const std::string& name) {
    return !name.empty() && name.size() <= 64 && std::isalpha(static_cast<unsigned char>(name[0])) &&
           name.find("..") == std::string::npos && std::all_of(name.begin(), name.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '_' || c == '+' ||
                      c == '-';
           });
}

std::optional<TimeZone> TimeZone::Load(const std::string& name) {
    if (!IsZoneName(name))
        return std::nullopt;
    const char* dir = std::getenv("TZDIR");
    const std::string path = std::string(dir && *dir ? dir : "/usr/share/zoneinfo") + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    bytes.resize(kMaxFileBytes + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (bytes.size() > kMaxFileBytes)
        return std::nullopt;
    return Parse(bytes);
}

int64_t CivilSeconds(int year, int month, int day, int seconds) {
    return DaysFromCivil(year, month, day) * kDay + seconds;
}

int TimeZone::OffsetAtLocal(int year, int month, int day, int seconds) const {
    const int64_t local = CivilSeconds(year, month, day, seconds);
    // The offset of the day before when the clock showed this time under it (an hour repeated in
    // autumn counts in the earlier offset), else the one of the day after (a skipped hour of spring
    // does not exist: the earlier offset again).
    const int before = OffsetAt(local - kDay);
    if (OffsetAt(local - before) == before)
        return before;
    const int after = OffsetAt(local + kDay);
    return OffsetAt(local - after) == after ? after : before;
}

int TimeZone::OffsetAt(int64_t utc) const {
    if (!times_.empty() && utc < times_.front())
        return initial_;
    if (!times_.empty() && (utc < times_.back() || !rule_)) {
        const auto next = std::upper_bound(times_.begin(), times_.end(), utc);
        return offsets_[static_cast<size_t>(next - times_.begin() - 1)];
    }
    if (!rule_)
        return initial_;
    const Rule& r = *rule_;
    if (!r.hasDaylight)
        return r.standard;
    const int64_t year = YearOf(utc + r.standard);
    // The start is given in standard local time, the end in daylight time.
    const int64_t start = LocalInstant(r.start, year) - r.standard;
    const int64_t end = LocalInstant(r.end, year) - r.daylight;
    const bool summer = start < end ? utc >= start && utc < end : !(utc >= end && utc < start);
    return summer ? r.daylight : r.standard;
}

std::optional<int64_t> TimeZone::NextChange(int64_t from, int64_t to) const {
    // Offsets change at whole minutes and never twice within a few hours: look each 15 minutes,
    // then narrow to the second.
    const int before = OffsetAt(from);
    for (int64_t t = from; t < to;) {
        const int64_t next = std::min(to, t + 900);
        if (OffsetAt(next) != before) {
            int64_t lo = t, hi = next;
            while (hi - lo > 1) {
                const int64_t mid = lo + (hi - lo) / 2;
                (OffsetAt(mid) == before ? lo : hi) = mid;
            }
            return hi;
        }
        t = next;
    }
    return std::nullopt;
}
