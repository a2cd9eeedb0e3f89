// The almanacs the program ships, checked against what the satellites really did: precise orbits
// (SP3, Earth-fixed, km, epochs in GPS time) of the almanacs' own days.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/calculator.h"

namespace {

const std::string kShipped = TAVRIN_BINARY_DIR "/almanacs/";
const std::string kOrbits = TAVRIN_SOURCE_DIR "/tests/data/orbits/";

struct Sp3Position {
    int secondsOfDay; // GPS time
    double x, y, z;   // m
};

// Positions of one system ('G' or 'R') by satellite number, from the SP3 epochs of one day.
std::map<int, std::vector<Sp3Position>> ReadSp3(const std::string& path, char system) {
    std::map<int, std::vector<Sp3Position>> out;
    std::ifstream in(path);
    std::string line;
    int seconds = -1;
    while (std::getline(in, line)) {
        int y, mo, d, h, mi;
        double s;
        if (line.rfind("*  ", 0) == 0 &&
            std::sscanf(line.c_str() + 2, "%d %d %d %d %d %lf", &y, &mo, &d, &h, &mi, &s) == 6) {
            seconds = h * 3600 + mi * 60 + static_cast<int>(s);
            continue;
        }
        int number;
        double x, yy, z;
        if (seconds >= 0 && line.size() > 4 && line[0] == 'P' && line[1] == system &&
            std::sscanf(line.c_str() + 2, "%2d %lf %lf %lf", &number, &x, &yy, &z) == 4)
            out[number].push_back({seconds, x * 1000, yy * 1000, z * 1000});
    }
    return out;
}

struct Distances {
    std::vector<double> km;
    double Median() {
        std::sort(km.begin(), km.end());
        return km.empty() ? NAN : km[km.size() / 2];
    }
    double Largest() const { return km.empty() ? NAN : *std::max_element(km.begin(), km.end()); }
};

// Distances between the almanac's samples (step 900 s, sample 0 on the SP3 day's first epoch)
Distances Compare(const Calculator& calc, int firstIndex, int count,
                  const std::map<int, std::vector<Sp3Position>>& sp3, int satellitesExpected) {
    Distances d;
    int satellites = 0;
    for (const auto& [number, track] : sp3) {
        if (number < 1 || number > count || !calc.HasAlmanac(firstIndex + number - 1))
            continue;
        ++satellites;
        const SatSample* s = calc.samples(firstIndex + number - 1);
        for (const Sp3Position& p : track) {
            EXPECT_EQ(p.secondsOfDay % 900, 0);
            const int k = p.secondsOfDay / 900;
            const double dx = s[k].x - p.x, dy = s[k].y - p.y, dz = s[k].z - p.z;
            d.km.push_back(std::sqrt(dx * dx + dy * dy + dz * dz) / 1000);
        }
    }
    EXPECT_EQ(satellites, satellitesExpected);
    return d;
}

} // namespace

TEST(ShippedAlmanac, GpsOf2025FollowsTheIgsOrbits) {
    Calculator calc;
    calc.LoadAlmanac(kShipped + "alm25.223");
    ASSERT_EQ(calc.loadState(), kLoadOk);
    ASSERT_EQ(calc.gpsRecords()[0].week, 2379);
    ASSERT_EQ(calc.SetTimeStep(900), 1);
    // GPS satellites are computed for the program's time taken as GPS time: the SP3 epochs directly.
    calc.ComputePositions(MakeCalendarTime(0, 0, 0, 11, 8, 2025));
    Distances d = Compare(calc, 0, kGpsSatellites,
                          ReadSp3(kOrbits + "IGS0OPSFIN_20252230000_01D_15M_ORB.SP3", 'G'), 31);
    ASSERT_EQ(d.km.size(), 31u * 96);
    const double largest = d.Largest(), median = d.Median();
    std::printf("GPS 2025-08-11: %zu positions, median %.2f km, largest %.2f km\n", d.km.size(), median,
                largest);
    EXPECT_LT(largest, 5.0); // km
}

TEST(ShippedAlmanac, GlonassOf2018FollowsTheIacOrbits) {
    Calculator calc;
    calc.LoadAlmanac(kShipped + "alm18.258");
    ASSERT_EQ(calc.loadState(), kLoadOk);
    ASSERT_EQ(calc.SetTimeStep(900), 1);
    // GLONASS satellites are computed for the program's time taken as UTC. GPS time ran 18 s ahead
    // of UTC, so a window starting 18 s before midnight UTC puts its samples on the SP3 epochs.
    calc.ComputePositions(MakeCalendarTime(23, 59, 42, 12, 9, 2018));
    Distances d = Compare(calc, kGpsSatellites, kGlonassSatellites,
                          ReadSp3(kOrbits + "Sta20184_GLONASS_excerpt.sp3", 'R'), 22);
    ASSERT_EQ(d.km.size(), 22u * 13);
    const double largest = d.Largest(), median = d.Median();
    std::printf("GLONASS 2018-09-13: %zu positions, median %.2f km, largest %.2f km\n", d.km.size(), median,
                largest);
    EXPECT_LT(largest, 5.0); // km
}
