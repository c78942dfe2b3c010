#pragma once
// The failure-surface searches: circular (Janbu, Bishop, Spencer), irregular and block.
#include "engine/Analysis.h"

namespace quolm {

// Generates and analyses the surfaces of the search that `s` chooses, filling the counts, the trial
// surfaces, the ten most critical and the critical surface of `a`.
void RunSearch(const TSlopeModel& model, const TSlopeSettings& s, const TRunOptions& options, TAnalysis& a);

} // namespace quolm
