// Spencer's method and the Morgenstern-Price method: force and moment equilibrium solved for F and
// the interslice force's scale lambda by Newton's method on a march over the slices, in the sign
// convention of Methods.cpp.
#include "engine/FirstWhere.h"
#include "engine/MethodCommon.h"
#include "engine/Methods.h"
#include <algorithm>
#include <cmath>

namespace quolm {

namespace {
using namespace methods;

// Marches a rigorous solution may take in all: a surface where Newton's method fails costs a few
// times one where it succeeds, not hundreds.
constexpr int MarchBudget = 400;
// Newton's method keeps a finite-difference Jacobian, with secant (Broyden) updates, for the next
// step after a step that changed F and lambda by no more than this (relative).
constexpr double ReuseStep = 0.1;
// The ratio of the Morgenstern-Price lambda with the half-sine to Spencer's tan(theta) after one
// Newton step from lambda = 0: 1.2 to 1.5 on trial circles (median 1.34), a little more on
// irregular surfaces and blocks. Only a start: the solution does not depend on it.
constexpr double MpLambdaRatio = 1.35;

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
    // Whether each march gives the residuals' derivatives too (JacobianAt).
    bool Derivatives() const { return Constant; }

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
        const std::size_t n = m.Size();
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
        const std::size_t n = m.Size();
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

// The Newton step (sf, sl) for the residuals (rf, rm) with the Jacobian [a b; c d]; false where the
// Jacobian is singular.
bool NewtonStep(double a, double b, double c, double d, double rf, double rm, double& sf, double& sl) {
    const double det = a * d - b * c;
    if (!(std::abs(det) > 0) || !Finite(det))
        return false;
    sf = (-rf * d + b * rm) / det;
    sl = (-a * rm + c * rf) / det;
    return true;
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
        double sf = 0, sl = 0;
        if (!NewtonStep(a, b, c, d, rf, rm, sf, sl))
            return false;
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
        // After a small step the Jacobian has changed little: updated by the secant condition of
        // the step (Broyden), J s = the change of the residuals, it serves for the next step too
        // (one march instead of three), and for the prediction below.
        reuse = std::abs(nf - f) <= ReuseStep * nf &&
                std::abs(nl - lambda) <= ReuseStep * std::max(1.0, std::abs(nl));
        if (reuse && !march.Derivatives()) {
            const double sf1 = nf - f, sl1 = nl - lambda, ss = sf1 * sf1 + sl1 * sl1;
            if (ss > 0) {
                const double uf = (nrf - rf - a * sf1 - b * sl1) / ss,
                             um = (nrm - rm - c * sf1 - d * sl1) / ss;
                a += uf * sf1;
                b += uf * sl1;
                c += um * sf1;
                d += um * sl1;
            }
        }
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
        march.JacobianAt(f, lambda, a, b, c, d);
        double pf = 0, pl = 0;
        if (NewtonStep(a, b, c, d, rf, rm, pf, pl) && std::abs(pf) <= 0.1 * Tolerance * f &&
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
    const double scale = std::max(weight, 1e-300); // of the force residual
    const TMarch march(ws, externalMoment, scale, length, constant);
    const double startF = start > 0 && Finite(start) ? start : 1.5;
    double f = startF;
    double l = lambda;
    bool ok = false;
    if (!constant) {
        // A start for lambda nearer the solution than the given one: one step of Spencer's method
        // (one vector loop, exact Jacobian) gives the constant inclination, and the half-sine's
        // lambda is about MpLambdaRatio times it. From there Newton's method needs about three
        // marches fewer on circles. Where it fails, it starts again from the given lambda.
        const TMarch spencer(ws, externalMoment, scale, length, true);
        double rf = 0, rm = 0, a = 0, b = 0, c = 0, d = 0, sf = 0, sl = 0;
        if (spencer.Run(f, lambda, rf, rm) && spencer.JacobianAt(f, lambda, a, b, c, d) &&
            NewtonStep(a, b, c, d, rf, rm, sf, sl)) {
            const double estimate = MpLambdaRatio * (lambda + sl);
            if (Finite(estimate) && estimate != lambda) {
                l = estimate;
                ok = Newton(march, f, l, r.Iterations);
                if (!ok) {
                    f = startF;
                    l = lambda;
                }
            }
        }
    }
    if (!ok)
        ok = Newton(march, f, l, r.Iterations);
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
        TMarch check(ws, externalMoment, scale, length, constant);
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
    const double* e = ws.E.data();
    const double* u = ws.U.data();
    r.Tension = FirstWhere(1, n, [&](std::size_t j) { return e[j] - u[j] < limit; });
    return r;
}

} // namespace

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
        ws.F[j] = SinPi((x - x0) / span);
    }
    ws.F[0] = ws.F[n] = 0;
    return SolveRigorous(slices, externalMoment, ws, lambda, start, false);
}

} // namespace quolm
