#pragma once
// The earthquake loading window: the two seismic coefficients and the cavitation pressure. Earthquake
// loading counts as specified when either coefficient is greater than 0.
#include "dialogs/DataForm.h"

class TDlgEarthquake : public TDataForm {
    Q_OBJECT
  public:
    explicit TDlgEarthquake(IModelHost& host, QWidget* parent = nullptr);

    TDataEdit* deHcoe;
    TDataEdit* deVcoe;
    TDataEdit* deCav;

  protected:
    void LoadFromModel(TProgramData& model) override;
    void StoreToModel(TProgramData& model) override;
};
