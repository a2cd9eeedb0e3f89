#include "sites/terrainhorizon.h"

#include <algorithm>
#include <cmath>

double TerrainHorizon::ElevationAt(double azimuth) const {
    const int n = Count();
    if (n == 0 || !(step > 0))
        return -90.0;
    double a = std::fmod(azimuth, 360.0);
    if (a < 0)
        a += 360.0;
    if (!(a >= 0 && a < 360.0)) // NaN, or -0.0 + 360 rounding up
        a = 0;
    const double f = a / step;
    int i = static_cast<int>(f);
    const double t = f - i;
    i %= n;
    const int j = (i + 1) % n;
    return elevation[static_cast<size_t>(i)] * (1.0 - t) + elevation[static_cast<size_t>(j)] * t;
}

std::vector<int> TerrainHorizon::CutShortEntries() const {
    std::vector<int> cut;
    for (size_t i = 0; i < cutShort.size(); ++i)
        if (cutShort[i] > 0)
            cut.push_back(static_cast<int>(i));
    return cut;
}

namespace {

struct Corner {
    double azimuth, elevation;
};

// Douglas-Peucker on elevation against azimuth: keeps first and last, and every corner needed to
// stay within `tolerance` degrees of elevation.
void Simplify(const std::vector<Corner>& in, size_t first, size_t last, double tolerance,
              std::vector<bool>& keep) {
    if (last <= first + 1)
        return;
    const Corner &a = in[first], &b = in[last];
    double worst = -1;
    size_t at = first;
    for (size_t k = first + 1; k < last; ++k) {
        const double t = (in[k].azimuth - a.azimuth) / (b.azimuth - a.azimuth);
        const double d = std::fabs(in[k].elevation - (a.elevation + t * (b.elevation - a.elevation)));
        if (d > worst) {
            worst = d;
            at = k;
        }
    }
    if (worst <= tolerance)
        return;
    keep[at] = true;
    Simplify(in, first, at, tolerance, keep);
    Simplify(in, at, last, tolerance, keep);
}

// Edges are straight on the sky plot's disc, not along circles of equal elevation: corners at most
// 2 degrees of azimuth apart keep them within a hundredth of a degree of the skyline between.
std::vector<Corner> Subdivided(const std::vector<Corner>& in) {
    std::vector<Corner> out;
    for (size_t k = 0; k < in.size(); ++k) {
        if (k > 0) {
            const Corner &a = in[k - 1], &b = in[k];
            const int pieces = static_cast<int>(std::ceil((b.azimuth - a.azimuth) / 2.0 - 1e-9));
            for (int p = 1; p < pieces; ++p) {
                const double t = static_cast<double>(p) / pieces;
                out.push_back(
                    {a.azimuth + t * (b.azimuth - a.azimuth), a.elevation + t * (b.elevation - a.elevation)});
            }
        }
        out.push_back(in[k]);
    }
    return out;
}

std::vector<Corner> Simplified(const std::vector<Corner>& run, double tolerance, int maxCorners) {
    // The tolerance grows until the outline fits what the file's outline may hold.
    for (double tol = std::max(tolerance, 1e-3);; tol *= 1.5) {
        std::vector<bool> keep(run.size(), false);
        keep.front() = keep.back() = true;
        Simplify(run, 0, run.size() - 1, tol, keep);
        std::vector<Corner> out;
        for (size_t k = 0; k < run.size(); ++k)
            if (keep[k])
                out.push_back(run[k]);
        out = Subdivided(out);
        if (static_cast<int>(out.size()) <= maxCorners || tol > 90)
            return out;
    }
}

} // namespace

std::vector<Obstruction> HorizonOutlines(const TerrainHorizon& h, double tolerance, int maxVertices) {
    std::vector<Obstruction> outlines;
    const int n = h.Count();
    if (n == 0)
        return outlines;
    auto above = [&](int i) { return h.elevation[static_cast<size_t>(((i % n) + n) % n)] > 0; };
    // Start the walk at an entry on or below the horizontal, so that no run is split at azimuth 0.
    int start = 0;
    while (start < n && above(start))
        ++start;
    const bool ring = start == n;
    if (ring)
        start = 0;
    // What the horizontal back adds: one corner every 2 degrees (CloseOutline's own rule), two ends.
    auto backCorners = [&](double span) { return static_cast<int>(std::ceil(span / 2.0)) + 1; };
    for (int i = start; i < start + n;) {
        if (!ring && !above(i)) {
            ++i;
            continue;
        }
        // The run from the crossing before its first entry to the crossing after its last one.
        const int first = i;
        int last = i;
        while (last + 1 < start + n && (ring || above(last + 1)))
            ++last;
        i = last + 1;
        std::vector<Corner> run;
        auto entry = [&](int k) {
            return Corner{k * h.step,
                          static_cast<double>(h.elevation[static_cast<size_t>(((k % n) + n) % n)])};
        };
        auto crossing = [&](int inside, int outside) {
            const Corner a = entry(inside), b = entry(outside);
            const double t = a.elevation / (a.elevation - b.elevation);
            return Corner{a.azimuth + t * (b.azimuth - a.azimuth), 0.0};
        };
        if (ring) {
            for (int k = first; k <= first + n; ++k)
                run.push_back(entry(k));
        } else {
            run.push_back(crossing(first, first - 1));
            for (int k = first; k <= last; ++k)
                run.push_back(entry(k));
            run.push_back(crossing(last, last + 1));
        }
        if (run.front().azimuth >= 360.0)
            for (Corner& c : run)
                c.azimuth -= 360.0;
        const double span = run.back().azimuth - run.front().azimuth;
        const int room = std::max(4, maxVertices - backCorners(span));
        const std::vector<Corner> skyline = Simplified(run, tolerance, room);
        Obstruction o;
        for (const Corner& c : skyline)
            o.Add(point<double>(c.elevation, c.azimuth));
        // Back along the horizontal in steps of at most 2 degrees; for the whole turn the seam is
        // drawn twice, so that it hides nothing.
        const double from = skyline.back().azimuth, to = skyline.front().azimuth;
        const int steps = static_cast<int>(std::ceil((from - to) / 2.0));
        for (int k = ring ? 0 : 1; k < steps; ++k)
            o.Add(point<double>(0.0, from - (from - to) * k / steps));
        if (ring)
            o.Add(point<double>(0.0, to));
        o.Add(point<double>(skyline.front().elevation, to));
        outlines.push_back(o);
    }
    return outlines;
}
