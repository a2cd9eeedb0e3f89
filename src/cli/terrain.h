// Terrain for the command line: horizons from an elevation model for the sites of a run.
#pragma once

#include <string>
#include <vector>

#include "engine/horizon.h"
#include "sites/siteinfo.h"

// Computes (or takes from the cache) the horizon of every site from the model at `demPath` and
// attaches it to the site; says on standard error which azimuths the model cuts short. The exit
// status: the input status with a message when the model or a site's horizon cannot be had.
// AttachTerrain goes to AttachModelTerrain where the program reads models (SetFullParts).
int AttachTerrain(const std::string& demPath, const HorizonSettings& settings, std::vector<SiteInfo>& sites);
int AttachModelTerrain(const std::string& demPath, const HorizonSettings& settings,
                       std::vector<SiteInfo>& sites);

// "0-12, 350-359": the azimuths of the entries, runs joined.
std::string AzimuthRuns(const TerrainHorizon& horizon, const std::vector<int>& entries);

class Arguments;
// --max-distance KM, --antenna-height M, --antenna-altitude, --refraction K, and --step DEG when
// `withStep` (the horizon command's; plan's --step is its sampling); the usage status when wrong.
int ParseTerrainOptions(const Arguments& args, bool withStep, HorizonSettings& settings);
