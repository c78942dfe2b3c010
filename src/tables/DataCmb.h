#pragma once
// TDataCombo: the validated numeric entry as an editable combo box. Its items can stand for values
// (item i means Values[i]); typed text is limited to what a number needs.
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "tables/NumberForms.h"

class TDataCombo : public QComboBox {
    Q_OBJECT
  public:
    explicit TDataCombo(QWidget* parent = nullptr);

    // Reading maps an item's text to its value text (the box then shows the value) and evaluates.
    // A text that cannot be evaluated reads as the last accepted value.
    Extended Number();
    // Clamped to the limits; shown truncated with IntegerOnly, else with 8 significant digits.
    void SetNumber(Extended value);

    Extended MinVal() const { return FMinVal; }
    void SetMinVal(Extended value);
    Extended MaxVal() const { return FMaxVal; }
    void SetMaxVal(Extended value);
    bool IntegerOnly() const { return FIntegerOnly; }
    void SetIntegerOnly(bool value);

    QStringList Items() const;
    void SetItems(const QStringList& items);
    // Entry i is the value text of item i.
    const QStringList& Values() const { return FValues; }
    void SetValues(const QStringList& values) { FValues = values; }

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    QLabel* EditLabel() const { return FEditLabel; }
    void SetEditLabel(QLabel* label);
    QString UnitsString() const { return FUnitsString; }
    void SetUnitsString(const QString& value);
    int Units() const { return FUnits; }
    void SetUnits(int value);

    void BeginLoading() { ++FLoading; }
    void EndLoading();
    bool Loading() const { return FLoading > 0; }

    bool Validate();
    bool Valid() const { return FValid; }

    // Whether a typed character passes the key filter, and how it is typed (upper case).
    static bool AcceptsChar(QChar c);

  signals:
    void Validated();
    void Rejected(const QString& message);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    Extended ReadValue(); // may throw EAssignError
    bool CurrentValue(Extended& value);
    void RefreshLabel();
    void FocusBack(bool windowWasActive);

    Extended FMinVal = 0;
    Extended FMaxVal = 0;
    Extended FLastValue = 0;
    bool FIntegerOnly = false;
    QStringList FValues;
    QString FCaption;
    QPointer<QLabel> FEditLabel;
    QString FUnitsString;
    int FUnits = 1;
    int FLoading = 0;
    bool FValid = true;
    bool FValidating = false;
    bool FHadFocus = false;
};
