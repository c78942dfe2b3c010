#include "tables/TableSet.h"
#include "tables/ColStream.h"
#include "text/Errors.h"
#include "text/Trim.h"
#include <QFile>
#include <QImage>
#include <QString>
#include <map>
#include <set>

namespace {
[[noreturn]] void DefinitionError(int line, const std::string& reason) {
    throw ELineError("Line " + std::to_string(line) + ": " + reason);
}

// One property value in the token grammar of the "Col" text form.
TValueReader PropertyValue(const std::string& text, int line) {
    std::string bytes = ValuesFromText(text, line);
    return TValueReader(bytes);
}

void SetProperty(TTableDefinition& def, bool applyIdentifiers, const std::string& name,
                 const std::string& value, int line) {
    TGridTable& table = *def.Table;
    TValueReader r = PropertyValue(value, line);
    auto* chart = dynamic_cast<TGridTableChart*>(&table);
    try {
        if (name == "Caption")
            table.SetCaption(r.ReadString());
        else if (name == "Comments")
            table.SetComments(r.ReadString());
        else if (name == "TopLeft")
            table.SetTopLeft(r.ReadString());
        else if (name == "Identifier") {
            def.DeclaredIdentifier = r.ReadInteger();
            if (applyIdentifiers)
                table.SetIdentifier(def.DeclaredIdentifier);
        } else if (name == "MaxRows")
            table.SetMaxRows(r.ReadInteger());
        else if (name == "MinRows")
            table.SetMinRows(r.ReadInteger());
        else if (name == "RowGroup")
            table.SetRowGroup(r.ReadInteger());
        else if (name == "HardwiredButton")
            table.SetHardwiredButton(r.ReadBoolean());
        else if (name == "HelpPicture") {
            std::string path = r.ReadString();
            QImage picture(QString::fromStdString(path));
            if (picture.isNull())
                DefinitionError(line, "picture \"" + path + "\" cannot be read");
            table.SetHelpPicture(picture);
        } else if (chart && name == "GetDataFromFile")
            chart->GetDataFromFile = r.ReadBoolean();
        else if (chart && name == "OKCancelButtons")
            chart->OKCancelButtons = r.ReadBoolean();
        else if (chart && name == "InvertedXAxis")
            chart->InvertedXAxis = r.ReadBoolean();
        else if (chart && name == "InvertedYAxis")
            chart->InvertedYAxis = r.ReadBoolean();
        else
            DefinitionError(line, "unknown property \"" + name + "\"");
    } catch (const ELineError&) {
        throw;
    } catch (const EGeneralError& e) {
        DefinitionError(line, name + ": " + e.what());
    }
    if (!r.AtEnd())
        DefinitionError(line, name + ": more than one value");
}
} // namespace

std::vector<TTableDefinition> ReadTableDefinitions(const std::string& text, bool applyIdentifiers,
                                                   std::shared_ptr<TLiveTables> live) {
    if (!live)
        live = std::make_shared<TLiveTables>();
    std::vector<TTableDefinition> result;
    std::vector<std::string> lines;
    {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                lines.push_back(text.substr(start));
                break;
            }
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
    }
    TTableDefinition* current = nullptr;
    int currentLine = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        std::string line = Trim(lines[i]);
        if (line.empty() || line[0] == '#')
            continue;
        if (!current) {
            // table <Name>: <Class>
            if (line.rfind("table ", 0) != 0)
                DefinitionError(lineNo, "\"table <Name>: <Class>\" expected");
            std::size_t colon = line.find(':');
            if (colon == std::string::npos)
                DefinitionError(lineNo, "\"table <Name>: <Class>\" expected");
            std::string name = Trim(line.substr(6, colon - 6));
            std::string cls = Trim(line.substr(colon + 1));
            if (name.empty())
                DefinitionError(lineNo, "table name missing");
            TTableDefinition def;
            def.Name = name;
            if (cls == "TGridTable")
                def.Table = std::make_unique<TGridTable>(live, nullptr);
            else if (cls == "TGridTableChart")
                def.Table = std::make_unique<TGridTableChart>(live, nullptr);
            else
                DefinitionError(lineNo, "unknown table class \"" + cls + "\"");
            def.Table->Loading = true;
            result.push_back(std::move(def));
            current = &result.back();
            currentLine = lineNo;
            continue;
        }
        if (line == "end") {
            current->Table->Loading = false;
            current = nullptr;
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            DefinitionError(lineNo, "\"<Property> = <value>\" expected");
        std::string name = Trim(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        if (name == "Col") {
            if (value != "{")
                DefinitionError(lineNo, "\"Col = {\" expected");
            std::string body;
            std::size_t j = i + 1;
            for (; j < lines.size(); ++j) {
                if (Trim(lines[j]) == "}")
                    break;
                body += lines[j];
                body += '\n';
            }
            if (j == lines.size())
                DefinitionError(lineNo, "\"}\" missing");
            std::string bytes = ValuesFromText(body, lineNo + 1);
            try {
                current->Table->ReadCol(bytes);
            } catch (const EBrevantoError& e) {
                throw EGeneralError("Table " + current->Name + ": " + e.what());
            }
            i = j;
            continue;
        }
        SetProperty(*current, applyIdentifiers, name, value, lineNo);
    }
    if (current)
        DefinitionError(currentLine, "table " + current->Name + " has no \"end\"");
    return result;
}

std::string WriteTableDefinition(const std::string& name, const TGridTable& table) {
    auto* chart = dynamic_cast<const TGridTableChart*>(&table);
    std::string out = "table " + name + ": " + (chart ? "TGridTableChart" : "TGridTable") + "\n";
    auto prop = [&](const std::string& key, const std::string& value) {
        out += "  " + key + " = " + value + "\n";
    };
    auto flag = [](bool b) { return std::string(b ? "true" : "false"); };
    prop("Identifier", std::to_string(table.Identifier()));
    prop("Caption", QuoteText(table.Caption()));
    if (!table.Comments().empty())
        prop("Comments", QuoteText(table.Comments()));
    prop("MaxRows", std::to_string(table.MaxRows()));
    prop("MinRows", std::to_string(table.MinRows()));
    if (table.RowGroup() != 1)
        prop("RowGroup", std::to_string(table.RowGroup()));
    if (!table.TopLeft().empty())
        prop("TopLeft", QuoteText(table.TopLeft()));
    if (table.HardwiredButton())
        prop("HardwiredButton", "true");
    if (chart) {
        prop("GetDataFromFile", flag(chart->GetDataFromFile));
        prop("OKCancelButtons", flag(chart->OKCancelButtons));
        prop("InvertedXAxis", flag(chart->InvertedXAxis));
        prop("InvertedYAxis", flag(chart->InvertedYAxis));
    }
    out += "  Col = {\n" + ValuesToText(table.WriteCol(), "    ") + "  }\nend\n";
    return out;
}

std::string BuiltInTableDefinitions() {
    // Compiled in as a Qt resource, so an installed program never looks for its source folder.
    QFile file(QStringLiteral(":/brevanto/tables/MainTables.tables"));
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError("The table definitions cannot be read: " + file.errorString().toStdString());
    return file.readAll().toStdString();
}

// ---------------------------------------------------------------- TTableSet

const std::vector<std::string>& TTableSet::ComponentNames() {
    static const std::vector<std::string> names = {
        "BoundCood",        "SoilData", "Anisotropy",   "WaterSurfaceSet",   "Piezometric",
        "SurchargeLoad",    "limit",    "TiebackCoord", "ReinEarthLayerSet", "ReinEarthData",
        "FailSurfaceChart", "BoxCoord", "FailSurface",  "PiezoData"};
    return names;
}

TTableSet::TTableSet(const TCoreContext* context) {
    Load(BuiltInTableDefinitions());
    for (const auto& t : Tables)
        t->SetContext(context);
}
TTableSet::TTableSet(const std::string& definitionText, const TCoreContext* context) {
    Load(definitionText);
    for (const auto& t : Tables)
        t->SetContext(context);
}

TTableSet::~TTableSet() {
    CloseEditors();
    // Newest first, which keeps the registry's removals short.
    while (!Tables.empty())
        Tables.pop_back();
}

void TTableSet::Load(const std::string& definitionText) {
    std::vector<TTableDefinition> defs = ReadTableDefinitions(definitionText, false, FLive);
    const std::vector<std::string>& names = ComponentNames();
    if (defs.size() != names.size())
        throw EGeneralError("The table definitions hold " + std::to_string(defs.size()) +
                            " tables instead of " + std::to_string(names.size()));
    for (std::size_t i = 0; i < defs.size(); ++i) {
        if (defs[i].Name != names[i])
            throw EGeneralError("The table definitions name \"" + defs[i].Name + "\" where \"" + names[i] +
                                "\" belongs");
        bool chart = defs[i].Table->IsChart();
        bool wanted = names[i] == "BoundCood" || names[i] == "FailSurfaceChart";
        if (chart != wanted)
            throw EGeneralError("The table " + names[i] + " has the wrong class");
    }
    PlaceIdentifiers(defs);
    for (TTableDefinition& d : defs) {
        Names.push_back(d.Name);
        Tables.push_back(std::move(d.Table));
    }
    Reset();
}

// The sub-table columns name their templates by identifier. A set takes the identifiers its
// definitions declare when they are free among its live tables; when a table outside the definitions
// already holds one, the set's table keeps the fresh identifier it was given and the set's own
// template references follow it, so that table keeps its identifier. (Each set numbers its tables on
// its own, so another set's tables never stand in the way.)
void TTableSet::PlaceIdentifiers(std::vector<TTableDefinition>& defs) {
    std::set<const TGridTable*> batch;
    for (const TTableDefinition& d : defs)
        batch.insert(d.Table.get());
    std::vector<std::pair<int, const TGridTable*>> kept; // declared identifier, table that kept its own
    for (TTableDefinition& d : defs) {
        if (d.DeclaredIdentifier < 0)
            continue;
        const TGridTable* holder = d.Table->Registry().FindIdentifier(d.DeclaredIdentifier);
        if (!holder || batch.count(holder))
            d.Table->SetIdentifier(d.DeclaredIdentifier); // a swap inside the new set is harmless
        else
            kept.emplace_back(d.DeclaredIdentifier, d.Table.get());
    }
    // Built after all placing, since a swap may still have changed a kept table's identifier.
    std::map<std::pair<const TTableFamily*, int>, int> moved; // (family, declared) -> actual
    for (const auto& [declared, table] : kept)
        moved[{&table->Family(), declared}] = table->Identifier();
    if (moved.empty())
        return;
    for (TTableDefinition& d : defs) {
        for (int c = 0; c < d.Table->ColumnCount(); ++c) {
            auto* column = dynamic_cast<TTableColumn*>(&d.Table->Column(c));
            if (!column)
                continue;
            TGridTableList& templates = column->Templates;
            for (int i = 0; i < templates.Count(); ++i) {
                const TIntWrapper& entry = templates.Entry(i);
                if (!entry.IsIdentifier)
                    continue;
                auto it = moved.find({&d.Table->Family(), entry.Value});
                if (it != moved.end())
                    templates.Set(i, it->second, true);
            }
        }
    }
}

TGridTable& TTableSet::Table(int index) const {
    if (index < 0 || index >= Count())
        throw EGeneralError("Index out of bounds");
    return *Tables[static_cast<std::size_t>(index)];
}

const std::string& TTableSet::Name(int index) const {
    if (index < 0 || index >= Count())
        throw EGeneralError("Index out of bounds");
    return Names[static_cast<std::size_t>(index)];
}

TGridTable* TTableSet::Find(const std::string& name) const {
    for (std::size_t i = 0; i < Names.size(); ++i)
        if (Names[i] == name)
            return Tables[i].get();
    return nullptr;
}

TGridTable& TTableSet::Get(const std::string& name) const {
    TGridTable* t = Find(name);
    if (!t)
        throw EGeneralError("No table named \"" + name + "\"");
    return *t;
}

TGridTableChart& TTableSet::BoundCood() const {
    return static_cast<TGridTableChart&>(Table(0));
}
TGridTable& TTableSet::SoilData() const {
    return Table(1);
}
TGridTable& TTableSet::Anisotropy() const {
    return Table(2);
}
TGridTable& TTableSet::WaterSurfaceSet() const {
    return Table(3);
}
TGridTable& TTableSet::Piezometric() const {
    return Table(4);
}
TGridTable& TTableSet::SurchargeLoad() const {
    return Table(5);
}
TGridTable& TTableSet::limit() const {
    return Table(6);
}
TGridTable& TTableSet::TiebackCoord() const {
    return Table(7);
}
TGridTable& TTableSet::ReinEarthLayerSet() const {
    return Table(8);
}
TGridTable& TTableSet::ReinEarthData() const {
    return Table(9);
}
TGridTableChart& TTableSet::FailSurfaceChart() const {
    return static_cast<TGridTableChart&>(Table(10));
}
TGridTable& TTableSet::BoxCoord() const {
    return Table(11);
}
TGridTable& TTableSet::FailSurface() const {
    return Table(12);
}
TGridTable& TTableSet::PiezoData() const {
    return Table(13);
}

void TTableSet::Reset() {
    for (auto& t : Tables) {
        t->SetRowCount(0);
        t->SetRowCount(t->MinRows());
    }
}

void TTableSet::PadToMinRows() {
    for (auto& t : Tables)
        if (t->RowCount() < t->MinRows())
            t->SetRowCount(t->MinRows());
}

bool TTableSet::Changed() const {
    for (const auto& t : Tables)
        if (t->Changed())
            return true;
    return false;
}

void TTableSet::ResetChanged() {
    for (auto& t : Tables)
        t->ResetChanged();
}

void TTableSet::SetUnitSystem(int system) {
    for (auto& t : Tables)
        t->SetUnitSystem(system);
}

void TTableSet::CloseEditors() {
    for (auto& t : Tables)
        t->CloseEditor();
}
