#pragma once
// The about window: what the program is, its version and the libraries it is built on.
#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);
    QLabel* lblProgram;
    QLabel* lblText;
    QPushButton* BtnOK;
};
