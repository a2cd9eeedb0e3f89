// The skyline the terrain draws around a site: its elevation in every azimuth.
#pragma once

#include <string>
#include <vector>

#include "sites/obstruction.h"

class TerrainHorizon {
public:
    double step = 1.0;            // degrees of azimuth between entries; entry i is at azimuth i * step
    std::vector<float> elevation; // degrees above the observer's horizontal plane
    std::vector<float> distance;  // metres to the ground that sets it; 0 where no ground was seen
    std::vector<float> cutShort; // metres at which the model ended before the maximum distance; 0: it did not
    double ground = 0;           // the model's height under the site, m
    double observer = 0;         // the antenna's height over the model's datum, m
    std::string model;           // the elevation model's name, for headers
    std::string key;             // what it was computed from: model, position, settings

    int Count() const { return static_cast<int>(elevation.size()); }
    // The skyline at `azimuth` (degrees, any turn), linear between entries; -90 when empty.
    double ElevationAt(double azimuth) const;
    // Whether a direction (degrees) lies below the skyline.
    bool Hides(double elevationDegrees, double azimuthDegrees) const {
        return elevationDegrees < ElevationAt(azimuthDegrees);
    }
    // The entries whose rays left the model before the maximum distance.
    std::vector<int> CutShortEntries() const;
};

// The parts of the skyline above the horizontal as obstruction outlines the site list can hold:
// each run above 0 degrees becomes one outline, its skyline simplified until it keeps within
// `tolerance` degrees of elevation (and at most `maxVertices` corners), closed along the horizontal.
std::vector<Obstruction> HorizonOutlines(const TerrainHorizon& horizon, double tolerance, int maxVertices);
