#pragma once
// What a column asks of the table it belongs to. The table (TGridTable, made of columns) answers it;
// the column types reach their table only through this, so they need not know the table class.
class TColumn;
class TGridTable;

class IColumnOwner {
  public:
    virtual int OwnerRowGroup() const = 0;
    virtual int OwnerUnitSystem() const = 0;
    // True while the table's editor window is open: typing there is checked, values set are not.
    virtual bool OwnerEditorOpen() const = 0;
    // The column's place among the owner's columns (-1 when not one of them), and the column at a
    // place (null outside).
    virtual int OwnerIndexOf(const TColumn& column) const = 0;
    virtual TColumn* OwnerColumnAt(int index) const = 0;
    // A cell's value changed; the editor, if open, moves to a cell; the kinds of the first column
    // changed, so the sub-tables follow their templates.
    virtual void OwnerValueChanged(TColumn& column, int row) = 0;
    virtual void OwnerFocusCell(const TColumn& column, int row) = 0;
    virtual void OwnerSyncTemplates() = 0;

  protected:
    ~IColumnOwner() = default;
};

// The owner `table` is to its columns; null for none. Defined with the table.
IColumnOwner* ColumnOwnerOf(TGridTable* table);
