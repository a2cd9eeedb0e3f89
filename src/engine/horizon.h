// The terrain's horizon around a point, from the heights of an elevation model.
#pragma once

#include "sites/terrainhorizon.h"

// The ground's heights, from whatever model stands behind.
class ElevationSampler {
public:
    virtual ~ElevationSampler() = default;
    // Heights (m) at `n` positions (degrees; longitudes may run past +-180), interpolated between
    // the model's cells; NaN where it has none (a hole, or outside the model).
    virtual void Heights(const double* latitude, const double* longitude, int n, float* heights) const = 0;
    // Whether the position lies within the model, holes included.
    virtual bool Covers(double latitude, double longitude) const = 0;
    // The distance between the model's cells near the position, m: the rays sample a fraction of it.
    virtual double Spacing(double latitude, double longitude) const = 0;
};

struct HorizonSettings {
    double step = 1.0;              // degrees of azimuth; 360 / step is rounded to whole entries
    double maxDistance = 50000.0;   // m along the ellipsoid
    double refraction = 0.13;       // coefficient of refraction; 0 for straight rays
    double antennaHeight = 2.0;     // m above the model's ground
    bool altitudeIsAntenna = false; // the site's altitude is the antenna's height over the model's datum

    static constexpr double kMinStep = 0.01, kMaxStep = 45.0;
    static constexpr double kMaxDistance = 500000.0;
    // The limits above, and a refraction within -1..0.9 (1 would flatten the Earth).
    bool Valid() const;
};

enum class HorizonProblem {
    None,
    Settings, // outside the limits of HorizonSettings::Valid
    NoGround, // no height under the site and no altitude of the antenna to stand in
    Polar,    // within a degree of a pole
};

// The horizon at `latitude`, `longitude` (degrees); `altitude` (m) is used when the settings say it
// is the antenna's. Rays run along geodesics of the ellipsoid, dense near the site (a quarter of the
// model's spacing over its first ten cells, half of it beyond); the drop of the ground with the
// Earth's curvature is d^2 / 2R with R the Gaussian radius at the site over (1 - refraction).
// Holes in the model are passed over; a ray that leaves the model notes where in `cutShort`.
HorizonProblem ComputeHorizon(const ElevationSampler& model, double latitude, double longitude,
                              double altitude, const HorizonSettings& settings, TerrainHorizon& out);
