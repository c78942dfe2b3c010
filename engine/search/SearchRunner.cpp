#include "engine/search/SearchRunner.h"
#include "engine/search/Refine.h"
#include "engine/search/SurfaceGenerators.h"
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <limits>
#include <map>
#include <mutex>
#include <thread>

namespace quolm::search {

namespace {

// A surface must lie this share below every surface before it to be optimised.
constexpr double RecordStep = 0.01;
// The minimum has settled when the second half of the surfaces lowered it by no more than this share.
constexpr double SettledShare = 0.01;

// Calls body(index, worker) for every index below count, on `threads` threads (the caller's being
// worker 0), handing out chunks of indexes. An exception on any thread stops the others and is
// rethrown here.
template <class F> void ParallelFor(int threads, long long count, long long chunk, F body) {
    std::atomic<long long> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorLock;
    auto work = [&](int worker) {
        try {
            while (!failed.load(std::memory_order_relaxed)) {
                const long long first = next.fetch_add(chunk, std::memory_order_relaxed);
                if (first >= count)
                    break;
                const long long last = std::min(count, first + chunk);
                for (long long i = first; i < last; ++i)
                    body(i, worker);
            }
        } catch (...) {
            failed = true;
            const std::lock_guard<std::mutex> lock(errorLock);
            if (!error)
                error = std::current_exception();
        }
    };
    std::vector<std::thread> pool;
    const int extra = static_cast<int>(std::min<long long>(threads, count)) - 1;
    for (int w = 1; w <= extra; ++w)
        pool.emplace_back(work, w);
    work(0);
    for (std::thread& t : pool)
        t.join();
    if (error)
        std::rethrow_exception(error);
}

// Whether two surfaces are the same within `tol`: circles by centre, radius and ends, others point by
// point.
bool SameSurface(const TTrialSurface& a, const TTrialSurface& b, double tol) {
    auto near = [tol](TPoint p, TPoint q) {
        return std::abs(p.X - q.X) <= tol && std::abs(p.Y - q.Y) <= tol;
    };
    if (a.Points.empty() || b.Points.empty() || a.Circular != b.Circular)
        return false;
    if (a.Circular)
        return near({a.Circle.X, a.Circle.Y}, {b.Circle.X, b.Circle.Y}) &&
               std::abs(a.Circle.R - b.Circle.R) <= tol && near(a.Points.front(), b.Points.front()) &&
               near(a.Points.back(), b.Points.back());
    if (a.Points.size() != b.Points.size())
        return false;
    for (std::size_t k = 0; k < a.Points.size(); ++k)
        if (!near(a.Points[k], b.Points[k]))
            return false;
    return true;
}

struct TOutcome {
    double FS = 0;
    const char* Why = nullptr; // null: FS holds the factor of safety
};

// Each thread's own state, on cache lines of its own: threads writing beside each other would
// make the cores pass the line back and forth on every surface.
struct alignas(64) TWorkerState {
    TTrialSurface Surface;
    std::vector<double> Params;
};

// What to do when no surface could be analysed, by the cause: a slope drawn the wrong way round,
// a method that finds nothing to balance, or surfaces that miss the ground.
std::string NoSurfaceRemedy(const TSearchGeometry& geometry,
                            const std::vector<std::pair<std::string, long long>>& rejected) {
    const std::vector<TPoint>& g = geometry.Ground();
    if (g.size() >= 2 && g.front().Y > g.back().Y)
        return "the slope faces right (its ground falls from left to right): this program takes the toe on "
               "the left and the crest on the right; mirror the section (x to -x).";
    long long total = 0, mechanics = 0, undriven = 0;
    for (const auto& [text, n] : rejected) {
        total += n;
        if (text == reason::NotConverged)
            mechanics += n;
        if (text == reason::Undriven)
            undriven += n;
    }
    if (undriven > 0 && 2 * undriven >= total)
        return "nothing drives the sliding masses: the ground is level or nearly so where the surfaces run.";
    if (mechanics + undriven > 0 && 2 * (mechanics + undriven) >= total)
        return "the method found no equilibrium on the surfaces: check the soils' strength, the pore "
               "pressures "
               "and the loads.";
    return "widen the ranges or the direction limits, or check the minimum elevation and the limit lines.";
}

} // namespace

int SearchThreads(int requested) {
    if (requested > 0)
        return requested;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

TSearchResult RunSearch(const TSearchProblem& problem, ISurfaceEvaluator& evaluator,
                        const TSearchOptions& options) {
    const auto started = std::chrono::steady_clock::now();
    TSearchResult result;
    result.Seed = options.Seed;
    if (!options.Checked)
        CheckControls(problem.Geometry, problem.Controls, result.Errors, result.Warnings);
    if (!result.Errors.empty())
        return result;

    const TSurfaceGenerator generator(problem.Geometry, problem.Controls, &problem.Strata);
    const long long count = generator.Count();
    const int perPoint = generator.PerPoint();
    const int threads = static_cast<int>(std::clamp<long long>(SearchThreads(options.Threads), 1, count));
    result.Threads = threads;
    result.Generated = count;
    evaluator.Prepare(threads);

    // Every surface: generated from its own stream, checked, evaluated. Only its factor (or the reason
    // it has none) is kept; the few surfaces reported are generated again afterwards.
    std::vector<TOutcome> outcomes(static_cast<std::size_t>(count));
    std::vector<TWorkerState> states(static_cast<std::size_t>(threads));
    auto cancelled = [&options] { return options.Cancel && options.Cancel->load(std::memory_order_relaxed); };
    ParallelFor(threads, count, 64, [&](long long i, int worker) {
        TWorkerState& st = states[static_cast<std::size_t>(worker)];
        TOutcome& o = outcomes[static_cast<std::size_t>(i)];
        if (cancelled()) {
            o.Why = "cancelled";
            return;
        }
        const int point = static_cast<int>(i / perPoint), number = static_cast<int>(i % perPoint);
        o.Why = generator.Generate(options.Seed, point, number, st.Surface, st.Params);
        if (o.Why)
            return;
        const TSurfaceValue v = evaluator.EvaluateGenerated(st.Surface, i, worker);
        o.Why = v.Rejection ? v.Rejection : (std::isfinite(v.FS) ? nullptr : "no finite factor of safety");
        o.FS = v.FS;
    });

    if (cancelled()) {
        result.Cancelled = true;
        return result;
    }
    // The reasons are a few fixed texts: counted by address first, then by text.
    std::vector<std::pair<const char*, long long>> byAddress;
    std::vector<long long> ranked;
    for (long long i = 0; i < count; ++i) {
        const TOutcome& o = outcomes[static_cast<std::size_t>(i)];
        if (!o.Why) {
            ranked.push_back(i);
            continue;
        }
        auto it = std::find_if(byAddress.begin(), byAddress.end(),
                               [&o](const std::pair<const char*, long long>& r) { return r.first == o.Why; });
        if (it == byAddress.end())
            byAddress.push_back({o.Why, 1});
        else
            ++it->second;
    }
    std::map<std::string, long long> rejected;
    for (const auto& [why, n] : byAddress)
        rejected[why] += n;
    result.Analysed = static_cast<long long>(ranked.size());
    result.Rejected.assign(rejected.begin(), rejected.end());
    if (ranked.empty()) {
        std::string why;
        for (const auto& [text, n] : result.Rejected)
            why += (why.empty() ? "" : "; ") + text + ": " + std::to_string(n);
        result.Errors.push_back({"E320", "None of the " + std::to_string(count) +
                                             " generated surfaces could be analysed (" + why +
                                             "): " + NoSurfaceRemedy(problem.Geometry, result.Rejected)});
        result.ElapsedSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return result;
    }
    // Most critical first; equal factors in generation order, so the ranking never depends on timing.
    auto before = [&](long long a, long long b) {
        const double fa = outcomes[static_cast<std::size_t>(a)].FS,
                     fb = outcomes[static_cast<std::size_t>(b)].FS;
        return fa < fb || (fa == fb && a < b);
    };
    const std::size_t keep =
        std::min<std::size_t>(ranked.size(), static_cast<std::size_t>(std::max(options.PlotLimit, 10)));
    if (keep < ranked.size())
        std::nth_element(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(keep), ranked.end(),
                         before);
    ranked.resize(keep);
    std::sort(ranked.begin(), ranked.end(), before);

    auto regenerate = [&](long long i, std::vector<double>* params) {
        TRankedSurface r;
        r.FS = outcomes[static_cast<std::size_t>(i)].FS;
        r.Point = static_cast<int>(i / perPoint);
        r.Number = static_cast<int>(i % perPoint);
        std::vector<double> local;
        generator.Generate(options.Seed, r.Point, r.Number, r.Surface, params ? *params : local);
        return r;
    };

    std::vector<TRankedSurface> ten;
    std::vector<std::vector<double>> tenParams;
    for (std::size_t k = 0; k < std::min<std::size_t>(10, ranked.size()); ++k) {
        tenParams.emplace_back();
        ten.push_back(regenerate(ranked[k], &tenParams.back()));
    }
    result.HasGeneratedBest = true;
    result.GeneratedBest = ten.front();

    std::vector<long long> plotted(
        ranked.begin(),
        ranked.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                             ranked.size(), static_cast<std::size_t>(std::max(0, options.PlotLimit)))));
    std::sort(plotted.begin(), plotted.end());
    result.Trials.resize(plotted.size());
    ParallelFor(threads, static_cast<long long>(plotted.size()), 64, [&](long long k, int) {
        result.Trials[static_cast<std::size_t>(k)] =
            regenerate(plotted[static_cast<std::size_t>(k)], nullptr);
    });

    // Optimisation from every record surface: taking the surfaces in the order of their number at
    // each point (the first surface of every point, then the second, ...), a record is one whose factor
    // lies more than 1 % below every surface before it. The surfaces of a smaller count are the first
    // ones of a larger count, so its records are among the larger count's records, and each record is
    // optimised from its own parameters and its own seed alone: more surfaces never report a higher
    // minimum. The order also gives the convergence report.
    const int points = generator.Points();
    auto indexAt = [&](long long k) { // k-th surface in that order
        return (k % points) * perPoint + k / points;
    };
    std::vector<long long> records; // indexes, in that order
    {
        double record = std::numeric_limits<double>::infinity();
        for (long long k = 0; k < count; ++k) {
            const long long i = indexAt(k);
            const TOutcome& o = outcomes[static_cast<std::size_t>(i)];
            if (!o.Why && o.FS < record * (1 - RecordStep)) {
                record = o.FS;
                records.push_back(k);
            }
        }
    }
    std::vector<TRankedSurface> candidates = ten;
    std::vector<std::vector<double>> candidateParams = tenParams;
    std::vector<TRefined> refined;
    std::vector<TRankedSurface> starts;
    if (options.Refine && !cancelled()) {
        refined.resize(records.size());
        result.Optimisations = static_cast<int>(records.size());
        starts.resize(records.size());
        ParallelFor(threads, static_cast<long long>(records.size()), 1, [&](long long r, int worker) {
            std::vector<double> p;
            TRankedSurface& s = starts[static_cast<std::size_t>(r)];
            s = regenerate(indexAt(records[static_cast<std::size_t>(r)]), &p);
            refined[static_cast<std::size_t>(r)] = Refine(
                generator, evaluator, worker, p, s.FS, generator.RefineBudget(static_cast<int>(p.size())),
                Mix64(options.Seed ^ 0xA5A5A5A5ull) + static_cast<std::uint64_t>(s.Point) * 1000003u +
                    static_cast<std::uint64_t>(s.Number));
        });
        std::vector<std::size_t> byFactor;
        std::size_t bestStart = 0;
        for (std::size_t k = 0; k < refined.size(); ++k) {
            result.RefinementEvaluations += refined[k].Evaluations;
            if (refined[k].FS < refined[bestStart].FS)
                bestStart = k;
            if (refined[k].FS < starts[k].FS)
                byFactor.push_back(k);
        }
        // Optimisations from nearby starts often end on one surface: it is listed once.
        std::stable_sort(byFactor.begin(), byFactor.end(),
                         [&](std::size_t a, std::size_t b) { return refined[a].FS < refined[b].FS; });
        const std::size_t generatedCount = candidates.size();
        for (const std::size_t k : byFactor) {
            bool repeated = false;
            for (std::size_t c = generatedCount; c < candidates.size() && !repeated; ++c)
                repeated =
                    SameSurface(candidates[c].Surface, refined[k].Surface, problem.Geometry.Extent() * 1e-3);
            if (repeated)
                continue;
            TRankedSurface r;
            r.FS = refined[k].FS;
            r.Surface = refined[k].Surface;
            r.Point = starts[k].Point;
            r.Number = starts[k].Number;
            r.Refined = true;
            candidates.push_back(std::move(r));
            candidateParams.push_back(refined[k].Params);
        }
        result.HasRefinedBest = true;
        result.RefinedBest = result.GeneratedBest;
        if (!refined.empty() && refined[bestStart].FS < result.GeneratedBest.FS) {
            result.RefinedBest = starts[bestStart];
            result.RefinedBest.FS = refined[bestStart].FS;
            result.RefinedBest.Surface = refined[bestStart].Surface;
            result.RefinedBest.Refined = true;
        }
    }

    // How the minimum fell as surfaces were added: the best generated and the best after optimisation
    // (of the records among them) after each share of the surfaces, in the order above.
    for (const double share : {0.1, 0.25, 0.5, 1.0}) {
        TConvergence c;
        c.Share = share;
        c.Surfaces =
            std::max(1LL, static_cast<long long>(std::ceil(share * static_cast<double>(count) - 1e-9)));
        c.Generated = c.Optimised = std::numeric_limits<double>::infinity();
        for (long long k = 0; k < c.Surfaces; ++k) {
            const TOutcome& o = outcomes[static_cast<std::size_t>(indexAt(k))];
            if (!o.Why)
                c.Generated = std::min(c.Generated, o.FS);
        }
        c.Optimised = c.Generated;
        for (std::size_t r = 0; r < refined.size() && records[r] < c.Surfaces; ++r)
            c.Optimised = std::min(c.Optimised, refined[r].FS);
        result.Convergence.push_back(c);
    }
    const double half = result.Convergence[2].Optimised, all = result.Convergence[3].Optimised;
    result.Unsettled = !(std::isfinite(half) && all >= half * (1 - SettledShare));

    // The ten most critical of the generated and the refined surfaces.
    std::vector<std::size_t> order(candidates.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return candidates[a].FS < candidates[b].FS; });
    order.resize(std::min<std::size_t>(10, order.size()));
    for (std::size_t k : order)
        result.Ten.push_back(candidates[k]);
    result.Edges = generator.Edges(candidateParams[order.front()], candidates[order.front()].Surface);
    result.ElapsedSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

} // namespace quolm::search
