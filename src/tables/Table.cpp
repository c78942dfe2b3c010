#include "tables/Table.h"
#include "tables/ColStream.h"
#include "text/Errors.h"
#include <algorithm>
#include <unordered_map>

namespace {
const char* const OutOfBounds = "Index out of bounds";
} // namespace

// ---------------------------------------------------------------- registries

TGridTable* TTableRegistry::At(int position) const {
    if (position < 0 || position >= Count())
        return nullptr;
    return Tables[static_cast<std::size_t>(position)];
}

TGridTable* TTableRegistry::FindIdentifier(int identifier) const {
    auto it = ById.find(identifier);
    return it == ById.end() ? nullptr : it->second;
}

TTableFamily& PlainFamily() {
    static TTableFamily family(ColumnTypes());
    return family;
}

TTableFamily& ChartFamily() {
    static TTableFamily family(ColumnChartTypes());
    return family;
}

namespace {
std::shared_ptr<TLiveTables> LiveTablesFor(TGridTable* owner) {
    return owner ? owner->Live() : std::make_shared<TLiveTables>();
}
} // namespace

// ---------------------------------------------------------------- life

TGridTable::TGridTable(TGridTable* owner) : TGridTable(PlainFamily(), LiveTablesFor(owner), owner) {}

TGridTable::TGridTable(const std::shared_ptr<TLiveTables>& live, TGridTable* owner)
    : TGridTable(PlainFamily(), live ? live : LiveTablesFor(owner), owner) {}

TGridTable::TGridTable(TTableFamily& family, std::shared_ptr<TLiveTables> live, TGridTable* owner)
    : FFamily(&family), FLive(std::move(live)), FOwner(owner), FUnitSystem(owner ? owner->UnitSystem() : 1) {
    TTableRegistry& registry = Registry();
    // The running number skips values that tables have taken explicitly, so identifiers stay unique.
    while (registry.FindIdentifier(registry.Counter))
        ++registry.Counter;
    FIdentifier = registry.Counter++;
    registry.Tables.push_back(this);
    registry.ById[FIdentifier] = this;
}

TGridTable::~TGridTable() {
    if (FEditor) {
        ITableEditor* editor = FEditor;
        FEditor = nullptr;
        editor->TableDestroyed();
    }
    RowsChanged = nullptr;
    CellChanged = nullptr;
    Columns.clear(); // frees the sub-tables with their rows
    FRowCount = 0;
    Registry().ById.erase(FIdentifier);
    std::vector<TGridTable*>& list = Registry().Tables;
    // Sub-tables die newest first, so the search from the end is short.
    auto it = std::find(list.rbegin(), list.rend(), this);
    if (it != list.rend())
        list.erase(std::next(it).base());
}

// ---------------------------------------------------------------- properties

void TGridTable::SetIdentifier(int identifier) {
    if (identifier < 0 || identifier == FIdentifier)
        return;
    TTableRegistry& registry = Registry();
    registry.ById.erase(FIdentifier);
    if (TGridTable* other = registry.FindIdentifier(identifier)) {
        other->FIdentifier = FIdentifier;
        registry.ById[FIdentifier] = other;
    }
    FIdentifier = identifier;
    registry.ById[FIdentifier] = this;
}

void TGridTable::SetCaption(std::string caption) {
    FCaption = std::move(caption);
    if (FEditor)
        FEditor->TitleChanged();
}

void TGridTable::SetMinRows(int rows) {
    if (rows <= 0) {
        if (!Loading)
            throw EGeneralError("Value must be greater than 0");
        rows = 1;
    }
    FMinRows = rows;
}

void TGridTable::SetHelpPicture(const QImage& picture) {
    FHelpPicture = picture;
    if (FEditor)
        FEditor->HelpPictureChanged();
}

void TGridTable::SetRowNumber(int row) {
    if (row == FRowNumber)
        return;
    FRowNumber = row;
    if (FEditor)
        FEditor->TitleChanged();
}

bool TGridTable::IsChart() const {
    return FFamily == &ChartFamily();
}

TTableRegistry& TGridTable::Registry() const {
    return IsChart() ? FLive->Chart : FLive->Plain;
}

// ---------------------------------------------------------------- rows

void TGridTable::InsertRowsAll(int index, int count) {
    // A depth pair must be well formed before any column changes, so no column is left longer.
    for (const auto& c : Columns) {
        auto* f = dynamic_cast<const TFloatColumn*>(c.get());
        int pos = IndexOfColumn(c.get());
        if (f && f->TopDepth && pos + 1 < ColumnCount() && !dynamic_cast<TFloatColumn*>(&Column(pos + 1)))
            throw EGeneralError("If column if a topdepth then the next column must be a float column");
    }
    for (const auto& c : Columns)
        c->InsertRows(index, count);
    FRowCount += count;
}

void TGridTable::SetRowCount(int rows) {
    rows = std::max(rows, 0);
    if (rows == FRowCount)
        return;
    if (rows < FRowCount) {
        for (const auto& c : Columns)
            while (c->RowCount() > rows)
                c->DeleteRow(c->RowCount() - 1);
        FRowCount = rows;
    } else {
        // One row group at a time, the last group cut so that every column ends at exactly `rows`.
        while (FRowCount < rows)
            InsertRowsAll(FRowCount, std::min(FRowGroup, rows - FRowCount));
    }
    NotifyRowsChanged();
}

void TGridTable::AddGroup() {
    InsertRowsAll(FRowCount, FRowGroup);
    NotifyRowsChanged();
}

void TGridTable::InsertGroup(int row) {
    if (row < 0 || row > FRowCount)
        throw EGeneralError(OutOfBounds);
    int first = FRowGroup * (row / FRowGroup);
    InsertRowsAll(std::min(first, FRowCount), FRowGroup);
    NotifyRowsChanged();
}

void TGridTable::DeleteGroup(int row) {
    if (row < 0 || row >= FRowCount)
        throw EGeneralError(OutOfBounds);
    int first = FRowGroup * (row / FRowGroup);
    int count = std::min(FRowGroup, FRowCount - first);
    for (const auto& c : Columns)
        for (int k = 0; k < count; ++k)
            c->DeleteRow(first);
    FRowCount -= count;
    NotifyRowsChanged();
}

TData& TGridTable::Cell(int column, int row) const {
    return Column(column).Data(row);
}

// ---------------------------------------------------------------- columns

IColumnOwner* ColumnOwnerOf(TGridTable* table) {
    return table;
}

TColumn* TGridTable::OwnerColumnAt(int index) const {
    return index >= 0 && index < ColumnCount() ? Columns[static_cast<std::size_t>(index)].get() : nullptr;
}

void TGridTable::OwnerFocusCell(const TColumn& column, int row) {
    if (FEditor)
        FEditor->SetCurrentCell(IndexOfColumn(&column), row);
}

TColumn& TGridTable::Column(int index) const {
    if (index < 0 || index >= ColumnCount())
        throw EGeneralError(OutOfBounds);
    return *Columns[static_cast<std::size_t>(index)];
}

int TGridTable::IndexOfColumn(const TColumn* column) const {
    for (std::size_t i = 0; i < Columns.size(); ++i)
        if (Columns[i].get() == column)
            return static_cast<int>(i);
    return -1;
}

int TGridTable::VisibleColumnCount() const {
    return static_cast<int>(
        std::count_if(Columns.begin(), Columns.end(), [](const auto& c) { return c->Visible; }));
}

TColumn& TGridTable::VisibleColumn(int index) const {
    int n = 0;
    for (const auto& c : Columns)
        if (c->Visible && n++ == index)
            return *c;
    throw EGeneralError(OutOfBounds);
}

int TGridTable::VisibleIndexOf(const TColumn* column) const {
    int n = 0;
    for (const auto& c : Columns) {
        if (c.get() == column)
            return c->Visible ? n : -1;
        if (c->Visible)
            ++n;
    }
    return -1;
}

TColumn& TGridTable::AddColumn(std::unique_ptr<TColumn> column) {
    if (!column)
        throw EGeneralError("null column");
    if (column->Table() != this)
        throw EGeneralError("Column belongs to another table");
    Columns.push_back(std::move(column));
    TColumn& added = *Columns.back();
    try {
        while (added.RowCount() < FRowCount)
            added.InsertRows(added.RowCount(), std::min(FRowGroup, FRowCount - added.RowCount()));
    } catch (...) {
        Columns.pop_back(); // never keep a column whose rows do not match the table
        throw;
    }
    SyncTemplates();
    NotifyRowsChanged();
    return added;
}

void TGridTable::ClearColumns() {
    Columns.clear();
    NotifyRowsChanged();
}

void TGridTable::SyncTemplates() {
    int n = 1;
    if (!Columns.empty())
        if (auto* first = dynamic_cast<TEnumColumn*>(Columns.front().get()))
            n = static_cast<int>(first->Items().size());
    for (const auto& c : Columns)
        if (auto* t = dynamic_cast<TTableColumn*>(c.get()))
            t->Templates.Resize(n);
}

void TGridTable::ColumnValueChanged(TColumn& column, int row) {
    const bool first = !Columns.empty() && Columns.front().get() == &column;
    if (first && dynamic_cast<TEnumColumn*>(&column)) {
        // The row's kind changed: its sub-table starts over from the template of the new kind.
        for (const auto& c : Columns) {
            if (auto* t = dynamic_cast<TTableColumn*>(c.get())) {
                if (row < t->RowCount())
                    t->RebuildRow(row);
                break;
            }
        }
    }
    if (CellChanged) {
        int pos = IndexOfColumn(&column);
        if (pos >= 0)
            CellChanged(pos, row);
    }
    NotifyEdited();
}

void TGridTable::NotifyRowsChanged() {
    if (RowsChanged)
        RowsChanged();
    NotifyEdited();
}

void TGridTable::NotifyEdited() const {
    if (const TCoreContext* context = Context(); context && context->Edited)
        context->Edited();
}

// ---------------------------------------------------------------- state

bool TGridTable::Changed() const {
    if (FChanged)
        return true;
    for (const auto& c : Columns)
        if (c->GetChanged())
            return true;
    return false;
}

void TGridTable::ResetChanged() {
    FChanged = false;
    for (const auto& c : Columns)
        c->ResetChanged();
}

void TGridTable::SetChanged(bool changed) {
    if (changed)
        FChanged = true;
    else
        ResetChanged();
}

void TGridTable::SetUnitSystem(int system) {
    if (system == FUnitSystem)
        return;
    for (const auto& c : Columns)
        c->SetUnits(system);
    FUnitSystem = system;
    NotifyRowsChanged();
}

// ---------------------------------------------------------------- editor

const TCoreContext* TGridTable::Context() const {
    for (const TGridTable* t = this; t; t = t->FOwner)
        if (t->FContext)
            return t->FContext;
    return nullptr;
}

void TGridTable::Inform(const std::string& text) const {
    const TCoreContext* context = Context();
    DeliverMessage(context ? context->Messages : TMessageHandler(), TMessageKind::Information, text);
}

void TGridTable::ErrorMessage(const std::string& text) const {
    const TCoreContext* context = Context();
    DeliverMessage(context ? context->Messages : TMessageHandler(), TMessageKind::Error, text);
}

namespace {
void OpenEditor(TGridTable& table, bool modal) {
    if (table.VisibleColumnCount() == 0)
        return; // nothing to show: the specified no-op
    const TCoreContext* context = table.Context();
    if (!context || !context->Editors)
        throw EGeneralError("No table editor windows");
    context->Editors->Open(table, modal);
}
} // namespace

void TGridTable::Edit() {
    OpenEditor(*this, false);
}

void TGridTable::EditModal() {
    OpenEditor(*this, true);
}

void TGridTable::CloseEditor() {
    if (FEditor) {
        ITableEditor* editor = FEditor;
        editor->CloseEditor();
        FEditor = nullptr;
    }
    for (const auto& c : Columns)
        c->Hide();
}

std::string TGridTable::RowPrefix() const {
    std::string prefix = FOwner ? FOwner->RowPrefix() : std::string();
    if (FRowNumber != 0)
        prefix += " " + std::to_string(FRowNumber);
    return prefix;
}

std::string TGridTable::EditorTitle() const {
    return FCaption + " " + RowPrefix();
}

// ---------------------------------------------------------------- "Col" stream

std::string TGridTable::WriteCol() const {
    TValueWriter writer;
    WriteColumns(writer);
    return writer.Bytes();
}

void TGridTable::ReadCol(const std::string& bytes) {
    TValueReader reader(bytes);
    ReadColumns(reader);
}

void TGridTable::WriteColumns(TValueWriter& writer) const {
    writer.WriteInteger(ColumnCount());
    for (const auto& c : Columns) {
        int key = FFamily->ColumnTypes.KeyOf(*c);
        if (key < 0)
            throw EGeneralError("Error Column Class not defined");
        writer.WriteInteger(key);
        c->WriteData(writer);
    }
}

void TGridTable::ReadColumns(TValueReader& reader) {
    int count = 0;
    try {
        count = reader.ReadInteger();
    } catch (const EBrevantoError&) {
        throw EGeneralError("Error reading column count");
    }
    if (count < 0)
        throw EGeneralError("Error reading column count");
    for (int i = 0; i < count; ++i) {
        auto failed = [i](const std::exception& e) {
            return EGeneralError("Error occured when creating column " + std::to_string(i) + ": " + e.what());
        };
        int key = 0;
        try {
            key = reader.ReadInteger();
        } catch (const EBrevantoError& e) {
            throw failed(e);
        }
        TColumnTypeStorage::TFactory factory = FFamily->ColumnTypes.ClassOf(key);
        if (!factory)
            throw EGeneralError("Error Column Class not defined");
        try {
            // The half-made column is freed by its owner pointer when reading or attaching fails.
            AddColumn(factory(this, reader));
        } catch (const std::exception& e) {
            throw failed(e);
        }
    }
    NotifyRowsChanged();
}

// ---------------------------------------------------------------- templates

bool TGridTable::WouldNest(const TGridTable* source) const {
    for (const TGridTable* t = this; t; t = t->FOwner)
        if (t == source || t->FCreatedFrom == source)
            return true;
    return false;
}

void TGridTable::CopyTemplateSettings(const TGridTable& from) {
    FCreatedFrom = &from;
    FCaption = from.FCaption;
    FComments = from.FComments;
    FTopLeft = from.FTopLeft;
    FHelpPicture = from.FHelpPicture;
    FMinRows = from.FMinRows;
    FMaxRows = from.FMaxRows;
    for (const auto& c : from.Columns)
        AddColumn(c->Clone(this));
}

std::unique_ptr<TGridTable> TGridTable::CreateFromTemplate(TGridTable* owner, int rowNumber) const {
    auto table = std::make_unique<TGridTable>(owner ? owner->Live() : FLive, owner);
    table->CopyTemplateSettings(*this);
    table->SetRowNumber(rowNumber);
    table->SetRowCount(table->MinRows());
    table->NotifyRowsChanged();
    return table;
}
