// brevanto-cli analyze and verify, run as processes: summaries, JSON, exit codes.
#include <QFile>
#include <QJsonArray>
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

    void probabilistic() {
        const QString input = Dir.filePath("cut.qvxd");
        QVERIFY(QFile::copy(
            QStringLiteral(BREVANTO_RESOURCE_DIR "/verification/undrained-circle-vertical-cut.qvxd"), input));
        const QString csv = Dir.filePath("samples.csv");
        TRun r =
            Cli({"probabilistic", input, "--samples", "2000", "--seed", "42", "--sampling", "lhs", "--vary",
                 "soil1.c=normal(40,8)", "--vary", "soil1.c=normal(50,10)[0,100]", "--csv", csv, "--json"});
        QCOMPARE(r.Code, 0);
        const QJsonObject json = QJsonDocument::fromJson(r.Out).object();
        for (const char* key : {"samples", "mean", "sd", "min", "max", "pf", "beta_normal", "beta_lognormal",
                                "seed", "sampling", "mode"})
            QVERIFY2(json.contains(key), key);
        QCOMPARE(json["samples"].toInt(), 2000);
        QCOMPARE(json["sampling"].toString(), QString("lhs"));
        QCOMPARE(json["mode"].toString(), QString("critical"));
        // The later --vary of a variable replaces the earlier; F = 1.66056 c / 50 (phi = 0).
        QCOMPARE(json["variables"].toArray().size(), 1);
        QVERIFY(std::abs(json["mean"].toDouble() - 1.66056) < 0.01);
        QFile table(csv);
        QVERIFY(table.open(QIODevice::ReadOnly));
        QCOMPARE(table.readLine(), QByteArray("sample,soil1.c,fs\n"));
        QCOMPARE(table.readAll().count('\n'), 2000);

        // The summary; the input's errors (exit 1); usage errors (exit 2).
        r = Cli({"probabilistic", input, "--samples", "50", "--vary", "soil1.phi=uniform(0,5)"});
        QCOMPARE(r.Code, 0);
        QVERIFY2(r.Out.contains("Probability of failure P(F < 1): "), r.Out.constData());
        // A cohesion drawn only where it can be, and said so; no statistic where no sample has a factor.
        r = Cli({"probabilistic", input, "--samples", "20", "--vary", "soil1.c=normal(10,20)"});
        QCOMPARE(r.Code, 0);
        QVERIFY2(
            r.Out.contains("30.9 % of the distribution is not a possible value (a cohesion of 0 or more)"),
            r.Out.constData());
        r = Cli({"probabilistic", input, "--samples", "20", "--vary", "soil1.c=normal(1e12,1)"});
        QCOMPARE(r.Code, 0);
        QVERIFY2(r.Out.contains("0 with a factor of safety") && r.Out.contains("Factor of safety: mean -,") &&
                     r.Out.contains("P(F < 1): - (standard error -)"),
                 r.Out.constData());
        QCOMPARE(Cli({"probabilistic", input}).Code, 1); // no random variable
        r = Cli({"probabilistic", input, "--vary", "soil7.c=normal(1,1)"});
        QCOMPARE(r.Code, 1);
        QVERIFY(r.Err.contains("error E403"));
        QCOMPARE(Cli({"probabilistic", Dir.filePath("none.qvxd"), "--vary", "kh=normal(0,1)"}).Code, 1);
        for (const QStringList& bad :
             {QStringList{"probabilistic"}, QStringList{"probabilistic", input, "--samples", "0"},
              QStringList{"probabilistic", input, "--sampling", "qmc"},
              QStringList{"probabilistic", input, "--mode", "fast"},
              QStringList{"probabilistic", input, "--vary", "soil1.c=normal(1,-1)"},
              QStringList{"probabilistic", input, "--correlate", "soil1"},
              QStringList{"probabilistic", input, "--seed", "-1"}})
            QCOMPARE(Cli(bad).Code, 2);
    }

    void batch() {
        const QString good = QStringLiteral(BREVANTO_RESOURCE_DIR "/verification/infinite-slope-dry.qvxd");
        const QString out = Dir.filePath("batch.csv");
        TRun r = Cli({"batch", good, good, "--csv", out});
        QCOMPARE(r.Code, 0);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines[0], QByteArray("file,method,factor,warnings"));
        QVERIFY(lines[1].startsWith(good.toUtf8() + ",janbu,1.58"));
        QCOMPARE(lines[2], lines[1]);
        // A file that cannot be read has its row with the error code and no factor; exit 1.
        r = Cli({"batch", good, Dir.filePath("missing.qvxd")});
        QCOMPARE(r.Code, 1);
        QVERIFY(r.Out.contains("missing.qvxd,janbu,,E001"));
        QCOMPARE(Cli({"batch"}).Code, 2);
        QCOMPARE(Cli({"batch", good, "--csv"}).Code, 2);
    }
};

QTEST_GUILESS_MAIN(TestEngineCli)
#include "tst_engine_cli.moc"
