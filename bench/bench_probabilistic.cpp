// The probabilistic analysis. Goals on 2 cores: the critical mode (every sample on the deterministic
// critical surface) 100 000 samples within 2 s; the search mode (a full search for every sample)
// 1 000 samples of 1 000 trial surfaces each within 10 s. The problem is Fredlund & Krahn's slope with
// a Bishop circular search, c and phi random and correlated. The search mode runs on one thread and on
// two: on a shared machine its CPU time (about 13 ms a sample) is the better measure.
#include "engine/Engine.h"
#include "engine/probabilistic/ProbabilisticAnalysis.h"
#include <benchmark/benchmark.h>

using namespace quolm;

namespace {
TSlopeDescription Problem(TProbabilisticMode mode, int samples, TSamplingKind sampling) {
    TSlopeDescription d;
    TDiagnostics errors;
    ReadInputFile(BREVANTO_RESOURCE_DIR "/verification/fredlund-krahn-1977-search.qvxd", d, errors);
    d.Settings.InitiationPoints = 10;
    d.Settings.SurfacesPerPoint = 100; // 1 000 trial surfaces
    TProbabilisticSetup& p = d.Probabilistic;
    p.Present = true;
    p.Samples = samples;
    p.Mode = mode;
    p.Sampling = sampling;
    std::string why;
    TRandomVariable c, phi;
    ParseVariableSpec("soil1.c=lognormal(600,120)", c, why);
    ParseVariableSpec("soil1.phi=normal(20,2)[10,30]", phi, why);
    p.Variables = {c, phi};
    p.Correlations = {{1, -0.3}};
    return d;
}

void Run(benchmark::State& state, TProbabilisticMode mode, int samples, TSamplingKind sampling) {
    const TSlopeDescription d = Problem(mode, samples, sampling);
    TRunOptions o;
    o.Threads = static_cast<int>(state.range(0));
    const TProbabilisticStudy study(d, o);
    if (study.HasErrors()) {
        state.SkipWithError(study.Diagnostics().Errors.front().Message.c_str());
        return;
    }
    for (auto _ : state) {
        TSampleTable t;
        study.RunAll(t);
        benchmark::DoNotOptimize(study.Summarise(t).Mean);
    }
    state.counters["samples/s"] =
        benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CriticalMode100k(benchmark::State& state) {
    Run(state, TProbabilisticMode::Critical, 100000, TSamplingKind::MonteCarlo);
}
void BM_CriticalMode100kLhs(benchmark::State& state) {
    Run(state, TProbabilisticMode::Critical, 100000, TSamplingKind::LatinHypercube);
}
void BM_SearchMode1000x1000(benchmark::State& state) {
    Run(state, TProbabilisticMode::Search, 1000, TSamplingKind::MonteCarlo);
}
} // namespace

BENCHMARK(BM_CriticalMode100k)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CriticalMode100kLhs)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchMode1000x1000)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

BENCHMARK_MAIN();
