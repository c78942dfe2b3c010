// The analysis engine on any input text: read as an input file, searched with the number of surfaces
// capped small, and written to all three outputs. Properties: every factor of safety is a finite
// number not below 0, or null; the plot file of an analysed problem reads back with the program's
// own reader without a message; no input takes more than about two seconds.
#include "FuzzSupport.h"
#include "engine/Engine.h"
#include "graphics/PlotFile.h"
#include "text/Errors.h"
#include "text/SlopeFile.h"
#include "text/WordRead.h"
#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>
#include <optional>
#include <regex>

namespace {
// The time one input may take: about two seconds of processor time, ten times that in a build under
// a sanitizer (and without optimisation), which is that much slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double SecondsAllowed = 20;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr double SecondsAllowed = 20;
#else
constexpr double SecondsAllowed = 2;
#endif
#else
constexpr double SecondsAllowed = 2;
#endif

void CheckFactor(const std::optional<double>& f) {
    FUZZ_CHECK(!f || (std::isfinite(*f) && *f >= 0));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 16384)
        return 0;
    TSlopeDescription d;
    try {
        TWordReader reader = TWordReader::FromText(FuzzText(data, size));
        ReadSlopeFile(reader, true, d);
    } catch (const EBrevantoError&) {
        // The engine analyses what was read and reports the rest; so does this target.
    }
    // A few surfaces are enough to reach every path of the mechanics.
    TSlopeSettings& s = d.Settings;
    s.InitiationPoints = std::clamp(s.InitiationPoints, 0, 3);
    s.SurfacesPerPoint = std::clamp(s.SurfacesPerPoint, 0, s.SearchKind == 5 ? 12 : 4);
    quolm::TRunOptions options;
    options.Threads = 1;
    const std::clock_t started = std::clock(); // processor time: a busy machine does not count
    const quolm::TAnalysis a = quolm::Analyze(d, options);
    const std::string report = quolm::ReportText(a, "fuzz.qvxd");
    const std::string plot = quolm::PlotText(a);
    const std::string results = quolm::ResultsJson(a);
    FUZZ_CHECK(static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC < SecondsAllowed);

    for (const quolm::TSurfaceResult& t : a.Ten)
        CheckFactor(t.FS);
    for (const quolm::TSurfaceResult& t : a.Trials)
        CheckFactor(t.FS);
    if (a.Critical) {
        const quolm::TCriticalResult& c = *a.Critical;
        for (const auto& f : {c.Surface.FS, c.Ordinary, c.Bishop, c.JanbuSimplified, c.JanbuCorrected,
                              c.Spencer, c.MorgensternPrice})
            CheckFactor(f);
        FUZZ_CHECK(!c.JanbuFactor || *c.JanbuFactor >= 1);
    }
    // No non-number where a number stands (the key "reinforcement" holds the letters "inf").
    static const std::regex nonNumber("[:\\[,] *-?(nan|inf)");
    FUZZ_CHECK(!std::regex_search(results, nonNumber));

    // Without a critical surface the plot file says it holds no data, and the reader says so.
    FUZZ_CHECK(a.Critical || plot == "END\r\n");
    if (!a.Critical)
        return 0;
    std::string messages;
    const TMessageHandler sink = [&messages](TMessageKind, const std::string& m) { messages += m + "\n"; };
    TBoundaryLines boundary;
    for (const TSlopeBoundary& b : d.Boundaries)
        boundary.push_back({static_cast<double>(b.LeftX), static_cast<double>(b.LeftY),
                            static_cast<double>(b.RightX), static_cast<double>(b.RightY), b.Soil});
    auto store = std::make_unique<TPlotStore>();
    ReadPlotText(plot.data(), plot.size(), boundary, *store, sink);
    if (!messages.empty())
        std::fprintf(stderr, "%s", messages.c_str());
    FUZZ_CHECK(messages.empty());
    return 0;
}
