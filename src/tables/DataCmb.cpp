#include "tables/DataCmb.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <cmath>
#include <cstdint>

#include "tables/DataEdit.h"
#include "tables/Errors.h"
#include "tables/Evaluate.h"
#include "tables/MsgBox.h"
#include "tables/Units.h"

namespace {
constexpr Extended Int32Min = -2147483648.0L;
constexpr Extended Int32Max = 2147483647.0L;
// Bounds inside which a truncated value fits a 64-bit integer.
constexpr Extended Int64Lo = -9223372036854775808.0L;
constexpr Extended Int64Hi = 9223372036854775807.0L;

Extended ClampInt32(Extended x) {
    return x < Int32Min ? Int32Min : (x > Int32Max ? Int32Max : x);
}

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

QString ShownValue(bool integerOnly, Extended value) {
    if (integerOnly && value >= Int64Lo && value < Int64Hi)
        return ToQ(FormatI(static_cast<std::int64_t>(std::trunc(value))));
    return ToQ(FormatGeneral(value, 8));
}

class TFlagGuard {
  public:
    explicit TFlagGuard(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TFlagGuard() { FFlag = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

  private:
    bool& FFlag;
};
} // namespace

TDataCombo::TDataCombo(QWidget* parent) : QComboBox(parent) {
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

Extended TDataCombo::ReadValue() {
    if (parentWidget()) {
        const int index = Items().indexOf(currentText());
        // An item without a value entry is read as its own text rather than failing on the list.
        if (index >= 0 && index < FValues.size())
            setEditText(FValues.at(index));
    }
    return EvaluateEntry(currentText().toStdString());
}

bool TDataCombo::CurrentValue(Extended& value) {
    try {
        value = ReadValue();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

Extended TDataCombo::Number() {
    Extended value;
    return CurrentValue(value) ? value : FLastValue;
}

void TDataCombo::SetNumber(Extended value) {
    if (std::isnan(value))
        return;
    if (!Loading()) {
        if (value < FMinVal)
            value = FMinVal;
        if (value > FMaxVal)
            value = FMaxVal;
    }
    const QString shown = ShownValue(FIntegerOnly, value);
    // With IntegerOnly the box shows the truncated value, so that is the value it holds.
    FLastValue = FIntegerOnly ? std::trunc(value) : value;
    setEditText(shown);
}

void TDataCombo::SetMaxVal(Extended value) {
    if (std::isnan(value))
        return;
    if (Loading()) {
        FMaxVal = value;
        return;
    }
    if (value < FMinVal)
        value = FMinVal;
    if (FIntegerOnly)
        value = ClampInt32(value);
    FMaxVal = value;
    Extended current;
    if (CurrentValue(current) && current > value)
        SetNumber(value);
}

void TDataCombo::SetMinVal(Extended value) {
    if (std::isnan(value))
        return;
    if (Loading()) {
        FMinVal = value;
        return;
    }
    if (value > FMaxVal)
        value = FMaxVal;
    if (FIntegerOnly)
        value = ClampInt32(value);
    FMinVal = value;
    Extended current;
    if (CurrentValue(current) && value > current)
        SetNumber(value);
}

void TDataCombo::SetIntegerOnly(bool value) {
    FIntegerOnly = value;
    if (value && !Loading()) {
        SetMaxVal(FMaxVal);
        SetMinVal(FMinVal);
    }
}

void TDataCombo::SetCaption(const QString& value) {
    FCaption = value;
    RefreshLabel();
}

void TDataCombo::SetEditLabel(QLabel* label) {
    if (FEditLabel && FEditLabel != label && FEditLabel->buddy() == this)
        FEditLabel->setBuddy(nullptr);
    FEditLabel = label;
    if (label)
        label->setBuddy(this);
    RefreshLabel();
}

void TDataCombo::SetUnitsString(const QString& value) {
    FUnitsString = value;
    RefreshLabel();
}

void TDataCombo::SetUnits(int value) {
    FUnits = value < 1 ? 1 : (value > 3 ? 3 : value);
    RefreshLabel();
}

void TDataCombo::EndLoading() {
    if (FLoading > 0)
        --FLoading;
    if (FLoading == 0)
        RefreshLabel();
}

void TDataCombo::RefreshLabel() {
    if (!FEditLabel)
        return;
    FEditLabel->setEnabled(isEnabled());
    QString text = FCaption;
    if (!FUnitsString.isEmpty())
        text +=
            QStringLiteral(" (") + ToQ(UnitLabelCombo(FUnitsString.toStdString(), FUnits)) + QLatin1Char(')');
    FEditLabel->setText(text);
}

void TDataCombo::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        RefreshLabel();
}

bool TDataCombo::Validate() {
    if (FValidating)
        return FValid;
    TFlagGuard guard(FValidating);
    FValid = false;
    const bool windowWasActive = window() && window()->isActiveWindow();
    QString message;
    bool error = false;
    enum { clampNone, clampMin, clampMax } clamp = clampNone;
    try {
        const Extended value = ReadValue();
        if (FIntegerOnly && value != std::trunc(value))
            throw EIntError("Entry must be an integer.");
        if (value < FMinVal)
            throw EMinError("Entry must be greater than or equal to " + FormatGeneral(FMinVal, 8));
        if (value > FMaxVal)
            throw EMaxError("Entry must be less than or equal to " + FormatGeneral(FMaxVal, 8));
        FLastValue = value; // the text stays as typed
        FValid = true;
    } catch (const EAssignError& e) {
        message = FIntegerOnly ? QStringLiteral("Entry must be a valid integer.") : ToQ(e.what());
    } catch (const EIntError& e) {
        message = ToQ(e.what());
    } catch (const EMinError& e) {
        message = ToQ(e.what());
        clamp = clampMin;
    } catch (const EMaxError& e) {
        message = ToQ(e.what());
        clamp = clampMax;
    } catch (const std::exception& e) {
        message = ToQ(e.what());
        error = true;
    }
    if (FValid) {
        emit Validated();
        return true;
    }
    if (error)
        MsgError(this, message);
    else
        MsgInformation(this, message);
    if (clamp == clampMin)
        SetNumber(FMinVal);
    else if (clamp == clampMax)
        SetNumber(FMaxVal);
    FocusBack(windowWasActive);
    emit Rejected(message);
    return false;
}

void TDataCombo::FocusBack(bool windowWasActive) {
    if (!window())
        return;
    ReturnEntryFocus(this, windowWasActive);
    // The closing message box hands the activation back through queued events; once they have run,
    // make sure the box still has the focus.
    QTimer::singleShot(0, this, [this, windowWasActive] {
        if (!FValid && isVisible() && isEnabled() && !hasFocus() && !QApplication::activeModalWidget())
            ReturnEntryFocus(this, windowWasActive);
    });
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
    FHadFocus = true;
    QComboBox::focusInEvent(event);
}

void TDataCombo::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    if (!FHadFocus || FValidating || !IsEntryExit(this, event->reason()) || !isVisible())
        return;
    FHadFocus = false;
    Validate();
}
