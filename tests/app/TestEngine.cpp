// A stand-in for the analysis engine that honours its contract, so every branch of a run can be driven
// through a real library load. What it does is chosen per test through environment variables:
//   BREVANTO_TEST_ENGINE_RESULT    the value to return (default 0)
//   BREVANTO_TEST_ENGINE_PLOT      a plot file to copy to the plot file named in names.dat
//   BREVANTO_TEST_ENGINE_SLEEP_MS  how long the "analysis" takes
//   BREVANTO_TEST_ENGINE_RESULTS   a results file to copy to the results file named in names.dat
// It writes the output file named in names.dat with what it saw: its call count since it was loaded,
// the argument, the current directory, a number as the C library formats it with the name of the
// numeric locale of its thread, and the names file.
// Built twice: with the entry point, and (TEST_ENGINE_NO_ENTRY) without it.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <langinfo.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#define TEST_ENGINE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
int Calls = 0;
// Set by the cancel export; the "analysis" (its sleep) stops at the next 10 ms step.
std::atomic<bool> CancelRequested{false};

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::int32_t Run(std::int32_t argument) {
    const std::vector<std::string> names = ReadLines("names.dat");
    if (names.size() < 8 || names[0] != "2015.4.4")
        return 1;
    ++Calls;
    CancelRequested = false;
    if (const char* ms = std::getenv("BREVANTO_TEST_ENGINE_SLEEP_MS")) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(ms));
        while (std::chrono::steady_clock::now() < end && !CancelRequested)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (CancelRequested) {
        // A cancelled engine may leave a partial output behind; the program must not keep it.
        std::ofstream(names[5], std::ios::binary) << "partial\r\n";
        return 0;
    }

    char cwd[4096] = {};
    if (!getcwd(cwd, sizeof cwd))
        cwd[0] = 0;
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", 1.5);
    std::ofstream out(names[5], std::ios::binary);
    out << "test engine\r\ncalls=" << Calls << "\r\nargument=" << argument << "\r\ncwd=" << cwd
        << "\r\nnumber=" << number << "\r\nnumeric-locale=" << nl_langinfo(_NL_LOCALE_NAME(LC_NUMERIC))
        << "\r\n";
    for (std::size_t i = 0; i < names.size(); ++i)
        out << "names" << i + 1 << '=' << names[i] << "\r\n";
    out.close();

    if (const char* plot = std::getenv("BREVANTO_TEST_ENGINE_PLOT")) {
        std::ifstream in(plot, std::ios::binary);
        std::ofstream copy(names[6], std::ios::binary);
        copy << in.rdbuf();
    }
    if (const char* results = std::getenv("BREVANTO_TEST_ENGINE_RESULTS")) {
        std::ifstream in(results, std::ios::binary);
        std::ofstream copy(names[7], std::ios::binary);
        copy << in.rdbuf();
    } else {
        std::ofstream(names[7], std::ios::binary) << "{}\n";
    }
    const char* result = std::getenv("BREVANTO_TEST_ENGINE_RESULT");
    return result ? std::atoi(result) : 0;
}
} // namespace

#ifndef TEST_ENGINE_NO_ENTRY
TEST_ENGINE_EXPORT std::int32_t _IQUOLM(std::int32_t argument) {
    return Run(argument);
}
TEST_ENGINE_EXPORT void _IQUOLM_CANCEL() {
    CancelRequested = true;
}
#else
TEST_ENGINE_EXPORT std::int32_t OtherEntry(std::int32_t argument) {
    return Run(argument);
}
#endif
