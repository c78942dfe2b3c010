#pragma once
// The input file as plain data: one slope problem as the ".qvxd" file holds it, its reader (words ->
// sections -> TSlopeDescription) and its writer (and back). The desktop model maps this description
// onto its tables; the analysis engine reads it directly. Nothing here knows about Qt or tables.
#include "text/NumberForms.h"
#include "text/ProbabilisticSetup.h"
#include <cstdint>
#include <string>
#include <vector>

class TWordReader;

// The scalar settings, section flags and search controls of one problem, named as the model names
// them (the model is these settings plus its file names).
struct TSlopeSettings {
    // 1 English (lbs, ft), 2 SI (kN, m), 3 other (F, L).
    int UnitSystem = 1;
    std::string Title = "New Slope";
    int SurfaceBoundaryCount = 0;
    Extended VerticalCoefficient = 0;
    Extended HorizontalCoefficient = 0;
    Extended CavitationPressure = 0; // force/length^2
    Extended WaterUnitWeight = 0;    // force/length^3
    std::uint8_t HasWater = 0;
    std::uint8_t HasSurcharge = 0;
    std::uint8_t HasEarthquake = 0;
    std::uint8_t HasReinforcement = 0;
    std::uint8_t HasLimits = 0;
    std::uint8_t HasTiebacks = 0;
    std::uint8_t HasUserSurface = 0;
    std::uint8_t HasJanbuSearch = 0;
    std::uint8_t HasBishopSearch = 0;
    std::uint8_t HasSpencerSearch = 0;
    std::uint8_t HasBlockSearch = 0;
    std::uint8_t HasIrregularSearch = 0;
    int InitiationPoints = 0;
    int SurfacesPerPoint = 0; // for the block search: the total number of surfaces
    Extended LeftInitiationX = 0;
    Extended RightInitiationX = 0;
    Extended LeftTerminationX = 0;
    Extended RightTerminationX = 0;
    Extended MinimumElevation = 0;
    Extended SegmentLength = 0;
    Extended CcwLimit = 0;
    Extended CwLimit = -45;
    Extended InterSliceAngle = 0;
    Extended BlockSegmentLength = 0;
    int UseSurbis = 0;
    // 0 none, 1 user-defined surface, 2 Janbu, 3 Bishop, 4 irregular, 5 block, 6 Spencer.
    int SearchKind = 0;
};

// Rows of the tabular categories. A new row holds the same defaults as a new row of the program's
// table, so that a row the reader announced but could not fill reads like an untouched table row.
struct TSlopePoint {
    Extended X = 0;
    Extended Y = 0;
};

struct TSlopeBoundary {
    Extended LeftX = 0, LeftY = 0, RightX = 0, RightY = 0;
    int Soil = 1; // the soil type directly beneath the line (1-based)
};

struct TSlopeAnisotropy {
    Extended DirectionLimit = 0; // degrees, counterclockwise
    Extended Cohesion = 0;
    Extended FrictionAngle = 0; // degrees
};

struct TSlopeSoil {
    Extended MoistUnitWeight = 0;
    Extended SaturatedUnitWeight = 0;
    Extended Cohesion = 0;
    Extended FrictionAngle = 0; // degrees
    Extended PorePressureCoefficient = 0;
    Extended PorePressureConstant = 0;
    int PiezometricSurface = 0; // 0: none
    std::vector<TSlopeAnisotropy> Anisotropy;
    // The file gave this soil an ANISO block (possibly of no rows); without one the program's table
    // keeps its default rows.
    bool AnisotropyRead = false;
};

// Whether a soil type's anisotropy rows carry data: any value differing from 0. A table of zero
// rows only is what every soil type has when no anisotropy was entered; it is neither written nor
// analysed.
bool HasAnisotropyData(const TSlopeSoil& soil);

struct TSlopeWaterSurface {
    std::vector<TSlopePoint> Points;
    bool PointsRead = false; // the file gave this surface its point count
};

struct TSlopeLoad {
    Extended LeftX = 0, RightX = 0;
    Extended Intensity = 0;   // force per area, per horizontal length
    Extended Inclination = 0; // degrees counterclockwise from straight down
};

struct TSlopeLimit {
    Extended LeftX = 0, LeftY = 0, RightX = 0, RightY = 0;
};

struct TSlopeTieback {
    int BoundarySurface = 0;
    Extended X = 0, Y = 0;
    Extended Load = 0;
    Extended Spacing = 0;
    Extended Inclination = 0; // degrees below the horizontal, into the slope
    Extended FreeLength = 0;
};

struct TSlopeReinforcementLayer {
    Extended X = 0, Y = 0;
    Extended Force = 0;
    Extended InclinationFactor = 0;
};

struct TSlopeReinforcementSet {
    std::vector<TSlopeReinforcementLayer> Layers;
    bool LayersRead = false; // the file gave this set its layer count
};

struct TSlopeBox {
    Extended LeftX = 0, LeftY = 0, RightX = 0, RightY = 0;
    Extended SideLength = 0;
};

struct TSlopeDescription {
    TSlopeSettings Settings;
    std::vector<TSlopeBoundary> Boundaries;
    std::vector<TSlopeSoil> Soils;
    std::vector<TSlopeWaterSurface> WaterSurfaces;
    std::vector<TSlopeLoad> Loads;
    std::vector<TSlopeLimit> Limits;
    std::vector<TSlopeTieback> Tiebacks;
    std::vector<TSlopeReinforcementSet> Reinforcement;
    std::vector<TSlopePoint> Surface; // the user-defined failure surface
    std::vector<TSlopeBox> Boxes;
    // The probabilistic analysis; its section is written only when Present.
    TProbabilisticSetup Probabilistic;

    // What the reader met, beyond the values (all false for a description built in memory).
    bool ProfileRead = false; // a PROFIL section (with the unit code in the current layout)
    // The keyword of the last user-surface section read: "SURFAC" or "SURBIS" (empty: none). The
    // model keeps its own UseSurbis rule; the engine analyses the surface by the keyword's method.
    std::string SurfaceKeyword;
};

// Reads an input file from `reader` into `out`, value by value: when reading stops with EInOutError
// (a bad number, the end of the words, a line that is no section keyword, an ANISO block for an
// unknown soil type), `out` keeps everything read before, rows that were announced but not yet
// filled holding their defaults. `currentLayout` false reads the 2.0 layout. `out` should be a
// default description.
void ReadSlopeFile(TWordReader& reader, bool currentLayout, TSlopeDescription& out);

// The file text in the current layout, CR LF line ends. Sections follow the flags and SearchKind; a
// soil type's ANISO block is written when any of its anisotropy values differs from 0, and the count
// line always equals the blocks that follow.
std::string WriteSlopeFile(const TSlopeDescription& description);
