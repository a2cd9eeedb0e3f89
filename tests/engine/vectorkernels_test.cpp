// The kernels against the scalar code on every instruction set this processor runs: the positions
// of every satellite of the shipped almanacs, and azimuth and elevation of every satellite of the
// bundled day's navigation files and of those almanacs, within 1e-9 rad.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "engine/broadcastephemerides.h"
#include "engine/broadcastorbit.h"
#include "engine/calculator.h"
#include "engine/orbit.h"
#include "engine/rinexnav.h"
#include "engine/vectorkernels.h"
#include "sites/siteinfo.h"

namespace {

constexpr double kToleranceRad = 1e-9;
constexpr double kPi = 3.141592653589793;

const std::vector<VectorTarget> kKernelTargets = {VectorTarget::Baseline, VectorTarget::Sse4,
                                                  VectorTarget::Avx2, VectorTarget::Avx512};

// Leaves the best target in force whatever a test forced.
struct RestoreTarget {
    ~RestoreTarget() { UseVectorTarget(BestVectorTarget()); }
};

// The angle between two directions given as angles, whole turns apart counting as equal.
double AngleApart(double a, double b) {
    return std::fabs(std::remainder(a - b, 2 * kPi));
}

// The positions the scalar path gives, the kernels' times: a day around the almanac, and a day a
// month on (angles of thousands of radians to reduce).
std::vector<double> Times(double around) {
    std::vector<double> t;
    for (double shift : {0.0, 30 * 86400.0})
        for (int k = 0; k <= 288; ++k)
            t.push_back(around + shift - 43200.0 + 300.0 * k);
    return t;
}

double WorstAngle(const std::vector<double>& t, const std::vector<double>& x, const std::vector<double>& y,
                  const std::vector<double>& z, auto scalar) {
    double worst = 0;
    for (size_t k = 0; k < t.size(); ++k) {
        double p[3];
        scalar(t[k], p);
        const double apart = std::hypot(x[k] - p[0], y[k] - p[1], z[k] - p[2]);
        worst = std::max(worst, apart / std::hypot(p[0], p[1], p[2]));
    }
    return worst;
}

} // namespace

TEST(VectorKernels, AlmanacPositionsOnEveryTargetMatchTheScalarCode) {
    RestoreTarget restore;
    int checked = 0;
    for (const char* name : {"alm25.223", "alm18.258"}) {
        Calculator c;
        c.LoadAlmanac(std::string(TAVRIN_BINARY_DIR "/almanacs/") + name);
        ASSERT_EQ(c.loadState(), kLoadOk) << name;
        for (VectorTarget target : kKernelTargets) {
            if (!UseVectorTarget(target))
                continue;
            const VectorKernels& kernels = *ActiveKernels();
            for (int j = 0; j < kGpsSatellites; ++j) {
                if (!c.InAlmanac(j))
                    continue;
                const GpsAlmanacRecord& r = c.gpsRecords()[j];
                const GpsOrbitTerms o = PrepareGpsOrbit(r);
                const std::vector<double> t = Times(0);
                std::vector<double> x(t.size()), y(t.size()), z(t.size());
                kernels.gpsAlmanac({o.a, o.n, o.root, o.cosI, o.sinI, o.cosW, o.sinW, o.m0, o.node0,
                                    o.nodeRate, o.nodeAtToa, r.e},
                                   t.data(), static_cast<int>(t.size()), x.data(), y.data(), z.data());
                EXPECT_LE(WorstAngle(t, x, y, z, [&](double tk, double p[3]) { GpsPositionAt(r, o, tk, p); }),
                          kToleranceRad)
                    << name << " G" << j + 1 << " " << VectorTargetName(target);
                ++checked;
            }
            for (int j = 0; j < kGlonassSatellites; ++j) {
                if (!c.InAlmanac(kGpsSatellites + j))
                    continue;
                const GlonassAlmanacRecord& r = c.glonassRecords()[j];
                const GlonassOrbitTerms o = PrepareGlonassOrbit(r);
                const std::vector<double> t = Times(0);
                std::vector<double> x(t.size()), y(t.size()), z(t.size());
                kernels.glonassAlmanac({o.cosI, o.sinI, o.root, r.e, r.deltaT, r.deltaTDot, r.omega, r.lambda,
                                        GlonassSemiMajorAxis(r, t[0])},
                                       t.data(), static_cast<int>(t.size()), x.data(), y.data(), z.data());
                EXPECT_LE(
                    WorstAngle(t, x, y, z, [&](double dt, double p[3]) { GlonassPositionAt(r, o, dt, p); }),
                    kToleranceRad)
                    << name << " R" << j + 1 << " " << VectorTargetName(target);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 31 + 24); // both almanacs, at least on the baseline
}

TEST(VectorKernels, BroadcastKeplerPositionsOnEveryTargetMatchTheScalarCode) {
    RestoreTarget restore;
    BroadcastEphemerides day;
    for (const char* system : {"GN", "EN", "CN"})
        day.Add(ReadNavigationFile(std::string(TAVRIN_SOURCE_DIR) +
                                   "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_" + system + ".rnx"));
    // Every 5 minutes over the day and the next, each instant from the record serving it.
    const double start = day.UtcToGps(ScaleSeconds(2022, 1, 1, 0, 0, 0));
    int satellites = 0;
    for (VectorTarget target : kKernelTargets) {
        if (!UseVectorTarget(target))
            continue;
        satellites = 0;
        for (int index = 0; index < SatelliteCatalogue::kSize; ++index) {
            std::vector<const KeplerEphemeris*> records;
            std::vector<KeplerTerms> prepared;
            std::vector<double> gps;
            for (int k = 0; k < 2 * 288; ++k) {
                if (const KeplerEphemeris* e = day.NearestKepler(index, start + 300.0 * k)) {
                    records.push_back(e);
                    prepared.push_back(PrepareKepler(*e));
                    gps.push_back(start + 300.0 * k);
                }
            }
            if (records.empty())
                continue;
            ++satellites;
            std::vector<const KeplerTerms*> terms;
            for (const KeplerTerms& t : prepared)
                terms.push_back(&t);
            std::vector<double> xyz(3 * gps.size());
            KeplerCarry carry;
            KeplerPositions(records.data(), terms.data(), gps.data(), static_cast<int>(gps.size()), carry,
                            xyz.data());
            double worst = 0;
            for (size_t k = 0; k < gps.size(); ++k) {
                double p[3];
                KeplerPosition(*records[k], prepared[k], gps[k], p);
                worst = std::max(worst,
                                 std::hypot(xyz[3 * k] - p[0], xyz[3 * k + 1] - p[1], xyz[3 * k + 2] - p[2]) /
                                     std::hypot(p[0], p[1], p[2]));
            }
            EXPECT_LE(worst, kToleranceRad)
                << SatelliteCatalogue::At(index).number << " " << VectorTargetName(target);
        }
    }
    EXPECT_EQ(satellites, 29 + 24 + 22);
}

TEST(VectorKernels, GlonassSatellitesSideBySideOnEveryTargetMatchTheScalarCode) {
    RestoreTarget restore;
    BroadcastEphemerides day;
    day.Add(ReadNavigationFile(std::string(TAVRIN_SOURCE_DIR) +
                               "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_RN.rnx"));
    // Every GLONASS slot in a batch of lanes and a bit, with a GPS satellite and an index out of range
    // among them, which the batch leaves to the caller.
    std::vector<int> batch = {SatelliteCatalogue::Index({GnssSystem::Gps, 5}), -1};
    for (int n = 1; n <= SatelliteCatalogue::Count(GnssSystem::Glonass); ++n)
        batch.push_back(SatelliteCatalogue::Index({GnssSystem::Glonass, n}));
    struct Case {
        const char* what;
        double from, step; // s from 2022-01-01 00:00 UTC
        int count;
        bool reached;
    } const cases[] = {
        {"the day at 5 min", 0, 300, 289, true},
        {"an odd step, from before the first record", -1800, 417, 220, true},
        {"beyond reach", 9 * 86400.0, 300, 10, false},
    };
    const double midnight = ScaleSeconds(2022, 1, 1, 0, 0, 0);
    GlonassWork work; // one for every call, as a calculator keeps it
    for (const Case& c : cases) {
        std::vector<double> utc;
        for (int k = 0; k < c.count; ++k)
            utc.push_back(midnight + c.from + c.step * k);
        const size_t n = 3 * utc.size();
        for (VectorTarget target : kKernelTargets) {
            if (!UseVectorTarget(target))
                continue;
            std::vector<std::vector<double>> out(batch.size(), std::vector<double>(n, -1.0));
            std::vector<double*> xyz;
            for (auto& o : out)
                xyz.push_back(o.data());
            const std::unique_ptr<bool[]> done(new bool[batch.size()]);
            day.GlonassPositions(batch.data(), static_cast<int>(batch.size()), utc.data(), c.count,
                                 xyz.data(), done.get(), work);
            int planned = 0;
            for (size_t i = 0; i < batch.size(); ++i) {
                std::vector<double> scalar(n);
                const bool ok = batch[i] >= 0 && day.Positions(batch[i], utc.data(), c.count, scalar.data());
                ASSERT_EQ(done[i], ok && SatelliteCatalogue::At(batch[i]).system == GnssSystem::Glonass)
                    << c.what << " " << i;
                if (!done[i]) {
                    EXPECT_EQ(out[i], std::vector<double>(n, -1.0)) << c.what << " " << i; // untouched
                    continue;
                }
                ++planned;
                double worst = 0;
                for (size_t k = 0; k < n; k += 3)
                    worst = std::max(worst, std::hypot(out[i][k] - scalar[k], out[i][k + 1] - scalar[k + 1],
                                                       out[i][k + 2] - scalar[k + 2]) /
                                                std::hypot(scalar[k], scalar[k + 1], scalar[k + 2]));
                EXPECT_LE(worst, kToleranceRad) << c.what << " " << i << " " << VectorTargetName(target);
            }
            EXPECT_EQ(planned > 20, c.reached) << c.what << " " << VectorTargetName(target);
        }
    }
}

TEST(VectorKernels, AzimuthAndElevationOnEveryTargetMatchTheScalarCode) {
    RestoreTarget restore;
    // Every satellite of the bundled day and of both almanacs, positions from the scalar path, seen
    // from a mid-latitude site, one near the pole and one in the southern hemisphere.
    std::vector<std::vector<SatSample>> tracks;
    auto take = [&](const Calculator& c) {
        for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
            if (c.HasAlmanac(i))
                tracks.emplace_back(c.samples(i), c.samples(i) + c.sampleCount());
    };
    ASSERT_TRUE(UseVectorTarget(VectorTarget::Scalar));
    const SiteInfo here(48.137, 11.575, 520, "here", "", 1);
    {
        Calculator c;
        for (const char* system : {"GN", "RN", "EN", "CN"})
            c.AddNavigation(ReadNavigationFile(std::string(TAVRIN_SOURCE_DIR) +
                                               "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_" + system +
                                               ".rnx"));
        ASSERT_EQ(c.SetTimeStep(300), 1);
        ASSERT_EQ(c.Recalculate(here, PlanInterval(1, 1, 2022, 0, 0, 24, 0), 1), 1);
        take(c);
    }
    for (const auto& [name, interval] : {std::pair{"alm25.223", PlanInterval(11, 8, 2025, 0, 0, 24, 0)},
                                         std::pair{"alm18.258", PlanInterval(15, 9, 2018, 0, 0, 24, 0)}}) {
        Calculator c;
        c.LoadAlmanac(std::string(TAVRIN_BINARY_DIR "/almanacs/") + name);
        ASSERT_EQ(c.SetTimeStep(300), 1);
        ASSERT_EQ(c.Recalculate(here, interval, 1), 1);
        take(c);
    }
    ASSERT_GE(tracks.size(), 97u + 31u + 24u);

    for (const SiteInfo& site :
         {here, SiteInfo(89.9, -40, 2800, "pole", "", 0), SiteInfo(-33.86, 151.2, 43, "south", "", 10)}) {
        const double phi = site.latitude * kPi / 180, lambda = site.longitude * kPi / 180;
        SiteKernelFrame f{std::sin(phi), std::cos(phi), std::sin(lambda), std::cos(lambda), 0, 0, 0};
        GeodeticToEcef(phi, lambda, site.altitude, f.x, f.y, f.z);
        for (VectorTarget target : kKernelTargets) {
            if (!UseVectorTarget(target))
                continue;
            double worst = 0;
            for (const std::vector<SatSample>& track : tracks) {
                const int n = static_cast<int>(track.size());
                std::vector<double> x(n), y(n), z(n), az(n), el(n), refAz(n), refEl(n);
                for (int k = 0; k < n; ++k)
                    x[k] = track[k].x, y[k] = track[k].y, z[k] = track[k].z;
                ActiveKernels()->azimuthElevation(f, x.data(), y.data(), z.data(), n, az.data(), el.data());
                ScalarAzimuthElevation(f, x.data(), y.data(), z.data(), n, refAz.data(), refEl.data(), true);
                for (int k = 0; k < n; ++k)
                    worst = std::max({worst, AngleApart(az[k], refAz[k]), std::fabs(el[k] - refEl[k])});
            }
            EXPECT_LE(worst, kToleranceRad) << site.name << " " << VectorTargetName(target);
        }
    }
}

TEST(VectorKernels, DilutionsOnEveryTargetAreTheScalarCodes) {
    RestoreTarget restore;
    // Four systems' clocks, the horizontal position alone, and a high cut-off whose samples have too
    // few satellites or systems coming and going between neighbours (those blocks stay scalar).
    struct Case {
        const char* what;
        bool navigation;
        int mode;
        double maskDegrees;
    };
    const SiteInfo site(48.137, 11.575, 520, "here", "", 1);
    for (const Case& c : {Case{"four systems", true, 0, 10}, Case{"four systems, 2-D", true, 1, 5},
                          Case{"almanac, cut-off 40", false, 0, 40}}) {
        ASSERT_TRUE(UseVectorTarget(VectorTarget::Scalar));
        Calculator calc;
        PlanInterval interval(11, 8, 2025, 0, 0, 24, 0);
        if (c.navigation) {
            for (const char* system : {"GN", "RN", "EN", "CN"})
                calc.AddNavigation(ReadNavigationFile(std::string(TAVRIN_SOURCE_DIR) +
                                                      "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_" +
                                                      system + ".rnx"));
            interval = PlanInterval(1, 1, 2022, 0, 0, 24, 0);
        } else {
            calc.LoadAlmanac(TAVRIN_BINARY_DIR "/almanacs/alm25.223");
        }
        calc.SetMode(c.mode);
        calc.SetElevationMask(static_cast<float>(c.maskDegrees * kPi / 180));
        ASSERT_EQ(calc.SetTimeStep(300), 1);
        ASSERT_EQ(calc.Recalculate(site, interval, 1), 1) << c.what;
        const auto series = [&] {
            std::vector<float> all;
            for (const float* dop : {calc.gdop(), calc.pdop(), calc.tdop(), calc.hdop(), calc.vdop()})
                all.insert(all.end(), dop, dop + calc.sampleCount());
            for (int32_t k = 0; k < calc.sampleCount(); ++k)
                all.push_back(static_cast<float>(calc.solutionFlag()[k]));
            return all;
        };
        const std::vector<float> scalar = series();
        const int32_t solved =
            std::accumulate(calc.solutionFlag(), calc.solutionFlag() + calc.sampleCount(), 0);
        EXPECT_GT(solved, 0) << c.what;
        EXPECT_EQ(solved<calc.sampleCount(), c.maskDegrees> 30) << c.what;
        for (VectorTarget target : kKernelTargets) {
            if (!UseVectorTarget(target))
                continue;
            ASSERT_EQ(calc.Recalculate(site, interval, 3), 1);
            const std::vector<float> vector = series();
            EXPECT_EQ(0, std::memcmp(vector.data(), scalar.data(), scalar.size() * sizeof(float)))
                << c.what << " " << VectorTargetName(target);
        }
    }
}

TEST(VectorKernels, TheBestTargetIsInForceAndOnlyRunnableOnesCanBeChosen) {
    RestoreTarget restore;
    EXPECT_EQ(ActiveVectorTarget(), BestVectorTarget());
    EXPECT_TRUE(CanRunVectorTarget(VectorTarget::Scalar));
    EXPECT_TRUE(CanRunVectorTarget(VectorTarget::Baseline));
    for (int t = 0; t < kVectorTargets; ++t) {
        const VectorTarget target = static_cast<VectorTarget>(t);
        EXPECT_EQ(UseVectorTarget(target), CanRunVectorTarget(target)) << VectorTargetName(target);
        EXPECT_EQ(ActiveKernels() == nullptr, ActiveVectorTarget() == VectorTarget::Scalar);
    }
    EXPECT_FALSE(UseVectorTarget(static_cast<VectorTarget>(kVectorTargets)));
}
