#include "engine/horizon.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/geodesy.h"

bool HorizonSettings::Valid() const {
    return step >= kMinStep && step <= kMaxStep && maxDistance > 0 && maxDistance <= kMaxDistance &&
           refraction >= -1.0 && refraction <= 0.9 && std::isfinite(antennaHeight) &&
           std::fabs(antennaHeight) <= 10000.0;
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
// Geodesic nodes every 2 km: between them the path is a straight line in latitude and longitude to
// within centimetres at mid latitudes.
constexpr double kNodeSpacing = 2000.0;

struct GeodesicState {
    double lat, lon, azimuth; // radians
};

// d/ds of latitude, longitude and azimuth along a geodesic of the ellipsoid.
GeodesicState Derivative(const GeodesicState& s) {
    const double a = g_ellipsoid.a, e2 = g_ellipsoid.e2;
    const double sinLat = std::sin(s.lat), cosLat = std::cos(s.lat);
    const double w = std::sqrt(1.0 - e2 * sinLat * sinLat);
    const double n = a / w, m = a * (1.0 - e2) / (w * w * w);
    const double sinAz = std::sin(s.azimuth), cosAz = std::cos(s.azimuth);
    return {cosAz / m, sinAz / (n * cosLat), sinAz * sinLat / (cosLat * n)};
}

GeodesicState Advance(const GeodesicState& s, const GeodesicState& d, double h) {
    return {s.lat + d.lat * h, s.lon + d.lon * h, s.azimuth + d.azimuth * h};
}

// One Runge-Kutta step of length h.
GeodesicState Step(const GeodesicState& s, double h) {
    const GeodesicState k1 = Derivative(s);
    const GeodesicState k2 = Derivative(Advance(s, k1, h / 2));
    const GeodesicState k3 = Derivative(Advance(s, k2, h / 2));
    const GeodesicState k4 = Derivative(Advance(s, k3, h));
    return {s.lat + h / 6 * (k1.lat + 2 * k2.lat + 2 * k3.lat + k4.lat),
            s.lon + h / 6 * (k1.lon + 2 * k2.lon + 2 * k3.lon + k4.lon),
            s.azimuth + h / 6 * (k1.azimuth + 2 * k2.azimuth + 2 * k3.azimuth + k4.azimuth)};
}

} // namespace

HorizonProblem ComputeHorizon(const ElevationSampler& model, double latitude, double longitude,
                              double altitude, const HorizonSettings& settings, TerrainHorizon& out) {
    if (!settings.Valid())
        return HorizonProblem::Settings;
    if (!(std::fabs(latitude) <= 89.0) || !std::isfinite(longitude))
        return HorizonProblem::Polar;
    float ground = std::numeric_limits<float>::quiet_NaN();
    model.Heights(&latitude, &longitude, 1, &ground);
    if (std::isnan(ground) && !settings.altitudeIsAntenna)
        return HorizonProblem::NoGround;
    const double observer = settings.altitudeIsAntenna ? altitude : ground + settings.antennaHeight;

    const int count = std::max(1, static_cast<int>(std::lround(360.0 / settings.step)));
    out.step = 360.0 / count;
    out.elevation.assign(static_cast<size_t>(count), -90.0f);
    out.distance.assign(static_cast<size_t>(count), 0.0f);
    out.cutShort.assign(static_cast<size_t>(count), 0.0f);
    out.ground = ground;
    out.observer = observer;

    // The distances of the samples, the same for every ray, and the geometry of each on a sphere of
    // the effective radius: with that radius the rays are straight.
    const double sinLat = std::sin(latitude * kDeg);
    const double w2 = 1.0 - g_ellipsoid.e2 * sinLat * sinLat;
    const double gaussian = g_ellipsoid.a * std::sqrt(1.0 - g_ellipsoid.e2) / w2;
    const double radius = gaussian / (1.0 - settings.refraction);
    const double spacing = std::max(1.0, model.Spacing(latitude, longitude));
    std::vector<double> distance, sinTheta, cosTheta;
    for (double d = spacing / 4; d <= settings.maxDistance;
         d += d < 10 * spacing ? spacing / 4 : spacing / 2) {
        distance.push_back(d);
        sinTheta.push_back(std::sin(d / radius));
        cosTheta.push_back(std::cos(d / radius));
    }
    const size_t samples = distance.size();
    const int nodes = static_cast<int>(std::ceil(settings.maxDistance / kNodeSpacing));
    const double nodeStep = settings.maxDistance / nodes;
    std::vector<double> nodeLat(static_cast<size_t>(nodes) + 1), nodeLon(static_cast<size_t>(nodes) + 1);
    // Each sample's place between the nodes, the same on every ray.
    std::vector<size_t> node(samples);
    std::vector<double> fraction(samples);
    for (size_t j = 0; j < samples; ++j) {
        const double f = distance[j] / nodeStep;
        node[j] = std::min(static_cast<size_t>(f), static_cast<size_t>(nodes) - 1);
        fraction[j] = f - static_cast<double>(node[j]);
    }
    std::vector<double> lat(samples), lon(samples);
    std::vector<float> height(samples);
    const double top = radius + observer;

    for (int i = 0; i < count; ++i) {
        GeodesicState s{latitude * kDeg, longitude * kDeg, i * out.step * kDeg};
        nodeLat[0] = latitude;
        nodeLon[0] = longitude;
        for (int k = 1; k <= nodes; ++k) {
            s = Step(s, nodeStep);
            nodeLat[static_cast<size_t>(k)] = s.lat / kDeg;
            nodeLon[static_cast<size_t>(k)] = s.lon / kDeg;
        }
        for (size_t j = 0; j < samples; ++j) {
            const size_t k = node[j];
            const double t = fraction[j];
            lat[j] = nodeLat[k] + t * (nodeLat[k + 1] - nodeLat[k]);
            lon[j] = nodeLon[k] + t * (nodeLon[k + 1] - nodeLon[k]);
        }
        model.Heights(lat.data(), lon.data(), static_cast<int>(samples), height.data());

        // The steepest ray: the largest (vertical / horizontal) in the observer's plane.
        double bestUp = -1.0, bestAcross = 0.0;
        size_t best = samples;
        for (size_t j = 0; j < samples; ++j) {
            if (std::isnan(height[j]))
                continue;
            const double r = radius + height[j];
            const double up = r * cosTheta[j] - top, across = r * sinTheta[j];
            if (best == samples || up * bestAcross > bestUp * across) {
                bestUp = up;
                bestAcross = across;
                best = j;
            }
        }
        const auto at = static_cast<size_t>(i);
        if (best < samples) {
            out.elevation[at] = static_cast<float>(std::atan2(bestUp, bestAcross) / kDeg);
            out.distance[at] = static_cast<float>(distance[best]);
        }
        // Where the model ends: the first sample with no height that lies outside it.
        for (size_t j = 0; j < samples; ++j)
            if (std::isnan(height[j]) && !model.Covers(lat[j], lon[j])) {
                out.cutShort[at] = static_cast<float>(distance[j]);
                break;
            }
    }
    return HorizonProblem::None;
}
