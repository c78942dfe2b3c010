#pragma once
// brevanto-cli render in its three steps, each callable on its own: parse the arguments, load the
// model and the plot file, draw the picture into the output file.
#include "cli/Commands.h"
#include "cli/RenderModel.h"
#include "graphics/PlotExport.h"
#include <QGuiApplication>
#include <memory>
#include <string>

struct TRenderRequest {
    std::string Plot, Model, Out;
    int Width = 1200, Height = 800;
    TExportFormat Format = TExportFormat::Png;
    // The options named by --options; without them every option the plot file enables, and Scale.
    bool HaveOptions = false;
    TDisplayOptions Options;
    // "fscolors": the trial surfaces coloured by their factor of safety, with the legend, as the graph
    // window's "Colour by FS" draws them (the trial surfaces are drawn for it).
    bool ColourByFactor = false;
};

struct TRenderParse {
    enum TOutcome { Run, Help, UsageError } Outcome = Run;
    std::string Error; // for UsageError: what is wrong, without the usage text
    TRenderRequest Request;
};

// The arguments after "render".
TRenderParse ParseRenderArgs(const TArgs& args);

// Loads the model (its boundary table and search) and reads the plot file into `store`, messages on
// standard error. False when the plot file cannot be read at all.
bool LoadRender(const TRenderRequest& request, TRenderModel& model, TPlotStore& store);

// The options to draw: the chosen ones (or all) that the plot file enables.
TDrawSettings RenderSettings(const TRenderRequest& request, const TPlotStore& store,
                             const TRenderModel& model);

// Fits the picture into the requested size and writes the output file. False when it cannot be written.
bool DrawRender(const TRenderRequest& request, const TDrawSettings& settings, const TPlotStore& store,
                TViewTransform& view);

// Painting text needs a GUI application object; without a display the offscreen platform serves.
// Null when the process already has one (the tests, which call the commands in-process).
std::unique_ptr<QGuiApplication> EnsureGuiApplication();
