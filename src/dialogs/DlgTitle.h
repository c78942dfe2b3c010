#pragma once
// The project title window: one line of at most 80 characters.
#include "dialogs/DataForm.h"

class QLineEdit;

class TdlgTitle : public TDataForm {
    Q_OBJECT
  public:
    explicit TdlgTitle(IModelHost& host, QWidget* parent = nullptr);

    static constexpr int MaxLength = 80;
    QLineEdit* TitleMemo;

  protected:
    void LoadFromModel(TProgramData& model) override;
    void StoreToModel(TProgramData& model) override;

  private:
    // What the box showed when it was loaded: a title longer than the box takes is kept whole as
    // long as the user leaves the box alone.
    QString FLoaded;
};
