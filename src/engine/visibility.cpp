// Levels 2 and 3 of the recalculation: azimuth/elevation at the site, the visibility of every
// satellite per sample, and the DOP of the satellites usable over each step.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "engine/calculator.h"
#include "engine/geodesy.h"
#include "engine/vectorkernels.h"
#include "sites/obstruction.h"
#include "sites/siteinfo.h"

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kOmegaOverC = 2.4323877909897254e-13; // Earth rotation rate / speed of light, s/m

struct SiteFrame {
    double sinPhi, cosPhi, sinLambda, cosLambda;
    double position[3]; // Earth-fixed, m
};

// The system of each catalogue index.
constexpr std::array<uint8_t, SatelliteCatalogue::kSize> kSystemOf = [] {
    std::array<uint8_t, SatelliteCatalogue::kSize> systems{};
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
        systems[i] = static_cast<uint8_t>(SatelliteCatalogue::At(i).system);
    return systems;
}();

// atan2 to within 1e-11 rad, several times cheaper than the library's: reduced to |t| <= tan(pi/8)
// by symmetry and atan t = pi/4 + atan((t - 1) / (t + 1)), then atan t = t P(t^2) with P the
// degree-6 Chebyshev fit of atan(sqrt s) / sqrt s on [0, tan^2(pi/8)] (tools/atan_fit.py). No
// branches, so that a loop of them is vectorised. NaN stays NaN; atan2(0, 0) is 0.
inline double QuickAtan2(double y, double x) {
    constexpr double kQuarter = 0.78539816339744831, kHalf = 1.5707963267948966, kPi = 3.141592653589793;
    const double ax = std::fabs(x), ay = std::fabs(y);
    const bool swap = ay > ax;
    const double num = swap ? ax : ay, den = swap ? ay : ax;
    // (t - 1) / (t + 1) with t = num / den, in one division.
    const bool shifted = num > 0.41421356237309503 * den;
    const double top = shifted ? num - den : num, bottom = shifted ? num + den : den;
    const double t = top / (bottom == 0.0 ? 1.0 : bottom);
    const double t2 = t * t;
    double p = 0.0470734814196802;
    for (double c : {-0.08456192886940496, 0.1104048922721824, -0.14281588772654125, 0.19999883856551304,
                     -0.33333332097609386, 0.9999999999783987})
        p = c + t2 * p;
    double a = (shifted ? kQuarter : 0.0) + t * p;
    a = swap ? kHalf - a : a;
    a = x < 0 ? kPi - a : a;
    return y < 0 ? -a : a;
}

// a - b brought within [-pi, pi] for a and b within two turns of each other.
double AngleBetween(double a, double b) {
    constexpr double kPi = 3.141592653589793;
    const double d = a - b;
    return d > kPi ? d - kTwoPi : d < -kPi ? d + kTwoPi : d;
}

// Whether the polar angle `angle` lies in [centre + low, centre + high].
bool InSector(double angle, double centre, double low, double high) {
    const double d = AngleBetween(angle, centre);
    return d >= low && d <= high;
}

SiteFrame FrameOf(const SiteInfo& site) {
    SiteFrame f{};
    const double phi = site.latitude * kDegToRad;
    const double lambda = site.longitude * kDegToRad;
    f.sinPhi = std::sin(phi);
    f.cosPhi = std::cos(phi);
    f.sinLambda = std::sin(lambda);
    f.cosLambda = std::cos(lambda);
    GeodeticToEcef(phi, lambda, site.altitude, f.position[0], f.position[1], f.position[2]);
    return f;
}

} // namespace

void ScalarAzimuthElevation(const SiteKernelFrame& f, const double* x, const double* y, const double* z,
                            int count, double* azimuth, double* elevation, bool libraryAtan2) {
    for (int32_t k = 0; k < count; ++k) {
        const double dx = x[k] - f.x, dy = y[k] - f.y, dz = z[k] - f.z;
        const double t = f.cosLambda * dx + f.sinLambda * dy;
        const double e = -f.sinLambda * dx + f.cosLambda * dy;
        const double north = f.cosPhi * dz - f.sinPhi * t;
        const double up = f.sinPhi * dz + f.cosPhi * t;
        const double horizontal = std::sqrt(north * north + e * e);
        if (libraryAtan2) {
            elevation[k] = std::atan2(up, horizontal);
            azimuth[k] = std::atan2(e, north);
        } else {
            elevation[k] = QuickAtan2(up, horizontal);
            azimuth[k] = QuickAtan2(e, north);
        }
    }
}

void Calculator::ComputeAzEl(const SiteInfo& site) {
    if (loadState_ == kLoadOutOfMemory)
        return; // the arrays may be shorter than the sample count
    const SiteFrame f = FrameOf(site);
    const SiteKernelFrame frame{f.sinPhi,      f.cosPhi,      f.sinLambda,  f.cosLambda,
                                f.position[0], f.position[1], f.position[2]};
    const VectorKernels* kernels = ActiveKernels();
    double belowSine = -1, aboveSine = 2;
    if (kernels && onlyNearTheSky_)
        DirectionsNeeded(site, belowSine, aboveSine);
    const int n = sampleCount_;
    double *x = direction_.data(), *y = x + n, *z = y + n;
    double *azimuth = scratch_.data(), *elevation = azimuth + n;
    static_assert(sizeof(SatSample) % sizeof(float) == 0 && offsetof(SatSample, x) == 0 &&
                      offsetof(SatSample, y) == sizeof(float) &&
                      offsetof(SatSample, z) == 2 * sizeof(float) &&
                      offsetof(SatSample, azimuth) == 3 * sizeof(float) &&
                      offsetof(SatSample, elevation) == 4 * sizeof(float),
                  "the kernels read and fill the samples in place");
    for (int j = 0; j < SatelliteCatalogue::kSize; ++j) {
        if (!Planned(j))
            continue;
        SatSample* s = samples_[j].data();
        if (kernels) {
            kernels->sampleDirections(frame, &s->x, sizeof(SatSample) / sizeof(float), n, belowSine,
                                      aboveSine);
            continue;
        }
        for (int32_t k = 0; k < n; ++k) {
            x[k] = s[k].x;
            y[k] = s[k].y;
            z[k] = s[k].z;
        }
        // The scalar code keeps the library's arc tangent for the almanacs, as they always had; the
        // navigation files' many satellites take the quicker one, well below a float's resolution off.
        ScalarAzimuthElevation(frame, x, y, z, n, azimuth, elevation,
                               sources_[kSystemOf[j]] == OrbitSource::Almanac);
        for (int32_t k = 0; k < n; ++k) {
            s[k].elevation = static_cast<float>(elevation[k]);
            s[k].azimuth = static_cast<float>(azimuth[k]);
            if (s[k].azimuth < 0)
                s[k].azimuth = static_cast<float>(s[k].azimuth + kTwoPi);
        }
    }
}

// Well below the cut-off nothing passes; well above it and above every obstruction's reach
// everything does. The margin is far beyond the float elevations' rounding.
void Calculator::DirectionsNeeded(const SiteInfo& site, double& belowSine, double& aboveSine) {
    constexpr double kMargin = 1e-3, kHalfPi = 1.5707963267948966; // rad
    const double mask = elevationMask_;
    belowSine = mask - kMargin >= 0 ? std::sin(mask - kMargin) : -1.0;
    aboveSine = 2;
    if (site.terrain)
        return;
    double ceiling = mask;
    if (obstructionsOn_ != 0) {
        if (!ProjectObstructions(site))
            return;
        // A direction nearer the zenith than every outline's box passes (PassesVisibilityTest).
        if (!projectedOutlines_.empty())
            ceiling = std::max(ceiling, (1.0 - projectedNearest_ / 100.0) * 90.0 * kDegToRad);
    }
    if (ceiling + kMargin < kHalfPi)
        aboveSine = std::sin(std::max(ceiling + kMargin, 0.0));
}

inline bool Calculator::PassesVisibilityTest(const SiteInfo& site, const SatSample& s) const {
    if (!(s.elevation > elevationMask_))
        return false; // NaN too
    // The terrain hides what lies below its skyline, the drawn obstructions or not.
    if (site.terrain && site.terrain->Hides(s.elevation * kRadToDeg, s.azimuth * kRadToDeg))
        return false;
    if (obstructionsOn_ == 0)
        return true;
    const point<double> direction(static_cast<float>(s.elevation * kRadToDeg),
                                  static_cast<float>(s.azimuth * kRadToDeg));
    if (useProjected_) {
        if (projectedOutlines_.empty())
            return true;
        // The projected point lies within sqrt 2 inside the circle of radius r (its coordinates are
        // truncated toward zero): when that ring misses every box, no outline can hold it. The
        // projection's radius in long double is within 1e-13 of this one, well inside the margins.
        const double r = (1.0 - direction.x * (1.0 / 90.0)) * 100.0;
        if (r < projectedNearest_ - 1e-6 || r - 1.5 > projectedFarthest_)
            return true;
        // Nor can it when its polar angle misses every box's sector; the projection's own sines
        // and cosines are then spared.
        const double angle = direction.y * (1.0 / 180.0) * 3.1416; // as the projection takes it
        if (std::none_of(
                projectedOutlines_.begin(), projectedOutlines_.end(),
                [angle](const ProjectedOutline& o) { return InSector(angle, o.centre, o.low, o.high); }))
            return true;
        const IntPoint p = ProjectForContainment(direction);
        return !BehindProjectedObstruction(p.x, p.y);
    }
    return site.FindObstruction(direction) < 0;
}

// The sector of polar angles (x = r sin a, y = -r cos a) whose directions can project into the
// outline's box. A projected point is truncated toward zero, so the true one lies within a pixel
// of it in each coordinate: the box is widened by 1.5 pixels, and a widened box holding the zenith
// takes every angle.
void Calculator::SetSector(ProjectedOutline& o) {
    constexpr double kMargin = 1.5, kSlack = 1e-9; // pixels, rad
    const double x0 = o.minX - kMargin, x1 = o.maxX + kMargin, y0 = o.minY - kMargin, y1 = o.maxY + kMargin;
    o.centre = 0;
    o.low = -4;
    o.high = 4;
    if (x0 <= 0 && x1 >= 0 && y0 <= 0 && y1 >= 0)
        return;
    const auto polar = [](double x, double y) { return std::atan2(x, -y); };
    o.centre = polar(0.5 * (x0 + x1), 0.5 * (y0 + y1));
    o.low = o.high = 0;
    for (const double x : {x0, x1})
        for (const double y : {y0, y1}) {
            const double d = AngleBetween(polar(x, y), o.centre);
            o.low = std::min(o.low, d - kSlack);
            o.high = std::max(o.high, d + kSlack);
        }
}

bool Calculator::ProjectObstructions(const SiteInfo& site) {
    projectedVertices_.clear();
    projectedOutlines_.clear();
    for (const Obstruction& outline : site.obstructions) {
        // Fewer than two vertices contain nothing; such an outline cannot hide a direction.
        if (outline.Count() < 2)
            continue;
        if (projectedOutlines_.size() == projectedOutlines_.capacity() ||
            projectedVertices_.size() + static_cast<size_t>(outline.Count()) > projectedVertices_.capacity())
            return false;
        ProjectedOutline o;
        o.first = static_cast<int32_t>(projectedVertices_.size());
        for (const point<double>& vertex : outline) {
            const IntPoint q = ProjectForContainment(vertex);
            projectedVertices_.push_back({q.x, q.y});
        }
        o.count = static_cast<int32_t>(projectedVertices_.size()) - o.first;
        const GridPoint& v0 = projectedVertices_[static_cast<size_t>(o.first)];
        o.minX = o.maxX = v0.x;
        o.minY = o.maxY = v0.y;
        for (int32_t i = 0; i < o.count; ++i) {
            const GridPoint& v = projectedVertices_[static_cast<size_t>(o.first + i)];
            o.minX = std::min(o.minX, v.x);
            o.maxX = std::max(o.maxX, v.x);
            o.minY = std::min(o.minY, v.y);
            o.maxY = std::max(o.maxY, v.y);
        }
        SetSector(o);
        projectedOutlines_.push_back(o);
        // nearest and farthest points of the box from the origin
        const double nx = o.minX > 0 ? o.minX : o.maxX < 0 ? -o.maxX : 0;
        const double ny = o.minY > 0 ? o.minY : o.maxY < 0 ? -o.maxY : 0;
        const double fx = std::max(std::abs(o.minX), std::abs(o.maxX));
        const double fy = std::max(std::abs(o.minY), std::abs(o.maxY));
        const double nearest = std::hypot(nx, ny), farthest = std::hypot(fx, fy);
        if (projectedOutlines_.size() == 1 || nearest < projectedNearest_)
            projectedNearest_ = nearest;
        if (projectedOutlines_.size() == 1 || farthest > projectedFarthest_)
            projectedFarthest_ = farthest;
    }
    return true;
}

// The obstruction test on the pre-projected outlines: the same bounding-box rule and even-odd test
// at the pixel centre as Obstruction::Contains, so the answers are the site's own.
bool Calculator::BehindProjectedObstruction(int32_t x, int32_t y) const {
    for (const ProjectedOutline& o : projectedOutlines_) {
        if (x < o.minX || x >= o.maxX || y < o.minY || y >= o.maxY)
            continue;
        const GridPoint* poly = projectedVertices_.data() + o.first;
        const double cx = x + 0.5, cy = y + 0.5;
        bool inside = false;
        for (int32_t i = 0, j = o.count - 1; i < o.count; j = i++) {
            const double xi = poly[i].x, yi = poly[i].y, xj = poly[j].x, yj = poly[j].y;
            if ((yi > cy) != (yj > cy)) {
                const double xCross = xj + (cy - yj) * (xi - xj) / (yi - yj);
                if (cx < xCross)
                    inside = !inside;
            }
        }
        if (inside)
            return true;
    }
    return false;
}

namespace {

// The normal matrix of the satellites `list` (catalogue indices) at sample k, its lower
// triangle (the inversion reads no more) in m (row length `size`), for 3 or 2 position parameters
// known when compiling. Each satellite's row is the geometry of its line of sight, -1 in its
// system's clock column and zero elsewhere, so only those products are summed: in registers, in
// the satellites' order, the same sums as adding row after row to the matrix.
template <int P>
void NormalMatrix(double* m, int size, const std::vector<SatSample>* samples, const int16_t* list, int count,
                  int k, const uint8_t* systemOf, const int* clockOf, const double site[3],
                  const double (&frame)[3][3]) {
    double gg[6] = {};                  // (0,0), (1,0), (1,1), (2,0), (2,1), (2,2)
    double clock[kGnssSystems][4] = {}; // each system's column: the geometry's sums, then the count
    for (int e = 0; e < count; ++e) {
        const SatSample& s = samples[list[e]][static_cast<size_t>(k)];
        const double px = s.x, py = s.y, pz = s.z;
        const double dx = px - site[0], dy = py - site[1], dz = pz - site[2];
        // Geometric distance plus the Earth's rotation during the signal's travel.
        const double range =
            std::sqrt(dx * dx + dy * dy + dz * dz) + kOmegaOverC * (site[1] * px - site[0] * py);
        const double toUnit = 1.0 / range;
        const double w[3] = {dx * toUnit, dy * toUnit, dz * toUnit};
        double g[3] = {w[0], w[1], w[2]};
        if constexpr (P == 2) {
            for (int r = 0; r < 2; ++r)
                g[r] = frame[r][0] * w[0] + frame[r][1] * w[1] + frame[r][2] * w[2];
        }
        for (int r = 0, t = 0; r < P; ++r)
            for (int c = 0; c <= r; ++c)
                gg[t++] += g[r] * g[c];
        double* column = clock[systemOf[list[e]]];
        for (int c = 0; c < P; ++c)
            column[c] += g[c] * -1.0;
        column[3] += 1.0;
    }
    std::fill(m, m + size * size, 0.0);
    for (int r = 0, t = 0; r < P; ++r)
        for (int c = 0; c <= r; ++c)
            m[r * size + c] = gg[t++];
    for (int sys = 0; sys < kGnssSystems; ++sys) {
        if (clockOf[sys] < 0)
            continue;
        const int c = P + clockOf[sys];
        for (int r = 0; r < P; ++r)
            m[c * size + r] = clock[sys][r];
        m[c * size + c] = clock[sys][3];
    }
}

// One clock per system in use, in catalogue order: each system's place among them, -1 when unused.
// Their count.
int ClocksOf(const int16_t* list, int count, int (&clockOf)[kGnssSystems]) {
    bool inUse[kGnssSystems] = {};
    for (int e = 0; e < count; ++e)
        inUse[kSystemOf[list[e]]] = true;
    int systems = 0;
    for (int sys = 0; sys < kGnssSystems; ++sys)
        clockOf[sys] = inUse[sys] ? systems++ : -1;
    return systems;
}

} // namespace

void Calculator::ComputeVisibilityAndDop(const SiteInfo& site) {
    if (loadState_ == kLoadOutOfMemory)
        return;
    const SiteFrame f = FrameOf(site);
    const double frame[3][3] = {{-f.sinPhi * f.cosLambda, -f.sinPhi * f.sinLambda, f.cosPhi},
                                {-f.sinLambda, f.cosLambda, 0.0},
                                {f.cosPhi * f.cosLambda, f.cosPhi * f.sinLambda, f.sinPhi}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            localFrame_[r][c] = frame[r][c];
    const int p = mode_ == 1 ? 2 : 3;
    useProjected_ = obstructionsOn_ != 0 && ProjectObstructions(site);
    // Above the mask is all there is to it without obstructions to look behind.
    const bool open =
        (obstructionsOn_ == 0 || (useProjected_ && projectedOutlines_.empty())) && !site.terrain;
    const auto passes = [&](const SatSample& s) {
        return s.elevation > elevationMask_ && (open || PassesVisibilityTest(site, s));
    };

    // Satellite by satellite, its samples in a row: a satellite counts at sample k only when it
    // passes at k and at the next sample. Each sample keeps the list of its visible satellites in
    // catalogue order, which is all the normal matrices read.
    const int n = sampleCount_;
    int16_t* lists = visibleLists_.data(); // n lists of up to kSize
    std::fill(satelliteCount_.begin(), satelliteCount_.end(), 0);
    for (int j = 0; j < SatelliteCatalogue::kSize; ++j) {
        if (samples_[j].empty())
            continue;
        SatSample* s = samples_[j].data();
        if (!IsEnabled(j)) {
            // Only a satellite that took part before can have flags to clear.
            if (mayBeVisible_[j])
                for (int32_t k = 0; k < n; ++k)
                    s[k].visible = 0;
            mayBeVisible_[j] = false;
            continue;
        }
        mayBeVisible_[j] = true;
        bool now = n > 0 && passes(s[0]);
        for (int32_t k = 0; k < n; ++k) {
            const bool later = k + 1 < n ? passes(s[k + 1]) : now;
            const bool visible = now && later;
            s[k].visible = visible ? 1 : 0;
            if (visible)
                lists[static_cast<size_t>(k) * SatelliteCatalogue::kSize + satelliteCount_[k]++] =
                    static_cast<int16_t>(j);
            now = later;
        }
    }
    const VectorKernels* kernels = ActiveKernels();
    for (int32_t k0 = 0; k0 < n; k0 += kDopLanes) {
        const int32_t k1 = std::min(n, k0 + kDopLanes);
        if (kernels && DilutionsSideBySide(*kernels, k0, k1, p, f.position))
            continue;
        for (int32_t k = k0; k < k1; ++k)
            DilutionsAt(k, p, f.position);
    }
}

void Calculator::DilutionsAt(int32_t k, int p, const double site[3]) {
    const int16_t* list = usedAt(k);
    const int count = satelliteCount_[k];
    int clockOf[kGnssSystems];
    parameterCount_ = p + ClocksOf(list, count, clockOf);
    (p == 3 ? NormalMatrix<3> : NormalMatrix<2>)(normalMatrix_, parameterCount_, samples_.data(), list, count,
                                                 k, kSystemOf.data(), clockOf, site, localFrame_);
    pdop_[k] = gdop_[k] = tdop_[k] = vdop_[k] = hdop_[k] = 0;
    solutionFlag_[k] = 0;
    if (count < parameterCount_)
        return;
    solutionFlag_[k] = 1; // also for a singular geometry, whose DOP stays 0
    const int size = parameterCount_;
    double* q = normalMatrix_;
    if (!InvertNormalMatrix(q, size))
        return;
    double trace = 0, clockTrace = 0;
    for (int r = 0; r < size; ++r) {
        trace += q[r * size + r];
        if (r >= p)
            clockTrace += q[r * size + r];
    }
    gdop_[k] = static_cast<float>(std::sqrt(std::fabs(trace)));
    pdop_[k] = static_cast<float>(std::sqrt(std::fabs(trace - clockTrace)));
    tdop_[k] = static_cast<float>(std::sqrt(std::fabs(clockTrace)));
    if (p == 3) {
        double local[3]; // north, east, up variances
        for (int r = 0; r < 3; ++r) {
            double sum = 0;
            for (int i = 0; i < 3; ++i)
                for (int c = 0; c < 3; ++c)
                    sum += localFrame_[r][i] * q[i * size + c] * localFrame_[r][c];
            local[r] = sum;
        }
        hdop_[k] = static_cast<float>(std::sqrt(std::fabs(local[0]) + std::fabs(local[1])));
        vdop_[k] = static_cast<float>(std::sqrt(std::fabs(local[2])));
    }
}

bool Calculator::DilutionsSideBySide(const VectorKernels& kernels, int32_t k0, int32_t k1, int p,
                                     const double site[3]) {
    constexpr int L = kDopLanes;
    int clockOf[kGnssSystems];
    const int clocks = ClocksOf(usedAt(k0), satelliteCount_[k0], clockOf);
    int depth = satelliteCount_[k0];
    for (int32_t k = k0 + 1; k < k1; ++k) {
        int other[kGnssSystems];
        if (ClocksOf(usedAt(k), satelliteCount_[k], other) != clocks ||
            !std::equal(other, other + kGnssSystems, clockOf))
            return false;
        depth = std::max(depth, satelliteCount_[k]);
    }
    if (clocks == 0)
        return false;
    // Lanes beyond k1 repeat the last sample; their results are not read.
    float x[SatelliteCatalogue::kSize * L], y[SatelliteCatalogue::kSize * L],
        z[SatelliteCatalogue::kSize * L];
    int32_t clock[SatelliteCatalogue::kSize * L];
    std::fill_n(x, depth * L, 0.0f);
    std::fill_n(y, depth * L, 0.0f);
    std::fill_n(z, depth * L, 0.0f);
    std::fill_n(clock, depth * L, -1);
    for (int l = 0; l < L; ++l) {
        const int32_t k = std::min(k0 + l, k1 - 1);
        const int16_t* list = usedAt(k);
        for (int e = 0; e < satelliteCount_[k]; ++e) {
            const SatSample& s = samples_[list[e]][static_cast<size_t>(k)];
            x[e * L + l] = s.x;
            y[e * L + l] = s.y;
            z[e * L + l] = s.z;
            clock[e * L + l] = clockOf[kSystemOf[list[e]]];
        }
    }
    DopKernelBlock block{depth, p, clocks, x, y, z, clock, {site[0], site[1], site[2]}, {}, kOmegaOverC};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            block.frame[r][c] = localFrame_[r][c];
    DopKernelResult result;
    kernels.dilutions(block, result);
    parameterCount_ = p + clocks;
    for (int32_t k = k0; k < k1; ++k) {
        const int l = k - k0;
        pdop_[k] = gdop_[k] = tdop_[k] = vdop_[k] = hdop_[k] = 0;
        solutionFlag_[k] = satelliteCount_[k] >= parameterCount_ ? 1 : 0;
        if (solutionFlag_[k] == 0 || !result.inverted[l])
            continue;
        gdop_[k] = static_cast<float>(result.gdop[l]);
        pdop_[k] = static_cast<float>(result.pdop[l]);
        tdop_[k] = static_cast<float>(result.tdop[l]);
        hdop_[k] = static_cast<float>(result.hdop[l]);
        vdop_[k] = static_cast<float>(result.vdop[l]);
    }
    return true;
}

namespace {

// The factorisation and inverse for one size known when compiling (Fixed > 0), its loops then laid
// out in full with the same operations in the same order; Fixed 0 takes `runtimeSize`.
template <int Fixed> bool InvertLdl(double* m, int runtimeSize) {
    const int size = Fixed > 0 ? Fixed : runtimeSize;
    // Factorise: m = L D L^T with L unit lower triangular, kept below the diagonal, D on it. One
    // division per pivot: the divider is the slowest unit here.
    double product = 1.0;
    double reciprocals[Fixed > 0 ? Fixed : kMaxParameters];
    for (int j = 0; j < size; ++j) {
        double d = m[j * size + j];
        for (int k = 0; k < j; ++k)
            d -= m[j * size + k] * m[j * size + k] * m[k * size + k];
        if (j == 0 ? d == 0.0 : !(d > 0.0))
            return false;
        m[j * size + j] = d;
        product *= d;
        reciprocals[j] = 1.0 / d;
        for (int i = j + 1; i < size; ++i) {
            double v = m[i * size + j];
            for (int k = 0; k < j; ++k)
                v -= m[i * size + k] * m[j * size + k] * m[k * size + k];
            m[i * size + j] = v * reciprocals[j];
        }
    }
    if (product == 0.0)
        return false;
    // L^-1 (unit lower triangular) by forward substitution.
    double inverse[Fixed > 0 ? Fixed * Fixed : kMaxParameters * kMaxParameters] = {};
    for (int c = 0; c < size; ++c) {
        inverse[c * size + c] = 1.0;
        for (int r = c + 1; r < size; ++r) {
            double v = 0;
            for (int k = c; k < r; ++k)
                v -= m[r * size + k] * inverse[k * size + c];
            inverse[r * size + c] = v;
        }
    }
    // m^-1 = L^-T D^-1 L^-1.
    for (int r = 0; r < size; ++r) {
        for (int c = r; c < size; ++c) {
            double v = 0;
            for (int k = c; k < size; ++k)
                v += inverse[k * size + r] * inverse[k * size + c] * reciprocals[k];
            m[r * size + c] = m[c * size + r] = v;
        }
    }
    return true;
}

} // namespace

bool InvertNormalMatrix(double* m, int size) {
    static_assert(kMaxParameters == 9, "a fixed size for every count of clocks");
    switch (size) {
    case 3:
        return InvertLdl<3>(m, size);
    case 4:
        return InvertLdl<4>(m, size);
    case 5:
        return InvertLdl<5>(m, size);
    case 6:
        return InvertLdl<6>(m, size);
    case 7:
        return InvertLdl<7>(m, size);
    case 8:
        return InvertLdl<8>(m, size);
    case 9:
        return InvertLdl<9>(m, size);
    default:
        return InvertLdl<0>(m, size);
    }
}
