#include "dialogs/DlgOptions.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

namespace {
QString ChooseProgram(QWidget* parent, const QString& current) {
    QFileDialog dialog(parent, QStringLiteral("Open"));
    dialog.setObjectName(QStringLiteral("BrowseDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString programs = QStringLiteral("Programs (*.exe *.com)");
    const QString all = QStringLiteral("All Files (*)");
    dialog.setNameFilters({programs, all});
#ifndef Q_OS_WIN
    // Programs here have no extension: the programs filter would hide them all.
    dialog.selectNameFilter(all);
#endif
    if (!current.isEmpty())
        dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
}
} // namespace

TDlgOptions::TDlgOptions(IModelHost& host, TTextEditorSetting setting, QWidget* parent)
    : TDataForm(host, "TDlgOptions", parent), FSetting(std::move(setting)) {
    setWindowTitle(QStringLiteral("Name of Text Editor Program"));
    QLabel* label = NewLabel(QStringLiteral("&Text Editor:"), "Label1");
    EdtWord = new QLineEdit(this);
    EdtWord->setObjectName(QStringLiteral("EdtWord"));
    EdtWord->setMinimumWidth(EdtWord->fontMetrics().averageCharWidth() * 50);
    label->setBuddy(EdtWord);
    BtnBrowse = NewButton(QStringLiteral("&Browse..."), "BtnBrowse");
    connect(BtnBrowse, &QPushButton::clicked, this, &TDlgOptions::BtnBrowseClick);
    ChooseFile = [this](const QString& current) { return ChooseProgram(this, current); };

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(EdtWord, 1, 0);
    grid->addWidget(BtnBrowse, 1, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);
    SetFirstControl(EdtWord);
}

void TDlgOptions::BtnBrowseClick() {
    const QString chosen = ChooseFile ? ChooseFile(EdtWord->text()) : QString();
    if (!chosen.isEmpty())
        EdtWord->setText(chosen);
}

void TDlgOptions::LoadFromModel(TProgramData& model) {
    (void)model;
    if (FSetting.Get)
        EdtWord->setText(FSetting.Get());
}

void TDlgOptions::StoreToModel(TProgramData& model) {
    (void)model;
    if (FSetting.Set)
        FSetting.Set(EdtWord->text()); // as typed: whether the program exists shows when it is used
}
