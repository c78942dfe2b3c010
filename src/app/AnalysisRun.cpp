#include "app/AnalysisRun.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/EngineRun.h"
#include "app/RunProgress.h"
#include "model/SlopeModel.h"
#include "text/Errors.h"
#include "text/FileNames.h"
#include "widgets/MsgBox.h"

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
    try {
        engine->Load();
        entry = reinterpret_cast<TEngineEntry>(engine->EntryPoint(EngineEntryName));
    } catch (const EDLLError&) {
        entry = nullptr;
    }
    if (!entry) {
        const QString why =
            engine->ErrorString().isEmpty() ? QString() : QLatin1Char('\r') + engine->ErrorString();
        engine.reset();
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
    {
        TCurrentDirectory inRunFolder(runFolder.path());
        QApplication::setOverrideCursor(Qt::WaitCursor);
        result = RunEngineWithProgress(FParent, entry, EngineArgument);
        QApplication::restoreOverrideCursor();
    }
    FEngine.reset();

    if (result == EngineRefused) {
        MsgInformation(FParent, QString::fromLatin1(MsgInconsistent));
        return;
    }
    MsgInformation(FParent, QString::fromLatin1(MsgCompleted));
    const QString plot = QString::fromStdString(ChangeFileExt(input.toStdString(), ".qvxp"));
    if (QFileInfo(plot).isFile())
        model.PlotFileName = plot.toStdString();
}
