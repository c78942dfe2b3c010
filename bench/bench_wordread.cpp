// Reading and writing numbers in bulk: TWordReader on a ~20 MB file of numbers, and the number
// forms writing the same values. Compare the words/s with `wc -w` on the same file: set
// BREVANTO_BENCH_KEEP=1 to keep the file (its path is printed) and time `wc -w` on it.
#include "text/NumberForms.h"
#include "text/WordRead.h"
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {
constexpr std::size_t TargetBytes = 20u << 20;

// Values of the kind an input file holds: coordinates, unit weights, angles, small and large.
std::vector<Extended> SampleValues(std::size_t count) {
    std::mt19937_64 rng(2015);
    std::uniform_real_distribution<double> coordinate(-500.0, 2500.0);
    std::uniform_int_distribution<int> kind(0, 3);
    std::vector<Extended> values;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = coordinate(rng);
        switch (kind(rng)) {
        case 0:
            values.push_back(std::round(x));
            break;
        case 1:
            values.push_back(std::round(x * 100) / 100);
            break;
        case 2:
            values.push_back(x * 1e-7);
            break;
        default:
            values.push_back(x);
        }
    }
    return values;
}

class TNumberFile {
  public:
    TNumberFile() {
        Path = (std::filesystem::temp_directory_path() / "brevanto_bench_wordread.txt").string();
        std::ofstream out(Path, std::ios::binary);
        std::size_t bytes = 0;
        std::size_t onLine = 0;
        for (const Extended v : SampleValues(4'000'000)) {
            const std::string text = FormatP(v);
            out << text;
            bytes += text.size() + 1;
            ++Words;
            if (++onLine == 7) {
                out << "\r\n";
                ++bytes;
                onLine = 0;
            } else {
                out << ' ';
            }
            if (bytes >= TargetBytes)
                break;
        }
        Bytes = bytes;
        std::printf("number file: %s, %zu bytes, %zu words\n", Path.c_str(), Bytes, Words);
    }
    ~TNumberFile() {
        if (!std::getenv("BREVANTO_BENCH_KEEP"))
            std::filesystem::remove(Path);
    }
    std::string Path;
    std::size_t Bytes = 0;
    std::size_t Words = 0;
};

const TNumberFile& NumberFile() {
    static const TNumberFile file;
    return file;
}

void BM_ReadFloats(benchmark::State& state) {
    const TNumberFile& file = NumberFile();
    for (auto _ : state) {
        TWordReader reader(file.Path);
        Extended sum = 0;
        while (reader.WordsLeft() > 0)
            sum += reader.ReadFloat();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * file.Words));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.Bytes));
}
BENCHMARK(BM_ReadFloats)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadFileOnly(benchmark::State& state) {
    const TNumberFile& file = NumberFile();
    for (auto _ : state) {
        TWordReader reader(file.Path);
        benchmark::DoNotOptimize(reader.WordsLeft());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * file.Words));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.Bytes));
}
BENCHMARK(BM_ReadFileOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Writing: the values of the file formatted as an input file writes them, into one text.
template <std::string (*Format)(Extended)> void BM_Write(benchmark::State& state) {
    const std::vector<Extended> values = SampleValues(NumberFile().Words);
    for (auto _ : state) {
        std::string text;
        text.reserve(NumberFile().Bytes + 1024);
        for (const Extended v : values) {
            text += Format(v);
            text += ' ';
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
}
std::string G(Extended v) {
    return FormatG(v);
}
std::string P(Extended v) {
    return FormatP(v);
}
std::string F2(Extended v) {
    return FormatF2(v);
}
BENCHMARK_TEMPLATE(BM_Write, G)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_Write, P)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_Write, F2)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

BENCHMARK_MAIN();
