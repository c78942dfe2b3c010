#pragma once
// TTableChartForm: the editor of a chart-backed table. The grid editor plus a graph of the table
// above the grid (a line chart through the rows, or one numbered segment per row) and, where the
// table allows it, controls to read the values from a text file or from the clipboard.
#include <QLine>
#include <QPoint>
#include <QString>
#include <QVector>
#include <functional>

#include "tables/TableChart.h"
#include "widgets/TableEditor.h"

class QCategoryAxis;
class QChartView;
class QLineEdit;
class QLineSeries;

// The automatic range of an axis over data from lo to hi, as the charting component would choose
// it: whole multiples of a step of 1, 2 or 5 times a power of ten. The graph's data and label
// formats come from the core (LineChartData, AxisLabelFormat, FormatAxisLabel, SegmentDrawing).
struct TAxisRange {
    double Min = 0, Max = 1, Step = 0.2;
};
TAxisRange AutoAxisRange(double lo, double hi);

// The drawing area of the segment drawing.
class TSegmentBox : public QWidget {
    Q_OBJECT
  public:
    // Draws the table its form edits, asked at every paint: the table may be gone before the form.
    explicit TSegmentBox(TTableForm* form) : QWidget(form), FForm(form) {}

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TTableForm* FForm;
};

class TTableChartForm : public TTableForm {
    Q_OBJECT
  public:
    explicit TTableChartForm(TGridTableChart& table, QWidget* parent = nullptr);

    TGridTableChart* ChartTable() const { return static_cast<TGridTableChart*>(FTable); }

    QChartView* Chart1;
    QLineSeries* Series1;
    QLineSeries* Series2;
    QCategoryAxis* AxisX;
    QCategoryAxis* AxisY;
    TSegmentBox* PaintBox1;
    QLabel* FileNameLabel;
    QLineEdit* FileNameEdit;
    QPushButton* BtnBrowse;
    QPushButton* BtnEdit;
    QPushButton* BtnRead;
    QPushButton* BtnClip;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

    // Rebuilds the graph from the values stored in the table.
    void RedrawGraph();
    void BtnBrowseClick();
    void BtnEditClick();
    void BtnReadClick();
    void BtnClipClick();
    // "View/Edit File" and "Read values from File" work only on a file that exists.
    void UpdateFileButtons();

    // The label formats and the vertical range of the last line chart (for tests and the screenshot).
    QString LeftAxisFormat() const { return FLeftFormat; }
    QString BottomAxisFormat() const { return FBottomFormat; }
    int RedrawCount() const { return FRedraws; }

    // How "View/Edit File" starts the text editor and how "Browse" asks for a file; tests replace
    // them on the window so no editor or dialog appears.
    std::function<bool(const QString& program, const QStringList& arguments)> StartProcess;
    std::function<QString(QWidget* parent)> ChooseFile;

  protected:
    int RowsShownLimit() const override;
    int GridTop() const override;
    int LayoutBelowButtons(int top, int& right) override;
    void AfterRefresh() override;
    void AfterRowButton() override;
    void GridKeyPress(int key) override;
    void GridKeyRelease(int key) override;
    void BeforeSelectCell() override;
    void BackgroundClick() override;
    void CellValueChanged() override;
    void ShowTable() override;

  private:
    bool LineChartShown() const;
    bool GraphShown() const;
    void BuildLineChart();
    void FillRows(const std::function<int()>& fill);

    QString FLeftFormat, FBottomFormat;
    int FRedraws = 0;
    bool FRedrawPending = false;
};
