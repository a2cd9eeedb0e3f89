// Time zones: the rule past a zone file's last transition, and the files of the system's database.
#include <gtest/gtest.h>

#include <string>

#include "base/timezone.h"

namespace {

// A version 2 file with no transitions: only the footer's rule.
std::string RuleOnlyFile(const std::string& rule, int offset) {
    std::string block = std::string("TZif2") + std::string(15, '\0');
    const int counts[6] = {0, 0, 0, 0, 1, 4}; // one type, four characters of names
    for (int c : counts)
        block += std::string{0, 0, 0, static_cast<char>(c)};
    const auto u = static_cast<uint32_t>(offset);
    block += std::string{static_cast<char>(u >> 24),
                         static_cast<char>(u >> 16),
                         static_cast<char>(u >> 8),
                         static_cast<char>(u),
                         0,
                         0};
    block += std::string("STD") + '\0';
    return block + block + "\n" + rule + "\n";
}

} // namespace

TEST(TimeZone, RulesGiveTheOffsetOnEitherSideOfEachChange) {
    struct Case {
        const char* rule;
        int year, month, day, localSeconds, offsetMinutes;
    } cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", 2026, 3, 29, 1 * 3600 + 59 * 60, 60},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 2026, 3, 29, 3 * 3600, 120},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 2026, 10, 25, 2 * 3600 + 30 * 60, 120}, // the repeated hour: the first
        {"CET-1CEST,M3.5.0,M10.5.0/3", 2026, 10, 25, 3 * 3600 + 30 * 60, 60},
        {"EST5EDT,M3.2.0,M11.1.0", 2026, 3, 8, 3 * 3600, -240},
        {"EST5EDT,M3.2.0,M11.1.0", 2026, 11, 1, 12 * 3600, -300},
        // southern hemisphere, summer across the new year; half an hour of daylight saving
        {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", 2026, 1, 15, 12 * 3600, 660},
        {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", 2026, 6, 15, 12 * 3600, 630},
        {"<-03>3", 2026, 6, 15, 12 * 3600, -180},
        {"XXX0YYY,J60/0,J300/0", 2024, 3, 1, 3600, 60}, // J60 is 1 March even in a leap year
    };
    for (const Case& c : cases) {
        const std::optional<TimeZone> zone = TimeZone::Parse(RuleOnlyFile(c.rule, 0));
        ASSERT_TRUE(zone) << c.rule;
        EXPECT_EQ(zone->OffsetAtLocal(c.year, c.month, c.day, c.localSeconds), c.offsetMinutes * 60)
            << c.rule << " " << c.month << "-" << c.day;
    }
    for (const char* bad : {"CE-1", "CET", "CET-1CEST,M13.5.0,M10.5.0", "CET-1CEST,M3.5.0", "CET-99"})
        EXPECT_FALSE(TimeZone::Parse(RuleOnlyFile(bad, 0))) << bad;
}

TEST(TimeZone, SystemZonesAndDamagedFiles) {
    const std::optional<TimeZone> vienna = TimeZone::Load("Europe/Vienna");
    ASSERT_TRUE(vienna);
    const int64_t autumn = CivilSeconds(2026, 10, 25, 3600); // 01:00 GMT, when the clocks go back
    EXPECT_EQ(vienna->OffsetAt(autumn - 1), 7200);
    EXPECT_EQ(vienna->OffsetAt(autumn), 3600);
    EXPECT_EQ(vienna->NextChange(autumn - 86400, autumn + 86400), autumn);
    EXPECT_FALSE(vienna->NextChange(autumn, autumn + 86400));
    // far past the file's last transition, from its rule
    EXPECT_EQ(TimeZone::Load("Europe/Vienna")->OffsetAt(CivilSeconds(2200, 7, 1)), 7200);
    for (const char* name : {"Nowhere/City", "../zoneinfo/Europe/Vienna", "/etc/localtime", "Europe/Vienna/"})
        EXPECT_FALSE(TimeZone::Load(name)) << name;
    const std::string file = RuleOnlyFile("CET-1", 3600);
    for (size_t cut : {size_t{4}, size_t{44}, file.size() / 2, file.size() - 1})
        EXPECT_FALSE(TimeZone::Parse(file.substr(0, cut))) << cut;
}
