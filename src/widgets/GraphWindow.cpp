#include "widgets/GraphWindow.h"
#include "graphics/PlotExport.h"
#include "model/SlopeModel.h"
#include "widgets/MsgBox.h"
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <functional>

const QString TfrmGraph::Caption = QStringLiteral("Brevanto Graphics");

namespace {
const QString ReadOutCaption = QStringLiteral("Keldor Graphics Utility for Brevanto");

// The paint box's place in the window: from (178, 52), 200 pixels narrower and 62 lower than the
// client area.
constexpr int PaintLeft = 178, PaintTop = 52, PaintWidthLess = 200, PaintBottomGap = 10;
constexpr int ColumnWidth = 172;
constexpr int PanStepLeftButton = 40, PanStepOtherButton = 1;

struct TOptionBox {
    const char* Name;
    const char* Caption;
    const char* Hint;
    bool TDisplayOptions::*Field;
};

// The check boxes, top to bottom; the first ten head "Input Data:", the rest "Computed Values:".
const TOptionBox OptionBoxes[TfrmGraph::OptionCount] = {
    {"ProfileLinesCheckBox", "Boundary Lines", "Display soil profile lines", &TDisplayOptions::BoundaryLines},
    {"LimitsCheckBox", "Search Limits", nullptr, &TDisplayOptions::SearchLimits},
    {"ProfileNumbersCheckBox", "Soil Layer Numbers", "Display the boundary line numbers",
     &TDisplayOptions::SoilLayerNumbers},
    {"ProfileCoordsCheckBox", "Boundary Coords", "Display coordinates of soil profile lines",
     &TDisplayOptions::BoundaryCoords},
    {"ColorSoilLayersCheckBox", "Color Soil Layers", "Color the soil layers",
     &TDisplayOptions::ColorSoilLayers},
    {"TieBacksCheckBox", "Tie Backs", "Display the tie backs for QUOLM", &TDisplayOptions::TieBacks},
    {"PiezoLineCheckBox", "Piezometric Line", "Display piezometric lines", &TDisplayOptions::PiezometricLine},
    {"SurfPresCheckBox", "Surface Pressures", "Display zones of surface pressure along slope line",
     &TDisplayOptions::SurfacePressures},
    {"ReinfLineCheckBox", "Reinf. Lines", "Display sloope reinforcement lines", &TDisplayOptions::ReinfLines},
    {"ScaleCheckBox", "Scale", nullptr, &TDisplayOptions::Scale},
    {"SolnInfoCheckBox", "Solution Information", "Display value for factor of safety",
     &TDisplayOptions::SolutionInformation},
    {"TenSlipCheckBox", "10 Slip Surfaces", "Display the 10 most critical slip surfaces",
     &TDisplayOptions::TenSlipSurfaces},
    {"CriticalSlipCheckBox", "Critical Slip Surface", "Display the critical slip surface",
     &TDisplayOptions::CriticalSlipSurface},
    {"AllTrialsCheckBox", "All Trial Surfaces", "Display all trial slip surfaces",
     &TDisplayOptions::AllTrialSurfaces},
    {"TotalStressCheckBox", "Total Stresses", "Display total stresses acting on slip surface",
     &TDisplayOptions::TotalStresses},
    {"PorePresCheckBox", "Pore Water Pressures", "Display pore water pressures acting on slip surface",
     &TDisplayOptions::PoreWaterPressures},
};
constexpr int InputOptionCount = 10;

// A pan button acts when a mouse button goes down, with a step that depends on the button; the
// keyboard (space) counts as the left button. Holding it does not repeat.
class TPanButton : public QPushButton {
  public:
    TPanButton(const QString& caption, std::function<void(int)> onPress, QWidget* parent)
        : QPushButton(caption, parent), OnPress(std::move(onPress)) {
        setFocusPolicy(Qt::StrongFocus);
    }

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        OnPress(e->button() == Qt::LeftButton ? PanStepLeftButton : PanStepOtherButton);
        QPushButton::mousePressEvent(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            if (!e->isAutoRepeat())
                OnPress(PanStepLeftButton);
            e->accept();
            return;
        }
        QPushButton::keyPressEvent(e);
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Space) {
            e->accept();
            return;
        }
        QPushButton::keyReleaseEvent(e);
    }

  private:
    std::function<void(int)> OnPress;
};

QLabel* HeadLabel(const QString& text, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    return label;
}

// What identifies one writing of a file: its modification time and size (empty when it is missing).
QString FileStamp(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists())
        return QString();
    return info.lastModified().toString(Qt::ISODateWithMs) + QLatin1Char(' ') + QString::number(info.size());
}

QString ReadOut(double x, double y) {
    return ReadOutCaption + QStringLiteral(",     x = ") + QString::fromStdString(FormatFixed(x, 2)) +
           QStringLiteral(", y = ") + QString::fromStdString(FormatFixed(y, 2));
}
} // namespace

// The paint box: shows the view's picture and hands the mouse to the window.
class TPaintBox : public QWidget {
  public:
    explicit TPaintBox(TfrmGraph* graph) : QWidget(graph), Graph(graph) {
        setObjectName(QStringLiteral("PaintBox"));
        setCursor(Qt::CrossCursor);
        setMouseTracking(true);
        // The picture covers every pixel: no background to erase first.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QImage& picture = Graph->PlotView().Picture();
        if (picture.isNull())
            painter.fillRect(rect(), Qt::white);
        else
            painter.drawImage(0, 0, picture);
        const TViewTransform& view = Graph->PlotView().View();
        if (Graph->PlotView().HasScale())
            DrawLiveSurface(painter, Graph->LiveSurface(),
                            [&view](QPointF p) { return QPointF(view.PixelXf(p.x()), view.PixelYf(p.y())); });
    }
    void mousePressEvent(QMouseEvent* e) override {
        Graph->PaintBoxMouseDown(e->button(), e->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* e) override { Graph->PaintBoxMouseMove(e->position().toPoint()); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        Graph->PaintBoxMouseUp(e->button(), e->position().toPoint());
    }
    void wheelEvent(QWheelEvent* e) override {
        Graph->PaintBoxWheel(e->angleDelta().y(), e->position().toPoint());
        e->accept();
    }
    void leaveEvent(QEvent*) override { Graph->PaintBoxLeave(); }
    void contextMenuEvent(QContextMenuEvent* e) override { e->accept(); } // the right button zooms

  private:
    TfrmGraph* Graph;
};

TfrmGraph::TfrmGraph(TProgramData& model, QWidget* parent)
    : QWidget(parent), FStore(std::make_unique<TPlotStore>()),
      FView(std::make_unique<TPlotView>(*FStore, FTransform)) {
    FStore->Clear();
    setObjectName(QStringLiteral("frmGraph"));
    setWindowTitle(Caption);
    setAttribute(Qt::WA_DeleteOnClose);
    QPalette navy = palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    setPalette(navy);
    setAutoFillBackground(true);
    BuildControls();
    resize(812, 631);
    LayoutControls();
    LoadPlot(model);
}

TfrmGraph::~TfrmGraph() = default;

void TfrmGraph::BuildControls() {
    FColumn = new QScrollArea(this);
    FColumn->setObjectName(QStringLiteral("ControlColumn"));
    FColumn->setFrameShape(QFrame::NoFrame);
    FColumn->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FColumn->setWidgetResizable(true);
    FColumn->viewport()->setAutoFillBackground(false);
    auto* column = new QWidget;
    column->setAutoFillBackground(false);
    auto* box = new QVBoxLayout(column);
    box->setContentsMargins(8, 8, 4, 8);
    box->setSpacing(2);

    // Check boxes read white on the navy ground; disabled ones a dimmed blue-grey.
    QPalette optionPalette = palette();
    optionPalette.setColor(QPalette::Active, QPalette::WindowText, Qt::white);
    optionPalette.setColor(QPalette::Inactive, QPalette::WindowText, Qt::white);
    optionPalette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(140, 140, 190));
    optionPalette.setColor(QPalette::Active, QPalette::Text, Qt::black);

    box->addWidget(HeadLabel(QStringLiteral("Input Data:"), Qt::white, column));
    for (int i = 0; i < OptionCount; ++i) {
        if (i == InputOptionCount) {
            box->addSpacing(6);
            box->addWidget(HeadLabel(QStringLiteral("Computed Values:"), Qt::yellow, column));
        }
        const TOptionBox& o = OptionBoxes[i];
        auto* check = new QCheckBox(QString::fromLatin1(o.Caption), column);
        check->setObjectName(QString::fromLatin1(o.Name));
        if (o.Hint)
            check->setToolTip(QString::fromLatin1(o.Hint));
        check->setPalette(optionPalette);
        check->setEnabled(false);
        connect(check, &QCheckBox::clicked, this, [this, i] { OptionClick(i); });
        FOptionBoxes[static_cast<std::size_t>(i)] = check;
        box->addWidget(check);
    }
    FColourBox = new QCheckBox(QStringLiteral("Colour by FS"), column);
    FColourBox->setObjectName(QStringLiteral("ColourByFactorCheckBox"));
    FColourBox->setToolTip(QStringLiteral("Colour the trial surfaces by their factor of safety"));
    FColourBox->setPalette(optionPalette);
    FColourBox->setEnabled(false);
    connect(FColourBox, &QCheckBox::clicked, this, [this](bool on) {
        FView->SetColourByFactor(on);
        Redraw();
    });
    box->addWidget(FColourBox);
    OptionBox(0)->setChecked(true); // Boundary Lines
    OptionBox(9)->setEnabled(true); // Scale, whatever the file holds
    // Part of the form, never shown: they draw nothing.
    for (const char* name : {"Slice Boundaries", "Tension Zones"}) {
        auto* hidden = new QCheckBox(QString::fromLatin1(name), column);
        hidden->setObjectName(QString::fromLatin1(name).remove(QLatin1Char(' ')) +
                              QStringLiteral("CheckBox"));
        hidden->setEnabled(false);
        hidden->hide();
    }

    box->addSpacing(6);
    box->addWidget(HeadLabel(QStringLiteral("Move View"), Qt::white, column));
    auto* pan = new QGridLayout;
    pan->setSpacing(2);
    auto panButton = [&](const char* caption, const char* name, void (TfrmGraph::*move)(int), int row,
                         int col) {
        auto* b = new TPanButton(
            QString::fromLatin1(caption), [this, move](int step) { (this->*move)(step); }, column);
        b->setObjectName(QString::fromLatin1(name));
        b->setFixedWidth(52);
        pan->addWidget(b, row, col, Qt::AlignCenter);
    };
    panButton("Up", "PanUpButton", &TfrmGraph::PanUp, 0, 1);
    panButton("Left", "PanLeftButton", &TfrmGraph::PanLeft, 1, 0);
    panButton("Right", "PanRightButton", &TfrmGraph::PanRight, 1, 2);
    panButton("Down", "PanDownButton", &TfrmGraph::PanDown, 2, 1);
    box->addLayout(pan);

    box->addSpacing(8);
    auto* printRow = new QHBoxLayout;
    auto* print = new QPushButton(QStringLiteral("Print"), column);
    print->setObjectName(QStringLiteral("PrintButton"));
    connect(print, &QPushButton::clicked, this, &TfrmGraph::PrintClick);
    auto* exportButton = new QPushButton(QStringLiteral("Export..."), column);
    exportButton->setObjectName(QStringLiteral("ExportButton"));
    exportButton->setToolTip(QStringLiteral("Save the picture as PNG, SVG or PDF"));
    connect(exportButton, &QPushButton::clicked, this, &TfrmGraph::ExportClick);
    printRow->addWidget(print);
    printRow->addWidget(exportButton);
    box->addLayout(printRow);
    // PNG and SVG come out larger than the window shows them: a picture for a report needs pixels.
    FExportSize = new QComboBox(column);
    FExportSize->setObjectName(QStringLiteral("ExportSizeBox"));
    FExportSize->setToolTip(QStringLiteral("Size of an exported PNG or SVG picture"));
    for (const int scale : {3, 1, 2, 4})
        FExportSize->addItem(QStringLiteral("Export %1× size").arg(scale), scale);
    box->addWidget(FExportSize);
    auto* close = new QPushButton(QStringLiteral("Close"), column);
    close->setObjectName(QStringLiteral("Button1"));
    connect(close, &QPushButton::clicked, this, &TfrmGraph::Button1Click);
    box->addWidget(close);
    box->addStretch(1);
    FColumn->setWidget(column);

    auto zoomButton = [this](const char* caption, const char* name, void (TfrmGraph::*click)()) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, click);
        return b;
    };
    FZoomIn = zoomButton("Zoom In", "ZoomInButton", &TfrmGraph::ZoomInClick);
    FZoomOut = zoomButton("Zoom Out", "ZoomOutButton", &TfrmGraph::ZoomOutClick);
    FZoomAll = zoomButton("Zoom All", "ZoomAllButton", &TfrmGraph::ZoomAllClick);

    FPaintBox = new TPaintBox(this);
}

void TfrmGraph::LayoutControls() {
    const int w = width(), h = height();
    FColumn->setGeometry(0, 0, ColumnWidth, h);
    const int bw = 90, bh = 28, by = (PaintTop - bh) / 2;
    FZoomIn->setGeometry(PaintLeft, by, bw, bh);
    FZoomOut->setGeometry(PaintLeft + bw + 8, by, bw, bh);
    FZoomAll->setGeometry(PaintLeft + 2 * (bw + 8), by, bw, bh);
    const QSize box(std::max(w - PaintWidthLess, 0), std::max(h - PaintTop - PaintBottomGap, 0));
    FPaintBox->setGeometry(QRect(QPoint(PaintLeft, PaintTop), box));
    FView->SetSize(box);
}

QWidget* TfrmGraph::PaintBox() const {
    return FPaintBox;
}

void TfrmGraph::SetLiveSurface(const TLiveSurface& surface) {
    TLiveSurface shown = surface;
    const TPlotStore& store = FView->Store();
    if (!shown.Empty() && FPlotLoaded && store.HasTen && store.TenSurfaces[0].Count >= 2) {
        // The plot file keeps a few decimals: the same surface and factor within what it can hold.
        const TSurface& run = store.TenSurfaces[0];
        const QPointF first = shown.Points.front(), last = shown.Points.back();
        const TPlotPoint& a = run.Points[0];
        const TPlotPoint& b = run.Points[run.Count - 1];
        const double tol = 1e-3 * std::max(1.0, std::abs(last.x() - first.x()));
        const bool same = std::abs(store.Critical.FS - shown.FS) < 5e-4 && std::abs(a.X - first.x()) < tol &&
                          std::abs(a.Y - first.y()) < tol && std::abs(b.X - last.x()) < tol &&
                          std::abs(b.Y - last.y()) < tol;
        if (same)
            shown = {};
    }
    FLiveSurface = shown;
    if (FPaintBox)
        FPaintBox->update();
}

TDisplayOptions TfrmGraph::CheckedOptions() const {
    TDisplayOptions o;
    for (int i = 0; i < OptionCount; ++i)
        o.*(OptionBoxes[i].Field) = OptionBox(i)->isChecked();
    return o;
}

void TfrmGraph::LoadPlot(TProgramData& model) {
    // A block or irregular surface is no circle: no radius lines to its "centre".
    FView->SetRadiusLines(!model.HasBlockSearch && !model.HasIrregularSearch);
    if (model.PlotFileName.empty()) {
        MsgError(isWindow() || !parentWidget() ? this : parentWidget()->window(),
                 QStringLiteral("No plot data file name has been defined.\n\n"
                                "Generate the name of the plot data file by running an analysis."));
        FStore->Clear();
        // Nothing was fitted: no read-out, no zoom until a plot is shown.
        FTransform = TViewTransform();
        OptionBox(0)->setChecked(false);
        FView->SetOptions(CheckedOptions());
        FView->Invalidate();
        Redraw();
        return;
    }
    FPlotFile = QString::fromStdString(model.PlotFileName);
    FTitle = QString::fromStdString(model.Title);
    FPlotStamp = FileStamp(FPlotFile);
    ReadPlotFile(model, *FStore);
    FPlotLoaded = true;
    // Options enabled by the records read; a read never disables one.
    const TDisplayOptions& enabled = FStore->Enabled;
    for (int i = 0; i < OptionCount; ++i)
        if (enabled.*(OptionBoxes[i].Field))
            OptionBox(i)->setEnabled(true);
    FColourBox->setEnabled(FStore->TrialSurfaceCount() > 0);
    FView->SetHighlight(-1);
    FView->SetOptions(CheckedOptions());
    FView->Fit();
    FView->Invalidate();
    Redraw();
}

void TfrmGraph::HighlightSurface(int rank) {
    FView->SetHighlight(rank);
    Redraw();
}

void TfrmGraph::CopyPicture() {
    QApplication::clipboard()->setImage(FView->Picture());
}

void TfrmGraph::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopyPicture();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TfrmGraph::ShowsCurrentPlot(const TProgramData& model) const {
    const QString file = QString::fromStdString(model.PlotFileName);
    if (!FPlotLoaded)
        return file.isEmpty();
    return file == FPlotFile && FileStamp(file) == FPlotStamp;
}

void TfrmGraph::FormActivate() {
    FView->ResetPan();
    FView->SetOptions(CheckedOptions());
    Redraw();
}

void TfrmGraph::Redraw() {
    FPaintBox->update();
}

void TfrmGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutControls();
    if (FPlotLoaded)
        FView->Fit();
    Redraw();
}

void TfrmGraph::OptionClick(int index) {
    FView->SetOptions(CheckedOptions());
    if (OptionBoxes[index].Field == &TDisplayOptions::Scale)
        FView->Fit();
    Redraw();
}

void TfrmGraph::ZoomInClick() {
    FView->ZoomCentre(TPlotView::ZoomInFactor);
    Redraw();
}

void TfrmGraph::ZoomOutClick() {
    FView->ZoomCentre(TPlotView::ZoomOutFactor);
    Redraw();
}

void TfrmGraph::ZoomAllClick() {
    FView->Fit();
    Redraw();
}

void TfrmGraph::PanLeft(int step) {
    FView->Pan(-step, 0);
    Redraw();
}

void TfrmGraph::PanRight(int step) {
    FView->Pan(step, 0);
    Redraw();
}

void TfrmGraph::PanUp(int step) {
    FView->Pan(0, -step);
    Redraw();
}

void TfrmGraph::PanDown(int step) {
    FView->Pan(0, step);
    Redraw();
}

void TfrmGraph::PaintBoxMouseDown(Qt::MouseButton button, QPoint pos) {
    if (FView->DragMode() != TPlotView::NoDrag)
        return; // a second button during a drag changes nothing
    FDragButton = button;
    FView->BeginDrag(button == Qt::LeftButton ? TPlotView::PanDrag : TPlotView::ZoomDrag, pos);
    if (FView->HasScale())
        setWindowTitle(ReadOutCaption);
}

void TfrmGraph::PaintBoxMouseMove(QPoint pos) {
    if (FView->HasScale())
        setWindowTitle(FView->DragMode() == TPlotView::NoDrag
                           ? ReadOut(FView->WorldX(pos.x()), FView->WorldY(pos.y()))
                           : ReadOutCaption);
    if (FView->DragMode() != TPlotView::NoDrag) {
        FView->DragTo(pos);
        Redraw();
    }
}

void TfrmGraph::PaintBoxMouseUp(Qt::MouseButton button, QPoint pos) {
    if (FView->DragMode() == TPlotView::NoDrag || button != FDragButton)
        return;
    FView->EndDrag(pos);
    FDragButton = Qt::NoButton;
    Redraw();
}

void TfrmGraph::PaintBoxWheel(int angleDelta, QPoint pos) {
    if (FView->DragMode() != TPlotView::NoDrag)
        return;
    // One notch is 120; finer wheels and touch pads add up to notches.
    FWheelRemainder += angleDelta;
    bool changed = false;
    while (FWheelRemainder >= 120) {
        FView->ZoomAbout(TPlotView::ZoomInFactor, pos);
        FWheelRemainder -= 120;
        changed = true;
    }
    while (FWheelRemainder <= -120) {
        FView->ZoomAbout(TPlotView::ZoomOutFactor, pos);
        FWheelRemainder += 120;
        changed = true;
    }
    if (changed) {
        if (FView->HasScale())
            setWindowTitle(ReadOut(FView->WorldX(pos.x()), FView->WorldY(pos.y())));
        Redraw();
    }
}

void TfrmGraph::PaintBoxLeave() {
    if (FView->DragMode() == TPlotView::NoDrag)
        setWindowTitle(Caption);
}

QPrinter& TfrmGraph::Printer() {
    if (!FPrinter) {
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        FPrinter->setDocName(QStringLiteral("Brevanto Graph"));
        FPrinter->setPageOrientation(QPageLayout::Landscape);
    }
    return *FPrinter;
}

void TfrmGraph::PrintClick() {
    if (!FPlotLoaded) {
        MsgInformation(this, QStringLiteral("No data available for printing"));
        return;
    }
    QPrinter& printer = Printer();
    printer.setDocName(QStringLiteral("Brevanto Graph"));
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print Graph"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    PrintTo(printer);
}

bool TfrmGraph::PrintTo(QPrinter& printer) {
    // The page is laid out for landscape paper, whatever the dialog was left at.
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) {
        MsgError(this, QStringLiteral("The printer could not be started; nothing was printed."));
        return false;
    }
    PrintPlot(painter, QRect(0, 0, printer.width(), printer.height()), PageSettings(), *FStore, FTransform);
    painter.end();
    // The screen view is back as it was; the buffer still shows it.
    return true;
}

void TfrmGraph::ExportClick() {
    if (!FPlotLoaded) {
        MsgInformation(this, QStringLiteral("No data available for export"));
        return;
    }
    const QStringList filters = {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG drawing (*.svg)"),
                                 QStringLiteral("PDF page (*.pdf)")};
    const QStringList suffixes = {QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf")};
    const QFileInfo plot(FPlotFile);
    QFileDialog dialog(this, QStringLiteral("Export Graph"), plot.absolutePath());
    dialog.setObjectName(QStringLiteral("ExportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffixes[0]);
    dialog.selectFile(plot.completeBaseName() + QStringLiteral(".png"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters, suffixes](const QString& f) {
        const qsizetype i = filters.indexOf(f);
        if (i >= 0)
            dialog.setDefaultSuffix(suffixes[i]);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString file = dialog.selectedFiles().constFirst();
    if (!ExportFormatFor(file)) {
        // A name with another extension gets the one of the chosen type.
        const qsizetype i = filters.indexOf(dialog.selectedNameFilter());
        file += QLatin1Char('.') + suffixes[i >= 0 ? i : 0];
    }
    ExportTo(file);
}

TDrawSettings TfrmGraph::PageSettings() const {
    TDrawSettings s = FView->Settings();
    s.Title = FTitle.toStdString();
    s.Source = QFileInfo(FPlotFile).fileName().toStdString();
    return s;
}

int TfrmGraph::ExportScale() const {
    return FExportSize->currentData().toInt();
}

bool TfrmGraph::ExportTo(const QString& fileName, int scale) {
    const std::optional<TExportFormat> format = ExportFormatFor(fileName);
    if (!format || !ExportPlot(fileName, *format, FView->Size(), PageSettings(), *FStore, FTransform,
                               scale > 0 ? scale : ExportScale())) {
        MsgError(this, QStringLiteral("The picture could not be saved as \"%1\".").arg(fileName));
        return false;
    }
    return true;
}

void TfrmGraph::Button1Click() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void TfrmGraph::closeEvent(QCloseEvent* event) {
    FClosed = true;
    QWidget::closeEvent(event);
}

TfrmGraph* TfrmGraph::Find(QMdiArea* area) {
    if (!area)
        return nullptr;
    for (QMdiSubWindow* sub : area->subWindowList())
        if (auto* graph = qobject_cast<TfrmGraph*>(sub->widget()); graph && !graph->FClosed)
            return graph;
    return nullptr;
}

TfrmGraph* TfrmGraph::ShowGraph(QMdiArea* area, TProgramData& model) {
    if (!area)
        return nullptr;
    const std::string twin = PlotFileNameFor(model.FileName);
    if (QFileInfo::exists(QString::fromStdString(twin)))
        model.PlotFileName = twin;
    TfrmGraph* graph = Find(area);
    if (graph && !graph->ShowsCurrentPlot(model)) {
        // Results of an earlier run must not pass for the new ones.
        if (auto* old = qobject_cast<QMdiSubWindow*>(graph->parentWidget()))
            old->close();
        else
            graph->close();
        graph = nullptr;
    }
    QMdiSubWindow* sub = nullptr;
    if (graph) {
        sub = qobject_cast<QMdiSubWindow*>(graph->parentWidget());
    } else {
        // Messages of the read appear over the main window, before the graph window opens.
        graph = new TfrmGraph(model, area);
        sub = area->addSubWindow(graph);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->resize(812, 631);
        connect(area, &QMdiArea::subWindowActivated, graph, [graph, sub](QMdiSubWindow* active) {
            if (active == sub)
                graph->FormActivate();
        });
    }
    if (sub) {
        if (sub->isMinimized())
            sub->showNormal();
        sub->show();
        area->setActiveSubWindow(sub);
    }
    return graph;
}
