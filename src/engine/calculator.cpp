#include "engine/calculator.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "engine/almanac_import.h"
#include "engine/orbit.h"
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

} // namespace

Calculator::Calculator() {
    statuses_.fill(StatusNoAlmanac);
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
    for (std::vector<SatSample>& s : samples_) {
        if (!Fresh(s, sampleCount_))
            return 0;
    }
    for (std::vector<float>* s : {&pdop_, &gdop_, &hdop_, &vdop_, &tdop_}) {
        if (!Fresh(*s, sampleCount_))
            return 0;
    }
    if (!Fresh(satelliteCount_, sampleCount_) || !Fresh(solutionFlag_, sampleCount_))
        return 0;
    loadState_ = kLoadOk;
    return 1;
}

void Calculator::LoadAlmanac(const std::string& path) {
    if (loadState_ == kLoadOutOfMemory)
        return;
    loadState_ = kLoadOk;
    gps_ = GpsAlmanac{};
    glonass_ = GlonassAlmanac{};
    statuses_.fill(StatusNoAlmanac);

    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        loadState_ = kLoadNotOpened;
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
                statuses_[k] = IsHealthy(r) ? 0 : StatusUnhealthy | StatusDisabled;
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
                statuses_[kGpsSatellites + k] = IsHealthy(r) ? 0 : StatusUnhealthy | StatusDisabled;
            glonass_[k] = r;
        }
        loadState_ = kLoadOk;
    }
    std::fclose(f);
    // Random bytes of the right length: no record passes, and there is nothing to plan with.
    if (loadState_ == kLoadOk &&
        std::all_of(statuses_.begin(), statuses_.end(), [](int32_t s) { return s == StatusNoAlmanac; }))
        loadState_ = kLoadNoValidRecord;
    if (loadState_ == kLoadOk) {
        try {
            almanacFileName_ = path;
        } catch (const std::bad_alloc&) {
            almanacFileName_.clear();
        }
    }
}

void Calculator::SetWeekReference(const CalendarTime& date) {
    weekReference_ = date;
}

int Calculator::SetSatelliteState(int number, int disabled) {
    if (number < 1 || number > kSatellites)
        return 0;
    int32_t& s = statuses_[number - 1];
    if (s == StatusNoAlmanac)
        return 0;
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
    if (index < kGpsSatellites || index >= kSatellites)
        return 0;
    return glonass_[index - kGpsSatellites].channel;
}

int Calculator::GpsAlmanacAge(const CalendarTime& date) const {
    const int p = FirstEnabledGps();
    if (p == 0)
        return 0;
    const GpsAlmanacRecord& r = gps_[p - 1];
    const GpsTime t = ToGpsTime(date);
    const double seconds = static_cast<double>(t.week - r.week) * kSecondsPerWeek + t.seconds - r.toa;
    return static_cast<int>(seconds / kSecondsPerDay); // truncated toward zero
}

int Calculator::GlonassAlmanacAge(const CalendarTime& date) const {
    const int q = FirstEnabledGlonass();
    if (q == 0)
        return 0;
    int age = ToGlonassTime(date).dayIndex + 1 - glonass_[q - 1].n;
    if (age > 730)
        age -= 1461;
    if (age < -730)
        age += 1461;
    return age;
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
    return AlmanacAgeClass(
        MakeCalendarTime(0, 0, 0, interval.beginDay, interval.beginMonth, interval.beginYear), limit);
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
    for (int32_t k = 0; k < sampleCount_; ++k) {
        for (int j = 0; j < kGpsSatellites; ++j) {
            if (!HasAlmanac(j))
                continue;
            SatSample& s = samples_[j][k];
            s.x = s.y = s.z = 0;
            GpsPosition(gps_[j], gpsTerms[j], gps.week, gps.seconds, s.x, s.y, s.z);
        }
        for (int j = 0; j < kGlonassSatellites; ++j) {
            const int index = kGpsSatellites + j;
            if (!HasAlmanac(index))
                continue;
            SatSample& s = samples_[index][k];
            s.x = s.y = s.z = 0;
            GlonassPosition(glonass_[j], glonassTerms[j], glonass.dayIndex + 1, 2.0 * glonass.timeOfDay, s.x,
                            s.y, s.z);
        }
        AddSeconds(gps, step_);
        AddSeconds(glonass, step_);
    }
}

int Calculator::Recalculate(const SiteInfo& site, const PlanInterval& interval, int level) {
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

    const int32_t a = interval.beginHour * 3600 + interval.beginMinute * 60;
    int32_t b = interval.endHour * 3600 + interval.endMinute * 60;
    if (a >= b)
        b += kWindowLength; // across midnight; equal times are a whole day
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
    intervalCount_ = (b - a) / step_ + 1;
    intervalFirst_ = (a - windowStart_) / step_;
    if (intervalFirst_ + intervalCount_ > sampleCount_)
        intervalCount_ = sampleCount_ - intervalFirst_;

    switch (level) {
    case 1: {
        // The half-minute the re-centring can leave in the window start is dropped.
        const CalendarTime local =
            MakeCalendarTime(windowStart_ / 3600, (windowStart_ % 3600) / 60, 0, interval.beginDay,
                             interval.beginMonth, interval.beginYear);
        GpsTime utc = ToGpsTime(local);
        SubtractSeconds(utc, static_cast<double>(site.gmtOffset) * 3600.0);
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
