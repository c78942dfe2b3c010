#pragma once
// The slope boundary window: how many boundary lines form the ground surface, the button that opens
// the boundary-line table, an explanatory sketch, and a live preview of the boundary lines that the
// user pans (left drag) and zooms (right drag) while reading world coordinates under the cursor.
#include <QLabel>

#include "dialogs/DataForm.h"
#include "widgets/LiveSurface.h"

class QCheckBox;
class QPainter;
class QPushButton;
class TGridTable;

// The world window a preview shows.
struct TWorldView {
    Extended XMin = 0, XMax = 0, YMin = 0, YMax = 0;
    bool operator==(const TWorldView& o) const {
        return XMin == o.XMin && XMax == o.XMax && YMin == o.YMin && YMax == o.YMax;
    }
};

// The preview (the paint box): every boundary line with square end marks and its row number on it.
// By default x and y share one scale (a 2H:1V slope looks like one), centred, with axes; the fitted
// view scales them independently to fill the box inside a 10-pixel margin.
class TBoundaryPreview : public QWidget {
    Q_OBJECT
  public:
    explicit TBoundaryPreview(TGridTable& table, QWidget* parent = nullptr);

    static constexpr int Margin = 10;
    // The largest zoom-in of one right-button drag: the view shrinks at most to this share.
    static constexpr Extended ZoomLimit = -0.9L;

    // The extents of all line end points become the full view and the view (nothing changes for an
    // empty table). Table edits show in the extents only when this runs again.
    void UpdateMargins();
    // The view back to the full extents as last measured ("Update/Redraw").
    void ResetView();

    // True scale (the default) or the fitted view.
    void SetTrueScale(bool on);
    bool TrueScale() const { return FTrueScale; }

    const TWorldView& View() const { return FView; }
    const TWorldView& FullView() const { return FFull; }
    void SetView(const TWorldView& view);

    // World to pixel and back under the current view (pixels are rounded to the nearest integer).
    QPointF ToPixel(Extended x, Extended y) const;
    void ToWorld(QPointF pixel, Extended& x, Extended& y) const;

    // The live critical surface drawn over the lines (empty: none).
    void SetLiveSurface(const TLiveSurface& surface);
    const TLiveSurface& LiveSurface() const { return FLive; }

    // " Coords:  X:<x> , Y:<y>" for a world point, each with one decimal.
    static QString CoordinateText(Extended x, Extended y);

    QSize sizeHint() const override { return {543, 521}; }
    QSize minimumSizeHint() const override { return {200, 160}; }

  signals:
    // The read-out text (empty when the cursor left the preview).
    void ReadOut(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    bool Drawable() const;
    // The drawing area inside the margins (wider at the left and bottom for the axes in true scale),
    // and the pixels per world unit in x and y.
    QRectF Area() const;
    void Scales(Extended& sx, Extended& sy) const;
    void DrawAxes(QPainter& painter) const;

    TGridTable& FTable;
    TWorldView FFull;
    TWorldView FView;
    TWorldView FSaved;
    bool FDragging = false;
    bool FTrueScale = true;
    QPointF FDragStart;
    TLiveSurface FLive;
};

class TDlgSlopeBoundary : public TDataForm {
    Q_OBJECT
  public:
    explicit TDlgSlopeBoundary(IModelHost& host, QWidget* parent = nullptr);

    TDataEdit* deNI;
    QLabel* Label5;
    QPushButton* btnSect;
    QWidget* Image1;
    TBoundaryPreview* PaintBox1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Button1;
    QCheckBox* TrueScaleBox;

    void btnSectClick();
    void Button1Click();

  protected:
    void LoadFromModel(TProgramData& model) override;
    void StoreToModel(TProgramData& model) override;
};
