#include "engine/navconsistency.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

std::vector<RecordAtOdds> RecordsAtOdds(const std::vector<double>& times,
                                        const std::function<bool(size_t, double, double*)>& position) {
    const size_t n = times.size();
    std::vector<size_t> group(n);
    std::iota(group.begin(), group.end(), size_t{0});
    auto root = [&group](size_t i) {
        while (group[i] != i)
            i = group[i] = group[group[i]];
        return i;
    };
    struct Conflict {
        size_t a, b;
        double distance;
    };
    std::vector<Conflict> conflicts;
    for (size_t i = 0; i < n; ++i) {
        int agreed = 0, compared = 0;
        for (size_t j = i + 1; j < n && compared < kConsistencyPartners && agreed < 2 &&
                               times[j] - times[i] <= kConsistencyReach;
             ++j) {
            const double middle = 0.5 * (times[i] + times[j]);
            double p[3], q[3];
            if (!position(i, middle, p) || !position(j, middle, q))
                continue;
            ++compared;
            const double distance = std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
            if (distance <= kConsistentDistance) {
                group[root(j)] = root(i);
                ++agreed;
            } else {
                conflicts.push_back({i, j, distance});
            }
        }
    }
    if (conflicts.empty())
        return {};
    std::vector<size_t> size(n, 0);
    for (size_t i = 0; i < n; ++i)
        ++size[root(i)];
    std::vector<size_t> roots;
    for (size_t i = 0; i < n; ++i)
        if (root(i) == i)
            roots.push_back(i);
    std::stable_sort(roots.begin(), roots.end(), [&size](size_t a, size_t b) { return size[a] > size[b]; });
    enum State : uint8_t { Open, Stands, Out };
    std::vector<State> state(n, Open);
    auto atOdds = [&](size_t g, State with, size_t equalSize) {
        for (const Conflict& c : conflicts) {
            const size_t a = root(c.a), b = root(c.b);
            if (a == b || (a != g && b != g))
                continue;
            const size_t other = a == g ? b : a;
            if (state[other] == with && (equalSize == 0 || size[other] == equalSize))
                return true;
        }
        return false;
    };
    for (size_t first = 0; first < roots.size();) {
        size_t end = first;
        while (end < roots.size() && size[roots[end]] == size[roots[first]])
            ++end;
        for (size_t g = first; g < end; ++g)
            if (atOdds(roots[g], Stands, 0))
                state[roots[g]] = Out;
        std::vector<size_t> tied;
        for (size_t g = first; g < end; ++g)
            if (state[roots[g]] == Open && atOdds(roots[g], Open, size[roots[g]]))
                tied.push_back(roots[g]);
        for (size_t g : tied)
            state[g] = Out;
        for (size_t g = first; g < end; ++g)
            if (state[roots[g]] == Open)
                state[roots[g]] = Stands;
        first = end;
    }
    // Each record left out is named with the least disagreement found for it, else for its group.
    constexpr double kNone = std::numeric_limits<double>::infinity();
    std::vector<double> own(n, kNone), ofGroup(n, kNone);
    for (const Conflict& c : conflicts)
        for (size_t i : {c.a, c.b}) {
            own[i] = std::min(own[i], c.distance);
            ofGroup[root(i)] = std::min(ofGroup[root(i)], c.distance);
        }
    std::vector<RecordAtOdds> out;
    for (size_t i = 0; i < n; ++i)
        if (state[root(i)] == Out)
            out.push_back({i, own[i] < kNone ? own[i] : ofGroup[root(i)]});
    return out;
}
