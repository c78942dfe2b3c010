#pragma once
// One analysis run of the desktop program, from the Run Analysis command to its last message: the
// model is saved first (the engine reads the file, not the screen), the hand-off file names.dat goes
// into a folder of the run, the engine library is loaded, the engine works on a worker thread behind
// the progress window, and afterwards the user is told how it ended and the model points at the new
// plot file. The main window owns one TAnalysisRun and only starts it.
#include <QString>
#include <functional>
#include <memory>

#include "app/DynamicLibrary.h"

class QWidget;
class TProgramData;

class TAnalysisRun {
  public:
    // `parent`: the window the messages and the progress window belong to.
    explicit TAnalysisRun(QWidget* parent) : FParent(parent) {}
    ~TAnalysisRun();
    TAnalysisRun(const TAnalysisRun&) = delete;
    TAnalysisRun& operator=(const TAnalysisRun&) = delete;

    // Runs the analysis of `model` with the engine library of `programFolder`. `save` saves the model
    // as the Save command does and returns false when the user cancelled (no run then); its errors
    // end the run with the save-failed message. Other errors propagate.
    void Run(TProgramData& model, const std::function<bool()>& save, const QString& programFolder);
    // True while the engine library is loaded, that is while a run is in progress.
    bool EngineLoaded() const { return FEngine != nullptr; }

  private:
    QWidget* FParent;
    // The engine library, loaded only while a run is in progress.
    std::unique_ptr<TDynamicLibrary> FEngine;
};
