#pragma once
// The column family of the grid tables: a column owns one field of every row, shows it as text,
// parses typed entries, converts it between unit systems and describes itself in the table's
// "Col" stream. Five kinds, identified in the stream by their type keys:
//   0 TEnumColumn, 1 TIntColumn, 2 TFloatColumn, 3 TTableColumn (a sub-table per row), 4 TStringColumn.
// The chart-backed tables use the same classes under their own names (TableChart.h) with a
// column type registry of their own.
#include "text/NumberForms.h"
#include <cstdint>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

class QFontMetrics;
class TGridTable;
class TColumn;
class TValueReader;
class TValueWriter;

// Anything a sub-table column may hold in a row: a sub-table, or an object the owner supplies
// through OnInitRow.
class TRowObject {
  public:
    virtual ~TRowObject() = default;
};

// Handle of one cell. Its row is its current position in the column, so a handle stays valid (and
// keeps pointing at the same data) while rows are inserted or deleted before it; it dies with its row.
class TData {
  public:
    TColumn& Column() const { return *FColumn; }
    int Row() const { return FRow; }

    TGridTable* GetTable() const;
    TRowObject* GetObject() const;
    std::string GetText() const;
    void SetText(const std::string& text);
    Extended GetFloat() const;
    void SetFloat(Extended value);
    int GetInt() const;
    void SetInt(int value);

  private:
    friend class TColumn;
    TData(TColumn* column, int row) : FColumn(column), FRow(row) {}
    TColumn* FColumn;
    int FRow;
};

class TColumn {
  public:
    explicit TColumn(TGridTable* table);
    virtual ~TColumn();
    TColumn(const TColumn&) = delete;
    TColumn& operator=(const TColumn&) = delete;

    // Row storage. Each kind inserts its own values first, then calls the base.
    virtual void InsertRows(int index, int count);
    virtual void DeleteRow(int index);

    int RowCount() const { return static_cast<int>(Rows.size()); }
    TData& Data(int row) const;           // "Index out of bounds" outside 0..RowCount-1
    int IndexOf(const TData& data) const; // -1 when the handle is not one of this column's

    int HeaderLineCount() const { return static_cast<int>(FHeaderLines.size()); }
    virtual std::string GetHeaderLine(int index) const;
    const std::vector<std::string>& HeaderLines() const { return FHeaderLines; }
    void SetHeaderLines(std::vector<std::string> lines) { FHeaderLines = std::move(lines); }

    // Typed access; a kind that has no such value raises EGeneralError "Data of wrong type".
    virtual TGridTable* GetTable(int row) const;
    virtual TRowObject* GetObject(int row) const;
    virtual Extended GetFloat(int row) const;
    virtual void SetFloat(int row, Extended value);
    virtual int GetInt(int row) const;
    virtual void SetInt(int row, int value);
    virtual std::string GetText(int row) const;
    // Parses a typed entry; a rejected entry raises EAssignError and leaves the stored value alone.
    virtual void SetText(int row, const std::string& text);

    virtual bool GetChanged() const { return false; }
    virtual void ResetChanged() {}
    virtual void Hide() {}
    virtual void SetUnits(int unitSystem);

    // Width in pixels: the widest header line (followed by two spaces) or the kind's minimum.
    virtual int GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const;

    // True for the kinds whose cells the editor covers with a live control (a drop-down list or a
    // button) instead of editable text.
    virtual bool UsesControls() const { return false; }

    virtual void WriteData(TValueWriter& writer) const;
    virtual std::unique_ptr<TColumn> Clone(TGridTable* newTable) const = 0;

    int GetRowGroup() const;
    void NotifyValueChanged(int row);
    // Asks the open editor to make this column's cell of `row` current (row controls use it).
    void FocusCell(int row);
    TGridTable* Table() const { return FTable; }
    int UnitSystem() const; // the owning table's, 1 without a table

    bool Visible = true;
    bool GroupShared = false;

  protected:
    // The common part of the stream: header list, Visible, GroupShared.
    void ReadCommon(TValueReader& reader);
    void CopyCommon(const TColumn& from);
    // First and one-past-last row that a value written to `row` reaches (row group when shared).
    void GroupRange(int row, int& first, int& last) const;
    void CheckRow(int row) const;
    TColumn* Neighbour(int offset) const; // column at this position + offset in the table, or null

    std::vector<std::unique_ptr<TData>> Rows;

  private:
    TGridTable* FTable;
    std::vector<std::string> FHeaderLines;
};

class TIntColumn : public TColumn {
  public:
    explicit TIntColumn(TGridTable* table) : TColumn(table) {}
    static std::unique_ptr<TColumn> CreateFromStream(TGridTable* table, TValueReader& reader);

    void InsertRows(int index, int count) override;
    void DeleteRow(int index) override;
    int GetInt(int row) const override;
    void SetInt(int row, int value) override;
    std::string GetText(int row) const override;
    void SetText(int row, const std::string& text) override;
    int GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const override;
    void WriteData(TValueWriter& writer) const override;
    std::unique_ptr<TColumn> Clone(TGridTable* newTable) const override;

    int Default = 0;
    int Minimum = INT32_MIN;
    int Maximum = INT32_MAX;

  private:
    std::vector<int> Values;
};

class TFloatColumn : public TColumn {
  public:
    explicit TFloatColumn(TGridTable* table) : TColumn(table) {}
    static std::unique_ptr<TColumn> CreateFromStream(TGridTable* table, TValueReader& reader);

    void InsertRows(int index, int count) override;
    void DeleteRow(int index) override;
    std::string GetHeaderLine(int index) const override;
    Extended GetFloat(int row) const override;
    void SetFloat(int row, Extended value) override;
    std::string GetText(int row) const override;
    void SetText(int row, const std::string& text) override;
    void SetUnits(int unitSystem) override;
    int GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const override;
    void WriteData(TValueWriter& writer) const override;
    std::unique_ptr<TColumn> Clone(TGridTable* newTable) const override;

    Extended Default = 0.0L;
    // This column is the top of a top/bottom depth pair whose bottom is the next column.
    bool TopDepth = false;
    std::string UnitString;

  private:
    TFloatColumn* TopPartner() const;    // the left neighbour when it is a TopDepth float column
    TFloatColumn* BottomPartner() const; // the right neighbour of a TopDepth column
    Extended Factor(int from, int to) const;
    std::vector<Extended> Values;
    // Factors between the systems 1..3 for CachedUnit: switching back and forth reuses them
    // instead of parsing the unit string every time.
    mutable std::string CachedUnit;
    mutable Extended CachedFactor[4][4] = {};
    mutable bool Cached[4][4] = {};
};

class TEnumColumn : public TColumn {
  public:
    explicit TEnumColumn(TGridTable* table) : TColumn(table) {}
    static std::unique_ptr<TColumn> CreateFromStream(TGridTable* table, TValueReader& reader);

    void InsertRows(int index, int count) override;
    void DeleteRow(int index) override;
    // 1-based item number; SetInt is what choosing entry i (0-based) of a row's list does, with i + 1.
    int GetInt(int row) const override;
    void SetInt(int row, int value) override;
    std::string GetText(int row) const override;
    void SetText(int row, const std::string& text) override;
    int GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const override;
    bool UsesControls() const override { return true; }
    void WriteData(TValueWriter& writer) const override;
    std::unique_ptr<TColumn> Clone(TGridTable* newTable) const override;

    const std::vector<std::string>& Items() const { return FItems; }
    void SetItems(std::vector<std::string> items); // the table re-synchronises its template lists
    // The 0-based list entry a row's drop-down shows (item number - 1).
    int ItemIndex(int row) const { return GetInt(row) - 1; }

  private:
    std::vector<std::string> FItems;
    std::vector<int> Values;
};

class TStringColumn : public TColumn {
  public:
    explicit TStringColumn(TGridTable* table) : TColumn(table) {}
    static std::unique_ptr<TColumn> CreateFromStream(TGridTable* table, TValueReader& reader);

    void InsertRows(int index, int count) override;
    void DeleteRow(int index) override;
    std::string GetText(int row) const override;
    void SetText(int row, const std::string& text) override;
    int GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const override;
    void WriteData(TValueWriter& writer) const override;
    std::unique_ptr<TColumn> Clone(TGridTable* newTable) const override;

    std::string Default;
    Extended WidthInches = 0.0L;

  private:
    std::vector<std::string> Values;
};

// One template reference of a sub-table column: a table Identifier (looked up whenever it is used)
// or, in definitions of the oldest form, a position in the table registry; -1 names no template.
struct TIntWrapper {
    int Value = -1;
    bool IsIdentifier = true;
};

// The templates of a sub-table column, one per row kind.
class TGridTableList {
  public:
    int Count() const { return static_cast<int>(Entries.size()); }
    const TIntWrapper& Entry(int i) const { return Entries.at(static_cast<std::size_t>(i)); }
    void Add(int value, bool isIdentifier = true) { Entries.push_back({value, isIdentifier}); }
    void Set(int i, int value, bool isIdentifier = true) {
        Entries.at(static_cast<std::size_t>(i)) = {value, isIdentifier};
    }
    void Resize(int count) { Entries.resize(static_cast<std::size_t>(count < 0 ? 0 : count)); }
    void Clear() { Entries.clear(); }
    // The template table of entry i, looked up in the registry of the owner table's family, or null.
    TGridTable* Table(int i, const TGridTable& owner) const;

  private:
    std::vector<TIntWrapper> Entries;
};

// Holds in every row a sub-table built from the template of the row's kind, or an owner object.
class TTableColumn : public TColumn {
  public:
    explicit TTableColumn(TGridTable* table);
    ~TTableColumn() override;
    static std::unique_ptr<TColumn> CreateFromStream(TGridTable* table, TValueReader& reader);

    void InsertRows(int index, int count) override;
    void DeleteRow(int index) override;
    TGridTable* GetTable(int row) const override;
    TRowObject* GetObject(int row) const override;
    bool GetChanged() const override;
    void ResetChanged() override;
    void Hide() override;
    void SetUnits(int unitSystem) override;
    int GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const override;
    bool UsesControls() const override { return true; }
    void WriteData(TValueWriter& writer) const override;
    std::unique_ptr<TColumn> Clone(TGridTable* newTable) const override;

    // "%d: %s": the 1-based row and the sub-table's caption (or the owner's text).
    std::string ButtonCaption(int row) const;
    // What a click on the row's button does: open the sub-table's editor (modally when the editor
    // showing this column is modal), or hand the owner object to OnButtonClick.
    void ButtonClick(int row, bool editorIsModal);
    // Replaces a row's object by a fresh one for the row's current kind.
    void RebuildRow(int row);

    TGridTableList Templates;

  private:
    std::unique_ptr<TRowObject> MakeRowObject(int row);
    void Renumber(int from);
    int Position() const;
    std::vector<std::unique_ptr<TRowObject>> Objects;
};

// Process-wide map between column classes and their stream type keys. The plain and the
// chart-backed family each have one; both are filled with the five kinds, keys 0 to 4.
class TColumnTypeStorage {
  public:
    using TFactory = std::unique_ptr<TColumn> (*)(TGridTable*, TValueReader&);

    void Register(std::type_index columnClass, int key, TFactory factory);
    void Unregister(std::type_index columnClass);
    int KeyOf(const TColumn& column) const; // -1 when the class is not registered
    int KeyOf(std::type_index columnClass) const;
    TFactory ClassOf(int key) const; // null when no class has the key
    int Count() const { return static_cast<int>(Entries.size()); }

    void RegisterStandard();   // TEnumColumn 0, TIntColumn 1, TFloatColumn 2, TTableColumn 3, TStringColumn 4
    void UnregisterStandard(); // the five in the same order, then "Column Type list not empty" if any is left

  private:
    struct TEntry {
        std::type_index Class;
        int Key;
        TFactory Factory;
    };
    std::vector<TEntry> Entries;
};

TColumnTypeStorage& ColumnTypes();      // the plain family's registry
TColumnTypeStorage& ColumnChartTypes(); // the chart-backed family's registry
