// The row controls of the table editor: the drop-down lists of enumeration columns and the buttons
// of sub-table columns placed over their cells, one per shown row.
#include <QComboBox>
#include <QPushButton>
#include <algorithm>

#include "widgets/TableEditor.h"
#include "widgets/TableEditorMetrics.h"

void TTableForm::AllocateControls(int topRow, int count) {
    if (!FTable)
        return;
    count = std::max(0, std::min(count, FTable->RowCount() - topRow));
    // Columns that no longer use controls (or vanished) give theirs up.
    std::vector<TControlSet> sets;
    for (int c = 0; c < FTable->VisibleColumnCount(); ++c) {
        if (!FTable->VisibleColumn(c).UsesControls())
            continue;
        TControlSet set;
        set.VisibleColumn = c;
        for (TControlSet& old : FControlSets)
            if (old.VisibleColumn == c) {
                set.Controls = std::move(old.Controls);
                old.Controls.clear();
            }
        sets.push_back(std::move(set));
    }
    for (TControlSet& old : FControlSets)
        for (QPointer<QWidget>& control : old.Controls)
            if (control) {
                control->hide();
                control->deleteLater();
            }
    FControlSets = std::move(sets);

    for (TControlSet& set : FControlSets) {
        TColumn& column = FTable->VisibleColumn(set.VisibleColumn);
        auto* enumColumn = dynamic_cast<TEnumColumn*>(&column);
        while (static_cast<int>(set.Controls.size()) > count) {
            if (QWidget* control = set.Controls.back()) {
                control->hide();
                control->deleteLater();
            }
            set.Controls.pop_back();
        }
        while (static_cast<int>(set.Controls.size()) < count) {
            QWidget* control = nullptr;
            if (enumColumn) {
                auto* combo = new QComboBox(Grid->viewport());
                combo->setMaxVisibleItems(11);
                combo->setObjectName(QStringLiteral("RowList"));
                for (const std::string& item : enumColumn->Items())
                    combo->addItem(QString::fromStdString(item));
                connect(combo, &QComboBox::activated, this,
                        [this, combo](int index) { ComboActivated(combo, index); });
                control = combo;
            } else {
                auto* button = new QPushButton(Grid->viewport());
                button->setObjectName(QStringLiteral("RowButton"));
                button->setAutoDefault(false);
                connect(button, &QPushButton::clicked, this, [this, button] { TableButtonClicked(button); });
                control = button;
            }
            control->hide();
            control->installEventFilter(this);
            set.Controls.emplace_back(control);
        }
        for (int i = 0; i < count; ++i)
            if (QWidget* control = set.Controls[static_cast<std::size_t>(i)])
                UpdateControl(set, control, topRow + i);
    }
}

void TTableForm::UpdateControl(const TControlSet& set, QWidget* control, int row) {
    if (!FTable)
        return;
    control->setProperty(TableEditorMetrics::RowProperty, row);
    TColumn& column = FTable->VisibleColumn(set.VisibleColumn);
    if (row < 0 || row >= column.RowCount())
        return;
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        auto* enumColumn = static_cast<TEnumColumn*>(&column);
        const QSignalBlocker block(combo);
        if (combo->count() != static_cast<int>(enumColumn->Items().size())) {
            combo->clear();
            for (const std::string& item : enumColumn->Items())
                combo->addItem(QString::fromStdString(item));
        }
        combo->setCurrentIndex(enumColumn->ItemIndex(row));
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        if (auto* tableColumn = dynamic_cast<TTableColumn*>(&column))
            button->setText(QString::fromStdString(tableColumn->ButtonCaption(row)));
    }
}

void TTableForm::FreeControls() {
    for (TControlSet& set : FControlSets)
        for (QPointer<QWidget>& control : set.Controls)
            if (control) {
                control->hide();
                control->deleteLater();
            }
    FControlSets.clear();
}

void TTableForm::PlaceControls() {
    if (!FTable || FControlSets.empty())
        return;
    const int top = FirstShownRow();
    AllocateControls(top, FRowsShown);
    const int firstColumn = FirstShownColumn();
    const bool hbar = FColsShown < FTable->VisibleColumnCount();
    for (const TControlSet& set : FControlSets) {
        const bool inView =
            !hbar || (set.VisibleColumn >= firstColumn && set.VisibleColumn < firstColumn + FColsShown);
        for (const QPointer<QWidget>& control : set.Controls) {
            if (!control)
                continue;
            const int row = control->property(TableEditorMetrics::RowProperty).toInt();
            if (!inView || row >= Grid->rowCount()) {
                control->hide();
                continue;
            }
            const QRect cell = Grid->visualRect(Grid->model()->index(row, set.VisibleColumn));
            control->setGeometry(cell.adjusted(0, 0, -1, -1));
            control->show();
            control->raise();
        }
    }
}

QWidget* TTableForm::RowControl(int visibleColumn, int row) const {
    for (const TControlSet& set : FControlSets)
        if (set.VisibleColumn == visibleColumn)
            for (const QPointer<QWidget>& control : set.Controls)
                if (control && control->property(TableEditorMetrics::RowProperty).toInt() == row)
                    return control;
    return nullptr;
}

QWidget* TTableForm::ControlAt(QWidget* widget) const {
    for (const TControlSet& set : FControlSets)
        for (const QPointer<QWidget>& c : set.Controls)
            if (c && (c == widget || c->isAncestorOf(widget)))
                return c;
    return nullptr;
}

int TTableForm::ControlRow(QWidget* control, int* visibleColumn) const {
    for (const TControlSet& set : FControlSets)
        for (const QPointer<QWidget>& c : set.Controls)
            if (c && (c == control || c->isAncestorOf(control))) {
                if (visibleColumn)
                    *visibleColumn = set.VisibleColumn;
                return c->property(TableEditorMetrics::RowProperty).toInt();
            }
    return -1;
}

void TTableForm::ComboActivated(QWidget* combo, int index) {
    int visibleColumn = 0;
    const int row = ControlRow(combo, &visibleColumn);
    if (!FTable)
        return;
    if (row < 0 || index < 0)
        return; // a list that no longer shows a row
    Guarded([&] {
        TColumn& column = FTable->VisibleColumn(visibleColumn);
        if (column.GetInt(row) == index + 1)
            return;
        FTable->SetChanged(true);
        column.SetInt(row, index + 1);
    });
}

void TTableForm::TableButtonClicked(QWidget* button) {
    int visibleColumn = 0;
    const int row = ControlRow(button, &visibleColumn);
    if (!FTable || row < 0)
        return;
    Guarded([&] {
        if (auto* column = dynamic_cast<TTableColumn*>(&FTable->VisibleColumn(visibleColumn)))
            column->ButtonClick(row, FModal);
    });
}

void TTableForm::ControlEntered(QWidget* control) {
    int visibleColumn = 0;
    const int row = ControlRow(control, &visibleColumn);
    if (row < 0 || !FTable)
        return;
    // The pending entry of the cell being left is committed first, as when leaving the grid. A
    // rejected entry keeps the user on the bad cell: the press that left the grid does not go on
    // to open a sub-table or a list.
    if (!CommitCurrentCell()) {
        FExitTarget = ControlAt(control); // its press is swallowed (see eventFilter)
        FExitTime.start();
        FocusGrid();
        return;
    }
    FTable->VisibleColumn(visibleColumn).FocusCell(row);
}
