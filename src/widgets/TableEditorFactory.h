#pragma once
// The editor factory of the program: the one place that chooses the editor class of a table (the
// chart-backed editor for a chart-backed table, the grid editor otherwise). The core opens editors
// through the ITableEditorFactory of its core context; the program owns a TTableEditorFactory, tells
// it where its multiple-document area is and puts it into that context.
#include <QMdiArea>
#include <QPointer>

#include "tables/Table.h"

// Opens the editor windows of tables: child windows of the multiple-document area when there is one
// (without one, or after the area is gone, a top-level window). A table whose editor is open gets
// that window brought to the front. The editors belong to the window of the area (or to the window
// set with SetOwnerWindow): a top-level editor's messages go through that window's message boxes.
class TTableEditorFactory : public ITableEditorFactory {
  public:
    explicit TTableEditorFactory(QMdiArea* area = nullptr) : FArea(area) {}
    void SetMdiArea(QMdiArea* area) { FArea = area; }
    QMdiArea* MdiArea() const { return FArea.data(); }
    void SetOwnerWindow(QWidget* window) { FOwner = window; }
    void Open(TGridTable& table, bool modal) override;

  private:
    QPointer<QMdiArea> FArea;
    QPointer<QWidget> FOwner;
};
