#include "engine/horizonsweep.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <system_error>
#include <thread>

#include "engine/geodesy.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr int kObserversPerStep = 64;

// A gnomonic projection about the area's centre, stretched by the ellipsoid's two radii there:
// great circles are straight lines in it, and across a few hundred kilometres distances and
// directions stay within parts in ten thousand of the ellipsoid's.
class Plane {
public:
    Plane(double latitude, double longitude) : lat0_(latitude * kDeg), lon0_(longitude * kDeg) {
        sin0_ = std::sin(lat0_);
        cos0_ = std::cos(lat0_);
        const double w = std::sqrt(1.0 - g_ellipsoid.e2 * sin0_ * sin0_);
        north_ = g_ellipsoid.a * (1.0 - g_ellipsoid.e2) / (w * w * w); // meridian radius
        east_ = g_ellipsoid.a / w;                                     // prime vertical radius
    }
    // Metres east and north of the centre.
    void Project(double latitude, double longitude, double& x, double& y) const {
        const double phi = latitude * kDeg, dl = longitude * kDeg - lon0_;
        const double s = std::sin(phi), c = std::cos(phi), cl = std::cos(dl);
        const double cosC = sin0_ * s + cos0_ * c * cl;
        x = east_ * c * std::sin(dl) / cosC;
        y = north_ * (cos0_ * s - sin0_ * c * cl) / cosC;
    }
    // And back: degrees of the point `x`, `y` metres east and north of the centre.
    void Unproject(double x, double y, double& latitude, double& longitude) const {
        const double u = x / east_, v = y / north_;
        const double rho = std::sqrt(u * u + v * v);
        if (rho == 0) {
            latitude = lat0_ / kDeg;
            longitude = lon0_ / kDeg;
            return;
        }
        const double c = std::atan(rho), sc = std::sin(c), cc = std::cos(c);
        latitude = std::asin(cc * sin0_ + v * sc * cos0_ / rho) / kDeg;
        longitude = (lon0_ + std::atan2(u * sc, rho * cos0_ * cc - v * sin0_ * sc)) / kDeg;
    }
    double MetresPerDegreeLatitude() const { return north_ * kDeg; }
    double MetresPerDegreeLongitude() const { return east_ * cos0_ * kDeg; }

private:
    double lat0_, lon0_, sin0_ = 0, cos0_ = 1, north_ = 0, east_ = 0;
};

// A point of a profile: metres along the sweep, and the height less the drop of the Earth's curve
// below the plane at that distance from the origin; seen from any observer on the line, the
// steepest of these is the steepest on the curved Earth too.
struct ProfilePoint {
    double t, h;
};

// The upper convex hull of a profile, built from one end; points come in order of t, all on the
// same side of every observer asked about.
class Hull {
public:
    // `towardObserver`: points arrive nearer and nearer the observers (t falling); else farther.
    explicit Hull(bool towardObserver) : toward_(towardObserver) {}
    // Room for `n` points, so that adding never allocates.
    void Clear(size_t n) {
        if (points_.size() < n)
            points_.resize(n);
        size_ = 0;
    }
    void Clear() { size_ = 0; }
    bool Empty() const { return size_ == 0; }
    void Add(ProfilePoint p) {
        // The newest point and the two before it must turn the same way; the middle one drops out
        // under the chord otherwise, and is never the steepest again.
        ProfilePoint* points = points_.data();
        while (size_ >= 2) {
            const ProfilePoint& a = points[size_ - 2];
            const ProfilePoint& b = points[size_ - 1];
            // The slopes compared by cross-multiplying: every span of t here is positive.
            const bool under = toward_ ? (b.h - p.h) * (a.t - p.t) <= (a.h - p.h) * (b.t - p.t)
                                       : (b.h - a.h) * (p.t - b.t) <= (p.h - b.h) * (b.t - a.t);
            if (!under)
                break;
            --size_;
        }
        points[size_++] = p;
    }
    // The point of the hull steepest from `o`, which lies before all of them; the slopes from `o`
    // rise and then fall along the hull, so a bisection finds the top.
    const ProfilePoint& Steepest(const ProfilePoint& o) const {
        const int n = static_cast<int>(size_);
        // Index m counted from the observer's end.
        auto at = [&](int m) -> const ProfilePoint& {
            return toward_ ? points_[static_cast<size_t>(n - 1 - m)] : points_[static_cast<size_t>(m)];
        };
        int low = 0, high = n - 1;
        while (low < high) {
            const int m = (low + high) / 2;
            const ProfilePoint &p = at(m), &q = at(m + 1);
            if ((q.h - p.h) * (p.t - o.t) > (p.h - o.h) * (q.t - p.t))
                low = m + 1;
            else
                high = m;
        }
        return at(low);
    }

private:
    bool toward_;
    std::vector<ProfilePoint> points_;
    size_t size_ = 0;
};

// One observer's part on one line of a sweep.
struct LineQuery {
    int line;
    double key; // t at which the query is answered
    int observer;
    int side;                 // 0: the line below the observer, 1: the one above
    bool beyondReach = false; // the line rises highest beyond the key plus the span
};

struct SweepContext {
    const ElevationGrid& grid;
    const std::vector<float>& transposed; // the grid's heights column by column
    const Plane& plane;
    double spacing;                // m between the lines of a sweep, and between steps along them
    double minX, maxX, minY, maxY; // the model's extent in the plane
    double radius, nearField, span;
    int count;
    const std::vector<double>& ox; // projected observers
    const std::vector<double>& oy;
    const std::vector<double>& observer; // antenna heights over the datum, NaN: no ground
};

// Samples between places found on the model exactly; between them the model's rows and columns
// follow the line linearly, within half a metre over these five kilometres.
constexpr int kAnchorSamples = 64;

// The profile of line `line` in order of t, over `tFrom`..`tTo`: heights read from the model
// itself, so that the sweep sees the surface the rays see.
void LineProfile(const SweepContext& cx, bool byColumn, double slope, double ux, double uy, int line,
                 double tFrom, double tTo, std::vector<ProfilePoint>& nodes) {
    nodes.clear();
    const double sp = cx.spacing;
    // On the lattice about the centre the line is minor = line + major * slope; its point at major
    // m is (x0, y0) + m * (dx, dy) in the plane, columns running east and rows south.
    const double x0 = byColumn ? 0 : line * sp, y0 = byColumn ? -line * sp : 0;
    const double dx = byColumn ? sp : slope * sp, dy = byColumn ? -slope * sp : -sp;
    const double t0 = ux * x0 + uy * y0, dt = ux * dx + uy * dy;
    double low = -1e300, high = 1e300;
    auto clip = [&](double v0, double dv, double lo, double hi) {
        if (dv == 0) {
            if (v0 < lo || v0 > hi)
                low = 1, high = 0;
            return;
        }
        double a = (lo - v0) / dv, b = (hi - v0) / dv;
        if (a > b)
            std::swap(a, b);
        low = std::max(low, a), high = std::min(high, b);
    };
    clip(x0, dx, cx.minX, cx.maxX);
    clip(y0, dy, cx.minY, cx.maxY);
    clip(t0, dt, tFrom, tTo);
    if (!(low <= high))
        return;
    const double first = std::ceil(low), last = std::floor(high);
    if (first > last)
        return;
    // A sample at every whole m, in order of t.
    const auto n = static_cast<size_t>(last - first) + 1;
    const double dm = dt > 0 ? 1 : -1, mStart = dt > 0 ? first : last;
    const ElevationGrid& g = cx.grid;
    auto locate = [&](size_t j, double& r, double& c) {
        const double m = mStart + static_cast<double>(j) * dm;
        double lat, lon;
        cx.plane.Unproject(x0 + m * dx, y0 + m * dy, lat, lon);
        g.Locate(lat, lon, r, c);
    };
    nodes.resize(n);
    size_t kept = 0;
    double r0 = 0, c0 = 0, r1 = 0, c1 = 0, dr = 0, dc = 0;
    locate(0, r1, c1);
    for (size_t j = 0; j < n; ++j) {
        const size_t k = j % kAnchorSamples;
        if (k == 0) {
            const size_t next = std::min(j + kAnchorSamples, n - 1);
            r0 = r1, c0 = c1;
            locate(next, r1, c1);
            const double steps = std::max<double>(1.0, static_cast<double>(next - j));
            dr = (r1 - r0) / steps, dc = (c1 - c0) / steps;
        }
        const double r = r0 + static_cast<double>(k) * dr, c = c0 + static_cast<double>(k) * dc;
        // Along the line in memory order, so that the samples of a stretch share cache lines.
        const float h = byColumn ? ElevationGrid::Sample(g.Data().data(), g.Rows(), g.Columns(), r, c)
                                 : ElevationGrid::Sample(cx.transposed.data(), g.Columns(), g.Rows(), c, r);
        if (std::isnan(h))
            continue;
        const double t = t0 + (mStart + static_cast<double>(j) * dm) * dt;
        nodes[kept++] = {t, h - t * t / (2 * cx.radius)};
    }
    nodes.resize(kept);
}

// A query's antenna as a point of its line's profile.
ProfilePoint AntennaOf(const SweepContext& cx, const LineQuery& q) {
    const double t0 = q.key - cx.nearField;
    return {t0, cx.observer[static_cast<size_t>(q.observer)] - t0 * t0 / (2 * cx.radius)};
}

// Where a query's answer goes in the angles of all observers and sides.
size_t SlotOf(const LineQuery& q) {
    return static_cast<size_t>(q.observer) * 2 + static_cast<size_t>(q.side);
}

// The elevation (degrees) of profile point `p` seen from the query's antenna.
float Angle(const SweepContext& cx, const LineQuery& q, const ProfilePoint& p) {
    const double t0 = q.key - cx.nearField, observer = cx.observer[static_cast<size_t>(q.observer)];
    const double d = p.t - t0;
    const double height = p.h + p.t * p.t / (2 * cx.radius);
    const double r = cx.radius + height, theta = d / cx.radius;
    return static_cast<float>(std::atan2(r * std::cos(theta) - (cx.radius + observer), r * std::sin(theta)) /
                              kDeg);
}

// The steepest points within the reach of the queries whose line rises higher beyond it: each
// block's part ahead of the key (built from beyond the observers toward them), and the next
// block's part up to the key plus the span (built outward).
void WithinReach(const SweepContext& cx, const LineQuery* first, const LineQuery* last,
                 const std::vector<ProfilePoint>& nodes, Hull& toward, Hull& away, std::vector<float>& best) {
    const double span = cx.span;
    const double perSpan = 1 / span;
    auto block = [perSpan](double t) { return std::floor(t * perSpan); };
    toward.Clear(nodes.size());
    double current = 0;
    size_t n = nodes.size();
    for (const LineQuery* query = last; query-- != first;) {
        while (n > 0 && nodes[n - 1].t >= query->key) {
            const ProfilePoint& p = nodes[--n];
            if (toward.Empty() || block(p.t) != current)
                toward.Clear(), current = block(p.t);
            toward.Add(p);
        }
        if (query->beyondReach && !toward.Empty() && current == block(query->key))
            best[SlotOf(*query)] = Angle(cx, *query, toward.Steepest(AntennaOf(cx, *query)));
    }
    away.Clear(nodes.size());
    size_t next = 0;
    for (const LineQuery* query = first; query != last; ++query) {
        const double key = query->key + span;
        while (next < nodes.size() && nodes[next].t <= key) {
            const ProfilePoint& p = nodes[next++];
            if (away.Empty() || block(p.t) != current)
                away.Clear(), current = block(p.t);
            away.Add(p);
        }
        if (query->beyondReach && !away.Empty() && current == block(key)) {
            float& b = best[SlotOf(*query)];
            b = std::max(b, Angle(cx, *query, away.Steepest(AntennaOf(cx, *query))));
        }
    }
}

// The far part of every observer's horizon at azimuth entry `i`, into `far`.
void SweepAzimuth(const SweepContext& cx, int i, std::vector<float>& far, std::vector<LineQuery>& queries,
                  std::vector<float>& best, std::vector<ProfilePoint>& nodes) {
    const double azimuth = i * 360.0 / cx.count * kDeg;
    const double ux = std::sin(azimuth), uy = std::cos(azimuth);
    // The direction on the lattice: columns run east, rows south.
    const double dc = ux, dr = -uy;
    const bool byColumn = std::fabs(dc) >= std::fabs(dr);
    // Lines of the sweep: straight, one lattice step apart across them.
    const double slope = byColumn ? dr / dc : dc / dr;
    auto rowOf = [&](size_t o) { return -cx.oy[o] / cx.spacing; };
    auto columnOf = [&](size_t o) { return cx.ox[o] / cx.spacing; };
    // Where an observer falls across the lines: between line floor(k) and the next.
    auto lineOffset = [&](size_t o) {
        const double major = byColumn ? columnOf(o) : rowOf(o);
        const double minor = byColumn ? rowOf(o) : columnOf(o);
        return minor - major * slope;
    };
    const size_t observers = cx.ox.size();

    queries.clear();
    for (size_t o = 0; o < observers; ++o) {
        if (std::isnan(cx.observer[o]))
            continue;
        const double k = lineOffset(o);
        const int k0 = static_cast<int>(std::floor(k));
        const double t = ux * cx.ox[o] + uy * cx.oy[o];
        for (int side = 0; side < 2; ++side)
            queries.push_back({k0 + side, t + cx.nearField, static_cast<int>(o), side});
    }
    std::sort(queries.begin(), queries.end(), [](const LineQuery& a, const LineQuery& b) {
        return a.line != b.line ? a.line < b.line : a.key < b.key;
    });
    // Steepest points' angles per observer and side; -90: none.
    best.assign(observers * 2, -90.0f);
    const double span = cx.span;
    Hull toward(true), away(false);
    for (size_t q = 0; q < queries.size();) {
        const int line = queries[q].line;
        size_t end = q;
        while (end < queries.size() && queries[end].line == line)
            ++end;
        // The part of the line the queries reach: from the nearest key to the farthest plus the span.
        LineProfile(cx, byColumn, slope, ux, uy, line, queries[q].key, queries[end - 1].key + span, nodes);
        // First the hull of all the line ahead of each key: where the steepest point lies within
        // the reach it is the answer, as it mostly is.
        toward.Clear(nodes.size());
        size_t n = nodes.size();
        bool beyondReach = false;
        for (size_t e = end; e-- > q;) {
            LineQuery& query = queries[e];
            while (n > 0 && nodes[n - 1].t >= query.key)
                toward.Add(nodes[--n]);
            if (toward.Empty())
                continue;
            const ProfilePoint& steepest = toward.Steepest(AntennaOf(cx, query));
            if (steepest.t <= query.key + span)
                best[SlotOf(query)] = Angle(cx, query, steepest);
            else
                query.beyondReach = beyondReach = true;
        }
        if (beyondReach)
            WithinReach(cx, queries.data() + q, queries.data() + end, nodes, toward, away, best);
        q = end;
    }
    // Between the two lines each side of an observer, by its distance from each.
    for (size_t o = 0; o < observers; ++o) {
        if (std::isnan(cx.observer[o]))
            continue;
        const double k = lineOffset(o);
        const double f = k - std::floor(k);
        const float below = best[o * 2], above = best[o * 2 + 1];
        float v = below;
        if (below <= -90.0f)
            v = above;
        else if (above > -90.0f)
            v = static_cast<float>((1 - f) * below + f * above);
        far[o * static_cast<size_t>(cx.count) + static_cast<size_t>(i)] = v;
    }
}

// Runs work(w) on `workers` threads, the calling one as worker 0.
void OnWorkers(int workers, const std::function<void(int)>& work) {
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work, w);
        } catch (const std::system_error&) {
            break; // the others share what is left
        }
    }
    work(0);
    for (std::thread& t : threads)
        t.join();
}

} // namespace

int SweepSteps(int observers, const HorizonSettings& settings) {
    const int count = std::max(1, static_cast<int>(std::lround(360.0 / settings.step)));
    return count + (observers + kObserversPerStep - 1) / kObserversPerStep;
}

bool SweepHorizons(const ElevationGrid& grid, const std::vector<double>& latitude,
                   const std::vector<double>& longitude, const HorizonSettings& settings, int workers,
                   SweptHorizons& out, const std::function<void()>& tick, const double* centre) {
    if (!settings.Valid() || latitude.size() != longitude.size())
        return false;
    for (size_t o = 0; o < latitude.size(); ++o)
        if (!(std::fabs(latitude[o]) <= 89.0) || !std::isfinite(longitude[o]))
            return false;
    const int count = std::max(1, static_cast<int>(std::lround(360.0 / settings.step)));
    const size_t observers = latitude.size();
    out.count = count;
    out.step = 360.0 / count;
    out.elevation.assign(observers * static_cast<size_t>(count), -90.0f);
    out.ground.assign(observers, std::numeric_limits<float>::quiet_NaN());
    if (observers == 0 || grid.Rows() == 0)
        return true;
    workers = std::max(1, workers);

    // The area's centre, the projection about it and the model's nodes in it.
    const auto [south, north] = std::minmax_element(latitude.begin(), latitude.end());
    const auto [west, east] = std::minmax_element(longitude.begin(), longitude.end());
    const double lat0 = centre ? centre[0] : (*south + *north) / 2;
    const double lon0 = centre ? centre[1] : (*west + *east) / 2;
    const Plane plane(lat0, lon0);
    std::vector<double> ox(observers), oy(observers), observer(observers);
    for (size_t o = 0; o < observers; ++o) {
        plane.Project(latitude[o], longitude[o], ox[o], oy[o]);
        float h = 0;
        grid.Heights(&latitude[o], &longitude[o], 1, &h);
        out.ground[o] = h;
        observer[o] = std::isnan(h) ? std::numeric_limits<double>::quiet_NaN() : h + settings.antennaHeight;
    }
    // Lines of the sweep and steps along them as fine as the model's finer direction.
    const double lineSpacing =
        std::max(1.0, std::min(grid.LatitudeStep() * plane.MetresPerDegreeLatitude(),
                               grid.LongitudeStep() * plane.MetresPerDegreeLongitude()));
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    constexpr int kEdgePoints = 64;
    for (int k = 0; k <= kEdgePoints; ++k) {
        const double f = static_cast<double>(k) / kEdgePoints;
        const double edge[4][2] = {{grid.North(), grid.West() + f * (grid.East() - grid.West())},
                                   {grid.South(), grid.West() + f * (grid.East() - grid.West())},
                                   {grid.South() + f * (grid.North() - grid.South()), grid.West()},
                                   {grid.South() + f * (grid.North() - grid.South()), grid.East()}};
        for (const auto& e : edge) {
            double px, py;
            plane.Project(e[0], e[1], px, py);
            minX = std::min(minX, px), maxX = std::max(maxX, px);
            minY = std::min(minY, py), maxY = std::max(maxY, py);
        }
    }
    const double sinLat = std::sin(lat0 * kDeg);
    const double w2 = 1.0 - g_ellipsoid.e2 * sinLat * sinLat;
    const double gaussian = g_ellipsoid.a * std::sqrt(1.0 - g_ellipsoid.e2) / w2;
    const double spacing = std::max(1.0, grid.Spacing(lat0, lon0));
    const double nearField = std::min(settings.maxDistance, std::max(kSweepNearField, 16 * spacing));
    const auto rows = static_cast<size_t>(grid.Rows()), columns = static_cast<size_t>(grid.Columns());
    std::vector<float> transposed(rows * columns);
    for (size_t r = 0; r < rows; ++r)
        for (size_t c = 0; c < columns; ++c)
            transposed[c * rows + r] = grid.Data()[r * columns + c];
    const SweepContext cx{grid,
                          transposed,
                          plane,
                          lineSpacing,
                          minX,
                          maxX,
                          minY,
                          maxY,
                          gaussian / (1.0 - settings.refraction),
                          nearField,
                          std::max(settings.maxDistance - nearField, 1.0),
                          count,
                          ox,
                          oy,
                          observer};

    // The far field, azimuth by azimuth; the near, observer by observer.
    std::vector<float> far(out.elevation.size(), -90.0f);
    std::atomic<int> nextAzimuth{0}, nextChunk{0};
    const int chunks = static_cast<int>((observers + kObserversPerStep - 1) / kObserversPerStep);
    HorizonSettings nearSettings = settings;
    nearSettings.maxDistance = nearField;
    OnWorkers(workers, [&](int) {
        std::vector<LineQuery> queries;
        std::vector<float> best;
        std::vector<ProfilePoint> nodes;
        for (int i; (i = nextAzimuth++) < count;) {
            if (settings.maxDistance > nearField)
                SweepAzimuth(cx, i, far, queries, best, nodes);
            if (tick)
                tick();
        }
    });
    // The plane's north turns away from the meridian off its centre: each observer's entries are
    // read at its own azimuths.
    std::vector<double> turn(observers);
    for (size_t o = 0; o < observers; ++o) {
        double nx, ny;
        plane.Project(latitude[o] + 0.01, longitude[o], nx, ny);
        turn[o] = std::atan2(nx - ox[o], ny - oy[o]) / kDeg / out.step; // in entries
    }
    OnWorkers(workers, [&](int) {
        TerrainHorizon near;
        for (int k; (k = nextChunk++) < chunks;) {
            const size_t first = static_cast<size_t>(k) * kObserversPerStep;
            const size_t last = std::min(observers, first + kObserversPerStep);
            for (size_t o = first; o < last; ++o) {
                if (std::isnan(observer[o]) || ComputeHorizon(grid, latitude[o], longitude[o], 0,
                                                              nearSettings, near) != HorizonProblem::None)
                    continue;
                float* e = out.elevation.data() + o * static_cast<size_t>(count);
                const float* f = far.data() + o * static_cast<size_t>(count);
                for (int i = 0; i < count; ++i) {
                    const double at = i + turn[o];
                    const int j = static_cast<int>(std::floor(at));
                    const double w = at - j;
                    const float a = f[((j % count) + count) % count],
                                b = f[(((j + 1) % count) + count) % count];
                    const float v = a <= -90.0f   ? b
                                    : b <= -90.0f ? a
                                                  : static_cast<float>((1 - w) * a + w * b);
                    e[i] = std::max(near.elevation[static_cast<size_t>(i)], v);
                }
            }
            if (tick)
                tick();
        }
    });
    return true;
}
