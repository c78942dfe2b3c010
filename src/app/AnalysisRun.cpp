#include "app/AnalysisRun.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTemporaryDir>

#include "app/EngineRun.h"
#include "app/RunProgress.h"
#include "app/RunResults.h"
#include "app/TextFiles.h"
#include "model/SlopeModel.h"
#include "text/Errors.h"
#include "text/FileNames.h"
#include "widgets/GraphWindow.h"
#include "widgets/MsgBox.h"

namespace {
// The main window's status bar and work area, when the parent is the main window.
void ShowStatus(QWidget* parent, const QString& text) {
    if (auto* main = qobject_cast<QMainWindow*>(parent))
        main->statusBar()->showMessage(text);
}

QMdiArea* WorkArea(QWidget* parent) {
    auto* main = qobject_cast<QMainWindow*>(parent);
    return main ? qobject_cast<QMdiArea*>(main->centralWidget()) : nullptr;
}

// A graph window whose picture a run has made stale (its plot file is gone) closes.
void CloseGraphOfOldRun(QWidget* parent) {
    if (TfrmGraph* graph = TfrmGraph::Find(WorkArea(parent))) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(graph->parentWidget()))
            sub->close();
        else
            graph->close();
    }
}

QString ReadNotes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString Twin(const QString& input, const char* extension) {
    return QString::fromStdString(ChangeFileExt(input.toStdString(), extension));
}
} // namespace

TAnalysisRun::~TAnalysisRun() = default;

void TAnalysisRun::Run(TProgramData& model, const std::function<bool()>& save, const QString& programFolder) {
    // While a run is in progress the engine library is loaded. A second run must neither rewrite the
    // input file the engine is reading nor delete the files it is writing, so it stops before saving.
    if (FEngine) {
        MsgInformation(FParent, QString::fromLatin1(MsgReinitialize));
        return;
    }
    bool saved = false;
    try {
        saved = save();
    } catch (const std::exception& e) {
        // The engine would read an older file than the model on the screen: no run.
        MsgInformation(FParent,
                       QString::fromLatin1(MsgSaveFailed) + QLatin1Char('\r') + QString::fromUtf8(e.what()));
        return;
    }
    if (!saved || model.FileName == TProgramData::NewFileName)
        return;
    const QString input = QFileInfo(QString::fromStdString(model.FileName)).absoluteFilePath();

    // The hand-off file goes into a folder of this run only (the program's folder may not be writable,
    // and two running copies must not share it); the folder goes with everything in it at the end.
    QTemporaryDir runFolder(QDir::tempPath() + QStringLiteral("/brevanto-run-XXXXXX"));
    if (!runFolder.isValid())
        throw EInOutError(runFolder.errorString().toStdString());
    WriteNamesFile(runFolder.path(), input);

    for (const char* extension : {".qvxp", ".qvxo", ".qvxr"})
        QFile::remove(QString::fromStdString(ChangeFileExt(input.toStdString(), extension)));
    // The old plot file is gone; the name is set again only when the engine writes a new one.
    model.PlotFileName.clear();

    auto engine = std::make_unique<TDynamicLibrary>(EngineLibraryPath(programFolder));
    TEngineEntry entry = nullptr;
    TEngineCancel cancel = nullptr;
    try {
        engine->Load();
        entry = reinterpret_cast<TEngineEntry>(engine->EntryPoint(EngineEntryName));
        // An engine without it runs to its end.
        cancel = reinterpret_cast<TEngineCancel>(engine->EntryPoint(EngineCancelName));
    } catch (const EDLLError&) {
        entry = nullptr;
    }
    if (!entry) {
        const QString why =
            engine->ErrorString().isEmpty() ? QString() : QLatin1Char('\r') + engine->ErrorString();
        engine.reset();
        CloseGraphOfOldRun(FParent);
        MsgInformation(FParent, QString::fromLatin1(MsgInitFailed) + QLatin1Char('\r') +
                                    QDir::toNativeSeparators(EngineLibraryPath(programFolder)) + why);
        return;
    }

    FEngine = std::move(engine);
    // The worker has ended whenever RunEngineWithProgress returns, so the library can always go.
    struct TUnload {
        std::unique_ptr<TDynamicLibrary>& Engine;
        ~TUnload() { Engine.reset(); }
    } unload{FEngine};

    std::int32_t result = 0;
    bool cancelled = false;
    {
        TCurrentDirectory inRunFolder(runFolder.path());
        QApplication::setOverrideCursor(Qt::WaitCursor);
        result = RunEngineWithProgress(FParent, entry, EngineArgument, cancel, &cancelled);
        QApplication::restoreOverrideCursor();
    }
    FEngine.reset();

    if (cancelled) {
        // Whatever the engine wrote before it stopped is no result: nothing is kept.
        for (const char* extension : {".qvxp", ".qvxo", ".qvxr"})
            QFile::remove(Twin(input, extension));
        CloseGraphOfOldRun(FParent);
        ShowStatus(FParent, QString::fromLatin1(MsgCancelled));
        MsgInformation(FParent, QString::fromLatin1(MsgCancelled));
        return;
    }
    if (result == EngineRefused) {
        CloseGraphOfOldRun(FParent);
        MsgInformation(FParent, QString::fromLatin1(MsgInconsistent));
        return;
    }
    const TRunResults results = ReadRunResults(Twin(input, ".qvxr"));
    if (!results.Errors.isEmpty()) {
        // The engine refused the input: there is no result to show, only what to correct.
        CloseGraphOfOldRun(FParent);
        ShowStatus(FParent, QStringLiteral("The problem was not analysed."));
        MsgInformation(FParent, NotAnalysedMessage(
                                    results, ReadNotes(ProgramFile(programFolder, ErrorMessageNotesFile))));
        return;
    }
    const QString plot = Twin(input, ".qvxp");
    if (QFileInfo(plot).isFile())
        model.PlotFileName = plot.toStdString();
    // An open graph window shows the new result before the user reads the message.
    if (!model.PlotFileName.empty()) {
        if (TfrmGraph* graph = TfrmGraph::Find(WorkArea(FParent)))
            graph->LoadPlot(model);
    } else {
        CloseGraphOfOldRun(FParent);
    }
    const QString answer = FactorOfSafetyLine(results);
    ShowStatus(FParent, answer.isEmpty() ? QStringLiteral("Computations are completed.") : answer);
    MsgInformation(FParent, QString::fromLatin1(MsgCompleted) +
                                (answer.isEmpty() ? QString() : QStringLiteral("\r\r") + answer));
}
