#include "config/orbitsources.h"

#include <cmath>
#include <filesystem>

#include "base/strings.h"
#include "base/text.h"
#include "engine/gnsstime.h"

std::string SourceDateText(double utc, bool legacy) {
    const CalendarTime t = CalendarOfScaleSeconds(utc);
    return legacy ? FormatText("%d/%d/%d", t.month + 1, t.day, t.year + 1900)
                  : FormatText("%04d-%02d-%02d", t.year + 1900, t.month + 1, t.day);
}

namespace {

std::string SpanText(const SystemSource& s, bool legacy) {
    const std::string first = SourceDateText(s.firstUtc, legacy), last = SourceDateText(s.lastUtc, legacy);
    return first == last ? first
                         : FormatText(ResString(IDS_SOURCE_SPAN).c_str(), first.c_str(), last.c_str());
}

bool Planned(const PlanSession& session, const SystemSource& s) {
    return s.source != OrbitSource::None && session.SystemOn(s.system);
}

} // namespace

std::string SourceAgeText(double days) {
    const int whole = static_cast<int>(std::fabs(days)); // full days
    const bool ahead = days < 0 && whole > 0;
    if (whole == 1)
        return ResString(ahead ? IDS_SOURCE_DAY_AHEAD : IDS_SOURCE_DAY_OLD);
    return FormatText(ResString(ahead ? IDS_SOURCE_DAYS_AHEAD : IDS_SOURCE_DAYS_OLD).c_str(), whole);
}

std::string SourceLine(const SystemSource& s, bool legacy) {
    const char* system = SystemName(s.system);
    if (s.source == OrbitSource::None)
        return FormatText(ResString(IDS_SOURCE_NONE).c_str(), system);
    const std::string age = SourceAgeText(s.ageDays);
    if (s.source == OrbitSource::Almanac || s.almanacFiles) {
        std::string names;
        for (const std::string& f : s.files)
            names += (names.empty() ? "" : ", ") + Printable(std::filesystem::path(f).filename().string());
        return FormatText(ResString(IDS_SOURCE_ALMANAC).c_str(), system, names.c_str(),
                          SpanText(s, legacy).c_str(), age.c_str());
    }
    return FormatText(ResString(s.beyondFit ? IDS_SOURCE_AS_ALMANAC : IDS_SOURCE_NAVIGATION).c_str(), system,
                      SpanText(s, legacy).c_str(), age.c_str());
}

std::string PlannedSystemsText(const PlanSession& session, const std::vector<SystemSource>& sources) {
    std::string text;
    for (const SystemSource& s : sources)
        if (Planned(session, s))
            text += (text.empty() ? "" : "/") + std::string(SystemName(s.system));
    return text;
}

std::optional<SystemSource> FarthestPlannedSource(const PlanSession& session) {
    std::optional<SystemSource> farthest;
    for (const SystemSource& s : session.Sources())
        if (Planned(session, s) && (!farthest || std::fabs(s.ageDays) > std::fabs(farthest->ageDays)))
            farthest = s;
    return farthest;
}

std::vector<std::string> PlannedSourceLines(const PlanSession& session,
                                            const std::vector<SystemSource>& sources, bool legacy) {
    std::vector<std::string> lines;
    for (const SystemSource& s : sources)
        if (Planned(session, s))
            lines.push_back(SourceLine(s, legacy));
    return lines;
}
