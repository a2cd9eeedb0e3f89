#include "sites/obstruction.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "base/numbers.h"

namespace le {
void PutU16(std::ostream& out, uint16_t v) {
    const char b[2] = {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
    out.write(b, 2);
}
void PutU32(std::ostream& out, uint32_t v) {
    char b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((v >> (8 * i)) & 0xff);
    out.write(b, 4);
}
void PutF64(std::ostream& out, double v) {
    const uint64_t u = std::bit_cast<uint64_t>(v);
    char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<char>((u >> (8 * i)) & 0xff);
    out.write(b, 8);
}
void PutF32(std::ostream& out, float v) {
    PutU32(out, std::bit_cast<uint32_t>(v));
}
bool GetU16(std::istream& in, uint16_t& v) {
    unsigned char b[2];
    if (!in.read(reinterpret_cast<char*>(b), 2))
        return false;
    v = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}
bool GetU32(std::istream& in, uint32_t& v) {
    unsigned char b[4];
    if (!in.read(reinterpret_cast<char*>(b), 4))
        return false;
    v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(b[i]) << (8 * i);
    return true;
}
bool GetF64(std::istream& in, double& v) {
    unsigned char b[8];
    if (!in.read(reinterpret_cast<char*>(b), 8))
        return false;
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i)
        u |= static_cast<uint64_t>(b[i]) << (8 * i);
    v = std::bit_cast<double>(u);
    return true;
}
bool GetF32(std::istream& in, float& v) {
    uint32_t u = 0;
    if (!GetU32(in, u))
        return false;
    v = std::bit_cast<float>(u);
    return true;
}
} // namespace le

IntPoint ProjectForContainment(const point<double>& d) {
    if (d.x == 90.0 && d.y == 0.0)
        return {0, 0};
    const double r = static_cast<double>((1.0L - static_cast<long double>(d.x) * (1.0L / 90.0L)) * 100.0L);
    // 3.1416, not pi: vertices and tested directions go through the same formula.
    const double angle = d.y * (1.0 / 180.0) * 3.1416;
    return {SaturatingCast<int32_t>(std::sin(angle) * r), SaturatingCast<int32_t>(std::cos(angle) * -r)};
}

IntPoint ProjectDirection(const point<double>& d, int radius, bool yUp) {
    const double k = M_PI / 180.0;
    const double e = d.x * k, a = d.y * k;
    const double r = (1.0 - e * 2.0 / M_PI) * radius;
    const auto x = SaturatingCast<int32_t>(std::sin(a) * r);
    auto y = SaturatingCast<int32_t>(std::cos(a) * r);
    return {x, yUp ? y : -y};
}

std::vector<point<double>> Obstruction::Vertices() const {
    std::vector<point<double>> out;
    for (const Node<point<double>>* n = first_; n; n = n->next)
        out.push_back(n->value);
    return out;
}

std::vector<IntPoint> ProjectForDrawing(const Obstruction& o, int radius, bool yUp) {
    std::vector<IntPoint> out;
    for (const auto& v : o.Vertices())
        out.push_back(ProjectDirection(v, radius, yUp));
    return out;
}

bool Obstruction::Contains(const point<double>& direction) const {
    if (Count() < 2)
        return false;
    std::vector<IntPoint> poly;
    for (const auto& v : Vertices())
        poly.push_back(ProjectForContainment(v));
    const IntPoint p = ProjectForContainment(direction);
    int32_t minX = poly[0].x, maxX = poly[0].x, minY = poly[0].y, maxY = poly[0].y;
    for (const auto& q : poly) {
        minX = std::min(minX, q.x);
        maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y);
        maxY = std::max(maxY, q.y);
    }
    if (p.x < minX || p.x >= maxX || p.y < minY || p.y >= maxY)
        return false;
    // Even-odd rule at the pixel centre: the pixel's top/left edges belong to it, bottom/right do not.
    const double cx = p.x + 0.5, cy = p.y + 0.5;
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const double xi = poly[i].x, yi = poly[i].y, xj = poly[j].x, yj = poly[j].y;
        if ((yi > cy) != (yj > cy)) {
            const double xCross = xj + (cy - yj) * (xi - xj) / (yi - yj);
            if (cx < xCross)
                inside = !inside;
        }
    }
    return inside;
}

bool Obstruction::Differs(const Obstruction& other) const {
    if (Count() != other.Count())
        return true;
    const Node<point<double>>* a = first_;
    const Node<point<double>>* b = other.first_;
    for (; a && b; a = a->next, b = b->next)
        if (a->value.x != b->value.x || a->value.y != b->value.y)
            return true;
    return false;
}

bool Obstruction::Write(std::ostream& out) const {
    le::PutU16(out, static_cast<uint16_t>(Count()));
    for (const Node<point<double>>* n = first_; n; n = n->next) {
        le::PutF64(out, n->value.x);
        le::PutF64(out, n->value.y);
    }
    return static_cast<bool>(out);
}

bool Obstruction::Read(std::istream& in) {
    uint16_t raw = 0;
    if (!le::GetU16(in, raw))
        return false;
    const auto m = static_cast<int16_t>(raw);
    for (int i = 0; i < m; ++i) {
        point<double> v;
        if (!le::GetF64(in, v.x) || !le::GetF64(in, v.y))
            return false;
        Add(v);
    }
    return static_cast<bool>(in);
}

void CloseOutline(Obstruction& outline, bool alongHorizon) {
    const point<double>* firstVertex = outline.GetAt(0);
    const point<double>* lastVertex = outline.GetAt(outline.Count() - 1);
    if (!firstVertex || !lastVertex || *firstVertex == *lastVertex)
        return;
    const point<double> first = *firstVertex;
    const point<double> last = *lastVertex;
    if (alongHorizon) {
        const double w = std::abs(first.y - last.y);
        const bool wraps = 360.0 - w < w;
        const double arc = wraps ? 360.0 - w : w;
        const int n = SaturatingCast<int>(arc / 2.0) + 1;
        double increment = arc / n;
        if ((last.y >= first.y && !wraps) || (last.y < first.y && arc == 360.0 - w))
            increment = -increment;
        double azimuth = last.y;
        for (int k = 1; k < n; ++k) {
            azimuth += increment;
            if (azimuth >= 360.0)
                azimuth -= 360.0;
            else if (azimuth < 0.0)
                azimuth += 360.0;
            outline.Add(point<double>(0.0, azimuth));
        }
    }
    outline.Add(first);
}
