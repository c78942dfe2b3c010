#pragma once
// A trial surface against the ground: where it enters and leaves the slope, and the part of it that
// bounds the sliding mass. Used for the user's surface (whose problems become errors a person can act
// on) and for every generated surface of a search (whose problems are counted as rejections).
#include "engine/Model.h"
#include <vector>

namespace quolm {

enum class TSurfaceProblem {
    None,
    TooFewPoints,      // fewer than two points
    NotLeftToRight,    // point Index is not to the right of the one before (X, X2: their x)
    StartsBelowGround, // the first point lies below the ground (X)
    EndsBelowGround,   // the last point lies below the ground (X)
    NotBelowGround,    // the surface never passes below the ground
    LeavesAndReenters, // out of the ground at X, back in at X2
    OutsideSlope,      // enters (X) or leaves (X2) the ground beyond the profile's ends
    TooShallow,        // the sliding mass has no width
};

struct TSurfaceCheck {
    TSurfaceProblem Problem = TSurfaceProblem::None;
    double X = 0, X2 = 0;
    int Index = 0;
};

// Clips the polyline `p` (n points, ascending x) to its part below the ground: `out` receives the
// entry point, the vertices between and the exit point. `out` is cleared first; no allocation when
// its capacity suffices.
TSurfaceCheck ClipToGround(const TSlopeModel& model, const TPoint* p, int n, std::vector<TPoint>& out);

struct TCircle {
    double X = 0, Y = 0, R = 0;
};

// The centre about which Bishop's and the ordinary method take moments on a polyline: the centre of
// the circle that fits its points best. A nearly straight surface has no such circle; then the centre
// lies on the perpendicular bisector of its chord, above it, at fifty chord lengths, and `far` is set.
TPoint MomentCentre(const TPoint* p, int n, bool& far);

// Least-squares circle through the points; false when they lie on a line.
bool FitCircle(const TPoint* p, int n, TCircle& circle);

} // namespace quolm
