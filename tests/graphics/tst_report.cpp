// The report: `brevanto-cli report` on the bundled example as a process (the PDF read back with
// pdftotext and pdfinfo from poppler-utils, the HTML checked for being self-contained), refusals of
// bad input, and the remedies taken from the error-message notes.
#include "graphics/ResultReport.h"
#include <QFile>
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
    const double fs = QJsonDocument::fromJson(r.Out).object()["critical"].toObject()["fs"].toDouble();
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
    QCOMPARE(h.count("src="), 1);
    QVERIFY(h.contains("Factor of safety: " + QString::number(fs, 'f', 3)));
    QVERIFY(h.contains("Search settings"));
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

QTEST_MAIN(TestReport)
#include "tst_report.moc"
