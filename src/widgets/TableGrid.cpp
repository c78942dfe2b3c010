#include "widgets/TableGrid.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "tables/Table.h"
#include "widgets/TableEditorMetrics.h"

namespace {
bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

TTableGrid::TTableGrid(QWidget* parent, ITableGridOwner* owner) : QTableWidget(parent), FOwner(owner) {
    setObjectName(QStringLiteral("Grid"));
    setItemDelegate(new TCellDelegate(this, owner));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // The cell editor is open on the current cell at all times, as in a spreadsheet.
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // Tab leaves the grid for the next control, as in the other windows; Enter moves between cells.
    setTabKeyNavigation(false);
    setWordWrap(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(TableEditorMetrics::RowHeight);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionsClickable(false);
    setCornerButtonEnabled(false);
}

void TTableGrid::CommitEditorText() {
    if (FEditor && state() == QAbstractItemView::EditingState)
        commitData(FEditor);
}

void TTableGrid::SetCurrentSilently(int row, int column) {
    const bool was = FSilent;
    FSilent = true;
    selectionModel()->setCurrentIndex(model()->index(row, column), QItemSelectionModel::ClearAndSelect);
    FSilent = was;
}

void TTableGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The base writes the open editor's text into the previous cell and opens the editor anew.
    QTableWidget::currentChanged(current, previous);
    if (FSilent || !previous.isValid() || !current.isValid() || current == previous)
        return;
    if (FOwner->GridCellLeaving(previous.row(), previous.column(), current.row(), current.column()))
        return;
    FRefused = true;
    SetCurrentSilently(previous.row(), previous.column());
    FOwner->GridRefocus();
}

bool TTableGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only the current cell is edited, and never a cell covered by a row control.
    if (!index.isValid() || index != currentIndex())
        return false;
    if (TGridTable* table = FOwner->GridTable()) {
        if (index.column() >= table->VisibleColumnCount() ||
            table->VisibleColumn(index.column()).UsesControls())
            return false;
    }
    return QTableWidget::edit(index, trigger, event);
}

void TTableGrid::keyPressEvent(QKeyEvent* event) {
    FOwner->GridKeyDown(event->key());
    if (IsEnter(event->key())) {
        FOwner->GridEnterPressed();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void TTableGrid::keyReleaseEvent(QKeyEvent* event) {
    FOwner->GridKeyUp(event->key());
    QTableWidget::keyReleaseEvent(event);
}

void TTableGrid::mousePressEvent(QMouseEvent* event) {
    FRefused = false;
    QTableWidget::mousePressEvent(event);
    // A refused move still selected the clicked cell; select the cell the user stays on.
    if (FRefused && currentIndex().isValid())
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
}

void TTableGrid::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    FOwner->GridScrolled();
}

TCellDelegate::TCellDelegate(TTableGrid* grid, ITableGridOwner* owner)
    : QStyledItemDelegate(grid), FGrid(grid), FOwner(owner) {}

QWidget* TCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor)
        editor->setObjectName(QStringLiteral("CellEditor"));
    FGrid->FEditor = editor;
    return editor;
}

bool TCellDelegate::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        FOwner->GridKeyDown(key->key());
        if (IsEnter(key->key())) {
            FOwner->GridEnterPressed();
            return true;
        }
        // Not the delegate's "edit the next cell": the editor passes Tab on and the focus leaves the
        // grid (which commits the entry).
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
    } else if (event->type() == QEvent::KeyRelease) {
        FOwner->GridKeyUp(static_cast<QKeyEvent*>(event)->key());
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
