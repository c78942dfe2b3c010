#pragma once
// Drawing the random variables of one sample. Every sample draws from a random stream of its own,
// fixed by the seed and the sample's index, so a sample's values are the same whichever thread or
// process draws it and however the samples are split. Latin hypercube strata come from one
// permutation per variable, fixed by the seed and the number of samples.
#include "text/ProbabilisticSetup.h"
#include <cstdint>
#include <vector>

namespace quolm::prob {

class TSamplePlan {
  public:
    // `variables` checked (CheckDistribution); correlations name soils whose c and phi both vary.
    TSamplePlan(const std::vector<TRandomVariable>& variables,
                const std::vector<TSoilCorrelation>& correlations, TSamplingKind sampling, std::uint64_t seed,
                long long samples);

    // The values of sample `index` (0-based), one per variable in the setup's order.
    void Draw(long long index, double* values) const;

    int VariableCount() const { return static_cast<int>(Variables.size()); }

  private:
    // Variables that are drawn together: one alone, or the c and phi of a soil with their
    // correlation coefficient (First is c).
    struct TGroup {
        int First = 0, Second = -1;
        double R = 0;
    };
    std::vector<TRandomVariable> Variables;
    std::vector<TGroup> Groups;
    TSamplingKind Sampling;
    std::uint64_t Seed;
    long long Samples;
    std::vector<std::vector<std::uint32_t>> Strata; // Latin hypercube: per variable, sample -> stratum
};

} // namespace quolm::prob
