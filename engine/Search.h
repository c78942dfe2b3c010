#pragma once
// The failure-surface searches: circular (Janbu, Bishop, Spencer), irregular and block.
#include "engine/Analysis.h"
#include <cstdint>
#include <optional>
#include <vector>

namespace quolm {

// Generates and analyses the surfaces of the search that the description chooses (a valid one),
// refines the best of them, and fills the counts, the trial surfaces, the generated and refined
// best, the ten most critical, the critical surface and the warnings of `a`.
void RunSearch(const TSlopeModel& model, const TSlopeDescription& d, const TRunOptions& options,
               TAnalysis& a);

// The slices of a search's generated surfaces, kept between searches (same controls, same seed) of
// models that differ only in the soils' cohesion and friction angle (the samples of a probabilistic
// analysis): a surface's clipping and its slices' geometry, weights, pore pressures and forces do not
// depend on them, so each surface is cut once and only its slices' strengths are set again. A surface
// that is not the one kept under its number (its geometry changed) is cut again. For one thread;
// holds at most `maxSlices` slices (about 250 bytes each); surfaces beyond are cut every time.
class TSliceCache {
  public:
    struct TEntry {
        std::uint64_t Key = 0;       // of the trial surface as the search drew it
        std::size_t Points = 0;      // its number of points; 0: nothing kept
        std::vector<TPoint> Clipped; // as ClipToGround gives it
        const char* Why = nullptr;   // why the surface has no slices
        std::vector<TSlice> Slices;
    };
    explicit TSliceCache(std::size_t maxSlices = std::size_t{1} << 17) : MaxSlices(maxSlices) {}
    // The entry of generated surface `index` if it holds exactly this surface, or null.
    TEntry* Find(long long index, const std::vector<TPoint>& surface);
    // Keeps the slices of generated surface `index` while there is room.
    void Add(long long index, const std::vector<TPoint>& surface, const std::vector<TPoint>& clipped,
             const char* why, const std::vector<TSlice>& slices);
    long long Hits = 0, Misses = 0;

  private:
    static std::uint64_t Key(const std::vector<TPoint>& surface);
    std::vector<TEntry> Entries;
    std::size_t Slices = 0, MaxSlices;
};

// The search's most critical surface clipped to the ground and analysed with every method, as a user's
// surface is: the critical surface that the analysis reports.
TCriticalResult AnalyseCritical(const TSlopeModel& model, const TSurfaceResult& best, TMethod method,
                                double thetaDeg, const TSliceOptions& slicing);

// The critical surface of the search that a valid description chooses, for searches repeated many
// times (the samples of a probabilistic analysis): the search alone, without the report RunSearch
// fills; nothing when it found no surface. With a cache, the search runs on one thread, and every
// model searched with the same cache must differ from the first only in soil strengths.
std::optional<TSurfaceResult> CriticalSurface(const TSlopeModel& model, const TSlopeDescription& d,
                                              const TRunOptions& options, TSliceCache* cache = nullptr);

} // namespace quolm
