#include "tables/DataEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QTimer>
#include <cmath>

#include "tables/DataCmb.h"
#include "tables/Errors.h"
#include "tables/Evaluate.h"
#include "tables/MsgBox.h"
#include "tables/Units.h"

namespace {
constexpr Extended Int32Min = -2147483648.0L;
constexpr Extended Int32Max = 2147483647.0L;

Extended ClampInt32(Extended x) {
    return x < Int32Min ? Int32Min : (x > Int32Max ? Int32Max : x);
}

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

// Resets a flag when the scope ends, also when an exception leaves it.
class TFlagGuard {
  public:
    explicit TFlagGuard(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TFlagGuard() { FFlag = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

  private:
    bool& FFlag;
};

// The form a widget belongs to: its MDI child window, or else its top-level window.
const QWidget* EntryForm(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w->isWindow() || qobject_cast<const QMdiSubWindow*>(w))
            return w;
    return nullptr;
}
} // namespace

bool IsEntryExit(const QWidget* box, Qt::FocusReason reason) {
    switch (reason) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        break;
    default:
        return false;
    }
    // During the focus-out the application's focus widget is already the one that gets the focus.
    // Nobody getting it is no move inside the form either: an MDI child window clears the focus of
    // its controls when another child window is activated.
    const QWidget* next = QApplication::focusWidget();
    return next && EntryForm(next) == EntryForm(box);
}

TDataEdit::TDataEdit(QWidget* parent) : QLineEdit(parent) {
    setText(QStringLiteral("0"));
}

bool TDataEdit::CurrentValue(Extended& value) const {
    try {
        value = EvaluateEntry(text().toStdString());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

Extended TDataEdit::Number() const {
    Extended value;
    return CurrentValue(value) ? value : FLastValue;
}

void TDataEdit::ShowValue(Extended value) {
    setText(ToQ(FormatEntry(FHex, value)));
}

void TDataEdit::SetNumber(Extended value) {
    if (std::isnan(value))
        return;
    if (!Loading()) {
        if (value < FMinVal)
            value = FMinVal;
        if (value > FMaxVal)
            value = FMaxVal;
    }
    FLastValue = value;
    ShowValue(value);
}

void TDataEdit::SetMaxVal(Extended value) {
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
    // Stored before the value is pulled down, so the clamp in SetNumber already uses the new limit.
    FMaxVal = value;
    Extended current;
    if (CurrentValue(current) && current > value)
        SetNumber(value);
}

void TDataEdit::SetMinVal(Extended value) {
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

void TDataEdit::SetIntegerOnly(bool value) {
    FIntegerOnly = value;
    if (value && !Loading()) {
        // Setting the limits again brings them into the 32-bit range.
        SetMaxVal(FMaxVal);
        SetMinVal(FMinVal);
    }
}

void TDataEdit::SetHex(bool value) {
    FHex = value;
}

void TDataEdit::SetCaption(const QString& value) {
    FCaption = value;
    RefreshLabel();
}

void TDataEdit::SetEditLabel(QLabel* label) {
    if (FEditLabel && FEditLabel != label && FEditLabel->buddy() == this)
        FEditLabel->setBuddy(nullptr);
    FEditLabel = label;
    if (label)
        label->setBuddy(this);
    RefreshLabel();
}

void TDataEdit::SetUnitsString(const QString& value) {
    FUnitsString = value;
    RefreshLabel();
}

void TDataEdit::SetUnits(int value) {
    FUnits = value < 1 ? 1 : (value > 3 ? 3 : value);
    RefreshLabel();
}

void TDataEdit::EndLoading() {
    if (FLoading > 0)
        --FLoading;
    if (FLoading == 0)
        RefreshLabel();
}

void TDataEdit::RefreshLabel() {
    if (!FEditLabel)
        return;
    FEditLabel->setEnabled(isEnabled());
    QString text = FCaption;
    if (!FUnitsString.isEmpty())
        text +=
            QStringLiteral(" (") + ToQ(UnitLabelEntry(FUnitsString.toStdString(), FUnits)) + QLatin1Char(')');
    FEditLabel->setText(text);
}

void TDataEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        RefreshLabel();
}

bool TDataEdit::Validate() {
    if (FValidating)
        return FValid; // a message box of this very validation moved the focus
    TFlagGuard guard(FValidating);
    FValid = false;
    const bool windowWasActive = window() && window()->isActiveWindow();
    QString message;
    bool error = false;
    enum { clampNone, clampMin, clampMax } clamp = clampNone;
    try {
        const Extended value = EvaluateEntry(text().toStdString());
        if (FIntegerOnly && value != std::trunc(value))
            throw EIntError("Entry must be an integer.");
        if (value < FMinVal)
            throw EMinError("Entry must be greater than or equal to " + FormatEntry(FHex, FMinVal));
        if (value > FMaxVal)
            throw EMaxError("Entry must be less than or equal to " + FormatEntry(FHex, FMaxVal));
        FLastValue = value;
        ShowValue(value);
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
        // Anything else would otherwise unwind through the event loop and end the program.
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

void TDataEdit::FocusBack(bool windowWasActive) {
    if (!window() || !isVisible())
        return;
    ReturnEntryFocus(this, windowWasActive);
    // The closing message box hands the activation back through queued events; once they have run,
    // make sure the box still has the focus.
    QTimer::singleShot(0, this, [this, windowWasActive] {
        if (!FValid && isVisible() && isEnabled() && !hasFocus() && !QApplication::activeModalWidget())
            ReturnEntryFocus(this, windowWasActive);
    });
}

void TDataEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Validate();
        selectAll();
        event->accept(); // consumed: Enter must not also press a dialog's default button
        return;
    }
    static const QString operators = QStringLiteral("+-/*^=%!");
    const QString typed = event->text();
    if (typed.size() == 1 && operators.contains(typed[0]) && hasSelectedText() && selectedText() == text())
        end(false); // the operator extends the shown value instead of replacing it
    QLineEdit::keyPressEvent(event);
}

void TDataEdit::focusInEvent(QFocusEvent* event) {
    FHadFocus = true;
    QLineEdit::focusInEvent(event);
}

void TDataEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!FHadFocus || FValidating || !IsEntryExit(this, event->reason()) || !isVisible())
        return;
    FHadFocus = false;
    Validate();
}

void ReturnEntryFocus(QWidget* box, bool windowWasActive) {
    QWidget* form = box->window();
    // Only when no window is active: the user may have gone to another window meanwhile.
    if (windowWasActive && form->isVisible() && !QApplication::activeWindow())
        form->activateWindow();
    box->setFocus(Qt::OtherFocusReason);
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
