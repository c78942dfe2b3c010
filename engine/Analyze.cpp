#include "engine/Analyze.h"
#include "engine/Search.h"
#include "engine/SurfaceEvaluator.h"
#include <chrono>
#include <cmath>

namespace quolm {

namespace {
// The user's own surface (a valid description's), clipped to the ground and analysed with every
// method.
TCriticalResult AnalyseOwnSurface(const TSlopeModel& model, const TSlopeDescription& input,
                                  const TRunOptions& options, TMethod method) {
    std::vector<TPoint> points, clipped;
    for (const TSlopePoint& p : input.Surface)
        points.push_back({static_cast<double>(p.X), static_cast<double>(p.Y)});
    ClipToGround(model, points.data(), static_cast<int>(points.size()), clipped);
    // A surface entered as a circle (within half a percent of its radius) is reported as one.
    // Three points lie on a circle whatever they are, four nearly always: a circle needs more.
    TCircle circle;
    bool circular =
        clipped.size() >= 5 && FitCircle(clipped.data(), static_cast<int>(clipped.size()), circle);
    for (const TPoint& p : clipped)
        circular =
            circular && std::abs(std::hypot(p.X - circle.X, p.Y - circle.Y) - circle.R) <= 0.005 * circle.R;
    circular = circular && circle.Y > clipped.front().Y && circle.Y > clipped.back().Y;
    return AnalyseSurface(model, clipped, circular ? &circle : nullptr, method,
                          static_cast<double>(input.Settings.InterSliceAngle), options.Slicing);
}
} // namespace

TAnalysis Analyze(const TSlopeDescription& input, const TRunOptions& options) {
    const auto started = std::chrono::steady_clock::now();
    TAnalysis a;
    a.Input = input;
    a.Seed = options.Seed;
    a.Method = MethodOf(input);
    Validate(input, a.Diagnostics);
    if (!a.HasErrors()) {
        const TSlopeModel model(input);
        if (input.Settings.SearchKind == 1) {
            a.Generated = a.Analysed = 1;
            a.Critical = AnalyseOwnSurface(model, input, options, a.Method);
            a.Ten.push_back(a.Critical->Surface);
            a.Trials.push_back(a.Critical->Surface);
        } else {
            RunSearch(model, input, options, a);
        }
    }
    a.ElapsedSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return a;
}

std::optional<double> CriticalFactor(const TSlopeDescription& input, const TRunOptions& options,
                                     TSliceCache* cache) {
    TDiagnostics checks;
    Validate(input, checks);
    if (!checks.Errors.empty())
        return std::nullopt;
    const TSlopeModel model(input);
    const TMethod method = MethodOf(input);
    if (input.Settings.SearchKind == 1)
        return AnalyseOwnSurface(model, input, options, method).Surface.FS;
    const std::optional<TSurfaceResult> best = CriticalSurface(model, input, options, cache);
    if (!best)
        return std::nullopt;
    // As the full analysis reports it.
    return AnalyseCritical(model, *best, method, static_cast<double>(input.Settings.InterSliceAngle),
                           options.Slicing)
        .Surface.FS;
}

} // namespace quolm
