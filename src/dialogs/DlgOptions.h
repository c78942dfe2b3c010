#pragma once
// The text-editor option window: the path of the program that opens the input and output text.
// The path belongs to the main window (it is a setting of the program, not of the model), which
// hands the window a way to read and write it.
#include <functional>

#include "dialogs/DataForm.h"

class QLineEdit;
class QPushButton;

struct TTextEditorSetting {
    std::function<QString()> Get;
    std::function<void(const QString&)> Set;
};

class TDlgOptions : public TDataForm {
    Q_OBJECT
  public:
    TDlgOptions(IModelHost& host, TTextEditorSetting setting, QWidget* parent = nullptr);

    QLineEdit* EdtWord;
    QPushButton* BtnBrowse;

    void BtnBrowseClick();

    // How "&Browse..." asks for a file: given the current text, returns the chosen path or an empty
    // text when cancelled. A real file dialog unless replaced (tests).
    std::function<QString(const QString& current)> ChooseFile;

  protected:
    void LoadFromModel(TProgramData& model) override;
    void StoreToModel(TProgramData& model) override;

  private:
    TTextEditorSetting FSetting;
};
