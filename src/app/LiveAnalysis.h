#pragma once
// Live analysis: the model analysed in the background whenever it changes, in this process through the
// engine's C++ API. Nothing is written to disk: the model's input-file text is made in memory, read
// back exactly as the engine reads a file, and analysed on a worker thread, so the factor is the one a
// saved run would give. A newer model supersedes a run in progress (the run stops between surfaces);
// there is never more than one run at a time. A search that would take longer than about a second is
// analysed with fewer surfaces per initiation point, and the result says so.
#include "text/SlopeFile.h"

#include <QHash>
#include <QObject>
#include <QPointF>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

struct TLiveResult {
    std::optional<double> FS; // none: an input error, or the method did not converge
    QString Method;           // "Bishop", "Janbu", "Spencer"
    // The first input error, when there is one: its code, its text and the first line of its remedy.
    QString ErrorCode, Error, Help;
    std::vector<QPointF> Surface; // the critical surface
    long long Surfaces = 0;       // the surfaces searched
    long long FullSurfaces = 0;   // the surfaces the model asks for (more than Surfaces when reduced)
    double Seconds = 0;
    bool Cancelled = false;
    bool Reduced() const { return Surfaces < FullSurfaces; }
    // The status bar's text: "Live: 1.111 Bishop", or why there is no factor.
    QString StatusText() const;
};

// Analyses `model` as the engine analyses its saved file, searching at most `surfaceLimit` surfaces
// (0: no limit) by taking fewer per initiation point. Runs on any thread; `cancel` may stop it.
TLiveResult AnalyseLive(const TSlopeDescription& model, long long surfaceLimit,
                        const std::atomic<bool>* cancel = nullptr);

// The surfaces the model's search generates (1 for a user-defined surface).
long long SearchSurfaceCount(const TSlopeSettings& settings);

class TLiveAnalysis : public QObject {
    Q_OBJECT
  public:
    explicit TLiveAnalysis(QObject* parent = nullptr);
    ~TLiveAnalysis() override;

    // Analyses this model, superseding whatever runs or waits.
    void Request(const TSlopeDescription& model);
    // Stops what runs and forgets what waits (the model was replaced, live analysis turned off).
    void Cancel();
    bool Busy() const { return FRunning; }

    // The error-message notes whose remedies explain input errors ("error-message.txt").
    void SetNotesFile(const QString& path);
    // How long a live run may take before the surface count is reduced (seconds).
    void SetTimeBudget(double seconds) { FBudget = seconds; }
    // Runs started so far (tests: at most one at a time).
    int RunsStarted() const { return FStarted; }
    int MostAtOnce() const { return FMostAtOnce.load(); }

  signals:
    // A run that was not superseded finished.
    void Finished(const TLiveResult& result);

  private:
    void Start();
    void RunDone(const TLiveResult& result);

    std::thread FThread;
    std::shared_ptr<std::atomic<bool>> FCancel;
    std::unique_ptr<TSlopeDescription> FWaiting;
    bool FRunning = false;
    int FStarted = 0;
    std::atomic<int> FAtOnce{0};
    std::atomic<int> FMostAtOnce{0};
    double FBudget = 1.0;
    // Seconds a surface took in the last finished search (all threads together), for the budget.
    double FSecondsPerSurface = 20e-6;
    QString FNotesFile;
    QHash<QString, QString> FRemedies;
};

Q_DECLARE_METATYPE(TLiveResult)
