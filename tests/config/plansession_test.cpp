// The plan session: how much each change recomputes, which source plans each system at which date,
// one date for an almanac whoever asks, and drafts that change nothing until adopted.
#include <gtest/gtest.h>

#include <functional>

#include "../engine/almanac_fixture.h"
#include "config/plansession.h"
#include "engine/almanac_scan.h"

namespace {

using almanac_fixture::Bytes;

const std::string kSources = TAVRIN_SOURCE_DIR "/data/almanac-sources/";
const std::string kNavigation = TAVRIN_SOURCE_DIR "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_";
const PlanInterval kNavigationDay(1, 1, 2022, 8, 0, 16, 0);

// The fixture's almanac: GPS week 1050 (February 2000), GLONASS day 100 of the four-year period.
Bytes GlonassOnly() {
    Bytes b = almanac_fixture::FullAlmanac();
    b.b.erase(b.b.begin(), b.b.begin() + 2240);
    return b;
}

// A GLONASS-only almanac and the four navigation files of 2022-01-01 at a planning date of 2026.
void MixedSources(PlanSession& session, const almanac_fixture::TempDir& dir) {
    session.SetInterval(PlanInterval(9, 12, 2026, 8, 0, 16, 0));
    ASSERT_TRUE(session.LoadAlmanac(dir.Write("alm18.256", GlonassOnly().b)));
    for (const char* s : {"GN", "RN", "EN", "CN"})
        ASSERT_TRUE(session.AddNavigationFile(kNavigation + s + ".rnx").error.empty()) << s;
}

std::vector<GnssSystem> Planned(const PlanSession& session) {
    std::vector<GnssSystem> planned;
    for (int s = 0; s < kGnssSystems; ++s) {
        const GnssSystem system = static_cast<GnssSystem>(s);
        for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n)
            if (session.engine().IsEnabled(SatelliteCatalogue::Index({system, n}))) {
                planned.push_back(system);
                break;
            }
    }
    return planned;
}

} // namespace

TEST(PlanSession, EachChangeSetsItsFlagOnceAndTheLevelItNeeds) {
    almanac_fixture::TempDir dir;
    const std::string almanac = dir.Write("alm00.051", almanac_fixture::FullAlmanac().b);
    PlanSession session;
    session.SetInterval(PlanInterval(23, 2, 2000, 6, 0, 18, 0));
    struct Case {
        const char* what;
        std::function<uint32_t()> change;
        int level;
    } cases[] = {
        {"almanac", [&] { return session.LoadAlmanac(almanac), session.changes().Bits(); }, 1},
        {"time of day", [&] { return session.SetInterval(PlanInterval(23, 2, 2000, 7, 0, 18, 0)); }, 4},
        {"date", [&] { return session.SetInterval(PlanInterval(24, 2, 2000, 7, 0, 18, 0)); }, 1},
        {"cut-off", [&] { return session.SetCutOff(10); }, 3},
        {"mode", [&] { return session.SetMode(1); }, 3},
        {"obstructions", [&] { return session.SetObstructionsOn(false); }, 3},
        {"step", [&] { return session.SetStep(300); }, 1},
        {"satellite", [&] { return session.SetSatelliteOn(4, false), session.changes().Bits(); }, 3},
        {"site moved", [&] { return session.Touch(ChangeFlags::kPosition), session.changes().Bits(); }, 2},
        {"navigation",
         [&] { return session.AddNavigationFile(kNavigation + "EN.rnx"), session.changes().Bits(); }, 1},
        {"source",
         [&] {
             return session.ChooseSource(GnssSystem::Gps, OrbitSource::Almanac), session.changes().Bits();
         },
         1},
    };
    for (const Case& c : cases) {
        session.ClearChanges();
        EXPECT_NE(c.change(), 0u) << c.what;
        EXPECT_EQ(session.changes().Level(), c.level) << c.what;
    }
    // The same settings again change nothing.
    session.ClearChanges();
    EXPECT_EQ(session.SetInterval(session.interval()) | session.SetCutOff(10) | session.SetMode(1) |
                  session.SetObstructionsOn(false) | session.SetStep(300),
              0u);
    EXPECT_FALSE(session.changes().Any());
}

TEST(PlanSession, EachSystemIsPlannedFromTheSourceNearestTheDate) {
    almanac_fixture::TempDir dir;
    PlanSession session;
    ASSERT_TRUE(session.LoadAlmanac(dir.Write("alm00.051", almanac_fixture::FullAlmanac().b)));
    for (const char* s : {"GN", "RN", "EN"})
        ASSERT_TRUE(session.AddNavigationFile(kNavigation + s + ".rnx").error.empty()) << s;
    const auto A = OrbitSource::Almanac, B = OrbitSource::Broadcast, N = OrbitSource::None;
    struct Case {
        PlanInterval interval;
        OrbitSource gps, glonass, galileo, beidou;
        bool galileoOrbits;
    } cases[] = {
        {kNavigationDay, B, B, B, N, true},
        {PlanInterval(23, 2, 2000, 8, 0, 16, 0), A, A, B, N, true}, // records 22 years away, as almanacs
        // Weeks past: GPS from its records as from an almanac; GLONASS ones reach a week only.
        {PlanInterval(1, 2, 2022, 8, 0, 16, 0), B, A, B, N, true},
    };
    for (const Case& c : cases) {
        session.SetInterval(c.interval);
        session.UpdateStatuses();
        const Calculator& e = session.engine();
        EXPECT_EQ(e.source(GnssSystem::Gps), c.gps) << c.interval.beginYear;
        EXPECT_EQ(e.source(GnssSystem::Glonass), c.glonass) << c.interval.beginYear;
        EXPECT_EQ(e.source(GnssSystem::Galileo), c.galileo) << c.interval.beginYear;
        EXPECT_EQ(e.source(GnssSystem::BeiDou), c.beidou) << c.interval.beginYear;
        EXPECT_EQ(session.HasOrbits(GnssSystem::Galileo), c.galileoOrbits) << c.interval.beginYear;
    }
    // A choice holds across dates; a source without orbits of the system cannot be chosen.
    EXPECT_TRUE(session.ChooseSource(GnssSystem::Gps, OrbitSource::Almanac));
    EXPECT_FALSE(session.ChooseSource(GnssSystem::Galileo, OrbitSource::Almanac));
    session.SetInterval(kNavigationDay);
    session.UpdateStatuses();
    EXPECT_EQ(session.engine().source(GnssSystem::Gps), OrbitSource::Almanac);
    EXPECT_EQ(session.engine().source(GnssSystem::Glonass), OrbitSource::Broadcast);
}

// Imported almanacs are named after their date, and that date is the one the session, the age
// check and the file name give at any planning date.
TEST(PlanSession, AnAlmanacHasOneDateWhoeverAsksAndWhenever) {
    struct Case {
        std::vector<std::string> published;
        const char* name;
        int year, month, day;
    } cases[] = {
        {{"YUMA223.alm"}, "alm25.225", 2025, 8, 13},                    // GPS
        {{"MCCJ_180913.agl"}, "alm18.256", 2018, 9, 13},                // GLONASS only
        {{"YUMA223.alm", "MCCJ_180913.agl"}, "alm25.225", 2025, 8, 13}, // both: the GPS date
        {{"current.al3"}, "alm16.62", 2016, 3, 2},                      // SEM: weeks written modulo 1024
    };
    for (const Case& c : cases) {
        almanac_fixture::TempDir dir;
        std::vector<std::string> paths;
        for (const std::string& p : c.published)
            paths.push_back(kSources + p);
        const AlmanacImportResult imported = PlanSession::ImportPublished(paths, dir.Dir());
        ASSERT_TRUE(imported.written) << c.name;
        EXPECT_EQ(imported.path, dir.Dir() + c.name);
        for (const PlanInterval& at : {kNavigationDay, PlanInterval(1, 6, 2035, 0, 0, 24, 0),
                                       PlanInterval(c.day, c.month, c.year, 0, 0, 24, 0)}) {
            PlanSession session;
            session.SetInterval(at);
            ASSERT_TRUE(session.LoadAlmanac(imported.path)) << c.name;
            const std::optional<AlmanacDay> date = session.AlmanacDate();
            ASSERT_TRUE(date) << c.name;
            EXPECT_EQ(date->date.year + 1900, c.year) << c.name << " at " << at.beginYear;
            EXPECT_EQ(date->date.month + 1, c.month) << c.name << " at " << at.beginYear;
            EXPECT_EQ(date->date.day, c.day) << c.name << " at " << at.beginYear;
            // The age check agrees with the date (an almanac of both systems is checked for each).
            if (c.published.size() == 1) {
                const int expected = date->age > kAlmanacAgeLimitDays    ? 1
                                     : date->age < -kAlmanacAgeLimitDays ? -1
                                                                         : 0;
                EXPECT_EQ(session.AlmanacAgeClass(), expected) << c.name << " at " << at.beginYear;
            }
        }
    }
}

TEST(PlanSession, ADraftChangesNothingUntilAdoptedAndAnUnchangedOneNotEvenThen) {
    almanac_fixture::TempDir dir;
    PlanSession session;
    MixedSources(session, dir);
    session.SetInterval(kNavigationDay);
    session.ClearChanges();
    const std::vector<GnssSystem> four = {GnssSystem::Gps, GnssSystem::Glonass, GnssSystem::Galileo,
                                          GnssSystem::BeiDou};
    session.UpdateStatuses();
    EXPECT_EQ(Planned(session), four);
    const auto statuses = session.engine().statuses();

    // Everything a dialog may do, then Cancel: the session is as it was.
    {
        std::unique_ptr<PlanSession> draft = session.Draft();
        draft->LoadAlmanac(dir.Write("alm00.051", almanac_fixture::FullAlmanac().b));
        draft->RemoveNavigationFiles();
        draft->SetSystemOn(GnssSystem::Glonass, false);
    }
    EXPECT_EQ(session.almanac().path, dir.Dir() + "alm18.256");
    EXPECT_EQ(session.navigationFiles().size(), 4u);
    EXPECT_EQ(session.engine().statuses(), statuses);
    EXPECT_FALSE(session.changes().Any());

    // OK on the boxes as they were filled: nothing changes, all four systems stay planned.
    std::unique_ptr<PlanSession> draft = session.Draft();
    BufferForConfiguration boxes;
    FillSatelliteStates(*draft, boxes);
    EXPECT_EQ(boxes.gps, 1);
    EXPECT_EQ(boxes.laterSystems[0], 1);
    ApplySatelliteStates(boxes, *draft);
    EXPECT_EQ(session.Adopt(*draft), 0u);
    EXPECT_FALSE(session.changes().Any());
    EXPECT_EQ(Planned(session), four);

    // A system greyed out at another date keeps the user's choice for the date it has orbits at.
    session.ForgetAlmanac();
    session.SetInterval(PlanInterval(9, 12, 2026, 8, 0, 16, 0));
    draft = session.Draft();
    FillSatelliteStates(*draft, boxes);
    EXPECT_EQ(boxes.glonass, 0); // GLONASS records reach a week only
    ApplySatelliteStates(boxes, *draft);
    session.Adopt(*draft);
    EXPECT_TRUE(session.SystemOn(GnssSystem::Glonass));
    session.SetInterval(kNavigationDay);
    session.UpdateStatuses();
    EXPECT_EQ(Planned(session), four);

    // A real change is adopted with its flags.
    draft = session.Draft();
    draft->SetSystemOn(GnssSystem::Glonass, false);
    EXPECT_EQ(session.Adopt(*draft), ChangeFlags::kSatellites);
    EXPECT_EQ(Planned(session),
              (std::vector<GnssSystem>{GnssSystem::Gps, GnssSystem::Galileo, GnssSystem::BeiDou}));
}

TEST(PlanSession, TheNewestAlmanacThatLoadsAndTheOneBeforeWhenNoneDoes) {
    almanac_fixture::TempDir dir, bad;
    dir.Write("alm00.060", std::vector<uint8_t>(3200, 0)); // newest, but no record passes
    const std::string good = dir.Write("alm00.051", almanac_fixture::FullAlmanac().b);
    bad.Write("alm01.001", std::vector<uint8_t>(100, 1));
    PlanSession session;
    EXPECT_TRUE(session.LoadNewestAlmanac(dir.Dir()));
    EXPECT_EQ(session.almanac().path, good);
    EXPECT_FALSE(session.LoadNewestAlmanac(bad.Dir()));
    EXPECT_EQ(session.almanac().path, good);
    EXPECT_EQ(session.engine().almanacFileName(), good);
    EXPECT_EQ(session.engine().loadState(), kLoadOk);
}
