#include "dialogs/DlgTitle.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TdlgTitle::TdlgTitle(IModelHost& host, QWidget* parent) : TDataForm(host, "TdlgTitle", parent) {
    setWindowTitle(QStringLiteral("Project Title"));
    QLabel* label = NewLabel(QStringLiteral("Enter text line for project description:"), "Label1");
    // One line: Enter adds no line break, the title is one line of the input file.
    TitleMemo = new QLineEdit(this);
    TitleMemo->setObjectName(QStringLiteral("TitleMemo"));
    TitleMemo->setMaxLength(MaxLength);
    TitleMemo->setMinimumWidth(TitleMemo->fontMetrics().averageCharWidth() * 70);
    label->setBuddy(TitleMemo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(TitleMemo);
    layout->addStretch(1);
    SetFirstControl(TitleMemo);
}

void TdlgTitle::LoadFromModel(TProgramData& model) {
    TitleMemo->setText(QString::fromStdString(model.Title));
    FLoaded = TitleMemo->text();
}

void TdlgTitle::StoreToModel(TProgramData& model) {
    QString text = TitleMemo->text();
    if (text == FLoaded)
        return; // unchanged: neither the title nor the modified state is touched
    // A pasted line break would split the title line of the file.
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const std::string title = text.toStdString();
    FLoaded = TitleMemo->text();
    if (title == model.Title)
        return;
    model.Title = title;
    MarkModified();
}
