#include "engine/Evaluate.h"

namespace quolm {

bool EvaluateSurface(const TSlopeModel& model, const std::vector<TPoint>& clipped, const TPoint* centre,
                     TMethod method, const TSliceOptions& options, double thetaDeg, TWorkspace& ws,
                     TEvaluation& out) {
    out = TEvaluation();
    if (!CutSlices(model, clipped, options, ws, out.Notes))
        return false;
    out.Centre =
        centre ? *centre : MomentCentre(clipped.data(), static_cast<int>(clipped.size()), out.FarCentre);
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
    return true;
}

} // namespace quolm
