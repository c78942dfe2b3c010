#pragma once
// Problems built in code for the engine tests: a simple slope with the pieces each test needs.
#include "engine/Analyze.h"
#include <cmath>
#include <vector>

namespace enginetest {

inline TSlopeSoil Soil(Extended moist, Extended saturated, Extended c, Extended phi, int piezometric = 0) {
    TSlopeSoil s;
    s.MoistUnitWeight = moist;
    s.SaturatedUnitWeight = saturated;
    s.Cohesion = c;
    s.FrictionAngle = phi;
    s.PiezometricSurface = piezometric;
    return s;
}

// A 10-high slope (1:2) from x = 20 to 40 between a level toe (y = 0) and crest (y = 10); one soil.
inline TSlopeDescription SimpleSlope(const TSlopeSoil& soil) {
    TSlopeDescription d;
    d.Settings.UnitSystem = 2;
    d.Settings.SurfaceBoundaryCount = 3;
    d.Boundaries = {{0, 0, 20, 0, 1}, {20, 0, 40, 10, 1}, {40, 10, 70, 10, 1}};
    d.Soils = {soil};
    return d;
}

// The user surface `points` analysed with SURBIS (Bishop) or SURFAC (Janbu).
inline void SetSurface(TSlopeDescription& d, const std::vector<TSlopePoint>& points, bool surbis = true) {
    d.Settings.SearchKind = 1;
    d.Settings.HasUserSurface = 1;
    d.Settings.UseSurbis = surbis ? 1 : 0;
    d.Surface = points;
}

// An arc of the circle (cx, cy, r) from angle a0 to a1 (degrees), n chords.
inline std::vector<TSlopePoint> Arc(double cx, double cy, double r, double a0, double a1, int n) {
    std::vector<TSlopePoint> p;
    for (int k = 0; k <= n; ++k) {
        const double t = (a0 + (a1 - a0) * k / n) * 3.14159265358979323846 / 180;
        p.push_back({cx + r * std::cos(t), cy + r * std::sin(t)});
    }
    return p;
}

// The arc of the circle (cx, cy, r) through SimpleSlope: from the toe flat (y = 0) to the crest
// (y = 10), both ends `lift` above the ground, as a person enters one.
inline std::vector<TSlopePoint> CircleThroughSlope(double cx, double cy, double r, int n = 80,
                                                   double lift = 0.01) {
    const double xa = cx - std::sqrt(r * r - cy * cy), xb = cx + std::sqrt(r * r - (cy - 10) * (cy - 10));
    const double deg = 180 / 3.14159265358979323846;
    auto arc = Arc(cx, cy, r, std::atan2(-cy, xa - cx) * deg, std::atan2(10 - cy, xb - cx) * deg, n);
    arc.front().Y += lift;
    arc.back().Y += lift;
    return arc;
}

// A polyline surface through the slope: toe flat, under the face, up to the crest.
inline std::vector<TSlopePoint> Polyline() {
    return {{10, 0.5}, {15, -3}, {25, -4}, {35, 0}, {42, 6}, {48, 10.5}};
}

// The problem with every kind of force: water with free water on the toe, ru, a surcharge, earthquake,
// a tieback and a reinforcement line.
inline TSlopeDescription LoadedSlope() {
    TSlopeSoil soil = Soil(18, 20, 10, 28, 1);
    TSlopeDescription d = SimpleSlope(soil);
    TSlopeSoil lower = Soil(19, 21, 15, 24, 1);
    lower.PorePressureCoefficient = 0.1L;
    d.Soils.push_back(lower);
    d.Boundaries.push_back({0, -2, 70, -2, 2});
    d.Settings.HasWater = 1;
    d.Settings.WaterUnitWeight = 9.81L;
    d.WaterSurfaces = {{{{0, 1}, {30, 3}, {70, 6}}, true}};
    d.Settings.HasSurcharge = 1;
    d.Loads = {{44, 52, 25, 10}};
    d.Settings.HasEarthquake = 1;
    d.Settings.HorizontalCoefficient = 0.1L;
    d.Settings.VerticalCoefficient = 0.05L;
    d.Settings.HasTiebacks = 1;
    d.Tiebacks = {{2, 30, 5, 150, 2, 15, 14}};
    d.Settings.HasReinforcement = 1;
    d.Reinforcement = {{{{30, 2, 40, 0.5L}, {60, 2, 40, 0.5L}}, true}};
    SetSurface(d, Polyline());
    return d;
}

inline bool Near(double a, double b, double relative) {
    return std::abs(a - b) <= relative * std::abs(b);
}

inline quolm::TAnalysis Run(const TSlopeDescription& d) {
    return quolm::Analyze(d, quolm::TRunOptions());
}

} // namespace enginetest
