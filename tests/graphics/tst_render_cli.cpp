// brevanto-cli render, run as a process: output formats, option lists, the model's search kind and
// every argument error; its argument parsing and option choice in-process.
#include "Pixels.h"
#include "cli/CmdRender.h"
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct TRun {
    int Code = -1;
    QString Err;
};

TRun Cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(BREVANTO_CLI), QStringList{"render"} + args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

QString Data(const char* name) {
    return QStringLiteral(TEST_DATA_DIR "/plot/") + name;
}

} // namespace

class TestRenderCli : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;

    QString Out(const char* name) const { return Dir.filePath(name); }

  private slots:
    void pngSvgAndPdf() {
        TRun r = Cli({Data("full.qvxp"), "--model", Data("full.qvxd"), "--out", Out("full.png")});
        QCOMPARE(r.Code, 0);
        QImage img(Out("full.png"));
        QCOMPARE(img.size(), QSize(1200, 800));
        QVERIFY(CountColor(img, QColor(255, 0, 0)) > 100);  // critical surface
        QVERIFY(CountColor(img, QColor(0, 128, 0)) > 1000); // soil 1
        QVERIFY(CountColor(img, QColor(0, 128, 128)) > 50); // pressure zones

        r = Cli(
            {Data("full.qvxp"), "--model", Data("full.qvxd"), "--out", Out("full.SVG"), "--size", "600x400"});
        QCOMPARE(r.Code, 0);
        QFile svg(Out("full.SVG"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray svgText = svg.readAll();
        QVERIFY(svgText.contains("<svg"));
        QVERIFY(svgText.contains("viewBox=\"0 0 600 400\""));
        QVERIFY(svgText.contains("<title>Brevanto Graph</title>"));
        QVERIFY(svgText.contains("Horizontal Coordinate"));

        r = Cli({Data("full.qvxp"), "--model", Data("full.qvxd"), "--out", Out("full.pdf")});
        QCOMPARE(r.Code, 0);
        QFile pdf(Out("full.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray pdfText = pdf.readAll();
        QVERIFY(pdfText.startsWith("%PDF"));
        QVERIFY(pdfText.contains("/MediaBox [0 0 792.000000 612.000000]")); // letter, landscape
        QCOMPARE(pdfText.count("/Type /Page"), 2);                          // one page and the page tree
    }

    void optionListsAndSearchKind() {
        // Only the boundary lines: black, no colours.
        TRun r = Cli({Data("full.qvxp"), "--model", Data("full.qvxd"), "--out", Out("b.png"), "--options",
                      "boundary"});
        QCOMPARE(r.Code, 0);
        QImage img(Out("b.png"));
        QVERIFY(CountColor(img, Qt::black) > 500);
        QCOMPARE(CountColor(img, QColor(0, 128, 0)), 0);
        QCOMPARE(CountColor(img, QColor(255, 0, 0)), 0);

        // An option the file does not enable stays off: nocrit has no tiebacks, so nothing is drawn.
        r = Cli({Data("nocrit.qvxp"), "--model", Data("nocrit.qvxd"), "--out", Out("t.png"), "--options",
                 "tiebacks"});
        QCOMPARE(r.Code, 0);
        img = QImage(Out("t.png"));
        QCOMPARE(CountColor(img, Qt::white), img.width() * img.height());

        // The critical surface with radius lines for a circular search, without for an irregular one.
        r = Cli({Data("full.qvxp"), "--model", Data("full.qvxd"), "--out", Out("c.png"), "--options",
                 "critical"});
        QCOMPARE(r.Code, 0);
        const int withRadius = CountColor(QImage(Out("c.png")), Qt::black);
        QFile model(Data("full.qvxd"));
        QVERIFY(model.open(QIODevice::ReadOnly));
        QByteArray text = model.readAll();
        text.replace("CIRCL2", "RANDOM");
        QFile random(Out("random.qvxd"));
        QVERIFY(random.open(QIODevice::WriteOnly));
        random.write(text);
        random.close();
        r = Cli({Data("full.qvxp"), "--model", Out("random.qvxd"), "--out", Out("r.png"), "--options",
                 "critical"});
        QCOMPARE(r.Code, 0);
        const int withoutRadius = CountColor(QImage(Out("r.png")), Qt::black);
        QVERIFY2(withRadius > withoutRadius + 300,
                 qPrintable(QString("%1 %2").arg(withRadius).arg(withoutRadius)));
        QCOMPARE(CountColor(QImage(Out("r.png")), QColor(255, 0, 0)),
                 CountColor(QImage(Out("c.png")), QColor(255, 0, 0)));
    }

    // The trial surfaces coloured by factor of safety, drawn by the graph window's renderer: the lowest
    // factor in red, twice the lowest and above in blue, no grey plain trial surface left.
    void colouredTrialSurfaces() {
        const QColor low = QColor::fromHsvF(0, 0.9f, 0.9f), high = QColor::fromHsvF(240.0f / 360, 0.9f, 0.9f),
                     grey(192, 192, 192);
        TRun r = Cli({Data("full.qvxp"), "--model", Data("full.qvxd"), "--out", Out("plain.png"), "--options",
                      "trials"});
        QCOMPARE(r.Code, 0);
        QImage img(Out("plain.png"));
        QVERIFY(CountColor(img, grey) > 1000);
        QCOMPARE(CountColor(img, low), 0);
        QCOMPARE(CountColor(img, high), 0);

        // Naming fscolors alone draws the trial surfaces, coloured, with the legend.
        r = Cli({Data("full.qvxp"), "--model", Data("full.qvxd"), "--out", Out("fs.png"), "--options",
                 "fscolors,boundary"});
        QCOMPARE(r.Code, 0);
        img = QImage(Out("fs.png"));
        QCOMPARE(CountColor(img, grey), 0);
        QVERIFY2(CountColor(img, low) > 100, qPrintable(QString::number(CountColor(img, low))));
        QVERIFY(CountColor(img, high) > 14); // more than the legend's row
        QVERIFY(CountColor(img, Qt::black) > 500);

        // The default (every option the file enables) stays uncoloured.
        r = Cli({Data("full.qvxp"), "--model", Data("full.qvxd"), "--out", Out("default.png")});
        QCOMPARE(r.Code, 0);
        QCOMPARE(CountColor(QImage(Out("default.png")), low), 0);

        // The printed page (PDF) and SVG take the colours too.
        r = Cli({Data("full.qvxp"), "--model", Data("full.qvxd"), "--out", Out("fs.svg"), "--options",
                 "fscolors"});
        QCOMPARE(r.Code, 0);
        QFile svg(Out("fs.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains(low.name().toLatin1()));

        // Parsing, and a plot file that does not enable the trial surfaces: nothing to colour.
        TRenderParse p =
            ParseRenderArgs({"a.qvxp", "--model", "a.qvxd", "--out", "x.png", "--options", "fscolors"});
        QCOMPARE(p.Outcome, TRenderParse::Run);
        QVERIFY(p.Request.ColourByFactor && !p.Request.Options.AllTrialSurfaces);
        auto store = std::make_unique<TPlotStore>();
        store->Clear();
        store->Enabled.AllTrialSurfaces = true;
        TDrawSettings set = RenderSettings(p.Request, *store, TRenderModel());
        QVERIFY(set.ColourByFactor && set.Options.AllTrialSurfaces);
        store->Enabled.AllTrialSurfaces = false;
        set = RenderSettings(p.Request, *store, TRenderModel());
        QVERIFY(!set.ColourByFactor && !set.Options.AllTrialSurfaces);
        QVERIFY(!ParseRenderArgs({"a.qvxp", "--model", "a.qvxd", "--out", "x.png", "--options", "trials"})
                     .Request.ColourByFactor);
        QVERIFY(!ParseRenderArgs({"a.qvxp", "--model", "a.qvxd", "--out", "x.png"}).Request.ColourByFactor);
    }

    void parsesArgumentsAndChoosesOptions() {
        TRenderParse p =
            ParseRenderArgs({"a.qvxp", "--model", "a.qvxd", "--out", "x.Pdf", "--size", "640x480"});
        QCOMPARE(p.Outcome, TRenderParse::Run);
        QCOMPARE(p.Request.Plot, std::string("a.qvxp"));
        QCOMPARE(p.Request.Model, std::string("a.qvxd"));
        QVERIFY(p.Request.Format == TExportFormat::Pdf);
        QCOMPARE(p.Request.Width, 640);
        QCOMPARE(p.Request.Height, 480);
        QVERIFY(!p.Request.HaveOptions);
        QCOMPARE(ParseRenderArgs({"--help"}).Outcome, TRenderParse::Help);
        p = ParseRenderArgs({"a.qvxp", "b.qvxp", "--model", "a.qvxd", "--out", "x.png"});
        QCOMPARE(p.Outcome, TRenderParse::UsageError);
        QCOMPARE(p.Error, std::string("more than one plot file given"));
        p = ParseRenderArgs({"a.qvxp", "--model", "a.qvxd", "--out", "x.png", "--size", "20001x10"});
        QCOMPARE(p.Error, std::string("--size must be WxH, each from 16 to 20000 pixels, not \"20001x10\""));

        // Chosen options are drawn only where the plot file enables them; without a list, all it enables
        // and the scale. An irregular or block search draws no radius lines.
        p = ParseRenderArgs(
            {"a.qvxp", "--model", "a.qvxd", "--out", "x.svg", "--options", "trials,,ten,critical"});
        QCOMPARE(p.Outcome, TRenderParse::Run);
        QVERIFY(p.Request.Format == TExportFormat::Svg);
        auto store = std::make_unique<TPlotStore>();
        store->Clear();
        store->Enabled.AllTrialSurfaces = store->Enabled.BoundaryLines = true;
        TRenderModel model;
        model.RadiusLines = false;
        TDrawSettings set = RenderSettings(p.Request, *store, model);
        QVERIFY(set.Options.AllTrialSurfaces && !set.Options.TenSlipSurfaces &&
                !set.Options.CriticalSlipSurface);
        QVERIFY(!set.Options.BoundaryLines && !set.Options.Scale && !set.RadiusLines);
        p = ParseRenderArgs({"a.qvxp", "--model", "a.qvxd", "--out", "x.png"});
        set = RenderSettings(p.Request, *store, TRenderModel());
        QVERIFY(set.Options.AllTrialSurfaces && set.Options.BoundaryLines && set.Options.Scale);
        QVERIFY(!set.Options.TieBacks && set.RadiusLines);
    }

    void readerMessagesAndErrors() {
        // The no-data message is printed and the (empty) picture still written.
        TRun r = Cli({Data("empty.qvxp"), "--model", Data("full.qvxd"), "--out", Out("e.png")});
        QCOMPARE(r.Code, 0);
        QVERIFY(r.Err.contains("Graphics file does not contain any data."));
        QVERIFY(QFile::exists(Out("e.png")));

        r = Cli({Data("missing.qvxp"), "--model", Data("full.qvxd"), "--out", Out("m.png")});
        QCOMPARE(r.Code, 1);
        QVERIFY(r.Err.contains(Data("missing.qvxp")));
        QVERIFY(r.Err.contains("No such file or directory"));
        QVERIFY(!QFile::exists(Out("m.png")));

        r = Cli({Data("full.qvxp"), "--model", Data("missing.qvxd"), "--out", Out("m.png")});
        QCOMPARE(r.Code, 1);
        QVERIFY(r.Err.contains("missing.qvxd"));

        const QStringList base = {Data("full.qvxp"), "--model", Data("full.qvxd")};
        QCOMPARE(Cli(base + QStringList{"--out", Out("x.png"), "--options", "boundary,nonsense"}).Code, 2);
        QCOMPARE(Cli(base + QStringList{"--out", Out("x.gif")}).Code, 2);
        QCOMPARE(Cli(base + QStringList{"--out", Out("x.png"), "--size", "800"}).Code, 2);
        QCOMPARE(Cli(base + QStringList{"--out", Out("x.png"), "--size", "0x10"}).Code, 2);
        QCOMPARE(Cli(base + QStringList{"--out"}).Code, 2);
        QCOMPARE(Cli(base).Code, 2);
        QCOMPARE(Cli({Data("full.qvxp"), "--out", Out("x.png")}).Code, 2);
        QCOMPARE(Cli(base + QStringList{"--out", Out("x.png"), "--colour"}).Code, 2);
        r = Cli(base + QStringList{"--out", Out("x.png"), "--options", "nonsense"});
        QVERIFY(r.Err.contains("unknown display option \"nonsense\""));
        QVERIFY(!QFile::exists(Out("x.png")));

        // An output file that cannot be written.
        r = Cli(base + QStringList{"--out", Out("no/such/dir/x.png")});
        QCOMPARE(r.Code, 1);
        QVERIFY(r.Err.contains("cannot write"));
    }
};

QTEST_GUILESS_MAIN(TestRenderCli)
#include "tst_render_cli.moc"
