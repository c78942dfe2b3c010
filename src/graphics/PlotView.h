#pragma once
// The graph window's picture without its widgets: the paint box's size, the display options, zoom,
// pan and mouse dragging on the view transform, and a back buffer that is redrawn only when one of
// them changed, so an expose or a moved window costs a blit.
#include "graphics/PlotRenderer.h"
#include <QImage>
#include <QPoint>
#include <QSize>

class TPlotView {
  public:
    enum TDragMode { NoDrag = 0, PanDrag = 1, ZoomDrag = 2 };

    // The steps of "Zoom In" and "Zoom Out" (also one notch of the mouse wheel).
    static constexpr double ZoomInFactor = 1.25;
    static constexpr double ZoomOutFactor = 0.8;

    TPlotView(const TPlotStore& store, TViewTransform& view) : S(store), V(view) {}

    const TPlotStore& Store() const { return S; }
    TViewTransform& View() const { return V; }

    const TDrawSettings& Settings() const { return FSettings; }
    void SetOptions(const TDisplayOptions& options);
    void SetRadiusLines(bool on);
    void SetColourByFactor(bool on);
    void SetHighlight(int rank);

    QSize Size() const { return FSize; }
    // The paint box's new size: the plot rectangle's right and bottom follow it. No refit.
    void SetSize(const QSize& size);

    // Fits the whole slope into the paint box, with the axis margins when Scale is on.
    void Fit();
    // Undoes every pan since the last fit and keeps the zoom (the window became active again).
    void ResetPan();

    // Both scales are usable: something was fitted.
    bool HasScale() const;
    // Multiplies both scales by `factor`, keeping the world point under `pixel` where it is.
    void ZoomAbout(double factor, QPoint pixel);
    // The same about the paint box's centre (the zoom buttons).
    void ZoomCentre(double factor) { ZoomAbout(factor, Centre()); }
    QPoint Centre() const;
    // Moves the picture by (dx, dy) pixels.
    void Pan(int dx, int dy);

    // Dragging with the mouse: a pan follows the pointer, a zoom grows with the vertical distance from
    // the start (up zooms in, down out), about the centre.
    void BeginDrag(TDragMode mode, QPoint pos);
    void DragTo(QPoint pos);
    void EndDrag(QPoint pos);
    TDragMode DragMode() const { return FDrag; }
    // The zoom factor of a drag `d` pixels down (negative: up) in a paint box `height` pixels high.
    static double DragZoomFactor(int d, int height);

    double WorldX(int px) const { return V.WorldX(px); }
    double WorldY(int py) const { return V.WorldY(py); }

    // The picture, drawn again only when the view, the options or the size changed since the last call.
    const QImage& Picture();
    // Something the picture shows changed outside this object (the store was read again).
    void Invalidate() { Dirty = true; }
    // How often the picture has been drawn: a repaint that needs no redraw does not count.
    int RedrawCount() const { return Redraws; }

  private:
    void SetScales(double scaleX, double scaleY, QPoint about);

    const TPlotStore& S;
    TViewTransform& V;
    TDrawSettings FSettings;
    QSize FSize;
    QImage Buffer;
    bool Dirty = true;
    int Redraws = 0;

    // The plot rectangle and origins of the last fit: what "no pan" means.
    bool Fitted = false;
    QSize HomeSize;
    int HomeLeft = 0, HomeTop = 0, HomeRight = 0, HomeBottom = 0, HomeOriginX = 0, HomeOriginY = 0;

    TDragMode FDrag = NoDrag;
    QPoint DragLast, DragStart;
    double DragScaleX = 0, DragScaleY = 0;
};
