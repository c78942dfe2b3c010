// The sub-table column (TTableColumn) and its list of tables (TGridTableList): a column whose cells
// each hold a table of their own, edited through a button. The other column types are ColumnTypes.cpp.
#include "tables/ColStream.h"
#include "tables/ColumnTypes.h"
#include "tables/Table.h"
#include "text/Errors.h"
#include "text/Messages.h"
#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace {
const char* const OutOfBounds = "Index out of bounds";
} // namespace

// ---------------------------------------------------------------- TGridTableList

TGridTable* TGridTableList::Table(int i, const TGridTable& owner) const {
    if (i < 0 || i >= Count())
        return nullptr;
    const TIntWrapper& e = Entries[static_cast<std::size_t>(i)];
    if (e.Value < 0)
        return nullptr;
    TTableRegistry& registry = owner.Registry();
    return e.IsIdentifier ? registry.FindIdentifier(e.Value) : registry.At(e.Value);
}

// ---------------------------------------------------------------- TTableColumn

TTableColumn::TTableColumn(TGridTable* table) : TColumn(table) {}

TTableColumn::~TTableColumn() {
    // Sub-tables go first, from the last row up, while the handles of their rows still exist.
    while (!Objects.empty())
        Objects.pop_back();
}

std::unique_ptr<TColumn> TTableColumn::CreateFromStream(TGridTable* table, TValueReader& reader) {
    auto column = std::make_unique<TTableColumn>(table);
    column->ReadCommon(reader);
    bool current = false;
    if (reader.NextIsString())
        current = reader.ReadString() == "FLEXCOLUMN2";
    if (current) {
        reader.ReadListBegin();
        while (!reader.EndOfList())
            column->Templates.Add(reader.ReadInteger(), true);
        reader.ReadListEnd();
        return column;
    }
    // Older definitions: one registry position, expanded per row kind when the first column is
    // an enumeration.
    int position = reader.ReadInteger();
    TEnumColumn* kinds = nullptr;
    if (table && table->ColumnCount() > 0)
        kinds = dynamic_cast<TEnumColumn*>(&table->Column(0));
    if (!kinds) {
        column->Templates.Add(position, false);
    } else {
        int n = static_cast<int>(kinds->Items().size());
        for (int i = 1; i <= n; ++i) {
            if (table->HardwiredButton())
                column->Templates.Add(position, false);
            else
                column->Templates.Add(i, true);
        }
    }
    return column;
}

int TTableColumn::Position() const {
    return Table() ? Table()->IndexOfColumn(this) : -1;
}

std::unique_ptr<TRowObject> TTableColumn::MakeRowObject(int row) {
    TGridTable* table = Table();
    if (!table)
        return nullptr;
    int kind = 1;
    if (table->ColumnCount() > 0) {
        if (auto* first = dynamic_cast<TEnumColumn*>(&table->Column(0)); first && row < first->RowCount())
            kind = first->GetInt(row);
    }
    if (TGridTable* source = Templates.Table(kind - 1, *table)) {
        // A template that contains itself, directly or through others, would never stop
        // building sub-tables: such a row stays without one.
        if (table->WouldNest(source))
            return nullptr;
        return source->CreateFromTemplate(table, row + 1);
    }
    if (!table->OnInitRow)
        return nullptr;
    std::unique_ptr<TRowObject> object;
    // A failing owner leaves the row empty rather than the columns with different row counts.
    try {
        table->OnInitRow(*table, Position(), row, kind, object);
        if (object && table->OnSetRow)
            table->OnSetRow(*table, Position(), object.get(), row);
    } catch (const std::exception& e) {
        object.reset();
        table->ErrorMessage(e.what());
    }
    return object;
}

void TTableColumn::InsertRows(int index, int count) {
    if (index < 0 || index > RowCount() || count < 0)
        throw EGeneralError(OutOfBounds);
    std::vector<std::unique_ptr<TRowObject>> fresh;
    fresh.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k)
        fresh.push_back(MakeRowObject(index + k));
    Objects.insert(Objects.begin() + index, std::make_move_iterator(fresh.begin()),
                   std::make_move_iterator(fresh.end()));
    TColumn::InsertRows(index, count);
    Renumber(index + count);
}

void TTableColumn::DeleteRow(int index) {
    CheckRow(index);
    std::unique_ptr<TRowObject> gone = std::move(Objects[static_cast<std::size_t>(index)]);
    Objects.erase(Objects.begin() + index);
    TColumn::DeleteRow(index);
    gone.reset();
    Renumber(index);
}

void TTableColumn::Renumber(int from) {
    TGridTable* table = Table();
    for (int r = std::max(0, from); r < static_cast<int>(Objects.size()); ++r) {
        TRowObject* object = Objects[static_cast<std::size_t>(r)].get();
        if (auto* sub = dynamic_cast<TGridTable*>(object))
            sub->SetRowNumber(r + 1);
        else if (object && table && table->OnSetRow)
            table->OnSetRow(*table, Position(), object, r);
    }
}

void TTableColumn::RebuildRow(int row) {
    CheckRow(row);
    std::unique_ptr<TRowObject> fresh = MakeRowObject(row);
    Objects[static_cast<std::size_t>(row)] = std::move(fresh);
}

TGridTable* TTableColumn::GetTable(int row) const {
    CheckRow(row);
    return dynamic_cast<TGridTable*>(Objects[static_cast<std::size_t>(row)].get());
}

TRowObject* TTableColumn::GetObject(int row) const {
    CheckRow(row);
    return Objects[static_cast<std::size_t>(row)].get();
}

bool TTableColumn::GetChanged() const {
    TGridTable* table = Table();
    for (int r = 0; r < static_cast<int>(Objects.size()); ++r) {
        TRowObject* object = Objects[static_cast<std::size_t>(r)].get();
        if (auto* sub = dynamic_cast<TGridTable*>(object)) {
            if (sub->Changed())
                return true;
        } else if (object && table && table->OnGetChanged) {
            bool changed = false;
            table->OnGetChanged(*table, Position(), r, object, changed);
            if (changed)
                return true;
        }
    }
    return false;
}

void TTableColumn::ResetChanged() {
    TGridTable* table = Table();
    for (int r = 0; r < static_cast<int>(Objects.size()); ++r) {
        TRowObject* object = Objects[static_cast<std::size_t>(r)].get();
        if (auto* sub = dynamic_cast<TGridTable*>(object))
            sub->ResetChanged();
        else if (object && table && table->OnResetChanged)
            table->OnResetChanged(*table, Position(), r, object);
    }
}

void TTableColumn::Hide() {
    TGridTable* table = Table();
    for (int r = 0; r < static_cast<int>(Objects.size()); ++r) {
        TRowObject* object = Objects[static_cast<std::size_t>(r)].get();
        if (auto* sub = dynamic_cast<TGridTable*>(object))
            sub->CloseEditor();
        else if (object && table && table->OnHide)
            table->OnHide(*table, Position(), r, object);
    }
}

void TTableColumn::SetUnits(int unitSystem) {
    TGridTable* table = Table();
    for (int r = 0; r < static_cast<int>(Objects.size()); ++r) {
        TRowObject* object = Objects[static_cast<std::size_t>(r)].get();
        if (auto* sub = dynamic_cast<TGridTable*>(object))
            sub->SetUnitSystem(unitSystem);
        else if (object && table && table->OnSetUnits)
            table->OnSetUnits(*table, Position(), r, object, unitSystem);
    }
}

std::string TTableColumn::ButtonCaption(int row) const {
    CheckRow(row);
    TRowObject* object = Objects[static_cast<std::size_t>(row)].get();
    std::string text;
    if (auto* sub = dynamic_cast<TGridTable*>(object))
        text = sub->Caption();
    else if (object && Table() && Table()->OnGetButtonCaption)
        Table()->OnGetButtonCaption(*Table(), Position(), row, object, text);
    return std::to_string(row + 1) + ": " + text;
}

void TTableColumn::ButtonClick(int row, bool editorIsModal) {
    CheckRow(row);
    TRowObject* object = Objects[static_cast<std::size_t>(row)].get();
    if (auto* sub = dynamic_cast<TGridTable*>(object)) {
        if (editorIsModal)
            sub->EditModal();
        else
            sub->Edit();
    } else if (object && Table() && Table()->OnButtonClick) {
        Table()->OnButtonClick(*Table(), Position(), row, object);
    }
}

int TTableColumn::GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const {
    return std::max(TColumn::GetWidth(metrics, pixelsPerInch), pixelsPerInch * 2);
}

void TTableColumn::WriteData(TValueWriter& writer) const {
    TColumn::WriteData(writer);
    writer.WriteString("FLEXCOLUMN2");
    writer.WriteListBegin();
    for (int i = 0; i < Templates.Count(); ++i) {
        const TIntWrapper& e = Templates.Entry(i);
        if (e.IsIdentifier || e.Value < 0 || !Table()) {
            writer.WriteInteger(e.Value);
        } else {
            TGridTable* t = Templates.Table(i, *Table());
            writer.WriteInteger(t ? t->Identifier() : -1);
        }
    }
    writer.WriteListEnd();
}

std::unique_ptr<TColumn> TTableColumn::Clone(TGridTable* newTable) const {
    auto column = std::make_unique<TTableColumn>(newTable);
    column->CopyCommon(*this);
    for (int i = 0; i < Templates.Count(); ++i) {
        TGridTable* t = Table() ? Templates.Table(i, *Table()) : nullptr;
        column->Templates.Add(t ? t->Identifier() : -1, true);
    }
    return column;
}
