// The plot-file reader on any text, followed by fitting and drawing the result into a small image with
// every display option, as the graph window would.
#include "FuzzSupport.h"
#include "graphics/PlotFile.h"
#include "graphics/PlotRenderer.h"
#include <QImage>
#include <QPainter>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 262144)
        return 0;
    FuzzEnsureGuiApplication();
    static const TBoundaryLines boundary = {{0, 50, 100, 50, 1},
                                            {100, 50, 200, 100, 1},
                                            {200, 100, 300, 100, 1},
                                            {0, 30, 300, 30, 2},
                                            {0, 10, 300, 10, 3}};
    // One store for the whole fuzzing run (some 13 MB: one per input would slow it); each read clears it.
    static const std::unique_ptr<TPlotStore> plot = std::make_unique<TPlotStore>();
    TPlotStore& store = *plot;
    ReadPlotText(reinterpret_cast<const char*>(data), size, boundary, store,
                 [](TMessageKind, const std::string&) {});
    QImage image(160, 100, QImage::Format_RGB32);
    TDrawSettings settings;
    settings.Options = store.Enabled; // everything the file allows
    for (bool scale : {false, true}) {
        settings.Options.Scale = scale;
        settings.ColourByFactor = scale;
        settings.Highlight = scale ? 3 : -1;
        TViewTransform view;
        FitView(image.rect(), scale, store, view);
        QPainter painter(&image);
        DrawPlot(painter, Qt::white, image.rect(), settings, store, view);
    }
    return 0;
}
