#pragma once
// The distributions of random variables by their quantile functions, so that Monte Carlo and Latin
// hypercube sampling both turn a uniform number into a value the same way.
#include "text/ProbabilisticSetup.h"
#include <string>

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

// The values the quantity of `target` can have in a problem, as the input's checks accept them:
// a unit weight above 0, a cohesion of 0 or more, a friction angle from 0 to below 90 degrees, a
// seismic coefficient between -1 and 1. As a closed range [lo, hi] of doubles (an open end is the
// nearest double inside it); false where there is no limit (the shift of a water surface).
bool PossibleRange(TRandomTarget target, double& lo, double& hi);
// "a cohesion of 0 or more", for messages.
std::string PossibleText(TRandomTarget target);

// `v` as it is drawn: its truncation, if any, narrowed to the values its quantity can have, so
// that a sample never holds a soil or a coefficient the problem could not have. Empty
// (Min > Max) where the two do not meet.
TRandomVariable Drawn(const TRandomVariable& v);
// The share of v's distribution (within its own truncation) that lies outside the values its
// quantity can have: drawn again. 1 where nothing of it is possible.
double ImpossibleShare(const TRandomVariable& v);

} // namespace quolm::prob
