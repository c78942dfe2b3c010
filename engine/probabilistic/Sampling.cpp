#include "engine/probabilistic/Sampling.h"
#include "engine/probabilistic/Distributions.h"
#include "engine/search/Random.h"
#include <algorithm>
#include <cmath>

namespace quolm::prob {

namespace {
// Stream tags, so the sample streams never coincide with the permutations' or a search's.
constexpr std::uint64_t SampleStream = 0x50524F42ull; // "PROB"
constexpr std::uint64_t StrataStream = 0x4C485321ull; // "LHS!"
// Redraws of a truncated variable before the last, exact resort (see Draw).
constexpr int MaxRedraws = 1000;

// Uniform in the open interval (0, 1): the quantile functions are infinite at its ends.
double OpenUniform(search::TRandom& r) {
    return (static_cast<double>(r.Next() >> 11) + 0.5) * 0x1.0p-53;
}

bool Inside(const TRandomVariable& v, double x) {
    return !v.Truncated || (x >= v.Min && x <= v.Max);
}
} // namespace

TSamplePlan::TSamplePlan(const std::vector<TRandomVariable>& variables,
                         const std::vector<TSoilCorrelation>& correlations, TSamplingKind sampling,
                         std::uint64_t seed, long long samples)
    : Variables(variables), Sampling(sampling), Seed(seed), Samples(samples) {
    std::vector<bool> grouped(Variables.size(), false);
    for (const TSoilCorrelation& c : correlations) {
        int ci = -1, pi = -1;
        for (int i = 0; i < VariableCount(); ++i) {
            const TRandomVariable& v = Variables[static_cast<std::size_t>(i)];
            if (v.Index == c.Soil && v.Target == TRandomTarget::Cohesion)
                ci = i;
            if (v.Index == c.Soil && v.Target == TRandomTarget::FrictionAngle)
                pi = i;
        }
        if (ci < 0 || pi < 0 || grouped[static_cast<std::size_t>(ci)] || c.R == 0)
            continue;
        grouped[static_cast<std::size_t>(ci)] = grouped[static_cast<std::size_t>(pi)] = true;
        Groups.push_back({ci, pi, c.R});
    }
    for (int i = 0; i < VariableCount(); ++i)
        if (!grouped[static_cast<std::size_t>(i)])
            Groups.push_back({i, -1, 0});

    if (Sampling == TSamplingKind::LatinHypercube && Samples > 0) {
        for (int v = 0; v < VariableCount(); ++v) {
            std::vector<std::uint32_t> perm(static_cast<std::size_t>(Samples));
            for (std::size_t i = 0; i < perm.size(); ++i)
                perm[i] = static_cast<std::uint32_t>(i);
            search::TRandom r(Seed, StrataStream, static_cast<std::uint64_t>(v));
            for (std::size_t i = perm.size() - 1; i > 0; --i)
                std::swap(perm[i], perm[r.Next() % (i + 1)]);
            Strata.push_back(std::move(perm));
        }
    }
}

void TSamplePlan::Draw(long long index, double* values) const {
    search::TRandom r(Seed, SampleStream, static_cast<std::uint64_t>(index));
    // The first uniform of each variable: its stratum (Latin hypercube) or a plain draw. Drawn for
    // every variable before any redraw, so the streams of the variables do not depend on each other.
    std::vector<double> u(Variables.size());
    for (std::size_t v = 0; v < Variables.size(); ++v) {
        const double jitter = OpenUniform(r);
        u[v] = Strata.empty() ? jitter
                              : (static_cast<double>(Strata[v][static_cast<std::size_t>(index)]) + jitter) /
                                    static_cast<double>(Samples);
    }
    for (const TGroup& g : Groups) {
        const TRandomVariable& a = Variables[static_cast<std::size_t>(g.First)];
        const TRandomVariable* b = g.Second >= 0 ? &Variables[static_cast<std::size_t>(g.Second)] : nullptr;
        double ua = u[static_cast<std::size_t>(g.First)];
        double ub = b ? u[static_cast<std::size_t>(g.Second)] : 0;
        for (int attempt = 0;; ++attempt) {
            double xa = 0, xb = 0;
            if (b) {
                // A Gaussian copula: the normal scores of c and phi correlated by R.
                const double za = NormalQuantile(ua);
                const double zb = g.R * za + std::sqrt(1 - g.R * g.R) * NormalQuantile(ub);
                xa = Quantile(a, ua);
                xb = Quantile(*b, NormalCdf(zb));
            } else {
                xa = Quantile(a, ua);
            }
            if (Inside(a, xa) && (!b || Inside(*b, xb))) {
                values[g.First] = xa;
                if (b)
                    values[g.Second] = xb;
                break;
            }
            if (attempt == MaxRedraws) {
                // A truncation range holding almost none of the distribution: the value drawn from
                // the distribution restricted to the range directly, which is what redrawing would
                // give in the end.
                const auto restricted = [](const TRandomVariable& v, double w, double x) {
                    if (Inside(v, x))
                        return x;
                    const double lo = Cdf(v, v.Min), hi = Cdf(v, v.Max);
                    return std::clamp(Quantile(v, lo + (hi - lo) * w), v.Min, v.Max);
                };
                values[g.First] = restricted(a, OpenUniform(r), xa);
                if (b)
                    values[g.Second] = restricted(*b, OpenUniform(r), xb);
                break;
            }
            // Outside the range: drawn again (not clipped), from the sample's own stream.
            ua = OpenUniform(r);
            if (b)
                ub = OpenUniform(r);
        }
    }
}

} // namespace quolm::prob
