// Recalculate allocates nothing: every operator new of this test program is counted while it runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "almanac_fixture.h"
#include "calculator_test_access.h"
#include "engine/calculator.h"
#include "engine/rinexnav.h"
#include "sites/siteinfo.h"

namespace {
long g_allocations = 0;
bool g_counting = false;

void* Allocate(std::size_t size) {
    if (g_counting)
        ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

// The plain forms, all on malloc/free so that every pair matches.
void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& t) noexcept {
    return operator new(size, t);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

TEST(CalculatorAllocation, RecalculateAtEveryLevelAllocatesNothing) {
    almanac_fixture::TempDir dir;
    SiteInfo site(48, 11, 500, "s", "", 1);
    for (int i = 0; i < 10; ++i) {
        Obstruction o;
        for (int v = 0; v < 15; ++v)
            o.Add(point<double>(v % 2 ? 20 : 0, 36 * i + 2 * v));
        site.obstructions.Add(o);
    }
    // From an almanac, and from four systems' navigation files once a first window has been planned.
    struct Case {
        bool navigation;
        PlanInterval inside, outside;
    };
    const Case cases[] = {
        {false, PlanInterval(10, 3, 2026, 22, 0, 2, 0), PlanInterval(11, 3, 2026, 6, 0, 9, 0)},
        {true, PlanInterval(1, 1, 2022, 6, 0, 9, 0), PlanInterval(1, 1, 2022, 20, 0, 23, 0)},
    };
    long counted = 0;
    for (const Case& t : cases) {
        Calculator c;
        ASSERT_EQ(c.SetTimeStep(300), 1);
        if (t.navigation) {
            for (const char* system : {"GN", "RN", "EN", "CN"})
                c.AddNavigation(ReadNavigationFile(std::string(TAVRIN_SOURCE_DIR) +
                                                   "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_" +
                                                   system + ".rnx"));
        } else {
            c.LoadAlmanac(dir.Write("a", almanac_fixture::FullAlmanac().b));
        }
        c.SetElevationMask(0.1f);
        ASSERT_EQ(c.Recalculate(site, t.inside, 1), 1);
        for (int level : {1, 2, 3, 4}) {
            for (const PlanInterval* interval : {&t.inside, &t.outside}) {
                g_allocations = 0;
                g_counting = true;
                const int done = c.Recalculate(site, *interval, level);
                g_counting = false;
                EXPECT_EQ(done, 1);
                EXPECT_EQ(g_allocations, 0) << "level " << level << " navigation " << t.navigation;
                counted += g_allocations;
            }
        }
        EXPECT_GT(c.solutionFlag()[10], 0);
    }
    // The counter does see allocations.
    g_counting = true;
    delete new SiteInfo(site);
    g_counting = false;
    EXPECT_GT(g_allocations, 0);
    EXPECT_EQ(counted, 0);
}

TEST(CalculatorAllocation, OnlySatellitesWithAnOrbitHaveSampleArrays) {
    almanac_fixture::TempDir dir;
    const SiteInfo site(48, 11, 500, "s", "", 1);
    Calculator c;
    EXPECT_EQ(CalculatorTestAccess::SampleArrays(c), 0);
    c.LoadAlmanac(dir.Write("a", almanac_fixture::FullAlmanac().b));
    ASSERT_EQ(c.loadState(), kLoadOk);
    int withOrbit = 0;
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
        withOrbit += c.InAlmanac(i) ? 1 : 0;
    ASSERT_GT(withOrbit, 0);
    ASSERT_LT(withOrbit, SatelliteCatalogue::kSize);
    EXPECT_EQ(CalculatorTestAccess::SampleArrays(c), withOrbit);
    ASSERT_EQ(c.SetTimeStep(300), 1); // a new length for the same satellites
    EXPECT_EQ(CalculatorTestAccess::SampleArrays(c), withOrbit);
    ASSERT_EQ(c.Recalculate(site, PlanInterval(10, 3, 2026, 0, 0, 24, 0), 1), 1);
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i) {
        const SatSample& last = c.samples(i)[c.sampleCount() - 1];
        EXPECT_EQ(last.x != 0.0f, c.InAlmanac(i)) << i; // the others read as zero
    }
    c.ForgetAlmanac();
    EXPECT_EQ(CalculatorTestAccess::SampleArrays(c), 0);
    EXPECT_EQ(c.samples(0)[0].visible, 0);
}
