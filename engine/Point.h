#pragma once
// A point of the cross-section, x to the right and y up: the one point type of the engine and its
// searches.

namespace quolm {

struct TPoint {
    double X = 0;
    double Y = 0;
};

} // namespace quolm
