#include "dialogs/DlgOptional.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/SvgPicture.h"
#include "tables/TableSet.h"

const TOptionalWindowKind& LoadingWindowKind() {
    static const TOptionalWindowKind kind{"TDlgLoading",
                                          QStringLiteral("Surcharge Loads"),
                                          "ChkDistLoad",
                                          QStringLiteral("Apply &Surcharge Loads"),
                                          "btnDistLoad",
                                          QStringLiteral("&Edit Surcharge Loads"),
                                          &TProgramData::HasSurcharge,
                                          &TTableSet::SurchargeLoad,
                                          true,
                                          false,
                                          nullptr,
                                          false,
                                          "surcharge"};
    return kind;
}

const TOptionalWindowKind& LimitsWindowKind() {
    static const TOptionalWindowKind kind{"TDlgLimits",
                                          QStringLiteral("Trial Surface Limits (optional)"),
                                          "ChkSpring",
                                          QStringLiteral("&Specify trial surface limits"),
                                          "btnSpring",
                                          QStringLiteral("&Edit Trial Surface Limits Data"),
                                          &TProgramData::HasLimits,
                                          &TTableSet::limit,
                                          true,
                                          false,
                                          nullptr,
                                          true,
                                          "limits"};
    return kind;
}

const TOptionalWindowKind& TiebackWindowKind() {
    static const TOptionalWindowKind kind{"TDlgTieback",
                                          QStringLiteral("Tiebacks"),
                                          "ChkDistLoad",
                                          QStringLiteral("Specify tiebacks"),
                                          "btnDistLoad",
                                          QStringLiteral("&Edit Tieback Data"),
                                          &TProgramData::HasTiebacks,
                                          &TTableSet::TiebackCoord,
                                          true,
                                          false,
                                          nullptr,
                                          false,
                                          "tieback"};
    return kind;
}

const TOptionalWindowKind& ReinEarthWindowKind() {
    static const TOptionalWindowKind kind{"TDlgReinEarth",
                                          QStringLiteral("Reinforce Earth Layers"),
                                          "ChkPrint",
                                          QStringLiteral("Specify reinforce earth layers"),
                                          "EditDepths",
                                          QStringLiteral("Edit &Reinforce Earth Data"),
                                          &TProgramData::HasReinforcement,
                                          &TTableSet::ReinEarthLayerSet,
                                          false,
                                          false,
                                          &TProgramData::UseSurbis,
                                          false,
                                          "reinforcement"};
    return kind;
}

const TOptionalWindowKind& PiezometricWindowKind() {
    static const TOptionalWindowKind kind{"TDlgPiezometric",
                                          QStringLiteral("Water Surface"),
                                          "ChkPrint",
                                          QStringLiteral("Specify piezometric surfaces"),
                                          "EditDepths",
                                          QStringLiteral("Edit &Piezometric Surfaces"),
                                          &TProgramData::HasWater,
                                          &TTableSet::WaterSurfaceSet,
                                          false,
                                          true,
                                          nullptr,
                                          false,
                                          "water"};
    return kind;
}

TDlgOptional::TDlgOptional(IModelHost& host, const TOptionalWindowKind& kind, QWidget* parent)
    : TDataForm(host, kind.ClassName, parent), FKind(kind) {
    setWindowTitle(kind.Caption);
    SetBorder(kind.Sizeable ? TBorder::Sizeable : TBorder::Fixed);
    Check = new QCheckBox(kind.CheckCaption, this);
    Check->setObjectName(QLatin1String(kind.CheckName));
    Button = NewButton(kind.ButtonCaption, kind.ButtonName);
    // clicked: only the user's clicks (and the keyboard's), never the loading of the box.
    connect(Check, &QCheckBox::clicked, this, &TDlgOptional::CheckClick);
    connect(Button, &QPushButton::clicked, this, &TDlgOptional::ButtonClick);

    FGrid = new QGridLayout;
    FGrid->setColumnStretch(0, 1);
    FGrid->addWidget(Check, 0, 0, 1, 2);
    FGrid->addWidget(Button, 2, 0, 1, 2, Qt::AlignLeft);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(FGrid);
    layout->addWidget(new TSvgPicture(PicturePath(kind.Picture), QSize(440, 260), this), 1);
    SetFirstControl(Check);
}

void TDlgOptional::PlaceBetween(QWidget* label, QWidget* box) {
    FGrid->addWidget(label, 1, 0);
    FGrid->addWidget(box, 1, 1);
}

TGridTable& TDlgOptional::Table() {
    return (Tables().*FKind.Table)();
}

void TDlgOptional::CheckRule() {
    Button->setEnabled(Check->isChecked());
    if (!Check->isChecked())
        MarkModified();
}

void TDlgOptional::CheckClick() {
    if (!FKind.ClearClosesEditor) {
        CheckRule();
    } else {
        Button->setEnabled(Check->isChecked());
        if (!Check->isChecked())
            Table().CloseEditor(); // the rows stay
        MarkModified();
    }
}

void TDlgOptional::ButtonClick() {
    if (FKind.ButtonSetsFlag && Host.Model() && !(Host.Model()->*FKind.Flag)) {
        Host.Model()->*FKind.Flag = 1;
        MarkModified();
    }
    EditTable(Table());
}

void TDlgOptional::LoadFromModel(TProgramData& model) {
    Check->setChecked(model.*FKind.Flag != 0);
    if (FKind.ClearClosesEditor)
        Button->setEnabled(Check->isChecked());
    else
        CheckRule();
}

void TDlgOptional::StoreToModel(TProgramData& model) {
    const std::uint8_t flag = Check->isChecked() ? 1 : 0;
    // A changed flag changes the file: the model must count as modified, whatever the clicks did.
    bool changed = model.*FKind.Flag != flag;
    model.*FKind.Flag = flag;
    if (FKind.AlsoSets) {
        changed = changed || model.*FKind.AlsoSets != flag;
        model.*FKind.AlsoSets = flag;
    }
    if (changed)
        MarkModified();
}

TDlgPiezometric::TDlgPiezometric(IModelHost& host, QWidget* parent)
    : TDlgOptional(host, PiezometricWindowKind(), parent) {
    dewt = NewBox({"dewt", QStringLiteral("Unit weight of water"), QStringLiteral("F/L2^3"),
                   TDataEdit::DefaultMin, 300, false, true});
    PlaceBetween(dewt->EditLabel(), dewt);
    setTabOrder(Check, dewt);
    setTabOrder(dewt, Button);
}

void TDlgPiezometric::LoadFromModel(TProgramData& model) {
    LoadBox(dewt, model.WaterUnitWeight);
    TDlgOptional::LoadFromModel(model);
}

void TDlgPiezometric::StoreToModel(TProgramData& model) {
    model.WaterUnitWeight = dewt->Number();
    TDlgOptional::StoreToModel(model);
}
