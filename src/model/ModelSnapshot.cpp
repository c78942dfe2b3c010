#include "model/ModelSnapshot.h"
#include "model/SlopeModel.h"
#include <cmath>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace {
// Equal as stored: the same bits, so that a NaN equals itself and 0 differs from -0 as the file does.
bool Same(Extended a, Extended b) {
    return a == b ? std::signbit(a) == std::signbit(b) : (std::isnan(a) && std::isnan(b));
}

// One settings value with the name the Edit menu gives it; Flag: a check box.
struct TSetting {
    const char* Name;
    Extended Value;
    bool Flag = false;
    bool Search = false; // one of the search controls
};

std::vector<TSetting> Settings(const TSlopeSettings& s) {
    auto v = [](auto x) { return static_cast<Extended>(x); };
    return {
        {"Number of Surface Boundary Lines", v(s.SurfaceBoundaryCount)},
        {"Vertical Coefficient", s.VerticalCoefficient},
        {"Horizontal Coefficient", s.HorizontalCoefficient},
        {"Cavitation Pressure", s.CavitationPressure},
        {"Unit Weight of Water", s.WaterUnitWeight},
        {"Water Surfaces", v(s.HasWater), true},
        {"Surcharge Loading", v(s.HasSurcharge), true},
        {"Earthquake Loading", v(s.HasEarthquake), true},
        {"Reinforced Earth", v(s.HasReinforcement), true},
        {"Trial Surface Limits", v(s.HasLimits), true},
        {"Tiebacks", v(s.HasTiebacks), true},
        {"User-Defined Surface", v(s.HasUserSurface), true, true},
        {"Janbu Search", v(s.HasJanbuSearch), true, true},
        {"Bishop Search", v(s.HasBishopSearch), true, true},
        {"Spencer Search", v(s.HasSpencerSearch), true, true},
        {"Block Search", v(s.HasBlockSearch), true, true},
        {"Irregular Search", v(s.HasIrregularSearch), true, true},
        {"Initiation Points", v(s.InitiationPoints), false, true},
        {"Surfaces per Point", v(s.SurfacesPerPoint), false, true},
        {"Left Initiation X", s.LeftInitiationX, false, true},
        {"Right Initiation X", s.RightInitiationX, false, true},
        {"Left Termination X", s.LeftTerminationX, false, true},
        {"Right Termination X", s.RightTerminationX, false, true},
        {"Minimum Elevation", s.MinimumElevation, false, true},
        {"Segment Length", s.SegmentLength, false, true},
        {"Counterclockwise Limit", s.CcwLimit, false, true},
        {"Clockwise Limit", s.CwLimit, false, true},
        {"Interslice Force Angle", s.InterSliceAngle, false, true},
        {"Block Segment Length", s.BlockSegmentLength, false, true},
        {"Bishop's Method for the User Surface", v(s.UseSurbis), true, true},
        {"Search", v(s.SearchKind), false, true},
        {"Units", v(s.UnitSystem)},
    };
}

// One table of the model as rows of numbers: row k is called Row + " " + (k + 1), the table Title.
struct TValues {
    std::string Row;
    std::string Title;
    std::vector<const char*> Columns;
    std::vector<std::vector<Extended>> Rows;
};

template <class T>
TValues Table(std::string row, std::string title, std::vector<const char*> columns,
              const std::vector<T>& rows, const std::function<std::vector<Extended>(const T&)>& values) {
    TValues t{std::move(row), std::move(title), std::move(columns), {}};
    for (const T& r : rows)
        t.Rows.push_back(values(r));
    return t;
}

std::vector<Extended> Point(const TSlopePoint& p) {
    return {p.X, p.Y};
}

// The main tables first, then the sub-tables of their rows: a change of rows shows first where it was
// made.
std::vector<TValues> Tables(const TSlopeDescription& d) {
    std::vector<TValues> t;
    using V = std::vector<Extended>;
    t.push_back(Table<TSlopeBoundary>("Boundary Line", "Boundary Lines",
                                      {"Left X", "Left Y", "Right X", "Right Y", "Soil Type"}, d.Boundaries,
                                      [](const TSlopeBoundary& b) {
                                          return V{b.LeftX, b.LeftY, b.RightX, b.RightY, Extended(b.Soil)};
                                      }));
    t.push_back(Table<TSlopeSoil>("Soil", "Soil Properties",
                                  {"Moist Unit Weight", "Saturated Unit Weight", "Cohesion", "Friction Angle",
                                   "Pore Pressure Ratio", "Pore Pressure Constant", "Piezometric Surface"},
                                  d.Soils, [](const TSlopeSoil& s) {
                                      return V{s.MoistUnitWeight,
                                               s.SaturatedUnitWeight,
                                               s.Cohesion,
                                               s.FrictionAngle,
                                               s.PorePressureCoefficient,
                                               s.PorePressureConstant,
                                               Extended(s.PiezometricSurface)};
                                  }));
    t.push_back(Table<TSlopeWaterSurface>("Water Surface", "Water Surfaces", {}, d.WaterSurfaces,
                                          [](const TSlopeWaterSurface&) { return V{}; }));
    t.push_back(Table<TSlopeLoad>("Surcharge Load", "Surcharge Loads",
                                  {"Left X", "Right X", "Intensity", "Inclination"}, d.Loads,
                                  [](const TSlopeLoad& l) {
                                      return V{l.LeftX, l.RightX, l.Intensity, l.Inclination};
                                  }));
    t.push_back(Table<TSlopeLimit>("Limit", "Trial Surface Limits",
                                   {"Left X", "Left Y", "Right X", "Right Y"}, d.Limits,
                                   [](const TSlopeLimit& l) {
                                       return V{l.LeftX, l.LeftY, l.RightX, l.RightY};
                                   }));
    t.push_back(Table<TSlopeTieback>(
        "Tieback", "Tiebacks",
        {"Boundary Surface", "X", "Y", "Load", "Spacing", "Inclination", "Free Length"}, d.Tiebacks,
        [](const TSlopeTieback& b) {
            return V{Extended(b.BoundarySurface), b.X, b.Y, b.Load, b.Spacing, b.Inclination, b.FreeLength};
        }));
    t.push_back(Table<TSlopeReinforcementSet>("Reinforcement Set", "Reinforced Earth Layers", {},
                                              d.Reinforcement,
                                              [](const TSlopeReinforcementSet&) { return V{}; }));
    t.push_back(Table<TSlopePoint>("Failure Surface Point", "Failure Surface", {"X", "Y"}, d.Surface, Point));
    t.push_back(Table<TSlopeBox>("Box", "Boxes", {"Left X", "Left Y", "Right X", "Right Y", "Side Length"},
                                 d.Boxes, [](const TSlopeBox& b) {
                                     return V{b.LeftX, b.LeftY, b.RightX, b.RightY, b.SideLength};
                                 }));
    for (std::size_t k = 0; k < d.Soils.size(); ++k) {
        const std::string soil = "Soil " + std::to_string(k + 1) + " Anisotropy";
        t.push_back(Table<TSlopeAnisotropy>(soil + " Row", soil,
                                            {"Direction Limit", "Cohesion", "Friction Angle"},
                                            d.Soils[k].Anisotropy, [](const TSlopeAnisotropy& a) {
                                                return V{a.DirectionLimit, a.Cohesion, a.FrictionAngle};
                                            }));
    }
    for (std::size_t k = 0; k < d.WaterSurfaces.size(); ++k) {
        const std::string surface = "Water Surface " + std::to_string(k + 1);
        t.push_back(
            Table<TSlopePoint>(surface + " Point", surface, {"X", "Y"}, d.WaterSurfaces[k].Points, Point));
    }
    for (std::size_t k = 0; k < d.Reinforcement.size(); ++k) {
        const std::string set = "Reinforcement Set " + std::to_string(k + 1);
        t.push_back(
            Table<TSlopeReinforcementLayer>(set + " Layer", set, {"X", "Y", "Force", "Inclination Factor"},
                                            d.Reinforcement[k].Layers, [](const TSlopeReinforcementLayer& l) {
                                                return V{l.X, l.Y, l.Force, l.InclinationFactor};
                                            }));
    }
    return t;
}

bool SameRow(const std::vector<Extended>& a, const std::vector<Extended>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (!Same(a[k], b[k]))
            return false;
    return true;
}

bool SameTable(const TValues& a, const TValues& b) {
    if (a.Row != b.Row || a.Rows.size() != b.Rows.size())
        return false;
    for (std::size_t k = 0; k < a.Rows.size(); ++k)
        if (!SameRow(a.Rows[k], b.Rows[k]))
            return false;
    return true;
}

std::string RowName(const TValues& t, std::size_t row) {
    return t.Row + " " + std::to_string(row + 1);
}

// A table's change: one cell, one row, one row added, inserted or deleted, or more.
std::string TableChange(const TValues& a, const TValues& b) {
    const std::vector<std::vector<Extended>>&x = a.Rows, &y = b.Rows;
    if (x.size() == y.size()) {
        std::size_t rows = 0, cells = 0, lastRow = 0, lastColumn = 0;
        for (std::size_t r = 0; r < x.size(); ++r) {
            if (SameRow(x[r], y[r]))
                continue;
            ++rows;
            lastRow = r;
            for (std::size_t c = 0; c < x[r].size() && c < y[r].size(); ++c)
                if (!Same(x[r][c], y[r][c])) {
                    ++cells;
                    lastColumn = c;
                }
        }
        if (cells == 1 && lastColumn < a.Columns.size())
            return "Edit " + RowName(a, lastRow) + " " + a.Columns[lastColumn];
        if (rows == 1)
            return "Edit " + RowName(a, lastRow);
        return "Edit " + a.Title;
    }
    // One block of rows added or removed, the rest unchanged: where it was.
    const bool added = y.size() > x.size();
    const std::vector<std::vector<Extended>>& shorter = added ? x : y;
    const std::vector<std::vector<Extended>>& longer = added ? y : x;
    const std::size_t n = longer.size() - shorter.size();
    std::size_t at = 0;
    while (at < shorter.size() && SameRow(shorter[at], longer[at]))
        ++at;
    for (std::size_t r = at; r < shorter.size(); ++r)
        if (!SameRow(shorter[r], longer[r + n]))
            return "Edit " + a.Title;
    if (n > 1)
        return std::string(added ? "Add Rows to " : "Delete Rows of ") + a.Title;
    if (!added)
        return "Delete " + RowName(a, at);
    return (at == shorter.size() ? "Add " : "Insert ") + RowName(a, at);
}

const char* SearchName(int kind) {
    switch (kind) {
    case 1:
        return "User-Defined Failure Surface";
    case 2:
        return "Circular Search by Janbu's Method";
    case 3:
        return "Circular Search by Bishop's Method";
    case 4:
        return "Irregular Search";
    case 5:
        return "Block Search";
    case 6:
        return "Spencer's Method";
    default:
        return "No Search";
    }
}

std::string SettingsChange(const TSlopeSettings& a, const TSlopeSettings& b) {
    if (a.UnitSystem != b.UnitSystem)
        return b.UnitSystem == 2 ? "Switch to SI Units"
                                 : (b.UnitSystem == 1 ? "Switch to English Units" : "Switch to Other Units");
    if (a.SearchKind != b.SearchKind)
        return std::string("Choose ") + SearchName(b.SearchKind);
    const std::vector<TSetting> x = Settings(a), y = Settings(b);
    std::vector<std::size_t> changed;
    for (std::size_t k = 0; k < x.size(); ++k)
        if (!Same(x[k].Value, y[k].Value))
            changed.push_back(k);
    if (a.Title != b.Title)
        return changed.empty() ? "Edit Title" : "Edit Data";
    if (changed.empty())
        return {};
    if (changed.size() == 1) {
        const TSetting& s = y[changed.front()];
        if (s.Flag)
            return std::string(s.Value != 0 ? "Check " : "Uncheck ") + s.Name;
        return std::string("Edit ") + s.Name;
    }
    bool search = true;
    for (std::size_t k : changed)
        search = search && y[k].Search;
    return search ? "Edit Search Controls" : "Edit Data";
}
} // namespace

TModelSnapshot TakeSnapshot(const TProgramData& model) {
    TModelSnapshot s{model.Description()};
    for (TSlopeSoil& soil : s.Description.Soils)
        soil.AnisotropyRead = true;
    for (TSlopeWaterSurface& w : s.Description.WaterSurfaces)
        w.PointsRead = true;
    for (TSlopeReinforcementSet& r : s.Description.Reinforcement)
        r.LayersRead = true;
    return s;
}

void RestoreSnapshot(TProgramData& model, const TModelSnapshot& snapshot) {
    model.Restore(snapshot.Description);
}

bool SameValues(const TModelSnapshot& a, const TModelSnapshot& b) {
    const TSlopeSettings &x = a.Description.Settings, &y = b.Description.Settings;
    if (x.Title != y.Title)
        return false;
    const std::vector<TSetting> sx = Settings(x), sy = Settings(y);
    for (std::size_t k = 0; k < sx.size(); ++k)
        if (!Same(sx[k].Value, sy[k].Value))
            return false;
    const std::vector<TValues> tx = Tables(a.Description), ty = Tables(b.Description);
    if (tx.size() != ty.size())
        return false;
    for (std::size_t k = 0; k < tx.size(); ++k)
        if (!SameTable(tx[k], ty[k]))
            return false;
    return true;
}

std::string ChangeName(const TModelSnapshot& before, const TModelSnapshot& after) {
    const std::string settings = SettingsChange(before.Description.Settings, after.Description.Settings);
    if (!settings.empty())
        return settings;
    const std::vector<TValues> tx = Tables(before.Description), ty = Tables(after.Description);
    for (std::size_t k = 0; k < tx.size() && k < ty.size(); ++k)
        if (!SameTable(tx[k], ty[k]))
            return TableChange(tx[k], ty[k]);
    return tx.size() == ty.size() ? std::string() : "Edit Data";
}
