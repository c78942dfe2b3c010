#include "widgets/EntryCore.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QTimer>
#include <cmath>

#include "text/Errors.h"
#include "text/Evaluate.h"
#include "widgets/MsgBox.h"

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

void ReturnEntryFocus(QWidget* box, bool windowWasActive) {
    QWidget* form = box->window();
    // Only when no window is active: the user may have gone to another window meanwhile.
    if (windowWasActive && form->isVisible() && !QApplication::activeWindow())
        form->activateWindow();
    box->setFocus(Qt::OtherFocusReason);
}

TEntryCore::TEntryCore(QWidget* box, const TEntryRules& rules)
    : FBox(box), FRules(rules), FMinVal(rules.DefaultMin), FMaxVal(rules.DefaultMax) {}

bool TEntryCore::EvaluateText(const QString& text, Extended& value) const {
    try {
        value = EvaluateStoredEntry(text.toStdString());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

Extended TEntryCore::ValueOf(const QString& text) const {
    Extended value;
    return EvaluateText(text, value) ? value : FLastValue;
}

bool TEntryCore::CurrentValue(Extended& value) {
    return EvaluateText(EntryText(), value);
}

Extended TEntryCore::Number() {
    Extended value;
    return CurrentValue(value) ? value : FLastValue;
}

void TEntryCore::SetNumber(Extended value) {
    if (std::isnan(value))
        return;
    if (!Loading()) {
        if (value < FMinVal)
            value = FMinVal;
        if (value > FMaxVal)
            value = FMaxVal;
    }
    FLastValue = FRules.TruncatesIntegers && FIntegerOnly ? std::trunc(value) : value;
    ShowNumber(value);
}

void TEntryCore::SetMaxVal(Extended value) {
    SetLimit(FMaxVal, value, true);
}

void TEntryCore::SetMinVal(Extended value) {
    SetLimit(FMinVal, value, false);
}

void TEntryCore::SetLimit(Extended& limit, Extended value, bool upper) {
    if (std::isnan(value))
        return;
    if (Loading()) {
        limit = value;
        return;
    }
    // A limit never crosses the other one.
    if (upper ? value < FMinVal : value > FMaxVal)
        value = upper ? FMinVal : FMaxVal;
    if (FIntegerOnly)
        value = ClampInt32(value);
    // Stored before the value is moved, so the clamp in SetNumber already uses the new limit.
    limit = value;
    Extended current;
    if (CurrentValue(current) && (upper ? current > value : current < value))
        SetNumber(value);
}

void TEntryCore::SetIntegerOnly(bool value) {
    FIntegerOnly = value;
    if (value && !Loading()) {
        // Setting the limits again brings them into the 32-bit range.
        SetMaxVal(FMaxVal);
        SetMinVal(FMinVal);
    }
}

void TEntryCore::SetCaption(const QString& value) {
    FCaption = value;
    RefreshLabel();
}

void TEntryCore::SetEditLabel(QLabel* label) {
    if (FEditLabel && FEditLabel != label && FEditLabel->buddy() == FBox)
        FEditLabel->setBuddy(nullptr);
    FEditLabel = label;
    if (label)
        label->setBuddy(FBox);
    RefreshLabel();
}

void TEntryCore::SetUnitsString(const QString& value) {
    FUnitsString = value;
    RefreshLabel();
}

void TEntryCore::SetUnits(int value) {
    FUnits = value < 1 ? 1 : (value > 3 ? 3 : value);
    RefreshLabel();
}

void TEntryCore::EndLoading() {
    if (FLoading > 0)
        --FLoading;
    if (FLoading == 0)
        RefreshLabel();
}

void TEntryCore::RefreshLabel() {
    if (!FEditLabel)
        return;
    FEditLabel->setEnabled(FBox->isEnabled());
    QString text = FCaption;
    if (!FUnitsString.isEmpty())
        text += QStringLiteral(" (") + ToQ(FRules.UnitLabel(FUnitsString.toStdString(), FUnits)) +
                QLatin1Char(')');
    FEditLabel->setText(text);
}

bool TEntryCore::Validate() {
    if (FValidating)
        return FValid; // a message box of this very validation moved the focus
    TFlagGuard guard(FValidating);
    FValid = false;
    const bool windowWasActive = FBox->window() && FBox->window()->isActiveWindow();
    QString message;
    bool error = false;
    enum { clampNone, clampMin, clampMax } clamp = clampNone;
    try {
        const Extended value = EvaluateStoredEntry(EntryText().toStdString());
        if (FIntegerOnly && value != std::trunc(value))
            throw EIntError("Entry must be an integer.");
        if (value < FMinVal)
            throw EMinError("Entry must be greater than or equal to " + LimitText(FMinVal));
        if (value > FMaxVal)
            throw EMaxError("Entry must be less than or equal to " + LimitText(FMaxVal));
        FLastValue = value;
        ShowAccepted(value);
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
        EntryValidated();
        return true;
    }
    if (error)
        MsgError(FBox, message);
    else
        MsgInformation(FBox, message);
    if (clamp == clampMin)
        SetNumber(FMinVal);
    else if (clamp == clampMax)
        SetNumber(FMaxVal);
    FocusBack(windowWasActive);
    EntryRejected(message);
    return false;
}

void TEntryCore::FocusBack(bool windowWasActive) {
    if (!FBox->window() || (FRules.FocusBackWhenVisibleOnly && !FBox->isVisible()))
        return;
    ReturnEntryFocus(FBox, windowWasActive);
    // The closing message box hands the activation back through queued events; once they have run,
    // make sure the box still has the focus.
    QTimer::singleShot(0, FBox, [this, windowWasActive] {
        if (!FValid && FBox->isVisible() && FBox->isEnabled() && !FBox->hasFocus() &&
            !QApplication::activeModalWidget())
            ReturnEntryFocus(FBox, windowWasActive);
    });
}

void TEntryCore::EntryFocusOut(Qt::FocusReason reason) {
    if (!FHadFocus || FValidating || !IsEntryExit(FBox, reason) || !FBox->isVisible())
        return;
    FHadFocus = false;
    Validate();
}
