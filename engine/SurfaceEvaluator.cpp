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
                     TMethod method, double thetaDeg, TWorkspace& ws, TEvaluation& out) {
    if (centre)
        out.Centre = *centre;
    else if (method == TMethod::Ordinary || method == TMethod::Bishop)
        out.Centre = MomentCentre(clipped.data(), static_cast<int>(clipped.size()), out.FarCentre);
    else // the other methods do not depend on the point (or take no moments at all)
        out.Centre = {0.5 * (clipped.front().X + clipped.back().X),
                      std::max(clipped.front().Y, clipped.back().Y)};
    const double moment = PrepareTerms(ws.Slices, out.Centre, ws);
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
        const TMethodResult start = SolveBishop(moment, ws);
        out.Result = SolveSpencer(ws.Slices, moment, ws, thetaDeg, start.Converged ? start.F : 1.5);
        break;
    }
    case TMethod::MorgensternPrice: {
        SideWaterForces(model, clipped, ws);
        const TMethodResult start = SolveBishop(moment, ws);
        out.Result = SolveMorgensternPrice(ws.Slices, moment, ws, 0, start.Converged ? start.F : 1.5);
        break;
    }
    }
}

} // namespace quolm
