#pragma once
// The elevation of a polyline (x ascending: the ground) at points taken in ascending x, as the
// checks and the clipping of every trial surface take it at each of its points: the segment is found
// by walking on from the last one and its differences are kept, so that a point costs one
// multiplication and one division, no search and no reloading of the segment's ends.
#include "engine/Point.h"
#include <cstddef>
#include <limits>
#include <vector>

namespace quolm {

class TAscendingY {
  public:
    // `p` outlives the walker.
    explicit TAscendingY(const std::vector<TPoint>& p)
        : P(p.empty() ? nullptr : p.data()), Last(p.empty() ? 0 : p.size() - 1) {}

    // y at x, x no less than at the call before: a.Y + (b.Y - a.Y) (x - a.X) / (b.X - a.X) on the
    // segment with a.X <= x < b.X; beyond the ends the end elevations continue. 0 without points.
    double At(double x) {
        if (!P)
            return 0;
        if (x <= P[0].X)
            return P[0].Y;
        if (x >= P[Last].X)
            return P[Last].Y;
        if (!(x < BX)) {
            while (P[Next].X <= x)
                ++Next;
            const TPoint& a = P[Next - 1];
            const TPoint& b = P[Next];
            AX = a.X;
            AY = a.Y;
            BX = b.X;
            DY = b.Y - a.Y;
            W = b.X - a.X;
        }
        return AY + DY * (x - AX) / W;
    }

  private:
    const TPoint* P;
    std::size_t Last;
    std::size_t Next = 1; // the right end of the segment kept
    double AX = 0, AY = 0, DY = 0, W = 1;
    double BX = -std::numeric_limits<double>::infinity(); // none kept yet
};

} // namespace quolm
