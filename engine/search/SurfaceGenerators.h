#pragma once
// The trial surfaces of the three searches. Each surface is fixed by a short parameter vector, drawn
// from the surface's own random stream; the same vector builds the surface again (for the plot and
// the ten most critical) and is what refinement moves:
//   circular:  [initiation x, first direction (degrees), termination x] - the arc through the
//              initiation point on the ground, tangent there to the first direction, through the
//              termination point on the ground (it ends earlier when it leaves the ground earlier);
//   irregular: [initiation x, x1, y1, ..., xk, yk, termination x] - a concave-upward polyline;
//   block:     [t1, v1, ..., tn, vn, passive angle, active angle] - base point i at fraction t of box
//              i's segment, v above it; straight wedges at the two angles (degrees) close the block.
#include "engine/search/Random.h"
#include "engine/search/SearchGeometry.h"
#include <vector>

namespace quolm::search {

class TSurfaceGenerator {
  public:
    TSurfaceGenerator(const TSearchGeometry& geometry, const TSearchControls& controls,
                      const TStrata* strata = nullptr);

    // Surfaces of the search: initiation points, surfaces per point (the block search: one point).
    int Points() const { return PointCount; }
    int PerPoint() const { return Controls.SurfacesPerPoint; }
    long long Count() const { return static_cast<long long>(PointCount) * Controls.SurfacesPerPoint; }
    // x of initiation point `point`: spread evenly over the initiation range, both ends included.
    double InitiationX(int point) const;

    // Draws surface `number` of initiation point `point` from its own stream of `seed`. Null, with the
    // surface and its parameters, when it is admissible; otherwise the reason it is not.
    const char* Generate(std::uint64_t seed, int point, int number, TTrialSurface& out,
                         std::vector<double>& params) const;

    // The surface the parameters fix, with every check a generated surface passes; null when admissible.
    // An arc too deep for the minimum elevation or a limit line becomes the deepest admissible arc
    // through the same two points, its direction written back into `params`.
    const char* Build(std::vector<double>& params, TTrialSurface& out) const;

    // Where refinement may move each parameter, its first step and the step at which it stops.
    struct TBounds {
        std::vector<double> Lo, Hi, Step, MinStep;
    };
    TBounds Bounds(const std::vector<double>& params) const;
    // The parameters refinement starts from: an irregular surface without the vertices where it hardly
    // turns (at most a dozen remain), since moving those few moves the whole shape; others as given.
    std::vector<double> Simplified(const std::vector<double>& params) const;
    // Evaluations refinement may spend on one surface of this many parameters.
    int RefineBudget(int parameterCount) const;

    // The bounds of the user's controls that the surface of `params` rests on.
    std::vector<TEdgeNote> Edges(const std::vector<double>& params, const TTrialSurface& surface) const;

    // Wedge angles (degrees from the horizontal) of the block search: drawn around Rankine's
    // 45 - phi/2 (passive) and 45 + phi/2 (active) of the soil at each wedge, within these ranges.
    static constexpr double PassiveLo = 5, PassiveHi = 60, ActiveLo = 25, ActiveHi = 85;
    static constexpr double WedgeSpread = 10;
    // Friction angle at p (degrees): the strata's, or 30 without them.
    double FrictionAt(TPoint p) const;
    // Straight segments of an arc at least and at most; the plot file takes 200 points per surface.
    static constexpr int ArcChordsMin = 20, ArcChordsMax = 120, ArcChordsDefault = 24;
    static constexpr int MaxPoints = 200;

  private:
    const char* GenerateCircle(TRandom& rng, double xA, TTrialSurface& out,
                               std::vector<double>& params) const;
    const char* GenerateIrregular(TRandom& rng, double xA, TTrialSurface& out,
                                  std::vector<double>& params) const;
    const char* GenerateBlock(TRandom& rng, TTrialSurface& out, std::vector<double>& params) const;
    // An irregular surface that runs along a weak path: a passive wedge from a down to the path, the
    // path, an active wedge up to b.
    const char* GenerateAlongPath(TRandom& rng, TPoint a, TPoint b, TTrialSurface& out,
                                  std::vector<double>& params) const;
    // A weak path drawn by its weight; null without paths.
    const TWeakPath* DrawPath(TRandom& rng) const;
    const char* BuildCircle(double xA, double& theta, double xB, TTrialSurface& out) const;
    const char* BuildIrregular(const std::vector<double>& params, TTrialSurface& out) const;
    const char* BuildBlock(const std::vector<double>& params, TTrialSurface& out) const;
    // Draws the termination point b on the ground right of the initiation point a (at xA) and gives
    // the first directions that can reach it: false when there are none.
    bool DrawEnds(TRandom& rng, double xA, bool circle, TPoint& a, TPoint& b, double& lo, double& hi) const;
    // Feasible first directions of a surface from A towards B on the ground: [lo, hi), false if none.
    bool FirstDirections(TPoint a, TPoint b, bool circle, double& lo, double& hi) const;
    // The highest slope from p that passes below the ground up to b (irregular surfaces), looking at
    // the ground vertices from `next` on (moved past p); `blocker` receives the ground vertex that
    // sets it, null when the straight line to b passes below the ground.
    double ReachSlope(TPoint p, TPoint b, std::size_t& next, const TPoint*& blocker) const;
    // The least slope of a segment from p to x that passes below no limit line and not below the
    // minimum elevation, and from whose end the chord to b passes neither (-infinity when none
    // applies), with the reason of the bound that sets it.
    double LowestSlope(TPoint p, double x, TPoint b, const char** why) const;
    // The checks of an irregular surface through its points, ends on the ground; null when admissible.
    const char* CheckIrregular(const TPoint* pts, int n) const;
    // The part of them that cutting a surface into pieces keeps: left to right, the first direction
    // within its limits, concave.
    const char* CheckIrregularShape(const TPoint* pts, int n) const;
    double GroundSlopeRightOf(double x) const;
    // Where the arc of centre c and radius r from a (on the lower half) first leaves the ground.
    bool ArcExit(TPoint a, TPoint c, double r, TPoint& exit) const;
    // How far the arc from x0 to x1 stays above the limit lines and the minimum elevation at least,
    // and whether it passes below one of them.
    double ArcClearance(TPoint c, double r, double x0, double x1, const char** why) const;
    const char* ArcDepth(TPoint c, double r, double x0, double x1) const;
    // The clearance of the arc from a, tangent to direction `deg`, to b (-infinity when there is none).
    double Clearance(TPoint a, double deg, TPoint b, const char** why) const;
    // Appends the segment from the last point of `pts` to `to`, split into pieces no longer than the
    // segment length while the point budget lasts.
    void AppendSplit(std::vector<TPoint>& pts, TPoint to, double length, int reserve) const;
    TPoint OnGround(double x) const { return {x, Geometry.GroundY(x)}; }
    double TerminationFrom(double xA) const;

    const TSearchGeometry& Geometry;
    const TSearchControls& Controls;
    const TStrata* Strata = nullptr;
    double PathWeight = 0; // the sum of the paths' weights
    int PointCount = 0;
    double Step = 0; // irregular: the segment length in use
    // The direction limits as slopes: the limits themselves, and widened by the angle tolerance.
    double CwSlope = 0, CcwSlope = 0, CwSlopeLo = 0, CcwSlopeHi = 0;
};

} // namespace quolm::search
