#include "engine/almanac.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "almanac_fixture.h"
#include "engine/almanac_scan.h"
#include "engine/calculator.h"
#include "engine/orbit.h"

namespace fs = std::filesystem;

using namespace almanac_fixture;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<uint8_t> Resized(Bytes f, size_t n) {
    f.b.resize(n, 0);
    return f.b;
}

// Every satellite the engine kept must satisfy the record tests (after the e < 0 clearing) and
// propagate to finite positions.
void ExpectOnlySoundSatellites(const Calculator& c) {
    for (int k = 0; k < 56; ++k) {
        const int32_t s = c.status(k);
        ASSERT_TRUE(s == 0 || s == 1 || s == 2 || s == 4 || s == 5) << k << " " << s;
        if (!c.HasAlmanac(k))
            continue;
        float x = 0, y = 0, z = 0;
        if (k < 32) {
            const GpsAlmanacRecord& r = c.gpsRecords()[k];
            EXPECT_TRUE(IsValidGpsRecord(r)) << "PRN " << k + 1;
            GpsPosition(r, r.week, r.toa + 3600.0, x, y, z);
        } else {
            const GlonassAlmanacRecord& r = c.glonassRecords()[k - 32];
            EXPECT_TRUE(IsValidGlonassRecord(r)) << "slot " << k - 31;
            GlonassPosition(r, r.n, 3600.0, x, y, z);
        }
        EXPECT_TRUE(std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) << k;
    }
}

} // namespace

TEST(AlmanacLoad, FileLengthDecidesTheSystems) {
    TempDir dir;
    const Bytes full = FullAlmanac();
    Bytes glonassOnly(960);
    for (int k = 0; k < 24; ++k)
        PutGlonass(glonassOnly, 0, k, GlonassFields{});
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t loadState;
        bool gps, glonass;
    } cases[] = {
        {"both", full.b, kLoadOk, true, true},
        {"longer", Resized(full, 4000), kLoadOk, true, true},
        {"gps", Resized(full, 2240), kLoadOk, true, false},
        {"gps_and_part", Resized(full, 3199), kLoadOk, true, false},
        {"glonass", glonassOnly.b, kLoadOk, false, true},
        // shorter than the GPS block: its first 960 bytes are read as GLONASS records
        {"glonass_long", Resized(glonassOnly, 2239), kLoadOk, false, true},
        {"short", Resized(glonassOnly, 959), kLoadNotRead, false, false},
        {"empty", {}, kLoadNotRead, false, false},
    };
    for (const Case& c : cases) {
        Calculator calc;
        const std::string path = dir.Write(c.name, c.bytes);
        calc.LoadAlmanac(path);
        EXPECT_EQ(calc.loadState(), c.loadState) << c.name;
        for (int k = 0; k < 56; ++k)
            EXPECT_EQ(calc.status(k), (k < 32 ? c.gps : c.glonass) ? 0 : StatusNoAlmanac) << c.name << k;
        EXPECT_EQ(calc.almanacFileName(), c.loadState == kLoadOk ? path : std::string()) << c.name;
    }
}

TEST(AlmanacLoad, FailedLoadClearsEverythingButTheRememberedName) {
    TempDir dir;
    Calculator calc;
    const std::string good = dir.Write("good", FullAlmanac().b);
    calc.LoadAlmanac(good);
    ASSERT_EQ(calc.FirstEnabledGps(), 1);
    calc.LoadAlmanac(dir.Dir() + "missing");
    EXPECT_EQ(calc.loadState(), kLoadNotOpened);
    for (int k = 0; k < 56; ++k)
        EXPECT_EQ(calc.status(k), StatusNoAlmanac);
    EXPECT_EQ(calc.FirstEnabledGps(), 0);
    EXPECT_EQ(calc.almanacFileName(), good);
    calc.LoadAlmanac(dir.Write("bad", std::vector<uint8_t>(100, 0xFF)));
    EXPECT_EQ(calc.loadState(), kLoadNotRead);
    EXPECT_EQ(calc.almanacFileName(), good);
    // a directory cannot be read as an almanac
    calc.LoadAlmanac(dir.Dir());
    EXPECT_NE(calc.loadState(), kLoadOk);
}

TEST(AlmanacLoad, LongPathIsRememberedWhole) {
    TempDir dir;
    std::string sub = dir.Dir();
    for (int k = 0; k < 5; ++k) {
        sub += std::string(60, 'a' + static_cast<char>(k)) + "/";
        fs::create_directory(sub);
    }
    const std::string path = sub + "alm26.300";
    ASSERT_GT(path.size(), 300u);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(FullAlmanac().b.data()), 3200);
    Calculator calc;
    calc.LoadAlmanac(path);
    EXPECT_EQ(calc.loadState(), kLoadOk);
    EXPECT_EQ(calc.almanacFileName(), path);
}

TEST(AlmanacLoad, FieldsDecodeFromBigEndian) {
    TempDir dir;
    Bytes f = FullAlmanac();
    GpsFields g;
    g.e = -0.001f; // valid, used as 0
    g.toa = 602112;
    g.sqrtA = 2000.0;
    g.omegaDot = -8.1e-9f;
    PutGps(f, 0, 6, g);
    GlonassFields r;
    r.channel = -7;
    r.n = 1461;
    r.tLambda = 44100.f;
    r.deltaTDot = -0.0039f;
    PutGlonass(f, 2240, 4, r);
    Calculator calc;
    calc.LoadAlmanac(dir.Write("a", f.b));
    const GpsAlmanacRecord& p7 = calc.gpsRecords()[6];
    EXPECT_EQ(calc.status(6), 0);
    EXPECT_EQ(p7.e, 0.0f);
    EXPECT_EQ(p7.toa, 602112);
    EXPECT_EQ(p7.i, 0.3f);
    EXPECT_EQ(p7.omegaDot, -8.1e-9f);
    EXPECT_EQ(p7.sqrtA, 2000.0);
    EXPECT_EQ(p7.omega0, 0.25);
    EXPECT_EQ(p7.omega, -0.5);
    EXPECT_EQ(p7.m0, 0.75);
    EXPECT_EQ(p7.reserved50, 0x01020304u);
    EXPECT_EQ(p7.reserved54, 0x05060708u);
    EXPECT_EQ(p7.reserved64, 0x090A0B0Cu);
    EXPECT_EQ(p7.reserved68, 0x0D0Eu);
    EXPECT_EQ(p7.referenceWeek, 1050);
    EXPECT_EQ(p7.week, 1050); // 1050 = 4 * 256 + 0x1A: the almanac of the reference week itself
    const GlonassAlmanacRecord& s5 = calc.glonassRecords()[4];
    EXPECT_EQ(calc.status(32 + 4), 0);
    EXPECT_EQ(s5.n, 1461);
    EXPECT_EQ(s5.tLambda, 44100.f);
    EXPECT_EQ(s5.deltaT, -2655.f);
    EXPECT_EQ(s5.deltaTDot, -0.0039f);
    EXPECT_EQ(s5.lambda, -0.4f);
    // today's channels -7..+6 and the old plan's 1..24 are both kept as stored
    EXPECT_EQ(calc.FrequencyNumber(32 + 4), -7);
    EXPECT_EQ(calc.FrequencyNumber(32 + 13), 6);
    EXPECT_EQ(calc.FrequencyNumber(5), 0);
    EXPECT_EQ(calc.FrequencyNumber(56), 0);
}

TEST(AlmanacLoad, InvalidGpsRecordDisablesOnlyItsSatellite) {
    struct Case {
        const char* what;
        void (*spoil)(GpsFields&);
    } cases[] = {
        {"negative reference week", [](GpsFields& g) { g.referenceWeek = -1; }},
        {"e above 0.03", [](GpsFields& g) { g.e = 0.0301f; }},
        {"e NaN", [](GpsFields& g) { g.e = kNaN; }},
        {"toa negative", [](GpsFields& g) { g.toa = -1; }},
        {"toa above 602112", [](GpsFields& g) { g.toa = 602113; }},
        {"sqrtA low", [](GpsFields& g) { g.sqrtA = 1999.99; }},
        {"sqrtA high", [](GpsFields& g) { g.sqrtA = 8000.01; }},
        {"sqrtA NaN", [](GpsFields& g) { g.sqrtA = std::nan(""); }},
        {"i low", [](GpsFields& g) { g.i = 0.229f; }},
        {"i high", [](GpsFields& g) { g.i = 0.371f; }},
        {"i NaN", [](GpsFields& g) { g.i = kNaN; }},
        {"node", [](GpsFields& g) { g.omega0 = -1.001; }},
        {"perigee", [](GpsFields& g) { g.omega = 1.001; }},
        {"mean anomaly", [](GpsFields& g) { g.m0 = std::nan(""); }},
        {"node rate NaN", [](GpsFields& g) { g.omegaDot = kNaN; }},
        {"node rate infinite", [](GpsFields& g) { g.omegaDot = -kInf; }},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Bytes f = FullAlmanac();
        GpsFields g;
        c.spoil(g);
        PutGps(f, 0, 9, g);
        Calculator calc;
        calc.LoadAlmanac(dir.Write("a", f.b));
        EXPECT_EQ(calc.loadState(), kLoadOk) << c.what;
        for (int k = 0; k < 56; ++k)
            EXPECT_EQ(calc.status(k), k == 9 ? StatusNoAlmanac : 0) << c.what << " " << k;
    }
}

TEST(AlmanacLoad, InvalidGlonassRecordDisablesOnlyItsSatellite) {
    struct Case {
        const char* what;
        void (*spoil)(GlonassFields&);
    } cases[] = {
        {"day 0", [](GlonassFields& g) { g.n = 0; }},
        {"day 1462", [](GlonassFields& g) { g.n = 1462; }},
        {"channel 25", [](GlonassFields& g) { g.channel = 25; }},
        {"channel -8", [](GlonassFields& g) { g.channel = -8; }},
        {"e negative", [](GlonassFields& g) { g.e = -1e-6f; }},
        {"e above 0.03", [](GlonassFields& g) { g.e = 0.0301f; }},
        {"e NaN", [](GlonassFields& g) { g.e = kNaN; }},
        {"node time negative", [](GlonassFields& g) { g.tLambda = -0.5f; }},
        {"node time above 44100", [](GlonassFields& g) { g.tLambda = 44100.5f; }},
        {"node time NaN", [](GlonassFields& g) { g.tLambda = kNaN; }},
        {"node longitude", [](GlonassFields& g) { g.lambda = 1.01f; }},
        {"inclination correction", [](GlonassFields& g) { g.deltaI = -0.0701f; }},
        {"period correction", [](GlonassFields& g) { g.deltaT = 3600.5f; }},
        {"period rate", [](GlonassFields& g) { g.deltaTDot = kInf; }},
        {"perigee", [](GlonassFields& g) { g.omega = kNaN; }},
        {"correction term", [](GlonassFields& g) { g.correction = -0.0021f; }},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Bytes f = FullAlmanac();
        GlonassFields g;
        c.spoil(g);
        PutGlonass(f, 2240, 17, g);
        Calculator calc;
        calc.LoadAlmanac(dir.Write("a", f.b));
        for (int k = 0; k < 56; ++k)
            EXPECT_EQ(calc.status(k), k == 32 + 17 ? StatusNoAlmanac : 0) << c.what << " " << k;
    }
}

TEST(AlmanacLoad, UnhealthySatellitesStartSwitchedOffAndCanBeSwitchedOn) {
    TempDir dir;
    Bytes f = FullAlmanac();
    GpsFields code63;
    code63.healthCode = 63;
    PutGps(f, 0, 0, code63);
    GpsFields flagged;
    flagged.healthFlag = 1;
    PutGps(f, 0, 1, flagged);
    GpsFields code62;
    code62.healthCode = 62; // only 63 marks it unhealthy
    PutGps(f, 0, 2, code62);
    GlonassFields dead;
    dead.healthFlag = 0;
    PutGlonass(f, 2240, 0, dead);
    PutGps(f, 0, 3, GpsFields{.e = 0.01f, .toa = -5}); // no almanac
    Calculator calc;
    calc.LoadAlmanac(dir.Write("a", f.b));
    EXPECT_EQ(calc.status(0), 5);
    EXPECT_EQ(calc.status(1), 5);
    EXPECT_EQ(calc.status(2), 0);
    EXPECT_EQ(calc.status(32), 5);
    EXPECT_EQ(calc.FirstEnabledGps(), 3);
    EXPECT_EQ(calc.FirstEnabledGlonass(), 2);

    EXPECT_EQ(calc.SetSatelliteState(1, 0), 1);
    EXPECT_EQ(calc.status(0), StatusUnhealthy);
    EXPECT_TRUE(calc.IsEnabled(0));
    EXPECT_EQ(calc.FirstEnabledGps(), 1);
    EXPECT_EQ(calc.SetSatelliteState(1, 1), 1);
    EXPECT_EQ(calc.status(0), 5);
    EXPECT_EQ(calc.SetSatelliteState(33, 0), 1);
    EXPECT_EQ(calc.status(32), 4);
    EXPECT_EQ(calc.FirstEnabledGlonass(), 1);
    EXPECT_EQ(calc.SetSatelliteState(3, 1), 1);
    EXPECT_EQ(calc.status(2), StatusDisabled);
    EXPECT_EQ(calc.SetSatelliteState(3, 0), 1);
    EXPECT_EQ(calc.status(2), 0);

    // absent satellites and numbers outside 1..56 stay as they are
    EXPECT_EQ(calc.SetSatelliteState(4, 0), 0);
    EXPECT_EQ(calc.status(3), StatusNoAlmanac);
    EXPECT_EQ(calc.SetSatelliteState(4, 1), 0);
    EXPECT_EQ(calc.status(3), StatusNoAlmanac);
    EXPECT_EQ(calc.SetSatelliteState(0, 1), 0);
    EXPECT_EQ(calc.SetSatelliteState(57, 1), 0);

    // switching every GPS satellite off leaves none enabled; a reload switches them on again
    for (int n = 1; n <= 32; ++n)
        calc.SetSatelliteState(n, 1);
    EXPECT_EQ(calc.FirstEnabledGps(), 0);
    calc.LoadAlmanac(calc.almanacFileName());
    EXPECT_EQ(calc.FirstEnabledGps(), 3);
    EXPECT_EQ(calc.status(0), 5);
}

TEST(AlmanacRecord, WeekIsRebuiltAcrossTheEightBitWrap) {
    struct Case {
        int almanacWeek, referenceWeek, expected;
    } cases[] = {
        {5, 1030, 1029},      // 5 - 1030 = -1025 = 255 mod 256, read as -1
        {0x0105, 260, 1285},  // 261 is below 512 and so lies after the 1024-week rollover
        {0x00FF, 1024, 1023}, // the almanac one week before the reference, across a wrap
        {0x0001, 1279, 1281}, // two weeks later, across the next wrap
        {0x0080, 1100, 1152}, // +0x80 - (1100 mod 256 = 76): d = 52
        {0x00CC, 2052, 1996}, // (204 - 2052) mod 256 = 200, read as -56
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            ReconstructGpsWeek(static_cast<int16_t>(c.almanacWeek), static_cast<int16_t>(c.referenceWeek)),
            c.expected)
            << c.almanacWeek << "/" << c.referenceWeek;

    // through the loader, the rebuilt week replaces the field
    TempDir dir;
    Bytes f = FullAlmanac();
    GpsFields g;
    g.week = 5;
    g.referenceWeek = 1030;
    PutGps(f, 0, 31, g);
    Calculator calc;
    calc.LoadAlmanac(dir.Write("a", f.b));
    EXPECT_EQ(calc.gpsRecords()[31].week, 1029);
}

TEST(AlmanacAge, ClassesAtTheSixtyDayEdges) {
    TempDir dir;
    Bytes f(3200);
    // GPS: week 1500, toa 0 (Sunday 00:00 of the week's first day) for every PRN
    GpsFields g;
    g.toa = 0;
    g.week = 1500 % 256;
    g.referenceWeek = 1500;
    for (int k = 0; k < 32; ++k)
        PutGps(f, 0, k, g);
    Calculator gpsOnly;
    gpsOnly.LoadAlmanac(dir.Write("gps", Resized(f, 2240)));
    const DayTime epoch{kMjdGpsEpoch + 1500 * 7, 0.0};
    auto dayOffset = [&](int days) { return FromDayTime(DayTime{epoch.day + days, 0.0}); };
    EXPECT_EQ(gpsOnly.GpsAlmanacAge(dayOffset(60)), 60);
    EXPECT_EQ(gpsOnly.AlmanacAgeClass(dayOffset(60), 60), 0);
    EXPECT_EQ(gpsOnly.AlmanacAgeClass(dayOffset(61), 60), 1);
    EXPECT_EQ(gpsOnly.AlmanacAgeClass(dayOffset(-60), 60), 0);
    EXPECT_EQ(gpsOnly.AlmanacAgeClass(dayOffset(-61), 60), -1);
    EXPECT_EQ(gpsOnly.GlonassAlmanacAge(dayOffset(61)), 0); // no GLONASS: no age
    // the first enabled satellite decides: switch PRN 1 off and give PRN 2 a later toa
    g.toa = 86400 * 2;
    PutGps(f, 0, 1, g);
    Calculator two;
    two.LoadAlmanac(dir.Write("gps2", Resized(f, 2240)));
    two.SetSatelliteState(1, 1);
    EXPECT_EQ(two.GpsAlmanacAge(dayOffset(61)), 59);
    EXPECT_EQ(two.AlmanacAgeClass(dayOffset(61), 60), 0);
    const PlanInterval plan(dayOffset(63).day, dayOffset(63).month + 1, dayOffset(63).year + 1900, 5, 0, 7,
                            0);
    EXPECT_EQ(two.AlmanacAgeClass(plan, 60), 1);

    // GLONASS: almanac of day N = 100 of the four-year period starting 1 January 2004
    Bytes r(960);
    GlonassFields s;
    s.n = 100;
    for (int k = 0; k < 24; ++k)
        PutGlonass(r, 0, k, s);
    Calculator glo;
    glo.LoadAlmanac(dir.Write("glo", r.b));
    const CalendarTime day100 = CalendarFromDayOfYear(0, 0, 0, 100, 2004);
    auto gloOffset = [&](int days) { return FromDayTime(DayTime{ToDayTime(day100).day + days, 0.0}); };
    EXPECT_EQ(glo.GlonassAlmanacAge(day100), 0);
    EXPECT_EQ(glo.AlmanacAgeClass(gloOffset(60), 60), 0);
    EXPECT_EQ(glo.AlmanacAgeClass(gloOffset(61), 60), 1);
    EXPECT_EQ(glo.AlmanacAgeClass(gloOffset(-60), 60), 0);
    EXPECT_EQ(glo.AlmanacAgeClass(gloOffset(-61), 60), -1);
    // across the four-year boundary: N = 1400 on day index 9 of the next period is 71 days old
    s.n = 1400;
    for (int k = 0; k < 24; ++k)
        PutGlonass(r, 0, k, s);
    glo.LoadAlmanac(dir.Write("glo2", r.b));
    const CalendarTime jan10 = MakeCalendarTime(0, 0, 0, 10, 1, 2008);
    EXPECT_EQ(glo.GlonassAlmanacAge(jan10), 71);
    EXPECT_EQ(glo.AlmanacAgeClass(jan10, 60), 1);
    // and one from early in a period used late in the previous one is ahead of the date
    s.n = 5;
    for (int k = 0; k < 24; ++k)
        PutGlonass(r, 0, k, s);
    glo.LoadAlmanac(dir.Write("glo3", r.b));
    EXPECT_EQ(glo.GlonassAlmanacAge(MakeCalendarTime(0, 0, 0, 1, 12, 2007)), -(31 + 4));
}

TEST(AlmanacWriter, WritesTheBytesTheReaderReads) {
    const Bytes full = FullAlmanac();
    GpsAlmanac gps;
    GlonassAlmanac glonass;
    for (int k = 0; k < 32; ++k)
        gps[k] = DecodeGpsRecord(full.b.data() + 70 * k);
    for (int k = 0; k < 24; ++k)
        glonass[k] = DecodeGlonassRecord(full.b.data() + 2240 + 40 * k);
    EXPECT_EQ(EncodeAlmanac(&gps, &glonass), full.b);
    EXPECT_EQ(EncodeAlmanac(&gps, nullptr), std::vector<uint8_t>(full.b.begin(), full.b.begin() + 2240));
    EXPECT_EQ(EncodeAlmanac(nullptr, &glonass), std::vector<uint8_t>(full.b.begin() + 2240, full.b.end()));
    EXPECT_TRUE(EncodeAlmanac(nullptr, nullptr).empty());

    // what a loaded almanac holds writes back to a file that loads the same
    TempDir dir;
    Calculator first;
    first.LoadAlmanac(dir.Write("in", full.b));
    const std::string out = dir.Dir() + "alm26.001";
    ASSERT_TRUE(WriteAlmanacFile(out, &first.gpsRecords(), &first.glonassRecords()));
    EXPECT_EQ(fs::file_size(out), 3200u);
    Calculator second;
    second.LoadAlmanac(out);
    EXPECT_EQ(second.statuses(), first.statuses());
    EXPECT_EQ(EncodeAlmanac(&second.gpsRecords(), &second.glonassRecords()),
              EncodeAlmanac(&first.gpsRecords(), &first.glonassRecords()));
    ASSERT_TRUE(WriteAlmanacFile(out, nullptr, &first.glonassRecords()));
    EXPECT_EQ(fs::file_size(out), 960u);

    // a failed write leaves the old file and no temporary behind
    EXPECT_FALSE(WriteAlmanacFile(dir.Dir() + "no/such/dir/alm", &gps, nullptr));
    EXPECT_FALSE(WriteAlmanacFile(out, nullptr, nullptr));
    EXPECT_FALSE(WriteAlmanacFile(dir.Dir(), &gps, nullptr));
    EXPECT_EQ(fs::file_size(out), 960u);
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir.Dir()))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 2);
}

TEST(AlmanacLoad, GarbageNeverYieldsAnUnsoundSatellite) {
    TempDir dir;
    std::mt19937 rng(20261208);
    const size_t sizes[] = {3200, 2240, 960, 3201, 1234, 100};
    int kept = 0;
    for (int round = 0; round < 300; ++round) {
        Bytes f = FullAlmanac();
        f.b.resize(sizes[round % 6]);
        if (round % 3 == 0) {
            for (uint8_t& b : f.b) // pure garbage
                b = static_cast<uint8_t>(rng());
        } else {
            // valid records with a few bytes damaged, often into NaN or infinity patterns
            for (int hits = 0; hits < 40; ++hits) {
                const size_t at = rng() % f.b.size();
                f.b[at] = (rng() % 2) ? 0xFF : static_cast<uint8_t>(rng());
            }
        }
        Calculator calc;
        calc.LoadAlmanac(dir.Write("g", f.b));
        ExpectOnlySoundSatellites(calc);
        for (int k = 0; k < 56; ++k)
            kept += calc.HasAlmanac(k) ? 1 : 0;
    }
    EXPECT_GT(kept, 0); // the damaged files still keep their intact records
}

TEST(AlmanacScan, OrdersNewestFirstAcrossCenturies) {
    TempDir dir;
    dir.Write("alm98.5", std::vector<uint8_t>(960));
    dir.Write("alm99.1", std::vector<uint8_t>(3200));
    dir.Write("alm01.200", std::vector<uint8_t>(2240));
    dir.Write("ALM80.1", std::vector<uint8_t>(960)); // 2080, matched case-insensitively
    dir.Write("alm81.1", std::vector<uint8_t>(960)); // 1981
    ASSERT_EQ(ScanAlmanacDirectory(dir.Dir()), 1);
    ASSERT_EQ(AlmanacNameList().Count(), 5);
    const char* expected[] = {"ALM80.1", "alm01.200", "alm99.1", "alm98.5", "alm81.1"};
    for (int k = 0; k < 5; ++k)
        EXPECT_STREQ(AlmanacNameList().GetAt(k)->Text(), expected[k]) << k;
}

TEST(AlmanacScan, EqualDatesKeepTheFoundOrderAndForeignFilesAreSkipped) {
    TempDir dir;
    // 2001 has 365 days: day 366 runs on to 1 January 2002
    dir.Write("alm02.1", std::vector<uint8_t>(960));
    dir.Write("alm01.366", std::vector<uint8_t>(960));
    dir.Write("alm2.1", std::vector<uint8_t>(960));
    dir.Write("alm02.0001", std::vector<uint8_t>(960));
    for (const char* name : {"almanac.dat", "alm.123", "alm12", "alm12.x1", "alm12.", "alm1x.3", "xalm12.3",
                             ".alm12.3", "alm12.3.4"})
        dir.Write(name, std::vector<uint8_t>(3200));
    dir.Write("alm12.3", std::vector<uint8_t>(3000));
    dir.Write("alm12.4", std::vector<uint8_t>(0));
    fs::create_directory(dir.Dir() + "alm12.5");
    ASSERT_EQ(ScanAlmanacDirectory(dir.Dir()), 1);
    std::vector<std::string> names;
    for (int k = 0; k < AlmanacNameList().Count(); ++k)
        names.push_back(AlmanacNameList().GetAt(k)->Text());
    EXPECT_EQ(names, (std::vector<std::string>{"alm01.366", "alm02.0001", "alm02.1", "alm2.1"}));

    // a second scan rebuilds the list; an empty or missing directory gives 0
    TempDir empty;
    EXPECT_EQ(ScanAlmanacDirectory(empty.Dir()), 0);
    EXPECT_EQ(AlmanacNameList().Count(), 0);
    ASSERT_EQ(ScanAlmanacDirectory(dir.Dir()), 1);
    EXPECT_EQ(ScanAlmanacDirectory(dir.Dir() + "missing/"), 0);
    EXPECT_EQ(AlmanacNameList().Count(), 0);

    // a caller's own list, not the program-wide one; the directory without a trailing separator
    ASortedList<AString> mine;
    ASSERT_EQ(ScanAlmanacDirectory(dir.Dir().substr(0, dir.Dir().size() - 1), mine), 1);
    EXPECT_EQ(mine.Count(), 4);
    EXPECT_EQ(AlmanacNameList().Count(), 0);
}

TEST(AlmanacScan, PathsSplitAndJoin) {
    EXPECT_EQ(DirectoryOf("/data/alm/alm26.100"), "/data/alm/");
    EXPECT_EQ(DirectoryOf("alm26.100"), "");
    EXPECT_EQ(DirectoryOf("/alm"), "/");
    EXPECT_EQ(AlmanacPath("/data/alm/", "alm26.100"), "/data/alm/alm26.100");
    EXPECT_EQ(AlmanacPath("/data/alm", "alm26.100"), "/data/alm/alm26.100");
    EXPECT_EQ(AlmanacPath("", "alm26.100"), "alm26.100");
    EXPECT_EQ(AlmanacPath(DirectoryOf("/x/y/alm1.2"), "alm3.4"), "/x/y/alm3.4");
}
