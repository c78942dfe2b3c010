// The refinement's view of a generated surface: the bounds of its parameters, its simplified form,
// the optimiser's budget and the notes on which parameters lie at an edge of their range.
#include "engine/search/SurfaceGenerators.h"
#include "engine/search/SurfaceMath.h"
#include <algorithm>
#include <cmath>

namespace quolm::search {

// ---- refinement bounds and edges --------------------------------------------------------------

TSurfaceGenerator::TBounds TSurfaceGenerator::Bounds(const std::vector<double>& params) const {
    TBounds b;
    const double fine = Geometry.Extent() * 1e-4;
    auto add = [&](double lo, double hi, double step, double minStep) {
        b.Lo.push_back(lo);
        b.Hi.push_back(hi);
        b.Step.push_back(hi > lo ? step : 0.0);
        b.MinStep.push_back(minStep);
    };
    const TSearchControls& c = Controls;
    const double initiationStep = PointCount > 1
                                      ? (c.RightInitiationX - c.LeftInitiationX) / (2.0 * (PointCount - 1))
                                      : (c.RightInitiationX - c.LeftInitiationX) / 4;
    const double terminationStep = (c.RightTerminationX - c.LeftTerminationX) / 8;
    switch (c.Kind) {
    case TSearchKind::Circular:
        add(c.LeftInitiationX, c.RightInitiationX, initiationStep, fine);
        add(c.CwLimit, c.CcwLimit, std::max(0.5, (c.CcwLimit - c.CwLimit) / 8), 0.002);
        add(c.LeftTerminationX, c.RightTerminationX, terminationStep, fine);
        break;
    case TSearchKind::Irregular: {
        const double inf = std::numeric_limits<double>::infinity();
        add(c.LeftInitiationX, c.RightInitiationX, initiationStep, fine);
        for (std::size_t k = 1; k + 1 < params.size(); ++k)
            add(-inf, inf, Step / 2, Step * 1e-3);
        add(c.LeftTerminationX, c.RightTerminationX, terminationStep, fine);
        break;
    }
    case TSearchKind::Block:
        for (const TSearchBox& box : c.Boxes) {
            const double length = std::hypot(box.Right.X - box.Left.X, box.Right.Y - box.Left.Y);
            add(0, length > 0 ? 1 : 0, 0.125, length > 0 ? fine / length : 1);
            add(-0.5 * box.SideLength, 0.5 * box.SideLength, box.SideLength / 8, fine);
        }
        add(PassiveLo, PassiveHi, 4, 0.002);
        add(ActiveLo, ActiveHi, 4, 0.002);
        break;
    }
    return b;
}

std::vector<double> TSurfaceGenerator::Simplified(const std::vector<double>& params) const {
    if (Controls.Kind != TSearchKind::Irregular || params.size() < 4)
        return params;
    std::vector<TPoint> p;
    p.push_back(OnGround(params.front()));
    for (std::size_t k = 1; k + 1 < params.size(); k += 2)
        p.push_back({params[k], params[k + 1]});
    p.push_back(OnGround(params.back()));
    auto turning = [&](std::size_t k) {
        double t = Direction(p[k], p[k + 1]) - Direction(p[k - 1], p[k]);
        return std::abs(t);
    };
    constexpr std::size_t MaxVertices = 12;
    while (p.size() > 2) {
        std::size_t least = 1;
        for (std::size_t k = 2; k + 1 < p.size(); ++k)
            if (turning(k) < turning(least))
                least = k;
        if (p.size() <= MaxVertices + 2 && turning(least) >= 0.5)
            break;
        p.erase(p.begin() + static_cast<std::ptrdiff_t>(least));
    }
    std::vector<double> out{params.front()};
    for (std::size_t k = 1; k + 1 < p.size(); ++k) {
        out.push_back(p[k].X);
        out.push_back(p[k].Y);
    }
    out.push_back(params.back());
    return out;
}

int TSurfaceGenerator::RefineBudget(int parameterCount) const {
    if (Controls.Kind == TSearchKind::Circular)
        return 300;
    return std::clamp(30 * parameterCount, 300, 1000);
}

std::vector<TEdgeNote> TSurfaceGenerator::Edges(const std::vector<double>& params,
                                                const TTrialSurface& surface) const {
    std::vector<TEdgeNote> notes;
    if (surface.Points.size() < 2)
        return notes;
    const TSearchControls& c = Controls;
    const double tol = Geometry.Extent() * 1e-3;
    const std::vector<TPoint>& p = surface.Points;
    auto at = [](double x, double y) { return " (x = " + NumberText(x) + ", y = " + NumberText(y) + ")"; };

    if (c.Kind == TSearchKind::Block) {
        for (std::size_t k = 0; k < c.Boxes.size() && 2 * k + 1 < params.size(); ++k) {
            const TSearchBox& box = c.Boxes[k];
            const double t = params[2 * k], v = params[2 * k + 1];
            const bool hasLength = std::hypot(box.Right.X - box.Left.X, box.Right.Y - box.Left.Y) > tol;
            const bool hasSides = box.SideLength > tol;
            if ((hasLength && (t < 1e-3 || t > 1 - 1e-3)) ||
                (hasSides && std::abs(v) > 0.5 * box.SideLength - tol)) {
                const double x = box.Left.X + t * (box.Right.X - box.Left.X);
                const double y = box.Left.Y + t * (box.Right.Y - box.Left.Y) + v;
                notes.push_back({TEdge::BoxSide, static_cast<int>(k),
                                 "The base of the critical block passes through the edge of box " +
                                     std::to_string(k + 1) + at(x, y) +
                                     ": a more critical block may lie beyond it; enlarge the box."});
            }
        }
        return notes;
    }

    const TPoint a = p.front(), e = p.back();
    if (c.RightInitiationX - c.LeftInitiationX > tol) {
        if (a.X <= c.LeftInitiationX + tol)
            notes.push_back({TEdge::LeftInitiation, -1,
                             "The critical surface begins at the left end of the initiation range" +
                                 at(a.X, a.Y) +
                                 ": a more critical surface may begin further left; widen the range."});
        else if (a.X >= c.RightInitiationX - tol)
            notes.push_back({TEdge::RightInitiation, -1,
                             "The critical surface begins at the right end of the initiation range" +
                                 at(a.X, a.Y) +
                                 ": a more critical surface may begin further right; widen the range."});
    }
    if (c.RightTerminationX - c.LeftTerminationX > tol) {
        if (e.X <= c.LeftTerminationX + tol)
            notes.push_back({TEdge::LeftTermination, -1,
                             "The critical surface ends at the left end of the termination range" +
                                 at(e.X, e.Y) +
                                 ": a shallower surface ending further left may be more critical; widen the "
                                 "range."});
        else if (e.X >= c.RightTerminationX - tol)
            notes.push_back({TEdge::RightTermination, -1,
                             "The critical surface ends at the right end of the termination range" +
                                 at(e.X, e.Y) +
                                 ": a deeper surface ending further right may be more critical; widen the "
                                 "range."});
    }
    const double first =
        c.Kind == TSearchKind::Circular && params.size() == 3 ? params[1] : Direction(p[0], p[1]);
    if (first <= c.CwLimit + 0.01)
        notes.push_back({TEdge::CwLimit, -1,
                         "The critical surface starts at the clockwise limit (" + NumberText(c.CwLimit) +
                             " degrees): a deeper surface may be more critical; lower the clockwise limit."});
    else if (first >= c.CcwLimit - 0.01)
        notes.push_back(
            {TEdge::CcwLimit, -1,
             "The critical surface starts at the counterclockwise limit (" + NumberText(c.CcwLimit) +
                 " degrees): a shallower surface may be more critical; raise the counterclockwise "
                 "limit."});

    // The lowest clearance above the minimum elevation and the limit lines.
    double lowest = p.front().Y;
    for (const TPoint& q : p)
        lowest = std::min(lowest, q.Y);
    const TPoint centre{surface.Circle.X, surface.Circle.Y};
    if (surface.Circular)
        lowest = ArcY(centre, surface.Circle.R, std::clamp(centre.X, a.X, e.X));
    if (Geometry.UsesMinimumElevation() && lowest <= Geometry.MinimumElevation() + tol)
        notes.push_back({TEdge::MinimumElevation, -1,
                         "The critical surface reaches down to the minimum elevation (y = " +
                             NumberText(Geometry.MinimumElevation()) +
                             "): it is as deep as the search allows."});
    const int n = static_cast<int>(p.size());
    for (const TSegment& l : Geometry.Limits()) {
        const double lo = std::max(a.X, l.A.X), hi = std::min(e.X, l.B.X);
        const double w = l.B.X - l.A.X;
        if (lo > hi || !(w > 0))
            continue;
        const double slope = (l.B.Y - l.A.Y) / w;
        auto limitY = [&](double x) { return l.A.Y + slope * (x - l.A.X); };
        double clearance = std::numeric_limits<double>::infinity();
        if (surface.Circular) {
            const double x =
                std::clamp(centre.X + surface.Circle.R * slope / std::sqrt(1 + slope * slope), lo, hi);
            clearance = ArcY(centre, surface.Circle.R, x) - limitY(x);
        } else {
            for (int k = 0; k < n; ++k)
                if (p[k].X >= lo && p[k].X <= hi)
                    clearance = std::min(clearance, p[k].Y - limitY(p[k].X));
        }
        if (clearance <= tol) {
            notes.push_back({TEdge::Limit, -1,
                             "The critical surface runs along a limit line: it is as deep as "
                             "the limits allow."});
            break;
        }
    }
    return notes;
}

} // namespace quolm::search
