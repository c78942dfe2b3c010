#include "engine/Slices.h"
#include <algorithm>
#include <cmath>
#include <iterator>

namespace quolm {

namespace {
// Intersection of segments p0-p1 and q0-q1; true with the point when they meet.
bool SegmentsMeet(const TPoint& p0, const TPoint& p1, const TPoint& q0, const TPoint& q1, TPoint& at) {
    const double rx = p1.X - p0.X, ry = p1.Y - p0.Y;
    const double sx = q1.X - q0.X, sy = q1.Y - q0.Y;
    const double den = rx * sy - ry * sx;
    if (den == 0)
        return false;
    const double qpx = q0.X - p0.X, qpy = q0.Y - p0.Y;
    const double t = (qpx * sy - qpy * sx) / den;
    const double u = (qpx * ry - qpy * rx) / den;
    // Written so that a non-number (from coordinates near the top of the range) is no meeting.
    if (!(t >= 0 && t <= 1 && u >= 0 && u <= 1))
        return false;
    at = {p0.X + t * rx, p0.Y + t * ry};
    return true;
}

// y of the surface polyline at x (x within its range).
double SurfaceY(const std::vector<TPoint>& s, double x) {
    const auto it =
        std::upper_bound(s.begin() + 1, s.end() - 1, x, [](double v, const TPoint& q) { return v < q.X; });
    const TPoint& b = *it;
    const TPoint& a = *(it - 1);
    return a.Y + (b.Y - a.Y) * (x - a.X) / (b.X - a.X);
}

// Slice holding x (clamped to the first and last).
TSlice& SliceAt(std::vector<TSlice>& slices, double x) {
    const auto it = std::upper_bound(slices.begin(), slices.end(), x,
                                     [](double v, const TSlice& s) { return v < s.XRight; });
    return it == slices.end() ? slices.back() : *it;
}

void AddForce(TSlice& s, double px, double py, double fx, double fy, double& kindX, double& kindY) {
    s.Qx += fx;
    s.Qy += fy;
    s.Qm += px * fy - py * fx;
    kindX += fx;
    kindY += fy;
}

// Where a reinforcement line leaves the sliding mass, and the pull it gives there. A crossing is a
// point of the line with the mass on one side (on or above the surface, below the ground) and stable
// ground on the other, the line's own points, vertices of either polyline and stretches of the line
// running along the surface all taken alike: each such change is counted once. A line that passes
// in and out of the mass acts once, where its pull holds the mass back most (towards +x, into the
// slope), whichever way the line was entered.
bool AddReinforcement(const TSlopeModel& model, const std::vector<TPoint>& surface,
                      const TReinforcementLine& line, std::vector<TSlice>& slices) {
    const std::size_t n = line.Points.size();
    if (n < 2)
        return false;
    const double x0 = surface.front().X, x1 = surface.back().X;
    const double tol = 1e-7 * model.Extent, step = 1e-4 * model.Extent;
    // Arc length at each vertex of the line.
    double along[64];
    std::vector<double> longer;
    double* s = along;
    if (n > std::size(along)) {
        longer.resize(n);
        s = longer.data();
    }
    s[0] = 0;
    for (std::size_t k = 1; k < n; ++k)
        s[k] = s[k - 1] +
               std::hypot(line.Points[k].X - line.Points[k - 1].X, line.Points[k].Y - line.Points[k - 1].Y);
    const double total = s[n - 1];
    if (!(total > 0) || !std::isfinite(total))
        return false;
    // The segment holding arc length `a` (the later one at a vertex when `later`).
    const auto segmentAt = [&](double a, bool later) {
        std::size_t k = 0;
        while (k + 2 < n && (later ? s[k + 1] <= a : s[k + 1] < a))
            ++k;
        return k;
    };
    const auto pointAt = [&](double a) {
        const std::size_t k = segmentAt(a, false);
        const double len = s[k + 1] - s[k];
        const double t = len > 0 ? (a - s[k]) / len : 0;
        const TPoint& p = line.Points[k];
        const TPoint& q = line.Points[k + 1];
        return TPoint{p.X + t * (q.X - p.X), p.Y + t * (q.Y - p.Y)};
    };
    // -1 no line there, 0 stable ground or air, 1 in the sliding mass.
    const auto side = [&](double a) {
        if (a < 0 || a > total)
            return -1;
        const TPoint q = pointAt(a);
        if (!(q.X > x0 && q.X < x1))
            return 0;
        return q.Y >= SurfaceY(surface, q.X) - tol && q.Y <= model.GroundY(q.X) + tol ? 1 : 0;
    };
    bool found = false;
    double bestA = 0, bestPull = 0, bestX = 0;
    int bestDir = 0;
    std::size_t bestJ = 0;
    for (std::size_t k = 0; k + 1 < n; ++k)
        for (std::size_t j = 0; j + 1 < surface.size(); ++j) {
            TPoint at;
            if (!SegmentsMeet(line.Points[k], line.Points[k + 1], surface[j], surface[j + 1], at))
                continue;
            const TPoint& p = line.Points[k];
            const double a = s[k] + std::hypot(at.X - p.X, at.Y - p.Y);
            const int before = side(a - step), after = side(a + step);
            // dir: +1 when the stable ground lies ahead along the line, -1 when behind. A crossing met
            // again from a neighbouring segment (at a vertex) gives the same pull: it counts once.
            const int dir = before == 1 && after == 0 ? 1 : (before == 0 && after == 1 ? -1 : 0);
            if (dir == 0)
                continue;
            const TPoint ahead = pointAt(std::clamp(a + dir * step, 0.0, total));
            const double pull = (ahead.X - at.X) / step;
            if (!found || pull > bestPull + 1e-9 || (pull > bestPull - 1e-9 && at.X > bestX)) {
                found = true;
                bestA = a;
                bestPull = pull;
                bestX = at.X;
                bestDir = dir;
                bestJ = j;
            }
        }
    if (!found)
        return false;
    // The force of the segment on the stable side of the crossing, along the line towards it.
    const std::size_t k = segmentAt(bestA, bestDir > 0);
    const double force = line.Force[k];
    if (force == 0)
        return false;
    const TPoint at = pointAt(bestA);
    const TPoint& p = line.Points[k];
    const TPoint& q = line.Points[k + 1];
    const double len = std::hypot(q.X - p.X, q.Y - p.Y);
    if (!(len > 0))
        return false;
    const double ux = bestDir * (q.X - p.X) / len, uy = bestDir * (q.Y - p.Y) / len;
    const TPoint& a = surface[bestJ];
    const TPoint& b = surface[bestJ + 1];
    const double sl = std::hypot(b.X - a.X, b.Y - a.Y);
    const double tx = (b.X - a.X) / sl, ty = (b.Y - a.Y) / sl; // up the surface, against the motion
    const double f = line.Factor[k];
    double dx = (1 - f) * ux + f * tx, dy = (1 - f) * uy + f * ty;
    const double dl = std::hypot(dx, dy);
    if (!(dl > 0))
        return false;
    TSlice& held = SliceAt(slices, at.X);
    AddForce(held, at.X, at.Y, force * dx / dl, force * dy / dl, held.ReinforcementX, held.ReinforcementY);
    return true;
}

// A grid interval's column as the slices read it: the ground, the layers top down, each with its
// lower line and what its soil weighs, and the water surfaces. Gathered once per grid interval, so
// that the column at a slice's edges and the soil at its base take no lookups through the model.
struct TColumn {
    TLinePiece Ground;
    const TColumnLayer* Layers = nullptr;
    int Count = 0; // layers, 0 where the interval has no line
    const TLinePiece* Water = nullptr;
    int WaterCount = 0;
    int Uniform = -1; // the water surface of every layer where they all share one, else -1

    void Gather(const TSlopeModel& model, const TGridInterval& g, std::vector<TColumnLayer>& layers) {
        Count = g.LineCount;
        layers.resize(static_cast<std::size_t>(Count));
        for (int k = 0; k < Count; ++k) {
            const TLinePiece& line = model.Piece(g.FirstLine + k);
            const TSoil& soil = model.Soils[static_cast<std::size_t>(line.Soil)];
            TColumnLayer& layer = layers[static_cast<std::size_t>(k)];
            if (k + 1 < Count) {
                layer.A = model.Piece(g.FirstLine + k + 1).A;
                layer.B = model.Piece(g.FirstLine + k + 1).B;
            } else {
                layer.A = -1e300; // plus 0 x: the same far bottom at every x
                layer.B = 0;
            }
            layer.Moist = soil.MoistWeight;
            layer.Saturated = soil.SaturatedWeight;
            layer.Water = soil.Piezometric;
            layer.Soil = line.Soil;
        }
        Layers = layers.data();
        GatherWater(model, g);
    }

    // Only what the water on a slice boundary needs where every layer takes its pore pressure from
    // one water surface: the ground and the water surfaces, not the layers.
    void GatherWater(const TSlopeModel& model, const TGridInterval& g) {
        Count = g.LineCount;
        Uniform = g.Water;
        Ground = Count > 0 ? model.Piece(g.FirstLine) : TLinePiece();
        WaterCount = static_cast<int>(model.Water.size());
        Water = WaterCount > 0 ? &model.WaterPiece(g.FirstWater) : nullptr;
    }

    // The column above the base `yb` at `x`: the sum over its layers of unit weight times thickness
    // (saturated below the layer's water surface, moist above). Gives the ground's elevation there
    // and every water surface's in `water`; with `moment`, also adds the sum of unit weight times
    // thickness times the elevation of each part's middle.
    template <bool WithMoment>
    inline __attribute__((always_inline)) double At(double x, double yb, double* water, double& ground,
                                                    double* moment) const {
        // Most models have one water surface: the loop over them is kept for the others, which the
        // compiler would otherwise set up as a vector loop with its alias checks at every edge.
        if (WaterCount == 1)
            water[0] = Water[0].At(x);
        else
            for (int w = 0; w < WaterCount; ++w)
                water[w] = Water[w].At(x);
        if (Count == 0) {
            ground = yb;
            return 0;
        }
        double top = ground = Ground.At(x);
        double sum = 0;
        const auto add = [&](double gamma, double hi, double lo) {
            sum += gamma * (hi - lo);
            if (WithMoment)
                *moment += gamma * (hi - lo) * 0.5 * (hi + lo);
        };
        for (int k = 0; k < Count && top > yb; ++k) {
            const TColumnLayer& layer = Layers[k];
            const double below = layer.A + layer.B * x;
            const double bottom = std::max(below, yb);
            if (top > bottom) {
                if (layer.Water < 0) {
                    add(layer.Moist, top, bottom);
                } else {
                    // Saturated from the bottom up to the water surface, moist above it.
                    const double wet = std::clamp(water[layer.Water], bottom, top);
                    add(layer.Saturated, wet, bottom);
                    add(layer.Moist, top, wet);
                }
            }
            top = below;
        }
        return sum;
    }

    // The soil at the base at `x`, where the ground is at `top`: that of the first layer whose lower
    // line is not above the base `yb` there, the last one's where none is.
    int SoilAt(double x, double yb, double top) const {
        for (int k = 0; k < Count && top > yb; ++k) {
            const double below = Layers[k].A + Layers[k].B * x;
            if (below <= yb)
                return Layers[k].Soil;
            top = below;
        }
        return Layers[Count - 1].Soil;
    }
};

// The number of slices of an interval: round(q), halves away from zero, for q >= 0 (std::lround
// without the library call).
int SliceCount(double q) {
    if (!(q < 1e9))
        return 1000000000;
    int k = static_cast<int>(q);
    if (q - k >= 0.5)
        ++k;
    return std::max(1, k);
}
} // namespace

bool CutSlices(const TSlopeModel& model, const std::vector<TPoint>& surface, const TSliceOptions& options,
               TWorkspace& ws, TSliceNotes& notes) {
    notes = TSliceNotes();
    std::vector<TSlice>& slices = ws.Slices;
    if (surface.size() < 2) {
        slices.clear();
        return false;
    }
    const double x0 = surface.front().X, x1 = surface.back().X;
    const double length = x1 - x0;
    if (!(length > 0)) {
        slices.clear();
        return false;
    }

    // Breaks: the surface's vertices, the model's own breaks, and where the surface crosses a
    // boundary line (the base soil changes) or a water surface (the pore pressure turns).
    std::vector<double>& breaks = ws.Breaks;
    const std::vector<double>& mb = model.Breaks();
    const int waterCount = static_cast<int>(model.Water.size());
    const int intervals = model.IntervalCount();
    const std::size_t segments = surface.size() - 1;
    // The slope of every surface segment, kept for the slices' bases, and its secant, cosine and
    // sine: worked out together in one loop of vector instructions, not one square root and one
    // division at a time in the loop over the slices, which would wait on them.
    std::vector<double>& slopes = ws.Slopes;
    slopes.resize(4 * segments);
    double* const slope = slopes.data();
    double* const secant = slope + segments;
    double* const cosine = secant + segments;
    double* const sine = cosine + segments;
    for (std::size_t t = 0; t < segments; ++t)
        slope[t] = (surface[t + 1].Y - surface[t].Y) / (surface[t + 1].X - surface[t].X);
#pragma omp simd
    for (std::size_t t = 0; t < segments; ++t) {
        const double sec = std::sqrt(1 + slope[t] * slope[t]);
        secant[t] = sec;
        cosine[t] = 1 / sec;
        sine[t] = slope[t] * cosine[t];
    }
    // The crossings, grid interval by grid interval: each line and water piece of the interval against
    // the surface's segments in it. The piece's height above the surface at the samples (the
    // segments' ends within the interval) tells where it changes sign; only there is the crossing
    // worked out, each sample's height serving both segments that meet at it. A piece that stays
    // clear above or below the surface's samples across the interval is passed over.
    std::vector<double>& crossings = ws.Crossings;
    crossings.clear();
    std::vector<double>& samples = ws.Samples; // per segment: its right end, intercept, slope, height
    samples.resize(4 * segments);
    double* const sample = samples.data();
    const double extent = model.Extent;
    for (int i = std::max(model.IntervalOf(x0), 0), t0 = 0; i < intervals; ++i) {
        const TGridInterval& g = model.Interval(i);
        if (g.X0 >= x1)
            break;
        while (t0 + 1 < static_cast<int>(segments) && !(surface[static_cast<std::size_t>(t0) + 1].X > g.X0))
            ++t0;
        if (g.LineCount + waterCount == 0)
            continue;
        const std::size_t first = static_cast<std::size_t>(t0);
        const double xFirst = std::max(surface[first].X, g.X0);
        const double yFirst = (surface[first].Y - slope[first] * surface[first].X) + slope[first] * xFirst;
        double xLast = xFirst, yLow = yFirst, yHigh = yFirst;
        std::size_t sampleCount = 0;
        for (std::size_t t = first; t < segments && surface[t].X < g.X1; ++t, ++sampleCount) {
            const double hi = std::min(surface[t + 1].X, g.X1);
            const double bs = slope[t];
            const double as = surface[t].Y - bs * surface[t].X;
            const double yhi = as + bs * hi;
            double* p = sample + 4 * sampleCount;
            p[0] = hi;
            p[1] = as;
            p[2] = bs;
            p[3] = yhi;
            xLast = hi;
            yLow = std::min(yLow, yhi);
            yHigh = std::max(yHigh, yhi);
        }
        const double xScale = std::max(std::abs(xFirst), std::abs(xLast));
        const double yScale = extent + std::max(std::abs(yLow), std::abs(yHigh));
        const auto cross = [&](const TLinePiece& lp) {
            const double atFirst = lp.At(xFirst), atLast = lp.At(xLast);
            // Far beyond the rounding of the heights at the samples between.
            const double margin = 1e-9 * (yScale + std::abs(lp.A) + std::abs(lp.B) * xScale);
            if (std::min(atFirst, atLast) > yHigh + margin || std::max(atFirst, atLast) < yLow - margin)
                return;
            double lo = xFirst, dlo = atFirst - yFirst;
            for (std::size_t t = 0; t < sampleCount; ++t) {
                const double* const p = sample + 4 * t;
                const double hi = p[0], as = p[1], bs = p[2];
                const double dhi = lp.At(hi) - p[3];
                if (dlo * dhi < 0 && lp.B != bs) {
                    const double x = (as - lp.A) / (lp.B - bs);
                    if (x > lo && x < hi)
                        crossings.push_back(x);
                }
                lo = hi;
                dlo = dhi;
            }
        };
        // The crossings of one interval come line by line: sorted here, by insertion (there are
        // few), they and those of the intervals before are in ascending order.
        const std::size_t before = crossings.size();
        for (int k = 0; k < g.LineCount; ++k)
            cross(model.Piece(g.FirstLine + k));
        for (int w = 0; w < waterCount; ++w)
            cross(model.WaterPiece(g.FirstWater + w));
        for (std::size_t j = before + 1; j < crossings.size(); ++j)
            for (std::size_t m = j; m > before && crossings[m] < crossings[m - 1]; --m)
                std::swap(crossings[m], crossings[m - 1]);
    }
    // The vertices, the crossings and the model's breaks within the surface, each in ascending
    // order, merged. Breaks closer than `eps` to the one before are one break: the first of them
    // is kept.
    const double eps = 1e-6 * length;
    {
        const std::size_t gridFirst =
            static_cast<std::size_t>(std::upper_bound(mb.begin(), mb.end(), x0) - mb.begin());
        const std::size_t gridEnd = std::max(
            gridFirst, static_cast<std::size_t>(std::lower_bound(mb.begin(), mb.end(), x1) - mb.begin()));
        const std::size_t extra = crossings.size();
        // Written in place: at most every vertex, crossing, model break and the far end.
        breaks.resize(segments + extra + (gridEnd - gridFirst) + 1);
        double* const out = breaks.data();
        std::size_t kept = 0;
        const auto addBreak = [out, &kept, eps](double x) {
            if (kept == 0 || !(x - out[kept - 1] <= eps))
                out[kept++] = x;
        };
        std::size_t c = 0, m = gridFirst;
        // The crossings and the model's breaks below `limit`, in ascending order.
        const auto addBelow = [&](double limit) {
            while (true) {
                const bool crossing = c < extra && crossings[c] < limit;
                const bool grid = m < gridEnd && mb[m] < limit;
                if (crossing && !(grid && mb[m] < crossings[c]))
                    addBreak(crossings[c++]);
                else if (grid)
                    addBreak(mb[m++]);
                else
                    break;
            }
        };
        for (std::size_t v = 0; v < segments; ++v) {
            const double vx = surface[v].X;
            addBelow(vx);
            addBreak(vx);
        }
        addBelow(x1);
        addBreak(x1);
        breaks.resize(kept);
    }
    breaks.front() = x0;
    breaks.back() = x1;
    if (breaks.size() < 2) {
        slices.clear();
        return false;
    }

    // Every field of every slice is written below: the slices of the previous surface are
    // overwritten, not cleared.
    const double nominal = length / std::max(1, options.TargetSlices);
    std::size_t count = 0;
    std::vector<int>& counts = ws.SliceCounts;
    counts.resize(breaks.size() - 1);
    for (std::size_t j = 0; j + 1 < breaks.size(); ++j) {
        counts[j] = SliceCount((breaks[j + 1] - breaks[j]) / nominal);
        count += static_cast<std::size_t>(counts[j]);
    }
    slices.resize(count);

    const double gw = model.WaterWeight;
    const bool quake = model.Kh != 0 || model.Kv != 0;
    double total = 0;
    std::size_t seg = surface.size(); // none yet
    std::size_t nextSeg = 0;
    double baseSlope = 0, cosA = 1, sinA = 0, secA = 1;
    int interval = model.IntervalOf(x0);
    // The values at the slices' edges: the column's weight, the ground and every water surface.
    ws.EdgeWater.resize(3 * static_cast<std::size_t>(waterCount));
    double* waterL = ws.EdgeWater.data();
    double* waterR = waterL + waterCount;
    double* waterMid = waterR + waterCount;
    int edgeInterval = -1; // the grid interval whose lines gave the left edge's values
    TColumn column;        // and its column
    double columnL = 0, groundL = 0, groundR = 0;
    // Locals rather than the model's and the surface's members in the loop: the slices' stores
    // would otherwise make the compiler load them again for every slice.
    const TPoint* points = surface.data();
    const std::size_t lastSeg = surface.size() - 2;
    const int lastInterval = intervals - 1;
    const double cavitation = model.Cavitation;
    // The break interval being cut: from `breakLeft` to `breakRight` in `parts` slices, `part` of
    // them cut so far.
    std::size_t breakIndex = 0;
    int part = 0, parts = 0;
    double breakLeft = 0, breakRight = 0, xr = 0;
    for (TSlice& s : slices) {
        const bool newBreak = part == parts;
        if (newBreak) {
            breakLeft = breaks[breakIndex];
            breakRight = breaks[breakIndex + 1];
            parts = counts[breakIndex++];
            part = 0;
        }
        // Equal parts, each slice's left edge the right edge of the one before.
        const double xl = s.XLeft = part == 0 ? breakLeft : xr;
        ++part;
        xr = s.XRight = part == parts ? breakRight : breakLeft + (breakRight - breakLeft) * part / parts;
        const double wd = s.Width = xr - xl;
        const double xm = s.XMid = 0.5 * (xl + xr);
        // No surface vertex, grid break or crossing lies inside a break interval, except one closer
        // to its end than breaks are told apart, which no slice's middle passes where the interval
        // has more than one slice: the surface segment and the grid interval of the first slice's
        // middle serve all its slices.
        if (newBreak) {
            while (nextSeg < lastSeg && points[nextSeg + 1].X <= xm)
                ++nextSeg;
            while (interval < lastInterval && model.Interval(interval).X1 < xm)
                ++interval;
        }
        const TPoint a = points[nextSeg];
        if (nextSeg != seg) {
            // The base's inclination is that of its surface segment.
            seg = nextSeg;
            baseSlope = slope[seg];
            secA = secant[seg];
            cosA = cosine[seg];
            sinA = sine[seg];
        }
        const double yb = s.YBase = a.Y + baseSlope * (xm - a.X);
        s.Cos = cosA;
        s.Sin = sinA;
        const double baseLength = s.Length = wd * secA;

        const double ybl = a.Y + baseSlope * (xl - a.X), ybr = a.Y + baseSlope * (xr - a.X);
        // The column's weight per unit width at each edge of the slice: within the slice every line
        // is straight, so the column is a stack of trapezoids whose weight and centre of gravity follow
        // from the two edges. A slice's left edge is the right edge of the one before, worked out again
        // only where the grid interval changes (a line may break or end there, or the ground step).
        if (interval != edgeInterval) {
            column.Gather(model, model.Interval(interval), ws.Layers);
            columnL = column.At<false>(xl, ybl, waterL, groundL, nullptr);
            edgeInterval = interval;
        }
        const double columnR = column.At<false>(xr, ybr, waterR, groundR, nullptr);
        const double sum1 = columnL + columnR, sum2 = columnL + 2 * columnR;
        // The soil at the base is the one at the middle of the slice.
        int baseSoil = 0;
        if (column.Count > 0) {
            s.YTop = column.Ground.At(xm);
            baseSoil = column.SoilAt(xm, yb, s.YTop);
        } else {
            s.YTop = yb;
        }
        const double weight = 0.5 * wd * sum1;
        s.Weight = weight;
        const double third = weight > 0 ? 1 / (3 * sum1) : 0; // one division for both coordinates
        s.XW = weight > 0 ? xl + wd * sum2 * third : xm;
        total += weight;

        s.Soil = baseSoil;
        const TSoil& soil = model.Soils[static_cast<std::size_t>(baseSoil)];
        s.Cohesion = soil.Cohesion;
        s.TanPhi = soil.TanPhi;
        s.PhiDeg = soil.PhiDeg;
        if (!soil.Anisotropy.empty()) {
            const double alphaDeg = Deg(std::atan(baseSlope));
            const TAnisotropyRow* row = &soil.Anisotropy.back();
            for (const TAnisotropyRow& r : soil.Anisotropy)
                if (r.LimitDeg >= alphaDeg) {
                    row = &r;
                    break;
                }
            s.Cohesion = row->Cohesion;
            s.TanPhi = row->TanPhi;
            s.PhiDeg = row->PhiDeg;
        }
        s.Qx = s.Qy = s.Thrust = 0;
        s.WaterX = s.WaterY = s.LoadX = s.LoadY = s.QuakeX = s.QuakeY = 0;
        s.TiebackX = s.TiebackY = s.ReinforcementX = s.ReinforcementY = 0;
        double u = 0, couple = 0;
        if (soil.Piezometric >= 0) {
            const std::size_t w = static_cast<std::size_t>(soil.Piezometric);
            u = gw * (column.Water[w].At(xm) - yb);
            // The pore pressure changes linearly along the base: its resultant acts off the middle,
            // which the moment equations get as a couple.
            const double ul = gw * (waterL[w] - ybl), ur = gw * (waterR[w] - ybr);
            if (std::min(ul, ur) >= -cavitation)
                couple = baseLength * baseLength * (ur - ul) / 12;
        }
        s.Qm = couple;
        if (soil.Ru != 0)
            u += soil.Ru * weight / wd;
        u += soil.PoreConstant;
        s.U = std::max(u, -cavitation);

        // Free water standing on the ground over the slice.
        if (column.Count > 0) {
            if (column.Layers[0].Water >= 0) {
                const std::size_t w = static_cast<std::size_t>(column.Layers[0].Water);
                const double dl = std::max(waterL[w] - groundL, 0.0);
                const double dr = std::max(waterR[w] - groundR, 0.0);
                if (dl + dr > 0) {
                    const double fw = gw * wd * 0.5 * (dl + dr);
                    const double xc = xl + wd * (dl + 2 * dr) / (3 * (dl + dr));
                    AddForce(s, xc, column.Ground.At(xc), 0, -fw, s.WaterX, s.WaterY);
                    notes.FreeWaterWeight += fw;
                }
            }
        }
        // Earthquake: outwards from the face (towards -x) and upwards, at the centre of gravity.
        if (quake) {
            // The elevation of the centre of gravity from the layers' middles at the slice's middle.
            double sum3 = 0;
            double groundM = 0;
            column.At<true>(xm, yb, waterMid, groundM, &sum3);
            const double yw = weight > 0 ? 6 * sum3 * third : 0.5 * (s.YTop + s.YBase);
            AddForce(s, s.XW, yw, -model.Kh * s.Weight, model.Kv * s.Weight, s.QuakeX, s.QuakeY);
        }
        for (const TLoad& l : model.Loads) {
            const double lo = std::max(l.LeftX, s.XLeft), hi = std::min(l.RightX, s.XRight);
            if (!(hi > lo))
                continue;
            const double f = l.Intensity * (hi - lo);
            const double px = 0.5 * (lo + hi);
            AddForce(s, px, model.GroundY(px), f * l.DirX, f * l.DirY, s.LoadX, s.LoadY);
        }
        columnL = columnR;
        groundL = groundR;
        std::swap(waterL, waterR);
    }
    if (!(total > 0))
        return false;

    // Free water beside the end slices pushes on the mass horizontally.
    const auto endThrust = [&](double x, TSlice& s, double sign) {
        const int top = model.SoilAt(x, model.GroundY(x) - 1e-9 * model.Extent);
        if (top < 0)
            return;
        const int w = model.Soils[static_cast<std::size_t>(top)].Piezometric;
        if (w < 0)
            return;
        const double yg = model.GroundY(x);
        const double depth = model.WaterY(w, x) - yg;
        if (depth > 0) {
            AddForce(s, x, yg + depth / 3, sign * 0.5 * gw * depth * depth, 0, s.WaterX, s.WaterY);
            s.Thrust += sign * 0.5 * gw * depth * depth;
        }
    };
    endThrust(x0, slices.front(), 1);
    endThrust(x1, slices.back(), -1);

    // Tiebacks whose free length the surface crosses hold the mass at their heads.
    for (const TTieback& t : model.Tiebacks) {
        if (!(t.Head.X >= x0 && t.Head.X <= x1) || t.Force == 0)
            continue;
        const TPoint end{t.Head.X + t.FreeLength * t.DirX, t.Head.Y + t.FreeLength * t.DirY};
        bool crosses = false;
        TPoint at;
        for (std::size_t k = 0; k + 1 < surface.size() && !crosses; ++k)
            crosses = SegmentsMeet(t.Head, end, surface[k], surface[k + 1], at);
        if (!crosses)
            continue;
        TSlice& held = SliceAt(slices, t.Head.X);
        AddForce(held, t.Head.X, t.Head.Y, t.Force * t.DirX, t.Force * t.DirY, held.TiebackX, held.TiebackY);
        ++notes.TiebacksActive;
    }

    for (const TReinforcementLine& line : model.Reinforcement)
        if (AddReinforcement(model, surface, line, slices))
            ++notes.ReinforcementCrossings;
    return true;
}

void SideWaterForces(const TSlopeModel& model, const std::vector<TPoint>& surface, TWorkspace& ws) {
    const std::vector<TSlice>& slices = ws.Slices;
    const std::size_t n = slices.size();
    ws.U.assign(n + 1, 0.0);
    if (model.Water.empty() || n < 2)
        return;
    const double gw = model.WaterWeight;
    const double cav = model.Cavitation;
    // Integral of max(gw (yp - y), -cav) from lo to hi.
    const double cutOff = gw > 0 ? cav / gw : 0;
    const auto pressure = [gw, cav, cutOff](double yp, double lo, double hi) {
        if (!(hi > lo))
            return 0.0;
        const double yc = yp + cutOff; // above it the suction is cut off
        double f = 0;
        const double top = std::min(hi, yc);
        if (top > lo)
            f += gw * ((yp - lo) + (yp - top)) * 0.5 * (top - lo);
        if (hi > yc)
            f -= cav * (hi - std::max(lo, yc));
        return f;
    };
    // The boundaries come in ascending x: the surface segment and the grid interval of each are
    // found by walking on from the last one.
    const TPoint* points = surface.data();
    const std::size_t pointCount = surface.size();
    const int intervals = model.IntervalCount();
    std::size_t seg = 0, slopeSeg = pointCount; // the segment whose slope `slope` holds
    double slope = 0;
    int interval = 0;
    // The right ends of the segment and of the grid interval, kept for the walks' tests.
    double segmentEnd = points[1].X;
    double intervalEnd = intervals > 0 ? model.Interval(0).X1 : HUGE_VAL;
    double* const u = ws.U.data();
    // Where every layer of the grid interval takes its pore pressure from one water surface, the
    // pressure is one function of the elevation from the base up to the ground: its integral is
    // taken at once instead of layer by layer.
    TColumn column;
    int columnFor = -1;
    for (std::size_t j = 1; j < n; ++j) {
        const double x = slices[j].XLeft;
        while (seg + 2 < pointCount && segmentEnd <= x)
            segmentEnd = points[++seg + 1].X;
        const TPoint& a = points[seg];
        if (seg != slopeSeg) { // several boundaries share a segment: one division for them all
            slope = (points[seg + 1].Y - a.Y) / (points[seg + 1].X - a.X);
            slopeSeg = seg;
        }
        const double yb = a.Y + slope * (x - a.X);
        while (interval + 1 < intervals && !(x < intervalEnd))
            intervalEnd = model.Interval(++interval).X1;
        if (interval != columnFor) {
            const TGridInterval& g = model.Interval(interval);
            if (g.Water >= 0)
                column.GatherWater(model, g);
            else
                column.Gather(model, g, ws.Layers);
            columnFor = interval;
        }
        if (column.Count == 0)
            continue;
        double force = 0;
        double top = column.Ground.At(x);
        if (column.Uniform >= 0) {
            if (top > yb) {
                const double yp = column.Water[column.Uniform].At(x);
                force = pressure(yp, yb, top);
                // Free water standing on the ground at this boundary.
                if (yp > top)
                    force += 0.5 * gw * (yp - top) * (yp - top);
            }
            u[j] = force;
            continue;
        }
        for (int k = 0; k < column.Count && top > yb; ++k) {
            const TColumnLayer& layer = column.Layers[k];
            // The layer's lower edge, and the next layer's top.
            const double below = layer.A + layer.B * x;
            if (layer.Water >= 0) {
                const double yp = column.Water[layer.Water].At(x);
                force += pressure(yp, std::max(below, yb), top);
                // Free water standing on the ground at this boundary.
                if (k == 0 && yp > top)
                    force += 0.5 * gw * (yp - top) * (yp - top);
            }
            top = below;
        }
        u[j] = force;
    }
}

} // namespace quolm
