#include "tables/ColumnTypes.h"
#include "tables/ColStream.h"
#include "tables/ColumnOwner.h"
#include "text/Errors.h"
#include "text/Evaluate.h"
#include "text/Messages.h"
#include "text/Units.h"
#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cmath>
#include <iostream>

namespace {
const char* const WrongType = "Data of wrong type";
const char* const OutOfBounds = "Index out of bounds";

[[noreturn]] void WrongTypeError() {
    throw EGeneralError(WrongType);
}

int TextWidth(const QFontMetrics& metrics, const std::string& text) {
    return metrics.horizontalAdvance(QString::fromStdString(text));
}

std::string Between(int minimum, int maximum) {
    return "Entry must be between " + std::to_string(minimum) + " and " + std::to_string(maximum) + ".";
}

template <class T> void InsertValues(std::vector<T>& values, int index, int count, const T& value) {
    values.insert(values.begin() + index, static_cast<std::size_t>(count), value);
}
IColumnOwner* OwnerOf(const TColumn& column) {
    return ColumnOwnerOf(column.Table());
}
} // namespace

// ---------------------------------------------------------------- TData

TGridTable* TData::GetTable() const {
    return FColumn->GetTable(FRow);
}
TRowObject* TData::GetObject() const {
    return FColumn->GetObject(FRow);
}
std::string TData::GetText() const {
    return FColumn->GetText(FRow);
}
void TData::SetText(const std::string& text) {
    FColumn->SetText(FRow, text);
}
Extended TData::GetFloat() const {
    return FColumn->GetFloat(FRow);
}
void TData::SetFloat(Extended value) {
    FColumn->SetFloat(FRow, value);
}
int TData::GetInt() const {
    return FColumn->GetInt(FRow);
}
void TData::SetInt(int value) {
    FColumn->SetInt(FRow, value);
}

// ---------------------------------------------------------------- TColumn

TColumn::TColumn(TGridTable* table) : FTable(table) {}
TColumn::~TColumn() = default;

void TColumn::InsertRows(int index, int count) {
    if (index < 0 || index > RowCount() || count < 0)
        throw EGeneralError(OutOfBounds);
    std::vector<std::unique_ptr<TData>> fresh;
    fresh.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        fresh.emplace_back(new TData(this, index + i));
    Rows.insert(Rows.begin() + index, std::make_move_iterator(fresh.begin()),
                std::make_move_iterator(fresh.end()));
    for (int i = index + count; i < RowCount(); ++i)
        Rows[static_cast<std::size_t>(i)]->FRow = i;
}

void TColumn::DeleteRow(int index) {
    CheckRow(index);
    Rows.erase(Rows.begin() + index);
    for (int i = index; i < RowCount(); ++i)
        Rows[static_cast<std::size_t>(i)]->FRow = i;
}

TData& TColumn::Data(int row) const {
    CheckRow(row);
    return *Rows[static_cast<std::size_t>(row)];
}

int TColumn::IndexOf(const TData& data) const {
    if (&data.Column() != this || data.Row() < 0 || data.Row() >= RowCount())
        return -1;
    return Rows[static_cast<std::size_t>(data.Row())].get() == &data ? data.Row() : -1;
}

void TColumn::CheckRow(int row) const {
    if (row < 0 || row >= RowCount())
        throw EGeneralError(OutOfBounds);
}

std::string TColumn::GetHeaderLine(int index) const {
    if (index < 0 || index >= HeaderLineCount())
        throw EGeneralError(OutOfBounds);
    return FHeaderLines[static_cast<std::size_t>(index)];
}

TGridTable* TColumn::GetTable(int) const {
    WrongTypeError();
}
TRowObject* TColumn::GetObject(int) const {
    WrongTypeError();
}
Extended TColumn::GetFloat(int) const {
    WrongTypeError();
}
void TColumn::SetFloat(int, Extended) {
    WrongTypeError();
}
int TColumn::GetInt(int) const {
    WrongTypeError();
}
void TColumn::SetInt(int, int) {
    WrongTypeError();
}
std::string TColumn::GetText(int) const {
    return {};
}
void TColumn::SetText(int, const std::string&) {}
void TColumn::SetUnits(int) {}

int TColumn::GetWidth(const QFontMetrics& metrics, int) const {
    int width = 0;
    for (int i = 0; i < HeaderLineCount(); ++i)
        width = std::max(width, TextWidth(metrics, GetHeaderLine(i) + "  "));
    return width;
}

void TColumn::WriteData(TValueWriter& writer) const {
    writer.WriteListBegin();
    for (const std::string& line : FHeaderLines)
        writer.WriteString(line);
    writer.WriteListEnd();
    writer.WriteBoolean(Visible);
    writer.WriteBoolean(GroupShared);
}

void TColumn::ReadCommon(TValueReader& reader) {
    std::vector<std::string> lines;
    reader.ReadListBegin();
    while (!reader.EndOfList())
        lines.push_back(reader.ReadString());
    reader.ReadListEnd();
    FHeaderLines = std::move(lines);
    Visible = reader.ReadBoolean();
    GroupShared = reader.ReadBoolean();
}

void TColumn::CopyCommon(const TColumn& from) {
    FHeaderLines = from.FHeaderLines;
    Visible = from.Visible;
}

int TColumn::GetRowGroup() const {
    const IColumnOwner* owner = OwnerOf(*this);
    return owner ? owner->OwnerRowGroup() : 1;
}
int TColumn::UnitSystem() const {
    const IColumnOwner* owner = OwnerOf(*this);
    return owner ? owner->OwnerUnitSystem() : 1;
}

void TColumn::NotifyValueChanged(int row) {
    if (IColumnOwner* owner = OwnerOf(*this))
        owner->OwnerValueChanged(*this, row);
}

void TColumn::FocusCell(int row) {
    if (IColumnOwner* owner = OwnerOf(*this))
        owner->OwnerFocusCell(*this, row);
}

void TColumn::GroupRange(int row, int& first, int& last) const {
    CheckRow(row);
    if (!GroupShared) {
        first = row;
        last = row + 1;
        return;
    }
    int g = std::max(1, GetRowGroup());
    first = g * (row / g);
    last = std::min(first + g, RowCount());
}

TColumn* TColumn::Neighbour(int offset) const {
    const IColumnOwner* owner = OwnerOf(*this);
    if (!owner)
        return nullptr;
    const int pos = owner->OwnerIndexOf(*this);
    return pos < 0 ? nullptr : owner->OwnerColumnAt(pos + offset);
}

// ---------------------------------------------------------------- TIntColumn

std::unique_ptr<TColumn> TIntColumn::CreateFromStream(TGridTable* table, TValueReader& reader) {
    auto column = std::make_unique<TIntColumn>(table);
    column->ReadCommon(reader);
    column->Default = reader.ReadInteger();
    column->Minimum = reader.ReadInteger();
    column->Maximum = reader.ReadInteger();
    return column;
}

void TIntColumn::InsertRows(int index, int count) {
    if (index < 0 || index > RowCount() || count < 0)
        throw EGeneralError(OutOfBounds);
    InsertValues(Values, index, count, Default);
    TColumn::InsertRows(index, count);
}

void TIntColumn::DeleteRow(int index) {
    CheckRow(index);
    Values.erase(Values.begin() + index);
    TColumn::DeleteRow(index);
}

int TIntColumn::GetInt(int row) const {
    CheckRow(row);
    return Values[static_cast<std::size_t>(row)];
}

void TIntColumn::SetInt(int row, int value) {
    int first = 0, last = 0;
    GroupRange(row, first, last);
    for (int r = first; r < last; ++r) {
        Values[static_cast<std::size_t>(r)] = value;
        NotifyValueChanged(r);
    }
}

std::string TIntColumn::GetText(int row) const {
    return FormatI(GetInt(row));
}

void TIntColumn::SetText(int row, const std::string& text) {
    CheckRow(row);
    Extended value = EvaluateEntry(text);
    // The checks belong to typing in the editor; values the program sets pass unchecked.
    if (const IColumnOwner* owner = OwnerOf(*this); owner && owner->OwnerEditorOpen()) {
        if (std::fabs(value - std::trunc(value)) > 1e-10L)
            throw EAssignError("Entry must be an integer.");
        if (value < Minimum || value > Maximum)
            throw EAssignError(Between(Minimum, Maximum));
    }
    Extended rounded = std::round(value);
    // Never convert a value the integer cannot hold: that would store garbage.
    if (rounded < INT32_MIN || rounded > INT32_MAX)
        throw EAssignError(Between(INT32_MIN, INT32_MAX));
    SetInt(row, static_cast<int>(rounded));
}

int TIntColumn::GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const {
    return std::max(TColumn::GetWidth(metrics, pixelsPerInch), pixelsPerInch / 2);
}

void TIntColumn::WriteData(TValueWriter& writer) const {
    TColumn::WriteData(writer);
    writer.WriteInteger(Default);
    writer.WriteInteger(Minimum);
    writer.WriteInteger(Maximum);
}

std::unique_ptr<TColumn> TIntColumn::Clone(TGridTable* newTable) const {
    auto column = std::make_unique<TIntColumn>(newTable);
    column->CopyCommon(*this);
    column->Default = Default;
    column->Minimum = Minimum;
    column->Maximum = Maximum;
    return column;
}

// ---------------------------------------------------------------- TFloatColumn

std::unique_ptr<TColumn> TFloatColumn::CreateFromStream(TGridTable* table, TValueReader& reader) {
    auto column = std::make_unique<TFloatColumn>(table);
    column->ReadCommon(reader);
    column->TopDepth = reader.ReadBoolean();
    std::string marker = reader.ReadString();
    if (marker == "FLOATCOLUMN2") {
        column->UnitString = reader.ReadString();
        column->Default = reader.ReadFloat();
    } else {
        // Older definitions: the string is the unit string and no default follows.
        column->UnitString = marker;
    }
    return column;
}

TFloatColumn* TFloatColumn::TopPartner() const {
    auto* left = dynamic_cast<TFloatColumn*>(Neighbour(-1));
    return left && left->TopDepth ? left : nullptr;
}

TFloatColumn* TFloatColumn::BottomPartner() const {
    return TopDepth ? dynamic_cast<TFloatColumn*>(Neighbour(+1)) : nullptr;
}

void TFloatColumn::InsertRows(int index, int count) {
    if (index < 0 || index > RowCount() || count < 0)
        throw EGeneralError(OutOfBounds);
    TColumn* next = TopDepth ? Neighbour(+1) : nullptr;
    if (next && !dynamic_cast<TFloatColumn*>(next))
        throw EGeneralError("If column if a topdepth then the next column must be a float column");
    auto* bottom = static_cast<TFloatColumn*>(next);
    TFloatColumn* top = TopPartner();
    for (int k = 0; k < count; ++k) {
        int d = index + k;
        Extended value = Default;
        if (bottom && bottom->RowCount() >= d + 1 && d >= 1)
            value = bottom->Values[static_cast<std::size_t>(d - 1)]; // the bottom of the row above
        else if (top && d + 1 < top->RowCount())
            value = top->Values[static_cast<std::size_t>(d + 1)]; // the top of the row below
        Values.insert(Values.begin() + d, value);
    }
    TColumn::InsertRows(index, count);
}

void TFloatColumn::DeleteRow(int index) {
    CheckRow(index);
    // Keep the pair contiguous: the row below now starts where the row above ends.
    TFloatColumn* bottom = BottomPartner();
    if (bottom && index > 0 && index < RowCount() - 1 && index - 1 < bottom->RowCount())
        Values[static_cast<std::size_t>(index + 1)] = bottom->Values[static_cast<std::size_t>(index - 1)];
    Values.erase(Values.begin() + index);
    TColumn::DeleteRow(index);
}

std::string TFloatColumn::GetHeaderLine(int index) const {
    std::string line = TColumn::GetHeaderLine(index);
    if (index == HeaderLineCount() - 1 && !UnitString.empty())
        line += " (" + UnitLabel(UnitString, UnitSystem()) + ")  ";
    return line;
}

Extended TFloatColumn::GetFloat(int row) const {
    CheckRow(row);
    return Values[static_cast<std::size_t>(row)];
}

void TFloatColumn::SetFloat(int row, Extended value) {
    int first = 0, last = 0;
    GroupRange(row, first, last);
    if (GroupShared) {
        for (int r = first; r < last; ++r) {
            Values[static_cast<std::size_t>(r)] = value;
            NotifyValueChanged(r);
        }
        return;
    }
    Values[static_cast<std::size_t>(row)] = value;
    NotifyValueChanged(row);
    if (TFloatColumn* bottom = BottomPartner(); bottom && row >= 1 && row - 1 < bottom->RowCount()) {
        bottom->Values[static_cast<std::size_t>(row - 1)] = value; // bottom of the row above follows
        bottom->NotifyValueChanged(row - 1);
    } else if (TFloatColumn* top = TopPartner(); top && row + 1 < top->RowCount()) {
        top->Values[static_cast<std::size_t>(row + 1)] = value; // top of the row below follows
        top->NotifyValueChanged(row + 1);
    }
}

std::string TFloatColumn::GetText(int row) const {
    return FormatG(GetFloat(row));
}

void TFloatColumn::SetText(int row, const std::string& text) {
    CheckRow(row);
    SetFloat(row, EvaluateStoredEntry(text));
}

Extended TFloatColumn::Factor(int from, int to) const {
    if (from < 0 || from > 3 || to < 0 || to > 3)
        return UnitFactor(from, to, UnitString);
    if (UnitString != CachedUnit) {
        CachedUnit = UnitString;
        for (auto& row : Cached)
            for (bool& known : row)
                known = false;
    }
    if (!Cached[from][to]) {
        CachedFactor[from][to] = UnitFactor(from, to, UnitString);
        Cached[from][to] = true;
    }
    return CachedFactor[from][to];
}

void TFloatColumn::SetUnits(int unitSystem) {
    Extended factor = Factor(UnitSystem(), unitSystem);
    for (int r = 0; r < RowCount(); ++r) {
        Values[static_cast<std::size_t>(r)] *= factor;
        NotifyValueChanged(r);
    }
}

int TFloatColumn::GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const {
    return std::max(TColumn::GetWidth(metrics, pixelsPerInch), pixelsPerInch / 2);
}

void TFloatColumn::WriteData(TValueWriter& writer) const {
    TColumn::WriteData(writer);
    writer.WriteBoolean(TopDepth);
    writer.WriteString("FLOATCOLUMN2");
    writer.WriteString(UnitString);
    writer.WriteFloat(Default);
}

std::unique_ptr<TColumn> TFloatColumn::Clone(TGridTable* newTable) const {
    auto column = std::make_unique<TFloatColumn>(newTable);
    column->CopyCommon(*this);
    column->TopDepth = TopDepth;
    column->UnitString = UnitString;
    column->Default = Default;
    return column;
}

// ---------------------------------------------------------------- TEnumColumn

std::unique_ptr<TColumn> TEnumColumn::CreateFromStream(TGridTable* table, TValueReader& reader) {
    auto column = std::make_unique<TEnumColumn>(table);
    column->ReadCommon(reader);
    reader.ReadListBegin();
    while (!reader.EndOfList())
        column->FItems.push_back(reader.ReadString());
    reader.ReadListEnd();
    return column;
}

void TEnumColumn::SetItems(std::vector<std::string> items) {
    FItems = std::move(items);
    if (IColumnOwner* owner = OwnerOf(*this); owner && owner->OwnerIndexOf(*this) == 0)
        owner->OwnerSyncTemplates();
}

void TEnumColumn::InsertRows(int index, int count) {
    if (index < 0 || index > RowCount() || count < 0)
        throw EGeneralError(OutOfBounds);
    InsertValues(Values, index, count, 1);
    TColumn::InsertRows(index, count);
}

void TEnumColumn::DeleteRow(int index) {
    CheckRow(index);
    Values.erase(Values.begin() + index);
    TColumn::DeleteRow(index);
}

int TEnumColumn::GetInt(int row) const {
    CheckRow(row);
    return Values[static_cast<std::size_t>(row)];
}

void TEnumColumn::SetInt(int row, int value) {
    int first = 0, last = 0;
    GroupRange(row, first, last);
    for (int r = first; r < last; ++r) {
        if (Values[static_cast<std::size_t>(r)] == value)
            continue;
        Values[static_cast<std::size_t>(r)] = value;
        NotifyValueChanged(r);
    }
}

std::string TEnumColumn::GetText(int row) const {
    return FormatI(GetInt(row));
}

void TEnumColumn::SetText(int row, const std::string& text) {
    CheckRow(row);
    Extended value = EvaluateEntry(text);
    if (value != std::floor(value) || value < INT32_MIN || value > INT32_MAX)
        throw EAssignError("Value must be an integer.");
    SetInt(row, static_cast<int>(value));
}

int TEnumColumn::GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const {
    return std::max(TColumn::GetWidth(metrics, pixelsPerInch), pixelsPerInch * 3 / 2);
}

void TEnumColumn::WriteData(TValueWriter& writer) const {
    TColumn::WriteData(writer);
    writer.WriteListBegin();
    for (const std::string& item : FItems)
        writer.WriteString(item);
    writer.WriteListEnd();
}

std::unique_ptr<TColumn> TEnumColumn::Clone(TGridTable* newTable) const {
    auto column = std::make_unique<TEnumColumn>(newTable);
    column->CopyCommon(*this);
    column->FItems = FItems;
    return column;
}

// ---------------------------------------------------------------- TStringColumn

std::unique_ptr<TColumn> TStringColumn::CreateFromStream(TGridTable* table, TValueReader& reader) {
    auto column = std::make_unique<TStringColumn>(table);
    column->ReadCommon(reader);
    column->Default = reader.ReadString();
    column->WidthInches = reader.ReadFloat();
    return column;
}

void TStringColumn::InsertRows(int index, int count) {
    if (index < 0 || index > RowCount() || count < 0)
        throw EGeneralError(OutOfBounds);
    InsertValues(Values, index, count, Default);
    TColumn::InsertRows(index, count);
}

void TStringColumn::DeleteRow(int index) {
    CheckRow(index);
    Values.erase(Values.begin() + index);
    TColumn::DeleteRow(index);
}

std::string TStringColumn::GetText(int row) const {
    CheckRow(row);
    return Values[static_cast<std::size_t>(row)];
}

void TStringColumn::SetText(int row, const std::string& text) {
    int first = 0, last = 0;
    GroupRange(row, first, last);
    for (int r = first; r < last; ++r) {
        Values[static_cast<std::size_t>(r)] = text;
        NotifyValueChanged(r);
    }
}

int TStringColumn::GetWidth(const QFontMetrics& metrics, int pixelsPerInch) const {
    int own = static_cast<int>(std::lround(static_cast<double>(WidthInches) * pixelsPerInch));
    return std::max(TColumn::GetWidth(metrics, pixelsPerInch), own);
}

void TStringColumn::WriteData(TValueWriter& writer) const {
    TColumn::WriteData(writer);
    writer.WriteString(Default);
    writer.WriteFloat(WidthInches);
}

std::unique_ptr<TColumn> TStringColumn::Clone(TGridTable* newTable) const {
    auto column = std::make_unique<TStringColumn>(newTable);
    column->CopyCommon(*this);
    column->Default = Default;
    column->WidthInches = WidthInches;
    return column;
}

// ---------------------------------------------------------------- column type registries

void TColumnTypeStorage::Register(std::type_index columnClass, int key, TFactory factory) {
    for (TEntry& e : Entries) {
        if (e.Class == columnClass) {
            e.Key = key;
            e.Factory = factory;
            return;
        }
    }
    Entries.push_back({columnClass, key, factory});
}

void TColumnTypeStorage::Unregister(std::type_index columnClass) {
    Entries.erase(std::remove_if(Entries.begin(), Entries.end(),
                                 [&](const TEntry& e) { return e.Class == columnClass; }),
                  Entries.end());
}

int TColumnTypeStorage::KeyOf(std::type_index columnClass) const {
    for (const TEntry& e : Entries)
        if (e.Class == columnClass)
            return e.Key;
    return -1;
}

int TColumnTypeStorage::KeyOf(const TColumn& column) const {
    return KeyOf(std::type_index(typeid(column)));
}

TColumnTypeStorage::TFactory TColumnTypeStorage::ClassOf(int key) const {
    for (const TEntry& e : Entries)
        if (e.Key == key)
            return e.Factory;
    return nullptr;
}

void TColumnTypeStorage::RegisterStandard() {
    Register(typeid(TEnumColumn), 0, &TEnumColumn::CreateFromStream);
    Register(typeid(TIntColumn), 1, &TIntColumn::CreateFromStream);
    Register(typeid(TFloatColumn), 2, &TFloatColumn::CreateFromStream);
    Register(typeid(TTableColumn), 3, &TTableColumn::CreateFromStream);
    Register(typeid(TStringColumn), 4, &TStringColumn::CreateFromStream);
}

void TColumnTypeStorage::UnregisterStandard() {
    Unregister(typeid(TEnumColumn));
    Unregister(typeid(TIntColumn));
    Unregister(typeid(TFloatColumn));
    Unregister(typeid(TTableColumn));
    Unregister(typeid(TStringColumn));
    if (!Entries.empty())
        throw EGeneralError("Column Type list not empty");
}

namespace {
// Filled at first use, emptied and checked when the program ends. A destructor cannot raise, so
// a failed check is written to standard error, where the end of a run can still be seen.
struct TColumnTypeRegistryHolder {
    TColumnTypeStorage Storage;
    TColumnTypeRegistryHolder() { Storage.RegisterStandard(); }
    ~TColumnTypeRegistryHolder() {
        try {
            Storage.UnregisterStandard();
        } catch (const std::exception& e) {
            std::cerr << e.what() << '\n';
        }
    }
};
} // namespace

TColumnTypeStorage& ColumnTypes() {
    static TColumnTypeRegistryHolder holder;
    return holder.Storage;
}

TColumnTypeStorage& ColumnChartTypes() {
    static TColumnTypeRegistryHolder holder;
    return holder.Storage;
}
