// What a surface costs where Spencer's method finds no solution, against one where it does. A search
// on a hard model meets many such surfaces, so the fallbacks after a failed Newton solution are
// bounded. Goal: a failing surface costs at most about ten times a converging one.
#include "engine/SurfaceEvaluator.h"
#include <benchmark/benchmark.h>
#include <cmath>

namespace {
using namespace quolm;

// A 10-high vertical cut in purely cohesive soil. The arc about (0, 10) of radius 20 leaves the crest
// vertically: no interslice inclination balances it, and Spencer's method fails. The flatter arc
// about (0, 30) through the same toe region converges.
struct TCut {
    TSlopeDescription Description;
    TSlopeModel Model;
    std::vector<TPoint> Failing, Converging;
    static TSlopeDescription Make() {
        TSlopeDescription d;
        d.Settings.UnitSystem = 2;
        d.Settings.SurfaceBoundaryCount = 3;
        d.Boundaries = {{-40, 0, 0, 0, 1}, {0, 0, 0, 10, 1}, {0, 10, 40, 10, 1}};
        TSlopeSoil soil;
        soil.MoistUnitWeight = soil.SaturatedUnitWeight = 18;
        soil.Cohesion = 50;
        d.Soils = {soil};
        return d;
    }
    static std::vector<TPoint> Arc(double cx, double cy, double r, double a0, double a1, int n) {
        std::vector<TPoint> p;
        for (int k = 0; k <= n; ++k) {
            const double t = (a0 + (a1 - a0) * k / n) * 3.14159265358979323846 / 180;
            p.push_back({cx + r * std::cos(t), cy + r * std::sin(t)});
        }
        return p;
    }
    TCut() : Description(Make()), Model(Description) {
        std::vector<TPoint> arc = {{-23, 0}};
        for (const TPoint& p : Arc(0, 10, 20, -150, 0, 40))
            arc.push_back(p);
        arc.push_back({25, 10});
        ClipToGround(Model, arc.data(), static_cast<int>(arc.size()), Failing);
        // Through (-12, 0) and (16, 10), centre above the crest: an ordinary circle.
        const double cx = 2, cy = 30, r = std::hypot(-12 - cx, 0 - cy);
        const double a0 = std::atan2(0 - cy, -12 - cx) * 180 / 3.14159265358979323846;
        const double xb = cx + std::sqrt(r * r - (10 - cy) * (10 - cy));
        const double a1 = std::atan2(10 - cy, xb - cx) * 180 / 3.14159265358979323846;
        std::vector<TPoint> good = Arc(cx, cy, r, a0, a1, 40);
        good.front().Y += 0.01;
        good.back().Y += 0.01;
        ClipToGround(Model, good.data(), static_cast<int>(good.size()), Converging);
    }
};

void Spencer(benchmark::State& state, bool failing) {
    static const TCut cut;
    const std::vector<TPoint>& surface = failing ? cut.Failing : cut.Converging;
    TWorkspace ws;
    TEvaluation e;
    const TSliceOptions options;
    for (auto _ : state) {
        EvaluateSurface(cut.Model, surface, nullptr, TMethod::Spencer, options, 0, ws, e);
        benchmark::DoNotOptimize(e.Result);
    }
    state.counters["converged"] = e.Result.Converged ? 1 : 0;
    state.counters["fs"] = e.Result.F;
}

void BM_SpencerConverging(benchmark::State& state) {
    Spencer(state, false);
}
void BM_SpencerFailing(benchmark::State& state) {
    Spencer(state, true);
}
} // namespace

BENCHMARK(BM_SpencerConverging)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SpencerFailing)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
