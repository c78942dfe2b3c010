#include "graphics/PlotView.h"
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>

namespace {
// Beyond these the pixel arithmetic loses its meaning: a zoom that would leave them is not made.
constexpr double MaxScale = 1e9, MinScale = 1e-9;
} // namespace

void TPlotView::SetOptions(const TDisplayOptions& options) {
    if (options == FSettings.Options)
        return;
    FSettings.Options = options;
    Dirty = true;
}

void TPlotView::SetColourByFactor(bool on) {
    if (on == FSettings.ColourByFactor)
        return;
    FSettings.ColourByFactor = on;
    Dirty = true;
}

void TPlotView::SetHighlight(int rank) {
    if (rank == FSettings.Highlight)
        return;
    FSettings.Highlight = rank;
    Dirty = true;
}

void TPlotView::SetRadiusLines(bool on) {
    if (on == FSettings.RadiusLines)
        return;
    FSettings.RadiusLines = on;
    Dirty = true;
}

void TPlotView::SetSize(const QSize& size) {
    const QSize s(std::max(size.width(), 0), std::max(size.height(), 0));
    if (s == FSize)
        return;
    FSize = s;
    V.PlotRight = s.width() - 1;
    V.PlotBottom = s.height() - 3;
    Dirty = true;
}

void TPlotView::Fit() {
    FitView(QRect(QPoint(0, 0), FSize), FSettings.Options.Scale, S, V);
    Fitted = true;
    HomeSize = FSize;
    HomeLeft = V.PlotLeft;
    HomeTop = V.PlotTop;
    HomeRight = V.PlotRight;
    HomeBottom = V.PlotBottom;
    HomeOriginX = V.OriginX;
    HomeOriginY = V.OriginY;
    Dirty = true;
}

void TPlotView::ResetPan() {
    if (Fitted && HomeSize == FSize) {
        V.PlotLeft = HomeLeft;
        V.PlotTop = HomeTop;
        V.PlotRight = HomeRight;
        V.PlotBottom = HomeBottom;
        V.OriginX = HomeOriginX;
        V.OriginY = HomeOriginY;
    } else {
        // Nothing was fitted to this size: the whole paint box, origin at its bottom left.
        V.PlotLeft = 1;
        V.PlotTop = 1;
        V.PlotRight = FSize.width() - 1;
        V.PlotBottom = FSize.height() - 3;
        V.OriginX = V.PlotLeft;
        V.OriginY = FSize.height();
    }
    Dirty = true;
}

bool TPlotView::HasScale() const {
    return V.ScaleX != 0 && V.ScaleY != 0 && std::isfinite(V.ScaleX) && std::isfinite(V.ScaleY);
}

QPoint TPlotView::Centre() const {
    // Half of an odd size is taken to the nearest integer, upward.
    return QPoint((FSize.width() + 1) / 2, (FSize.height() + 1) / 2);
}

void TPlotView::SetScales(double scaleX, double scaleY, QPoint about) {
    if (!HasScale())
        return;
    const double ax = std::fabs(scaleX), ay = std::fabs(scaleY);
    if (!(ax >= MinScale && ax <= MaxScale && ay >= MinScale && ay <= MaxScale))
        return;
    const double wx = V.WorldX(about.x()), wy = V.WorldY(about.y());
    V.ScaleX = scaleX;
    V.ScaleY = scaleY;
    // The same world point stays under `about` with the origin pixels unchanged.
    V.XMin = wx - (about.x() - V.OriginX) / V.ScaleX;
    V.YMin = wy - (about.y() - V.OriginY) / V.ScaleY;
    Dirty = true;
}

void TPlotView::ZoomAbout(double factor, QPoint pixel) {
    SetScales(V.ScaleX * factor, V.ScaleY * factor, pixel);
}

void TPlotView::Pan(int dx, int dy) {
    if (dx == 0 && dy == 0)
        return;
    // Far beyond any screen the picture is gone anyway; the origin stays well inside the int range.
    constexpr int limit = 1 << 28;
    V.OriginX = std::clamp(V.OriginX + dx, -limit, limit);
    V.OriginY = std::clamp(V.OriginY + dy, -limit, limit);
    Dirty = true;
}

double TPlotView::DragZoomFactor(int d, int height) {
    if (d == 0 || height <= 0)
        return 1;
    const double h = height;
    if (d < 0)
        return 1 + -d / h;
    // Far below the paint box the factor would reach zero and then turn the picture over; it stops
    // at a tenth instead.
    return std::max(1 - d / (2 * h), 0.1);
}

void TPlotView::BeginDrag(TDragMode mode, QPoint pos) {
    FDrag = mode;
    DragLast = DragStart = pos;
    DragScaleX = V.ScaleX;
    DragScaleY = V.ScaleY;
}

void TPlotView::DragTo(QPoint pos) {
    if (FDrag == PanDrag) {
        Pan(pos.x() - DragLast.x(), pos.y() - DragLast.y());
        DragLast = pos;
    } else if (FDrag == ZoomDrag) {
        const double f = DragZoomFactor(pos.y() - DragStart.y(), FSize.height());
        SetScales(DragScaleX * f, DragScaleY * f, Centre());
    }
}

void TPlotView::EndDrag(QPoint pos) {
    DragTo(pos);
    FDrag = NoDrag;
}

const QImage& TPlotView::Picture() {
    if (FSize.isEmpty()) {
        Buffer = QImage();
        return Buffer;
    }
    if (Buffer.size() != FSize) {
        // Plain 32-bit pixels at one pixel per pixel: the renderer's direct line path draws into them.
        Buffer = QImage(FSize, QImage::Format_RGB32);
        Dirty = true;
    }
    if (Dirty) {
        QPainter painter(&Buffer);
        DrawPlot(painter, Qt::white, QRect(QPoint(0, 0), FSize), FSettings, S, V);
        Dirty = false;
        ++Redraws;
    }
    return Buffer;
}
