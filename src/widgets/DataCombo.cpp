#include "widgets/DataCombo.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <cmath>
#include <cstdint>

#include "text/Units.h"

namespace {
// Bounds inside which a truncated value fits a 64-bit integer.
constexpr Extended Int64Lo = -9223372036854775808.0L;
constexpr Extended Int64Hi = 9223372036854775807.0L;
} // namespace

TDataCombo::TDataCombo(QWidget* parent)
    : QComboBox(parent), TEntryCore(this, {0, 0, UnitLabelCombo, true, false}) {
    setEditable(true);
    // Enter validates; it must never add the typed text to the items.
    setInsertPolicy(QComboBox::NoInsert);
    setEditText(QStringLiteral("0"));
}

QStringList TDataCombo::Items() const {
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items.append(itemText(i));
    return items;
}

void TDataCombo::SetItems(const QStringList& items) {
    const QString text = currentText();
    clear();
    addItems(items);
    setEditText(text); // changing the list does not change the entry
}

QString TDataCombo::EntryText() {
    if (parentWidget()) {
        const int index = Items().indexOf(currentText());
        // An item without a value entry is read as its own text rather than failing on the list.
        if (index >= 0 && index < FValues.size())
            setEditText(FValues.at(index));
    }
    return currentText();
}

void TDataCombo::ShowNumber(Extended value) {
    if (IntegerOnly() && value >= Int64Lo && value < Int64Hi)
        setEditText(QString::fromStdString(FormatI(static_cast<std::int64_t>(std::trunc(value)))));
    else
        setEditText(QString::fromStdString(FormatGeneral(value, 8)));
}

void TDataCombo::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        RefreshLabel();
}

bool TDataCombo::AcceptsChar(QChar c) {
    return c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char('E');
}

void TDataCombo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Validate();
        if (lineEdit())
            lineEdit()->selectAll();
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool chord = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (typed.size() != 1 || chord || typed[0] == QLatin1Char('\b') || !typed[0].isPrint()) {
        QComboBox::keyPressEvent(event); // navigation, backspace, shortcuts: not typed characters
        return;
    }
    const QString upper = typed.toUpper();
    if (upper.size() != 1 || !AcceptsChar(upper[0])) {
        event->accept(); // dropped
        return;
    }
    QLineEdit* edit = lineEdit();
    if (edit && upper[0] == QLatin1Char('-') && edit->hasSelectedText() &&
        edit->selectedText() == edit->text())
        edit->end(false); // as in the edit box: the operator extends the shown value
    QKeyEvent shifted(event->type(), event->key(), event->modifiers(), upper, event->isAutoRepeat(),
                      static_cast<ushort>(event->count()));
    QComboBox::keyPressEvent(&shifted);
    event->setAccepted(shifted.isAccepted());
}

void TDataCombo::focusInEvent(QFocusEvent* event) {
    EntryFocusIn();
    QComboBox::focusInEvent(event);
}

void TDataCombo::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    EntryFocusOut(event->reason());
}
