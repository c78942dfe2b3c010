#pragma once
// The bundled verification problems: input files with published (or closed-form) factors of safety,
// analysed and compared.
#include <optional>
#include <string>
#include <vector>

namespace quolm {

struct TEmbeddedFile {
    const char* Name;
    const char* Text;
};
// resources/verification, compiled in.
const std::vector<TEmbeddedFile>& VerificationFiles();

struct TVerificationRow {
    std::string Problem; // file name
    std::string Method;  // results key: "bishop", "janbu_corrected", ..., "critical" (the search's minimum)
    double Published = 0;
    // The computed value passes from Published * (1 - Below/100) to Published * (1 + Above/100).
    double Below = 0, Above = 0;
    std::string Source;
    std::optional<double> Computed; // null when the method did not converge or the problem failed
    double DifferencePercent = 0;
    bool Pass = false;
};

// Analyses every problem of the manifest (problems.txt) and compares. `error` names a damaged
// manifest or a problem that could not be analysed (its rows then fail).
std::vector<TVerificationRow> RunVerification(std::string& error);

// The rows as the text table "brevanto-cli verify" prints (and the technical manual shows).
std::string VerificationTable(const std::vector<TVerificationRow>& rows);

} // namespace quolm
