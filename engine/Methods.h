#pragma once
// The limit-equilibrium methods on a set of slices. Every method works on any polyline surface; the
// moment methods take moments about a given centre (for a circle its centre). Each one reports
// whether it converged: a method that did not has no factor of safety.
#include "engine/Slices.h"
#include <cstdint>

namespace quolm {

enum class TMethod : std::uint8_t { Ordinary, Bishop, Janbu, Spencer, MorgensternPrice };

// The largest factor of safety a method reports: above it nothing to speak of drives the mass (flat
// ground, a surface whose driving forces cancel), and the number has no physical meaning.
constexpr double MaxFactor = 100;

struct TMethodResult {
    double F = 0;
    bool Converged = false;
    // Not converged because nothing drives the mass: the factor would exceed MaxFactor.
    bool Undriven = false;
    int Iterations = 0;
    // Spencer: tan of the interslice inclination; Morgenstern-Price: the scale of the half-sine.
    double Lambda = 0;
    // Admissibility of the solution (slice and boundary indexes 0-based, -1 when none).
    int NegativeNormal = -1; // first slice with a negative effective normal force
    int SmallMAlpha = -1;    // first slice where m_alpha fell below 0.2
    int Tension = -1;        // first interslice boundary with a tensile normal force
};

// Prepares the methods' terms (ws.Arrays) for `slices` with moments about `centre`; returns the moment of
// every force but the base reactions about it (counterclockwise positive). Without `moments` the
// moment arms (MS, MN) are left as they were and 0 is returned: for Janbu's method alone, which
// takes no moments.
double PrepareTerms(const std::vector<TSlice>& slices, TPoint centre, TWorkspace& ws, bool moments = true);

// Each solver expects PrepareTerms to have run for the same slices. On return ws.N holds the total
// normal force of every slice (and ws.E the interslice normal forces for the rigorous methods).
TMethodResult SolveOrdinary(double externalMoment, TWorkspace& ws);
TMethodResult SolveBishop(double externalMoment, TWorkspace& ws, double start = 1.5);
// The start of the rigorous methods: Bishop's factor where it has one, else 1.5. Leaves ws.N as
// the rigorous methods find it: overwritten before it is read.
double RigorousStart(double externalMoment, TWorkspace& ws);
// The same from a solution of Bishop's method.
inline double RigorousStart(const TMethodResult& bishop) {
    return bishop.Converged && bishop.F > 0 ? bishop.F : 1.5;
}
// Janbu's simplified method, uncorrected.
TMethodResult SolveJanbu(TWorkspace& ws, double start = 1.5);
// The factor alone of Bishop's method about `centre` (`bishop`) or of Janbu's method, on slices just
// cut, from 1.5: PrepareTerms and SolveBishop or SolveJanbu in one, the same factor to the bit, with
// the normal forces of the solution and their admissibility checks left out wherever they cannot
// change it (NegativeNormal and SmallMAlpha then stay -1). For a search, which ranks surfaces by their
// factor alone: one pass over the slices writes only the arrays the iteration reads.
TMethodResult SolveSimplifiedFactor(const std::vector<TSlice>& slices, TPoint centre, bool bishop,
                                    TWorkspace& ws);
// Janbu's correction factor f0 for the surface, from its depth below its chord and the soils on it,
// read within the range of Janbu's chart (depth ratio 0 to ChartDepthRatio, so f0 >= 1); `depthRatio`
// receives the surface's own ratio, which may lie beyond the chart.
constexpr double ChartDepthRatio = 0.4;
double JanbuCorrection(const std::vector<TSlice>& slices, const std::vector<TPoint>& surface,
                       double* depthRatio = nullptr);
// Spencer (constant interslice inclination, starting at thetaDeg) and Morgenstern-Price with a
// half-sine interslice function: force and moment equilibrium solved for F and the inclination scale.
// The interslice function applies to the effective interslice forces: ws.U holds the water force on
// every boundary (SideWaterForces; zeros without water).
TMethodResult SolveSpencer(const std::vector<TSlice>& slices, double externalMoment, TWorkspace& ws,
                           double thetaDeg, double start);
TMethodResult SolveMorgensternPrice(const std::vector<TSlice>& slices, double externalMoment, TWorkspace& ws,
                                    double lambda, double start);

} // namespace quolm
