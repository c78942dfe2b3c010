// The plot store: clearing it, the one store of the program, the plot file's name, the chains of layer
// boundaries built from its records, and reading the plot file of a model. The reader of the file's
// text is PlotFile.cpp.
#include <cstdio>
#include <memory>

#include "graphics/PlotFile.h"
#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "tables/ColumnTypes.h"
#include "tables/TableChart.h"
#include "text/FileNames.h"
#include "text/Messages.h"

void TPlotStore::Clear() {
    for (double& h : Header)
        h = 0;
    ScaleFactor = 0;
    BoundaryPointCount = GroundPointCount = BoundaryCount = 0;
    for (TBoundaryRecord& r : BoundaryRecords)
        r = TBoundaryRecord();
    BoundaryRecordCount = 0;
    SliceCount = 0;
    // A zone point that fails to read keeps what the reader had: never a value of an earlier file.
    for (auto& zone : PressureZones)
        for (TPlotPoint& p : zone)
            p = TPlotPoint();
    PressureZoneCount = 0;
    LimitSegmentCount = 0;
    BlockCount = 0;
    ReinfLineCount = 0;
    for (TReinfLine& l : ReinfLines)
        l.Count = 0;
    for (TSurface& s : TrialSurfaces)
        s.Count = 0;
    SlotCounter = 1;
    CurrentFS = 0;
    for (TSurface& s : TenSurfaces)
        s.Count = 0;
    HasTen = false;
    Critical = TCriticalSurface();
    TiebackCount = 0;
    for (TWaterSurface& w : WaterSurfaces)
        w.Count = 0;
    WaterSurfaceCount = 0;
    for (TWaterSurface& w : DisplayWater)
        w.Count = 0;
    DisplayWaterCount = 0;
    for (TLayerChain& c : Chains)
        c = TLayerChain();
    ChainCount = 0;
    ChainsToBuild = true;
    Enabled = TDisplayOptions();
    Enabled.Scale = true;
}

std::string PlotFileNameFor(const std::string& inputFileName) {
    return ChangeFileExt(inputFileName, ".qvxp");
}

void BuildLayerChains(TPlotStore& store, const TMessageHandler& messages) {
    const int n = store.BoundaryRecordCount;
    TBoundaryRecord* rec = store.BoundaryRecords;
    for (int i = 0; i < n; ++i) {
        rec[i].Successors.reset();
        for (int j = 0; j < n; ++j)
            if (i != j && rec[i].RightX == rec[j].LeftX && rec[i].RightY == rec[j].LeftY)
                rec[i].Successors.set(static_cast<std::size_t>(j + 1));
    }
    bool taken[PlotCapacity::BoundaryRecords] = {};
    store.ChainCount = 0;
    for (int i = 0; i < n; ++i) {
        if (taken[i] || rec[i].Soil <= 0)
            continue;
        if (store.ChainCount >= PlotCapacity::Chains) {
            DeliverMessage(messages, TMessageKind::Error,
                           "The boundary table holds more soil layer chains than can be shown (" +
                               std::to_string(PlotCapacity::Chains) + "); the rest were skipped.");
            break;
        }
        TLayerChain& chain = store.Chains[store.ChainCount++];
        chain.Soil = rec[i].Soil;
        chain.Line.Points[0] = {rec[i].LeftX, rec[i].LeftY};
        chain.Line.Points[1] = {rec[i].RightX, rec[i].RightY};
        chain.Line.Count = 2;
        taken[i] = true;
        int current = i;
        for (int j = i + 1; j < n; ++j) {
            if (!rec[current].Successors.test(static_cast<std::size_t>(j + 1)) || taken[j] ||
                rec[j].Soil != rec[current].Soil)
                continue;
            // A full chain ends here; the line that did not fit starts the next chain where this
            // one stops, so the picture stays whole.
            if (chain.Line.Count >= PlotCapacity::ChainPoints)
                break;
            chain.Line.Points[chain.Line.Count++] = {rec[j].RightX, rec[j].RightY};
            taken[j] = true;
            current = j;
        }
    }
    store.ChainsToBuild = false;
}

TBoundaryLines BoundarySnapshot(const TGridTable& boundCood) {
    TBoundaryLines lines;
    const int rows = boundCood.RowCount();
    lines.reserve(static_cast<std::size_t>(rows > 0 ? rows : 0));
    for (int row = 0; row < rows; ++row) {
        TBoundaryLine line;
        line.LeftX = static_cast<double>(boundCood.Cell(0, row).GetFloat());
        line.LeftY = static_cast<double>(boundCood.Cell(1, row).GetFloat());
        line.RightX = static_cast<double>(boundCood.Cell(2, row).GetFloat());
        line.RightY = static_cast<double>(boundCood.Cell(3, row).GetFloat());
        line.Soil = boundCood.Cell(4, row).GetInt();
        lines.push_back(line);
    }
    return lines;
}

bool ReadPlotFile(const TProgramData& model, TPlotStore& store) {
    const TBoundaryLines boundary = BoundarySnapshot(model.Host().Tables().BoundCood());
    // After "Save As" the twin of the new name does not exist yet; the last run's file still does.
    const std::string file =
        model.PlotFileName.empty() ? PlotFileNameFor(model.FileName) : model.PlotFileName;
    return ReadPlotFile(file, boundary, store, model.Host().Context().Messages);
}
