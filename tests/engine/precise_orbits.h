// Test support: precise orbits (SP3, Earth-fixed km, epochs in GPS time) and the azimuth and
// elevation of a position seen from a site, worked out independently of the engine's own code.
#pragma once

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/gnsstime.h"
#include "engine/satellitecatalogue.h"

namespace precise {

struct Epoch {
    double gps = 0;     // continuous GPS count
    double xyz[3] = {}; // m
};

// Every satellite of the file with a position, by catalogue index.
inline std::map<int, std::vector<Epoch>> ReadSp3(const std::string& path) {
    std::map<int, std::vector<Epoch>> out;
    std::ifstream in(path);
    std::string line;
    double epoch = -1;
    while (std::getline(in, line)) {
        if (line.rfind("* ", 0) == 0) {
            std::istringstream s(line.substr(1));
            int y, mo, d, h, mi;
            double sec;
            s >> y >> mo >> d >> h >> mi >> sec;
            epoch = ScaleSeconds(y, mo, d, h, mi, sec);
        } else if (line.size() > 46 && line[0] == 'P' && epoch >= 0) {
            SatelliteId id;
            if (!ParseSatelliteCode(line.substr(1, 3), id))
                continue;
            Epoch e;
            e.gps = epoch;
            std::istringstream s(line.substr(4));
            s >> e.xyz[0] >> e.xyz[1] >> e.xyz[2];
            if (e.xyz[0] == 0 && e.xyz[1] == 0 && e.xyz[2] == 0)
                continue; // no position at this epoch
            for (double& v : e.xyz)
                v *= 1000.0;
            out[SatelliteCatalogue::Index(id)].push_back(e);
        }
    }
    return out;
}

struct Site {
    const char* name;
    double latitude, longitude, height; // degrees, degrees, m
};

struct AzEl {
    double azimuth = 0, elevation = 0; // degrees
};

constexpr double kDeg = 3.14159265358979323846 / 180.0;

// WGS-84 geodetic to Earth-fixed, then the direction in the site's north-east-up frame.
inline AzEl Look(const Site& site, const double sat[3]) {
    const double a = 6378137.0, f = 1.0 / 298.257223563, e2 = f * (2 - f);
    const double lat = site.latitude * kDeg, lon = site.longitude * kDeg;
    const double n = a / std::sqrt(1 - e2 * std::sin(lat) * std::sin(lat));
    const double p[3] = {(n + site.height) * std::cos(lat) * std::cos(lon),
                         (n + site.height) * std::cos(lat) * std::sin(lon),
                         (n * (1 - e2) + site.height) * std::sin(lat)};
    const double d[3] = {sat[0] - p[0], sat[1] - p[1], sat[2] - p[2]};
    const double east = -std::sin(lon) * d[0] + std::cos(lon) * d[1];
    const double north =
        -std::sin(lat) * std::cos(lon) * d[0] - std::sin(lat) * std::sin(lon) * d[1] + std::cos(lat) * d[2];
    const double up =
        std::cos(lat) * std::cos(lon) * d[0] + std::cos(lat) * std::sin(lon) * d[1] + std::sin(lat) * d[2];
    AzEl r;
    r.azimuth = std::atan2(east, north) / kDeg;
    if (r.azimuth < 0)
        r.azimuth += 360.0;
    r.elevation = std::atan2(up, std::hypot(east, north)) / kDeg;
    return r;
}

// The larger of the elevation difference and the azimuth difference, degrees. The azimuth
// difference is taken as the arc it spans on the sky (times the cosine of the elevation): near the
// zenith a metre moves the azimuth by degrees, and the sky plot shows the arc, not the angle.
inline double AngleError(const AzEl& a, const AzEl& b) {
    double daz = std::fabs(a.azimuth - b.azimuth);
    if (daz > 180)
        daz = 360 - daz;
    return std::max(daz * std::cos(b.elevation * kDeg), std::fabs(a.elevation - b.elevation));
}

} // namespace precise
