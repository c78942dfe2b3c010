// The exported C entry point of the engine library. It only forwards to the C++ API, and keeps every
// promise a library loaded into somebody else's process must keep: no exception crosses this
// boundary, nothing is written to standard output, and the process's locale, current directory and
// signal handlers stay as they were.
#include "engine/Contract.h"
#include "engine/Export.h"
#include <atomic>
#include <cstdint>

// The program asks for this exact name; the argument is the number of file names it passes (4).
extern "C" QUOLM_EXPORT std::int32_t _IQUOLM(std::int32_t) noexcept;
// Optional for the program: called from another thread while _IQUOLM runs, it stops that run at its
// next surface; the run then writes no files and _IQUOLM returns 0.
extern "C" QUOLM_EXPORT void _IQUOLM_CANCEL() noexcept;

namespace {
// The C interface has no handle to carry a run's state, so the request lives with the library: one
// run at a time, as the program calls it.
std::atomic<bool> CancelRequested{false};
} // namespace

extern "C" void _IQUOLM_CANCEL() noexcept {
    CancelRequested = true;
}

extern "C" std::int32_t _IQUOLM(std::int32_t) noexcept {
    CancelRequested = false;
    try {
        return quolm::RunFromNamesFile("names.dat", &CancelRequested);
    } catch (...) {
        // RunFromNamesFile already reports its own failures in the output file; nothing is left to
        // do here but to keep the exception on our side.
        return 0;
    }
}
