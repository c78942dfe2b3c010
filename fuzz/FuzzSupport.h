#pragma once
// Shared pieces of the fuzz targets. Each target defines LLVMFuzzerTestOneInput; built with clang and
// -DBREVANTO_FUZZ=ON it links libFuzzer, in every other build it links Replay.cpp and runs as a normal
// test over the kept inputs in tests/data/fuzz/<target>/ (seeds and every input that ever failed).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A fault the fuzzer must see even in a build without assertions.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

inline std::string FuzzText(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Writes `text` to a file of this process's own and returns its path (the readers take paths).
std::string FuzzFile(const std::string& name, const std::string& text);
// The whole content of a file ("" when it cannot be read).
std::string FuzzReadFile(const std::string& path);
// A QGuiApplication on the offscreen platform, made once (drawing and table code need one).
void FuzzEnsureGuiApplication();
