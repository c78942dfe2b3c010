#pragma once
// The distributions of random variables by their quantile functions, so that Monte Carlo and Latin
// hypercube sampling both turn a uniform number into a value the same way.
#include "text/ProbabilisticSetup.h"

namespace quolm::prob {

// Standard normal distribution function and its inverse (0 < p < 1; full double precision).
double NormalCdf(double z);
double NormalQuantile(double p);

// The value of `v`'s distribution (untruncated) at probability u in (0, 1), and its distribution
// function at x.
double Quantile(const TRandomVariable& v, double u);
double Cdf(const TRandomVariable& v, double x);

// Mean and standard deviation of the untruncated distribution.
double DistributionMean(const TRandomVariable& v);
double DistributionSd(const TRandomVariable& v);

} // namespace quolm::prob
