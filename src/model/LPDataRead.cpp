// Reading an input file, current layout or 2.0 layout, into the model and the host's tables.
#include "model/LPData.h"
#include "model/TableAccess.h"
#include "text/Errors.h"
#include "text/Messages.h"
#include "text/WordRead.h"
#include <algorithm>

namespace {
const char* const Incomplete = "This file either invalid or incomplete.";

// The optional sections after ANISO, in the order each pass tries them.
enum TSection {
    sWater,
    sLoads,
    sEquake,
    sLimits,
    sTies,
    sReinf,
    sSurface,
    sCircle,
    sCircl2,
    sSpencer,
    sRandom,
    sBlock,
    SectionCount
};
const char* const SectionKeywords[SectionCount] = {"WATER",  "LOADS",  "EQUAKE", "LIMITS", "TIES",   "REINF",
                                                   "SURFAC", "CIRCLE", "CIRCL2", "SPENCR", "RANDOM", "BLOCK"};
constexpr int MaxPasses = 20;

bool IsKeyword(const std::string& line, int section) {
    if (section == sSurface)
        return line == "SURFAC" || line == "SURBIS";
    return line == SectionKeywords[section];
}

class TLoader {
  public:
    TLoader(TProgramData& model, TWordReader& reader, bool currentFormat)
        : Model(model), Tables(model.Host().Tables()), Reader(reader), Current(currentFormat) {}

    void Run() {
        if (const std::string first = Line(); first == "PROFIL" || first == "PROFILE") {
            ReadProfile();
            SkipRest();
        }
        if (Line() == "SOIL") {
            ReadSoil();
            SkipRest();
        }
        std::string keyword = Line();
        if (keyword == "ANISO") {
            ReadAniso();
            SkipRest();
            keyword = Line();
        }
        for (int pass = 0; pass < MaxPasses; ++pass) {
            bool readOne = false;
            for (int section = 0; section < SectionCount; ++section) {
                if (!IsKeyword(keyword, section))
                    continue;
                readOne = true;
                const bool tookNextLine = ReadSection(section, keyword);
                // The 2.0 layout ends with its search (or user surface) section.
                if (!Current && section >= sSurface)
                    return;
                if (!tookNextLine)
                    keyword = NextKeyword(section);
            }
            if (!readOne)
                break;
        }
        // Reading ends at the first line that is no section keyword. A file we wrote ends there with
        // "EXECUT"; anything else (a keyword with a stray blank, wrong case, a damaged line) means the
        // rest of the file was not read, and the user must know before saving over it.
        if (keyword != "EXECUT")
            throw EInOutError(Incomplete);
    }

  private:
    // A whole line (keyword or title); a file that ends there is incomplete.
    std::string Line() {
        if (Reader.AtEnd())
            throw EInOutError(Incomplete);
        return Reader.ReadLine();
    }
    // The rest of the line that holds the last value read.
    void SkipRest() {
        if (!Reader.AtEnd())
            Reader.ReadLine();
    }

    // A count from the file limited to the rows that the words left could fill (`before` words still
    // come first, `perRow` is the least a row takes), so a damaged count cannot make us allocate
    // without bound. A count the file really holds is honoured whatever its size.
    int Rows(int count, int perRow, int before = 0) const {
        if (count <= 0)
            return 0;
        const std::size_t left = Reader.WordsLeft();
        const std::size_t usable = left > static_cast<std::size_t>(before) ? left - before : 0;
        const std::size_t fill = (usable + perRow - 1) / perRow;
        return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(count), fill));
    }

    // Reads the rows of a table; `forms` per column: 'P' a number, 'I' an integer, 'x' a column that
    // the file does not hold.
    template <class Table> void ReadRows(Table& table, const char* forms) {
        const int rows = table.RowCount();
        for (int row = 0; row < rows; ++row)
            for (int col = 0; forms[col] != '\0'; ++col) {
                if (forms[col] == 'P')
                    table.Cell(col, row).SetFloat(Reader.ReadFloat());
                else if (forms[col] == 'I')
                    table.Cell(col, row).SetInt(Reader.ReadInteger());
            }
    }
    // A sub-table with its count: `count` rows of `perRow` values.
    void ReadCounted(TGridTable* table, int count, const char* forms) {
        const int perRow = static_cast<int>(std::char_traits<char>::length(forms));
        // A row without its sub-table cannot hold the values; stopping with a message beats dropping
        // them silently (the program's own table definitions always give one).
        if (!table)
            throw EGeneralError("Data of wrong type");
        table->SetRowCount(Rows(count, perRow));
        ReadRows(*table, forms);
    }

    void ReadProfile() {
        Model.Title = Line();
        auto& bound = Tables.BoundCood();
        bound.SetRowCount(Rows(Reader.ReadInteger(), 5, Current ? 2 : 1));
        Model.SurfaceBoundaryCount = Reader.ReadInteger();
        // The tables are still empty and the scalars at their defaults: only the unit system and the
        // labels change, the numbers that follow are taken as written.
        if (Current)
            Model.SetUnitSystem(Reader.ReadInteger());
        ReadRows(bound, "PPPPI");
    }

    void ReadSoil() {
        auto& soil = Tables.SoilData();
        soil.SetRowCount(Rows(Reader.ReadInteger(), 7));
        ReadRows(soil, "PPPPPPI");
    }

    void ReadAniso() {
        auto& soil = Tables.SoilData();
        const int blocks = Reader.ReadInteger();
        // Each block takes at least two words, so a wrong count runs out of words, never of memory.
        for (int block = 0; block < blocks; ++block) {
            const int number = Reader.ReadInteger();
            const int rows = Reader.ReadInteger();
            if (number < 1 || number > soil.RowCount())
                throw EInOutError(Incomplete);
            ReadCounted(AnisotropyOf(soil, number - 1), rows, "PPP");
        }
    }

    void ReadSearchBlock() {
        Model.InitiationPoints = Reader.ReadInteger();
        Model.SurfacesPerPoint = Reader.ReadInteger();
        for (Extended* v : {&Model.LeftInitiationX, &Model.RightInitiationX, &Model.LeftTerminationX,
                            &Model.RightTerminationX, &Model.MinimumElevation, &Model.SegmentLength,
                            &Model.CcwLimit, &Model.CwLimit})
            *v = Reader.ReadFloat();
    }

    // 2.0 layout: one integer and, when it is positive, a second one, both without use here.
    void SkipOldSearchIntegers() {
        if (!Current && Reader.ReadInteger() > 0)
            Reader.ReadInteger();
    }

    // Reads one section whose keyword was just read. Returns true when the section already took the
    // line that follows it as `keyword` (SPENCR without its CIRCL2 line).
    bool ReadSection(int section, std::string& keyword) {
        switch (section) {
        case sWater: {
            Model.HasWater = 1;
            auto& set = Tables.WaterSurfaceSet();
            set.SetRowCount(Rows(Reader.ReadInteger(), 1, Current ? 1 : 2));
            if (!Current)
                Reader.ReadInteger();
            Model.WaterUnitWeight = Reader.ReadFloat();
            for (int row = 0; row < set.RowCount(); ++row) {
                const int count = Reader.ReadInteger();
                ReadCounted(PointsOf(set, row), count, "PP");
            }
            break;
        }
        case sLoads: {
            Model.HasSurcharge = 1;
            auto& loads = Tables.SurchargeLoad();
            loads.SetRowCount(Rows(Reader.ReadInteger(), 4));
            ReadRows(loads, "PPPP");
            break;
        }
        case sEquake:
            Model.HasEarthquake = 1;
            Model.HorizontalCoefficient = Reader.ReadFloat();
            Model.VerticalCoefficient = Reader.ReadFloat();
            Model.CavitationPressure = Reader.ReadFloat();
            break;
        case sLimits: {
            Model.HasLimits = 1;
            auto& limits = Tables.limit();
            limits.SetRowCount(Rows(Reader.ReadInteger(), 4, 1));
            Reader.ReadInteger(); // the count once more
            ReadRows(limits, "PPPP");
            break;
        }
        case sTies: {
            Model.HasTiebacks = 1;
            auto& ties = Tables.TiebackCoord();
            ties.SetRowCount(Rows(Reader.ReadInteger(), Current ? 7 : 6));
            ReadRows(ties, Current ? "IPPPPPP" : "IxPPPPP");
            break;
        }
        case sReinf: {
            Model.UseSurbis = 1;
            Model.HasReinforcement = 1;
            auto& sets = Tables.ReinEarthLayerSet();
            sets.SetRowCount(Rows(Reader.ReadInteger(), 1));
            for (int row = 0; row < sets.RowCount(); ++row) {
                const int count = Reader.ReadInteger();
                ReadCounted(LayersOf(sets, row), count, "PPPP");
            }
            break;
        }
        case sSurface: {
            Model.HasUserSurface = 1;
            Model.SearchKind = 1;
            auto& surface = Tables.FailSurfaceChart();
            surface.SetRowCount(Rows(Reader.ReadInteger(), 2));
            ReadRows(surface, "PP");
            break;
        }
        case sCircle:
            Model.HasJanbuSearch = 1;
            Model.SearchKind = 2;
            SkipOldSearchIntegers();
            ReadSearchBlock();
            break;
        case sCircl2:
            Model.HasBishopSearch = 1;
            Model.SearchKind = 3;
            ReadSearchBlock();
            break;
        case sSpencer: {
            Model.HasSpencerSearch = 1;
            Model.SearchKind = 6;
            Model.InterSliceAngle = Reader.ReadFloat();
            SkipRest();
            const std::string next = Line();
            if (next != "CIRCL2") {
                // No search values: the line is the next keyword.
                keyword = next;
                return true;
            }
            ReadSearchBlock();
            break;
        }
        case sRandom:
            Model.HasIrregularSearch = 1;
            Model.SearchKind = 4;
            SkipOldSearchIntegers();
            ReadSearchBlock();
            break;
        case sBlock: {
            Model.HasBlockSearch = 1;
            Model.SearchKind = 5;
            SkipOldSearchIntegers();
            auto& boxes = Tables.BoxCoord();
            Model.SurfacesPerPoint = Reader.ReadInteger();
            boxes.SetRowCount(Rows(Reader.ReadInteger(), 5, 1));
            Model.BlockSegmentLength = Reader.ReadFloat();
            if (boxes.RowCount() == 0)
                SkipRest();
            // Every box stands on a line of its own.
            for (int row = 0; row < boxes.RowCount(); ++row) {
                for (int col = 0; col < 5; ++col)
                    boxes.Cell(col, row).SetFloat(Reader.ReadFloat());
                SkipRest();
            }
            BlockLinesDone = true;
            break;
        }
        default:
            break;
        }
        return false;
    }

    // The keyword after a section: the rest of the line of the section's last value is passed over
    // first (the block search has done that with its last box already).
    std::string NextKeyword(int section) {
        if (!(section == sBlock && BlockLinesDone))
            SkipRest();
        BlockLinesDone = false;
        return Line();
    }

    TProgramData& Model;
    TTableSet& Tables;
    TWordReader& Reader;
    const bool Current;
    bool BlockLinesDone = false;
};
} // namespace

std::unique_ptr<TProgramData> TProgramData::CreateFromFile(const std::string& path, bool currentFormat,
                                                           IModelHost& host) {
    std::unique_ptr<TProgramData> model = CreateNew(host);
    model->FileName = path;
    model->UnitSystem = 1;
    ForEachTable(host.Tables(), [](auto& table) { table.SetRowCount(0); });
    model->ReadFile(path, currentFormat);
    host.Tables().PadToMinRows();
    host.SetModified(false);
    return model;
}

void TProgramData::ReadFile(const std::string& path, bool currentFormat) {
    // Whatever goes wrong, the values read so far stay and the user is told why reading stopped.
    try {
        TWordReader reader(path);
        TLoader(*this, reader, currentFormat).Run();
    } catch (const std::exception& e) {
        Host().Context().Inform(e.what());
    }
}
