// The reference ellipsoid and positions on it.
#pragma once

inline constexpr double kRadToDeg = 57.29577951308232; // degrees per radian

struct Ellipsoid {
    double a = 6378137.0;       // WGS-84 semi-major axis, m
    double e = 0.0818191913305; // first eccentricity
    double e2 = e * e;
};
extern Ellipsoid g_ellipsoid;
void InitEllipsoid();

// Latitude and longitude in radians, height in metres above the ellipsoid; Earth-fixed x, y, z in m.
void GeodeticToEcef(double latitude, double longitude, double height, double& x, double& y, double& z);
