#pragma once
// The analysis of a whole problem: the user's surface or the search the problem chooses. The searches
// build on the analysis of one surface (Analysis.h), so this sits above both.
#include "engine/Analysis.h"
#include <optional>

namespace quolm {

class TSliceCache;

// Checks and analyses the problem.
TAnalysis Analyze(const TSlopeDescription& input, const TRunOptions& options);

// The factor of safety Analyze reports for the critical surface, without the rest of its report: for
// the many analyses of a probabilistic study. Nothing when the input has errors or no surface has a
// factor. The cache (see Search.h) serves searches of models that differ only in soil strengths.
std::optional<double> CriticalFactor(const TSlopeDescription& input, const TRunOptions& options,
                                     TSliceCache* cache = nullptr);

} // namespace quolm
