#include "dialogs/DlgBlock.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/SvgPicture.h"
#include "tables/TableSet.h"

TDlgBlock::TDlgBlock(IModelHost& host, QWidget* parent) : TDataForm(host, "TDlgBlock", parent) {
    setWindowTitle(QStringLiteral("Search by Block Method"));
    deSP = NewBox({"deSP", QStringLiteral("Total number of surfaces to be generated"), {}, 1, 100, true});
    deQL = NewBox({"deQL", QStringLiteral("Segment length "), QStringLiteral("L2"), TDataEdit::DefaultMin,
                   100000000, false, true});
    lblSect = NewLabel(QStringLiteral("Boxes used to generate the base of central block"), "lblSect");
    btnSect = NewButton(QStringLiteral("Enter Block Data"), "btnSect");
    connect(btnSect, &QPushButton::clicked, this, &TDlgBlock::btnSectClick);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(0, 1);
    grid->addWidget(deSP->EditLabel(), 0, 0);
    grid->addWidget(deSP, 0, 1);
    grid->addWidget(deQL->EditLabel(), 1, 0);
    grid->addWidget(deQL, 1, 1);
    grid->addWidget(lblSect, 2, 0);
    grid->addWidget(btnSect, 2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(new TSvgPicture(PicturePath("block"), QSize(520, 300), this), 1);
    SetFirstControl(deSP);
}

void TDlgBlock::btnSectClick() {
    EditTable(Tables().BoxCoord());
}

void TDlgBlock::LoadFromModel(TProgramData& model) {
    LoadBox(deSP, model.SurfacesPerPoint);
    LoadBox(deQL, model.BlockSegmentLength);
}

void TDlgBlock::StoreToModel(TProgramData& model) {
    model.SurfacesPerPoint = RoundCount(deSP->Number());
    model.BlockSegmentLength = deQL->Number();
}
