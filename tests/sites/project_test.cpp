#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

#include "base/codepage.h"
#include "sitelist_fixture.h"
#include "sites/project.h"

using namespace fixture;

namespace {

std::vector<point<double>> VerticesOf(project& list, int site, int outline) {
    return list.sites.GetAt(site)->obstructions.GetAt(outline)->Vertices();
}

TEST(SiteList, NewFormatReadsEveryFieldAndIgnoresSignatureCase) {
    TempDir dir("newfmt");
    const std::string path = dir.File("a.spl");
    WriteFile(path,
              NewFile(1,
                      {NewSite("Alpha", "first", 48.5, -123.25, 15.5, -8.0f),
                       NewSite("Beta", "second", -33.9, 151.2, 58.0, 10.0f,
                               {{{0, 10}, {20, 30}, {0, 50}}, {{5, 300}, {30, 320}, {5, 340}, {5, 300}}})},
                      "sitelst"));
    EXPECT_EQ(project::FileFormat(path), 1);
    project list(path);
    ASSERT_EQ(list.loadFailed, 0);
    ASSERT_EQ(list.sites.Count(), 2);
    EXPECT_EQ(list.currentIndex, 1);
    EXPECT_STREQ(list.currentName, "Beta");
    EXPECT_STREQ(list.signature, "sitelst");
    const SiteInfo& b = *list.sites.GetAt(1);
    EXPECT_STREQ(b.description, "second");
    EXPECT_EQ(b.latitude, -33.9);
    EXPECT_EQ(b.longitude, 151.2);
    EXPECT_EQ(b.altitude, 58.0);
    EXPECT_EQ(b.gmtOffset, 10.0f);
    ASSERT_EQ(b.obstructions.Count(), 2);
    const auto v = VerticesOf(list, 1, 1);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[1], (point<double>(30, 320)));
    ASSERT_EQ(list.selection.Count(), 1);
    EXPECT_EQ(*list.selection[0], 0);

    // Saving always writes the upper-case signature.
    ASSERT_TRUE(list.Save(path));
    EXPECT_EQ(ReadFile(path).substr(0, 7), "SITELST");
}

TEST(SiteList, NewFormatDamageAndIndexOutsideTheList) {
    TempDir dir("damage");
    const std::string path = dir.File("d.spl");

    WriteFile(path, NewFile(0, {}));
    ASSERT_EQ(ReadFile(path).size(), 9u);
    EXPECT_NE(project(path).loadFailed, 0);

    // The last site stops inside its obstruction data: the sites before it stay.
    const std::string third = NewSite("Gamma", "", 1, 2, 3, 0, {{{0, 10}, {20, 30}, {0, 50}}});
    WriteFile(path, NewFile(0, {NewSite("Alpha", "", 1, 2, 3, 0), NewSite("Beta", "", 4, 5, 6, 1),
                                third.substr(0, third.size() - 5)}));
    {
        project list(path);
        EXPECT_EQ(list.loadFailed, 0);
        EXPECT_EQ(list.sites.Count(), 2);
    }

    for (int16_t stored : {int16_t(2), int16_t(-1), int16_t(300)}) {
        WriteFile(path, NewFile(stored, {NewSite("Alpha", "", 1, 2, 3, 0), NewSite("Beta", "", 4, 5, 6, 1)}));
        project list(path);
        EXPECT_EQ(list.currentIndex, 0) << stored;
        EXPECT_STREQ(list.currentName, "Alpha") << stored;
        EXPECT_STREQ(list.CurrentSite()->name, "Alpha") << stored;
    }

    EXPECT_NE(project(dir.File("missing.spl")).loadFailed, 0);
    EXPECT_EQ(project::FileFormat(dir.File("missing.spl")), -1);
    WriteFile(path, "");
    EXPECT_NE(project(path).loadFailed, 0);
    EXPECT_EQ(project::FileFormat(path), -1);
}

// Sets the code page of text in files for one test.
class CodePageScope {
public:
    explicit CodePageScope(int page) : before_(FileCodePage()) { SetFileCodePage(page); }
    ~CodePageScope() { SetFileCodePage(before_); }

private:
    int before_;
};

TEST(SiteList, TextInTheChosenCodePageReadsAndSavesByteIdentical) {
    TempDir dir("codepage");
    struct Case {
        int page;
        const char* nameBytes; // 20 characters, as the Windows program writes them
        const char* name;
        const char* nameStart; // its first 15 characters
        const char* descriptionBytes;
        const char* description;
    } cases[] = {
        {1252,
         "Z\xFCrich S\xFC"
         "d Ostbahnh\xF6",
         "Zürich Süd Ostbahnhö", "Zürich Süd Ostb", "R\xC3\xA9union", "RÃ©union"},
        {1250,
         "\xA3\xF3"
         "d\x9F Fabryczna Dworz",
         "Łódź Fabryczna Dworz", "Łódź Fabryczna ", "\xAF\xF3\xB3\xE6", "Żółć"},
        {1251, "\xCC\xEE\xF1\xEA\xE2\xE0 \xD1\xE5\xE2\xE5\xF0 \xC2\xEE\xF1\xF2\xEE\xEA ",
         "Москва Север Восток ", "Москва Север Во", "\xCF\xF3\xEB\xEA\xEE\xE2\xEE", "Пулково"},
    };
    for (const Case& c : cases) {
        CodePageScope scope(c.page);
        std::string second = NewSite(c.nameBytes, c.descriptionBytes, 55.75, 37.62, 150, 3);
        second.replace(15, 6, std::string("\0junk", 6)); // bytes after the name's terminator
        const std::string bytes = NewFile(1, {NewSite("Plain", "", 1, 2, 3, 0), second});
        const std::string path = dir.File("in.spl");
        WriteFile(path, bytes);
        project list(path);
        ASSERT_EQ(list.loadFailed, 0) << c.page;
        const SiteInfo& s = *list.sites.GetAt(1);
        EXPECT_STREQ(s.name, c.nameStart) << c.page; // up to the terminator
        EXPECT_STREQ(s.description, c.description) << c.page;
        // Open then Save changes no byte, whatever the fields hold beyond their text.
        project::SaveOutcome outcome;
        ASSERT_TRUE(list.Save(dir.File("out.spl"), &outcome)) << c.page;
        EXPECT_FALSE(outcome.textAsUtf8);
        EXPECT_EQ(ReadFile(dir.File("out.spl")), bytes) << c.page;
        // A name of 20 characters is kept whole, and written in the code page.
        SiteInfo& edited = *list.sites.GetAt(1);
        edited.SetName(c.name);
        EXPECT_STREQ(edited.name, c.name) << c.page;
        ASSERT_TRUE(list.Save(dir.File("out.spl")));
        EXPECT_EQ(ReadFile(dir.File("out.spl")).substr(9 + 112, 21),
                  std::string(c.nameBytes) + std::string(1, '\0'))
            << c.page;
    }
}

TEST(SiteList, ACharacterOutsideTheCodePageIsWrittenAsUtf8AndReported) {
    TempDir dir("utf8");
    CodePageScope scope(1252);
    const std::string path = dir.File("w.spl");
    const std::string untouched = NewSite("H\xF6he S\xFC"
                                          "d",
                                          "", 1, 2, 3, 0);
    WriteFile(path, NewFile(0, {untouched, NewSite("Moscow", "", 55.75, 37.62, 150, 3)}));
    project list(path);
    list.sites.GetAt(1)->SetName("Москва Север");
    project::SaveOutcome outcome;
    ASSERT_TRUE(list.Save(path, &outcome));
    EXPECT_TRUE(outcome.textAsUtf8);
    const std::string saved = ReadFile(path);
    EXPECT_EQ(saved.substr(9, untouched.size()), untouched); // the other site keeps its bytes
    project again(path);
    EXPECT_STREQ(again.sites.GetAt(0)->name, "Höhe Süd");
    EXPECT_STREQ(again.sites.GetAt(1)->name, "Москва Се"); // as much as 20 bytes of UTF-8 hold
}

TEST(SiteList, OldFormatLengthWindow) {
    TempDir dir("window");
    const std::string path = dir.File("o.spl");
    const std::string records = OldRecord({}) + OldRecord({});
    const std::string base = OldFile({{"One", 0}, {"Two", 1}}, {records});
    ASSERT_EQ(base.size(), 2993u);
    const std::pair<size_t, int> cases[] = {{2992, -1}, {2993, 0}, {3248, 0}, {3249, -1}};
    for (const auto& [length, format] : cases) {
        std::string bytes = base;
        bytes.resize(length, '\0');
        WriteFile(path, bytes);
        EXPECT_EQ(project::FileFormat(path), format) << length;
        EXPECT_EQ(project(path).loadFailed != 0, format < 0) << length;
    }
}

TEST(SiteList, OldFormatRecords) {
    TempDir dir("oldrec");
    const std::string path = dir.File("o.spl");
    OldSite south;
    south.latitude = " 5 3 7 9S";
    south.longitude = "1203015 0W";
    south.altitude = "  -12.50";
    south.gmt = " -3.";
    south.description = "  padded description\t ";
    OldSite lowerCase;
    lowerCase.latitude = "45301501n";
    OldSite plain;
    // Entry 0 names slot 5 with the top bit set; slots in any order; slot 1 holds an invalid record.
    std::vector<std::string> slots(6, OldRecord(plain));
    slots[5] = OldRecord(south);
    slots[1] = OldRecord(lowerCase);
    WriteFile(
        path,
        OldFile({{"  South\t", 0x85}, {"Lower", 1}, {"Bras\xEDlia", 0}, {"P2", 2}, {"P3", 3}, {"P4", 4}},
                slots));
    ASSERT_EQ(project::FileFormat(path), 0);
    project list(path);
    ASSERT_EQ(list.loadFailed, 0);
    ASSERT_EQ(list.sites.Count(), 5);
    EXPECT_EQ(list.currentIndex, 0);
    const SiteInfo& s = *list.sites.GetAt(0);
    EXPECT_STREQ(s.name, "South");
    EXPECT_STREQ(s.description, "padded description");
    EXPECT_NEAR(s.latitude, -(5 + 3 / 60.0 + 7 / 3600.0 + 9 / 360000.0), 1e-12);
    EXPECT_NEAR(s.longitude, -(120 + 30 / 60.0 + 15 / 3600.0), 1e-12);
    EXPECT_EQ(s.altitude, -12.5);
    EXPECT_EQ(s.gmtOffset, -3.0f);
    const SiteInfo& p = *list.sites.GetAt(1);
    EXPECT_STREQ(p.name, "Bras\xC3\xAD"
                         "lia");
    EXPECT_NEAR(p.latitude, 45 + 30 / 60.0 + 15.01 / 3600.0, 1e-12);
    EXPECT_EQ(p.longitude, 12.0);
    EXPECT_EQ(p.altitude, 123.45);
}

TEST(SiteList, OldFormatMoreThan99Entries) {
    TempDir dir("many");
    const std::string path = dir.File("m.spl");
    std::vector<std::pair<std::string, int>> entries;
    for (int i = 0; i < 99; ++i)
        entries.push_back({"S" + std::to_string(i), i});
    const int count = 120; // the count byte says more than the directory can hold
    std::string bytes = OldFile(entries, {}, count);
    for (int i = 0; i < count; ++i)
        bytes += OldRecord({});
    WriteFile(path, bytes);
    project list(path);
    ASSERT_EQ(list.loadFailed, 0);
    EXPECT_EQ(list.sites.Count(), 99);
    EXPECT_STREQ(list.sites.GetAt(98)->name, "S98");
}

TEST(SiteList, OldOutlinesAreClosed) {
    TempDir dir("closing");
    const std::string path = dir.File("c.spl");
    OldSite site;
    site.outlines = {{0, {{90, 0}, {100, 20}, {100, 0}}},
                     {1, {{90, 0}, {100, 20}, {100, 0}}},
                     {0, {{350, 0}, {355, 10}, {10, 0}}}, // the shorter way runs through north
                     {0, {{40, 0}, {50, 10}, {40, 0}}}};  // already closed
    WriteFile(path, OldFile({{"Closing", 0}}, {OldRecord(site)}));
    project list(path);
    ASSERT_EQ(list.loadFailed, 0);
    ASSERT_EQ(list.sites.GetAt(0)->obstructions.Count(), 4);

    const auto horizon = VerticesOf(list, 0, 0);
    const double expected[] = {98.3333333, 96.6666667, 95, 93.3333333, 91.6666667};
    ASSERT_EQ(horizon.size(), 3u + 5u + 1u);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(horizon[3 + k].x, 0.0);
        EXPECT_NEAR(horizon[3 + k].y, expected[k], 1e-6);
    }
    EXPECT_EQ(horizon.back(), (point<double>(0, 90)));

    const auto straight = VerticesOf(list, 0, 1);
    ASSERT_EQ(straight.size(), 4u);
    EXPECT_EQ(straight.back(), (point<double>(0, 90)));

    // From 10 toward 350 through 0: 20 degrees in 11 steps of +20/11 taken downwards and wrapped.
    const auto north = VerticesOf(list, 0, 2);
    ASSERT_EQ(north.size(), 3u + 10u + 1u);
    EXPECT_NEAR(north[3].y, 10 - 20.0 / 11, 1e-9);
    EXPECT_NEAR(north[8].y, 10 - 6 * 20.0 / 11 + 360, 1e-9);
    for (const auto& v : north)
        EXPECT_TRUE(v.y >= 0 && v.y < 360);

    EXPECT_EQ(VerticesOf(list, 0, 3).size(), 3u);
}

TEST(SiteList, OldObstructionCounts) {
    TempDir dir("counts");
    const std::string path = dir.File("c.spl");
    OldSite emptyFirst;
    emptyFirst.outlines = {{0, {}}, {1, {{10, 5}, {20, 10}, {30, 5}}}};
    OldSite tooMany;
    tooMany.outlines = {{1, {{10, 5}, {20, 10}, {30, 5}}}};
    tooMany.outlineCount = 11;
    WriteFile(path, OldFile({{"Empty", 0}, {"Many", 1}}, {OldRecord(emptyFirst), OldRecord(tooMany)}));
    project list(path);
    ASSERT_EQ(list.sites.Count(), 2);
    EXPECT_EQ(list.sites.GetAt(0)->obstructions.Count(), 0); // a vertex count of 0 ends them
    EXPECT_EQ(list.sites.GetAt(1)->obstructions.Count(), 0); // more than ten count as none
}

TEST(SiteList, OldFileSurvivesLoadSaveLoad) {
    TempDir dir("roundtrip");
    const std::string oldPath = dir.File("old.spl");
    const std::string newPath = dir.File("new.spl");
    OldSite a;
    a.outlines = {{0, {{90, 0}, {100, 20}, {100, 0}}}, {1, {{200, 3}, {210, 40}, {220, 3}}}};
    OldSite b;
    b.latitude = "12345678S";
    b.longitude = "1230000 0W";
    WriteFile(oldPath, OldFile({{"Alpha", 1}, {"Beta", 0}}, {OldRecord(b), OldRecord(a)}));
    project first(oldPath);
    ASSERT_EQ(first.loadFailed, 0);
    ASSERT_TRUE(first.Save(newPath));
    EXPECT_EQ(project::FileFormat(newPath), 1);
    project second(newPath);
    ASSERT_EQ(second.loadFailed, 0);
    ASSERT_EQ(second.sites.Count(), first.sites.Count());
    for (int i = 0; i < first.sites.Count(); ++i) {
        const SiteInfo& x = *first.sites.GetAt(i);
        const SiteInfo& y = *second.sites.GetAt(i);
        EXPECT_STREQ(x.name, y.name);
        EXPECT_STREQ(x.description, y.description);
        EXPECT_EQ(x.ChangeMask(y), 0) << i; // position, offset and every vertex
        EXPECT_EQ(x.obstructions.Count(), y.obstructions.Count());
    }
    EXPECT_EQ(second.sites.GetAt(0)->obstructions.Count(), 2);
    EXPECT_EQ(second.Image(), first.Image());
}

TEST(SiteList, NewListTakesTheNextFreeName) {
    TempDir dir("home");
    const char* previous = std::getenv("TAVRIN_HOME");
    const std::string saved = previous ? previous : "";
    setenv("TAVRIN_HOME", dir.Path().c_str(), 1);
    WriteFile(dir.File("proj0001.SPL"), "x");
    WriteFile(dir.File("proj0002.SPL"), "x");
    project list;
    EXPECT_EQ(list.path, dir.File("proj0003.SPL"));
    ASSERT_EQ(list.sites.Count(), 1);
    EXPECT_STREQ(list.currentName, "new site");
    EXPECT_EQ(list.sites.GetAt(0)->latitude, 0.0);
    EXPECT_FALSE(std::filesystem::exists(list.path)); // nothing written until saved
    if (previous)
        setenv("TAVRIN_HOME", saved.c_str(), 1);
    else
        unsetenv("TAVRIN_HOME");
}

// A save that fails part-way (here: the file size limit) must leave the previous file as it was.
TEST(SiteList, FailedSaveKeepsThePreviousFile) {
    TempDir dir("fault");
    const std::string path = dir.File("keep.spl");
    WriteFile(path, NewFile(0, {NewSite("Kept", "", 1, 2, 3, 0)}));
    const std::string before = ReadFile(path);

    project big(path);
    for (int i = 0; i < 200; ++i)
        big.sites.Add(SiteInfo(i, i, i, "Filler", "a site to make the list long", 0));
    ASSERT_GT(big.Image().size(), 3 * 4096u);

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 6000; // the second piece of the write fails
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = big.Save(path);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1); // no temporary left

    project::SaveOutcome outcome;
    EXPECT_FALSE(big.Save(dir.File("no/such/dir/x.spl"), &outcome));
    EXPECT_EQ(outcome.error, ENOENT);
    EXPECT_FALSE(big.Save(dir.Path(), &outcome));
    EXPECT_EQ(outcome.error, EISDIR);
}

TEST(SiteList, OldFormatEntryNamingNoRecordIsSkippedAlone) {
    TempDir dir("oldskip");
    const std::string path = dir.File("o.spl");
    // Three entries and three slots; the second entry names slot 9, past the end of the file.
    WriteFile(path, OldFile({{"First", 0}, {"Broken", 9}, {"Third", 1}},
                            {OldRecord({}), OldRecord({}), OldRecord({})}));
    ASSERT_EQ(project::FileFormat(path), 0);
    project list(path);
    ASSERT_EQ(list.loadFailed, 0);
    ASSERT_EQ(list.sites.Count(), 2);
    EXPECT_STREQ(list.sites.GetAt(0)->name, "First");
    EXPECT_STREQ(list.sites.GetAt(1)->name, "Third");
    EXPECT_EQ(list.skippedEntries, 1);
}

} // namespace

namespace {

TEST(SiteList, SitesWithValuesNoPlanCanUseAreNamedWithTheirPosition) {
    TempDir dir("faults");
    const std::string path = dir.File("f.spl");
    const double nan = std::nan("");
    WriteFile(path,
              NewFile(0, {NewSite("Good", "", 47.0, 8.0, 400, 1), NewSite("Huge", "", 1e300, 8.0, 400, 1),
                          NewSite("NotANumber", "", nan, 8.0, 400, 1),
                          NewSite("Beyond", "", 200, 8.0, 400, 1), NewSite("Offset", "", 47.0, 8.0, 400, 100),
                          NewSite("Corner", "", 47.0, 8.0, 400, 1, {{{0, 10}, {1e300, 20}, {0, 30}}}),
                          NewSite("Good too", "", -33.9, 151.2, 58, 10, {{{0, 10}, {30, 20}, {0, 30}}})}));
    project list(path);
    ASSERT_EQ(list.loadFailed, 0);
    ASSERT_EQ(list.sites.Count(), 7); // the rest of the list stays usable
    const std::vector<std::string> faults = list.SiteFaults();
    ASSERT_EQ(faults.size(), 5u);
    const char* expected[] = {"site 2 \"Huge\": latitude 1e+300", "site 3 \"NotANumber\": latitude nan",
                              "site 4 \"Beyond\": latitude 200", "site 5 \"Offset\": local time - GMT 100",
                              "site 6 \"Corner\": obstruction 1 has a corner at elevation 1e+300"};
    for (size_t k = 0; k < faults.size(); ++k) {
        EXPECT_NE(faults[k].find(expected[k]), std::string::npos) << faults[k];
        EXPECT_EQ(faults[k].rfind(path, 0), 0u) << faults[k];
    }
    // The projections of the bad corner saturate instead of overflowing.
    EXPECT_EQ(ProjectForContainment(point<double>(1e300, 20)), (IntPoint{INT32_MIN, INT32_MAX}));
    EXPECT_EQ(ProjectDirection(point<double>(nan, 20), 100, true), (IntPoint{0, 0}));
    EXPECT_TRUE(list.sites.GetAt(0)->HasValidValues());
    EXPECT_FALSE(list.sites.GetAt(2)->HasValidValues());
    // They still save and reload as they were.
    ASSERT_TRUE(list.Save(dir.File("again.spl")));
    EXPECT_EQ(ReadFile(dir.File("again.spl")), ReadFile(path));
}

} // namespace
