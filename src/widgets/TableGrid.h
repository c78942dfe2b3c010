#pragma once
// The grid of the table editor and the delegate that makes its in-place cell editors. The grid asks
// its form before the current cell moves; the form does the committing (TableEditorCommit.cpp).
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableWidget>

class TTableForm;

// The grid of the editor. It asks its form before the current cell moves and refuses the move
// when the form says so (a rejected entry).
class TTableGrid : public QTableWidget {
    Q_OBJECT
  public:
    explicit TTableGrid(TTableForm* form);
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
    TTableForm* FForm;
    QPointer<QWidget> FEditor;
    bool FSilent = false;
    bool FRefused = false;
};

// Creates the in-place editors of the grid and routes their keys to the form (Enter moves on).
class TCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    TCellDelegate(TTableGrid* grid, TTableForm* form);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    TTableGrid* FGrid;
    TTableForm* FForm;
};
