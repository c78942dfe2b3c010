#pragma once
// The results of a probabilistic analysis: the statistics, the probability of failure and the
// reliability indices, the histogram and the cumulative distribution of the factor of safety, and
// the sample table's export as CSV.
#include <QDialog>
#include <memory>

class QLabel;
class TProbabilisticRun;

class TProbabilisticResultsWindow : public QDialog {
    Q_OBJECT
  public:
    // Takes over the finished run.
    TProbabilisticResultsWindow(std::unique_ptr<TProbabilisticRun> run, QWidget* parent = nullptr);
    ~TProbabilisticResultsWindow() override;

    QString SummaryText() const;
    // Says, above the statistics, that the model has changed since this run (false: says nothing).
    void SetOutdated(bool outdated);
    bool IsOutdated() const;
    // Writes the sample table; false when the file cannot be written.
    bool ExportCsv(const QString& path) const;

  private:
    std::unique_ptr<TProbabilisticRun> Run;
    QLabel* Summary;
    QLabel* Outdated;
};
