#include "app/About.h"
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtGlobal>

#ifndef BREVANTO_VERSION
#define BREVANTO_VERSION "2015.4.4"
#endif

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Brevanto 2015"));
    auto* layout = new QVBoxLayout(this);
    lblProgram = new QLabel(QStringLiteral("<b>Brevanto 2015</b><br>Version " BREVANTO_VERSION), this);
    lblText = new QLabel(
        QStringLiteral("Two-dimensional limit-equilibrium stability analysis of soil slopes: circular, "
                       "irregular and block searches; Janbu's, Bishop's and Spencer's methods.<br><br>"
                       "Built with Qt %1, running on Qt %2.")
            .arg(QStringLiteral(QT_VERSION_STR), QString::fromLatin1(qVersion())),
        this);
    lblText->setWordWrap(true);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    layout->addWidget(lblProgram);
    layout->addWidget(lblText);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}
