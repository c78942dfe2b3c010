// The results window offscreen on the engine's results of the bundled example: the slice table holds
// exactly the numbers of the results file (read here with Qt's own JSON reader), sorting, copying,
// CSV export, the charts and the choice of a surface for the graph window; the history of the search's
// minimum from a results file written here with known numbers, and from files without it.
#include "engine/Engine.h"
#include "widgets/ResultsWindow.h"
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineSeries>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

class TestResultsWindow : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString Results;
    QJsonObject Json;

  private slots:
    void initTestCase();
    void sliceTable();
    void csvAndCopy();
    void summaryAndCharts();
    void convergenceHistory();
    void screenshots();
};

void TestResultsWindow::initTestCase() {
    const QString input = Dir.filePath("ExampleDam.qvxd");
    QVERIFY(QFile::copy(QStringLiteral(BREVANTO_RESOURCE_DIR "/examples/ExampleDam.qvxd"), input));
    quolm::RunFiles(quolm::FilesBeside(input.toStdString()), quolm::TRunOptions());
    Results = Dir.filePath("ExampleDam.qvxr");
    QFile f(Results);
    QVERIFY(f.open(QIODevice::ReadOnly));
    Json = QJsonDocument::fromJson(f.readAll()).object();
    QVERIFY(Json["critical"].toObject()["slices"].toArray().size() > 10);
}

void TestResultsWindow::sliceTable() {
    TResultsWindow w;
    QVERIFY(w.Load(Results, QString()));
    const QJsonArray slices = Json["critical"].toObject()["slices"].toArray();
    auto* model = qobject_cast<QStandardItemModel*>(w.SliceTable()->model());
    QCOMPARE(model->rowCount(), slices.size());
    const std::vector<TSliceColumn>& columns = SliceColumns();
    QCOMPARE(model->columnCount(), static_cast<int>(columns.size()) + 1);
    for (int i = 0; i < slices.size(); ++i) {
        const QJsonObject s = slices[i].toObject();
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const QJsonValue v = columns[k].Component < 0 ? s[columns[k].Key]
                                                          : s[columns[k].Key].toArray()[columns[k].Component];
            const double shown = model->item(i, static_cast<int>(k) + 1)->data(Qt::UserRole).toDouble();
            if (v.isNull())
                QVERIFY(std::isnan(shown));
            else
                QVERIFY2(shown == v.toDouble(),
                         qPrintable(QString("slice %1 %2").arg(i).arg(columns[k].Key)));
        }
    }
    // Sorting by weight, heaviest first.
    const int weight = SliceColumnIndex("weight") + 1;
    w.SliceTable()->sortByColumn(weight, Qt::DescendingOrder);
    double previous = INFINITY, heaviest = 0;
    for (int i = 0; i < model->rowCount(); ++i) {
        const double v = model->item(i, weight)->data(Qt::UserRole).toDouble();
        QVERIFY(v <= previous);
        previous = v;
    }
    for (const QJsonValue& s : slices)
        heaviest = std::max(heaviest, s.toObject()["weight"].toDouble());
    QCOMPARE(model->item(0, weight)->data(Qt::UserRole).toDouble(), heaviest);
}

void TestResultsWindow::csvAndCopy() {
    TResultsWindow w;
    QVERIFY(w.Load(Results, QString()));
    const QString csv = Dir.filePath("slices.csv");
    QVERIFY(w.ExportCsv(csv));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    const QJsonArray slices = Json["critical"].toObject()["slices"].toArray();
    QCOMPARE(lines.size(), slices.size() + 1);
    QVERIFY(lines[0].startsWith("Slice,\"X left (ft)\""));
    const int shear = SliceColumnIndex("shear") + 1, soil = SliceColumnIndex("soil") + 1;
    for (int i = 0; i < slices.size(); ++i) {
        const QStringList cells = lines[i + 1].split(',');
        QCOMPARE(cells.size(), static_cast<int>(SliceColumns().size()) + 1);
        QCOMPARE(cells[0].toInt(), i + 1);
        QCOMPARE(cells[shear].toDouble(), slices[i].toObject()["shear"].toDouble());
        QCOMPARE(cells[soil].toInt(), slices[i].toObject()["soil"].toInt());
    }
    QVERIFY(!w.ExportCsv(Dir.filePath("no/such/folder/x.csv")));

    // Copy: a block of the selection with its header, tab-separated.
    w.SliceTable()->selectionModel()->select(
        QItemSelection(w.SliceTable()->model()->index(2, 1), w.SliceTable()->model()->index(4, 3)),
        QItemSelectionModel::Select);
    w.CopySlices();
    const QStringList copied = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(copied.size(), 4);
    QCOMPARE(copied[0], QString("X left (ft)\tX right (ft)\tWidth (ft)"));
    QCOMPARE(copied[1].split('\t')[2].toDouble(), slices[2].toObject()["width"].toDouble());
}

void TestResultsWindow::summaryAndCharts() {
    TResultsWindow w;
    w.resize(900, 600);
    QVERIFY(w.Load(Results, QString::fromUtf8(BREVANTO_RESOURCE_DIR "/error-message.txt")));
    const QJsonObject c = Json["critical"].toObject();
    QCOMPARE(w.MethodTable()->rowCount(), 6);
    QCOMPARE(w.MethodTable()->item(1, 1)->text(),
             QString::number(c["methods"].toObject()["bishop"].toDouble(), 'f', 3));
    QVERIFY(w.MethodTable()->item(4, 2)->text().contains(QString::fromUtf8("θ")));
    QCOMPARE(w.SurfaceTable()->rowCount(), 10);
    QSignalSpy chosen(&w, &TResultsWindow::SurfaceChosen);
    w.SurfaceTable()->setCurrentCell(3, 0);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen[0][0].toInt(), 3);

    const int n = c["slices"].toArray().size();
    for (int k = 0; k < w.ChartChoice()->count(); ++k) {
        w.ChartChoice()->setCurrentIndex(k);
        const QList<QAbstractSeries*> series = w.ChartView()->chart()->series();
        QVERIFY(!series.isEmpty());
        auto* first = qobject_cast<QLineSeries*>(series.first());
        QVERIFY2(first->count() >= n - 1,
                 qPrintable(QString("chart %1: %2 points").arg(k).arg(first->count())));
    }
    // A file that is no results file: the window says so and shows nothing.
    QVERIFY(!w.Load(Dir.filePath("ExampleDam.qvxd"), QString()));
    QCOMPARE(w.MethodTable()->rowCount(), 0);
}

namespace {
// A results file with a search's history of the minimum and nothing else of note.
QByteArray ResultsWith(const QByteArray& convergence, const QByteArray& warnings = "[]") {
    return R"({"schema": 2, "engine": "test", "version": "1", "units": "si", "method": "bishop",
               "surfaces": {"generated": 400, "analysed": 390, "rejected": {"outside": 10}},
               "critical": null, "ten": [], "errors": [], "warnings": )" +
           warnings + (convergence.isEmpty() ? QByteArray() : ", \"convergence\": " + convergence) + "}";
}

bool Write(const QString& path, const QByteArray& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}
} // namespace

void TestResultsWindow::convergenceHistory() {
    TResultsWindow w;
    w.resize(900, 600);
    const QString path = Dir.filePath("history.qvxr");
    QVERIFY(
        Write(path, ResultsWith(R"([
        {"share": 0.1, "surfaces": 40, "generated": null, "optimised": null},
        {"share": 0.25, "surfaces": 100, "generated": 1.42, "optimised": 1.4},
        {"share": 0.5, "surfaces": 200, "generated": 1.38, "optimised": 1.36},
        {"share": 1, "surfaces": 400, "generated": 1.37, "optimised": 1.33}])",
                                R"(["W316 The second half of the surfaces still lowered the minimum"])")));
    QVERIFY(w.Load(path, QString()));
    int page = -1;
    for (int i = 0; i < w.Tabs()->count(); ++i)
        if (w.Tabs()->tabText(i) == "Convergence")
            page = i;
    QVERIFY(page >= 0);
    QVERIFY(w.Tabs()->widget(page)->isAncestorOf(w.ConvergenceTable()));
    QTableWidget* t = w.ConvergenceTable();
    QCOMPARE(t->rowCount(), 4);
    const char* const rows[][4] = {{"10 %", "40", "–", "–"},
                                   {"25 %", "100", "1.420", "1.400"},
                                   {"50 %", "200", "1.380", "1.360"},
                                   {"100 %", "400", "1.370", "1.330"}};
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            QCOMPARE(t->item(i, k)->text(), QString::fromUtf8(rows[i][k]));
    // The chart: the minimum against the surfaces evaluated, the step without a factor left out.
    const QList<QAbstractSeries*> series = w.ConvergenceChart()->chart()->series();
    QCOMPARE(series.size(), 2);
    const auto* optimised = qobject_cast<QLineSeries*>(series[1]);
    QCOMPARE(optimised->count(), 3);
    QCOMPARE(optimised->at(2), QPointF(400, 1.33));
    QCOMPARE(qobject_cast<QLineSeries*>(series[0])->at(0), QPointF(100, 1.42));
    // (1.36 - 1.33) / 1.36 = 2.21 %, and the engine's warning that it has not settled.
    QVERIFY2(w.ConvergenceNote()->text().contains("lowered it by 2.21 %"),
             qPrintable(w.ConvergenceNote()->text()));
    QVERIFY(w.ConvergenceNote()->text().contains("has not settled"));

    // A file of an older engine, and one whose history is not a list: a plain note, no rows.
    for (const QByteArray& history :
         {QByteArray(), QByteArray(R"("none")"), QByteArray(R"([1, {"share": "x"}])")}) {
        QVERIFY(Write(path, ResultsWith(history)));
        QVERIFY(w.Load(path, QString()));
        QCOMPARE(w.ConvergenceTable()->rowCount(), 0);
        QVERIFY(w.ConvergenceNote()->text().contains("no history of the minimum"));
        QVERIFY(w.ConvergenceChart()->isHidden());
    }
    // The bundled example's search reports its history: the last step is every surface generated.
    QVERIFY(w.Load(Results, QString()));
    const QJsonArray history = Json["convergence"].toArray();
    QCOMPARE(w.ConvergenceTable()->rowCount(), history.size());
    QVERIFY(!history.isEmpty());
    QCOMPARE(w.ConvergenceTable()->item(history.size() - 1, 1)->text().toLongLong(),
             static_cast<qint64>(Json["surfaces"].toObject()["generated"].toDouble()));
}

// Not a check: with BREVANTO_SCREENSHOT_DIR set (under a real display server) it saves pictures of the
// window's pages, to be looked at.
void TestResultsWindow::screenshots() {
    const QString dir = qEnvironmentVariable("BREVANTO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("BREVANTO_SCREENSHOT_DIR is not set");
    TResultsWindow w;
    w.resize(1000, 650);
    QVERIFY(w.Load(Results, QString::fromUtf8(BREVANTO_RESOURCE_DIR "/error-message.txt")));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (int page = 0; page < w.Tabs()->count(); ++page) {
        w.Tabs()->setCurrentIndex(page);
        for (int chart = 0; chart < (page == 2 ? w.ChartChoice()->count() : 1); ++chart) {
            if (page == 2)
                w.ChartChoice()->setCurrentIndex(chart);
            QTest::qWait(100);
            QVERIFY(w.grab().save(dir + QString("/results-%1-%2.png").arg(page).arg(chart)));
        }
    }
}

QTEST_MAIN(TestResultsWindow)
#include "tst_results_window.moc"
