#pragma once
// A probabilistic analysis as the input file stores it: which quantities are random, how each is
// distributed, the c-phi correlations and the sampling settings. Plain data plus the short text form
// of a variable ("soil1.c=normal(10,2)[4,16]") that the command line and the desktop's table share.
#include <cstdint>
#include <string>
#include <vector>

// What a random variable replaces in the problem.
enum class TRandomTarget : std::uint8_t {
    MoistWeight = 1,     // soilK.gamma
    SaturatedWeight = 2, // soilK.gamma_sat
    Cohesion = 3,        // soilK.c
    FrictionAngle = 4,   // soilK.phi (degrees)
    WaterShift = 5,      // waterK.dy: vertical shift of piezometric surface K
    Kh = 6,              // horizontal seismic coefficient
    Kv = 7,              // vertical seismic coefficient
};

enum class TDistributionKind : std::uint8_t { Normal = 1, Lognormal = 2, Uniform = 3, Triangular = 4 };

struct TRandomVariable {
    TRandomTarget Target = TRandomTarget::Cohesion;
    int Index = 1; // 1-based soil or piezometric surface; 0 for kh and kv
    TDistributionKind Kind = TDistributionKind::Normal;
    // Normal and lognormal: mean and standard deviation of the variable itself. Uniform: a, b.
    // Triangular: a, mode, b.
    double P1 = 0, P2 = 0, P3 = 0;
    bool Truncated = false;
    double Min = 0, Max = 0; // the truncation range; values outside are drawn again
    bool operator==(const TRandomVariable& o) const;
    bool operator!=(const TRandomVariable& o) const { return !(*this == o); }
};

struct TSoilCorrelation {
    int Soil = 1; // 1-based
    double R = 0; // correlation coefficient of c and phi, -1 < R < 1
};

enum class TSamplingKind : std::uint8_t { MonteCarlo = 1, LatinHypercube = 2 };
enum class TProbabilisticMode : std::uint8_t { Critical = 1, Search = 2 };

struct TProbabilisticSetup {
    // Set up by the user: only then does the file carry the section.
    bool Present = false;
    int Samples = 1000;
    std::uint64_t Seed = 20150404;
    TSamplingKind Sampling = TSamplingKind::MonteCarlo;
    TProbabilisticMode Mode = TProbabilisticMode::Critical;
    std::vector<TRandomVariable> Variables;
    std::vector<TSoilCorrelation> Correlations;
    bool operator==(const TProbabilisticSetup& o) const;
    bool operator!=(const TProbabilisticSetup& o) const { return !(*this == o); }
};

// "soil1.c", "water2.dy", "kh".
std::string VariableName(const TRandomVariable& v);
// "normal(10,2)", with "[4,16]" appended when truncated.
std::string DistributionText(const TRandomVariable& v);
// Parses "soilK.gamma|gamma_sat|c|phi", "waterK.dy", "kh" or "kv" into target and index.
bool ParseVariableName(const std::string& text, TRandomTarget& target, int& index);
// Parses "normal(m,s)", "lognormal(m,s)", "uniform(a,b)" or "triangular(a,mode,b)", optionally
// followed by "[min,max]", into the distribution fields of `v`. False with `error` saying why, also
// for parameters that give no distribution (sd <= 0, a >= b, mode outside, lognormal mean <= 0,
// min >= max).
bool ParseDistribution(const std::string& text, TRandomVariable& v, std::string& error);
// "NAME=DIST" as the command line's --vary takes it.
bool ParseVariableSpec(const std::string& text, TRandomVariable& v, std::string& error);
// Checks the parameters of an already filled variable (as ParseDistribution does).
bool CheckDistribution(const TRandomVariable& v, std::string& error);
