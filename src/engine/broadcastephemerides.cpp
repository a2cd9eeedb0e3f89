#include "engine/broadcastephemerides.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <type_traits>

#include "engine/vectorkernels.h"

namespace {

// A prepared Keplerian record's time, or a GLONASS record's.
template <typename Prepared> double TimeOf(const Prepared& p) {
    return p.record.toeGps;
}
double TimeOf(const GlonassEphemeris& g) {
    return g.tbGps;
}

// Records within a millisecond are one issue.
constexpr double kSameTime = 1e-3;
// Instants this near an edge where the nearest or serving record may change are each looked up:
// rounding decides there. Far above the rounding of times near 2^31 s.
constexpr double kEdgeMargin = 1e-3; // s

// `edge` becomes the earlier of itself and `e`, where `e` is not before `t`: an edge at t itself
// counts, for what holds there may not hold after it. An `e` that is not a number leaves no
// stretch (edge = t).
void KeepEarliest(double t, double e, double& edge) {
    if (e >= t)
        edge = std::min(edge, e);
    else if (std::isnan(e))
        edge = t;
}

template <typename Record> void Insert(std::vector<Record>& list, const Record& record) {
    const double t = TimeOf(record);
    auto at = std::lower_bound(list.begin(), list.end(), t - kSameTime,
                               [](const Record& r, double v) { return TimeOf(r) < v; });
    if (at != list.end() && std::fabs(TimeOf(*at) - t) <= kSameTime) {
        if constexpr (!std::is_same_v<Record, GlonassEphemeris>) {
            // Galileo sends each ephemeris on I/NAV and F/NAV: the I/NAV one, first in the order, is kept.
            if (record.record.message < at->record.message)
                *at = record;
        }
        return;
    }
    list.insert(at, record);
}

// How far from its reference time a record serves. A Keplerian orbit keeps its shape for months and
// serves as an almanac beyond its fit, its age stated where plans are reported; GLONASS state vectors
// are integrated, and drift too far within days.
double ReachOf(const std::vector<GlonassEphemeris>&) {
    return kGlonassReach;
}
template <typename Record> double ReachOf(const std::vector<Record>&) {
    return std::numeric_limits<double>::infinity();
}

// The record nearest `t` of the two around `after` (the first at or after `t`), if within reach.
template <typename Record>
const Record* NearestAround(const std::vector<Record>& list, size_t after, double t) {
    if (list.empty())
        return nullptr;
    const Record* nearest = nullptr;
    if (after == list.size())
        nearest = &list.back();
    else if (after == 0)
        nearest = &list[0];
    else
        nearest = t - TimeOf(list[after - 1]) < TimeOf(list[after]) - t ? &list[after - 1] : &list[after];
    return std::fabs(t - TimeOf(*nearest)) <= ReachOf(list) ? nearest : nullptr;
}

template <typename Record> size_t FirstFrom(const std::vector<Record>& list, double t) {
    return static_cast<size_t>(std::lower_bound(list.begin(), list.end(), t,
                                                [](const Record& r, double v) { return TimeOf(r) < v; }) -
                               list.begin());
}

template <typename Record> const Record* Nearest(const std::vector<Record>& list, double t) {
    return NearestAround(list, FirstFrom(list, t), t);
}

// Nearest for instants that ascend, as a day's samples do: each search starts where the last ended.
template <typename Record> class NearestCursor {
public:
    explicit NearestCursor(const std::vector<Record>& list) : list_(list) {}
    const Record* operator()(double t) {
        if (after_ > 0 && TimeOf(list_[after_ - 1]) >= t)
            after_ = FirstFrom(list_, t); // an instant before the last
        while (after_ < list_.size() && TimeOf(list_[after_]) < t)
            ++after_;
        return NearestAround(list_, after_, t);
    }

    // The first instant from `t`, the last instant looked up, at which the nearest record may
    // change: the next midpoint between two records, or a record's reach beginning or ending.
    double NextChange(double t) const {
        double edge = std::numeric_limits<double>::infinity();
        if (after_ > 0)
            KeepEarliest(t, TimeOf(list_[after_ - 1]) + ReachOf(list_), edge);
        if (after_ < list_.size())
            KeepEarliest(t, TimeOf(list_[after_]) - ReachOf(list_), edge);
        for (size_t i = after_ > 0 ? after_ - 1 : 0; i + 1 < list_.size(); ++i)
            if (const double middle = 0.5 * (TimeOf(list_[i]) + TimeOf(list_[i + 1])); middle >= t)
                return std::min(edge, middle);
        return edge;
    }

private:
    const std::vector<Record>& list_;
    size_t after_ = 0;
};

// A GLONASS satellite's instants in the order they are integrated: the instants served by one
// record are reached outwards from it, those before it backwards, so that each stretch of the
// orbit is integrated once. gpsOf(k) is instant k on the GPS count; start(g) begins again from
// record g; to(g, gps, k) takes the state on to instant k and stores it, false to stop. false when
// an instant has no record within reach.
template <typename GpsOf, typename Start, typename To>
bool GlonassWalk(const std::vector<GlonassEphemeris>& glonass, int count, GpsOf&& gpsOf, Start&& start,
                 To&& to) {
    NearestCursor nearest(glonass);
    int k = 0;
    const GlonassEphemeris* next = count > 0 ? nearest(gpsOf(0)) : nullptr;
    while (k < count) {
        const GlonassEphemeris* g = next;
        if (g == nullptr)
            return false;
        // The record serves on unlooked-up to the next edge; near it, and beyond, each instant asks.
        const double from = gpsOf(k), until = nearest.NextChange(from) - kEdgeMargin;
        int end = k + 1;
        while (end < count && gpsOf(end) >= from && gpsOf(end) < until)
            ++end;
        while (end < count && (next = nearest(gpsOf(end))) == g)
            ++end;
        int split = k; // first sample at or after the record
        while (split < end && gpsOf(split) < g->tbGps)
            ++split;
        start(*g);
        for (int j = split - 1; j >= k; --j)
            if (!to(*g, gpsOf(j), j))
                return false;
        start(*g);
        for (int j = split; j < end; ++j)
            if (!to(*g, gpsOf(j), j))
                return false;
        k = end;
    }
    return true;
}

// Several satellites' integrations laid out for the GLONASS kernel, one lane each: each lane's
// walk becomes its operations (begin again, step, store), the lanes then run side by side.
class GlonassLanes {
public:
    // Every operation's slot idle again: what a lane does not plan, it leaves so.
    explicit GlonassLanes(GlonassWork& work) : w_(work) {
        // One size for all, should a growth have run out of memory half-way.
        const size_t size = std::min(
            {w_.start.size(), w_.store.size(), w_.h.size(), w_.ax.size(), w_.ay.size(), w_.az.size()});
        Resize(size);
        const size_t used = std::min(
            size, static_cast<size_t>(*std::max_element(w_.length.begin(), w_.length.end())) * kGlonassLanes);
        std::fill_n(w_.start.begin(), used, -1);
        std::fill_n(w_.store.begin(), used, -1);
        for (std::vector<double>* v : {&w_.h, &w_.ax, &w_.ay, &w_.az})
            std::fill_n(v->begin(), used, 0.0);
        w_.length.fill(0);
        w_.records.clear();
    }

    // Lays out lane l's walk over `count` instants of the GPS count, straight into its slots;
    // false, the lane left idle, where the walk fails.
    bool Plan(int l, const std::vector<GlonassEphemeris>& glonass, const double* gps, int count) {
        int& n = w_.length[static_cast<size_t>(l)];
        const auto at = [l](int t) {
            return static_cast<size_t>(t) * kGlonassLanes + static_cast<size_t>(l);
        };
        const auto add = [&] { // a fresh operation, its slot idle
            const size_t needed = at(n) + kGlonassLanes - static_cast<size_t>(l);
            if (needed > w_.start.size())
                Resize(std::max(needed, 2 * w_.start.size()));
            return at(n++);
        };
        double t = 0;
        const bool ok = GlonassWalk(
            glonass, count, [gps](int k) { return gps[k]; },
            [&](const GlonassEphemeris& g) {
                w_.start[add()] = Record(g);
                t = g.tbGps;
            },
            [&](const GlonassEphemeris& g, double instant, int k) {
                if (!GlonassSteps(g, t, instant, [&](const double* lunisolar, double h) {
                        // A step after a fresh start or nothing shares its operation.
                        const size_t op =
                            n > 0 && w_.h[at(n - 1)] == 0 && w_.store[at(n - 1)] < 0 ? at(n - 1) : add();
                        w_.h[op] = h;
                        if (lunisolar != nullptr) {
                            w_.ax[op] = lunisolar[0];
                            w_.ay[op] = lunisolar[1];
                            w_.az[op] = lunisolar[2];
                        }
                    }))
                    return false;
                t = instant;
                w_.store[n > 0 && w_.store[at(n - 1)] < 0 ? at(n - 1) : add()] = k;
                return true;
            });
        if (!ok) {
            for (int op = 0; op < n; ++op) {
                w_.start[at(op)] = w_.store[at(op)] = -1;
                w_.h[at(op)] = w_.ax[at(op)] = w_.ay[at(op)] = w_.az[at(op)] = 0;
            }
            n = 0;
        }
        return ok;
    }

    // The lanes side by side; xyz[l] of the lanes not done stays as it was.
    void Run(const VectorKernels& kernels, double* const* xyz, const bool* done, int lanes) {
        const int length = *std::max_element(w_.length.begin(), w_.length.end());
        double* out[kGlonassLanes] = {};
        for (int l = 0; l < lanes; ++l)
            out[l] = done[l] ? xyz[l] : nullptr;
        const GlonassKernelProgram program{length,       w_.start.data(), w_.store.data(),  w_.h.data(),
                                           w_.ax.data(), w_.ay.data(),    w_.az.data(),     w_.records.data(),
                                           kGlonassMu,   kGlonassJ2Term,  kGlonassEarthRate};
        kernels.glonassBroadcast(program, out);
    }

private:
    void Resize(size_t size) {
        w_.start.resize(size, -1);
        w_.store.resize(size, -1);
        for (std::vector<double>* v : {&w_.h, &w_.ax, &w_.ay, &w_.az})
            v->resize(size, 0.0);
    }
    int32_t Record(const GlonassEphemeris& g) {
        const auto id = static_cast<int32_t>(w_.records.size() / 6);
        w_.records.insert(w_.records.end(), g.position, g.position + 3);
        w_.records.insert(w_.records.end(), g.velocity, g.velocity + 3);
        return id;
    }
    GlonassWork& w_;
};

BroadcastEphemerides::PreparedKepler Prepare(const KeplerEphemeris& k) {
    return {k, PrepareKepler(k)};
}

bool ValidIndex(int index) {
    return index >= 0 && index < SatelliteCatalogue::kSize;
}

} // namespace

void BroadcastEphemerides::Add(const NavigationFile& file) {
    if (!leap_.known() && file.leapSeconds.known())
        leap_ = file.leapSeconds;
    for (const KeplerEphemeris& k : file.kepler) {
        const int index = SatelliteCatalogue::Index(k.satellite);
        if (ValidIndex(index))
            Insert((k.message == NavMessage::Almanac ? almanac_
                    : IsModernMessage(k.message)     ? modern_
                                                     : kepler_)[index],
                   Prepare(k));
    }
    for (const GlonassEphemeris& g : file.glonass) {
        const int index = SatelliteCatalogue::Index(g.satellite);
        if (ValidIndex(index))
            Insert(glonass_[index], g);
    }
}

void BroadcastEphemerides::Clear() {
    for (auto& list : kepler_)
        list.clear();
    for (auto& list : modern_)
        list.clear();
    for (auto& list : almanac_)
        list.clear();
    for (auto& list : glonass_)
        list.clear();
    leap_ = LeapSeconds{};
}

void BroadcastEphemerides::DropAfter(double gps) {
    for (auto* lists : {&kepler_, &modern_, &almanac_})
        for (auto& list : *lists)
            std::erase_if(list, [gps](const PreparedKepler& k) { return k.record.toeGps > gps; });
    for (auto& list : glonass_)
        std::erase_if(list, [gps](const GlonassEphemeris& g) { return g.tbGps > gps; });
}

int BroadcastEphemerides::RecordCount() const {
    size_t n = 0;
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
        n += kepler_[i].size() + modern_[i].size() + almanac_[i].size() + glonass_[i].size();
    return static_cast<int>(n);
}

bool BroadcastEphemerides::Coverage(GnssSystem system, int& satellites, double& firstUtc,
                                    double& lastUtc) const {
    satellites = 0;
    double first = std::numeric_limits<double>::infinity(), last = -first;
    for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n) {
        const int i = SatelliteCatalogue::Index({system, n});
        if (!Has(i))
            continue;
        ++satellites;
        for (const auto* list : {&kepler_[i], &modern_[i], &almanac_[i]})
            for (const PreparedKepler& k : *list) {
                first = std::min(first, k.record.toeGps);
                last = std::max(last, k.record.toeGps);
            }
        for (const GlonassEphemeris& g : glonass_[i]) {
            first = std::min(first, g.tbGps);
            last = std::max(last, g.tbGps);
        }
    }
    if (satellites == 0)
        return false;
    firstUtc = GpsToUtc(first, leap_);
    lastUtc = GpsToUtc(last, leap_);
    return true;
}

bool BroadcastEphemerides::Has(int index) const {
    return ValidIndex(index) && (!kepler_[index].empty() || !modern_[index].empty() ||
                                 !almanac_[index].empty() || !glonass_[index].empty());
}

namespace {

// Of the nearest legacy, modern and almanac records (the last looked up only when needed), the one
// that serves at `gps`: a legacy record within its fit, else a modern one within its fit, else the
// nearest in time, the legacy one first of those as near.
template <typename Prepared, typename AlmanacLookup>
const Prepared* Serving(double gps, const Prepared* legacy, const Prepared* modern, AlmanacLookup&& almanac) {
    const auto holds = [gps](const Prepared* k) {
        return k != nullptr && std::fabs(gps - k->record.toeGps) <= k->record.fitHours * 1800.0;
    };
    if (holds(legacy))
        return legacy;
    if (holds(modern))
        return modern;
    const Prepared* best = nullptr;
    for (const Prepared* k : {legacy, modern, almanac()})
        if (k != nullptr &&
            (best == nullptr || std::fabs(gps - k->record.toeGps) < std::fabs(gps - best->record.toeGps)))
            best = k;
    return best;
}

// Serving for instants that ascend. The record found at one instant serves on, unlooked-up, until
// the first edge where the rule's answer may change: a list's nearest record changing, a nearest
// record's fit ending or beginning, two nearest records becoming as near. Instants within
// kEdgeMargin of an edge, where rounding decides, are each looked up.
template <typename Prepared> class ServingCursor {
public:
    ServingCursor(const std::vector<Prepared>& legacy, const std::vector<Prepared>& modern,
                  const std::vector<Prepared>& almanac)
        : legacy_(legacy), modern_(modern), almanac_(almanac) {}

    const Prepared* operator()(double t) {
        if (t >= from_ && t < until_)
            return serving_;
        const Prepared *l = legacy_(t), *m = modern_(t), *a = almanac_(t);
        serving_ = Serving(t, l, m, [a] { return a; });
        double edge = std::min({legacy_.NextChange(t), modern_.NextChange(t), almanac_.NextChange(t)});
        for (const Prepared* k : {l, m})
            if (k != nullptr) {
                KeepEarliest(t, k->record.toeGps - k->record.fitHours * 1800.0, edge);
                KeepEarliest(t, k->record.toeGps + k->record.fitHours * 1800.0, edge);
            }
        const Prepared* nearest[] = {l, m, a};
        for (int i = 0; i < 3; ++i)
            for (int j = i + 1; j < 3; ++j)
                if (nearest[i] != nullptr && nearest[j] != nullptr)
                    KeepEarliest(t, 0.5 * (nearest[i]->record.toeGps + nearest[j]->record.toeGps), edge);
        from_ = t;
        until_ = edge - kEdgeMargin;
        return serving_;
    }

private:
    NearestCursor<Prepared> legacy_, modern_, almanac_;
    const Prepared* serving_ = nullptr;
    double from_ = 0, until_ = 0; // empty
};

} // namespace

const BroadcastEphemerides::PreparedKepler* BroadcastEphemerides::ServingKepler(int index, double gps) const {
    return Serving(gps, Nearest(kepler_[index], gps), Nearest(modern_[index], gps),
                   [&] { return Nearest(almanac_[index], gps); });
}

const KeplerEphemeris* BroadcastEphemerides::NearestKepler(int index, double gps) const {
    const PreparedKepler* k = ValidIndex(index) ? ServingKepler(index, gps) : nullptr;
    return k != nullptr ? &k->record : nullptr;
}

const GlonassEphemeris* BroadcastEphemerides::NearestGlonass(int index, double gps) const {
    return ValidIndex(index) ? Nearest(glonass_[index], gps) : nullptr;
}

SatelliteHealth BroadcastEphemerides::HealthAt(int index, double utc) const {
    const double gps = UtcToGps(utc);
    if (const KeplerEphemeris* k = NearestKepler(index, gps))
        return k->healthy ? SatelliteHealth::Healthy : SatelliteHealth::Unhealthy;
    if (const GlonassEphemeris* g = NearestGlonass(index, gps))
        return g->healthy ? SatelliteHealth::Healthy : SatelliteHealth::Unhealthy;
    return SatelliteHealth::NoOrbit;
}

bool BroadcastEphemerides::Position(int index, double utc, double xyz[3]) const {
    return Positions(index, &utc, 1, xyz);
}

bool BroadcastEphemerides::Positions(int index, const double* utc, int count, double* xyz) const {
    if (!Has(index))
        return false;
    if (glonass_[index].empty()) {
        // Each instant's record first, then their positions a block at a time.
        constexpr int kBlock = 64;
        KeplerCarry carry;
        ServingCursor serving(kepler_[index], modern_[index], almanac_[index]);
        // The offset steps once (a header's) or only upwards (the table's): the same at both ends of
        // ascending instants, it holds between them.
        const int offset = count > 0 ? GpsMinusUtc(leap_, utc[0]) : 0;
        const bool oneOffset = count > 0 && offset == GpsMinusUtc(leap_, utc[count - 1]);
        for (int first = 0; first < count; first += kBlock) {
            const int n = std::min(kBlock, count - first);
            const KeplerEphemeris* records[kBlock];
            const KeplerTerms* terms[kBlock];
            double gps[kBlock];
            int served = 0;
            for (; served < n; ++served) {
                gps[served] = oneOffset ? utc[first + served] + offset : UtcToGps(utc[first + served]);
                const PreparedKepler* e = serving(gps[served]);
                if (e == nullptr)
                    break;
                records[served] = &e->record;
                terms[served] = &e->terms;
            }
            KeplerPositions(records, terms, gps, served, carry, xyz + 3 * static_cast<size_t>(first));
            if (served < n)
                return false;
        }
        return true;
    }
    GlonassState state;
    return GlonassWalk(
        glonass_[index], count, [this, utc](int k) { return UtcToGps(utc[k]); },
        [&state](const GlonassEphemeris& g) { state = GlonassStart(g); },
        [&state, xyz](const GlonassEphemeris& g, double gps, int k) {
            if (!GlonassIntegrate(g, state, gps))
                return false;
            for (int i = 0; i < 3; ++i)
                xyz[3 * static_cast<size_t>(k) + i] = state.position[i];
            return true;
        });
}

void BroadcastEphemerides::GlonassPositions(const int* index, int satellites, const double* utc, int count,
                                            double* const* xyz, bool* done, GlonassWork& work) const {
    std::fill(done, done + satellites, false);
    const VectorKernels* kernels = ActiveKernels();
    if (satellites <= 0 || kernels == nullptr || kernels->glonassBroadcast == nullptr)
        return;
    try {
        std::vector<double>& gps = work.gps;
        gps.resize(static_cast<size_t>(count));
        for (int k = 0; k < count; ++k)
            gps[static_cast<size_t>(k)] = UtcToGps(utc[k]);
        for (int first = 0; first < satellites; first += kGlonassLanes) {
            const int lanes = std::min(kGlonassLanes, satellites - first);
            GlonassLanes program(work);
            for (int l = 0; l < lanes; ++l) {
                const int i = index[first + l];
                done[first + l] =
                    ValidIndex(i) && !glonass_[i].empty() && program.Plan(l, glonass_[i], gps.data(), count);
            }
            program.Run(*kernels, xyz + first, done + first, lanes);
        }
    } catch (const std::bad_alloc&) {
        std::fill(done, done + satellites, false); // the caller goes the scalar way
    }
}
