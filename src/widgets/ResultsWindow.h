#pragma once
// The results window: what the last run found, beyond the graph window's one number. Every method's
// factor on the critical surface with its convergence, the ten most critical surfaces (choosing one
// shows it in the graph window), the warnings with their remedies and the search's statistics; the
// critical surface's slices as a sortable, copyable table with CSV export, charts along the surface,
// and how the search's minimum fell as surfaces were added. One per model: each run refreshes it.
#include "model/ResultsFile.h"
#include <QWidget>

class QChartView;
class QComboBox;
class QLabel;
class QMdiArea;
class QStandardItemModel;
class QTableView;
class QTableWidget;
class QTabWidget;
class QTextBrowser;

// The note a window of results shows above its figures when they may not be the model's as it is
// now: an amber box, hidden until shown.
QLabel* MakeOutdatedNote(const QString& text, QWidget* parent);

class TResultsWindow : public QWidget {
    Q_OBJECT
  public:
    // The one results window of `area`, made when none is open, (re)reading `resultsPath`; the
    // remedies come from the error-message notes `notesPath`. Returns the window.
    static TResultsWindow* ShowResults(QMdiArea* area, const QString& resultsPath, const QString& notesPath);
    static TResultsWindow* Find(QMdiArea* area);

    explicit TResultsWindow(QWidget* parent = nullptr);

    // Reads the results file; false (the window then says why) when it cannot be read.
    bool Load(const QString& resultsPath, const QString& notesPath);
    // Says, above everything, that the model has changed since these results were computed, or was
    // saved after them (false: says nothing).
    void SetOutdated(bool outdated);
    bool IsOutdated() const;
    QLabel* OutdatedNote() const { return FOutdated; }
    const TResults& Results() const { return FResults; }
    const QString& ResultsPath() const { return FPath; }

    // The slice table as the user sees it (sorted as the user sorted it).
    QTableView* SliceTable() const { return FSliceTable; }
    QTableWidget* MethodTable() const { return FMethods; }
    QTableWidget* SurfaceTable() const { return FSurfaces; }
    QTabWidget* Tabs() const { return FTabs; }
    QComboBox* ChartChoice() const { return FChartChoice; }
    QChartView* ChartView() const { return FChart; }
    QTableWidget* ConvergenceTable() const { return FConvergence; }
    QChartView* ConvergenceChart() const { return FConvergenceChart; }
    QLabel* ConvergenceNote() const { return FConvergenceNote; }

    // Copies the selected cells of the slice table (all of it without a selection) as tab-separated
    // text with a header line.
    void CopySlices();
    // "Export CSV...": a file dialog, then ExportCsv.
    void ExportCsvClick();
    bool ExportCsv(const QString& fileName);
    // Shows chart `index` (the order of ChartChoice).
    void ShowChart(int index);

  signals:
    // The user chose one of the ten most critical surfaces (0: the critical one).
    void SurfaceChosen(int rank);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Fill();
    void FillConvergence();

    TResults FResults;
    QString FPath;
    QString FNotes;
    QTabWidget* FTabs = nullptr;
    QLabel* FHeadline = nullptr;
    QLabel* FOutdated = nullptr;
    QTableWidget* FMethods = nullptr;
    QTableWidget* FSurfaces = nullptr;
    QTextBrowser* FDetails = nullptr;
    QStandardItemModel* FSliceModel = nullptr;
    QTableView* FSliceTable = nullptr;
    QComboBox* FChartChoice = nullptr;
    QChartView* FChart = nullptr;
    QLabel* FConvergenceNote = nullptr;
    QTableWidget* FConvergence = nullptr;
    QChartView* FConvergenceChart = nullptr;
};
