#include "engine/keplerianalmanacs.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "base/strings.h"
#include "engine/almanac_import.h"
#include "engine/almanac_readers.h"
#include "engine/gnsstime.h"

namespace {

constexpr double kPi = 3.1415926535898; // the interface documents' pi, which the semicircles assume
constexpr double kGalileoNominalSqrtA = 5440.588203494177; // sqrt(29 600 000 m)
constexpr double kGalileoNominalI = 56.0 / 180.0;          // semicircles
constexpr int kQzssFirstPrn = 193;

KeplerEphemeris AlmanacRecord(SatelliteId id, bool healthy, double toeGps) {
    KeplerEphemeris k;
    k.satellite = id;
    k.message = NavMessage::Almanac;
    k.healthy = healthy;
    k.toeGps = toeGps;
    k.toe = std::fmod(toeGps, kSecondsPerWeek);
    k.fitHours = kAlmanacFitHours;
    return k;
}

// ---- Galileo almanac XML -------------------------------------------------------------------------

// The text of the first <tag>...</tag> between `from` and `to`, blanks trimmed.
std::optional<std::string> Element(const std::string& text, const std::string& tag, size_t from, size_t to) {
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    const size_t a = text.find(open, from);
    if (a == std::string::npos || a >= to)
        return std::nullopt;
    const size_t begin = a + open.size();
    const size_t end = text.find(close, begin);
    if (end == std::string::npos || end > to)
        return std::nullopt;
    std::string value = text.substr(begin, end - begin);
    const size_t first = value.find_first_not_of(" \t\r\n");
    const size_t last = value.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

// The issue date "2022-01-04T09:39:18.0Z" on the continuous count (UTC; the seconds GST runs ahead
// do not move a week).
std::optional<double> IssueSeconds(const std::string& text) {
    const std::optional<std::string> date = Element(text, "issueDate", 0, text.size());
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    double s = 0;
    if (!date || std::sscanf(date->c_str(), "%4d-%2d-%2dT%2d:%2d:%lf", &y, &mo, &d, &h, &mi, &s) != 6 ||
        y < 1999 || y > 2099 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 ||
        !(s >= 0 && s < 61))
        return std::nullopt;
    return ScaleSeconds(y, mo, d, h, mi, s);
}

} // namespace

bool IsGalileoAlmanacXml(const std::string& text) {
    return text.find("<signalData") != std::string::npos && text.find("<svAlmanac>") != std::string::npos;
}

KeplerianAlmanac ReadGalileoAlmanacXml(const std::string& text, const std::string& name) {
    KeplerianAlmanac out;
    const std::optional<double> issue = IssueSeconds(text);
    if (!IsGalileoAlmanacXml(text) || !issue) {
        out.error = FormatText(LoadResString(IDS_ALMANAC_XML_NOT_GALILEO), name.c_str());
        return out;
    }
    bool seen[SatelliteCatalogue::Count(GnssSystem::Galileo) + 1] = {};
    for (size_t at = text.find("<svAlmanac>"); at != std::string::npos;
         at = text.find("<svAlmanac>", at + 1)) {
        const size_t end = std::min(text.find("</svAlmanac>", at), text.size());
        auto number = [&](const char* tag, double& value) {
            const std::optional<std::string> t = Element(text, tag, at, end);
            return t && ParseNumber(*t, value) && std::isfinite(value);
        };
        double svid = 0, dSqrtA = 0, e = 0, deltaI = 0, omega0 = 0, omegaDot = 0, w = 0, m0 = 0, t0a = 0,
               wna = 0;
        const char* missing = nullptr;
        for (auto [tag, value] : {std::pair<const char*, double*>{"SVID", &svid},
                                  {"aSqRoot", &dSqrtA},
                                  {"ecc", &e},
                                  {"deltai", &deltaI},
                                  {"omega0", &omega0},
                                  {"omegaDot", &omegaDot},
                                  {"w", &w},
                                  {"m0", &m0},
                                  {"t0a", &t0a},
                                  {"wna", &wna}})
            if (!missing && !number(tag, *value))
                missing = tag;
        const int prn = static_cast<int>(svid);
        const std::string who = FormatText(LoadResString(IDS_ALMANAC_XML_SATELLITE), prn);
        auto skip = [&](const std::string& why) {
            out.warnings.push_back(
                FormatText(LoadResString(IDS_IMPORT_SKIPPED), name.c_str(), who.c_str(), why.c_str()));
        };
        if (missing) {
            skip(FormatText(LoadResString(IDS_ALMANAC_XML_FIELD), missing));
            continue;
        }
        if (svid != prn || prn < 1 || prn > SatelliteCatalogue::Count(GnssSystem::Galileo) || seen[prn]) {
            skip(FormatText(LoadResString(IDS_ALMANAC_XML_FIELD), "SVID"));
            continue;
        }
        if (!(e >= 0 && e < 0.1) || std::fabs(dSqrtA) > 100 || std::fabs(deltaI) > 0.1 ||
            !(t0a >= 0 && t0a < 604800) || wna < 0 || wna > 3 || std::fabs(omega0) > 1 || std::fabs(w) > 1 ||
            std::fabs(m0) > 1 || !(std::fabs(omegaDot) <= kMaxAlmanacNodeRate)) {
            skip(ResString(IDS_IMPORT_FIELD_OTHER));
            continue;
        }
        seen[prn] = true;
        // The week is given modulo 4: the one of that residue that puts t0a nearest the issue date.
        const double issueWeek = std::floor(*issue / kSecondsPerWeek);
        double best = 0;
        for (int k = -3; k <= 3; ++k) {
            const double week = issueWeek + k;
            if (static_cast<int>(std::fmod(week, 4.0)) != static_cast<int>(wna))
                continue;
            const double t = week * kSecondsPerWeek + t0a;
            if (best == 0 || std::fabs(t - *issue) < std::fabs(best - *issue))
                best = t;
        }
        bool healthy = true;
        for (const char* status : {"statusE1B", "statusE5b", "statusE5a"}) {
            double value = 0;
            if (number(status, value) && value != 0)
                healthy = false;
        }
        KeplerEphemeris k = AlmanacRecord({GnssSystem::Galileo, prn}, healthy, best);
        k.message = NavMessage::Almanac;
        k.sqrtA = kGalileoNominalSqrtA + dSqrtA;
        k.e = e;
        k.i0 = (kGalileoNominalI + deltaI) * kPi;
        k.omega0 = omega0 * kPi;
        k.omegaDot = omegaDot * kPi;
        k.omega = w * kPi;
        k.m0 = m0 * kPi;
        out.records.push_back(k);
    }
    if (out.records.empty())
        out.error = FormatText(LoadResString(IDS_NO_VALID_RECORD), name.c_str());
    return out;
}

// ---- QZSS YUMA -----------------------------------------------------------------------------------

namespace {

// The YUMA reader's records of PRNs 193 to 202, as QZSS orbits.
class QzssCollector : public AlmanacCollector {
public:
    QzssCollector(KeplerianAlmanac& result, PublishedAlmanac& scratch, const std::string& name,
                  const CalendarTime& near, bool nearIsToday)
        : AlmanacCollector(scratch, name, near, nearIsToday), result_(result) {}

    void Add(const GpsElements& g) override {
        const int number = g.prn - kQzssFirstPrn + 1;
        const std::string who = FormatText(LoadResString(IDS_ALMANAC_QZSS_SATELLITE), g.prn);
        auto skip = [&](const std::string& why) {
            result_.warnings.push_back(
                FormatText(LoadResString(IDS_IMPORT_SKIPPED), name().c_str(), who.c_str(), why.c_str()));
        };
        if (number < 1 || number > SatelliteCatalogue::Count(GnssSystem::Qzss)) {
            skip(FormatText(LoadResString(IDS_ALMANAC_XML_FIELD), "ID"));
            return;
        }
        for (const KeplerEphemeris& k : result_.records)
            if (k.satellite.number == number) {
                skip(FormatText(LoadResString(IDS_ALMANAC_XML_FIELD), "ID"));
                return;
            }
        const int week =
            g.week >= 0 && g.week < 1024 ? ResolveGpsWeek(g.week, g.toa, near_, nearIsToday_) : g.week;
        // QZSS orbits are inclined and eccentric: the GPS record tests do not apply.
        if (!(g.e >= 0 && g.e < 0.2) || !(g.toa >= 0 && g.toa < kSecondsPerWeek) ||
            !(g.sqrtA > 4000 && g.sqrtA < 8000) || !(std::fabs(g.i) <= 1) || week < 0 ||
            !(std::fabs(g.omegaDot) <= kMaxAlmanacNodeRate)) {
            skip(ResString(IDS_IMPORT_FIELD_OTHER));
            return;
        }
        KeplerEphemeris k = AlmanacRecord({GnssSystem::Qzss, number}, g.health == 0,
                                          static_cast<double>(week) * kSecondsPerWeek + g.toa);
        k.sqrtA = g.sqrtA;
        k.e = g.e;
        k.i0 = g.i * kPi;
        k.omega0 = g.omega0 * kPi;
        k.omegaDot = g.omegaDot * kPi;
        k.omega = g.omega * kPi;
        k.m0 = g.m0 * kPi;
        result_.records.push_back(k);
    }

private:
    KeplerianAlmanac& result_;
};

} // namespace

bool IsQzssYuma(const std::string& text) {
    const size_t id = text.find("ID:");
    if (id == std::string::npos || text.find("almanac for PRN-") == std::string::npos)
        return false;
    int prn = 0;
    return std::sscanf(text.c_str() + id + 3, "%d", &prn) == 1 && prn >= kQzssFirstPrn &&
           prn < kQzssFirstPrn + SatelliteCatalogue::Count(GnssSystem::Qzss);
}

KeplerianAlmanac ReadQzssYuma(const std::string& text, const std::string& name, const CalendarTime& near,
                              bool nearIsToday) {
    KeplerianAlmanac out;
    PublishedAlmanac scratch;
    QzssCollector collector(out, scratch, name, near, nearIsToday);
    if (!ReadYuma(SplitLines(text), collector) || !scratch.errors.empty()) {
        out.records.clear();
        out.error = scratch.errors.empty() ? FormatText(LoadResString(IDS_NO_VALID_RECORD), name.c_str())
                                           : scratch.errors.front();
        return out;
    }
    if (out.records.empty())
        out.error = FormatText(LoadResString(IDS_NO_VALID_RECORD), name.c_str());
    return out;
}

NavigationFile ReadOrbitFile(const std::string& path, const CalendarTime& near, bool nearIsToday) {
    std::string error;
    const std::optional<std::string> text = ReadNavigationText(path, error);
    const bool qzss = text && IsQzssYuma(*text);
    if (text && !qzss && !IsGalileoAlmanacXml(*text))
        return ParseNavigationFile(*text, path);
    NavigationFile file;
    file.name = path;
    if (!text) {
        file.errors.push_back(error);
        return file;
    }
    KeplerianAlmanac almanac =
        qzss ? ReadQzssYuma(*text, path, near, nearIsToday) : ReadGalileoAlmanacXml(*text, path);
    file.warnings = std::move(almanac.warnings);
    if (!almanac.error.empty()) {
        file.errors.push_back(almanac.error);
        return file;
    }
    file.ok = true;
    file.kepler = std::move(almanac.records);
    return file;
}

bool LooksLikeOrbitFile(const std::string& head) {
    return LooksLikeNavigationFile(head) || IsGalileoAlmanacXml(head) || IsQzssYuma(head);
}
