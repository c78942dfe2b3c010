#pragma once
// The probabilistic analysis of a slope: the factor of safety of many samples of the random
// variables, each sample either on the deterministic critical surface ("critical") or with a full
// search of its own ("search"). The samples can be split in any way — over threads here, over
// processes by the caller (brevanto-cli with MPI) — and the result is the same, because a sample's
// values depend only on the seed and its index, and the summary is taken from the whole table in
// sample order.
#include "engine/Analysis.h"
#include "engine/probabilistic/Sampling.h"
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quolm {

// A run of samples: rows [First, First + Count), each the variables' values and the factor (NaN when
// the sample has none: no convergence, no sliding mass, or no surface found).
struct TSampleTable {
    int Variables = 0;
    long long First = 0;
    std::vector<double> Values; // Count() rows of `Variables` values
    std::vector<double> Factor;
    long long Count() const { return static_cast<long long>(Factor.size()); }
    // Appends the rows of `next`, which must follow on.
    void Append(const TSampleTable& next);
};

// The share of a variable's distribution drawn again (outside the values its quantity can have) from
// which the summaries mention it: the tails of a normal variable always reach some way out.
constexpr double NotableOutsideShare = 0.001;
// "40.1 % of the distribution is not a possible value (a cohesion of 0 or more) and was drawn again"
// for a share of `v` drawn again from NotableOutsideShare on; empty below it.
std::string OutsideNote(const TRandomVariable& v, double share);

struct TProbabilisticResult {
    long long Samples = 0; // drawn
    long long Valid = 0;   // with a factor
    // Not a number where no sample has a factor (the deviation: fewer than two), so that nothing
    // shows a statistic of no samples as a value.
    double Mean = 0, Sd = 0, Min = 0, Max = 0;
    double Pf = 0;      // share of the valid samples with F < 1
    double PfError = 0; // its standard error, sqrt(pf (1 - pf) / n)
    std::optional<double> BetaNormal, BetaLognormal;
    double HistogramLow = 0, HistogramWidth = 0;
    std::vector<long long> Histogram;
    std::vector<std::pair<double, double>> Cdf; // (F, P(F <= value)) at the percentiles 0..100
    // The variables' sample means and deviations, in the setup's order, and the share of each one's
    // distribution that lies outside the values its quantity can have, which was drawn again.
    std::vector<double> VariableMean, VariableSd, VariableOutside;
};

// Progress and cancellation of a run: `progress(done, total)` is called on the calling thread.
struct TProbabilisticControl {
    std::function<void(long long, long long)> Progress;
    const std::atomic<bool>* Cancel = nullptr;
};

class TProbabilisticStudy {
  public:
    // Checks the setup against the problem (errors in Diagnostics()) and runs the deterministic
    // analysis, whose critical surface the critical mode re-analyses.
    TProbabilisticStudy(const TSlopeDescription& d, const TRunOptions& options);
    ~TProbabilisticStudy();

    const TDiagnostics& Diagnostics() const { return Checks; }
    bool HasErrors() const { return !Checks.Errors.empty(); }
    const TProbabilisticSetup& Setup() const { return Input.Probabilistic; }
    const TAnalysis& Deterministic() const { return Base; }

    // Draws and analyses samples [first, first + count) on the options' threads. False when
    // cancelled (the table then holds what was finished, the rest NaN).
    bool Run(long long first, long long count, TSampleTable& out,
             const TProbabilisticControl& control = {}) const;
    // Every sample.
    bool RunAll(TSampleTable& out, const TProbabilisticControl& control = {}) const {
        return Run(0, Setup().Samples, out, control);
    }

    // The factor of safety of one sample with the given values.
    double SampleFactor(const double* values) const;

    TProbabilisticResult Summarise(const TSampleTable& all) const;
    // The results as JSON; `elapsed` seconds are its one line that differs between equal runs.
    std::string Json(const TProbabilisticResult& r, double elapsed) const;
    // The sample table as CSV: the sample number, every variable, the factor.
    std::string Csv(const TSampleTable& all) const;

  private:
    struct TWorker;
    double SampleFactor(const double* values, TWorker& w) const;
    TSlopeDescription SampleDescription(const double* values) const;
    void Check();

    TSlopeDescription Input;
    TRunOptions Options;
    TDiagnostics Checks;
    TAnalysis Base;
    std::unique_ptr<TSlopeModel> Model; // the deterministic model (critical mode)
    std::unique_ptr<prob::TSamplePlan> Plan;
    bool RebuildModel = false; // a piezometric surface moves: each sample builds its own model
    bool StrengthOnly = false; // only c and phi vary: the critical surface's slices are cut once
};

// What brevanto-cli and the desktop call a variable in the table heading: "soil1.c".
std::vector<std::string> VariableNames(const TProbabilisticSetup& s);

} // namespace quolm
