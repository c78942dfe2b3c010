#include "engine/Surface.h"
#include "engine/AscendingY.h"
#include <algorithm>
#include <cmath>

namespace quolm {

TSurfaceCheck ClipToGround(const TSlopeModel& model, const TPoint* p, int n, std::vector<TPoint>& out) {
    out.clear();
    TSurfaceCheck check;
    if (n < 2) {
        check.Problem = TSurfaceProblem::TooFewPoints;
        return check;
    }
    for (int i = 1; i < n; ++i)
        if (!(p[i].X > p[i - 1].X)) {
            check = {TSurfaceProblem::NotLeftToRight, p[i].X, p[i - 1].X, i};
            return check;
        }

    const double tol = 1e-7 * model.Extent;
    const std::vector<TPoint>& ground = model.Ground();
    // Walk the surface vertices and the ground vertices between them in ascending x; between two
    // samples both lines are straight, so the height above the ground is linear there.
    std::size_t g =
        static_cast<std::size_t>(std::upper_bound(ground.begin(), ground.end(), p[0].X,
                                                  [](double v, const TPoint& q) { return v < q.X; }) -
                                 ground.begin());
    int seg = 0; // surface segment of the current sample
    // The ground's elevation at the samples, which come in ascending x (the same value as GroundY).
    TAscendingY groundY(ground);
    // Locals rather than the vector's members: the stores into `out` would otherwise make the
    // compiler load them again at every sample.
    const TPoint* const gp = ground.data();
    const std::size_t gn = ground.size();
    double px = p[0].X, ph = p[0].Y - groundY.At(p[0].X);
    if (ph < -tol) {
        check = {TSurfaceProblem::StartsBelowGround, px, 0, 0};
        return check;
    }
    bool below = false;
    int entries = 0;
    double exitX = 0;
    const auto crossing = [](double x0, double h0, double x1, double h1) {
        if (h0 == h1)
            return x0;
        const double t = std::clamp(h0 / (h0 - h1), 0.0, 1.0);
        return x0 + (x1 - x0) * t;
    };
    const auto surfaceY = [&](int s, double x) {
        const TPoint& a = p[s];
        const TPoint& b = p[s + 1];
        return a.Y + (b.Y - a.Y) * (x - a.X) / (b.X - a.X);
    };
    while (true) {
        // Next sample: the nearer of the next surface vertex and the next ground vertex.
        double x, ys;
        bool vertex;
        if (g < gn && gp[g].X < p[seg + 1].X) {
            x = gp[g].X;
            ys = surfaceY(seg, x);
            vertex = false;
            ++g;
        } else {
            x = p[seg + 1].X;
            ys = p[seg + 1].Y;
            vertex = true;
            ++seg;
            while (g < gn && gp[g].X <= x)
                ++g;
        }
        const double h = ys - groundY.At(x);
        const bool nowBelow = h < -tol;
        if (!below && nowBelow) {
            const double xe = ph > 0 ? crossing(px, ph, x, h) : px;
            if (entries == 1) {
                check = {TSurfaceProblem::LeavesAndReenters, exitX, xe, 0};
                return check;
            }
            ++entries;
            const int s = vertex ? seg - 1 : seg;
            out.push_back({xe, surfaceY(s, xe)});
            // A vertex that is already below the ground belongs to the surface as well.
            if (vertex && x > xe)
                out.push_back({x, ys});
        } else if (below && !nowBelow) {
            exitX = h > 0 ? crossing(px, ph, x, h) : x;
            const int s = vertex ? seg - 1 : seg;
            out.push_back({exitX, surfaceY(s, exitX)});
        } else if (below && nowBelow && vertex) {
            out.push_back({x, ys});
        }
        if (nowBelow && vertex && seg == n - 1) {
            check = {TSurfaceProblem::EndsBelowGround, x, 0, n - 1};
            return check;
        }
        below = nowBelow;
        px = x;
        ph = h;
        if (vertex && seg == n - 1)
            break;
        // Most of a surface lies below the ground between two of its vertices with no ground vertex
        // in between: such vertices only go to the output, taken here without the tests above.
        // The first that is no longer below, the last vertex and a ground vertex are left to them.
        while (below && seg + 2 < n) {
            const double vx = p[seg + 1].X;
            if (g < gn && gp[g].X < vx)
                break;
            const double vh = p[seg + 1].Y - groundY.At(vx);
            if (!(vh < -tol))
                break;
            ++seg;
            while (g < gn && gp[g].X <= vx)
                ++g;
            out.push_back(p[seg]);
            px = vx;
            ph = vh;
        }
    }
    if (entries == 0) {
        check.Problem = TSurfaceProblem::NotBelowGround;
        return check;
    }
    if (out.front().X < model.GroundLeft() - tol || out.back().X > model.GroundRight() + tol) {
        check = {TSurfaceProblem::OutsideSlope, out.front().X, out.back().X, 0};
        return check;
    }
    if (out.size() < 2 || !(out.back().X - out.front().X > tol)) {
        check.Problem = TSurfaceProblem::TooShallow;
        return check;
    }
    return check;
}

bool FitCircle(const TPoint* p, int n, TCircle& circle) {
    if (n < 3)
        return false;
    // Shift to the centroid and scale for a well-conditioned system.
    double mx = 0, my = 0;
    for (int i = 0; i < n; ++i) {
        mx += p[i].X;
        my += p[i].Y;
    }
    mx /= n;
    my /= n;
    double scale = 0;
    for (int i = 0; i < n; ++i)
        scale = std::max({scale, std::abs(p[i].X - mx), std::abs(p[i].Y - my)});
    if (scale <= 0)
        return false;
    // x^2 + y^2 + D x + E y + F = 0 in least squares.
    double sxx = 0, sxy = 0, syy = 0, sx = 0, sy = 0, sxz = 0, syz = 0, sz = 0;
    for (int i = 0; i < n; ++i) {
        const double x = (p[i].X - mx) / scale, y = (p[i].Y - my) / scale;
        const double z = x * x + y * y;
        sxx += x * x;
        sxy += x * y;
        syy += y * y;
        sx += x;
        sy += y;
        sxz += x * z;
        syz += y * z;
        sz += z;
    }
    // Normal equations [sxx sxy sx; sxy syy sy; sx sy n] [D E F] = -[sxz syz sz].
    const double a[3][3] = {{sxx, sxy, sx}, {sxy, syy, sy}, {sx, sy, static_cast<double>(n)}};
    const double b[3] = {-sxz, -syz, -sz};
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (!(std::abs(det) > 1e-12 * n * n * n))
        return false;
    const auto solve = [&](int col) {
        double m[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                m[r][c] = c == col ? b[r] : a[r][c];
        return (m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0])) /
               det;
    };
    const double dd = solve(0), ee = solve(1), ff = solve(2);
    const double cx = -dd / 2, cy = -ee / 2;
    const double r2 = cx * cx + cy * cy - ff;
    if (!(r2 > 0))
        return false;
    circle = {mx + cx * scale, my + cy * scale, std::sqrt(r2) * scale};
    return std::isfinite(circle.X) && std::isfinite(circle.Y) && std::isfinite(circle.R);
}

TPoint MomentCentre(const TPoint* p, int n, bool& far) {
    far = false;
    const TPoint a = p[0], b = p[n - 1];
    const double chord = std::hypot(b.X - a.X, b.Y - a.Y);
    TCircle c;
    if (FitCircle(p, n, c) && c.R <= 50 * chord) {
        // The centre of a concave-upward surface lies above its deepest point (below the chord when
        // the surface is deeper than a half circle); a fit below the surface (a convex one) is no
        // centre of rotation. Heights are measured from the chord, upwards.
        const auto height = [&](double x, double y) {
            return ((b.X - a.X) * (y - a.Y) - (b.Y - a.Y) * (x - a.X)) / chord;
        };
        double deepest = 0;
        for (int i = 0; i < n; ++i)
            deepest = std::min(deepest, height(p[i].X, p[i].Y));
        if (deepest < 0 && height(c.X, c.Y) > deepest)
            return {c.X, c.Y};
    }
    far = true;
    const double mx = 0.5 * (a.X + b.X), my = 0.5 * (a.Y + b.Y);
    // Unit normal to the chord, to its left (above for a chord running left to right).
    const double nx = -(b.Y - a.Y) / chord, ny = (b.X - a.X) / chord;
    return {mx + 50 * chord * nx, my + 50 * chord * ny};
}

} // namespace quolm
