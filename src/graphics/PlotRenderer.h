#pragma once
// Drawing of the plot store onto a QPainter: the world-to-pixel mapping, fitting, the fixed drawing
// order, the axes and the printed page. The graph window, the printer and brevanto-cli all draw
// through these functions.
#include "graphics/PlotFile.h"
#include "text/FixedText.h"
#include <QColor>
#include <QRect>
#include <string>

class QPainter;

struct TViewTransform {
    double ScaleX = 0; // pixels per length unit
    double ScaleY = 0; // negative: y grows upward in the world, downward on the canvas
    int OriginX = 0, OriginY = 0;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    int PlotLeft = 0, PlotTop = 0, PlotRight = 0, PlotBottom = 0;
    int UnitX = 0, UnitY = 0;
    double TickStepX = 0, TickStepY = 0;
    double FirstTickX = 0, FirstTickY = 0;
    int LineFactor = 1;

    // Unrounded pixel positions, for the ±32767 test before anything is rounded.
    double PixelXf(double x) const { return (x - XMin) * ScaleX + OriginX; }
    double PixelYf(double y) const { return (y - YMin) * ScaleY + OriginY; }
    int PixelX(double x) const;
    int PixelY(double y) const;
    double WorldX(double px) const { return (px - OriginX) / ScaleX + XMin; }
    double WorldY(double py) const { return (py - OriginY) / ScaleY + YMin; }
};

// What the drawing needs besides the store and the options.
struct TDrawSettings {
    TDisplayOptions Options;
    // Off for block and irregular searches, whose critical surface is no circle.
    bool RadiusLines = true;
    // Beyond the sixteen options: the trial surfaces coloured by their factor of safety, with a
    // legend, and one of the ten most critical surfaces drawn out (-1: none).
    bool ColourByFactor = false;
    int Highlight = -1;
    // The printed page's title block: the project's title and the file the picture comes from.
    std::string Title, Source;
};

// Fits the picture (layer chains and limit segments) into `rect` (origin 0,0).
void FitView(const QRect& rect, bool scaleOption, const TPlotStore& store, TViewTransform& view);

// Fills `rect` with `background` and draws the picture, clipped to the plot rectangle; then the
// axes when the Scale option is on. `rect` and the plot rectangle are in the canvas's own
// coordinates (a paint box paints with its own painter, so no window offset is needed). On a
// 32-bit QImage the thin lines take a direct path that is several times faster than a widget
// canvas: a window that shows thousands of trial surfaces should draw into an image buffer.
void DrawPlot(QPainter& canvas, const QColor& background, const QRect& rect, const TDrawSettings& settings,
              const TPlotStore& store, TViewTransform& view);

// Frame, ticks, tick labels and axis titles (of the plot in `store`).
void DrawAxes(QPainter& canvas, const TPlotStore& store, TViewTransform& view);

// The page transform of PrintPlot: the screen's world window laid out on a landscape page.
TViewTransform PrintTransform(const QRect& page, const TViewTransform& screen);
// Lays the picture out on a landscape page of `page` (printer pixels) showing what the screen view
// `view` shows; `view` is the same afterwards, with the line factor back at 1.
void PrintPlot(QPainter& canvas, const QRect& page, const TDrawSettings& settings, const TPlotStore& store,
               TViewTransform& view);

struct TTickStep {
    double Step = 0;
    double FirstTick = 0;
};
// A "nice" tick spacing for about `intervals` intervals over a..b, and the first tick at or below a.
TTickStep NiceTickStep(double a, double b, double intervals);

// The one-inch class of a printer length (Printing): 75, 100, 150, 300, 600 or 1200.
int InchClass(int value);

// The fill colour of soil number s (s and s + 10 share one).
QColor SoilColor(int soil);
