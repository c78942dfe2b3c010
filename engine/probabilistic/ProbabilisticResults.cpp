// The summary of a probabilistic analysis and its two texts: the JSON results and the CSV table.
#include "engine/probabilistic/Distributions.h"
#include "engine/probabilistic/ProbabilisticAnalysis.h"
#include <algorithm>
#include <charconv>
#include <cmath>

namespace quolm {

namespace {
// Shortest text that reads back to the same double: equal results give equal bytes.
std::string Number(double v) {
    if (!std::isfinite(v))
        return "null";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Optional(const std::optional<double>& v) {
    return v ? Number(*v) : "null";
}

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Percent(double share) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, 100 * share, std::chars_format::fixed, 1);
    return std::string(buf, r.ptr);
}

// Mean and sample standard deviation of the finite values, summed in order; not numbers where there
// are too few values for them.
void MeanSd(const std::vector<double>& x, double& mean, double& sd, long long& n) {
    double sum = 0;
    n = 0;
    for (double v : x)
        if (std::isfinite(v)) {
            sum += v;
            ++n;
        }
    mean = n > 0 ? sum / static_cast<double>(n) : NAN;
    double ss = 0;
    for (double v : x)
        if (std::isfinite(v))
            ss += (v - mean) * (v - mean);
    sd = n > 1 ? std::sqrt(ss / static_cast<double>(n - 1)) : NAN;
}
} // namespace

std::string OutsideNote(const TRandomVariable& v, double share) {
    if (!(share >= NotableOutsideShare))
        return {};
    return Percent(share) + " % of the distribution is not a possible value (" +
           prob::PossibleText(v.Target) + ") and was drawn again";
}

TProbabilisticResult TProbabilisticStudy::Summarise(const TSampleTable& all) const {
    TProbabilisticResult r;
    r.Samples = all.Count();
    MeanSd(all.Factor, r.Mean, r.Sd, r.Valid);
    std::vector<double> sorted;
    sorted.reserve(all.Factor.size());
    for (double f : all.Factor)
        if (std::isfinite(f))
            sorted.push_back(f);
    std::sort(sorted.begin(), sorted.end());
    const long long n = r.Valid;
    r.Min = r.Max = r.Pf = r.PfError = NAN;
    if (n > 0) {
        r.Min = sorted.front();
        r.Max = sorted.back();
        const long long failures = std::lower_bound(sorted.begin(), sorted.end(), 1.0) - sorted.begin();
        r.Pf = static_cast<double>(failures) / static_cast<double>(n);
        r.PfError = std::sqrt(r.Pf * (1 - r.Pf) / static_cast<double>(n));
        if (r.Sd > 0) {
            r.BetaNormal = (r.Mean - 1) / r.Sd;
            if (r.Mean > 0) {
                // A lognormal factor: beta = ln(mean / sqrt(1 + V^2)) / sqrt(ln(1 + V^2)).
                const double v2 = (r.Sd / r.Mean) * (r.Sd / r.Mean);
                r.BetaLognormal = std::log(r.Mean / std::sqrt(1 + v2)) / std::sqrt(std::log1p(v2));
            }
        }
        // About the square root of the sample count in bins, between 5 and 50.
        const int bins =
            static_cast<int>(std::clamp<double>(std::round(std::sqrt(static_cast<double>(n))), 5, 50));
        r.HistogramLow = r.Min;
        r.HistogramWidth = (r.Max - r.Min) / bins;
        r.Histogram.assign(static_cast<std::size_t>(bins), 0);
        for (double f : sorted) {
            const int b = r.HistogramWidth > 0 ? static_cast<int>((f - r.Min) / r.HistogramWidth) : 0;
            ++r.Histogram[static_cast<std::size_t>(std::clamp(b, 0, bins - 1))];
        }
        for (int k = 0; k <= 100; ++k) {
            const auto i = static_cast<std::size_t>(std::llround(k / 100.0 * static_cast<double>(n - 1)));
            r.Cdf.push_back({sorted[i], k / 100.0});
        }
    }
    for (int v = 0; v < all.Variables; ++v) {
        std::vector<double> column;
        column.reserve(static_cast<std::size_t>(all.Count()));
        for (long long i = 0; i < all.Count(); ++i)
            column.push_back(all.Values[static_cast<std::size_t>(i * all.Variables + v)]);
        double mean = 0, sd = 0;
        long long count = 0;
        MeanSd(column, mean, sd, count);
        r.VariableMean.push_back(mean);
        r.VariableSd.push_back(sd);
        const std::vector<TRandomVariable>& vars = Setup().Variables;
        r.VariableOutside.push_back(static_cast<std::size_t>(v) < vars.size()
                                        ? prob::ImpossibleShare(vars[static_cast<std::size_t>(v)])
                                        : 0);
    }
    return r;
}

std::string TProbabilisticStudy::Json(const TProbabilisticResult& r, double elapsed) const {
    const TProbabilisticSetup& s = Setup();
    std::string j = "{\n";
    const auto key = [&j](const char* k, const std::string& v) {
        j += "  \"" + std::string(k) + "\": " + v + ",\n";
    };
    key("engine", Quoted(EngineName));
    key("samples", std::to_string(r.Samples));
    key("valid", std::to_string(r.Valid));
    key("seed", std::to_string(s.Seed));
    key("sampling", Quoted(s.Sampling == TSamplingKind::LatinHypercube ? "lhs" : "mc"));
    key("mode", Quoted(s.Mode == TProbabilisticMode::Search ? "search" : "critical"));
    key("method", Quoted(MethodKey(Base.Method)));
    key("deterministic_fs", Base.Critical ? Optional(Base.Critical->Surface.FS) : "null");
    const bool any = r.Valid > 0;
    key("mean", any ? Number(r.Mean) : "null");
    key("sd", r.Valid > 1 ? Number(r.Sd) : "null");
    key("min", any ? Number(r.Min) : "null");
    key("max", any ? Number(r.Max) : "null");
    key("pf", any ? Number(r.Pf) : "null");
    key("pf_standard_error", any ? Number(r.PfError) : "null");
    key("beta_normal", Optional(r.BetaNormal));
    key("beta_lognormal", Optional(r.BetaLognormal));
    std::string vars = "[";
    for (std::size_t i = 0; i < s.Variables.size(); ++i) {
        const TRandomVariable& v = s.Variables[i];
        vars += std::string(i ? ",\n    " : "\n    ") + "{\"name\": " + Quoted(VariableName(v)) +
                ", \"distribution\": " + Quoted(DistributionText(v)) +
                ", \"sample_mean\": " + Number(i < r.VariableMean.size() ? r.VariableMean[i] : NAN) +
                ", \"sample_sd\": " + Number(i < r.VariableSd.size() ? r.VariableSd[i] : NAN) +
                ", \"outside_share\": " + Number(i < r.VariableOutside.size() ? r.VariableOutside[i] : NAN) +
                "}";
    }
    key("variables", vars + (s.Variables.empty() ? "]" : "\n  ]"));
    std::string corr = "[";
    for (std::size_t i = 0; i < s.Correlations.size(); ++i)
        corr += std::string(i ? ", " : "") + "{\"soil\": " + std::to_string(s.Correlations[i].Soil) +
                ", \"r\": " + Number(s.Correlations[i].R) + "}";
    key("correlations", corr + "]");
    std::string counts = "[";
    for (std::size_t i = 0; i < r.Histogram.size(); ++i)
        counts += (i ? ", " : "") + std::to_string(r.Histogram[i]);
    key("histogram", "{\"low\": " + Number(r.HistogramLow) + ", \"width\": " + Number(r.HistogramWidth) +
                         ", \"counts\": " + counts + "]}");
    std::string cdf = "[";
    for (std::size_t i = 0; i < r.Cdf.size(); ++i)
        cdf += (i ? ", [" : "[") + Number(r.Cdf[i].first) + ", " + Number(r.Cdf[i].second) + "]";
    key("cdf", cdf + "]");
    j += "  \"elapsed_s\": " + Number(elapsed) + "\n}\n";
    return j;
}

std::string TProbabilisticStudy::Csv(const TSampleTable& all) const {
    std::string out = "sample";
    for (const std::string& name : VariableNames(Setup()))
        out += "," + name;
    out += ",fs\n";
    for (long long i = 0; i < all.Count(); ++i) {
        out += std::to_string(all.First + i + 1);
        for (int v = 0; v < all.Variables; ++v)
            out += "," + Number(all.Values[static_cast<std::size_t>(i * all.Variables + v)]);
        const double f = all.Factor[static_cast<std::size_t>(i)];
        out += "," + (std::isfinite(f) ? Number(f) : std::string()) + "\n";
    }
    return out;
}

} // namespace quolm
