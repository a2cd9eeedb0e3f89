// The computation engine: the almanac, the positions over a 24-hour sampling window, and (built on
// them) azimuth/elevation, visibility and the DOP series the views and tables draw from.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/almanac.h"
#include "engine/broadcastephemerides.h"
#include "engine/calendar.h"
#include "engine/geodesy.h"
#include "engine/planinterval.h"
#include "engine/satellitecatalogue.h"
#include "engine/satsample.h"

class SiteInfo;
struct VectorKernels;
struct GpsOrbitTerms;
struct GlonassOrbitTerms;
struct GpsTime;
struct GlonassTime;

// Load states.
inline constexpr int32_t kLoadOk = 0;
inline constexpr int32_t kLoadOutOfMemory = 1; // permanent
inline constexpr int32_t kLoadNotOpened = 2;
inline constexpr int32_t kLoadNotRead = 3;
inline constexpr int32_t kLoadNoValidRecord = 4; // read, but not one satellite record passed the tests

inline constexpr int32_t kWindowLength = 86400;

// The elevation cut-off in the engine's unit: whole degrees times the factor in double precision,
// then rounded once to single. Both programs convert through here, so they agree to the bit.
inline float CutOffRadians(int degrees) {
    return static_cast<float>(degrees * 0.017453292519943295);
}
// And back, to the whole degrees the user set.
inline int CutOffDegrees(float radians) {
    return static_cast<int>(radians * kRadToDeg + 0.5);
}
// The middle of the local interval, UTC (seconds of the calendar count), at a site `gmtOffset` hours
// ahead: the instant the orbit sources are chosen for.
double IntervalMiddleUtc(const PlanInterval& interval, double gmtOffset);

// Where a system's orbits come from: the almanac file (GPS and GLONASS only) or the broadcast
// ephemerides of navigation files.
enum class OrbitSource : uint8_t { None, Almanac, Broadcast };

// The most unknowns of a position fix: three coordinates and one clock per system.
inline constexpr int kMaxParameters = 3 + kGnssSystems;

class Calculator {
public:
    Calculator();

    // 0 while the load state is not 0 or for a step <= 0; else 1, reallocating the arrays when
    // the step changes.
    int SetTimeStep(int32_t step);
    // Fresh zeroed sample and series arrays of sample count entries, sample arrays only for the
    // satellites some source has an orbit of; 0 and load state 1 on failure.
    int AllocateSeries();

    void LoadAlmanac(const std::string& path);
    // The date whose 1024-week era GPS weeks written modulo 1024 are put in at the next load; never
    // later than today plus kFutureWeeks. Today until set.
    void SetWeekReference(const CalendarTime& date);
    // No almanac, and a load state that lets the navigation files be planned alone.
    void ForgetAlmanac();
    // Adds a read navigation file's records. A system that had no source takes them as its source.
    void AddNavigation(const NavigationFile& file);
    void ClearNavigation();
    const BroadcastEphemerides& broadcast() const { return broadcast_; }
    // Takes another calculator's navigation files, sources and satellite choices beyond the almanac.
    void CopyNavigation(const Calculator& from);

    // Whether `source` has an orbit for any satellite of the system.
    bool HasSource(GnssSystem system, OrbitSource source) const;
    OrbitSource source(GnssSystem system) const { return sources_[static_cast<int>(system)]; }
    // The user's choice, kept from then on; false (nothing changed) when the source has no orbit of
    // the system.
    bool SetSource(GnssSystem system, OrbitSource source);
    // Whether the user chose the system's source; else it is the one nearest the planning date.
    bool SourceChosen(GnssSystem system) const { return sourceChosen_[static_cast<int>(system)]; }
    // Back to the source nearest the planning date, from the next recalculation on.
    void ChooseSourceAutomatically(GnssSystem system);
    // Seconds from the source's orbit nearest `dateUtc` to that date (positive: the orbit is older;
    // for navigation files, the record nearest of the system's satellites); infinity without one.
    double SourceAge(GnssSystem system, OrbitSource source, const CalendarTime& dateUtc) const;
    // For every system the user has not chosen: the source nearest `dateUtc`, the almanac when the
    // two are as near. true when a source changed.
    bool ChooseSources(const CalendarTime& dateUtc);
    // The sources and the navigation-file statuses for the interval as a recalculation sets them,
    // for a dialog that shows them before any (the middle of the interval, UTC + gmtOffset hours).
    void UpdateStatuses(const PlanInterval& interval, double gmtOffset);

    // number 1..kSize (the catalogue index + 1); disabled 0 or 1. 0 for a satellite without orbit
    // (status exactly 2); a satellite of the navigation files counts as having one even before the
    // first recalculation gives its status.
    int SetSatelliteState(int number, int disabled);
    int FirstEnabledGps() const;     // PRN 1..32, 0 when none
    int FirstEnabledGlonass() const; // system number 1..24, 0 when none
    int FrequencyNumber(int index) const;

    // The date the loaded almanac was made for: its first GPS record's week and time of almanac;
    // else the GLONASS records' day in the four-year period that puts it nearest the date of the
    // file's name ("almYY.DDD", as imports are named), or nearest `near` when the name gives none.
    // None without almanac records. Every caller dates an almanac through here.
    std::optional<CalendarTime> AlmanacDate(const CalendarTime& near) const;
    // Age in days of the first enabled satellite's almanac against `date` (taken at 00:00, local
    // time, no GMT offset); positive: the almanac is older. 0 when no satellite is enabled.
    int GpsAlmanacAge(const CalendarTime& date) const;
    int GlonassAlmanacAge(const CalendarTime& date) const;
    // 1 too old, -1 too far ahead, 0 fine.
    int AlmanacAgeClass(const CalendarTime& date, int limit) const;
    int AlmanacAgeClass(const PlanInterval& interval, int limit) const; // its begin date

    // The one entry point of the computation. level 1: everything (orbits over a 24-hour window
    // around the interval), 2: from azimuth/elevation on, 3: visibility and DOP, 4: only the
    // interval indices. The window is re-centred (and level 1 forced) only when the interval leaves
    // it. 0 when the load state is not 0 or for a level outside 1..4 (the interval indices are
    // updated all the same), else 1. A site without valid values (SiteInfo::HasValidValues) is not
    // planned: every result is cleared and 0 answered. Allocates nothing (from navigation files,
    // once a first window has been planned).
    int Recalculate(const SiteInfo& site, const PlanInterval& interval, int level);
    // The same with the interval read on a clock `gmtOffset` hours ahead of GMT instead of the
    // site's own: sites of a network planned on one common clock.
    int Recalculate(const SiteInfo& site, float gmtOffset, const PlanInterval& interval, int level);

    // Level-1 stage: the positions of every satellite with an almanac over the window.
    void ComputePositions(const CalendarTime& windowStartUtc);
    // Level-2 stage: azimuth and elevation at the site of every satellite with an almanac.
    void ComputeAzEl(const SiteInfo& site);
    // Level-3 stage: the visible flags, satellite counts, solution flags and DOP series.
    void ComputeVisibilityAndDop(const SiteInfo& site);

    void SetElevationMask(float radians) { elevationMask_ = radians; }
    void SetMode(int32_t mode) { mode_ = mode; }
    void SetObstructionsOn(int32_t on) { obstructionsOn_ = on; }
    // Only what visibility and DOP read, for planners that read no sample's direction: runs of
    // samples sure to be well below the cut-off keep no direction but the nadir, those sure to be
    // well above it and above every obstruction the zenith (azimuth 0). Level 3 is then level 2.
    void SetOnlyNearTheSky(bool on) { onlyNearTheSky_ = on; }

    // ---- what the views, tables and dialogs read ----
    const std::string& almanacFileName() const { return almanacFileName_; }
    const GpsAlmanac& gpsRecords() const { return gps_; }
    const GlonassAlmanac& glonassRecords() const { return glonass_; }
    const std::array<int32_t, SatelliteCatalogue::kSize>& statuses() const { return statuses_; }
    int32_t status(int index) const { return statuses_[index]; }
    const SiteInfo* site() const { return site_; }
    float elevationMask() const { return elevationMask_; }
    int32_t sampleCount() const { return sampleCount_; }
    int32_t intervalCount() const { return intervalCount_; }
    int32_t intervalFirst() const { return intervalFirst_; }
    int32_t windowLength() const { return windowLength_; }
    int32_t step() const { return step_; }
    int32_t windowStart() const { return windowStart_; }
    int32_t windowEnd() const { return windowEnd_; }
    int32_t parameterCount() const { return parameterCount_; }
    // A satellite no source has an orbit of reads as all zero.
    const SatSample* samples(int index) const {
        return samples_[index].empty() ? noSamples_.data() : samples_[index].data();
    }
    const float* pdop() const { return pdop_.data(); }
    const float* gdop() const { return gdop_.data(); }
    const float* hdop() const { return hdop_.data(); }
    const float* vdop() const { return vdop_.data(); }
    // With several systems in use, one clock per system: TDOP covers all of them
    // (GDOP^2 = PDOP^2 + TDOP^2), as it always has for GPS with GLONASS.
    const float* tdop() const { return tdop_.data(); }
    const int32_t* satelliteCount() const { return satelliteCount_.data(); }
    // The catalogue indices of the satellites used at sample k, satelliteCount()[k] of them, in
    // catalogue order.
    const int16_t* usedAt(int32_t k) const {
        return visibleLists_.data() + static_cast<size_t>(k) * SatelliteCatalogue::kSize;
    }
    const int32_t* solutionFlag() const { return solutionFlag_.data(); }
    int32_t reallocated() const { return reallocated_; }
    int32_t loadState() const { return loadState_; }
    int32_t mode() const { return mode_; }
    int32_t obstructionsOn() const { return obstructionsOn_; }

    // A satellite takes part in visibility and DOP (status 0 or 4).
    bool IsEnabled(int index) const { return (statuses_[index] & ~StatusUnhealthy) == 0; }
    // The almanac file holds a valid record of it, whichever source plans its system.
    bool InAlmanac(int index) const {
        return index >= 0 && index < kSatellites && almanacStatuses_[index] != StatusNoAlmanac;
    }
    // Its orbit is propagated (the status is not "no almanac").
    bool HasAlmanac(int index) const { return (statuses_[index] & ~StatusUnhealthy) != StatusNoAlmanac; }

private:
    friend struct CalculatorTestAccess;

    // Above the mask and not behind one of the site's obstructions (when they are on).
    bool PassesVisibilityTest(const SiteInfo& site, const SatSample& s) const;
    // The site's obstructions projected once per level-3 run, so that the per-sample test does not
    // project every vertex again; false (use the site's own test) when they do not fit the room
    // reserved at construction.
    bool ProjectObstructions(const SiteInfo& site);
    bool BehindProjectedObstruction(int32_t x, int32_t y) const;
    // The sines of elevation below and above which runs of samples need no direction (-1 and 2:
    // none), with the obstructions projected.
    void DirectionsNeeded(const SiteInfo& site, double& belowSine, double& aboveSine);
    // The DOP of sample k from its list of visible satellites, `p` position parameters.
    void DilutionsAt(int32_t k, int p, const double site[3]);
    // The same for samples k0..k1-1 (at most kDopLanes) side by side in the kernel; false, nothing
    // done, when their systems in use differ.
    bool DilutionsSideBySide(const VectorKernels& kernels, int32_t k0, int32_t k1, int p,
                             const double site[3]);
    // The almanac-planned satellites' positions over the window through the kernels.
    void AlmanacPositions(const VectorKernels& kernels, GpsTime gps, GlonassTime glonass,
                          const GpsOrbitTerms* gpsTerms, const GlonassOrbitTerms* glonassTerms,
                          bool gpsAlmanac, bool glonassAlmanac);
    // The positions of one satellite over the window from the navigation files; NaN at the samples
    // no record reaches.
    void BroadcastPositions(int index);
    // Positions (m, three a sample) into a satellite's samples.
    void StorePositions(int index, const double* xyz);
    // The statuses of the systems planned from navigation files, from their health at `utc`.
    void RefreshBroadcastStatuses(double utc);
    // No almanac records or statuses, load state 0 (the file name stays for the caller to keep).
    void ClearAlmanac();
    // After an almanac load: the almanac becomes GPS's and GLONASS's source unless they are planned
    // from navigation files.
    void AdoptAlmanac();
    // Some source, planned or not, has an orbit of the satellite: it gets a sample array.
    bool HasOrbit(int index) const { return InAlmanac(index) || broadcast_.Has(index); }
    // Propagated, and with the array to hold it.
    bool Planned(int index) const { return HasAlmanac(index) && !samples_[index].empty(); }
    // Zeroed sample arrays for the satellites that gained an orbit, none for those that lost theirs,
    // after the almanac or the navigation files changed (so that no recalculation allocates); load
    // state 1 when memory runs out.
    void FitSampleArrays();
    // Values in xyz_: the positions from navigation files of one satellite, or of a batch of GLONASS
    // lanes where GLONASS records are loaded; none without navigation files.
    int32_t PositionsRoom() const;
    // The satellite's system is planned from the navigation files.
    bool FromNavigation(int index) const {
        return sources_[static_cast<int>(SatelliteCatalogue::At(index).system)] == OrbitSource::Broadcast;
    }
    // The day of the four-year period `n` (1..1461) nearest `anchor`, the file name's date when it
    // gives one: the GLONASS almanac's own day.
    int32_t GlonassAlmanacDay(int32_t n, const CalendarTime& anchor) const;
    // A satellite's status from its source's (`base`) and the user's on/off choice, when made.
    int32_t WithUserChoice(int index, int32_t base) const;
    // The status of a satellite of an almanac-planned system from the file and the user's choice.
    void RefreshAlmanacStatuses(GnssSystem system);

    std::string almanacFileName_;
    std::optional<CalendarTime> weekReference_;
    GpsAlmanac gps_{};
    GlonassAlmanac glonass_{};
    std::array<int32_t, SatelliteCatalogue::kSize> statuses_{};
    std::array<int32_t, kSatellites> almanacStatuses_{};           // as the almanac file gives them
    std::array<int8_t, SatelliteCatalogue::kSize> userDisabled_{}; // -1: never set, else 0 or 1
    std::array<OrbitSource, kGnssSystems> sources_{};
    std::array<bool, kGnssSystems> sourceChosen_{}; // by the user
    bool orbitsChanged_ = false;                    // since the last recalculation
    BroadcastEphemerides broadcast_;
    GlonassWork glonassWork_;           // grows at the first recalculation from navigation files
    std::vector<double> sampleUtc_;     // the window's sample instants, for the navigation files
    std::vector<double> xyz_;           // positions over the window from navigation files (PositionsRoom)
    std::vector<double> direction_;     // one satellite's positions over the window in double (level 2)
    std::vector<double> scratch_;       // 8 values a sample for the kernels' inputs and outputs
    std::vector<int16_t> visibleLists_; // each sample's visible satellites, kSize a sample (level 3)
    std::array<bool, SatelliteCatalogue::kSize> mayBeVisible_{}; // a visible flag may be set
    const SiteInfo* site_ = nullptr;
    float elevationMask_ = 0;
    int32_t sampleCount_ = 0;
    int32_t intervalCount_ = 0;
    int32_t intervalFirst_ = 0;
    int32_t windowLength_ = 0;
    int32_t step_ = 0;
    int32_t windowStart_ = 0;
    int32_t windowEnd_ = 0;
    int32_t parameterCount_ = 0;
    std::array<std::vector<SatSample>, SatelliteCatalogue::kSize> samples_; // empty: no orbit
    std::vector<SatSample> noSamples_;                                      // zeros, for those
    std::vector<float> pdop_, gdop_, hdop_, vdop_, tdop_;
    std::vector<int32_t> satelliteCount_;
    std::vector<int32_t> solutionFlag_;
    double normalMatrix_[kMaxParameters * kMaxParameters] = {};
    double localFrame_[3][3] = {}; // rows: north, east, up
    int32_t reallocated_ = 0;
    int32_t loadState_ = 0;
    int32_t mode_ = 0;           // 1 = 2-D, 0 = 3-D
    int32_t obstructionsOn_ = 0; // 1 = apply the site's obstructions
    bool onlyNearTheSky_ = false;

    struct GridPoint {
        int32_t x = 0, y = 0;
    };
    struct ProjectedOutline {
        int32_t first = 0, count = 0; // in projectedVertices_
        int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
        // The polar angles (rad, around `centre`) of every direction that can project into the box.
        double centre = 0, low = -4, high = 4;
    };
    static void SetSector(ProjectedOutline& outline);
    std::vector<GridPoint> projectedVertices_; // capacity reserved at construction, never grown
    std::vector<ProjectedOutline> projectedOutlines_;
    double projectedNearest_ = 0, projectedFarthest_ = 0; // distances of the boxes from the zenith
    bool useProjected_ = false;
};

// Inverts the size x size symmetric matrix (row-major, row length = size) in place by an LDL^T
// factorisation. false, with the matrix in an unspecified state, when the first pivot is 0, a
// later pivot is 0 or negative, or the product of the pivots is 0.
bool InvertNormalMatrix(double* matrix, int size);
