#include "engine/almanac_import.h"

#include "base/safefile.h"

#include <cfloat>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "base/strings.h"
#include "engine/almanac_readers.h"
#include "engine/almanac_scan.h"
#include "engine/gnsstime.h"

namespace {

constexpr size_t kLargestPublishedFile = 1 << 20; // published almanacs are a few tens of kilobytes

// Out-of-range values become infinite rather than undefined, so the record tests refuse them.
float ToFloat(double v) {
    if (std::isfinite(v) && std::fabs(v) > FLT_MAX)
        return v > 0 ? HUGE_VALF : -HUGE_VALF;
    return static_cast<float>(v);
}

int16_t ToInt16(int v) {
    return static_cast<int16_t>(v < INT16_MIN ? INT16_MIN : v > INT16_MAX ? INT16_MAX : v);
}

std::string Number(double v) {
    return FormatText("%.10g", v);
}

// The first record test a GPS record fails, as a message naming the field; none when it passes.
std::optional<std::string> GpsFault(const GpsAlmanacRecord& r) {
    auto field = [](int id, double v) { return FormatText(LoadResString(id), Number(v).c_str()); };
    if (!(r.e <= 0.03))
        return field(IDS_IMPORT_FIELD_E, r.e);
    if (r.toa < 0 || r.toa > 602112)
        return field(IDS_IMPORT_FIELD_TOA, r.toa);
    if (!(r.sqrtA >= 2000 && r.sqrtA <= 8000))
        return field(IDS_IMPORT_FIELD_SQRTA, r.sqrtA);
    if (!(r.i >= 0.23 && r.i <= 0.37))
        return field(IDS_IMPORT_FIELD_I, r.i);
    if (!(std::fabs(r.omega0) <= 1))
        return field(IDS_IMPORT_FIELD_OMEGA0, r.omega0);
    if (!(std::fabs(r.omega) <= 1))
        return field(IDS_IMPORT_FIELD_OMEGA, r.omega);
    if (!(std::fabs(r.m0) <= 1))
        return field(IDS_IMPORT_FIELD_M0, r.m0);
    if (!(std::fabs(r.omegaDot) <= kMaxAlmanacNodeRate))
        return field(IDS_IMPORT_FIELD_OMEGADOT, r.omegaDot);
    if (!IsValidGpsRecord(r))
        return ResString(IDS_IMPORT_FIELD_OTHER);
    return std::nullopt;
}

std::optional<std::string> GlonassFault(const GlonassAlmanacRecord& r, const GlonassElements& g) {
    auto field = [](int id, double v) { return FormatText(LoadResString(id), Number(v).c_str()); };
    if (r.n < 1 || r.n > 1461) {
        const std::string date = FormatText("%02d.%02d.%04d", g.day, g.month, g.year);
        return FormatText(LoadResString(IDS_IMPORT_FIELD_DATE), date.c_str());
    }
    if (r.channel < -7 || r.channel > 24)
        return field(IDS_IMPORT_FIELD_CHANNEL, g.channel);
    if (!(r.e >= 0 && r.e <= 0.03))
        return field(IDS_IMPORT_FIELD_GLO_E, r.e);
    if (!(r.tLambda >= 0 && r.tLambda <= 44100))
        return field(IDS_IMPORT_FIELD_TLAMBDA, r.tLambda);
    if (!(std::fabs(r.lambda) <= 1))
        return field(IDS_IMPORT_FIELD_LAMBDA, r.lambda);
    if (!(std::fabs(r.deltaI) <= 0.07))
        return field(IDS_IMPORT_FIELD_DELTAI, r.deltaI);
    if (!(std::fabs(r.deltaT) <= 3600))
        return field(IDS_IMPORT_FIELD_DELTAT, r.deltaT);
    if (!(std::fabs(r.deltaTDot) <= 0.004))
        return field(IDS_IMPORT_FIELD_DELTATDOT, r.deltaTDot);
    if (!(std::fabs(r.omega) <= 1))
        return field(IDS_IMPORT_FIELD_GLO_OMEGA, r.omega);
    if (!(std::fabs(r.correction) <= 0.002))
        return field(IDS_IMPORT_FIELD_TAUN, r.correction);
    if (!IsValidGlonassRecord(r))
        return ResString(IDS_IMPORT_FIELD_GLO_OTHER);
    return std::nullopt;
}

int FormatNameId(AlmanacFormat f) {
    switch (f) {
    case AlmanacFormat::Yuma:
        return IDS_IMPORT_FORMAT_YUMA;
    case AlmanacFormat::Sem:
        return IDS_IMPORT_FORMAT_SEM;
    case AlmanacFormat::IacGps:
        return IDS_IMPORT_FORMAT_AGP;
    case AlmanacFormat::IacGlonass:
        return IDS_IMPORT_FORMAT_AGL;
    case AlmanacFormat::Unknown:
        break;
    }
    return IDS_IMPORT_FORMAT_UNKNOWN;
}

bool AllNumbers(const std::vector<std::string>& tokens) {
    double v;
    for (const std::string& t : tokens)
        if (!ParseNumber(t, v))
            return false;
    return true;
}

std::string BaseName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

// ---- the collector -----------------------------------------------------------------------------------

void AlmanacCollector::Finish() {
    if (lowChannels_.empty() || !out_.ok)
        return;
    std::string slots;
    for (int slot : lowChannels_)
        slots += FormatText(slots.empty() ? "R%02d" : ", R%02d", slot);
    out_.warnings.push_back(
        FormatText(LoadResString(IDS_IMPORT_CHANNEL_WARNING), name_.c_str(), slots.c_str()));
}

void AlmanacCollector::Refuse(const std::string& text) {
    out_.ok = false;
    out_.errors.push_back(text);
}

void AlmanacCollector::Add(const GpsElements& g) {
    const std::string who = FormatText(LoadResString(IDS_IMPORT_GPS_SATELLITE), g.prn);
    if (g.prn < 1 || g.prn > kGpsSatellites) {
        out_.warnings.push_back(
            FormatText(LoadResString(IDS_IMPORT_BAD_NUMBER), name_.c_str(), g.line, g.prn, kGpsSatellites));
        ++out_.skipped;
        return;
    }
    const int k = g.prn - 1;
    if (out_.gpsPresent[k]) {
        out_.warnings.push_back(
            FormatText(LoadResString(IDS_IMPORT_DUPLICATE), name_.c_str(), g.line, who.c_str()));
        ++out_.skipped;
        return;
    }
    auto skip = [&](const std::string& why) {
        out_.warnings.push_back(
            FormatText(LoadResString(IDS_IMPORT_SKIPPED), name_.c_str(), who.c_str(), why.c_str()));
        ++out_.skipped;
    };
    const int week =
        g.week >= 0 && g.week < 1024 ? ResolveGpsWeek(g.week, g.toa, near_, nearIsToday_) : g.week;
    if (week < 0 || week > INT16_MAX) {
        skip(FormatText(LoadResString(IDS_IMPORT_FIELD_WEEK), Number(g.week).c_str()));
        return;
    }
    GpsAlmanacRecord r;
    r.e = ToFloat(g.e);
    r.toa = std::isfinite(g.toa) && std::fabs(g.toa) < 1e7 ? static_cast<int32_t>(std::lround(g.toa)) : -1;
    r.i = ToFloat(g.i);
    r.omegaDot = ToFloat(g.omegaDot);
    r.healthFlag = g.health != 0 ? 1 : 0;
    r.healthCode = ToInt16(g.health);
    r.sqrtA = g.sqrtA;
    r.omega0 = g.omega0;
    r.omega = g.omega;
    r.m0 = g.m0;
    // Both week fields hold the full week, so the loader's reconstruction gives it back.
    r.week = static_cast<int16_t>(week);
    r.referenceWeek = static_cast<int16_t>(week);
    if (const std::optional<std::string> fault = GpsFault(r)) {
        skip(*fault);
        return;
    }
    out_.gps[k] = r;
    out_.gpsPresent[k] = true;
    ++out_.imported;
    if (IsHealthy(r))
        ++out_.healthy;
    if (dateFrom_ < 0 || k < dateFrom_) {
        dateFrom_ = k;
        GpsTime t;
        t.week = week;
        t.seconds = r.toa;
        out_.date = GpsToCalendar(t);
    }
}

void AlmanacCollector::Add(const GlonassElements& g) {
    const std::string who = FormatText(LoadResString(IDS_IMPORT_GLONASS_SATELLITE), g.slot);
    if (g.slot < 1 || g.slot > kGlonassSatellites) {
        out_.warnings.push_back(FormatText(LoadResString(IDS_IMPORT_BAD_NUMBER), name_.c_str(), g.line,
                                           g.slot, kGlonassSatellites));
        ++out_.skipped;
        return;
    }
    const int k = g.slot - 1;
    if (out_.glonassPresent[k]) {
        out_.warnings.push_back(
            FormatText(LoadResString(IDS_IMPORT_DUPLICATE), name_.c_str(), g.line, who.c_str()));
        ++out_.skipped;
        return;
    }
    GlonassAlmanacRecord r;
    const bool dated = IsValidDate(g.day, g.month, g.year);
    CalendarTime date;
    if (dated) {
        date = MakeCalendarTime(0, 0, 0, g.day, g.month, g.year);
        r.n = ToGlonassTime(date).dayIndex + 1; // the date is already GLONASS time
    }
    r.channel = ToInt16(g.channel);
    r.healthFlag = g.health == 1 ? 1 : 0; // the IAC writes 1 for healthy
    r.e = ToFloat(g.e);
    r.deltaI = ToFloat(g.deltaI);
    r.lambda = ToFloat(g.lambda);
    r.tLambda = ToFloat(g.tLambda);
    r.omega = ToFloat(g.omega);
    r.deltaT = ToFloat(g.deltaT);
    r.deltaTDot = ToFloat(g.deltaTDot);
    r.correction = ToFloat(g.tauN);
    if (const std::optional<std::string> fault = GlonassFault(r, g)) {
        out_.warnings.push_back(
            FormatText(LoadResString(IDS_IMPORT_SKIPPED), name_.c_str(), who.c_str(), fault->c_str()));
        ++out_.skipped;
        return;
    }
    // Kept, as today's channels run from -7; but the old record test wants 1 to 24.
    if (r.channel <= 0)
        lowChannels_.push_back(g.slot);
    out_.glonass[k] = r;
    out_.glonassPresent[k] = true;
    ++out_.imported;
    if (IsHealthy(r))
        ++out_.healthy;
    if (dateFrom_ < 0 || k < dateFrom_) {
        dateFrom_ = k;
        out_.date = date;
    }
}

// ---- formats --------------------------------------------------------------------------------------

AlmanacFormat DetectAlmanacFormat(const std::string& text) {
    std::vector<std::vector<std::string>> first; // the first two non-blank lines, as tokens
    std::string firstLine;
    for (const TextLine& l : SplitLines(text)) {
        std::vector<std::string> t = Tokens(l.text);
        if (t.empty())
            continue;
        if (first.empty())
            firstLine = l.text;
        first.push_back(std::move(t));
        if (first.size() == 2)
            break;
    }
    if (first.empty())
        return AlmanacFormat::Unknown;
    std::string lower;
    for (char c : firstLine)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t start = lower.find_first_not_of(" \t");
    if (lower.compare(start, 1, "*") == 0 && lower.find("almanac for prn") != std::string::npos)
        return AlmanacFormat::Yuma;
    if (lower.compare(start, 3, "id:") == 0)
        return AlmanacFormat::Yuma;
    if (first.size() < 2)
        return AlmanacFormat::Unknown;
    int count = 0;
    if (ParseInteger(first[0][0], count) && count >= 1 && count <= kGpsSatellites && first[0].size() >= 2 &&
        first[1].size() == 2 && AllNumbers(first[1]))
        return AlmanacFormat::Sem;
    if (first[0].size() == 4 && AllNumbers(first[0]) && AllNumbers(first[1])) {
        if (first[1].size() == 11)
            return AlmanacFormat::IacGps;
        if (first[1].size() == 10)
            return AlmanacFormat::IacGlonass;
    }
    return AlmanacFormat::Unknown;
}

AlmanacFormat FormatOfName(const std::string& name) {
    std::string ext = std::filesystem::path(name).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".alm" || ext == ".yuma")
        return AlmanacFormat::Yuma;
    if (ext == ".al3" || ext == ".sem")
        return AlmanacFormat::Sem;
    if (ext == ".agp")
        return AlmanacFormat::IacGps;
    if (ext == ".agl")
        return AlmanacFormat::IacGlonass;
    return AlmanacFormat::Unknown;
}

PublishedAlmanac ParsePublishedAlmanac(const std::string& text, const std::string& name,
                                       const CalendarTime& near, bool nearIsToday) {
    PublishedAlmanac out;
    const char* n = name.c_str();
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        out.errors.push_back(FormatText(LoadResString(IDS_IMPORT_EMPTY), n));
        return out;
    }
    if (text.find('\0') != std::string::npos) {
        const size_t size = text.size();
        const bool ours = size == kFullAlmanacSize || size == kGpsBlockSize || size == kGlonassBlockSize;
        out.errors.push_back(
            FormatText(LoadResString(ours ? IDS_IMPORT_BINARY : IDS_IMPORT_UNKNOWN_FORMAT), n));
        return out;
    }
    out.format = DetectAlmanacFormat(text);
    if (out.format == AlmanacFormat::Unknown) {
        out.errors.push_back(FormatText(LoadResString(IDS_IMPORT_UNKNOWN_FORMAT), n));
        return out;
    }
    // The content decides; a name that claims another format means the file is not what it seems.
    const AlmanacFormat claimed = FormatOfName(name);
    if (claimed != AlmanacFormat::Unknown && claimed != out.format) {
        const std::string what = ResString(FormatNameId(claimed));
        out.errors.push_back(FormatText(LoadResString(IDS_IMPORT_MISLABELLED), n, what.c_str(),
                                        ResString(FormatNameId(out.format)).c_str()));
        return out;
    }
    out.isGps = out.format != AlmanacFormat::IacGlonass;
    out.ok = true;
    AlmanacCollector collector(out, name, near, nearIsToday);
    const std::vector<TextLine> lines = SplitLines(text);
    bool read = false;
    switch (out.format) {
    case AlmanacFormat::Yuma:
        read = ReadYuma(lines, collector);
        break;
    case AlmanacFormat::Sem:
        read = ReadSem(lines, collector);
        break;
    case AlmanacFormat::IacGps:
        read = ReadIacGps(lines, collector);
        break;
    case AlmanacFormat::IacGlonass:
        read = ReadIacGlonass(lines, collector);
        break;
    case AlmanacFormat::Unknown:
        break;
    }
    if (!read || !out.ok) {
        // A refused file gives no records at all.
        out.ok = false;
        out.gps = GpsAlmanac{};
        out.glonass = GlonassAlmanac{};
        out.gpsPresent.fill(false);
        out.glonassPresent.fill(false);
        out.imported = out.skipped = out.healthy = 0;
    }
    collector.Finish();
    return out;
}

PublishedAlmanac ReadPublishedAlmanac(const std::string& path, const CalendarTime& near, bool nearIsToday) {
    const std::string name = BaseName(path);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        PublishedAlmanac out;
        out.errors.push_back(FormatText(LoadResString(IDS_IMPORT_CANNOT_OPEN), path.c_str()));
        return out;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        PublishedAlmanac out;
        out.errors.push_back(FormatText(LoadResString(IDS_IMPORT_CANNOT_OPEN), path.c_str()));
        return out;
    }
    std::string text;
    try {
        text.resize(kLargestPublishedFile + 1);
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<size_t>(in.gcount()));
    } catch (const std::bad_alloc&) {
        text.clear();
    }
    if (in.bad()) {
        PublishedAlmanac out;
        out.errors.push_back(FormatText(LoadResString(IDS_IMPORT_CANNOT_OPEN), path.c_str()));
        return out;
    }
    if (text.size() > kLargestPublishedFile) {
        PublishedAlmanac out;
        out.errors.push_back(FormatText(LoadResString(IDS_IMPORT_TOO_LARGE), path.c_str()));
        return out;
    }
    return ParsePublishedAlmanac(text, path, near, nearIsToday);
}

int ResolveGpsWeek(int publishedWeek, double toa, const CalendarTime& near, bool nearIsToday) {
    if (publishedWeek < 0 || publishedWeek >= 1024)
        return publishedWeek;
    const GpsTime t = ToGpsTime(near);
    const double nearSeconds = static_cast<double>(t.week) * kSecondsPerWeek + t.seconds;
    const double base = static_cast<double>(publishedWeek) * kSecondsPerWeek + (std::isfinite(toa) ? toa : 0);
    const double era = 1024.0 * kSecondsPerWeek;
    long k = std::lround((nearSeconds - base) / era);
    if (nearIsToday && base + static_cast<double>(k) * era > nearSeconds + kFutureWeeks * kSecondsPerWeek)
        --k;
    if (k < 0)
        k = 0;
    return publishedWeek + static_cast<int>(1024 * k);
}

std::string AlmanacFileName(const CalendarTime& date) {
    return FormatText("alm%02d.%d", (date.year + 1900) % 100, date.dayOfYear);
}

CalendarTime TodayUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    return MakeCalendarTime(0, 0, 0, tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
}

// ---- writing -------------------------------------------------------------------------------------

AlmanacImportResult ImportAlmanacFiles(const std::vector<std::string>& paths, const std::string& directory,
                                       const CalendarTime& near, bool nearIsToday, SafeWriteOptions options) {
    AlmanacImportResult result;
    if (paths.empty() || paths.size() > 2) {
        result.errors.push_back(
            FormatText(LoadResString(IDS_IMPORT_TOO_MANY), static_cast<int>(paths.size())));
        return result;
    }
    std::vector<PublishedAlmanac> read;
    for (const std::string& p : paths) {
        read.push_back(ReadPublishedAlmanac(p, near, nearIsToday));
        PublishedAlmanac& a = read.back();
        result.warnings.insert(result.warnings.end(), a.warnings.begin(), a.warnings.end());
        result.errors.insert(result.errors.end(), a.errors.begin(), a.errors.end());
        if (a.ok && a.imported == 0)
            result.errors.push_back(FormatText(LoadResString(IDS_IMPORT_NOTHING), p.c_str()));
    }
    if (!result.errors.empty())
        return result;
    const PublishedAlmanac* gps = nullptr;
    const PublishedAlmanac* glonass = nullptr;
    for (size_t k = 0; k < read.size(); ++k) {
        const PublishedAlmanac*& slot = read[k].isGps ? gps : glonass;
        if (slot) {
            const std::string system = ResString(read[k].isGps ? IDS_IMPORT_GPS : IDS_IMPORT_GLONASS);
            result.errors.push_back(FormatText(LoadResString(IDS_IMPORT_SAME_SYSTEM), paths[0].c_str(),
                                               paths[1].c_str(), system.c_str()));
            return result;
        }
        slot = &read[k];
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(directory.empty() ? "." : directory, ec)) {
        result.errors.push_back(FormatText(LoadResString(IDS_IMPORT_NO_DIRECTORY), directory.c_str()));
        return result;
    }
    const std::string name = AlmanacFileName(gps ? gps->date : glonass->date);
    const std::string path = directory.empty() ? name : AlmanacPath(directory, name);
    const bool existed = std::filesystem::exists(path, ec);
    int error = 0;
    if (!WriteAlmanacFile(path, gps ? &gps->gps : nullptr, glonass ? &glonass->glonass : nullptr, &error,
                          options)) {
        result.writeError = error;
        result.path = path;
        result.errors.push_back(WriteErrorText(path, error));
        return result;
    }
    if (existed)
        result.warnings.push_back(FormatText(LoadResString(IDS_IMPORT_REPLACED), path.c_str()));
    result.written = true;
    result.path = path;
    for (const PublishedAlmanac* a : {gps, glonass}) {
        if (!a)
            continue;
        ImportSummary& s = a == gps ? result.gps : result.glonass;
        s.present = true;
        s.imported = a->imported;
        s.skipped = a->skipped;
        s.healthy = a->healthy;
    }
    return result;
}

std::string ImportSummaryLine(const char* system, const ImportSummary& s) {
    const std::string name = system; // may itself be a look-up result
    return FormatText(LoadResString(IDS_IMPORT_SUMMARY), name.c_str(), s.imported, s.skipped, s.healthy);
}
