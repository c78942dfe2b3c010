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
