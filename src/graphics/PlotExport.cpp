#include "graphics/PlotExport.h"
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>

std::optional<TExportFormat> ExportFormatFor(const QString& fileName) {
    if (fileName.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return TExportFormat::Png;
    if (fileName.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive))
        return TExportFormat::Svg;
    if (fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return TExportFormat::Pdf;
    return std::nullopt;
}

bool ExportPlot(const QString& fileName, TExportFormat format, const QSize& size,
                const TDrawSettings& settings, const TPlotStore& store, const TViewTransform& view,
                int scale) {
    scale = std::clamp(scale, 1, 8);
    // The drawing writes tick steps into its transform; the caller's view stays untouched.
    TViewTransform v = view;
    const QRect rect(QPoint(0, 0), size);
    switch (format) {
    case TExportFormat::Png: {
        if (size.isEmpty())
            return false;
        QImage image(size * scale, QImage::Format_RGB32);
        // The painter maps the view's pixels onto `scale` times as many.
        image.setDevicePixelRatio(scale);
        {
            QPainter painter(&image);
            DrawPlot(painter, Qt::white, rect, settings, store, v);
        }
        return image.save(fileName, "PNG");
    }
    case TExportFormat::Svg: {
        if (size.isEmpty())
            return false;
        QSvgGenerator svg;
        svg.setFileName(fileName);
        svg.setSize(size * scale);
        svg.setResolution(96); // point-sized fonts come out as on a screen, as in the PNG
        svg.setViewBox(rect);
        svg.setTitle(QStringLiteral("Brevanto Graph"));
        QPainter painter;
        if (!painter.begin(&svg))
            return false;
        DrawPlot(painter, Qt::white, rect, settings, store, v);
        return painter.end();
    }
    case TExportFormat::Pdf: {
        QPdfWriter pdf(fileName);
        pdf.setTitle(QStringLiteral("Brevanto Graph"));
        pdf.setCreator(QStringLiteral("Brevanto"));
        pdf.setResolution(300);
        pdf.setPageSize(QPageSize(QPageSize::Letter));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&pdf))
            return false;
        PrintPlot(painter, QRect(0, 0, pdf.width(), pdf.height()), settings, store, v);
        return painter.end();
    }
    }
    return false;
}
