#include "widgets/TableEditorFactory.h"

#include "tables/TableChart.h"
#include "widgets/ChartTableEditor.h"
#include "widgets/MsgBox.h"
#include "widgets/TableEditor.h"

void TTableEditorFactory::Open(TGridTable& table, bool modal) {
    if (auto* open = dynamic_cast<TTableForm*>(table.Editor())) {
        open->BringToFront();
        return;
    }
    TTableForm* form =
        table.IsChart() ? new TTableChartForm(static_cast<TGridTableChart&>(table)) : new TTableForm(table);
    QWidget* owner = FOwner ? FOwner.data() : FArea ? FArea->window() : nullptr;
    SetMsgBoxOwner(form, owner);
    TTableForm::Open(form, modal, FArea.data());
}
