#pragma once
// TDataEdit: the validated numeric entry box of the data windows. The text may be a number or an
// expression; it is evaluated and checked against the limits when the focus leaves the box or on
// Enter, and a linked caption label shows the quantity's name with its unit label.
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <limits>

#include "text/NumberForms.h"
#include "widgets/EntryCore.h"

class TDataEdit : public QLineEdit, public TEntryCore {
    Q_OBJECT
  public:
    explicit TDataEdit(QWidget* parent = nullptr);

    // Reading evaluates the text; one that cannot be evaluated reads as the last accepted value.
    Extended Number() const { return ValueOf(text()); }

    bool Hex() const { return FHex; }
    void SetHex(bool value);

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
    QString EntryText() override { return text(); }
    void ShowNumber(Extended value) override;
    std::string LimitText(Extended limit) const override;
    void ShowAccepted(Extended value) override { ShowNumber(value); } // an expression becomes its value
    void EntryValidated() override { emit Validated(); }
    void EntryRejected(const QString& message) override { emit Rejected(message); }

    bool FHex = false;
};

// Runs the exit validation of a TDataEdit or TDataCombo and returns its valid flag. Windows call it
// for their active control before accepting OK or closing; any other control counts as valid.
bool ValidateEntry(QWidget* control);
