// Map files through GDAL: a GeoTIFF of float bands on WGS 84 latitude and longitude, written a
// block of rows at a time, read back for a map layer, and a VRT that joins strips of one map into one.
#pragma once

#include <string>
#include <vector>

class MapRasterWriter {
public:
    MapRasterWriter() = default;
    ~MapRasterWriter();
    MapRasterWriter(const MapRasterWriter&) = delete;
    MapRasterWriter& operator=(const MapRasterWriter&) = delete;

    // A GeoTIFF of `columns` x `rows` cells, the north-west corner at `west`, `north` (degrees), a
    // band per name, NoData `noData`. Written beside `path` and put in its place by Finish, so that
    // a run that fails leaves no half-written file. False with `error` naming the file.
    bool Create(const std::string& path, int columns, int rows, double west, double north, double lonStep,
                double latStep, const std::vector<std::string>& bandNames, float noData, std::string& error);
    // Rows first .. first + count - 1 of every band: band b's values row by row in bands[b].
    bool WriteRows(int first, int count, const std::vector<std::vector<float>>& bands, std::string& error);
    bool Finish(std::string& error);

private:
    void Discard();

    void* dataset_ = nullptr; // GDALDatasetH
    std::string path_, partial_;
    int columns_ = 0;
};

// Joins map files (strips of one map) into a VRT at `path` that lists them; false with `error`
// when one cannot be opened or they do not fit together.
bool JoinMapRasters(const std::string& path, const std::vector<std::string>& parts, std::string& error);

// One band of a map file as a layer shows it: at most kMapRasterMaxSide values each way (a large
// map is read a value every few cells), north-up on latitude and longitude.
inline constexpr int kMapRasterMaxSide = 2048;

struct MapRaster {
    int columns = 0, rows = 0;                       // values held
    double west = 0, north = 0, east = 0, south = 0; // degrees, the outer edges
    std::vector<std::string> bandNames;              // every band's name, in order
    int band = 0;                                    // the one read, from 0
    std::vector<float> values;                       // row by row from the north; no data as noData
    float noData = -9999.0f;
};

// Band `band` (from 0) of a map file (GeoTIFF, or a VRT of strips); false with `error` naming the
// file and what is wrong with it: not a raster, rotated or off the globe, no such band.
bool ReadMapRaster(const std::string& path, int band, MapRaster& raster, std::string& error);
