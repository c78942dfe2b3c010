#pragma once
// Saving a picture of the plot to a file: the graph window's "Export..." and `brevanto-cli render`
// write through the same function, so a file looks the same whichever wrote it.
#include "graphics/PlotRenderer.h"
#include <QSize>
#include <QString>
#include <optional>

enum class TExportFormat { Png, Svg, Pdf };

// The format named by the file name's extension (".png", ".svg", ".pdf", any case); none for others.
std::optional<TExportFormat> ExportFormatFor(const QString& fileName);

// Writes the picture that `view` shows to `fileName`. PNG and SVG: a canvas of `size` pixels drawn as
// on screen (white background, `view`'s plot rectangle and axes). PDF: one landscape letter page laid
// out as the printout, showing the world window of `view`. `view` is left as it was. False when the
// file could not be written. `scale` > 1 draws PNG and SVG that many times larger (lines, text and all),
// showing the same picture in more pixels.
bool ExportPlot(const QString& fileName, TExportFormat format, const QSize& size,
                const TDrawSettings& settings, const TPlotStore& store, const TViewTransform& view,
                int scale = 1);
