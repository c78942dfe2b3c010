#pragma once
// The fourteen tables of the slope model, created once from their definitions (resources/tables)
// in component order. Every part of the program that needs a table takes it from the one set.
#include "tables/TableChart.h"
#include <memory>
#include <string>
#include <vector>

struct TTableDefinition;

class TTableSet {
  public:
    // Reads the definitions compiled into the program. Every table gets `context` (which must
    // outlive the set; null: no editor windows, messages to standard error).
    explicit TTableSet(const TCoreContext* context = nullptr);
    // Reads definitions given as text (tests, tools).
    explicit TTableSet(const std::string& definitionText, const TCoreContext* context = nullptr);
    ~TTableSet();
    TTableSet(const TTableSet&) = delete;
    TTableSet& operator=(const TTableSet&) = delete;

    // The component names in component order: BoundCood, SoilData, Anisotropy, WaterSurfaceSet,
    // Piezometric, SurchargeLoad, limit, TiebackCoord, ReinEarthLayerSet, ReinEarthData,
    // FailSurfaceChart, BoxCoord, FailSurface, PiezoData.
    static const std::vector<std::string>& ComponentNames();

    int Count() const { return static_cast<int>(Tables.size()); }
    TGridTable& Table(int index) const;
    const std::string& Name(int index) const;
    TGridTable* Find(const std::string& name) const;
    TGridTable& Get(const std::string& name) const; // EGeneralError for an unknown name

    TGridTableChart& BoundCood() const;
    TGridTable& SoilData() const;
    TGridTable& Anisotropy() const;
    TGridTable& WaterSurfaceSet() const;
    TGridTable& Piezometric() const;
    TGridTable& SurchargeLoad() const;
    TGridTable& limit() const;
    TGridTable& TiebackCoord() const;
    TGridTable& ReinEarthLayerSet() const;
    TGridTable& ReinEarthData() const;
    TGridTableChart& FailSurfaceChart() const;
    TGridTable& BoxCoord() const;
    TGridTable& FailSurface() const;
    TGridTable& PiezoData() const;

    // New model: every table, in component order, SetRowCount(0) then SetRowCount(MinRows).
    void Reset();
    // Pads every table below MinRows up to MinRows with default rows (after loading a file).
    void PadToMinRows();
    bool Changed() const;
    void ResetChanged();
    void SetUnitSystem(int system);
    void CloseEditors();

  private:
    void Load(const std::string& definitionText);
    static void PlaceIdentifiers(std::vector<TTableDefinition>& defs);
    // This set's live tables: its tables and their sub-tables are numbered here, apart from other sets.
    std::shared_ptr<TLiveTables> FLive = std::make_shared<TLiveTables>();
    std::vector<std::unique_ptr<TGridTable>> Tables;
    std::vector<std::string> Names;
};

// The definition text compiled into the program (resources/tables/MainTables.tables).
std::string BuiltInTableDefinitions();

// Reads table definitions: a sequence of blocks
//   table <Name>: TGridTable|TGridTableChart
//     <Property> = <value>     (Caption, Comments, Identifier, MaxRows, MinRows, RowGroup, TopLeft,
//                               HardwiredButton, HelpPicture, and for chart tables GetDataFromFile,
//                               OKCancelButtons, InvertedXAxis, InvertedYAxis)
//     Col = { <values of the "Col" stream in the text form of ColStream.h> }
//   end
// Raises EGeneralError "Line %d: <reason>" or the stream reader's message for the table.
struct TTableDefinition {
    std::string Name;
    std::unique_ptr<TGridTable> Table;
    int DeclaredIdentifier = -1; // the "Identifier" of the text when it was not applied (below)
};
// applyIdentifiers false: the declared identifiers are only recorded in DeclaredIdentifier, for the
// caller to place once all tables exist. The tables join `live` (a set's live tables), or without it
// live tables of their own, shared among them: their templates find each other by identifier.
std::vector<TTableDefinition> ReadTableDefinitions(const std::string& text, bool applyIdentifiers = true,
                                                   std::shared_ptr<TLiveTables> live = nullptr);
// Writes one table in the same form (used to check that definitions round-trip).
std::string WriteTableDefinition(const std::string& name, const TGridTable& table);
