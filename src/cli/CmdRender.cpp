// brevanto-cli render PLOT --model IN --out FILE [--size WxH] [--options LIST]
// Draws a plot file as the graph window would: PNG or SVG fitted to the size, or a one-page landscape
// PDF laid out as the printout.
#include "cli/Commands.h"
#include "cli/RenderModel.h"
#include "graphics/PltData.h"
#include "graphics/PltDraw.h"
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QSvgGenerator>
#include <charconv>
#include <iostream>
#include <memory>

namespace {
const char* const RenderUsage =
    "Usage: brevanto-cli render PLOT --model IN --out FILE.png|.svg|.pdf [--size WxH] [--options LIST]\n"
    "  LIST: comma-separated option names: boundary, limits, layernumbers, coords, colors, tiebacks,\n"
    "        piezo, pressures, reinforcement, scale, solution, ten, critical, trials, totalstress,\n"
    "        porepressure. Default: every option the plot file enables, and scale.\n";

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

int UsageError(const std::string& text) {
    std::cerr << "brevanto-cli render: " << text << "\n\n" << RenderUsage;
    return 2;
}

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

// Turns the list into options; false (with the offending name) for an unknown one.
bool ParseOptions(const std::string& list, TDisplayOptions& options, std::string& bad) {
    options = TDisplayOptions();
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string name = list.substr(start, end - start);
        if (!name.empty()) {
            bool known = false;
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

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool EndsWith(const std::string& s, const char* tail) {
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// Painting text needs a GUI application object; without a display the offscreen platform serves.
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
} // namespace

int CmdRender(const TArgs& args) {
    std::string plot, model, out, sizeText, optionList;
    bool haveOptions = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        if (a == "--model") {
            if (!value(model))
                return UsageError("--model needs a file name");
        } else if (a == "--out") {
            if (!value(out))
                return UsageError("--out needs a file name");
        } else if (a == "--size") {
            if (!value(sizeText))
                return UsageError("--size needs WxH");
        } else if (a == "--options") {
            if (!value(optionList))
                return UsageError("--options needs a list");
            haveOptions = true;
        } else if (a == "--help" || a == "-h") {
            std::cout << RenderUsage;
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option \"" + a + "\"");
        } else if (plot.empty()) {
            plot = a;
        } else {
            return UsageError("more than one plot file given");
        }
    }
    if (plot.empty())
        return UsageError("no plot file given");
    if (model.empty())
        return UsageError("--model IN is required");
    if (out.empty())
        return UsageError("--out FILE is required");
    int width = 1200, height = 800;
    if (!sizeText.empty() && !ParseSize(sizeText, width, height))
        return UsageError("--size must be WxH, each from 16 to 20000 pixels, not \"" + sizeText + "\"");
    const std::string ext = Lower(out);
    enum { Png, Svg, Pdf } format;
    if (EndsWith(ext, ".png"))
        format = Png;
    else if (EndsWith(ext, ".svg"))
        format = Svg;
    else if (EndsWith(ext, ".pdf"))
        format = Pdf;
    else
        return UsageError("the output file must end in .png, .svg or .pdf");
    TDisplayOptions chosen;
    std::string badName;
    if (haveOptions && !ParseOptions(optionList, chosen, badName))
        return UsageError("unknown display option \"" + badName + "\"");

    const TRenderModel renderModel = LoadRenderModel(model);

    const auto app = EnsureGuiApplication();
    // Messages of the reader go to standard error; what was read is still drawn.
    if (!ReadPlotFile(plot, renderModel.Boundary, PlotStore(), CliMessages(plot)))
        return 1;
    TPlotStore& store = PlotStore();

    TDrawSettings settings;
    const TDisplayOptions& enabled = store.Enabled;
    if (haveOptions) {
        // A box the file did not enable cannot be ticked in the graph window either.
        for (const TOptionName& o : OptionNames)
            settings.Options.*(o.Field) = chosen.*(o.Field) && enabled.*(o.Field);
    } else {
        settings.Options = enabled;
        settings.Options.Scale = true;
    }
    settings.RadiusLines = renderModel.RadiusLines;

    TViewTransform& view = ViewTransform();
    const QRect rect(0, 0, width, height);
    FitView(rect, settings.Options.Scale, store, view);
    const QString file = QString::fromStdString(out);
    bool ok = false;
    if (format == Png) {
        QImage image(width, height, QImage::Format_RGB32);
        {
            QPainter painter(&image);
            DrawPlot(painter, Qt::white, rect, settings, store, view);
        }
        ok = image.save(file, "PNG");
    } else if (format == Svg) {
        QSvgGenerator svg;
        svg.setFileName(file);
        svg.setSize(QSize(width, height));
        svg.setResolution(96); // point-sized fonts come out as on a screen, as in the PNG
        svg.setViewBox(rect);
        svg.setTitle(QStringLiteral("Brevanto Graph"));
        QPainter painter;
        ok = painter.begin(&svg);
        if (ok) {
            DrawPlot(painter, Qt::white, rect, settings, store, view);
            ok = painter.end();
        }
    } else {
        QPdfWriter pdf(file);
        pdf.setTitle(QStringLiteral("Brevanto Graph"));
        pdf.setCreator(QStringLiteral("Brevanto"));
        pdf.setResolution(300);
        pdf.setPageSize(QPageSize(QPageSize::Letter));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        ok = painter.begin(&pdf);
        if (ok) {
            PrintPlot(painter, QRect(0, 0, pdf.width(), pdf.height()), settings, store, view);
            ok = painter.end();
        }
    }
    if (!ok) {
        std::cerr << "brevanto-cli render: cannot write \"" << out << "\"\n";
        return 1;
    }
    // Like convert: a picture drawn from a model that did not load completely is still written.
    return renderModel.LoadProblem ? 1 : 0;
}
