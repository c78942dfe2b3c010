#pragma once
// What the failure-surface searches work on and hand back. The searches know the slope only through
// its ground surface, its limits and its minimum elevation, and the mechanics only through an
// evaluator that returns the factor of safety of one trial surface: so they can be built, tested and
// measured on their own, and the engine plugs its methods in.
#include "engine/Point.h"
#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quolm::search {

enum class TSearchKind : std::uint8_t { Circular, Irregular, Block };

// A circle as the moment methods need it.
struct TArc {
    double X = 0, Y = 0, R = 0;
};

// One trial surface: a polyline from its initiation point on the ground (left) to its termination
// point on the ground (right), x strictly increasing. Circular surfaces carry their circle.
struct TTrialSurface {
    std::vector<TPoint> Points;
    bool Circular = false;
    TArc Circle;
};

// The factor of safety of one surface, or why it has none.
struct TSurfaceValue {
    double FS = 0;
    // Null when FS holds the surface's factor of safety; otherwise a fixed text naming why the
    // surface was not analysed ("the method did not converge"), counted among the rejections.
    const char* Rejection = nullptr;
};

// The mechanics as the search sees them. Evaluate is called from several threads at once; `worker`
// (0 .. workers - 1 of the last Prepare) names the calling thread, so that an implementation can keep
// scratch space per thread instead of allocating or locking.
class ISurfaceEvaluator {
  public:
    virtual ~ISurfaceEvaluator() = default;
    virtual void Prepare(int workers) = 0;
    virtual TSurfaceValue Evaluate(const TTrialSurface& surface, int worker) const = 0;
    // The same for generated surface `index` of the search (the optimisation's trials go through
    // Evaluate): an evaluator that keeps something of each generated surface between searches with
    // the same controls and seed may find it by the index.
    virtual TSurfaceValue EvaluateGenerated(const TTrialSurface& surface, long long /*index*/,
                                            int worker) const {
        return Evaluate(surface, worker);
    }
};

// A box of the block search: the segment from its left to its right end, with vertical sides of
// SideLength centred on it. The base of the central block passes through one point of each box.
struct TSearchBox {
    TPoint Left, Right;
    double SideLength = 0;
};

// The search controls of the input, in the engine's terms.
struct TSearchControls {
    TSearchKind Kind = TSearchKind::Circular;
    int InitiationPoints = 0;
    int SurfacesPerPoint = 0; // the block search: the total number of surfaces
    double LeftInitiationX = 0, RightInitiationX = 0;
    double LeftTerminationX = 0, RightTerminationX = 0;
    double SegmentLength = 0;           // the block search: its own segment length
    double CcwLimit = 0, CwLimit = -45; // degrees, counterclockwise from +x
    std::vector<TSearchBox> Boxes;
};

// A problem the search cannot run with, or runs under a stated assumption; codes are explained in
// error-message.txt.
struct TSearchMessage {
    std::string Code;
    std::string Message;
};

struct TRankedSurface {
    double FS = 0;
    TTrialSurface Surface;
    // Which generated surface it is (initiation point and number there; -1 for a refined one).
    int Point = -1, Number = -1;
    bool Refined = false;
};

// Where the critical surface rests on a bound the user gave: the search may have missed a lower
// minimum beyond it.
enum class TEdge : std::uint8_t {
    LeftInitiation,
    RightInitiation,
    LeftTermination,
    RightTermination,
    CwLimit,
    CcwLimit,
    MinimumElevation,
    Limit,
    BoxSide,
};

struct TEdgeNote {
    TEdge Edge;
    int Box = -1; // BoxSide: the box, 0-based
    std::string Message;
};

// The most critical factors after the first share of the surfaces (taken by their number at each
// point, then by point): generated, and after optimising the record surfaces among them. Infinite
// while none of them had a factor.
struct TConvergence {
    double Share = 0;
    long long Surfaces = 0;
    double Generated = 0;
    double Optimised = 0;
};

struct TSearchResult {
    std::vector<TSearchMessage> Errors; // nothing was searched
    std::vector<TSearchMessage> Warnings;
    std::uint64_t Seed = 0;
    int Threads = 1;
    long long Generated = 0; // surfaces drawn
    long long Analysed = 0;  // surfaces that received a factor of safety
    // Why the others did not, sorted by text; Generated = Analysed + the sum of these.
    std::vector<std::pair<std::string, long long>> Rejected;
    std::vector<TRankedSurface> Ten;    // the ten most critical, generated and refined, most critical first
    std::vector<TRankedSurface> Trials; // analysed generated surfaces for the plot, in generation order
    bool HasGeneratedBest = false;
    TRankedSurface GeneratedBest; // the most critical of the generated surfaces
    bool HasRefinedBest = false;
    TRankedSurface RefinedBest; // the most critical after optimisation (never above GeneratedBest)
    long long RefinementEvaluations = 0;
    int Optimisations = 0;                 // record surfaces optimised
    std::vector<TEdgeNote> Edges;          // of the critical surface
    std::vector<TConvergence> Convergence; // after 10, 25, 50 and 100 % of the surfaces
    // The second half of the surfaces still lowered the minimum by more than 1 %.
    bool Unsettled = false;
    double ElapsedSeconds = 0;
    bool Cancelled = false; // stopped on request: nothing else of the result holds
    bool Ok() const { return Errors.empty() && HasGeneratedBest && !Cancelled; }
};

struct TSearchOptions {
    int Threads = 0; // 0: every core of the machine
    std::uint64_t Seed = 20150404;
    bool Refine = true;   // optimise the record surfaces
    int PlotLimit = 3999; // trial surfaces kept for the plot
    // The caller has checked the controls (CheckControls) and reported its messages.
    bool Checked = false;
    // Set from outside to stop the search at the next surface (null: never).
    const std::atomic<bool>* Cancel = nullptr;
};

} // namespace quolm::search
