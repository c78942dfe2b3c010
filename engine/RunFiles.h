#pragma once
// The files of one analysis run: what the names file lists and what the engine's API reads and writes.
#include <string>

namespace quolm {

// The files of one run: lines 5 to 8 of the names file.
struct TRunFiles {
    std::string Input;   // the input file (".qvxd")
    std::string Output;  // the output text (".qvxo")
    std::string Plot;    // the plot file (".qvxp")
    std::string Results; // the JSON results (".qvxr")
};

} // namespace quolm
