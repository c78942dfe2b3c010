#pragma once
// The analysis engine runs on a worker thread while this application-modal dialog blocks input, so
// the windows keep painting and the user sees that the program is busy and for how long.
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

// The engine's entry point: one 32-bit integer in, one out.
using TEngineEntry = std::int32_t (*)(std::int32_t);
// The engine's cancel request: the run in progress stops at its next surface.
using TEngineCancel = void (*)();

class TRunProgressDialog : public QDialog {
    Q_OBJECT
  public:
    // `cancel`: how to ask the engine to stop; without it the run cannot be cancelled.
    explicit TRunProgressDialog(QWidget* parent = nullptr, TEngineCancel cancel = nullptr);

    QLabel* lblMessage;
    QLabel* lblElapsed;
    QProgressBar* Bar;
    QPushButton* btnCancel;

    // Cancel, its close box and Escape: asks the engine to stop; the dialog closes when it has.
    void CancelRun();
    bool CancelRequested() const { return FCancelRequested; }

    // The run ended: the dialog closes.
    void Finish();
    // "Elapsed time: m:ss" for a number of milliseconds.
    static QString ElapsedText(qint64 ms);

  public slots:
    // Escape: as Cancel.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Tick();
    QElapsedTimer FClock;
    QTimer FTimer;
    bool FFinished = false;
    bool FCancelRequested = false;
    TEngineCancel FCancel = nullptr;
};

// Calls entry(argument) on a worker thread whose number formatting is that of the "C" locale ("." as
// decimal separator), whatever the process's locale is; the process's locale itself is not touched.
// Shows the dialog until the call returns, and returns only after the worker has ended. `cancelled`
// (when given) tells whether the user cancelled the run.
std::int32_t RunEngineWithProgress(QWidget* parent, TEngineEntry entry, std::int32_t argument,
                                   TEngineCancel cancel = nullptr, bool* cancelled = nullptr);

// Runs entry(argument) on the calling thread with the "C" locale for that thread only.
std::int32_t CallWithCLocale(TEngineEntry entry, std::int32_t argument);
