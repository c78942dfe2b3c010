// Latency from an edit to the live factor of safety, measured as the program sees it: a table cell
// changes, the undo history looks at the model once the event is handled, the live analysis runs the
// engine on a worker thread and hands the factor back to the event loop. Goal: the example's factor
// within 300 ms of the edit. The 10 000-surface model is measured with no time budget (the whole
// search) and with the program's budget of a second (its surface count reduced after the first run).
#include "app/LiveAnalysis.h"
#include "app/ModelHistory.h"
#include "model/SlopeModel.h"
#include "tables/TableSet.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <benchmark/benchmark.h>
#include <memory>
#include <optional>

namespace {
struct TLiveRig {
    TStandaloneModelHost Host;
    std::unique_ptr<TProgramData> Model;
    TModelHistory History{[this] { return Model.get(); }};
    TLiveAnalysis Live;
    std::optional<TLiveResult> Last;

    TLiveRig(int points, int perPoint, double budget) {
        Model = TProgramData::CreateFromFile(BREVANTO_RESOURCE_DIR "/examples/ExampleDam.qvxd", true, Host);
        Model->InitiationPoints = points;
        Model->SurfacesPerPoint = perPoint;
        Live.SetTimeBudget(budget);
        QObject::connect(&History, &TModelHistory::ModelChanged,
                         [this] { Live.Request(History.Current().Description); });
        QObject::connect(&Live, &TLiveAnalysis::Finished, [this](const TLiveResult& r) { Last = r; });
        History.Reset();
        Wait();
    }
    void Wait() {
        while (Live.Busy() || !Last)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    // One edit, as a table editor makes it, and the wait for its factor.
    void Edit(int k) {
        Last.reset();
        Host.Tables().SoilData().Cell(2, 1).SetFloat(400 + (k % 2) * 50);
        History.Touch();
        Wait();
    }
};

void Latency(benchmark::State& state, int points, int perPoint, double budget) {
    TLiveRig rig(points, perPoint, budget);
    int k = 0;
    for (auto _ : state)
        rig.Edit(++k);
    state.counters["surfaces"] = static_cast<double>(rig.Last->Surfaces);
    state.counters["fs"] = rig.Last->FS ? *rig.Last->FS : 0;
}

void BM_LiveExample(benchmark::State& state) {
    Latency(state, 10, 10, 1.0);
}
void BM_Live10000Surfaces(benchmark::State& state) {
    Latency(state, 100, 100, 1e9);
}
void BM_Live10000SurfacesBudget(benchmark::State& state) {
    Latency(state, 100, 100, 1.0);
}
} // namespace

BENCHMARK(BM_LiveExample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Live10000Surfaces)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Live10000SurfacesBudget)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
