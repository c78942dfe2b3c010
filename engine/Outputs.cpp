// The three files of a run: the output text a person reads, the plot file the graph window reads, and
// the JSON results for programs.
#include "engine/Contract.h"
#include "engine/Engine.h"
#include "text/FixedText.h"
#include <algorithm>
#include <charconv>
#include <cmath>

namespace quolm {

namespace {
double D(Extended v) {
    return static_cast<double>(v);
}

std::string Fixed(double v, int decimals) {
    return FormatFixedExact(v, decimals);
}

// The shortest text that reads back as the same double; "0" for what has none (validation keeps
// non-numbers out of every output, this is the last guard).
std::string Shortest(double v) {
    if (v == 0 || !std::isfinite(v))
        return "0";
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string Pad(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}
std::string PadRight(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

struct TUnits {
    const char* Name;
    const char* Length;
    const char* Force; // per unit width
    const char* Pressure;
    const char* UnitWeight;
};
TUnits UnitsOf(int system) {
    switch (system) {
    case 1:
        return {"English", "ft", "lbs/ft", "lbs/ft2", "lbs/ft3"};
    case 2:
        return {"SI", "m", "kN/m", "kN/m2", "kN/m3"};
    default:
        return {"other", "L", "F/L", "F/L2", "F/L3"};
    }
}

const char* SearchName(int kind) {
    switch (kind) {
    case 1:
        return "user-defined failure surface";
    case 2:
        return "circular search (CIRCLE)";
    case 3:
        return "circular search (CIRCL2)";
    case 4:
        return "irregular search (RANDOM)";
    case 5:
        return "block search (BLOCK)";
    case 6:
        return "Spencer's method with a circular search (SPENCR)";
    default:
        return "none";
    }
}

class TText {
  public:
    void Line(const std::string& s = std::string()) {
        Text += s;
        Text += "\r\n";
    }
    void Title(const std::string& s) {
        Line();
        Line(s);
        Line(std::string(s.size(), '-'));
    }
    // One row of right-aligned columns.
    void Row(std::initializer_list<std::string> cells, std::size_t width = 10) {
        std::string line;
        for (const std::string& c : cells)
            line += Pad(c, width);
        Line(line);
    }
    std::string Text;
};

std::string Opt(const std::optional<double>& v, int decimals = 3) {
    return v ? Fixed(*v, decimals) : std::string("not converged");
}

void EchoInput(TText& t, const TSlopeDescription& d) {
    const TSlopeSettings& s = d.Settings;
    t.Title("INPUT DATA");
    t.Line("Boundary lines: " + std::to_string(d.Boundaries.size()) + ", the first " +
           std::to_string(s.SurfaceBoundaryCount) + " forming the ground surface");
    t.Row({"Line", "Left X", "Left Y", "Right X", "Right Y", "Soil"});
    for (std::size_t i = 0; i < d.Boundaries.size(); ++i) {
        const TSlopeBoundary& b = d.Boundaries[i];
        t.Row({std::to_string(i + 1), Fixed(D(b.LeftX), 2), Fixed(D(b.LeftY), 2), Fixed(D(b.RightX), 2),
               Fixed(D(b.RightY), 2), std::to_string(b.Soil)});
    }
    t.Line();
    const TUnits u = UnitsOf(s.UnitSystem);
    t.Line("Soil types: " + std::to_string(d.Soils.size()) + " (unit weights " + u.UnitWeight +
           ", cohesion " + u.Pressure + ", pore-pressure constant " +
           (s.UnitSystem == 1 ? "lbs/in2" : u.Pressure) + ")");
    t.Row({"Soil", "Moist wt", "Sat. wt", "Cohesion", "Phi", "ru", "u const", "Piezo"});
    for (std::size_t i = 0; i < d.Soils.size(); ++i) {
        const TSlopeSoil& so = d.Soils[i];
        t.Row({std::to_string(i + 1), Fixed(D(so.MoistUnitWeight), 2), Fixed(D(so.SaturatedUnitWeight), 2),
               Fixed(D(so.Cohesion), 2), Fixed(D(so.FrictionAngle), 2),
               Fixed(D(so.PorePressureCoefficient), 3), Fixed(D(so.PorePressureConstant), 2),
               std::to_string(so.PiezometricSurface)});
    }
    for (std::size_t i = 0; i < d.Soils.size(); ++i) {
        if (!HasAnisotropyData(d.Soils[i]))
            continue;
        t.Line();
        t.Line("Anisotropic strength of soil " + std::to_string(i + 1) + " (by base inclination)");
        t.Row({"Row", "Up to deg", "Cohesion", "Phi"});
        for (std::size_t r = 0; r < d.Soils[i].Anisotropy.size(); ++r) {
            const TSlopeAnisotropy& a = d.Soils[i].Anisotropy[r];
            t.Row({std::to_string(r + 1), Fixed(D(a.DirectionLimit), 2), Fixed(D(a.Cohesion), 2),
                   Fixed(D(a.FrictionAngle), 2)});
        }
    }
    if (s.HasWater) {
        t.Line();
        t.Line("Piezometric surfaces: " + std::to_string(d.WaterSurfaces.size()) + ", unit weight of water " +
               Fixed(D(s.WaterUnitWeight), 3));
        for (std::size_t w = 0; w < d.WaterSurfaces.size(); ++w) {
            std::string line = "  Surface " + std::to_string(w + 1) + ":";
            for (const TSlopePoint& p : d.WaterSurfaces[w].Points)
                line += " (" + Fixed(D(p.X), 2) + ", " + Fixed(D(p.Y), 2) + ")";
            t.Line(line);
        }
    }
    if (s.HasSurcharge) {
        t.Line();
        t.Line("Surcharge loads: " + std::to_string(d.Loads.size()));
        t.Row({"Load", "Left X", "Right X", "Intensity", "Incl. deg"});
        for (std::size_t i = 0; i < d.Loads.size(); ++i) {
            const TSlopeLoad& l = d.Loads[i];
            t.Row({std::to_string(i + 1), Fixed(D(l.LeftX), 2), Fixed(D(l.RightX), 2),
                   Fixed(D(l.Intensity), 2), Fixed(D(l.Inclination), 2)});
        }
    }
    if (s.HasEarthquake) {
        t.Line();
        t.Line("Earthquake: kh = " + Fixed(D(s.HorizontalCoefficient), 3) +
               " (outwards), kv = " + Fixed(D(s.VerticalCoefficient), 3) +
               " (upwards), cavitation pressure " + Fixed(D(s.CavitationPressure), 2));
    }
    if (s.HasLimits) {
        t.Line();
        t.Line("Trial-surface limit lines: " + std::to_string(d.Limits.size()));
        for (std::size_t i = 0; i < d.Limits.size(); ++i) {
            const TSlopeLimit& l = d.Limits[i];
            t.Row({std::to_string(i + 1), Fixed(D(l.LeftX), 2), Fixed(D(l.LeftY), 2), Fixed(D(l.RightX), 2),
                   Fixed(D(l.RightY), 2)});
        }
    }
    if (s.HasTiebacks) {
        t.Line();
        t.Line("Tiebacks: " + std::to_string(d.Tiebacks.size()));
        t.Row({"Tie", "Line", "X", "Y", "Load", "Spacing", "Incl. deg", "Free len."});
        for (std::size_t i = 0; i < d.Tiebacks.size(); ++i) {
            const TSlopeTieback& b = d.Tiebacks[i];
            t.Row({std::to_string(i + 1), std::to_string(b.BoundarySurface), Fixed(D(b.X), 2),
                   Fixed(D(b.Y), 2), Fixed(D(b.Load), 2), Fixed(D(b.Spacing), 2), Fixed(D(b.Inclination), 2),
                   Fixed(D(b.FreeLength), 2)});
        }
    }
    if (s.HasReinforcement) {
        t.Line();
        t.Line("Reinforcement lines: " + std::to_string(d.Reinforcement.size()));
        for (std::size_t i = 0; i < d.Reinforcement.size(); ++i) {
            t.Row({"Line " + std::to_string(i + 1), "X", "Y", "Force", "Factor"});
            for (const TSlopeReinforcementLayer& l : d.Reinforcement[i].Layers)
                t.Row({"", Fixed(D(l.X), 2), Fixed(D(l.Y), 2), Fixed(D(l.Force), 2),
                       Fixed(D(l.InclinationFactor), 3)});
        }
    }
    t.Line();
    t.Line("Failure surface: " + std::string(SearchName(s.SearchKind)));
    if (s.SearchKind == 1) {
        std::string line = " ";
        for (const TSlopePoint& p : d.Surface)
            line += " (" + Fixed(D(p.X), 2) + ", " + Fixed(D(p.Y), 2) + ")";
        t.Line(line);
    } else if (s.SearchKind >= 2) {
        t.Line("  Initiation points " + std::to_string(s.InitiationPoints) + ", surfaces per point " +
               std::to_string(s.SurfacesPerPoint));
        t.Line("  Initiation x " + Fixed(D(s.LeftInitiationX), 2) + " to " + Fixed(D(s.RightInitiationX), 2) +
               ", termination x " + Fixed(D(s.LeftTerminationX), 2) + " to " +
               Fixed(D(s.RightTerminationX), 2));
        t.Line("  Minimum elevation " + Fixed(D(s.MinimumElevation), 2) + ", segment length " +
               Fixed(D(s.SegmentLength), 2) + ", first segment between " + Fixed(D(s.CwLimit), 1) + " and " +
               Fixed(D(s.CcwLimit), 1) + " degrees");
        if (s.SearchKind == 6)
            t.Line("  Interslice force inclination to start from: " + Fixed(D(s.InterSliceAngle), 2) +
                   " degrees");
        if (s.SearchKind == 5)
            t.Line("  Boxes " + std::to_string(d.Boxes.size()) + ", segment length " +
                   Fixed(D(s.BlockSegmentLength), 2));
    }
}

std::string PointsText(const std::vector<TPoint>& points) {
    std::string s;
    for (const TPoint& p : points)
        s += " (" + Fixed(p.X, 2) + ", " + Fixed(p.Y, 2) + ")";
    return s;
}
} // namespace

std::string ReportText(const TAnalysis& a, const std::string& inputPath) {
    const TSlopeDescription& d = a.Input;
    const TUnits u = UnitsOf(d.Settings.UnitSystem);
    TText t;
    const std::string head =
        std::string(EngineName) + " slope-stability analysis engine, version " + ProgramVersion;
    t.Line(head);
    t.Line(std::string(head.size(), '='));
    t.Line();
    t.Line("Input file : " + inputPath);
    t.Line("Title      : " + d.Settings.Title);
    t.Line("Units      : " + std::string(u.Name) + " (lengths " + u.Length + ", forces " + u.Force +
           " of width, " + "pressures " + u.Pressure + ", unit weights " + u.UnitWeight + ")");
    t.Line(
        "Conventions: x to the right, y up; the slope faces left and slides towards -x; angles in degrees,");
    t.Line("             counterclockwise from +x.");
    if (d.ProfileRead || !d.Boundaries.empty())
        EchoInput(t, d);

    t.Title("ERRORS AND WARNINGS");
    if (a.Diagnostics.Errors.empty() && a.Diagnostics.Warnings.empty() &&
        (!a.Critical || a.Critical->Warnings.empty()))
        t.Line("None.");
    for (const TDiagnostic& e : a.Diagnostics.Errors)
        t.Line("Error " + e.Code + ": " + e.Message);
    for (const TDiagnostic& w : a.Diagnostics.Warnings)
        t.Line("Warning " + w.Code + ": " + w.Message);
    if (a.Critical)
        for (const TDiagnostic& w : a.Critical->Warnings)
            t.Line("Warning " + w.Code + ": " + w.Message);
    if (!a.Diagnostics.Errors.empty()) {
        t.Line();
        t.Line("The problem was not analysed. The codes are explained, with their remedies, in "
               "error-message.txt.");
        return t.Text;
    }

    t.Title("ANALYSIS");
    t.Line("Method       : " + std::string(MethodName(a.Method)) +
           (a.Method == TMethod::Janbu ? " (uncorrected; the correction factor is reported beside)" : ""));
    t.Line("Surfaces     : " + std::to_string(a.Generated) + " generated, " + std::to_string(a.Analysed) +
           " analysed");
    if (!a.Rejected.empty()) {
        long long total = 0;
        for (const auto& [reason, n] : a.Rejected)
            total += n;
        t.Line("Rejected     : " + std::to_string(total));
        for (const auto& [reason, n] : a.Rejected)
            t.Line("  " + PadRight(reason, 40) + Pad(std::to_string(n), 10));
    }
    if (d.Settings.SearchKind != 1)
        t.Line("Random seed  : " + std::to_string(a.Seed));
    if (a.GeneratedBest && a.GeneratedBest->FS)
        t.Line("Generated best factor of safety : " + Fixed(*a.GeneratedBest->FS, 3));
    if (a.RefinedBest && a.RefinedBest->FS && a.GeneratedBest && a.GeneratedBest->FS)
        t.Line("After optimisation               : " + Fixed(*a.RefinedBest->FS, 3) +
               (*a.RefinedBest->FS < *a.GeneratedBest->FS
                    ? "  (" +
                          Fixed(100 * (*a.GeneratedBest->FS - *a.RefinedBest->FS) / *a.GeneratedBest->FS, 2) +
                          " % lower)"
                    : std::string("  (no lower surface found nearby)")) +
               ", " + std::to_string(a.RefinementEvaluations) + " further surfaces analysed");
    if (!a.Convergence.empty()) {
        t.Line("Convergence  : share of surfaces  surfaces  generated best  after optimisation");
        for (const TAnalysis::TConvergenceRow& c : a.Convergence)
            t.Line("               " + Pad(Fixed(100 * c.Share, 0) + " %", 16) +
                   Pad(std::to_string(c.Surfaces), 10) +
                   Pad(c.Generated ? Fixed(*c.Generated, 3) : std::string("-"), 16) +
                   Pad(c.Optimised ? Fixed(*c.Optimised, 3) : std::string("-"), 20));
    }
    if (a.SearchThreads > 0)
        t.Line("Threads      : " + std::to_string(a.SearchThreads));

    t.Title("THE TEN MOST CRITICAL SURFACES");
    for (std::size_t i = 0; i < a.Ten.size(); ++i) {
        const TSurfaceResult& s = a.Ten[i];
        std::string line =
            Pad(std::to_string(i + 1), 4) + "  FS " + (s.FS ? Fixed(*s.FS, 3) : "not converged");
        if (s.Circle)
            line += "  centre (" + Fixed(s.Circle->X, 2) + ", " + Fixed(s.Circle->Y, 2) + "), radius " +
                    Fixed(s.Circle->R, 2);
        t.Line(line);
        if (!s.Points.empty())
            t.Line("     " + PointsText(s.Points));
    }

    if (a.Critical) {
        const TCriticalResult& c = *a.Critical;
        t.Title("CRITICAL SURFACE");
        t.Line("Factor of safety (" + std::string(MethodName(c.Method)) + "): " +
               (c.Surface.FS ? Fixed(*c.Surface.FS, 3) : std::string("none, the method did not converge")));
        t.Line("Points:" + PointsText(c.Surface.Points));
        if (c.Surface.Circle)
            t.Line("Circle: centre (" + Fixed(c.Surface.Circle->X, 2) + ", " + Fixed(c.Surface.Circle->Y, 2) +
                   "), radius " + Fixed(c.Surface.Circle->R, 2));
        else
            t.Line("Moment centre of the moment methods: (" + Fixed(c.MomentCentre.X, 2) + ", " +
                   Fixed(c.MomentCentre.Y, 2) + ")");
        if (c.FreeWaterWeight > 0)
            t.Line("Free water on the sliding mass: " + Fixed(c.FreeWaterWeight, 1) + " " + u.Force);
        if (c.TiebacksActive > 0)
            t.Line("Tiebacks acting: " + std::to_string(c.TiebacksActive));
        if (c.ReinforcementCrossings > 0)
            t.Line("Reinforcement crossings: " + std::to_string(c.ReinforcementCrossings));
        t.Line();
        t.Line("Every method on this surface:");
        t.Line("  " + PadRight("Ordinary method of slices (Fellenius)", 44) + Opt(c.Ordinary));
        t.Line("  " + PadRight("Bishop's simplified method", 44) + Opt(c.Bishop));
        t.Line("  " + PadRight("Janbu's simplified method, uncorrected", 44) + Opt(c.JanbuSimplified));
        t.Line("  " + PadRight("Janbu's simplified method, corrected", 44) + Opt(c.JanbuCorrected) +
               (c.JanbuFactor ? "   (f0 = " + Fixed(*c.JanbuFactor, 3) + ")" : std::string()));
        t.Line("  " + PadRight("Spencer's method", 44) + Opt(c.Spencer) +
               (c.SpencerThetaDeg ? "   (theta = " + Fixed(*c.SpencerThetaDeg, 2) + " deg)" : std::string()));
        t.Line("  " + PadRight("Morgenstern-Price method, half-sine", 44) + Opt(c.MorgensternPrice) +
               (c.MpLambda ? "   (lambda = " + Fixed(*c.MpLambda, 4) + ")" : std::string()));
        t.Line();
        t.Line("Slices (" + std::string(MethodName(c.Method)) +
               "; forces per unit width: normal = total normal force on the"
               " base, shear = mobilised shear force):");
        t.Row({"Slice", "x", "Width", "Weight", "Alpha", "c", "Phi", "u", "Normal", "Shear"}, 11);
        for (std::size_t i = 0; i < c.Slices.size(); ++i) {
            const TSliceReport& s = c.Slices[i];
            const bool forces = c.Surface.FS.has_value();
            t.Row({std::to_string(i + 1), Fixed(s.X, 2), Fixed(s.Width, 3), Fixed(s.Weight, 1),
                   Fixed(s.AlphaDeg, 2), Fixed(s.Cohesion, 2), Fixed(s.PhiDeg, 2), Fixed(s.U, 2),
                   forces ? Fixed(s.Normal, 1) : "-", forces ? Fixed(s.Shear, 1) : "-"},
                  11);
        }
    }
    t.Line();
    t.Line("Elapsed: " + Fixed(a.ElapsedSeconds, 3) + " s");
    return t.Text;
}

// ---------------------------------------------------------------- plot file

namespace {
// At most `limit` of the points, the first and the last always among them.
std::vector<TPoint> Thin(const std::vector<TPoint>& p, std::size_t limit) {
    if (p.size() <= limit || limit < 2)
        return p;
    std::vector<TPoint> out;
    for (std::size_t k = 0; k < limit; ++k)
        out.push_back(p[k * (p.size() - 1) / (limit - 1)]);
    return out;
}

class TPlot {
  public:
    void Line(const std::string& s) {
        Text += s;
        Text += "\r\n";
    }
    void Point(double x, double y) { Line(Shortest(x) + " " + Shortest(y)); }
    void Point(const TPoint& p) { Point(p.X, p.Y); }
    std::string Text;
};
} // namespace

std::string PlotText(const TAnalysis& a) {
    TPlot p;
    const TSlopeDescription& d = a.Input;
    if (a.HasErrors() || !a.Critical) {
        // The graph window says that the file holds no data and points to the output text.
        p.Line("END");
        return p.Text;
    }
    const TSlopeModel model(d);
    const std::vector<TPoint>& ground = model.Ground();
    double xmin = ground.front().X, xmax = ground.back().X, ymin = ground.front().Y, ymax = ymin;
    for (const TSlopeBoundary& b : d.Boundaries)
        for (double y : {D(b.LeftY), D(b.RightY)}) {
            ymin = std::min(ymin, y);
            ymax = std::max(ymax, y);
        }
    // Header: the axis ranges and the scale factor 1 (position 2, written again on line 11).
    const double header[9] = {xmin, 1, xmax, ymin, ymax, 0, 0, 0, 0};
    for (double h : header)
        p.Line(Shortest(h));
    for (int i = 0; i < 6; ++i)
        p.Line(Shortest(header[i]));

    // BND: the ground points, then the subsurface lines, within the reader's 140 points (a ground of
    // more points is thinned, and then no subsurface line fits).
    const int groundLines = static_cast<int>(ground.size()) - 1;
    const std::vector<TPoint> shown = Thin(ground, 140);
    const int nsb = static_cast<int>(shown.size()) - 1;
    const int sub =
        std::clamp(static_cast<int>(d.Boundaries.size()) - groundLines, 0, std::max(0, (140 - 1 - nsb) / 2));
    p.Line("BND");
    p.Line(Shortest(shown[0].X) + " " + Shortest(shown[0].Y) + " " + std::to_string(nsb) + " " +
           std::to_string(nsb + sub));
    for (int i = 1; i <= nsb; ++i)
        p.Point(shown[static_cast<std::size_t>(i)]);
    for (int i = 0; i < sub; ++i) {
        const TSlopeBoundary& b = d.Boundaries[static_cast<std::size_t>(groundLines + i)];
        p.Point(D(b.LeftX), D(b.LeftY));
        p.Point(D(b.RightX), D(b.RightY));
    }
    if (!model.Limits.empty()) {
        const std::size_t n = std::min<std::size_t>(model.Limits.size(), 140);
        p.Line("LMT");
        p.Line(std::to_string(n));
        for (std::size_t i = 0; i < n; ++i) {
            p.Point(model.Limits[i][0]);
            p.Point(model.Limits[i][1]);
        }
    }
    if (!model.Water.empty()) {
        const std::size_t n = std::min<std::size_t>(model.Water.size(), 20);
        p.Line("WTR");
        p.Line(std::to_string(n));
        for (std::size_t w = 0; w < n; ++w) {
            const std::vector<TPoint> pts = Thin(model.Water[w], 20);
            p.Line(std::to_string(pts.size()));
            for (const TPoint& q : pts)
                p.Point(q);
        }
    }
    if (!model.Loads.empty()) {
        double qmax = 0;
        for (const TLoad& l : model.Loads)
            qmax = std::max(qmax, std::abs(l.Intensity));
        const std::size_t n = std::min<std::size_t>(model.Loads.size(), 35);
        p.Line("LDS");
        p.Line(std::to_string(n));
        for (std::size_t i = 0; i < n; ++i) {
            const TLoad& l = model.Loads[i];
            const double h = qmax > 0 ? 0.05 * model.Extent * std::abs(l.Intensity) / qmax : 0;
            const double yl = model.GroundY(l.LeftX), yr = model.GroundY(l.RightX);
            p.Point(l.LeftX, yl);
            p.Point(l.RightX, yr);
            p.Point(l.RightX, yr + h);
            p.Point(l.LeftX, yl + h);
        }
    }
    if (!model.Tiebacks.empty()) {
        const std::size_t n = std::min<std::size_t>(model.Tiebacks.size(), 20);
        p.Line("TIE");
        p.Line(std::to_string(n));
        for (std::size_t i = 0; i < n; ++i) {
            const TTieback& t = model.Tiebacks[i];
            for (double f : {0.0, 0.5, 1.0})
                p.Point(t.Head.X + f * t.FreeLength * t.DirX, t.Head.Y + f * t.FreeLength * t.DirY);
        }
    }
    if (!model.Reinforcement.empty()) {
        const std::size_t n = std::min<std::size_t>(model.Reinforcement.size(), 50);
        p.Line("RNF");
        p.Line(std::to_string(n));
        for (std::size_t i = 0; i < n; ++i) {
            const std::vector<TPoint> pts = Thin(model.Reinforcement[i].Points, 20);
            p.Line(std::to_string(pts.size()));
            for (const TPoint& q : pts)
                p.Point(q);
        }
    }
    if (d.Settings.SearchKind == 5 && !d.Boxes.empty()) {
        const std::size_t n = std::min<std::size_t>(d.Boxes.size(), 20);
        p.Line("BLK");
        p.Line(std::to_string(n));
        for (std::size_t i = 0; i < n; ++i) {
            const TSlopeBox& b = d.Boxes[i];
            const double h = D(b.SideLength) / 2;
            p.Point(D(b.LeftX), D(b.LeftY) - h);
            p.Point(D(b.RightX), D(b.RightY) - h);
            p.Point(D(b.RightX), D(b.RightY) + h);
            p.Point(D(b.LeftX), D(b.LeftY) + h);
            p.Point(D(b.LeftX), D(b.LeftY) - h);
        }
    }
    // Trial surfaces, at most 3999 (the most critical ones when there were more).
    for (std::size_t i = 0; i < a.Trials.size() && i < 3999; ++i) {
        const TSurfaceResult& s = a.Trials[i];
        const std::vector<TPoint> pts = Thin(s.Points, 200);
        p.Line("SRF");
        p.Line(std::to_string(pts.size()) + " " + Shortest(s.FS.value_or(0)));
        for (const TPoint& q : pts)
            p.Point(q);
    }
    p.Line("TEN");
    for (std::size_t i = 0; i < 10; ++i) {
        if (i >= a.Ten.size()) {
            p.Line("0");
            p.Line("0 0 0 0");
            continue;
        }
        const TSurfaceResult& s = a.Ten[i];
        const std::vector<TPoint> pts = Thin(s.Points, 200);
        p.Line(std::to_string(pts.size()));
        // A circle has its centre and radius; the critical surface of another shape its moment centre.
        std::string xyr = "0 0 0";
        if (s.Circle)
            xyr = Shortest(s.Circle->X) + " " + Shortest(s.Circle->Y) + " " + Shortest(s.Circle->R);
        else if (i == 0)
            xyr = Shortest(a.Critical->MomentCentre.X) + " " + Shortest(a.Critical->MomentCentre.Y) + " 0";
        p.Line(Shortest(s.FS.value_or(0)) + " " + xyr);
        for (const TPoint& q : pts)
            p.Point(q);
    }
    // INF: the critical surface's slices (at most 200): x, total normal stress, the divisor of the
    // stress diagrams, pore pressure, then width, weight, base angle, cohesion and friction angle.
    const TCriticalResult& c = *a.Critical;
    if (!c.Slices.empty()) {
        const std::size_t n = c.Slices.size();
        const std::size_t step = (n + 199) / 200;
        double smax = 0;
        for (const TSliceReport& s : c.Slices) {
            const double l = s.Width / std::max(std::cos(Rad(s.AlphaDeg)), 1e-9);
            smax = std::max({smax, std::abs(s.Normal / l), std::abs(s.U)});
        }
        const double height = std::max(ymax - ymin, 1e-9);
        const double divisor = smax > 0 ? smax / (62.4 * 0.15 * height) : 1;
        std::size_t count = 0;
        for (std::size_t i = 0; i < n; i += step)
            ++count;
        p.Line("INF");
        p.Line(std::to_string(count));
        std::size_t k = 0;
        for (std::size_t i = 0; i < n; i += step) {
            const TSliceReport& s = c.Slices[i];
            const double l = s.Width / std::max(std::cos(Rad(s.AlphaDeg)), 1e-9);
            p.Line(std::to_string(++k) + " " + Shortest(s.X) + " " +
                   Shortest(c.Surface.FS ? s.Normal / l : 0) + " " + Shortest(divisor) + " " + Shortest(s.U) +
                   " " + Shortest(s.Width) + " " + Shortest(s.Weight) + " " + Shortest(s.AlphaDeg) + " " +
                   Shortest(s.Cohesion) + " " + Shortest(s.PhiDeg));
        }
    }
    p.Line("END");
    return p.Text;
}

// ---------------------------------------------------------------- results

namespace {
std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                const char* hex = "0123456789abcdef";
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string JsonNumber(double v) {
    return std::isfinite(v) ? Shortest(v) : "null";
}
std::string JsonNumber(const std::optional<double>& v) {
    return v ? JsonNumber(*v) : "null";
}

std::string JsonPoints(const std::vector<TPoint>& pts) {
    std::string s = "[";
    for (std::size_t i = 0; i < pts.size(); ++i)
        s += (i ? ", [" : "[") + JsonNumber(pts[i].X) + ", " + JsonNumber(pts[i].Y) + "]";
    return s + "]";
}

std::string JsonCircle(const std::optional<TCircle>& c) {
    if (!c)
        return "null";
    return "{\"x\": " + JsonNumber(c->X) + ", \"y\": " + JsonNumber(c->Y) + ", \"r\": " + JsonNumber(c->R) +
           "}";
}

std::string JsonForce(const TForce& f) {
    return "[" + JsonNumber(f.X) + ", " + JsonNumber(f.Y) + "]";
}

// The slice keys added to the first ones: geometry, strength, the forces by kind and the interslice
// forces with the line of thrust.
std::string SliceDetails(const TSliceReport& r, bool forces) {
    const auto force = [forces](double v) { return forces ? JsonNumber(v) : std::string("null"); };
    return ", \"x_left\": " + JsonNumber(r.XLeft) + ", \"x_right\": " + JsonNumber(r.XRight) +
           ", \"y_base\": " + JsonNumber(r.YBase) + ", \"y_top\": " + JsonNumber(r.YTop) +
           ", \"height\": " + JsonNumber(r.YTop - r.YBase) +
           ", \"base_length\": " + JsonNumber(r.BaseLength) + ", \"soil\": " + std::to_string(r.Soil) +
           ", \"effective_normal\": " + force(r.EffectiveNormal) +
           ", \"shear_strength\": " + force(r.ShearStrength) + ", \"water\": " + JsonForce(r.Water) +
           ", \"load\": " + JsonForce(r.Load) + ", \"quake\": " + JsonForce(r.Quake) +
           ", \"tieback\": " + JsonForce(r.Tieback) + ", \"reinforcement\": " + JsonForce(r.Reinforcement) +
           ", \"moment\": " + JsonNumber(r.Moment) + ", \"e_left\": " + JsonNumber(r.ELeft) +
           ", \"e_right\": " + JsonNumber(r.ERight) + ", \"xs_left\": " + JsonNumber(r.XsLeft) +
           ", \"xs_right\": " + JsonNumber(r.XsRight) + ", \"thrust_y\": " + JsonNumber(r.ThrustY);
}

std::string DiagnosticText(const TDiagnostic& d) {
    return d.Code + " " + d.Message;
}
} // namespace

std::string ResultsJson(const TAnalysis& a) {
    const TSlopeSettings& s = a.Input.Settings;
    const char* units = s.UnitSystem == 1 ? "english" : (s.UnitSystem == 2 ? "si" : "other");
    std::string j = "{\n";
    j += "  \"engine\": " + JsonString(EngineName) + ",\n";
    j += "  \"version\": " + JsonString(ProgramVersion) + ",\n";
    j += "  \"schema\": " + std::to_string(ResultsSchema) + ",\n";
    j += "  \"units\": " + JsonString(units) + ",\n";
    j += "  \"method\": " + JsonString(MethodKey(a.Method)) + ",\n";
    j += "  \"seed\": " + std::to_string(a.Seed) + ",\n";
    j += "  \"surfaces\": {\"generated\": " + std::to_string(a.Generated) +
         ", \"analysed\": " + std::to_string(a.Analysed) + ", \"rejected\": {";
    bool first = true;
    for (const auto& [reason, n] : a.Rejected) {
        j += (first ? "" : ", ") + JsonString(reason) + ": " + std::to_string(n);
        first = false;
    }
    j += "}},\n";
    if (a.Critical) {
        const TCriticalResult& c = *a.Critical;
        j += "  \"critical\": {\n";
        j += "    \"fs\": " + JsonNumber(c.Surface.FS) + ",\n";
        j += "    \"method\": " + JsonString(MethodKey(c.Method)) + ",\n";
        j += "    \"points\": " + JsonPoints(c.Surface.Points) + ",\n";
        j += "    \"circle\": " + JsonCircle(c.Surface.Circle) + ",\n";
        j += "    \"methods\": {\"ordinary\": " + JsonNumber(c.Ordinary) +
             ", \"bishop\": " + JsonNumber(c.Bishop) +
             ", \"janbu_simplified\": " + JsonNumber(c.JanbuSimplified) +
             ", \"janbu_corrected\": " + JsonNumber(c.JanbuCorrected) +
             ", \"janbu_f0\": " + JsonNumber(c.JanbuFactor) + ", \"spencer\": " + JsonNumber(c.Spencer) +
             ", \"spencer_theta_deg\": " + JsonNumber(c.SpencerThetaDeg) +
             ", \"morgenstern_price\": " + JsonNumber(c.MorgensternPrice) +
             ", \"mp_lambda\": " + JsonNumber(c.MpLambda) + "},\n";
        j += "    \"moment_centre\": [" + JsonNumber(c.MomentCentre.X) + ", " + JsonNumber(c.MomentCentre.Y) +
             "],\n";
        j += "    \"interslice_method\": " +
             (c.InterSliceMethod ? JsonString(MethodKey(*c.InterSliceMethod)) : std::string("null")) + ",\n";
        j += "    \"slices\": [";
        const bool forces = c.Surface.FS.has_value();
        for (std::size_t i = 0; i < c.Slices.size(); ++i) {
            const TSliceReport& r = c.Slices[i];
            j += std::string(i ? ",\n      " : "\n      ") + "{\"x\": " + JsonNumber(r.X) +
                 ", \"width\": " + JsonNumber(r.Width) + ", \"weight\": " + JsonNumber(r.Weight) +
                 ", \"alpha_deg\": " + JsonNumber(r.AlphaDeg) + ", \"c\": " + JsonNumber(r.Cohesion) +
                 ", \"phi_deg\": " + JsonNumber(r.PhiDeg) + ", \"u\": " + JsonNumber(r.U) +
                 ", \"normal\": " + (forces ? JsonNumber(r.Normal) : "null") +
                 ", \"shear\": " + (forces ? JsonNumber(r.Shear) : "null") + SliceDetails(r, forces) + "}";
        }
        j += c.Slices.empty() ? "],\n" : "\n    ],\n";
        j += "    \"warnings\": [";
        first = true;
        for (const auto* list : {&a.Diagnostics.Warnings, &c.Warnings})
            for (const TDiagnostic& w : *list) {
                j += (first ? "" : ", ") + JsonString(DiagnosticText(w));
                first = false;
            }
        j += "]\n  },\n";
    } else {
        j += "  \"critical\": null,\n";
    }
    if (a.GeneratedBest) {
        const auto best = [](const TSurfaceResult& r) {
            return "{\"fs\": " + JsonNumber(r.FS) + ", \"points\": " + JsonPoints(r.Points) +
                   ", \"circle\": " + JsonCircle(r.Circle) + "}";
        };
        j += "  \"search\": {\"generated_best\": " + best(*a.GeneratedBest) +
             ",\n             \"refined_best\": " +
             (a.RefinedBest ? best(*a.RefinedBest) : std::string("null")) +
             ",\n             \"refinement_evaluations\": " + std::to_string(a.RefinementEvaluations) +
             ", \"threads\": " + std::to_string(a.SearchThreads) + "},\n";
        j += "  \"convergence\": [";
        for (std::size_t i = 0; i < a.Convergence.size(); ++i) {
            const TAnalysis::TConvergenceRow& c = a.Convergence[i];
            j += std::string(i ? ",\n    " : "\n    ") + "{\"share\": " + JsonNumber(c.Share) +
                 ", \"surfaces\": " + std::to_string(c.Surfaces) +
                 ", \"generated\": " + JsonNumber(c.Generated) +
                 ", \"optimised\": " + JsonNumber(c.Optimised) + "}";
        }
        j += a.Convergence.empty() ? "],\n" : "\n  ],\n";
    }
    j += "  \"ten\": [";
    for (std::size_t i = 0; i < a.Ten.size(); ++i)
        j += std::string(i ? ",\n    " : "\n    ") + "{\"fs\": " + JsonNumber(a.Ten[i].FS) +
             ", \"points\": " + JsonPoints(a.Ten[i].Points) + ", \"circle\": " + JsonCircle(a.Ten[i].Circle) +
             "}";
    j += a.Ten.empty() ? "],\n" : "\n  ],\n";
    j += "  \"warnings\": [";
    first = true;
    for (const TDiagnostic& w : a.Diagnostics.Warnings) {
        j += (first ? "" : ", ") + std::string("{\"code\": ") + JsonString(w.Code) +
             ", \"message\": " + JsonString(w.Message) + "}";
        first = false;
    }
    j += "],\n";
    j += "  \"errors\": [";
    first = true;
    for (const TDiagnostic& e : a.Diagnostics.Errors) {
        j += (first ? "" : ", ") + std::string("{\"code\": ") + JsonString(e.Code) +
             ", \"message\": " + JsonString(e.Message) + "}";
        first = false;
    }
    j += "],\n";
    j += "  \"elapsed_s\": " + JsonNumber(a.ElapsedSeconds) + "\n}\n";
    return j;
}

} // namespace quolm
