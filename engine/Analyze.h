#pragma once
// The analysis of a whole problem: the user's surface or the search the problem chooses. The searches
// build on the analysis of one surface (Analysis.h), so this sits above both.
#include "engine/Analysis.h"

namespace quolm {

// Checks and analyses the problem.
TAnalysis Analyze(const TSlopeDescription& input, const TRunOptions& options);

} // namespace quolm
