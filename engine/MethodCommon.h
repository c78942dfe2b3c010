#pragma once
// What the solvers of the simplified methods (Methods.cpp) and of the rigorous ones
// (RigorousMethods.cpp) share: the tolerance, a bracketed root finder and the tests of a solution.
#include "engine/Slices.h"
#include <algorithm>
#include <cmath>

namespace quolm {
struct TMethodResult;
}

namespace quolm::methods {

// The relative tolerance of every method's factor of safety.
constexpr double Tolerance = 1e-9;
// A factor this small with the soil in tension at a slice's base is a root of the equations, not
// a state of the slope.
constexpr double SmallFactor = 0.1;

inline bool Finite(double v) {
    return std::isfinite(v);
}

// sin(pi t) for t in [0, 1], the Morgenstern-Price interslice function: its Taylor series on the nearer
// half, where pi t <= pi/2 and the remainder after the y^21 term is below y^23/23! < 2e-18, so it
// agrees with std::sin to rounding at a fraction of its cost (about 45 values per surface).
inline double SinPi(double t) {
    const double y = Pi * std::min(t, 1 - t);
    const double z = y * y;
    double p = 1 / 51090942171709440000.0;
    p = p * z - 1 / 121645100408832000.0;
    p = p * z + 1 / 355687428096000.0;
    p = p * z - 1 / 1307674368000.0;
    p = p * z + 1 / 6227020800.0;
    p = p * z - 1 / 39916800.0;
    p = p * z + 1 / 362880.0;
    p = p * z - 1 / 5040.0;
    p = p * z + 1 / 120.0;
    p = p * z - 1 / 6.0;
    return y + y * z * p;
}

// The root of g between a and b, where g changes sign, by the Illinois variant of regula falsi, to a
// relative `tolerance`.
template <class G>
bool Illinois(G g, double a, double ga, double b, double gb, double tolerance, double& root) {
    int side = 0;
    for (int it = 0; it < 100; ++it) {
        const double c = (a * gb - b * ga) / (gb - ga);
        double gc = 0;
        if (!g(c, gc) || !Finite(gc))
            return false;
        if (std::abs(b - a) < tolerance * std::max(1.0, std::abs(c)) || gc == 0) {
            root = c;
            return true;
        }
        if ((gc < 0) == (gb < 0)) {
            b = c;
            gb = gc;
            if (side == -1)
                ga /= 2;
            side = -1;
        } else {
            a = c;
            ga = gc;
            if (side == 1)
                gb /= 2;
            side = 1;
        }
    }
    root = 0.5 * (a + b);
    return true;
}

// A root of g on (lo, hi]: the first sign change of a geometric scan upwards from lo (each point
// 1.08 times the one before), refined by Illinois. g returns false where it is not defined.
//
// `sign(a, b)` may tell that g keeps one strict sign on the whole of [a, b] (1 or -1; 0 when it cannot
// tell). Between two points of the scan where that holds, the points in between are passed over: none
// of them could show a change of sign, a zero or a gap, so the scan finds what it would find point by
// point, to the bit. It reaches far roots in a few steps: a step that holds is doubled (up to 64
// points), one that fails is halved, down to the single step of the plain scan.
template <class G, class Sign> bool BracketRoot(G g, Sign sign, double lo, double hi, double& root) {
    constexpr int MaxPoints = 512; // from lo >= 1e-12 to hi = 100: at most 420
    double xs[MaxPoints], gs[MaxPoints];
    signed char known[MaxPoints]; // 0 not evaluated, 1 defined, -1 not defined
    int count = 0;
    for (double x = lo; x <= hi * 1.0000001; x *= 1.08) {
        if (count == MaxPoints)
            return false;
        xs[count] = x;
        known[count++] = 0;
    }
    const auto at = [&](int k) {
        if (known[k] == 0) {
            double v = 0;
            known[k] = g(xs[k], v) && Finite(v) ? 1 : -1;
            gs[k] = v;
        }
        return known[k] > 0;
    };
    int last = -1;     // the last point scanned
    bool have = false; // g is defined and not 0 there
    int step = 8;
    while (last + 1 < count) {
        if (have && step > 1) {
            const int m = std::min(last + step, count - 1);
            if (m > last + 1 && at(m) && gs[m] != 0 && (gs[m] < 0) == (gs[last] < 0) &&
                sign(xs[last], xs[m]) == (gs[last] < 0 ? -1 : 1)) {
                last = m;
                step = std::min(2 * step, 64);
                continue;
            }
            step /= 2;
            continue;
        }
        const int k = last + 1;
        last = k;
        if (!at(k)) {
            have = false;
            continue;
        }
        if (gs[k] == 0) {
            root = xs[k];
            return true;
        }
        if (have && (gs[k - 1] < 0) != (gs[k] < 0))
            return Illinois(g, xs[k - 1], gs[k - 1], xs[k], gs[k], Tolerance, root);
        have = true;
        step = std::max(step, 2);
    }
    return false;
}

// No soil on the surface has strength: the factor is 0 when anything drives the mass.
bool NoStrength(const TMethodArrays& m);
// Whether nothing drives the mass, judged by force equilibrium at the largest factor reported: the
// common test of the methods that have no such ratio of their own. Overwrites ws.N.
bool Undriven(TWorkspace& ws);
// The first slice with a negative effective normal force and, where `mAlpha`, the first where
// m_alpha falls below 0.2, into r.
void CheckAdmissibility(const TMethodArrays& m, const std::vector<double>& n, double f, TMethodResult& r,
                        bool mAlpha);

} // namespace quolm::methods
