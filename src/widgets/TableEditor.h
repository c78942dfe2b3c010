#pragma once
// TTableForm: the window in which the user edits one grid table. The grid has one column per
// visible table column; the header lines are its fixed rows (the horizontal header), the row-group
// numbers its fixed column (the vertical header). Enumeration and sub-table columns are covered by
// live drop-down lists and buttons. Typed entries are committed through the columns; a rejected
// entry is reported and the focus stays on the bad cell.
//
// The window is one class whose work is spread over files named after it: TableEditor.cpp (the window,
// its opening and closing), TableEditorLayout.cpp (refresh and layout), TableEditorRowControls.cpp
// (the lists and buttons over cells), TableEditorRowButtons.cpp (adding, inserting and deleting rows),
// TableEditorCommit.cpp (storing typed entries) and TableEditorSnap.cpp (the drag-resize rule); the
// grid and its cell delegate are in TableGrid.*, the choice of the editor class in TableEditorFactory.*.
#include <QElapsedTimer>
#include <QPointer>
#include <QSize>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <functional>
#include <vector>

#include "tables/Table.h"
#include "widgets/ChildActivation.h"
#include "widgets/TableGrid.h"

class QLabel;
class QMdiArea;
class QPushButton;

class TTableForm : public QWidget, public ITableEditor, public IActivatedChild, private ITableGridOwner {
    Q_OBJECT
  public:
    explicit TTableForm(TGridTable& table, QWidget* parent = nullptr);
    ~TTableForm() override;

    // Shows a new editor `form` (which it owns from now on) as Edit (modal false) or EditModal (modal
    // true) do: embedded in its table's FormParent, as a child window of the multiple-document area,
    // or as a top-level window. A modal editor returns only when it has closed; the result is then
    // null. The editor factory chooses the class of `form`.
    static TTableForm* Open(TTableForm* form, bool modal, QMdiArea* area);

    // --- ITableEditor
    bool IsModal() const override { return FModal; }
    void SetCurrentCell(int column, int row) override;
    void TitleChanged() override;
    void HelpPictureChanged() override;
    void CloseEditor() override;
    void TableDestroyed() override;

    // --- IActivatedChild: leaving the window commits the current cell
    void ChildActivated() override {}
    void ChildDeactivated() override { FormDeactivate(); }

    TGridTable* Table() const { return FTable; }
    void BringToFront();

    // --- controls
    TTableGrid* Grid;
    QPushButton* BtnAdd;
    QPushButton* BtnIns;
    QPushButton* BtnDel;
    QLabel* lblComments;
    QLabel* imgHelp;

    // --- state the layout works from
    int FixedRows() const { return FFixedRows; }
    int ColumnsShown() const { return FColsShown; }
    int RowsShown() const { return FRowsShown; }
    int FirstShownRow() const;
    int FirstShownColumn() const;
    int Margin() const;
    // The client size the last layout asked for.
    QSize ClientSize() const { return FClientSize; }
    QSize sizeHint() const override { return FClientSize; }

    // The row control (drop-down list or button) shown over a cell, or null.
    QWidget* RowControl(int visibleColumn, int row) const;

    // --- behaviour, also driven directly by tests
    void Refresh();
    void Layout();
    // Commits the current cell (see CommitCell); false when the entry was rejected.
    bool CommitCurrentCell();
    // Stores the text of a data cell through its column. A rejected entry is reported (once per
    // attempt) in an information box; the stored value stays unchanged.
    bool CommitCell(int row, int column);
    void BtnAddClick();
    void BtnInsClick();
    void BtnDelClick();
    // Enter in the grid: next row of the column; after the last row the first row of the next column.
    void GridEnter();
    void FormDeactivate();
    void GridExit();
    // The drag-resize snapping: the client size that shows whole columns and rows for a proposed
    // client size, with the first shown column/row and the counts applied to the grid (the window
    // itself is resized by the caller, which knows which edges stay in place).
    QSize SnapClientSize(const QSize& proposed, Qt::Edges dragged);

  signals:
    void Closed();

  protected:
    // A push button of this window: caption, object name, and never the default button, since Enter
    // belongs to the grid and the entry boxes.
    QPushButton* MakeButton(const QString& caption, const char* name);

    // What the chart-backed editor adds. All are called with a live table.
    virtual int RowsShownLimit() const { return 10; }
    virtual int GridTop() const { return Margin(); }
    // Lays out what comes between the row buttons and the comment; returns the next free top and
    // widens `right` to the right edge of what it placed.
    virtual int LayoutBelowButtons(int top, int& right) {
        (void)right;
        return top;
    }
    virtual void AfterRefresh() {}
    virtual void AfterRowButton() {}
    virtual void GridKeyPress(int key) { (void)key; }
    virtual void GridKeyRelease(int key) { (void)key; }
    virtual void BeforeSelectCell() {}
    virtual void BackgroundClick() {}
    virtual void CellValueChanged() {}

    // The first build of the window (the table's Show steps); the chart editor extends it.
    virtual void ShowTable();
    // Between these, rows the table appends grow the rows shown as "&Add Row" does, and at the end
    // the grid scrolls to the new last row (reading values from a file or the clipboard).
    void BeginAddingRows();
    void EndAddingRows();

    bool eventFilter(QObject* object, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

    TGridTable* FTable;
    bool FModal = false;

  private:
    // --- ITableGridOwner
    TGridTable* GridTable() const override { return FTable; }
    bool GridCellLeaving(int fromRow, int fromColumn, int toRow, int toColumn) override {
        return GridSelectCell(fromRow, fromColumn, toRow, toColumn);
    }
    void GridRefocus() override { FocusGrid(); }
    void GridKeyDown(int key) override { GridKeyPress(key); }
    void GridEnterPressed() override { GridEnter(); }
    void GridKeyUp(int key) override { GridKeyRelease(key); }
    void GridScrolled() override { Layout(); }

    struct TControlSet {
        int VisibleColumn = 0;
        std::vector<QPointer<QWidget>> Controls;
    };

    bool GridSelectCell(int fromRow, int fromColumn, int toRow, int toColumn);
    void TableRowsChanged();
    void TableCellChanged(int column, int row);
    void RewriteCell(int visibleColumn, int row);
    void RewriteAllCells();
    void AllocateControls(int topRow, int count);
    void UpdateControl(const TControlSet& set, QWidget* control, int row);
    void FreeControls();
    void PlaceControls();
    int ControlRow(QWidget* control, int* visibleColumn = nullptr) const;
    // The row control that is or contains `widget`, or null.
    QWidget* ControlAt(QWidget* widget) const;
    void ComboActivated(QWidget* combo, int index);
    void TableButtonClicked(QWidget* button);
    void FocusChanged(QWidget* old, QWidget* now);
    void ControlEntered(QWidget* control);
    bool CheckRowButton();
    void GrowRowsShown();
    void ScrollToRow(int row);
    void Detach();
    void ApplyClientSize(const QSize& size, Qt::Edges anchor);
    QWidget* Container() const;
    int ColumnPixelWidth(int visibleColumn) const;
    int GridWidthFor(int firstColumn, int columns, bool vbar) const;
    int GridHeightFor(int rows, bool hbar) const;
    QSize ClientSizeFor(int gridWidth, int gridHeight);
    void SnapTimeout();
    void ReportRejected(int row, int column, const QString& text, const QString& message);
    void Guarded(const std::function<void()>& action);
    void ShowError(const std::exception& e);

  protected:
    // For the buttons of this window: true when the click completes a press that left the grid
    // with a rejected (and already reported) entry.
    bool ClickFollowsRejectedExit();
    // Puts the focus on the current cell (its editor when one is open).
    void FocusGrid();

  private:
    int FFixedRows = 1;
    int FColsShown = 0;
    int FRowsShown = 0;
    QSize FClientSize;
    std::vector<TControlSet> FControlSets;
    bool FClosing = false;
    bool FInMessage = false;
    bool FSuspendRows = false;
    bool FLayingOut = false;
    bool FHoldSize = false;
    bool FAddingRows = false;
    int FRowsBeforeAdding = 0;
    int FLastRowCount = 0;
    // The last rejected entry, so one user action that reaches several commit paths (leaving the
    // grid and deactivating the window) reports it once.
    int FBadRow = -1, FBadColumn = -1;
    QString FBadText;
    bool FReportedThisTurn = false;
    // Where the focus went when leaving the grid was refused (a button being pressed).
    QPointer<QWidget> FExitTarget;
    QElapsedTimer FExitTime;
    // Drag-resize: the proposal is snapped once the drag pauses.
    QTimer FSnapTimer;
    QSize FProposed;
    Qt::Edges FDragged;
    QRect FLastContainerGeometry;
    int FInternalResize = 0;
    QMetaObject::Connection FFocusConnection;
};
