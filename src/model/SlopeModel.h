#pragma once
// The slope model: scalar settings, section flags and search controls of the one current problem.
// The tabular part lives in the host's table set (ModelHost.h); this object resets it for a new model,
// fills it when a file is loaded and writes it back with the rest.
#include "model/ModelHost.h"
#include "text/SlopeFile.h"
#include <cstdint>
#include <memory>
#include <string>

// The scalar part is the input file's settings (text/SlopeFile.h) plus the file names; the tables hold
// the rest.
class TProgramData : public TSlopeSettings {
  public:
    std::string FileName = NewFileName;
    std::string PlotFileName;
    // The probabilistic analysis set up for this model (its file section is written only when Present).
    TProbabilisticSetup Probabilistic;
    // False after a read that stopped early (a damaged file, or one that is no input file at all): the
    // model then holds only a part of FileName, and saving it over that file would lose the rest.
    bool ReadComplete = true;

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

    // The problem as the input file describes it: these settings and every table.
    TSlopeDescription Description() const;
    // Puts a description taken from this model back (undo): the settings, every table with exactly
    // its rows, and the sub-tables the description marks as read. Open windows show the values again.
    void Restore(const TSlopeDescription& description);

  private:
    void ReadFile(const std::string& path, bool currentFormat);
    // Fills the (emptied) tables and the settings from what the reader took from a file.
    void Apply(const TSlopeDescription& description);

    IModelHost* HostRef;
};

// A probabilistic setup's values turned from unit system `from` into `to`, by the factors of the
// quantities they replace (the columns of `tables`), as a switch of the model's units turns its own.
void ConvertProbabilisticUnits(TProbabilisticSetup& setup, const TTableSet& tables, int from, int to);
