// The view of the picture: pixel transform, fixed-point numbers, soil colours, tick steps and fitting
// the picture into a rectangle. The drawing itself is PlotRenderer.cpp.
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
#include <string_view>
#include <vector>

#include "graphics/PlotPixels.h"

using namespace PlotPixels;

int TViewTransform::PixelX(double x) const {
    const double p = PixelXf(x);
    return std::isfinite(p) ? Round(std::clamp(p, -1e9, 1e9)) : 0;
}

int TViewTransform::PixelY(double y) const {
    const double p = PixelYf(y);
    return std::isfinite(p) ? Round(std::clamp(p, -1e9, 1e9)) : 0;
}

QColor SoilColor(int soil) {
    static const QColor colors[10] = {
        QColor(0, 128, 0),     QColor(255, 255, 0),   QColor(0, 0, 255),   QColor(128, 0, 0),
        QColor(128, 0, 128),   QColor(192, 192, 192), QColor(255, 0, 255), QColor(0, 255, 0),
        QColor(128, 128, 128), QColor(0, 0, 128),
    };
    if (soil >= 1 && soil <= 20)
        return colors[(soil - 1) % 10];
    return QColor(192, 192, 192);
}

int InchClass(int v) {
    if (v < 76)
        return 75;
    if (v <= 125)
        return 100;
    if (v <= 225)
        return 150;
    if (v <= 449)
        return 300;
    if (v <= 899)
        return 600;
    return 1200;
}

namespace {
// The largest multiple of step that is not above a.
double FirstTickFor(double a, double step) {
    double v = std::floor(a / step) * step;
    // Rounding can leave v one step off; where a step is lost in a's precision, v is as good as it gets.
    for (int i = 0; i < 4 && v > a; ++i)
        v -= step;
    for (int i = 0; i < 4 && v + step <= a; ++i)
        v += step;
    return v;
}
} // namespace

TTickStep NiceTickStep(double a, double b, double intervals) {
    TTickStep r;
    const double raw = (b - a) / intervals;
    if (!(raw > 0) || !std::isfinite(raw)) {
        r.Step = 1;
        r.FirstTick = std::isfinite(a) ? std::floor(a) : 0;
        return r;
    }
    const double L = std::log10(raw);
    double A = std::round(L);
    double f = L - A;
    if (std::fabs(f) < 0.00001) {
        f = 1;
        A -= 1;
    }
    static const double l02 = std::log10(0.2), l025 = std::log10(0.25), l05 = std::log10(0.5),
                        l2 = std::log10(2.0), l25 = std::log10(2.5), l5 = std::log10(5.0),
                        l6 = std::log10(6.0);
    // The series 0.2, 0.25, 0.5, 1, 2, 2.5, 5, 6, 10 (and 20 one class up), as indexes.
    static const double classes[] = {0.2, 0.25, 0.5, 1, 2, 2.5, 5, 6, 10, 20};
    int cls = 8;
    if (f <= l02) {
        f = l02;
        cls = 0;
    }
    if (l02 < f && f <= l025) {
        f = l025;
        cls = 1;
    }
    if (l02 < f && f <= l05) {
        f = l05;
        cls = 2;
    }
    if (l05 < f && f <= 0) {
        f = 0;
        cls = 3;
    }
    if (0 < f && f <= l2) {
        f = l2;
        cls = 4;
    }
    if (l2 < f && f <= l25) {
        f = l25;
        cls = 5;
    }
    if (l2 < f && f <= l5) {
        f = l5;
        cls = 6;
    }
    if (l5 < f && f <= l6) {
        f = l6;
        cls = 7;
    }
    if (f > l6) {
        f = 1;
        cls = 8;
    }
    const double power = std::pow(10.0, A);
    r.Step = classes[cls] * power;
    r.FirstTick = FirstTickFor(a, r.Step);
    if (r.FirstTick + intervals * r.Step < b) {
        r.Step = classes[cls + 1] * power;
        r.FirstTick = FirstTickFor(a, r.Step);
    }
    return r;
}

void FitView(const QRect& rect, bool scaleOption, const TPlotStore& store, TViewTransform& v) {
    const int W = rect.width(), H = rect.height();
    if (!scaleOption) {
        v.PlotLeft = 1;
        v.PlotTop = 1;
        v.PlotRight = W - 1;
        v.PlotBottom = H - 3;
        v.OriginX = 1;
        v.OriginY = H;
    } else {
        v.UnitX = W / 10;
        v.UnitY = H / 8;
        const int m = std::min((3 * v.UnitX) / 4, (3 * v.UnitY) / 4);
        v.PlotLeft = m;
        v.PlotTop = m / 2;
        v.PlotRight = W - m / 2;
        v.PlotBottom = H - m;
        v.OriginX = m;
        v.OriginY = H - m;
    }

    // Extents over the layer chains and the limit segments (start from whichever exists).
    bool any = false;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    auto widen = [&](const TPlotPoint& p) {
        if (!any) {
            xmin = xmax = p.X;
            ymin = ymax = p.Y;
            any = true;
            return;
        }
        xmin = std::min(xmin, p.X);
        xmax = std::max(xmax, p.X);
        ymin = std::min(ymin, p.Y);
        ymax = std::max(ymax, p.Y);
    };
    for (int c = 0; c < store.ChainCount; ++c)
        for (int k = 0; k < store.Chains[c].Line.Count; ++k)
            widen(store.Chains[c].Line.Points[k]);
    for (int s = 0; s < store.LimitSegmentCount; ++s) {
        widen(store.LimitSegments[s][0]);
        widen(store.LimitSegments[s][1]);
    }

    // Finite coordinates can still span more than a double holds (-1e308 to 1e308): such an extent
    // cannot be fitted, so the view is laid out as for an empty picture instead.
    if (!std::isfinite(xmax - xmin) || !std::isfinite(ymax - ymin))
        xmin = xmax = ymin = ymax = 0;
    const double dx = xmax - xmin, dy = ymax - ymin;
    double scale;
    if (dx >= dy) {
        if (dx == 0)
            xmax += 1;
        scale = (v.PlotRight - v.PlotLeft - 1) / (xmax - xmin);
        if (!(scale > 0) || !std::isfinite(scale))
            scale = 1;
        v.OriginY = Round(v.OriginY - (v.PlotBottom - dy * scale) / 2);
    } else {
        scale = (v.PlotBottom - v.PlotTop - 1) / dy;
        if (!(scale > 0) || !std::isfinite(scale))
            scale = 1;
        v.OriginX = Round((v.PlotRight - dx * scale) / 2 + v.OriginX);
    }
    v.ScaleX = scale;
    v.ScaleY = -scale;
    v.XMin = xmin;
    v.YMin = ymin;
    v.XMax = xmax;
    v.YMax = ymax;
}
