#include <gtest/gtest.h>

#include "engine/changeflags.h"

TEST(ChangeFlags, TheMostCompleteChangeDecidesTheLevel) {
    const struct {
        uint32_t bits;
        int level;
    } cases[] = {
        {0, 0},
        {0x001, 4},
        {0x002, 3},
        {0x004, 3},
        {0x008, 3},
        {0x010, 3},
        {0x020, 2},
        {0x040, 1},
        {0x080, 1},
        {0x100, 1},
        {0x001 | 0x010, 3},
        {0x001 | 0x008 | 0x020, 2},
        {0x020 | 0x100, 1},
        {ChangeFlags::kAll, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChangeFlags::LevelOf(c.bits), c.level) << std::hex << c.bits;
        EXPECT_EQ(ChangeFlags(c.bits).Level(), c.level) << std::hex << c.bits;
    }
    EXPECT_EQ(ChangeFlags::kAll, 0x1FFu);
}

TEST(ChangeFlags, SetTestAndClear) {
    ChangeFlags f;
    EXPECT_FALSE(f.Any());
    f.Set(ChangeFlags::kTime);
    f.Set(ChangeFlags::kCutOff);
    f.Set(0x8000); // not one of ours: ignored
    EXPECT_EQ(f.Bits(), 0x011u);
    EXPECT_TRUE(f.Test(ChangeFlags::kCutOff));
    EXPECT_FALSE(f.Test(ChangeFlags::kDate));
    EXPECT_EQ(f.Level(), 3);
    f.Clear(ChangeFlags::kCutOff);
    EXPECT_EQ(f.Level(), 4);
    f.Clear();
    EXPECT_EQ(f.Level(), 0);
    EXPECT_FALSE(f.Any());
}
