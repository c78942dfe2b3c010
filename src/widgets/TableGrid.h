#pragma once
// The grid of the table editor and the delegate that makes its in-place cell editors. The grid asks
// its owner before the current cell moves; the table editor does the committing (TableEditorCommit.cpp).
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableWidget>

class TGridTable;
class TTableForm;

// What the grid and its cell editors ask of the window that holds them (the table editor). The grid
// knows the window only through this, so the two can be read and built one without the other.
class ITableGridOwner {
  public:
    virtual ~ITableGridOwner() = default;
    virtual TGridTable* GridTable() const = 0;
    // Before the current cell moves: false refuses the move (a rejected entry).
    virtual bool GridCellLeaving(int fromRow, int fromColumn, int toRow, int toColumn) = 0;
    // After a refused move: the focus goes back to the current cell.
    virtual void GridRefocus() = 0;
    virtual void GridKeyDown(int key) = 0;
    virtual void GridEnterPressed() = 0;
    virtual void GridKeyUp(int key) = 0;
    virtual void GridScrolled() = 0;
};

// The grid of the editor. It asks its owner before the current cell moves and refuses the move
// when the owner says so (a rejected entry).
class TTableGrid : public QTableWidget {
    Q_OBJECT
  public:
    TTableGrid(QWidget* parent, ITableGridOwner* owner);
    using QTableWidget::edit;

    // The open cell editor, if any (the in-place line edit of the current cell).
    QWidget* CellEditor() const {
        return FEditor && state() == QAbstractItemView::EditingState ? FEditor.data() : nullptr;
    }
    // Writes the text of the open cell editor into its cell, so the cell holds what the user typed.
    void CommitEditorText();
    // Moves the current cell without the form's checks (program moves, the row controls).
    void SetCurrentSilently(int row, int column);
    // Brings the scroll ranges up to date now (Qt computes them lazily), so the grid can be
    // scrolled to a row that was just added.
    void UpdateScrollRanges() { updateGeometries(); }

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    friend class TCellDelegate;
    friend class TTableForm;
    ITableGridOwner* FOwner;
    QPointer<QWidget> FEditor;
    bool FSilent = false;
    bool FRefused = false;
};

// Creates the in-place editors of the grid and routes their keys to the owner (Enter moves on).
class TCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    TCellDelegate(TTableGrid* grid, ITableGridOwner* owner);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    TTableGrid* FGrid;
    ITableGridOwner* FOwner;
};
