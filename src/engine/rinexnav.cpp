#include "engine/rinexnav.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <numeric>
#include <optional>
#include <string_view>
#include <utility>

#include "base/strings.h"
#include "engine/broadcastorbit.h"
#include "engine/navconsistency.h"

namespace {

struct Line {
    int number = 0; // 1-based
    std::string_view text;
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    size_t start = 0;
    int number = 1;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back({number++, std::string_view(text).substr(start, end - start)});
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string_view Column(std::string_view line, size_t first, size_t width) {
    if (first >= line.size())
        return {};
    return line.substr(first, width);
}

bool IsBlank(std::string_view s) {
    return Trim(s).empty();
}

// A header line's label, columns 61-80.
std::string_view Label(std::string_view line) {
    return Trim(Column(line, 60, 20));
}

bool ParseInt(std::string_view s, int& value) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty())
        return false;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && ptr == s.data() + s.size();
}

enum class Field { Ok, Blank, Bad };

// A Fortran-written number (D or E exponent).
Field ParseField(std::string_view s, double& value) {
    s = Trim(s);
    if (s.empty())
        return Field::Blank;
    char buffer[40];
    if (s.size() >= sizeof buffer)
        return Field::Bad;
    size_t n = 0;
    for (char ch : s) {
        if (ch == 'D' || ch == 'd')
            ch = 'E';
        buffer[n++] = ch;
    }
    const char* first = buffer;
    if (*first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, buffer + n, value);
    return ec == std::errc() && ptr == buffer + n && std::isfinite(value) ? Field::Ok : Field::Bad;
}

bool IsBeiDouGeo(int prn) {
    return prn <= 5 || prn >= 59;
}

// Where a message's record keeps what differs between the Keplerian messages; the fields of lines
// 1-5 are the same in all of them.
struct Layout {
    NavMessage message;
    int lines;       // the whole record, its first line included
    int needed;      // the lines read, through the health
    int healthLine;  // the health is that line's second field
    bool rates;      // Adot opens line 1, the rate of delta n is line 5's second field
    bool toeAtEpoch; // line 3 opens with the prediction time instead; toe is the record's epoch
    bool tagged;     // the message is named; else told from the record (Galileo, BeiDou)
};

constexpr Layout kLegacy{NavMessage::Lnav, 8, 7, 6, false, false, false}; // RINEX 2 and 3
constexpr Layout kFdma{NavMessage::Fdma, 4, 4, 1, false, false, true};
constexpr Layout kLnav{NavMessage::Lnav, 8, 7, 6, false, false, true};
constexpr Layout kInav{NavMessage::Inav, 8, 7, 6, false, false, true};
constexpr Layout kFnav{NavMessage::Fnav, 8, 7, 6, false, false, true};
constexpr Layout kD1{NavMessage::D1, 8, 7, 6, false, false, true};
constexpr Layout kD2{NavMessage::D2, 8, 7, 6, false, false, true};
constexpr Layout kCnav{NavMessage::Cnav, 9, 7, 6, true, true, true};
constexpr Layout kCnav2{NavMessage::Cnv2, 10, 7, 6, true, true, true};
constexpr Layout kBeiDouCnv1{NavMessage::Cnv1, 10, 9, 8, true, false, true};
constexpr Layout kBeiDouCnv2{NavMessage::Cnv2, 10, 9, 8, true, false, true};
constexpr Layout kBeiDouCnv3{NavMessage::Cnv3, 9, 8, 7, true, false, true};

// The layout of a system's record of the message RINEX 4 names (`tag`); RINEX 2 and 3 name none
// and hold the legacy messages only. nullptr for a message the orbits here are not written for.
const Layout* LayoutOf(GnssSystem system, std::string_view tag) {
    if (tag.empty())
        return system == GnssSystem::Glonass ? &kFdma : &kLegacy;
    switch (system) {
    case GnssSystem::Gps:
    case GnssSystem::Qzss:
        return tag == "LNAV" ? &kLnav : tag == "CNAV" ? &kCnav : tag == "CNV2" ? &kCnav2 : nullptr;
    case GnssSystem::Glonass:
        return tag == "FDMA" ? &kFdma : nullptr;
    case GnssSystem::Galileo:
        return tag == "INAV" ? &kInav : tag == "FNAV" ? &kFnav : nullptr;
    case GnssSystem::BeiDou:
        return tag == "D1"     ? &kD1
               : tag == "D2"   ? &kD2
               : tag == "CNV1" ? &kBeiDouCnv1
               : tag == "CNV2" ? &kBeiDouCnv2
               : tag == "CNV3" ? &kBeiDouCnv3
                               : nullptr;
    case GnssSystem::NavIc:
        return tag == "LNAV" ? &kLnav : nullptr;
    }
    return nullptr;
}

class Reader {
public:
    Reader(NavigationFile& out) : out_(out) {}
    void Run(const std::string& text);

private:
    struct Record {
        const Line* lines = nullptr;
        int count = 0;
        std::string_view tag; // RINEX 4: the message named on the "> EPH" line
    };

    bool ReadHeader(const std::vector<Line>& lines, size_t& next);
    void ReadLeapSeconds(const Line& line);
    void ReadRecords2(const std::vector<Line>& lines, size_t next);
    void ReadRecords3(const std::vector<Line>& lines, size_t next);
    void ReadRecord(const Record& record);
    bool ReadKepler(const Record& r, SatelliteId id, double toc, const Layout& layout);
    bool ReadGlonass(const Record& r, SatelliteId id, double toc);
    // Data field `field` of the record's line `k` (line 0: the three after the epoch).
    bool Get(const Record& r, int k, int field, double& value, bool required, SatelliteId id);
    bool ReadEpoch(const Record& r, double& seconds);

    void FixSemicircles();
    void LeaveOutInconsistent();
    void Skip(int line, const std::string& reason);
    void Warn(std::string text);
    // A record the planner does not use, of the kind named (STO, ION, SBAS...).
    void NotUsed(std::string_view kind);
    void Refuse(int id) { out_.errors.push_back(FormatText(LoadResString(id), out_.name.c_str())); }

    // Where each kept record was written: its epoch as written (the system's own time) and line.
    struct Origin {
        double epoch = 0;
        int line = 0;
    };

    NavigationFile& out_;
    char fileType_ = 'N';
    int suppressed_ = 0;
    std::vector<std::pair<std::string, int>> notUsed_; // per kind, in the order first met
    std::vector<Origin> keplerOrigins_, glonassOrigins_;
};

void Reader::NotUsed(std::string_view kind) {
    ++out_.ignored;
    kind = kind.substr(0, 8); // a name, not a line of the file
    for (auto& [name, count] : notUsed_)
        if (name == kind) {
            ++count;
            return;
        }
    notUsed_.emplace_back(std::string(kind), 1);
}

void Reader::Warn(std::string text) {
    if (static_cast<int>(out_.warnings.size()) < kMaxNavigationWarnings)
        out_.warnings.push_back(std::move(text));
    else
        ++suppressed_;
}

void Reader::Skip(int line, const std::string& reason) {
    ++out_.skipped;
    Warn(FormatText(LoadResString(IDS_RINEX_SKIPPED), out_.name.c_str(), line, reason.c_str()));
}

void Reader::Run(const std::string& text) {
    const std::vector<Line> lines = SplitLines(text);
    size_t next = 0;
    if (!ReadHeader(lines, next))
        return;
    if (out_.majorVersion == 2)
        ReadRecords2(lines, next);
    else
        ReadRecords3(lines, next);
    FixSemicircles();
    LeaveOutInconsistent();
    if (suppressed_ > 0)
        out_.warnings.push_back(
            FormatText(LoadResString(IDS_RINEX_MORE_SKIPPED), out_.name.c_str(), suppressed_));
    if (!notUsed_.empty()) {
        std::string kinds;
        for (const auto& [name, count] : notUsed_)
            kinds += (kinds.empty() ? "" : ", ") + std::to_string(count) + " " + name;
        out_.warnings.push_back(
            FormatText(LoadResString(IDS_RINEX_NOT_USED), out_.name.c_str(), kinds.c_str()));
    }
    if (out_.kepler.empty() && out_.glonass.empty()) {
        Refuse(IDS_RINEX_NO_RECORD);
        return;
    }
    out_.ok = true;
}

// Some writers give a system's angles and their rates in semicircles, as the satellites send them,
// where RINEX has radians. Inclined orbits tell: every navigation satellite's inclination is above
// 0.5 rad (QZSS 41 deg, the others 55-56 deg) and below 0.5 semicircles. The harmonic corrections are
// sent in radians and stay as they are. NavIC's inclined orbits (27-31 deg) straddle 0.5 rad and
// cannot tell; its records are taken as RINEX has them.
void Reader::FixSemicircles() {
    constexpr double kPi = 3.14159265358979323846;
    for (int s = 0; s < kGnssSystems; ++s) {
        const auto system = static_cast<GnssSystem>(s);
        if (system == GnssSystem::NavIc)
            continue;
        int inclined = 0, small = 0;
        for (const KeplerEphemeris& e : out_.kepler)
            if (e.satellite.system == system && std::fabs(e.i0) > 0.15) { // GEOs fly at a few degrees
                ++inclined;
                small += std::fabs(e.i0) < 0.5;
            }
        if (inclined == 0 || small != inclined)
            continue;
        for (KeplerEphemeris& e : out_.kepler)
            if (e.satellite.system == system) {
                for (double* angle : {&e.i0, &e.omega0, &e.omega, &e.m0, &e.deltaN, &e.omegaDot, &e.iDot})
                    *angle *= kPi;
            }
        out_.warnings.push_back(
            FormatText(LoadResString(IDS_RINEX_SEMICIRCLES), out_.name.c_str(), SystemName(system)));
    }
}

// Records at odds with the same satellite's other records (navconsistency.h) are left out, each
// named with its line, satellite, epoch and distance.
void Reader::LeaveOutInconsistent() {
    struct Item {
        double t;     // reference time, GPS count
        bool glonass; // which list `k` indexes
        size_t k;
    };
    std::vector<std::vector<Item>> bySatellite(SatelliteCatalogue::kSize);
    for (size_t k = 0; k < out_.kepler.size(); ++k)
        bySatellite[SatelliteCatalogue::Index(out_.kepler[k].satellite)].push_back(
            {out_.kepler[k].toeGps, false, k});
    for (size_t k = 0; k < out_.glonass.size(); ++k)
        bySatellite[SatelliteCatalogue::Index(out_.glonass[k].satellite)].push_back(
            {out_.glonass[k].tbGps, true, k});
    auto position = [this](const Item& item, double t, double xyz[3]) {
        if (item.glonass)
            return GlonassPosition(out_.glonass[item.k], t, xyz);
        KeplerPosition(out_.kepler[item.k], t, xyz);
        return true;
    };
    std::vector<bool> dropKepler(out_.kepler.size()), dropGlonass(out_.glonass.size());
    for (std::vector<Item>& items : bySatellite) {
        const size_t n = items.size();
        if (n < 2)
            continue;
        std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.t < b.t; });
        const std::vector<double> times = [&] {
            std::vector<double> t;
            for (const Item& item : items)
                t.push_back(item.t);
            return t;
        }();
        for (const RecordAtOdds& odd : RecordsAtOdds(
                 times, [&](size_t i, double t, double xyz[3]) { return position(items[i], t, xyz); })) {
            const Item& item = items[odd.index];
            (item.glonass ? dropGlonass : dropKepler)[item.k] = true;
            const Origin& origin = (item.glonass ? glonassOrigins_ : keplerOrigins_)[item.k];
            const SatelliteId id =
                item.glonass ? out_.glonass[item.k].satellite : out_.kepler[item.k].satellite;
            const CalendarTime at = CalendarOfScaleSeconds(origin.epoch);
            const std::string epoch = FormatText("%04d-%02d-%02d %02d:%02d:%02d", at.year + 1900,
                                                 at.month + 1, at.day, at.hour, at.minute, at.second);
            Skip(origin.line, FormatText(LoadResString(IDS_RINEX_INCONSISTENT), SatelliteCode(id).c_str(),
                                         epoch.c_str(), odd.distance / 1000.0));
        }
    }
    auto keep = [](auto& list, const std::vector<bool>& drop) {
        size_t kept = 0;
        for (size_t k = 0; k < list.size(); ++k)
            if (!drop[k])
                list[kept++] = std::move(list[k]);
        list.resize(kept);
    };
    keep(out_.kepler, dropKepler);
    keep(out_.glonass, dropGlonass);
}

bool Reader::ReadHeader(const std::vector<Line>& lines, size_t& next) {
    if (lines.empty() || Label(lines[0].text) != "RINEX VERSION / TYPE") {
        Refuse(IDS_RINEX_NOT_NAVIGATION);
        return false;
    }
    const std::string_view first = lines[0].text;
    double version = 0;
    if (ParseField(Column(first, 0, 9), version) != Field::Ok) {
        Refuse(IDS_RINEX_NOT_NAVIGATION);
        return false;
    }
    const std::string_view typeField = Column(first, 20, 1);
    fileType_ = typeField.empty() ? ' ' : typeField[0];
    const int major = version >= 1 && version < 10 ? static_cast<int>(version) : 0;
    // Version 2 names the system by the type (N GPS, G GLONASS, E Galileo in 2.12, H SBAS); later
    // ones by column 41.
    const bool navigation =
        major == 2 ? (fileType_ == 'N' || fileType_ == 'G' || fileType_ == 'E' || fileType_ == 'H')
                   : fileType_ == 'N';
    if (!navigation) {
        Refuse(IDS_RINEX_NOT_NAVIGATION);
        return false;
    }
    if (major < 2 || major > 4) {
        const std::string shown(Trim(Column(first, 0, 9)));
        out_.errors.push_back(FormatText(LoadResString(IDS_RINEX_VERSION), out_.name.c_str(), shown.c_str()));
        return false;
    }
    out_.majorVersion = major;
    for (size_t k = 1; k < lines.size(); ++k) {
        const std::string_view label = Label(lines[k].text);
        if (label.substr(0, 13) == "END OF HEADER") {
            next = k + 1;
            return true;
        }
        if (label.substr(0, 12) == "LEAP SECONDS")
            ReadLeapSeconds(lines[k]);
    }
    Refuse(IDS_RINEX_NO_HEADER_END);
    return false;
}

void Reader::ReadLeapSeconds(const Line& line) {
    int current = 0;
    if (!ParseInt(Column(line.text, 0, 6), current) || current < 0 || current > 100) {
        Warn(FormatText(LoadResString(IDS_RINEX_BAD_LEAP), out_.name.c_str(), line.number));
        return;
    }
    // A BeiDou header counts from BeiDou time, which was 14 s behind GPS time from its start.
    const std::string_view system = Trim(Column(line.text, 24, 3));
    const int shift = system == "BDS" || system == "BDT" ? 14 : 0;
    out_.leapSeconds = LeapSeconds{current + shift, -1, 0};
    int future = 0, week = 0, day = 0;
    if (ParseInt(Column(line.text, 6, 6), future) && ParseInt(Column(line.text, 12, 6), week) &&
        ParseInt(Column(line.text, 18, 6), day) && future != current && future >= 0 && future <= 100 &&
        week > 0 && week < 10000 && day >= 1 && day <= 7) {
        // At the end of day `day` of the week, read on the system's own clock.
        const GpsTime end{week + (shift != 0 ? kBeiDouWeekOffset : 0), day * 86400.0};
        const double at = ScaleSeconds(end) + shift;
        out_.leapSeconds.future = future + shift;
        out_.leapSeconds.futureFromUtc = at - (current + shift);
    }
}

void Reader::ReadRecords2(const std::vector<Line>& lines, size_t next) {
    // GPS and Galileo: the epoch line and 7 orbit lines, the last of which may be left out.
    const bool kepler = fileType_ == 'N' || fileType_ == 'E';
    const int full = kepler ? 8 : 4;
    const int needed = kepler ? 7 : 4;
    size_t k = next;
    while (k < lines.size()) {
        const Line& line = lines[k];
        int prn = 0;
        if (IsBlank(line.text)) {
            ++k;
            continue;
        }
        if (!ParseInt(Column(line.text, 0, 2), prn) || line.text.size() < 22) {
            Warn(FormatText(LoadResString(IDS_RINEX_LINE_SKIPPED), out_.name.c_str(), line.number,
                            std::string(Trim(line.text.substr(0, 40))).c_str()));
            ++k;
            continue;
        }
        int count = 1;
        while (count < full && k + count < lines.size() && Column(lines[k + count].text, 0, 3) == "   " &&
               !IsBlank(lines[k + count].text))
            ++count;
        if (count < needed) {
            Skip(line.number, FormatText(LoadResString(IDS_RINEX_SHORT), count, full));
            k += count;
            continue;
        }
        ReadRecord({&lines[k], count, {}});
        k += count;
    }
}

void Reader::ReadRecords3(const std::vector<Line>& lines, size_t next) {
    auto continues = [](std::string_view t) { return t.empty() || t.front() == ' '; };
    size_t k = next;
    while (k < lines.size()) {
        const std::string_view text = lines[k].text;
        if (IsBlank(text)) {
            ++k;
            continue;
        }
        if (out_.majorVersion >= 4 && text.front() == '>') {
            // "> EPH G01 LNAV": the record that follows; STO, EOP and ION blocks are passed over.
            size_t end = k + 1;
            while (end < lines.size() && (lines[end].text.empty() || lines[end].text.front() != '>'))
                ++end;
            std::string_view rest = Trim(text.substr(1));
            const std::string_view kind = rest.substr(0, rest.find(' '));
            rest = Trim(rest.substr(kind.size()));
            const std::string_view satellite = rest.substr(0, rest.find(' '));
            const std::string_view tag = Trim(rest.substr(satellite.size()));
            if (kind == "STO" || kind == "EOP" || kind == "ION")
                NotUsed(kind);
            else if (kind != "EPH")
                Warn(FormatText(LoadResString(IDS_RINEX_LINE_SKIPPED), out_.name.c_str(), lines[k].number,
                                std::string(Trim(text.substr(0, 40))).c_str()));
            else if (end == k + 1)
                Skip(lines[k].number, FormatText(LoadResString(IDS_RINEX_SHORT), 0, 1));
            else
                ReadRecord({&lines[k + 1], static_cast<int>(end - k - 1), tag});
            k = end;
            continue;
        }
        if (text.front() >= 'A' && text.front() <= 'Z') {
            size_t end = k + 1;
            while (end < lines.size() && continues(lines[end].text))
                ++end;
            ReadRecord({&lines[k], static_cast<int>(end - k), {}});
            k = end;
            continue;
        }
        Warn(FormatText(LoadResString(IDS_RINEX_LINE_SKIPPED), out_.name.c_str(), lines[k].number,
                        std::string(Trim(text.substr(0, 40))).c_str()));
        ++k;
    }
}

bool Reader::Get(const Record& r, int k, int field, double& value, bool required, SatelliteId id) {
    const bool v2 = out_.majorVersion == 2;
    const size_t column = (k == 0 ? (v2 ? 22 : 23) : (v2 ? 3 : 4)) + 19 * static_cast<size_t>(field);
    const std::string_view text = k < r.count ? Column(r.lines[k].text, column, 19) : std::string_view();
    switch (ParseField(text, value)) {
    case Field::Ok:
        return true;
    case Field::Blank:
        value = 0;
        if (!required)
            return true;
        Skip(r.lines[k].number, FormatText(LoadResString(IDS_RINEX_MISSING), SatelliteCode(id).c_str()));
        return false;
    case Field::Bad:
        break;
    }
    Skip(r.lines[k].number, FormatText(LoadResString(IDS_RINEX_BAD_NUMBER), std::string(Trim(text)).c_str()));
    return false;
}

bool Reader::ReadEpoch(const Record& r, double& seconds) {
    const std::string_view t = r.lines[0].text;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0;
    bool ok;
    std::string_view shown;
    if (out_.majorVersion == 2) {
        shown = Column(t, 3, 19);
        ok = ParseInt(Column(t, 2, 3), year) && ParseInt(Column(t, 5, 3), month) &&
             ParseInt(Column(t, 8, 3), day) && ParseInt(Column(t, 11, 3), hour) &&
             ParseInt(Column(t, 14, 3), minute) && ParseField(Column(t, 17, 5), second) == Field::Ok &&
             year >= 0 && year <= 99;
        year += year < 80 ? 2000 : 1900;
    } else {
        shown = Column(t, 4, 19);
        ok = ParseInt(Column(t, 4, 4), year) && ParseInt(Column(t, 9, 2), month) &&
             ParseInt(Column(t, 12, 2), day) && ParseInt(Column(t, 15, 2), hour) &&
             ParseInt(Column(t, 18, 2), minute) && ParseField(Column(t, 21, 2), second) == Field::Ok;
    }
    ok = ok && year >= 1980 && year <= 2100 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month, LeapRule::Gregorian) && hour >= 0 && hour <= 23 && minute >= 0 &&
         minute <= 59 && second >= 0 && second < 60;
    if (!ok) {
        Skip(r.lines[0].number,
             FormatText(LoadResString(IDS_RINEX_BAD_EPOCH), std::string(Trim(shown)).c_str()));
        return false;
    }
    seconds = ScaleSeconds(year, month, day, hour, minute, second);
    return true;
}

void Reader::ReadRecord(const Record& r) {
    const std::string_view first = r.lines[0].text;
    SatelliteId id;
    if (out_.majorVersion == 2) {
        int prn = 0;
        ParseInt(Column(first, 0, 2), prn);
        if (fileType_ == 'H') {
            NotUsed("SBAS");
            return;
        }
        id = {fileType_ == 'G'   ? GnssSystem::Glonass
              : fileType_ == 'E' ? GnssSystem::Galileo
                                 : GnssSystem::Gps,
              prn};
    } else {
        const std::string code(Column(first, 0, 3));
        const char letter = code.empty() ? ' ' : code[0];
        if (letter == 'S') { // SBAS satellites are not planned with
            NotUsed("SBAS");
            return;
        }
        int number = 0;
        if (!SystemFromLetter(letter, id.system) || code.size() != 3 || !ParseInt(code.substr(1), number) ||
            number < 1) {
            Skip(r.lines[0].number, FormatText(LoadResString(IDS_RINEX_BAD_SATELLITE), code.c_str()));
            return;
        }
        id.number = number;
    }
    if (SatelliteCatalogue::Index(id) < 0) {
        Skip(r.lines[0].number, FormatText(LoadResString(IDS_RINEX_OUTSIDE), SatelliteCode(id).c_str()));
        return;
    }
    const Layout* layout = LayoutOf(id.system, r.tag);
    if (layout == nullptr) {
        NotUsed(r.tag);
        return;
    }
    // The lines after the health (transmission time, fit interval) are read when present.
    if (r.count < layout->needed) {
        Skip(r.lines[0].number, FormatText(LoadResString(IDS_RINEX_SHORT), r.count, layout->lines));
        return;
    }
    double toc = 0;
    if (!ReadEpoch(r, toc))
        return;
    const bool read =
        id.system == GnssSystem::Glonass ? ReadGlonass(r, id, toc) : ReadKepler(r, id, toc, *layout);
    if (read)
        (id.system == GnssSystem::Glonass ? glonassOrigins_ : keplerOrigins_)
            .push_back({toc, r.lines[0].number});
}

bool Reader::ReadKepler(const Record& r, SatelliteId id, double toc, const Layout& layout) {
    KeplerEphemeris e;
    e.satellite = id;
    double health = 0, sources = 0, fit = 0;
    const bool legacy = !layout.rates;
    // clang-format off
    bool ok =
        Get(r, 1, 1, e.crs, true, id) && Get(r, 1, 2, e.deltaN, true, id) && Get(r, 1, 3, e.m0, true, id) &&
        Get(r, 2, 0, e.cuc, true, id) && Get(r, 2, 1, e.e, true, id) && Get(r, 2, 2, e.cus, true, id) &&
        Get(r, 2, 3, e.sqrtA, true, id) &&
        Get(r, 3, 1, e.cic, true, id) && Get(r, 3, 2, e.omega0, true, id) && Get(r, 3, 3, e.cis, true, id) &&
        Get(r, 4, 0, e.i0, true, id) && Get(r, 4, 1, e.crc, true, id) && Get(r, 4, 2, e.omega, true, id) &&
        Get(r, 4, 3, e.omegaDot, true, id) &&
        Get(r, 5, 0, e.iDot, true, id) && Get(r, layout.healthLine, 1, health, false, id);
    // clang-format on
    if (layout.toeAtEpoch)
        e.toe = toc - std::floor(toc / kSecondsPerWeek) * kSecondsPerWeek;
    else
        ok = ok && Get(r, 3, 0, e.toe, true, id);
    if (layout.rates)
        ok = ok && Get(r, 1, 0, e.aDot, true, id) && Get(r, 5, 1, e.deltaNDot, true, id);
    else
        ok = ok && Get(r, 5, 1, sources, false, id) && Get(r, 7, 1, fit, false, id);
    if (!ok)
        return false;
    const bool plausible = e.sqrtA >= 3000 && e.sqrtA <= 8000 && e.e >= 0 && e.e < 0.5 && e.toe >= 0 &&
                           e.toe < kSecondsPerWeek && std::fabs(e.i0) <= 4 && std::fabs(e.omega0) <= 7 &&
                           std::fabs(e.omega) <= 7 && std::fabs(e.m0) <= 7 && std::fabs(e.deltaN) < 1e-6 &&
                           std::fabs(e.omegaDot) < 1e-6 && std::fabs(e.iDot) < 1e-6 &&
                           std::fabs(e.crs) < 1e4 && std::fabs(e.crc) < 1e4 && std::fabs(e.cuc) < 1e-2 &&
                           std::fabs(e.cus) < 1e-2 && std::fabs(e.cic) < 1e-2 && std::fabs(e.cis) < 1e-2 &&
                           std::fabs(e.aDot) < 1 && std::fabs(e.deltaNDot) < 1e-10 && health >= 0 &&
                           health < 1e9;
    if (!plausible) {
        Skip(r.lines[0].number, FormatText(LoadResString(IDS_RINEX_BAD_ORBIT), SatelliteCode(id).c_str()));
        return false;
    }
    const auto healthBits = static_cast<uint32_t>(health);
    e.message = layout.message;
    // The CNAV messages' health holds one bit per signal, L1 L2 L5 from the highest: the satellite
    // counts as healthy while its L1 signal is, as the legacy message's health says of it.
    e.healthy = legacy ? healthBits == 0 : (healthBits & 4u) == 0;
    // toe is taken in the week of toc: the two lie within hours of each other.
    e.toeGps = NearestOfWeek(e.toe, toc);
    switch (id.system) {
    case GnssSystem::Galileo: {
        // Data sources: bit 1 F/NAV (E5a); bits 0 and 2 I/NAV (E1-B, E5b). Health bits 0-2 are the
        // E1-B signal's, 3-5 E5a's, 6-8 E5b's.
        const auto src = static_cast<uint32_t>(sources >= 0 && sources < 65536 ? sources : 0);
        const bool fnav =
            layout.tagged ? layout.message == NavMessage::Fnav : (src & 2u) != 0 && (src & 5u) == 0;
        e.message = fnav ? NavMessage::Fnav : NavMessage::Inav;
        e.healthy = (healthBits & (fnav ? 0x038u : 0x1C7u)) == 0;
        break;
    }
    case GnssSystem::BeiDou:
        // B-CNAV's health is 0 when healthy, as D1/D2's.
        if (!layout.tagged)
            e.message = IsBeiDouGeo(id.number) ? NavMessage::D2 : NavMessage::D1;
        e.healthy = healthBits == 0;
        e.toeGps -= kBeiDouMinusGps;
        e.fitHours = 2; // a new ephemeris every hour
        break;
    case GnssSystem::Qzss:
        e.fitHours = legacy && fit > 1 ? fit : 2; // a flag: 0 is two hours
        break;
    case GnssSystem::NavIc:
        e.fitHours = 2; // a new ephemeris every two hours
        break;
    default:
        // hours; writers that give the flag mean 0 = four hours. CNAV's fit is three hours.
        e.fitHours = !legacy ? 3 : fit > 1 ? fit : 4;
        break;
    }
    out_.kepler.push_back(e);
    return true;
}

bool Reader::ReadGlonass(const Record& r, SatelliteId id, double toc) {
    GlonassEphemeris e;
    e.satellite = id;
    double health = 0, channel = 0;
    bool ok = true;
    for (int axis = 0; axis < 3 && ok; ++axis)
        ok = Get(r, axis + 1, 0, e.position[axis], true, id) &&
             Get(r, axis + 1, 1, e.velocity[axis], true, id) &&
             Get(r, axis + 1, 2, e.acceleration[axis], true, id);
    ok = ok && Get(r, 1, 3, health, false, id) && Get(r, 2, 3, channel, false, id);
    if (!ok)
        return false;
    double r2 = 0, v2 = 0, a2 = 0;
    for (int axis = 0; axis < 3; ++axis) {
        e.position[axis] *= 1000.0; // km to m
        e.velocity[axis] *= 1000.0;
        e.acceleration[axis] *= 1000.0;
        r2 += e.position[axis] * e.position[axis];
        v2 += e.velocity[axis] * e.velocity[axis];
        a2 += e.acceleration[axis] * e.acceleration[axis];
    }
    const bool plausible = r2 > 15e6 * 15e6 && r2 < 40e6 * 40e6 && v2 < 1e4 * 1e4 && a2 < 1.0 &&
                           health >= 0 && health < 1e9 && channel >= -7 && channel <= 13;
    if (!plausible) {
        Skip(r.lines[0].number, FormatText(LoadResString(IDS_RINEX_BAD_ORBIT), SatelliteCode(id).c_str()));
        return false;
    }
    e.healthy = static_cast<uint32_t>(health) == 0;
    e.channel = static_cast<int>(channel);
    // The record's time is UTC.
    e.tbGps = UtcToGps(toc, out_.leapSeconds);
    out_.glonass.push_back(e);
    return true;
}

} // namespace

NavigationFile ParseNavigationFile(const std::string& text, const std::string& name) {
    NavigationFile out;
    out.name = name;
    try {
        Reader(out).Run(text);
    } catch (const std::bad_alloc&) {
        out = NavigationFile{};
        out.name = name;
        out.errors.push_back(FormatText(LoadResString(IDS_RINEX_TOO_LARGE), name.c_str()));
    }
    return out;
}

std::optional<std::string> ReadNavigationText(const std::string& path, std::string& error) {
    const auto refuse = [&](int id) {
        error = FormatText(LoadResString(id), path.c_str());
        return std::nullopt;
    };
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return refuse(IDS_RINEX_DIRECTORY);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return refuse(IDS_RINEX_CANNOT_OPEN);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return refuse(IDS_RINEX_CANNOT_OPEN);
    if (static_cast<unsigned long long>(size) > kMaxNavigationFileSize)
        return refuse(IDS_RINEX_TOO_LARGE);
    in.seekg(0);
    std::string text;
    try {
        text.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return refuse(IDS_RINEX_TOO_LARGE);
    }
    in.read(text.data(), size);
    if (in.gcount() != size)
        return refuse(IDS_RINEX_CANNOT_OPEN);
    return text;
}

NavigationFile ReadNavigationFile(const std::string& path) {
    std::string error;
    if (const std::optional<std::string> text = ReadNavigationText(path, error))
        return ParseNavigationFile(*text, path);
    NavigationFile refused;
    refused.name = path;
    refused.errors.push_back(error);
    return refused;
}

bool LooksLikeNavigationFile(const std::string& text) {
    const size_t end = text.find_first_of("\r\n");
    const std::string_view first =
        std::string_view(text).substr(0, end == std::string::npos ? text.size() : end);
    if (Label(first) != "RINEX VERSION / TYPE")
        return false;
    const std::string_view type = Column(first, 20, 1);
    return !type.empty() && (type[0] == 'N' || type[0] == 'G' || type[0] == 'E');
}
