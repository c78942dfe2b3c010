#pragma once
// Pixel helpers the renderer's pieces share (PlotRenderer.cpp draws, PlotScale.cpp lays out the view).
namespace PlotPixels {
constexpr double PixelLimit = 32767;

// Whether a point's pixel, once rounded, lies within ±32767. Segments, markers and labels beyond it
// are skipped whole, which is far cheaper than clipping them.
inline bool InRange(double px, double py) {
    constexpr double edge = PixelLimit + 0.5; // the nearest integer of ±32767.5 is already ±32768
    return px > -edge && px < edge && py > -edge && py < edge;
}

// Nearest integer, halves away from zero; callers keep v well within the int range.
inline int Round(double v) {
    return v >= 0 ? static_cast<int>(v + 0.5) : -static_cast<int>(0.5 - v);
}
} // namespace PlotPixels
