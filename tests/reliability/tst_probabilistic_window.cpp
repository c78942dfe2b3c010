// Computation > Probabilistic Analysis: the setup window read and written, a run on the worker thread
// to its results window (checked against the closed form of a purely cohesive slope), Cancel, and the
// CSV export. With BREVANTO_SCREENSHOTS set, the windows are saved there as PNG files.
#include "engine/Engine.h"
#include "reliability/ProbabilisticResultsWindow.h"
#include "reliability/ProbabilisticWindow.h"
#include "support/MessageRecorder.h"
#include <QAreaSeries>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

namespace {
TSlopeDescription Cut() {
    TSlopeDescription d;
    quolm::TDiagnostics errors;
    quolm::ReadInputFile(BREVANTO_RESOURCE_DIR "/verification/undrained-circle-vertical-cut.qvxd", d, errors);
    return d;
}

TRandomVariable Var(const char* text) {
    TRandomVariable v;
    std::string why;
    ParseVariableSpec(text, v, why);
    return v;
}

void Shoot(QWidget* w, const char* name) {
    const QByteArray dir = qgetenv("BREVANTO_SCREENSHOTS");
    if (!dir.isEmpty())
        w->grab().save(QString::fromLocal8Bit(dir) + "/" + name);
}
} // namespace

class TestProbabilisticWindow : public QObject {
    Q_OBJECT

  private slots:
    void setupReadsBack() {
        TSlopeDescription d = Cut();
        d.Probabilistic.Present = true;
        d.Probabilistic.Samples = 321;
        d.Probabilistic.Seed = 18446744073709551615ull;
        d.Probabilistic.Sampling = TSamplingKind::LatinHypercube;
        d.Probabilistic.Mode = TProbabilisticMode::Search;
        d.Probabilistic.Variables = {Var("soil1.c=lognormal(50,10)[20,90]"),
                                     Var("soil1.phi=triangular(0,2,5)")};
        d.Probabilistic.Correlations = {{1, -0.4}};
        TProbabilisticSetup stored;
        TProbabilisticWindow w(d, [&stored](const TProbabilisticSetup& s) { stored = s; });
        QCOMPARE(w.Variables()->rowCount(), 2);
        TProbabilisticSetup read;
        QString error;
        QVERIFY(w.ReadSetup(read, error));
        QVERIFY(read == d.Probabilistic);

        // Keep with Model hands the setup to the model; a row that does not read is refused.
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == "Keep with Model")
                b->click();
        QVERIFY(stored == d.Probabilistic);
        w.Variables()->item(1, 2)->setText("5, 2, 0");
        QVERIFY(!w.ReadSetup(read, error));
        QVERIFY2(error.startsWith("Row 2:"), qPrintable(error));
        // Keep with Model on that row says why in this window's error box and leaves the model's setup alone.
        TMessageRecorder messages(&w);
        stored = TProbabilisticSetup{};
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == "Keep with Model")
                b->click();
        QCOMPARE(messages.Count(), 1);
        QCOMPARE(messages.Messages().front().Kind, TMsgKind::Error);
        QVERIFY2(messages.LastText().startsWith("Row 2:"), qPrintable(messages.LastText()));
        QVERIFY(stored == TProbabilisticSetup{});
    }

    void runShowsResults() {
        // phi = 0: F is proportional to c (Fellenius): c normal (50, 10) gives F normal with mean 1.66056
        // and sd 0.33211, P(F < 1) = 0.0233.
        TProbabilisticWindow w(Cut(), nullptr);
        w.AddVariableRow(Var("soil1.c=normal(50,10)"));
        w.SamplesBox()->setValue(4000);
        w.show();
        Shoot(&w, "probabilistic-setup.png");
        QSignalSpy finished(&w, &TProbabilisticWindow::RunFinished);
        w.RunButton()->click();
        QVERIFY(!w.RunButton()->isEnabled());
        QVERIFY(finished.wait(120000));
        QCOMPARE(w.ProgressBar()->value(), 100);
        TProbabilisticResultsWindow* results = w.Results();
        QVERIFY(results);
        const QString text = results->SummaryText();
        QVERIFY2(text.contains("Samples: 4000, with a factor of safety: 4000"), qPrintable(text));
        const QRegularExpressionMatch mean = QRegularExpression("mean ([0-9.]+)").match(text);
        QVERIFY(mean.hasMatch());
        QVERIFY(std::abs(mean.captured(1).toDouble() - 1.66056) < 4 * 0.33211 / std::sqrt(4000.0) + 0.004);
        const QRegularExpressionMatch pf = QRegularExpression("P\\(F < 1\\): ([0-9.]+)").match(text);
        QVERIFY(pf.hasMatch());
        QVERIFY(std::abs(pf.captured(1).toDouble() - 0.02335) < 4 * std::sqrt(0.0233 * 0.9767 / 4000));
        results->resize(1000, 620);
        QTest::qWait(50);
        Shoot(results, "probabilistic-results.png");

        // Both charts plot against a factor-of-safety value axis whose round labels stand level and fit
        // side by side; the histogram's steps hold every sample.
        const QList<QChartView*> views = results->findChildren<QChartView*>();
        QCOMPARE(views.size(), 2);
        for (QChartView* view : views) {
            const auto* axis = qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Horizontal).value(0));
            QVERIFY(axis);
            QCOMPARE(axis->labelsAngle(), 0);
            const QFontMetrics metrics(axis->labelsFont());
            int ticks = 0;
            int width = 0;
            for (double x = axis->tickAnchor(); x <= axis->max() + 1e-9; x += axis->tickInterval(), ++ticks)
                width +=
                    metrics.horizontalAdvance(QString::asprintf(qPrintable(axis->labelFormat()), x) + "  ");
            QVERIFY(ticks >= 3);
            QVERIFY2(width < view->chart()->plotArea().width(), qPrintable(QString::number(width)));
        }
        const auto* area = qobject_cast<QAreaSeries*>(views[0]->chart()->series().value(0));
        QVERIFY(area);
        double counted = 0;
        const QList<QPointF> points = area->upperSeries()->points();
        for (int i = 1; i + 1 < points.size(); i += 2)
            counted += points[i].y();
        QCOMPARE(counted, 4000.0);

        QTemporaryDir dir;
        const QString csv = dir.filePath("samples.csv");
        QVERIFY(results->ExportCsv(csv));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readLine(), QByteArray("sample,soil1.c,fs\n"));
        QCOMPARE(f.readAll().count('\n'), 4000);
        QVERIFY(!results->ExportCsv(dir.filePath("no/such/folder/x.csv")));
    }

    void runTakesTheModelAsItStands() {
        // The window is opened on the cut and the model then changes (its unit weight doubled) while
        // the window stays open: the run is of the model as it stands. phi = 0, so F = c L R / (W d)
        // halves: 1.66056 / 2 with c near 50.
        TProbabilisticWindow w(Cut(), nullptr);
        TSlopeDescription heavier = Cut();
        for (TSlopeSoil& soil : heavier.Soils) {
            soil.MoistUnitWeight *= 2;
            soil.SaturatedUnitWeight *= 2;
        }
        w.FollowModel(heavier);
        w.AddVariableRow(Var("soil1.c=normal(50,0.001)"));
        w.SamplesBox()->setValue(20);
        QSignalSpy finished(&w, &TProbabilisticWindow::RunFinished);
        w.RunButton()->click();
        QVERIFY(finished.wait(120000));
        QVERIFY(w.Results());
        const QString text = w.Results()->SummaryText();
        const QRegularExpressionMatch mean = QRegularExpression("mean ([0-9.]+)").match(text);
        QVERIFY2(mean.hasMatch(), qPrintable(text));
        QVERIFY2(std::abs(mean.captured(1).toDouble() - 1.66056 / 2) < 0.002, qPrintable(text));
        // c hardly varies, nor does F: the histogram still draws its samples as bars a user can see
        // (each at least a sixtieth of the axis wide), all 20 of them.
        const QList<QChartView*> views = w.Results()->findChildren<QChartView*>();
        QCOMPARE(views.size(), 2);
        const auto* area = qobject_cast<QAreaSeries*>(views[0]->chart()->series().value(0));
        const auto* axis = qobject_cast<QValueAxis*>(views[0]->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(area && axis);
        const QList<QPointF> points = area->upperSeries()->points();
        double counted = 0;
        for (int i = 1; i + 1 < points.size(); i += 2) {
            counted += points[i].y();
            QVERIFY(points[i + 1].x() - points[i].x() >= (axis->max() - axis->min()) / 60 * 0.999);
        }
        QCOMPARE(counted, 20.0);
        // The results say so once the model changes again, and no longer when it is back as it was.
        QVERIFY(!w.Results()->IsOutdated());
        w.FollowModel(Cut());
        QVERIFY(w.Results()->IsOutdated());
        w.FollowModel(heavier);
        QVERIFY(!w.Results()->IsOutdated());
    }

    void summaryNamesWhatCannotBe() {
        // A cohesion drawn only where it can be, said in the summary; where no sample has a factor,
        // no statistic is shown as a value.
        const auto summary = [](const char* variable) {
            TProbabilisticWindow w(Cut(), nullptr);
            w.AddVariableRow(Var(variable));
            w.SamplesBox()->setValue(20);
            QSignalSpy finished(&w, &TProbabilisticWindow::RunFinished);
            w.RunButton()->click();
            if (!finished.wait(60000) || !w.Results())
                return QString();
            // The histogram's count axis labels whole counts, none twice, however few samples it holds.
            const QList<QChartView*> views = w.Results()->findChildren<QChartView*>();
            const auto* counts =
                views.empty() ? nullptr
                              : qobject_cast<QValueAxis*>(views[0]->chart()->axes(Qt::Vertical).value(0));
            if (!counts)
                return QString();
            const double interval = counts->tickType() == QValueAxis::TicksDynamic
                                        ? counts->tickInterval()
                                        : (counts->max() - counts->min()) / (counts->tickCount() - 1);
            if (!(interval >= 1) || interval != std::round(interval))
                return QStringLiteral("count axis step %1").arg(interval);
            return w.Results()->SummaryText();
        };
        QString text = summary("soil1.c=normal(10,20)");
        QVERIFY2(
            text.contains("soil1.c: 30.9 % of the distribution is not a possible value (a cohesion of 0 or "
                          "more) and was drawn again"),
            qPrintable(text));
        text = summary("soil1.c=normal(1e12,1)");
        QVERIFY2(text.contains("with a factor of safety: 0\n") &&
                     text.contains("mean -, standard deviation -, minimum -, maximum -") &&
                     text.contains("P(F < 1): - (standard error -)"),
                 qPrintable(text));
    }

    void cancelStops() {
        TProbabilisticWindow w(Cut(), nullptr);
        w.AddVariableRow(Var("soil1.c=normal(50,10)"));
        w.SamplesBox()->setValue(2000000);
        QSignalSpy finished(&w, &TProbabilisticWindow::RunFinished);
        w.RunButton()->click();
        QVERIFY(w.CancelButton()->isEnabled());
        QTest::qWait(200);
        w.CancelButton()->click();
        QVERIFY(finished.wait(60000));
        QVERIFY(w.Results());
        QVERIFY(w.Results()->SummaryText().contains("Cancelled"));
        QVERIFY(w.RunButton()->isEnabled());
    }
};

QTEST_MAIN(TestProbabilisticWindow)
#include "tst_probabilistic_window.moc"
