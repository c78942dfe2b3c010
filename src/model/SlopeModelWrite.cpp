// Writing the model in the current input-file layout: the tables and settings become the plain
// description of the problem, which the text library's writer turns into the file.
#include "model/SlopeModel.h"
#include "model/TableAccess.h"

namespace {
template <class Row, class Fill> std::vector<Row> Rows(const TGridTable* table, Fill fill) {
    std::vector<Row> rows;
    if (!table)
        return rows;
    rows.resize(static_cast<std::size_t>(table->RowCount()));
    for (int row = 0; row < table->RowCount(); ++row)
        fill(rows[static_cast<std::size_t>(row)],
             [table, row](int col) { return table->Cell(col, row).GetFloat(); });
    return rows;
}

std::vector<TSlopePoint> Points(const TGridTable* table) {
    return Rows<TSlopePoint>(table, [](TSlopePoint& p, auto f) { p = {f(0), f(1)}; });
}
} // namespace

TSlopeDescription TProgramData::Description() const {
    TTableSet& tables = Host().Tables();
    TSlopeDescription d;
    d.Settings = *this;
    d.Probabilistic = Probabilistic;

    const auto& bound = tables.BoundCood();
    d.Boundaries = Rows<TSlopeBoundary>(&bound, [&bound](TSlopeBoundary& b, auto f) {
        b = {f(0), f(1), f(2), f(3), 0};
    });
    for (int row = 0; row < bound.RowCount(); ++row)
        d.Boundaries[static_cast<std::size_t>(row)].Soil = bound.Cell(4, row).GetInt();

    const auto& soil = tables.SoilData();
    d.Soils = Rows<TSlopeSoil>(&soil, [](TSlopeSoil& s, auto f) {
        s.MoistUnitWeight = f(0);
        s.SaturatedUnitWeight = f(1);
        s.Cohesion = f(2);
        s.FrictionAngle = f(3);
        s.PorePressureCoefficient = f(4);
        s.PorePressureConstant = f(5);
    });
    for (int row = 0; row < soil.RowCount(); ++row) {
        TSlopeSoil& s = d.Soils[static_cast<std::size_t>(row)];
        s.PiezometricSurface = soil.Cell(6, row).GetInt();
        s.Anisotropy = Rows<TSlopeAnisotropy>(AnisotropyOf(soil, row), [](TSlopeAnisotropy& a, auto f) {
            a = {f(0), f(1), f(2)};
        });
    }

    const auto& water = tables.WaterSurfaceSet();
    for (int row = 0; row < water.RowCount(); ++row)
        d.WaterSurfaces.push_back({Points(PointsOf(water, row)), false});

    d.Loads = Rows<TSlopeLoad>(&tables.SurchargeLoad(), [](TSlopeLoad& l, auto f) {
        l = {f(0), f(1), f(2), f(3)};
    });
    d.Limits = Rows<TSlopeLimit>(&tables.limit(), [](TSlopeLimit& l, auto f) {
        l = {f(0), f(1), f(2), f(3)};
    });

    const auto& ties = tables.TiebackCoord();
    d.Tiebacks = Rows<TSlopeTieback>(
        &ties, [](TSlopeTieback& t, auto f) { t = {0, f(1), f(2), f(3), f(4), f(5), f(6)}; });
    for (int row = 0; row < ties.RowCount(); ++row)
        d.Tiebacks[static_cast<std::size_t>(row)].BoundarySurface = ties.Cell(0, row).GetInt();

    const auto& sets = tables.ReinEarthLayerSet();
    for (int row = 0; row < sets.RowCount(); ++row)
        d.Reinforcement.push_back({Rows<TSlopeReinforcementLayer>(LayersOf(sets, row),
                                                                  [](TSlopeReinforcementLayer& l, auto f) {
                                                                      l = {f(0), f(1), f(2), f(3)};
                                                                  }),
                                   false});

    d.Surface = Points(&tables.FailSurfaceChart());
    d.Boxes = Rows<TSlopeBox>(&tables.BoxCoord(), [](TSlopeBox& b, auto f) {
        b = {f(0), f(1), f(2), f(3), f(4)};
    });
    return d;
}

std::string TProgramData::FileText() const {
    return WriteSlopeFile(Description());
}
