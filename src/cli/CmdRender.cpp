// brevanto-cli render PLOT --model IN --out FILE [--size WxH] [--options LIST]
// Draws a plot file as the graph window would: PNG or SVG fitted to the size, or a one-page landscape
// PDF laid out as the printout. The drawing itself is the renderer's, shared with the graph window.
#include "cli/CmdRender.h"
#include "graphics/PlotFile.h"
#include "graphics/PlotRenderer.h"
#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <iostream>
#include <memory>

namespace {
const char* const RenderUsage =
    "Usage: brevanto-cli render PLOT --model IN --out FILE.png|.svg|.pdf [--size WxH] [--options LIST]\n"
    "  LIST: comma-separated option names: boundary, limits, layernumbers, coords, colors, tiebacks,\n"
    "        piezo, pressures, reinforcement, scale, solution, ten, critical, trials, totalstress,\n"
    "        porepressure, and fscolors (the trial surfaces coloured by factor of safety, with a\n"
    "        legend). Default: every option the plot file enables, and scale.\n";

struct TOptionName {
    const char* Name;
    bool TDisplayOptions::*Field;
};

const TOptionName OptionNames[] = {
    {"boundary", &TDisplayOptions::BoundaryLines},
    {"limits", &TDisplayOptions::SearchLimits},
    {"layernumbers", &TDisplayOptions::SoilLayerNumbers},
    {"coords", &TDisplayOptions::BoundaryCoords},
    {"colors", &TDisplayOptions::ColorSoilLayers},
    {"tiebacks", &TDisplayOptions::TieBacks},
    {"piezo", &TDisplayOptions::PiezometricLine},
    {"pressures", &TDisplayOptions::SurfacePressures},
    {"reinforcement", &TDisplayOptions::ReinfLines},
    {"scale", &TDisplayOptions::Scale},
    {"solution", &TDisplayOptions::SolutionInformation},
    {"ten", &TDisplayOptions::TenSlipSurfaces},
    {"critical", &TDisplayOptions::CriticalSlipSurface},
    {"trials", &TDisplayOptions::AllTrialSurfaces},
    {"totalstress", &TDisplayOptions::TotalStresses},
    {"porepressure", &TDisplayOptions::PoreWaterPressures},
};

bool ParseSize(const std::string& text, int& w, int& h) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    const char* b = text.data();
    const auto r1 = std::from_chars(b, b + x, w);
    const auto r2 = std::from_chars(b + x + 1, b + text.size(), h);
    return r1.ec == std::errc() && r1.ptr == b + x && r2.ec == std::errc() && r2.ptr == b + text.size() &&
           w >= 16 && h >= 16 && w <= 20000 && h <= 20000;
}

// Beyond the sixteen: the graph window's "Colour by FS".
const char* const ColourByFactorName = "fscolors";

// Turns the list into options; false (with the offending name) for an unknown one.
bool ParseOptions(const std::string& list, TRenderRequest& request, std::string& bad) {
    TDisplayOptions& options = request.Options;
    options = TDisplayOptions();
    request.ColourByFactor = false;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string name = list.substr(start, end - start);
        if (!name.empty()) {
            bool known = name == ColourByFactorName;
            request.ColourByFactor = request.ColourByFactor || known;
            for (const TOptionName& o : OptionNames)
                if (name == o.Name) {
                    options.*(o.Field) = true;
                    known = true;
                }
            if (!known) {
                bad = name;
                return false;
            }
        }
        start = end + 1;
    }
    return true;
}

} // namespace

std::unique_ptr<QGuiApplication> EnsureGuiApplication() {
    if (QGuiApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "brevanto-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

TRenderParse ParseRenderArgs(const TArgs& args) {
    TRenderParse result;
    TRenderRequest& r = result.Request;
    auto fail = [&result](const std::string& text) {
        result.Outcome = TRenderParse::UsageError;
        result.Error = text;
        return result;
    };
    std::string sizeText, optionList;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        if (a == "--model") {
            if (!value(r.Model))
                return fail("--model needs a file name");
        } else if (a == "--out") {
            if (!value(r.Out))
                return fail("--out needs a file name");
        } else if (a == "--size") {
            if (!value(sizeText))
                return fail("--size needs WxH");
        } else if (a == "--options") {
            if (!value(optionList))
                return fail("--options needs a list");
            r.HaveOptions = true;
        } else if (a == "--help" || a == "-h") {
            result.Outcome = TRenderParse::Help;
            return result;
        } else if (a.size() > 1 && a[0] == '-') {
            return fail("unknown option \"" + a + "\"");
        } else if (r.Plot.empty()) {
            r.Plot = a;
        } else {
            return fail("more than one plot file given");
        }
    }
    if (r.Plot.empty())
        return fail("no plot file given");
    if (r.Model.empty())
        return fail("--model IN is required");
    if (r.Out.empty())
        return fail("--out FILE is required");
    if (!sizeText.empty() && !ParseSize(sizeText, r.Width, r.Height))
        return fail("--size must be WxH, each from 16 to 20000 pixels, not \"" + sizeText + "\"");
    const std::optional<TExportFormat> format = ExportFormatFor(QString::fromStdString(r.Out));
    if (!format)
        return fail("the output file must end in .png, .svg or .pdf");
    r.Format = *format;
    std::string badName;
    if (r.HaveOptions && !ParseOptions(optionList, r, badName))
        return fail("unknown display option \"" + badName + "\"");
    return result;
}

bool LoadRender(const TRenderRequest& request, TRenderModel& model, TPlotStore& store) {
    model = LoadRenderModel(request.Model);
    // Messages of the reader go to standard error; what was read is still drawn.
    return ReadPlotFile(request.Plot, model.Boundary, store, CliMessages(request.Plot));
}

TDrawSettings RenderSettings(const TRenderRequest& request, const TPlotStore& store,
                             const TRenderModel& model) {
    TDrawSettings settings;
    const TDisplayOptions& enabled = store.Enabled;
    if (request.HaveOptions) {
        // A box the file did not enable cannot be ticked in the graph window either.
        for (const TOptionName& o : OptionNames)
            settings.Options.*(o.Field) = request.Options.*(o.Field) && enabled.*(o.Field);
        // Colouring the trial surfaces means drawing them; the renderer colours only drawn ones.
        if (request.ColourByFactor && enabled.AllTrialSurfaces) {
            settings.ColourByFactor = true;
            settings.Options.AllTrialSurfaces = true;
        }
    } else {
        settings.Options = enabled;
        settings.Options.Scale = true;
    }
    settings.RadiusLines = model.RadiusLines;
    return settings;
}

bool DrawRender(const TRenderRequest& request, const TDrawSettings& settings, const TPlotStore& store,
                TViewTransform& view) {
    const QSize size(request.Width, request.Height);
    FitView(QRect(QPoint(0, 0), size), settings.Options.Scale, store, view);
    return ExportPlot(QString::fromStdString(request.Out), request.Format, size, settings, store, view);
}

int CmdRender(const TArgs& args) {
    const TRenderParse parsed = ParseRenderArgs(args);
    if (parsed.Outcome == TRenderParse::Help) {
        std::cout << RenderUsage;
        return 0;
    }
    if (parsed.Outcome == TRenderParse::UsageError) {
        std::cerr << "brevanto-cli render: " << parsed.Error << "\n\n" << RenderUsage;
        return 2;
    }
    const TRenderRequest& request = parsed.Request;

    const auto app = EnsureGuiApplication();
    TRenderModel model;
    // Some 13 MB: on the heap.
    const auto plot = std::make_unique<TPlotStore>();
    TPlotStore& store = *plot;
    store.Clear();
    if (!LoadRender(request, model, store))
        return 1;

    TViewTransform view;
    if (!DrawRender(request, RenderSettings(request, store, model), store, view)) {
        std::cerr << "brevanto-cli render: cannot write \"" << request.Out << "\"\n";
        return 1;
    }
    // Like convert: a picture drawn from a model that did not load completely is still written.
    return model.LoadProblem ? 1 : 0;
}
