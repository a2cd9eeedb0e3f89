// What is planned from what: the engine with its almanac, navigation files and each system's orbit
// source, the user's choice of systems and satellites, the planning interval, and what changed since
// the last computation with how much of it to redo. The desktop program and tavrin-cli both plan
// through one of these; a dialog edits a copy (a draft) and hands it back on OK.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/transfer.h"
#include "engine/almanac_import.h"
#include "engine/calculator.h"
#include "engine/calendar.h"
#include "engine/changeflags.h"
#include "engine/planinterval.h"

class SiteInfo;

// The almanac's age limit of the warnings, days either way.
inline constexpr int kAlmanacAgeLimitDays = 60;

struct AlmanacDay {
    CalendarTime date;
    int age = 0; // days from the almanac to the planning date; positive: the almanac is older
};

// One file of orbit records taken into the session: which systems it has records of and when.
struct OrbitFile {
    std::string path;
    bool almanac = false; // a Galileo or QZSS almanac, not a navigation file
    std::array<int, kGnssSystems> records{};
    std::array<double, kGnssSystems> firstUtc{}, lastUtc{}; // reference times, seconds of the scale
};

// Where one system's orbits come from at the planning date, for the reports.
struct SystemSource {
    GnssSystem system = GnssSystem::Gps;
    OrbitSource source = OrbitSource::None;
    std::vector<std::string> files;   // the almanac file, or the orbit files with the system's records
    bool almanacFiles = false;        // the files are almanacs (Galileo XML, QZSS YUMA)
    double firstUtc = 0, lastUtc = 0; // the span of the records or the almanac's reference time
    double ageDays = 0;               // from the orbit nearest the date to the date; positive: older
    bool beyondFit = false;           // navigation records planned with as an almanac
};

// What reading one navigation file gave: the lines it skipped, and why it was refused if it was.
struct NavigationRead {
    std::vector<std::string> warnings;
    std::string error; // non-empty: nothing of the file was taken
};

class PlanSession {
public:
    PlanSession();

    const Calculator& engine() const { return calc_; }
    const ChangeFlags& changes() const { return changes_; }
    const PlanInterval& interval() const { return interval_; }

    // ---- what changed ----
    // The planning interval; sets and answers kTime and kDate for what differs (0: the same).
    uint32_t SetInterval(const PlanInterval& interval);
    // The site planned next: its local-time offset places the interval for the orbit sources.
    void SetSite(const SiteInfo* site);
    // Changes the session cannot see itself (a site edited, a list opened).
    void Touch(uint32_t flags) { changes_.Set(flags); }
    // What the engine holds is taken as current: nothing to recompute.
    void ClearChanges() { changes_.Clear(); }
    // The settings of the options; each sets and answers its flag when it changed.
    uint32_t SetStep(int seconds);
    uint32_t SetCutOff(int degrees);
    uint32_t SetMode(int mode); // 1 = 2-D
    uint32_t SetObstructionsOn(bool on);

    // Recomputes what the change flags ask for at `site` and clears them; the engine's answer
    // (1 when it holds results), 1 when nothing had changed.
    int Recalculate(const SiteInfo& site);

    // ---- the almanac ----
    // Loads `path` (GPS weeks written modulo 1024 dated in the planning date's era) and records it
    // with its file status; true when it loaded. A failed load leaves the engine without almanac.
    bool LoadAlmanac(const std::string& path);
    // The newest almanac of `directory` that loads; names that do not load leave the program-wide
    // name list. When none loads, the almanac held before stays (none: the engine holds none).
    bool LoadNewestAlmanac(const std::string& directory);
    // The recorded almanac file replaced under its name since it was loaded (another creation
    // time): loaded again. true when it was.
    bool ReloadIfReplaced();
    // Forgets the almanac; the navigation files may still be planned.
    void ForgetAlmanac();
    const CurrentAlmanac& almanac() const { return almanac_; }
    // The directory the satellite configuration lists almanacs of, with its trailing separator.
    const std::string& directory() const { return directory_; }
    void SetDirectory(const std::string& directory) { directory_ = directory; }
    // The loaded almanac's date and its age at the planning date; none without one.
    std::optional<AlmanacDay> AlmanacDate() const;
    // 1 older than the limit at the planning date, -1 further ahead, 0 fine.
    int AlmanacAgeClass() const;

    // ---- navigation files ----
    // Reads one file and adds its records; a refused file adds nothing.
    NavigationRead AddNavigationFile(const std::string& path);
    // Reads those of `paths` the session does not hold yet (a download's files, read once already
    // when they arrived: what they say is left unsaid).
    void AddNewOrbitFiles(const std::vector<std::string>& paths);
    void RemoveNavigationFiles();
    const std::vector<std::string>& navigationFiles() const { return navigationFiles_; }
    const std::vector<OrbitFile>& orbitFiles() const { return orbitFiles_; }
    // Every system's source at the middle of the planning interval, as the next computation takes
    // it, in the systems' order.
    std::vector<SystemSource> Sources() const;
    // The UTC day (00:00, seconds of the scale) most navigation records are for: a day's file holds
    // a few records of the evening before. None without records.
    std::optional<double> NavigationDay() const;

    // ---- orbit sources and the selection ----
    // GPS's or GLONASS's source; None: the one nearest the planning date. false (nothing changed)
    // when that source has no orbits of the system. The statuses follow at UpdateStatuses or the
    // next computation.
    bool ChooseSource(GnssSystem system, OrbitSource source);
    // The sources and the satellites' statuses at the interval, as the next computation sees them.
    void UpdateStatuses();
    // Whether the user keeps the system on. Off switches every satellite of it off; on by itself
    // switches none on (the satellites say which).
    bool SystemOn(GnssSystem system) const { return systemsOn_[static_cast<int>(system)]; }
    void SetSystemOn(GnssSystem system, bool on);
    // Some satellite of the system has an orbit (at the planning date, after UpdateStatuses).
    bool HasOrbits(GnssSystem system) const;
    // Catalogue index; an indeterminate (orbitless) satellite is left as it is.
    void SetSatelliteOn(int index, bool on);

    // ---- the configuration dialog's draft ----
    // A copy for a dialog to change, its statuses those of the planning date.
    std::unique_ptr<PlanSession> Draft();
    // Takes the draft's almanac, navigation files, sources, systems and satellites; sets and answers
    // the flags of what differs (0: nothing did, and nothing is touched).
    uint32_t Adopt(const PlanSession& draft);

    // Reads published almanacs (YUMA, SEM, IAC) into one almanac file of `directory`. Weeks written
    // modulo 1024 are dated nearest `date`, or, without one, nearest today and never years ahead.
    static AlmanacImportResult ImportPublished(const std::vector<std::string>& paths,
                                               const std::string& directory,
                                               const std::optional<CalendarTime>& date = std::nullopt,
                                               SafeWriteOptions options = {});

private:
    Calculator calc_;
    ChangeFlags changes_;
    PlanInterval interval_;
    double gmtOffset_ = 0; // hours, of the site planned
    int step_ = 900;
    CurrentAlmanac almanac_;
    std::string directory_;
    std::vector<std::string> navigationFiles_;
    std::vector<OrbitFile> orbitFiles_;           // beside navigationFiles_
    std::map<long, int> navigationRecordsPerDay_; // UTC days since 6 January 1980
    std::array<bool, kGnssSystems> systemsOn_ = [] {
        std::array<bool, kGnssSystems> on;
        on.fill(true);
        return on;
    }();
};

// The dialog's transfer record from a session: the systems as the user keeps them where they have
// orbits, every satellite box from the engine.
void FillSatelliteStates(const PlanSession& session, BufferForConfiguration& buffer);
// The boxes back: a system's choice only where it has orbits, every satellite box but the
// indeterminate ones.
void ApplySatelliteStates(const BufferForConfiguration& buffer, PlanSession& session);
// The options' settings into the session; the flags of what changed.
uint32_t ApplyOptions(const OptionsTransfer& options, PlanSession& session);
