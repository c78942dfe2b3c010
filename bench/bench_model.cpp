// Loading and saving a large slope model: every table filled far beyond what a typical problem uses.
#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "text/Messages.h"
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {
// 100 boundary lines, 50 soil types with 20 anisotropy rows each, 30 piezometric surfaces of 10 points,
// 50 limits, 15 tiebacks, 50 reinforcement sets of 30 layers, 100 failure-surface points.
void BuildLargeModel(TProgramData& m) {
    TTableSet& t = m.Host().Tables();
    m.Title = "Large benchmark model";
    m.SurfaceBoundaryCount = 40;
    auto& bound = t.BoundCood();
    bound.SetRowCount(100);
    for (int r = 0; r < 100; ++r) {
        for (int c = 0; c < 4; ++c)
            bound.Cell(c, r).SetFloat(r * 10.125L + c * 0.5L);
        bound.Cell(4, r).SetInt(1 + r % 20);
    }
    auto& soil = t.SoilData();
    soil.SetRowCount(50);
    for (int r = 0; r < 50; ++r) {
        for (int c = 0; c < 6; ++c)
            soil.Cell(c, r).SetFloat(100 + r + c * 1.25L);
        soil.Cell(6, r).SetInt(r % 3);
        auto* aniso = AnisotropyOf(soil, r);
        aniso->SetRowCount(20);
        for (int a = 0; a < 20; ++a)
            for (int c = 0; c < 3; ++c)
                (*aniso).Cell(c, a).SetFloat(-90 + a * 9 + c * 0.5L);
    }
    m.HasWater = 1;
    m.WaterUnitWeight = 62.4L;
    auto& water = t.WaterSurfaceSet();
    water.SetRowCount(30);
    for (int r = 0; r < 30; ++r) {
        auto* points = PointsOf(water, r);
        points->SetRowCount(10);
        for (int p = 0; p < 10; ++p) {
            (*points).Cell(0, p).SetFloat(p * 25.5L);
            (*points).Cell(1, p).SetFloat(40 + r * 0.75L);
        }
    }
    m.HasLimits = 1;
    auto& limits = t.limit();
    limits.SetRowCount(50);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 4; ++c)
            limits.Cell(c, r).SetFloat(r * 3.5L + c);
    m.HasTiebacks = 1;
    auto& ties = t.TiebackCoord();
    ties.SetRowCount(15);
    for (int r = 0; r < 15; ++r) {
        ties.Cell(0, r).SetInt(1 + r % 5);
        for (int c = 1; c < 7; ++c)
            ties.Cell(c, r).SetFloat(r * 12.5L + c);
    }
    m.HasReinforcement = 1;
    m.UseSurbis = 1;
    auto& sets = t.ReinEarthLayerSet();
    sets.SetRowCount(50);
    for (int r = 0; r < 50; ++r) {
        auto* layers = LayersOf(sets, r);
        layers->SetRowCount(30);
        for (int l = 0; l < 30; ++l)
            for (int c = 0; c < 4; ++c)
                (*layers).Cell(c, l).SetFloat(l * 1.5L + c * 0.25L);
    }
    m.HasUserSurface = 1;
    m.SearchKind = 1;
    auto& surface = t.FailSurfaceChart();
    surface.SetRowCount(100);
    for (int r = 0; r < 100; ++r) {
        surface.Cell(0, r).SetFloat(r * 2.5L);
        surface.Cell(1, r).SetFloat(50 - r * 0.3L);
    }
}

struct TFixture {
    TFixture() {
        auto model = TProgramData::CreateNew(Host);
        BuildLargeModel(*model);
        Path = Dir.filePath("large.qvxd").toStdString();
        model->FileName = Path;
        model->SaveToFile();
        Model = std::move(model);
    }
    QTemporaryDir Dir;
    TStandaloneModelHost Host;
    std::unique_ptr<TProgramData> Model;
    std::string Path;
};

TFixture& Fixture() {
    static TFixture fixture;
    return fixture;
}

void BM_LoadLargeModel(benchmark::State& state) {
    TFixture& f = Fixture();
    for (auto _ : state) {
        auto model = TProgramData::CreateFromFile(f.Path, true, f.Host);
        benchmark::DoNotOptimize(model.get());
    }
    state.counters["bytes"] = static_cast<double>(Fixture().Model->FileText().size());
}
BENCHMARK(BM_LoadLargeModel)->Unit(benchmark::kMillisecond);

void BM_SaveLargeModel(benchmark::State& state) {
    TFixture& f = Fixture();
    auto model = TProgramData::CreateFromFile(f.Path, true, f.Host);
    for (auto _ : state)
        model->SaveToFile();
}
BENCHMARK(BM_SaveLargeModel)->Unit(benchmark::kMillisecond);

void BM_FormatLargeModel(benchmark::State& state) {
    TFixture& f = Fixture();
    for (auto _ : state) {
        std::string text = f.Model->FileText();
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_FormatLargeModel)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
