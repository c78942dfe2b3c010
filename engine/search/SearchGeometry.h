#pragma once
// The slope as the searches see it: the ground surface, the limit lines and the minimum elevation,
// with the tests every trial surface must pass (it enters the ground at its first point, stays
// below it and leaves it at its last, and passes below no limit line and not below the minimum
// elevation). Built once per run from the input description, read only afterwards.
#include "engine/search/SearchTypes.h"
#include "text/SlopeFile.h"
#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

namespace quolm::search {

struct TSegment {
    TPoint A, B; // A left of B
};

// The least of several clearances above the limits and the minimum elevation, with its reason.
struct TLeastClearance {
    double Value = std::numeric_limits<double>::infinity();
    const char* Why = nullptr;
    void Take(double clearance, const char* why) {
        if (clearance < Value) {
            Value = clearance;
            Why = why;
        }
    }
    double Result(const char** why) const {
        if (why)
            *why = Why;
        return Value;
    }
};

class TSearchGeometry {
  public:
    TSearchGeometry() = default;
    TSearchGeometry(std::vector<TPoint> ground, std::vector<TSegment> limits, bool useMinimumElevation,
                    double minimumElevation);

    const std::vector<TPoint>& Ground() const { return GroundPoints; }
    const std::vector<TSegment>& Limits() const { return LimitLines; }
    bool UsesMinimumElevation() const { return UseMinimum; }
    double MinimumElevation() const { return Minimum; }
    double Left() const { return GroundPoints.front().X; }
    double Right() const { return GroundPoints.back().X; }
    // Size of the section: the scale of every tolerance.
    double Extent() const { return Size; }
    double Tolerance() const { return Size * 1e-9; }

    // The ground segment [i, i + 1] holding x: at a vertex the one to its right, at a vertical step
    // the lowest-numbered segment of non-zero width on the right; clamped to the first and last.
    int SegmentAt(double x) const;
    // Ground elevation at x (the end elevations continue beyond the ends).
    double GroundY(double x) const;
    // Direction (degrees) of the ground just right of x.
    double GroundDirectionRightOf(double x) const;

    // Why the polyline p (n points, x strictly increasing, ends on the ground) is no admissible trial
    // surface, or null: it must stay below the ground between its ends, and above the limit lines
    // and the minimum elevation.
    const char* CheckPolyline(const TPoint* p, int n) const;
    // Whether the polyline passes below a limit line or the minimum elevation, and which.
    const char* CheckDepth(const TPoint* p, int n) const;
    // How far the polyline stays above the limit lines and the minimum elevation at least (negative:
    // how far below), infinite when none applies; `why` receives the reason of the closest one.
    double Clearance(const TPoint* p, int n, const char** why = nullptr) const;

    // How far the segment from a to b (a left of b) stays below the ground at least (negative where it
    // rises above it), its start excepted.
    double DepthBelowGround(TPoint a, TPoint b) const;

    // The first point after p[0] where the polyline comes out of the ground; false when it stays in
    // it up to its last point. `segment` receives the polyline segment holding the exit.
    bool FirstExit(const TPoint* p, int n, TPoint& exit, int& segment) const;

    // Where the ray from `from` in direction (dx, dy), dx != 0, first meets the ground going away
    // from `from` (which lies below it); false when it leaves the profile first.
    bool RayToGround(TPoint from, double dx, double dy, TPoint& hit) const;

  private:
    double YOnSegment(int i, double x) const {
        const TPoint& a = GroundPoints[i];
        const TPoint& b = GroundPoints[i + 1];
        const double w = b.X - a.X;
        return w > 0 ? a.Y + (b.Y - a.Y) * (x - a.X) / w : b.Y;
    }

    std::vector<TPoint> GroundPoints;
    std::vector<double> Directions; // of each ground segment, degrees: asked for at every trial surface
    std::vector<TSegment> LimitLines;
    bool UseMinimum = false;
    double Minimum = 0;
    double Size = 1;
};

// The fixed texts of every reason a surface is dropped; counted by text.
namespace reason {
inline constexpr const char* NoArc = "no arc between the direction limits reaches the termination range";
inline constexpr const char* NotIntoGround = "the first segment does not enter the ground";
inline constexpr const char* ExitsEarly = "leaves the ground before the termination range";
inline constexpr const char* ExitsLate = "leaves the ground beyond the termination range";
inline constexpr const char* BelowMinimum = "passes below the minimum elevation";
inline constexpr const char* BelowLimit = "passes below a limit line";
inline constexpr const char* Reenters = "leaves the ground and enters it again";
inline constexpr const char* OutsideProfile = "leaves the profile";
inline constexpr const char* BaseAboveGround = "the block's base lies above the ground";
inline constexpr const char* BaseOrder = "the block's base points are not left to right";
inline constexpr const char* NoWedge = "no wedge closes the block within the wedge angles";
inline constexpr const char* NotConcave = "not concave upward";
inline constexpr const char* Direction = "the first segment lies outside the direction limits";
inline constexpr const char* Range = "an end lies outside its range";
inline constexpr const char* NotLeftToRight = "the points are not left to right";
inline constexpr const char* NotConverged = "the method did not converge";
inline constexpr const char* Undriven = "nothing drives the mass";
inline constexpr const char* MissesPath = "the wedges do not meet the weak layer they were drawn to";
} // namespace reason

// A path along a layer boundary, just inside the soil on its weaker side, where a mechanism may run:
// left to right, with its share among the paths (weaker soil, larger share).
struct TWeakPath {
    std::vector<TPoint> Points;
    double Weight = 1;
};

// What the searches know of the soils: the paths along the layer boundaries and the friction angle
// (degrees) at a point below the ground, which sets the wedges' first inclinations. Both optional:
// without them the generators draw as in a uniform soil of 30 degrees.
struct TStrata {
    std::vector<TWeakPath> Paths;
    std::function<double(TPoint)> FrictionAt;
};

// The searched problem: geometry and controls, taken from the input description; false, with the
// errors, when the description holds no search or no ground surface. The controls themselves are
// checked by CheckControls (the search runner does that). The engine adds the strata.
struct TSearchProblem {
    TSearchGeometry Geometry;
    TSearchControls Controls;
    TStrata Strata;
};

bool SearchProblemOf(const TSlopeDescription& d, TSearchProblem& out, std::vector<TSearchMessage>& errors);

// Boxes of a block search at most.
inline constexpr std::size_t MaxBoxes = 64;

// The checks of the controls against the geometry: errors when they allow no search (each message
// says what to change), warnings when it runs under a stated assumption.
void CheckControls(const TSearchGeometry& g, const TSearchControls& c, std::vector<TSearchMessage>& errors,
                   std::vector<TSearchMessage>& warnings);

// Text of a number for messages: up to six significant digits, "." as decimal separator.
std::string NumberText(double v);

} // namespace quolm::search
