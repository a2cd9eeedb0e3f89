#include "engine/almanac_readers.h"

#include "base/numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "base/strings.h"

namespace {

constexpr double kPi = 3.1415926535898;      // the propagation's own pi, so the published angles come back
constexpr double kSemInclinationBase = 0.30; // SEM publishes the inclination as an offset from it

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string GpsLabel(int prn) {
    return FormatText(LoadResString(IDS_IMPORT_GPS_SATELLITE), prn);
}

void RefuseNumber(AlmanacCollector& c, int line, const std::string& token, const std::string& context) {
    c.Refuse(FormatText(LoadResString(IDS_IMPORT_NOT_A_NUMBER), c.name().c_str(), line, token.c_str(),
                        context.c_str()));
}

// ---- YUMA ----------------------------------------------------------------------------------------

enum YumaField {
    kId,
    kHealth,
    kE,
    kToa,
    kI,
    kOmegaDot,
    kSqrtA,
    kOmega0,
    kOmega,
    kM0,
    kAf0,
    kAf1,
    kWeek,
    kYumaFields
};

// Label prefixes as the Coast Guard writes them (lower case), and the label shown when one is missing.
struct YumaLabel {
    const char* prefix;
    const char* label;
};
constexpr YumaLabel kYumaLabels[kYumaFields] = {
    {"id", "ID"},
    {"health", "Health"},
    {"eccentricity", "Eccentricity"},
    {"time of applicability", "Time of Applicability(s)"},
    {"orbital inclination", "Orbital Inclination(rad)"},
    {"rate of right ascen", "Rate of Right Ascen(r/s)"},
    {"sqrt(a)", "SQRT(A)  (m 1/2)"},
    {"right ascen at week", "Right Ascen at Week(rad)"},
    {"argument of perigee", "Argument of Perigee(rad)"},
    {"mean anom", "Mean Anom(rad)"},
    {"af0", "Af0(s)"},
    {"af1", "Af1(s/s)"},
    {"week", "week"},
};

int YumaFieldOf(const std::string& key) {
    for (int k = 0; k < kYumaFields; ++k) {
        const std::string prefix = kYumaLabels[k].prefix;
        if (k == kId || k == kWeek ? key == prefix : key.compare(0, prefix.size(), prefix) == 0)
            return k;
    }
    return -1;
}

struct YumaBlock {
    bool open = false;
    int line = 0;
    int headingPrn = -1;
    bool has[kYumaFields] = {};
    double value[kYumaFields] = {};
    bool Any() const {
        for (bool h : has)
            if (h)
                return true;
        return false;
    }
};

// Heading "******** Week 331 almanac for PRN-01 ********": the PRN it names, or -1.
int HeadingPrn(const std::string& text) {
    const size_t at = Lower(text).find("prn-");
    if (at == std::string::npos)
        return -1;
    int prn = -1;
    const char* first = text.data() + at + 4;
    std::from_chars(first, text.data() + text.size(), prn);
    return prn;
}

bool FinishYuma(const YumaBlock& b, bool atEnd, AlmanacCollector& c) {
    const std::string who = b.has[kId]          ? GpsLabel(SaturatingCast<int>(b.value[kId]))
                            : b.headingPrn >= 0 ? GpsLabel(b.headingPrn)
                                                : ResString(IDS_IMPORT_UNNAMED);
    for (int k = 0; k < kYumaFields; ++k) {
        if (b.has[k])
            continue;
        if (atEnd)
            c.Refuse(FormatText(LoadResString(IDS_IMPORT_TRUNCATED), c.name().c_str(), who.c_str(),
                                kYumaLabels[k].label));
        else
            c.Refuse(FormatText(LoadResString(IDS_IMPORT_INCOMPLETE), c.name().c_str(), b.line, who.c_str(),
                                kYumaLabels[k].label));
        return false;
    }
    const int id = SaturatingCast<int>(b.value[kId]);
    if (b.headingPrn >= 0 && b.headingPrn != id) {
        c.Refuse(FormatText(LoadResString(IDS_IMPORT_HEADING_MISMATCH), c.name().c_str(), b.line,
                            b.headingPrn, id));
        return false;
    }
    GpsElements g;
    g.line = b.line;
    g.prn = id;
    g.health = SaturatingCast<int>(b.value[kHealth]);
    g.week = SaturatingCast<int>(b.value[kWeek]);
    g.toa = b.value[kToa];
    g.e = b.value[kE];
    g.i = b.value[kI] / kPi; // YUMA: the full angle, radians
    g.omegaDot = b.value[kOmegaDot] / kPi;
    g.sqrtA = b.value[kSqrtA];
    g.omega0 = b.value[kOmega0] / kPi;
    g.omega = b.value[kOmega] / kPi;
    g.m0 = b.value[kM0] / kPi;
    c.Add(g);
    return true;
}

} // namespace

// ---- shared ----------------------------------------------------------------------------------------

std::vector<TextLine> SplitLines(const std::string& text) {
    std::vector<TextLine> lines;
    size_t start = 0;
    int number = 1;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back({number++, std::move(line)});
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> out;
    size_t k = 0;
    while (k < text.size()) {
        while (k < text.size() && std::isspace(static_cast<unsigned char>(text[k])))
            ++k;
        const size_t b = k;
        while (k < text.size() && !std::isspace(static_cast<unsigned char>(text[k])))
            ++k;
        if (k > b)
            out.push_back(text.substr(b, k - b));
    }
    return out;
}

bool ParseNumber(const std::string& token, double& value) {
    std::string t = token;
    for (char& ch : t) // Fortran writers use D for the exponent
        if (ch == 'D' || ch == 'd')
            ch = 'E';
    const char* first = t.data();
    const char* last = t.data() + t.size();
    if (first != last && *first == '+')
        ++first;
    if (first == last)
        return false;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && std::isfinite(value);
}

bool ParseInteger(const std::string& token, int& value) {
    const char* first = token.data();
    const char* last = token.data() + token.size();
    if (first != last && *first == '+')
        ++first;
    if (first == last)
        return false;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}

// ---- the readers -------------------------------------------------------------------------------------

bool ReadYuma(const std::vector<TextLine>& lines, AlmanacCollector& c) {
    YumaBlock block;
    for (const TextLine& l : lines) {
        const std::string text = Trim(l.text);
        if (text.empty())
            continue;
        if (text[0] == '*') {
            if (block.open && !FinishYuma(block, false, c))
                return false;
            block = YumaBlock{};
            block.open = true;
            block.line = l.number;
            block.headingPrn = HeadingPrn(text);
            continue;
        }
        const size_t colon = text.find(':');
        const int field = colon == std::string::npos ? -1 : YumaFieldOf(Lower(Trim(text.substr(0, colon))));
        if (field < 0) {
            c.Refuse(
                FormatText(LoadResString(IDS_IMPORT_UNEXPECTED), c.name().c_str(), l.number, text.c_str()));
            return false;
        }
        if (field == kId && block.open && block.Any()) { // a file without headings
            if (!FinishYuma(block, false, c))
                return false;
            block = YumaBlock{};
        }
        if (!block.open) {
            block.open = true;
            block.line = l.number;
        }
        if (block.has[field]) {
            c.Refuse(FormatText(LoadResString(IDS_IMPORT_REPEATED_FIELD), c.name().c_str(), l.number,
                                kYumaLabels[field].label));
            return false;
        }
        const std::string value = Trim(text.substr(colon + 1));
        bool ok;
        if (field == kId || field == kHealth || field == kWeek) {
            int n = 0;
            ok = ParseInteger(value, n);
            block.value[field] = n;
        } else {
            ok = ParseNumber(value, block.value[field]);
        }
        if (!ok) {
            RefuseNumber(c, l.number, value, kYumaLabels[field].label);
            return false;
        }
        block.has[field] = true;
    }
    return !block.open || FinishYuma(block, true, c);
}

bool ReadSem(const std::vector<TextLine>& lines, AlmanacCollector& c) {
    struct Token {
        std::string text;
        int line;
    };
    std::vector<Token> tokens;
    int count = 0;
    bool headerSeen = false;
    for (const TextLine& l : lines) {
        std::vector<std::string> t = Tokens(l.text);
        if (!headerSeen) {
            if (t.empty())
                continue;
            headerSeen = true;
            if (!ParseInteger(t[0], count) || count < 1 || count > kGpsSatellites) {
                RefuseNumber(c, l.number, t[0], ResString(IDS_IMPORT_HEADER));
                return false;
            }
            continue; // the rest of the first line is the title
        }
        for (std::string& s : t)
            tokens.push_back({std::move(s), l.number});
    }
    size_t at = 0;
    // Next value as a number; false after refusing.
    auto number = [&](double& v, const std::string& context) {
        if (!ParseNumber(tokens[at].text, v)) {
            RefuseNumber(c, tokens[at].line, tokens[at].text, context);
            return false;
        }
        ++at;
        return true;
    };
    if (tokens.size() < 2) {
        c.Refuse(FormatText(LoadResString(IDS_IMPORT_SEM_SHORT), c.name().c_str(), count, 1));
        return false;
    }
    const std::string header = ResString(IDS_IMPORT_HEADER);
    double week = 0, toa = 0;
    if (!number(week, header) || !number(toa, header))
        return false;
    constexpr size_t kValues = 14; // PRN, SVN, URA, 9 elements and clock terms, health, configuration
    for (int k = 0; k < count; ++k) {
        if (tokens.size() - at < kValues) {
            c.Refuse(FormatText(LoadResString(IDS_IMPORT_SEM_SHORT), c.name().c_str(), count, k + 1));
            return false;
        }
        GpsElements g;
        g.line = tokens[at].line;
        double v[kValues];
        std::string who = ResString(IDS_IMPORT_UNNAMED);
        for (size_t j = 0; j < kValues; ++j) {
            if (!number(v[j], who))
                return false;
            if (j == 0)
                who = GpsLabel(SaturatingCast<int>(v[0]));
        }
        const bool integral =
            v[0] == std::floor(v[0]) && v[12] == std::floor(v[12]) && week == std::floor(week);
        if (!integral || std::fabs(v[0]) > 1e6 || std::fabs(v[12]) > 1e6 || std::fabs(week) > 1e6) {
            RefuseNumber(c, g.line, tokens[at - kValues].text, who);
            return false;
        }
        g.prn = SaturatingCast<int>(v[0]);
        g.week = SaturatingCast<int>(week);
        g.toa = toa;
        g.e = v[3];
        g.i = kSemInclinationBase + v[4];
        g.omegaDot = v[5];
        g.sqrtA = v[6];
        g.omega0 = v[7];
        g.omega = v[8];
        g.m0 = v[9];
        g.health = SaturatingCast<int>(v[12]);
        c.Add(g);
    }
    if (at < tokens.size()) {
        c.Refuse(FormatText(LoadResString(IDS_IMPORT_SEM_EXTRA), c.name().c_str(), tokens[at].line, count));
        return false;
    }
    return true;
}

namespace {

// The IAC formats: three lines per satellite, `second` values on the second line, 4 and 6 on the
// others. Calls `take` with the three lines' numbers; false after refusing.
template <typename Take>
bool ReadIac(const std::vector<TextLine>& lines, AlmanacCollector& c, size_t second, int labelId, Take take) {
    std::vector<const TextLine*> used;
    for (const TextLine& l : lines)
        if (!Trim(l.text).empty())
            used.push_back(&l);
    const size_t expected[3] = {4, second, 6};
    for (size_t k = 0; k < used.size(); k += 3) {
        std::vector<double> values[3];
        std::string who = ResString(IDS_IMPORT_UNNAMED);
        for (size_t j = 0; j < 3; ++j) {
            if (k + j >= used.size()) {
                c.Refuse(
                    FormatText(LoadResString(IDS_IMPORT_TRUNCATED), c.name().c_str(), who.c_str(),
                               ResString(j == 1 ? IDS_IMPORT_SECOND_LINE : IDS_IMPORT_THIRD_LINE).c_str()));
                return false;
            }
            const TextLine& l = *used[k + j];
            const std::vector<std::string> t = Tokens(l.text);
            if (t.size() != expected[j]) {
                c.Refuse(FormatText(LoadResString(IDS_IMPORT_BAD_LINE), c.name().c_str(), l.number,
                                    static_cast<int>(expected[j]), static_cast<int>(t.size())));
                return false;
            }
            for (const std::string& s : t) {
                double v = 0;
                if (!ParseNumber(s, v) || std::fabs(v) > 1e9) {
                    RefuseNumber(c, l.number, s, who);
                    return false;
                }
                values[j].push_back(v);
            }
            if (j == 1)
                who = FormatText(LoadResString(labelId), SaturatingCast<int>(values[1][0]));
        }
        take(values, used[k + 1]->number);
    }
    return true;
}

} // namespace

bool ReadIacGps(const std::vector<TextLine>& lines, AlmanacCollector& c) {
    return ReadIac(lines, c, 11, IDS_IMPORT_GPS_SATELLITE, [&](const std::vector<double>* v, int line) {
        GpsElements g;
        g.line = line;
        g.prn = SaturatingCast<int>(v[1][0]);
        g.health = SaturatingCast<int>(v[1][1]);
        g.week = SaturatingCast<int>(v[1][2]); // the full week
        g.toa = v[1][3];
        g.omegaDot = v[1][10];
        g.omega0 = v[2][0];
        g.i = v[2][1]; // the full inclination, semicircles
        g.omega = v[2][2];
        g.e = v[2][3];
        g.sqrtA = v[2][4];
        g.m0 = v[2][5];
        c.Add(g);
    });
}

bool ReadIacGlonass(const std::vector<TextLine>& lines, AlmanacCollector& c) {
    return ReadIac(lines, c, 10, IDS_IMPORT_GLONASS_SATELLITE, [&](const std::vector<double>* v, int line) {
        GlonassElements g;
        g.line = line;
        g.slot = SaturatingCast<int>(v[1][0]);
        g.channel = SaturatingCast<int>(v[1][1]);
        g.health = SaturatingCast<int>(v[1][2]);
        g.day = SaturatingCast<int>(v[1][3]);
        g.month = SaturatingCast<int>(v[1][4]);
        g.year = SaturatingCast<int>(v[1][5]);
        g.tLambda = v[1][6];
        g.tauN = v[1][9];
        g.lambda = v[2][0];
        g.deltaI = v[2][1];
        g.omega = v[2][2];
        g.e = v[2][3];
        g.deltaT = v[2][4];
        g.deltaTDot = v[2][5];
        c.Add(g);
    });
}
