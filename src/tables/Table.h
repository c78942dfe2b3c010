#pragma once
// TGridTable: one tabular category of the slope model. An ordered list of columns with a common
// row count, the texts and limits its editor window shows, sub-tables per row in sub-table columns,
// unit conversion, changed tracking and the "Col" column-definition stream.
//
// The editor window lives in the widgets layer. The core reaches it only through the
// ITableEditorFactory of the table's core context and ITableEditor (implemented by the window), and
// the window follows the table through the RowsChanged/CellChanged hooks.
#include "tables/ColumnOwner.h"
#include "tables/ColumnTypes.h"
#include "tables/CoreContext.h"
#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QObject;
class TGridTable;
class TTableFamily;

// The open editor window of a table, as the table sees it.
class ITableEditor {
  public:
    virtual ~ITableEditor() = default;
    virtual bool IsModal() const = 0;
    // A column asked for the focus on one of its cells (TColumn::FocusCell, e.g. when a row control
    // was entered): move the grid's current cell there. `column` is the position among all columns.
    virtual void SetCurrentCell(int column, int row) {
        (void)column;
        (void)row;
    }
    // The title (EditorTitle) or the help picture changed while the window is open.
    virtual void TitleChanged() = 0;
    virtual void HelpPictureChanged() = 0;
    // The table asks the window to close and free itself; the window calls DetachEditor.
    virtual void CloseEditor() = 0;
    // The table is being destroyed: the window must forget it (and close) without calling it again.
    virtual void TableDestroyed() = 0;
};

// Creates and shows editor windows. Open is called only when the table has a visible column; when
// the table already has an editor the factory brings that one to the front. A new window calls
// table.AttachEditor(window) before it shows, installs RowsChanged/CellChanged, and on close (or
// when it is destroyed for any other reason) removes them and calls table.DetachEditor().
// A TGridTableChart (IsChart()) gets the chart-backed editor.
//
// What the window needs from the core for row controls (it creates them itself):
//  - TColumn::UsesControls() says which visible columns get controls instead of text;
//  - TEnumColumn: Items() for the drop-down, ItemIndex(row) for its selection, and SetInt(row, i + 1)
//    when entry i is chosen (nothing happens when it is unchanged);
//  - TTableColumn: ButtonCaption(row), and ButtonClick(row, IsModal()) on a click.
// RowsChanged asks for a full refresh (rows, columns, controls); CellChanged(column, row) for one
// cell, and, after an enumeration choice in the first column, also for that row's buttons, whose
// sub-table was rebuilt.
class ITableEditorFactory {
  public:
    virtual ~ITableEditorFactory() = default;
    virtual void Open(TGridTable& table, bool modal) = 0;
};

// The live tables of one family in one model, and their running identifier counter.
class TTableRegistry {
  public:
    int Count() const { return static_cast<int>(Tables.size()); }
    TGridTable* At(int position) const; // null outside the list
    TGridTable* FindIdentifier(int identifier) const;

  private:
    friend class TGridTable;
    std::vector<TGridTable*> Tables;
    std::unordered_map<int, TGridTable*> ById; // identifiers are unique, so lookups need no scan
    int Counter = 0;
};

// The live tables of one model (a table set, or a table made on its own with its sub-tables), per
// family: two models number their tables each on their own. Each table shares it; it goes with the
// last of them.
struct TLiveTables {
    TTableRegistry Plain; // plain tables
    TTableRegistry Chart; // chart-backed tables
};

class TGridTable : public TRowObject, public IColumnOwner {
  public:
    // A table owned by another table (a sub-table) takes the owner's unit system, else 1, and joins
    // the owner's live tables; a table without owner starts live tables of its own.
    explicit TGridTable(TGridTable* owner = nullptr);
    // A table that joins `live` (the tables of one set).
    TGridTable(const std::shared_ptr<TLiveTables>& live, TGridTable* owner);
    ~TGridTable() override;
    TGridTable(const TGridTable&) = delete;
    TGridTable& operator=(const TGridTable&) = delete;

    // --- published properties
    const std::string& Comments() const { return FComments; }
    void SetComments(std::string text) { FComments = std::move(text); }
    int Identifier() const { return FIdentifier; }
    // Negative values are ignored; a value another table of the family holds is swapped with it.
    void SetIdentifier(int identifier);
    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string caption);
    int MaxRows() const { return FMaxRows; }
    void SetMaxRows(int rows) { FMaxRows = rows; }
    int MinRows() const { return FMinRows; }
    // Values below 1 raise "Value must be greater than 0" (while definitions load they become 1).
    void SetMinRows(int rows);
    const QImage& HelpPicture() const { return FHelpPicture; }
    void SetHelpPicture(const QImage& picture);
    bool HardwiredButton() const { return FHardwiredButton; }
    void SetHardwiredButton(bool value) { FHardwiredButton = value; }
    QObject* FormParent() const { return FFormParent; }
    void SetFormParent(QObject* parent) { FFormParent = parent; }
    int RowGroup() const { return FRowGroup; }
    void SetRowGroup(int rows) { FRowGroup = rows < 1 ? 1 : rows; }
    const std::string& TopLeft() const { return FTopLeft; }
    void SetTopLeft(std::string text) { FTopLeft = std::move(text); }

    // --- published events (raised only for rows that hold an owner object, never for sub-tables)
    std::function<void(TGridTable& sender)> OnResize;
    std::function<void(TGridTable& sender, int ACol, int ARow, TRowObject* AData)> OnButtonClick;
    std::function<void(TGridTable& sender, int ACol, int ARow, TRowObject* AData, std::string& ACaption)>
        OnGetButtonCaption;
    std::function<void(TGridTable& sender, int ACol, int ARow, TRowObject* AData, bool& AChanged)>
        OnGetChanged;
    std::function<void(TGridTable& sender, int ACol, int ARow, TRowObject* AData)> OnHide;
    std::function<void(TGridTable& sender, int ACol, int ARow, int AEnumType,
                       std::unique_ptr<TRowObject>& AData)>
        OnInitRow;
    std::function<void(TGridTable& sender, int ACol, int ARow, TRowObject* AData)> OnResetChanged;
    std::function<void(TGridTable& sender, int ACol, TRowObject* AData, int ARow)> OnSetRow;
    std::function<void(TGridTable& sender, int ACol, int ARow, TRowObject* AData, int AValue)> OnSetUnits;

    // --- hooks of the open editor window
    std::function<void()> RowsChanged;
    std::function<void(int column, int row)> CellChanged;

    // --- rows and cells
    int RowCount() const { return FRowCount; }
    void SetRowCount(int rows); // below 0 counts as 0; no check against MinRows/MaxRows
    void AddGroup();
    void InsertGroup(int row);
    void DeleteGroup(int row);
    TData& Cell(int column, int row) const; // "Index out of bounds" outside the table

    // --- columns
    int ColumnCount() const { return static_cast<int>(Columns.size()); }
    TColumn& Column(int index) const;
    int IndexOfColumn(const TColumn* column) const; // -1 when not one of this table's
    int VisibleColumnCount() const;
    TColumn& VisibleColumn(int index) const; // "Index out of bounds" outside 0..count-1
    int VisibleIndexOf(const TColumn* column) const;
    // Attaches a column (the table owns it) and gives it the table's rows.
    TColumn& AddColumn(std::unique_ptr<TColumn> column);
    void ClearColumns();

    // --- state
    bool Changed() const;
    void ResetChanged();
    void SetChanged(bool changed); // false acts as ResetChanged
    int UnitSystem() const { return FUnitSystem; }
    void SetUnitSystem(int system);
    int RowNumber() const { return FRowNumber; }
    void SetRowNumber(int row);
    TGridTable* OwnerTable() const { return FOwner; }

    // --- the program's services: a top-level table is given the context; a sub-table uses its owner's
    void SetContext(const TCoreContext* context) { FContext = context; }
    const TCoreContext* Context() const;
    void Inform(const std::string& text) const;       // through the context's message sink
    void ErrorMessage(const std::string& text) const; // (standard error without a context)

    // --- editor
    // Opens the editor window through the context's factory; EGeneralError "No table editor windows"
    // when there is none, so a missing factory never passes for a window that is open.
    void Edit();
    void EditModal();
    void CloseEditor();
    ITableEditor* Editor() const { return FEditor; }
    bool EditorOpen() const { return FEditor != nullptr; }
    void AttachEditor(ITableEditor* editor) { FEditor = editor; }
    void DetachEditor() { FEditor = nullptr; }
    // Caption, a space, then the row prefix (the owner's prefix, a space and RowNumber when not 0).
    std::string EditorTitle() const;
    std::string RowPrefix() const;

    // --- the "Col" column-definition stream
    std::string WriteCol() const;
    // Appends the columns the stream defines. Errors: "Error reading column count",
    // "Error Column Class not defined", "Error occured when creating column %d: %s".
    void ReadCol(const std::string& bytes);
    virtual void WriteColumns(TValueWriter& writer) const;
    virtual void ReadColumns(TValueReader& reader);

    // A new table owned by `owner` with the template's texts, limits and a clone of every column,
    // MinRows rows and the given row number. A chart-backed template makes a chart-backed table.
    virtual std::unique_ptr<TGridTable> CreateFromTemplate(TGridTable* owner, int rowNumber) const;

    // True when `source` is this table, one of its owners, or the template of one of them: a
    // sub-table built from it would build another one without end.
    bool WouldNest(const TGridTable* source) const;

    TTableFamily& Family() const { return *FFamily; }
    bool IsChart() const;
    // The live tables this table belongs to, and its family's list among them.
    const std::shared_ptr<TLiveTables>& Live() const { return FLive; }
    TTableRegistry& Registry() const;

    // Called by columns.
    void ColumnValueChanged(TColumn& column, int row);
    void SyncTemplates();
    // True while definitions are being read (MinRows below 1 then becomes 1 instead of an error).
    bool Loading = false;

    void NotifyRowsChanged();

  protected:
    TGridTable(TTableFamily& family, std::shared_ptr<TLiveTables> live, TGridTable* owner);
    void CopyTemplateSettings(const TGridTable& from);

  private:
    // What the columns ask (IColumnOwner).
    int OwnerRowGroup() const override { return RowGroup(); }
    int OwnerUnitSystem() const override { return UnitSystem(); }
    bool OwnerEditorOpen() const override { return EditorOpen(); }
    int OwnerIndexOf(const TColumn& column) const override { return IndexOfColumn(&column); }
    TColumn* OwnerColumnAt(int index) const override;
    void OwnerValueChanged(TColumn& column, int row) override { ColumnValueChanged(column, row); }
    void OwnerFocusCell(const TColumn& column, int row) override;
    void OwnerSyncTemplates() override { SyncTemplates(); }

    void InsertRowsAll(int index, int count);
    // Tells the context's listener that values or rows changed.
    void NotifyEdited() const;

    TTableFamily* FFamily;
    std::shared_ptr<TLiveTables> FLive;
    TGridTable* FOwner;
    std::string FComments, FCaption, FTopLeft;
    int FIdentifier = -1;
    int FMaxRows = 0, FMinRows = 1, FRowGroup = 1;
    QImage FHelpPicture;
    bool FHardwiredButton = false;
    QObject* FFormParent = nullptr;
    int FRowNumber = 0;
    const TGridTable* FCreatedFrom = nullptr; // the template a sub-table was built from (compared only)
    bool FChanged = false;
    int FRowCount = 0;
    int FUnitSystem = 1;
    std::vector<std::unique_ptr<TColumn>> Columns;
    ITableEditor* FEditor = nullptr;
    const TCoreContext* FContext = nullptr;
};

// What distinguishes the two table families (besides their list among the live tables): their column
// type registry.
class TTableFamily {
  public:
    explicit TTableFamily(TColumnTypeStorage& columnTypes) : ColumnTypes(columnTypes) {}
    TColumnTypeStorage& ColumnTypes;
};
TTableFamily& PlainFamily();
TTableFamily& ChartFamily();
