// brevanto-cli analyze and verify, run as processes: summaries, JSON, exit codes.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct TRun {
    int Code = -1;
    QByteArray Out, Err;
};

TRun Cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(BREVANTO_CLI), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}
} // namespace

class TestEngineCli : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;

  private slots:
    void analyze() {
        const QString input = Dir.filePath("case3.qvxd");
        QVERIFY(QFile::copy(
            QStringLiteral(BREVANTO_RESOURCE_DIR "/verification/fredlund-krahn-1977-case3.qvxd"), input));
        TRun r = Cli({"analyze", input});
        QCOMPARE(r.Code, 0);
        QVERIFY2(r.Out.contains("Method: Bishop's simplified method"), r.Out.constData());
        QVERIFY(r.Out.contains("Factor of safety: 1.759"));
        QVERIFY(r.Out.contains("Spencer 1.757"));
        for (const char* ext : {".qvxo", ".qvxp", ".qvxr"})
            QVERIFY(QFile::exists(Dir.filePath(QString("case3") + ext)));

        r = Cli({"analyze", input, "--json"});
        QCOMPARE(r.Code, 0);
        const QJsonObject json = QJsonDocument::fromJson(r.Out).object();
        QCOMPARE(json["method"].toString(), QString("bishop"));
        QVERIFY(std::abs(json["critical"].toObject()["methods"].toObject()["spencer"].toDouble() - 1.757) <
                0.001);

        // An input with errors: the files are written, the errors go to standard error, exit 1.
        const QString bad = Dir.filePath("bad.qvxd");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("PROFIL\r\nT\r\n1 1 1\r\n0. 0. 10. 0. 4\r\nSOIL\r\n1\r\n1. 1. 1. 1. 0. 0. 0\r\nEXECUT\r\n");
        f.close();
        r = Cli({"analyze", bad});
        QCOMPARE(r.Code, 1);
        QVERIFY(r.Err.contains("error E105: Soil 4 named by boundary line 1 is not defined"));
        QVERIFY(r.Err.contains("error E180"));
        QVERIFY(QFile::exists(Dir.filePath("bad.qvxo")));

        // Usage errors.
        QCOMPARE(Cli({"analyze"}).Code, 2);
        QCOMPARE(Cli({"analyze", input, "--fast"}).Code, 2);
        QCOMPARE(Cli({"analyze", input, input}).Code, 2);
        QCOMPARE(Cli({"verify", "extra"}).Code, 2);
    }

    void verify() {
        const TRun r = Cli({"verify"});
        QCOMPARE(r.Code, 0);
        QVERIFY(r.Out.startsWith("Problem"));
        QVERIFY(
            r.Out.contains("fredlund-krahn-1977-case1           bishop                  2.080     2.076"));
        QVERIFY(r.Out.contains("All values within their tolerances."));
        QVERIFY(!r.Out.contains("FAIL"));
    }
};

QTEST_GUILESS_MAIN(TestEngineCli)
#include "tst_engine_cli.moc"
