#include "engine/Analysis.h"
#include "engine/SurfaceEvaluator.h"
#include <algorithm>
#include <cmath>

namespace quolm {

TMethod MethodOf(const TSlopeDescription& d) {
    const TSlopeSettings& s = d.Settings;
    switch (s.SearchKind) {
    case 1:
        if (!d.SurfaceKeyword.empty())
            return d.SurfaceKeyword == "SURBIS" ? TMethod::Bishop : TMethod::Janbu;
        return s.UseSurbis ? TMethod::Bishop : TMethod::Janbu;
    case 3:
        return TMethod::Bishop;
    case 6:
        return TMethod::Spencer;
    default:
        return TMethod::Janbu;
    }
}

const char* MethodKey(TMethod m) {
    switch (m) {
    case TMethod::Ordinary:
        return "ordinary";
    case TMethod::Bishop:
        return "bishop";
    case TMethod::Janbu:
        return "janbu";
    case TMethod::Spencer:
        return "spencer";
    case TMethod::MorgensternPrice:
        return "morgenstern_price";
    }
    return "";
}

const char* MethodName(TMethod m) {
    switch (m) {
    case TMethod::Ordinary:
        return "Ordinary method of slices (Fellenius)";
    case TMethod::Bishop:
        return "Bishop's simplified method";
    case TMethod::Janbu:
        return "Janbu's simplified method";
    case TMethod::Spencer:
        return "Spencer's method";
    case TMethod::MorgensternPrice:
        return "Morgenstern-Price method (half-sine)";
    }
    return "";
}

namespace {
std::optional<double> Value(const TMethodResult& r) {
    if (!r.Converged)
        return std::nullopt;
    return r.F;
}

std::string At(const std::vector<TSlice>& slices, int i) {
    const TSlice& s = slices[static_cast<std::size_t>(i)];
    return "slice " + std::to_string(i + 1) + " (x = " + Num(s.XMid) + ")";
}

// The notes a method's solution deserves: no convergence, or an inadmissible state of forces.
void Notes(const char* name, const TMethodResult& r, const std::vector<TSlice>& slices,
           std::vector<TDiagnostic>& out) {
    if (r.Undriven)
        return; // said once for every method (W207)
    if (!r.Converged) {
        out.push_back(
            {"W201", std::string(name) + " did not converge on this surface; it has no factor of safety."});
        return;
    }
    if (r.NegativeNormal >= 0)
        out.push_back({"W202", std::string(name) + ": the effective normal force on " +
                                   At(slices, r.NegativeNormal) +
                                   " is negative (the soil there would be in tension)."});
    if (r.SmallMAlpha >= 0)
        out.push_back({"W203", std::string(name) + ": m-alpha falls below 0.2 on " +
                                   At(slices, r.SmallMAlpha) +
                                   "; the normal force there, and the result, are doubtful."});
    if (r.Tension >= 0) {
        const double x = slices[static_cast<std::size_t>(r.Tension)].XLeft;
        const bool crest = static_cast<std::size_t>(r.Tension) * 2 >= slices.size();
        out.push_back({"W204", std::string(name) + ": the interslice force is tensile at x = " + Num(x) +
                                   (crest ? " (tension at the crest; consider a tension crack)." : ".")});
    }
}
// The interslice forces of a rigorous solution, on every boundary between slices (0..n).
struct TInterSlice {
    std::vector<double> E, X;
};

// Read just after the solver: ws.E holds the normal forces, the shear follows from the interslice
// function on the effective normal force, as the march takes it.
TInterSlice InterSliceOf(const TWorkspace& ws, double lambda) {
    TInterSlice t;
    t.E = ws.E;
    t.X.resize(t.E.size());
    for (std::size_t j = 0; j < t.E.size(); ++j)
        t.X[j] = lambda * ws.F[j] * (t.E[j] - ws.U[j]);
    return t;
}

// The slices' interslice forces, and the line of thrust: each slice's moment equilibrium about the
// middle of its base (where the base forces act) gives the height of the force on its right side
// from the one on its left.
void AddInterSlice(const std::vector<TSlice>& slices, const TInterSlice& t, std::vector<TSliceReport>& out) {
    double weight = 0;
    for (const TSlice& s : slices)
        weight += s.Weight;
    // Where E is near zero the height does not matter: the next slice starts from its base.
    double z = slices.front().YBase;
    for (std::size_t i = 0; i < slices.size() && i < out.size(); ++i) {
        const TSlice& s = slices[i];
        TSliceReport& r = out[i];
        r.ELeft = t.E[i];
        r.ERight = t.E[i + 1];
        r.XsLeft = t.X[i];
        r.XsRight = t.X[i + 1];
        const double xm = s.XMid, yb = s.YBase;
        const double external = s.Qm - xm * s.Qy + yb * s.Qx - (s.XW - xm) * s.Weight;
        const double right = t.E[i + 1];
        const double next =
            yb +
            (-external - (s.XLeft - xm) * t.X[i] + (z - yb) * t.E[i] + (s.XRight - xm) * t.X[i + 1]) / right;
        if (i + 1 < slices.size() && std::abs(right) > 1e-6 * weight && std::isfinite(next)) {
            z = next;
            r.ThrustY = z;
        } else {
            z = slices[std::min(i + 1, slices.size() - 1)].YBase;
        }
    }
}
} // namespace

TCriticalResult AnalyseSurface(const TSlopeModel& model, const std::vector<TPoint>& clipped,
                               const TCircle* circle, TMethod method, double thetaDeg,
                               const TSliceOptions& options) {
    TCriticalResult c;
    c.Method = method;
    c.Surface.Points = clipped;
    if (circle)
        c.Surface.Circle = *circle;
    TWorkspace ws;
    TSliceNotes notes;
    if (!CutSlices(model, clipped, options, ws, notes)) {
        c.Warnings.push_back({"W206", "The surface cuts off no weight; no method applies."});
        return c;
    }
    c.FreeWaterWeight = notes.FreeWaterWeight;
    c.TiebacksActive = notes.TiebacksActive;
    c.ReinforcementCrossings = notes.ReinforcementCrossings;
    const std::vector<TSlice>& slices = ws.Slices;
    c.MomentCentre = circle ? TPoint{circle->X, circle->Y}
                            : MomentCentre(clipped.data(), static_cast<int>(clipped.size()), c.FarCentre);
    const double moment = PrepareTerms(slices, c.MomentCentre, ws);

    // Each method from the same start as a search's evaluation (EvaluateSurface) takes, so that the
    // critical surface's factor is the one the search ranked it by.
    const TMethodResult ordinary = SolveOrdinary(moment, ws);
    const TMethodResult bishop = SolveBishop(moment, ws);
    const TMethodResult janbu = SolveJanbu(ws);
    SideWaterForces(model, clipped, ws);
    const double rigorousStart = RigorousStart(bishop);
    const TMethodResult spencer = SolveSpencer(slices, moment, ws, thetaDeg, rigorousStart);
    TInterSlice spencerForces, mpForces;
    if (spencer.Converged)
        spencerForces = InterSliceOf(ws, spencer.Lambda);
    const TMethodResult mp = SolveMorgensternPrice(
        slices, moment, ws, spencer.Converged ? spencer.Lambda : std::tan(Rad(thetaDeg)),
        spencer.Converged && spencer.F > 0 ? spencer.F : rigorousStart);
    if (mp.Converged)
        mpForces = InterSliceOf(ws, mp.Lambda);
    c.Ordinary = Value(ordinary);
    c.Bishop = Value(bishop);
    c.JanbuSimplified = Value(janbu);
    if (janbu.Converged) {
        double depthRatio = 0;
        const double f0 = JanbuCorrection(slices, clipped, &depthRatio);
        c.JanbuFactor = f0;
        c.JanbuCorrected = f0 * janbu.F;
        if (depthRatio > ChartDepthRatio)
            c.Warnings.push_back({"W208", "Janbu's correction: the surface is deeper (depth " +
                                              Num(depthRatio) +
                                              " of its chord) than Janbu's chart reaches (" +
                                              Num(ChartDepthRatio) + "); f0 is taken at the chart's end."});
    }
    c.Spencer = Value(spencer);
    if (spencer.Converged)
        c.SpencerThetaDeg = Deg(std::atan(spencer.Lambda));
    c.MorgensternPrice = Value(mp);
    if (mp.Converged)
        c.MpLambda = mp.Lambda;

    Notes(MethodName(TMethod::Ordinary), ordinary, slices, c.Warnings);
    Notes(MethodName(TMethod::Bishop), bishop, slices, c.Warnings);
    Notes(MethodName(TMethod::Janbu), janbu, slices, c.Warnings);
    Notes(MethodName(TMethod::Spencer), spencer, slices, c.Warnings);
    Notes(MethodName(TMethod::MorgensternPrice), mp, slices, c.Warnings);
    if (ordinary.Undriven || bishop.Undriven || janbu.Undriven || spencer.Undriven || mp.Undriven)
        c.Warnings.push_back(
            {"W207", "Nothing to speak of drives the mass on this surface: a factor of safety would "
                     "exceed " +
                         Num(MaxFactor) + ", and is not reported."});
    if (c.FarCentre && !circle)
        c.Warnings.push_back(
            {"W205", "The surface is nearly straight: the moment methods (ordinary, Bishop) take "
                     "moments about a point far above it (" +
                         Num(c.MomentCentre.X) + ", " + Num(c.MomentCentre.Y) + ")."});

    // The slice forces of the method that ranks the surface: solve it once more to have its forces.
    TMethodResult main;
    switch (method) {
    case TMethod::Ordinary:
        main = SolveOrdinary(moment, ws);
        break;
    case TMethod::Bishop:
        main = SolveBishop(moment, ws);
        break;
    case TMethod::Janbu:
        main = SolveJanbu(ws);
        break;
    case TMethod::Spencer:
        main = SolveSpencer(slices, moment, ws, thetaDeg, rigorousStart);
        break;
    case TMethod::MorgensternPrice:
        main = SolveMorgensternPrice(slices, moment, ws,
                                     spencer.Converged ? spencer.Lambda : std::tan(Rad(thetaDeg)),
                                     spencer.Converged && spencer.F > 0 ? spencer.F : rigorousStart);
        break;
    }
    c.Surface.FS = Value(main);
    c.Slices.reserve(slices.size());
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const TSlice& s = slices[i];
        TSliceReport r;
        r.X = s.XMid;
        r.Width = s.Width;
        r.Weight = s.Weight;
        r.AlphaDeg = AlphaDeg(s);
        r.Cohesion = s.Cohesion;
        r.PhiDeg = s.PhiDeg;
        r.U = s.U;
        r.XLeft = s.XLeft;
        r.XRight = s.XRight;
        r.YBase = s.YBase;
        r.YTop = s.YTop;
        r.BaseLength = s.Length;
        r.Soil = s.Soil + 1;
        r.Water = {s.WaterX, s.WaterY};
        r.Load = {s.LoadX, s.LoadY};
        r.Quake = {s.QuakeX, s.QuakeY};
        r.Tieback = {s.TiebackX, s.TiebackY};
        r.Reinforcement = {s.ReinforcementX, s.ReinforcementY};
        const TPoint o = c.MomentCentre;
        r.Moment = s.Qm - o.X * s.Qy + o.Y * s.Qx - (s.XW - o.X) * s.Weight;
        if (main.Converged) {
            r.Normal = ws.N[i];
            r.EffectiveNormal = ws.N[i] - ws.Arrays.Ul[i];
            r.ShearStrength = ws.Arrays.Cl[i] + r.EffectiveNormal * ws.Arrays.Tan[i];
            r.Shear = r.ShearStrength / main.F;
        }
        c.Slices.push_back(r);
    }
    const bool mpRanks = method == TMethod::MorgensternPrice && mp.Converged;
    const TInterSlice& forces = mpRanks ? mpForces : (spencer.Converged ? spencerForces : mpForces);
    if (!forces.E.empty()) {
        c.InterSliceMethod = mpRanks || !spencer.Converged ? TMethod::MorgensternPrice : TMethod::Spencer;
        AddInterSlice(slices, forces, c.Slices);
    }
    return c;
}

} // namespace quolm
