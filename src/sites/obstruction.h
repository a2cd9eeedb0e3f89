// An obstruction: a closed outline in the elevation/azimuth plane that hides part of the sky.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <vector>

#include "base/alist.h"
#include "sites/point.h"

struct IntPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const IntPoint& o) const { return x == o.x && y == o.y; }
};

// Vertices: x elevation, y azimuth, degrees, in drawing order.
class Obstruction : public AList<point<double>> {
public:
    Obstruction() = default;
    Obstruction(const Obstruction&) = default;
    Obstruction& operator=(const Obstruction&) = default;

    bool Contains(const point<double>& direction) const;
    bool Differs(const Obstruction& other) const;

    // Vertex count (16 bits) then elevation and azimuth per vertex, little-endian.
    bool Write(std::ostream& out) const;
    bool Read(std::istream& in);

    std::vector<point<double>> Vertices() const;
};

// The integer point on a disc of radius 100 that the containment test works with.
IntPoint ProjectForContainment(const point<double>& direction);
// A direction on a sky diagram of the given radius centred on the origin.
IntPoint ProjectDirection(const point<double>& direction, int radius, bool yUp);
// Every vertex of the obstruction mapped for drawing; the views draw one filled polygon through them.
std::vector<IntPoint> ProjectForDrawing(const Obstruction& obstruction, int radius, bool yUp);

// Closes an open outline on a copy of its first vertex: along the horizon the shorter way round, in
// steps of at most 2 degrees, or with a straight edge. A closed outline is left as it is.
void CloseOutline(Obstruction& outline, bool alongHorizon);

// Little-endian encoding shared by the site list files.
namespace le {
void PutU16(std::ostream& out, uint16_t v);
void PutU32(std::ostream& out, uint32_t v);
void PutF64(std::ostream& out, double v);
void PutF32(std::ostream& out, float v);
bool GetU16(std::istream& in, uint16_t& v);
bool GetU32(std::istream& in, uint32_t& v);
bool GetF64(std::istream& in, double& v);
bool GetF32(std::istream& in, float& v);
} // namespace le
