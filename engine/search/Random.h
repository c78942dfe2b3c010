#pragma once
// The random streams of the searches. Every trial surface draws from a stream of its own, fixed by
// the seed and the surface's place in the search (initiation point and number there): so a surface
// is the same whichever thread draws it, whether it is drawn again later, and however many surfaces
// follow it.
#include <cstdint>

namespace quolm::search {

// The finaliser of splitmix64: a bijective mixing of 64 bits.
constexpr std::uint64_t Mix64(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class TRandom {
  public:
    TRandom(std::uint64_t seed, std::uint64_t a, std::uint64_t b)
        : State(Mix64(Mix64(Mix64(seed + Golden) ^ (a + Golden)) ^ (b + 2 * Golden))) {}

    std::uint64_t Next() {
        State += Golden;
        return Mix64(State);
    }
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Uniform in [lo, hi).
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

  private:
    static constexpr std::uint64_t Golden = 0x9E3779B97F4A7C15ull;
    std::uint64_t State;
};

} // namespace quolm::search
