#include "engine/planinterval.h"

#include <gtest/gtest.h>

TEST(PlanInterval, EndRunsIntoTheNextDayUnlessLater) {
    const PlanInterval whole(31, 12, 2025, 0, 0, 24, 0);
    EXPECT_EQ(whole.endDay, 31);
    EXPECT_EQ(whole.endYear, 2025);
    const PlanInterval night(31, 12, 2025, 22, 0, 2, 0);
    EXPECT_EQ(night.endDay, 1);
    EXPECT_EQ(night.endMonth, 1);
    EXPECT_EQ(night.endYear, 2026);
    EXPECT_EQ(night.beginYear, 2025);
    const PlanInterval leap(28, 2, 2024, 10, 30, 10, 30); // equal times: 24 hours
    EXPECT_EQ(leap.endDay, 29);
    EXPECT_EQ(leap.endMonth, 2);
    const PlanInterval sameHour(28, 2, 2024, 10, 5, 10, 6);
    EXPECT_EQ(sameHour.endDay, 28);
    EXPECT_EQ(IntervalStartSeconds(night), 22 * 3600);
    EXPECT_EQ(IntervalStartSeconds(sameHour), 10 * 3600 + 300);
}
