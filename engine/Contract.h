#pragma once
// The engine's side of the hand-off with the desktop program: the names file that lists the files of
// one run, and the run itself as the exported entry point performs it.
#include "engine/RunFiles.h"
#include <atomic>
#include <string>

namespace quolm {

// The program version that the first line of the names file must carry.
constexpr const char* ProgramVersion = "2015.4.4";

// The layout of the results file: raised whenever keys are added, so that a reader can tell what to
// expect (2: per-slice geometry, forces by kind, interslice forces and the line of thrust).
constexpr int ResultsSchema = 2;

enum class TNamesStatus {
    Ok,
    Missing,    // no names file, or it cannot be read
    BadVersion, // its first line is not ProgramVersion
    Incomplete  // fewer than eight lines, or an empty file name on lines 5 to 8
};

// Reads the names file at `path` (CR LF or LF line ends).
TNamesStatus ReadNamesFile(const std::string& path, TRunFiles& files);

// What the exported entry point does: 1 when the names file is missing or inconsistent (nothing is
// run), 0 otherwise, also when the analysis found errors (they stand in the output files). Never
// throws. `cancel` (when given) stops the run at its next surface; a stopped run writes no files.
int RunFromNamesFile(const std::string& namesPath, const std::atomic<bool>* cancel = nullptr);

} // namespace quolm
