// What a map's picture shows: each quantity's values on a grid of samples of the map's cells (the
// cells themselves while they fit a picture, every n-th otherwise), the ground under them for the
// hill shading, and the caption. Filled a block of rows at a time as the map is computed.
#pragma once

#include <string>
#include <vector>

#include "engine/areamap.h"
#include "reports/headerblock.h"

// Samples along a side of a picture at most: beyond it cells are picked, not drawn each.
inline constexpr int kMapPictureMaxSide = 2048;

struct MapPicture {
    MapArea area;              // the area drawn (a strip's own rows with --tile)
    int columns = 0, rows = 0; // samples
    std::vector<MapQuantity> quantities;
    std::vector<std::vector<float>> values; // a band per quantity, row by row: kMapNoData, inf or a value
    std::vector<float> ground;              // metres; NaN where no model is
    bool hasModel = false;
    HeaderInfo header;              // the plan's printed header block
    std::vector<std::string> lines; // below it: the conditions

    // A picture of the `area`'s cells, sampled to at most kMapPictureMaxSide each way.
    void Start(const MapArea& cells, const std::vector<MapQuantity>& shown, bool model);
    bool Sampled() const { return columns < cellColumns_ || rows < cellRows_; }
    // Rows first .. first + count - 1 of the area's cells: values[q] and the ground, row by row.
    void Take(int first, int count, const std::vector<std::vector<float>>& cellValues,
              const std::vector<float>& cellGround);

private:
    int cellColumns_ = 0, cellRows_ = 0;
};

// Light on each sample from the ground: the usual hill shade (Horn's slope, sun from the north-west
// 45 degrees up), 0 dark to 1 lit; flat ground gives sin 45 degrees. NaN where a sample or a
// neighbour needed has no height. Steps between samples in metres.
std::vector<float> MapHillShade(const std::vector<float>& ground, int columns, int rows, double eastStep,
                                double southStep);

// The file of band `word` when a map writes several pictures: "khumbu.png" -> "khumbu-hours.png".
std::string MapPicturePath(const std::string& path, const std::string& word);
