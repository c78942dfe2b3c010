#pragma once
// Computation > Probabilistic Analysis: the random variables (variable, distribution, parameters,
// truncation), the c-phi correlations and the settings; Run analyses the model on a worker thread
// with a progress bar and Cancel, then opens the results.
#include "reliability/ProbabilisticResultsWindow.h"
#include "text/SlopeFile.h"
#include <QDialog>
#include <QPointer>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TProbabilisticRun;

class TProbabilisticWindow : public QDialog {
    Q_OBJECT
  public:
    // `model` is the problem as it stands; `store` keeps a changed setup with the model.
    TProbabilisticWindow(const TSlopeDescription& model,
                         std::function<void(const TProbabilisticSetup&)> store, QWidget* parent = nullptr);
    ~TProbabilisticWindow() override;

    // Turns a setup's values from one unit system into another (from, to), as the model's own
    // switch of units turns its kept setup.
    using TUnitConversion = std::function<void(TProbabilisticSetup&, int, int)>;
    void SetUnitConversion(TUnitConversion convert) { Convert = std::move(convert); }
    // The model as it stands after a change in the main window: each run takes the model from here,
    // so that its results are those of the model on the screen. The setup shown is this window's
    // own and stays; where the model's unit system changed, its values are turned into the new one.
    void FollowModel(const TSlopeDescription& now);
    // The model a run takes (with the setup shown).
    const TSlopeDescription& CurrentModel() const { return Model; }

    // The setup as the window shows it; false (with `error`) when a row does not read.
    bool ReadSetup(TProbabilisticSetup& out, QString& error) const;
    void ShowSetup(const TProbabilisticSetup& s);
    void AddVariableRow(const TRandomVariable& v);

    QTableWidget* Variables() const { return Table; }
    QPushButton* RunButton() const { return Run; }
    QPushButton* CancelButton() const { return Stop; }
    QProgressBar* ProgressBar() const { return Bar; }
    QSpinBox* SamplesBox() const { return Samples; }
    TProbabilisticResultsWindow* Results() const { return ResultsWindow; }

  signals:
    void RunFinished();

  private:
    void StartRun();
    void RunDone();
    void Keep();
    // ReadSetup, the values then in the model's unit system.
    bool ReadSetupInModelUnits(TProbabilisticSetup& out, QString& error);

    TSlopeDescription Model;
    std::function<void(const TProbabilisticSetup&)> Store;
    TUnitConversion Convert;
    int RowUnits = 0; // the unit system of the values in the rows
    // The model (as its input file, without the probabilistic setup) of the run in progress and of
    // the results shown.
    std::string RunModel, ResultsModel;
    QTableWidget* Table;
    QLineEdit* Correlations;
    QSpinBox* Samples;
    QLineEdit* Seed;
    QComboBox* Sampling;
    QComboBox* Mode;
    QPushButton* Run;
    QPushButton* Stop;
    QProgressBar* Bar;
    QLabel* Status;
    TProbabilisticRun* Running = nullptr;
    // Cleared by Qt when the window goes (closed by the user, or with this window's children).
    QPointer<TProbabilisticResultsWindow> ResultsWindow;
};
