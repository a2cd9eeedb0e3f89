#include "engine/windowsearch.h"

#include <algorithm>

#include "engine/almanac.h"

namespace {

// `seconds`: the sample's local time from midnight of the first date; `k` its index.
bool WithinHours(int64_t seconds, int32_t k, const WindowConditions& c) {
    const int32_t from = c.dailyFrom, to = c.dailyTo;
    if (from == to || (from == 0 && to >= kSecondsPerDay))
        return true;
    const auto time = static_cast<int32_t>(((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay);
    if (from < to) // 24:00 as the end is the next day's 00:00, but not the very first sample's
        return (from <= time && time <= to) || (to >= kSecondsPerDay && time == 0 && k > 0);
    return time >= from || time <= to;
}

SatelliteSet CommonAt(const std::vector<const SiteSeries*>& sites, int32_t k) {
    SatelliteSet common;
    common.set();
    for (const SiteSeries* s : sites)
        common &= s->usable[static_cast<size_t>(k)];
    return common;
}

Window Describe(const std::vector<const SiteSeries*>& sites, int32_t first, int32_t last) {
    Window w;
    const int32_t step = sites.front()->step;
    w.first = first;
    w.last = last;
    w.start = first * step;
    w.end = last * step;
    w.fewestCommon = SatelliteCatalogue::kSize;
    double sum = 0;
    bool firstFigure = true;
    for (const SiteSeries* s : sites) {
        SiteWindowFigures f;
        double siteSum = 0;
        for (int32_t k = first; k <= last; ++k) {
            const size_t i = static_cast<size_t>(k);
            const float p = s->pdop[i];
            if (k == first || p > f.worstPdop)
                f.worstPdop = p;
            if (k == first || s->satellites[i] < f.fewestSatellites)
                f.fewestSatellites = s->satellites[i];
            siteSum += p;
        }
        f.meanPdop = static_cast<float>(siteSum / (last - first + 1));
        sum += siteSum;
        if (firstFigure || f.worstPdop > w.worstPdop)
            w.worstPdop = f.worstPdop;
        if (firstFigure || f.fewestSatellites < w.fewestSatellites)
            w.fewestSatellites = f.fewestSatellites;
        firstFigure = false;
        w.sites.push_back(f);
    }
    w.meanPdop =
        static_cast<float>(sum / (static_cast<double>(last - first + 1) * static_cast<double>(sites.size())));
    for (int32_t k = first; k <= last; ++k) {
        const SatelliteSet common = CommonAt(sites, k);
        w.common |= common;
        w.fewestCommon = std::min(w.fewestCommon, static_cast<int32_t>(common.count()));
    }
    return w;
}

} // namespace

bool WithinDailyHours(const SiteSeries& s, int32_t k, const WindowConditions& c) {
    return WithinHours(static_cast<int64_t>(k) * s.step + s.clockShift, k, c);
}

bool MeetsConditions(const SiteSeries& s, int32_t k, const WindowConditions& c) {
    const size_t i = static_cast<size_t>(k);
    const float pdop = s.pdop[i];
    return s.solution[i] == 1 && pdop > 0 && (c.maxPdop <= 0 || pdop <= c.maxPdop) &&
           s.satellites[i] >= c.minSatellites &&
           WithinHours(static_cast<int64_t>(k) * s.step + s.clockShift, k, c);
}

std::vector<Window> FindWindows(const std::vector<const SiteSeries*>& sites, const WindowConditions& c) {
    std::vector<Window> windows;
    if (sites.empty() || sites.front()->step <= 0)
        return windows;
    const int32_t count = sites.front()->Count();
    for (const SiteSeries* s : sites) {
        const size_t n = static_cast<size_t>(count);
        if (s->step != sites.front()->step || s->Count() != count || s->satellites.size() != n ||
            s->solution.size() != n || s->usable.size() != n)
            return windows;
    }
    const auto good = [&](int32_t k) {
        for (const SiteSeries* s : sites)
            if (!MeetsConditions(*s, k, c))
                return false;
        return static_cast<int>(CommonAt(sites, k).count()) >= c.minCommon;
    };
    for (int32_t k = 0; k < count;) {
        if (!good(k)) {
            ++k;
            continue;
        }
        int32_t last = k;
        while (last + 1 < count && good(last + 1))
            ++last;
        if ((last - k) * sites.front()->step >= c.minLength)
            windows.push_back(Describe(sites, k, last));
        k = last + 1;
    }
    return windows;
}

void SortWindows(std::vector<Window>& windows, WindowOrder order) {
    const auto earlier = [](const Window& a, const Window& b) { return a.start < b.start; };
    switch (order) {
    case WindowOrder::Time:
        std::stable_sort(windows.begin(), windows.end(), earlier);
        break;
    case WindowOrder::Length:
        std::stable_sort(windows.begin(), windows.end(), [&](const Window& a, const Window& b) {
            return a.Length() != b.Length() ? a.Length() > b.Length() : earlier(a, b);
        });
        break;
    case WindowOrder::Pdop:
        std::stable_sort(windows.begin(), windows.end(), [&](const Window& a, const Window& b) {
            if (a.worstPdop != b.worstPdop)
                return a.worstPdop < b.worstPdop;
            if (a.meanPdop != b.meanPdop)
                return a.meanPdop < b.meanPdop;
            return a.Length() != b.Length() ? a.Length() > b.Length() : earlier(a, b);
        });
        break;
    }
}
