#include "sites/siteform.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace {

using Fields = std::array<std::string, 4>; // degrees, minutes, seconds, hundredths

Fields Latitude(const SiteDialogBuf& b) {
    return {b.latDegrees, b.latMinutes, b.latSeconds, b.latHundredths};
}
Fields Longitude(const SiteDialogBuf& b) {
    return {b.lonDegrees, b.lonMinutes, b.lonSeconds, b.lonHundredths};
}

template <size_t N> void Put(char (&field)[N], const std::string& text) {
    ASSERT_LT(text.size(), N);
    text.copy(field, N - 1);
    field[text.size()] = '\0';
}

void Put(SiteDialogBuf& b, const Fields& lat, const Fields& lon) {
    Put(b.latDegrees, lat[0]);
    Put(b.latMinutes, lat[1]);
    Put(b.latSeconds, lat[2]);
    Put(b.latHundredths, lat[3]);
    Put(b.lonDegrees, lon[0]);
    Put(b.lonMinutes, lon[1]);
    Put(b.lonSeconds, lon[2]);
    Put(b.lonHundredths, lon[3]);
}

} // namespace

TEST(SiteForm, PositionFieldsRoundToHundredthsOfASecondAndCarry) {
    constexpr double kSecond = 1 / 3600.0;
    struct Case {
        double latitude, longitude;
        Fields lat;
        int latHemisphere;
        Fields lon;
        int lonHemisphere;
    };
    const Case cases[] = {
        {90, -180, {"90", "0", "0", "0"}, 0, {"180", "0", "0", "0"}, 1}, // the poles and the date line
        {-90, 180, {"90", "0", "0", "0"}, 1, {"180", "0", "0", "0"}, 0},
        {10 + 59 / 60.0 + 59.996 * kSecond,
         -(10 + 59 / 60.0 + 59.994 * kSecond), // up to the next degree,
         {"11", "0", "0", "0"},
         0,
         {"10", "59", "59", "99"},
         1}, // or not
        {0.005 * kSecond,
         179 + 59 / 60.0 + 59.999 * kSecond,
         {"0", "0", "0", "1"},
         0,
         {"180", "0", "0", "0"},
         0},
        {-33.5, 190, {"33", "30", "0", "0"}, 1, {"10", "0", "0", "0"}, 0}, // beyond the limit: modulo
        {NAN, INFINITY, {"0", "0", "0", "0"}, 0, {"0", "0", "0", "0"}, 0}, // no angle at all: 0
    };
    for (const Case& c : cases) {
        SiteDialogBuf buf;
        FillPosition(c.latitude, c.longitude, buf);
        EXPECT_EQ(Latitude(buf), c.lat) << c.latitude;
        EXPECT_EQ(buf.latHemisphere, c.latHemisphere) << c.latitude;
        EXPECT_EQ(Longitude(buf), c.lon) << c.longitude;
        EXPECT_EQ(buf.lonHemisphere, c.lonHemisphere) << c.longitude;
    }
}

TEST(SiteForm, EveryPositionTheFieldsCanShowReadsBackToTheSameFields) {
    for (int hemisphere : {0, 1})
        for (int d : {0, 1, 45, 89})
            for (int m : {0, 1, 30, 59})
                for (int s : {0, 29, 59})
                    for (int h : {0, 1, 50, 99}) {
                        const Fields typed{std::to_string(d), std::to_string(m), std::to_string(s),
                                           std::to_string(h)};
                        SiteDialogBuf buf;
                        Put(buf, typed, typed);
                        buf.latHemisphere = buf.lonHemisphere = hemisphere;
                        const double lat = ReadLatitude(buf), lon = ReadLongitude(buf);
                        EXPECT_EQ(lat < 0, hemisphere == 1 && lat != 0);
                        SiteDialogBuf shown;
                        FillPosition(lat, lon, shown);
                        ASSERT_EQ(Latitude(shown), typed) << lat;
                        ASSERT_EQ(Longitude(shown), typed) << lon;
                    }
    // Fields as typed: blanks before the digits count, an empty field is 0.
    SiteDialogBuf buf;
    Put(buf, {" 7", "", "30", ""}, {"", "", "", "5"});
    EXPECT_DOUBLE_EQ(ReadLatitude(buf), 7 + 30 / 3600.0);
    EXPECT_DOUBLE_EQ(ReadLongitude(buf), 0.05 / 3600);
}

TEST(SiteForm, PoleRuleZeroesTheSmallerUnitsAtNinetyAndOneEighty) {
    struct Case {
        Fields lat, lon;
        Fields latAfter, lonAfter;
        bool changed;
    };
    const Fields east{"10", "1", "2", "3"};
    const Case cases[] = {
        {{"90", "30", "5", "0"}, east, {"90", "0", "0", "0"}, east, true},
        {{"90", "0", "00", "0"}, east, {"90", "0", "00", "0"}, east, false}, // already 0: left as typed
        {{"89", "30", "5", "7"}, east, {"89", "30", "5", "7"}, east, false},
        {{"9", "59", "0", "0"},
         {"180", "59", "59", "99"},
         {"9", "59", "0", "0"},
         {"180", "0", "0", "0"},
         true},
        {{"90", "1", "0", "0"}, {"180", "0", "0", "1"}, {"90", "0", "0", "0"}, {"180", "0", "0", "0"}, true},
        {{"45", "1", "0", "0"}, {"18", "1", "0", "0"}, {"45", "1", "0", "0"}, {"18", "1", "0", "0"}, false},
    };
    for (const Case& c : cases) {
        SiteDialogBuf buf;
        Put(buf, c.lat, c.lon);
        EXPECT_EQ(ApplyPoleRule(buf), c.changed) << c.lat[0] << " " << c.lon[0];
        EXPECT_EQ(Latitude(buf), c.latAfter) << c.lat[0];
        EXPECT_EQ(Longitude(buf), c.lonAfter) << c.lon[0];
    }
}

TEST(SiteForm, NamesAreTrimmedAndAnotherSitesNameIsTakenInAnyLetterCase) {
    const std::vector<std::string> listed{"alpha", "Bravo", "Charlie", "Zürich"};
    struct Case {
        const char* typed;
        int own;
        SiteNameFault fault;
    };
    const Case cases[] = {
        {"", 1, SiteNameFault::Empty},        {" \t ", -1, SiteNameFault::Empty},
        {"Delta", -1, SiteNameFault::None},   {"  ALPHA\t", -1, SiteNameFault::Exists},
        {"Bravo", 1, SiteNameFault::None},    {" BRAVO ", 1, SiteNameFault::None}, // its own, any case
        {"bravo", -1, SiteNameFault::Exists}, {"Alpha", 1, SiteNameFault::Exists},
        {"ZÜRICH", 0, SiteNameFault::Exists}, {"zürich", 3, SiteNameFault::None},
        {"Zurich", -1, SiteNameFault::None},  {"Charlie2", 2, SiteNameFault::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSiteName(c.typed, listed, c.own), c.fault) << c.typed << " " << c.own;
    EXPECT_EQ(CheckSiteName("Echo", {}, -1), SiteNameFault::None);
    EXPECT_EQ(TrimmedName(" \tnew site  "), "new site");
}

TEST(SiteForm, NamesAreComparedAsTheListWillHoldThem) {
    // In 1252 "ł" is written as UTF-8, of which a name field holds 17 bytes: "łódź łódź A".
    const std::vector<std::string> listed{"łódź łódź ABC", "Other"};
    EXPECT_EQ(CheckSiteName("łódź łódź ABD", listed, -1, 1252), SiteNameFault::Exists);
    EXPECT_EQ(CheckSiteName("ŁÓDŹ ŁÓDŹ A", listed, 1, 1252), SiteNameFault::Exists);
    EXPECT_EQ(CheckSiteName("łódź łódź A", listed, 0, 1252), SiteNameFault::None);    // its own
    EXPECT_EQ(CheckSiteName("łódź łódź ABD", listed, -1, 1250), SiteNameFault::None); // both whole
}

TEST(SiteForm, TextsTheListCannotHoldWholeAreRefusedWithTheLimit) {
    const std::string polish = "łódź łódź ódź łódź", l35 = [] {
        std::string s;
        for (int i = 0; i < 35; ++i)
            s += "ł";
        return s;
    }();
    const std::string in1250 = "\nIt would fit with Options > Text in files set to Central European (1250).";
    struct Case {
        std::string name, description;
        int codePage;
        std::string text; // the refusal; empty when both fit
    };
    const Case cases[] = {
        {polish, "", 1252,
         "The name has characters that code page 1252 cannot hold, so the site list would keep it as UTF-8: "
         "29 bytes, where it has room for 17." +
             in1250},
        {"Lodz", l35, 1252,
         "The description has characters that code page 1252 cannot hold, so the site list would keep it as "
         "UTF-8: 70 bytes, where it has room for 57." +
             in1250},
        {polish, "", kCodePageUtf8,
         "The name takes 29 bytes in UTF-8; the site list has room for 20." + in1250},
        {"東京都千代田区丸の内一", "", 932,
         "The name takes 22 bytes in code page 932; the site list has room for 20."},
        {polish, l35, 1250, ""},
        {"Zürich Flughafen Süd", "", 1252, ""},
    };
    for (const Case& c : cases) {
        SiteDialogBuf buf;
        c.name.copy(buf.name, sizeof buf.name - 1);
        c.description.copy(buf.description, sizeof buf.description - 1);
        const auto fault = CheckSiteTexts(buf, c.codePage);
        EXPECT_EQ(fault ? SiteTextFaultText(*fault) : "", c.text) << c.name << " " << c.codePage;
    }
}

TEST(SiteForm, NamesAndDescriptionsKeepEveryCharacterTheFileHolds) {
    const std::string longest(SiteInfo::kNameChars, 'A');
    std::string umlauts;
    for (int i = 0; i < SiteInfo::kDescriptionChars; ++i)
        umlauts += "ü";
    struct Case {
        std::string name, description;
    };
    const Case cases[] = {
        {"Zürich Flughafen Süd", "Vermessungspunkt über der Bahnüberführung"}, // 20 characters, 22 bytes
        {"Größenwahn Ölmühle Ä", umlauts},
        {longest, "plain"},
    };
    for (const Case& c : cases) {
        const SiteInfo site(1, 2, 3, c.name.c_str(), c.description.c_str(), 0);
        SiteDialogBuf buf;
        FillSiteDialogBuf(site, buf);
        EXPECT_EQ(std::string(buf.name), site.name);
        SiteInfo read;
        ReadSiteDialogBuf(buf, read);
        EXPECT_STREQ(read.name, site.name);
        EXPECT_STREQ(read.description, site.description);
    }
    // Typed beyond what the file's field holds: cut there, as a site read from the file would be.
    SiteDialogBuf buf;
    const std::string typed = longest + "BC";
    typed.copy(buf.name, sizeof buf.name - 1);
    SiteInfo read;
    ReadSiteDialogBuf(buf, read);
    EXPECT_EQ(std::string(read.name), longest);
}
