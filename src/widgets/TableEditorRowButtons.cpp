// "Add Row", "Insert Row" and "Delete Row" of the table editor.
#include <QScrollBar>
#include <algorithm>

#include "widgets/MsgBox.h"
#include "widgets/TableEditor.h"

void TTableForm::GrowRowsShown() {
    if (FRowsShown == FTable->RowCount())
        FRowsShown = std::min(FTable->RowCount() + FTable->RowGroup(), RowsShownLimit());
}

void TTableForm::ScrollToRow(int row) {
    if (row >= FirstShownRow() + FRowsShown)
        Grid->verticalScrollBar()->setValue(row - FRowsShown + 1);
}

bool TTableForm::CheckRowButton() {
    const int row = Grid->currentRow();
    if (row < 0 || row >= FTable->RowCount()) {
        MsgError(this, QStringLiteral("Grid.Row not in valid range"));
        return false;
    }
    return true;
}

void TTableForm::BtnAddClick() {
    if (!FTable || ClickFollowsRejectedExit() || !CommitCurrentCell())
        return;
    FSuspendRows = true;
    GrowRowsShown();
    Guarded([this] {
        FTable->AddGroup();
        FTable->SetChanged(true);
    });
    FSuspendRows = false;
    Refresh();
    ScrollToRow(FTable->RowCount() - 1);
}

void TTableForm::BtnInsClick() {
    if (!FTable || ClickFollowsRejectedExit() || !CheckRowButton() || !CommitCurrentCell())
        return;
    FTable->SetChanged(true);
    GrowRowsShown();
    Guarded([this] { FTable->InsertGroup(Grid->currentRow()); });
    AfterRowButton();
}

void TTableForm::BtnDelClick() {
    if (!FTable || ClickFollowsRejectedExit() || !CheckRowButton() || !CommitCurrentCell())
        return;
    FTable->SetChanged(true);
    Guarded([this] { FTable->DeleteGroup(Grid->currentRow()); });
    AfterRowButton();
}
