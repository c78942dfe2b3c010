#include "engine/probabilistic/ProbabilisticAnalysis.h"
#include "engine/Analyze.h"
#include "engine/Search.h"
#include "engine/SurfaceEvaluator.h"
#include "engine/probabilistic/Distributions.h"
#include "engine/search/SearchRunner.h"
#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

namespace quolm {

namespace {
constexpr long long MaxSamples = 100000000;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// Samples a worker takes at a time: small enough to share the work evenly, large enough that
// taking them costs nothing.
constexpr long long Chunk = 64;

bool IsSoilTarget(TRandomTarget t) {
    return t == TRandomTarget::MoistWeight || t == TRandomTarget::SaturatedWeight ||
           t == TRandomTarget::Cohesion || t == TRandomTarget::FrictionAngle;
}
} // namespace

void TSampleTable::Append(const TSampleTable& next) {
    Values.insert(Values.end(), next.Values.begin(), next.Values.end());
    Factor.insert(Factor.end(), next.Factor.begin(), next.Factor.end());
}

std::vector<std::string> VariableNames(const TProbabilisticSetup& s) {
    std::vector<std::string> names;
    for (const TRandomVariable& v : s.Variables)
        names.push_back(VariableName(v));
    return names;
}

TProbabilisticStudy::TProbabilisticStudy(const TSlopeDescription& d, const TRunOptions& options)
    : Input(d), Options(options) {
    Check();
    if (HasErrors())
        return;
    Base = Analyze(Input, Options);
    for (const TDiagnostic& e : Base.Diagnostics.Errors)
        Checks.Errors.push_back(e);
    if (HasErrors())
        return;
    const TProbabilisticSetup& s = Input.Probabilistic;
    if (s.Mode == TProbabilisticMode::Critical && !(Base.Critical && Base.Critical->Surface.FS)) {
        Checks.Error("E406", "The deterministic analysis found no critical surface with a factor of safety, "
                             "so there is no surface to analyse the samples on.");
        return;
    }
    Model = std::make_unique<TSlopeModel>(Input);
    // Each variable drawn only where its quantity can be what it is: a sample never holds a soil or
    // a coefficient that the problem's own checks would refuse.
    std::vector<TRandomVariable> drawn;
    for (const TRandomVariable& v : s.Variables)
        drawn.push_back(prob::Drawn(v));
    Plan = std::make_unique<prob::TSamplePlan>(drawn, s.Correlations, s.Sampling, s.Seed, s.Samples);
}

TProbabilisticStudy::~TProbabilisticStudy() = default;

void TProbabilisticStudy::Check() {
    const TProbabilisticSetup& s = Input.Probabilistic;
    if (s.Samples < 1 || s.Samples > MaxSamples)
        Checks.Error("E401",
                     "The number of samples must be between 1 and " + std::to_string(MaxSamples) + ".");
    if (s.Variables.empty())
        Checks.Error("E402", "No random variable is given: the probabilistic analysis needs at least one.");
    const int soils = static_cast<int>(Input.Soils.size());
    const int waters = Input.Settings.HasWater ? static_cast<int>(Input.WaterSurfaces.size()) : 0;
    for (std::size_t i = 0; i < s.Variables.size(); ++i) {
        const TRandomVariable& v = s.Variables[i];
        const std::string name = VariableName(v);
        std::string why;
        if (!CheckDistribution(v, why))
            Checks.Error("E403", "Random variable " + name + ": " + why + ".");
        else if (!(prob::ImpossibleShare(v) < 1))
            Checks.Error("E403", "Random variable " + name + ": no value of its distribution" +
                                     (v.Truncated ? " within its truncation" : "") + " is possible for it (" +
                                     prob::PossibleText(v.Target) + ").");
        if (IsSoilTarget(v.Target) && (v.Index < 1 || v.Index > soils))
            Checks.Error("E403", "Random variable " + name + ": there is no soil type " +
                                     std::to_string(v.Index) + ".");
        if (v.Target == TRandomTarget::WaterShift && (v.Index < 1 || v.Index > waters))
            Checks.Error("E403", "Random variable " + name + ": there is no piezometric surface " +
                                     std::to_string(v.Index) + ".");
        if ((v.Target == TRandomTarget::Cohesion || v.Target == TRandomTarget::FrictionAngle) &&
            v.Index >= 1 && v.Index <= soils &&
            HasAnisotropyData(Input.Soils[static_cast<std::size_t>(v.Index - 1)]))
            Checks.Error("E404", "Random variable " + name +
                                     ": the soil type's strength is given by its anisotropy rows; vary a "
                                     "soil type without anisotropy.");
        for (std::size_t j = 0; j < i; ++j)
            if (s.Variables[j].Target == v.Target && s.Variables[j].Index == v.Index) {
                Checks.Error("E403", "Random variable " + name + " is given twice.");
                break;
            }
    }
    for (std::size_t i = 0; i < s.Correlations.size(); ++i) {
        const TSoilCorrelation& c = s.Correlations[i];
        const std::string soil = "soil type " + std::to_string(c.Soil);
        const auto varied = [&](TRandomTarget t) {
            return std::any_of(s.Variables.begin(), s.Variables.end(),
                               [&](const TRandomVariable& v) { return v.Target == t && v.Index == c.Soil; });
        };
        if (!(c.R > -1 && c.R < 1))
            Checks.Error("E405", "The correlation of c and phi of " + soil + " must lie between -1 and 1 (" +
                                     Num(c.R) + " given).");
        else if (!varied(TRandomTarget::Cohesion) || !varied(TRandomTarget::FrictionAngle))
            Checks.Error("E405", "A correlation of c and phi is given for " + soil +
                                     ", but its c and phi are not both random variables.");
        for (std::size_t j = 0; j < i; ++j)
            if (s.Correlations[j].Soil == c.Soil)
                Checks.Error("E405", "The correlation of c and phi of " + soil + " is given twice.");
    }
    StrengthOnly = true;
    for (const TRandomVariable& v : s.Variables) {
        RebuildModel = RebuildModel || v.Target == TRandomTarget::WaterShift;
        StrengthOnly =
            StrengthOnly && (v.Target == TRandomTarget::Cohesion || v.Target == TRandomTarget::FrictionAngle);
    }
}

TSlopeDescription TProbabilisticStudy::SampleDescription(const double* values) const {
    TSlopeDescription d = Input;
    const TProbabilisticSetup& s = Input.Probabilistic;
    for (std::size_t i = 0; i < s.Variables.size(); ++i) {
        const TRandomVariable& v = s.Variables[i];
        const long double x = values[i];
        const std::size_t k = static_cast<std::size_t>(std::max(0, v.Index - 1));
        switch (v.Target) {
        case TRandomTarget::MoistWeight:
            d.Soils[k].MoistUnitWeight = x;
            break;
        case TRandomTarget::SaturatedWeight:
            d.Soils[k].SaturatedUnitWeight = x;
            break;
        case TRandomTarget::Cohesion:
            d.Soils[k].Cohesion = x;
            break;
        case TRandomTarget::FrictionAngle:
            d.Soils[k].FrictionAngle = x;
            break;
        case TRandomTarget::WaterShift:
            for (TSlopePoint& p : d.WaterSurfaces[k].Points)
                p.Y += x;
            break;
        case TRandomTarget::Kh:
        case TRandomTarget::Kv:
            if (!d.Settings.HasEarthquake) {
                d.Settings.HasEarthquake = 1;
                d.Settings.HorizontalCoefficient = d.Settings.VerticalCoefficient = 0;
                d.Settings.CavitationPressure = 0;
            }
            (v.Target == TRandomTarget::Kh ? d.Settings.HorizontalCoefficient
                                           : d.Settings.VerticalCoefficient) = x;
            break;
        }
    }
    return d;
}

// What one thread keeps between samples: its slices and its copy of the model.
struct TProbabilisticStudy::TWorker {
    TWorkspace Ws;
    std::optional<TSlopeModel> Model;
    std::vector<TSlice> Cut; // the critical surface's slices, when only strengths vary
    TSliceCache Surfaces;    // the search's surfaces' slices, when only strengths vary
};

double TProbabilisticStudy::SampleFactor(const double* values) const {
    TWorker w;
    return SampleFactor(values, w);
}

double TProbabilisticStudy::SampleFactor(const double* values, TWorker& w) const {
    const TProbabilisticSetup& s = Input.Probabilistic;
    if (s.Mode == TProbabilisticMode::Search) {
        TRunOptions one = Options;
        one.Threads = 1; // the samples share the cores; one search each
        const std::optional<double> f =
            CriticalFactor(SampleDescription(values), one, StrengthOnly ? &w.Surfaces : nullptr);
        return f ? *f : NaN;
    }
    // The deterministic critical surface in a model of this sample.
    const TCriticalResult& c = *Base.Critical;
    TEvaluation e;
    const TPoint centre =
        c.Surface.Circle ? TPoint{c.Surface.Circle->X, c.Surface.Circle->Y} : c.MomentCentre;
    const auto evaluate = [&](const TSlopeModel& m) {
        const bool ok = EvaluateSurface(m, c.Surface.Points, &centre, Base.Method, Options.Slicing,
                                        static_cast<double>(Input.Settings.InterSliceAngle), w.Ws, e);
        return ok && e.Result.Converged ? e.Result.F : NaN;
    };
    if (RebuildModel)
        return evaluate(TSlopeModel(SampleDescription(values)));
    if (StrengthOnly) {
        // The slices' geometry and forces do not change: cut once, then only c and phi per sample.
        if (w.Cut.empty()) {
            TSliceNotes notes;
            if (!CutSlices(*Model, c.Surface.Points, Options.Slicing, w.Ws, notes))
                return NaN;
            w.Cut = w.Ws.Slices;
        }
        w.Ws.Slices = w.Cut;
        for (std::size_t i = 0; i < s.Variables.size(); ++i) {
            const TRandomVariable& v = s.Variables[i];
            const double x = values[i];
            const double tanPhi = v.Target == TRandomTarget::FrictionAngle ? std::tan(Rad(x)) : 0;
            for (TSlice& slice : w.Ws.Slices)
                if (slice.Soil == v.Index - 1) {
                    if (v.Target == TRandomTarget::Cohesion) {
                        slice.Cohesion = x;
                    } else {
                        slice.PhiDeg = x;
                        slice.TanPhi = tanPhi;
                    }
                }
        }
        SolveCutSurface(*Model, c.Surface.Points, &centre, Base.Method,
                        static_cast<double>(Input.Settings.InterSliceAngle), w.Ws, e);
        return e.Result.Converged ? e.Result.F : NaN;
    }
    // Only properties change: a copy of the model with this sample's soils and coefficients.
    if (!w.Model)
        w.Model.emplace(*Model);
    TSlopeModel& model = *w.Model;
    model.Soils = Model->Soils;
    model.Kh = Model->Kh;
    model.Kv = Model->Kv;
    for (std::size_t i = 0; i < s.Variables.size(); ++i) {
        const TRandomVariable& v = s.Variables[i];
        const double x = values[i];
        TSoil* soil = v.Index >= 1 ? &model.Soils[static_cast<std::size_t>(v.Index - 1)] : nullptr;
        switch (v.Target) {
        case TRandomTarget::MoistWeight:
            soil->MoistWeight = x;
            break;
        case TRandomTarget::SaturatedWeight:
            soil->SaturatedWeight = x;
            break;
        case TRandomTarget::Cohesion:
            soil->Cohesion = x;
            break;
        case TRandomTarget::FrictionAngle:
            soil->PhiDeg = x;
            soil->TanPhi = std::tan(Rad(x));
            break;
        case TRandomTarget::Kh:
            model.Kh = x;
            break;
        case TRandomTarget::Kv:
            model.Kv = x;
            break;
        case TRandomTarget::WaterShift:
            break;
        }
    }
    return evaluate(model);
}

bool TProbabilisticStudy::Run(long long first, long long count, TSampleTable& out,
                              const TProbabilisticControl& control) const {
    const int nv = Plan ? Plan->VariableCount() : 0;
    out.Variables = nv;
    out.First = first;
    count = std::max(0LL, count);
    out.Values.assign(static_cast<std::size_t>(count * nv), NaN);
    out.Factor.assign(static_cast<std::size_t>(count), NaN);
    if (!Plan || count == 0)
        return true;
    const int threads = static_cast<int>(
        std::clamp<long long>(search::SearchThreads(Options.Threads), 1, (count + Chunk - 1) / Chunk));
    std::atomic<long long> next{0}, done{0};
    std::atomic<bool> stop{false};
    std::mutex m;
    std::condition_variable cv;
    int running = threads;
    const auto work = [&] {
        TWorker worker;
        while (!stop.load(std::memory_order_relaxed)) {
            const long long from = next.fetch_add(Chunk);
            if (from >= count)
                break;
            const long long to = std::min(count, from + Chunk);
            for (long long i = from; i < to; ++i) {
                if (control.Cancel && control.Cancel->load(std::memory_order_relaxed)) {
                    stop = true;
                    break;
                }
                double* values = out.Values.data() + i * nv;
                Plan->Draw(first + i, values);
                out.Factor[static_cast<std::size_t>(i)] = SampleFactor(values, worker);
                done.fetch_add(1, std::memory_order_relaxed);
            }
        }
        std::lock_guard<std::mutex> lock(m);
        --running;
        cv.notify_all();
    };
    // With a progress report this thread reports while the others work; without, it works too.
    std::vector<std::thread> pool;
    for (int t = control.Progress ? 0 : 1; t < threads; ++t)
        pool.emplace_back(work);
    if (!control.Progress) {
        work();
    } else {
        std::unique_lock<std::mutex> lock(m);
        while (running > 0) {
            cv.wait_for(lock, std::chrono::milliseconds(100));
            lock.unlock();
            control.Progress(done.load(), count);
            lock.lock();
        }
    }
    for (std::thread& t : pool)
        t.join();
    return !stop.load();
}

} // namespace quolm
