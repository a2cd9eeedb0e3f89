#pragma once

// A two-coordinate value. For obstruction vertices x is the elevation, y the azimuth (degrees).
template <typename T> struct point {
    T x{};
    T y{};
    point() = default;
    point(T x_, T y_) : x(x_), y(y_) {}
    bool operator==(const point& o) const { return x == o.x && y == o.y; }
};
