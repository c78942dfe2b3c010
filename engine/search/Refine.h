#pragma once
// Local refinement of a trial surface beyond the generated ones: a pattern search (Hooke and Jeeves)
// over the parameters that fix the surface - for an arc its initiation point, first direction and
// termination point, which fix its centre and radius; for an irregular surface its vertices; for a
// block its base points in their boxes and its wedge angles. Every move is built and checked as a
// generated surface is; the search halves its steps until none lowers the factor of safety.
#include "engine/search/SurfaceGenerators.h"

namespace quolm::search {

struct TRefined {
    std::vector<double> Params;
    TTrialSurface Surface;
    double FS = 0;
    long long Evaluations = 0;
};

// Refines the surface of `start` (factor `startFS`) on the calling thread, as `worker` of the
// evaluator, within `budget` evaluations. The result is never above startFS.
TRefined Refine(const TSurfaceGenerator& generator, const ISurfaceEvaluator& evaluator, int worker,
                const std::vector<double>& start, double startFS, int budget);

} // namespace quolm::search
