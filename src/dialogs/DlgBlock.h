#pragma once
// The parameter window of the block search: the total number of surfaces (the field the other
// searches use for surfaces per initiation point), the block search's own segment length, and the
// button that opens the box table.
#include "dialogs/DataForm.h"

class QLabel;
class QPushButton;

class TDlgBlock : public TDataForm {
    Q_OBJECT
  public:
    explicit TDlgBlock(IModelHost& host, QWidget* parent = nullptr);

    TDataEdit* deSP;
    TDataEdit* deQL;
    QPushButton* btnSect;
    QLabel* lblSect;

    void btnSectClick();

  protected:
    void LoadFromModel(TProgramData& model) override;
    void StoreToModel(TProgramData& model) override;
};
