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
#include "engine/gnsstime.h"
#include "engine/orbit.h"

namespace fs = std::filesystem;

using namespace almanac_fixture;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<uint8_t> Resized(std::vector<uint8_t> b, size_t n) {
    b.resize(n, 0);
    return b;
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
    const std::vector<uint8_t> glonassOnly(full.b.begin() + 2240, full.b.end());
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t loadState;
        bool gps, glonass;
    } cases[] = {
        {"both", full.b, kLoadOk, true, true},
        {"longer", Resized(full.b, 4000), kLoadOk, true, true},
        {"gps", Resized(full.b, 2240), kLoadOk, true, false},
        {"gps_and_part", Resized(full.b, 3199), kLoadOk, true, false},
        {"glonass", glonassOnly, kLoadOk, false, true},
        // shorter than the GPS block: its first 960 bytes are read as GLONASS records
        {"glonass_long", Resized(glonassOnly, 2239), kLoadOk, false, true},
        {"short", Resized(glonassOnly, 959), kLoadNotRead, false, false},
        {"empty", {}, kLoadNotRead, false, false},
    };
    Calculator calc;
    std::string remembered;
    for (const Case& c : cases) {
        const std::string path = dir.Write(c.name, c.bytes);
        calc.LoadAlmanac(path);
        EXPECT_EQ(calc.loadState(), c.loadState) << c.name;
        for (int k = 0; k < 56; ++k)
            EXPECT_EQ(calc.status(k), (k < 32 ? c.gps : c.glonass) ? 0 : StatusNoAlmanac) << c.name << k;
        if (c.loadState == kLoadOk)
            remembered = path; // the name changes only on success
        EXPECT_EQ(calc.almanacFileName(), remembered) << c.name;
    }
    calc.LoadAlmanac(dir.Dir() + "missing");
    EXPECT_EQ(calc.loadState(), kLoadNotOpened);
    EXPECT_EQ(calc.FirstEnabledGlonass(), 0);
    calc.LoadAlmanac(dir.Dir()); // a directory is no almanac
    EXPECT_NE(calc.loadState(), kLoadOk);
    EXPECT_EQ(calc.almanacFileName(), remembered);

    // paths longer than the old 260-character limit are remembered whole
    std::string deep = dir.Dir();
    for (char c = 'a'; c < 'f'; ++c)
        fs::create_directory(deep += std::string(60, c) + "/");
    calc.LoadAlmanac(dir.Write(deep.substr(dir.Dir().size()) + "alm26.300", full.b));
    EXPECT_EQ(calc.almanacFileName(), deep + "alm26.300");
}

TEST(AlmanacLoad, FieldsDecodeFromBigEndian) {
    TempDir dir;
    Bytes f = FullAlmanac();
    PutGps(f, 0, 6, GpsFields{.e = -0.001f, .toa = 602112, .omegaDot = -8.1e-9f, .sqrtA = 2000.0});
    PutGlonass(f, 2240, 4,
               GlonassFields{.channel = -7, .n = 1461, .tLambda = 44100.f, .deltaTDot = -0.0039f});
    Calculator calc;
    calc.LoadAlmanac(dir.Write("a", f.b));
    const GpsAlmanacRecord& p7 = calc.gpsRecords()[6];
    EXPECT_EQ(calc.status(6), 0);
    EXPECT_EQ(p7.e, 0.0f); // a negative eccentricity is used as 0
    EXPECT_EQ(p7.toa, 602112);
    EXPECT_EQ(p7.i, 0.3f);
    EXPECT_EQ(p7.omegaDot, -8.1e-9f);
    EXPECT_EQ(p7.sqrtA, 2000.0);
    EXPECT_EQ(p7.omega0, 0.25);
    EXPECT_EQ(p7.m0, 0.75);
    EXPECT_EQ(p7.reserved50, 0x01020304u);
    EXPECT_EQ(p7.reserved68, 0x0D0Eu);
    EXPECT_EQ(p7.week, 1050); // 1050 = 4 * 256 + 0x1A: the almanac of the reference week itself
    const GlonassAlmanacRecord& s5 = calc.glonassRecords()[4];
    EXPECT_EQ(calc.status(32 + 4), 0);
    EXPECT_EQ(s5.n, 1461);
    EXPECT_EQ(s5.tLambda, 44100.f);
    EXPECT_EQ(s5.deltaT, -2655.f);
    EXPECT_EQ(s5.deltaTDot, -0.0039f);
    // today's channels -7..+6 and the old plan's 1..24 are both kept as stored
    EXPECT_EQ(calc.FrequencyNumber(32 + 4), -7);
    EXPECT_EQ(calc.FrequencyNumber(32 + 13), 6);
    EXPECT_EQ(calc.FrequencyNumber(5), 0);
    EXPECT_EQ(calc.FrequencyNumber(56), 0);
}

TEST(AlmanacLoad, InvalidRecordDisablesOnlyItsSatellite) {
    // each a record that fails one test; PRN 10 or slot 18 of an otherwise valid almanac
    const GpsFields gps[] = {
        {.referenceWeek = -1}, {.e = 0.0301f},      {.e = kNaN},
        {.toa = -1},           {.toa = 602113},     {.i = 0.229f},
        {.i = kNaN},           {.sqrtA = 1999.99},  {.sqrtA = 8000.01},
        {.omega0 = -1.001},    {.omega = 1.001},    {.m0 = kNaN},
        {.omegaDot = kNaN},    {.omegaDot = -kInf}, {.omegaDot = -1.3e-7f},
    };
    const GlonassFields glonass[] = {
        {.n = 0},
        {.n = 1462},
        {.channel = 25},
        {.channel = -8},
        {.e = -1e-6f},
        {.e = 0.0301f},
        {.e = kNaN},
        {.tLambda = -0.5f},
        {.tLambda = 44100.5f},
        {.tLambda = kNaN},
        {.lambda = 1.01f},
        {.deltaI = -0.0701f},
        {.deltaT = 3600.5f},
        {.deltaTDot = kInf},
        {.omega = kNaN},
        {.correction = -0.0021f},
    };
    TempDir dir;
    auto expectOnly = [&](const Bytes& f, int bad, int row) {
        Calculator calc;
        calc.LoadAlmanac(dir.Write("a", f.b));
        EXPECT_EQ(calc.loadState(), kLoadOk);
        for (int k = 0; k < 56; ++k)
            EXPECT_EQ(calc.status(k), k == bad ? StatusNoAlmanac : 0) << "row " << row << " index " << k;
    };
    for (size_t row = 0; row < std::size(gps); ++row) {
        Bytes f = FullAlmanac();
        PutGps(f, 0, 9, gps[row]);
        expectOnly(f, 9, static_cast<int>(row));
    }
    for (size_t row = 0; row < std::size(glonass); ++row) {
        Bytes f = FullAlmanac();
        PutGlonass(f, 2240, 17, glonass[row]);
        expectOnly(f, 32 + 17, static_cast<int>(row));
    }
}

TEST(AlmanacLoad, UnhealthySatellitesStartSwitchedOffAndCanBeSwitchedOn) {
    TempDir dir;
    Bytes f = FullAlmanac();
    PutGps(f, 0, 0, GpsFields{.healthCode = 63});
    PutGps(f, 0, 1, GpsFields{.healthFlag = 1});
    PutGps(f, 0, 2, GpsFields{.healthCode = 62}); // only 63 marks it unhealthy
    PutGps(f, 0, 3, GpsFields{.toa = -5});        // no almanac
    PutGlonass(f, 2240, 0, GlonassFields{.healthFlag = 0});
    Calculator calc;
    calc.LoadAlmanac(dir.Write("a", f.b));
    EXPECT_EQ(calc.status(0), 5);
    EXPECT_EQ(calc.status(1), 5);
    EXPECT_EQ(calc.status(2), 0);
    EXPECT_EQ(calc.status(32), 5);
    EXPECT_EQ(calc.FirstEnabledGps(), 3);
    EXPECT_EQ(calc.FirstEnabledGlonass(), 2);

    struct Step {
        int number, disabled, result, status;
    } steps[] = {{1, 0, 1, 4}, {1, 1, 1, 5}, {33, 0, 1, 4}, {3, 1, 1, 1},
                 {3, 0, 1, 0}, {4, 0, 0, 2}, {4, 1, 0, 2}}; // PRN 4 has no almanac: it stays 2
    for (const Step& s : steps) {
        EXPECT_EQ(calc.SetSatelliteState(s.number, s.disabled), s.result) << s.number;
        EXPECT_EQ(calc.status(s.number - 1), s.status) << s.number;
    }
    EXPECT_EQ(calc.FirstEnabledGlonass(), 1);
    EXPECT_EQ(calc.SetSatelliteState(0, 1), 0);
    EXPECT_EQ(calc.SetSatelliteState(57, 1), 0);
    // all GPS off leaves none enabled; a reload starts from the file again
    for (int n = 1; n <= 32; ++n)
        calc.SetSatelliteState(n, 1);
    EXPECT_EQ(calc.FirstEnabledGps(), 0);
    calc.LoadAlmanac(calc.almanacFileName());
    EXPECT_EQ(calc.FirstEnabledGps(), 3);
    EXPECT_EQ(calc.status(0), 5);
}

TEST(AlmanacRecord, WeekIsRebuiltAcrossTheEightBitWrapInTheEraNearestTheDate) {
    // GPS weeks beginning 2005-12-25, 2019-04-07 (the second rollover) and 2025-08-10.
    constexpr int k2005 = 1355, kRollover2019 = 2048, k2025 = 2379, kFar = 30000;
    struct Case {
        int almanacWeek, referenceWeek, nearWeek, latestWeek, expected;
    } cases[] = {
        {5, 1030, k2025, kFar, 1029},         // full reference week: 5 - 1030 = 255 mod 256, read as -1
        {0x00FF, 1024, k2025, kFar, 1023},    // one week before a full reference week
        {0x00CC, 2052, k2005, kFar, 1996},    // (204 - 2052) mod 256 = 200, read as -56; date plays no part
        {0x0105, 260, k2005, kFar, 1285},     // 10-bit week 261 planned in 2005: the first era
        {0x0105, 260, k2025, kFar, 2309},     // the same file planned in 2025: the second
        {331 % 256, 331, k2025, kFar, 2379},  // written in 2025 with a 10-bit week: not 2005-12-26
        {331 % 256, 331, k2005, kFar, 1355},  // and in 2005 it is that date
        {1, 1023, kRollover2019, kFar, 2049}, // two weeks after the last 10-bit week 1023
        {0xFF, 0, kRollover2019, kFar, 2047}, // reference just after the rollover, almanac the week before
        {0x0001, 1279, k2005, kFar, 1281},    // two weeks after, across the next wrap
        {876 % 256, 876, 2450, 2454, 1900},   // a 2016 almanac: 2924 would lie after the latest week
        {876 % 256, 876, 2450, kFar, 2924},   // nearest, when nothing limits it
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReconstructGpsWeek(static_cast<int16_t>(c.almanacWeek),
                                     static_cast<int16_t>(c.referenceWeek), c.nearWeek, c.latestWeek),
                  c.expected)
            << c.almanacWeek << "/" << c.referenceWeek << " near " << c.nearWeek;
    EXPECT_EQ(GpsToCalendar(GpsTime{k2005, 0}).year, 105); // the table's weeks are the dates named
    EXPECT_EQ(GpsToCalendar(GpsTime{kRollover2019, 0}).month, 3);
    EXPECT_EQ(GpsToCalendar(GpsTime{k2025, 0}).dayOfYear, 222); // Sunday 10 August

    TempDir dir; // and through the loader, with the planning date as reference
    Bytes f = FullAlmanac();
    PutGps(f, 0, 31, GpsFields{.week = 5, .referenceWeek = 1030});
    PutGps(f, 0, 30, GpsFields{.week = 331 % 256, .referenceWeek = 331});
    const std::string path = dir.Write("a", f.b);
    Calculator calc;
    calc.LoadAlmanac(path);
    EXPECT_EQ(calc.gpsRecords()[31].week, 1029);
    EXPECT_EQ(calc.gpsRecords()[30].week, 2379); // today: the era before would be twenty years old
    calc.SetWeekReference(MakeCalendarTime(0, 0, 0, 26, 12, 2005));
    calc.LoadAlmanac(path);
    EXPECT_EQ(calc.gpsRecords()[30].week, 1355);
    calc.SetWeekReference(MakeCalendarTime(0, 0, 0, 1, 1, 2090)); // never after today
    calc.LoadAlmanac(path);
    EXPECT_EQ(calc.gpsRecords()[30].week, 2379);
}

TEST(AlmanacAge, ClassesAtTheSixtyDayEdges) {
    TempDir dir;
    // GPS: week 1500, toa 0 for every PRN but the first, which is switched off below
    Bytes f(2240);
    for (int k = 0; k < 32; ++k)
        PutGps(f, 0, k, GpsFields{.toa = k == 0 ? 86400 * 5 : 0, .week = 1500 % 256, .referenceWeek = 1500});
    Calculator gps;
    gps.LoadAlmanac(dir.Write("gps", f.b));
    gps.SetSatelliteState(1, 1);
    auto gpsDay = [](int days) { return FromDayTime(DayTime{kMjdGpsEpoch + 1500 * 7 + days, 0.0}); };
    EXPECT_EQ(gps.GpsAlmanacAge(gpsDay(60)), 60);
    EXPECT_EQ(gps.AlmanacAgeClass(gpsDay(60), 60), 0);
    EXPECT_EQ(gps.AlmanacAgeClass(gpsDay(61), 60), 1);
    EXPECT_EQ(gps.AlmanacAgeClass(gpsDay(-60), 60), 0);
    EXPECT_EQ(gps.AlmanacAgeClass(gpsDay(-61), 60), -1);
    EXPECT_EQ(gps.GlonassAlmanacAge(gpsDay(61)), 0); // no GLONASS, no GLONASS age
    const CalendarTime d = gpsDay(61);
    EXPECT_EQ(gps.AlmanacAgeClass(PlanInterval(d.day, d.month + 1, d.year + 1900, 22, 0, 2, 0), 60), 1);

    // GLONASS: N = 100 of the period starting 1 January 2004
    auto glonassWith = [&](int n) {
        Bytes r(960);
        for (int k = 0; k < 24; ++k)
            PutGlonass(r, 0, k, GlonassFields{.n = n});
        return dir.Write("glo" + std::to_string(n), r.b);
    };
    Calculator glo;
    glo.LoadAlmanac(glonassWith(100));
    const int32_t day100 = ToDayTime(CalendarFromDayOfYear(0, 0, 0, 100, 2004)).day;
    auto gloDay = [&](int days) { return FromDayTime(DayTime{day100 + days, 0.0}); };
    EXPECT_EQ(glo.GlonassAlmanacAge(gloDay(0)), 0);
    EXPECT_EQ(glo.AlmanacAgeClass(gloDay(60), 60), 0);
    EXPECT_EQ(glo.AlmanacAgeClass(gloDay(61), 60), 1);
    EXPECT_EQ(glo.AlmanacAgeClass(gloDay(-60), 60), 0);
    EXPECT_EQ(glo.AlmanacAgeClass(gloDay(-61), 60), -1);
    // across the four-year boundary both ways
    glo.LoadAlmanac(glonassWith(1400));
    EXPECT_EQ(glo.GlonassAlmanacAge(MakeCalendarTime(0, 0, 0, 10, 1, 2008)), 71); // day index 9
    glo.LoadAlmanac(glonassWith(5));
    EXPECT_EQ(glo.GlonassAlmanacAge(MakeCalendarTime(0, 0, 0, 1, 12, 2007)), -35);
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
    EXPECT_EQ(EncodeAlmanac(&gps, nullptr), Resized(full.b, 2240));
    EXPECT_EQ(EncodeAlmanac(nullptr, &glonass), std::vector<uint8_t>(full.b.begin() + 2240, full.b.end()));
    EXPECT_TRUE(EncodeAlmanac(nullptr, nullptr).empty());

    // a loaded almanac written back loads the same
    TempDir dir;
    Calculator first, second;
    first.LoadAlmanac(dir.Write("in", full.b));
    const std::string out = dir.Dir() + "alm26.001";
    ASSERT_TRUE(WriteAlmanacFile(out, &first.gpsRecords(), &first.glonassRecords()));
    second.LoadAlmanac(out);
    EXPECT_EQ(second.statuses(), first.statuses());
    EXPECT_EQ(EncodeAlmanac(&second.gpsRecords(), &second.glonassRecords()),
              EncodeAlmanac(&first.gpsRecords(), &first.glonassRecords()));

    // a failed write leaves the old file, and no temporary behind
    EXPECT_FALSE(WriteAlmanacFile(dir.Dir() + "no/such/dir/alm", &gps, nullptr));
    EXPECT_FALSE(WriteAlmanacFile(out, nullptr, nullptr));
    EXPECT_FALSE(WriteAlmanacFile(dir.Dir(), &gps, nullptr));
    EXPECT_EQ(fs::file_size(out), 3200u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Dir()), fs::directory_iterator()), 2);
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
            for (int hits = 0; hits < 40; ++hits) // damaged bytes, often into NaN or infinity patterns
                f.b[rng() % f.b.size()] = (rng() % 2) ? 0xFF : static_cast<uint8_t>(rng());
        }
        Calculator calc;
        calc.LoadAlmanac(dir.Write("g", f.b));
        ExpectOnlySoundSatellites(calc);
        for (int k = 0; k < 56; ++k)
            kept += calc.HasAlmanac(k) ? 1 : 0;
    }
    EXPECT_GT(kept, 0); // the damaged files still keep their intact records
}

TEST(AlmanacLoad, AFileWithoutOneValidRecordIsRefused) {
    TempDir dir;
    std::mt19937 rng(3200);
    for (size_t size : {3200u, 2240u, 960u}) {
        Bytes f(size);
        for (uint8_t& b : f.b)
            b = static_cast<uint8_t>(rng());
        Calculator calc;
        calc.LoadAlmanac(dir.Write("random", f.b));
        EXPECT_EQ(calc.loadState(), kLoadNoValidRecord) << size;
        EXPECT_TRUE(calc.almanacFileName().empty());
        // One valid record is enough.
        Bytes one = f;
        if (size != 960)
            PutGps(one, 0, 7, GpsFields{});
        else
            PutGlonass(one, 0, 3, GlonassFields{});
        calc.LoadAlmanac(dir.Write("one", one.b));
        EXPECT_EQ(calc.loadState(), kLoadOk) << size;
        EXPECT_EQ(calc.HasAlmanac(size != 960 ? 7 : 35), true);
    }
}
