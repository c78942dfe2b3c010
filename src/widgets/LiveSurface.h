#pragma once
// The live critical surface as the pictures of the slope draw it over themselves: a dashed line in a
// colour no other layer of the pictures uses, with the live factor of safety at its right end, so it
// is never taken for the result of a saved run.
#include <QColor>
#include <QPointF>
#include <QString>
#include <functional>
#include <vector>

class QPainter;

struct TLiveSurface {
    std::vector<QPointF> Points; // world coordinates, left to right
    double FS = 0;
    bool Empty() const { return Points.size() < 2; }
};

// The colour of the live surface.
QColor LiveSurfaceColor();

// Draws `surface` through `toPixel` (world to pixel) with its label "Live 1.234".
void DrawLiveSurface(QPainter& painter, const TLiveSurface& surface,
                     const std::function<QPointF(QPointF)>& toPixel);
