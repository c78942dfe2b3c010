// The searches' own cost, apart from the mechanics: generating, checking and ranking trial surfaces,
// refining the best and spreading the work over threads. The evaluators here cost next to nothing
// (a constant) or little (about 40 strips of a closed form), so what is measured is the search.
// Goal: generation and bookkeeping well under a microsecond or two per surface, so that the
// mechanics dominate; two threads close to twice as fast as one.
#include "engine/search/SearchRunner.h"
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace quolm::search;
using quolm::TPoint;

namespace {

std::vector<TPoint> Slope() {
    return {{0, 20}, {60, 20}, {140, 60}, {200, 60}};
}

TSearchProblem Problem(TSearchKind kind) {
    TSearchControls c;
    c.Kind = kind;
    c.InitiationPoints = 100;
    c.SurfacesPerPoint = 100; // 10 000 surfaces
    c.LeftInitiationX = 20;
    c.RightInitiationX = 70;
    c.LeftTerminationX = 130;
    c.RightTerminationX = 190;
    c.SegmentLength = 5;
    c.CwLimit = -45;
    c.CcwLimit = 10;
    if (kind == TSearchKind::Block) {
        c.SurfacesPerPoint = 10000;
        c.Boxes = {{{70, 12}, {90, 12}, 8}, {{110, 14}, {130, 14}, 8}};
    }
    return {TSearchGeometry(Slope(), {{{100, 10}, {190, 30}}}, kind != TSearchKind::Block, 5), c, {}};
}

struct TConstant : ISurfaceEvaluator {
    void Prepare(int) override {}
    TSurfaceValue Evaluate(const TTrialSurface& s, int) const override {
        return {1 + 1e-3 * s.Points.size(), nullptr};
    }
};

// Janbu's simplified method for a purely cohesive soil on strips between the surface's vertices,
// subdivided to about 40: a stand-in for a real evaluation, a few hundred nanoseconds.
struct TStrips : ISurfaceEvaluator {
    std::vector<TPoint> Ground = Slope();
    void Prepare(int) override {}
    double GroundY(double x) const {
        for (std::size_t k = 0; k + 1 < Ground.size(); ++k)
            if (x <= Ground[k + 1].X)
                return Ground[k].Y +
                       (Ground[k + 1].Y - Ground[k].Y) * (x - Ground[k].X) / (Ground[k + 1].X - Ground[k].X);
        return Ground.back().Y;
    }
    TSurfaceValue Evaluate(const TTrialSurface& s, int) const override {
        const std::vector<TPoint>& p = s.Points;
        const double width = (p.back().X - p.front().X) / 40;
        double resisting = 0, driving = 0;
        for (std::size_t i = 0; i + 1 < p.size(); ++i) {
            const double dx = p[i + 1].X - p[i].X, tanA = (p[i + 1].Y - p[i].Y) / dx;
            const int parts = std::max(1, static_cast<int>(dx / width));
            for (int k = 0; k < parts; ++k) {
                const double x = p[i].X + dx * (k + 0.5) / parts;
                const double h = GroundY(x) - (p[i].Y + tanA * (x - p[i].X));
                resisting += 600 * dx / parts * (1 + tanA * tanA);
                driving += 120 * h * dx / parts * tanA;
            }
        }
        if (!(driving > 0))
            return {0, "no driving force"};
        return {resisting / driving, nullptr};
    }
};

template <class E> void Run(benchmark::State& state, TSearchKind kind, bool refine) {
    const TSearchProblem p = Problem(kind);
    E evaluator;
    TSearchOptions o;
    o.Threads = static_cast<int>(state.range(0));
    o.Refine = refine;
    long long analysed = 0;
    for (auto _ : state) {
        const TSearchResult r = RunSearch(p, evaluator, o);
        analysed = r.Analysed;
        benchmark::DoNotOptimize(r.Ten.data());
    }
    state.counters["analysed"] = static_cast<double>(analysed);
    state.counters["surfaces/s"] =
        benchmark::Counter(10000.0 * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_CircularGeneration(benchmark::State& s) {
    Run<TConstant>(s, TSearchKind::Circular, false);
}
void BM_IrregularGeneration(benchmark::State& s) {
    Run<TConstant>(s, TSearchKind::Irregular, false);
}
void BM_BlockGeneration(benchmark::State& s) {
    Run<TConstant>(s, TSearchKind::Block, false);
}
void BM_CircularStrips(benchmark::State& s) {
    Run<TStrips>(s, TSearchKind::Circular, false);
}
void BM_CircularStripsRefined(benchmark::State& s) {
    Run<TStrips>(s, TSearchKind::Circular, true);
}
void BM_IrregularStripsRefined(benchmark::State& s) {
    Run<TStrips>(s, TSearchKind::Irregular, true);
}

} // namespace

BENCHMARK(BM_CircularGeneration)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IrregularGeneration)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BlockGeneration)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CircularStrips)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CircularStripsRefined)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IrregularStripsRefined)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
