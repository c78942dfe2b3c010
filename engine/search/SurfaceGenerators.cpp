#include "engine/search/SurfaceGenerators.h"
#include "engine/search/SurfaceMath.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace quolm::search {

namespace {
// Directions closer than this (degrees) to a limit count as on it.
constexpr double AngleEps = 1e-7;
// Shares of the irregular and the block surfaces drawn along a weak path, when there are any.
constexpr double IrregularPathShare = 1.0 / 3, BlockPathShare = 0.5;
// The irregular search's segment length is at least its reach over this many segments.
constexpr int IrregularSegmentsMax = 150;
// Vertices an irregular surface turns at, besides those that take it below convex corners of the
// ground: drawn from 1 to this many.
constexpr int IrregularTurnsMax = 5;
// The slope just below s: s less the slope of AngleEps degrees at s.
double BelowSlope(double s) {
    return s - Rad(AngleEps) * (1 + s * s);
}

// The circle through a, tangent there to direction `deg`, through b: its centre lies on the left of
// that direction. False when b does not lie on the left of the tangent.
bool CircleThrough(TPoint a, double deg, TPoint b, TPoint& centre, double& radius) {
    const double nx = -std::sin(Rad(deg)), ny = std::cos(Rad(deg));
    const double wx = b.X - a.X, wy = b.Y - a.Y;
    const double den = 2 * (nx * wx + ny * wy);
    if (!(den > 0))
        return false;
    radius = (wx * wx + wy * wy) / den;
    centre = {a.X + radius * nx, a.Y + radius * ny};
    return std::isfinite(radius);
}

// Where the ray from p in direction (dx, dy) first meets the polyline `path` (x increasing), with the
// segment it meets; false when it misses it.
bool RayToPath(TPoint p, double dx, double dy, const std::vector<TPoint>& path, TPoint& hit, int& segment) {
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k + 1 < path.size(); ++k) {
        const TPoint a = path[k], b = path[k + 1];
        const double ex = b.X - a.X, ey = b.Y - a.Y;
        const double den = dx * ey - dy * ex;
        if (std::abs(den) < 1e-15)
            continue;
        const double wx = a.X - p.X, wy = a.Y - p.Y;
        const double t = (wx * ey - wy * ex) / den; // along the ray
        const double u = (wx * dy - wy * dx) / den; // along the segment
        if (t > 0 && u >= 0 && u <= 1 && t < best) {
            best = t;
            hit = {a.X + u * ex, a.Y + u * ey};
            segment = static_cast<int>(k);
        }
    }
    return std::isfinite(best);
}

// Smallest u in [lo, hi] where clearance(u) >= 0 (to within `close`), the clearance rising with u
// from flo < 0 at lo to fhi >= 0 at hi: regula falsi in its Illinois form, which keeps the bracket
// and converges in a few steps on these smooth clearances.
template <class F>
double LowestClear(double lo, double hi, double flo, double fhi, double close, F clearance) {
    int side = 0;
    for (int k = 0; k < 100 && hi - lo > 1e-11 * (1 + std::abs(hi)) && fhi > close; ++k) {
        double u = (lo * fhi - hi * flo) / (fhi - flo);
        if (!(u > lo && u < hi))
            u = 0.5 * (lo + hi);
        const double f = clearance(u);
        if (f >= 0) {
            hi = u;
            fhi = f;
            if (side == 1)
                flo *= 0.5;
            side = 1;
        } else {
            lo = u;
            flo = f;
            if (side == -1)
                fhi *= 0.5;
            side = -1;
        }
    }
    return hi;
}
} // namespace

TSurfaceGenerator::TSurfaceGenerator(const TSearchGeometry& geometry, const TSearchControls& controls,
                                     const TStrata* strata)
    : Geometry(geometry), Controls(controls), Strata(strata) {
    if (strata)
        for (const TWeakPath& p : strata->Paths)
            if (p.Points.size() >= 2 && p.Weight > 0)
                PathWeight += p.Weight;
    PointCount = controls.Kind == TSearchKind::Block ? 1 : std::max(0, controls.InitiationPoints);
    auto slope = [](double deg) {
        const double inf = std::numeric_limits<double>::infinity();
        return deg <= -90 ? -inf : (deg >= 90 ? inf : std::tan(Rad(deg)));
    };
    CwSlope = slope(controls.CwLimit);
    CcwSlope = slope(controls.CcwLimit);
    CwSlopeLo = slope(controls.CwLimit - AngleEps);
    CcwSlopeHi = slope(controls.CcwLimit + AngleEps);
    Step = controls.SegmentLength;
    if (controls.Kind == TSearchKind::Irregular) {
        const double reach = controls.RightTerminationX - controls.LeftInitiationX;
        Step = std::max(Step, reach / IrregularSegmentsMax);
    }
}

double TSurfaceGenerator::InitiationX(int point) const {
    const double lo = Controls.LeftInitiationX, hi = Controls.RightInitiationX;
    if (PointCount <= 1)
        return 0.5 * (lo + hi);
    return point == PointCount - 1 ? hi : lo + (hi - lo) * point / (PointCount - 1);
}

double TSurfaceGenerator::TerminationFrom(double xA) const {
    return std::max(Controls.LeftTerminationX, xA + Geometry.Extent() * 1e-6);
}

const char* TSurfaceGenerator::Generate(std::uint64_t seed, int point, int number, TTrialSurface& out,
                                        std::vector<double>& params) const {
    TRandom rng(seed, static_cast<std::uint64_t>(point), static_cast<std::uint64_t>(number));
    out.Points.clear();
    out.Circular = false;
    params.clear();
    switch (Controls.Kind) {
    case TSearchKind::Circular:
        return GenerateCircle(rng, InitiationX(point), out, params);
    case TSearchKind::Irregular:
        return GenerateIrregular(rng, InitiationX(point), out, params);
    case TSearchKind::Block:
        return GenerateBlock(rng, out, params);
    }
    return reason::NoArc;
}

const char* TSurfaceGenerator::Build(std::vector<double>& params, TTrialSurface& out) const {
    out.Points.clear();
    out.Circular = false;
    switch (Controls.Kind) {
    case TSearchKind::Circular:
        return params.size() == 3 ? BuildCircle(params[0], params[1], params[2], out) : reason::Range;
    case TSearchKind::Irregular:
        return BuildIrregular(params, out);
    case TSearchKind::Block:
        return BuildBlock(params, out);
    }
    return reason::Range;
}

bool TSurfaceGenerator::FirstDirections(TPoint a, TPoint b, bool circle, double& lo, double& hi) const {
    const double alpha = Direction(a, b);
    const double ground = Geometry.GroundDirectionRightOf(a.X);
    // Into the ground, below the chord to the termination point (a concave surface can reach it only
    // from below) and, for an arc, not so deep that it would pass beyond the vertical.
    hi = std::min({Controls.CcwLimit, alpha - AngleEps, ground - AngleEps});
    lo = Controls.CwLimit;
    if (circle)
        lo = std::max(lo, 2 * alpha - 90 + AngleEps);
    return lo < hi;
}

bool TSurfaceGenerator::DrawEnds(TRandom& rng, double xA, bool circle, TPoint& a, TPoint& b, double& lo,
                                 double& hi) const {
    a = OnGround(xA);
    const double from = TerminationFrom(xA);
    if (from > Controls.RightTerminationX)
        return false;
    b = OnGround(rng.Uniform(from, Controls.RightTerminationX));
    return FirstDirections(a, b, circle, lo, hi);
}

// ---- circular surfaces ------------------------------------------------------------------------

const char* TSurfaceGenerator::GenerateCircle(TRandom& rng, double xA, TTrialSurface& out,
                                              std::vector<double>& params) const {
    TPoint a, b;
    double lo, hi;
    if (!DrawEnds(rng, xA, true, a, b, lo, hi))
        return reason::NoArc;
    // The arcs through a and b nest, deeper the lower the first direction: the directions that keep
    // the arc above the limits and the minimum elevation are those above one bound.
    const char* why = nullptr;
    const double fhi = Clearance(a, hi, b, &why);
    if (fhi < -Geometry.Tolerance() * 10)
        return why ? why : reason::NoArc;
    const double flo = Clearance(a, lo, b, nullptr);
    if (flo < -Geometry.Tolerance() * 10)
        lo = LowestClear(lo, hi, flo, fhi, Geometry.Tolerance(),
                         [&](double deg) { return Clearance(a, deg, b, nullptr); });
    params = {xA, rng.Uniform(lo, hi), b.X};
    return BuildCircle(params[0], params[1], params[2], out);
}

bool TSurfaceGenerator::ArcExit(TPoint a, TPoint c, double r, TPoint& exit) const {
    const std::vector<TPoint>& g = Geometry.Ground();
    const int n = static_cast<int>(g.size());
    const double eps = Geometry.Tolerance() * 100;
    const double xmax = c.X + r;
    const int first = Geometry.SegmentAt(a.X);
    for (int i = first; i < n - 1 && g[i].X <= xmax; ++i) {
        const TPoint p = g[i], q = g[i + 1];
        const double w = q.X - p.X;
        if (!(w > 0)) {
            // A vertical step: the arc comes out through its face when it reaches above the step's foot.
            if (p.X > a.X + eps && p.X < xmax) {
                const double y = ArcY(c, r, p.X);
                if (y >= q.Y - eps) {
                    exit = {p.X, y};
                    return true;
                }
            }
            continue;
        }
        const double b = (q.Y - p.Y) / w;
        const double dx = c.X - p.X, dy = p.Y - c.Y;
        const double qa = 1 + b * b, qb = 2 * (b * dy - dx), qc = dx * dx + dy * dy - r * r;
        double roots[2];
        int count = 0;
        if (i == first) {
            // a lies on this segment and on the circle: the other root follows from the sum of both.
            roots[count++] = -qb / qa - (a.X - p.X);
        } else {
            const double disc = qb * qb - 4 * qa * qc;
            if (disc < 0)
                continue;
            const double s = std::sqrt(disc);
            const double qq = -0.5 * (qb + (qb >= 0 ? s : -s));
            if (qq == 0)
                continue;
            roots[0] = qq / qa;
            roots[1] = qc / qq;
            if (roots[0] > roots[1])
                std::swap(roots[0], roots[1]);
            count = 2;
        }
        for (int k = 0; k < count; ++k) {
            const double u = roots[k];
            const double x = p.X + u;
            if (!(x > a.X + eps) || u < -1e-12 * w || u > w * (1 + 1e-12) || x > xmax)
                continue;
            const double y = p.Y + b * u;
            if (y > c.Y + eps)
                continue; // on the upper half of the circle
            exit = {x, y};
            return true;
        }
    }
    return false;
}

double TSurfaceGenerator::ArcClearance(TPoint c, double r, double x0, double x1, const char** why) const {
    TLeastClearance least;
    auto take = [&](double clearance, const char* what) { least.Take(clearance, what); };
    if (Geometry.UsesMinimumElevation())
        take(ArcY(c, r, std::clamp(c.X, x0, x1)) - Geometry.MinimumElevation(), reason::BelowMinimum);
    for (const TSegment& l : Geometry.Limits()) {
        const double lo = std::max(x0, l.A.X), hi = std::min(x1, l.B.X);
        if (lo > hi)
            continue;
        const double w = l.B.X - l.A.X;
        if (!(w > 0)) {
            take(ArcY(c, r, l.A.X) - std::max(l.A.Y, l.B.Y), reason::BelowLimit);
            continue;
        }
        // The arc less the line is convex: lowest where the arc runs parallel to the line.
        const double slope = (l.B.Y - l.A.Y) / w;
        const double x = std::clamp(c.X + r * slope / std::sqrt(1 + slope * slope), lo, hi);
        take(ArcY(c, r, x) - (l.A.Y + slope * (x - l.A.X)), reason::BelowLimit);
    }
    return least.Result(why);
}

double TSurfaceGenerator::Clearance(TPoint a, double deg, TPoint b, const char** why) const {
    TPoint c;
    double r;
    if (!CircleThrough(a, deg, b, c, r))
        return -std::numeric_limits<double>::infinity();
    return ArcClearance(c, r, a.X, b.X, why);
}

const char* TSurfaceGenerator::ArcDepth(TPoint c, double r, double x0, double x1) const {
    const char* why = nullptr;
    return ArcClearance(c, r, x0, x1, &why) < -Geometry.Tolerance() * 10 ? why : nullptr;
}

const char* TSurfaceGenerator::BuildCircle(double xA, double& theta, double xB, TTrialSurface& out) const {
    const double tol = Geometry.Tolerance() * 1000;
    if (theta < Controls.CwLimit - AngleEps || theta > Controls.CcwLimit + AngleEps)
        return reason::Direction;
    if (xA < Controls.LeftInitiationX - tol || xA > Controls.RightInitiationX + tol ||
        xB < Controls.LeftTerminationX - tol || xB > Controls.RightTerminationX + tol)
        return reason::Range;
    if (!(xB > xA))
        return reason::NoArc;
    const TPoint a = OnGround(xA), b = OnGround(xB);
    if (theta >= Geometry.GroundDirectionRightOf(xA) - AngleEps * 0.5)
        return reason::NotIntoGround;
    const double alpha = Direction(a, b);
    if (theta >= alpha - AngleEps * 0.5 || theta <= 2 * alpha - 90 + AngleEps * 0.5)
        return reason::NoArc;
    TPoint c;
    double r;
    if (!CircleThrough(a, theta, b, c, r))
        return reason::NoArc;
    const double flo = ArcClearance(c, r, a.X, b.X, nullptr);
    if (flo < -Geometry.Tolerance() * 10) {
        // Too deep: the arcs through a and b nest, so the deepest admissible one has the lowest
        // direction that passes. Taking it keeps a refinement that presses against the minimum
        // elevation or a limit line sliding along it instead of stopping.
        double lo, hi;
        if (!FirstDirections(a, b, true, lo, hi))
            return reason::NoArc;
        const char* why = nullptr;
        const double fhi = Clearance(a, hi, b, &why);
        if (!(theta < hi) || fhi < -Geometry.Tolerance() * 10)
            return why ? why : reason::NoArc;
        theta = LowestClear(theta, hi, flo, fhi, Geometry.Tolerance(),
                            [&](double deg) { return Clearance(a, deg, b, nullptr); });
        CircleThrough(a, theta, b, c, r);
    }
    TPoint e;
    if (!ArcExit(a, c, r, e))
        return reason::OutsideProfile;
    if (e.X < Controls.LeftTerminationX - tol)
        return reason::ExitsEarly;
    if (e.X > Controls.RightTerminationX + tol)
        return reason::ExitsLate;
    if (const char* why = ArcDepth(c, r, a.X, e.X))
        return why;

    const double fa = std::atan2(a.Y - c.Y, a.X - c.X);
    const double fe = std::atan2(e.Y - c.Y, e.X - c.X);
    const double sweep = fe - fa;
    if (!(sweep > 0))
        return reason::NoArc;
    int chords = ArcChordsDefault;
    if (Controls.SegmentLength > 0)
        chords =
            static_cast<int>(std::min<double>(ArcChordsMax, std::ceil(r * sweep / Controls.SegmentLength)));
    chords = std::clamp(chords, ArcChordsMin, ArcChordsMax);
    std::vector<TPoint>& pts = out.Points;
    pts.resize(static_cast<std::size_t>(chords) + 1);
    const double cs = std::cos(sweep / chords), sn = std::sin(sweep / chords);
    double ux = std::cos(fa), uy = std::sin(fa);
    pts[0] = a;
    for (int k = 1; k < chords; ++k) {
        const double vx = ux * cs - uy * sn;
        uy = ux * sn + uy * cs;
        ux = vx;
        pts[static_cast<std::size_t>(k)] = {c.X + r * ux, c.Y + r * uy};
    }
    pts[static_cast<std::size_t>(chords)] = e;
    out.Circular = true;
    out.Circle = {c.X, c.Y, r};
    return nullptr;
}

// ---- irregular surfaces -----------------------------------------------------------------------

void TSurfaceGenerator::AppendSplit(std::vector<TPoint>& pts, TPoint to, double length, int reserve) const {
    const TPoint from = pts.back();
    const double d = Distance(from, to);
    // Counted in double first: a tiny segment length asks for more pieces than an int holds.
    const int room = MaxPoints - reserve - static_cast<int>(pts.size());
    const double wanted = length > 0 ? std::ceil(d / length - 1e-9) : 1;
    int pieces = wanted < room ? static_cast<int>(wanted) : room;
    pieces = std::max(pieces, 1);
    for (int k = 1; k < pieces; ++k) {
        const double t = static_cast<double>(k) / pieces;
        pts.push_back({from.X + (to.X - from.X) * t, from.Y + (to.Y - from.Y) * t});
    }
    pts.push_back(to);
}

double TSurfaceGenerator::ReachSlope(TPoint p, TPoint b, std::size_t& next, const TPoint*& blocker) const {
    // The slope to b, lowered to pass below every ground vertex before it: a surface that turns no
    // further stays in the ground up to b and can still end there turning counterclockwise only.
    const std::vector<TPoint>& g = Geometry.Ground();
    while (next < g.size() && !(g[next].X > p.X))
        ++next;
    double reach = (b.Y - p.Y) / (b.X - p.X);
    blocker = nullptr;
    for (std::size_t k = next; k < g.size() && g[k].X < b.X; ++k) {
        const double s = BelowSlope((g[k].Y - p.Y) / (g[k].X - p.X));
        if (s < reach) {
            reach = s;
            blocker = &g[k];
        }
    }
    return reach;
}

double TSurfaceGenerator::LowestSlope(TPoint p, double x, TPoint b, const char** why) const {
    // The segment from p to q at x, and every bound, are straight between the bound's ends: the ends
    // decide. Beyond q a concave surface to b runs below the chord from q to b, so q must lie high
    // enough for that chord to pass the bounds up to b as well.
    double need = -std::numeric_limits<double>::infinity();
    auto take = [&](double cx, double cy, const char* what) {
        double s;
        if (cx > x) {
            if (!(cx < b.X))
                return;
            const double qy = cy - (b.Y - cy) * (cx - x) / (b.X - cx); // the lowest q for the chord
            s = (qy - p.Y) / (x - p.X);
        } else if (cx > p.X) {
            s = (cy - p.Y) / (cx - p.X);
        } else {
            return;
        }
        if (s > need) {
            need = s;
            *why = what;
        }
    };
    if (Geometry.UsesMinimumElevation())
        take(x, Geometry.MinimumElevation(), reason::BelowMinimum);
    for (const TSegment& l : Geometry.Limits()) {
        const double lo = std::max(p.X, l.A.X), hi = std::min(b.X, l.B.X);
        if (lo > hi)
            continue;
        const double w = l.B.X - l.A.X;
        if (!(w > 0)) {
            take(l.A.X, std::max(l.A.Y, l.B.Y), reason::BelowLimit);
            continue;
        }
        auto at = [&](double cx) {
            take(cx, l.A.Y + (l.B.Y - l.A.Y) * (cx - l.A.X) / w, reason::BelowLimit);
        };
        at(lo);
        at(hi);
        if (x > lo && x < hi)
            at(x);
    }
    return need;
}

double TSurfaceGenerator::GroundSlopeRightOf(double x) const {
    const std::vector<TPoint>& g = Geometry.Ground();
    const int i = Geometry.SegmentAt(x);
    return (g[i + 1].Y - g[i].Y) / (g[i + 1].X - g[i].X);
}

double TSurfaceGenerator::FrictionAt(TPoint p) const {
    return Strata && Strata->FrictionAt ? Strata->FrictionAt(p) : 30.0;
}

const TWeakPath* TSurfaceGenerator::DrawPath(TRandom& rng) const {
    if (!(PathWeight > 0))
        return nullptr;
    double u = rng.Uniform() * PathWeight;
    const TWeakPath* last = nullptr;
    for (const TWeakPath& p : Strata->Paths) {
        if (p.Points.size() < 2 || !(p.Weight > 0))
            continue;
        last = &p;
        if (u < p.Weight)
            break;
        u -= p.Weight;
    }
    return last;
}

const char* TSurfaceGenerator::GenerateAlongPath(TRandom& rng, TPoint a, TPoint b, TTrialSurface& out,
                                                 std::vector<double>& params) const {
    const TWeakPath* path = DrawPath(rng);
    // Rankine's wedge inclinations in the soil below each end, spread either way.
    double passive = 45 - 0.5 * FrictionAt({a.X, a.Y - Step}) + rng.Uniform(-WedgeSpread, WedgeSpread);
    double active = 45 + 0.5 * FrictionAt({b.X, b.Y - Step}) + rng.Uniform(-WedgeSpread, WedgeSpread);
    const double steepest = std::min(89.0, -Controls.CwLimit), flattest = std::max(1.0, -Controls.CcwLimit);
    if (!(flattest <= steepest))
        return reason::Direction;
    passive = std::clamp(passive, flattest, steepest);
    active = std::clamp(active, 1.0, 89.0);
    TPoint p1, p2;
    int s1 = 0, s2 = 0;
    const std::vector<TPoint>& w = path->Points;
    if (!RayToPath(a, std::cos(Rad(passive)), -std::sin(Rad(passive)), w, p1, s1) ||
        !RayToPath(b, -std::cos(Rad(active)), -std::sin(Rad(active)), w, p2, s2) || s2 < s1 || !(p2.X > p1.X))
        return reason::MissesPath;
    std::vector<TPoint>& pts = out.Points;
    pts.clear();
    pts.push_back(a);
    const int reserve = s2 - s1 + 2;
    AppendSplit(pts, p1, Step, reserve);
    for (int k = s1 + 1; k <= s2; ++k)
        if (w[static_cast<std::size_t>(k)].X > pts.back().X && w[static_cast<std::size_t>(k)].X < p2.X)
            AppendSplit(pts, w[static_cast<std::size_t>(k)], Step, reserve - (k - s1));
    AppendSplit(pts, p2, Step, 1);
    AppendSplit(pts, b, Step, 0);
    params.clear();
    params.push_back(a.X);
    for (std::size_t k = 1; k + 1 < pts.size(); ++k) {
        params.push_back(pts[k].X);
        params.push_back(pts[k].Y);
    }
    params.push_back(b.X);
    return BuildIrregular(params, out);
}

const char* TSurfaceGenerator::GenerateIrregular(TRandom& rng, double xA, TTrialSurface& out,
                                                 std::vector<double>& params) const {
    const TPoint a = OnGround(xA);
    const double from = TerminationFrom(xA);
    if (from > Controls.RightTerminationX)
        return reason::NoArc;
    const TPoint b = OnGround(rng.Uniform(from, Controls.RightTerminationX));
    // Into the ground and below the chord to b: a concave surface can reach b only from below.
    double hi =
        std::min({CcwSlope, BelowSlope((b.Y - a.Y) / (b.X - a.X)), BelowSlope(GroundSlopeRightOf(a.X))});
    if (!(CwSlope < hi))
        return reason::NoArc;
    if (PathWeight > 0 && rng.Uniform() < IrregularPathShare)
        return GenerateAlongPath(rng, a, b, out, params);
    std::size_t next = 0; // the first ground vertex right of the surface's last vertex
    const TPoint* blocker = nullptr;
    hi = std::min(hi, ReachSlope(a, b, next, blocker));
    if (!(CwSlope < hi))
        return reason::NoArc;

    // A few vertices at x drawn between the ends; at each the surface turns counterclockwise by a
    // share of what is left up to its reach towards b. A low power turns early (shallow surfaces),
    // a high one late (deep surfaces with a steep back). Directions are kept as slopes: the only
    // angles are the first direction's, drawn uniformly between the direction limits.
    double slope = std::min(hi, std::tan(Rad(rng.Uniform(Controls.CwLimit, Deg(std::atan(hi))))));
    const double power = rng.Uniform(0.5, 4.0);
    const int turns =
        1 + std::min(IrregularTurnsMax - 1, static_cast<int>(rng.Uniform() * IrregularTurnsMax));
    double xs[IrregularTurnsMax];
    for (int k = 0; k < turns; ++k) { // in order, by insertion
        const double x = a.X + (b.X - a.X) * rng.Uniform();
        int j = k;
        for (; j > 0 && xs[j - 1] > x; --j)
            xs[j] = xs[j - 1];
        xs[j] = x;
    }

    std::vector<double>& v = params; // the vertices as x, y pairs until the surface is checked
    v.assign({a.X, a.Y});
    const double gap = Geometry.Tolerance() * 1000;
    TPoint p = a;
    double previous = slope;
    // The segment from p at `slope` to x, lifted just enough to pass the limit lines and the minimum
    // elevation; null, or why no slope up to `top` passes.
    // When no slope up to `top` passes on the way to x, a vertex closer to p may still.
    auto advance = [&](double x, double top) -> const char* {
        const char* why = nullptr;
        const double over = top + 1e-12 * (1 + std::abs(top)); // beyond rounding
        double need = LowestSlope(p, x, b, &why);
        for (int k = 0; k < 4 && need > over; ++k) {
            x = 0.5 * (p.X + x);
            need = LowestSlope(p, x, b, &why);
        }
        if (need > slope) {
            if (need > over)
                return why;
            slope = need;
        }
        p = {x, p.Y + slope * (x - p.X)};
        v.push_back(p.X);
        v.push_back(p.Y);
        previous = slope;
        return nullptr;
    };
    auto turn = [&](double top) { slope = previous + std::pow(rng.Uniform(), power) * (top - previous); };
    bool first = true;
    for (int k = 0; k < turns; ++k) {
        if (!(xs[k] > p.X + gap && xs[k] < b.X - gap))
            continue;
        double top = hi;
        if (!first) {
            top = std::max(previous, ReachSlope(p, b, next, blocker));
            turn(top);
        }
        if (const char* why = advance(xs[k], top))
            return why;
        first = false;
    }
    if (first)
        return reason::NoArc;
    // Below each convex corner of the ground that stands between the last vertex and b.
    while (true) {
        const double reach = ReachSlope(p, b, next, blocker);
        if (!blocker)
            break;
        if (static_cast<int>(v.size()) >= MaxPoints) // half the point budget in corners
            return reason::NoArc;
        const double top = std::max(previous, reach);
        turn(top);
        if (const char* why = advance(blocker->X, top))
            return why;
    }

    std::vector<TPoint>& pts = out.Points;
    pts.clear();
    double length = 0;
    for (std::size_t k = 0; k < v.size(); k += 2) {
        pts.push_back({v[k], v[k + 1]});
        if (k > 0)
            length += Distance(pts[pts.size() - 2], pts.back());
    }
    length += Distance(pts.back(), b);
    pts.push_back(b);
    if (const char* why = CheckIrregularShape(pts.data(), static_cast<int>(pts.size())))
        return why;
    // Cut into pieces of the segment length, longer only where the point budget would run out, and
    // checked against the ground and the bounds as cut, as a rebuilt surface is (the same line: at a
    // vertex within the tolerance of the ground the uncut and the cut one could disagree, and the cut
    // one is the surface analysed). Cutting changes neither the first direction nor the concavity.
    const int vertices = static_cast<int>(pts.size());
    const double piece = std::max(Step, length / (MaxPoints - vertices - 1));
    pts.resize(1);
    for (std::size_t k = 2; k < v.size(); k += 2)
        AppendSplit(pts, {v[k], v[k + 1]}, piece, vertices - static_cast<int>(k / 2) - 1);
    AppendSplit(pts, b, piece, 0);
    if (const char* why = Geometry.CheckPolyline(pts.data(), static_cast<int>(pts.size())))
        return why;
    params.clear();
    params.push_back(a.X);
    for (std::size_t k = 1; k + 1 < pts.size(); ++k) {
        params.push_back(pts[k].X);
        params.push_back(pts[k].Y);
    }
    params.push_back(b.X);
    return nullptr;
}

const char* TSurfaceGenerator::BuildIrregular(const std::vector<double>& params, TTrialSurface& out) const {
    const std::size_t n = params.size();
    if (n < 2 || n % 2 != 0)
        return reason::Range;
    const double tol = Geometry.Tolerance() * 1000;
    const double xA = params.front(), xE = params.back();
    if (xA < Controls.LeftInitiationX - tol || xA > Controls.RightInitiationX + tol ||
        xE < Controls.LeftTerminationX - tol || xE > Controls.RightTerminationX + tol)
        return reason::Range;
    std::vector<TPoint>& pts = out.Points;
    pts.clear();
    pts.push_back(OnGround(xA));
    for (std::size_t k = 1; k + 1 < n; k += 2)
        pts.push_back({params[k], params[k + 1]});
    pts.push_back(OnGround(xE));
    return CheckIrregular(pts.data(), static_cast<int>(pts.size()));
}

const char* TSurfaceGenerator::CheckIrregular(const TPoint* pts, int m) const {
    if (const char* why = CheckIrregularShape(pts, m))
        return why;
    return Geometry.CheckPolyline(pts, m);
}

const char* TSurfaceGenerator::CheckIrregularShape(const TPoint* pts, int m) const {
    for (int k = 1; k < m; ++k)
        if (!(pts[k].X > pts[k - 1].X))
            return reason::NotLeftToRight;
    // Within the direction limits: compared as slopes, the segment running to the right.
    const double first = (pts[1].Y - pts[0].Y) / (pts[1].X - pts[0].X);
    if (first < CwSlopeLo || first > CcwSlopeHi)
        return reason::Direction;
    for (int k = 1; k + 1 < m; ++k) {
        const double ax = pts[k].X - pts[k - 1].X, ay = pts[k].Y - pts[k - 1].Y;
        const double bx = pts[k + 1].X - pts[k].X, by = pts[k + 1].Y - pts[k].Y;
        if (ax * by - ay * bx < -1e-12 * std::sqrt((ax * ax + ay * ay) * (bx * bx + by * by)))
            return reason::NotConcave;
    }
    return nullptr;
}

// ---- block surfaces ---------------------------------------------------------------------------

const char* TSurfaceGenerator::GenerateBlock(TRandom& rng, TTrialSurface& out,
                                             std::vector<double>& params) const {
    const std::size_t boxes = Controls.Boxes.size();
    std::vector<TPoint>& base = out.Points; // the base points first, the surface afterwards
    for (const TSearchBox& box : Controls.Boxes) {
        const double t = rng.Uniform();
        const double v = rng.Uniform(-0.5, 0.5) * box.SideLength;
        params.push_back(t);
        params.push_back(v);
        base.push_back(
            {box.Left.X + t * (box.Right.X - box.Left.X), box.Left.Y + t * (box.Right.Y - box.Left.Y) + v});
    }
    // Along a weak path: every base point the path passes through its box moves onto the path.
    if (PathWeight > 0 && rng.Uniform() < BlockPathShare) {
        const std::vector<TPoint>& w = DrawPath(rng)->Points;
        for (std::size_t k = 0; k < boxes; ++k) {
            const TPoint p = base[k];
            const auto it =
                std::upper_bound(w.begin(), w.end(), p.X, [](double x, const TPoint& q) { return x < q.X; });
            if (it == w.begin() || it == w.end())
                continue;
            const TPoint q0 = *(it - 1), q1 = *it;
            const double y = q0.Y + (q1.Y - q0.Y) * (p.X - q0.X) / (q1.X - q0.X);
            const double v = params[2 * k + 1] + (y - p.Y);
            if (std::abs(v) <= 0.5 * Controls.Boxes[k].SideLength) {
                params[2 * k + 1] = v;
                base[k].Y = y;
            }
        }
    }
    for (std::size_t k = 0; k < boxes; ++k) {
        if (k > 0 && !(base[k].X > base[k - 1].X))
            return reason::BaseOrder;
        if (!(base[k].Y < Geometry.GroundY(base[k].X) - Geometry.Tolerance() * 1000))
            return reason::BaseAboveGround;
    }
    // Concave corners where the wedges meet the base.
    double passiveLo = PassiveLo, activeLo = ActiveLo;
    if (boxes >= 2) {
        passiveLo = std::max(passiveLo, -Direction(base[0], base[1]) + AngleEps);
        activeLo = std::max(activeLo, Direction(base[boxes - 2], base[boxes - 1]) + AngleEps);
    }
    if (!(passiveLo < PassiveHi) || !(activeLo < ActiveHi))
        return reason::NoWedge;
    // Rankine's inclinations of the soil halfway up each wedge, spread either way.
    const TPoint first = base[0], last = base[boxes - 1];
    const double phiP = FrictionAt({first.X, 0.5 * (first.Y + Geometry.GroundY(first.X))});
    const double phiA = FrictionAt({last.X, 0.5 * (last.Y + Geometry.GroundY(last.X))});
    params.push_back(
        std::clamp(45 - 0.5 * phiP + rng.Uniform(-WedgeSpread, WedgeSpread), passiveLo, PassiveHi));
    params.push_back(
        std::clamp(45 + 0.5 * phiA + rng.Uniform(-WedgeSpread, WedgeSpread), activeLo, ActiveHi));
    return BuildBlock(params, out);
}

const char* TSurfaceGenerator::BuildBlock(const std::vector<double>& params, TTrialSurface& out) const {
    const std::size_t boxes = Controls.Boxes.size();
    if (boxes == 0 || params.size() != 2 * boxes + 2)
        return reason::Range;
    const double tol = Geometry.Tolerance() * 1000;
    TPoint base[MaxBoxes];
    if (boxes > MaxBoxes)
        return reason::Range;
    for (std::size_t k = 0; k < boxes; ++k) {
        const TSearchBox& box = Controls.Boxes[k];
        const double t = params[2 * k], v = params[2 * k + 1];
        if (t < -1e-12 || t > 1 + 1e-12 || std::abs(v) > 0.5 * box.SideLength + tol)
            return reason::Range;
        base[k] = {box.Left.X + t * (box.Right.X - box.Left.X),
                   box.Left.Y + t * (box.Right.Y - box.Left.Y) + v};
        if (k > 0 && !(base[k].X > base[k - 1].X))
            return reason::BaseOrder;
        if (!(base[k].Y < Geometry.GroundY(base[k].X) - tol))
            return reason::BaseAboveGround;
    }
    const double passive = params[2 * boxes], active = params[2 * boxes + 1];
    if (passive < PassiveLo - AngleEps || passive > PassiveHi + AngleEps || active < ActiveLo - AngleEps ||
        active > ActiveHi + AngleEps)
        return reason::NoWedge;
    if (boxes >= 2 && (-passive > Direction(base[0], base[1]) + AngleEps * 0.5 ||
                       active < Direction(base[boxes - 2], base[boxes - 1]) - AngleEps * 0.5))
        return reason::NotConcave;
    TPoint left, right;
    if (!Geometry.RayToGround(base[0], -std::cos(Rad(passive)), std::sin(Rad(passive)), left) ||
        !Geometry.RayToGround(base[boxes - 1], std::cos(Rad(active)), std::sin(Rad(active)), right))
        return reason::OutsideProfile;
    std::vector<TPoint>& pts = out.Points;
    pts.clear();
    pts.push_back(left);
    const int reserve = static_cast<int>(boxes) + 1;
    for (std::size_t k = 0; k < boxes; ++k)
        AppendSplit(pts, base[k], Controls.SegmentLength, reserve - static_cast<int>(k) - 1);
    AppendSplit(pts, right, Controls.SegmentLength, 0);
    return Geometry.CheckPolyline(pts.data(), static_cast<int>(pts.size()));
}

} // namespace quolm::search
