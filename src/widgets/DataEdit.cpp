#include "widgets/DataEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "text/Evaluate.h"
#include "text/Units.h"
#include "widgets/DataCombo.h"

TDataEdit::TDataEdit(QWidget* parent)
    : QLineEdit(parent), TEntryCore(this, {DefaultMin, DefaultMax, UnitLabelEntry, false, true}) {
    setText(QStringLiteral("0"));
}

void TDataEdit::ShowNumber(Extended value) {
    setText(QString::fromStdString(FormatEntry(FHex, value)));
}

std::string TDataEdit::LimitText(Extended limit) const {
    return FormatEntry(FHex, limit);
}

void TDataEdit::SetHex(bool value) {
    FHex = value;
}

void TDataEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        RefreshLabel();
}

void TDataEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Validate();
        selectAll();
        event->accept(); // consumed: Enter must not also press a dialog's default button
        return;
    }
    // An operator typed over the whole shown value extends it ("*2" doubles it). A minus sign does
    // not: it is also the sign of a new number typed over the old one, which is what people mean.
    static const QString operators = QStringLiteral("+/*^=%!");
    const QString typed = event->text();
    if (typed.size() == 1 && operators.contains(typed[0]) && hasSelectedText() && selectedText() == text())
        end(false);
    QLineEdit::keyPressEvent(event);
}

void TDataEdit::focusInEvent(QFocusEvent* event) {
    EntryFocusIn();
    QLineEdit::focusInEvent(event);
}

void TDataEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    EntryFocusOut(event->reason());
}

bool ValidateEntry(QWidget* control) {
    if (!control)
        return true;
    if (auto* edit = qobject_cast<TDataEdit*>(control))
        return edit->Validate();
    if (auto* combo = qobject_cast<TDataCombo*>(control))
        return combo->Validate();
    // The line edit inside an editable combo can be the focus widget.
    if (qobject_cast<QLineEdit*>(control))
        if (auto* combo = qobject_cast<TDataCombo*>(control->parentWidget()))
            return combo->Validate();
    return true;
}
