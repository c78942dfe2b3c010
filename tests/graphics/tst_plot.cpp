// Plot-file reader and plot renderer: records, capacities, messages, layer chains, fitting, tick
// steps and pixels of rendered pictures.
#include "Pixels.h"
#include "graphics/PlotFile.h"
#include "graphics/PlotRenderer.h"
#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "tables/TableChart.h"
#include "text/Messages.h"
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

// Collects, while it lives, the messages of the reads that are given LogSink().
class TMessageLog {
  public:
    TMessageLog() : Previous(Current) { Current = this; }
    ~TMessageLog() { Current = Previous; }
    TMessageLog(const TMessageLog&) = delete;
    TMessageLog& operator=(const TMessageLog&) = delete;
    std::vector<std::string> Messages;
    static inline TMessageLog* Current = nullptr;

  private:
    TMessageLog* Previous;
};

TMessageHandler LogSink() {
    return [](TMessageKind, const std::string& text) {
        if (TMessageLog::Current)
            TMessageLog::Current->Messages.push_back(text);
    };
}

const TBoundaryLines FullBoundary = {
    {0, 50, 100, 50, 1}, {100, 50, 200, 100, 1}, {200, 100, 300, 100, 1},
    {0, 30, 300, 30, 2}, {0, 10, 300, 10, 3},
};

const TBoundaryLines NocritBoundary = {{0, 40, 60, 40, 1}, {60, 40, 140, 80, 1}, {0, 0, 140, 0, 2}};

std::string DataFile(const char* name) {
    return std::string(TEST_DATA_DIR) + "/plot/" + name;
}

std::string Header(double scale = 1) {
    std::string s;
    for (int i = 1; i <= 15; ++i)
        s += (i == 11 ? std::to_string(scale) : std::string("0")) + "\n";
    return s;
}

void Read(TPlotStore& store, const std::string& text, const TBoundaryLines& boundary = {}) {
    ReadPlotText(text.data(), text.size(), boundary, store, LogSink());
}

std::string Srf(int points, double fs, double x0 = 0) {
    std::string s = "SRF\n" + std::to_string(points) + " " + std::to_string(fs) + "\n";
    for (int k = 0; k < points; ++k)
        s += std::to_string(x0 + k) + " " + std::to_string(k % 7) + "\n";
    return s;
}

QImage Render(const TDrawSettings& settings, const TPlotStore& store, TViewTransform& view,
              QSize size = {1200, 800}) {
    QImage image(size, QImage::Format_RGB32);
    FitView(QRect(QPoint(0, 0), size), settings.Options.Scale, store, view);
    QPainter p(&image);
    DrawPlot(p, Qt::white, QRect(QPoint(0, 0), size), settings, store, view);
    return image;
}

QRgb At(const QImage& img, const TViewTransform& v, double x, double y) {
    return img.pixel(v.PixelX(x), v.PixelY(y));
}

} // namespace

class TestPlot : public QObject {
    Q_OBJECT
    std::unique_ptr<TPlotStore> Store;
    TViewTransform View;

  private slots:
    void init() {
        Store = std::make_unique<TPlotStore>();
        View = TViewTransform();
    }

    void readsEveryRecordOfTheFullExample() {
        TMessageLog log;
        TPlotStore& s = *Store;
        ReadPlotFile(DataFile("full.qvxp"), FullBoundary, s, LogSink());
        QVERIFY2(log.Messages.empty(), log.Messages.empty() ? "" : log.Messages[0].c_str());
        QCOMPARE(s.ScaleFactor, 1.0);
        QCOMPARE(s.BoundaryPointCount, 8);
        QCOMPARE(s.GroundPointCount, 3);
        QCOMPARE(s.BoundaryPoints[0].Y, 50.0);
        QCOMPARE(s.BoundaryPoints[7].Y, 10.0);
        QCOMPARE(s.BoundaryRecordCount, 5);
        QCOMPARE(s.WaterSurfaceCount, 2);
        QCOMPARE(s.WaterSurfaces[0].Count, 4);
        QCOMPARE(s.DisplayWaterCount, 2);
        QCOMPARE(s.DisplayWater[1].Points[1].Y, 24.0);
        QCOMPARE(s.PressureZoneCount, 2);
        QCOMPARE(s.PressureZones[1][2].X, 290.0);
        QCOMPARE(s.LimitSegmentCount, 3);
        QCOMPARE(s.LimitSegments[2][1].Y, 22.0);
        QCOMPARE(s.TiebackCount, 1);
        QCOMPARE(s.Tiebacks[0][2].X, 85.0);
        QCOMPARE(s.ReinfLineCount, 2);
        QCOMPARE(s.ReinfLines[1].Count, 3);
        QCOMPARE(s.BlockCount, 1);
        QCOMPARE(s.SlotCounter, 37);
        QCOMPARE(s.TrialSurfaceCount(), 36);
        QCOMPARE(s.TrialSurfaces[2].Count, 20);
        QVERIFY(s.HasTen);
        QCOMPARE(s.TenSurfaces[9].Count, 20);
        QCOMPARE(s.Critical.FS, 1.25);
        QCOMPARE(s.Critical.X, 125.0);
        QCOMPARE(s.Critical.Y, 170.0);
        QCOMPARE(s.Critical.R, 150.0);
        QCOMPARE(s.CurrentFS, 1.25); // TEN comes after the SRF records
        QCOMPARE(s.SliceCount, 12);
        QCOMPARE(s.Slices[0].R[2], 1.0);
        // Soil 1 runs over rows 1-3; soils 2 and 3 are single lines.
        QCOMPARE(s.ChainCount, 3);
        QCOMPARE(s.Chains[0].Soil, 1);
        QCOMPARE(s.Chains[0].Line.Count, 4);
        QCOMPARE(s.Chains[0].Line.Points[3].X, 300.0);
        QCOMPARE(s.Chains[2].Soil, 3);
        const TDisplayOptions& e = s.Enabled;
        QVERIFY(e.BoundaryLines && e.SearchLimits && e.SoilLayerNumbers && e.BoundaryCoords &&
                e.ColorSoilLayers && e.TieBacks && e.PiezometricLine && e.SurfacePressures && e.ReinfLines &&
                e.Scale && e.SolutionInformation && e.TenSlipSurfaces && e.CriticalSlipSurface &&
                e.AllTrialSurfaces && e.TotalStresses && e.PoreWaterPressures);
    }

    // The graph window's form: the current model names the file and holds the boundary table.
    void readsThePlotFileOfTheCurrentModel() {
        TMessageLog log;
        TStandaloneModelHost host(TCoreContext{nullptr, LogSink()});
        std::unique_ptr<TProgramData> model = TProgramData::CreateFromFile(DataFile("full.qvxd"), true, host);
        QVERIFY(log.Messages.empty());
        const TBoundaryLines snapshot = BoundarySnapshot(host.Tables().BoundCood());
        QCOMPARE(snapshot.size(), FullBoundary.size());
        QCOMPARE(snapshot[1].RightY, 100.0);
        QCOMPARE(snapshot[4].Soil, 3);
        TPlotStore& s = *Store;
        QVERIFY(ReadPlotFile(*model, s));
        QCOMPARE(s.ChainCount, 3);
        QCOMPARE(s.Chains[0].Line.Count, 4);
        QCOMPARE(s.SlotCounter, 37);
        QVERIFY(!model->HasIrregularSearch && !model->HasBlockSearch);

        model = TProgramData::CreateFromFile(DataFile("nocrit.qvxd"), true, host);
        QVERIFY(model->HasIrregularSearch);
        QVERIFY(ReadPlotFile(*model, s));
        QCOMPARE(s.ChainCount, 2);
        QCOMPARE(s.LimitSegmentCount, 30);
        QVERIFY(log.Messages.empty());
        model.reset();
    }

    void slotsCriticalValuesAndScaling() {
        TMessageLog log;
        TPlotStore& s = *Store;
        // Two trial surfaces, no TEN: slots 2 and 3, FS of the second, critical values zero.
        Read(s, Header() + Srf(3, 1.7) + Srf(2, 1.4) + "END\n");
        QCOMPARE(s.SlotCounter, 3);
        QCOMPARE(s.TrialSurfaces[2].Count, 3);
        QCOMPARE(s.TrialSurfaces[3].Count, 2);
        QCOMPARE(s.CurrentFS, 1.4);
        QVERIFY(!s.HasTen);
        QCOMPARE(s.Critical.X, 0.0);
        QCOMPARE(s.Critical.R, 0.0);
        QVERIFY(s.Enabled.AllTrialSurfaces && s.Enabled.SolutionInformation &&
                !s.Enabled.CriticalSlipSurface);

        // TEN surface 1 with X = Y = 0: X is the mean of the end x, Y the sum of the end y; the raw values
        // stay the circle's centre. Coordinates are scaled, FS/X/Y/R are not.
        std::string ten = "TEN\n";
        for (int t = 0; t < 10; ++t) {
            ten += "2\n";
            ten += t == 0 ? "1.111 0 0 33\n" : "2 5 6 7\n";
            ten += "10 4\n30 6\n";
        }
        Read(s, Header(2) + ten + "END\n");
        QVERIFY(log.Messages.empty());
        QCOMPARE(s.Critical.FS, 1.111);
        QCOMPARE(s.CurrentFS, 1.111);
        QCOMPARE(s.Critical.X, 40.0); // (20 + 60) / 2 after scaling by 2
        QCOMPARE(s.Critical.Y, 20.0); // 8 + 12
        QCOMPARE(s.Critical.R, 33.0);
        QCOMPARE(s.Critical.CentreX, 0.0);
        QCOMPARE(s.TenSurfaces[9].Points[1].X, 60.0);

        // NPL changes the scale for later records only; BND and INF are never scaled.
        std::string npl = "NPL\n";
        for (int i = 1; i <= 15; ++i)
            npl += (i == 11 ? "3" : "0") + std::string("\n");
        Read(s, Header(2) + "TIE\n1\n1 1\n2 2\n3 3\n" + npl + "LMT\n1\n1 1\n2 2\nBND\n5 6 1 1\n7 8\nEND\n");
        QCOMPARE(s.Tiebacks[0][2].X, 6.0);
        QCOMPARE(s.LimitSegments[0][1].Y, 6.0);
        QCOMPARE(s.ScaleFactor, 3.0);
        QCOMPARE(s.BoundaryPoints[1].X, 7.0);

        // Values may run on to the next line, comments may follow them, unknown words and text after
        // END are ignored.
        Read(s, Header() + "XYZ\nTIE comment\n1\n1\n1 comment\n2 2 comment\n3\n3 here\nEND\nTIE\n2\n");
        QCOMPARE(s.TiebackCount, 1);
        QCOMPARE(s.Tiebacks[0][1].Y, 2.0);
        QCOMPARE(s.Tiebacks[0][2].Y, 3.0);
        QVERIFY(log.Messages.empty());
    }

    void emptyFilesAndEndFirst() {
        TMessageLog log;
        TPlotStore& s = *Store;
        ReadPlotFile(DataFile("empty.qvxp"), FullBoundary, s, LogSink());
        QCOMPARE(log.Messages.size(), size_t(1));
        QCOMPARE(log.Messages[0], std::string("Graphics file does not contain any data.\n\n"
                                              "Check your output file for an error message"));
        QCOMPARE(s.SlotCounter, 1);
        QCOMPARE(s.ChainCount, 0);
        QVERIFY(!s.Enabled.BoundaryLines && !s.Enabled.AllTrialSurfaces);

        log.Messages.clear();
        Read(s, "");
        QVERIFY(log.Messages.empty());
        QCOMPARE(s.SlotCounter, 1);

        const std::string missing = QDir::tempPath().toStdString() + "/no-such-dir-brevanto/x.qvxp";
        ReadPlotFile(missing, {}, s, LogSink());
        QCOMPARE(log.Messages.size(), size_t(1));
        QVERIFY(log.Messages[0].find(missing) != std::string::npos);
        QVERIFY(log.Messages[0].find("No such file or directory") != std::string::npos);

        // A directory opens but cannot be read.
        log.Messages.clear();
        QTemporaryDir dir;
        ReadPlotFile(dir.path().toStdString(), {}, s, LogSink());
        QCOMPARE(log.Messages.size(), size_t(1));
        QVERIFY(log.Messages[0].find(dir.path().toStdString()) != std::string::npos);
    }

    void messagesOfTheFailureTable() {
        TMessageLog log;
        TPlotStore& s = *Store;
        // Header line 5 is damaged: one message, the rest of the header is skipped, records are read
        // from there on (the remaining header lines match no command word).
        std::string text = "0\n4\n0\n0\nbad\n0\n0\n0\n0\n0\n9\n0\n0\n0\n0\nTIE\n1\n1 1\n1 1\n1 1\nEND\n";
        Read(s, text);
        QCOMPARE(log.Messages, std::vector<std::string>{"Axis scaling labels are corrupted in plot file"});
        QCOMPARE(s.ScaleFactor, 4.0);
        QCOMPARE(s.Tiebacks[0][0].X, 4.0);

        log.Messages.clear();
        Read(s, Header() + "LDS\nx\n1 1\nLDS\n1\n1 1\n2 2\n3 oops\n4 4\nLDS\n?\n5 5\n6 6\n7 7\n8 8\nEND\n");
        const std::vector<std::string> lds = {"Error in reading number of surface pressure points",
                                              "Error in reading surface pressure plot output for point 3",
                                              "Error in reading number of surface pressure points"};
        QCOMPARE(log.Messages, lds);
        // The third record kept the count of the second and read its four points.
        QCOMPARE(s.PressureZoneCount, 1);
        QCOMPARE(s.PressureZones[0][0].X, 5.0);
        QCOMPARE(s.PressureZones[0][3].Y, 8.0);

        log.Messages.clear();
        Read(s, Header() + Srf(2, 1.5) + "SRF\nbad 1.2\n" + Srf(2, 1.3) + "END\n");
        QCOMPARE(log.Messages,
                 std::vector<std::string>{"Error in reading number of points on failure surface 3 of 10"});
        QCOMPARE(s.SlotCounter, 4);
        QCOMPARE(s.TrialSurfaces[3].Count, 0);
        QCOMPARE(s.TrialSurfaces[4].Count, 2);
        QCOMPARE(s.CurrentFS, 1.3);

        log.Messages.clear();
        Read(s, Header() +
                    std::string("TI\x01"
                                "E\n") +
                    "TIE\n1\n1 1\n2 2\n3 3\nEND\n");
        QCOMPARE(log.Messages, std::vector<std::string>{"Error in reading command word in plot file"});
        QCOMPARE(s.TiebackCount, 1);

        // Any other malformed number ends the reading with its line; what was read is kept.
        log.Messages.clear();
        Read(s, Header() + "TIE\n1\n1 1\n2 2\n3 3\nWTR\n1\n2\n1 1\n2 zz\nLMT\n1\n1 1\n2 2\nEND\n",
             {{0, 0, 1, 1, 1}});
        QCOMPARE(log.Messages.size(), size_t(1));
        QVERIFY(log.Messages[0].find("\"zz\"") != std::string::npos);
        QVERIFY(log.Messages[0].find("line 25") != std::string::npos);
        QCOMPARE(s.TiebackCount, 1);
        QCOMPARE(s.LimitSegmentCount, 0);

        // A file that ends inside a record keeps what was read, without a message.
        log.Messages.clear();
        Read(s, Header() + "TIE\n1\n1 1\n2 2\n3 3\n" + "SRF\n5 1.2\n1 1\n2 2\n");
        QVERIFY(log.Messages.empty());
        QCOMPARE(s.TiebackCount, 1);
        QCOMPARE(s.SlotCounter, 2);
    }

    // A second read into the same store shows nothing of the first file's surface-pressure zones: not
    // through a point that fails to read, nor through a record that the file cuts short.
    void noPressureZoneSurvivesTheNextRead() {
        TMessageLog log;
        TPlotStore& s = *Store;
        const std::string first =
            Header() + "LDS\n2\n11 11\n12 12\n13 13\n14 14\n" + "21 21\n22 22\n23 23\n24 24\nEND\n";
        Read(s, first);
        QCOMPARE(s.PressureZoneCount, 2);
        QCOMPARE(s.PressureZones[1][1].X, 22.0);

        // Point 2 is damaged: it keeps only what was read of it in this file.
        Read(s, Header() + "LDS\n1\n1 1\nbad bad\n3 3\n4 4\nEND\n");
        QCOMPARE(log.Messages,
                 std::vector<std::string>{"Error in reading surface pressure plot output for point 2"});
        QCOMPARE(s.PressureZoneCount, 1);
        QCOMPARE(s.PressureZones[0][1].X, 0.0);
        QCOMPARE(s.PressureZones[0][1].Y, 0.0);
        QCOMPARE(s.PressureZones[0][2].X, 3.0);

        // The file ends inside the second zone: only the complete zone counts.
        Read(s, first);
        Read(s, Header() + "LDS\n2\n1 1\n2 2\n3 3\n4 4\n5 5\n");
        QCOMPARE(s.PressureZoneCount, 1);
        QCOMPARE(s.PressureZones[0][3].X, 4.0);
        for (const TPlotPoint& p : s.PressureZones[1])
            QVERIFY(p.X < 20);
    }

    void capacitiesKeepWhatFitsAndReportOnce() {
        TMessageLog log;
        TPlotStore& s = *Store;
        std::string text = Header();
        text.reserve(200000);
        text += Srf(250, 1.9, 0); // more points than a surface holds
        for (int i = 0; i < PlotCapacity::TrialSurfaces + 2; ++i)
            text += "SRF\n2 " + std::to_string(1.0 + i * 0.0001) + "\n" + std::to_string(i) + " 1\n5 5\n";
        text += "WTR\n22\n";
        for (int w = 0; w < 22; ++w) {
            text += "25\n";
            for (int k = 0; k < 25; ++k)
                text += std::to_string(w) + " " + std::to_string(k) + "\n";
        }
        text += "LDS\n37\n";
        for (int k = 0; k < 37 * 4; ++k)
            text += std::to_string(k) + " 1\n";
        text += "TIE\n22\n";
        for (int k = 0; k < 22 * 3; ++k)
            text += std::to_string(k) + " 2\n";
        text += "LMT\n1\n1 2\n3 4\nEND\n";
        Read(s, text);
        const std::vector<std::string> expected = {
            "The plot file holds more points on a trial surface than can be shown (200); the rest were "
            "skipped.",
            "The plot file holds more trial surfaces than can be shown (3999); the rest were skipped.",
            "The plot file holds more points on a water surface than can be shown (20); the rest were "
            "skipped.",
            "The plot file holds more water surfaces than can be shown (20); the rest were skipped.",
            "The plot file holds more surface pressure zones than can be shown (35); the rest were skipped.",
            "The plot file holds more tiebacks than can be shown (20); the rest were skipped.",
        };
        QCOMPARE(log.Messages, expected);
        QCOMPARE(s.TrialSurfaces[2].Count, 200);
        QCOMPARE(s.TrialSurfaces[2].Points[199].X, 199.0);
        QCOMPARE(s.SlotCounter, PlotCapacity::LastTrialSlot);
        QCOMPARE(s.TrialSurfaces[4000].Points[0].X, 3997.0);
        QCOMPARE(s.CurrentFS, 1.0 + (PlotCapacity::TrialSurfaces + 1) * 0.0001);
        QCOMPARE(s.WaterSurfaceCount, 20);
        QCOMPARE(s.WaterSurfaces[19].Count, 20);
        QCOMPARE(s.WaterSurfaces[19].Points[19].Y, 19.0);
        QCOMPARE(s.DisplayWaterCount, 4);
        QCOMPARE(s.PressureZoneCount, 35);
        QCOMPARE(s.PressureZones[34][3].X, 139.0);
        QCOMPARE(s.TiebackCount, 20);
        QCOMPARE(s.Tiebacks[19][2].X, 59.0);
        // The record after all the skipping is read normally.
        QCOMPARE(s.LimitSegmentCount, 1);
        QCOMPARE(s.LimitSegments[0][1].Y, 4.0);
    }

    // Damaged files never crash the reader or the drawing: cut the example anywhere, change bytes.
    void damagedFilesAreSurvived() {
        TMessageLog log;
        QFile f(QString::fromStdString(DataFile("full.qvxp")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray original = f.readAll();
        QImage img(300, 200, QImage::Format_RGB32);
        TDisplayOptions all;
        all.BoundaryLines = all.SearchLimits = all.SoilLayerNumbers = all.BoundaryCoords =
            all.ColorSoilLayers = true;
        all.TieBacks = all.PiezometricLine = all.SurfacePressures = all.ReinfLines = all.Scale = true;
        all.SolutionInformation = all.TenSlipSurfaces = all.CriticalSlipSurface = all.AllTrialSurfaces = true;
        all.TotalStresses = all.PoreWaterPressures = true;
        TDrawSettings set;
        set.Options = all;
        std::uint32_t seed = 12345;
        auto rnd = [&seed](std::uint32_t n) {
            seed = seed * 1664525u + 1013904223u;
            return (seed >> 8) % n;
        };
        const char replacements[] = {'\n', ' ', '-', '9', 'e', '.', 'X', '\0', '\x01', '+'};
        for (int round = 0; round < 200; ++round) {
            QByteArray text =
                original.left(static_cast<int>(rnd(static_cast<std::uint32_t>(original.size()))));
            for (int k = 0; k < 20 && !text.isEmpty(); ++k)
                text[static_cast<int>(rnd(static_cast<std::uint32_t>(text.size())))] = replacements[rnd(10)];
            ReadPlotText(text.constData(), static_cast<std::size_t>(text.size()), FullBoundary, *Store,
                         LogSink());
            QVERIFY(Store->SlotCounter >= 1 && Store->SlotCounter <= PlotCapacity::LastTrialSlot);
            FitView(img.rect(), true, *Store, View);
            QPainter p(&img);
            DrawPlot(p, Qt::white, img.rect(), set, *Store, View);
        }
        // Huge scale factors and coordinates: drawn without overflow.
        Read(*Store, Header(1e300) + "TIE\n1\n1e300 1\n2 2\n3 3\nLMT\n1\n-1e300 0\n1e300 1e300\nEND\n",
             {{-1e300, 0, 1e300, 1e300, 1}});
        Read(*Store, Header(1e300) + "BND\n0 0 0 0\nLMT\n1\n-1e300 0\n1e300 1e300\nEND\n",
             {{-1e300, 0, 1e300, 1e300, 1}});
        FitView(img.rect(), true, *Store, View);
        QPainter p(&img);
        DrawPlot(p, Qt::white, img.rect(), set, *Store, View);
        p.end();

        // A coordinate times the scale factor beyond the double range is refused where it is read;
        // an extent wider than a double (-1e308 .. 1e308) is not fitted but laid out as empty.
        TMessageLog huge;
        Read(*Store, Header(1e300) + "LMT\n2\n0 0\n1 1\n1e300 0\n2 2\nEND\n");
        QCOMPARE(Store->LimitSegmentCount, 1);
        QCOMPARE(huge.Messages.size(), std::size_t(1));
        QVERIFY(huge.Messages[0].find("Invalid number") != std::string::npos);
        for (bool scale : {false, true}) {
            Read(*Store, Header() + "LMT\n1\n-1e308 0\n1e308 1e308\nEND\n");
            QVERIFY(std::isfinite(Store->LimitSegments[0][1].X));
            FitView(img.rect(), scale, *Store, View);
            QVERIFY(std::isfinite(View.ScaleX) && std::isfinite(View.ScaleY));
            QCOMPARE(View.XMin, 0.0);
            QPainter q(&img);
            DrawPlot(q, Qt::white, img.rect(), set, *Store, View);
        }
    }

    void capacitiesOfTheOtherRecords() {
        TMessageLog log;
        TPlotStore& s = *Store;
        std::string text = Header();
        text += "RNF\n52\n";
        for (int r = 0; r < 52; ++r) {
            const int m = r == 0 ? 25 : 2;
            text += std::to_string(m) + "\n";
            for (int k = 0; k < m; ++k)
                text += std::to_string(r) + " " + std::to_string(k) + "\n";
        }
        text += "INF\n205\n";
        for (int i = 0; i < 205; ++i)
            text += std::to_string(i + 1) + " " + std::to_string(i) + " 1 1 1 0 0 0 0 0\n";
        text += "BND\n0 0 150 150\n";
        for (int k = 0; k < 150; ++k)
            text += std::to_string(k + 1) + " 0\n";
        text += "LMT\n141\n";
        for (int k = 0; k < 141; ++k)
            text += std::to_string(k) + " 0\n" + std::to_string(k + 1) + " 0\n";
        text += "BLK\n21\n";
        for (int k = 0; k < 21 * 5; ++k)
            text += std::to_string(k) + " 3\n";
        text += "TIE\n1\n7 7\n8 8\n9 9\nEND\n";
        TBoundaryLines rows(101, TBoundaryLine{0, 0, 1, 1, 1});
        Read(s, text, rows);
        const std::vector<std::string> expected = {
            "The plot file holds more points on a reinforcement line than can be shown (20); the rest were "
            "skipped.",
            "The plot file holds more reinforcement lines than can be shown (50); the rest were skipped.",
            "The plot file holds more slices than can be shown (200); the rest were skipped.",
            "The plot file holds more boundary points than can be shown (140); the rest were skipped.",
            "The boundary table holds more lines than can be shown (100); the rest were skipped.",
            "The plot file holds more search limit segments than can be shown (140); the rest were skipped.",
            "The plot file holds more blocks than can be shown (20); the rest were skipped.",
            // 100 separate lines make 100 chains.
            "The boundary table holds more soil layer chains than can be shown (90); the rest were skipped.",
        };
        QCOMPARE(log.Messages, expected);
        QCOMPARE(s.ReinfLineCount, 50);
        QCOMPARE(s.ReinfLines[0].Count, 20);
        QCOMPARE(s.ReinfLines[49].Points[1].X, 49.0);
        QCOMPARE(s.SliceCount, 200);
        QCOMPARE(s.Slices[199].R[0], 199.0);
        QCOMPARE(s.BoundaryPointCount, 140);
        QCOMPARE(s.BoundaryPoints[139].X, 139.0);
        QCOMPARE(s.BoundaryRecordCount, 100);
        QCOMPARE(s.LimitSegmentCount, 140);
        QCOMPARE(s.BlockCount, 20);
        QCOMPARE(s.Blocks[19][4].X, 99.0);
        QCOMPARE(s.TiebackCount, 1);
        QCOMPARE(s.Tiebacks[0][2].X, 9.0);
    }

    void layerChains() {
        TPlotStore& s = *Store;
        const std::string bnd = Header() + "BND\n0 0 0 0\nEND\n";
        // Rows 1 and 2 (soil 1) join; row 3 (soil 2) starts its own chain.
        Read(s, bnd, {{0, 10, 5, 10, 1}, {5, 10, 9, 12, 1}, {9, 12, 14, 12, 2}});
        QCOMPARE(s.ChainCount, 2);
        QCOMPARE(s.Chains[0].Line.Count, 3);
        QCOMPARE(s.Chains[0].Line.Points[2].X, 9.0);
        QCOMPARE(s.Chains[1].Soil, 2);
        QCOMPARE(s.Chains[1].Line.Count, 2);
        QVERIFY(s.BoundaryRecords[0].Successors.test(2));
        QVERIFY(s.BoundaryRecords[1].Successors.test(3));
        QVERIFY(!s.BoundaryRecords[0].Successors.test(3));

        // A successor with a lower row number is never appended; soil 0 starts no chain.
        Read(s, bnd, {{5, 10, 9, 12, 1}, {0, 10, 5, 10, 1}, {9, 12, 10, 12, 0}});
        QCOMPARE(s.ChainCount, 2);
        QCOMPARE(s.Chains[0].Line.Count, 2);
        QCOMPARE(s.Chains[1].Line.Points[0].X, 0.0);

        // No BND record: no snapshot, no chains.
        Read(s, Header() + "END\n", {{0, 10, 5, 10, 1}});
        QCOMPARE(s.ChainCount, 0);

        // A run of 100 joined lines is longer than a chain holds: it goes on in a second chain that
        // starts where the first one stops.
        TBoundaryLines run;
        for (int i = 0; i < 100; ++i)
            run.push_back({double(i), 0, double(i + 1), 0, 4});
        Read(s, bnd, run);
        QCOMPARE(s.ChainCount, 2);
        QCOMPARE(s.Chains[0].Line.Count, PlotCapacity::ChainPoints);
        QCOMPARE(s.Chains[1].Line.Points[0].X, s.Chains[0].Line.Points[PlotCapacity::ChainPoints - 1].X);
        QCOMPARE(s.Chains[1].Line.Points[s.Chains[1].Line.Count - 1].X, 100.0);

        // More separate layers than chains: what fits is kept, one message.
        TMessageLog log;
        TBoundaryLines many;
        for (int i = 0; i < 95; ++i)
            many.push_back({0, double(i), 1, double(i), 1 + i % 3});
        Read(s, bnd, many);
        QCOMPARE(s.ChainCount, PlotCapacity::Chains);
        QCOMPARE(log.Messages, std::vector<std::string>{"The boundary table holds more soil layer chains "
                                                        "than can be shown (90); the rest were skipped."});
    }

    void tickSteps() {
        // raw 3.2: f = -0.495 becomes log10 0.5, step 5.
        TTickStep t = NiceTickStep(0, 3.2 * 10, 10);
        QCOMPARE(t.Step, 5.0);
        QCOMPARE(t.FirstTick, 0.0);
        t = NiceTickStep(0, 100, 10); // raw 10, an exact power
        QCOMPARE(t.Step, 10.0);
        t = NiceTickStep(0, 17, 17); // raw 1
        QCOMPARE(t.Step, 1.0);
        t = NiceTickStep(-6, 14, 10); // raw 2 with a negative start
        QCOMPARE(t.Step, 2.0);
        QCOMPARE(t.FirstTick, -6.0);
        // -8 + 10 x 2 < 13: one class up, from 2 to 2.5.
        t = NiceTickStep(-7, 13, 10);
        QCOMPARE(t.Step, 2.5);
        QCOMPARE(t.FirstTick, -7.5);
        t = NiceTickStep(13, 37, 10); // raw 2.4: 2.5 is raised to 5
        QCOMPARE(t.Step, 5.0);
        QCOMPARE(t.FirstTick, 10.0);
        // 10 + 10 x 1 < 21.5: one class up, from 1 to 2.
        t = NiceTickStep(10.5, 21.5, 11);
        QCOMPARE(t.Step, 2.0);
        QCOMPARE(t.FirstTick, 10.0);
        t = NiceTickStep(5, 5, 10); // an empty range gives a usable step
        QVERIFY(t.Step > 0);
        QCOMPARE(InchClass(75), 75);
        QCOMPARE(InchClass(330), 300);
        QCOMPARE(InchClass(125), 100);
        QCOMPARE(InchClass(900), 1200);
    }

    void fitView() {
        TPlotStore& s = *Store;
        const std::string bnd = Header() + "BND\n0 0 0 0\nEND\n";
        // One chain point only: x max becomes x min + 1, the scale comes from the width.
        s.Clear();
        s.ChainCount = 1;
        s.Chains[0].Line.Count = 1;
        s.Chains[0].Line.Points[0] = {5, 7};
        FitView(QRect(0, 0, 400, 300), false, s, View);
        QCOMPARE(View.XMin, 5.0);
        QCOMPARE(View.XMax, 6.0);
        QCOMPARE(View.ScaleX, 397.0);
        QCOMPARE(View.ScaleY, -397.0);

        // Wider than tall: fills the width and sits in the middle vertically.
        Read(s, bnd, {{0, 0, 100, 20, 1}});
        FitView(QRect(0, 0, 1000, 600), false, s, View);
        QCOMPARE(View.PlotRight, 999);
        QCOMPARE(View.PlotBottom, 597);
        QCOMPARE(View.ScaleX, 997.0 / 100);
        QCOMPARE(View.PixelX(0), 1);
        QCOMPARE(View.PixelX(100), 998);
        QCOMPARE(View.OriginY, static_cast<int>(std::lround(600 - (597 - 20 * 9.97) / 2)));
        QCOMPARE(View.WorldX(View.PixelX(50)), 50.0 + (View.PixelX(50) - (50 * 9.97 + 1)) / 9.97);

        // Taller than wide: fills the height and is centred horizontally.
        Read(s, bnd, {{0, 0, 10, 100, 1}});
        FitView(QRect(0, 0, 1000, 600), false, s, View);
        QCOMPARE(View.ScaleX, 595.0 / 100);
        QCOMPARE(View.OriginX, static_cast<int>(std::lround((999 - 10 * 5.95) / 2 + 1)));

        // With the Scale option: margins for the axes.
        FitView(QRect(0, 0, 1200, 800), true, s, View);
        QCOMPARE(View.UnitX, 120);
        QCOMPARE(View.UnitY, 100);
        QCOMPARE(View.PlotLeft, 75);
        QCOMPARE(View.PlotTop, 37);
        QCOMPARE(View.PlotRight, 1200 - 37);
        QCOMPARE(View.PlotBottom, 800 - 75);
    }

    void formatsAndColours() {
        QCOMPARE(PlotFileNameFor("/a/b/slope.qvxd"), std::string("/a/b/slope.qvxp"));
        QCOMPARE(PlotFileNameFor("/a.b/slope"), std::string("/a.b/slope.qvxp"));
        QCOMPARE(PlotFileNameFor("C:\\x.y\\m.qvd"), std::string("C:\\x.y\\m.qvxp"));
        QCOMPARE(FormatFixed(1.2346, 3), std::string("1.235"));
        QCOMPARE(FormatFixed(12.5, 1), std::string("12.5"));
        QCOMPARE(FormatFixed(1234567.891, 2), std::string("1234567.89"));
        QCOMPARE(FormatFixed(-0.001, 2), std::string("0.00"));
        QCOMPARE(FormatFixed(-3.5, 0).substr(0, 1), std::string("-"));
        // Halves go away from zero on the decimal value as written, like every fixed-point text of the
        // program: tick labels at a spacing of 2.5 and coordinates such as 12.25 or 0.35.
        QCOMPARE(FormatFixed(2.5, 0), std::string("3"));
        QCOMPARE(FormatFixed(12.5, 0), std::string("13"));
        QCOMPARE(FormatFixed(-7.5, 0), std::string("-8"));
        QCOMPARE(FormatFixed(12.25, 1), std::string("12.3"));
        QCOMPARE(FormatFixed(0.35, 1), std::string("0.4"));
        QCOMPARE(FormatFixed(9.96, 1), std::string("10.0"));
        QCOMPARE(FormatFixed(-0.04, 1), std::string("0.0"));
        QCOMPARE(FormatFixed(1e-7, 3), std::string("0.000"));
        QCOMPARE(FormatFixed(1e22, 0), std::string("10000000000000000000000"));
        QCOMPARE(SoilColor(1), QColor(0, 128, 0));
        QCOMPARE(SoilColor(12), QColor(255, 255, 0));
        QCOMPARE(SoilColor(10), QColor(0, 0, 128));
        QCOMPARE(SoilColor(16), QColor(192, 192, 192));
        QCOMPARE(SoilColor(0), QColor(192, 192, 192));
        QCOMPARE(SoilColor(21), QColor(192, 192, 192));
        QCOMPARE(SoilColor(-3), QColor(192, 192, 192));
    }

    void drawsElementsWithTheirColours() {
        TPlotStore& s = *Store;
        ReadPlotFile(DataFile("full.qvxp"), FullBoundary, s, LogSink());
        TDrawSettings set;
        set.Options.ColorSoilLayers = true;
        QImage img = Render(set, s, View);
        // Soil 1 (green) above 30, soil 2 (yellow) between 10 and 30, soil 3 (blue) below 10.
        QCOMPARE(At(img, View, 50, 40), QColor(0, 128, 0).rgb());
        QCOMPARE(At(img, View, 250, 20), QColor(255, 255, 0).rgb());
        QCOMPARE(At(img, View, 150, 5), QColor(0, 0, 255).rgb());
        QCOMPARE(At(img, View, 50, 70), QColor(Qt::white).rgb());

        // Each element alone, in its colour.
        auto only = [&](auto setOption) {
            TDrawSettings one;
            setOption(one.Options);
            return Render(one, s, View);
        };
        img = only([](TDisplayOptions& o) { o.BoundaryLines = true; });
        QVERIFY(Near(img, View.PixelX(50), View.PixelY(50), Qt::black, 1));
        QVERIFY(Near(img, View.PixelX(150), View.PixelY(75), Qt::black, 1));
        img = only([](TDisplayOptions& o) { o.PiezometricLine = true; });
        QVERIFY(Near(img, View.PixelX(50), View.PixelY(41), QColor(0, 0, 255), 1));
        QVERIFY(Near(img, View.PixelX(150), View.PixelY(22), QColor(0, 0, 255), 1));
        img = only([](TDisplayOptions& o) { o.SurfacePressures = true; });
        QVERIFY(Near(img, View.PixelX(220), View.PixelY(103), QColor(0, 128, 128), 0));
        img = only([](TDisplayOptions& o) { o.ReinfLines = true; });
        QVERIFY(Near(img, View.PixelX(140), View.PixelY(62.5), QColor(128, 0, 0), 1));
        img = only([](TDisplayOptions& o) { o.TieBacks = true; });
        QVERIFY(Near(img, View.PixelX(85), View.PixelY(58), Qt::black, 1));
        img = only([](TDisplayOptions& o) { o.SearchLimits = true; });
        QVERIFY(Near(img, View.PixelX(50), View.PixelY(16.5), Qt::black, 1));
        img = only([](TDisplayOptions& o) { o.AllTrialSurfaces = true; });
        QVERIFY(CountColor(img, QColor(192, 192, 192)) > 1000);
        const TSurface& crit = s.TenSurfaces[0];
        const TPlotPoint mid = crit.Points[10];
        img = only([](TDisplayOptions& o) { o.CriticalSlipSurface = true; });
        QVERIFY(Near(img, View.PixelX(mid.X), View.PixelY(mid.Y), QColor(255, 0, 0), 1));
        // The radius line from the first point to the centre (125, 170) is black and 1 pixel wide.
        const TPlotPoint a = crit.Points[0];
        const double t = 0.5;
        QVERIFY(
            Near(img, View.PixelX(a.X + (125 - a.X) * t), View.PixelY(a.Y + (170 - a.Y) * t), Qt::black, 1));
        // The long label at (plot left + 10, plot top + 72) on white.
        QVERIFY(Near(img, View.PlotLeft + 20, View.PlotTop + 72 + 7, Qt::black, 5));

        // No radius lines for a block or irregular search.
        TDrawSettings noRadius;
        noRadius.Options.CriticalSlipSurface = true;
        noRadius.RadiusLines = false;
        img = Render(noRadius, s, View);
        QVERIFY(
            !Near(img, View.PixelX(a.X + (125 - a.X) * t), View.PixelY(a.Y + (170 - a.Y) * t), Qt::black, 1));

        // Stress diagrams hang below the critical surface; their ends are stored in the slices. A slice
        // beyond the critical surface's x range (it ends near x = 258) has no place in them.
        s.Slices[11].R[0] = 290;
        img = only([](TDisplayOptions& o) { o.TotalStresses = true; });
        QVERIFY(CountColor(img, QColor(128, 128, 128)) > 100);
        const TSliceRecord& slice = s.Slices[5];
        QVERIFY(slice.TotalEnd < 50);
        QVERIFY(Near(img, View.PixelX(slice.R[0]), View.PixelY(slice.TotalEnd), QColor(128, 128, 128), 1));
        QCOMPARE(s.Slices[11].TotalEnd, 0.0);
        for (int y = 0; y < img.height(); ++y)
            QVERIFY(img.pixel(View.PixelX(290), y) != QColor(128, 128, 128).rgb());
        img = only([](TDisplayOptions& o) { o.PoreWaterPressures = true; });
        QVERIFY(CountColor(img, QColor(0, 0, 255)) > 100);
        QVERIFY(slice.PoreEnd > slice.TotalEnd);

        // Soil numbers and coordinates: markers and labels in black.
        img = only([](TDisplayOptions& o) { o.BoundaryCoords = true; });
        // The label covers its marker: black text on white around the point.
        QVERIFY(Near(img, View.PixelX(100), View.PixelY(50), Qt::black, 6));
        QCOMPARE(img.pixel(View.PixelX(100) + 2, View.PixelY(50) - 6), QColor(Qt::white).rgb());
        img = only([](TDisplayOptions& o) { o.SoilLayerNumbers = true; });
        QVERIFY(CountColor(img, Qt::black) > 50);
        QCOMPARE(img.pixel(View.PixelX(0) + 3, View.PixelY(10)), QColor(Qt::black).rgb());
    }

    void solutionTextAndFallbacks() {
        TPlotStore& s = *Store;
        // No TEN: the ten-surface and critical steps draw the trial surfaces (black, then red).
        ReadPlotFile(DataFile("nocrit.qvxp"), NocritBoundary, s, LogSink());
        QVERIFY(!s.HasTen);
        TDrawSettings set;
        set.Options.TenSlipSurfaces = true;
        QImage img = Render(set, s, View);
        const TPlotPoint p = s.TrialSurfaces[2].Points[2];
        QVERIFY(Near(img, View.PixelX(p.X), View.PixelY(p.Y), Qt::black, 1));
        set.Options.CriticalSlipSurface = true;
        img = Render(set, s, View);
        QVERIFY(Near(img, View.PixelX(p.X), View.PixelY(p.Y), QColor(255, 0, 0), 1));

        // With Critical Slip Surface on, the short text is not drawn on screen.
        TDrawSettings info;
        info.Options.SolutionInformation = true;
        img = Render(info, s, View);
        const QRect textArea(View.PlotLeft + 10, View.PlotTop + 72, 200, 20);
        auto inkIn = [&](const QImage& im) {
            int n = 0;
            for (int y = textArea.top(); y <= textArea.bottom(); ++y)
                for (int x = textArea.left(); x <= textArea.right(); ++x)
                    n += im.pixel(x, y) != QColor(Qt::white).rgb();
            return n;
        };
        const int shortInk = inkIn(img);
        QVERIFY(shortInk > 20);
        info.Options.CriticalSlipSurface = true;
        info.Options.AllTrialSurfaces = false;
        img = Render(info, s, View);
        QVERIFY(inkIn(img) > shortInk); // the long label ("..., X = ...") instead
    }

    void excludedZoneUsesEveryLimitSegment() {
        TPlotStore& s = *Store;
        ReadPlotFile(DataFile("nocrit.qvxp"), NocritBoundary, s, LogSink());
        QCOMPARE(s.LimitSegmentCount, 30);
        TDrawSettings set;
        set.Options.ColorSoilLayers = set.Options.SearchLimits = true;
        QImage img = Render(set, s, View);
        // Under the last segments (x near 135) the band is hatched: black and white pixels.
        const TPlotPoint end = s.LimitSegments[29][1];
        const int px = View.PixelX(end.X - 4), top = View.PixelY(end.Y - 2), bottom = View.PixelY(end.Y - 18);
        int black = 0, white = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = px - 5; x <= px + 5; ++x) {
                black += img.pixel(x, y) == QColor(Qt::black).rgb();
                white += img.pixel(x, y) == QColor(Qt::white).rgb();
            }
        QVERIFY(black > 10);
        QVERIFY(white > 10);
        // Below the band the excluded zone is white, not soil-coloured.
        QCOMPARE(At(img, View, end.X - 4, end.Y - 22), QColor(Qt::white).rgb());
    }

    void segmentsBeyondThePixelRangeAreSkipped() {
        TPlotStore& s = *Store;
        Read(s, Header() + "LMT\n2\n0 0\n10 0\n0 5\n1000 5\nBND\n0 0 0 0\nEND\n", {{0, 0, 10, 10, 1}});
        TDrawSettings set;
        set.Options.SearchLimits = true;
        QImage img = Render(set, s, View, {400, 400});
        // Zoom in a lot around (5, 2.5): the segment to x = 1000 ends far beyond 32767 pixels.
        View.ScaleX = 100;
        View.ScaleY = -100;
        View.XMin = 4;
        View.YMin = 0;
        View.OriginX = 0;
        View.OriginY = 390;
        img.fill(Qt::white);
        {
            QPainter p(&img);
            DrawPlot(p, Qt::white, img.rect(), set, s, View);
        }
        QVERIFY(View.PixelXf(1000) > 32767);
        QVERIFY(!Near(img, View.PixelX(5), View.PixelY(5), Qt::black, 1)); // the long one is gone
        QVERIFY(Near(img, View.PixelX(5), View.PixelY(0), Qt::black, 1));  // the short one stays

        // The test is on the pixel coordinates as drawn: an end at 32767.4 rounds to 32767 and the
        // segment stays, one at 32767.6 rounds to 32768 and it goes.
        Read(s, Header() + "LMT\n2\n5 5\n32767.4 5\n5 10\n32767.6 10\nBND\n0 0 0 0\nEND\n",
             {{0, 0, 10, 10, 1}});
        View.ScaleX = 1;
        View.ScaleY = -1;
        View.XMin = 0;
        View.OriginX = 0;
        img.fill(Qt::white);
        {
            QPainter p(&img);
            DrawPlot(p, Qt::white, img.rect(), set, s, View);
        }
        QVERIFY(Near(img, 100, View.PixelY(5), Qt::black, 1));
        QVERIFY(!Near(img, 100, View.PixelY(10), Qt::black, 1));
    }

    // The direct line path for thin lines may only write pixels where the painter would have drawn
    // them: through a viewport/window mapping the whole picture moves, and a translucent painter blends.
    void directLinesFollowThePainterMapping() {
        TPlotStore& s = *Store;
        ReadPlotFile(DataFile("full.qvxp"), FullBoundary, s, LogSink());
        TDrawSettings set;
        set.Options.AllTrialSurfaces = set.Options.SearchLimits = true;
        const QRect area(0, 0, 600, 400);
        const QImage plain = Render(set, s, View, area.size());
        const QColor silver(192, 192, 192);
        QVERIFY(CountColor(plain, silver) > 1000);

        // The same picture drawn 100 pixels to the right through the viewport.
        QImage shifted(700, 400, QImage::Format_RGB32);
        shifted.fill(Qt::white);
        {
            QPainter p(&shifted);
            p.setViewport(100, 0, 600, 400);
            p.setWindow(area);
            DrawPlot(p, Qt::white, area, set, s, View);
        }
        QCOMPARE(CountColor(shifted.copy(0, 0, 100, 400), silver), 0);
        // The raster engine's own lines may differ from the direct ones by a pixel here and there.
        const QImage moved = shifted.copy(100, 0, 600, 400);
        int missing = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                if (plain.pixel(x, y) == silver.rgb() && !Near(moved, x, y, silver, 1))
                    ++missing;
        QCOMPARE(missing, 0);
        const int plainSilver = CountColor(plain, silver), movedSilver = CountColor(moved, silver);
        QVERIFY2(std::abs(plainSilver - movedSilver) < plainSilver / 10,
                 qPrintable(QString("%1 %2").arg(plainSilver).arg(movedSilver)));

        // Half opacity on white: the trial surfaces come out lighter than silver, none of them silver.
        QImage faded(area.size(), QImage::Format_RGB32);
        faded.fill(Qt::white);
        {
            QPainter p(&faded);
            p.setOpacity(0.5);
            DrawPlot(p, Qt::white, area, set, s, View);
        }
        QCOMPARE(CountColor(faded, silver), 0);
        QVERIFY(CountColor(faded, QColor(224, 224, 224)) + CountColor(faded, QColor(223, 223, 223)) > 1000);
    }

    void axesAndPrinting() {
        TPlotStore& s = *Store;
        ReadPlotFile(DataFile("full.qvxp"), FullBoundary, s, LogSink());
        TDrawSettings set;
        set.Options.Scale = true;
        set.Options.SearchLimits = true;
        set.Options.BoundaryLines = true;
        QImage img = Render(set, s, View);
        // Frame on the plot rectangle; tick steps are nice and equal on both axes.
        QCOMPARE(img.pixel(View.PlotLeft, (View.PlotTop + View.PlotBottom) / 2), QColor(Qt::black).rgb());
        QCOMPARE(img.pixel((View.PlotLeft + View.PlotRight) / 2, View.PlotBottom), QColor(Qt::black).rgb());
        QCOMPARE(View.TickStepX, View.TickStepY);
        QCOMPARE(View.TickStepX, 20.0);
        QVERIFY(View.FirstTickX <= View.WorldX(View.PlotLeft));
        QCOMPARE(std::fmod(View.FirstTickX, View.TickStepX), 0.0);

        // Different steps on the two axes: both take the smaller one, while each axis keeps the first
        // tick found with its own step (x: step 5 from 15; y: step 2).
        {
            TViewTransform v;
            v.PlotLeft = 10;
            v.PlotRight = 82;
            v.PlotTop = 10;
            v.PlotBottom = 28;
            v.UnitX = v.UnitY = 40;
            v.OriginX = 10;
            v.OriginY = 28;
            v.XMin = 17;
            v.YMin = 0;
            v.ScaleX = 1;
            v.ScaleY = -1;
            QImage small(100, 60, QImage::Format_RGB32);
            QPainter p(&small);
            DrawAxes(p, *Store, v);
            const TTickStep tx = NiceTickStep(17, 89, 17);
            const TTickStep ty = NiceTickStep(0, 18, 11);
            QCOMPARE(tx.Step, 5.0);
            QCOMPARE(ty.Step, 2.0);
            QCOMPARE(v.TickStepX, 2.0);
            QCOMPARE(v.TickStepY, 2.0);
            QCOMPARE(v.FirstTickX, tx.FirstTick);
            QCOMPARE(v.FirstTickY, ty.FirstTick);
        }
        // Tick labels below the frame.
        int ink = 0;
        for (int x = View.PlotLeft; x < View.PlotRight; ++x)
            for (int y = View.PlotBottom + 3; y < View.PlotBottom + 15; ++y)
                ink += img.pixel(x, y) != QColor(Qt::white).rgb();
        QVERIFY(ink > 50);

        // Everything but the axes stays inside the frame: the radius lines run to a centre far above it.
        set.Options.CriticalSlipSurface = set.Options.AllTrialSurfaces = true;
        img = Render(set, s, View);
        QVERIFY(View.PixelY(170) < View.PlotTop);
        for (int y = 0; y < View.PlotTop - 1; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != QColor(Qt::white).rgb())
                    QFAIL(qPrintable(QString("ink above the frame at %1,%2").arg(x).arg(y)));
        set.Options.CriticalSlipSurface = set.Options.AllTrialSurfaces = false;

        const TViewTransform screen = View;
        QImage page(3300, 2550, QImage::Format_RGB32); // letter, landscape, 300 dpi
        page.setDotsPerMeterX(11811);
        page.setDotsPerMeterY(11811);
        page.fill(Qt::red);
        {
            QPainter p(&page);
            PrintPlot(p, page.rect(), set, s, View);
        }
        // The screen view is back; the page is white outside the frame and shows no limit lines.
        QCOMPARE(View.ScaleX, screen.ScaleX);
        QCOMPARE(View.PlotRight, screen.PlotRight);
        QCOMPARE(View.LineFactor, 1);
        QCOMPARE(page.pixel(10, 10), QColor(Qt::white).rgb());
        QCOMPARE(page.pixel(3290, 2540), QColor(Qt::white).rgb());
        // Frame at left 450, top 300, right 3000, bottom 2100 (one inch = 300 pixels).
        QCOMPARE(page.pixel(450, 1000), QColor(Qt::black).rgb());
        QCOMPARE(page.pixel(1500, 300), QColor(Qt::black).rgb());
        int black = 0;
        for (int y = 301; y < 2100; ++y)
            for (int x = 451; x < 3000; x += 3)
                black += page.pixel(x, y) == QColor(Qt::black).rgb();
        // Only the chains (three lines, 2 x 3 pixels wide) and tick marks: no limit segments.
        const int chainsOnly = black;
        set.Options.SearchLimits = false;
        page.fill(Qt::white);
        {
            QPainter p(&page);
            PrintPlot(p, page.rect(), set, s, View);
        }
        black = 0;
        for (int y = 301; y < 2100; ++y)
            for (int x = 451; x < 3000; x += 3)
                black += page.pixel(x, y) == QColor(Qt::black).rgb();
        QCOMPARE(black, chainsOnly);

        // A window taller than wide: the whole world window still fits inside the printed frame.
        TViewTransform tall;
        FitView(QRect(0, 0, 700, 800), true, s, tall);
        const TViewTransform paper = PrintTransform(page.rect(), tall);
        QVERIFY(paper.PixelY(tall.WorldY(0)) >= paper.PlotTop - 1);
        QVERIFY(paper.PixelY(tall.WorldY(tall.PlotBottom)) <= paper.PlotBottom + 1);
        QVERIFY(paper.PixelX(tall.WorldX(tall.PlotRight)) <= paper.PlotRight + 1);
        // A wide one keeps the width-filling scale.
        const TViewTransform widePaper = PrintTransform(page.rect(), screen);
        QCOMPARE(widePaper.ScaleX, (8.5 * 300 - 1) / (screen.WorldX(screen.PlotRight) - screen.WorldX(0)));
    }
};

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    TestPlot test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_plot.moc"
