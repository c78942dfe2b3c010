// analyze and verify: the analysis engine from the command line, through its C++ API.
#include "cli/Commands.h"
#include "engine/Engine.h"
#include "engine/Verify.h"
#include "text/FixedText.h"
#include <iostream>

namespace {
std::string Value(const std::optional<double>& v) {
    return v ? FormatFixedExact(*v, 3) : "not converged";
}

void Summary(const quolm::TAnalysis& a, const quolm::TRunFiles& files) {
    std::cout << "Title: " << a.Input.Settings.Title << '\n';
    std::cout << "Method: " << quolm::MethodName(a.Method) << '\n';
    if (a.Input.Settings.SearchKind != 1)
        std::cout << "Surfaces: " << a.Generated << " generated, " << a.Analysed << " analysed\n";
    if (a.GeneratedBest && a.RefinedBest)
        std::cout << "Search: most critical generated " << Value(a.GeneratedBest->FS) << ", after refinement "
                  << Value(a.RefinedBest->FS) << " (seed " << a.Seed << ")\n";
    if (a.Critical) {
        const quolm::TCriticalResult& c = *a.Critical;
        std::cout << "Factor of safety: "
                  << (c.Surface.FS ? FormatFixedExact(*c.Surface.FS, 3) : "none, the method did not converge")
                  << '\n';
        std::cout << "All methods: ordinary " << Value(c.Ordinary) << ", Bishop " << Value(c.Bishop)
                  << ", Janbu simplified " << Value(c.JanbuSimplified) << " (corrected "
                  << Value(c.JanbuCorrected) << "), Spencer " << Value(c.Spencer) << ", Morgenstern-Price "
                  << Value(c.MorgensternPrice) << '\n';
        for (const auto* list : {&a.Diagnostics.Warnings, &c.Warnings})
            for (const quolm::TDiagnostic& w : *list)
                std::cout << "Warning " << w.Code << ": " << w.Message << '\n';
    }
    std::cout << "Written: " << files.Output << ", " << files.Plot << ", " << files.Results << '\n';
}
} // namespace

int CmdAnalyze(const TArgs& args) {
    std::string input;
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "brevanto-cli analyze: unknown option \"" << a
                      << "\"\nUsage: brevanto-cli analyze IN [--json]\n";
            return 2;
        } else if (input.empty()) {
            input = a;
        } else {
            std::cerr
                << "brevanto-cli analyze: one input file only\nUsage: brevanto-cli analyze IN [--json]\n";
            return 2;
        }
    }
    if (input.empty()) {
        std::cerr << "Usage: brevanto-cli analyze IN [--json]\n";
        return 2;
    }
    const quolm::TAnalysis a = quolm::AnalyzeFile(input, quolm::TRunOptions());
    const quolm::TRunFiles files = quolm::FilesBeside(input);
    std::string reason;
    if (!quolm::WriteRunFiles(a, files, reason)) {
        std::cerr << "brevanto-cli: " << reason << '\n';
        return 1;
    }
    if (json)
        std::cout << quolm::ResultsJson(a);
    for (const quolm::TDiagnostic& e : a.Diagnostics.Errors)
        std::cerr << "brevanto-cli: " << input << ": error " << e.Code << ": " << e.Message << '\n';
    if (a.HasErrors())
        return 1;
    if (!json)
        Summary(a, files);
    return 0;
}

int CmdVerify(const TArgs& args) {
    if (!args.empty()) {
        std::cerr << "Usage: brevanto-cli verify\n";
        return 2;
    }
    std::string error;
    const std::vector<quolm::TVerificationRow> rows = quolm::RunVerification(error);
    std::cout << quolm::VerificationTable(rows);
    bool pass = error.empty() && !rows.empty();
    for (const quolm::TVerificationRow& r : rows)
        pass = pass && r.Pass;
    if (!error.empty())
        std::cerr << "brevanto-cli verify: " << error << '\n';
    std::cout << (pass ? "All values within their tolerances.\n"
                       : "Some values are outside their tolerances.\n");
    return pass ? 0 : 1;
}
