#pragma once
// The engine's C++ API: what the exported entry point, brevanto-cli, the tests and the benchmarks
// call.
#include "engine/Analyze.h"
#include "engine/RunFiles.h"
#include <string>

namespace quolm {

// Reads an input file (current layout). False, with error E001 or E002 saying why, when it cannot be
// read or is not in the input format; `d` then holds what was read.
bool ReadInputFile(const std::string& inputPath, TSlopeDescription& d, TDiagnostics& diagnostics);

// Reads an input file (current layout) and analyses it. A file that cannot be read or is not in the
// input format gives an analysis whose errors say why.
TAnalysis AnalyzeFile(const std::string& inputPath, const TRunOptions& options);

// The three files of a run, as text.
std::string ReportText(const TAnalysis& a, const std::string& inputPath);
std::string PlotText(const TAnalysis& a);
std::string ResultsJson(const TAnalysis& a);

// Writes the three files; false (with the reason) when one of them cannot be written.
bool WriteRunFiles(const TAnalysis& a, const TRunFiles& files, std::string& reason);

// Analyses files.Input and writes the output text, the plot file and the results. Never throws:
// whatever goes wrong stands in the output text.
void RunFiles(const TRunFiles& files, const TRunOptions& options);

// The files of a run beside an input file: the same name with ".qvxo", ".qvxp" and ".qvxr".
TRunFiles FilesBeside(const std::string& inputPath);

} // namespace quolm
