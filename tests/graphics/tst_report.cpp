// The report: `brevanto-cli report` on the bundled example as a process (the PDF read back with
// pdftotext and pdfinfo from poppler-utils, the HTML checked for being self-contained), refusals of
// bad input, the remedies taken from the error-message notes, and the history of the search's minimum
// from results written here with known numbers.
#include "graphics/ResultReport.h"
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct TRun {
    int Code = -1;
    QByteArray Out, Err;
};

TRun Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(180000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

TRun Cli(const QStringList& args) {
    return Run(QStringLiteral(BREVANTO_CLI), args);
}
} // namespace

class TestReport : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;

  private slots:
    void exampleReport();
    void badInput();
    void remedies();
    void convergenceHistory();
    void resultsOfAnEarlierModelNotReported();
};

void TestReport::exampleReport() {
    const QString input = Dir.filePath("ExampleDam.qvxd");
    QVERIFY(QFile::copy(QStringLiteral(BREVANTO_RESOURCE_DIR "/examples/ExampleDam.qvxd"), input));
    const QString pdf = Dir.filePath("report.pdf");
    TRun r = Cli({"report", input, "--out", pdf});
    QVERIFY2(r.Code == 0, r.Err.constData());
    // Without results beside it the model was analysed in a folder of its own: its folder is unchanged.
    QVERIFY(!QFile::exists(Dir.filePath("ExampleDam.qvxr")));

    const TRun info = Run("pdfinfo", {pdf});
    QCOMPARE(info.Code, 0);
    const QRegularExpressionMatch pages = QRegularExpression("Pages:\\s+(\\d+)").match(info.Out);
    QVERIFY(pages.hasMatch());
    QVERIFY2(pages.captured(1).toInt() >= 2, info.Out.constData());
    const TRun text = Run("pdftotext", {"-layout", pdf, "-"});
    QCOMPARE(text.Code, 0);
    const QString t = QString::fromUtf8(text.Out);
    for (const char* part :
         {"Example earth dam - downstream slope, Bishop search", "Project title", "Program", "Units",
          "Boundary lines", "Soils", "Water", "Loads", "Earthquake", "Tiebacks", "Reinforcement",
          "Search settings", "Every method on the critical surface", "Slices: geometry and strength",
          "Warnings"})
        QVERIFY2(t.contains(part), part);

    // The factor of safety printed is the one the analysis gives (the results of `analyze`).
    r = Cli({"analyze", input, "--json"});
    QCOMPARE(r.Code, 0);
    const QJsonObject analysed = QJsonDocument::fromJson(r.Out).object();
    const double fs = analysed["critical"].toObject()["fs"].toDouble();
    QVERIFY(fs > 0.5 && fs < 5);
    QVERIFY2(t.contains("Factor of safety: " + QString::number(fs, 'f', 3)), qPrintable(t.left(3000)));

    // Now with results beside it, as HTML: one file, the picture inside it.
    const QString html = Dir.filePath("report.html");
    r = Cli({"report", input, "--out", html});
    QVERIFY2(r.Code == 0, r.Err.constData());
    QFile file(html);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString h = QString::fromUtf8(file.readAll());
    QVERIFY(h.contains("src=\"data:image/png;base64,iVBOR"));
    QCOMPARE(h.count("src=\"data:image/png;base64,"), 2); // the picture and the chart of the minimum
    QCOMPARE(h.count("src="), 2);
    QVERIFY(h.contains("Factor of safety: " + QString::number(fs, 'f', 3)));
    QVERIFY(h.contains("Search settings"));

    // The search's history of the minimum, row by row as the analysis reports it.
    QVERIFY(t.contains("How the minimum fell"));
    const QJsonArray history = analysed["convergence"].toArray();
    QVERIFY(!history.isEmpty());
    for (const QJsonValue& v : history) {
        const QJsonObject c = v.toObject();
        const QString row = QString("%1 %\\s+%2\\s+%3\\s+%4")
                                .arg(qRound(100 * c["share"].toDouble()))
                                .arg(static_cast<qint64>(c["surfaces"].toDouble()))
                                .arg(c["generated"].toDouble(), 0, 'f', 3)
                                .arg(c["optimised"].toDouble(), 0, 'f', 3);
        QVERIFY2(QRegularExpression(row).match(t).hasMatch(), qPrintable(row));
    }
}

void TestReport::badInput() {
    TRun r = Cli({"report", Dir.filePath("missing.qvxd"), "--out", Dir.filePath("x.pdf")});
    QCOMPARE(r.Code, 1);
    QVERIFY(r.Err.contains("cannot read the input file"));
    QVERIFY(!QFile::exists(Dir.filePath("x.pdf")));

    const QString bad = Dir.filePath("bad.qvxd");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("this is no slope\r\n");
    f.close();
    r = Cli({"report", bad, "--out", Dir.filePath("y.pdf")});
    QCOMPARE(r.Code, 1);
    QVERIFY2(r.Err.contains("brevanto-cli report: cannot read the input file"), r.Err.constData());
    QVERIFY(!QFile::exists(Dir.filePath("y.pdf")));

    QCOMPARE(Cli({"report", bad, "--out", Dir.filePath("z.txt")}).Code, 2);
    QCOMPARE(Cli({"report", bad}).Code, 2);
}

void TestReport::remedies() {
    const QString notes = "W202  A method gives a negative effective normal force on a slice.\n"
                          "      Meaning: The soil would be in tension.\n"
                          "      Remedy : Check the slice. A tension\n"
                          "               crack at the crest often removes it.\n"
                          "\n"
                          "W203  m-alpha falls below 0.2 on a slice.\n"
                          "      Remedy : Compare.\n";
    QCOMPARE(RemedyFor(notes, "W202"),
             QString("Check the slice. A tension crack at the crest often removes it."));
    QCOMPARE(RemedyFor(notes, "W203"), QString("Compare."));
    QCOMPARE(RemedyFor(notes, "W20"), QString());
    QFile installed(QStringLiteral(BREVANTO_RESOURCE_DIR "/error-message.txt"));
    QVERIFY(installed.open(QIODevice::ReadOnly));
    QVERIFY(RemedyFor(QString::fromUtf8(installed.readAll()), "W204").startsWith("Consider a tension crack"));
}

void TestReport::convergenceHistory() {
    const QByteArray head = R"({"schema": 2, "engine": "test", "units": "si", "method": "bishop",
        "surfaces": {"generated": 400, "analysed": 400, "rejected": {}}, "critical": null, "ten": [])";
    TReportSources s;
    s.HaveResults = true;
    s.Description.Settings.Title = "History";
    QString error;
    QVERIFY(ParseResults(head + R"(, "convergence": [
        {"share": 0.1, "surfaces": 40, "generated": null, "optimised": null},
        {"share": 0.5, "surfaces": 200, "generated": 1.384, "optimised": 1.3604},
        {"share": 1, "surfaces": 400, "generated": 1.3706, "optimised": 1.33}]})",
                         s.Results, error));
    const QString html = ReportHtml(s, QString());
    QVERIFY(html.contains("How the minimum fell"));
    const auto cells = [](const QStringList& c) {
        return "<td align=\"right\">" + c.join("</td><td align=\"right\">") + "</td>";
    };
    QVERIFY(html.contains(cells({"10 %", "40", QString::fromUtf8("–"), QString::fromUtf8("–")})));
    QVERIFY(html.contains(cells({"50 %", "200", "1.384", "1.360"})));
    QVERIFY(html.contains(cells({"100 %", "400", "1.371", "1.330"})));

    // The chart: both lines reach the last step at the right; after optimisation lies below the
    // generated best (a lower factor is lower on the chart).
    const QImage chart = ConvergenceChart(s.Results, QSize(960, 560));
    QCOMPARE(chart.size(), QSize(960, 560));
    const auto extent = [&chart](QRgb colour) {
        QRect r;
        for (int y = 0; y < chart.height(); ++y)
            for (int x = 0; x < chart.width(); ++x)
                if (chart.pixel(x, y) == colour)
                    r |= QRect(x, y, 1, 1);
        return r;
    };
    const QRect generated = extent(qRgb(32, 159, 223)), optimised = extent(qRgb(200, 0, 0));
    QVERIFY(generated.isValid() && optimised.isValid());
    QVERIFY(generated.right() > 900 && optimised.right() > 900);
    QVERIFY2(optimised.bottom() > generated.bottom() + 20,
             qPrintable(QString("%1 %2").arg(optimised.bottom()).arg(generated.bottom())));

    // Numbers no search writes draw (or give no chart) without hanging on ticks below their precision.
    for (const char* history :
         {R"([{"share": 1, "surfaces": 1e15, "generated": 1e15, "optimised": 1e15}])",
          R"([{"share": 1, "surfaces": 3, "generated": -1.7e308, "optimised": 1.7e308}])",
          R"([{"share": 1, "surfaces": -3, "generated": 1, "optimised": 1}])"}) {
        TResults odd;
        QVERIFY(ParseResults(head + ", \"convergence\": " + history + "}", odd, error));
        QCOMPARE(odd.Convergence.size(), 1);
        (void)ConvergenceChart(odd, QSize(960, 560));
    }

    // On paper: the rows in the PDF's text, the chart as its one image (there is no picture).
    const QString pdf = Dir.filePath("history.pdf");
    QVERIFY2(WriteReport(pdf, s, error), qPrintable(error));
    const TRun text = Run("pdftotext", {"-layout", pdf, "-"});
    QCOMPARE(text.Code, 0);
    for (const char* row : {"50 %\\s+200\\s+1.384\\s+1.360", "100 %\\s+400\\s+1.371\\s+1.330"})
        QVERIFY2(QRegularExpression(row).match(QString::fromUtf8(text.Out)).hasMatch(), row);
    const TRun images = Run("pdfimages", {"-list", pdf});
    QCOMPARE(images.Code, 0);
    QCOMPARE(images.Out.count(" image "), 1);
    QVERIFY(QRegularExpression(" image +960 +560 ").match(images.Out).hasMatch());

    // Results of an older engine have no history: the report leaves the part out.
    QVERIFY(ParseResults(head + "}", s.Results, error));
    QVERIFY(s.Results.Convergence.isEmpty());
    QVERIFY(!ReportHtml(s, QString()).contains("How the minimum fell"));
    QVERIFY(ConvergenceChart(s.Results, QSize(960, 560)).isNull());
    QVERIFY(WriteReport(Dir.filePath("old.html"), s, error));
    QFile old(Dir.filePath("old.html"));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QVERIFY(!old.readAll().contains("<img"));
}

void TestReport::resultsOfAnEarlierModelNotReported() {
    QTemporaryDir dir;
    const QString input = dir.filePath("dam.qvxd");
    QVERIFY(QFile::copy(QStringLiteral(BREVANTO_RESOURCE_DIR "/examples/ExampleDam.qvxd"), input));
    QFile(input).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(ResultsAge(input), TResultsAge::Missing);
    TRun r = Cli({"analyze", input, "--json"});
    QCOMPARE(r.Code, 0);
    const double before = QJsonDocument::fromJson(r.Out).object()["critical"].toObject()["fs"].toDouble();
    QCOMPARE(ResultsAge(input), TResultsAge::Current);

    // The model changed and saved after the run (the first soil's cohesion halved); the run's files
    // dated back so that the order does not hang on the clock's resolution.
    QFile file(input);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    QVERIFY(text.contains("120. 125. 200. 30."));
    text.replace("120. 125. 200. 30.", "120. 125. 100. 30.");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    const QDateTime earlier = QFileInfo(input).lastModified().addSecs(-60);
    for (const char* extension : {".qvxr", ".qvxp"}) {
        QFile run(RunFileOf(input, extension));
        QVERIFY(run.open(QIODevice::ReadWrite));
        QVERIFY(run.setFileTime(earlier, QFileDevice::FileModificationTime));
    }
    QCOMPARE(ResultsAge(input), TResultsAge::Older);

    // The command line's report analyses the file as it is, not the results beside it.
    const QString pdf = dir.filePath("report.pdf");
    r = Cli({"report", input, "--out", pdf});
    QVERIFY2(r.Code == 0, r.Err.constData());
    const QString t = QString::fromUtf8(Run("pdftotext", {"-layout", pdf, "-"}).Out);
    r = Cli({"analyze", input, "--json"});
    QCOMPARE(r.Code, 0);
    const double now = QJsonDocument::fromJson(r.Out).object()["critical"].toObject()["fs"].toDouble();
    QVERIFY2(now < before - 0.005, qPrintable(QString("%1 %2").arg(before).arg(now)));
    QVERIFY(t.contains("Factor of safety: " + QString::number(now, 'f', 3)));
    QVERIFY(!t.contains("Factor of safety: " + QString::number(before, 'f', 3)));

    // Results without their plot are not taken as current either.
    QCOMPARE(ResultsAge(input), TResultsAge::Current);
    QVERIFY(QFile::remove(RunFileOf(input, ".qvxp")));
    QCOMPARE(ResultsAge(input), TResultsAge::Older);
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
