// The methods, in the sign convention of the whole engine: x to the right, y up, the mass sliding
// towards -x. On slice i the base normal force N acts along (-sin a, cos a), the mobilised shear
// S = (c l + (N - u l) tan phi) / F along (cos a, sin a), the interslice force from the left
// neighbour is (E_i, X_i) and from the right one (-E_i+1, -X_i+1).
#include "engine/Methods.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace quolm {

namespace {
constexpr double Tolerance = 1e-9;
// A factor this small with the soil in tension at a slice's base is a root of the equations, not
// a state of the slope.
constexpr double SmallFactor = 0.1;
// Marches a rigorous solution may take in all: a surface where Newton's method fails costs a few
// times one where it succeeds, not hundreds.
constexpr int MarchBudget = 400;
// Newton's method on the rigorous methods keeps a finite-difference Jacobian for the next step after
// a step that changed F and lambda by no more than this (relative).
constexpr double ReuseStep = 1e-2;

bool Finite(double v) {
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

// A root of g on (lo, hi]: the first sign change of a geometric scan upwards from lo, refined by
// Illinois. g returns false where it is not defined.
template <class G> bool BracketRoot(G g, double lo, double hi, double& root) {
    double a = lo, ga = 0;
    bool haveA = false;
    for (double x = lo; x <= hi * 1.0000001; x *= 1.08) {
        double gx = 0;
        if (!g(x, gx) || !Finite(gx)) {
            haveA = false;
            continue;
        }
        if (gx == 0) {
            root = x;
            return true;
        }
        if (haveA && (ga < 0) != (gx < 0))
            return Illinois(g, a, ga, x, gx, Tolerance, root);
        a = x;
        ga = gx;
        haveA = true;
    }
    return false;
}

// Solves F = num(F) / den(F): fixed-point iteration from `start`, and where that fails a bracketed
// search above `fmin`. ratio(F, num, den) fills both; it returns false where they are not defined.
template <class Ratio> TMethodResult FixedPoint(Ratio ratio, double start, double fmin) {
    TMethodResult r;
    const double floor = fmin > 0 ? fmin * (1 + 1e-9) + 1e-12 : 1e-6;
    double f = std::max(start, floor * 1.05);
    // The iteration F <- num/den, sped up by secant steps on g(F) = num/den - F once two values are
    // known; a secant step that leaves the admissible range falls back to the plain step.
    double prevF = 0, prevG = 0;
    bool havePrevious = false;
    for (int it = 1; it <= 100; ++it) {
        double num = 0, den = 0;
        if (!ratio(f, num, den) || !(den > 0) || !Finite(num))
            break;
        const double next = num / den;
        r.Iterations = it;
        if (!(next > floor) || !Finite(next))
            break;
        if (std::abs(next - f) <= Tolerance * next) {
            if (next > MaxFactor)
                break;
            r.F = next;
            r.Converged = true;
            return r;
        }
        const double g = next - f;
        double step = next;
        if (havePrevious && g != prevG) {
            const double secant = f - g * (f - prevF) / (g - prevG);
            if (secant > floor && Finite(secant))
                step = secant;
        }
        prevF = f;
        prevG = g;
        havePrevious = true;
        f = step;
    }
    // Nothing drives the mass when even the largest factor reported leaves more resistance than
    // drive: then no bracket is looked for.
    {
        double num = 0, den = 0;
        if (ratio(MaxFactor, num, den) && (!(den > 0) || num / den >= MaxFactor)) {
            r.Undriven = true;
            return r;
        }
    }
    const auto g = [&ratio](double x, double& value) {
        double num = 0, den = 0;
        if (!ratio(x, num, den))
            return false;
        value = num - x * den;
        return true;
    };
    double root = 0;
    if (BracketRoot(g, floor, MaxFactor, root) && root > floor) {
        // A sign change of g is a root only where the ratio is continuous: across a pole of it (the
        // driving sum passing zero) g changes sign too. Accept what gives itself back.
        double num = 0, den = 0;
        if (ratio(root, num, den) && den > 0 && std::abs(num / den - root) <= 1e-7 * root) {
            r.F = root;
            r.Converged = true;
            return r;
        }
    }
    return r;
}

// No soil on the surface has strength: the factor is 0 when anything drives the mass.
bool NoStrength(const TMethodArrays& m) {
    for (std::size_t i = 0; i < m.Size(); ++i)
        if (m.Cl[i] != 0 || m.Tan[i] != 0)
            return false;
    return true;
}

// Janbu's force sums over normals without interslice shear at factor f.
bool JanbuSums(const TMethodArrays& m, std::vector<double>& n, double f, double& num, double& den);

// Whether nothing drives the mass, judged by force equilibrium at the largest factor reported: the
// common test of the methods that have no such ratio of their own.
bool Undriven(TWorkspace& ws) {
    double num = 0, den = 0;
    ws.N.resize(ws.Arrays.Size());
    if (!JanbuSums(ws.Arrays, ws.N, MaxFactor, num, den))
        return false;
    return !(den > 0) || num / den >= MaxFactor;
}

// Normal forces with no interslice shear (vertical equilibrium of each slice).
bool NormalsWithoutShear(const TMethodArrays& m, std::vector<double>& n, double f) {
    for (std::size_t i = 0; i < m.Size(); ++i) {
        const double ma = m.Cos[i] + m.Sin[i] * m.Tan[i] / f;
        if (!(ma > 0))
            return false;
        n[i] = (m.Wv[i] - m.C0[i] * m.Sin[i] / f) / ma;
    }
    return true;
}

bool JanbuSums(const TMethodArrays& m, std::vector<double>& n, double f, double& num, double& den) {
    if (!NormalsWithoutShear(m, n, f))
        return false;
    num = den = 0;
    for (std::size_t i = 0; i < m.Size(); ++i) {
        num += (m.Cl[i] + (n[i] - m.Ul[i]) * m.Tan[i]) * m.Cos[i];
        den += n[i] * m.Sin[i] - m.Qx[i];
    }
    return true;
}

void CheckAdmissibility(const TMethodArrays& m, const std::vector<double>& n, double f, TMethodResult& r,
                        bool mAlpha) {
    for (std::size_t i = 0; i < m.Size(); ++i) {
        if (r.NegativeNormal < 0 && n[i] - m.Ul[i] < -1e-9 * std::abs(m.Wv[i]) - 1e-12)
            r.NegativeNormal = static_cast<int>(i);
        if (mAlpha && r.SmallMAlpha < 0 && m.Cos[i] + m.Sin[i] * m.Tan[i] / f < 0.2)
            r.SmallMAlpha = static_cast<int>(i);
    }
}

// The march of the rigorous methods: given F and lambda, each slice's normal force and right-hand
// interslice force follow from its two force equations, from the toe (E = 0) to the crest. The
// force residual is what is left at the crest, the moment residual the unbalanced moment. Each
// march counts against a budget; once it is spent, every march fails.
class TMarch {
  public:
    // `constant`: the interslice function is 1 on every boundary (Spencer's method).
    TMarch(TWorkspace& ws, double externalMoment, double weight, double length, bool constant)
        : Ws(ws), Moment(externalMoment), ForceScale(weight), MomentScale(weight * length),
          Constant(constant) {}

    bool Spent() const { return Runs >= MarchBudget; }

    // For given F and lambda a slice's normal force is affine in the interslice force on its left,
    // N = alpha + beta E, and so is the force on its right, E' = a + b E. The coefficients of every
    // slice come first, in one loop without a dependency from slice to slice (it runs in vector
    // instructions); the march itself is then one multiply-add per slice.
    bool Run(double f, double lambda, double& rf, double& rm) const {
        Last = false;
        if (!(f > 0) || Spent())
            return false;
        ++Runs;
        if (Constant)
            return RunConstant(f, lambda, rf, rm);
        TMethodArrays& m = Ws.Arrays;
        const std::size_t n = m.Cos.size();
        const double q = 1 / f;
        const double* cosA = m.Cos.data();
        const double* sinA = m.Sin.data();
        const double* tanP = m.Tan.data();
        const double* c0 = m.C0.data();
        const double* wv = m.Wv.data();
        const double* qx = m.Qx.data();
        const double* mn = m.MN.data();
        const double* ms = m.MS.data();
        const double* fn = Ws.F.data();
        const double* u = Ws.U.data();
        double* alpha = m.Alpha.data();
        double* beta = m.Beta.data();
        double* ea = m.EA.data();
        double* eb = m.EB.data();
        double* arm = m.Arm.data();
        double bad = 0; // counted in a double: an int beside the doubles keeps the loop scalar
        double moment = Moment;
#pragma omp simd reduction(+ : bad, moment)
        for (std::size_t i = 0; i < n; ++i) {
            const double tf = tanP[i] * q;
            const double cp = c0[i] * q;
            // The interslice function applies to the effective interslice force: the total one
            // less the water pressing on the boundary.
            const double ll = lambda * fn[i], lr = lambda * fn[i + 1];
            const double g = tf * cosA[i] - sinA[i];
            const double den = cosA[i] + tf * sinA[i] - lr * g;
            bad += den > 1e-6 ? 0.0 : 1.0;
            const double h = qx[i] + cp * cosA[i];
            const double inv = 1 / den; // one division for both coefficients
            const double al = (wv[i] + ll * u[i] - cp * sinA[i] + lr * (h - u[i + 1])) * inv;
            const double be = (lr - ll) * inv;
            alpha[i] = al;
            beta[i] = be;
            ea[i] = h + al * g;
            eb[i] = 1 + be * g;
            arm[i] = mn[i] + tf * ms[i];
            moment += cp * ms[i];
        }
        if (bad > 0)
            return false;
        // The march proper is a chain of dependent multiply-adds, bound by their latency rather than by
        // the arithmetic. So both halves of the mass are marched at once: the lower one from E = 0 at
        // the toe, the upper one as an affine function of the force at their boundary, E = A + B E_h
        // (and its slices' moments likewise), resolved when the lower half arrives there. The upper
        // half's forces are written only for a solution (CompleteForces).
        const std::size_t h = n / 2;
        double* normal = Ws.N.data();
        double* side = Ws.E.data();
        double e = 0, ta = 0, tb = 1, ma = 0, mb = 0;
        side[0] = 0;
        const auto upper = [&](std::size_t j) {
            ma += (alpha[j] + beta[j] * ta) * arm[j];
            mb += beta[j] * tb * arm[j];
            ta = ea[j] + eb[j] * ta;
            tb = eb[j] * tb;
        };
        for (std::size_t i = 0; i < h; ++i) {
            const double nn = alpha[i] + beta[i] * e;
            normal[i] = nn;
            moment += nn * arm[i];
            e = ea[i] + eb[i] * e;
            side[i + 1] = e;
            upper(h + i);
        }
        if (n > 2 * h)
            upper(n - 1);
        moment += ma + mb * e;
        return Finish(f, lambda, ta + tb * e, moment, rf, rm);
    }

    // With the same interslice function on both sides of a slice the interslice force on its left
    // drops out of its normal force (beta = 0) and only adds to the one on its right (b = 1): the
    // force residual is the sum of the slices' increments and the moment residual a sum too, so the
    // whole march is one vector loop without a chain from slice to slice. The increments and the
    // normal forces are kept for the forces of a solution (CompleteForces). The same loop gives the
    // residuals' derivatives by q = 1/F and by lambda, for Newton's method: no division more.
    // With s = sin a - lambda cos a and d = 1/den:
    //   d(alpha)/dq = -(c0 + alpha tan phi) s d,  d(alpha)/dlambda = (H + alpha g) d,
    // H = h + U_i - U_i+1 the numerator's factor of lambda.
    bool RunConstant(double f, double lambda, double& rf, double& rm) const {
        TMethodArrays& m = Ws.Arrays;
        const std::size_t n = m.Cos.size();
        const double q = 1 / f;
        const double* cosA = m.Cos.data();
        const double* sinA = m.Sin.data();
        const double* tanP = m.Tan.data();
        const double* c0 = m.C0.data();
        const double* wv = m.Wv.data();
        const double* qx = m.Qx.data();
        const double* mn = m.MN.data();
        const double* ms = m.MS.data();
        const double* u = Ws.U.data();
        double* alpha = m.Alpha.data();
        double* ea = m.EA.data();
        double bad = 0, moment = Moment, force = 0;
        double forceQ = 0, forceL = 0, momentQ = 0, momentL = 0;
#pragma omp simd reduction(+ : bad, moment, force, forceQ, forceL, momentQ, momentL)
        for (std::size_t i = 0; i < n; ++i) {
            const double tf = tanP[i] * q;
            const double cp = c0[i] * q;
            const double g = tf * cosA[i] - sinA[i];
            const double den = cosA[i] + tf * sinA[i] - lambda * g;
            bad += den > 1e-6 ? 0.0 : 1.0;
            const double h = qx[i] + cp * cosA[i];
            const double hl = h + u[i] - u[i + 1];
            const double inv = 1 / den;
            const double al = (wv[i] - cp * sinA[i] + lambda * hl) * inv;
            const double de = h + al * g;
            const double arm = mn[i] + tf * ms[i];
            alpha[i] = al;
            ea[i] = de;
            force += de;
            moment += cp * ms[i] + al * arm;
            const double alQ = -(c0[i] + al * tanP[i]) * (sinA[i] - lambda * cosA[i]) * inv;
            const double alL = (hl + al * g) * inv;
            forceQ += (c0[i] + al * tanP[i]) * cosA[i] + alQ * g;
            forceL += alL * g;
            momentQ += (c0[i] + al * tanP[i]) * ms[i] + alQ * arm;
            momentL += alL * arm;
        }
        if (bad > 0)
            return false;
        // d/dF = -q^2 d/dq
        Jacobian[0] = -q * q * forceQ / ForceScale;
        Jacobian[1] = forceL / ForceScale;
        Jacobian[2] = -q * q * momentQ / MomentScale;
        Jacobian[3] = momentL / MomentScale;
        return Finish(f, lambda, force, moment, rf, rm);
    }

    // The derivatives of the residuals by F and lambda at the last march, where it computed them
    // (a constant interslice function) and ran at exactly (f, lambda).
    bool JacobianAt(double f, double lambda, double& a, double& b, double& c, double& d) const {
        if (!Constant || !Last || f != LastF || lambda != LastLambda)
            return false;
        a = Jacobian[0];
        b = Jacobian[1];
        c = Jacobian[2];
        d = Jacobian[3];
        return true;
    }

    bool Finish(double f, double lambda, double force, double moment, double& rf, double& rm) const {
        rf = force / ForceScale;
        rm = moment / MomentScale;
        Last = Finite(rf) && Finite(rm);
        LastF = f;
        LastLambda = lambda;
        LastRf = rf;
        LastRm = rm;
        return Last;
    }

    // Whether the last march ran, and succeeded, at exactly (f, lambda): then the workspace holds its
    // forces and rf, rm receive its residuals without marching again.
    bool RanAt(double f, double lambda, double& rf, double& rm) const {
        if (!Last || f != LastF || lambda != LastLambda)
            return false;
        rf = LastRf;
        rm = LastRm;
        return true;
    }

  private:
    TWorkspace& Ws;
    double Moment, ForceScale, MomentScale;
    bool Constant;
    mutable int Runs = 0;
    mutable bool Last = false;
    mutable double LastF = 0, LastLambda = 0, LastRf = 0, LastRm = 0;
    mutable double Jacobian[4] = {0, 0, 0, 0};
};

// The normal and interslice forces of the last march that it did not write: with a constant interslice
// function all of them, from its increments, otherwise the upper half's, marched on from the force
// the lower half left at their boundary.
void CompleteForces(TWorkspace& ws, bool constant) {
    const TMethodArrays& m = ws.Arrays;
    const std::size_t n = m.Size();
    if (constant) {
        double e = 0;
        ws.E[0] = 0;
        for (std::size_t i = 0; i < n; ++i) {
            ws.N[i] = m.Alpha[i];
            e += m.EA[i];
            ws.E[i + 1] = e;
        }
        return;
    }
    double e = ws.E[n / 2];
    for (std::size_t i = n / 2; i < n; ++i) {
        ws.N[i] = m.Alpha[i] + m.Beta[i] * e;
        e = m.EA[i] + m.EB[i] * e;
        ws.E[i + 1] = e;
    }
}

// The length of (x, y): the square root of the sum of squares, a few times cheaper than std::hypot,
// which is needed only where the squares would overflow or underflow.
double Norm(double x, double y) {
    const double s = x * x + y * y;
    return s < 1e300 && s > 1e-300 ? std::sqrt(s) : std::hypot(x, y);
}

// Newton's method on the two residuals in (F, lambda), with a backtracking line search. It gives up
// when the residual stops falling.
bool Newton(const TMarch& march, double& f, double& lambda, int& iterations) {
    double rf = 0, rm = 0;
    if (!march.Run(f, lambda, rf, rm))
        return false;
    double a = 0, b = 0, c = 0, d = 0;
    bool reuse = false; // whether a, b, c, d still serve at (f, lambda)
    for (int it = 1; it <= 40; ++it) {
        iterations = it;
        // The Jacobian: from the march's own derivatives where it gives them, otherwise by finite
        // differences (two marches).
        if (!march.JacobianAt(f, lambda, a, b, c, d) && !reuse) {
            const double df = 1e-7 * f, dl = 1e-7 * std::max(1.0, std::abs(lambda));
            double rf1 = 0, rm1 = 0, rf2 = 0, rm2 = 0;
            if (!march.Run(f + df, lambda, rf1, rm1) || !march.Run(f, lambda + dl, rf2, rm2))
                return false;
            a = (rf1 - rf) / df;
            b = (rf2 - rf) / dl;
            c = (rm1 - rm) / df;
            d = (rm2 - rm) / dl;
        }
        double det = a * d - b * c;
        if (!(std::abs(det) > 0) || !Finite(det))
            return false;
        const double sf = (-rf * d + b * rm) / det;
        const double sl = (-a * rm + c * rf) / det;
        const double norm = Norm(rf, rm);
        double t = 1;
        bool accepted = false;
        double nf = f, nl = lambda, nrf = rf, nrm = rm;
        for (int k = 0; k < 10; ++k, t /= 2) {
            nf = f + t * sf;
            nl = lambda + t * sl;
            if (nf > 0 && march.Run(nf, nl, nrf, nrm) && Norm(nrf, nrm) < norm * (1 - 1e-4 * t)) {
                accepted = true;
                break;
            }
        }
        if (!accepted && reuse) {
            reuse = false; // a fresh Jacobian before giving up
            continue;
        }
        if (!accepted)
            return norm < 1e-10 && march.Run(f, lambda, rf, rm);
        // After a step this small the Jacobian has changed by about as little: it serves for the
        // next steps too (one march each instead of three; they converge by a factor of about that
        // size each), and for the prediction below.
        reuse = std::abs(nf - f) <= ReuseStep * nf &&
                std::abs(nl - lambda) <= ReuseStep * std::max(1.0, std::abs(nl));
        const bool small = std::abs(nf - f) <= Tolerance * nf &&
                           std::abs(nl - lambda) <= Tolerance * std::max(1.0, std::abs(nl));
        f = nf;
        lambda = nl;
        rf = nrf;
        rm = nrm;
        // The accepted step's march was the last one: its normal and interslice forces are those of
        // the solution.
        if (!(Norm(rf, rm) < 1e-8))
            continue;
        if (small)
            return true;
        // The next step, predicted from the residuals here with the Jacobian here (the march's own)
        // or the one just used: Newton's method converges quadratically, so the step that would
        // confirm the solution is its remaining error. Where it is below a tenth of the tolerance,
        // that iteration is not taken.
        if (march.JacobianAt(f, lambda, a, b, c, d))
            det = a * d - b * c;
        const double pf = (-rf * d + b * rm) / det, pl = (-a * rm + c * rf) / det;
        if (std::abs(pf) <= 0.1 * Tolerance * f &&
            std::abs(pl) <= 0.1 * Tolerance * std::max(1.0, std::abs(lambda)))
            return true;
    }
    return false;
}

// For one lambda, the F of force equilibrium and the F of moment equilibrium: one geometric sweep
// of F brackets both (a march gives both residuals), Illinois refines each.
bool RootsInF(const TMarch& march, double lambda, double& ff, double& fm) {
    const auto residual = [&](bool moment) {
        return [&march, lambda, moment](double x, double& v) {
            double rf = 0, rm = 0;
            if (!march.Run(x, lambda, rf, rm))
                return false;
            v = moment ? rm : rf;
            return true;
        };
    };
    bool gotF = false, gotM = false, have = false;
    double px = 0, pf = 0, pm = 0;
    for (double x = 0.05; x <= MaxFactor * 1.0000001 && !(gotF && gotM); x *= 1.3) {
        double rf = 0, rm = 0;
        if (!march.Run(x, lambda, rf, rm)) {
            if (march.Spent())
                return false;
            have = false;
            continue;
        }
        if (have && !gotF && (pf < 0) != (rf < 0))
            gotF = Illinois(residual(false), px, pf, x, rf, 1e-6, ff);
        if (have && !gotM && (pm < 0) != (rm < 0))
            gotM = Illinois(residual(true), px, pm, x, rm, 1e-6, fm);
        px = x;
        pf = rf;
        pm = rm;
        have = true;
    }
    return gotF && gotM;
}

// Where Newton's method fails from the given starts: lambda scanned outwards from 0 for a change of
// sign of (F of force equilibrium - F of moment equilibrium), the crossing located roughly, and
// Newton's method started again there. Bounded by the march budget.
bool LambdaScan(const TMarch& march, double& f, double& lambda, int& iterations) {
    const auto gap = [&](double l, double& v) {
        double ff = 0, fm = 0;
        if (!RootsInF(march, l, ff, fm))
            return false;
        v = ff - fm;
        return true;
    };
    double g0 = 0;
    if (!gap(0, g0))
        return false;
    for (const double direction : {1.0, -1.0}) {
        double prevL = 0, prevG = g0;
        for (int k = 1; k <= 4 && !march.Spent(); ++k) {
            const double l = direction * 0.25 * k;
            double g = 0;
            if (!gap(l, g))
                break;
            if ((prevG < 0) != (g < 0)) {
                double l0 = 0;
                if (!Illinois(gap, prevL, prevG, l, g, 1e-3, l0))
                    return false;
                double ff = 0, fm = 0;
                if (!RootsInF(march, l0, ff, fm))
                    return false;
                f = 0.5 * (ff + fm);
                lambda = l0;
                return Newton(march, f, lambda, iterations);
            }
            prevL = l;
            prevG = g;
        }
    }
    return false;
}

TMethodResult SolveRigorous(const std::vector<TSlice>& slices, double externalMoment, TWorkspace& ws,
                            double lambda, double start, bool constant) {
    TMethodResult r;
    const std::size_t n = ws.Arrays.Size();
    ws.N.resize(n);
    ws.E.resize(n + 1);
    if (ws.U.size() != n + 1)
        ws.U.assign(n + 1, 0.0);
    double weight = 0;
    for (const TSlice& s : slices)
        weight += s.Weight;
    if (NoStrength(ws.Arrays)) {
        r.Undriven = Undriven(ws);
        r.Converged = !r.Undriven;
        return r; // F = 0, the normals of ws.N without interslice shear
    }
    const double length = std::max(slices.back().XRight - slices.front().XLeft, 1e-12);
    const TMarch march(ws, externalMoment, std::max(weight, 1e-300), length, constant);
    double f = start > 0 && Finite(start) ? start : 1.5;
    double l = lambda;
    bool ok = Newton(march, f, l, r.Iterations);
    if (!ok) {
        // A second start from the neutral guess before the scan.
        f = 1.5;
        l = 0;
        ok = Newton(march, f, l, r.Iterations);
    }
    if (!ok)
        ok = LambdaScan(march, f, l, r.Iterations);
    if (ok) {
        // Every solution is checked by its residuals, whichever way it was found (the march that
        // found it, when it was the last one, is not repeated).
        double rf = 0, rm = 0;
        TMarch check(ws, externalMoment, std::max(weight, 1e-300), length, constant);
        ok = (march.RanAt(f, l, rf, rm) || check.Run(f, l, rf, rm)) && std::abs(rf) < 1e-6 &&
             std::abs(rm) < 1e-6;
        if (ok)
            CompleteForces(ws, constant);
    }
    if (!ok || !(f > 0) || f > MaxFactor) {
        r.Undriven = Undriven(ws);
        return r;
    }
    r.F = f;
    r.Lambda = l;
    r.Converged = true;
    CheckAdmissibility(ws.Arrays, ws.N, f, r, false);
    if (f < SmallFactor && r.NegativeNormal >= 0)
        return TMethodResult(); // the soil in tension under a factor near zero: no state of the slope
    const double limit = -1e-9 * weight;
    for (std::size_t j = 1; j < n; ++j)
        if (ws.E[j] - ws.U[j] < limit) {
            r.Tension = static_cast<int>(j);
            break;
        }
    return r;
}

// Bishop's and Janbu's simplified methods solve alike: the base normals for a trial F (interslice
// shear left out), a ratio of resisting to driving sums over them, iterated to its fixed point.
// With q = 1/F a slice's normal force is N = (Wv - B q) / (cos a + A q), A = sin a tan phi,
// B = (c l - u l tan phi) sin a, and both sums are linear in N: num = K + sum N P, den = D + sum N R.
// Everything but q is fixed for the surface, so it is computed once, as arrays the loop over the
// slices runs through in vector instructions. `sums` gives each slice's P and R and the constants.
template <class Sums> TMethodResult SolveSimplified(TWorkspace& ws, double start, Sums sums) {
    TMethodArrays& st = ws.Arrays;
    const std::size_t n = st.Size();
    ws.N.resize(n);
    double k = 0, d = 0;
    double fmin = 0; // the smallest F that keeps m_alpha positive on every slice
    for (std::size_t i = 0; i < n; ++i) {
        const double sinA = st.Sin[i], tanP = st.Tan[i], cosA = st.Cos[i];
        st.A[i] = sinA * tanP;
        st.B[i] = st.C0[i] * sinA;
        sums(st, i, st.P[i], st.R[i], k, d);
        if (sinA < 0 && tanP > 0 && cosA > 0)
            fmin = std::max(fmin, -sinA * tanP / cosA);
    }
    const double* cosA = st.Cos.data();
    const double* a = st.A.data();
    const double* b = st.B.data();
    const double* wv = st.Wv.data();
    const double* p = st.P.data();
    const double* r = st.R.data();
    const auto ratio = [&](double f, double& num, double& den) {
        const double q = 1 / f;
        double sp = 0, sr = 0;
        double bad = 0; // counted in a double: an int beside the doubles keeps the loop scalar
#pragma omp simd reduction(+ : sp, sr, bad)
        for (std::size_t i = 0; i < n; ++i) {
            const double ma = cosA[i] + a[i] * q;
            const double normal = (wv[i] - b[i] * q) / ma;
            bad += ma > 0 ? 0.0 : 1.0;
            sp += normal * p[i];
            sr += normal * r[i];
        }
        if (bad > 0)
            return false;
        num = k + sp;
        den = d + sr;
        return true;
    };
    if (NoStrength(st)) {
        // The ratio's numerator is 0 at every F: the factor is 0 when its denominator drives.
        TMethodResult r;
        double num = 0, den = 0;
        r.Undriven = !ratio(1, num, den) || !(den > 0);
        r.Converged = !r.Undriven;
        return r;
    }
    TMethodResult res = FixedPoint(ratio, start, fmin);
    if (res.Converged) {
        // The normal forces of the solution, and whether any slice needs a closer look.
        const double q = 1 / res.F;
        const double* ul = st.Ul.data();
        double* normals = ws.N.data();
        double doubtful = 0;
#pragma omp simd reduction(+ : doubtful)
        for (std::size_t i = 0; i < n; ++i) {
            const double ma = cosA[i] + a[i] * q;
            const double normal = (wv[i] - b[i] * q) / ma;
            normals[i] = normal;
            doubtful += normal - ul[i] < -1e-9 * std::abs(wv[i]) - 1e-12 || ma < 0.2 ? 1.0 : 0.0;
        }
        if (doubtful > 0)
            CheckAdmissibility(st, ws.N, res.F, res, true);
        if (res.F < SmallFactor && res.NegativeNormal >= 0)
            return TMethodResult(); // the soil in tension under a factor near zero: no state of the slope
    }
    return res;
}
} // namespace

double PrepareTerms(const std::vector<TSlice>& slices, TPoint centre, TWorkspace& ws) {
    TMethodArrays& m = ws.Arrays;
    m.Resize(slices.size());
    double moment = 0;
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const TSlice& s = slices[i];
        const double cl = s.Cohesion * s.Length, ul = s.U * s.Length;
        m.Cl[i] = cl;
        m.Ul[i] = ul;
        m.Tan[i] = s.TanPhi;
        m.C0[i] = cl - ul * s.TanPhi;
        m.Sin[i] = s.Sin;
        m.Cos[i] = s.Cos;
        m.Wv[i] = s.Weight - s.Qy;
        m.Qx[i] = s.Qx;
        m.Thrust[i] = s.Thrust;
        const double dx = s.XMid - centre.X, dy = s.YBase - centre.Y;
        m.MS[i] = dx * s.Sin - dy * s.Cos;
        m.MN[i] = dx * s.Cos + dy * s.Sin;
        moment += s.Qm - centre.X * s.Qy + centre.Y * s.Qx - (s.XW - centre.X) * s.Weight;
    }
    return moment;
}

TMethodResult SolveOrdinary(double externalMoment, TWorkspace& ws) {
    TMethodResult r;
    const TMethodArrays& m = ws.Arrays;
    ws.N.resize(m.Size());
    double resisting = 0, driving = -externalMoment;
    for (std::size_t i = 0; i < m.Size(); ++i) {
        // Forces normal to the base only: the interslice forces, and the free water beside the end
        // slices with them, are left out. The pore pressure acts on the effective weight,
        // N' = (W - u b) cos a, so that a submerged slope gives what its buoyant weight gives.
        const double sinA = m.Sin[i], ul = m.Ul[i];
        const double n = m.Wv[i] * m.Cos[i] + (m.Qx[i] - m.Thrust[i]) * sinA + ul * sinA * sinA;
        ws.N[i] = n;
        resisting += (m.Cl[i] + (n - ul) * m.Tan[i]) * m.MS[i];
        driving -= n * m.MN[i];
    }
    r.Iterations = 1;
    if (!(driving > 0) || !(resisting < MaxFactor * driving)) {
        r.Undriven = Finite(resisting) && Finite(driving);
        return r;
    }
    if (resisting >= 0) {
        r.F = resisting / driving;
        r.Converged = true;
        CheckAdmissibility(m, ws.N, r.F, r, false);
    }
    return r;
}

TMethodResult SolveBishop(double externalMoment, TWorkspace& ws, double start) {
    // num = sum (c l + (N - u l) tan phi) m_S, den = -M - sum N m_N.
    return SolveSimplified(
        ws, start,
        [externalMoment](const TMethodArrays& m, std::size_t i, double& p, double& r, double& k, double& d) {
            p = m.Tan[i] * m.MS[i];
            r = -m.MN[i];
            k += m.C0[i] * m.MS[i];
            d = -externalMoment;
        });
}

TMethodResult SolveJanbu(TWorkspace& ws, double start) {
    // num = sum (c l + (N - u l) tan phi) cos a, den = sum (N sin a - Qx).
    return SolveSimplified(
        ws, start, [](const TMethodArrays& m, std::size_t i, double& p, double& r, double& k, double& d) {
            p = m.Tan[i] * m.Cos[i];
            r = m.Sin[i];
            k += m.C0[i] * m.Cos[i];
            d -= m.Qx[i];
        });
}

double JanbuCorrection(const std::vector<TSlice>& slices, const std::vector<TPoint>& surface,
                       double* depthRatio) {
    if (depthRatio)
        *depthRatio = 0;
    const TPoint a = surface.front(), b = surface.back();
    const double chord = std::hypot(b.X - a.X, b.Y - a.Y);
    if (!(chord > 0))
        return 1;
    double depth = 0;
    for (const TPoint& p : surface)
        depth = std::max(depth, ((b.X - a.X) * (a.Y - p.Y) - (b.Y - a.Y) * (a.X - p.X)) / chord);
    bool anyC = false, anyPhi = false;
    for (const TSlice& s : slices) {
        anyC = anyC || s.Cohesion > 0;
        anyPhi = anyPhi || s.TanPhi > 0;
    }
    // Janbu (1973): b1 = 0.69 for cohesion only, 0.31 for friction only, 0.50 for both.
    const double b1 = anyC && !anyPhi ? 0.69 : (!anyC && anyPhi ? 0.31 : 0.50);
    // The fit of the chart, f0 = 1 + b1 (d/L - 1.4 (d/L)^2), is read within the chart's range only:
    // beyond it the parabola falls below 1 and, for deep surfaces, below 0.
    const double ratio = depth / chord;
    if (depthRatio)
        *depthRatio = ratio;
    const double r = std::clamp(ratio, 0.0, ChartDepthRatio);
    return std::max(1.0, 1 + b1 * (r - 1.4 * r * r));
}

TMethodResult SolveSpencer(const std::vector<TSlice>& slices, double externalMoment, TWorkspace& ws,
                           double thetaDeg, double start) {
    ws.F.assign(ws.Arrays.Size() + 1, 1.0);
    return SolveRigorous(slices, externalMoment, ws, std::tan(Rad(std::clamp(thetaDeg, -80.0, 80.0))), start,
                         true);
}

TMethodResult SolveMorgensternPrice(const std::vector<TSlice>& slices, double externalMoment, TWorkspace& ws,
                                    double lambda, double start) {
    const std::size_t n = ws.Arrays.Size();
    ws.F.resize(n + 1);
    const double x0 = slices.front().XLeft, span = slices.back().XRight - x0;
    for (std::size_t j = 0; j <= n; ++j) {
        const double x = j < n ? slices[j].XLeft : slices.back().XRight;
        ws.F[j] = std::sin(Pi * (x - x0) / span);
    }
    ws.F[0] = ws.F[n] = 0;
    return SolveRigorous(slices, externalMoment, ws, lambda, start, false);
}

} // namespace quolm
