// The graph window driven as a user would, offscreen: opened through the View ▸ Graphics function of
// a stand-in main window, its option boxes, zoom and pan buttons, mouse drags and wheel, the caption
// read-out, activation, resizing, printing to a PDF file through the print dialog, and export.
#include "Pixels.h"
#include "model/SlopeModel.h"
#include "support/MessageRecorder.h"
#include "widgets/GraphWindow.h"
#include "widgets/MsgBox.h"
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {
QString Data(const char* name) {
    return QStringLiteral(TEST_DATA_DIR "/plot/") + name;
}

// Copies a model and a plot file into `dir` as "model.qvxd" and its twin "model.qvxp".
QString Stage(const QTemporaryDir& dir, const char* model, const char* plot) {
    const QString target = dir.filePath(QStringLiteral("model.qvxd"));
    QFile::remove(target);
    QFile::remove(dir.filePath(QStringLiteral("model.qvxp")));
    QFile::copy(Data(model), target);
    if (plot)
        QFile::copy(Data(plot), dir.filePath(QStringLiteral("model.qvxp")));
    return target;
}

// The number of pages of a PDF file and whether the first is wider than high.
struct TPdfPages {
    int Pages = 0;
    bool Landscape = false;
};
TPdfPages PdfPages(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pdf = f.readAll();
    TPdfPages r;
    r.Pages = static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                               pdf.count("/Type /Page/") + pdf.count("/Type /Page>"));
    const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
    const QRegularExpressionMatch m = box.match(QString::fromLatin1(pdf));
    r.Landscape = m.hasMatch() && m.captured(1).toDouble() > m.captured(2).toDouble();
    return r;
}

// Runs `action` on the modal dialog of type D once it is up.
template <class D> void WhenModal(std::function<void(D*)> action) {
    QTimer::singleShot(0, [action] {
        for (int i = 0; i < 100; ++i) {
            if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
                action(d);
                return;
            }
            QTest::qWait(20);
        }
        QFAIL("no dialog came up");
    });
}
} // namespace

class TestGraph : public QObject {
    Q_OBJECT
    std::unique_ptr<QMainWindow> Main;
    QMdiArea* Area = nullptr;
    std::unique_ptr<TStandaloneModelHost> Host;
    std::unique_ptr<TProgramData> Model; // after the host: it refers to it
    std::unique_ptr<TMessageRecorder> Boxes;
    QTemporaryDir Dir;

    TfrmGraph* Open(const char* model, const char* plot) {
        Model = TProgramData::CreateFromFile(Stage(Dir, model, plot).toStdString(), true, *Host);
        return TfrmGraph::ShowGraph(Area, *Model);
    }
    // The view and the plot of the open graph window (each window has its own).
    TViewTransform& V() const { return TfrmGraph::Find(Area)->PlotView().View(); }
    const TPlotStore& Plot() const { return TfrmGraph::Find(Area)->PlotView().Store(); }
    static QCheckBox* Box(TfrmGraph* g, const char* name) { return g->findChild<QCheckBox*>(name); }
    // A check box reacts to clicks on its indicator and caption only, not on the rest of its row.
    static void Tick(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
    }
    static QPushButton* Button(TfrmGraph* g, const char* name) { return g->findChild<QPushButton*>(name); }
    static QMdiSubWindow* Sub(TfrmGraph* g) { return qobject_cast<QMdiSubWindow*>(g->parentWidget()); }

  private slots:
    void init() {
        Main = std::make_unique<QMainWindow>();
        Boxes = std::make_unique<TMessageRecorder>(Main.get());
        Host = std::make_unique<TStandaloneModelHost>(TCoreContext{nullptr, CoreMessageBoxes(Main.get())});
        Area = new QMdiArea;
        Main->setCentralWidget(Area);
        Main->resize(1400, 900);
        Main->show();
        QVERIFY(QTest::qWaitForWindowExposed(Main.get()));
    }
    void cleanup() {
        Main.reset();
        Model.reset();
        Host.reset();
        Boxes.reset();
    }

    // View ▸ Graphics: one window, found again while open; a new one reads the file again after a run.
    void oneWindowReadAnewAfterARun() {
        TfrmGraph* g = Open("nocrit.qvxd", "nocrit.qvxp");
        QVERIFY(g);
        QCOMPARE(Boxes->Count(), 0);
        QCOMPARE(QString::fromStdString(Model->PlotFileName), Dir.filePath("model.qvxp"));
        QVERIFY(g->PlotLoaded());
        QCOMPARE(TfrmGraph::Find(Area), g);
        QCOMPARE(Area->activeSubWindow(), Sub(g));
        QCOMPARE(g->windowTitle(), QStringLiteral("Brevanto Graphics"));
        QCOMPARE(Sub(g)->windowTitle(), QStringLiteral("Brevanto Graphics"));
        QCOMPARE(Sub(g)->size(), QSize(812, 631));
        QCOMPARE(g->PaintBox()->cursor().shape(), Qt::CrossCursor);
        QCOMPARE(Plot().SlotCounter, 4);
        QCOMPARE(TfrmGraph::ShowGraph(Area, *Model), g);
        QCOMPARE(Area->subWindowList().size(), 1);

        // The next run writes another plot file: the window is created anew and shows it.
        QFile::remove(Dir.filePath("model.qvxp"));
        QFile::copy(Data("full.qvxp"), Dir.filePath("model.qvxp"));
        TfrmGraph* again = TfrmGraph::ShowGraph(Area, *Model);
        QVERIFY(again && again != g);
        QCOMPARE(TfrmGraph::Find(Area), again);
        QCOMPARE(Plot().SlotCounter, 37);
        QVERIFY(Box(again, "TieBacksCheckBox")->isEnabled());
        QTRY_COMPARE(Area->subWindowList().size(), 1);
        // Closed with "Close"; the next command opens a new window.
        QTest::mouseClick(Button(again, "Button1"), Qt::LeftButton);
        QVERIFY(!TfrmGraph::Find(Area));
        QTRY_COMPARE(Area->subWindowList().size(), 0);
        again = TfrmGraph::ShowGraph(Area, *Model);
        QVERIFY(again && TfrmGraph::Find(Area) == again);
        QCOMPARE(TfrmGraph::ShowGraph(Area, *Model), again);

        // After "Save As" the run's plot file is still the one shown.
        QTest::mouseClick(Button(again, "Button1"), Qt::LeftButton);
        Model->FileName = Dir.filePath("renamed.qvxd").toStdString();
        again = TfrmGraph::ShowGraph(Area, *Model);
        QCOMPARE(Boxes->Count(), 0);
        QCOMPARE(Plot().SlotCounter, 37);
    }

    // Two models in two main windows: each graph window reads, zooms and closes on its own plot.
    void twoWindowsShareNothing() {
        TfrmGraph* first = Open("nocrit.qvxd", "nocrit.qvxp");
        QVERIFY(first);
        QTemporaryDir otherDir;
        QMainWindow otherMain;
        TMessageRecorder otherBoxes(&otherMain);
        TStandaloneModelHost otherHost(TCoreContext{nullptr, CoreMessageBoxes(&otherMain)});
        std::unique_ptr<TProgramData> otherModel = TProgramData::CreateFromFile(
            Stage(otherDir, "nocrit.qvxd", "full.qvxp").toStdString(), true, otherHost);
        auto* otherArea = new QMdiArea;
        otherMain.setCentralWidget(otherArea);
        otherMain.resize(1000, 800);
        otherMain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&otherMain));
        TfrmGraph* second = TfrmGraph::ShowGraph(otherArea, *otherModel);
        QVERIFY(second && second != first);
        QCOMPARE(Boxes->Count(), 0);
        QCOMPARE(otherBoxes.Count(), 0);
        QCOMPARE(first->PlotView().Store().SlotCounter, 4);
        QCOMPARE(second->PlotView().Store().SlotCounter, 37);

        const double firstScale = first->PlotView().View().ScaleX;
        const double secondScale = second->PlotView().View().ScaleX;
        QTest::mouseClick(Button(second, "ZoomInButton"), Qt::LeftButton);
        QCOMPARE(second->PlotView().View().ScaleX, secondScale * 1.25);
        QCOMPARE(first->PlotView().View().ScaleX, firstScale);

        QTest::mouseClick(Button(second, "Button1"), Qt::LeftButton);
        QTRY_COMPARE(otherArea->subWindowList().size(), 0);
        QCOMPARE(first->PlotView().Store().SlotCounter, 4);
        QCOMPARE(first->PlotView().View().ScaleX, firstScale);
    }

    // Each box is enabled by exactly the records present; Boundary Lines starts ticked; captions, hints.
    void optionsEnabledByTheRecordsPresent() {
        TfrmGraph* g = Open("nocrit.qvxd", "nocrit.qvxp"); // BND, LMT, SRF
        const QStringList enabled = {
            "ProfileLinesCheckBox",    "LimitsCheckBox", "ProfileNumbersCheckBox", "ProfileCoordsCheckBox",
            "ColorSoilLayersCheckBox", "ScaleCheckBox",  "SolnInfoCheckBox",       "AllTrialsCheckBox"};
        QStringList captions;
        for (int i = 0; i < TfrmGraph::OptionCount; ++i) {
            QCheckBox* box = g->OptionBox(i);
            captions << box->text();
            QCOMPARE(box->isEnabled(), enabled.contains(box->objectName()));
            QCOMPARE(box->isChecked(), i == 0);
            QVERIFY(box->isVisible());
        }
        QCOMPARE(captions, QStringList({"Boundary Lines", "Search Limits", "Soil Layer Numbers",
                                        "Boundary Coords", "Color Soil Layers", "Tie Backs",
                                        "Piezometric Line", "Surface Pressures", "Reinf. Lines", "Scale",
                                        "Solution Information", "10 Slip Surfaces", "Critical Slip Surface",
                                        "All Trial Surfaces", "Total Stresses", "Pore Water Pressures"}));
        QCOMPARE(Box(g, "ReinfLineCheckBox")->toolTip(),
                 QStringLiteral("Display sloope reinforcement lines"));
        QCOMPARE(Box(g, "ScaleCheckBox")->toolTip(), QString());
        for (const char* hidden : {"SliceBoundariesCheckBox", "TensionZonesCheckBox"}) {
            QVERIFY(Box(g, hidden));
            QVERIFY(!Box(g, hidden)->isVisible() && !Box(g, hidden)->isEnabled());
        }
        for (const char* head : {"Input Data:", "Computed Values:", "Move View"}) {
            bool found = false;
            for (QLabel* l : g->findChildren<QLabel*>())
                found = found || l->text() == QLatin1String(head);
            QVERIFY2(found, head);
        }

        // Ticking a box draws its element: the trial surfaces in silver.
        const QColor silver(192, 192, 192);
        QCOMPARE(CountColor(g->PlotView().Picture(), silver), 0);
        Tick(Box(g, "AllTrialsCheckBox"));
        QVERIFY(g->PlotView().Settings().Options.AllTrialSurfaces);
        QVERIFY(CountColor(g->PlotView().Picture(), silver) > 100);

        // A file with water, pore pressures from INF: those boxes too.
        QTest::mouseClick(Button(g, "Button1"), Qt::LeftButton);
        QTemporaryDir other;
        QFile::copy(Data("nocrit.qvxd"), other.filePath("w.qvxd"));
        QFile plot(other.filePath("w.qvxp"));
        QVERIFY(plot.open(QIODevice::WriteOnly));
        plot.write(QByteArray("0\n").repeated(15) +
                   "WTR\n1\n2\n0 1\n5 1\nINF\n1\n1 1 1 1 1 0 0 0 0 0\nEND\n");
        plot.close();
        Model->FileName = other.filePath("w.qvxd").toStdString();
        g = TfrmGraph::ShowGraph(Area, *Model);
        for (int i = 0; i < TfrmGraph::OptionCount; ++i) {
            const QString name = g->OptionBox(i)->objectName();
            const bool expected = name == "PiezoLineCheckBox" || name == "PorePresCheckBox" ||
                                  name == "TotalStressCheckBox" || name == "ScaleCheckBox";
            QVERIFY2(g->OptionBox(i)->isEnabled() == expected, qPrintable(name));
        }
    }

    void zoomButtonsAndWheel() {
        TfrmGraph* g = Open("nocrit.qvxd", "nocrit.qvxp");
        TPlotView& view = g->PlotView();
        const QPoint c = view.Centre();
        QCOMPARE(c, QPoint((view.Size().width() + 1) / 2, (view.Size().height() + 1) / 2));
        const double sx = V().ScaleX, sy = V().ScaleY, wx = view.WorldX(c.x()), wy = view.WorldY(c.y());
        const int ox = V().OriginX, oy = V().OriginY;
        g->PaintBox()->repaint();
        const int redraws = view.RedrawCount();
        QTest::mouseClick(Button(g, "ZoomInButton"), Qt::LeftButton);
        QCOMPARE(V().ScaleX, sx * 1.25);
        QCOMPARE(V().ScaleY, sy * 1.25);
        QCOMPARE(view.WorldX(c.x()), wx);
        QCOMPARE(view.WorldY(c.y()), wy);
        QCOMPARE(V().OriginX, ox);
        QCOMPARE(V().OriginY, oy);
        g->PaintBox()->repaint();
        QCOMPARE(view.RedrawCount(), redraws + 1);
        QTest::mouseClick(Button(g, "ZoomOutButton"), Qt::LeftButton);
        QCOMPARE(V().ScaleX, sx);
        QCOMPARE(V().ScaleY, sy);
        QCOMPARE(view.WorldX(c.x()), wx);
        QCOMPARE(view.WorldY(c.y()), wy);

        // A repaint without a change (an expose) blits the buffer without drawing it again.
        g->PaintBox()->repaint();
        const int afterZoom = view.RedrawCount();
        g->PaintBox()->repaint();
        Sub(g)->move(Sub(g)->pos() + QPoint(5, 5));
        g->PaintBox()->repaint();
        QCOMPARE(view.RedrawCount(), afterZoom);

        // The wheel zooms in the same steps about the point under the cursor.
        const QPoint at(60, 80);
        const double ax = view.WorldX(at.x()), ay = view.WorldY(at.y());
        QWheelEvent up(QPointF(at), g->PaintBox()->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, 120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g->PaintBox(), &up);
        QCOMPARE(V().ScaleX, sx * 1.25);
        QCOMPARE(view.WorldX(at.x()), ax);
        QCOMPARE(view.WorldY(at.y()), ay);
        QWheelEvent down(QPointF(at), g->PaintBox()->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, -240),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g->PaintBox(), &down);
        QCOMPARE(V().ScaleX, sx * 1.25 * 0.8 * 0.8);
        QCOMPARE(view.WorldX(at.x()), ax);

        // "Zoom All" fits the whole slope again.
        QTest::mouseClick(Button(g, "ZoomAllButton"), Qt::LeftButton);
        QCOMPARE(V().ScaleX, sx);
        QCOMPARE(V().OriginY, oy);
    }

    // One step per press: 40 pixels with the left button, 1 with another; the picture moves with it.
    void panButtons() {
        TfrmGraph* g = Open("nocrit.qvxd", "nocrit.qvxp");
        const int ox = V().OriginX, oy = V().OriginY;
        // The step is taken when the button goes down; the release adds nothing.
        auto press = [this, g](const char* name, Qt::MouseButton button, int expected, bool x) {
            QPushButton* b = Button(g, name);
            QTest::mousePress(b, button);
            QCOMPARE(x ? V().OriginX : V().OriginY, expected);
            QTest::mouseRelease(b, button);
            QCOMPARE(x ? V().OriginX : V().OriginY, expected);
        };
        press("PanLeftButton", Qt::LeftButton, ox - 40, true);
        press("PanRightButton", Qt::RightButton, ox - 39, true);
        press("PanUpButton", Qt::LeftButton, oy - 40, false);
        press("PanDownButton", Qt::MiddleButton, oy - 39, false);
        press("PanDownButton", Qt::LeftButton, oy + 1, false);
        // The keyboard counts as the left button; a held key does not repeat.
        QPushButton* right = Button(g, "PanRightButton");
        right->setFocus();
        QTest::keyClick(right, Qt::Key_Space);
        QCOMPARE(V().OriginX, ox + 1);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QString(" "), true);
        QApplication::sendEvent(right, &repeat);
        QCOMPARE(V().OriginX, ox + 1);
        // The picture moves with the origin: the first chain point's pixel follows it.
        const TPlotPoint p = Plot().Chains[0].Line.Points[0];
        const int before = V().PixelX(p.X);
        press("PanRightButton", Qt::LeftButton, ox + 41, true);
        QCOMPARE(V().PixelX(p.X), before + 40);
    }

    // Left drag pans live; a drag with another button zooms about the centre by the vertical distance.
    void mouseDrags() {
        TfrmGraph* g = Open("nocrit.qvxd", "nocrit.qvxp");
        QWidget* box = g->PaintBox();
        TPlotView& view = g->PlotView();
        const int H = view.Size().height();
        const int ox = V().OriginX, oy = V().OriginY;
        QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(box, QPoint(130, 90));
        QCOMPARE(V().OriginX, ox + 30); // live, before the button is released
        QCOMPARE(V().OriginY, oy - 10);
        QCOMPARE(g->windowTitle(), QStringLiteral("Keldor Graphics Utility for Brevanto"));
        QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, QPoint(135, 95));
        QCOMPARE(V().OriginX, ox + 35);
        QCOMPARE(V().OriginY, oy - 5);

        const double sx = V().ScaleX, sy = V().ScaleY;
        const QPoint c = view.Centre();
        const double wx = view.WorldX(c.x()), wy = view.WorldY(c.y());
        const QPoint start(200, H - 20);
        QTest::mousePress(box, Qt::RightButton, Qt::NoModifier, start);
        QTest::mouseMove(box, start - QPoint(0, H / 4));
        QCOMPARE(V().ScaleX, sx * (1 + double(H / 4) / H));
        QTest::mouseRelease(box, Qt::RightButton, Qt::NoModifier, start - QPoint(0, H / 2));
        QCOMPARE(V().ScaleX, sx * (1 + double(H / 2) / H));
        if (H % 2 == 0)
            QCOMPARE(V().ScaleX, sx * 1.5);
        QCOMPARE(V().ScaleY, sy * V().ScaleX / sx);
        QCOMPARE(view.WorldX(c.x()), wx);
        QCOMPARE(view.WorldY(c.y()), wy);

        QTest::mouseClick(Button(g, "ZoomAllButton"), Qt::LeftButton);
        QTest::mousePress(box, Qt::RightButton, Qt::NoModifier, QPoint(200, 20));
        QTest::mouseRelease(box, Qt::RightButton, Qt::NoModifier, QPoint(200, 20 + H / 2));
        QCOMPARE(V().ScaleX, sx * (1 - double(H / 2) / (2 * H)));
        if (H % 2 == 0)
            QCOMPARE(V().ScaleX, sx * 0.75);

        // Far below the box the zoom stops at a tenth instead of turning the picture over.
        QCOMPARE(TPlotView::DragZoomFactor(0, 400), 1.0);
        QCOMPARE(TPlotView::DragZoomFactor(-200, 400), 1.5);
        QCOMPARE(TPlotView::DragZoomFactor(200, 400), 0.75);
        QCOMPARE(TPlotView::DragZoomFactor(800, 400), 0.1);
        QCOMPARE(TPlotView::DragZoomFactor(5000, 400), 0.1);
    }

    // The caption reads out the world point under the pointer with two decimals.
    void readOut() {
        TfrmGraph* g = Open("nocrit.qvxd", "nocrit.qvxp");
        V().ScaleX = 4;
        V().ScaleY = -4;
        V().XMin = 10;
        V().YMin = -5;
        V().OriginX = 20;
        V().OriginY = 420;
        QTest::mouseMove(g->PaintBox(), QPoint(71, 19));
        QCOMPARE(g->windowTitle(),
                 QStringLiteral("Keldor Graphics Utility for Brevanto,     x = 22.75, y = 95.25"));
        QCOMPARE(Sub(g)->windowTitle(), g->windowTitle());
        QTest::mouseMove(g->PaintBox(), QPoint(20, 440));
        QCOMPARE(g->windowTitle(),
                 QStringLiteral("Keldor Graphics Utility for Brevanto,     x = 10.00, y = -10.00"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(g->PaintBox(), &leave);
        QCOMPARE(g->windowTitle(), QStringLiteral("Brevanto Graphics"));
    }

    // Scale re-fits with axis margins, and without them when it is turned off again; resizing re-fits.
    void scaleOptionAndResize() {
        TfrmGraph* g = Open("full.qvxd", "full.qvxp");
        const QSize box = g->PlotView().Size();
        QCOMPARE(g->PaintBox()->geometry(), QRect(QPoint(178, 52), box));
        QCOMPARE(box, QSize(g->width() - 200, g->height() - 52 - 10));
        const int W = box.width(), H = box.height();
        // The slope spans x 0..300, y 10..100: wider than high, so it fills the plot width.
        QCOMPARE(V().PlotLeft, 1);
        QCOMPARE(V().PlotRight, W - 1);
        QCOMPARE(V().ScaleX, (W - 1 - 1 - 1) / 300.0);
        Tick(Box(g, "ScaleCheckBox"));
        const int m = std::min(3 * (W / 10) / 4, 3 * (H / 8) / 4);
        QCOMPARE(V().PlotLeft, m);
        QCOMPARE(V().PlotTop, m / 2);
        QCOMPARE(V().PlotRight, W - m / 2);
        QCOMPARE(V().PlotBottom, H - m);
        QCOMPARE(V().ScaleX, (W - m / 2 - m - 1) / 300.0);
        // Centred vertically: the middle of the slope (y = 55) sits in the middle of the plot height.
        QVERIFY(std::abs(V().PixelY(55) - (H - m) / 2.0) <= 1.0);
        const QImage withAxes = g->PlotView().Picture();
        QVERIFY(withAxes.pixel(V().PlotLeft, (V().PlotTop + V().PlotBottom) / 2) == QColor(Qt::black).rgb());
        Tick(Box(g, "ScaleCheckBox"));
        QCOMPARE(V().PlotLeft, 1);
        QCOMPARE(V().ScaleX, (W - 3) / 300.0);

        Sub(g)->resize(1000, 700);
        const QSize bigger = g->PlotView().Size();
        QCOMPARE(bigger, QSize(g->width() - 200, g->height() - 62));
        QVERIFY(bigger.width() > W);
        QCOMPARE(V().ScaleX, (bigger.width() - 3) / 300.0);
        QCOMPARE(g->PaintBox()->size(), bigger);
    }

    // Coming back to the window undoes the pan and keeps the zoom.
    void reactivationResetsPanKeepsZoom() {
        TfrmGraph* g = Open("full.qvxd", "full.qvxp");
        Tick(Box(g, "ScaleCheckBox"));
        const int ox = V().OriginX, oy = V().OriginY, left = V().PlotLeft, bottom = V().PlotBottom;
        QTest::mouseClick(Button(g, "ZoomInButton"), Qt::LeftButton);
        const double zoomed = V().ScaleX;
        QTest::mousePress(Button(g, "PanUpButton"), Qt::LeftButton);
        QTest::mousePress(Button(g, "PanLeftButton"), Qt::LeftButton);
        QCOMPARE(V().OriginX, ox - 40);
        // An option ticked while another window is active is drawn after coming back.
        Box(g, "TieBacksCheckBox")->setChecked(true);
        QMdiSubWindow* other = Area->addSubWindow(new QWidget);
        other->show();
        Area->setActiveSubWindow(other);
        QCOMPARE(V().OriginX, ox - 40);
        Area->setActiveSubWindow(Sub(g));
        QCOMPARE(V().OriginX, ox);
        QCOMPARE(V().OriginY, oy);
        QCOMPARE(V().PlotLeft, left);
        QCOMPARE(V().PlotBottom, bottom);
        QCOMPARE(V().ScaleX, zoomed);
        QVERIFY(g->PlotView().Settings().Options.TieBacks);
    }

    // No plot-file name: the message, an empty picture, Boundary Lines off, and nothing to print.
    void noPlotFileName() {
        TfrmGraph* g = Open("nocrit.qvxd", nullptr);
        QCOMPARE(Boxes->Count(), 1);
        QCOMPARE(Boxes->Messages()[0].Kind, TMsgKind::Error);
        QCOMPARE(Boxes->LastText(), QStringLiteral("No plot data file name has been defined.\n\n"
                                                   "Generate the name of the plot data file by running an "
                                                   "analysis."));
        QVERIFY(!g->PlotLoaded());
        QVERIFY(!Box(g, "ProfileLinesCheckBox")->isChecked());
        QVERIFY(!Box(g, "ProfileLinesCheckBox")->isEnabled());
        QCOMPARE(Plot().ChainCount, 0);
        const QImage empty = g->PlotView().Picture();
        QCOMPARE(CountColor(empty, Qt::white), empty.width() * empty.height());
        // Nothing to read out or zoom.
        QTest::mouseMove(g->PaintBox(), QPoint(10, 10));
        QCOMPARE(g->windowTitle(), QStringLiteral("Brevanto Graphics"));
        QTest::mouseClick(Button(g, "ZoomInButton"), Qt::LeftButton);
        QCOMPARE(V().ScaleX, 0.0);
        QTest::mouseClick(Button(g, "PrintButton"), Qt::LeftButton);
        QCOMPARE(Boxes->Count(), 2);
        QCOMPARE(Boxes->Messages()[1].Kind, TMsgKind::Information);
        QCOMPARE(Boxes->LastText(), QStringLiteral("No data available for printing"));

        // A named file that cannot be read: the reader's message, still an empty picture.
        QTest::mouseClick(Button(g, "Button1"), Qt::LeftButton);
        Model->PlotFileName = Dir.filePath("gone.qvxp").toStdString();
        g = TfrmGraph::ShowGraph(Area, *Model);
        QCOMPARE(Boxes->Count(), 3);
        QVERIFY(Boxes->LastText().contains("gone.qvxp"));
        QCOMPARE(Plot().ChainCount, 0);
    }

    // "Print" through the print dialog to "Print to File (PDF)": one landscape page; the view stays.
    void printsOneLandscapePage() {
        TfrmGraph* g = Open("full.qvxd", "full.qvxp");
        QTest::mouseClick(Button(g, "ZoomInButton"), Qt::LeftButton);
        const TViewTransform screen = V();
        const QString pdf = Dir.filePath("printed.pdf");
        QPrinter& printer = g->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageOrientation(QPageLayout::Portrait); // the page is landscape anyway
        bool dialogSeen = false;
        WhenModal<QPrintDialog>([&dialogSeen](QPrintDialog* d) {
            dialogSeen = true;
            d->accept();
        });
        QTest::mouseClick(Button(g, "PrintButton"), Qt::LeftButton);
        QVERIFY(dialogSeen);
        QCOMPARE(printer.docName(), QStringLiteral("Brevanto Graph"));
        const TPdfPages pages = PdfPages(pdf);
        QCOMPARE(pages.Pages, 1);
        QVERIFY(pages.Landscape);
        QCOMPARE(V().ScaleX, screen.ScaleX);
        QCOMPARE(V().PlotRight, screen.PlotRight);
        QCOMPARE(V().LineFactor, 1);
        QCOMPARE(Boxes->Count(), 0);

        // Cancelled: nothing printed.
        const QString second = Dir.filePath("second.pdf");
        printer.setOutputFileName(second);
        WhenModal<QPrintDialog>([](QPrintDialog* d) { d->reject(); });
        QTest::mouseClick(Button(g, "PrintButton"), Qt::LeftButton);
        QVERIFY(!QFile::exists(second));
    }

    // "Export..." saves the current view as PNG, SVG or PDF.
    void exportsThreeFormats() {
        TfrmGraph* g = Open("full.qvxd", "full.qvxp");
        Tick(Box(g, "CriticalSlipCheckBox"));
        QTest::mouseClick(Button(g, "ZoomInButton"), Qt::LeftButton);
        const QImage shown = g->PlotView().Picture();

        const QString png = Dir.filePath("view.png");
        QVERIFY(g->ExportTo(png, 1));
        const QImage saved(png);
        QCOMPARE(saved.size(), shown.size());
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), shown);
        // By default three times the window's pixels, the same picture.
        QVERIFY(g->ExportTo(png));
        const QImage large(png);
        QCOMPARE(large.size(), shown.size() * 3);
        const QImage back = large.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int close = 0;
        for (int y = 0; y < shown.height(); y += 7)
            for (int x = 0; x < shown.width(); x += 7)
                close += qAbs(qGray(back.pixel(x, y)) - qGray(shown.pixel(x, y))) < 60;
        QVERIFY(close > 0.8 * (shown.width() / 7) * (shown.height() / 7));

        const QString svg = Dir.filePath("view.svg");
        QVERIFY(g->ExportTo(svg, 1));
        QFile svgFile(svg);
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        const QByteArray svgText = svgFile.readAll();
        QVERIFY(svgText.contains(
            QStringLiteral("viewBox=\"0 0 %1 %2\"").arg(shown.width()).arg(shown.height()).toLatin1()));
        QVERIFY(svgText.contains("Factor of Safety"));

        const QString pdf = Dir.filePath("view.pdf");
        QVERIFY(g->ExportTo(pdf));
        const TPdfPages pages = PdfPages(pdf);
        QCOMPARE(pages.Pages, 1);
        QVERIFY(pages.Landscape);
        QCOMPARE(Boxes->Count(), 0);

        QVERIFY(!g->ExportTo(Dir.filePath("no/such/folder/x.png")));
        QCOMPARE(Boxes->Count(), 1);
        QVERIFY(Boxes->LastText().contains("no/such/folder/x.png"));

        // Through the button and its file dialog: the chosen type's extension is added.
        WhenModal<QFileDialog>([this](QFileDialog* d) {
            d->selectNameFilter(QStringLiteral("SVG drawing (*.svg)"));
            emit d->filterSelected(QStringLiteral("SVG drawing (*.svg)"));
            d->selectFile(Dir.filePath("chosen"));
            static_cast<QDialog*>(d)->accept();
        });
        QTest::mouseClick(Button(g, "ExportButton"), Qt::LeftButton);
        QVERIFY(QFile::exists(Dir.filePath("chosen.svg")));
    }

    // Beyond the sixteen options: trial surfaces coloured by their factor with a legend, one of the
    // ten drawn out, Ctrl+C, and the printed page with its title block and the factor printed once.
    void colouredSurfacesCopyAndPage() {
        TfrmGraph* g = Open("full.qvxd", "full.qvxp");
        QVERIFY(g->ColourBox()->isEnabled());
        QVERIFY(!g->ColourBox()->isChecked());
        Tick(Box(g, "AllTrialsCheckBox"));
        const auto count = [](const QImage& image, auto test) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += test(QColor(image.pixel(x, y)));
            return n;
        };
        // The lowest factor in red, the highest (twice the lowest or more) in blue.
        const auto red = [](const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
        const int before = count(g->PlotView().Picture(), red);
        Tick(g->ColourBox());
        const QImage coloured = g->PlotView().Picture().copy();
        QVERIFY2(count(coloured, red) > before + 20,
                 qPrintable(QString("%1 %2").arg(before).arg(count(coloured, red))));

        const auto orange = [](const QColor& c) {
            return c.red() == 255 && c.green() == 140 && c.blue() == 0;
        };
        QCOMPARE(count(coloured, orange), 0);
        g->HighlightSurface(2);
        QVERIFY(count(g->PlotView().Picture(), orange) > 30);

        QApplication::clipboard()->clear();
        QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 g->PlotView().Picture().convertToFormat(QImage::Format_RGB32));

        Tick(Box(g, "CriticalSlipCheckBox"));
        Tick(Box(g, "SolnInfoCheckBox"));
        const QString pdf = Dir.filePath("page.pdf");
        QPrinter& printer = g->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(1200);
        QVERIFY(g->PrintTo(printer));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString t = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(t.contains("Example slope for the plot pictures"), qPrintable(t));
        QVERIFY(t.contains("model.qvxp"));
        QCOMPARE(t.count("Factor of Safety"), 1);
        QVERIFY(!t.contains(". = "));
    }

    // Not a check: with BREVANTO_SCREENSHOT_DIR set (under a real display server) it saves pictures of
    // the window for the documentation, to be looked at.
    void screenshots() {
        const QString dir = qEnvironmentVariable("BREVANTO_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("BREVANTO_SCREENSHOT_DIR is not set");
        TfrmGraph* g = Open("full.qvxd", "full.qvxp");
        QMdiSubWindow* sub = Sub(g);
        sub->move(0, 0);
        sub->resize(1000, 700);
        auto save = [&](const char* name) {
            QApplication::processEvents();
            QVERIFY(sub->grab().save(dir + QLatin1Char('/') + QLatin1String(name)));
        };
        QTest::mouseMove(g->PaintBox(), QPoint(400, 300));
        save("graph-window.png");
        for (int i = 0; i < TfrmGraph::OptionCount; ++i)
            if (!g->OptionBox(i)->isChecked())
                Tick(g->OptionBox(i));
        QTest::mouseMove(g->PaintBox(), QPoint(420, 200));
        save("graph-window-all-options.png");
        for (const char* name : {"ProfileCoordsCheckBox", "ProfileNumbersCheckBox", "TotalStressCheckBox"})
            Tick(Box(g, name));
        const QPoint toe(V().PixelX(110), V().PixelY(55));
        for (int i = 0; i < 3; ++i) {
            QWheelEvent up(QPointF(toe), g->PaintBox()->mapToGlobal(QPointF(toe)), QPoint(), QPoint(0, 120),
                           Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(g->PaintBox(), &up);
        }
        QTest::mouseMove(g->PaintBox(), toe);
        save("graph-window-zoomed.png");
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestGraph test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_graph.moc"
