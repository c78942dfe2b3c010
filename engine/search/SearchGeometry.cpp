#include "engine/search/SearchGeometry.h"
#include "engine/AscendingY.h"
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace quolm::search {

namespace {
constexpr double DegPerRad = 57.295779513082320876798;

// y of the polyline p (x strictly increasing) at x within its span; `k` is a hint that only grows.
double PolylineY(const TPoint* p, int n, double x, int& k) {
    while (k + 2 < n && p[k + 1].X < x)
        ++k;
    const TPoint& a = p[k];
    const TPoint& b = p[k + 1];
    const double w = b.X - a.X;
    return w > 0 ? a.Y + (b.Y - a.Y) * (x - a.X) / w : std::min(a.Y, b.Y);
}

double PolylineYAt(const TPoint* p, int n, double x) {
    const TPoint* it = std::upper_bound(p, p + n, x, [](double v, const TPoint& q) { return v < q.X; });
    int k = static_cast<int>(it - p) - 1;
    k = std::clamp(k, 0, n - 2);
    int hint = k;
    return PolylineY(p, n, x, hint);
}
} // namespace

std::string NumberText(double v) {
    if (std::abs(v) < 5e-13)
        v = 0;
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, r.ptr);
}

TSearchGeometry::TSearchGeometry(std::vector<TPoint> ground, std::vector<TSegment> limits,
                                 bool useMinimumElevation, double minimumElevation)
    : GroundPoints(std::move(ground)), LimitLines(std::move(limits)), UseMinimum(useMinimumElevation),
      Minimum(minimumElevation) {
    double lo = GroundPoints.front().Y, hi = lo;
    for (const TPoint& p : GroundPoints) {
        lo = std::min(lo, p.Y);
        hi = std::max(hi, p.Y);
    }
    Size = std::max(Right() - Left(), hi - lo);
    if (!(Size > 0))
        Size = 1;
    for (std::size_t i = 0; i + 1 < GroundPoints.size(); ++i) {
        const TPoint& a = GroundPoints[i];
        const TPoint& b = GroundPoints[i + 1];
        Directions.push_back(std::atan2(b.Y - a.Y, b.X - a.X) * DegPerRad);
    }
}

int TSearchGeometry::SegmentAt(double x) const {
    const int n = static_cast<int>(GroundPoints.size());
    const auto it = std::upper_bound(GroundPoints.begin(), GroundPoints.end(), x,
                                     [](double v, const TPoint& q) { return v < q.X; });
    int i = std::clamp(static_cast<int>(it - GroundPoints.begin()) - 1, 0, n - 2);
    // A vertical step at the right end: the last segment of width.
    while (i > 0 && !(GroundPoints[i + 1].X > GroundPoints[i].X))
        --i;
    return i;
}

double TSearchGeometry::GroundY(double x) const {
    if (x <= Left())
        return GroundPoints.front().Y;
    if (x >= Right())
        return GroundPoints.back().Y;
    return YOnSegment(SegmentAt(x), x);
}

double TSearchGeometry::GroundDirectionRightOf(double x) const {
    return Directions[static_cast<std::size_t>(SegmentAt(x))];
}

double TSearchGeometry::Clearance(const TPoint* p, int n, const char** why) const {
    TLeastClearance least;
    auto take = [&](double clearance, const char* what) { least.Take(clearance, what); };
    if (UseMinimum)
        for (int k = 0; k < n; ++k)
            take(p[k].Y - Minimum, reason::BelowMinimum);
    const double x0 = p[0].X, x1 = p[n - 1].X;
    for (const TSegment& l : LimitLines) {
        const double lo = std::max(x0, l.A.X), hi = std::min(x1, l.B.X);
        if (lo > hi)
            continue;
        const double w = l.B.X - l.A.X;
        if (!(w > 0)) {
            // A vertical limit: the surface may not pass below its top.
            take(PolylineYAt(p, n, l.A.X) - std::max(l.A.Y, l.B.Y), reason::BelowLimit);
            continue;
        }
        auto limitY = [&](double x) { return l.A.Y + (l.B.Y - l.A.Y) * (x - l.A.X) / w; };
        // Both are straight between the vertices of either: the vertices decide.
        take(PolylineYAt(p, n, lo) - limitY(lo), reason::BelowLimit);
        take(PolylineYAt(p, n, hi) - limitY(hi), reason::BelowLimit);
        for (int k = 1; k + 1 < n; ++k)
            if (p[k].X > lo && p[k].X < hi)
                take(p[k].Y - limitY(p[k].X), reason::BelowLimit);
    }
    return least.Result(why);
}

const char* TSearchGeometry::CheckDepth(const TPoint* p, int n) const {
    const char* why = nullptr;
    return Clearance(p, n, &why) < -Tolerance() * 10 ? why : nullptr;
}

const char* TSearchGeometry::CheckPolyline(const TPoint* p, int n) const {
    if (n < 2)
        return reason::NotLeftToRight;
    for (int k = 1; k < n; ++k)
        if (!(p[k].X > p[k - 1].X))
            return reason::NotLeftToRight;
    TPoint exit;
    int segment = 0;
    if (FirstExit(p, n, exit, segment))
        return exit.X <= p[0].X + Tolerance() * 1000 ? reason::NotIntoGround : reason::Reenters;
    return CheckDepth(p, n);
}

double TSearchGeometry::DepthBelowGround(TPoint a, TPoint b) const {
    double least = GroundY(b.X) - b.Y;
    const auto first = std::upper_bound(GroundPoints.begin(), GroundPoints.end(), a.X,
                                        [](double v, const TPoint& q) { return v < q.X; });
    const double w = b.X - a.X;
    for (auto it = first; it != GroundPoints.end() && it->X < b.X; ++it)
        least = std::min(least, it->Y - (a.Y + (b.Y - a.Y) * (it->X - a.X) / w));
    return least;
}

bool TSearchGeometry::FirstExit(const TPoint* p, int n, TPoint& exit, int& segment) const {
    // Breakpoints of the difference d = surface - ground, left to right: the surface's vertices and
    // the ground's (a vertical step gives two at one x). Between two of them d is linear.
    const double tol = Tolerance();
    const double x0 = p[0].X, xn = p[n - 1].X;
    const int m = static_cast<int>(GroundPoints.size());
    int g = static_cast<int>(std::upper_bound(GroundPoints.begin(), GroundPoints.end(), x0 + tol,
                                              [](double v, const TPoint& q) { return v < q.X; }) -
                             GroundPoints.begin());
    int s = 1;
    int hint = 0;
    TAscendingY groundAt(GroundPoints); // at the surface's vertices, left to right
    double prevX = x0, prevD = 0;
    bool entered = false;
    while (true) {
        double x, d;
        const bool groundNext = g < m && GroundPoints[g].X < xn - tol && GroundPoints[g].X <= p[s].X;
        if (groundNext) {
            x = GroundPoints[g].X;
            int h = hint;
            d = PolylineY(p, n, x, h) - GroundPoints[g].Y;
            hint = h;
            ++g;
        } else if (s < n - 1) {
            x = p[s].X;
            d = p[s].Y - groundAt.At(x);
            ++s;
        } else {
            return false; // reached the last point inside the ground
        }
        if (!entered) {
            if (d >= -tol) {
                exit = p[0];
                segment = 0;
                return true;
            }
            entered = true;
        } else if (d >= -tol) {
            const double t = x > prevX ? std::min(1.0, prevD / (prevD - d)) : 1.0;
            exit.X = prevX + (x - prevX) * t;
            exit.Y = PolylineYAt(p, n, exit.X);
            const TPoint* it =
                std::upper_bound(p, p + n, exit.X, [](double v, const TPoint& q) { return v < q.X; });
            segment = std::clamp(static_cast<int>(it - p) - 1, 0, n - 2);
            return true;
        }
        prevX = x;
        prevD = d;
        // Most of a surface runs inside the ground from one of its vertices to the next with no
        // ground vertex in between: such vertices are taken here without the tests above. The first
        // that is not inside, the last vertex and a ground vertex are left to them.
        const double groundBefore = g < m && GroundPoints[g].X < xn - tol ? GroundPoints[g].X : xn;
        while (s < n - 1 && p[s].X < groundBefore) {
            const double vx = p[s].X;
            const double vd = p[s].Y - groundAt.At(vx);
            if (vd >= -tol)
                break;
            ++s;
            prevX = vx;
            prevD = vd;
        }
    }
}

bool TSearchGeometry::RayToGround(TPoint from, double dx, double dy, TPoint& hit) const {
    const int n = static_cast<int>(GroundPoints.size());
    const double eps = Tolerance();
    const int first = SegmentAt(from.X);
    const int step = dx > 0 ? 1 : -1;
    for (int i = first; i >= 0 && i < n - 1; i += step) {
        const TPoint& a = GroundPoints[i];
        const TPoint& b = GroundPoints[i + 1];
        const double ex = b.X - a.X, ey = b.Y - a.Y;
        const double den = dx * ey - dy * ex;
        if (den == 0)
            continue;
        const double wx = a.X - from.X, wy = a.Y - from.Y;
        const double t = (wx * ey - wy * ex) / den;
        const double u = (wx * dy - wy * dx) / den;
        if (t > eps && u >= -1e-12 && u <= 1 + 1e-12) {
            hit = {from.X + t * dx, from.Y + t * dy};
            return true;
        }
    }
    return false;
}

namespace {
void Error(std::vector<TSearchMessage>& out, const char* code, std::string text) {
    out.push_back({code, std::move(text)});
}

std::string Range(double a, double b) {
    return "x = " + NumberText(a) + " to " + NumberText(b);
}
} // namespace

void CheckControls(const TSearchGeometry& g, const TSearchControls& c, std::vector<TSearchMessage>& errors,
                   std::vector<TSearchMessage>& warnings) {
    const double tol = g.Tolerance() * 1000;
    const std::string ground = "the ground surface, which runs from " + Range(g.Left(), g.Right());
    if (c.Kind == TSearchKind::Block) {
        if (c.SurfacesPerPoint < 1)
            Error(
                errors, "E301",
                "The block search generates no surfaces: enter at least 1 as the total number of surfaces.");
        else if (c.SurfacesPerPoint > 1000000)
            Error(errors, "E302",
                  "The block search would generate " + std::to_string(c.SurfacesPerPoint) +
                      " surfaces; at most 1000000 are allowed: enter fewer.");
        if (c.Boxes.empty())
            Error(errors, "E311",
                  "The block search needs at least one box: enter the boxes the base of the central block "
                  "passes through.");
        if (c.Boxes.size() > MaxBoxes)
            Error(errors, "E315",
                  "The block search has " + std::to_string(c.Boxes.size()) + " boxes; at most " +
                      std::to_string(MaxBoxes) + " are allowed.");
        for (std::size_t k = 0; k < c.Boxes.size(); ++k) {
            const TSearchBox& b = c.Boxes[k];
            const std::string name = "Box " + std::to_string(k + 1);
            if (b.Left.X > b.Right.X)
                Error(errors, "E312",
                      name + " runs from x = " + NumberText(b.Left.X) + " to x = " + NumberText(b.Right.X) +
                          ": its left end must lie left of its right end.");
            if (b.SideLength < 0)
                Error(errors, "E313",
                      name + " has a negative vertical side length (" + NumberText(b.SideLength) +
                          "): enter 0 or more.");
            if (std::min(b.Left.X, b.Right.X) < g.Left() - tol ||
                std::max(b.Left.X, b.Right.X) > g.Right() + tol)
                Error(errors, "E314", name + " reaches beyond " + ground + ": keep the boxes within it.");
            if (k > 0 && b.Left.X < c.Boxes[k - 1].Right.X)
                warnings.push_back({"W304", "Boxes " + std::to_string(k) + " and " + std::to_string(k + 1) +
                                                " overlap in x: a block whose base points fall out of order "
                                                "is not analysed."});
        }
        if (!(c.SegmentLength > 0))
            warnings.push_back({"W302", "The segment length of the block search is " +
                                            NumberText(c.SegmentLength) +
                                            ": the base and the wedges are not subdivided."});
        return;
    }
    const char* search = c.Kind == TSearchKind::Irregular ? "irregular search" : "search";
    if (c.InitiationPoints < 1 || c.SurfacesPerPoint < 1)
        Error(errors, "E301",
              std::string("The ") + search + " generates no surfaces (" + std::to_string(c.InitiationPoints) +
                  " initiation points, " + std::to_string(c.SurfacesPerPoint) +
                  " surfaces per point): enter at least 1 of each.");
    else if (static_cast<long long>(c.InitiationPoints) * c.SurfacesPerPoint > 1000000)
        Error(errors, "E302",
              std::string("The ") + search + " would generate " +
                  std::to_string(static_cast<long long>(c.InitiationPoints) * c.SurfacesPerPoint) +
                  " surfaces; at most 1000000 are allowed: reduce the initiation points or the surfaces "
                  "per point.");
    bool rangesOk = true;
    if (c.LeftInitiationX > c.RightInitiationX) {
        rangesOk = false;
        Error(errors, "E303",
              "The left initiation X-coordinate (" + NumberText(c.LeftInitiationX) +
                  ") lies right of the right one (" + NumberText(c.RightInitiationX) + "): swap them.");
    }
    if (c.LeftTerminationX > c.RightTerminationX) {
        rangesOk = false;
        Error(errors, "E304",
              "The left termination X-coordinate (" + NumberText(c.LeftTerminationX) +
                  ") lies right of the right one (" + NumberText(c.RightTerminationX) + "): swap them.");
    }
    if (c.LeftInitiationX < g.Left() - tol || c.RightInitiationX > g.Right() + tol) {
        rangesOk = false;
        Error(errors, "E305",
              "The initiation range " + Range(c.LeftInitiationX, c.RightInitiationX) + " reaches beyond " +
                  ground + ": keep it within the ground.");
    }
    if (c.LeftTerminationX < g.Left() - tol || c.RightTerminationX > g.Right() + tol) {
        rangesOk = false;
        Error(errors, "E306",
              "The termination range " + Range(c.LeftTerminationX, c.RightTerminationX) + " reaches beyond " +
                  ground + ": keep it within the ground.");
    }
    if (rangesOk && !(c.RightTerminationX > c.LeftInitiationX))
        Error(errors, "E307",
              "The termination range " + Range(c.LeftTerminationX, c.RightTerminationX) +
                  " lies left of the initiation range " + Range(c.LeftInitiationX, c.RightInitiationX) +
                  ": trial surfaces begin at the toe on the left and end on the right.");
    if (c.CwLimit > c.CcwLimit)
        Error(errors, "E308",
              "The clockwise limit (" + NumberText(c.CwLimit) +
                  " degrees) lies above the counterclockwise "
                  "limit (" +
                  NumberText(c.CcwLimit) +
                  " degrees): the clockwise limit is the lower one, a "
                  "negative value.");
    if (!(c.CwLimit > -90) || !(c.CcwLimit < 90))
        Error(errors, "E309",
              "The direction limits (" + NumberText(c.CwLimit) + " and " + NumberText(c.CcwLimit) +
                  " degrees) must lie between -90 and 90 degrees.");
    if (!(c.SegmentLength > 0)) {
        if (c.Kind == TSearchKind::Irregular)
            Error(errors, "E310",
                  "The segment length of the irregular search is " + NumberText(c.SegmentLength) +
                      ": enter the length of the surfaces' straight segments (about a tenth of the slope "
                      "height).");
        else
            warnings.push_back({"W301", "The segment length of the search is " + NumberText(c.SegmentLength) +
                                            ": every arc is drawn with 24 straight segments."});
    }
}

bool SearchProblemOf(const TSlopeDescription& d, TSearchProblem& out, std::vector<TSearchMessage>& errors) {
    const TSlopeSettings& s = d.Settings;
    TSearchControls& c = out.Controls;
    switch (s.SearchKind) {
    case 2:
    case 3:
    case 6:
        c.Kind = TSearchKind::Circular;
        break;
    case 4:
        c.Kind = TSearchKind::Irregular;
        break;
    case 5:
        c.Kind = TSearchKind::Block;
        break;
    default:
        Error(errors, "E300", "The input chooses no failure-surface search.");
        return false;
    }
    const int count = s.SurfaceBoundaryCount;
    if (count < 1 || count > static_cast<int>(d.Boundaries.size())) {
        Error(errors, "E330",
              "The profile has no ground surface: enter the number of boundary lines that form it.");
        return false;
    }
    std::vector<TPoint> ground;
    ground.push_back(
        {static_cast<double>(d.Boundaries[0].LeftX), static_cast<double>(d.Boundaries[0].LeftY)});
    for (int i = 0; i < count; ++i) {
        const TSlopeBoundary& b = d.Boundaries[static_cast<std::size_t>(i)];
        const TPoint right{static_cast<double>(b.RightX), static_cast<double>(b.RightY)};
        if (right.X < ground.back().X || static_cast<double>(b.LeftX) > right.X) {
            Error(errors, "E331",
                  "Ground-surface line " + std::to_string(i + 1) +
                      " does not run left to right: the searches need the ground from left to right.");
            return false;
        }
        ground.push_back(right);
    }
    if (!(ground.back().X > ground.front().X)) {
        Error(errors, "E330", "The ground surface has no width.");
        return false;
    }
    std::vector<TSegment> limits;
    if (s.HasLimits)
        for (const TSlopeLimit& l : d.Limits) {
            TSegment seg{{static_cast<double>(l.LeftX), static_cast<double>(l.LeftY)},
                         {static_cast<double>(l.RightX), static_cast<double>(l.RightY)}};
            if (seg.B.X < seg.A.X)
                std::swap(seg.A, seg.B);
            limits.push_back(seg);
        }
    // The block search's controls hold no minimum elevation: its boxes bound its depth.
    const bool block = c.Kind == TSearchKind::Block;
    out.Geometry = TSearchGeometry(std::move(ground), std::move(limits), !block,
                                   static_cast<double>(s.MinimumElevation));
    c.InitiationPoints = s.InitiationPoints;
    c.SurfacesPerPoint = s.SurfacesPerPoint;
    c.LeftInitiationX = static_cast<double>(s.LeftInitiationX);
    c.RightInitiationX = static_cast<double>(s.RightInitiationX);
    c.LeftTerminationX = static_cast<double>(s.LeftTerminationX);
    c.RightTerminationX = static_cast<double>(s.RightTerminationX);
    c.SegmentLength = static_cast<double>(block ? s.BlockSegmentLength : s.SegmentLength);
    c.CcwLimit = static_cast<double>(s.CcwLimit);
    c.CwLimit = static_cast<double>(s.CwLimit);
    if (block)
        for (const TSlopeBox& b : d.Boxes)
            c.Boxes.push_back({{static_cast<double>(b.LeftX), static_cast<double>(b.LeftY)},
                               {static_cast<double>(b.RightX), static_cast<double>(b.RightY)},
                               static_cast<double>(b.SideLength)});
    return true;
}

} // namespace quolm::search
