// The methods, in the sign convention of the whole engine: x to the right, y up, the mass sliding
// towards -x. On slice i the base normal force N acts along (-sin a, cos a), the mobilised shear
// S = (c l + (N - u l) tan phi) / F along (cos a, sin a), the interslice force from the left
// neighbour is (E_i, X_i) and from the right one (-E_i+1, -X_i+1).
#include "engine/Methods.h"
#include "engine/FirstWhere.h"
#include "engine/MethodCommon.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace quolm {

namespace methods {

bool NoStrength(const TMethodArrays& m) {
    for (std::size_t i = 0; i < m.Size(); ++i)
        if (m.Cl[i] != 0 || m.Tan[i] != 0)
            return false;
    return true;
}

// Janbu's force sums over normals without interslice shear at factor f.
bool JanbuSums(const TMethodArrays& m, std::vector<double>& n, double f, double& num, double& den);

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
    const std::size_t count = m.Size();
    const double* normal = n.data();
    const double* ul = m.Ul.data();
    const double* wv = m.Wv.data();
    if (r.NegativeNormal < 0)
        r.NegativeNormal = FirstWhere(
            0, count, [&](std::size_t i) { return normal[i] - ul[i] < -1e-9 * std::abs(wv[i]) - 1e-12; });
    if (mAlpha && r.SmallMAlpha < 0) {
        const double* cosA = m.Cos.data();
        const double* sinA = m.Sin.data();
        const double* tanP = m.Tan.data();
        r.SmallMAlpha =
            FirstWhere(0, count, [&](std::size_t i) { return cosA[i] + sinA[i] * tanP[i] / f < 0.2; });
    }
}

// The ratio of Bishop's and Janbu's methods at every F (see SolveSimplified): num = K + sum N P,
// den = D + sum N R, with each slice's normal force N = (Wv - B q) / (cos a + A q), q = 1/F.
struct TRatioTerms {
    std::size_t Count = 0;
    const double *CosA = nullptr, *A = nullptr, *B = nullptr, *Wv = nullptr, *P = nullptr, *R = nullptr;
    double K = 0, D = 0;
};

// num and den at f; false where m_alpha is not positive on every slice.
inline bool RatioAt(const TRatioTerms& t, double f, double& num, double& den) {
    const double q = 1 / f;
    const double *cosA = t.CosA, *a = t.A, *b = t.B, *wv = t.Wv, *p = t.P, *r = t.R;
    double sp = 0, sr = 0;
    double bad = 0; // counted in a double: an int beside the doubles keeps the loop scalar
#pragma omp simd reduction(+ : sp, sr, bad)
    for (std::size_t i = 0; i < t.Count; ++i) {
        const double ma = cosA[i] + a[i] * q;
        const double normal = (wv[i] - b[i] * q) / ma;
        bad += ma > 0 ? 0.0 : 1.0;
        sp += normal * p[i];
        sr += normal * r[i];
    }
    if (bad > 0)
        return false;
    num = t.K + sp;
    den = t.D + sr;
    return true;
}

// The same out of line, for the bracketed search: inlined into its loops, the vector loop ran short
// of registers and took twice as long, while the fixed-point iteration runs best with it inline.
[[gnu::noinline]] bool RatioAtOutOfLine(const TRatioTerms& t, double f, double& num, double& den) {
    return RatioAt(t, f, num, den);
}

// Whether num - F den keeps one sign for every F in [fa, fb] (1 or -1; 0 when that cannot be
// shown): each normal force is monotonic in F (a ratio of two linear functions of 1/F whose
// denominator, m_alpha, is positive at both ends and so between them), so each term of either sum
// lies between its values at the ends, and the sums between the sums of the lesser and of the
// greater. The margin, far above the rounding of either sum, makes the sign that of num - F den as
// computed at every F between.
int SignBetween(const TRatioTerms& t, double fa, double fb) {
    const double qa = 1 / fa, qb = 1 / fb;
    const double *cosA = t.CosA, *a = t.A, *b = t.B, *wv = t.Wv, *p = t.P, *r = t.R;
    double numLo = 0, numHi = 0, denLo = 0, denHi = 0, size = 0;
    double bad = 0;
#pragma omp simd reduction(+ : numLo, numHi, denLo, denHi, size, bad)
    for (std::size_t i = 0; i < t.Count; ++i) {
        const double maA = cosA[i] + a[i] * qa, maB = cosA[i] + a[i] * qb;
        bad += maA > 0 && maB > 0 ? 0.0 : 1.0;
        const double na = (wv[i] - b[i] * qa) / maA, nb = (wv[i] - b[i] * qb) / maB;
        const double pa = na * p[i], pb = nb * p[i], ra = na * r[i], rb = nb * r[i];
        const bool pLess = pa < pb, rLess = ra < rb;
        numLo += pLess ? pa : pb;
        numHi += pLess ? pb : pa;
        denLo += rLess ? ra : rb;
        denHi += rLess ? rb : ra;
        size += std::max(std::abs(pa), std::abs(pb)) + fb * std::max(std::abs(ra), std::abs(rb));
    }
    numLo += t.K;
    numHi += t.K;
    denLo += t.D;
    denHi += t.D;
    const double margin = 1e-9 * (size + std::abs(t.K) + fb * std::abs(t.D));
    if (bad > 0 || !Finite(margin))
        return 0;
    if (numLo - (denHi >= 0 ? fb : fa) * denHi > margin)
        return 1;
    if (numHi - (denLo >= 0 ? fa : fb) * denLo < -margin)
        return -1;
    return 0;
}

// Where the fixed-point iteration fails: a bracketed search above `floor`, the factor's smallest
// admissible value. Out of line: the iteration is the common case.
[[gnu::noinline]] TMethodResult Bracketed(const TRatioTerms& t, double floor, TMethodResult r) {
    // Nothing drives the mass when even the largest factor reported leaves more resistance than
    // drive: then no bracket is looked for.
    {
        double num = 0, den = 0;
        if (RatioAtOutOfLine(t, MaxFactor, num, den) && (!(den > 0) || num / den >= MaxFactor)) {
            r.Undriven = true;
            return r;
        }
    }
    const auto g = [&t](double x, double& value) {
        double num = 0, den = 0;
        if (!RatioAtOutOfLine(t, x, num, den))
            return false;
        value = num - x * den;
        return true;
    };
    const auto sign = [&t](double fa, double fb) { return SignBetween(t, fa, fb); };
    double root = 0;
    if (BracketRoot(g, sign, floor, MaxFactor, root) && root > floor) {
        // A sign change of g is a root only where the ratio is continuous: across a pole of it (the
        // driving sum passing zero) g changes sign too. Accept what gives itself back.
        double num = 0, den = 0;
        if (RatioAtOutOfLine(t, root, num, den) && den > 0 && std::abs(num / den - root) <= 1e-7 * root) {
            r.F = root;
            r.Converged = true;
            return r;
        }
    }
    return r;
}

// Solves F = num(F) / den(F): fixed-point iteration from `start`, and where that fails a bracketed
// search above `fmin`.
TMethodResult FixedPoint(const TRatioTerms& t, double start, double fmin) {
    TMethodResult r;
    const double floor = fmin > 0 ? fmin * (1 + 1e-9) + 1e-12 : 1e-6;
    double f = std::max(start, floor * 1.05);
    // The iteration F <- num/den, sped up by secant steps on g(F) = num/den - F once two values are
    // known; a secant step that leaves the admissible range falls back to the plain step.
    double prevF = 0, prevG = 0;
    bool havePrevious = false;
    for (int it = 1; it <= 100; ++it) {
        double num = 0, den = 0;
        if (!RatioAt(t, f, num, den) || !(den > 0) || !Finite(num))
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
    return Bracketed(t, floor, r);
}

// Bishop's and Janbu's simplified methods solve alike: the base normals for a trial F (interslice
// shear left out), a ratio of resisting to driving sums over them, iterated to its fixed point.
// With q = 1/F a slice's normal force is N = (Wv - B q) / (cos a + A q), A = sin a tan phi,
// B = (c l - u l tan phi) sin a, and both sums are linear in N: num = K + sum N P, den = D + sum N R.
// Everything but q is fixed for the surface, so it is computed once, as arrays the loop over the
// slices runs through in vector instructions.
struct TSimplified {
    TRatioTerms Ratio;
    double FMin = 0;       // the smallest F that keeps m_alpha positive on every slice
    bool Strength = false; // some slice has cohesion or friction
};

// One slice's A and B, and the least factor its m_alpha allows, into `fmin`.
inline void ShareOfSlice(double sinA, double cosA, double tanP, double c0, double& a, double& b,
                         double& fmin) {
    a = sinA * tanP;
    b = c0 * sinA;
    if (sinA < 0 && tanP > 0 && cosA > 0)
        fmin = std::max(fmin, -sinA * tanP / cosA);
}
// One slice's P and R, and its share of K: Bishop's method, num = sum (c l + (N - u l) tan phi) m_S,
// den = -M - sum N m_N.
inline void BishopShare(double tanP, double c0, double ms, double mn, double& p, double& r, double& k) {
    p = tanP * ms;
    r = -mn;
    k += c0 * ms;
}
// The same of Janbu's method, num = sum (c l + (N - u l) tan phi) cos a, den = sum (N sin a - Qx),
// with its share of D.
inline void JanbuShare(double tanP, double c0, double sinA, double cosA, double qx, double& p, double& r,
                       double& k, double& d) {
    p = tanP * cosA;
    r = sinA;
    k += c0 * cosA;
    d -= qx;
}

// The ratio's terms from the arrays PrepareTerms filled; `sums` gives each slice's P and R and the
// constants.
template <class Sums> TSimplified SimplifiedTerms(TWorkspace& ws, Sums sums) {
    TMethodArrays& st = ws.Arrays;
    const std::size_t n = st.Size();
    TSimplified t;
    double k = 0, d = 0;
    for (std::size_t i = 0; i < n; ++i) {
        ShareOfSlice(st.Sin[i], st.Cos[i], st.Tan[i], st.C0[i], st.A[i], st.B[i], t.FMin);
        sums(st, i, st.P[i], st.R[i], k, d);
    }
    t.Ratio.K = k;
    t.Ratio.D = d;
    t.Strength = !NoStrength(st);
    return t;
}

// Solves the ratio whose terms are in ws.Arrays. Without `normals` the normal forces of the solution
// are left out where they cannot change it: for a caller that needs the factor alone. `complete`
// fills the arrays that the check of a factor near zero reads (the pore pressures, the sines and
// tan(phi)), for a caller that left them out.
template <class Complete>
TMethodResult SolveRatio(TWorkspace& ws, TSimplified t, double start, bool normals, Complete complete) {
    TMethodArrays& st = ws.Arrays;
    const std::size_t n = st.Size();
    ws.N.resize(n);
    TRatioTerms& terms = t.Ratio;
    terms.Count = n;
    terms.CosA = st.Cos.data();
    terms.A = st.A.data();
    terms.B = st.B.data();
    terms.Wv = st.Wv.data();
    terms.P = st.P.data();
    terms.R = st.R.data();
    if (!t.Strength) {
        // The ratio's numerator is 0 at every F: the factor is 0 when its denominator drives.
        TMethodResult r;
        double num = 0, den = 0;
        r.Undriven = !RatioAt(terms, 1, num, den) || !(den > 0);
        r.Converged = !r.Undriven;
        return r;
    }
    TMethodResult res = FixedPoint(terms, start, t.FMin);
    // A factor near zero is kept only where no slice's soil is in tension: that needs the normals.
    if (res.Converged && (normals || res.F < SmallFactor)) {
        if (!normals)
            complete();
        // The normal forces of the solution, and whether any slice needs a closer look.
        const double q = 1 / res.F;
        const double *cosA = terms.CosA, *a = terms.A, *b = terms.B, *wv = terms.Wv;
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

template <class Sums> TMethodResult SolveSimplified(TWorkspace& ws, double start, bool normals, Sums sums) {
    return SolveRatio(ws, SimplifiedTerms(ws, sums), start, normals, [] {});
}
} // namespace methods

using namespace methods;

namespace {
// A slice's terms that depend on neither F nor the centre: c l, u l, c l - u l tan(phi) and Wv.
struct TSliceTerms {
    double Cl, Ul, C0, Wv;
};
inline TSliceTerms TermsOf(const TSlice& s) {
    const double cl = s.Cohesion * s.Length, ul = s.U * s.Length;
    return {cl, ul, cl - ul * s.TanPhi, s.Weight - s.Qy};
}
// The moment arms of a slice's base shear and base normal force about `c`.
inline void ArmsOf(const TSlice& s, TPoint c, double& ms, double& mn) {
    const double dx = s.XMid - c.X, dy = s.YBase - c.Y;
    ms = dx * s.Sin - dy * s.Cos;
    mn = dx * s.Cos + dy * s.Sin;
}
// The moment about `c` of every force on a slice but the base reactions.
inline double MomentOf(const TSlice& s, TPoint c) {
    return s.Qm - c.X * s.Qy + c.Y * s.Qx - (s.XW - c.X) * s.Weight;
}

template <bool Moments>
double PrepareTermsOf(const std::vector<TSlice>& slices, TPoint centre, TMethodArrays& m) {
    double moment = 0;
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const TSlice& s = slices[i];
        const TSliceTerms t = TermsOf(s);
        m.Cl[i] = t.Cl;
        m.Ul[i] = t.Ul;
        m.Tan[i] = s.TanPhi;
        m.C0[i] = t.C0;
        m.Sin[i] = s.Sin;
        m.Cos[i] = s.Cos;
        m.Wv[i] = t.Wv;
        m.Qx[i] = s.Qx;
        m.Thrust[i] = s.Thrust;
        if constexpr (Moments) {
            ArmsOf(s, centre, m.MS[i], m.MN[i]);
            moment += MomentOf(s, centre);
        }
    }
    return moment;
}
} // namespace

double PrepareTerms(const std::vector<TSlice>& slices, TPoint centre, TWorkspace& ws, bool moments) {
    TMethodArrays& m = ws.Arrays;
    m.Resize(slices.size());
    return moments ? PrepareTermsOf<true>(slices, centre, m) : PrepareTermsOf<false>(slices, centre, m);
}

namespace {
// PrepareTerms and the ratio's terms of Bishop's (`Moments`) or Janbu's method in one pass over the
// slices, writing only the arrays the iteration reads: the same values, by the same expressions,
// summed in the same order.
template <bool Moments>
TSimplified SimplifiedTermsOf(const std::vector<TSlice>& slices, TPoint centre, TMethodArrays& m) {
    TSimplified t;
    double k = 0, d = 0, moment = 0;
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const TSlice& s = slices[i];
        const TSliceTerms terms = TermsOf(s);
        m.Cos[i] = s.Cos;
        m.Wv[i] = terms.Wv;
        ShareOfSlice(s.Sin, s.Cos, s.TanPhi, terms.C0, m.A[i], m.B[i], t.FMin);
        if constexpr (Moments) {
            double ms = 0, mn = 0;
            ArmsOf(s, centre, ms, mn);
            BishopShare(s.TanPhi, terms.C0, ms, mn, m.P[i], m.R[i], k);
            moment += MomentOf(s, centre);
        } else {
            JanbuShare(s.TanPhi, terms.C0, s.Sin, s.Cos, s.Qx, m.P[i], m.R[i], k, d);
        }
        t.Strength = t.Strength || terms.Cl != 0 || s.TanPhi != 0;
    }
    t.Ratio.K = k;
    t.Ratio.D = Moments ? -moment : d;
    return t;
}
} // namespace

TMethodResult SolveSimplifiedFactor(const std::vector<TSlice>& slices, TPoint centre, bool bishop,
                                    TWorkspace& ws) {
    TMethodArrays& m = ws.Arrays;
    m.Resize(slices.size());
    const TSimplified t =
        bishop ? SimplifiedTermsOf<true>(slices, centre, m) : SimplifiedTermsOf<false>(slices, centre, m);
    return SolveRatio(ws, t, 1.5, false, [&] { PrepareTerms(slices, centre, ws, bishop); });
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

namespace {
// num = sum (c l + (N - u l) tan phi) m_S, den = -M - sum N m_N.
TMethodResult Bishop(double externalMoment, TWorkspace& ws, double start, bool normals) {
    return SolveSimplified(
        ws, start, normals,
        [externalMoment](const TMethodArrays& m, std::size_t i, double& p, double& r, double& k, double& d) {
            BishopShare(m.Tan[i], m.C0[i], m.MS[i], m.MN[i], p, r, k);
            d = -externalMoment;
        });
}
} // namespace

TMethodResult SolveBishop(double externalMoment, TWorkspace& ws, double start) {
    return Bishop(externalMoment, ws, start, true);
}

double RigorousStart(double externalMoment, TWorkspace& ws) {
    return RigorousStart(Bishop(externalMoment, ws, 1.5, false));
}

TMethodResult SolveJanbu(TWorkspace& ws, double start) {
    return SolveSimplified(
        ws, start, true,
        [](const TMethodArrays& m, std::size_t i, double& p, double& r, double& k, double& d) {
            JanbuShare(m.Tan[i], m.C0[i], m.Sin[i], m.Cos[i], m.Qx[i], p, r, k, d);
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

} // namespace quolm
