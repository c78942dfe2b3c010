#pragma once
// One trial surface, one method: the unit of work of every analysis and every search. Thread-safe
// (the model is read only, the workspace belongs to the caller's thread) and, once the workspace has
// grown to the problem's size, free of allocation.
#include "engine/Methods.h"
#include "engine/Surface.h"

namespace quolm {

struct TEvaluation {
    TMethodResult Result;
    TPoint Centre; // the moment centre used
    bool FarCentre = false;
    TSliceNotes Notes;
};

// Cuts the mass above `clipped` (a surface from ground to ground, as ClipToGround gives it) and
// solves `method`. `centre` is the moment centre of a circular surface; null takes the centre of the
// best-fitting circle. Spencer starts from `thetaDeg`. False when the mass has no weight.
bool EvaluateSurface(const TSlopeModel& model, const std::vector<TPoint>& clipped, const TPoint* centre,
                     TMethod method, const TSliceOptions& options, double thetaDeg, TWorkspace& ws,
                     TEvaluation& out);

// The second half of EvaluateSurface: `method` on the slices already in ws.Slices (cut from
// `clipped`), for callers that change the slices' strengths between solutions. With `factorOnly`,
// Bishop's and Janbu's methods leave out the normal forces of the solution and the admissibility
// checks on them wherever they cannot change the factor (out.Result's NegativeNormal and SmallMAlpha
// then stay -1): for a search, which ranks surfaces by their factor alone.
void SolveCutSurface(const TSlopeModel& model, const std::vector<TPoint>& clipped, const TPoint* centre,
                     TMethod method, double thetaDeg, TWorkspace& ws, TEvaluation& out,
                     bool factorOnly = false);

} // namespace quolm
