// Maps of observation quality: a grid of cells over an area of latitude and longitude, and what
// each cell's day of samples says about it.
#pragma once

#include <string>
#include <vector>

#include "engine/planseries.h"
#include "engine/windowsearch.h"

enum class MapQuantity { Hours, WorstPdop, MeanPdop, LongestWindow, Common };
inline constexpr int kMapQuantities = 5;

// Its word on the command line and in band names ("worst-pdop"); its unit ("h", "min", "").
const char* MapQuantityWord(MapQuantity quantity);
const char* MapQuantityUnit(MapQuantity quantity);
// Whether a higher value is the better one.
bool MapQuantityRisesWell(MapQuantity quantity);

// A value where a cell has no model under it.
inline constexpr float kMapNoData = -9999.0f;

// Cells of equal steps of latitude and longitude, row 0 along the north edge.
struct MapArea {
    double south = 0, west = 0, north = 0, east = 0; // degrees, the outer edges of the outer cells
    int rows = 0, columns = 0;

    double LatitudeStep() const { return (north - south) / rows; }
    double LongitudeStep() const { return (east - west) / columns; }
    double CellLatitude(int row) const { return north - (row + 0.5) * LatitudeStep(); }
    double CellLongitude(int column) const { return west + (column + 0.5) * LongitudeStep(); }
};

enum class MapAreaProblem { None, Order, Range, TooSmall, TooManyCells };
inline constexpr double kMapMaxSpan = 10.0;          // degrees of latitude or longitude
inline constexpr long long kMapMaxCells = 1LL << 26; // 67 million

// The area from its edges and either a spacing of the cells (m, at the area's middle latitude)
// or a count of cells along each side; whole cells, the edges kept, the steps made equal.
MapAreaProblem MakeMapArea(double south, double west, double north, double east, double spacing, int cells,
                           MapArea& area);

// The rows of strip `tile` (1-based) of `tiles`, as even as whole rows allow.
void MapTileRows(int rows, int tile, int tiles, int& first, int& count);

// What a map asks of each cell.
struct MapConditions {
    WindowConditions windows; // --max-pdop, --min-sats, --min-length, the hours
    int minCommon = 4;        // with the base
};

// The quantity of one cell from its series (and the base's, for Common; null otherwise):
// Hours and LongestWindow, hours of the windows the conditions allow (their sum, the longest);
// WorstPdop, the highest PDOP within the hours, infinity when some sample there has no fix;
// MeanPdop, the mean PDOP of the samples within the hours that have a fix (infinity: none has);
// Common, minutes of the windows in which cell and base both meet the conditions and share at
// least minCommon satellites.
float MapValue(MapQuantity quantity, const SiteSeries& cell, const SiteSeries* base,
               const MapConditions& conditions);
