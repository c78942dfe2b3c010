#include "engine/probabilistic/Distributions.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace quolm::prob {

namespace {
constexpr double Sqrt2 = 1.41421356237309504880;
constexpr double Sqrt2Pi = 2.50662827463100050242;

// Lognormal: the parameters of the logarithm from the variable's own mean and deviation.
void LogParameters(const TRandomVariable& v, double& mu, double& sigma) {
    const double cov = v.P2 / v.P1;
    const double s2 = std::log1p(cov * cov);
    sigma = std::sqrt(s2);
    mu = std::log(v.P1) - 0.5 * s2;
}
} // namespace

double NormalCdf(double z) {
    return 0.5 * std::erfc(-z / Sqrt2);
}

double NormalQuantile(double p) {
    if (!(p > 0))
        return -HUGE_VAL;
    if (!(p < 1))
        return HUGE_VAL;
    // Acklam's rational approximation (relative error 1.2e-9), then one Halley step on erfc, which
    // brings it to full double precision.
    static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,  -2.759285104469687e+02,
                                   1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
    static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                                   6.680131188771972e+01, -1.328068155288572e+01};
    static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                                   -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
    static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                                   3.754408661907416e+00};
    constexpr double low = 0.02425;
    double x;
    if (p < low) {
        const double q = std::sqrt(-2 * std::log(p));
        x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    } else if (p <= 1 - low) {
        const double q = p - 0.5, r = q * q;
        x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
            (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
    } else {
        const double q = std::sqrt(-2 * std::log1p(-p));
        x = -(((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    }
    // Phi(x) - p; in the upper tail through the complements, where the digits are.
    const double e = x > 0 ? (1 - p) - 0.5 * std::erfc(x / Sqrt2) : 0.5 * std::erfc(-x / Sqrt2) - p;
    const double u = e * Sqrt2Pi * std::exp(0.5 * x * x);
    return x - u / (1 + 0.5 * x * u);
}

double Quantile(const TRandomVariable& v, double u) {
    switch (v.Kind) {
    case TDistributionKind::Normal:
        return v.P1 + v.P2 * NormalQuantile(u);
    case TDistributionKind::Lognormal: {
        double mu, sigma;
        LogParameters(v, mu, sigma);
        return std::exp(mu + sigma * NormalQuantile(u));
    }
    case TDistributionKind::Uniform:
        return v.P1 + (v.P2 - v.P1) * u;
    case TDistributionKind::Triangular: {
        const double a = v.P1, m = v.P2, b = v.P3;
        const double fm = (m - a) / (b - a);
        return u < fm ? a + std::sqrt(u * (b - a) * (m - a)) : b - std::sqrt((1 - u) * (b - a) * (b - m));
    }
    }
    return 0;
}

double Cdf(const TRandomVariable& v, double x) {
    switch (v.Kind) {
    case TDistributionKind::Normal:
        return NormalCdf((x - v.P1) / v.P2);
    case TDistributionKind::Lognormal: {
        if (x <= 0)
            return 0;
        double mu, sigma;
        LogParameters(v, mu, sigma);
        return NormalCdf((std::log(x) - mu) / sigma);
    }
    case TDistributionKind::Uniform:
        return std::clamp((x - v.P1) / (v.P2 - v.P1), 0.0, 1.0);
    case TDistributionKind::Triangular: {
        const double a = v.P1, m = v.P2, b = v.P3;
        if (x <= a)
            return 0;
        if (x >= b)
            return 1;
        return x <= m ? (x - a) * (x - a) / ((b - a) * (m - a)) : 1 - (b - x) * (b - x) / ((b - a) * (b - m));
    }
    }
    return 0;
}

double DistributionMean(const TRandomVariable& v) {
    switch (v.Kind) {
    case TDistributionKind::Normal:
    case TDistributionKind::Lognormal:
        return v.P1;
    case TDistributionKind::Uniform:
        return 0.5 * (v.P1 + v.P2);
    case TDistributionKind::Triangular:
        return (v.P1 + v.P2 + v.P3) / 3;
    }
    return 0;
}

double DistributionSd(const TRandomVariable& v) {
    switch (v.Kind) {
    case TDistributionKind::Normal:
    case TDistributionKind::Lognormal:
        return v.P2;
    case TDistributionKind::Uniform:
        return (v.P2 - v.P1) / std::sqrt(12.0);
    case TDistributionKind::Triangular: {
        const double a = v.P1, m = v.P2, b = v.P3;
        return std::sqrt((a * a + b * b + m * m - a * b - a * m - b * m) / 18);
    }
    }
    return 0;
}

bool PossibleRange(TRandomTarget target, double& lo, double& hi) {
    constexpr double most = std::numeric_limits<double>::max();
    switch (target) {
    case TRandomTarget::MoistWeight:
    case TRandomTarget::SaturatedWeight:
        lo = std::numeric_limits<double>::denorm_min();
        hi = most;
        return true;
    case TRandomTarget::Cohesion:
        lo = 0;
        hi = most;
        return true;
    case TRandomTarget::FrictionAngle:
        lo = 0;
        hi = std::nextafter(90.0, 0.0);
        return true;
    case TRandomTarget::Kh:
    case TRandomTarget::Kv:
        lo = std::nextafter(-1.0, 0.0);
        hi = std::nextafter(1.0, 0.0);
        return true;
    case TRandomTarget::WaterShift:
        break;
    }
    lo = -most;
    hi = most;
    return false;
}

std::string PossibleText(TRandomTarget target) {
    switch (target) {
    case TRandomTarget::MoistWeight:
    case TRandomTarget::SaturatedWeight:
        return "a unit weight above 0";
    case TRandomTarget::Cohesion:
        return "a cohesion of 0 or more";
    case TRandomTarget::FrictionAngle:
        return "a friction angle of 0 or more and below 90 degrees";
    case TRandomTarget::Kh:
    case TRandomTarget::Kv:
        return "a seismic coefficient between -1 and 1";
    case TRandomTarget::WaterShift:
        break;
    }
    return "any value";
}

TRandomVariable Drawn(const TRandomVariable& v) {
    double lo, hi;
    if (!PossibleRange(v.Target, lo, hi))
        return v;
    TRandomVariable d = v;
    d.Min = v.Truncated ? std::max(v.Min, lo) : lo;
    d.Max = v.Truncated ? std::min(v.Max, hi) : hi;
    d.Truncated = true;
    return d;
}

double ImpossibleShare(const TRandomVariable& v) {
    const TRandomVariable d = Drawn(v);
    if (!d.Truncated)
        return 0;
    const auto mass = [&v](const TRandomVariable& r) {
        return r.Truncated ? Cdf(v, r.Max) - Cdf(v, r.Min) : 1.0;
    };
    if (!(d.Min <= d.Max))
        return 1;
    const double all = mass(v), possible = mass(d);
    // A truncation that holds nothing of the distribution is drawn at its values (see the sampling):
    // they are possible where the range is.
    if (!(all > 0))
        return 0;
    return std::clamp(1 - possible / all, 0.0, 1.0);
}

} // namespace quolm::prob
