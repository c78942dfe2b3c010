#include "engine/Search.h"

namespace quolm {

void RunSearch(const TSlopeModel&, const TSlopeSettings&, const TRunOptions&, TAnalysis& a) {
    a.Diagnostics.Error("E182",
                        "This engine analyses user-defined failure surfaces (SURFAC, SURBIS) only so far: "
                        "enter the surface to analyse.");
}

} // namespace quolm
