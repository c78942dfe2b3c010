#pragma once
// TDataCombo: the validated numeric entry as an editable combo box. Its items can stand for values
// (item i means Values[i]); typed text is limited to what a number needs. Reading Number maps an
// item's text to its value text (the box then shows the value) before evaluating; SetNumber shows
// the value truncated with IntegerOnly, else with 8 significant digits; an accepted entry keeps its
// text as typed.
#include <QComboBox>
#include <QLabel>
#include <QString>
#include <QStringList>

#include "text/NumberForms.h"
#include "widgets/EntryCore.h"

class TDataCombo : public QComboBox, public TEntryCore {
    Q_OBJECT
  public:
    explicit TDataCombo(QWidget* parent = nullptr);

    QStringList Items() const;
    void SetItems(const QStringList& items);
    // Entry i is the value text of item i.
    const QStringList& Values() const { return FValues; }
    void SetValues(const QStringList& values) { FValues = values; }

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
    QString EntryText() override;
    void ShowNumber(Extended value) override;
    std::string LimitText(Extended limit) const override { return FormatGeneral(limit, 8); }
    void EntryValidated() override { emit Validated(); }
    void EntryRejected(const QString& message) override { emit Rejected(message); }

    QStringList FValues;
};
