#include "terrain/terrainmodel.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <gdal_utils.h>
#include <gdalwarper.h>
#include <ogr_srs_api.h>

#include "base/paths.h"
#include "base/strings.h"
#include "string_ids.h"
#include "terrain/horizoncache.h"

namespace fs = std::filesystem;

namespace {

// A region larger than this many cells (1 GB of heights) is refused rather than read.
constexpr double kMaxCells = 256.0 * 1024 * 1024;
constexpr double kMetresPerDegree = 110000.0; // a little under the shortest degree of latitude
constexpr double kPi = 3.14159265358979323846;

void InitGdal() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        // Messages come back through CPLGetLastErrorMsg, never onto the terminal.
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

std::string LastGdalError() {
    const char* m = CPLGetLastErrorMsg();
    return m && *m ? m : ResString(IDS_TERRAIN_UNKNOWN_FORMAT);
}

bool IsRaster(const std::string& path) {
    GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    if (!ds)
        return false;
    const bool ok = GDALGetRasterCount(ds) > 0;
    GDALClose(ds);
    return ok;
}

std::string FileIdentity(const fs::path& p) {
    std::error_code ec;
    const auto size = fs::file_size(p, ec);
    const auto time = fs::last_write_time(p, ec).time_since_epoch().count();
    return FormatText("%s %llu %lld\n", p.filename().string().c_str(), static_cast<unsigned long long>(size),
                      static_cast<long long>(time));
}

// Geographic, north up, not rotated: read as it is. Anything else is seen through a warped view.
bool NeedsWarp(GDALDatasetH ds) {
    double gt[6];
    if (GDALGetGeoTransform(ds, gt) != CE_None)
        return true;
    OGRSpatialReferenceH srs = GDALGetSpatialRef(ds);
    return !srs || !OSRIsGeographic(srs) || gt[2] != 0 || gt[4] != 0 || gt[5] >= 0 || gt[1] <= 0;
}

} // namespace

std::string HorizonCacheDirectory() {
    return ProgramHome() + "terrain/";
}

TerrainModel::TerrainModel() {
    InitGdal();
}

TerrainModel::~TerrainModel() {
    if (dataset_)
        GDALClose(static_cast<GDALDatasetH>(dataset_));
    if (source_)
        GDALClose(static_cast<GDALDatasetH>(source_));
}

bool TerrainModel::Open(const std::string& path, std::string& error) {
    std::error_code ec;
    const fs::path p(path);
    if (!fs::exists(p, ec)) {
        error = FormatText(ResString(IDS_TERRAIN_NO_SUCH).c_str(), path.c_str());
        return false;
    }
    const std::string absolute = fs::absolute(p, ec).lexically_normal().string();
    std::string identity = absolute + "\n";
    GDALDatasetH ds = nullptr;
    CPLErrorReset();
    if (fs::is_directory(p, ec)) {
        std::vector<std::string> files;
        for (const fs::directory_entry& e : fs::directory_iterator(p, ec)) {
            std::error_code fileError;
            const std::string name = e.path().filename().string();
            if (!name.empty() && name[0] != '.' && e.is_regular_file(fileError) &&
                IsRaster(e.path().string()))
                files.push_back(e.path().string());
        }
        std::sort(files.begin(), files.end());
        if (files.empty()) {
            error = FormatText(ResString(IDS_TERRAIN_EMPTY_FOLDER).c_str(), path.c_str());
            return false;
        }
        std::vector<const char*> names;
        for (const std::string& f : files) {
            names.push_back(f.c_str());
            identity += FileIdentity(f);
        }
        int usageError = 0;
        ds = GDALBuildVRT("", static_cast<int>(names.size()), nullptr, names.data(), nullptr, &usageError);
    } else {
        identity += FileIdentity(p);
        ds = GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    }
    if (!ds || GDALGetRasterCount(ds) < 1) {
        error = FormatText(ResString(IDS_TERRAIN_NOT_A_MODEL).c_str(), path.c_str(), LastGdalError().c_str());
        if (ds)
            GDALClose(ds);
        return false;
    }
    if (NeedsWarp(ds)) {
        OGRSpatialReferenceH wgs84 = OSRNewSpatialReference(nullptr);
        OSRSetWellKnownGeogCS(wgs84, "WGS84");
        OSRSetAxisMappingStrategy(wgs84, OAMS_TRADITIONAL_GIS_ORDER);
        char* wkt = nullptr;
        OSRExportToWkt(wgs84, &wkt);
        GDALDatasetH warped = GDALAutoCreateWarpedVRT(ds, nullptr, wkt, GRA_Bilinear, 0.0, nullptr);
        CPLFree(wkt);
        OSRDestroySpatialReference(wgs84);
        if (!warped) {
            error =
                FormatText(ResString(IDS_TERRAIN_NOT_A_MODEL).c_str(), path.c_str(), LastGdalError().c_str());
            GDALClose(ds);
            return false;
        }
        source_ = ds;
        ds = warped;
    }
    double gt[6];
    GDALGetGeoTransform(ds, gt);
    modelWest_ = gt[0];
    modelNorth_ = gt[3];
    modelEast_ = gt[0] + gt[1] * GDALGetRasterXSize(ds);
    modelSouth_ = gt[3] + gt[5] * GDALGetRasterYSize(ds);
    dataset_ = ds;
    path_ = path;
    name_ = p.filename().empty() ? p.parent_path().filename().string() : p.filename().string();
    std::replace(name_.begin(), name_.end(), '\n', ' ');
    identity_ = identity;
    grid_.reset();
    return true;
}

bool TerrainModel::GridCovers(double latitude, double longitude, double radius) const {
    if (!grid_)
        return false;
    const double dLat = radius / kMetresPerDegree;
    const double dLon = dLat / std::max(0.01, std::cos((std::fabs(latitude) + dLat) * kPi / 180.0));
    return latitude - dLat >= gridSouth_ && latitude + dLat <= gridNorth_ && longitude - dLon >= gridWest_ &&
           longitude + dLon <= gridEast_;
}

bool TerrainModel::Prepare(const std::vector<std::pair<double, double>>& positions, double radius,
                           std::string& error) {
    if (!dataset_ || positions.empty())
        return false;
    double south = 90, north = -90, west = 360, east = -360;
    for (const auto& [lat, lon] : positions) {
        const double dLat = radius / kMetresPerDegree;
        const double dLon =
            dLat / std::max(0.01, std::cos(std::min(89.0, std::fabs(lat) + dLat) * kPi / 180.0));
        south = std::min(south, lat - dLat);
        north = std::max(north, lat + dLat);
        west = std::min(west, lon - dLon);
        east = std::max(east, lon + dLon);
    }
    auto ds = static_cast<GDALDatasetH>(dataset_);
    double gt[6];
    GDALGetGeoTransform(ds, gt);
    const int width = GDALGetRasterXSize(ds), height = GDALGetRasterYSize(ds);
    // The window of whole cells, one more on each side for the interpolation, within the model.
    const double x0 = std::floor((west - gt[0]) / gt[1]) - 1, x1 = std::ceil((east - gt[0]) / gt[1]) + 1;
    const double y0 = std::floor((north - gt[3]) / gt[5]) - 1, y1 = std::ceil((south - gt[3]) / gt[5]) + 1;
    const int cx0 = static_cast<int>(std::clamp(x0, 0.0, static_cast<double>(width)));
    const int cx1 = static_cast<int>(std::clamp(x1, 0.0, static_cast<double>(width)));
    const int cy0 = static_cast<int>(std::clamp(y0, 0.0, static_cast<double>(height)));
    const int cy1 = static_cast<int>(std::clamp(y1, 0.0, static_cast<double>(height)));
    const int w = cx1 - cx0, h = cy1 - cy0;
    if (w <= 0 || h <= 0) {
        error = FormatText(ResString(IDS_TERRAIN_OUTSIDE).c_str(), path_.c_str());
        return false;
    }
    if (static_cast<double>(w) * h > kMaxCells) {
        error = FormatText(ResString(IDS_TERRAIN_TOO_LARGE).c_str(), path_.c_str(), w, h);
        return false;
    }
    std::vector<float> heights;
    try {
        heights.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    } catch (const std::bad_alloc&) {
        error = FormatText(ResString(IDS_TERRAIN_TOO_LARGE).c_str(), path_.c_str(), w, h);
        return false;
    }
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    CPLErrorReset();
    if (GDALRasterIO(band, GF_Read, cx0, cy0, w, h, heights.data(), w, h, GDT_Float32, 0, 0) != CE_None) {
        error =
            FormatText(ResString(IDS_TERRAIN_READ_FAILED).c_str(), path_.c_str(), LastGdalError().c_str());
        return false;
    }
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
    const double scale = GDALGetRasterScale(band, nullptr), offset = GDALGetRasterOffset(band, nullptr);
    const float noDataValue = static_cast<float>(noData);
    for (float& v : heights) {
        if ((hasNoData && (v == noDataValue || (std::isnan(noData) && std::isnan(v)))) || !std::isfinite(v))
            v = std::numeric_limits<float>::quiet_NaN();
        else if (scale != 1.0 || offset != 0.0)
            v = static_cast<float>(v * scale + offset);
    }
    grid_ = std::make_unique<ElevationGrid>(gt[3] + (cy0 + 0.5) * gt[5], gt[0] + (cx0 + 0.5) * gt[1], -gt[5],
                                            gt[1], h, w, std::move(heights));
    // What the grid holds: the window asked for, as far as the model reaches (beyond it, a ray
    // that leaves the grid has left the model).
    gridSouth_ = cy1 == height ? -90.0 : south;
    gridNorth_ = cy0 == 0 ? 90.0 : north;
    gridWest_ = cx0 == 0 ? -360.0 : west;
    gridEast_ = cx1 == width ? 360.0 : east;
    return true;
}

std::string TerrainModel::Key(double latitude, double longitude, double altitude,
                              const HorizonSettings& settings) const {
    return HorizonCacheKey(identity_, latitude, longitude, altitude, settings.step, settings.maxDistance,
                           settings.refraction, settings.antennaHeight, settings.altitudeIsAntenna);
}

std::shared_ptr<const TerrainHorizon> TerrainModel::Horizon(double latitude, double longitude,
                                                            double altitude, const HorizonSettings& settings,
                                                            const std::string& cacheDirectory,
                                                            std::string& error) {
    if (!dataset_)
        return nullptr;
    if (!settings.Valid()) {
        error = ResString(IDS_TERRAIN_BAD_SETTINGS);
        return nullptr;
    }
    const std::string key = Key(latitude, longitude, altitude, settings);
    auto horizon = std::make_shared<TerrainHorizon>();
    if (!cacheDirectory.empty() && LoadCachedHorizon(cacheDirectory, key, *horizon)) {
        horizon->model = name_;
        horizon->key = key;
        return horizon;
    }
    if (!GridCovers(latitude, longitude, settings.maxDistance) &&
        !Prepare({{latitude, longitude}}, settings.maxDistance, error))
        return nullptr;
    switch (ComputeHorizon(*grid_, latitude, longitude, altitude, settings, *horizon)) {
    case HorizonProblem::None:
        break;
    case HorizonProblem::Settings:
        error = ResString(IDS_TERRAIN_BAD_SETTINGS);
        return nullptr;
    case HorizonProblem::NoGround:
        error = FormatText(ResString(IDS_TERRAIN_NO_GROUND).c_str(), path_.c_str(), latitude, longitude);
        return nullptr;
    case HorizonProblem::Polar:
        error = FormatText(ResString(IDS_TERRAIN_POLAR).c_str(), latitude);
        return nullptr;
    }
    horizon->model = name_;
    horizon->key = key;
    if (!cacheDirectory.empty())
        SaveCachedHorizon(cacheDirectory, key, *horizon);
    return horizon;
}
