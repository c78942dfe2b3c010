#pragma once
// The engine's C++ API: what the exported entry point, brevanto-cli, the tests and the benchmarks
// call.
#include "engine/Contract.h"
#include <cstdint>

namespace quolm {

struct TRunOptions {
    // Worker threads of a search; 0 takes the machine's cores.
    int Threads = 0;
};

// Analyses files.Input and writes the output text, the plot file and the results. Never throws:
// whatever goes wrong stands in the output text.
void RunFiles(const TRunFiles& files, const TRunOptions& options);

} // namespace quolm
