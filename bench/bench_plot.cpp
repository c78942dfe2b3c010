// Reading and drawing the largest plot file the engine writes: 3999 trial surfaces of 200 points.
// Goals: reading within 3 times `wc -w` on the same file, a full repaint under 50 ms.
#include "graphics/PlotFile.h"
#include "graphics/PlotRenderer.h"
#include "text/Messages.h"
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::string& PlotPath() {
    static std::string path;
    return path;
}

const TBoundaryLines Boundary = {
    {0, 50, 100, 50, 1}, {100, 50, 200, 100, 1}, {200, 100, 300, 100, 1}, {0, 30, 300, 30, 2}};

// Circular arcs through a simple slope, written the way the engine writes them.
void WritePlotFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    for (int i = 1; i <= 15; ++i)
        std::fprintf(f, "%s\n", i == 11 ? "1.0" : "0.0");
    std::fprintf(f, "BND\n0 50 3 4\n100 50\n200 100\n300 100\n0 30\n300 30\n");
    for (int s = 0; s < PlotCapacity::TrialSurfaces; ++s) {
        const double cx = 100 + (s % 60) * 1.5, cy = 140 + (s / 60) * 0.9, r = cy - 22 - (s % 7);
        std::fprintf(f, "SRF\n200 %.4f\n", 1.2 + (s % 97) * 0.01);
        for (int k = 0; k < 200; ++k) {
            const double a = -2.6 + 2.1 * k / 199.0; // about 120 degrees of the lower circle
            std::fprintf(f, "%.6f %.6f\n", cx + r * std::cos(a) * 1.0001, cy + r * std::sin(a) * 1.0001);
        }
    }
    std::fprintf(f, "END\n");
    std::fclose(f);
}

void BM_ReadPlotFile(benchmark::State& state) {
    const auto store = std::make_unique<TPlotStore>();
    for (auto _ : state)
        ReadPlotFile(PlotPath(), Boundary, *store, {});
    benchmark::DoNotOptimize(store->SlotCounter);
    state.counters["slots"] = store->SlotCounter;
}
BENCHMARK(BM_ReadPlotFile)->Unit(benchmark::kMillisecond);

// The same file counted as words, the way `wc -w` does: the floor for any reader of it.
void BM_CountWords(benchmark::State& state) {
    for (auto _ : state) {
        std::FILE* f = std::fopen(PlotPath().c_str(), "rb");
        char buf[1 << 16];
        std::size_t words = 0;
        bool inWord = false;
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
            for (std::size_t i = 0; i < n; ++i) {
                const bool blank = buf[i] == ' ' || buf[i] == '\n' || buf[i] == '\t' || buf[i] == '\r';
                words += !blank && !inWord;
                inWord = !blank;
            }
        std::fclose(f);
        benchmark::DoNotOptimize(words);
    }
}
BENCHMARK(BM_CountWords)->Unit(benchmark::kMillisecond);

void BM_RepaintAllTrialSurfaces(benchmark::State& state) {
    const auto store = std::make_unique<TPlotStore>();
    TViewTransform view;
    ReadPlotFile(PlotPath(), Boundary, *store, {});
    QImage image(1600, 1000, QImage::Format_RGB32);
    TDrawSettings settings;
    settings.Options = store->Enabled;
    settings.Options.Scale = true;
    FitView(image.rect(), true, *store, view);
    for (auto _ : state) {
        QPainter painter(&image);
        DrawPlot(painter, Qt::white, image.rect(), settings, *store, view);
    }
    state.counters["surfaces"] = store->TrialSurfaceCount();
}
BENCHMARK(BM_RepaintAllTrialSurfaces)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    PlotPath() = dir.filePath("bench.qvxp").toStdString();
    WritePlotFile(PlotPath());
    std::ifstream in(PlotPath(), std::ios::binary | std::ios::ate);
    std::fprintf(stderr, "plot file %s: %lld bytes\n", PlotPath().c_str(),
                 static_cast<long long>(in.tellg()));
    if (const char* keep = std::getenv("BREVANTO_BENCH_KEEP")) {
        std::ifstream src(PlotPath(), std::ios::binary);
        std::ofstream(keep, std::ios::binary) << src.rdbuf();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
