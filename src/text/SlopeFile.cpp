// Reading and writing the input file's sections, current layout and 2.0 layout.
#include "text/SlopeFile.h"
#include "text/Errors.h"
#include "text/NumberRounding.h"
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

bool IsBlank(const std::string& line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

class TSectionReader {
  public:
    TSectionReader(TWordReader& reader, bool currentLayout, TSlopeDescription& out)
        : Reader(reader), Current(currentLayout), D(out), S(out.Settings) {}

    void Run() {
        if (const std::string first = Keyword(); first == "PROFIL" || first == "PROFILE") {
            ReadProfile();
            SkipRest();
        }
        if (Keyword() == "SOIL") {
            ReadSoil();
            SkipRest();
        }
        std::string keyword = Keyword();
        if (keyword == "ANISO") {
            ReadAniso();
            SkipRest();
            keyword = Keyword();
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
    // A whole line, for the title; a file that ends there is incomplete.
    std::string Line() {
        if (Reader.AtEnd())
            throw EInOutError(Incomplete);
        return Reader.ReadLine();
    }
    // A line where a section keyword stands: blank lines before it are passed over (a blank line
    // between sections is what a person editing the file by hand leaves most often).
    std::string Keyword() {
        std::string line = Line();
        while (IsBlank(line))
            line = Line();
        return line;
    }
    // The rest of the line that holds the last value read.
    void SkipRest() {
        if (!Reader.AtEnd())
            Reader.ReadLine();
    }

    Extended Float() { return Reader.ReadFloat(); }
    int Int() { return Reader.ReadInteger(); }

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

    // Sizes `rows` to `count` default rows first, then fills them in order, so that an error keeps
    // the announced rows with what was read.
    template <class Row, class Fill> void ReadRows(std::vector<Row>& rows, int count, Fill fill) {
        rows.assign(static_cast<std::size_t>(count), Row());
        for (Row& row : rows)
            fill(row);
    }

    void ReadPoints(std::vector<TSlopePoint>& points, int count) {
        ReadRows(points, count, [this](TSlopePoint& p) {
            p.X = Float();
            p.Y = Float();
        });
    }

    void ReadProfile() {
        S.Title = Line();
        const int count = Rows(Int(), 5, Current ? 2 : 1);
        // The rows are announced before the remaining counts are read.
        D.Boundaries.assign(static_cast<std::size_t>(count), TSlopeBoundary());
        S.SurfaceBoundaryCount = Int();
        if (Current)
            S.UnitSystem = Int();
        D.ProfileRead = true;
        for (TSlopeBoundary& b : D.Boundaries) {
            b.LeftX = Float();
            b.LeftY = Float();
            b.RightX = Float();
            b.RightY = Float();
            b.Soil = Int();
        }
    }

    void ReadSoil() {
        ReadRows(D.Soils, Rows(Int(), 7), [this](TSlopeSoil& s) {
            s.MoistUnitWeight = Float();
            s.SaturatedUnitWeight = Float();
            s.Cohesion = Float();
            s.FrictionAngle = Float();
            s.PorePressureCoefficient = Float();
            s.PorePressureConstant = Float();
            s.PiezometricSurface = Int();
        });
    }

    void ReadAniso() {
        const int blocks = Int();
        // Each block takes at least two words, so a wrong count runs out of words, never of memory.
        for (int block = 0; block < blocks; ++block) {
            const int number = Int();
            const int rows = Int();
            if (number < 1 || number > static_cast<int>(D.Soils.size()))
                throw EInOutError(Incomplete);
            TSlopeSoil& soil = D.Soils[static_cast<std::size_t>(number - 1)];
            soil.AnisotropyRead = true;
            ReadRows(soil.Anisotropy, Rows(rows, 3), [this](TSlopeAnisotropy& a) {
                a.DirectionLimit = Float();
                a.Cohesion = Float();
                a.FrictionAngle = Float();
            });
        }
    }

    void ReadSearchBlock() {
        S.InitiationPoints = Int();
        S.SurfacesPerPoint = Int();
        for (Extended* v :
             {&S.LeftInitiationX, &S.RightInitiationX, &S.LeftTerminationX, &S.RightTerminationX,
              &S.MinimumElevation, &S.SegmentLength, &S.CcwLimit, &S.CwLimit})
            *v = Float();
    }

    // 2.0 layout: one integer and, when it is positive, a second one, both without use here.
    void SkipOldSearchIntegers() {
        if (!Current && Int() > 0)
            Int();
    }

    // Reads one section whose keyword was just read. Returns true when the section already took the
    // line that follows it as `keyword` (SPENCR without its CIRCL2 line).
    bool ReadSection(int section, std::string& keyword) {
        switch (section) {
        case sWater: {
            S.HasWater = 1;
            const int count = Rows(Int(), 1, Current ? 1 : 2);
            D.WaterSurfaces.assign(static_cast<std::size_t>(count), TSlopeWaterSurface());
            if (!Current)
                Int();
            S.WaterUnitWeight = Float();
            for (TSlopeWaterSurface& w : D.WaterSurfaces) {
                const int points = Int();
                w.PointsRead = true;
                ReadPoints(w.Points, Rows(points, 2));
            }
            break;
        }
        case sLoads:
            S.HasSurcharge = 1;
            ReadRows(D.Loads, Rows(Int(), 4), [this](TSlopeLoad& l) {
                l.LeftX = Float();
                l.RightX = Float();
                l.Intensity = Float();
                l.Inclination = Float();
            });
            break;
        case sEquake:
            S.HasEarthquake = 1;
            S.HorizontalCoefficient = Float();
            S.VerticalCoefficient = Float();
            S.CavitationPressure = Float();
            break;
        case sLimits: {
            S.HasLimits = 1;
            const int count = Rows(Int(), 4, 1);
            D.Limits.assign(static_cast<std::size_t>(count), TSlopeLimit());
            Int(); // the count once more
            for (TSlopeLimit& l : D.Limits) {
                l.LeftX = Float();
                l.LeftY = Float();
                l.RightX = Float();
                l.RightY = Float();
            }
            break;
        }
        case sTies:
            S.HasTiebacks = 1;
            ReadRows(D.Tiebacks, Rows(Int(), Current ? 7 : 6), [this](TSlopeTieback& t) {
                t.BoundarySurface = Int();
                if (Current)
                    t.X = Float();
                t.Y = Float();
                t.Load = Float();
                t.Spacing = Float();
                t.Inclination = Float();
                t.FreeLength = Float();
            });
            break;
        case sReinf: {
            // Reinforcement asks for Bishop's method on a user surface, unless the file named the
            // surface's method already: saving must not change the method.
            if (D.SurfaceKeyword.empty())
                S.UseSurbis = 1;
            S.HasReinforcement = 1;
            D.Reinforcement.assign(static_cast<std::size_t>(Rows(Int(), 1)), TSlopeReinforcementSet());
            for (TSlopeReinforcementSet& set : D.Reinforcement) {
                const int layers = Int();
                set.LayersRead = true;
                ReadRows(set.Layers, Rows(layers, 4), [this](TSlopeReinforcementLayer& l) {
                    l.X = Float();
                    l.Y = Float();
                    l.Force = Float();
                    l.InclinationFactor = Float();
                });
            }
            break;
        }
        case sSurface:
            D.SurfaceKeyword = keyword;
            S.UseSurbis = keyword == "SURBIS" ? 1 : 0; // written back with the keyword it was read with
            S.HasUserSurface = 1;
            S.SearchKind = 1;
            ReadPoints(D.Surface, Rows(Int(), 2));
            break;
        case sCircle:
            S.HasJanbuSearch = 1;
            S.SearchKind = 2;
            SkipOldSearchIntegers();
            ReadSearchBlock();
            break;
        case sCircl2:
            S.HasBishopSearch = 1;
            S.SearchKind = 3;
            ReadSearchBlock();
            break;
        case sSpencer: {
            S.HasSpencerSearch = 1;
            S.SearchKind = 6;
            S.InterSliceAngle = Float();
            SkipRest();
            const std::string next = Keyword();
            if (next != "CIRCL2") {
                // No search values: the line is the next keyword.
                keyword = next;
                return true;
            }
            ReadSearchBlock();
            break;
        }
        case sRandom:
            S.HasIrregularSearch = 1;
            S.SearchKind = 4;
            SkipOldSearchIntegers();
            ReadSearchBlock();
            break;
        case sBlock: {
            S.HasBlockSearch = 1;
            S.SearchKind = 5;
            SkipOldSearchIntegers();
            S.SurfacesPerPoint = Int();
            const int count = Rows(Int(), 5, 1);
            D.Boxes.assign(static_cast<std::size_t>(count), TSlopeBox());
            S.BlockSegmentLength = Float();
            if (D.Boxes.empty())
                SkipRest();
            // Every box stands on a line of its own.
            for (TSlopeBox& b : D.Boxes) {
                for (Extended* v : {&b.LeftX, &b.LeftY, &b.RightX, &b.RightY, &b.SideLength})
                    *v = Float();
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
        return Keyword();
    }

    TWordReader& Reader;
    const bool Current;
    TSlopeDescription& D;
    TSlopeSettings& S;
    bool BlockLinesDone = false;
};

// ---------------------------------------------------------------- writing

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
    return FormatPExact(value);
}
// Forms G and F2 where the file has them, with more digits only when they would change the value.
std::string G(Extended value) {
    return FormatReadBack(value, FormatG(value), false);
}
std::string F2(Extended value) {
    return FormatReadBack(value, FormatF2(value), false);
}

// The title stands on one line; a line break inside it would split the file's structure.
std::string TitleLine(std::string title) {
    for (char& c : title)
        if (c == '\r' || c == '\n')
            c = ' ';
    return title;
}

void WritePoints(TFileText& out, const std::vector<TSlopePoint>& points) {
    for (const TSlopePoint& p : points)
        out.Fields({P(p.X), P(p.Y)});
}
} // namespace

bool HasAnisotropyData(const TSlopeSoil& soil) {
    for (const TSlopeAnisotropy& a : soil.Anisotropy)
        if (a.DirectionLimit != 0 || a.Cohesion != 0 || a.FrictionAngle != 0)
            return true;
    return false;
}

void ReadSlopeFile(TWordReader& reader, bool currentLayout, TSlopeDescription& out) {
    TSectionReader(reader, currentLayout, out).Run();
}

std::string WriteSlopeFile(const TSlopeDescription& d) {
    const TSlopeSettings& s = d.Settings;
    TFileText out;

    out.Line("PROFIL");
    out.Line(TitleLine(s.Title));
    out.Fields(
        {I(static_cast<std::int64_t>(d.Boundaries.size())), I(s.SurfaceBoundaryCount), I(s.UnitSystem)});
    for (const TSlopeBoundary& b : d.Boundaries)
        out.Fields({P(b.LeftX), P(b.LeftY), P(b.RightX), P(b.RightY), I(b.Soil)});

    out.Line("SOIL");
    out.Line(I(static_cast<std::int64_t>(d.Soils.size())));
    for (const TSlopeSoil& soil : d.Soils)
        out.Fields({P(soil.MoistUnitWeight), P(soil.SaturatedUnitWeight), P(soil.Cohesion),
                    P(soil.FrictionAngle), P(soil.PorePressureCoefficient), P(soil.PorePressureConstant),
                    I(soil.PiezometricSurface)});

    // The count line always equals the blocks that follow, and every soil type with anisotropy data
    // gets its block.
    const auto anisoSoils = std::count_if(d.Soils.begin(), d.Soils.end(), HasAnisotropyData);
    if (anisoSoils > 0) {
        out.Line("ANISO");
        out.Line(I(anisoSoils));
        for (std::size_t i = 0; i < d.Soils.size(); ++i) {
            const TSlopeSoil& soil = d.Soils[i];
            if (!HasAnisotropyData(soil))
                continue;
            out.Fields(
                {I(static_cast<std::int64_t>(i + 1)), I(static_cast<std::int64_t>(soil.Anisotropy.size()))});
            for (const TSlopeAnisotropy& a : soil.Anisotropy)
                out.Fields({P(a.DirectionLimit), P(a.Cohesion), P(a.FrictionAngle)});
        }
    }

    if (s.HasWater) {
        out.Line("WATER");
        out.Fields({I(static_cast<std::int64_t>(d.WaterSurfaces.size())), G(s.WaterUnitWeight)});
        // Every surface gets its count line, an empty one too, since the reader expects one each.
        for (const TSlopeWaterSurface& w : d.WaterSurfaces) {
            out.Line(I(static_cast<std::int64_t>(w.Points.size())));
            WritePoints(out, w.Points);
        }
    }

    if (s.HasSurcharge) {
        out.Line("LOADS");
        out.Line(I(static_cast<std::int64_t>(d.Loads.size())));
        for (const TSlopeLoad& l : d.Loads)
            out.Fields({P(l.LeftX), P(l.RightX), P(l.Intensity), P(l.Inclination)});
    }

    if (s.HasEarthquake) {
        out.Line("EQUAKE");
        out.Fields({F2(s.HorizontalCoefficient), F2(s.VerticalCoefficient), F2(s.CavitationPressure)});
    }

    if (s.HasLimits) {
        const std::string count = I(static_cast<std::int64_t>(d.Limits.size()));
        out.Line("LIMITS");
        out.Fields({count, count});
        for (const TSlopeLimit& l : d.Limits)
            out.Fields({P(l.LeftX), P(l.LeftY), P(l.RightX), P(l.RightY)});
    }

    if (s.HasTiebacks) {
        out.Line("TIES");
        out.Line(I(static_cast<std::int64_t>(d.Tiebacks.size())));
        for (const TSlopeTieback& t : d.Tiebacks)
            out.Fields({I(t.BoundarySurface), P(t.X), P(t.Y), P(t.Load), P(t.Spacing), P(t.Inclination),
                        P(t.FreeLength)});
    }

    if (s.HasReinforcement) {
        out.Line("REINF");
        out.Line(I(static_cast<std::int64_t>(d.Reinforcement.size())));
        for (const TSlopeReinforcementSet& set : d.Reinforcement) {
            out.Line(I(static_cast<std::int64_t>(set.Layers.size())));
            for (const TSlopeReinforcementLayer& l : set.Layers)
                out.Fields({P(l.X), P(l.Y), P(l.Force), P(l.InclinationFactor)});
        }
    }

    if (s.HasUserSurface && s.SearchKind == 1) {
        out.Line(s.UseSurbis == 0 ? "SURFAC" : "SURBIS");
        out.Line(I(static_cast<std::int64_t>(d.Surface.size())));
        WritePoints(out, d.Surface);
    }

    // The counts are written as plain integers: identical to their general form below 10^8, and
    // exact beyond it.
    const auto searchBlock = [&] {
        out.Fields({I(s.InitiationPoints), I(s.SurfacesPerPoint)});
        out.Fields(
            {P(s.LeftInitiationX), P(s.RightInitiationX), P(s.LeftTerminationX), P(s.RightTerminationX)});
        out.Fields({P(s.MinimumElevation), P(s.SegmentLength), P(s.CcwLimit), P(s.CwLimit)});
    };
    switch (s.SearchKind) {
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
        out.Line(P(s.InterSliceAngle));
        out.Line("CIRCL2");
        out.Fields({I(s.InitiationPoints), I(s.SurfacesPerPoint)});
        out.Fields({P(s.LeftInitiationX), P(s.RightInitiationX), P(s.LeftTerminationX),
                    P(s.RightTerminationX), P(s.MinimumElevation), P(s.SegmentLength), P(s.CcwLimit),
                    P(s.CwLimit)});
        break;
    case 4:
        out.Line("RANDOM");
        searchBlock();
        break;
    case 5:
        out.Line("BLOCK");
        out.Fields(
            {I(s.SurfacesPerPoint), I(static_cast<std::int64_t>(d.Boxes.size())), P(s.BlockSegmentLength)});
        for (const TSlopeBox& b : d.Boxes)
            out.Fields({P(b.LeftX), P(b.LeftY), P(b.RightX), P(b.RightY), P(b.SideLength)});
        break;
    default:
        break;
    }

    out.Line("EXECUT");
    return out.Text;
}
