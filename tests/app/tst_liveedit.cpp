// Live analysis and undo in the main window, driven offscreen as a user drives it: typing into table
// editors and data windows, the buttons of the editors, the menus. Waits are on signals and
// conditions, never fixed sleeps.
#include "app/LiveAnalysis.h"
#include "app/MainWindow.h"
#include "app/ModelHistory.h"
#include "dialogs/DlgSlopeBoundary.h"
#include "engine/Engine.h"
#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "reliability/ProbabilisticWindow.h"
#include "support/MessageRecorder.h"
#include "tables/TableSet.h"
#include "widgets/ChartTableEditor.h"
#include "widgets/DataEdit.h"
#include "widgets/GraphWindow.h"
#include "widgets/TableEditor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>
#include <functional>
#include <memory>

namespace {
// The machine is shared: a live run may wait for a core.
constexpr int Patience = 60000;

QString CopyExample(const QTemporaryDir& dir) {
    const QString target = dir.filePath(QStringLiteral("dam.qvxd"));
    QFile::remove(target);
    QFile::copy(QStringLiteral(BREVANTO_RESOURCE_DIR "/examples/ExampleDam.qvxd"), target);
    QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return target;
}

TTableForm* EditorOf(TGridTable& table) {
    return dynamic_cast<TTableForm*>(table.Editor());
}

// Types into a cell of an open table editor and presses Enter, as a user does.
void TypeIntoCell(TTableForm* form, int row, int column, const QString& text) {
    form->Grid->setFocus();
    form->Grid->setCurrentCell(row, column);
    if (!form->Grid->CellEditor())
        form->Grid->edit(form->Grid->currentIndex());
    auto* edit = qobject_cast<QLineEdit*>(form->Grid->CellEditor());
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Every file below `folder` with its size and time.
QStringList Listing(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files << info.filePath() + QLatin1Char(' ') + QString::number(info.size()) + QLatin1Char(' ') +
                     QString::number(info.lastModified().toMSecsSinceEpoch());
    }
    files.sort();
    return files;
}

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

std::string FileText(const TMainForm& form) {
    return form.Model()->FileText();
}
} // namespace

class TestLiveEdit : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void liveFactorFollowsTableEdits();
    void burstRunsOneAtATime();
    void liveWritesNoFile();
    void inputErrorAndReducedSearch();
    void liveAnalysisCanBeTurnedOff();
    void undoRedoEveryKindOfChange();
    void undoAcrossUnitSwitchAndToSavedState();
    void liveSurfaceInPreviewAndGraph();
    void probabilisticWindowFollowsTheModel();
    void screenshots();

  private:
    TMainForm* MakeForm(TMessageRecorder& messages, const QStringList& arguments = {});
    // Waits until the history holds `steps` steps.
    bool WaitForSteps(int steps);
    // Waits for the live result of the model as it is now.
    bool WaitForLive();
    std::unique_ptr<TMainForm> Form;
    QString StartDirectory;
};

TMainForm* TestLiveEdit::MakeForm(TMessageRecorder& messages, const QStringList& arguments) {
    Form.reset();
    Form = std::make_unique<TMainForm>(arguments);
    messages.Watch(Form.get());
    // The error-message notes lie beside the program.
    Form->SetProgramFolder(QStringLiteral(BREVANTO_PROGRAM_DIR));
    Form->show();
    return Form.get();
}

bool TestLiveEdit::WaitForSteps(int steps) {
    return QTest::qWaitFor([&] { return Form->History().Stack().count() == steps; }, 5000);
}

bool TestLiveEdit::WaitForLive() {
    // Whatever was asked is analysed to its end: the result is of the latest model.
    if (!QTest::qWaitFor([&] { return Form->LiveResult() && !Form->Live().Busy(); }, Patience))
        return false;
    Form->History().Settle();
    return QTest::qWaitFor([&] { return !Form->Live().Busy(); }, Patience);
}

void TestLiveEdit::init() {
    StartDirectory = QDir::currentPath();
    QSettings(QStringLiteral("Keldor"), QStringLiteral("Brevanto")).clear();
}

void TestLiveEdit::cleanup() {
    Form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(StartDirectory);
}

void TestLiveEdit::liveFactorFollowsTableEdits() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir);
    TMainForm* form = MakeForm(messages, {dam});
    QVERIFY(form->CompLive->isChecked());
    QVERIFY(WaitForLive());
    const TLiveResult first = *form->LiveResult();
    // The factor a run of the saved file gives, to the last bit.
    const quolm::TAnalysis saved = quolm::AnalyzeFile(dam.toStdString(), {});
    QVERIFY(first.FS && saved.Critical && saved.Critical->Surface.FS);
    QCOMPARE(*first.FS, *saved.Critical->Surface.FS);
    QCOMPARE(form->LiveStatusText(), QStringLiteral("Live: %1 Bishop").arg(*first.FS, 0, 'f', 3));

    // The dam's shell (soil 1) ten degrees more friction: the typed value reaches the live factor.
    QSignalSpy finished(&form->Live(), &TLiveAnalysis::Finished);
    form->DataAxLoads->trigger();
    TTableForm* editor = EditorOf(form->Tables().SoilData());
    QVERIFY(editor);
    TypeIntoCell(editor, 0, 3, QStringLiteral("40"));
    QCOMPARE(double(form->Tables().SoilData().Cell(3, 0).GetFloat()), 40.0);
    QVERIFY(finished.wait(Patience));
    QVERIFY(WaitForLive());
    const TLiveResult after = *form->LiveResult();
    QVERIFY(after.FS);
    QVERIFY2(*after.FS > *first.FS, qPrintable(QStringLiteral("%1 %2").arg(*after.FS).arg(*first.FS)));
    QCOMPARE(*after.FS, *AnalyseLive(form->Model()->Description(), 0).FS);
    QCOMPARE(form->LiveStatusText(), QStringLiteral("Live: %1 Bishop").arg(*after.FS, 0, 'f', 3));
    QCOMPARE(Plain(form->EditUndo->text()), QStringLiteral("Undo Edit Soil 1 Friction Angle"));
    QCOMPARE(messages.Count(), 0);
}

void TestLiveEdit::burstRunsOneAtATime() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages, {CopyExample(dir)});
    QVERIFY(WaitForLive());
    const int before = form->Live().RunsStarted();
    // Twenty edits as fast as the events go: each supersedes the run of the one before.
    TGridTable& soil = form->Tables().SoilData();
    for (int k = 1; k <= 20; ++k) {
        soil.Cell(2, 0).SetFloat(100 + 25 * k);
        QCoreApplication::processEvents();
    }
    QVERIFY(WaitForLive());
    QCOMPARE(form->Live().MostAtOnce(), 1);
    QVERIFY(form->Live().RunsStarted() > before);
    QVERIFY(form->Live().RunsStarted() <= before + 20);
    QCOMPARE(double(soil.Cell(2, 0).GetFloat()), 600.0);
    QCOMPARE(*form->LiveResult()->FS, *AnalyseLive(form->Model()->Description(), 0).FS);
}

void TestLiveEdit::liveWritesNoFile() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir);
    QDir::setCurrent(dir.path());
    const QStringList files = Listing(dir.path());
    TMainForm* form = MakeForm(messages, {dam});
    QVERIFY(WaitForLive());
    form->Tables().SoilData().Cell(3, 2).SetFloat(40);
    QVERIFY(WaitForLive());
    form->SIUnits->trigger();
    QVERIFY(WaitForLive());
    QCOMPARE(Listing(dir.path()), files);
    // Nothing was saved either.
    QVERIFY(form->IsModified());
    QCOMPARE(form->Model()->FileName, dam.toStdString());
}

void TestLiveEdit::inputErrorAndReducedSearch() {
    TMessageRecorder messages;
    TMainForm* form = MakeForm(messages);
    // A new model cannot be analysed: the first error and its remedy from the notes.
    QVERIFY(WaitForLive());
    const TLiveResult r = *form->LiveResult();
    QVERIFY(!r.FS);
    QVERIFY2(r.ErrorCode.startsWith(QLatin1Char('E')) && !r.Error.isEmpty(), qPrintable(r.ErrorCode));
    QVERIFY2(!r.Help.isEmpty() && !r.Help.contains(QLatin1Char('\n')), qPrintable(r.Help));
    QCOMPARE(form->LiveStatusText(),
             QStringLiteral("Live: ") + r.ErrorCode + QLatin1Char(' ') + r.Error + QLatin1Char(' ') + r.Help);

    // 100 x 100 circles with room for 1000 searched: ten initiation points keep 100 circles each.
    QTemporaryDir dir;
    {
        TMainForm* loaded = MakeForm(messages, {CopyExample(dir)});
        QVERIFY(WaitForLive());
        loaded->Model()->InitiationPoints = 100;
        loaded->Model()->SurfacesPerPoint = 100;
        const TSlopeDescription d = loaded->Model()->Description();
        QCOMPARE(SearchSurfaceCount(d.Settings), 10000LL);
        const TLiveResult reduced = AnalyseLive(d, 1000);
        QVERIFY(reduced.Reduced() && reduced.FS);
        QCOMPARE(reduced.FullSurfaces, 10000LL);
        QCOMPARE(reduced.Surfaces, 1000LL);
        QVERIFY(reduced.StatusText().endsWith(QStringLiteral("(reduced search: 1000 of 10000 surfaces)")));
        // The window's live analysis with a budget no search fits in.
        loaded->Live().SetTimeBudget(1e-9);
        loaded->SetModified(true);
        QTRY_VERIFY_WITH_TIMEOUT(
            loaded->LiveResult() && loaded->LiveResult()->Reduced() && !loaded->Live().Busy(), Patience);
        QVERIFY(loaded->LiveStatusText().contains(QStringLiteral("reduced search")));
    }
}

void TestLiveEdit::liveAnalysisCanBeTurnedOff() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages, {CopyExample(dir)});
    QVERIFY(WaitForLive());
    form->CompLive->trigger();
    QVERIFY(!form->CompLive->isChecked());
    QVERIFY(form->LiveStatusText().isEmpty());
    const int runs = form->Live().RunsStarted();
    form->Tables().SoilData().Cell(2, 0).SetFloat(300);
    QVERIFY(WaitForSteps(1));
    QCOMPARE(form->Live().RunsStarted(), runs);
    // Remembered for the next start.
    MakeForm(messages, {CopyExample(dir)});
    QVERIFY(!Form->CompLive->isChecked());
    Form->CompLive->trigger();
    QVERIFY(WaitForLive());
    QVERIFY(Form->LiveStatusText().startsWith(QStringLiteral("Live: ")));
    MakeForm(messages);
    QVERIFY(Form->CompLive->isChecked());
}

void TestLiveEdit::undoRedoEveryKindOfChange() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages, {CopyExample(dir)});
    QVERIFY(WaitForSteps(0));
    QVERIFY(!form->EditUndo->isEnabled() && !form->EditRedo->isEnabled());
    int steps = 0;
    // One user action: it becomes one named step whose undo and redo give the saved bytes back.
    auto check = [&](const QString& name, const std::function<void()>& action) {
        const std::string before = FileText(*form);
        action();
        if (!WaitForSteps(steps + 1)) {
            qWarning("%s: no step", qPrintable(name));
            return false;
        }
        ++steps;
        const std::string after = FileText(*form);
        if (after == before || Plain(form->EditUndo->text()) != QStringLiteral("Undo ") + name) {
            qWarning("%s: step \"%s\"", qPrintable(name), qPrintable(form->EditUndo->text()));
            return false;
        }
        form->EditUndo->trigger();
        if (FileText(*form) != before || Plain(form->EditRedo->text()) != QStringLiteral("Redo ") + name) {
            qWarning("%s: undo gave\n%s\ninstead of\n%s\n%s", qPrintable(name), FileText(*form).c_str(),
                     before.c_str(), qPrintable(messages.Texts().join(QLatin1Char('|'))));
            return false;
        }
        form->EditRedo->trigger();
        if (FileText(*form) != after || form->History().Stack().count() != steps) {
            qWarning("%s: redo gave\n%s\ninstead of\n%s", qPrintable(name), FileText(*form).c_str(),
                     after.c_str());
            return false;
        }
        return true;
    };

    form->DataProp->trigger(); // the slope boundary window stays open through the table edits
    form->Tables().BoundCood().Edit();
    TTableForm* bound = EditorOf(form->Tables().BoundCood());
    QVERIFY(bound);
    QVERIFY(check(QStringLiteral("Edit Boundary Line 2 Right Y"),
                  [&] { TypeIntoCell(bound, 1, 3, QStringLiteral("91")); }));
    QCOMPARE(bound->Grid->item(1, 3)->text(), QStringLiteral("91"));
    QVERIFY(check(QStringLiteral("Add Boundary Line 8"),
                  [&] { QTest::mouseClick(bound->BtnAdd, Qt::LeftButton); }));
    QVERIFY(check(QStringLiteral("Insert Boundary Line 3"), [&] {
        bound->Grid->setCurrentCell(2, 0);
        QTest::mouseClick(bound->BtnIns, Qt::LeftButton);
    }));
    QVERIFY(check(QStringLiteral("Delete Boundary Line 3"), [&] {
        bound->Grid->setCurrentCell(2, 0);
        QTest::mouseClick(bound->BtnDel, Qt::LeftButton);
    }));
    // The open editor shows what undo puts back.
    const int rows = form->Tables().BoundCood().RowCount();
    form->EditUndo->trigger();
    QCOMPARE(bound->Grid->rowCount(), rows + 1);
    form->EditRedo->trigger();
    QCOMPARE(bound->Grid->rowCount(), rows);

    // A data window's value, accepted with Enter; its check box.
    form->EarthquakeLoad1->trigger();
    auto* horizontal = form->findChild<TDataEdit*>(QStringLiteral("deHcoe"));
    QVERIFY(horizontal);
    QVERIFY(check(QStringLiteral("Edit Horizontal Coefficient"), [&] {
        horizontal->setFocus();
        horizontal->selectAll();
        QTest::keyClicks(horizontal, QStringLiteral("0.25"));
        QTest::keyClick(horizontal, Qt::Key_Return);
        form->CommitActiveChild(); // the window stores its entries when it is left
    }));
    form->EditUndo->trigger();
    QCOMPARE(horizontal->text().toDouble(), 0.1);
    form->EditRedo->trigger();
    QCOMPARE(horizontal->text().toDouble(), 0.25);
    form->SurchargeLoad1->trigger();
    auto* surcharge = form->findChild<QCheckBox*>(QStringLiteral("ChkDistLoad"));
    QVERIFY(surcharge && surcharge->isChecked());
    QVERIFY(check(QStringLiteral("Uncheck Surcharge Loading"), [&] {
        surcharge->click();
        form->CommitActiveChild();
    }));

    // The search choice, a paste into the failure surface's editor, a unit switch.
    QVERIFY(check(QStringLiteral("Choose User-Defined Failure Surface"),
                  [&] { form->FailureSurface1->trigger(); }));
    auto* surface = dynamic_cast<TTableChartForm*>(EditorOf(form->Tables().FailSurfaceChart()));
    QVERIFY(surface);
    QGuiApplication::clipboard()->setText(QStringLiteral("40 50\r\n100 40\r\n170 90\r\n"));
    QVERIFY(check(QStringLiteral("Edit Failure Surface"),
                  [&] { QTest::mouseClick(surface->BtnClip, Qt::LeftButton); }));
    // (A chart editor that stays active writes its shown texts back when it is left: after a unit
    // switch that would be a step of its own.)
    form->Tables().FailSurfaceChart().CloseEditor();
    QVERIFY(WaitForSteps(steps));
    QVERIFY(check(QStringLiteral("Switch to SI Units"), [&] { form->SIUnits->trigger(); }));
    QCOMPARE(messages.Count(), 0);
}

void TestLiveEdit::undoAcrossUnitSwitchAndToSavedState() {
    TMessageRecorder messages;
    QTemporaryDir dir;
    const QString dam = CopyExample(dir);
    TMainForm* form = MakeForm(messages, {dam});
    QVERIFY(WaitForSteps(0));
    const std::string original = FileText(*form);
    QVERIFY(!form->IsModified());

    form->Tables().SoilData().Cell(2, 0).SetFloat(250);
    QVERIFY(WaitForSteps(1));
    form->SIUnits->trigger();
    QVERIFY(WaitForSteps(2));
    form->Tables().SoilData().Cell(3, 1).SetFloat(25);
    QVERIFY(WaitForSteps(3));
    const std::string edited = FileText(*form);
    QVERIFY(form->IsModified());
    // Back through the unit switch: the file's bytes of the opened model, and unmodified again.
    for (int k = 0; k < 3; ++k)
        form->EditUndo->trigger();
    QCOMPARE(FileText(*form), original);
    QCOMPARE(form->Model()->UnitSystem, 1);
    QVERIFY(!form->IsModified());
    for (int k = 0; k < 3; ++k)
        form->EditRedo->trigger();
    QCOMPARE(FileText(*form), edited);
    QVERIFY(form->IsModified());

    // Saved in between: that state is the unmodified one.
    form->EditUndo->trigger();
    form->FileSave->trigger();
    QVERIFY(!form->IsModified());
    form->EditRedo->trigger();
    QVERIFY(form->IsModified());
    form->EditUndo->trigger();
    QVERIFY(!form->IsModified());
    form->EditUndo->trigger();
    QVERIFY(form->IsModified());

    // New and Open clear the history.
    form->SetModified(false);
    form->FileNew->trigger();
    QVERIFY(WaitForSteps(0));
    QVERIFY(!form->EditUndo->isEnabled());
    QCOMPARE(Plain(form->EditUndo->text()), QStringLiteral("Undo"));
}

void TestLiveEdit::liveSurfaceInPreviewAndGraph() {
    TMessageRecorder messages(TMsgAnswer::Ok);
    QTemporaryDir dir;
    const QString dam = CopyExample(dir);
    QDir::setCurrent(dir.path());
    TMainForm* form = MakeForm(messages, {dam});
    QVERIFY(WaitForLive());
    // The preview draws the live critical surface.
    form->DataProp->trigger();
    auto* boundary = qobject_cast<TDlgSlopeBoundary*>(form->DataWindow(TDataWindow::SlopeBoundary));
    QVERIFY(boundary);
    QCOMPARE(boundary->PaintBox1->LiveSurface().FS, *form->LiveResult()->FS);
    QCOMPARE(boundary->PaintBox1->LiveSurface().Points, form->LiveResult()->Surface);

    // Right after a run the graph window shows the run's own surface: nothing live over it.
    form->CompRun->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!form->EngineLoaded(), Patience);
    form->Graphics1->trigger();
    auto* graph = qobject_cast<TfrmGraph*>(form->GraphWindow());
    QVERIFY(graph && graph->PlotLoaded());
    QVERIFY(WaitForLive());
    QVERIFY(graph->LiveSurface().Empty());
    // An edit (the shell's friction angle 30 -> 20 degrees): the live surface differs from the run's
    // and is drawn over it.
    form->Tables().SoilData().Cell(3, 0).SetFloat(20);
    QSignalSpy finished(&form->Live(), &TLiveAnalysis::Finished);
    QVERIFY(finished.wait(Patience));
    QVERIFY(WaitForLive());
    QVERIFY(!graph->LiveSurface().Empty());
    QCOMPARE(graph->LiveSurface().FS, *form->LiveResult()->FS);
    QVERIFY(*form->LiveResult()->FS < graph->PlotView().Store().Critical.FS);
    // Undone, the model is the run's again.
    form->EditUndo->trigger();
    QVERIFY(WaitForLive());
    QVERIFY(graph->LiveSurface().Empty());
}

void TestLiveEdit::screenshots() {
    // The status bar with the live factor (run under xvfb-run with QT_QPA_PLATFORM=xcb for frames).
    const QString shots = qEnvironmentVariable("BREVANTO_SHOT_DIR");
    if (shots.isEmpty())
        QSKIP("BREVANTO_SHOT_DIR not set");
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages, {CopyExample(dir)});
    form->setGeometry(40, 40, 1000, 760);
    QVERIFY(WaitForLive());
    form->DataProp->trigger();
    form->DataAxLoads->trigger();
    TypeIntoCell(EditorOf(form->Tables().SoilData()), 0, 3, QStringLiteral("26"));
    QVERIFY(WaitForLive());
    form->DataProp->trigger();
    QTest::qWait(300);
    QVERIFY(form->grab().save(shots + QStringLiteral("/live-analysis.png")));
}

void TestLiveEdit::probabilisticWindowFollowsTheModel() {
    // The probabilistic window is not modal: the model can change while it is open. A run takes the
    // model as it stands, a switch of units turns the window's values with the model's, and a model
    // replaced closes the window that belonged to the old one.
    TMessageRecorder messages;
    QTemporaryDir dir;
    TMainForm* form = MakeForm(messages, {CopyExample(dir)});
    QVERIFY(WaitForSteps(0));
    QCOMPARE(form->Model()->UnitSystem, 1);
    form->findChild<QAction*>(QStringLiteral("CompProbabilistic"))->trigger();
    QPointer<TProbabilisticWindow> window = form->findChild<TProbabilisticWindow*>();
    QVERIFY(window);
    TRandomVariable c;
    std::string why;
    QVERIFY(ParseVariableSpec("soil1.c=normal(200,20)[100,300]", c, why));
    window->AddVariableRow(c);

    // An edit in the main window (soil 1's cohesion 200 -> 250 psf) reaches the model a run takes.
    QCOMPARE(static_cast<double>(window->CurrentModel().Soils[0].Cohesion), 200.0);
    form->Tables().SoilData().Cell(2, 0).SetFloat(250);
    QVERIFY(WaitForSteps(1));
    QCOMPARE(static_cast<double>(window->CurrentModel().Soils[0].Cohesion), 250.0);

    // SI units: the window's cohesion parameters turn with the model's soil table, by the factor of
    // its unit (F/L2^2: 224.8089237 lbs per kN over 3.280839895 ft per m, squared).
    form->SIUnits->trigger();
    QVERIFY(WaitForSteps(2));
    QCOMPARE(window->CurrentModel().Settings.UnitSystem, 2);
    TProbabilisticSetup shown;
    QString error;
    QVERIFY(window->ReadSetup(shown, error));
    QCOMPARE(static_cast<int>(shown.Variables.size()), 1);
    const double psf = 3.280839895 * 3.280839895 / 224.8089237;
    const TRandomVariable& v = shown.Variables[0];
    QVERIFY(std::abs(v.P1 - 200 * psf) < 1e-9 && std::abs(v.P2 - 20 * psf) < 1e-9);
    QVERIFY(std::abs(v.Min - 100 * psf) < 1e-9 && std::abs(v.Max - 300 * psf) < 1e-9);
    // Kept with the model in the model's units.
    QPushButton* keep = nullptr;
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Keep with Model"))
            keep = b;
    QVERIFY(keep);
    keep->click();
    QCOMPARE(static_cast<int>(form->Model()->Probabilistic.Variables.size()), 1);
    QVERIFY(std::abs(form->Model()->Probabilistic.Variables[0].P1 - 200 * psf) < 1e-9);
    // Back to English units by undo: the window's values turn back.
    form->EditUndo->trigger();
    form->EditUndo->trigger();
    QVERIFY(QTest::qWaitFor([&] { return window->CurrentModel().Settings.UnitSystem == 1; }, 5000));
    QVERIFY(window->ReadSetup(shown, error));
    QVERIFY(std::abs(shown.Variables[0].P1 - 200) < 1e-6);

    // Another model: the window of the old one closes.
    form->SetModified(false);
    form->FileNew->trigger();
    QVERIFY(QTest::qWaitFor([&] { return !window || window->isHidden(); }, 5000));
}

int main(int argc, char** argv) {
    // Settings go to a folder of this run, never to the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    TestLiveEdit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_liveedit.moc"
