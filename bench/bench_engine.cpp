// The engine's unit of work: one trial surface evaluated by one method. The slope has three soils
// and a water surface; the surface is a circular arc of 20 chords cut into about 40 slices. Goal:
// Bishop within 10 us (100 000 surfaces per second on one core), Spencer and Morgenstern-Price
// within five times that, with no allocation per surface once the workspace has grown.
#include "engine/Analyze.h"
#include "engine/SurfaceEvaluator.h"
#include "engine/search/SearchRunner.h"
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {
// Counts the heap allocations made while a benchmark loop runs.
std::size_t Allocations = 0;
} // namespace

void* operator new(std::size_t size) {
    ++Allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {
using namespace quolm;

TSlopeDescription ThreeSoilSlope() {
    TSlopeDescription d;
    TSlopeSettings& s = d.Settings;
    s.UnitSystem = 2;
    s.SurfaceBoundaryCount = 3;
    d.Boundaries = {{0, 20, 30, 20, 1},
                    {30, 20, 70, 40, 1},
                    {70, 40, 120, 40, 1},
                    {0, 14, 120, 14, 2},
                    {0, 8, 120, 8, 3}};
    const auto soil = [](Extended moist, Extended sat, Extended c, Extended phi) {
        TSlopeSoil so;
        so.MoistUnitWeight = moist;
        so.SaturatedUnitWeight = sat;
        so.Cohesion = c;
        so.FrictionAngle = phi;
        so.PiezometricSurface = 1;
        return so;
    };
    d.Soils = {soil(18, 20, 10, 30), soil(17, 19, 25, 22), soil(20, 21, 5, 35)};
    s.HasWater = 1;
    s.WaterUnitWeight = 9.81L;
    d.WaterSurfaces = {{{{0, 18}, {40, 22}, {80, 30}, {120, 32}}, true}};
    s.SearchKind = 3;
    return d;
}

struct TFixture {
    TSlopeDescription Description = ThreeSoilSlope();
    TSlopeModel Model{Description};
    std::vector<TPoint> Surface;
    TPoint Centre{50, 55};
    TFixture() {
        // The arc of radius 50 about (50, 55) from the toe flat (y = 20) to the crest (y = 40).
        std::vector<TPoint> arc;
        const double a0 = std::atan2(20 - 55.0, 14.0 - 50), a1 = std::atan2(40 - 55.0, 98.0 - 50);
        for (int k = 0; k <= 20; ++k) {
            const double t = a0 + (a1 - a0) * k / 20;
            arc.push_back({50 + 50 * std::cos(t), 55 + 50 * std::sin(t)});
        }
        arc.front().Y += 0.5; // both ends above the ground, as a search's arcs start and end
        arc.back().Y += 0.5;
        ClipToGround(Model, arc.data(), static_cast<int>(arc.size()), Surface);
    }
};

void Evaluate(benchmark::State& state, TMethod method) {
    static const TFixture f;
    TWorkspace ws;
    TEvaluation e;
    TSliceOptions options;
    EvaluateSurface(f.Model, f.Surface, &f.Centre, method, options, 0, ws, e); // grows the workspace
    const std::size_t before = Allocations;
    for (auto _ : state) {
        EvaluateSurface(f.Model, f.Surface, &f.Centre, method, options, 0, ws, e);
        benchmark::DoNotOptimize(e.Result);
    }
    state.counters["allocs_per_surface"] = benchmark::Counter(static_cast<double>(Allocations - before) /
                                                              static_cast<double>(state.iterations()));
    state.counters["slices"] = static_cast<double>(ws.Slices.size());
    state.counters["fs"] = e.Result.F;
    state.counters["surfaces_per_s"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Bishop(benchmark::State& state) {
    Evaluate(state, TMethod::Bishop);
}
void BM_Janbu(benchmark::State& state) {
    Evaluate(state, TMethod::Janbu);
}
void BM_Spencer(benchmark::State& state) {
    Evaluate(state, TMethod::Spencer);
}
void BM_MorgensternPrice(benchmark::State& state) {
    Evaluate(state, TMethod::MorgensternPrice);
}

// A whole surface from the raw arc: clipping to the ground included.
void BM_BishopWithClipping(benchmark::State& state) {
    static const TFixture f;
    std::vector<TPoint> arc = f.Surface;
    arc.front().Y += 0.5;
    arc.back().Y += 0.5;
    TWorkspace ws;
    TEvaluation e;
    TSliceOptions options;
    for (auto _ : state) {
        ClipToGround(f.Model, arc.data(), static_cast<int>(arc.size()), ws.Clipped);
        EvaluateSurface(f.Model, ws.Clipped, &f.Centre, TMethod::Bishop, options, 0, ws, e);
        benchmark::DoNotOptimize(e.Result);
    }
}
} // namespace

namespace {
void BM_CutOnly(benchmark::State& state) {
    static const TFixture f;
    TWorkspace ws;
    TSliceNotes notes;
    TSliceOptions options;
    for (auto _ : state) {
        CutSlices(f.Model, f.Surface, options, ws, notes);
        benchmark::DoNotOptimize(ws.Slices.data());
    }
}
void BM_BishopOnly(benchmark::State& state) {
    static const TFixture f;
    TWorkspace ws;
    TSliceNotes notes;
    TSliceOptions options;
    CutSlices(f.Model, f.Surface, options, ws, notes);
    for (auto _ : state) {
        const double m = PrepareTerms(ws.Slices, f.Centre, ws);
        TMethodResult r = SolveBishop(m, ws);
        benchmark::DoNotOptimize(r);
    }
}
} // namespace
namespace {
// Whole searches as a user runs them (generation, kinematic checks, slicing, the method, ranking,
// refinement and the critical surface's report): 100 000 surfaces on the same slope, on 1 and 2
// threads, each figure reported per generated surface. Goals on one core: Bishop's or Janbu's
// circular search within 2.5 us per surface, the irregular and block searches within 20 % of that,
// Spencer's and the Morgenstern-Price method within 6 us; two threads at least 1.8 times one.
constexpr int SearchSurfaces = 100000;

TSlopeDescription SearchSlope(int kind) {
    TSlopeDescription d = ThreeSoilSlope();
    TSlopeSettings& s = d.Settings;
    s.SearchKind = kind;
    s.InitiationPoints = 100;
    s.SurfacesPerPoint = SearchSurfaces / 100;
    s.LeftInitiationX = 5;
    s.RightInitiationX = 30;
    s.LeftTerminationX = 75;
    s.RightTerminationX = 115;
    s.SegmentLength = 3;
    s.CwLimit = -50;
    s.CcwLimit = 0;
    if (kind == 5) { // the block search: two boxes in the middle soil, its count is the total
        s.SurfacesPerPoint = SearchSurfaces;
        s.BlockSegmentLength = 3;
        d.Boxes = {{25, 11, 40, 11, 5}, {50, 11, 65, 11, 5}};
    }
    return d;
}

void Report(benchmark::State& state, long long analysed) {
    state.counters["analysed"] = static_cast<double>(analysed);
    state.counters["per_surface"] = benchmark::Counter(
        SearchSurfaces, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Search(benchmark::State& state, int kind) {
    const TSlopeDescription d = SearchSlope(kind);
    TRunOptions options;
    options.Threads = static_cast<int>(state.range(0));
    long long analysed = 0;
    for (auto _ : state) {
        const TAnalysis a = Analyze(d, options);
        analysed = a.Analysed;
        benchmark::DoNotOptimize(a.Critical);
    }
    Report(state, analysed);
}
void BM_JanbuCircularSearch(benchmark::State& state) {
    Search(state, 2);
}
void BM_BishopCircularSearch(benchmark::State& state) {
    Search(state, 3);
}
void BM_JanbuIrregularSearch(benchmark::State& state) {
    Search(state, 4);
}
void BM_JanbuBlockSearch(benchmark::State& state) {
    Search(state, 5);
}
// The searches at the counts a user of the irregular and block searches runs: 20 points of 1000
// irregular surfaces, 10 000 blocks, the optimisation of their records included. Goal: each within
// 0.3 s on one core.
void UserSearch(benchmark::State& state, int kind, int perPoint) {
    TSlopeDescription d = SearchSlope(kind);
    d.Settings.InitiationPoints = kind == 5 ? 1 : 20;
    d.Settings.SurfacesPerPoint = perPoint;
    TRunOptions options;
    options.Threads = static_cast<int>(state.range(0));
    long long evaluations = 0;
    for (auto _ : state) {
        const TAnalysis a = Analyze(d, options);
        evaluations = a.RefinementEvaluations;
        benchmark::DoNotOptimize(a.Critical);
    }
    state.counters["optimisation_evaluations"] = static_cast<double>(evaluations);
}
void BM_Irregular20000Search(benchmark::State& state) {
    UserSearch(state, 4, 1000);
}
void BM_Block10000Search(benchmark::State& state) {
    UserSearch(state, 5, 10000);
}
void BM_SpencerCircularSearch(benchmark::State& state) {
    Search(state, 6);
}

// The Morgenstern-Price method ranks no search of the input: the same circular search through the
// search runner with an evaluator of its own, built as the engine's is.
struct TMorgensternPriceEvaluator final : search::ISurfaceEvaluator {
    const TSlopeModel& Model;
    explicit TMorgensternPriceEvaluator(const TSlopeModel& model) : Model(model) {}
    struct alignas(64) TSlot {
        std::vector<TPoint> Clipped;
        TWorkspace Workspace;
        TEvaluation Result;
    };
    mutable std::vector<TSlot> Slots;
    void Prepare(int workers) override { Slots.resize(static_cast<std::size_t>(workers)); }
    search::TSurfaceValue Evaluate(const search::TTrialSurface& s, int worker) const override {
        TSlot& slot = Slots[static_cast<std::size_t>(worker)];
        if (ClipToGround(Model, s.Points.data(), static_cast<int>(s.Points.size()), slot.Clipped).Problem !=
            TSurfaceProblem::None)
            return {0, "not admissible"};
        const TPoint centre{s.Circle.X, s.Circle.Y};
        if (!EvaluateSurface(Model, slot.Clipped, &centre, TMethod::MorgensternPrice, TSliceOptions(), 0,
                             slot.Workspace, slot.Result) ||
            !slot.Result.Result.Converged)
            return {0, "no factor of safety"};
        return {slot.Result.Result.F, nullptr};
    }
};

void BM_MorgensternPriceCircularSearch(benchmark::State& state) {
    const TSlopeDescription d = SearchSlope(3);
    const TSlopeModel model(d);
    search::TSearchProblem problem;
    std::vector<search::TSearchMessage> errors;
    search::SearchProblemOf(d, problem, errors);
    TMorgensternPriceEvaluator evaluator(model);
    search::TSearchOptions options;
    options.Threads = static_cast<int>(state.range(0));
    long long analysed = 0;
    for (auto _ : state) {
        const search::TSearchResult r = search::RunSearch(problem, evaluator, options);
        analysed = r.Analysed;
        benchmark::DoNotOptimize(r.Ten.data());
    }
    Report(state, analysed);
}
} // namespace

BENCHMARK(BM_Bishop);
BENCHMARK(BM_Janbu);
BENCHMARK(BM_Spencer);
BENCHMARK(BM_MorgensternPrice);
BENCHMARK(BM_BishopWithClipping);
BENCHMARK(BM_CutOnly);
BENCHMARK(BM_BishopOnly);
BENCHMARK(BM_JanbuCircularSearch)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BishopCircularSearch)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JanbuIrregularSearch)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JanbuBlockSearch)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Irregular20000Search)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Block10000Search)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpencerCircularSearch)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MorgensternPriceCircularSearch)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
