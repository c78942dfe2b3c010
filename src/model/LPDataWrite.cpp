// Writing the model in the current input-file layout.
#include "model/LPData.h"
#include "model/TableAccess.h"
#include <vector>

namespace {
class TFileText {
  public:
    void Line(const std::string& text) {
        Text += text;
        Text += "\r\n";
    }
    void Fields(std::initializer_list<std::string> fields) {
        std::string line;
        for (const std::string& f : fields) {
            if (!line.empty())
                line += ' ';
            line += f;
        }
        Line(line);
    }
    std::string Text;
};

std::string I(std::int64_t value) {
    return FormatI(value);
}
std::string P(Extended value) {
    return FormatP(value);
}

// One line per row. `forms` gives the form of each column from the first on: 'P' a number cell in
// form P (its shown text with the point rule), 'I' an integer cell as shown.
template <class Table> void WriteRows(TFileText& out, Table& table, const char* forms) {
    const int rows = table.RowCount();
    for (int row = 0; row < rows; ++row) {
        std::string line;
        for (int col = 0; forms[col] != '\0'; ++col) {
            if (col > 0)
                line += ' ';
            const std::string text = table.Cell(col, row).GetText();
            line += forms[col] == 'P' ? ApplyP(text) : text;
        }
        out.Line(line);
    }
}

// A table with a count line of its own: its row count (0 for none) and its rows.
template <class Table> void WriteCountedRows(TFileText& out, Table* table, const char* forms) {
    out.Line(I(table ? table->RowCount() : 0));
    if (table)
        WriteRows(out, *table, forms);
}

// The title stands on one line; a line break inside it would split the file's structure.
std::string TitleLine(std::string title) {
    for (char& c : title)
        if (c == '\r' || c == '\n')
            c = ' ';
    return title;
}

// A soil type's anisotropy table is worth writing as soon as any of its values differs from the
// default 0; a table of zeros only is what every soil type has when no anisotropy was entered.
template <class Table> bool HasAnisotropyData(Table* table) {
    if (!table)
        return false;
    for (int row = 0; row < table->RowCount(); ++row)
        for (int col = 0; col < 3; ++col)
            if ((*table).Cell(col, row).GetFloat() != 0)
                return true;
    return false;
}
} // namespace

std::string TProgramData::FileText() const {
    TTableSet& tables = Host().Tables();
    TFileText out;

    auto& bound = tables.BoundCood();
    out.Line("PROFIL");
    out.Line(TitleLine(Title));
    out.Fields({I(bound.RowCount()), I(SurfaceBoundaryCount), I(UnitSystem)});
    WriteRows(out, bound, "PPPPI");

    auto& soil = tables.SoilData();
    out.Line("SOIL");
    out.Line(I(soil.RowCount()));
    WriteRows(out, soil, "PPPPPPI");

    // The count line always equals the blocks that follow, and every soil type with anisotropy data
    // gets its block.
    std::vector<int> anisoSoils;
    for (int row = 0; row < soil.RowCount(); ++row)
        if (HasAnisotropyData(AnisotropyOf(soil, row)))
            anisoSoils.push_back(row);
    if (!anisoSoils.empty()) {
        out.Line("ANISO");
        out.Line(I(static_cast<std::int64_t>(anisoSoils.size())));
        for (int row : anisoSoils) {
            auto* aniso = AnisotropyOf(soil, row);
            out.Fields({I(row + 1), I(aniso->RowCount())});
            WriteRows(out, *aniso, "PPP");
        }
    }

    if (HasWater) {
        auto& set = tables.WaterSurfaceSet();
        out.Line("WATER");
        out.Fields({I(set.RowCount()), FormatG(WaterUnitWeight)});
        // Every surface gets its count line, an empty one too, since the reader expects one each.
        for (int row = 0; row < set.RowCount(); ++row)
            WriteCountedRows(out, PointsOf(set, row), "PP");
    }

    if (HasSurcharge) {
        auto& loads = tables.SurchargeLoad();
        out.Line("LOADS");
        out.Line(I(loads.RowCount()));
        WriteRows(out, loads, "PPPP");
    }

    if (HasEarthquake) {
        out.Line("EQUAKE");
        out.Fields(
            {FormatF2(HorizontalCoefficient), FormatF2(VerticalCoefficient), FormatF2(CavitationPressure)});
    }

    if (HasLimits) {
        auto& limits = tables.limit();
        out.Line("LIMITS");
        out.Fields({I(limits.RowCount()), I(limits.RowCount())});
        WriteRows(out, limits, "PPPP");
    }

    if (HasTiebacks) {
        auto& ties = tables.TiebackCoord();
        out.Line("TIES");
        out.Line(I(ties.RowCount()));
        WriteRows(out, ties, "IPPPPPP");
    }

    if (HasReinforcement) {
        auto& sets = tables.ReinEarthLayerSet();
        out.Line("REINF");
        out.Line(I(sets.RowCount()));
        for (int row = 0; row < sets.RowCount(); ++row)
            WriteCountedRows(out, LayersOf(sets, row), "PPPP");
    }

    if (HasUserSurface && SearchKind == 1) {
        auto& surface = tables.FailSurfaceChart();
        out.Line(UseSurbis == 0 ? "SURFAC" : "SURBIS");
        out.Line(I(surface.RowCount()));
        WriteRows(out, surface, "PP");
    }

    // The counts are written as plain integers: identical to their general form below 10^8, and
    // exact beyond it.
    const auto searchBlock = [&] {
        out.Fields({I(InitiationPoints), I(SurfacesPerPoint)});
        out.Fields({P(LeftInitiationX), P(RightInitiationX), P(LeftTerminationX), P(RightTerminationX)});
        out.Fields({P(MinimumElevation), P(SegmentLength), P(CcwLimit), P(CwLimit)});
    };
    switch (SearchKind) {
    case 2:
        out.Line("CIRCLE");
        searchBlock();
        break;
    case 3:
        out.Line("CIRCL2");
        searchBlock();
        break;
    case 6:
        out.Line("SPENCR");
        out.Line(P(InterSliceAngle));
        out.Line("CIRCL2");
        out.Fields({I(InitiationPoints), I(SurfacesPerPoint)});
        out.Fields({P(LeftInitiationX), P(RightInitiationX), P(LeftTerminationX), P(RightTerminationX),
                    P(MinimumElevation), P(SegmentLength), P(CcwLimit), P(CwLimit)});
        break;
    case 4:
        out.Line("RANDOM");
        searchBlock();
        break;
    case 5: {
        auto& boxes = tables.BoxCoord();
        out.Line("BLOCK");
        out.Fields({I(SurfacesPerPoint), I(boxes.RowCount()), P(BlockSegmentLength)});
        WriteRows(out, boxes, "PPPPP");
        break;
    }
    default:
        break;
    }

    out.Line("EXECUT");
    return out.Text;
}
