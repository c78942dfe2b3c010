#pragma once
// The plot store: everything the analysis engine wrote into the ".qvxp" plot file, plus a snapshot
// of the boundary table joined into soil-layer chains. Storage is sized once for the largest file
// the engine can write, so reading thousands of trial surfaces never allocates per point.
#include "text/Messages.h"
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TPlotPoint {
    double X = 0;
    double Y = 0;
};

// One row of the boundary table as the reader takes it (Left X, Left Y, Right X, Right Y, Soil Number).
struct TBoundaryLine {
    double LeftX = 0;
    double LeftY = 0;
    double RightX = 0;
    double RightY = 0;
    int Soil = 0;
};
using TBoundaryLines = std::vector<TBoundaryLine>;

// The display options of the graph window, one boolean per check box.
struct TDisplayOptions {
    bool BoundaryLines = false;       // "Boundary Lines"
    bool SearchLimits = false;        // "Search Limits"
    bool SoilLayerNumbers = false;    // "Soil Layer Numbers"
    bool BoundaryCoords = false;      // "Boundary Coords"
    bool ColorSoilLayers = false;     // "Color Soil Layers"
    bool TieBacks = false;            // "Tie Backs"
    bool PiezometricLine = false;     // "Piezometric Line"
    bool SurfacePressures = false;    // "Surface Pressures"
    bool ReinfLines = false;          // "Reinf. Lines"
    bool Scale = false;               // "Scale"
    bool SolutionInformation = false; // "Solution Information"
    bool TenSlipSurfaces = false;     // "10 Slip Surfaces"
    bool CriticalSlipSurface = false; // "Critical Slip Surface"
    bool AllTrialSurfaces = false;    // "All Trial Surfaces"
    bool TotalStresses = false;       // "Total Stresses"
    bool PoreWaterPressures = false;  // "Pore Water Pressures"
};

// The sixteen options in the order of the graph window's check boxes.
inline constexpr bool TDisplayOptions::*DisplayOptionFields[] = {
    &TDisplayOptions::BoundaryLines,       &TDisplayOptions::SearchLimits,
    &TDisplayOptions::SoilLayerNumbers,    &TDisplayOptions::BoundaryCoords,
    &TDisplayOptions::ColorSoilLayers,     &TDisplayOptions::TieBacks,
    &TDisplayOptions::PiezometricLine,     &TDisplayOptions::SurfacePressures,
    &TDisplayOptions::ReinfLines,          &TDisplayOptions::Scale,
    &TDisplayOptions::SolutionInformation, &TDisplayOptions::TenSlipSurfaces,
    &TDisplayOptions::CriticalSlipSurface, &TDisplayOptions::AllTrialSurfaces,
    &TDisplayOptions::TotalStresses,       &TDisplayOptions::PoreWaterPressures,
};

inline bool operator==(const TDisplayOptions& a, const TDisplayOptions& b) {
    for (bool TDisplayOptions::*f : DisplayOptionFields)
        if (a.*f != b.*f)
            return false;
    return true;
}
inline bool operator!=(const TDisplayOptions& a, const TDisplayOptions& b) {
    return !(a == b);
}

namespace PlotCapacity {
constexpr int BoundaryPoints = 140; // points 0..139 of the BND record
constexpr int BoundaryRecords = 100;
constexpr int Slices = 200;
constexpr int PressureZones = 35;
constexpr int LimitSegments = 140;
constexpr int Blocks = 20;
constexpr int ReinfLines = 50;
constexpr int ReinfPoints = 20;
constexpr int LastTrialSlot = 4000; // slots 2..4000: 3999 trial surfaces
constexpr int TrialSurfaces = LastTrialSlot - 1;
constexpr int SurfacePoints = 200;
constexpr int TenSurfaces = 10;
constexpr int Tiebacks = 20;
constexpr int WaterSurfaces = 20;
constexpr int WaterPoints = 20;
constexpr int DisplayWaterSurfaces = 4;
constexpr int Chains = 90;
constexpr int ChainPoints = 90;
} // namespace PlotCapacity

struct TBoundaryRecord {
    double LeftX = 0, LeftY = 0, RightX = 0, RightY = 0;
    int Soil = 0;
    std::bitset<256> Successors; // rows (1-based) whose left end equals this row's right end exactly
};

struct TSliceRecord {
    double R[9] = {}; // r1 x, r2 total normal stress, r3 divisor, r4 pore pressure, r5..r9 unused
    // Diagram ends, written back by the drawing of the stress diagrams.
    mutable double TotalEnd = 0;
    mutable double PoreEnd = 0;
};

template <int N> struct TPolyline {
    int Count = 0;
    TPlotPoint Points[N];
};
using TSurface = TPolyline<PlotCapacity::SurfacePoints>;
using TWaterSurface = TPolyline<PlotCapacity::WaterPoints>;
using TReinfLine = TPolyline<PlotCapacity::ReinfPoints>;

struct TLayerChain {
    int Soil = 0;
    TPolyline<PlotCapacity::ChainPoints> Line;
};

struct TCriticalSurface {
    double FS = 0, X = 0, Y = 0, R = 0;
    double CentreX = 0, CentreY = 0; // X and Y as the file gave them: the centre for the radius lines
};

class TPlotStore {
  public:
    double Header[10] = {}; // header positions 1..9 (index 0 unused)
    double ScaleFactor = 0;

    // BND: point 0, ground-surface points 1..nsb, then two points per subsurface boundary.
    TPlotPoint BoundaryPoints[PlotCapacity::BoundaryPoints];
    int BoundaryPointCount = 0; // points stored, point 0 included
    int GroundPointCount = 0;   // nsb as stored
    int BoundaryCount = 0;      // nb as stored

    TBoundaryRecord BoundaryRecords[PlotCapacity::BoundaryRecords];
    int BoundaryRecordCount = 0;

    TSliceRecord Slices[PlotCapacity::Slices];
    int SliceCount = 0;

    TPlotPoint PressureZones[PlotCapacity::PressureZones][4];
    int PressureZoneCount = 0;

    TPlotPoint LimitSegments[PlotCapacity::LimitSegments][2];
    int LimitSegmentCount = 0;

    TPlotPoint Blocks[PlotCapacity::Blocks][5];
    int BlockCount = 0;

    TReinfLine ReinfLines[PlotCapacity::ReinfLines];
    int ReinfLineCount = 0;

    // Trial surfaces by slot number; slots 2..SlotCounter are in use.
    TSurface TrialSurfaces[PlotCapacity::LastTrialSlot + 1];
    // The factor of safety each trial surface's record gave (0 when it gave none).
    double TrialFS[PlotCapacity::LastTrialSlot + 1] = {};
    int SlotCounter = 1;
    double CurrentFS = 0;

    TSurface TenSurfaces[PlotCapacity::TenSurfaces];
    bool HasTen = false;
    TCriticalSurface Critical;

    TPlotPoint Tiebacks[PlotCapacity::Tiebacks][3];
    int TiebackCount = 0;

    TWaterSurface WaterSurfaces[PlotCapacity::WaterSurfaces];
    int WaterSurfaceCount = 0;
    TWaterSurface DisplayWater[PlotCapacity::DisplayWaterSurfaces];
    int DisplayWaterCount = 0;

    TLayerChain Chains[PlotCapacity::Chains];
    int ChainCount = 0;
    bool ChainsToBuild = false;

    // The options for which the last read found data ("Scale" is always available).
    TDisplayOptions Enabled;

    void Clear();
    int TrialSurfaceCount() const { return SlotCounter > 1 ? SlotCounter - 1 : 0; }
};

// Reads the plot file `fileName` into `store`: clears it, reads the header and records, takes the
// boundary-table snapshot at the "BND" record and builds the layer chains. Every problem is reported
// to `messages` (as errors); what was read before a problem is kept.
// False only when the file could not be opened or read at all.
bool ReadPlotFile(const std::string& fileName, const TBoundaryLines& boundary, TPlotStore& store,
                  const TMessageHandler& messages);
class TProgramData;
// The graph window's form: the plot file of `model` into `store` (the window's), with the snapshot of
// its host's `BoundCood` table; problems go to the host's message sink. The file is the one the last
// run wrote (`PlotFileName`), or without one the ".qvxp" twin of `FileName`.
bool ReadPlotFile(const TProgramData& model, TPlotStore& store);

class TGridTable;
// The five values of every row of a boundary table (Left X, Left Y, Right X, Right Y, Soil Number).
TBoundaryLines BoundarySnapshot(const TGridTable& boundCood);

// Same as ReadPlotFile, on the text of a plot file already in memory (tests, generated files).
void ReadPlotText(const char* text, std::size_t size, const TBoundaryLines& boundary, TPlotStore& store,
                  const TMessageHandler& messages);

// Joins the boundary records into layer chains (the reader calls this after each read).
void BuildLayerChains(TPlotStore& store, const TMessageHandler& messages);

// The plot file of an input file: the same path with its extension replaced by ".qvxp".
std::string PlotFileNameFor(const std::string& inputFileName);
