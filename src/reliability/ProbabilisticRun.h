#pragma once
// A probabilistic analysis run on a worker thread for the desktop: the deterministic analysis and the
// samples, with progress and cancel, and the results kept for the results window.
#include "engine/probabilistic/ProbabilisticAnalysis.h"
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

class TProbabilisticRun : public QObject {
    Q_OBJECT
  public:
    // Starts at once; `d` carries the setup in d.Probabilistic.
    TProbabilisticRun(const TSlopeDescription& d, QObject* parent = nullptr);
    ~TProbabilisticRun() override;

    void Cancel() { Cancelled = true; }
    bool Finished() const { return Done; }
    bool WasCancelled() const { return Cancelled; }
    // After Finished(): the errors of the input (empty when the run went through).
    const quolm::TDiagnostics& Errors() const { return Checks; }
    const quolm::TProbabilisticStudy* Study() const { return StudyPtr.get(); }
    const quolm::TSampleTable& Table() const { return Samples; }
    const quolm::TProbabilisticResult& Result() const { return Summary; }

  signals:
    void Progress(long long done, long long total);
    void Completed();

  private:
    void Poll();

    std::unique_ptr<quolm::TProbabilisticStudy> StudyPtr;
    quolm::TDiagnostics Checks;
    quolm::TSampleTable Samples;
    quolm::TProbabilisticResult Summary;
    std::atomic<bool> Cancelled{false};
    std::atomic<bool> WorkerDone{false};
    std::atomic<long long> DoneCount{0}, TotalCount{0};
    bool Done = false;
    QTimer Timer;
    std::thread Worker;
};
