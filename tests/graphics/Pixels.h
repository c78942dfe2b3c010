#pragma once
// Looking at rendered pictures in the graphics tests.
#include <QColor>
#include <QImage>

// How many pixels of the picture have exactly this colour.
inline int CountColor(const QImage& img, QColor color) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == color.rgb();
    return n;
}

// Whether a colour occurs in a small square around a pixel (lines are a few pixels wide).
inline bool Near(const QImage& img, int px, int py, QColor color, int r = 2) {
    for (int y = py - r; y <= py + r; ++y)
        for (int x = px - r; x <= px + r; ++x)
            if (img.rect().contains(x, y) && img.pixel(x, y) == color.rgb())
                return true;
    return false;
}
