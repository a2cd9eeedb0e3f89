#include "engine/calculator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <new>
#include <stdexcept>

#include "engine/almanac_import.h"
#include "engine/almanac_scan.h"
#include "engine/geodesy.h"
#include "engine/gnsstime.h"
#include "engine/orbit.h"
#include "engine/vectorkernels.h"
#include "sites/siteinfo.h"

namespace {

constexpr double kGlonassFromUtc = 10800.0; // GLONASS time is UTC + 3 h, s
// Room for the projected obstructions of a site; a site with more is tested through FindObstruction.
constexpr size_t kProjectedVertices = 4096;
constexpr size_t kProjectedOutlines = 256;

// Replaces `series` by a zeroed array of `count` entries; false when memory runs out.
template <typename T> bool Fresh(std::vector<T>& series, int32_t count) {
    try {
        std::vector<T> fresh(static_cast<size_t>(count));
        series.swap(fresh);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

// The interval's begin and end in seconds from its begin date's midnight (local time); an end not
// after the begin is on the next day.
struct IntervalSeconds {
    int32_t begin, end;
};
IntervalSeconds SecondsOf(const PlanInterval& interval) {
    const int32_t a = interval.beginHour * 3600 + interval.beginMinute * 60;
    int32_t b = interval.endHour * 3600 + interval.endMinute * 60;
    if (a >= b)
        b += kWindowLength; // across midnight; equal times are a whole day
    return {a, b};
}

// The middle of the interval, UTC (seconds of the calendar count), for a site `gmtOffset` hours ahead.
double MiddleUtc(const PlanInterval& interval, IntervalSeconds seconds, double gmtOffset) {
    return ScaleSeconds(IntervalBeginDate(interval)) + 0.5 * (seconds.begin + seconds.end) -
           gmtOffset * 3600.0;
}

} // namespace

double IntervalMiddleUtc(const PlanInterval& interval, double gmtOffset) {
    return MiddleUtc(interval, SecondsOf(interval), gmtOffset);
}

Calculator::Calculator() {
    statuses_.fill(StatusNoAlmanac);
    almanacStatuses_.fill(StatusNoAlmanac);
    userDisabled_.fill(-1);
    sources_.fill(OrbitSource::None);
    reallocated_ = 1;
    windowLength_ = kWindowLength;
    windowStart_ = 0;
    windowEnd_ = kWindowLength;
    mode_ = 0;
    obstructionsOn_ = 1;
    SetTimeStep(900);
    InitEllipsoid();
    try {
        projectedVertices_.reserve(kProjectedVertices);
        projectedOutlines_.reserve(kProjectedOutlines);
    } catch (const std::bad_alloc&) {
        // the obstructions are then tested through the site itself
    }
}

int Calculator::SetTimeStep(int32_t step) {
    if (loadState_ != kLoadOk)
        return 0;
    // A step of zero or less would divide by zero and sample backwards.
    if (step <= 0)
        return 0;
    if (step == step_)
        return 1;
    step_ = step;
    sampleCount_ = kWindowLength / step + 1;
    AllocateSeries();
    reallocated_ = 1;
    return loadState_ == kLoadOk ? 1 : 0;
}

int Calculator::AllocateSeries() {
    if (loadState_ != kLoadOk)
        return 0;
    loadState_ = kLoadOutOfMemory;
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i) {
        if (!Fresh(samples_[i], HasOrbit(i) ? sampleCount_ : 0))
            return 0;
    }
    if (!Fresh(noSamples_, sampleCount_))
        return 0;
    for (std::vector<float>* s : {&pdop_, &gdop_, &hdop_, &vdop_, &tdop_}) {
        if (!Fresh(*s, sampleCount_))
            return 0;
    }
    if (!Fresh(satelliteCount_, sampleCount_) || !Fresh(solutionFlag_, sampleCount_))
        return 0;
    if (!Fresh(sampleUtc_, sampleCount_) || !Fresh(xyz_, PositionsRoom()) ||
        !Fresh(direction_, 4 * sampleCount_) || !Fresh(scratch_, 8 * sampleCount_) ||
        !Fresh(visibleLists_, SatelliteCatalogue::kSize * sampleCount_))
        return 0;
    mayBeVisible_.fill(false); // the fresh samples are all invisible
    loadState_ = kLoadOk;
    return 1;
}

int32_t Calculator::PositionsRoom() const {
    int32_t lanes = 0;
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
        if (broadcast_.Has(i))
            lanes =
                std::max(lanes, SatelliteCatalogue::At(i).system == GnssSystem::Glonass ? kGlonassLanes : 1);
    return 3 * lanes * sampleCount_;
}

void Calculator::FitSampleArrays() {
    if (loadState_ == kLoadOutOfMemory)
        return;
    if (const int32_t room = PositionsRoom();
        static_cast<int32_t>(xyz_.size()) != room && !Fresh(xyz_, room)) {
        loadState_ = kLoadOutOfMemory;
        return;
    }
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i) {
        const bool has = !samples_[i].empty();
        if (has == HasOrbit(i))
            continue;
        if (!Fresh(samples_[i], has ? 0 : sampleCount_)) {
            loadState_ = kLoadOutOfMemory;
            return;
        }
        mayBeVisible_[i] = false;
    }
}

void Calculator::ClearAlmanac() {
    loadState_ = kLoadOk;
    gps_ = GpsAlmanac{};
    glonass_ = GlonassAlmanac{};
    almanacStatuses_.fill(StatusNoAlmanac);
}

void Calculator::LoadAlmanac(const std::string& path) {
    if (loadState_ == kLoadOutOfMemory)
        return;
    ClearAlmanac();
    for (int k = 0; k < kSatellites; ++k)
        userDisabled_[k] = -1;

    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        loadState_ = kLoadNotOpened;
        AdoptAlmanac();
        FitSampleArrays();
        return;
    }
    const int todayWeek = ToGpsTime(TodayUtc()).week;
    const int nearWeek = weekReference_ ? ToGpsTime(*weekReference_).week : todayWeek;
    uint8_t block[kGpsBlockSize];
    if (std::fread(block, 1, kGpsBlockSize, f) == kGpsBlockSize) {
        for (int k = 0; k < kGpsSatellites; ++k) {
            GpsAlmanacRecord r = DecodeGpsRecord(block + k * kGpsRecordSize);
            if (IsValidGpsRecord(r)) {
                AcceptGpsRecord(r, nearWeek, todayWeek + kFutureWeeks);
                almanacStatuses_[k] = IsHealthy(r) ? 0 : StatusUnhealthy | StatusDisabled;
            }
            gps_[k] = r;
        }
    } else {
        std::clearerr(f);
        std::fseek(f, 0, SEEK_SET);
        loadState_ = kLoadNotRead;
    }
    if (std::fread(block, 1, kGlonassBlockSize, f) == kGlonassBlockSize) {
        for (int k = 0; k < kGlonassSatellites; ++k) {
            const GlonassAlmanacRecord r = DecodeGlonassRecord(block + k * kGlonassRecordSize);
            if (IsValidGlonassRecord(r))
                almanacStatuses_[kGpsSatellites + k] = IsHealthy(r) ? 0 : StatusUnhealthy | StatusDisabled;
            glonass_[k] = r;
        }
        loadState_ = kLoadOk;
    }
    std::fclose(f);
    // Random bytes of the right length: no record passes, and there is nothing to plan with.
    if (loadState_ == kLoadOk && std::all_of(almanacStatuses_.begin(), almanacStatuses_.end(),
                                             [](int32_t s) { return s == StatusNoAlmanac; }))
        loadState_ = kLoadNoValidRecord;
    if (loadState_ == kLoadOk) {
        try {
            almanacFileName_ = path;
        } catch (const std::bad_alloc&) {
            almanacFileName_.clear();
        }
    }
    AdoptAlmanac();
    FitSampleArrays();
}

void Calculator::ForgetAlmanac() {
    if (loadState_ == kLoadOutOfMemory)
        return;
    ClearAlmanac();
    almanacFileName_.clear();
    AdoptAlmanac();
    FitSampleArrays();
}

void Calculator::AdoptAlmanac() {
    for (GnssSystem system : {GnssSystem::Gps, GnssSystem::Glonass}) {
        OrbitSource& source = sources_[static_cast<int>(system)];
        if (source == OrbitSource::Broadcast)
            continue;
        source = HasSource(system, OrbitSource::Almanac)     ? OrbitSource::Almanac
                 : HasSource(system, OrbitSource::Broadcast) ? OrbitSource::Broadcast
                                                             : OrbitSource::None;
        if (source != OrbitSource::Broadcast)
            RefreshAlmanacStatuses(system);
    }
}

void Calculator::AddNavigation(const NavigationFile& file) {
    broadcast_.Add(file);
    for (int s = 0; s < kGnssSystems; ++s) {
        if (sources_[s] == OrbitSource::None &&
            HasSource(static_cast<GnssSystem>(s), OrbitSource::Broadcast)) {
            sources_[s] = OrbitSource::Broadcast;
            orbitsChanged_ = true; // the next recalculation starts from the positions
        }
    }
    FitSampleArrays();
}

void Calculator::ClearNavigation() {
    broadcast_.Clear();
    for (int s = 0; s < kGnssSystems; ++s) {
        if (sources_[s] != OrbitSource::Broadcast)
            continue;
        const GnssSystem system = static_cast<GnssSystem>(s);
        sources_[s] = HasSource(system, OrbitSource::Almanac) ? OrbitSource::Almanac : OrbitSource::None;
        sourceChosen_[s] = false;
        RefreshAlmanacStatuses(system);
    }
    orbitsChanged_ = true;
    FitSampleArrays();
}

void Calculator::CopyNavigation(const Calculator& from) {
    broadcast_ = from.broadcast_;
    sources_ = from.sources_;
    sourceChosen_ = from.sourceChosen_;
    for (int i = kSatellites; i < SatelliteCatalogue::kSize; ++i)
        userDisabled_[i] = from.userDisabled_[i];
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i) {
        if (FromNavigation(i)) {
            statuses_[i] = from.statuses_[i];
            userDisabled_[i] = from.userDisabled_[i];
        }
    }
    orbitsChanged_ = true;
    FitSampleArrays();
}

bool Calculator::HasSource(GnssSystem system, OrbitSource source) const {
    for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n) {
        const int i = SatelliteCatalogue::Index({system, n});
        if (source == OrbitSource::Almanac && i < kSatellites && almanacStatuses_[i] != StatusNoAlmanac)
            return true;
        if (source == OrbitSource::Broadcast && broadcast_.Has(i))
            return true;
    }
    return false;
}

bool Calculator::SetSource(GnssSystem system, OrbitSource source) {
    if (source != OrbitSource::None && !HasSource(system, source))
        return false;
    const int s = static_cast<int>(system);
    sourceChosen_[s] = true;
    if (sources_[s] == source)
        return true;
    sources_[s] = source;
    RefreshAlmanacStatuses(system); // a broadcast system's statuses follow at the next recalculation
    orbitsChanged_ = true;
    return true;
}

void Calculator::ChooseSourceAutomatically(GnssSystem system) {
    sourceChosen_[static_cast<int>(system)] = false;
    orbitsChanged_ = true;
}

double Calculator::SourceAge(GnssSystem system, OrbitSource source, const CalendarTime& dateUtc) const {
    const double utc = ScaleSeconds(dateUtc);
    const double gps = broadcast_.UtcToGps(utc);
    double age = std::numeric_limits<double>::infinity();
    const auto nearer = [&age](double a) {
        if (std::fabs(a) < std::fabs(age))
            age = a;
    };
    if (source == OrbitSource::Almanac && system == GnssSystem::Gps) {
        for (int k = 0; k < kGpsSatellites; ++k)
            if (almanacStatuses_[k] != StatusNoAlmanac)
                return gps - (static_cast<double>(gps_[k].week) * kSecondsPerWeek + gps_[k].toa);
    } else if (source == OrbitSource::Almanac && system == GnssSystem::Glonass) {
        const int32_t today = ToDayTime(dateUtc).day;
        for (int k = 0; k < kGlonassSatellites; ++k)
            if (InAlmanac(kGpsSatellites + k))
                return static_cast<double>(today - GlonassAlmanacDay(glonass_[k].n, dateUtc)) *
                       kSecondsPerDay;
    } else if (source == OrbitSource::Broadcast) {
        for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n) {
            const int i = SatelliteCatalogue::Index({system, n});
            if (const KeplerEphemeris* k = broadcast_.NearestKepler(i, gps))
                nearer(gps - k->toeGps);
            if (const GlonassEphemeris* g = broadcast_.NearestGlonass(i, gps))
                nearer(gps - g->tbGps);
        }
    }
    return age;
}

bool Calculator::ChooseSources(const CalendarTime& dateUtc) {
    bool changed = false;
    for (int s = 0; s < kGnssSystems; ++s) {
        const GnssSystem system = static_cast<GnssSystem>(s);
        if (sourceChosen_[s] || !HasSource(system, OrbitSource::Almanac) ||
            !HasSource(system, OrbitSource::Broadcast))
            continue;
        const OrbitSource best = std::fabs(SourceAge(system, OrbitSource::Broadcast, dateUtc)) <
                                         std::fabs(SourceAge(system, OrbitSource::Almanac, dateUtc))
                                     ? OrbitSource::Broadcast
                                     : OrbitSource::Almanac;
        if (best != sources_[s]) {
            sources_[s] = best;
            RefreshAlmanacStatuses(system);
            changed = true;
        }
    }
    return changed;
}

void Calculator::UpdateStatuses(const PlanInterval& interval, double gmtOffset) {
    const double middleUtc = IntervalMiddleUtc(interval, gmtOffset);
    ChooseSources(CalendarOfScaleSeconds(middleUtc));
    RefreshBroadcastStatuses(middleUtc);
    orbitsChanged_ = true; // the next recalculation starts from the positions
}

int32_t Calculator::WithUserChoice(int index, int32_t base) const {
    return base == StatusNoAlmanac || userDisabled_[index] < 0
               ? base
               : (userDisabled_[index] ? StatusDisabled : 0) | (base & StatusUnhealthy);
}

void Calculator::RefreshAlmanacStatuses(GnssSystem system) {
    if (sources_[static_cast<int>(system)] == OrbitSource::Broadcast)
        return;
    for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n) {
        const int i = SatelliteCatalogue::Index({system, n});
        const int32_t base = i < kSatellites && sources_[static_cast<int>(system)] == OrbitSource::Almanac
                                 ? almanacStatuses_[i]
                                 : StatusNoAlmanac;
        statuses_[i] = WithUserChoice(i, base);
    }
}

void Calculator::RefreshBroadcastStatuses(double utc) {
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i) {
        if (!FromNavigation(i))
            continue;
        const SatelliteHealth health = broadcast_.HealthAt(i, utc);
        // Unhealthy satellites start switched off, as the almanac's do.
        const int32_t base = health == SatelliteHealth::NoOrbit     ? StatusNoAlmanac
                             : health == SatelliteHealth::Unhealthy ? StatusUnhealthy | StatusDisabled
                                                                    : 0;
        statuses_[i] = WithUserChoice(i, base);
    }
}

void Calculator::SetWeekReference(const CalendarTime& date) {
    weekReference_ = date;
}

int Calculator::SetSatelliteState(int number, int disabled) {
    if (number < 1 || number > SatelliteCatalogue::kSize)
        return 0;
    int32_t& s = statuses_[number - 1];
    if (s == StatusNoAlmanac) {
        const int system = static_cast<int>(SatelliteCatalogue::At(number - 1).system);
        if (sources_[system] != OrbitSource::Broadcast || !broadcast_.Has(number - 1))
            return 0;
        userDisabled_[number - 1] = disabled ? 1 : 0; // the status follows at the recalculation
        return 1;
    }
    userDisabled_[number - 1] = disabled ? 1 : 0;
    s = (disabled ? StatusDisabled : 0) | (s & StatusUnhealthy);
    return 1;
}

int Calculator::FirstEnabledGps() const {
    for (int k = 0; k < kGpsSatellites; ++k) {
        if (IsEnabled(k))
            return k + 1;
    }
    return 0;
}

int Calculator::FirstEnabledGlonass() const {
    for (int k = 0; k < kGlonassSatellites; ++k) {
        if (IsEnabled(kGpsSatellites + k))
            return k + 1;
    }
    return 0;
}

int Calculator::FrequencyNumber(int index) const {
    if (SatelliteCatalogue::At(index).system != GnssSystem::Glonass)
        return 0;
    if (source(GnssSystem::Glonass) == OrbitSource::Broadcast) {
        // The channel of the record the plan is nearest (any record of the satellite will do).
        const double middle = sampleUtc_.empty() ? 0 : broadcast_.UtcToGps(sampleUtc_[sampleUtc_.size() / 2]);
        const GlonassEphemeris* g = broadcast_.NearestGlonass(index, middle);
        return g ? g->channel : 0;
    }
    // The almanac has slots 1-24 only.
    return index < kSatellites ? glonass_[index - kGpsSatellites].channel : 0;
}

int Calculator::GpsAlmanacAge(const CalendarTime& date) const {
    if (source(GnssSystem::Gps) == OrbitSource::Broadcast)
        return 0; // the almanac is not used
    const int p = FirstEnabledGps();
    if (p == 0)
        return 0;
    const GpsAlmanacRecord& r = gps_[p - 1];
    const GpsTime t = ToGpsTime(date);
    const double seconds = static_cast<double>(t.week - r.week) * kSecondsPerWeek + t.seconds - r.toa;
    return static_cast<int>(seconds / kSecondsPerDay); // truncated toward zero
}

int32_t Calculator::GlonassAlmanacDay(int32_t n, const CalendarTime& near) const {
    const std::optional<CalendarTime> named =
        AlmanacNameDate(std::filesystem::path(almanacFileName_).filename().string());
    const CalendarTime anchor = named ? *named : near;
    int offset = ToGlonassTime(anchor).dayIndex + 1 - n;
    if (offset > 730)
        offset -= 1461;
    if (offset < -730)
        offset += 1461;
    return ToDayTime(anchor).day - offset;
}

std::optional<CalendarTime> Calculator::AlmanacDate(const CalendarTime& near) const {
    for (int i = 0; i < kGpsSatellites; ++i)
        if (InAlmanac(i))
            return GpsToCalendar(GpsTime{gps_[i].week, static_cast<double>(gps_[i].toa)});
    for (int i = kGpsSatellites; i < kSatellites; ++i)
        if (InAlmanac(i))
            return FromDayTime(DayTime{GlonassAlmanacDay(glonass_[i - kGpsSatellites].n, near), 0.0});
    return std::nullopt;
}

int Calculator::GlonassAlmanacAge(const CalendarTime& date) const {
    if (source(GnssSystem::Glonass) == OrbitSource::Broadcast)
        return 0;
    const int q = FirstEnabledGlonass();
    if (q == 0)
        return 0;
    return ToDayTime(date).day - GlonassAlmanacDay(glonass_[q - 1].n, date);
}

int Calculator::AlmanacAgeClass(const CalendarTime& date, int limit) const {
    const int gps = GpsAlmanacAge(date);
    const int glonass = GlonassAlmanacAge(date);
    if (limit < gps || limit < glonass)
        return 1;
    if (gps < -limit || glonass < -limit)
        return -1;
    return 0;
}

int Calculator::AlmanacAgeClass(const PlanInterval& interval, int limit) const {
    return AlmanacAgeClass(IntervalBeginDate(interval), limit);
}

void Calculator::ComputePositions(const CalendarTime& windowStartUtc) {
    if (loadState_ == kLoadOutOfMemory)
        return; // the arrays may be shorter than the sample count
    GpsTime gps = ToGpsTime(windowStartUtc);
    GpsTime shifted = gps;
    AddSeconds(shifted, kGlonassFromUtc);
    GlonassTime glonass = ToGlonassTime(GpsToCalendar(shifted));
    std::array<GpsOrbitTerms, kGpsSatellites> gpsTerms;
    for (int j = 0; j < kGpsSatellites; ++j)
        gpsTerms[j] = PrepareGpsOrbit(gps_[j]);
    std::array<GlonassOrbitTerms, kGlonassSatellites> glonassTerms;
    for (int j = 0; j < kGlonassSatellites; ++j)
        glonassTerms[j] = PrepareGlonassOrbit(glonass_[j]);
    // The almanacs' orbits take GPS time as UTC, as they always have.
    const bool gpsAlmanac = source(GnssSystem::Gps) == OrbitSource::Almanac;
    const bool glonassAlmanac = source(GnssSystem::Glonass) == OrbitSource::Almanac;
    if (const VectorKernels* kernels = ActiveKernels(); kernels && (gpsAlmanac || glonassAlmanac)) {
        AlmanacPositions(*kernels, gps, glonass, gpsTerms.data(), glonassTerms.data(), gpsAlmanac,
                         glonassAlmanac);
    } else {
        for (int32_t k = 0; k < sampleCount_ && (gpsAlmanac || glonassAlmanac); ++k) {
            for (int j = 0; j < kGpsSatellites && gpsAlmanac; ++j) {
                if (!Planned(j))
                    continue;
                SatSample& s = samples_[j][k];
                s.x = s.y = s.z = 0;
                GpsPosition(gps_[j], gpsTerms[j], gps.week, gps.seconds, s.x, s.y, s.z);
            }
            for (int j = 0; j < kGlonassSatellites && glonassAlmanac; ++j) {
                const int index = kGpsSatellites + j;
                if (!Planned(index))
                    continue;
                SatSample& s = samples_[index][k];
                s.x = s.y = s.z = 0;
                GlonassPosition(glonass_[j], glonassTerms[j], glonass.dayIndex + 1, 2.0 * glonass.timeOfDay,
                                s.x, s.y, s.z);
            }
            AddSeconds(gps, step_);
            AddSeconds(glonass, step_);
        }
    }
    const double start = ScaleSeconds(windowStartUtc);
    for (int32_t k = 0; k < sampleCount_; ++k)
        sampleUtc_[k] = start + static_cast<double>(k) * step_;
    // The GLONASS satellites of navigation files side by side, a batch of kernel lanes at a time;
    // the rest, and those a batch cannot take, one by one.
    int batch[kGlonassLanes];
    int batched = 0;
    const auto flush = [&] {
        double* xyz[kGlonassLanes];
        bool done[kGlonassLanes];
        for (int l = 0; l < batched; ++l)
            xyz[l] = xyz_.data() + 3 * static_cast<size_t>(sampleCount_) * l;
        broadcast_.GlonassPositions(batch, batched, sampleUtc_.data(), sampleCount_, xyz, done, glonassWork_);
        for (int l = 0; l < batched; ++l) { // lane 0's buffer is the one BroadcastPositions uses
            if (done[l])
                StorePositions(batch[l], xyz[l]);
            else
                BroadcastPositions(batch[l]);
        }
        batched = 0;
    };
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i) {
        if (!FromNavigation(i) || !Planned(i))
            continue;
        if (SatelliteCatalogue::At(i).system != GnssSystem::Glonass) {
            BroadcastPositions(i);
            continue;
        }
        batch[batched++] = i;
        if (batched == kGlonassLanes)
            flush();
    }
    flush();
}

void Calculator::AlmanacPositions(const VectorKernels& kernels, GpsTime gps, GlonassTime glonass,
                                  const GpsOrbitTerms* gpsTerms, const GlonassOrbitTerms* glonassTerms,
                                  bool gpsAlmanac, bool glonassAlmanac) {
    const int n = sampleCount_;
    // The times of the samples on each system's clock, stepped as the scalar code steps them.
    double *gpsWeek = scratch_.data(), *gpsSeconds = gpsWeek + n, *glonassDay = gpsSeconds + n,
           *glonassSeconds = glonassDay + n, *t = glonassSeconds + n, *x = t + n, *y = x + n, *z = y + n;
    for (int32_t k = 0; k < n; ++k) {
        gpsWeek[k] = gps.week;
        gpsSeconds[k] = gps.seconds;
        glonassDay[k] = glonass.dayIndex + 1;
        glonassSeconds[k] = 2.0 * glonass.timeOfDay;
        AddSeconds(gps, step_);
        AddSeconds(glonass, step_);
    }
    // Angles the kernels reduce exactly: an almanac decades off goes the scalar way.
    constexpr double kKernelTimes = 5e9; // s
    // The times grow along the window: its ends lie farthest from the reference.
    auto kernelTimes = [&] {
        return n == 0 || (std::fabs(t[0]) < kKernelTimes && std::fabs(t[n - 1]) < kKernelTimes);
    };
    auto store = [&](int index) {
        SatSample* s = samples_[index].data();
        for (int32_t k = 0; k < n; ++k) {
            s[k].x = static_cast<float>(x[k]);
            s[k].y = static_cast<float>(y[k]);
            s[k].z = static_cast<float>(z[k]);
        }
    };
    for (int j = 0; j < kGpsSatellites && gpsAlmanac; ++j) {
        if (!Planned(j))
            continue;
        const GpsAlmanacRecord& r = gps_[j];
        for (int32_t k = 0; k < n; ++k)
            t[k] = GpsTimeFromToa(r, static_cast<int32_t>(gpsWeek[k]), gpsSeconds[k]);
        const GpsOrbitTerms& o = gpsTerms[j];
        if (kernelTimes()) {
            const GpsKernelOrbit orbit{o.a,    o.n,  o.root,  o.cosI,     o.sinI,      o.cosW,
                                       o.sinW, o.m0, o.node0, o.nodeRate, o.nodeAtToa, r.e};
            kernels.gpsAlmanac(orbit, t, n, x, y, z);
        } else {
            for (int32_t k = 0; k < n; ++k) {
                double p[3];
                GpsPositionAt(r, o, t[k], p);
                x[k] = p[0], y[k] = p[1], z[k] = p[2];
            }
        }
        store(j);
    }
    for (int j = 0; j < kGlonassSatellites && glonassAlmanac; ++j) {
        const int index = kGpsSatellites + j;
        if (!Planned(index))
            continue;
        const GlonassAlmanacRecord& r = glonass_[j];
        for (int32_t k = 0; k < n; ++k)
            t[k] = GlonassTimeFromNode(r, static_cast<int32_t>(glonassDay[k]), glonassSeconds[k]);
        const GlonassOrbitTerms& o = glonassTerms[j];
        const GlonassKernelOrbit orbit{o.cosI,  o.sinI,   o.root,
                                       r.e,     r.deltaT, r.deltaTDot,
                                       r.omega, r.lambda, GlonassSemiMajorAxis(r, t[0])};
        kernels.glonassAlmanac(orbit, t, n, x, y, z); // within half the four-year cycle
        store(index);
    }
}

void Calculator::BroadcastPositions(int index) {
    double* xyz = xyz_.data();
    const double* utc = sampleUtc_.data();
    const int n = sampleCount_;
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    if (!broadcast_.Positions(index, utc, n, xyz)) {
        // Some samples lie beyond every record: plan the runs the records reach, the rest stays
        // unknown (and so never visible).
        std::fill(xyz, xyz + 3 * static_cast<size_t>(n), kNaN);
        auto reached = [&](int k) {
            const double gps = broadcast_.UtcToGps(utc[k]);
            return broadcast_.NearestKepler(index, gps) != nullptr ||
                   broadcast_.NearestGlonass(index, gps) != nullptr;
        };
        for (int k = 0; k < n;) {
            if (!reached(k)) {
                ++k;
                continue;
            }
            int end = k + 1;
            while (end < n && reached(end))
                ++end;
            double* run = xyz + 3 * static_cast<size_t>(k);
            if (!broadcast_.Positions(index, utc + k, end - k, run))
                std::fill(run, xyz + 3 * static_cast<size_t>(end), kNaN);
            k = end;
        }
    }
    StorePositions(index, xyz);
}

void Calculator::StorePositions(int index, const double* xyz) {
    SatSample* s = samples_[index].data();
    for (int k = 0; k < sampleCount_; ++k) {
        s[k].x = static_cast<float>(xyz[3 * k]);
        s[k].y = static_cast<float>(xyz[3 * k + 1]);
        s[k].z = static_cast<float>(xyz[3 * k + 2]);
    }
}

int Calculator::Recalculate(const SiteInfo& site, const PlanInterval& interval, int level) {
    return Recalculate(site, site.gmtOffset, interval, level);
}

int Calculator::Recalculate(const SiteInfo& site, float gmtOffset, const PlanInterval& interval, int level) {
    if (loadState_ != kLoadOk)
        return 0;
    if (!site.HasValidValues()) {
        // A site from a damaged list: nothing is shown for it rather than another site's results.
        site_ = &site;
        for (auto& series : samples_)
            std::fill(series.begin(), series.end(), SatSample{});
        for (auto* series : {&pdop_, &gdop_, &hdop_, &vdop_, &tdop_})
            std::fill(series->begin(), series->end(), 0.0f);
        std::fill(satelliteCount_.begin(), satelliteCount_.end(), 0);
        std::fill(solutionFlag_.begin(), solutionFlag_.end(), 0);
        windowEnd_ = windowStart_ - 1; // the next usable site starts from the positions again
        return 0;
    }
    if (reallocated_) {
        reallocated_ = 0;
        level = 1;
    }
    site_ = &site;

    const IntervalSeconds seconds = SecondsOf(interval);
    const int32_t a = seconds.begin, b = seconds.end;
    if (a < windowStart_ || b > windowEnd_) {
        const int32_t d = (kWindowLength - (b - a)) / 2;
        windowStart_ = a - d;
        windowEnd_ = b + d;
        if (windowStart_ < 0) {
            windowStart_ = 0;
            windowEnd_ = kWindowLength;
        }
        level = 1;
    }
    // The systems planned from navigation files take their health at the middle of the interval;
    // a satellite gaining or losing its orbit needs the positions again.
    const double middleUtc = MiddleUtc(interval, seconds, static_cast<double>(gmtOffset));
    bool newOrbits = orbitsChanged_;
    orbitsChanged_ = false;
    newOrbits = ChooseSources(CalendarOfScaleSeconds(middleUtc)) || newOrbits;
    std::array<bool, SatelliteCatalogue::kSize> had{};
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
        had[i] = HasAlmanac(i);
    RefreshBroadcastStatuses(middleUtc);
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
        newOrbits = newOrbits || had[i] != HasAlmanac(i);
    if (newOrbits && level >= 1 && level <= 4)
        level = 1;
    intervalCount_ = (b - a) / step_ + 1;
    intervalFirst_ = (a - windowStart_) / step_;
    if (intervalFirst_ + intervalCount_ > sampleCount_)
        intervalCount_ = sampleCount_ - intervalFirst_;

    if (level == 3 && onlyNearTheSky_)
        level = 2; // the directions left out depend on the cut-off and the obstructions
    switch (level) {
    case 1: {
        // The half-minute the re-centring can leave in the window start is dropped.
        const CalendarTime local =
            MakeCalendarTime(windowStart_ / 3600, (windowStart_ % 3600) / 60, 0, interval.beginDay,
                             interval.beginMonth, interval.beginYear);
        GpsTime utc = ToGpsTime(local);
        SubtractSeconds(utc, static_cast<double>(gmtOffset) * 3600.0);
        ComputePositions(GpsToCalendar(utc));
        ComputeAzEl(site);
        ComputeVisibilityAndDop(site);
        return 1;
    }
    case 2:
        ComputeAzEl(site);
        ComputeVisibilityAndDop(site);
        return 1;
    case 3:
        ComputeVisibilityAndDop(site);
        return 1;
    case 4:
        return 1;
    default:
        return 0;
    }
}
