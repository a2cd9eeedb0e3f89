#include "engine/almanac_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/calculator.h"

namespace fs = std::filesystem;

namespace {

const std::string kSources = TAVRIN_SOURCE_DIR "/data/almanac-sources/";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

CalendarTime Date(int day, int month, int year) {
    return MakeCalendarTime(0, 0, 0, day, month, year);
}

class ImportDir {
public:
    ImportDir() {
        static int serial = 0;
        path_ = fs::temp_directory_path() /
                ("tavrin_import_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        fs::create_directories(path_);
    }
    ~ImportDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string Write(const std::string& name, const std::string& text) const {
        const std::string p = (path_ / name).string();
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    std::string Dir() const { return path_.string(); }
    // The names of the files there, besides the inputs given.
    int AlmanacFiles() const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(path_))
            n += e.path().filename().string().rfind("alm", 0) == 0;
        return n;
    }

private:
    fs::path path_;
};

bool Contains(const std::vector<std::string>& messages, const std::string& a, const std::string& b = "") {
    for (const std::string& m : messages)
        if (m.find(a) != std::string::npos && m.find(b) != std::string::npos)
            return true;
    return false;
}

// Replaces the first occurrence of `from` in `text`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(AlmanacImport, SemAndYumaOfTheSameAlmanacGiveTheSameRecords) {
    const CalendarTime near = Date(1, 3, 2016);
    const PublishedAlmanac sem = ReadPublishedAlmanac(kSources + "current.al3", near);
    const PublishedAlmanac yuma = ReadPublishedAlmanac(kSources + "current.alm", near);
    ASSERT_TRUE(sem.ok) << (sem.errors.empty() ? "" : sem.errors[0]);
    ASSERT_TRUE(yuma.ok) << (yuma.errors.empty() ? "" : yuma.errors[0]);
    EXPECT_EQ(sem.format, AlmanacFormat::Sem);
    EXPECT_EQ(yuma.format, AlmanacFormat::Yuma);
    EXPECT_EQ(sem.imported, 31);
    EXPECT_EQ(yuma.imported, 31);
    EXPECT_EQ(sem.healthy, 29); // PRN 13 and 32 publish health 63
    EXPECT_EQ(yuma.healthy, 29);
    EXPECT_TRUE(sem.warnings.empty());
    // The two files agree to 5e-10 after unit conversion; the float fields add their rounding.
    for (int k = 0; k < kGpsSatellites; ++k) {
        SCOPED_TRACE(k + 1);
        ASSERT_EQ(sem.gpsPresent[k], yuma.gpsPresent[k]);
        if (!sem.gpsPresent[k])
            continue;
        const GpsAlmanacRecord& s = sem.gps[k];
        const GpsAlmanacRecord& y = yuma.gps[k];
        EXPECT_EQ(s.week, 1886);
        EXPECT_EQ(y.week, 1886);
        EXPECT_EQ(s.toa, 319488);
        EXPECT_EQ(y.toa, s.toa);
        EXPECT_EQ(y.healthFlag, s.healthFlag);
        EXPECT_EQ(y.healthCode, s.healthCode);
        EXPECT_NEAR(y.e, s.e, 1e-9);
        EXPECT_NEAR(y.i, s.i, 6e-8);                // semicircles: one float step at 0.3
        EXPECT_NEAR(y.omegaDot, s.omegaDot, 1e-15); // semicircles/s
        EXPECT_NEAR(y.sqrtA, s.sqrtA, 1e-6);        // m^1/2
        EXPECT_NEAR(y.omega0, s.omega0, 1e-9);      // semicircles
        EXPECT_NEAR(y.omega, s.omega, 1e-9);
        EXPECT_NEAR(y.m0, s.m0, 1e-9);
    }
    EXPECT_FALSE(sem.gpsPresent[3]); // PRN 4 is not in the almanac
    EXPECT_EQ(sem.gps[12].healthCode, 63);
    EXPECT_EQ(sem.gps[12].healthFlag, 1);
    EXPECT_EQ(sem.date.year + 1900, 2016);
    EXPECT_EQ(sem.date.dayOfYear, 62); // 2 March, the TOA's day
}

TEST(AlmanacImport, WeeksModulo1024TakeTheEraNearestTheReferenceDate) {
    EXPECT_EQ(ResolveGpsWeek(331, 147456, Date(11, 8, 2025)), 2379);
    EXPECT_EQ(ResolveGpsWeek(331, 147456, Date(1, 1, 2035)), 2379);
    EXPECT_EQ(ResolveGpsWeek(862, 319488, Date(1, 3, 2016)), 1886);
    EXPECT_EQ(ResolveGpsWeek(862, 319488, Date(1, 1, 2036)), 2910); // ten years on: the next era
    EXPECT_EQ(ResolveGpsWeek(1023, 0, Date(1, 1, 1999)), 1023);
    EXPECT_EQ(ResolveGpsWeek(0, 0, Date(1, 1, 1999)), 1024);         // the first rollover, 22 August 1999
    EXPECT_EQ(ResolveGpsWeek(2018, 589824, Date(1, 1, 2030)), 2018); // full weeks are kept
    const PublishedAlmanac later = ReadPublishedAlmanac(kSources + "current.al3", Date(1, 1, 2036));
    ASSERT_TRUE(later.ok);
    EXPECT_EQ(later.gps[0].week, 2910);
}

TEST(AlmanacImport, AsTodayTheNearestEraIsNeverAfterIt) {
    // Without a date of its own the import takes today, and a file that exists now is not from
    // 2035: week 862 of 2016 stays in 2016 however near 2035 "today" is.
    EXPECT_EQ(ResolveGpsWeek(862, 319488, Date(1, 1, 2026), true), 1886);
    EXPECT_EQ(ResolveGpsWeek(862, 319488, Date(1, 1, 2026), false), 2910);
    EXPECT_EQ(ResolveGpsWeek(331, 147456, Date(11, 8, 2025), true), 2379); // the week of today itself
    EXPECT_EQ(ResolveGpsWeek(333, 0, Date(11, 8, 2025), true), 2381);      // two weeks ahead: allowed
}

TEST(AlmanacImport, ASemNumberBeyondAnyIntegerIsReportedAsWritten) {
    std::string sem = Slurp(kSources + "current.al3");
    const size_t prn = sem.find("\n1\n");
    ASSERT_NE(prn, std::string::npos);
    sem.replace(prn + 1, 1, "680d7"); // 6.8e9 as a Fortran number: no int holds it
    const PublishedAlmanac a = ParsePublishedAlmanac(sem, "current.al3", Date(1, 3, 2016));
    std::string all;
    for (const std::string& m : a.warnings)
        all += m + "\n";
    for (const std::string& m : a.errors)
        all += m + "\n";
    EXPECT_EQ(all.find("-2147483648"), std::string::npos) << all;
    EXPECT_FALSE(a.gpsPresent[0]);
    EXPECT_FALSE(all.empty());
}

TEST(AlmanacImport, ReadsTheIacGpsAndGlonassFormats) {
    const CalendarTime near = Date(13, 9, 2018);
    const PublishedAlmanac agp = ReadPublishedAlmanac(kSources + "MCCJ_180913.agp", near);
    ASSERT_TRUE(agp.ok);
    EXPECT_EQ(agp.format, AlmanacFormat::IacGps);
    EXPECT_EQ(agp.imported, 31);
    EXPECT_FALSE(agp.gpsPresent[3]); // no PRN 4
    const GpsAlmanacRecord& g1 = agp.gps[0];
    EXPECT_EQ(g1.week, 2018);
    EXPECT_EQ(g1.referenceWeek, 2018);
    EXPECT_EQ(g1.toa, 589824);
    EXPECT_FLOAT_EQ(g1.i, 0.30947381f); // the full inclination
    EXPECT_DOUBLE_EQ(g1.omega0, 0.52610528);
    EXPECT_DOUBLE_EQ(g1.m0, -0.54283547);
    EXPECT_DOUBLE_EQ(g1.sqrtA, 5153.6177);
    EXPECT_FLOAT_EQ(g1.omegaDot, -0.24774636e-08f);
    EXPECT_EQ(agp.date.dayOfYear, 258); // 15 September 2018, the TOA's day

    const PublishedAlmanac agl = ReadPublishedAlmanac(kSources + "MCCJ_180913.agl", near);
    ASSERT_TRUE(agl.ok);
    EXPECT_FALSE(agl.isGps);
    EXPECT_EQ(agl.imported, 24);
    EXPECT_EQ(agl.healthy, 24);
    const GlonassAlmanacRecord& r2 = agl.glonass[1];
    EXPECT_EQ(r2.n, 366 + 365 + 256); // 13 September 2018 in the period from 1 January 2016
    EXPECT_EQ(r2.channel, -4);
    EXPECT_EQ(r2.healthFlag, 1);
    EXPECT_FLOAT_EQ(r2.tLambda, 15319.25f);
    EXPECT_FLOAT_EQ(r2.lambda, 0.8790188f);
    EXPECT_FLOAT_EQ(r2.deltaI, 0.9379387e-02f);
    EXPECT_FLOAT_EQ(r2.omega, -0.7036743f);
    EXPECT_FLOAT_EQ(r2.e, 0.1632690e-02f);
    EXPECT_FLOAT_EQ(r2.deltaT, -2655.914f);
    EXPECT_FLOAT_EQ(r2.deltaTDot, 0.7934570e-03f);
    EXPECT_FLOAT_EQ(r2.correction, -0.328063965e-03f);
    EXPECT_EQ(agl.glonass[9].channel, -7);
    EXPECT_EQ(agl.date.dayOfYear, 256);
}

TEST(AlmanacImport, WritesOneFileNamedAfterTheGpsAlmanacsDate) {
    ImportDir dir;
    const AlmanacImportResult r = ImportAlmanacFiles(
        {kSources + "MCCJ_180913.agl", kSources + "MCCJ_180913.agp"}, dir.Dir(), Date(13, 9, 2018));
    ASSERT_TRUE(r.written) << (r.errors.empty() ? "" : r.errors[0]);
    EXPECT_EQ(r.path, dir.Dir() + "/alm18.258");
    EXPECT_EQ(fs::file_size(r.path), 3200u);
    EXPECT_EQ(r.gps.imported, 31);
    EXPECT_EQ(r.glonass.imported, 24);
    EXPECT_EQ(ImportSummaryLine("GLONASS", r.glonass),
              "GLONASS: 24 satellites imported, 0 skipped, 24 healthy");

    // The program's own loader reads it back with every imported satellite usable.
    Calculator calc;
    calc.LoadAlmanac(r.path);
    ASSERT_EQ(calc.loadState(), kLoadOk);
    EXPECT_EQ(calc.status(3), StatusNoAlmanac); // PRN 4
    EXPECT_EQ(calc.status(0), 0);
    EXPECT_EQ(calc.gpsRecords()[0].week, 2018);
    EXPECT_EQ(calc.status(kGpsSatellites + 1), 0);
    EXPECT_EQ(calc.FrequencyNumber(kGpsSatellites + 1), -4);

    // One system alone: GPS only (2240 bytes), GLONASS only (960), named after its own date.
    const AlmanacImportResult yuma =
        ImportAlmanacFiles({kSources + "current.alm"}, dir.Dir(), Date(1, 3, 2016));
    ASSERT_TRUE(yuma.written);
    EXPECT_EQ(fs::file_size(yuma.path), 2240u);
    EXPECT_EQ(fs::path(yuma.path).filename(), "alm16.62");
    calc.LoadAlmanac(yuma.path);
    EXPECT_EQ(calc.status(12), StatusUnhealthy | StatusDisabled); // health 63
    const AlmanacImportResult agl =
        ImportAlmanacFiles({kSources + "MCCJ_180913.agl"}, dir.Dir(), Date(1, 1, 2030));
    ASSERT_TRUE(agl.written);
    EXPECT_EQ(fs::file_size(agl.path), 960u);
    EXPECT_EQ(fs::path(agl.path).filename(), "alm18.256");
    // Today's channels -7..6 are kept; the one warning says which satellites older programs refuse.
    ASSERT_EQ(agl.warnings.size(), 1u);
    EXPECT_TRUE(Contains(agl.warnings, "GLONASS R", "0 or below"));
    // Importing again replaces the file and says so.
    const AlmanacImportResult again =
        ImportAlmanacFiles({kSources + "MCCJ_180913.agl"}, dir.Dir(), Date(1, 1, 2030));
    EXPECT_TRUE(again.written);
    EXPECT_TRUE(Contains(again.warnings, "alm18.256", "replaced"));
}

TEST(AlmanacImport, SatelliteFailingTheRecordTestsIsSkippedNamingTheField) {
    ImportDir dir;
    std::string yuma = Slurp(kSources + "almanac.yuma.week0331.147456.txt");
    yuma =
        Replaced(yuma, "Eccentricity:               0.1647996902E-001", "Eccentricity:               0.05");
    const std::string path = dir.Write("damaged.alm", yuma);
    const AlmanacImportResult r = ImportAlmanacFiles({path}, dir.Dir(), Date(11, 8, 2025));
    ASSERT_TRUE(r.written);
    EXPECT_EQ(r.gps.imported, 30);
    EXPECT_EQ(r.gps.skipped, 1);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_TRUE(Contains(r.warnings, "GPS PRN 02", "eccentricity 0.05")) << r.warnings[0];
    Calculator calc;
    calc.LoadAlmanac(r.path);
    EXPECT_EQ(calc.status(1), StatusNoAlmanac);
    EXPECT_EQ(calc.status(0), 0);

    // GLONASS: an out-of-range rate, a date that is none, a slot beyond 24 and a repeated slot.
    std::string agl = Slurp(kSources + "MCCJ_180913.agl");
    agl = Replaced(agl, "-0.2656180E+04  0.8544922E-03", "-0.2656180E+04  0.8544922E-02");
    agl = Replaced(agl, " 2  -4  1  13 09 2018", " 2  -4  1  31 02 2018");
    agl = Replaced(agl, " 3   5  1  13 09 2018", "25   5  1  13 09 2018");
    agl = Replaced(agl, " 4   6  1  13 09 2018", " 5   6  1  13 09 2018");
    const PublishedAlmanac g = ParsePublishedAlmanac(agl, "damaged.agl", Date(13, 9, 2018));
    ASSERT_TRUE(g.ok);
    EXPECT_EQ(g.imported, 20);
    EXPECT_EQ(g.skipped, 4);
    EXPECT_TRUE(Contains(g.warnings, "GLONASS slot 01", "draconic period rate 0.0085"));
    EXPECT_TRUE(Contains(g.warnings, "GLONASS slot 02", "31.02.2018"));
    EXPECT_TRUE(Contains(g.warnings, "line 8", "25"));
    EXPECT_TRUE(Contains(g.warnings, "GLONASS slot 05", "second time"));
    EXPECT_FALSE(g.glonassPresent[0]);
    EXPECT_TRUE(g.glonassPresent[3] == false && g.glonassPresent[4]);
    EXPECT_EQ(g.glonass[4].channel, 6); // the first record of slot 5 is the one kept
}

TEST(AlmanacImport, UnusableInputsAreRefusedAndNothingIsWritten) {
    ImportDir dir;
    const std::string yuma = Slurp(kSources + "almanac.yuma.week0331.147456.txt");
    const std::string sem = Slurp(kSources + "current.al3");
    const std::string agl = Slurp(kSources + "MCCJ_180913.agl");
    struct Case {
        const char* name;
        std::string text;
        const char* expect; // in the message
    };
    const std::vector<Case> cases = {
        {"empty.alm", "", "is empty"},
        {"blank.agl", "  \n\n", "is empty"},
        {"cut.alm", yuma.substr(0, yuma.find("Mean Anom", yuma.find("PRN-07"))),
         "ends inside the record of GPS PRN 07"},
        {"cut.al3", sem.substr(0, sem.size() / 2), "header announces 31 records"},
        {"cut.agl", agl.substr(0, agl.find("\n", agl.rfind("24   2  1")) + 1), "GLONASS slot 24"},
        {"short-line.agl", Replaced(agl, " 0.000000000E+00 -0.328063965E-03", ""),
         "expected 10 values, found 8"},
        {"damaged.alm", Replaced(yuma, "0.9594115059", "0.95941x5059"), "\"0.95941x5059\" is not a number"},
        {"damaged.al3", Replaced(sem, "5.15360253906250E+03", "5.1536O253906250E+03"), "line 8"},
        {"unknown-line.alm", Replaced(yuma, "Health:", "Hlth:"), "unexpected \"Hlth:"},
        {"heading.alm", Replaced(yuma, "ID:                         02", "ID:                         03"),
         "heading names PRN 2 but the record is of PRN 3"},
        {"extra.al3", sem + "\n99\n", "more than the 31 records"},
        {"yuma.agl", yuma, "named as an IAC GLONASS almanac (.agl), but the content is a YUMA almanac"},
        {"sem.alm", sem, "named as a YUMA almanac"},
        {"orbits.agp", Slurp(TAVRIN_SOURCE_DIR "/tests/data/orbits/Sta20184_GLONASS_excerpt.sp3"),
         "not a YUMA, SEM"},
        {"alm18.256", std::string(960, '\0'), "this program's own format"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write(c.name, c.text);
        const AlmanacImportResult r = ImportAlmanacFiles({path}, dir.Dir(), Date(11, 8, 2025));
        EXPECT_FALSE(r.written);
        ASSERT_FALSE(r.errors.empty());
        EXPECT_TRUE(Contains(r.errors, c.expect)) << r.errors[0];
        EXPECT_TRUE(Contains(r.errors, c.name)) << r.errors[0];
        fs::remove(path);
        EXPECT_EQ(dir.AlmanacFiles(), 0);
    }

    // A good file with a refused one: nothing at all.
    const std::string bad = dir.Write("bad.agl", agl.substr(0, 200));
    AlmanacImportResult r = ImportAlmanacFiles({kSources + "current.alm", bad}, dir.Dir(), Date(1, 3, 2016));
    EXPECT_FALSE(r.written);
    EXPECT_EQ(dir.AlmanacFiles(), 0);
    // Two GPS almanacs, a missing file, no usable satellite, a missing directory.
    r = ImportAlmanacFiles({kSources + "current.alm", kSources + "current.al3"}, dir.Dir(), Date(1, 3, 2016));
    EXPECT_TRUE(Contains(r.errors, "both GPS almanacs"));
    r = ImportAlmanacFiles({dir.Dir() + "/none.alm"}, dir.Dir(), Date(1, 3, 2016));
    EXPECT_TRUE(Contains(r.errors, "cannot open"));
    const std::string one = yuma.substr(0, yuma.find("\n\n") + 1);
    const std::string zero = dir.Write("zero.alm", Replaced(one, "5153.668457", "1000"));
    r = ImportAlmanacFiles({zero}, dir.Dir(), Date(11, 8, 2025));
    EXPECT_TRUE(Contains(r.errors, "no satellite could be imported"));
    EXPECT_TRUE(Contains(r.warnings, "GPS PRN 01", "square root of the semi-major axis 1000"));
    r = ImportAlmanacFiles({kSources + "current.alm"}, dir.Dir() + "/missing", Date(1, 3, 2016));
    EXPECT_TRUE(Contains(r.errors, "not a directory"));
    EXPECT_EQ(dir.AlmanacFiles(), 0);
}

TEST(AlmanacImport, FormatComesFromTheContent) {
    EXPECT_EQ(DetectAlmanacFormat(Slurp(kSources + "YUMA223.alm")), AlmanacFormat::Yuma);
    EXPECT_EQ(DetectAlmanacFormat(Slurp(kSources + "current.al3")), AlmanacFormat::Sem);
    EXPECT_EQ(DetectAlmanacFormat(Slurp(kSources + "MCCJ_180913.agp")), AlmanacFormat::IacGps);
    EXPECT_EQ(DetectAlmanacFormat(Slurp(kSources + "MCCJ_180913.agl")), AlmanacFormat::IacGlonass);
    EXPECT_EQ(DetectAlmanacFormat("hello\nworld\n"), AlmanacFormat::Unknown);
    // A name that claims nothing does not matter; CRLF line ends are read as well.
    std::string crlf;
    for (char c : Slurp(kSources + "current.alm")) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    const PublishedAlmanac p = ParsePublishedAlmanac(crlf, "download.txt", Date(1, 3, 2016));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.imported, 31);
}
