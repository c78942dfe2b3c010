#pragma once
// The model's view of the table set: the sub-tables held in the rows of its tables, and typed cell
// access. Column positions are those of the table definitions (resources/tables).
#include "tables/TableSet.h"
#include <string>

// Sub-tables: a soil type's anisotropy data (column 7 of SoilData), a piezometric surface's points
// (column 0 of WaterSurfaceSet), a reinforcement set's layers (column 0 of ReinEarthLayerSet).
// Null when the row holds no sub-table.
constexpr int SoilAnisotropyColumn = 7;
inline TGridTable* AnisotropyOf(const TGridTable& soil, int row) {
    return soil.Cell(SoilAnisotropyColumn, row).GetTable();
}
inline TGridTable* PointsOf(const TGridTable& surfaces, int row) {
    return surfaces.Cell(0, row).GetTable();
}
inline TGridTable* LayersOf(const TGridTable& sets, int row) {
    return sets.Cell(0, row).GetTable();
}

// Every table of the set, in component order.
template <class F> void ForEachTable(TTableSet& t, F f) {
    for (int i = 0; i < t.Count(); ++i)
        f(t.Table(i));
}
