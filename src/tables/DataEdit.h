#pragma once
// TDataEdit: the validated numeric entry box of the data windows. The text may be a number or an
// expression; it is evaluated and checked against the limits when the focus leaves the box or on
// Enter, and a linked caption label shows the quantity's name with its unit label.
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <limits>

#include "tables/NumberForms.h"

class TDataEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit TDataEdit(QWidget* parent = nullptr);

    // Reading evaluates the text. A text that cannot be evaluated (only possible between a rejected
    // entry and its correction) reads as the last accepted value, so a window that copies its boxes
    // into the model never stores garbage and never throws out of an event handler.
    Extended Number() const;
    void SetNumber(Extended value);

    Extended MinVal() const { return FMinVal; }
    void SetMinVal(Extended value);
    Extended MaxVal() const { return FMaxVal; }
    void SetMaxVal(Extended value);
    bool IntegerOnly() const { return FIntegerOnly; }
    void SetIntegerOnly(bool value);
    bool Hex() const { return FHex; }
    void SetHex(bool value);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    QLabel* EditLabel() const { return FEditLabel; }
    void SetEditLabel(QLabel* label);
    QString UnitsString() const { return FUnitsString; }
    void SetUnitsString(const QString& value);
    int Units() const { return FUnits; }
    void SetUnits(int value);

    // While a window is being built its properties are stored as given, without clamping to each
    // other; EndLoading refreshes text and label once everything is in place.
    void BeginLoading() { ++FLoading; }
    void EndLoading();
    bool Loading() const { return FLoading > 0; }

    // Runs the exit validation (as when the focus leaves) and returns whether the entry was accepted.
    bool Validate();
    bool Valid() const { return FValid; }

    static constexpr Extended DefaultMin = -std::numeric_limits<Extended>::max();
    static constexpr Extended DefaultMax = std::numeric_limits<Extended>::max();

  signals:
    // The entry passed the exit validation; Number() is the accepted value.
    void Validated();
    // The entry was rejected with this message (after the message was shown).
    void Rejected(const QString& message);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    bool CurrentValue(Extended& value) const;
    void ShowValue(Extended value);
    void RefreshLabel();
    void Reject(const QString& message);
    void FocusBack(bool windowWasActive);

    Extended FMinVal = DefaultMin;
    Extended FMaxVal = DefaultMax;
    Extended FLastValue = 0; // last value set or accepted, for reads of an unreadable text
    bool FIntegerOnly = false;
    bool FHex = false;
    QString FCaption;
    QPointer<QLabel> FEditLabel;
    QString FUnitsString;
    int FUnits = 1;
    int FLoading = 0;
    bool FValid = true;
    bool FValidating = false;
    bool FHadFocus = false;
};

// Runs the exit validation of a TDataEdit or TDataCombo and returns its valid flag. Windows call it
// for their active control before accepting OK or closing; any other control counts as valid.
bool ValidateEntry(QWidget* control);

// Gives the focus back to a rejected entry box; when its window was active as the validation began,
// the window is activated again too (a closed message box does not always hand the activation back).
void ReturnEntryFocus(QWidget* box, bool windowWasActive);

// Whether a focus-out leaves the box inside its own form, so the entry has to be validated. It does
// not when the window loses activation (a message box, another window), a popup or the menu bar takes
// the keyboard, or the focus moves into another form (another MDI child window) or to nobody: the
// form keeps its own active control, and the box gets the focus back when its form is active again.
bool IsEntryExit(const QWidget* box, Qt::FocusReason reason);
