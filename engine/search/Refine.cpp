#include "engine/search/Refine.h"
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace quolm::search {

namespace {
constexpr double Inf = std::numeric_limits<double>::infinity();
// The optimisation stops where its factors agree to this share, or a restart gains less: far below
// the last digit a factor of safety is reported with.
constexpr double Settled = 1e-6;

using TVector = std::vector<double>;

// The state shared by both phases: the bounds, the best surface seen and the evaluations spent.
struct TOptimiser {
    const TSurfaceGenerator& Generator;
    const ISurfaceEvaluator& Evaluator;
    int Worker = 0;
    int Budget = 0;
    TRefined& Best;
    TSurfaceGenerator::TBounds Bounds;
    TTrialSurface Trial;

    bool Spent() const { return Best.Evaluations >= Budget; }

    void Clamp(TVector& x) const {
        for (std::size_t k = 0; k < x.size(); ++k)
            x[k] = std::clamp(x[k], Bounds.Lo[k], Bounds.Hi[k]);
    }

    // The factor of safety at x; infinite where the surface is inadmissible or has none. The best
    // surface seen is kept. An inadmissible x costs no evaluation of the mechanics, but counts a
    // little, so that a phase that finds nothing admissible still ends.
    double Value(TVector x) {
        if (Spent())
            return Inf;
        Clamp(x);
        if (Generator.Build(x, Trial)) {
            ++Rejected;
            if (Rejected % 8 == 0)
                ++Best.Evaluations;
            return Inf;
        }
        ++Best.Evaluations;
        const TSurfaceValue v = Evaluator.Evaluate(Trial, Worker);
        if (v.Rejection || !std::isfinite(v.FS))
            return Inf;
        if (v.FS < Best.FS) {
            Best.FS = v.FS;
            Best.Params = x;
            std::swap(Best.Surface, Trial);
        }
        return v.FS;
    }
    long long Rejected = 0;
};

// Differential evolution (rand-to-best/1, binomial crossover) over a box around `centre` of
// half-widths `reach`, the centre itself a member from the start.
void Evolve(TOptimiser& o, const TVector& centre, double fcentre, const TVector& reach, int budget,
            TRandom& rng) {
    const std::size_t n = centre.size();
    const int members = std::clamp(static_cast<int>(3 * n), 10, 30);
    const long long stop = std::min<long long>(o.Best.Evaluations + budget, o.Budget);
    std::vector<TVector> pop(static_cast<std::size_t>(members), centre);
    std::vector<double> f(static_cast<std::size_t>(members), Inf);
    f[0] = fcentre;
    for (int m = 1; m < members && o.Best.Evaluations < stop; ++m) {
        TVector& x = pop[static_cast<std::size_t>(m)];
        // A few tries for an admissible member; an inadmissible one is replaced by the first
        // admissible trial that takes its place.
        for (int attempt = 0; attempt < 4 && !std::isfinite(f[static_cast<std::size_t>(m)]); ++attempt) {
            for (std::size_t k = 0; k < n; ++k)
                x[k] = centre[k] + reach[k] * rng.Uniform(-1, 1);
            o.Clamp(x);
            f[static_cast<std::size_t>(m)] = o.Value(x);
        }
    }
    constexpr double F = 0.6, CR = 0.9;
    while (o.Best.Evaluations < stop) {
        const std::size_t best = static_cast<std::size_t>(std::min_element(f.begin(), f.end()) - f.begin());
        for (std::size_t m = 0; m < pop.size() && o.Best.Evaluations < stop; ++m) {
            auto pick = [&] { return static_cast<std::size_t>(rng.Next() % pop.size()); };
            std::size_t r1 = pick(), r2 = pick(), r3 = pick();
            for (int guard = 0; guard < 8 && (r1 == m); ++guard)
                r1 = pick();
            for (int guard = 0; guard < 8 && (r2 == m || r2 == r1); ++guard)
                r2 = pick();
            for (int guard = 0; guard < 8 && (r3 == m || r3 == r1 || r3 == r2); ++guard)
                r3 = pick();
            const TVector& a = std::isfinite(f[r1]) ? pop[r1] : pop[best];
            TVector y = pop[m];
            const std::size_t forced = static_cast<std::size_t>(rng.Next() % n);
            for (std::size_t k = 0; k < n; ++k)
                if (k == forced || rng.Uniform() < CR)
                    y[k] = a[k] + F * (pop[best][k] - a[k]) + F * (pop[r2][k] - pop[r3][k]);
            o.Clamp(y);
            const double fy = o.Value(y);
            if (fy <= f[m]) {
                pop[m] = std::move(y);
                f[m] = fy;
            }
        }
    }
}

// Nelder and Mead's simplex from x with initial steps `step`; inadmissible points count as infinite.
void Simplex(TOptimiser& o, const TVector& x0, double f0, const TVector& step) {
    const std::size_t n = x0.size();
    std::vector<TVector> v(n + 1, x0);
    std::vector<double> f(n + 1, f0);
    for (std::size_t k = 0; k < n && !o.Spent(); ++k) {
        v[k + 1][k] += step[k];
        o.Clamp(v[k + 1]);
        f[k + 1] = o.Value(v[k + 1]);
        if (!std::isfinite(f[k + 1]) || v[k + 1][k] == x0[k]) {
            v[k + 1] = x0;
            v[k + 1][k] -= step[k];
            o.Clamp(v[k + 1]);
            f[k + 1] = o.Value(v[k + 1]);
        }
    }
    std::vector<std::size_t> order(n + 1);
    TVector centroid(n), xr(n), xe(n), xc(n);
    auto along = [&](TVector& out, const TVector& from, double t) {
        for (std::size_t k = 0; k < n; ++k)
            out[k] = centroid[k] + t * (from[k] - centroid[k]);
        o.Clamp(out);
    };
    while (!o.Spent()) {
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return f[a] < f[b]; });
        const std::size_t lo = order.front(), hi = order.back(), second = order[n - 1];
        // Converged: the simplex has shrunk below the finest steps or its values agree.
        double spread = 0;
        for (std::size_t k = 0; k < n; ++k) {
            double a = v[0][k], b = v[0][k];
            for (const TVector& p : v)
                a = std::min(a, p[k]), b = std::max(b, p[k]);
            spread = std::max(spread, (b - a) / std::max(o.Bounds.MinStep[k], 1e-300));
        }
        if (spread < 1 || (std::isfinite(f[hi]) && f[hi] - f[lo] <= Settled * f[lo]))
            break;
        std::fill(centroid.begin(), centroid.end(), 0.0);
        for (std::size_t i = 0; i <= n; ++i)
            if (i != hi)
                for (std::size_t k = 0; k < n; ++k)
                    centroid[k] += v[i][k] / static_cast<double>(n);
        along(xr, v[hi], -1);
        const double fr = o.Value(xr);
        if (fr < f[lo]) {
            along(xe, v[hi], -2);
            const double fe = o.Value(xe);
            if (fe < fr)
                v[hi] = xe, f[hi] = fe;
            else
                v[hi] = xr, f[hi] = fr;
        } else if (fr < f[second]) {
            v[hi] = xr, f[hi] = fr;
        } else {
            along(xc, fr < f[hi] ? xr : v[hi], 0.5);
            const double fc = o.Value(xc);
            if (fc < std::min(fr, f[hi])) {
                v[hi] = xc, f[hi] = fc;
            } else {
                for (std::size_t i = 0; i <= n && !o.Spent(); ++i) {
                    if (i == lo)
                        continue;
                    for (std::size_t k = 0; k < n; ++k)
                        v[i][k] = v[lo][k] + 0.5 * (v[i][k] - v[lo][k]);
                    f[i] = o.Value(v[i]);
                }
            }
        }
    }
}
} // namespace

TRefined Refine(const TSurfaceGenerator& generator, const ISurfaceEvaluator& evaluator, int worker,
                const std::vector<double>& start, double startFS, int budget, std::uint64_t seed) {
    TRefined best;
    best.Params = start;
    best.FS = startFS;
    generator.Build(best.Params, best.Surface);
    TOptimiser o{generator, evaluator, worker, budget, best, {}, {}};

    // The optimisation moves the start's simplified form when that is admissible; the start itself
    // stays the result until something lower is found.
    TVector base = generator.Simplified(start);
    double fbase = startFS;
    o.Bounds = generator.Bounds(base);
    if (base.size() != start.size()) {
        fbase = o.Value(base);
        if (!std::isfinite(fbase)) {
            base = start;
            fbase = startFS;
            o.Bounds = generator.Bounds(base);
        }
    }
    const std::size_t n = base.size();
    if (n == 0)
        return best;
    TRandom rng(seed, 0x0B71, n);
    // The global phase looks up to a few first steps away; the local phase starts from the best
    // found, with the first steps halved when the global phase moved.
    TVector reach(n), step(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double width = o.Bounds.Hi[k] - o.Bounds.Lo[k];
        reach[k] = std::min(3 * o.Bounds.Step[k], std::isfinite(width) ? 0.5 * width : Inf);
        step[k] = o.Bounds.Step[k];
    }
    Evolve(o, base, fbase, reach, budget * 2 / 5, rng);
    TVector from = best.Params.size() == n ? best.Params : base;
    double ffrom = best.Params.size() == n ? best.FS : fbase;
    for (int round = 0; round < 4 && !o.Spent(); ++round) {
        const double before = best.FS;
        Simplex(o, from, ffrom, step);
        if (best.Params.size() == n) {
            from = best.Params;
            ffrom = best.FS;
        }
        for (double& s : step)
            s *= 0.5;
        if (!(best.FS < before - Settled * before) && round > 0)
            break;
    }
    return best;
}

} // namespace quolm::search
