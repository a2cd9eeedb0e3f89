// An elevation model read with GDAL: one raster file (SRTM .hgt, GeoTIFF, a VRT mosaic, anything
// GDAL opens) or a folder of tiles, and the horizons of sites computed from it and kept in a cache.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/elevationgrid.h"
#include "engine/horizon.h"
#include "sites/terrainhorizon.h"

class TerrainModel {
public:
    TerrainModel();
    ~TerrainModel();
    TerrainModel(const TerrainModel&) = delete;
    TerrainModel& operator=(const TerrainModel&) = delete;

    // Opens a raster file, or every raster of a folder as one mosaic. On failure false and `error`
    // says what is wrong, naming the path.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return dataset_ != nullptr; }
    // The file or folder's name, for headers.
    const std::string& Name() const { return name_; }
    // What identifies the model's content: its path and each file's size and time.
    const std::string& Identity() const { return identity_; }

    // Reads the part of the model within `radius` m of every position (degrees) into memory, so that
    // the horizons of many sites come from one read. False with `error` when it cannot be read.
    bool Prepare(const std::vector<std::pair<double, double>>& positions, double radius, std::string& error);

    // The horizon of a site, from the cache when it was computed before from the same model with the
    // same settings (`cacheDirectory` empty: no cache). Null with `error` when it cannot be computed.
    std::shared_ptr<const TerrainHorizon> Horizon(double latitude, double longitude, double altitude,
                                                  const HorizonSettings& settings,
                                                  const std::string& cacheDirectory, std::string& error);

    // What a horizon computed here for that site and those settings is kept under (TerrainHorizon::key).
    std::string Key(double latitude, double longitude, double altitude,
                    const HorizonSettings& settings) const;

    // The model's grid in memory (after Prepare or Horizon), for tests and the benchmarks.
    const ElevationGrid* Grid() const { return grid_.get(); }

private:
    bool GridCovers(double latitude, double longitude, double radius) const;

    void* dataset_ = nullptr; // GDALDatasetH
    void* source_ = nullptr;  // the dataset under a warped view, closed after it
    std::string path_, name_, identity_;
    std::unique_ptr<ElevationGrid> grid_;
    double gridSouth_ = 0, gridNorth_ = 0, gridWest_ = 0, gridEast_ = 0; // what the grid was asked to hold
    double modelSouth_ = 0, modelNorth_ = 0, modelWest_ = 0, modelEast_ = 0; // the model's extent
};

// The directory of the horizon cache: "terrain" in the program home.
std::string HorizonCacheDirectory();
