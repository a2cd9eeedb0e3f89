#include "config/plansession.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "config/almanacstatus.h"
#include "engine/almanac_scan.h"
#include "engine/gnsstime.h"
#include "engine/keplerianalmanacs.h"
#include "engine/rinexnav.h"
#include "sites/siteinfo.h"

PlanSession::PlanSession() : interval_(PlanInterval::Today()) {
    almanac_.missing = true;
}

uint32_t PlanSession::SetInterval(const PlanInterval& i) {
    const PlanInterval& o = interval_;
    uint32_t flags = 0;
    if (i.beginHour != o.beginHour || i.beginMinute != o.beginMinute || i.endHour != o.endHour ||
        i.endMinute != o.endMinute)
        flags |= ChangeFlags::kTime;
    if (i.beginDay != o.beginDay || i.beginMonth != o.beginMonth || i.beginYear != o.beginYear)
        flags |= ChangeFlags::kDate;
    interval_ = i;
    changes_.Set(flags);
    return flags;
}

void PlanSession::SetSite(const SiteInfo* site) {
    if (site)
        gmtOffset_ = site->gmtOffset;
}

uint32_t PlanSession::SetStep(int seconds) {
    if (seconds <= 0 || seconds == step_)
        return 0;
    step_ = seconds;
    calc_.SetTimeStep(seconds); // refused while no almanac is loaded; the next load takes it
    changes_.Set(ChangeFlags::kAlmanac);
    return ChangeFlags::kAlmanac;
}

uint32_t PlanSession::SetCutOff(int degrees) {
    const float mask = CutOffRadians(degrees);
    if (mask == calc_.elevationMask())
        return 0;
    calc_.SetElevationMask(mask);
    changes_.Set(ChangeFlags::kCutOff);
    return ChangeFlags::kCutOff;
}

uint32_t PlanSession::SetMode(int mode) {
    if (mode == calc_.mode())
        return 0;
    calc_.SetMode(mode);
    changes_.Set(ChangeFlags::kMode);
    return ChangeFlags::kMode;
}

uint32_t PlanSession::SetObstructionsOn(bool on) {
    if (on == (calc_.obstructionsOn() != 0))
        return 0;
    calc_.SetObstructionsOn(on ? 1 : 0);
    changes_.Set(ChangeFlags::kObstructions);
    return ChangeFlags::kObstructions;
}

int PlanSession::Recalculate(const SiteInfo& site) {
    SetSite(&site);
    if (!changes_.Any())
        return 1;
    const int done = calc_.Recalculate(site, interval_, changes_.Level());
    changes_.Clear();
    return done;
}

bool PlanSession::LoadAlmanac(const std::string& path) {
    calc_.SetWeekReference(IntervalBeginDate(interval_));
    calc_.LoadAlmanac(path);
    almanac_ = ReadAlmanacStatus(path);
    changes_.Set(ChangeFlags::kAlmanac);
    if (calc_.loadState() != kLoadOk)
        return false;
    // The engine refuses a new step while it holds no almanac: it takes the chosen one now.
    calc_.SetTimeStep(step_);
    return true;
}

bool PlanSession::LoadNewestAlmanac(const std::string& directory) {
    std::optional<PlanSession> before;
    if (calc_.loadState() == kLoadOk && !calc_.almanacFileName().empty()) {
        try {
            before.emplace(*this);
        } catch (const std::bad_alloc&) {
            before.reset();
        }
    }
    ASortedList<AString>& names = AlmanacNameList();
    ScanAlmanacDirectory(directory, names);
    while (names.First()) {
        if (LoadAlmanac(AlmanacPath(directory, names.Current()->Text())))
            return true;
        names.DeleteCurrent();
    }
    if (before) {
        const ChangeFlags changes = changes_;
        *this = *before;
        changes_ = changes;
    } else {
        ForgetAlmanac();
    }
    return false;
}

bool PlanSession::ReloadIfReplaced() {
    if (almanac_.path.empty() || SameAlmanac(almanac_, ReadAlmanacStatus(almanac_.path)))
        return false;
    LoadAlmanac(almanac_.path);
    return true;
}

void PlanSession::ForgetAlmanac() {
    calc_.ForgetAlmanac();
    calc_.SetTimeStep(step_);
    changes_.Set(ChangeFlags::kAlmanac);
}

std::optional<AlmanacDay> PlanSession::AlmanacDate() const {
    if (calc_.loadState() != kLoadOk)
        return std::nullopt;
    const CalendarTime plan = IntervalBeginDate(interval_);
    const std::optional<CalendarTime> date = calc_.AlmanacDate(plan);
    if (!date)
        return std::nullopt;
    return AlmanacDay{*date, ToDayTime(plan).day - ToDayTime(*date).day};
}

int PlanSession::AlmanacAgeClass() const {
    return calc_.AlmanacAgeClass(interval_, kAlmanacAgeLimitDays);
}

NavigationRead PlanSession::AddNavigationFile(const std::string& path) {
    NavigationRead read;
    const NavigationFile file = ReadOrbitFile(path, IntervalBeginDate(interval_));
    read.warnings = file.warnings;
    if (!file.errors.empty()) {
        read.error = file.errors.front();
        return read;
    }
    calc_.AddNavigation(file);
    navigationFiles_.push_back(path);
    OrbitFile& added = orbitFiles_.emplace_back();
    added.path = path;
    const auto tally = [&](GnssSystem system, double gps) {
        const double utc = GpsToUtc(gps, file.leapSeconds);
        const auto s = static_cast<size_t>(system);
        added.firstUtc[s] = added.records[s] == 0 ? utc : std::min(added.firstUtc[s], utc);
        added.lastUtc[s] = added.records[s] == 0 ? utc : std::max(added.lastUtc[s], utc);
        ++added.records[s];
        ++navigationRecordsPerDay_[static_cast<long>(std::floor(utc / kSecondsPerDay))];
    };
    for (const KeplerEphemeris& k : file.kepler) {
        added.almanac = added.almanac || k.message == NavMessage::Almanac;
        tally(k.satellite.system, k.toeGps);
    }
    for (const GlonassEphemeris& g : file.glonass)
        tally(GnssSystem::Glonass, g.tbGps);
    changes_.Set(ChangeFlags::kAlmanac);
    return read;
}

void PlanSession::AddNewOrbitFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (std::find(navigationFiles_.begin(), navigationFiles_.end(), path) == navigationFiles_.end())
            AddNavigationFile(path);
}

void PlanSession::RemoveNavigationFiles() {
    calc_.ClearNavigation();
    navigationFiles_.clear();
    orbitFiles_.clear();
    navigationRecordsPerDay_.clear();
    changes_.Set(ChangeFlags::kAlmanac);
}

std::optional<double> PlanSession::NavigationDay() const {
    const auto most = std::max_element(navigationRecordsPerDay_.begin(), navigationRecordsPerDay_.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    if (most == navigationRecordsPerDay_.end())
        return std::nullopt;
    return static_cast<double>(most->first) * kSecondsPerDay;
}

bool PlanSession::ChooseSource(GnssSystem system, OrbitSource source) {
    if (source == OrbitSource::None)
        calc_.ChooseSourceAutomatically(system);
    else if (!calc_.SetSource(system, source))
        return false;
    changes_.Set(ChangeFlags::kAlmanac);
    return true;
}

void PlanSession::UpdateStatuses() {
    if (calc_.broadcast().RecordCount() > 0)
        calc_.UpdateStatuses(interval_, gmtOffset_);
}

std::vector<SystemSource> PlanSession::Sources() const {
    const CalendarTime date = CalendarOfScaleSeconds(IntervalMiddleUtc(interval_, gmtOffset_));
    std::vector<SystemSource> sources;
    for (int s = 0; s < kGnssSystems; ++s) {
        SystemSource& out = sources.emplace_back();
        out.system = static_cast<GnssSystem>(s);
        // The source the next computation takes: the chosen one, else the nearer of the two.
        double age = std::numeric_limits<double>::infinity();
        for (const OrbitSource source : {OrbitSource::Almanac, OrbitSource::Broadcast}) {
            if (calc_.SourceChosen(out.system) && calc_.source(out.system) != source)
                continue;
            const double a = calc_.SourceAge(out.system, source, date);
            if (calc_.HasSource(out.system, source) && std::fabs(a) < std::fabs(age)) {
                age = a;
                out.source = source;
            }
        }
        if (out.source == OrbitSource::None)
            continue;
        out.ageDays = age / kSecondsPerDay;
        if (out.source == OrbitSource::Almanac) {
            out.files.push_back(almanac_.path);
            out.firstUtc = out.lastUtc = ScaleSeconds(date) - age;
            continue;
        }
        const auto i = static_cast<size_t>(s);
        for (const OrbitFile& f : orbitFiles_) {
            if (f.records[i] == 0)
                continue;
            out.firstUtc = out.files.empty() ? f.firstUtc[i] : std::min(out.firstUtc, f.firstUtc[i]);
            out.lastUtc = out.files.empty() ? f.lastUtc[i] : std::max(out.lastUtc, f.lastUtc[i]);
            out.files.push_back(f.path);
            out.almanacFiles = out.almanacFiles || f.almanac;
        }
        // Navigation records are fitted to a few hours around their time; GLONASS ones integrated.
        out.beyondFit = !out.almanacFiles && out.system != GnssSystem::Glonass && std::fabs(age) > 4 * 3600.0;
    }
    return sources;
}

void PlanSession::SetSystemOn(GnssSystem system, bool on) {
    systemsOn_[static_cast<int>(system)] = on;
    if (on)
        return;
    for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n)
        SetSatelliteOn(SatelliteCatalogue::Index({system, n}), false);
}

bool PlanSession::HasOrbits(GnssSystem system) const {
    for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n)
        if (calc_.HasAlmanac(SatelliteCatalogue::Index({system, n})))
            return true;
    return false;
}

void PlanSession::SetSatelliteOn(int index, bool on) {
    if (calc_.SetSatelliteState(index + 1, on ? 0 : 1))
        changes_.Set(ChangeFlags::kSatellites);
}

std::unique_ptr<PlanSession> PlanSession::Draft() {
    // The satellites of navigation files come and go with the planning date: the draft starts from
    // what they are now, and so does the session it is compared with on OK.
    UpdateStatuses();
    return std::make_unique<PlanSession>(*this);
}

uint32_t PlanSession::Adopt(const PlanSession& draft) {
    const Calculator& a = calc_;
    const Calculator& b = draft.calc_;
    uint32_t flags = 0;
    bool sourcesDiffer = false;
    for (int s = 0; s < kGnssSystems; ++s) {
        const GnssSystem system = static_cast<GnssSystem>(s);
        sourcesDiffer = sourcesDiffer || a.source(system) != b.source(system) ||
                        a.SourceChosen(system) != b.SourceChosen(system);
    }
    if (a.loadState() != b.loadState() || !SameAlmanac(almanac_, draft.almanac_) ||
        navigationFiles_ != draft.navigationFiles_ || sourcesDiffer)
        flags |= ChangeFlags::kAlmanac;
    if (a.statuses() != b.statuses() || systemsOn_ != draft.systemsOn_)
        flags |= ChangeFlags::kSatellites;
    directory_ = draft.directory_;
    if (flags == 0)
        return 0;
    const ChangeFlags changes = changes_;
    const PlanInterval interval = interval_;
    const double gmtOffset = gmtOffset_;
    *this = draft;
    changes_ = changes;
    interval_ = interval;
    gmtOffset_ = gmtOffset;
    changes_.Set(flags);
    return flags;
}

AlmanacImportResult PlanSession::ImportPublished(const std::vector<std::string>& paths,
                                                 const std::string& directory,
                                                 const std::optional<CalendarTime>& date,
                                                 SafeWriteOptions options) {
    return date ? ImportAlmanacFiles(paths, directory, *date, false, options)
                : ImportAlmanacFiles(paths, directory, TodayUtc(), true, options);
}

void FillSatelliteStates(const PlanSession& session, BufferForConfiguration& buffer) {
    const Calculator& calc = session.engine();
    const auto on = [&](GnssSystem s) { return session.SystemOn(s) && session.HasOrbits(s); };
    buffer.gps = on(GnssSystem::Gps) ? 1 : 0;
    buffer.glonass = on(GnssSystem::Glonass) ? 1 : 0;
    for (int s = 0; s < kLaterSystems; ++s)
        buffer.laterSystems[s] = on(static_cast<GnssSystem>(s + 2)) ? 1 : 0;
    RefreshSatelliteStates(calc, buffer);
}

void ApplySatelliteStates(const BufferForConfiguration& buffer, PlanSession& session) {
    for (int s = 0; s < kGnssSystems; ++s) {
        const GnssSystem system = static_cast<GnssSystem>(s);
        // A system greyed out for want of orbits keeps the user's choice.
        if (session.HasOrbits(system))
            session.SetSystemOn(system, buffer.SystemState(system) != 0);
    }
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i) {
        const uint16_t box = buffer.Box(i);
        if (box != 2)
            session.SetSatelliteOn(i, box == 1);
    }
}

uint32_t ApplyOptions(const OptionsTransfer& options, PlanSession& session) {
    return session.SetCutOff(options.CutOffDegrees()) | session.SetMode(options.mode2D == 1 ? 1 : 0) |
           session.SetStep(options.TimeStepSeconds()) | session.SetObstructionsOn(options.obstructions != 0);
}
