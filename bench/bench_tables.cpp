// Speed of the table family: unit switches of a full soil table with anisotropy sub-tables, and
// growing tables to 10,000 rows.
#include "tables/TableSet.h"
#include "text/Units.h"
#include <benchmark/benchmark.h>

namespace {
void FillSoil(TTableSet& set, int anisotropyRows) {
    TGridTable& soil = set.SoilData();
    soil.SetRowCount(100);
    for (int r = 0; r < 100; ++r) {
        for (int c = 0; c < 6; ++c)
            soil.Cell(c, r).SetFloat(100 + r + c);
        TGridTable* aniso = soil.Cell(7, r).GetTable();
        aniso->SetRowCount(anisotropyRows);
        for (int a = 0; a < anisotropyRows; ++a)
            for (int c = 0; c < 3; ++c)
                aniso->Cell(c, a).SetFloat(10 * a + c);
    }
}

// One iteration = 1000 switches (500 English to SI, 500 back).
void BM_SoilUnitSwitch1000(benchmark::State& state) {
    TTableSet set;
    FillSoil(set, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (int i = 0; i < 500; ++i) {
            set.SoilData().SetUnitSystem(usSI);
            set.SoilData().SetUnitSystem(usEnglish);
        }
        benchmark::DoNotOptimize(set.SoilData().Cell(0, 0).GetFloat());
    }
}
BENCHMARK(BM_SoilUnitSwitch1000)->Arg(1)->Arg(5)->Arg(20)->Unit(benchmark::kMillisecond);

// SetRowCount(10000) from an empty table; `name` picks the table.
void SetRowCount10000(benchmark::State& state, const char* name) {
    TTableSet set;
    TGridTable& table = set.Get(name);
    for (auto _ : state) {
        state.PauseTiming();
        table.SetRowCount(0);
        state.ResumeTiming();
        table.SetRowCount(10000);
        benchmark::DoNotOptimize(table.RowCount());
    }
}
void BM_SetRowCount10000_FailSurface(benchmark::State& state) {
    SetRowCount10000(state, "FailSurface");
}
void BM_SetRowCount10000_TiebackCoord(benchmark::State& state) {
    SetRowCount10000(state, "TiebackCoord");
}
// Every soil row builds an anisotropy sub-table from its template.
void BM_SetRowCount10000_SoilData(benchmark::State& state) {
    SetRowCount10000(state, "SoilData");
}
BENCHMARK(BM_SetRowCount10000_FailSurface)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetRowCount10000_TiebackCoord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetRowCount10000_SoilData)->Unit(benchmark::kMillisecond);

// Shrinking back to 0 rows (frees the sub-tables).
void BM_SetRowCount0From10000_SoilData(benchmark::State& state) {
    TTableSet set;
    TGridTable& table = set.SoilData();
    for (auto _ : state) {
        state.PauseTiming();
        table.SetRowCount(10000);
        state.ResumeTiming();
        table.SetRowCount(0);
    }
}
BENCHMARK(BM_SetRowCount0From10000_SoilData)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
