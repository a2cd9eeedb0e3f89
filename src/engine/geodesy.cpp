#include "engine/geodesy.h"

#include <cmath>

Ellipsoid g_ellipsoid;

void InitEllipsoid() {
    g_ellipsoid.a = 6378137.0;
    g_ellipsoid.e = 0.0818191913305;
    g_ellipsoid.e2 = g_ellipsoid.e * g_ellipsoid.e;
}

void GeodeticToEcef(double latitude, double longitude, double height, double& x, double& y, double& z) {
    const double s = std::sin(latitude);
    const double n = g_ellipsoid.a / std::sqrt(1.0 - g_ellipsoid.e2 * s * s);
    x = (n + height) * std::cos(latitude) * std::cos(longitude);
    y = (n + height) * std::cos(latitude) * std::sin(longitude);
    z = (n * (1.0 - g_ellipsoid.e2) + height) * s;
}
