// The drag-resize rule of the table editor: once a drag of the window's edge pauses, the window
// snaps to a size that shows whole columns and rows.
#include <QMdiSubWindow>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

#include "widgets/TableEditor.h"

void TTableForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (FInternalResize || !FTable || !isVisible() || event->size() == FClientSize)
        return;
    if (!isWindow() && !qobject_cast<QMdiSubWindow*>(parentWidget()))
        return; // embedded: the owner decides the size
    const QRect now = Container()->geometry();
    if (FLastContainerGeometry.isValid()) {
        if (now.left() != FLastContainerGeometry.left())
            FDragged |= Qt::LeftEdge;
        if (now.top() != FLastContainerGeometry.top())
            FDragged |= Qt::TopEdge;
        if (now.right() != FLastContainerGeometry.right() && now.left() == FLastContainerGeometry.left())
            FDragged |= Qt::RightEdge;
        if (now.bottom() != FLastContainerGeometry.bottom() && now.top() == FLastContainerGeometry.top())
            FDragged |= Qt::BottomEdge;
    }
    FProposed = event->size();
    FSnapTimer.start();
}

void TTableForm::SnapTimeout() {
    if (!FTable)
        return;
    Qt::Edges dragged = FDragged ? FDragged : Qt::Edges(Qt::RightEdge | Qt::BottomEdge);
    FDragged = {};
    const QSize size = SnapClientSize(FProposed, dragged);
    Qt::Edges anchor;
    if ((dragged & Qt::LeftEdge) && !(dragged & Qt::RightEdge))
        anchor |= Qt::LeftEdge;
    if ((dragged & Qt::TopEdge) && !(dragged & Qt::BottomEdge))
        anchor |= Qt::TopEdge;
    ApplyClientSize(size, anchor);
}

QSize TTableForm::SnapClientSize(const QSize& proposed, Qt::Edges dragged) {
    if (!FTable || Grid->columnCount() < 1)
        return FClientSize; // nothing to snap to (the grid needs a data column)
    const int columns = FTable->VisibleColumnCount();
    const int rows = FTable->RowCount();
    const bool horizontalDrag = dragged & (Qt::LeftEdge | Qt::RightEdge);
    const bool verticalDrag = dragged & (Qt::TopEdge | Qt::BottomEdge);
    const int buttonRowWidth = BtnDel->geometry().right() + 1 + Margin();

    struct TCandidate {
        int FirstColumn, Columns, FirstRow, Rows;
        bool V, H;
        QSize Size;
    };
    auto sizeOf = [&](int firstColumn, int cols, int nrows, bool v, bool h) {
        return ClientSizeFor(GridWidthFor(firstColumn, cols, v), GridHeightFor(nrows, h));
    };
    auto makeCandidate = [&](bool v, bool h) {
        TCandidate c{0, columns, 0, rows, v, h, {}};
        if (h) {
            if (!horizontalDrag) {
                c.FirstColumn = FirstShownColumn();
                c.Columns = FColsShown;
            } else {
                c.FirstColumn = std::min(FirstShownColumn(), std::max(0, columns - 1));
                c.Columns = 1;
                auto width = [&](int first, int n) { return sizeOf(first, n, 1, v, h).width(); };
                while (c.FirstColumn + c.Columns < columns &&
                       (width(c.FirstColumn, c.Columns) < buttonRowWidth ||
                        width(c.FirstColumn, c.Columns + 1) <= proposed.width()))
                    ++c.Columns;
                while (c.FirstColumn > 0 && width(c.FirstColumn - 1, c.Columns + 1) <= proposed.width()) {
                    --c.FirstColumn;
                    ++c.Columns;
                }
            }
        }
        if (v) {
            if (!verticalDrag) {
                c.FirstRow = FirstShownRow();
                c.Rows = FRowsShown;
            } else {
                c.FirstRow = FirstShownRow();
                c.Rows = std::min(1, rows);
                while (c.Rows < rows &&
                       sizeOf(c.FirstColumn, c.Columns, c.Rows + 1, v, h).height() <= proposed.height())
                    ++c.Rows;
                if (c.FirstRow + c.Rows > rows)
                    c.FirstRow = std::max(0, rows - c.Rows);
            }
        }
        c.Size = sizeOf(c.FirstColumn, c.Columns, c.Rows, v, h);
        c.Size.setWidth(std::max(c.Size.width(), buttonRowWidth));
        return c;
    };
    auto excess = [&](const QSize& s) -> qint64 {
        const qint64 pw = proposed.width(), ph = proposed.height(), w = s.width(), h = s.height();
        if (w <= pw && h <= ph)
            return 0;
        if (w <= pw)
            return pw * (h - ph);
        if (h <= ph)
            return ph * (w - pw);
        return w * h - pw * ph;
    };
    const TCandidate candidates[4] = {makeCandidate(false, false), makeCandidate(true, false),
                                      makeCandidate(false, true), makeCandidate(true, true)};
    const TCandidate* best = &candidates[0];
    for (const TCandidate& c : candidates)
        if (excess(c.Size) < excess(best->Size))
            best = &c;
    FColsShown = best->Columns;
    FRowsShown = best->Rows;
    const bool held = FHoldSize;
    FHoldSize = true;
    Layout(); // scroll bar policies first, so the scroll ranges allow the first row and column
    Grid->horizontalScrollBar()->setValue(best->FirstColumn);
    Grid->verticalScrollBar()->setValue(best->FirstRow);
    Layout();
    FHoldSize = held;
    return FClientSize;
}
