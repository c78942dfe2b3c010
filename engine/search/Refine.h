#pragma once
// Optimisation of a trial surface beyond the generated ones, over the parameters that fix it - for an
// arc its initiation point, first direction and termination point, which fix its centre and radius;
// for an irregular surface its vertices and its ends along the ground; for a block its base points in
// their boxes and its wedge angles. A global phase (differential evolution around the start) looks for
// a better valley, a local phase (Nelder and Mead's simplex) descends into it. Every trial is built
// and checked as a generated surface is, so the result keeps every kinematic rule. The random choices
// come from the caller's seed alone: the result depends on the start, the seed and the budget only.
#include "engine/search/SurfaceGenerators.h"

namespace quolm::search {

struct TRefined {
    std::vector<double> Params;
    TTrialSurface Surface;
    double FS = 0;
    long long Evaluations = 0;
};

// Optimises the surface of `start` (factor `startFS`) on the calling thread, as `worker` of the
// evaluator, within `budget` evaluations. The result is never above startFS.
TRefined Refine(const TSurfaceGenerator& generator, const ISurfaceEvaluator& evaluator, int worker,
                const std::vector<double>& start, double startFS, int budget, std::uint64_t seed = 0);

} // namespace quolm::search
