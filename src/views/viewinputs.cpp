#include "views/viewinputs.h"

#include "sites/siteinfo.h"

bool ViewInputs::AnyAvailable(GnssSystem system) const {
    for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n)
        if (Available(SatelliteCatalogue::Index({system, n})))
            return true;
    return false;
}

ViewInputs InputsFromCalculator(const Calculator& calc, const PlanInterval& interval,
                                std::vector<ObstructionPolygon> obstructions) {
    ViewInputs in;
    for (int s = 0; s < SatelliteCatalogue::kSize; ++s) {
        in.status[s] = calc.status(s);
        in.channel[s] = calc.FrequencyNumber(s);
        in.samples[s] = calc.samples(s);
    }
    in.dop = {calc.pdop(), calc.gdop(), calc.hdop(), calc.vdop(), calc.tdop()};
    in.satelliteCount = calc.satelliteCount();
    in.solutionFlag = calc.solutionFlag();
    in.intervalFirst = calc.intervalFirst();
    in.intervalCount = calc.intervalCount();
    in.step = calc.step();
    in.mode = calc.mode();
    in.obstructionsOn = calc.obstructionsOn();
    in.elevationMask = calc.elevationMask();
    in.t0 = IntervalStartSeconds(interval);
    in.obstructions = std::move(obstructions);
    return in;
}

std::vector<ObstructionPolygon> ObstructionsOf(const SiteInfo* site) {
    std::vector<ObstructionPolygon> out;
    if (!site)
        return out;
    for (const Obstruction& o : site->obstructions)
        out.push_back(o.Vertices());
    return out;
}

std::vector<point<double>> SkylineOf(const SiteInfo* site) {
    std::vector<point<double>> out;
    if (!site || !site->terrain || site->terrain->Count() == 0)
        return out;
    const TerrainHorizon& h = *site->terrain;
    for (int i = 0; i <= h.Count(); ++i)
        out.emplace_back(h.elevation[static_cast<size_t>(i % h.Count())], i * h.step);
    return out;
}
