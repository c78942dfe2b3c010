#include "engine/search/Refine.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace quolm::search {

TRefined Refine(const TSurfaceGenerator& generator, const ISurfaceEvaluator& evaluator, int worker,
                const std::vector<double>& start, double startFS, int budget) {
    TRefined best;
    best.Params = start;
    best.FS = startFS;
    generator.Build(best.Params, best.Surface);
    TSurfaceGenerator::TBounds bounds;
    std::vector<double> step;
    std::size_t n = 0;
    TTrialSurface trial;
    const double inf = std::numeric_limits<double>::infinity();

    // The factor of safety at x; infinite where the surface is inadmissible or has none. The best
    // surface seen is kept.
    auto value = [&](std::vector<double>& x) {
        if (generator.Build(x, trial))
            return inf;
        ++best.Evaluations;
        const TSurfaceValue v = evaluator.Evaluate(trial, worker);
        if (v.Rejection || !std::isfinite(v.FS))
            return inf;
        if (v.FS < best.FS) {
            best.FS = v.FS;
            best.Params = x;
            std::swap(best.Surface, trial);
        }
        return v.FS;
    };
    auto setUp = [&](const std::vector<double>& from) {
        bounds = generator.Bounds(from);
        step = bounds.Step;
        n = from.size();
    };
    auto lower = [](double a, double b) { return a < b - 1e-12 * std::abs(b); };
    auto clampAt = [&](std::vector<double>& x, std::size_t k) {
        x[k] = std::clamp(x[k], bounds.Lo[k], bounds.Hi[k]);
    };
    // One move along each parameter in turn, kept when it lowers the factor.
    auto explore = [&](std::vector<double>& x, double& fx) {
        for (std::size_t k = 0; k < n && best.Evaluations < budget; ++k) {
            if (!(step[k] > 0))
                continue;
            for (const double sign : {1.0, -1.0}) {
                std::vector<double> y = x;
                y[k] += sign * step[k];
                clampAt(y, k);
                if (y[k] == x[k])
                    continue;
                const double fy = value(y);
                if (lower(fy, fx)) {
                    x = std::move(y);
                    fx = fy;
                    break;
                }
            }
        }
    };

    // The search moves the start's simplified form when that is admissible; the start itself stays
    // the result until something lower is found.
    std::vector<double> base = generator.Simplified(start);
    double fbase = startFS;
    setUp(base);
    if (base.size() != start.size()) {
        fbase = value(base);
        if (!std::isfinite(fbase)) {
            base = best.Params;
            fbase = startFS;
            setUp(base);
        }
    }
    while (best.Evaluations < budget) {
        std::vector<double> x = base;
        double fx = fbase;
        explore(x, fx);
        if (lower(fx, fbase)) {
            // Pattern moves along the direction that helped, as long as they keep helping.
            while (best.Evaluations < budget) {
                std::vector<double> ahead = x;
                for (std::size_t k = 0; k < n; ++k) {
                    ahead[k] += x[k] - base[k];
                    clampAt(ahead, k);
                }
                base = x;
                fbase = fx;
                double fahead = value(ahead);
                explore(ahead, fahead);
                if (!lower(fahead, fbase))
                    break;
                x = std::move(ahead);
                fx = fahead;
            }
            continue;
        }
        bool finest = true;
        for (std::size_t k = 0; k < n; ++k) {
            step[k] *= 0.5;
            if (step[k] >= bounds.MinStep[k])
                finest = false;
        }
        if (finest)
            break;
    }
    return best;
}

} // namespace quolm::search
