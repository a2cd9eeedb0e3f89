// The satellite working record against the engine, and when a recorded almanac is still the same.
#include <gtest/gtest.h>

#include "../engine/almanac_fixture.h"
#include "config/plansession.h"
#include "config/transfer.h"

TEST(SameAlmanac, OnlyPathMissingFlagAndCreationTimeCount) {
    const CurrentAlmanac loaded{"/a/alm25.100", 0, false, 3200, 1000, 500};
    struct Case {
        CurrentAlmanac now;
        bool same;
    } cases[] = {
        {{"/a/alm25.100", 0, false, 2240, 9000, 500}, true},  // rewritten in place: size and time differ
        {{"/a/alm25.100", 0, false, 3200, 1000, 501}, false}, // a new file under the old name
        {{"/a/ALM25.100", 0, false, 3200, 1000, 500}, false}, // names are case-sensitive here
        {{"/a/alm25.100", -1, true, 0, 0, 0}, false},         // gone
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameAlmanac(loaded, c.now), c.same) << c.now.path << ' ' << c.now.created;
    // Two records of the same missing path: nothing to tell them apart.
    const CurrentAlmanac none{"/a/", -1, true, 0, 0, 0};
    EXPECT_TRUE(SameAlmanac(none, CurrentAlmanac{"/a/", -1, true, 0, 0, 7}));
    EXPECT_FALSE(SameAlmanac(none, CurrentAlmanac{"/b/", -1, true, 0, 0, 0}));
}

TEST(SatelliteStates, BoxesFollowTheEngineAndGoBackIntoIt) {
    almanac_fixture::TempDir dir;
    almanac_fixture::Bytes b = almanac_fixture::FullAlmanac();
    almanac_fixture::GpsFields unhealthy;
    unhealthy.healthFlag = 1;
    almanac_fixture::PutGps(b, 0, 1, unhealthy);
    b.b.resize(2240); // GPS only
    PlanSession session;
    ASSERT_TRUE(session.LoadAlmanac(dir.Write("alm00.051", b.b)));
    session.SetSatelliteOn(2, false);
    const Calculator& calc = session.engine();

    BufferForConfiguration buffer;
    RefreshSatelliteStates(calc, buffer);
    EXPECT_EQ(buffer.satellites[0], 1);  // in use
    EXPECT_EQ(buffer.satellites[1], 0);  // unhealthy: starts off
    EXPECT_EQ(buffer.satellites[2], 0);  // switched off
    EXPECT_EQ(buffer.satellites[40], 2); // no almanac
    buffer.gps = 0;
    RefreshSatelliteStates(calc, buffer);
    EXPECT_EQ(buffer.satellites[0], 0); // a system switched off shows its satellites off

    buffer.satellites[0] = 0;
    buffer.satellites[1] = 1;
    buffer.satellites[2] = 1;
    buffer.satellites[40] = 1; // cannot switch on what has no almanac
    ApplySatelliteStates(buffer, session);
    EXPECT_EQ(calc.status(0), StatusDisabled);
    EXPECT_EQ(calc.status(1), StatusUnhealthy);
    EXPECT_EQ(calc.status(2), 0);
    EXPECT_EQ(calc.status(40), StatusNoAlmanac);
}
