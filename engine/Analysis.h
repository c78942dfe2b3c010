#pragma once
// A whole run: the input checked, the surface (or the search's surfaces) analysed, and everything
// the output files report.
#include "engine/Methods.h"
#include "engine/Surface.h"
#include "engine/Validate.h"
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quolm {

// Engine name as the results name it.
constexpr const char* EngineName = "QUOLM";

struct TRunOptions {
    // Worker threads of a search; 0 takes the machine's cores.
    int Threads = 0;
    // Seed of a search's random streams.
    std::uint64_t Seed = 20150404;
    TSliceOptions Slicing;
    // Set from outside (another thread) to stop the run at the next surface (null: never): the analysis
    // then comes back with Cancelled set and no result, and a stopped run writes nothing.
    const std::atomic<bool>* Cancel = nullptr;
};

// A force's horizontal and vertical components.
struct TForce {
    double X = 0, Y = 0;
};

struct TSliceReport {
    double X = 0, Width = 0, Weight = 0, AlphaDeg = 0;
    double Cohesion = 0, PhiDeg = 0, U = 0;
    double Normal = 0; // total normal force on the base
    double Shear = 0;  // mobilised shear force on the base
    double XLeft = 0, XRight = 0;
    double YBase = 0, YTop = 0; // base and ground at X
    double BaseLength = 0;
    int Soil = 0;               // 1-based soil at the base
    double EffectiveNormal = 0; // Normal less the pore pressure's force on the base
    double ShearStrength = 0;   // c l + N' tan(phi): the shear the base can take
    TForce Water, Load, Quake, Tieback, Reinforcement;
    // Moment of the weight and every force but the base reactions and the interslice forces about
    // the critical result's moment centre (counterclockwise positive).
    double Moment = 0;
    // Interslice forces on the slice's left and right sides (normal E, shear X; positive as the left
    // neighbour pushes and lifts) and the height of the line of thrust on the right side, from the
    // rigorous solution the critical result names; unset without one.
    std::optional<double> ELeft, ERight, XsLeft, XsRight, ThrustY;
};

struct TSurfaceResult {
    std::optional<double> FS; // null when the method did not converge
    std::vector<TPoint> Points;
    std::optional<TCircle> Circle;
};

struct TCriticalResult {
    TSurfaceResult Surface;
    TMethod Method = TMethod::Bishop;
    std::optional<double> Ordinary, Bishop, JanbuSimplified, JanbuCorrected, JanbuFactor, Spencer,
        SpencerThetaDeg, MorgensternPrice, MpLambda;
    TPoint MomentCentre;
    bool FarCentre = false;
    // The rigorous method whose interslice forces the slices carry (the ranking method when it is
    // one, Spencer's otherwise), unset when none converged.
    std::optional<TMethod> InterSliceMethod;
    std::vector<TSliceReport> Slices;
    std::vector<TDiagnostic> Warnings;
    double FreeWaterWeight = 0;
    int TiebacksActive = 0;
    int ReinforcementCrossings = 0;
};

struct TAnalysis {
    TSlopeDescription Input;
    TDiagnostics Diagnostics; // errors: nothing was analysed
    TMethod Method = TMethod::Bishop;
    std::uint64_t Seed = 0;
    long long Generated = 0, Analysed = 0;
    std::map<std::string, long long> Rejected;
    std::optional<TCriticalResult> Critical;
    std::vector<TSurfaceResult> Ten;    // most critical first
    std::vector<TSurfaceResult> Trials; // the surfaces written to the plot file, in generation order
    // A search's best generated surface and the best after optimisation, the evaluations the
    // optimisation took and the threads the search ran on.
    std::optional<TSurfaceResult> GeneratedBest, RefinedBest;
    long long RefinementEvaluations = 0;
    // How a search's minimum fell: after 10, 25, 50 and 100 % of its surfaces, the most critical
    // generated and after optimisation (null while none had a factor).
    struct TConvergenceRow {
        double Share = 0;
        long long Surfaces = 0;
        std::optional<double> Generated, Optimised;
    };
    std::vector<TConvergenceRow> Convergence;
    int SearchThreads = 0;
    double ElapsedSeconds = 0;
    bool Cancelled = false;
    bool HasErrors() const { return !Diagnostics.Errors.empty(); }
};

// The method that ranks the surfaces of the problem's search: for a user surface Janbu's under SURFAC
// and Bishop's under SURBIS (the keyword read, or UseSurbis for a description built in memory).
TMethod MethodOf(const TSlopeDescription& d);
const char* MethodKey(TMethod m);  // "bishop", "janbu", ...
const char* MethodName(TMethod m); // "Bishop's simplified method", ...

// Every method on one surface (already clipped to the ground), as the critical surface is reported.
TCriticalResult AnalyseSurface(const TSlopeModel& model, const std::vector<TPoint>& clipped,
                               const TCircle* circle, TMethod method, double thetaDeg,
                               const TSliceOptions& options);

} // namespace quolm
