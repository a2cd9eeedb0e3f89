#include "engine/horizon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <sstream>

#include "engine/elevationgrid.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLat = 28.0, kLon = 86.0;
constexpr double kA = 6378137.0, kE2 = 0.00669437999014; // WGS-84

// Metres per degree of latitude and longitude at kLat, and the Gaussian radius there.
double MetresPerDegreeLat() {
    const double s = std::sin(kLat * kPi / 180), w = std::sqrt(1 - kE2 * s * s);
    return kA * (1 - kE2) / (w * w * w) * kPi / 180;
}
double MetresPerDegreeLon() {
    const double s = std::sin(kLat * kPi / 180), w = std::sqrt(1 - kE2 * s * s);
    return kA / w * std::cos(kLat * kPi / 180) * kPi / 180;
}
double GaussianRadius() {
    const double s = std::sin(kLat * kPi / 180);
    return kA * std::sqrt(1 - kE2) / (1 - kE2 * s * s);
}

// The elevation (degrees) of ground `height` m high at `distance` m, seen from `observer` m, on a
// sphere of the effective radius.
double SeenAt(double distance, double height, double observer, double refraction) {
    const double r = GaussianRadius() / (1 - refraction), theta = distance / r;
    return std::atan2((r + height) * std::cos(theta) - (r + observer), (r + height) * std::sin(theta)) * 180 /
           kPi;
}

// A surface given by a function of the metres north and east of (kLat, kLon), sampled finely.
class Surface : public ElevationSampler {
public:
    using Height = std::function<double(double north, double east)>;
    explicit Surface(Height h, double southernmost = -90) : h_(std::move(h)), south_(southernmost) {}
    void Heights(const double* lat, const double* lon, int n, float* out) const override {
        for (int i = 0; i < n; ++i)
            out[i] = Covers(lat[i], lon[i]) ? static_cast<float>(h_((lat[i] - kLat) * MetresPerDegreeLat(),
                                                                    (lon[i] - kLon) * MetresPerDegreeLon()))
                                            : std::numeric_limits<float>::quiet_NaN();
    }
    bool Covers(double lat, double) const override { return lat >= south_; }
    double Spacing(double, double) const override { return 8.0; }

private:
    Height h_;
    double south_;
};

// A grid of 3" cells centred on (kLat, kLon), `half` cells each way, heights from `h(row, column)`
// counted from the centre (row northward).
ElevationGrid Grid(int half, const std::function<float(int, int)>& h) {
    const int n = 2 * half + 1;
    const double cell = 1.0 / 1200;
    std::vector<float> v(static_cast<size_t>(n) * n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            v[static_cast<size_t>(r) * n + c] = h(half - r, c - half);
    return ElevationGrid(kLat + half * cell, kLon - half * cell, cell, cell, n, n, std::move(v));
}

HorizonSettings Settings(double refraction = 0.13, double maxDistance = 50000) {
    HorizonSettings s;
    s.refraction = refraction;
    s.maxDistance = maxDistance;
    return s;
}

} // namespace

// Flat ground: every azimuth shows the dip of the horizon, acos(R / (R + h)), where the line of
// sight grazes the ground at sqrt(2 h R); with refraction the effective radius is R / (1 - k).
TEST(Horizon, FlatGroundShowsTheDipOfTheCurvature) {
    const Surface flat([](double, double) { return 100.0; });
    for (double k : {0.0, 0.13}) {
        TerrainHorizon h;
        ASSERT_EQ(ComputeHorizon(flat, kLat, kLon, 0, Settings(k), h), HorizonProblem::None);
        ASSERT_EQ(h.Count(), 360);
        EXPECT_DOUBLE_EQ(h.ground, 100.0);
        EXPECT_DOUBLE_EQ(h.observer, 102.0);
        const double r = GaussianRadius() / (1 - k);
        const double dip = -std::acos(r / (r + 2.0)) * 180 / kPi;
        for (int i = 0; i < 360; i += 45) {
            SCOPED_TRACE(i);
            EXPECT_NEAR(h.elevation[static_cast<size_t>(i)], dip, 2e-4);
            EXPECT_NEAR(h.distance[static_cast<size_t>(i)], std::sqrt(2 * 2.0 * r), 300.0);
            EXPECT_EQ(h.cutShort[static_cast<size_t>(i)], 0.0f);
        }
    }
}

// A bowl rising 10 degrees to a rim 5 km away: the rim sets the horizon all round; a wall 300 m high
// at 3 km north sets it northward, at 3 km / cos(azimuth) beside north, and not southward.
TEST(Horizon, ConeAndWallAtKnownDistancesAndHeights) {
    const double rim = 5000, rise = std::tan(10 * kPi / 180);
    const Surface bowl([&](double n, double e) { return std::min(std::hypot(n, e), rim) * rise; });
    TerrainHorizon h;
    ASSERT_EQ(ComputeHorizon(bowl, kLat, kLon, 0, Settings(), h), HorizonProblem::None);
    for (int i = 0; i < 360; i += 30) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(h.elevation[static_cast<size_t>(i)], SeenAt(rim, rim * rise, 2, 0.13), 0.01);
        EXPECT_NEAR(h.distance[static_cast<size_t>(i)], rim, 10.0);
    }

    const Surface wall([](double n, double) { return n >= 3000 && n <= 3200 ? 300.0 : 0.0; });
    ASSERT_EQ(ComputeHorizon(wall, kLat, kLon, 0, Settings(0), h), HorizonProblem::None);
    const double r = GaussianRadius();
    for (int azimuth : {0, 30, 60, 300}) {
        SCOPED_TRACE(azimuth);
        const double d = 3000 / std::cos(azimuth * kPi / 180);
        EXPECT_NEAR(h.ElevationAt(azimuth), SeenAt(d, 300, 2, 0), 0.02);
        EXPECT_NEAR(h.distance[static_cast<size_t>(azimuth)], d, 10.0);
    }
    EXPECT_NEAR(h.ElevationAt(180), -std::acos(r / (r + 2.0)) * 180 / kPi, 2e-4);
    // Between two entries the skyline is the straight line between them.
    EXPECT_NEAR(h.ElevationAt(0.5), (h.elevation[0] + h.elevation[1]) / 2, 1e-6);
    EXPECT_NEAR(h.ElevationAt(-0.5), (h.elevation[0] + h.elevation[359]) / 2, 1e-6);
}

// The model ends 2 km south of the site: the southern rays are cut there and named; the others are
// not. Holes in a grid are neither walls nor pits: the horizon is that of the ground around them.
TEST(Horizon, TileEdgeAndHoles) {
    const Surface cut([](double, double) { return 0.0; }, kLat - 2000 / MetresPerDegreeLat());
    TerrainHorizon h;
    HorizonSettings s = Settings();
    s.step = 0.5;
    ASSERT_EQ(ComputeHorizon(cut, kLat, kLon, 0, s, h), HorizonProblem::None);
    ASSERT_EQ(h.Count(), 720);
    EXPECT_NEAR(h.cutShort[360], 2000, 10); // due south
    EXPECT_NEAR(h.cutShort[360 + 60], 2000 / std::cos(30 * kPi / 180), 10);
    EXPECT_EQ(h.cutShort[0], 0.0f); // north
    const std::vector<int> named = h.CutShortEntries();
    ASSERT_FALSE(named.empty());
    EXPECT_GT(named.front(), 180); // past east
    EXPECT_LT(named.back(), 540);  // before west

    // 3" cells rising northward 20 m a row; a block of holes 5 cells north, and one under a second site.
    auto slope = [](int row, int) { return static_cast<float>(1000 + 20 * row); };
    const float hole = std::numeric_limits<float>::quiet_NaN();
    const ElevationGrid whole = Grid(200, slope);
    const ElevationGrid holed = Grid(200, [&](int row, int column) {
        return (row >= 3 && row <= 7 && std::abs(column) <= 2) || (row == -20 && column == 0)
                   ? hole
                   : slope(row, column);
    });
    TerrainHorizon a, b;
    // The grid reaches 16 km east and west: rays to 10 km stay within it.
    ASSERT_EQ(ComputeHorizon(whole, kLat, kLon, 0, Settings(0.13, 10000), a), HorizonProblem::None);
    ASSERT_EQ(ComputeHorizon(holed, kLat, kLon, 0, Settings(0.13, 10000), b), HorizonProblem::None);
    for (int i = 0; i < 360; ++i)
        EXPECT_NEAR(a.elevation[static_cast<size_t>(i)], b.elevation[static_cast<size_t>(i)], 1e-4) << i;
    EXPECT_EQ(b.CutShortEntries(), std::vector<int>{});
    const double southSite = kLat - 20.0 / 1200;
    EXPECT_EQ(ComputeHorizon(holed, southSite, kLon, 0, Settings(), b), HorizonProblem::NoGround);
    HorizonSettings given = Settings();
    given.altitudeIsAntenna = true;
    ASSERT_EQ(ComputeHorizon(holed, southSite, kLon, 1500, given, b), HorizonProblem::None);
    EXPECT_DOUBLE_EQ(b.observer, 1500.0);
}

// Settings beyond their limits and sites at the poles are refused, not computed.
TEST(Horizon, RefusesWhatItCannotCompute) {
    const Surface flat([](double, double) { return 0.0; });
    TerrainHorizon h;
    HorizonSettings s;
    for (auto change : std::vector<std::function<void(HorizonSettings&)>>{
             [](HorizonSettings& x) { x.step = 0; }, [](HorizonSettings& x) { x.step = 90; },
             [](HorizonSettings& x) { x.maxDistance = 0; }, [](HorizonSettings& x) { x.refraction = 1; },
             [](HorizonSettings& x) { x.antennaHeight = std::numeric_limits<double>::quiet_NaN(); }}) {
        HorizonSettings bad = s;
        change(bad);
        EXPECT_EQ(ComputeHorizon(flat, kLat, kLon, 0, bad, h), HorizonProblem::Settings);
    }
    EXPECT_EQ(ComputeHorizon(flat, 89.5, kLon, 0, s, h), HorizonProblem::Polar);
}

namespace {

// The SRTM tile read straight from its bytes: 1201 rows of 1201 big-endian heights, north first.
ElevationGrid ReadHgt(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<float> v(1201 * 1201);
    for (float& h : v) {
        unsigned char b[2] = {};
        in.read(reinterpret_cast<char*>(b), 2);
        const auto raw = static_cast<int16_t>(static_cast<uint16_t>(b[0] << 8 | b[1]));
        h = raw == -32768 ? std::numeric_limits<float>::quiet_NaN() : raw;
    }
    EXPECT_TRUE(in) << path;
    return ElevationGrid(28.0, 86.0, 1.0 / 1200, 1.0 / 1200, 1201, 1201, std::move(v));
}

// The same tile read as r.horizon reads it: the height of the nearest cell.
class NearestCell : public ElevationSampler {
public:
    explicit NearestCell(const ElevationGrid& g) : g_(g) {}
    void Heights(const double* lat, const double* lon, int n, float* out) const override {
        for (int i = 0; i < n; ++i) {
            const double la = std::round(lat[i] * 1200) / 1200, lo = std::round(lon[i] * 1200) / 1200;
            g_.Heights(&la, &lo, 1, out + i);
        }
    }
    bool Covers(double lat, double lon) const override { return g_.Covers(lat, lon); }
    double Spacing(double lat, double lon) const override { return g_.Spacing(lat, lon); }

private:
    const ElevationGrid& g_;
};

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[static_cast<size_t>(std::lround(p * static_cast<double>(v.size() - 1)))];
}

} // namespace

// Six sites of the Khumbu tile against GRASS r.horizon (curvature, no refraction, observer on the
// ground, 50 km): per site the median and 95th percentile of the differences where the horizon is
// set more than 1 km away and not by the tile's edge. Read as r.horizon reads the tile (nearest
// cell) every site agrees within 0.3 and 1 degree; read as the program reads it (bilinear) too,
// but for the 95th percentile in the gorge, whose steep walls stand half a cell nearer as
// nearest-cell blocks than as interpolated ground.
TEST(Horizon, AgreesWithGrassOnTheKhumbuTile) {
    const std::string dir = TAVRIN_SOURCE_DIR "/tests/data/dem/";
    const ElevationGrid tile = ReadHgt(dir + "N27E086.hgt");
    const NearestCell nearest(tile);
    std::ifstream csv(dir + "reference_N27E086.csv");
    std::map<std::string, std::pair<double, double>> sites;
    std::map<std::string, std::vector<double>> reference;
    std::string line;
    std::getline(csv, line);
    while (std::getline(csv, line)) {
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream fields(line);
        std::string name;
        double lat = 0, lon = 0, azimuth = 0, elevation = 0;
        ASSERT_TRUE(fields >> name >> lat >> lon >> azimuth >> elevation) << line;
        sites[name] = {lat, lon};
        reference[name].push_back(elevation);
    }
    ASSERT_EQ(sites.size(), 6u);
    HorizonSettings s = Settings(0);
    s.antennaHeight = 0;
    const std::map<std::string, double> bilinear95 = {{"phakding", 1.5}};
    for (const ElevationSampler* model :
         {static_cast<const ElevationSampler*>(&nearest), static_cast<const ElevationSampler*>(&tile)}) {
        const bool asGrass = model == &nearest;
        for (const auto& [name, at] : sites) {
            SCOPED_TRACE(name + (asGrass ? " nearest cell" : " bilinear"));
            TerrainHorizon h;
            ASSERT_EQ(ComputeHorizon(*model, at.first, at.second, 0, s, h), HorizonProblem::None);
            ASSERT_EQ(reference[name].size(), 360u);
            std::vector<double> far;
            for (size_t i = 0; i < 360; ++i)
                if (h.distance[i] > 1000 && !(h.cutShort[i] > 0 && h.distance[i] > h.cutShort[i] - 150))
                    far.push_back(std::fabs(h.elevation[i] - reference[name][i]));
            ASSERT_GT(far.size(), 60u);
            const double median = Percentile(far, 0.5), p95 = Percentile(far, 0.95);
            std::printf("%-12s %-10s %3zu azimuths: median %.3f deg, 95th percentile %.3f deg\n",
                        asGrass ? "nearest cell" : "bilinear", name.c_str(), far.size(), median, p95);
            EXPECT_LE(median, 0.3);
            EXPECT_LE(p95, asGrass || !bilinear95.count(name) ? 1.0 : bilinear95.at(name));
        }
    }
    // Gorak Shep lies 2.2 km from the tile's north edge: its northern rays are cut there.
    TerrainHorizon h;
    ASSERT_EQ(ComputeHorizon(tile, 27.98, 86.83, 0, s, h), HorizonProblem::None);
    EXPECT_NEAR(h.cutShort[0], 0.02 * MetresPerDegreeLat() + 46, 50);
    EXPECT_EQ(h.cutShort[180], 0.0f);
}
