// The sample scene the views' benchmark and screenshots draw: the shipped two-system almanac of
// 2018-09-13 over a site with two obstructions, computed by the engine.
#pragma once

#include <memory>
#include <string>

#include "engine/calculator.h"
#include "engine/planinterval.h"
#include "sites/siteinfo.h"

namespace views_scene {

struct Scene {
    Calculator calc;
    SiteInfo site{55.75, 37.62, 150, "Sparrow Hills", "Roof of the main building, east parapet", 3};
    PlanInterval interval{13, 9, 2018, 0, 0, 24, 0};
};

inline void AddOutline(SiteInfo& site, std::initializer_list<point<double>> vertices) {
    Obstruction o;
    for (const point<double>& v : vertices)
        o.Add(v);
    site.obstructions.Add(o);
}

// Null when the almanac cannot be loaded.
inline std::unique_ptr<Scene> MakeScene(const std::string& almanacPath, int step) {
    auto scene = std::make_unique<Scene>();
    AddOutline(scene->site, {{0, 80}, {35, 95}, {28, 130}, {0, 140}, {0, 80}});
    AddOutline(scene->site, {{0, 250}, {15, 255}, {20, 290}, {10, 300}, {0, 300}, {0, 250}});
    scene->calc.LoadAlmanac(almanacPath);
    if (scene->calc.loadState() != 0)
        return nullptr;
    scene->calc.SetTimeStep(step);
    scene->calc.SetElevationMask(static_cast<float>(10 / 57.29577951308232));
    scene->calc.Recalculate(scene->site, scene->interval, 1);
    if (scene->calc.intervalCount() <= 0)
        return nullptr;
    return scene;
}

} // namespace views_scene
