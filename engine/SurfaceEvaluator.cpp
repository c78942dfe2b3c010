#include "engine/SurfaceEvaluator.h"
#include <algorithm>

namespace quolm {

bool EvaluateSurface(const TSlopeModel& model, const std::vector<TPoint>& clipped, const TPoint* centre,
                     TMethod method, const TSliceOptions& options, double thetaDeg, TWorkspace& ws,
                     TEvaluation& out) {
    out = TEvaluation();
    if (!CutSlices(model, clipped, options, ws, out.Notes))
        return false;
    SolveCutSurface(model, clipped, centre, method, thetaDeg, ws, out);
    return true;
}

void SolveCutSurface(const TSlopeModel& model, const std::vector<TPoint>& clipped, const TPoint* centre,
                     TMethod method, double thetaDeg, TWorkspace& ws, TEvaluation& out, bool factorOnly) {
    // The centre the critical surface's report takes (AnalyseSurface): the rigorous methods start
    // from Bishop's factor about it. Janbu's method takes no moments.
    if (centre)
        out.Centre = *centre;
    else if (method != TMethod::Janbu)
        out.Centre = MomentCentre(clipped.data(), static_cast<int>(clipped.size()), out.FarCentre);
    else
        out.Centre = {0.5 * (clipped.front().X + clipped.back().X),
                      std::max(clipped.front().Y, clipped.back().Y)};
    if (factorOnly && (method == TMethod::Bishop || method == TMethod::Janbu)) {
        out.Result = SolveSimplifiedFactor(ws.Slices, out.Centre, method == TMethod::Bishop, ws);
        return;
    }
    const double moment = PrepareTerms(ws.Slices, out.Centre, ws, method != TMethod::Janbu);
    switch (method) {
    case TMethod::Ordinary:
        out.Result = SolveOrdinary(moment, ws);
        break;
    case TMethod::Bishop:
        out.Result = SolveBishop(moment, ws);
        break;
    case TMethod::Janbu:
        out.Result = SolveJanbu(ws);
        break;
    case TMethod::Spencer: {
        SideWaterForces(model, clipped, ws);
        // Bishop's factor is a good start for both unknowns' solution.
        out.Result = SolveSpencer(ws.Slices, moment, ws, thetaDeg, RigorousStart(moment, ws));
        break;
    }
    case TMethod::MorgensternPrice: {
        SideWaterForces(model, clipped, ws);
        out.Result =
            SolveMorgensternPrice(ws.Slices, moment, ws, std::tan(Rad(thetaDeg)), RigorousStart(moment, ws));
        break;
    }
    }
}

} // namespace quolm
