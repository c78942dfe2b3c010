#pragma once
// The failure-surface searches: circular (Janbu, Bishop, Spencer), irregular and block.
#include "engine/Analysis.h"

namespace quolm {

// Generates and analyses the surfaces of the search that the description chooses (a valid one),
// refines the best of them, and fills the counts, the trial surfaces, the generated and refined
// best, the ten most critical, the critical surface and the warnings of `a`.
void RunSearch(const TSlopeModel& model, const TSlopeDescription& d, const TRunOptions& options,
               TAnalysis& a);

} // namespace quolm
