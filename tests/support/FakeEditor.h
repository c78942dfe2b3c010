#pragma once
// A stand-in for the editor window: records what the tables ask of it.
#include "tables/Table.h"
#include <vector>

class FakeEditor : public ITableEditor {
  public:
    explicit FakeEditor(TGridTable& table, bool modal = false) : Table(&table), Modal(modal) {
        table.AttachEditor(this);
        table.RowsChanged = [this] { ++RowsChangedCount; };
        table.CellChanged = [this](int c, int r) { Cells.push_back({c, r}); };
    }
    ~FakeEditor() override {
        if (Table)
            CloseEditor();
    }
    bool IsModal() const override { return Modal; }
    void SetCurrentCell(int column, int row) override { Focus = {column, row}; }
    void TitleChanged() override { ++TitleChanges; }
    void HelpPictureChanged() override { ++PictureChanges; }
    void CloseEditor() override {
        ++Closed;
        Table->RowsChanged = nullptr;
        Table->CellChanged = nullptr;
        Table->DetachEditor();
        Table = nullptr;
    }
    void TableDestroyed() override {
        Destroyed = true;
        Table = nullptr;
    }

    TGridTable* Table;
    bool Modal;
    int RowsChangedCount = 0, TitleChanges = 0, PictureChanges = 0, Closed = 0;
    bool Destroyed = false;
    std::pair<int, int> Focus{-1, -1};
    std::vector<std::pair<int, int>> Cells;
};

// A factory that records what it was asked to open; give its Context to the tables under test.
class FakeEditorFactory : public ITableEditorFactory {
  public:
    void Open(TGridTable& table, bool modal) override { Opened.push_back({&table, modal}); }
    std::vector<std::pair<TGridTable*, bool>> Opened;
    TCoreContext Context{this, {}};
};
