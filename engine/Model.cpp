#include "engine/Model.h"
#include <algorithm>
#include <cmath>

namespace quolm {

namespace {
double D(Extended v) {
    return static_cast<double>(v);
}

// y on the polyline at x, level beyond its ends; the points are in ascending x.
double PolylineY(const std::vector<TPoint>& p, double x) {
    if (p.empty())
        return 0;
    if (x <= p.front().X)
        return p.front().Y;
    if (x >= p.back().X)
        return p.back().Y;
    const auto it =
        std::upper_bound(p.begin(), p.end(), x, [](double v, const TPoint& q) { return v < q.X; });
    const TPoint& b = *it;
    const TPoint& a = *(it - 1);
    if (b.X == a.X)
        return std::max(a.Y, b.Y);
    return a.Y + (b.Y - a.Y) * (x - a.X) / (b.X - a.X);
}

// The straight piece of a polyline (level beyond its ends) on the interval around xm.
TLinePiece PolylinePiece(const std::vector<TPoint>& p, double xm) {
    TLinePiece piece;
    if (p.empty())
        return piece;
    if (xm <= p.front().X || xm >= p.back().X || p.size() < 2) {
        piece.A = xm <= p.front().X ? p.front().Y : p.back().Y;
        return piece;
    }
    const auto it =
        std::upper_bound(p.begin(), p.end(), xm, [](double v, const TPoint& q) { return v < q.X; });
    const TPoint& b = *it;
    const TPoint& a = *(it - 1);
    piece.B = (b.Y - a.Y) / (b.X - a.X);
    piece.A = a.Y - piece.B * a.X;
    return piece;
}
} // namespace

TSlopeModel::TSlopeModel(const TSlopeDescription& d) {
    const TSlopeSettings& s = d.Settings;
    UnitSystem = s.UnitSystem;
    const int groundLines = std::clamp(s.SurfaceBoundaryCount, 0, static_cast<int>(d.Boundaries.size()));
    for (int i = 0; i < groundLines; ++i) {
        const TSlopeBoundary& b = d.Boundaries[static_cast<std::size_t>(i)];
        if (i == 0)
            GroundPoints.push_back({D(b.LeftX), D(b.LeftY)});
        GroundPoints.push_back({D(b.RightX), D(b.RightY)});
    }

    for (const TSlopeSoil& in : d.Soils) {
        TSoil soil;
        soil.MoistWeight = D(in.MoistUnitWeight);
        soil.SaturatedWeight = D(in.SaturatedUnitWeight);
        soil.Cohesion = D(in.Cohesion);
        soil.PhiDeg = D(in.FrictionAngle);
        soil.TanPhi = std::tan(Rad(soil.PhiDeg));
        soil.Ru = D(in.PorePressureCoefficient);
        // The program's soil table takes the pore-pressure constant in lbs/in2 in English units (kN/m2
        // in SI, F/L2 otherwise); every other pressure here is per square foot.
        soil.PoreConstant = D(in.PorePressureConstant) * (s.UnitSystem == 1 ? 144.0 : 1.0);
        soil.Piezometric = s.HasWater && in.PiezometricSurface > 0 ? in.PiezometricSurface - 1 : -1;
        if (HasAnisotropyData(in))
            for (const TSlopeAnisotropy& a : in.Anisotropy) {
                const double phi = D(a.FrictionAngle);
                soil.Anisotropy.push_back({D(a.DirectionLimit), D(a.Cohesion), std::tan(Rad(phi)), phi});
            }
        Soils.push_back(std::move(soil));
    }

    if (s.HasWater) {
        WaterWeight = D(s.WaterUnitWeight);
        for (const TSlopeWaterSurface& w : d.WaterSurfaces) {
            std::vector<TPoint> points;
            for (const TSlopePoint& p : w.Points)
                points.push_back({D(p.X), D(p.Y)});
            Water.push_back(std::move(points));
        }
    }
    if (s.HasSurcharge)
        for (const TSlopeLoad& l : d.Loads) {
            const double incl = Rad(D(l.Inclination));
            Loads.push_back({D(l.LeftX), D(l.RightX), D(l.Intensity), std::sin(incl), -std::cos(incl)});
        }
    if (s.HasEarthquake) {
        Kh = D(s.HorizontalCoefficient);
        Kv = D(s.VerticalCoefficient);
        Cavitation = D(s.CavitationPressure);
    }
    if (s.HasTiebacks)
        for (const TSlopeTieback& t : d.Tiebacks) {
            const double incl = Rad(D(t.Inclination));
            const double spacing = D(t.Spacing);
            Tiebacks.push_back({{D(t.X), D(t.Y)},
                                std::cos(incl),
                                -std::sin(incl),
                                D(t.FreeLength),
                                spacing > 0 ? D(t.Load) / spacing : 0});
        }
    if (s.HasReinforcement)
        for (const TSlopeReinforcementSet& set : d.Reinforcement) {
            TReinforcementLine line;
            for (const TSlopeReinforcementLayer& l : set.Layers) {
                line.Points.push_back({D(l.X), D(l.Y)});
                line.Force.push_back(D(l.Force));
                line.Factor.push_back(std::clamp(D(l.InclinationFactor), 0.0, 1.0));
            }
            if (line.Points.size() >= 2)
                Reinforcement.push_back(std::move(line));
        }
    if (s.HasLimits)
        for (const TSlopeLimit& l : d.Limits)
            Limits.push_back({{D(l.LeftX), D(l.LeftY)}, {D(l.RightX), D(l.RightY)}});
    MinimumElevation = D(s.MinimumElevation);

    // The grid: every vertex of the profile and of the water surfaces within the ground's range.
    const double left = GroundPoints.empty() ? 0 : GroundPoints.front().X;
    const double right = GroundPoints.empty() ? 0 : GroundPoints.back().X;
    double low = 0, high = 0;
    bool first = true;
    std::vector<double> xs = {left, right};
    for (const TSlopeBoundary& b : d.Boundaries) {
        xs.push_back(D(b.LeftX));
        xs.push_back(D(b.RightX));
        for (double y : {D(b.LeftY), D(b.RightY)}) {
            low = first ? y : std::min(low, y);
            high = first ? y : std::max(high, y);
            first = false;
        }
    }
    for (const auto& w : Water)
        for (const TPoint& p : w)
            xs.push_back(p.X);
    Extent = std::max({right - left, high - low, 1e-9});
    const double eps = 1e-12 * Extent;
    for (double& x : xs)
        x = std::clamp(x, left, right);
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end(), [eps](double a, double b) { return b - a <= eps; }), xs.end());

    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
        TGridInterval g;
        g.X0 = xs[i];
        g.X1 = xs[i + 1];
        const double xm = 0.5 * (g.X0 + g.X1);
        g.FirstLine = static_cast<int>(Pieces.size());
        for (const TSlopeBoundary& b : d.Boundaries) {
            const double x0 = D(b.LeftX), x1 = D(b.RightX);
            if (!(x1 > x0) || x0 > g.X0 + eps || x1 < g.X1 - eps)
                continue;
            TLinePiece piece;
            piece.B = (D(b.RightY) - D(b.LeftY)) / (x1 - x0);
            piece.A = D(b.LeftY) - piece.B * x0;
            piece.Soil = b.Soil - 1;
            Pieces.push_back(piece);
        }
        std::sort(Pieces.begin() + g.FirstLine, Pieces.end(),
                  [xm](const TLinePiece& a, const TLinePiece& b) { return a.At(xm) > b.At(xm); });
        g.LineCount = static_cast<int>(Pieces.size()) - g.FirstLine;
        // Whether the layers share one water surface: the soils' piezometric surfaces never change
        // after this (a probabilistic run varies weights and strengths only).
        for (int k = 0; k < g.LineCount; ++k) {
            const std::size_t soil =
                static_cast<std::size_t>(Pieces[static_cast<std::size_t>(g.FirstLine + k)].Soil);
            const int w = soil < Soils.size() ? Soils[soil].Piezometric : -1;
            if (k == 0) {
                g.Water = w;
            } else if (w != g.Water) {
                g.Water = -1;
                break;
            }
        }
        g.FirstWater = static_cast<int>(WaterPieces.size());
        for (const auto& w : Water)
            WaterPieces.push_back(PolylinePiece(w, xm));
        Grid.push_back(g);
    }

    // Slices break where anything changes: the grid, the water surfaces crossing boundary lines (the
    // moist and saturated parts of a layer change there) and the edges of loads.
    BreakXs = xs;
    for (const TGridInterval& g : Grid)
        for (int w = 0; w < static_cast<int>(Water.size()); ++w) {
            const TLinePiece& wp = WaterPieces[static_cast<std::size_t>(g.FirstWater + w)];
            for (int k = 0; k < g.LineCount; ++k) {
                const TLinePiece& lp = Pieces[static_cast<std::size_t>(g.FirstLine + k)];
                if (lp.B == wp.B)
                    continue;
                const double x = (wp.A - lp.A) / (lp.B - wp.B);
                if (x > g.X0 + eps && x < g.X1 - eps)
                    BreakXs.push_back(x);
            }
        }
    for (const TLoad& l : Loads)
        for (double x : {l.LeftX, l.RightX})
            if (x > left && x < right)
                BreakXs.push_back(x);
    std::sort(BreakXs.begin(), BreakXs.end());
    BreakXs.erase(
        std::unique(BreakXs.begin(), BreakXs.end(), [eps](double a, double b) { return b - a <= eps; }),
        BreakXs.end());
}

double TSlopeModel::GroundY(double x) const {
    return PolylineY(GroundPoints, x);
}

double TSlopeModel::WaterY(int w, double x) const {
    return PolylineY(Water[static_cast<std::size_t>(w)], x);
}

int TSlopeModel::IntervalOf(double x) const {
    if (Grid.empty())
        return -1;
    const auto it = std::upper_bound(Grid.begin(), Grid.end(), x,
                                     [](double v, const TGridInterval& g) { return v < g.X1; });
    if (it == Grid.end())
        return static_cast<int>(Grid.size()) - 1;
    return static_cast<int>(it - Grid.begin());
}

int TSlopeModel::SoilAt(double x, double y) const {
    const int i = IntervalOf(x);
    if (i < 0)
        return -1;
    const TGridInterval& g = Grid[static_cast<std::size_t>(i)];
    if (g.LineCount == 0)
        return -1;
    const TLinePiece* lines = &Pieces[static_cast<std::size_t>(g.FirstLine)];
    if (y > lines[0].At(x) + 1e-9 * Extent)
        return -1;
    int k = 0;
    while (k + 1 < g.LineCount && lines[k + 1].At(x) >= y)
        ++k;
    return lines[k].Soil;
}

} // namespace quolm
