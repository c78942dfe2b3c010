// Reading an input file, current layout or 2.0 layout, into the model and the host's tables. The
// sections are read by the input-file reader of the text library; this maps what it read onto the
// tables, also when reading stopped early, so the model keeps everything read before the error.
#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "text/Errors.h"
#include "text/WordRead.h"

namespace {
void SetPoint(const TGridTable& t, int row, const TSlopePoint& p) {
    t.Cell(0, row).SetFloat(p.X);
    t.Cell(1, row).SetFloat(p.Y);
}

void SetFloats(const TGridTable& t, int row, std::initializer_list<Extended> values) {
    int col = 0;
    for (Extended v : values)
        t.Cell(col++, row).SetFloat(v);
}

// A sub-table that the file gave a count: exactly its rows. A row without its sub-table cannot hold
// the values; stopping with a message beats dropping them silently (the program's own table
// definitions always give one).
TGridTable& SubTable(TGridTable* table, std::size_t rows) {
    if (!table)
        throw EGeneralError("Data of wrong type");
    table->SetRowCount(static_cast<int>(rows));
    return *table;
}

int Count(std::size_t n) {
    return static_cast<int>(n);
}
} // namespace

void TProgramData::Apply(const TSlopeDescription& d) {
    // The unit system first: the tables are still empty and the scalars at their defaults, so only
    // the unit system and the labels change, and the numbers that follow are taken as written.
    SetUnitSystem(d.Settings.UnitSystem);
    const int units = UnitSystem;
    static_cast<TSlopeSettings&>(*this) = d.Settings;
    UnitSystem = units;

    TTableSet& tables = Host().Tables();
    auto& bound = tables.BoundCood();
    bound.SetRowCount(Count(d.Boundaries.size()));
    for (int row = 0; row < bound.RowCount(); ++row) {
        const TSlopeBoundary& b = d.Boundaries[static_cast<std::size_t>(row)];
        SetFloats(bound, row, {b.LeftX, b.LeftY, b.RightX, b.RightY});
        bound.Cell(4, row).SetInt(b.Soil);
    }

    auto& soil = tables.SoilData();
    soil.SetRowCount(Count(d.Soils.size()));
    for (int row = 0; row < soil.RowCount(); ++row) {
        const TSlopeSoil& s = d.Soils[static_cast<std::size_t>(row)];
        SetFloats(soil, row,
                  {s.MoistUnitWeight, s.SaturatedUnitWeight, s.Cohesion, s.FrictionAngle,
                   s.PorePressureCoefficient, s.PorePressureConstant});
        soil.Cell(6, row).SetInt(s.PiezometricSurface);
        if (!s.AnisotropyRead)
            continue;
        TGridTable& aniso = SubTable(AnisotropyOf(soil, row), s.Anisotropy.size());
        for (int r = 0; r < aniso.RowCount(); ++r) {
            const TSlopeAnisotropy& a = s.Anisotropy[static_cast<std::size_t>(r)];
            SetFloats(aniso, r, {a.DirectionLimit, a.Cohesion, a.FrictionAngle});
        }
    }

    auto& water = tables.WaterSurfaceSet();
    water.SetRowCount(Count(d.WaterSurfaces.size()));
    for (int row = 0; row < water.RowCount(); ++row) {
        const TSlopeWaterSurface& w = d.WaterSurfaces[static_cast<std::size_t>(row)];
        if (!w.PointsRead)
            continue;
        TGridTable& points = SubTable(PointsOf(water, row), w.Points.size());
        for (int r = 0; r < points.RowCount(); ++r)
            SetPoint(points, r, w.Points[static_cast<std::size_t>(r)]);
    }

    auto& loads = tables.SurchargeLoad();
    loads.SetRowCount(Count(d.Loads.size()));
    for (int row = 0; row < loads.RowCount(); ++row) {
        const TSlopeLoad& l = d.Loads[static_cast<std::size_t>(row)];
        SetFloats(loads, row, {l.LeftX, l.RightX, l.Intensity, l.Inclination});
    }

    auto& limits = tables.limit();
    limits.SetRowCount(Count(d.Limits.size()));
    for (int row = 0; row < limits.RowCount(); ++row) {
        const TSlopeLimit& l = d.Limits[static_cast<std::size_t>(row)];
        SetFloats(limits, row, {l.LeftX, l.LeftY, l.RightX, l.RightY});
    }

    auto& ties = tables.TiebackCoord();
    ties.SetRowCount(Count(d.Tiebacks.size()));
    for (int row = 0; row < ties.RowCount(); ++row) {
        const TSlopeTieback& t = d.Tiebacks[static_cast<std::size_t>(row)];
        ties.Cell(0, row).SetInt(t.BoundarySurface);
        int col = 1;
        for (Extended v : {t.X, t.Y, t.Load, t.Spacing, t.Inclination, t.FreeLength})
            ties.Cell(col++, row).SetFloat(v);
    }

    auto& sets = tables.ReinEarthLayerSet();
    sets.SetRowCount(Count(d.Reinforcement.size()));
    for (int row = 0; row < sets.RowCount(); ++row) {
        const TSlopeReinforcementSet& set = d.Reinforcement[static_cast<std::size_t>(row)];
        if (!set.LayersRead)
            continue;
        TGridTable& layers = SubTable(LayersOf(sets, row), set.Layers.size());
        for (int r = 0; r < layers.RowCount(); ++r) {
            const TSlopeReinforcementLayer& l = set.Layers[static_cast<std::size_t>(r)];
            SetFloats(layers, r, {l.X, l.Y, l.Force, l.InclinationFactor});
        }
    }

    auto& surface = tables.FailSurfaceChart();
    surface.SetRowCount(Count(d.Surface.size()));
    for (int row = 0; row < surface.RowCount(); ++row)
        SetPoint(surface, row, d.Surface[static_cast<std::size_t>(row)]);

    auto& boxes = tables.BoxCoord();
    boxes.SetRowCount(Count(d.Boxes.size()));
    for (int row = 0; row < boxes.RowCount(); ++row) {
        const TSlopeBox& b = d.Boxes[static_cast<std::size_t>(row)];
        SetFloats(boxes, row, {b.LeftX, b.LeftY, b.RightX, b.RightY, b.SideLength});
    }
}

void TProgramData::Restore(const TSlopeDescription& description) {
    Apply(description);
    // Apply switched the unit system before it put the settings back: the windows saw the old ones.
    Host().UnitSystemChanged();
}

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
    TSlopeDescription description;
    std::string problem;
    try {
        TWordReader reader(path);
        ReadSlopeFile(reader, currentFormat, description);
    } catch (const std::exception& e) {
        problem = e.what();
    }
    try {
        Apply(description);
    } catch (const std::exception& e) {
        if (problem.empty())
            problem = e.what();
    }
    ReadComplete = problem.empty();
    if (!problem.empty())
        Host().Context().Inform(problem);
}
