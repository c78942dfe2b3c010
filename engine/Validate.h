#pragma once
// Checks a problem description before any analysis, with messages a person can act on. Every code
// is explained, with its remedy, in error-message.txt beside the program.
#include "text/SlopeFile.h"
#include <string>
#include <vector>

namespace quolm {

struct TDiagnostic {
    std::string Code; // "E104", "W153", ...
    std::string Message;
};

struct TDiagnostics {
    std::vector<TDiagnostic> Errors;
    std::vector<TDiagnostic> Warnings;
    void Error(const char* code, std::string message) { Errors.push_back({code, std::move(message)}); }
    void Warning(const char* code, std::string message) { Warnings.push_back({code, std::move(message)}); }
};

// Number text for messages: at most six significant digits, "." decimal separator.
std::string Num(double value);

// Every error (the problem cannot be analysed) and warning (it can, with the stated assumption) of
// the description: profile, soils, water, loads, earthquake, limits, tiebacks, reinforcement, the
// user surface and the search controls.
void Validate(const TSlopeDescription& d, TDiagnostics& out);

} // namespace quolm
