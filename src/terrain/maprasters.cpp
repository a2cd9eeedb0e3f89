#include "terrain/maprasters.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <mutex>

#include <sys/stat.h>
#include <unistd.h>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <gdal_utils.h>
#include <ogr_srs_api.h>

#include "base/strings.h"

namespace fs = std::filesystem;

namespace {

void InitGdal() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

std::string Problem(const std::string& path) {
    const char* m = CPLGetLastErrorMsg();
    return FormatText(ResString(IDS_MAP_FILE_FAILED).c_str(), path.c_str(),
                      m && *m ? m : ResString(IDS_MAP_FILE_UNKNOWN).c_str());
}

// A new file's name beside `path`, reserved.
std::string PartialName(const std::string& path) {
    const fs::path p(path);
    std::string pattern = (p.parent_path().empty() ? fs::path(".") : p.parent_path()) /
                          ("." + p.filename().string() + ".XXXXXX");
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return {};
    // mkstemp makes it private; the map is made as any new file is, by the umask.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    return pattern;
}

} // namespace

MapRasterWriter::~MapRasterWriter() {
    Discard();
}

void MapRasterWriter::Discard() {
    if (dataset_)
        GDALClose(static_cast<GDALDatasetH>(dataset_));
    dataset_ = nullptr;
    if (!partial_.empty()) {
        std::error_code ec;
        fs::remove(partial_, ec);
        partial_.clear();
    }
}

bool MapRasterWriter::Create(const std::string& path, int columns, int rows, double west, double north,
                             double lonStep, double latStep, const std::vector<std::string>& bandNames,
                             float noData, std::string& error) {
    InitGdal();
    CPLErrorReset();
    path_ = path;
    columns_ = columns;
    partial_ = PartialName(path);
    if (partial_.empty()) {
        error = FormatText(ResString(IDS_MAP_FILE_FAILED).c_str(), path.c_str(), std::strerror(errno));
        return false;
    }
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    const char* options[] = {"COMPRESS=DEFLATE", "PREDICTOR=3", "TILED=NO", nullptr};
    GDALDatasetH ds =
        driver ? GDALCreate(driver, partial_.c_str(), columns, rows, static_cast<int>(bandNames.size()),
                            GDT_Float32, const_cast<char**>(options))
               : nullptr;
    if (!ds) {
        error = Problem(path);
        Discard();
        return false;
    }
    dataset_ = ds;
    double gt[6] = {west, lonStep, 0, north, 0, -latStep};
    GDALSetGeoTransform(ds, gt);
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, 4326);
    GDALSetSpatialRef(ds, srs);
    OSRDestroySpatialReference(srs);
    for (size_t b = 0; b < bandNames.size(); ++b) {
        GDALRasterBandH band = GDALGetRasterBand(ds, static_cast<int>(b) + 1);
        GDALSetRasterNoDataValue(band, noData);
        GDALSetDescription(band, bandNames[b].c_str());
    }
    return true;
}

bool MapRasterWriter::WriteRows(int first, int count, const std::vector<std::vector<float>>& bands,
                                std::string& error) {
    auto ds = static_cast<GDALDatasetH>(dataset_);
    for (size_t b = 0; b < bands.size(); ++b) {
        GDALRasterBandH band = GDALGetRasterBand(ds, static_cast<int>(b) + 1);
        if (GDALRasterIO(band, GF_Write, 0, first, columns_, count, const_cast<float*>(bands[b].data()),
                         columns_, count, GDT_Float32, 0, 0) != CE_None) {
            error = Problem(path_);
            Discard();
            return false;
        }
    }
    return true;
}

bool MapRasterWriter::Finish(std::string& error) {
    auto ds = static_cast<GDALDatasetH>(dataset_);
    dataset_ = nullptr;
    CPLErrorReset();
    GDALClose(ds);
    const bool closed = CPLGetLastErrorType() < CE_Failure;
    std::error_code ec;
    if (!closed) {
        error = Problem(path_);
    } else {
        fs::rename(partial_, path_, ec);
        if (!ec) {
            partial_.clear();
            return true;
        }
        error = FormatText(ResString(IDS_MAP_FILE_FAILED).c_str(), path_.c_str(), ec.message().c_str());
    }
    Discard();
    return false;
}

bool JoinMapRasters(const std::string& path, const std::vector<std::string>& parts, std::string& error) {
    InitGdal();
    int bands = -1;
    for (const std::string& part : parts) {
        CPLErrorReset();
        GDALDatasetH ds =
            GDALOpenEx(part.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
        if (!ds) {
            error = Problem(part);
            return false;
        }
        const int n = GDALGetRasterCount(ds);
        GDALClose(ds);
        if (bands >= 0 && n != bands) {
            error = FormatText(ResString(IDS_MAP_JOIN_BANDS).c_str(), part.c_str(), n, bands);
            return false;
        }
        bands = n;
    }
    const std::string partial = PartialName(path);
    if (partial.empty()) {
        error = FormatText(ResString(IDS_MAP_FILE_FAILED).c_str(), path.c_str(), std::strerror(errno));
        return false;
    }
    std::vector<const char*> names;
    for (const std::string& part : parts)
        names.push_back(part.c_str());
    CPLErrorReset();
    int usageError = 0;
    GDALDatasetH vrt = GDALBuildVRT(partial.c_str(), static_cast<int>(names.size()), nullptr, names.data(),
                                    nullptr, &usageError);
    std::error_code ec;
    if (vrt)
        GDALClose(vrt);
    if (!vrt || CPLGetLastErrorType() >= CE_Failure) {
        error = Problem(path);
        fs::remove(partial, ec);
        return false;
    }
    fs::rename(partial, path, ec);
    if (ec) {
        error = FormatText(ResString(IDS_MAP_FILE_FAILED).c_str(), path.c_str(), ec.message().c_str());
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

bool ReadMapRaster(const std::string& path, int band, MapRaster& raster, std::string& error) {
    InitGdal();
    CPLErrorReset();
    raster = MapRaster();
    // Only the formats maps are written in: nothing else of GDAL's is asked to read a stray file.
    const char* const drivers[] = {"GTiff", "VRT", nullptr};
    GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers, nullptr, nullptr);
    if (!ds) {
        const char* m = CPLGetLastErrorMsg();
        error = FormatText(ResString(IDS_MAP_READ_NOT_MAP).c_str(), path.c_str(),
                           m && *m ? m : ResString(IDS_MAP_FILE_UNKNOWN).c_str());
        return false;
    }
    const int width = GDALGetRasterXSize(ds), height = GDALGetRasterYSize(ds), count = GDALGetRasterCount(ds);
    double gt[6] = {0, 0, 0, 0, 0, 0};
    const bool placed = GDALGetGeoTransform(ds, gt) == CE_None;
    raster.west = gt[0];
    raster.north = gt[3];
    raster.east = gt[0] + width * gt[1];
    raster.south = gt[3] + height * gt[5];
    const auto onGlobe = [](double lat, double lon) {
        return std::isfinite(lat) && std::isfinite(lon) && std::fabs(lat) <= 90 && std::fabs(lon) <= 360;
    };
    // Steps so small that the edges come out equal would leave a layer of no width.
    if (!placed || width < 1 || height < 1 || gt[2] != 0 || gt[4] != 0 || !(gt[1] > 0) || !(gt[5] < 0) ||
        !onGlobe(raster.north, raster.west) || !onGlobe(raster.south, raster.east) ||
        !(raster.west < raster.east) || !(raster.south < raster.north)) {
        GDALClose(ds);
        error = FormatText(ResString(IDS_MAP_READ_NOT_MAP).c_str(), path.c_str(),
                           ResString(IDS_MAP_READ_WHY_GRID).c_str());
        return false;
    }
    if (band < 0 || band >= count) {
        GDALClose(ds);
        error = FormatText(ResString(IDS_MAP_READ_NO_BAND).c_str(), path.c_str(), band + 1, count);
        return false;
    }
    for (int b = 1; b <= count; ++b)
        raster.bandNames.push_back(GDALGetDescription(GDALGetRasterBand(ds, b)));
    GDALRasterBandH h = GDALGetRasterBand(ds, band + 1);
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(h, &hasNoData);
    raster.band = band;
    raster.columns = std::min(width, kMapRasterMaxSide);
    raster.rows = std::min(height, kMapRasterMaxSide);
    raster.values.resize(static_cast<size_t>(raster.columns) * static_cast<size_t>(raster.rows));
    // GDAL picks the cell nearest each value when there are fewer values than cells.
    const CPLErr read = GDALRasterIO(h, GF_Read, 0, 0, width, height, raster.values.data(), raster.columns,
                                     raster.rows, GDT_Float32, 0, 0);
    GDALClose(ds);
    if (read != CE_None) {
        error = FormatText(ResString(IDS_MAP_READ_NOT_MAP).c_str(), path.c_str(),
                           CPLGetLastErrorMsg()[0] ? CPLGetLastErrorMsg()
                                                   : ResString(IDS_MAP_FILE_UNKNOWN).c_str());
        raster = MapRaster();
        return false;
    }
    if (hasNoData)
        for (float& v : raster.values)
            if (v == static_cast<float>(noData) || std::isnan(v))
                v = raster.noData;
    return true;
}
