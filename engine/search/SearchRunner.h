#pragma once
// Runs a failure-surface search: generates every trial surface of the controls from its own random
// stream, evaluates them on all cores, ranks them, refines the most critical ones and reports what it
// found. The same problem, seed and options give the same result on any number of threads.
#include "engine/search/SearchGeometry.h"

namespace quolm::search {

TSearchResult RunSearch(const TSearchProblem& problem, ISurfaceEvaluator& evaluator,
                        const TSearchOptions& options);

// Threads a search with `requested` threads uses (0: every core).
int SearchThreads(int requested);

} // namespace quolm::search
