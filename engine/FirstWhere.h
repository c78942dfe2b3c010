#pragma once
// A search over the slices for the first that fails a check, for the methods' sources only: its loop
// carries an "omp simd" mark, which only the engine's own compilation understands.
#include <cstddef>

namespace quolm::methods {

// The first i in [from, to) where `bad(i)`, or -1. Almost always there is none: one vector loop tells
// whether there is any before the loop that finds the first.
template <class Bad> int FirstWhere(std::size_t from, std::size_t to, Bad bad) {
    double any = 0; // counted in a double: an int beside the doubles keeps the loop scalar
#pragma omp simd reduction(+ : any)
    for (std::size_t i = from; i < to; ++i)
        any += bad(i) ? 1.0 : 0.0;
    if (any == 0)
        return -1;
    for (std::size_t i = from; i < to; ++i)
        if (bad(i))
            return static_cast<int>(i);
    return -1;
}

} // namespace quolm::methods
