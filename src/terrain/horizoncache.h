// Computed horizons kept on disk, one small text file per model, site and settings.
#pragma once

#include <string>

#include "sites/terrainhorizon.h"

// The text that names one computation: model identity, position and settings.
std::string HorizonCacheKey(const std::string& modelIdentity, double latitude, double longitude,
                            double altitude, double step, double maxDistance, double refraction,
                            double antennaHeight, bool altitudeIsAntenna);

// The horizon stored under `key` in `directory`; false when there is none, or it was stored under
// another key that happens to share the file name, or the file is damaged.
bool LoadCachedHorizon(const std::string& directory, const std::string& key, TerrainHorizon& horizon);
// Stores it (through the safe write); a failure only costs the next run the computation.
bool SaveCachedHorizon(const std::string& directory, const std::string& key, const TerrainHorizon& horizon);
