// Refresh and layout of the table editor: the grid's rows, columns, headers and cell texts from the
// table, and the window's size from the columns and rows shown.
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "widgets/MsgBox.h"
#include "widgets/TableEditor.h"
#include "widgets/TableEditorMetrics.h"

void TTableForm::TableRowsChanged() {
    if (FSuspendRows || !FTable)
        return;
    if (FAddingRows && FTable->RowCount() > FLastRowCount && FRowsShown == FLastRowCount)
        FRowsShown = std::min(FTable->RowCount(), RowsShownLimit());
    FLastRowCount = FTable->RowCount();
    Refresh();
}

void TTableForm::BeginAddingRows() {
    FAddingRows = true;
    FLastRowCount = FRowsBeforeAdding = FTable ? FTable->RowCount() : 0;
}

void TTableForm::EndAddingRows() {
    FAddingRows = false;
    if (FTable && FTable->RowCount() > FRowsBeforeAdding)
        ScrollToRow(FTable->RowCount() - 1);
}

void TTableForm::TableCellChanged(int column, int row) {
    if (!FTable || column < 0 || column >= FTable->ColumnCount())
        return;
    const int visible = FTable->VisibleIndexOf(&FTable->Column(column));
    if (visible < 0)
        return;
    if (FTable->VisibleColumn(visible).UsesControls() || column == 0) {
        // A kind change rebuilds the row's sub-table: its button caption changes too.
        for (const TControlSet& set : FControlSets)
            for (const QPointer<QWidget>& control : set.Controls)
                if (control && control->property(TableEditorMetrics::RowProperty).toInt() == row)
                    UpdateControl(set, control, row);
    }
    RewriteCell(visible, row);
    CellValueChanged();
}

void TTableForm::RewriteCell(int visibleColumn, int row) {
    if (!FTable || row < 0 || row >= Grid->rowCount() || visibleColumn >= Grid->columnCount())
        return;
    const TColumn& column = FTable->VisibleColumn(visibleColumn);
    if (column.UsesControls() || row >= column.RowCount())
        return;
    QTableWidgetItem* item = Grid->item(row, visibleColumn);
    const QString text = QString::fromStdString(column.GetText(row));
    if (!item)
        Grid->setItem(row, visibleColumn, new QTableWidgetItem(text));
    else if (item->text() != text)
        item->setText(text);
}

void TTableForm::RewriteAllCells() {
    if (!FTable)
        return;
    for (int c = 0; c < FTable->VisibleColumnCount(); ++c)
        if (!FTable->VisibleColumn(c).UsesControls())
            for (int r = 0; r < FTable->RowCount(); ++r)
                RewriteCell(c, r);
}

void TTableForm::Refresh() {
    if (!FTable)
        return;
    TGridTable& table = *FTable;
    const int visible = table.VisibleColumnCount();
    const int rows = table.RowCount();
    FColsShown = std::min(FColsShown, visible);
    FRowsShown = std::min(FRowsShown, rows);
    FFixedRows = 0;
    for (int c = 0; c < visible; ++c)
        FFixedRows = std::max(FFixedRows, table.VisibleColumn(c).HeaderLineCount());

    const QSignalBlocker block(Grid);
    const bool silent = Grid->FSilent;
    Grid->FSilent = true;
    const int current = Grid->currentRow();
    Grid->setRowCount(rows);
    Grid->setColumnCount(visible);
    Grid->FSilent = silent;
    QStringList groups;
    for (int r = 0; r < rows; ++r)
        groups << QString::number(r / table.RowGroup() + 1);
    Grid->setVerticalHeaderLabels(groups);
    const int ppi = TableEditorMetrics::PixelsPerInch();
    const QFontMetrics metrics = Grid->fontMetrics();
    for (int c = 0; c < visible; ++c) {
        const TColumn& column = table.VisibleColumn(c);
        Grid->horizontalHeader()->resizeSection(c, column.GetWidth(metrics, ppi) + 1);
        QStringList lines;
        for (int i = 0; i < FFixedRows; ++i)
            lines << (i < column.HeaderLineCount() ? QString::fromStdString(column.GetHeaderLine(i))
                                                   : QString());
        auto* header = Grid->horizontalHeaderItem(c);
        if (!header) {
            header = new QTableWidgetItem;
            Grid->setHorizontalHeaderItem(c, header);
        }
        header->setText(lines.join(QLatin1Char('\n')));
        header->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
        for (int r = 0; r < rows; ++r) {
            if (column.UsesControls()) {
                if (!Grid->item(r, c)) {
                    auto* item = new QTableWidgetItem;
                    item->setFlags(Qt::ItemIsEnabled);
                    Grid->setItem(r, c, item);
                }
            } else {
                RewriteCell(c, r);
            }
        }
    }
    Grid->horizontalHeader()->setFixedHeight(std::max(1, FFixedRows) * TableEditorMetrics::RowHeight);
    if (current >= rows && rows > 0)
        Grid->SetCurrentSilently(rows - 1, std::max(0, Grid->currentColumn()));

    const bool rowButtons = table.MinRows() != table.MaxRows();
    BtnAdd->setVisible(rowButtons);
    BtnIns->setVisible(rowButtons);
    BtnDel->setVisible(rowButtons);
    BtnAdd->setEnabled(rows != table.MaxRows());
    BtnIns->setEnabled(rows != table.MaxRows());
    BtnDel->setEnabled(table.MinRows() < rows);
    const QString comments = QString::fromStdString(table.Comments());
    lblComments->setText(MsgDisplayText(comments)); // "\r" marks a line break, as in messages
    lblComments->setVisible(!comments.isEmpty());
    Layout();
    AfterRefresh();
}

int TTableForm::ColumnPixelWidth(int visibleColumn) const {
    return Grid->horizontalHeader()->sectionSize(visibleColumn);
}

int TTableForm::GridWidthFor(int firstColumn, int columns, bool vbar) const {
    int width = 2 * Grid->frameWidth() + Grid->verticalHeader()->width();
    const int count = Grid->columnCount();
    for (int c = firstColumn; c < firstColumn + columns && c < count; ++c)
        width += ColumnPixelWidth(c);
    if (vbar)
        width += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Grid);
    return width;
}

int TTableForm::GridHeightFor(int rows, bool hbar) const {
    int height = 2 * Grid->frameWidth() + std::max(1, FFixedRows) * TableEditorMetrics::RowHeight +
                 rows * TableEditorMetrics::RowHeight;
    if (hbar)
        height += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Grid);
    return height;
}

// Places everything below a grid of the given size and returns the client size.
QSize TTableForm::ClientSizeFor(int gridWidth, int gridHeight) {
    const int m = Margin();
    const QPoint gridPos(m, GridTop());
    int right = gridPos.x() + gridWidth;
    int top = gridPos.y() + gridHeight + m;
    int x = m;
    const bool buttons = FTable && FTable->MinRows() != FTable->MaxRows();
    int buttonHeight = 0;
    for (QPushButton* b : {BtnAdd, BtnIns, BtnDel}) {
        const QSize hint = b->sizeHint();
        b->setGeometry(x, top, hint.width(), hint.height());
        x += hint.width() + m;
        buttonHeight = std::max(buttonHeight, hint.height());
    }
    right = std::max(right, BtnDel->geometry().right() + 1);
    if (buttons)
        top += buttonHeight + m;
    top = LayoutBelowButtons(top, right);
    const QSize labelSize = lblComments->sizeHint();
    lblComments->setGeometry(m, top, labelSize.width(), labelSize.height());
    if (!lblComments->text().isEmpty()) {
        top += labelSize.height() + m;
        right = std::max(right, lblComments->geometry().right() + 1);
    }
    const QSize imageSize = imgHelp->pixmap().isNull() ? QSize(0, 0) : imgHelp->pixmap().size();
    imgHelp->setGeometry(m, top, imageSize.width(), imageSize.height());
    imgHelp->setVisible(imageSize.height() > 0);
    if (imageSize.height() > 0) {
        top += imageSize.height() + m;
        right = std::max(right, imgHelp->geometry().right() + 1);
    }
    return QSize(right + m, top);
}

void TTableForm::Layout() {
    if (!FTable || FLayingOut)
        return;
    FLayingOut = true;
    const int rows = FTable->RowCount();
    const int columns = FTable->VisibleColumnCount();
    const bool vbar = FRowsShown < rows;
    const bool hbar = FColsShown < columns;
    Grid->setVerticalScrollBarPolicy(vbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    Grid->setHorizontalScrollBarPolicy(hbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const int first = hbar ? FirstShownColumn() : 0;
    const int width = GridWidthFor(first, FColsShown, vbar);
    const int height = GridHeightFor(FRowsShown, hbar);
    Grid->setGeometry(Margin(), GridTop(), width, height);
    Grid->UpdateScrollRanges();
    if (auto* corner = Grid->findChild<QLabel*>(QStringLiteral("TopLeft")))
        corner->setGeometry(Grid->frameWidth(), Grid->frameWidth(), Grid->verticalHeader()->width(),
                            Grid->horizontalHeader()->height());
    const QSize client = ClientSizeFor(width, height);
    PlaceControls();
    FLayingOut = false;
    if (client != FClientSize) {
        if (FHoldSize)
            FClientSize = client; // the snapping applies it, keeping the right edges in place
        else
            ApplyClientSize(client, {});
    }
    if (FTable && FTable->OnResize)
        FTable->OnResize(*FTable);
}

void TTableForm::ApplyClientSize(const QSize& size, Qt::Edges anchor) {
    FClientSize = size;
    updateGeometry();
    ++FInternalResize;
    QWidget* container = Container();
    if (container != this) {
        auto* sub = static_cast<QMdiSubWindow*>(container);
        QRect g = sub->geometry();
        const QSize frame = sub->isVisible() ? sub->size() - this->size() : QSize();
        const QSize wanted = frame.isValid() ? size + frame : sub->sizeHint();
        if (anchor & Qt::LeftEdge)
            g.setLeft(g.right() + 1 - wanted.width());
        if (anchor & Qt::TopEdge)
            g.setTop(g.bottom() + 1 - wanted.height());
        g.setSize(wanted);
        sub->setGeometry(g);
        FLastContainerGeometry = sub->geometry();
    } else {
        QRect g = geometry();
        if (anchor & Qt::LeftEdge)
            g.setLeft(g.right() + 1 - size.width());
        if (anchor & Qt::TopEdge)
            g.setTop(g.bottom() + 1 - size.height());
        g.setSize(size);
        if (isWindow() && isVisible())
            setGeometry(g);
        else
            resize(size);
        FLastContainerGeometry = geometry();
    }
    --FInternalResize;
}
