#pragma once
// The graph window: the results picture of the model's last run with its display options, zoom, pan,
// coordinate read-out, printing and export. A widgets-layer file in the graphics folder; its picture
// logic (zoom, pan, dragging, the back buffer) is the core's TPlotView.
#include "graphics/PlotView.h"
#include "widgets/LiveSurface.h"
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPrinter;
class QPushButton;
class QScrollArea;
class TProgramData;

class TfrmGraph : public QWidget {
    Q_OBJECT
  public:
    static constexpr int OptionCount = 16;
    // The caption while nothing is read out.
    static const QString Caption;

    // View ▸ Graphics: points the model's PlotFileName at the ".qvxp" twin of its FileName when that
    // file exists, then shows the one graph window of `area`, creating it (and so reading the plot
    // file) when none is open. An open window whose picture is no longer the model's plot file (a
    // later run rewrote it, or it names another file) is closed and created anew. Returns the window.
    static TfrmGraph* ShowGraph(QMdiArea* area, TProgramData& model);
    // The open graph window of `area`, or null.
    static TfrmGraph* Find(QMdiArea* area);

    // FormCreate: reads the model's plot file (LoadPlot). `parent` carries the messages of the read
    // until the window is placed in its frame.
    explicit TfrmGraph(TProgramData& model, QWidget* parent = nullptr);
    ~TfrmGraph() override;

    // Reads the plot file named by the model's PlotFileName, enables the options it holds data for
    // and fits the view; without a name: the message, an empty picture, Boundary Lines off.
    void LoadPlot(TProgramData& model);
    bool PlotLoaded() const { return FPlotLoaded; }
    // Whether the picture is still the one of `model`'s plot file as it is on disk now.
    bool ShowsCurrentPlot(const TProgramData& model) const;

    // Startup, run each time the window becomes the active child window: the pan is undone (the zoom
    // stays) and the options follow their check boxes. ShowGraph connects it to the frame's
    // subWindowActivated; it is deliberately no slot, so a frame that calls its children's activation
    // handlers by name does not run it twice.
    void FormActivate();

    void ZoomInClick();
    void ZoomOutClick();
    void ZoomAllClick();
    // A pan button went down: `step` pixels (40 with the left mouse button, 1 with any other).
    void PanLeft(int step);
    void PanRight(int step);
    void PanUp(int step);
    void PanDown(int step);
    // "Print": the print dialog, then one landscape page.
    void PrintClick();
    // Prints the page on `printer` (already chosen); false when the printer could not be started.
    bool PrintTo(QPrinter& printer);
    // "Export...": a file dialog, then ExportTo.
    void ExportClick();
    // Saves what the paint box shows as PNG, SVG or PDF (by the file's extension); PNG and SVG
    // `scale` times the paint box's size (0: the size chosen in the window, three times by default).
    bool ExportTo(const QString& fileName, int scale = 0);
    int ExportScale() const;
    // "Close" (Button1).
    void Button1Click();

    // The printer the print dialog edits; it keeps the user's choice for the next print.
    QPrinter& Printer();
    TPlotView& PlotView() { return *FView; }
    QWidget* PaintBox() const;

    // The live critical surface, drawn over the plot while it differs from the plot's critical
    // surface (the last saved run); an empty one removes it.
    void SetLiveSurface(const TLiveSurface& surface);
    // What is drawn now (empty: nothing, also when it is the run's own surface).
    const TLiveSurface& LiveSurface() const { return FLiveSurface; }
    QCheckBox* OptionBox(int index) const { return FOptionBoxes[static_cast<std::size_t>(index)]; }
    TDisplayOptions CheckedOptions() const;

    // Beyond the sixteen options: "Colour by FS" colours the trial surfaces by their factor of
    // safety (needs All Trial Surfaces); off by default.
    QCheckBox* ColourBox() const { return FColourBox; }
    // Draws one of the ten most critical surfaces out (0: the critical one; -1: none).
    void HighlightSurface(int rank);
    // Ctrl+C: the picture as shown, onto the clipboard.
    void CopyPicture();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    friend class TPaintBox;
    void BuildControls();
    // The view's settings with the printed page's title block.
    TDrawSettings PageSettings() const;
    void LayoutControls();
    void OptionClick(int index);
    void Redraw();
    void PaintBoxMouseDown(Qt::MouseButton button, QPoint pos);
    void PaintBoxMouseMove(QPoint pos);
    void PaintBoxMouseUp(Qt::MouseButton button, QPoint pos);
    void PaintBoxWheel(int angleDelta, QPoint pos);
    void PaintBoxLeave();

    // This window's plot (some 13 MB, on the heap) and view transform: two graph windows share neither.
    std::unique_ptr<TPlotStore> FStore;
    TViewTransform FTransform;
    std::unique_ptr<TPlotView> FView;
    bool FPlotLoaded = false;
    TLiveSurface FLiveSurface;
    bool FClosed = false;
    Qt::MouseButton FDragButton = Qt::NoButton;
    int FWheelRemainder = 0;
    QString FPlotFile;
    // The plot file as it was read (empty when nothing was read): a later run changes it.
    QString FPlotStamp;
    std::unique_ptr<QPrinter> FPrinter;

    QScrollArea* FColumn = nullptr;
    QWidget* FPaintBox = nullptr;
    QPushButton* FZoomIn = nullptr;
    QPushButton* FZoomOut = nullptr;
    QPushButton* FZoomAll = nullptr;
    std::array<QCheckBox*, OptionCount> FOptionBoxes{};
    QCheckBox* FColourBox = nullptr;
    QComboBox* FExportSize = nullptr;
    QString FTitle; // the model's, for the printed page's title block
};
