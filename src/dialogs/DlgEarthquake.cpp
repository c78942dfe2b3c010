#include "dialogs/DlgEarthquake.h"

#include <QGridLayout>
#include <QLabel>

TDlgEarthquake::TDlgEarthquake(IModelHost& host, QWidget* parent)
    : TDataForm(host, "TDlgEarthquake", parent) {
    setWindowTitle(QStringLiteral("Earthquake Loading Coefficients"));
    deHcoe = NewBox({"deHcoe",
                     QStringLiteral("Earthquake coefficient for horizontal acceleration"),
                     {},
                     TDataEdit::DefaultMin,
                     200});
    deVcoe = NewBox({"deVcoe",
                     QStringLiteral("Earthquake coefficient for vertical acceleration"),
                     {},
                     TDataEdit::DefaultMin,
                     200});
    deCav = NewBox({"deCav", QStringLiteral("Cavitation pressure"), QStringLiteral("F/L2^2"),
                    TDataEdit::DefaultMin, 100000000, false, true});
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(0, 1);
    int row = 0;
    auto place = [&](TDataEdit* box, const char* noteName, const QString& note) {
        grid->addWidget(box->EditLabel(), row, 0);
        grid->addWidget(box, row++, 1);
        if (noteName) {
            grid->addWidget(NewLabel(note, noteName), row++, 0, Qt::AlignLeft | Qt::AlignTop);
        }
        grid->setRowMinimumHeight(row++, fontMetrics().height() / 2);
    };
    place(deHcoe, "lblHcoeNote", QStringLiteral("(defined positive outwards from the face of slope)"));
    place(deVcoe, "lblVcoeNote", QStringLiteral("(defined positive upwards)"));
    place(deCav, nullptr, {});
    grid->setRowStretch(row, 1);
    SetFirstControl(deHcoe);
}

void TDlgEarthquake::LoadFromModel(TProgramData& model) {
    LoadBox(deHcoe, model.HorizontalCoefficient);
    LoadBox(deVcoe, model.VerticalCoefficient);
    LoadBox(deCav, model.CavitationPressure);
}

void TDlgEarthquake::StoreToModel(TProgramData& model) {
    model.HorizontalCoefficient = deHcoe->Number();
    model.VerticalCoefficient = deVcoe->Number();
    model.CavitationPressure = deCav->Number();
    // The cavitation pressure alone is no earthquake loading.
    model.HasEarthquake = model.VerticalCoefficient > 0 || model.HorizontalCoefficient > 0 ? 1 : 0;
}
