// The graph window's picture in a 1600 x 1000 paint box with every option on: a full redraw of the
// back buffer, a repaint that only blits it, and one step of a pan or zoom drag.
// Goals: a full redraw of the largest plot (3999 trial surfaces of 200 points) within 50 ms; a drag
// step within 16 ms (60 frames per second) for ordinary plots (a few dozen to a few hundred surfaces).
#include "graphics/PlotFile.h"
#include "graphics/PlotRenderer.h"
#include "graphics/PlotView.h"
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

// A slope with every kind of record, filled in place; `surfaces` trial surfaces of 200 points each.
std::unique_ptr<TPlotStore> MakeStore(int surfaces) {
    auto store = std::make_unique<TPlotStore>();
    TPlotStore& s = *store;
    s.Clear();
    const TBoundaryLine lines[] = {{0, 50, 100, 50, 1},
                                   {100, 50, 200, 100, 1},
                                   {200, 100, 300, 100, 1},
                                   {0, 30, 300, 30, 2},
                                   {0, 10, 300, 10, 3}};
    for (const TBoundaryLine& l : lines) {
        TBoundaryRecord& r = s.BoundaryRecords[s.BoundaryRecordCount++];
        r.LeftX = l.LeftX;
        r.LeftY = l.LeftY;
        r.RightX = l.RightX;
        r.RightY = l.RightY;
        r.Soil = l.Soil;
    }
    BuildLayerChains(s, {});

    auto arc = [](TSurface& surface, double cx, double cy, double r) {
        surface.Count = PlotCapacity::SurfacePoints;
        for (int k = 0; k < surface.Count; ++k) {
            const double a = -2.6 + 2.1 * k / (surface.Count - 1.0); // the lower part of the circle
            surface.Points[k] = {cx + r * std::cos(a), cy + r * std::sin(a)};
        }
    };
    for (int i = 0; i < surfaces; ++i)
        arc(s.TrialSurfaces[i + 2], 100 + (i % 60) * 1.5, 140 + (i / 60) * 0.9,
            118 - (i % 7) - (i / 60) * 0.9);
    s.SlotCounter = surfaces + 1;
    for (int t = 0; t < PlotCapacity::TenSurfaces; ++t)
        arc(s.TenSurfaces[t], 125 + t, 170, 150 - t * 0.5);
    s.HasTen = true;
    s.Critical = {1.25, 125, 170, 150, 125, 170};
    s.CurrentFS = 1.25;

    for (int i = 0; i < 3; ++i) {
        s.LimitSegments[i][0] = {i * 100.0, 15.0 + i * 2.5};
        s.LimitSegments[i][1] = {(i + 1) * 100.0, 17.5 + i * 2.5};
    }
    s.LimitSegmentCount = 3;
    s.WaterSurfaceCount = s.DisplayWaterCount = 1;
    s.WaterSurfaces[0].Count = 4;
    const TPlotPoint water[] = {{0, 40}, {100, 42}, {200, 70}, {300, 75}};
    for (int k = 0; k < 4; ++k)
        s.WaterSurfaces[0].Points[k] = water[k];
    s.DisplayWater[0] = s.WaterSurfaces[0];
    s.TiebackCount = 1;
    s.Tiebacks[0][0] = {150, 75};
    s.Tiebacks[0][1] = {120, 70};
    s.Tiebacks[0][2] = {85, 58};
    s.ReinfLineCount = 1;
    s.ReinfLines[0].Count = 2;
    s.ReinfLines[0].Points[0] = {125, 62.5};
    s.ReinfLines[0].Points[1] = {160, 62.5};
    s.PressureZoneCount = 1;
    const TPlotPoint zone[] = {{210, 100}, {230, 100}, {230, 105}, {210, 105}};
    for (int k = 0; k < 4; ++k)
        s.PressureZones[0][k] = zone[k];
    s.SliceCount = 12;
    for (int i = 0; i < s.SliceCount; ++i) {
        TSliceRecord& slice = s.Slices[i];
        slice.R[0] = 40 + i * 17;
        slice.R[1] = 2000 + i * 100;
        slice.R[2] = 1;
        slice.R[3] = 600 + i * 30;
    }

    for (bool TDisplayOptions::*f : DisplayOptionFields)
        s.Enabled.*f = true;
    return store;
}

struct TFixture {
    std::unique_ptr<TPlotStore> Store;
    TViewTransform View;
    std::unique_ptr<TPlotView> Plot;

    explicit TFixture(int surfaces) : Store(MakeStore(surfaces)) {
        Plot = std::make_unique<TPlotView>(*Store, View);
        Plot->SetSize(QSize(1600, 1000));
        Plot->SetOptions(Store->Enabled);
        Plot->Fit();
        Plot->Picture();
    }
};

void BM_GraphFullRedraw(benchmark::State& state) {
    TFixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        f.Plot->Invalidate();
        benchmark::DoNotOptimize(f.Plot->Picture().constBits());
    }
    state.counters["surfaces"] = f.Store->TrialSurfaceCount();
}
BENCHMARK(BM_GraphFullRedraw)
    ->Arg(PlotCapacity::TrialSurfaces)
    ->Arg(300)
    ->Arg(36)
    ->Unit(benchmark::kMillisecond);

// An expose or a moved window: the buffer is copied to the screen, nothing is drawn.
void BM_GraphRepaintWithoutChange(benchmark::State& state) {
    TFixture f(PlotCapacity::TrialSurfaces);
    QImage screen(1600, 1000, QImage::Format_RGB32);
    const int before = f.Plot->RedrawCount();
    for (auto _ : state) {
        QPainter p(&screen);
        p.drawImage(0, 0, f.Plot->Picture());
    }
    state.counters["redraws"] = f.Plot->RedrawCount() - before;
}
BENCHMARK(BM_GraphRepaintWithoutChange)->Unit(benchmark::kMillisecond);

// One mouse move of a drag: a left-button drag moves the origin with the pointer, a right-button drag
// changes the scale about the centre; either way the picture is drawn anew and copied to the screen.
void BM_GraphDragStep(benchmark::State& state) {
    const bool zoom = state.range(0) == TPlotView::ZoomDrag;
    TFixture f(static_cast<int>(state.range(1)));
    QImage screen(1600, 1000, QImage::Format_RGB32);
    const QPoint start(800, 500);
    f.Plot->BeginDrag(zoom ? TPlotView::ZoomDrag : TPlotView::PanDrag, start);
    int step = 0;
    for (auto _ : state) {
        // Back and forth, so the picture stays on the canvas.
        ++step;
        f.Plot->DragTo(zoom ? start - QPoint(0, (step % 20) * 10) : start + QPoint(step % 2 * 3, 0));
        QPainter p(&screen);
        p.drawImage(0, 0, f.Plot->Picture());
    }
    f.Plot->EndDrag(start);
}
BENCHMARK(BM_GraphDragStep)
    ->ArgNames({"mode", "surfaces"})
    ->ArgsProduct({{TPlotView::PanDrag, TPlotView::ZoomDrag}, {PlotCapacity::TrialSurfaces, 300, 36}})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
