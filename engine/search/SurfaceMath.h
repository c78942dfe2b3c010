#pragma once
// Angles, distances and circular arcs as the surface generators and their refinement bounds use them:
// degrees counterclockwise from +x, arcs as the lower half of their circle.
#include "engine/Point.h"
#include <algorithm>
#include <cmath>

namespace quolm::search {

constexpr double Pi = 3.14159265358979323846;
constexpr double Rad(double deg) {
    return deg * Pi / 180.0;
}
constexpr double Deg(double rad) {
    return rad * 180.0 / Pi;
}

inline double Distance(TPoint a, TPoint b) {
    return std::sqrt((b.X - a.X) * (b.X - a.X) + (b.Y - a.Y) * (b.Y - a.Y));
}

inline double Direction(TPoint a, TPoint b) {
    return Deg(std::atan2(b.Y - a.Y, b.X - a.X));
}

inline TPoint Ahead(TPoint p, double deg, double length) {
    return {p.X + length * std::cos(Rad(deg)), p.Y + length * std::sin(Rad(deg))};
}

inline double ArcY(TPoint c, double r, double x) {
    return c.Y - std::sqrt(std::max(0.0, r * r - (x - c.X) * (x - c.X)));
}

} // namespace quolm::search
