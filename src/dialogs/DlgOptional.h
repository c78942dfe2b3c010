#pragma once
// The windows of the optional table categories: a check box that says whether the category is
// specified (its section is written to the input file), a button that opens the category's table,
// and an explanatory picture. One window with the differences between the five as data:
//   TDlgLoading      surcharge loads          HasSurcharge      SurchargeLoad
//   TDlgLimits       trial-surface limits     HasLimits         limit
//   TDlgTieback      tiebacks                 HasTiebacks       TiebackCoord
//   TDlgReinEarth    reinforced-earth layers  HasReinforcement  ReinEarthLayerSet (also UseSurbis)
//   TDlgPiezometric  water surfaces           HasWater          WaterSurfaceSet (and the water's unit weight)
// Clearing the box never deletes the category's rows: checking it again brings the same data back.
#include <cstdint>

#include "dialogs/DataForm.h"

class QCheckBox;
class QGridLayout;
class QPushButton;
class TGridTable;

struct TOptionalWindowKind {
    const char* ClassName;
    QString Caption;
    const char* CheckName;
    QString CheckCaption;
    const char* ButtonName;
    QString ButtonCaption;
    std::uint8_t TProgramData::*Flag;
    TGridTable& (TTableSet::*Table)() const;
    // Loads, limits and tiebacks: clearing the box closes the table's editor and every click marks
    // the model modified. Water and reinforcement: a clear box marks the model modified, on every
    // click and once when the window is activated.
    bool ClearClosesEditor;
    // Water: the button sets the flag at once, before the window is left.
    bool ButtonSetsFlag;
    // Reinforcement: UseSurbis follows the flag (a user-defined surface is then written as SURBIS).
    int TProgramData::*AlsoSets;
    bool Sizeable;
    const char* Picture;
};

const TOptionalWindowKind& LoadingWindowKind();
const TOptionalWindowKind& LimitsWindowKind();
const TOptionalWindowKind& TiebackWindowKind();
const TOptionalWindowKind& ReinEarthWindowKind();
const TOptionalWindowKind& PiezometricWindowKind();

class TDlgOptional : public TDataForm {
    Q_OBJECT
  public:
    TDlgOptional(IModelHost& host, const TOptionalWindowKind& kind, QWidget* parent = nullptr);

    const TOptionalWindowKind& Kind() const { return FKind; }
    TGridTable& Table();

    QCheckBox* Check;
    QPushButton* Button;

    void CheckClick();
    void ButtonClick();

  protected:
    void LoadFromModel(TProgramData& model) override;
    void StoreToModel(TProgramData& model) override;
    // The control placed between the check box and the button (the water's unit weight).
    void PlaceBetween(QWidget* label, QWidget* box);

  private:
    void CheckRule();

    const TOptionalWindowKind& FKind;
    QGridLayout* FGrid;
};

class TDlgLoading : public TDlgOptional {
    Q_OBJECT
  public:
    explicit TDlgLoading(IModelHost& host, QWidget* parent = nullptr)
        : TDlgOptional(host, LoadingWindowKind(), parent) {}
};

class TDlgLimits : public TDlgOptional {
    Q_OBJECT
  public:
    explicit TDlgLimits(IModelHost& host, QWidget* parent = nullptr)
        : TDlgOptional(host, LimitsWindowKind(), parent) {}
};

class TDlgTieback : public TDlgOptional {
    Q_OBJECT
  public:
    explicit TDlgTieback(IModelHost& host, QWidget* parent = nullptr)
        : TDlgOptional(host, TiebackWindowKind(), parent) {}
};

class TDlgReinEarth : public TDlgOptional {
    Q_OBJECT
  public:
    explicit TDlgReinEarth(IModelHost& host, QWidget* parent = nullptr)
        : TDlgOptional(host, ReinEarthWindowKind(), parent) {}
};

class TDlgPiezometric : public TDlgOptional {
    Q_OBJECT
  public:
    explicit TDlgPiezometric(IModelHost& host, QWidget* parent = nullptr);

    TDataEdit* dewt;

  protected:
    void LoadFromModel(TProgramData& model) override;
    void StoreToModel(TProgramData& model) override;
};
