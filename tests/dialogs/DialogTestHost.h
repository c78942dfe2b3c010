#pragma once
// A stand-in for the main window: a frame with a multiple-document area, the model host behind the
// global model, the table editor factory and the data windows, wired as the program wires them.
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QString>
#include <memory>

#include "dialogs/DataWindows.h"
#include "model/LPData.h"
#include "tables/TableSet.h"
#include "widgets/TableFormController.h"

class TDialogTestHost : public IModelHost {
  public:
    TDialogTestHost();
    ~TDialogTestHost() override;

    TTableSet& Tables() override { return *Set; }
    const TCoreContext& Context() const override { return FContext; }
    bool IsModified() const override { return Modified || Set->Changed(); }
    void SetModified(bool modified) override;
    void CommitActiveChild() override { ::CommitActiveChild(Area); }
    void CloseAllChildren() override;
    void UnitSystemChanged() override { Windows->UnitSystemChanged(); }

    // A new model, or the model of a file, as the global model.
    void NewModel();
    void LoadModel(const QString& path);
    // The frame shown and active.
    bool Show();
    // What the menu commands of the search submenu do to the model before they open a window.
    void SelectSearch(int kind);
    // A menu command: the active child stores its entries first.
    void UnitsCommand(int system);

    QMainWindow Frame;
    QMdiArea* Area;
    TTableEditorFactory Editors;
    std::unique_ptr<TDataWindows> Windows;
    QString WordProcessor = QStringLiteral("/usr/bin/editor");
    bool Modified = false;
    int ModifiedCalls = 0;

  private:
    TCoreContext FContext;
    std::unique_ptr<TTableSet> Set;
};

// The window of a child window's content, or null.
template <class T> T* ActiveWindowOf(QMdiArea* area) {
    QMdiSubWindow* sub = area->activeSubWindow();
    return sub ? qobject_cast<T*>(sub->widget()) : nullptr;
}
