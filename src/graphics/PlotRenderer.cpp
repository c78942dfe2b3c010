#include "graphics/PlotRenderer.h"
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QPolygonF>
#include <QRegion>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>
#include <vector>

#include "graphics/PlotPixels.h"

using namespace PlotPixels;

namespace {

// Clips a segment to a rectangle (Liang-Barsky); false when nothing of it is inside.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, const QRect& r) {
    const double dx = x1 - x0, dy = y1 - y0;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - r.left(), r.right() - x0, y0 - r.top(), r.bottom() - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = ax;
    y0 = ay;
    return true;
}

// One-pixel solid lines written straight into a 32-bit image. A repaint with every trial surface
// draws some 800 000 segments; through the general line path of the raster engine that takes
// several times the time of a screen refresh.
void RasterLines(QImage& image, const QRect& clip, const QLine* lines, std::size_t n, QRgb color) {
    // The painter that draws into the image has detached it already, so this does not copy.
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    auto plot = [&](int x, int y) { reinterpret_cast<QRgb*>(bits + y * stride)[x] = color; };
    const int left = clip.left(), right = clip.right(), top = clip.top(), bottom = clip.bottom();
    for (std::size_t i = 0; i < n; ++i) {
        int x0 = lines[i].x1(), y0 = lines[i].y1(), x1 = lines[i].x2(), y1 = lines[i].y2();
        if (std::min(x0, x1) < left || std::max(x0, x1) > right || std::min(y0, y1) < top ||
            std::max(y0, y1) > bottom) {
            double a = x0, b = y0, c = x1, d = y1;
            if (!ClipSegment(a, b, c, d, clip))
                continue;
            x0 = std::clamp(Round(a), clip.left(), clip.right());
            y0 = std::clamp(Round(b), clip.top(), clip.bottom());
            x1 = std::clamp(Round(c), clip.left(), clip.right());
            y1 = std::clamp(Round(d), clip.top(), clip.bottom());
        }
        const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            plot(x0, y0);
            if (x0 == x1 && y0 == y1)
                break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
}

class TDrawer {
  public:
    TDrawer(QPainter& canvas, const TDrawSettings& settings, const TPlotStore& store, TViewTransform& view,
            bool paper)
        : C(canvas), Set(settings), O(settings.Options), S(store), V(view), Paper(paper) {
        // Reserved once a drawing, so a repaint with thousands of trial surfaces allocates nothing per
        // segment (the pages are taken as they are filled).
        Lines.reserve(static_cast<std::size_t>(PlotCapacity::TrialSurfaces) * PlotCapacity::SurfacePoints);
        LabelFont = QFont("Arial");
        if (Paper)
            LabelFont.setPointSizeF(10);
        else
            LabelFont.setPixelSize(13);
        // Thin lines may go straight into the pixels when the canvas is a plain 32-bit image.
        QPaintDevice* device = C.device();
        if (device && device->devType() == QInternal::Image) {
            QImage* image = static_cast<QImage*>(device);
            const QImage::Format f = image->format();
            if ((f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                 f == QImage::Format_ARGB32_Premultiplied) &&
                image->devicePixelRatio() == 1)
                Image = image;
        }
    }

    // The plot rectangle the drawing is clipped to (also used by the direct line path).
    void SetClip(const QRect& clip) {
        Clip = clip;
        C.setClipRect(clip);
    }
    void EndClip() {
        Clip = QRect();
        C.setClipping(false);
    }

    void Elements() {
        if (O.ColorSoilLayers)
            SoilAreas();
        if (O.AllTrialSurfaces && Set.ColourByFactor)
            ColouredTrialSurfaces();
        else if (O.AllTrialSurfaces)
            TrialSurfaces(QColor(192, 192, 192), 1);
        if (O.BoundaryLines) {
            SetPen(Qt::black, 2 * V.LineFactor);
            for (int c = 0; c < S.ChainCount; ++c)
                Polyline(S.Chains[c].Line.Points, S.Chains[c].Line.Count);
            Flush();
        }
        if (O.SearchLimits && !Paper) {
            SetPen(Qt::black, 3 * V.LineFactor);
            for (int s = 0; s < S.LimitSegmentCount; ++s)
                Segment(S.LimitSegments[s][0], S.LimitSegments[s][1]);
            Flush();
        }
        if (O.PiezometricLine) {
            SetPen(QColor(0, 0, 255), 2 * V.LineFactor);
            for (int w = 0; w < S.DisplayWaterCount; ++w)
                Polyline(S.DisplayWater[w].Points, S.DisplayWater[w].Count);
            Flush();
        }
        if (O.TieBacks) {
            SetPen(Qt::black, 3);
            for (int t = 0; t < S.TiebackCount; ++t)
                Polyline(S.Tiebacks[t], 3);
            Flush();
        }
        if (O.ReinfLines) {
            SetPen(QColor(128, 0, 0), 3);
            for (int r = 0; r < S.ReinfLineCount; ++r)
                Polyline(S.ReinfLines[r].Points, S.ReinfLines[r].Count);
            Flush();
        }
        if (O.SurfacePressures) {
            SetPen(QColor(0, 128, 128), 1);
            for (int z = 0; z < S.PressureZoneCount; ++z) {
                const TPlotPoint* p = S.PressureZones[z];
                for (int k = 0; k < 4; ++k)
                    Segment(p[k], p[(k + 1) % 4]);
            }
            Flush();
        }
        if (O.TotalStresses)
            StressDiagram(false);
        if (O.PoreWaterPressures)
            StressDiagram(true);
        if (O.TenSlipSurfaces) {
            if (S.TenSurfaces[0].Count == 0) {
                TrialSurfaces(Qt::black, 3);
            } else {
                SetPen(Qt::black, 3);
                for (const TSurface& t : S.TenSurfaces)
                    Polyline(t.Points, t.Count);
                Flush();
            }
        }
        if (O.CriticalSlipSurface)
            CriticalSurface();
        if (Set.Highlight >= 0 && Set.Highlight < PlotCapacity::TenSurfaces) {
            const TSurface& chosen = S.TenSurfaces[Set.Highlight];
            SetPen(QColor(255, 140, 0), 4 * V.LineFactor);
            Polyline(chosen.Points, chosen.Count);
            Flush();
        }
        if (O.SoilLayerNumbers)
            SoilNumbers();
        if (O.BoundaryCoords)
            ChainCoords();
        // The critical surface's line carries the factor already: never print it twice.
        if (O.SolutionInformation && !O.CriticalSlipSurface) {
            C.setFont(LabelFont);
            C.setPen(Qt::black);
            Text(V.PlotLeft + 10, V.PlotTop + 72, "Factor of Safety = " + FormatFixed(S.CurrentFS, 3), false);
        }
    }

    // Frame, ticks, labels and titles. On paper the horizontal labels take the label font and the
    // vertical ones stand 100 pixels left of the frame.
    void Axes() {
        const int left = V.PlotLeft, top = V.PlotTop, right = V.PlotRight, bottom = V.PlotBottom;
        SetPen(Qt::black, V.LineFactor);
        C.setBrush(Qt::NoBrush);
        C.drawRect(QRect(left, top, right - left, bottom - top));

        QFont axisFont("Arial");
        axisFont.setPointSizeF(11);
        axisFont.setWeight(QFont::Normal);
        const QFont& hFont = Paper ? LabelFont : axisFont;

        // Horizontal axis.
        C.setFont(hFont);
        QFontMetrics hm = C.fontMetrics();
        const int tickY = V.UnitY / 10, tickX = V.UnitX / 10;
        if (V.TickStepX > 0 && std::isfinite(V.TickStepX)) {
            double v = V.FirstTickX;
            for (int n = 0; n < 10000; ++n, v += V.TickStepX) {
                const double pxf = V.PixelXf(v);
                if (pxf > right || !std::isfinite(pxf))
                    break;
                if (pxf < left)
                    continue;
                const int px = Round(pxf);
                C.drawLine(px, bottom, px, bottom - tickY);
                C.drawLine(px, top, px, top + tickY);
                const QString label = QString::fromStdString(FormatFixed(v, 0));
                const int w = hm.horizontalAdvance(label);
                C.drawText(QRect(px - w / 2 - 1, bottom, w + 2, hm.height()), Qt::AlignCenter, label);
            }
        }
        C.setFont(axisFont);
        QFontMetrics am = C.fontMetrics();
        {
            const QString title = QStringLiteral("Horizontal Coordinate");
            const int w = am.horizontalAdvance(title);
            const int y = bottom + V.UnitY / 2 - am.height();
            C.drawText(QRect((left + right) / 2 - w / 2 - 1, y, w + 2, am.height()), Qt::AlignCenter, title);
        }

        // Vertical axis: labels and title turned to read upward.
        const int th = am.height();
        // The labels stand clear of the frame and its ticks at any resolution.
        const int labelStrip = left - th - std::max(2, tickX / 2);
        if (V.TickStepY > 0 && std::isfinite(V.TickStepY)) {
            double v = V.FirstTickY;
            for (int n = 0; n < 10000; ++n, v += V.TickStepY) {
                const double pyf = V.PixelYf(v);
                if (pyf < top || !std::isfinite(pyf))
                    break;
                if (pyf > bottom)
                    continue;
                const int py = Round(pyf);
                C.drawLine(left, py, left + tickX, py);
                C.drawLine(right, py, right - tickX, py);
                RotatedText(labelStrip + th / 2, py, QString::fromStdString(FormatFixed(v, 0)));
            }
        }
        RotatedText(left - V.UnitY / 2 + th / 2, (top + bottom) / 2, QStringLiteral("Vertical Coordinate"));
    }

  private:
    void SetPen(const QColor& color, int width) {
        QPen pen(color);
        pen.setWidth(width);
        pen.setStyle(Qt::SolidLine);
        pen.setCapStyle(width > 1 ? Qt::RoundCap : Qt::SquareCap);
        pen.setJoinStyle(Qt::RoundJoin);
        C.setPen(pen);
    }

    // The segment primitive: skipped whole when any end lies beyond ±32767 pixels.
    void Segment(const TPlotPoint& a, const TPlotPoint& b) {
        const double x1 = V.PixelXf(a.X), y1 = V.PixelYf(a.Y), x2 = V.PixelXf(b.X), y2 = V.PixelYf(b.Y);
        if (!InRange(x1, y1) || !InRange(x2, y2))
            return;
        Lines.emplace_back(Round(x1), Round(y1), Round(x2), Round(y2));
    }

    // Consecutive segments; each point is mapped once.
    void Polyline(const TPlotPoint* p, int count) {
        if (count < 2)
            return;
        const double sx = V.ScaleX, sy = V.ScaleY, ox = V.OriginX - V.XMin * sx, oy = V.OriginY - V.YMin * sy;
        double x = p[0].X * sx + ox, y = p[0].Y * sy + oy;
        bool in = InRange(x, y);
        int ix = in ? Round(x) : 0, iy = in ? Round(y) : 0;
        for (int k = 1; k < count; ++k) {
            x = p[k].X * sx + ox;
            y = p[k].Y * sy + oy;
            const bool nextIn = InRange(x, y);
            const int nx = nextIn ? Round(x) : 0, ny = nextIn ? Round(y) : 0;
            if (in && nextIn)
                Lines.emplace_back(ix, iy, nx, ny);
            in = nextIn;
            ix = nx;
            iy = ny;
        }
    }

    void Flush() {
        if (Lines.empty())
            return;
        const QPen pen = C.pen();
        // Only where the painter would put exactly these pixels: no mapping at all (world, viewport
        // and window together), full opacity, plain source-over.
        if (Image && pen.width() <= 1 && pen.style() == Qt::SolidLine && pen.color().alpha() == 255 &&
            !C.testRenderHint(QPainter::Antialiasing) && C.combinedTransform().isIdentity() &&
            C.opacity() == 1.0 && C.compositionMode() == QPainter::CompositionMode_SourceOver) {
            const QRect clip = (Clip.isValid() ? Clip : Image->rect()).intersected(Image->rect());
            if (!clip.isEmpty())
                RasterLines(*Image, clip, Lines.data(), Lines.size(), pen.color().rgba());
        } else {
            C.drawLines(Lines.data(), static_cast<int>(Lines.size()));
        }
        Lines.clear();
    }

    // The colour of a factor of safety between the lowest (red) and `high` (blue).
    static QColor FactorColour(double fs, double low, double high) {
        const double t = high > low ? std::clamp((fs - low) / (high - low), 0.0, 1.0) : 0.0;
        return QColor::fromHsvF(static_cast<float>(t * 240.0 / 360.0), 0.9f, 0.9f);
    }

    // Every trial surface in the colour of its factor, the most critical drawn last (on top), and a
    // legend in the plot's top right corner. The scale ends at twice the lowest factor, so that the
    // colours resolve the critical zone rather than far-off surfaces.
    void ColouredTrialSurfaces() {
        std::vector<std::pair<double, int>> order;
        for (int slot = 2; slot <= S.SlotCounter && slot <= PlotCapacity::LastTrialSlot; ++slot)
            if (S.TrialFS[slot] > 0)
                order.push_back({S.TrialFS[slot], slot});
        if (order.empty()) {
            TrialSurfaces(QColor(192, 192, 192), 1);
            return;
        }
        std::sort(order.begin(), order.end(), std::greater<>());
        const double low = order.back().first, high = std::min(order.front().first, 2 * low);
        for (const auto& [fs, slot] : order) {
            SetPen(FactorColour(fs, low, high), V.LineFactor);
            Polyline(S.TrialSurfaces[slot].Points, S.TrialSurfaces[slot].Count);
            Flush();
        }
        const int unit = std::max(1, V.LineFactor);
        const int w = 14 * unit, h = 120 * unit;
        const int right = (Clip.isValid() ? Clip.right() : V.PlotRight) - 70 * unit;
        const int top = (Clip.isValid() ? Clip.top() : V.PlotTop) + 24 * unit;
        const QRect bar(right, top, w, h);
        C.save();
        C.fillRect(bar.adjusted(-6 * unit, -22 * unit, 64 * unit, 8 * unit), QColor(255, 255, 255, 220));
        for (int k = 0; k < h; ++k)
            C.fillRect(QRect(right, top + k, w, 1),
                       FactorColour(low + (high - low) * k / std::max(1, h - 1), low, high));
        C.setPen(Qt::black);
        C.drawRect(bar);
        C.setFont(LabelFont);
        C.drawText(QPoint(right - 4 * unit, top - 8 * unit), QStringLiteral("FS"));
        for (int k = 0; k <= 2; ++k) {
            const double fs = low + (high - low) * k / 2;
            const int y = top + (h - 1) * k / 2;
            C.drawLine(right + w, y, right + w + 4 * unit, y);
            const QString text = QString::fromStdString(FormatFixed(fs, 3)) +
                                 (k == 2 && high < order.front().first ? "+" : "");
            C.drawText(QPoint(right + w + 6 * unit, y + 5 * unit), text);
        }
        C.restore();
    }

    void TrialSurfaces(const QColor& color, int width) {
        SetPen(color, width);
        for (int slot = 2; slot <= S.SlotCounter && slot <= PlotCapacity::LastTrialSlot; ++slot)
            Polyline(S.TrialSurfaces[slot].Points, S.TrialSurfaces[slot].Count);
        Flush();
    }

    // A filled polygon; a shape reaching far off the canvas is cut to a generous rectangle first,
    // since the rasterizer's fixed-point range is limited.
    void Polygon(QPolygonF poly) {
        const QRectF limit(-PixelLimit, -PixelLimit, 2 * PixelLimit, 2 * PixelLimit);
        for (const QPointF& p : poly) {
            if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
                return;
        }
        if (!limit.contains(poly.boundingRect()))
            poly = poly.intersected(QPolygonF(limit));
        if (!poly.isEmpty())
            C.drawPolygon(poly);
    }

    QPointF Pix(const TPlotPoint& p) const { return QPointF(V.PixelX(p.X), V.PixelY(p.Y)); }

    void SoilAreas() {
        const double bottom = V.PlotBottom;
        C.setPen(QPen(Qt::NoPen));
        for (int i = 0; i < S.BoundaryRecordCount; ++i) {
            const TBoundaryRecord& r = S.BoundaryRecords[i];
            const QColor color = SoilColor(r.Soil);
            SetPen(color, 1);
            C.setBrush(color);
            const double lx = V.PixelX(r.LeftX), rx = V.PixelX(r.RightX);
            Polygon(QPolygonF({QPointF(lx, bottom), QPointF(lx, V.PixelY(r.LeftY)),
                               QPointF(rx, V.PixelY(r.RightY)), QPointF(rx, bottom)}));
        }
        if (O.SearchLimits && S.LimitSegmentCount > 0) {
            // The excluded zone: white below every limit segment, then a hatched band 20 length units
            // deep along the whole limit line.
            SetPen(Qt::white, 1);
            C.setBrush(Qt::white);
            for (int s = 0; s < S.LimitSegmentCount; ++s) {
                const TPlotPoint& a = S.LimitSegments[s][0];
                const TPlotPoint& b = S.LimitSegments[s][1];
                Polygon(QPolygonF(
                    {QPointF(V.PixelX(a.X), bottom), Pix(a), Pix(b), QPointF(V.PixelX(b.X), bottom)}));
            }
            QPolygonF band;
            const int n = S.LimitSegmentCount;
            band.reserve(2 * n + 2);
            band << Pix(S.LimitSegments[0][0]);
            for (int s = 0; s < n; ++s)
                band << Pix(S.LimitSegments[s][1]);
            for (int s = n - 1; s >= 0; --s)
                band << Pix({S.LimitSegments[s][1].X, S.LimitSegments[s][1].Y - 20.0});
            band << Pix({S.LimitSegments[0][0].X, S.LimitSegments[0][0].Y - 20.0});
            SetPen(Qt::black, 1);
            QBrush hatch(Qt::black, Qt::DiagCrossPattern);
            // On paper the pattern grows with the lines, or it would print as a grey wash.
            if (V.LineFactor > 1)
                hatch.setTransform(QTransform::fromScale(V.LineFactor, V.LineFactor));
            C.setBrush(hatch);
            Polygon(band);
        }
        C.setBrush(Qt::NoBrush);
    }

    // Total-stress or pore-pressure diagram hanging from the critical surface.
    void StressDiagram(bool pore) {
        const TSurface& crit = S.TenSurfaces[0];
        SetPen(pore ? QColor(0, 0, 255) : QColor(128, 128, 128), V.LineFactor);
        bool havePrevious = false;
        TPlotPoint previous;
        for (int i = 0; i < S.SliceCount; ++i) {
            const TSliceRecord& slice = S.Slices[i];
            const double x = slice.R[0];
            const double s = pore ? slice.R[3] : slice.R[1];
            const double divisor = slice.R[2] * 62.4;
            int k = 0;
            while (k < crit.Count && !(crit.Points[k].X > x))
                ++k;
            // A slice outside the critical surface's x range, or without a divisor, has no place
            // in the diagram.
            if (k == 0 || k >= crit.Count || divisor == 0)
                continue;
            const TPlotPoint& a = crit.Points[k - 1];
            const TPlotPoint& b = crit.Points[k];
            const double y = b.X == a.X ? a.Y : a.Y + (b.Y - a.Y) * (x - a.X) / (b.X - a.X);
            const double h = s / divisor;
            const TPlotPoint end{x, y - h};
            (pore ? slice.PoreEnd : slice.TotalEnd) = end.Y;
            Segment({x, y}, end);
            if (havePrevious)
                Segment(previous, end);
            previous = end;
            havePrevious = true;
        }
        Flush();
    }

    void CriticalSurface() {
        const TCriticalSurface& c = S.Critical;
        C.setFont(LabelFont);
        C.setPen(Qt::black);
        Text(V.PlotLeft + 10, V.PlotTop + 72,
             "Factor of Safety = " + FormatFixed(c.FS, 3) + ",  X = " + FormatFixed(c.X, 2) +
                 ",  Y = " + FormatFixed(c.Y, 2) + ",  R = " + FormatFixed(c.R, 2),
             true);
        const TSurface& crit = S.TenSurfaces[0];
        if (crit.Count == 0) {
            TrialSurfaces(QColor(255, 0, 0), 3);
            return;
        }
        if (Set.RadiusLines) {
            SetPen(Qt::black, 1);
            const TPlotPoint centre{c.CentreX, c.CentreY};
            Segment(crit.Points[0], centre);
            Segment(crit.Points[crit.Count - 1], centre);
            Flush();
        }
        SetPen(QColor(255, 0, 0), 3);
        Polyline(crit.Points, crit.Count);
        Flush();
    }

    void Marker(const TPlotPoint& p) {
        const double x = V.PixelXf(p.X), y = V.PixelYf(p.Y);
        if (!InRange(x, y))
            return;
        C.drawRect(QRect(Round(x) - 3, Round(y) - 3, 6, 6));
    }

    // The label primitive: centred on a world point, on an opaque white background.
    void Label(const TPlotPoint& p, const std::string& text) {
        const double x = V.PixelXf(p.X), y = V.PixelYf(p.Y);
        if (!InRange(x, y))
            return;
        const QString t = QString::fromStdString(text);
        const QFontMetrics fm = C.fontMetrics();
        const int w = fm.horizontalAdvance(t), h = fm.height();
        const QRect r(Round(x) - w / 2, Round(y) - h / 2, w, h);
        C.fillRect(r, Qt::white);
        C.drawText(r, Qt::AlignCenter, t);
    }

    // Text with its top-left corner at a pixel.
    void Text(int x, int y, const std::string& text, bool opaque) {
        const QString t = QString::fromStdString(text);
        const QFontMetrics fm = C.fontMetrics();
        const QRect r(x, y, fm.horizontalAdvance(t), fm.height());
        if (opaque)
            C.fillRect(r, Qt::white);
        C.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, t);
    }

    void RotatedText(int cx, int cy, const QString& text) {
        const QFontMetrics fm = C.fontMetrics();
        const int w = fm.horizontalAdvance(text), h = fm.height();
        C.save();
        C.translate(cx, cy);
        C.rotate(-90);
        C.drawText(QRect(-w / 2 - 1, -h / 2, w + 2, h), Qt::AlignCenter, text);
        C.restore();
    }

    void SoilNumbers() {
        SetPen(Qt::black, V.LineFactor);
        C.setBrush(Qt::NoBrush);
        C.setFont(LabelFont);
        for (int c = 0; c < S.ChainCount; ++c) {
            const TLayerChain& chain = S.Chains[c];
            if (chain.Line.Count == 0)
                break;
            if (chain.Line.Count < 2)
                continue;
            const std::string label = " " + std::to_string(chain.Soil) + " ";
            for (int k = 1; k < chain.Line.Count; ++k) {
                const TPlotPoint& a = chain.Line.Points[k - 1];
                const TPlotPoint& b = chain.Line.Points[k];
                Marker(a);
                Label({(a.X + b.X) / 2, (a.Y + b.Y) / 2}, label);
            }
            Marker(chain.Line.Points[chain.Line.Count - 1]);
        }
    }

    void ChainCoords() {
        SetPen(Qt::black, V.LineFactor);
        C.setBrush(Qt::NoBrush);
        C.setFont(LabelFont);
        for (int c = 0; c < S.ChainCount; ++c) {
            const TLayerChain& chain = S.Chains[c];
            for (int k = 0; k < chain.Line.Count; ++k) {
                const TPlotPoint& p = chain.Line.Points[k];
                Marker(p);
                Label(p, "(" + FormatFixed(p.X, 1) + "," + FormatFixed(p.Y, 1) + ")");
            }
        }
    }

    QPainter& C;
    const TDrawSettings& Set;
    const TDisplayOptions& O;
    const TPlotStore& S;
    TViewTransform& V;
    bool Paper;
    // Segments waiting to be drawn with one call.
    std::vector<QLine> Lines;
    QFont LabelFont;
    QImage* Image = nullptr;
    QRect Clip;
};

void SetTicks(TViewTransform& v, double x1, double x2, double nx, double y1, double y2, double ny) {
    const TTickStep tx = NiceTickStep(x1, x2, nx);
    const TTickStep ty = NiceTickStep(y1, y2, ny);
    const double step = std::min(tx.Step, ty.Step);
    // One spacing on both axes keeps the grid square; each axis starts from the first tick of its own
    // step, so the ticks run from there in the common spacing.
    v.TickStepX = v.TickStepY = step;
    v.FirstTickX = tx.FirstTick;
    v.FirstTickY = ty.FirstTick;
}

} // namespace

void DrawAxes(QPainter& canvas, const TPlotStore& store, TViewTransform& view) {
    SetTicks(view, view.WorldX(view.PlotLeft), view.WorldX(view.PlotRight), 17, view.WorldY(view.PlotBottom),
             view.WorldY(view.PlotTop), 11);
    const TDrawSettings none;
    canvas.save();
    TDrawer(canvas, none, store, view, false).Axes();
    canvas.restore();
}

void DrawPlot(QPainter& canvas, const QColor& background, const QRect& rect, const TDrawSettings& settings,
              const TPlotStore& store, TViewTransform& view) {
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.fillRect(rect, background);
    TDrawer drawer(canvas, settings, store, view, false);
    drawer.SetClip(
        QRect(QPoint(view.PlotLeft, view.PlotTop), QPoint(view.PlotRight - 1, view.PlotBottom - 1)));
    drawer.Elements();
    drawer.EndClip();
    // Some canvases (SVG) ignore clipping: the margins are painted over again, which is the same
    // picture where clipping works.
    const QRect plot(QPoint(view.PlotLeft, view.PlotTop), QPoint(view.PlotRight - 1, view.PlotBottom - 1));
    const QRegion margins = QRegion(rect) - QRegion(plot);
    for (const QRect& r : margins)
        canvas.fillRect(r, background);
    canvas.restore();
    if (settings.Options.Scale)
        DrawAxes(canvas, store, view);
}

TViewTransform PrintTransform(const QRect& page, const TViewTransform& screen) {
    const int W = page.width(), H = page.height();
    TViewTransform v = screen;
    v.UnitX = InchClass(W / 10);
    v.UnitY = InchClass(H / 8);
    switch (v.UnitX) {
    case 150:
        v.LineFactor = 2;
        break;
    case 300:
        v.LineFactor = 3;
        break;
    case 600:
    case 1200:
        v.LineFactor = 4;
        break;
    default:
        v.LineFactor = 1;
    }
    const int ux = v.UnitX, uy = v.UnitY;

    // What the screen shows, from its top-left pixel to the corner of its plot rectangle.
    const double wx1 = screen.WorldX(0), wx2 = screen.WorldX(screen.PlotRight);
    const double wy1 = screen.WorldY(0), wy2 = screen.WorldY(screen.PlotBottom);
    const double xmin = std::min(wx1, wx2), xmax = std::max(wx1, wx2);
    const double ymin = std::min(wy1, wy2), ymax = std::max(wy1, wy2);

    // The paper is taken as 11 by 8.5 inches, centred on the page.
    const int offX = (11 * ux - W) / 2;
    const int offY = ((17 * uy) / 2 - H) / 2;
    v.PlotLeft = (3 * ux) / 2 - offX;
    v.PlotTop = uy - offY;
    v.PlotRight = W + offX - ux;
    v.PlotBottom = H + offY - (3 * ux) / 2;
    v.OriginX = v.PlotLeft;
    v.OriginY = v.PlotBottom;
    v.XMin = xmin;
    v.YMin = ymin;
    v.XMax = xmax;
    v.YMax = ymax;
    const double xr = xmax - xmin, yr = ymax - ymin;
    double scale = xr >= yr ? (8.5 * ux - 1) / xr : (8.5 * ux - 1) * (double(ux) / uy) / yr;
    // The plot rectangle is 8.5 inches wide but only about 6 inches high: a window that shows more
    // height than that would lose its top on paper (the critical circle's centre among it), so the
    // scale is reduced until the y range fits too. Wide slopes, the usual case, are not affected.
    const double plotHeight = v.PlotBottom - v.PlotTop;
    if (yr > 0 && plotHeight > 1) {
        const double fitHeight = (plotHeight - 1) * (double(ux) / uy) / yr;
        if (fitHeight < scale)
            scale = fitHeight;
    }
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1;
    v.ScaleX = scale;
    v.ScaleY = -scale * uy / ux;
    SetTicks(v, xmin, xmax, 8.5, ymin, ymax, 5.5);
    return v;
}

void PrintPlot(QPainter& canvas, const QRect& page, const TDrawSettings& settings, const TPlotStore& store,
               TViewTransform& view) {
    const TViewTransform screen = view;
    view = PrintTransform(page, screen);
    TViewTransform& v = view;
    const int W = page.width(), H = page.height();
    const int uy = v.UnitY;

    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.fillRect(page, Qt::white);
    TDrawer drawer(canvas, settings, store, v, true);
    // The title block above the plot, left-aligned with the frame: the project and the file (the
    // factor of safety stands in the plot, once).
    {
        QFont title("Arial");
        title.setPointSizeF(12);
        title.setBold(true);
        QFont small("Arial");
        small.setPointSizeF(9);
        canvas.setPen(Qt::black);
        const QString line = QString::fromStdString(settings.Source);
        canvas.setFont(small);
        const int smallHeight = canvas.fontMetrics().height();
        const int base = v.PlotTop - uy / 8 - smallHeight;
        if (!line.isEmpty())
            canvas.drawText(QRect(v.PlotLeft, base, v.PlotRight - v.PlotLeft, smallHeight),
                            Qt::AlignLeft | Qt::AlignVCenter, line);
        if (!settings.Title.empty()) {
            canvas.setFont(title);
            const int h = canvas.fontMetrics().height();
            canvas.drawText(QRect(v.PlotLeft, base - h, v.PlotRight - v.PlotLeft, h),
                            Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(settings.Title));
        }
    }
    drawer.SetClip(QRect(QPoint(v.PlotLeft, v.PlotTop), QPoint(v.PlotRight - 1, v.PlotBottom - 1)));
    drawer.Elements();
    drawer.EndClip();
    // White margins, reaching past the page edges, hide whatever the clipping let through.
    const int m = 150;
    canvas.fillRect(QRect(QPoint(-m, -m), QPoint(W + m, v.PlotTop - 1)), Qt::white);
    canvas.fillRect(QRect(QPoint(-m, v.PlotBottom + 1), QPoint(W + m, H + m)), Qt::white);
    canvas.fillRect(QRect(QPoint(-m, v.PlotTop), QPoint(v.PlotLeft - 1, v.PlotBottom)), Qt::white);
    canvas.fillRect(QRect(QPoint(v.PlotRight + 1, v.PlotTop), QPoint(W + m, v.PlotBottom)), Qt::white);
    drawer.Axes();
    canvas.restore();

    view = screen;
    view.LineFactor = 1;
}
