#include "engine/Search.h"
#include "engine/SurfaceEvaluator.h"
#include "engine/search/Random.h"
#include "engine/search/SearchRunner.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace quolm {

namespace {

const char* ProblemText(TSurfaceProblem p) {
    switch (p) {
    case TSurfaceProblem::None:
        return nullptr;
    case TSurfaceProblem::TooFewPoints:
    case TSurfaceProblem::NotLeftToRight:
        return search::reason::NotLeftToRight;
    case TSurfaceProblem::StartsBelowGround:
    case TSurfaceProblem::EndsBelowGround:
        return "does not begin and end on the ground";
    case TSurfaceProblem::NotBelowGround:
        return search::reason::NotIntoGround;
    case TSurfaceProblem::LeavesAndReenters:
        return search::reason::Reenters;
    case TSurfaceProblem::OutsideSlope:
        return search::reason::OutsideProfile;
    case TSurfaceProblem::TooShallow:
        return "cuts off no sliding mass";
    }
    return "not admissible";
}

// The engine's mechanics as the search sees them: a trial surface clipped to the ground exactly as a
// user's surface is, then sliced and solved by the search's method. One workspace per thread; with a
// slice cache (a search on one thread), each surface is cut once.
class TEngineEvaluator final : public search::ISurfaceEvaluator {
  public:
    TEngineEvaluator(const TSlopeModel& model, TMethod method, double thetaDeg, const TSliceOptions& options,
                     TSliceCache* cache = nullptr)
        : Model(model), Method(method), ThetaDeg(thetaDeg), Options(options), Cache(cache) {}

    void Prepare(int workers) override {
        Slots.resize(static_cast<std::size_t>(workers));
        Cached = Cache && workers == 1 ? Cache : nullptr;
    }

    search::TSurfaceValue Evaluate(const search::TTrialSurface& s, int worker) const override {
        return EvaluateGenerated(s, -1, worker);
    }

    search::TSurfaceValue EvaluateGenerated(const search::TTrialSurface& s, long long index,
                                            int worker) const override {
        TSlot& slot = Slots[static_cast<std::size_t>(worker)];
        const TPoint centre{s.Circle.X, s.Circle.Y};
        const TPoint* moments = s.Circular ? &centre : nullptr;
        TSliceCache* cache = index >= 0 ? Cached : nullptr;
        if (cache) {
            if (TSliceCache::TEntry* e = cache->Find(index, s.Points)) {
                ++cache->Hits;
                if (e->Why)
                    return {0, e->Why};
                // The kept slices with this model's strengths, solved in place.
                for (TSlice& slice : e->Slices) {
                    const TSoil& soil = Model.Soils[static_cast<std::size_t>(slice.Soil)];
                    if (soil.Anisotropy.empty()) {
                        slice.Cohesion = soil.Cohesion;
                        slice.TanPhi = soil.TanPhi;
                        slice.PhiDeg = soil.PhiDeg;
                    }
                }
                std::swap(slot.Workspace.Slices, e->Slices);
                slot.Result = TEvaluation();
                SolveCutSurface(Model, e->Clipped, moments, Method, ThetaDeg, slot.Workspace, slot.Result,
                                true);
                std::swap(slot.Workspace.Slices, e->Slices);
                return Value(slot.Result);
            }
            ++cache->Misses;
        }
        const TSurfaceCheck check =
            ClipToGround(Model, s.Points.data(), static_cast<int>(s.Points.size()), slot.Clipped);
        const char* why = ProblemText(check.Problem);
        slot.Result = TEvaluation();
        if (!why && !CutSlices(Model, slot.Clipped, Options, slot.Workspace, slot.Result.Notes))
            why = "cuts off no weight";
        if (cache)
            cache->Add(index, s.Points, slot.Clipped, why, slot.Workspace.Slices);
        if (why)
            return {0, why};
        SolveCutSurface(Model, slot.Clipped, moments, Method, ThetaDeg, slot.Workspace, slot.Result, true);
        return Value(slot.Result);
    }

  private:
    static search::TSurfaceValue Value(const TEvaluation& e) {
        if (!e.Result.Converged)
            return {0, e.Result.Undriven ? search::reason::Undriven : search::reason::NotConverged};
        // 0 is a factor of safety (no strength on the surface), and the least of all.
        const double f = e.Result.F;
        if (!(f >= 0) || !std::isfinite(f))
            return {0, "no factor of safety"};
        return {f, nullptr};
    }
    // One thread's scratch space, on cache lines of its own (see the search runner).
    struct alignas(64) TSlot {
        std::vector<TPoint> Clipped;
        TWorkspace Workspace;
        TEvaluation Result;
    };
    const TSlopeModel& Model;
    const TMethod Method;
    const double ThetaDeg;
    const TSliceOptions Options;
    TSliceCache* const Cache;
    TSliceCache* Cached = nullptr; // the cache while the search runs on one thread
    mutable std::vector<TSlot> Slots;
};

// The paths along the subsurface boundary lines, just inside the weaker soil of their two sides, with
// shares that grow as the soil's strength at the path's middle falls; and the friction angle at a
// point. Boundaries with the same soil on both sides give no path.
search::TStrata StrataOf(const TSlopeModel& model, const TSlopeDescription& d) {
    search::TStrata strata;
    strata.FrictionAt = [&model](TPoint p) {
        const int soil = model.SoilAt(p.X, p.Y);
        return soil < 0 ? 30.0 : model.Soils[static_cast<std::size_t>(soil)].PhiDeg;
    };
    // The subsurface lines chained end to end into polylines.
    std::vector<std::vector<TPoint>> lines;
    const double near = model.Extent * 1e-9;
    for (std::size_t i = static_cast<std::size_t>(std::max(0, d.Settings.SurfaceBoundaryCount));
         i < d.Boundaries.size(); ++i) {
        const TSlopeBoundary& b = d.Boundaries[i];
        TPoint p{static_cast<double>(b.LeftX), static_cast<double>(b.LeftY)},
            q{static_cast<double>(b.RightX), static_cast<double>(b.RightY)};
        if (q.X < p.X)
            std::swap(p, q);
        if (!(q.X - p.X > near))
            continue;
        if (!lines.empty() && std::abs(lines.back().back().X - p.X) <= near &&
            std::abs(lines.back().back().Y - p.Y) <= near)
            lines.back().push_back(q);
        else
            lines.push_back({p, q});
    }
    const double offset = model.Extent * 1e-4;
    struct TSide {
        std::vector<TPoint> Points;
        double Strength;
    };
    std::vector<TSide> sides;
    for (const std::vector<TPoint>& line : lines) {
        const TPoint m{0.5 * (line[0].X + line[1].X), 0.5 * (line[0].Y + line[1].Y)};
        auto strength = [&](double dy, int& soil) {
            soil = model.SoilAt(m.X, m.Y + dy);
            if (soil < 0)
                return -1.0;
            const TSoil& s = model.Soils[static_cast<std::size_t>(soil)];
            const double depth = std::max(0.0, model.GroundY(m.X) - m.Y);
            return s.Cohesion + s.MoistWeight * depth * s.TanPhi;
        };
        int below = -1, above = -1;
        const double sb = strength(-offset, below), sa = strength(offset, above);
        if (below < 0 || above < 0 || below == above || sa == sb)
            continue;
        const double dy = sb < sa ? -offset : offset;
        TSide side{line, std::max(std::min(sa, sb), 1e-9)};
        for (TPoint& p : side.Points)
            p.Y += dy;
        sides.push_back(std::move(side));
    }
    double weakest = std::numeric_limits<double>::infinity();
    for (const TSide& s : sides)
        weakest = std::min(weakest, s.Strength);
    for (TSide& s : sides)
        strata.Paths.push_back({std::move(s.Points), std::pow(weakest / s.Strength, 2)});
    return strata;
}

TSurfaceResult ResultOf(const search::TRankedSurface& r) {
    TSurfaceResult s;
    s.FS = r.FS;
    s.Points = r.Surface.Points;
    if (r.Surface.Circular)
        s.Circle = TCircle{r.Surface.Circle.X, r.Surface.Circle.Y, r.Surface.Circle.R};
    return s;
}

const char* EdgeCode(search::TEdge e) {
    switch (e) {
    case search::TEdge::LeftInitiation:
    case search::TEdge::RightInitiation:
        return "W311";
    case search::TEdge::LeftTermination:
    case search::TEdge::RightTermination:
        return "W312";
    case search::TEdge::CwLimit:
    case search::TEdge::CcwLimit:
        return "W313";
    case search::TEdge::MinimumElevation:
    case search::TEdge::Limit:
        return "W314";
    case search::TEdge::BoxSide:
        return "W315";
    }
    return "W311";
}
} // namespace

TSliceCache::TEntry* TSliceCache::Find(long long index, const std::vector<TPoint>& surface) {
    if (index < 0 || static_cast<std::size_t>(index) >= Entries.size())
        return nullptr;
    TEntry& e = Entries[static_cast<std::size_t>(index)];
    return e.Points != 0 && e.Points == surface.size() && e.Key == Key(surface) ? &e : nullptr;
}

void TSliceCache::Add(long long index, const std::vector<TPoint>& surface, const std::vector<TPoint>& clipped,
                      const char* why, const std::vector<TSlice>& slices) {
    if (index < 0 || surface.empty())
        return;
    const std::size_t i = static_cast<std::size_t>(index);
    if (i >= Entries.size()) {
        if (i >= MaxSlices / 8) // a surface has many slices: room for the entries' slices first
            return;
        Entries.resize(i + 1);
    }
    TEntry& e = Entries[i];
    const std::size_t n = why ? 0 : slices.size();
    if (Slices - e.Slices.size() + n > MaxSlices)
        return;
    Slices = Slices - e.Slices.size() + n;
    e.Key = Key(surface);
    e.Points = surface.size();
    e.Why = why;
    e.Clipped = why ? std::vector<TPoint>() : clipped;
    e.Slices = why ? std::vector<TSlice>() : slices;
}

std::uint64_t TSliceCache::Key(const std::vector<TPoint>& surface) {
    // Every coordinate's bits, mixed: two different surfaces under one number share a key with a
    // chance of 2^-64.
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (const TPoint& p : surface)
        for (const double v : {p.X, p.Y}) {
            std::uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            h = search::Mix64(h ^ bits);
        }
    return h;
}

namespace {
// The search of the description on `model`, with the mechanics of the description's method.
search::TSearchResult Search(const TSlopeModel& model, const TSlopeDescription& d, const TRunOptions& options,
                             const search::TSearchOptions& base, TSliceCache* cache,
                             std::vector<search::TSearchMessage>& errors) {
    search::TSearchProblem problem;
    if (!search::SearchProblemOf(d, problem, errors))
        return {};
    problem.Strata = StrataOf(model, d);
    TEngineEvaluator evaluator(model, MethodOf(d), static_cast<double>(d.Settings.InterSliceAngle),
                               options.Slicing, cache);
    search::TSearchOptions so = base;
    so.Threads = cache ? 1 : options.Threads;
    so.Seed = options.Seed;
    so.Checked = true; // the validation reported the controls' errors and warnings
    so.Cancel = options.Cancel;
    return search::RunSearch(problem, evaluator, so);
}
} // namespace

TCriticalResult AnalyseCritical(const TSlopeModel& model, const TSurfaceResult& best, TMethod method,
                                double thetaDeg, const TSliceOptions& slicing) {
    std::vector<TPoint> clipped;
    ClipToGround(model, best.Points.data(), static_cast<int>(best.Points.size()), clipped);
    return AnalyseSurface(model, clipped, best.Circle ? &*best.Circle : nullptr, method, thetaDeg, slicing);
}

std::optional<TSurfaceResult> CriticalSurface(const TSlopeModel& model, const TSlopeDescription& d,
                                              const TRunOptions& options, TSliceCache* cache) {
    std::vector<search::TSearchMessage> errors;
    search::TSearchOptions so;
    so.PlotLimit = 0; // no trial surfaces for a plot
    const search::TSearchResult r = Search(model, d, options, so, cache, errors);
    if (!errors.empty() || !r.Ok() || r.Ten.empty())
        return std::nullopt;
    return ResultOf(r.Ten.front());
}

void RunSearch(const TSlopeModel& model, const TSlopeDescription& d, const TRunOptions& options,
               TAnalysis& a) {
    std::vector<search::TSearchMessage> errors;
    const search::TSearchResult r = Search(model, d, options, search::TSearchOptions(), nullptr, errors);
    if (!errors.empty()) {
        for (const search::TSearchMessage& e : errors)
            a.Diagnostics.Errors.push_back({e.Code, e.Message});
        return;
    }
    const double theta = static_cast<double>(d.Settings.InterSliceAngle);
    if (r.Cancelled) {
        a.Cancelled = true;
        return;
    }
    a.Generated = r.Generated;
    a.Analysed = r.Analysed;
    for (const auto& [why, n] : r.Rejected)
        a.Rejected[why] += n;
    if (!r.Errors.empty() || !r.HasGeneratedBest) {
        for (const search::TSearchMessage& e : r.Errors)
            a.Diagnostics.Errors.push_back({e.Code, e.Message});
        return;
    }
    a.Trials.reserve(r.Trials.size());
    for (const search::TRankedSurface& t : r.Trials)
        a.Trials.push_back(ResultOf(t));
    for (const search::TRankedSurface& t : r.Ten)
        a.Ten.push_back(ResultOf(t));

    a.GeneratedBest = ResultOf(r.GeneratedBest);
    a.RefinedBest = ResultOf(r.HasRefinedBest ? r.RefinedBest : r.GeneratedBest);
    a.RefinementEvaluations = r.RefinementEvaluations;
    a.SearchThreads = r.Threads;
    for (const search::TEdgeNote& e : r.Edges)
        a.Diagnostics.Warnings.push_back({EdgeCode(e.Edge), e.Message});
    for (const search::TConvergence& c : r.Convergence) {
        TAnalysis::TConvergenceRow row;
        row.Share = c.Share;
        row.Surfaces = c.Surfaces;
        if (std::isfinite(c.Generated))
            row.Generated = c.Generated;
        if (std::isfinite(c.Optimised))
            row.Optimised = c.Optimised;
        a.Convergence.push_back(row);
    }
    if (r.Unsettled && r.Convergence.size() == 4) {
        const double half = r.Convergence[2].Optimised, all = r.Convergence[3].Optimised;
        a.Diagnostics.Warnings.push_back(
            {"W316", "The second half of the surfaces still lowered the minimum factor of safety " +
                         (std::isfinite(half) ? "from " + search::NumberText(half) + " " : std::string()) +
                         "to " + search::NumberText(all) +
                         ": the minimum has not settled; increase the number of surfaces."});
    }

    a.Critical = AnalyseCritical(model, a.Ten.front(), a.Method, theta, options.Slicing);
    // One value for the critical surface wherever it is reported (the two solutions agree to the
    // methods' tolerance).
    if (a.Critical->Surface.FS)
        a.Ten.front().FS = a.Critical->Surface.FS;
}

} // namespace quolm
