// tavrin-cli map -o FILE.png: what the pictures are captioned with, and who draws them (the
// graphs program, which links Qt).
#pragma once

#include <string>

#include "cli/planner.h"
#include "cli/request.h"
#include "engine/areamap.h"
#include "reports/mappicture.h"

// The plan's header block for the area (its edges as the name, its cells as the description, its
// centre as the position) and the map's conditions below it. `base` is the base's latitude and
// longitude or null; `model` the elevation model's name, empty for open sky.
void CaptionMapPicture(MapPicture& picture, const PlanRequest& request, const PlanSetup& setup,
                       const MapConditions& conditions, const double* base, const std::string& model);
