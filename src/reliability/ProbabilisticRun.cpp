#include "reliability/ProbabilisticRun.h"

TProbabilisticRun::TProbabilisticRun(const TSlopeDescription& d, QObject* parent) : QObject(parent) {
    TotalCount = d.Probabilistic.Samples;
    Worker = std::thread([this, d] {
        try {
            auto study = std::make_unique<quolm::TProbabilisticStudy>(d, quolm::TRunOptions());
            Checks = study->Diagnostics();
            if (!study->HasErrors()) {
                quolm::TProbabilisticControl control;
                control.Cancel = &Cancelled;
                control.Progress = [this](long long done, long long total) {
                    DoneCount = done;
                    TotalCount = total;
                };
                study->RunAll(Samples, control);
                Summary = study->Summarise(Samples);
            }
            StudyPtr = std::move(study);
        } catch (const std::exception& e) {
            Checks.Error("E999", std::string("The analysis stopped unexpectedly: ") + e.what());
        }
        WorkerDone = true;
    });
    connect(&Timer, &QTimer::timeout, this, &TProbabilisticRun::Poll);
    Timer.start(50);
}

TProbabilisticRun::~TProbabilisticRun() {
    Cancelled = true;
    if (Worker.joinable())
        Worker.join();
}

void TProbabilisticRun::Poll() {
    emit Progress(DoneCount.load(), TotalCount.load());
    if (!WorkerDone || Done)
        return;
    Worker.join();
    Timer.stop();
    Done = true;
    emit Completed();
}
