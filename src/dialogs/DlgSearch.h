#pragma once
// The parameter windows of the circular searches by Janbu's and Bishop's methods, the irregular
// search and Spencer's method: one window with the differences between the four as data. They all
// edit one shared set of search fields of the model (InitiationPoints to CwLimit; Spencer's window
// also InterSliceAngle), so switching between these kinds keeps what was entered.
#include "dialogs/DataForm.h"

class QLabel;

// What tells the four windows apart.
struct TSearchWindowKind {
    const char* ClassName;
    QString Caption;
    QString InitiationCaption;
    QString CcwCaption;
    QString CwCaption;
    bool LimitNotes;     // the notes under the two direction-limit boxes
    bool InterSliceBox;  // Spencer's interslice force inclination
    const char* Picture; // the picture of the initiation and termination ranges
};

const TSearchWindowKind& JanbuWindowKind();
const TSearchWindowKind& BishopWindowKind();
const TSearchWindowKind& IrregularWindowKind();
const TSearchWindowKind& SpencerWindowKind();

class TDlgSearch : public TDataForm {
    Q_OBJECT
  public:
    TDlgSearch(IModelHost& host, const TSearchWindowKind& kind, QWidget* parent = nullptr);

    const TSearchWindowKind& Kind() const { return FKind; }

    TDataEdit* deIP;
    TDataEdit* deSP;
    TDataEdit* deXLi;
    TDataEdit* deXRi;
    TDataEdit* deXLt;
    TDataEdit* deXRt;
    TDataEdit* deSL;
    TDataEdit* deMinEl;
    TDataEdit* deCCW;
    TDataEdit* deCW;
    TDataEdit* deAng = nullptr; // Spencer's method only
    QLabel* lblCCWNote = nullptr;
    QLabel* lblCWNote = nullptr;

  protected:
    void LoadFromModel(TProgramData& model) override;
    void StoreToModel(TProgramData& model) override;

  private:
    const TSearchWindowKind& FKind;
};

class TDlgJanbu : public TDlgSearch {
    Q_OBJECT
  public:
    explicit TDlgJanbu(IModelHost& host, QWidget* parent = nullptr)
        : TDlgSearch(host, JanbuWindowKind(), parent) {}
};

class TDlgBishop : public TDlgSearch {
    Q_OBJECT
  public:
    explicit TDlgBishop(IModelHost& host, QWidget* parent = nullptr)
        : TDlgSearch(host, BishopWindowKind(), parent) {}
};

class TDlgIrregular : public TDlgSearch {
    Q_OBJECT
  public:
    explicit TDlgIrregular(IModelHost& host, QWidget* parent = nullptr)
        : TDlgSearch(host, IrregularWindowKind(), parent) {}
};

class TDlgSpencer : public TDlgSearch {
    Q_OBJECT
  public:
    explicit TDlgSpencer(IModelHost& host, QWidget* parent = nullptr)
        : TDlgSearch(host, SpencerWindowKind(), parent) {}
};
