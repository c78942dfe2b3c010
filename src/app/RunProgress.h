#pragma once
// The analysis engine runs on a worker thread while this application-modal dialog blocks input, so
// the windows keep painting and the user sees that the program is busy and for how long.
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>

class QLabel;
class QProgressBar;

// The engine's entry point: one 32-bit integer in, one out.
using TEngineEntry = std::int32_t (*)(std::int32_t);

class TRunProgressDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TRunProgressDialog(QWidget* parent = nullptr);

    QLabel* lblMessage;
    QLabel* lblElapsed;
    QProgressBar* Bar;

    // The run ended: the dialog closes.
    void Finish();
    // "Elapsed time: m:ss" for a number of milliseconds.
    static QString ElapsedText(qint64 ms);

  public slots:
    // Escape and the window's close button do nothing while the engine runs.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Tick();
    QElapsedTimer FClock;
    QTimer FTimer;
    bool FFinished = false;
};

// Calls entry(argument) on a worker thread whose number formatting is that of the "C" locale ("." as
// decimal separator), whatever the process's locale is; the process's locale itself is not touched.
// Shows the dialog until the call returns, and returns only after the worker has ended.
std::int32_t RunEngineWithProgress(QWidget* parent, TEngineEntry entry, std::int32_t argument);

// Runs entry(argument) on the calling thread with the "C" locale for that thread only.
std::int32_t CallWithCLocale(TEngineEntry entry, std::int32_t argument);
