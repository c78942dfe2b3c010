#pragma once
// TEntryCore: what the two validated entry boxes (TDataEdit, TDataCombo) have in common: the limits
// and their clamping, the integer-only option, the linked caption label, loading mode and the exit
// validation with its messages, clamping to the violated limit and focus-back. A box derives from its
// Qt widget first and from this second, and fills in the few hooks where it differs: how its text is
// read and written, how a limit is shown in a message, and what happens to the text on success.
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>

#include "text/NumberForms.h"

class TEntryCore {
  public:
    // The unit-label rule of a box: unit string and unit system to the label shown in brackets.
    using TUnitLabelRule = std::string (*)(const std::string& unitString, int system);

    struct TEntryRules {
        Extended DefaultMin;
        Extended DefaultMax;
        TUnitLabelRule UnitLabel;
        // Whether an integer-only box shows a value set through SetNumber truncated, and so holds
        // the truncated value.
        bool TruncatesIntegers;
        // Whether the focus goes back to a rejected box only while the box is visible.
        bool FocusBackWhenVisibleOnly;
    };

    TEntryCore(QWidget* box, const TEntryRules& rules);
    virtual ~TEntryCore() = default;
    TEntryCore(const TEntryCore&) = delete;
    TEntryCore& operator=(const TEntryCore&) = delete;

    // Reading evaluates the text. A text that cannot be evaluated (only possible between a rejected
    // entry and its correction) reads as the last accepted value, so a window that copies its boxes
    // into the model never stores garbage and never throws out of an event handler.
    Extended Number();
    // Clamped to the limits (not while loading) and shown as the box shows numbers.
    void SetNumber(Extended value);

    Extended MinVal() const { return FMinVal; }
    void SetMinVal(Extended value);
    Extended MaxVal() const { return FMaxVal; }
    void SetMaxVal(Extended value);
    bool IntegerOnly() const { return FIntegerOnly; }
    void SetIntegerOnly(bool value);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    QLabel* EditLabel() const { return FEditLabel; }
    void SetEditLabel(QLabel* label);
    QString UnitsString() const { return FUnitsString; }
    void SetUnitsString(const QString& value);
    int Units() const { return FUnits; }
    void SetUnits(int value);

    // While a window is being built its properties are stored as given, without clamping to each
    // other; EndLoading refreshes the label once everything is in place.
    void BeginLoading() { ++FLoading; }
    void EndLoading();
    bool Loading() const { return FLoading > 0; }

    // Runs the exit validation (as when the focus leaves) and returns whether the entry was accepted.
    bool Validate();
    bool Valid() const { return FValid; }

  protected:
    // The text evaluated, or false when it cannot be; does not touch the box.
    bool EvaluateText(const QString& text, Extended& value) const;
    Extended ValueOf(const QString& text) const;

    void RefreshLabel();
    // For the box's focus handlers: a focus-out that leaves the box inside its form validates.
    void EntryFocusIn() { FHadFocus = true; }
    void EntryFocusOut(Qt::FocusReason reason);

  private:
    // The text to evaluate; a box may first rewrite it (an item standing for a value).
    virtual QString EntryText() = 0;
    // Shows a value set through SetNumber.
    virtual void ShowNumber(Extended value) = 0;
    // A limit as the limit messages show it.
    virtual std::string LimitText(Extended limit) const = 0;
    // The entry was accepted with this value; the box may rewrite its text.
    virtual void ShowAccepted(Extended value) { (void)value; }
    // Raise the box's signals.
    virtual void EntryValidated() = 0;
    virtual void EntryRejected(const QString& message) = 0;

    bool CurrentValue(Extended& value);
    // Sets the upper or the lower limit, kept on its side of the other and within the 32-bit range
    // with IntegerOnly; a current value beyond it moves to it.
    void SetLimit(Extended& limit, Extended value, bool upper);
    void FocusBack(bool windowWasActive);

    QWidget* const FBox;
    const TEntryRules FRules;
    Extended FMinVal;
    Extended FMaxVal;
    Extended FLastValue = 0; // last value set or accepted, for reads of an unreadable text
    bool FIntegerOnly = false;
    QString FCaption;
    QPointer<QLabel> FEditLabel;
    QString FUnitsString;
    int FUnits = 1;
    int FLoading = 0;
    bool FValid = true;
    bool FValidating = false;
    bool FHadFocus = false;
};

// Gives the focus back to a rejected entry box; when its window was active as the validation began,
// the window is activated again too (a closed message box does not always hand the activation back).
void ReturnEntryFocus(QWidget* box, bool windowWasActive);

// Whether a focus-out leaves the box inside its own form, so the entry has to be validated. It does
// not when the window loses activation (a message box, another window), a popup or the menu bar takes
// the keyboard, or the focus moves into another form (another MDI child window) or to nobody: the
// form keeps its own active control, and the box gets the focus back when its form is active again.
bool IsEntryExit(const QWidget* box, Qt::FocusReason reason);
