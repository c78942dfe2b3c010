#include "engine/Engine.h"
#include <fstream>

namespace quolm {

void RunFiles(const TRunFiles& files, const TRunOptions&) {
    try {
        std::ofstream out(files.Output, std::ios::binary);
        out << "E900 The analysis is not available in this build.\r\n";
        std::ofstream plot(files.Plot, std::ios::binary);
        plot << "END\r\n";
    } catch (...) {
    }
}

} // namespace quolm
