// The commit protocol of the table editor: a typed entry is stored through its column when the user
// leaves the cell, the grid or the window, or closes it; a rejected entry is reported once and the
// user stays on the bad cell.
#include <QApplication>
#include <QCloseEvent>
#include <QTimer>

#include "text/Errors.h"
#include "widgets/MsgBox.h"
#include "widgets/TableEditor.h"

void TTableForm::ReportRejected(int row, int column, const QString& text, const QString& message) {
    // One user action can reach several commit paths at once (activating another child window
    // leaves the grid and deactivates this window): the same rejected entry is reported once.
    if (FReportedThisTurn && row == FBadRow && column == FBadColumn && text == FBadText)
        return;
    FBadRow = row;
    FBadColumn = column;
    FBadText = text;
    const bool wasActive = window()->isActiveWindow();
    FInMessage = true;
    MsgInformation(this, message);
    FInMessage = false;
    FReportedThisTurn = true;
    // Back to the bad cell. A closing box hands the activation back through queued events (or,
    // without a window manager, not at all), so the window is reactivated when nothing else is.
    if (wasActive && window()->isVisible() && !QApplication::activeWindow())
        window()->activateWindow();
    FocusGrid();
    QTimer::singleShot(0, this, [this] { FReportedThisTurn = false; });
}

void TTableForm::FocusGrid() {
    if (QWidget* editor = Grid->CellEditor())
        editor->setFocus(Qt::OtherFocusReason);
    else
        Grid->setFocus(Qt::OtherFocusReason);
}

bool TTableForm::ClickFollowsRejectedExit() {
    // Pressing a button of this window left the grid with a rejected entry: that was reported and
    // the focus went back to the grid. The click that completes the press does nothing more.
    QObject* button = sender();
    const bool follows = button && button == FExitTarget && FExitTime.isValid() && FExitTime.elapsed() < 3000;
    FExitTarget = nullptr;
    return follows;
}

bool TTableForm::CommitCell(int row, int column) {
    if (!FTable || row < 0 || row >= FTable->RowCount() || column < 0 ||
        column >= FTable->VisibleColumnCount())
        return true;
    FTable->SetChanged(true);
    TColumn& target = FTable->VisibleColumn(column);
    if (target.UsesControls())
        return true;
    const QTableWidgetItem* item = Grid->item(row, column);
    const QString text = item ? item->text() : QString();
    try {
        target.SetText(row, text.toStdString());
    } catch (const EAssignError& e) {
        ReportRejected(row, column, text, QString::fromStdString(e.what()));
        return false;
    } catch (const std::exception& e) {
        // Anything else (an arithmetic fault of the evaluator, an internal error) is reported as an
        // error; the entry is not taken and the user stays on the cell, as for a rejected entry.
        ShowError(e);
        return false;
    }
    FBadRow = -1;
    return true;
}

bool TTableForm::CommitCurrentCell() {
    if (!FTable)
        return true;
    Grid->CommitEditorText();
    return CommitCell(Grid->currentRow(), Grid->currentColumn());
}

bool TTableForm::GridSelectCell(int fromRow, int fromColumn, int toRow, int toColumn) {
    if (!FTable)
        return true;
    BeforeSelectCell();
    if (!CommitCell(fromRow, fromColumn))
        return false;
    if (toColumn < FTable->VisibleColumnCount() && FTable->VisibleColumn(toColumn).UsesControls())
        return false;
    (void)toRow;
    RewriteAllCells(); // an expression shows as its value at once
    return true;
}

void TTableForm::GridEnter() {
    if (!FTable || FTable->RowCount() == 0)
        return;
    const int rows = FTable->RowCount();
    const int columns = FTable->VisibleColumnCount();
    int row = Grid->currentRow();
    int column = Grid->currentColumn();
    if (columns == 0 || row < 0 || column < 0 || column >= columns)
        return;
    if (row + 1 < rows) {
        ++row;
    } else {
        // The next column that takes typed entries; after the last one, back to the first.
        row = 0;
        do {
            column = column + 1 < columns ? column + 1 : 0;
        } while (FTable->VisibleColumn(column).UsesControls() && column != Grid->currentColumn());
    }
    Grid->setCurrentCell(row, column);
}

void TTableForm::FocusChanged(QWidget* old, QWidget* now) {
    if (!FTable || FInMessage || FClosing || !now)
        return;
    auto inGrid = [this](QWidget* w) { return w && (w == Grid || Grid->isAncestorOf(w)); };
    if (ControlRow(now) >= 0) {
        ControlEntered(now);
        return;
    }
    if (inGrid(old) && ControlRow(old) < 0 && !inGrid(now))
        GridExit();
}

void TTableForm::GridExit() {
    if (!FTable || FModal)
        return;
    QWidget* target = QApplication::focusWidget();
    if (!CommitCurrentCell()) {
        FExitTarget = target;
        FExitTime.start();
        FocusGrid();
    }
}

void TTableForm::FormDeactivate() {
    if (!FTable || FModal || FClosing || FInMessage)
        return;
    if (!CommitCurrentCell()) {
        // After the activation change has run its course; inside it, the platform would undo it.
        QTimer::singleShot(0, this, [this] {
            if (!FTable || FClosing)
                return;
            BringToFront();
            FocusGrid();
        });
    }
}

void TTableForm::closeEvent(QCloseEvent* event) {
    if (FTable && !FClosing) {
        if (!CommitCurrentCell()) {
            event->ignore();
            FocusGrid();
            return;
        }
    }
    FClosing = true;
    Detach();
    emit Closed();
    QWidget::closeEvent(event);
}
