// The analysis run of the main window, driven offscreen with the test engine library: a damaged file
// stays as it is, the answer is stated, the engine's errors are listed with their remedies, the graph
// window follows each run, and a run can be cancelled.
#include "MainFormDriving.h"
#include "app/EngineRun.h"
#include "app/ModelHistory.h"
#include "app/RunProgress.h"
#include "app/RunResults.h"
#include "app/TextFiles.h"
#include "graphics/PlotFile.h"
#include "model/SlopeModel.h"
#include "support/MessageRecorder.h"
#include "tables/TableSet.h"
#include "widgets/GraphWindow.h"
#include "widgets/ResultsWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <memory>

using namespace driving;

class TestMainFormRuns : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void damagedExampleRunKeepsTheFile();
    void answerStatedAfterSuccess();
    void engineErrorsListedWithRemedies();
    void graphWindowFollowsEachRun();
    void cancelStopsTheRun();
    void resultsOfAnEarlierModelSaySo();

  private:
    TMainForm* MakeForm(TMessageRecorder& messages);
    std::unique_ptr<TMainForm> Form;
    TScriptedDialogs* Dialogs = nullptr;
    QString StartDirectory;
};

void TestMainFormRuns::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainFormRuns::init() {
    StartDirectory = QDir::currentPath();
    QSettings(QStringLiteral("Keldor"), QStringLiteral("Brevanto")).clear();
}

void TestMainFormRuns::cleanup() {
    Form.reset();
    QDir::setCurrent(StartDirectory);
}

TMainForm* TestMainFormRuns::MakeForm(TMessageRecorder& messages) {
    Form.reset();
    Form = MakeDrivenForm(Dialogs, {}, &messages);
    return Form.get();
}

void TestMainFormRuns::damagedExampleRunKeepsTheFile() {
    // Also run under Xvfb by scripts/check-damaged-run.sh, with the real engine when it is built.
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString path =
        DamagedExample(dir, QStringLiteral("ExampleDam.qvxd"), 13, "115. 120. 2OO. 22. 0. 0. 1");
    const QByteArray bytes = ReadAll(path);
    TMainForm* form = MakeForm(messages);
    const QString engine = qEnvironmentVariable("BREVANTO_CHECK_ENGINE_DIR");
    if (!engine.isEmpty())
        form->SetProgramFolder(engine);
    form->OpenFileName(path);
    QCOMPARE(messages.Count(), 1); // "Error on Line 13 ...", accepted
    TEngineSetup setup;
    form->CompRun->trigger();
    QCOMPARE(ReadAll(path), bytes);
    QVERIFY(messages.LastText().contains(QStringLiteral("was not read completely")));
    QVERIFY(!QFileInfo::exists(Twin(path, ".qvxo")));
    // And again with the model changed since: still nothing written over the file.
    form->SetModified(true);
    form->CompRun->trigger();
    form->FileSaveClick();
    QCOMPARE(ReadAll(path), bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("ExampleDam.qvxd")}));
}

void TestMainFormRuns::answerStatedAfterSuccess() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(CopyExample(dir, QStringLiteral("dam.qvxd")));
    const QString results = dir.filePath(QStringLiteral("results.json"));
    WriteAll(results,
             R"({"method": "bishop", "critical": {"fs": 1.1112, "method": "bishop"}, "errors": []})");
    {
        TEngineSetup engine("0", {}, 0, results.toUtf8());
        form->CompRun->trigger();
    }
    const QString answer = QStringLiteral("Factor of safety 1.111 \u2014 Bishop's simplified method");
    QCOMPARE(messages.Texts(),
             QStringList({QString::fromLatin1(MsgCompleted) + QStringLiteral("\r\r") + answer}));
    QCOMPARE(form->statusBar()->currentMessage(), answer);

    // The other methods by their names.
    TRunResults r;
    r.FactorOfSafety = 0.85;
    r.MethodKey = QStringLiteral("spencer");
    QCOMPARE(FactorOfSafetyLine(r), QStringLiteral("Factor of safety 0.850 \u2014 Spencer's method"));
    r.MethodKey = QStringLiteral("janbu");
    QCOMPARE(FactorOfSafetyLine(r),
             QStringLiteral("Factor of safety 0.850 \u2014 Janbu's simplified method"));
    r.FactorOfSafety.reset();
    QCOMPARE(FactorOfSafetyLine(r), QString());
}

void TestMainFormRuns::engineErrorsListedWithRemedies() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    // A program folder with the engine and the error-message notes.
    QTemporaryDir program;
    QVERIFY(
        QFile::copy(EngineLibraryPath(QStringLiteral(TEST_ENGINE_DIR)), EngineLibraryPath(program.path())));
    QVERIFY(
        QFile::copy(Resource("error-message.txt"), program.filePath(QStringLiteral("error-message.txt"))));
    TMainForm* form = MakeForm(messages);
    form->SetProgramFolder(program.path());
    form->OpenFileName(CopyExample(dir, QStringLiteral("dam.qvxd")));
    const QString results = dir.filePath(QStringLiteral("results.json"));
    WriteAll(results, R"({"critical": null, "errors": [
        {"code": "E101", "message": "The input has no boundary lines."},
        {"code": "E999", "message": "Something the notes do not know."}]})");
    {
        TEngineSetup engine("0", TestData("plot/full.qvxp").toUtf8(), 0, results.toUtf8());
        form->CompRun->trigger();
    }
    QCOMPARE(messages.Count(), 1);
    const QString text = messages.LastText();
    QVERIFY2(text.startsWith(QStringLiteral("The problem was not analysed")), qPrintable(text));
    QVERIFY(!text.contains(QString::fromLatin1(MsgCompleted)));
    QVERIFY(text.contains(QStringLiteral("E101  The input has no boundary lines.\rRemedy: Enter the slope's "
                                         "boundary lines (Data > Slope Boundary Lines)")));
    QVERIFY(text.contains(QStringLiteral("E999  Something the notes do not know.")));
    QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("The problem was not analysed."));
    QVERIFY(!form->GraphWindow());
}

void TestMainFormRuns::graphWindowFollowsEachRun() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    form->OpenFileName(CopyInto(dir, TestData("plot/full.qvxd"), QStringLiteral("full.qvxd")));
    {
        TEngineSetup engine("0", TestData("plot/full.qvxp").toUtf8());
        form->CompRun->trigger();
    }
    form->Graphics1->trigger();
    auto* graph = qobject_cast<TfrmGraph*>(form->GraphWindow());
    QVERIFY(graph);
    QCOMPARE(graph->PlotView().Store().Critical.FS, 1.25);
    // The user's display options: the boundary lines (on at first) unticked, another option ticked.
    QVERIFY(graph->OptionBox(0)->isEnabled() && graph->OptionBox(0)->isChecked());
    int ticked = -1;
    for (int i = 1; i < TfrmGraph::OptionCount && ticked < 0; ++i)
        if (graph->OptionBox(i)->isEnabled() && !graph->OptionBox(i)->isChecked())
            ticked = i;
    QVERIFY(ticked > 0);
    const int unticked = 0;
    graph->OptionBox(ticked)->click();
    graph->OptionBox(unticked)->click();
    QVERIFY(graph->OptionBox(ticked)->isChecked() && !graph->OptionBox(unticked)->isChecked());

    // A second run with another result: the same window, the new picture, the same options.
    QByteArray plot = ReadAll(TestData("plot/full.qvxp"));
    QVERIFY(plot.contains("\n1.2500 125.000 170.000 150.000"));
    plot.replace("\n1.2500 125.000 170.000 150.000", "\n0.8500 125.000 170.000 150.000");
    const QString second = dir.filePath(QStringLiteral("second.qvxp"));
    WriteAll(second, plot);
    {
        TEngineSetup engine("0", second.toUtf8());
        form->CompRun->trigger();
    }
    QCOMPARE(form->GraphWindow(), graph);
    QCOMPARE(graph->PlotView().Store().Critical.FS, 0.85);
    QVERIFY(graph->OptionBox(ticked)->isChecked());
    QVERIFY(!graph->OptionBox(unticked)->isChecked());
    QVERIFY(graph->ShowsCurrentPlot(*Form->Model()));

    // A run that leaves no plot: no graph window of the old result stays behind.
    {
        TEngineSetup engine("0");
        form->CompRun->trigger();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!form->GraphWindow());
    // Nor after a refused run.
    {
        TEngineSetup engine("0", TestData("plot/full.qvxp").toUtf8());
        form->CompRun->trigger();
    }
    form->Graphics1->trigger();
    QVERIFY(form->GraphWindow());
    {
        TEngineSetup engine("1");
        form->CompRun->trigger();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!form->GraphWindow());
}

void TestMainFormRuns::cancelStopsTheRun() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    const QString dam = CopyExample(dir, QStringLiteral("dam.qvxd"));
    form->OpenFileName(dam);

    // Cancel, then the close box: each stops the engine, which would otherwise take a minute.
    for (int way = 0; way < 2; ++way) {
        messages.Clear();
        bool seen = false, enabled = false;
        QTimer::singleShot(300, [&] {
            auto* progress = qobject_cast<TRunProgressDialog*>(QApplication::activeModalWidget());
            if (!progress)
                return;
            seen = true;
            enabled = progress->btnCancel->isEnabled();
            if (way == 0)
                progress->btnCancel->click();
            else
                progress->close();
            QVERIFY(progress->isVisible()); // until the engine has stopped
        });
        {
            TEngineSetup engine("0", TestData("plot/full.qvxp").toUtf8(), 60000);
            form->CompRun->trigger();
        }
        QVERIFY(seen && enabled);
        QCOMPARE(messages.Texts(), QStringList({QString::fromLatin1(MsgCancelled)}));
        QCOMPARE(form->statusBar()->currentMessage(), QString::fromLatin1(MsgCancelled));
        for (const char* extension : {".qvxo", ".qvxp", ".qvxr"})
            QVERIFY2(!QFileInfo::exists(Twin(dam, extension)), extension);
        QVERIFY(Form->Model()->PlotFileName.empty());
        QVERIFY(!form->EngineLoaded());
    }

    // An engine without the cancel request: the button cannot be pressed, the run goes to its end.
    TRunProgressDialog withoutCancel(nullptr, nullptr);
    QVERIFY(!withoutCancel.btnCancel->isEnabled());
}

void TestMainFormRuns::resultsOfAnEarlierModelSaySo() {
    TMessageRecorder messages(TMsgAnswer::Ok);
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages);
    const QString input = CopyExample(dir, QStringLiteral("dam.qvxd"));
    form->OpenFileName(input);
    const QString results = dir.filePath(QStringLiteral("results.json"));
    WriteAll(results,
             R"({"method": "bishop", "critical": {"fs": 1.1112, "method": "bishop"}, "errors": []})");
    const auto run = [&] {
        TEngineSetup engine("0", TestData("plot/full.qvxp").toUtf8(), 0, results.toUtf8());
        form->CompRun->trigger();
    };
    run();
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("dam.qvxr"))));
    OpenMenu(form->ViewMenu);
    QAction* view = form->findChild<QAction*>(QStringLiteral("ViewResults"));
    QVERIFY(view && view->isEnabled());
    view->trigger();
    auto* window = TResultsWindow::Find(form->MdiArea);
    QVERIFY(window);
    QVERIFY(!window->IsOutdated());
    // The results of the model as the run saved it, then an edit: the window says so at once, and
    // no longer once the edit is undone.
    const int steps = form->History().Stack().count();
    form->Tables().SoilData().Cell(2, 0).SetFloat(250);
    QVERIFY(QTest::qWaitFor([&] { return form->History().Stack().count() == steps + 1; }, 5000));
    QVERIFY(window->IsOutdated());
    QVERIFY(!window->OutdatedNote()->text().isEmpty());
    form->EditUndo->trigger();
    QVERIFY(!form->IsModified());
    QVERIFY(!window->IsOutdated());

    // Saved after the run: the file is no longer the one analysed. The results' files are dated back
    // so that the order does not hang on the clock's resolution.
    const QDateTime earlier = QFileInfo(input).lastModified().addSecs(-60);
    for (const char* extension : {".qvxr", ".qvxp"}) {
        QFile f(dir.filePath(QStringLiteral("dam") + QLatin1String(extension)));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(earlier, QFileDevice::FileModificationTime));
    }
    form->EditRedo->trigger();
    form->FileSave->trigger();
    QVERIFY(!form->IsModified());
    QVERIFY(window->IsOutdated());
    // The report would pair the saved input with those results: it is refused before any dialog.
    const int before = messages.Count();
    QAction* report = form->findChild<QAction*>(QStringLiteral("FileExportReport"));
    QVERIFY(report);
    bool dialogShown = false; // a file dialog, if one came, is closed at once instead of waiting
    QTimer::singleShot(0, form, [&dialogShown] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogShown = true;
            modal->close();
        }
    });
    report->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!dialogShown);
    QCOMPARE(messages.Count(), before + 1);
    QVERIFY2(messages.LastText().startsWith(QStringLiteral("Run the analysis first")),
             qPrintable(messages.LastText()));
    QVERIFY(QDir(dir.path()).entryList({QStringLiteral("*report*")}).isEmpty());

    // A new run of the saved model: its results again.
    run();
    QCOMPARE(TResultsWindow::Find(form->MdiArea), window);
    QVERIFY(!window->IsOutdated());
}

QTEST_MAIN(TestMainFormRuns)
#include "tst_mainform_runs.moc"
