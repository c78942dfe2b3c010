#include "app/EngineRun.h"
#include "app/MainWindow.h"
#include "app/RunProgress.h"
#include "app/RunResults.h"
#include "app/TextFiles.h"
#include "model/SlopeModel.h"
#include "text/Errors.h"
#include "widgets/GraphWindow.h"
#include "widgets/MsgBox.h"
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSaveFile>
#include <QStatusBar>
#include <QSysInfo>
#include <QTemporaryDir>
#include <algorithm>

#ifndef BREVANTO_VERSION
#define BREVANTO_VERSION "2015.4.4"
#endif

const char* const MsgSaveFailed = "An error occured during saving";
const char* const MsgReinitialize = "Attempt to reinitialize DLL";
const char* const MsgInitFailed = "Attempt to initialize DLL failed";
const char* const MsgInconsistent =
    "Computations can not be performed. Executable files are not consistent.\r"
    "You may need to reinstall the program.\r"
    "If the problem remains, please contact Keldor's technical support and mention the program "
    "version " BREVANTO_VERSION ".";
const char* const MsgCancelled = "The run was cancelled. No results were kept.";
const char* const MsgCompleted =
    "Computations are completed. Please, check output file for results or error messages.";

QString EngineLibraryPath(const QString& programFolder) {
#if defined(Q_OS_WIN)
    const QString name = QStringLiteral("QUOLM2015_DLL.dll");
#elif defined(Q_OS_MACOS)
    const QString name = QStringLiteral("libQUOLM2015_DLL.dylib");
#else
    const QString name = QStringLiteral("libQUOLM2015_DLL.so");
#endif
    return QDir(programFolder).filePath(name);
}

QString ChangeFileExt(const QString& path, const QString& extension) {
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < slash)
        return path + extension;
    return path.left(dot) + extension;
}

QString NamesFileText(const QString& inputFile) {
    const QString input = QDir::toNativeSeparators(QFileInfo(inputFile).absoluteFilePath());
    const QStringList lines = {
        QStringLiteral(BREVANTO_VERSION),
        QStringLiteral("Brevanto 2015"),
        QStringLiteral("brevanto " BREVANTO_VERSION " on ") + QSysInfo::prettyProductName(),
        QDateTime::currentDateTime().toString(Qt::ISODate),
        input,
        ChangeFileExt(input, QStringLiteral(".qvxo")),
        ChangeFileExt(input, QStringLiteral(".qvxp")),
        ChangeFileExt(input, QStringLiteral(".qvxr")),
    };
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

bool HasLineBreak(const QString& path) {
    return path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n'));
}

QString LineBreakMessage(const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r")).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return QStringLiteral("The file name\r%1\rcontains a line break. The analysis cannot take such a name: "
                          "please save the model under a name without one.")
        .arg(shown);
}

void WriteNamesFile(const QString& folder, const QString& inputFile) {
    if (HasLineBreak(inputFile))
        throw EInOutError(LineBreakMessage(inputFile).toStdString());
    QSaveFile file(QDir(folder).filePath(QString::fromLatin1(NamesFileName)));
    const QByteArray bytes = NamesFileText(inputFile).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EInOutError(file.errorString().toStdString());
}

void CloseGraphOfOldRun(QMdiArea* area) {
    if (TfrmGraph* graph = TfrmGraph::Find(area)) {
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

TCurrentDirectory::TCurrentDirectory(const QString& folder) : FPrevious(QDir::currentPath()) {
    if (!QDir::setCurrent(folder))
        throw EInOutError("Cannot change to the folder " + QDir::toNativeSeparators(folder).toStdString());
}

TCurrentDirectory::~TCurrentDirectory() {
    QDir::setCurrent(FPrevious);
}

// ---------------------------------------------------------------- the run command of the main window

void TMainForm::CompRunClick() {
    Guarded([this] {
        CommitActiveChild();
        RunAnalysis();
    });
}

void TMainForm::RunAnalysis() {
    // While a run is in progress the engine library is loaded. A second run must neither rewrite the
    // input file the engine is reading nor delete the files it is writing, so it stops before saving.
    if (FEngine) {
        MsgInformation(this, QString::fromLatin1(MsgReinitialize));
        return;
    }
    // Checked before anything is saved or written: the engine reads the names file line by line.
    if (const QString name = QString::fromStdString(ProgramData->FileName); HasLineBreak(name)) {
        MsgInformation(this, LineBreakMessage(name));
        return;
    }
    RunAfterSave = true;
    try {
        SaveCommand();
    } catch (const std::exception& e) {
        // The engine would read an older file than the model on the screen: no run.
        MsgInformation(this,
                       QString::fromLatin1(MsgSaveFailed) + QLatin1Char('\r') + QString::fromUtf8(e.what()));
        return;
    }
    if (!RunAfterSave || ProgramData->FileName == TProgramData::NewFileName)
        return;
    const QString input = QFileInfo(QString::fromStdString(ProgramData->FileName)).absoluteFilePath();

    // The hand-off file goes into a folder of this run only (the program's folder may not be writable,
    // and two running copies must not share it); the folder goes with everything in it at the end.
    QTemporaryDir runFolder(QDir::tempPath() + QStringLiteral("/brevanto-run-XXXXXX"));
    if (!runFolder.isValid())
        throw EInOutError(runFolder.errorString().toStdString());
    WriteNamesFile(runFolder.path(), input);

    for (const char* extension : {".qvxp", ".qvxo", ".qvxr"})
        QFile::remove(ChangeFileExt(input, QString::fromLatin1(extension)));
    // The old plot file is gone; the name is set again only when the engine writes a new one.
    ProgramData->PlotFileName.clear();

    auto engine = std::make_unique<TDynamicLibrary>(EngineLibraryPath(FProgramFolder));
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
        CloseGraphOfOldRun(MdiArea);
        MsgInformation(this, QString::fromLatin1(MsgInitFailed) + QLatin1Char('\r') +
                                 QDir::toNativeSeparators(EngineLibraryPath(FProgramFolder)) + why);
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
        result = RunEngineWithProgress(this, entry, EngineArgument, cancel, &cancelled);
        QApplication::restoreOverrideCursor();
    }
    FEngine.reset();

    if (cancelled) {
        // Whatever the engine wrote before it stopped is no result: nothing is kept.
        for (const char* extension : {".qvxp", ".qvxo", ".qvxr"})
            QFile::remove(ChangeFileExt(input, QString::fromLatin1(extension)));
        CloseGraphOfOldRun(MdiArea);
        statusBar()->showMessage(QString::fromLatin1(MsgCancelled));
        MsgInformation(this, QString::fromLatin1(MsgCancelled));
        return;
    }
    if (result == EngineRefused) {
        CloseGraphOfOldRun(MdiArea);
        MsgInformation(this, QString::fromLatin1(MsgInconsistent));
        return;
    }
    const TRunResults results = ReadRunResults(ChangeFileExt(input, QStringLiteral(".qvxr")));
    if (!results.Errors.isEmpty()) {
        // The engine refused the input: there is no result to show, only what to correct.
        CloseGraphOfOldRun(MdiArea);
        statusBar()->showMessage(QStringLiteral("The problem was not analysed."));
        MsgInformation(
            this, NotAnalysedMessage(results, ReadNotes(ProgramFile(FProgramFolder, ErrorMessageNotesFile))));
        return;
    }
    const QString plot = ChangeFileExt(input, QStringLiteral(".qvxp"));
    if (QFileInfo(plot).isFile())
        ProgramData->PlotFileName = plot.toStdString();
    // An open graph window shows the new result before the user reads the message.
    if (!ProgramData->PlotFileName.empty()) {
        if (TfrmGraph* graph = TfrmGraph::Find(MdiArea))
            graph->LoadPlot(*ProgramData);
    } else {
        CloseGraphOfOldRun(MdiArea);
    }
    const QString answer = FactorOfSafetyLine(results);
    statusBar()->showMessage(answer.isEmpty() ? QStringLiteral("Computations are completed.") : answer);
    MsgInformation(this, QString::fromLatin1(MsgCompleted) +
                             (answer.isEmpty() ? QString() : QStringLiteral("\r\r") + answer));
}
