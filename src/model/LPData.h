#pragma once
// The slope model: scalar settings, section flags and search controls of the one current problem.
// The tabular part lives in the host's table set (ModelHost.h); this object resets it for a new model,
// fills it when a file is loaded and writes it back with the rest.
#include "model/ModelHost.h"
#include "text/NumberForms.h"
#include <cstdint>
#include <memory>
#include <string>

class TProgramData {
  public:
    // Unit system: 1 English (lbs, ft), 2 SI (kN, m), 3 other (F, L).
    int UnitSystem = 1;
    std::string FileName = NewFileName;
    std::string PlotFileName;
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

    // The placeholder name of a model that has never been saved.
    static constexpr const char* NewFileName = "NewSlope.qvxd";

    // A new default model: closes the host's child windows, resets every table to MinRows default
    // rows and leaves the model unmodified.
    static std::unique_ptr<TProgramData> CreateNew(IModelHost& host);

    // Reads an input file, current layout when currentFormat is true, else the 2.0 layout. Never fails
    // because of the file: problems go to the host's message sink and the model keeps what was read.
    static std::unique_ptr<TProgramData> CreateFromFile(const std::string& path, bool currentFormat,
                                                        IModelHost& host);

    // Writes the model in the current layout to FileName. The previous file is replaced only when
    // everything was written; on failure EInOutError carries the system's message and the model stays
    // modified.
    void SaveToFile();

    // The whole file text SaveToFile writes (CR LF line ends).
    std::string FileText() const;

    // Switches the unit system (clamped to 1..3), converting the scalars between English and SI and
    // every table of the host.
    void SetUnitSystem(int n);

    IModelHost& Host() const { return *HostRef; }

    explicit TProgramData(IModelHost& host) : HostRef(&host) {}

  private:
    void ReadFile(const std::string& path, bool currentFormat);

    IModelHost* HostRef;
};

// The current model.
extern std::unique_ptr<TProgramData> ProgramData;
