#include "bench/bench_fast_paths.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/letter_sets.h"
#include "engine/words/matcher.h"

namespace wordloom::bench {
namespace {

using engine::MatchPath;

// Processor seconds per letter set along `path`, best of three rounds.
double perSet(const engine::Dictionary& dictionary, const LetterSets& sets, MatchPath path,
              const engine::LengthMask& lengths) {
    std::vector<std::uint32_t> found;
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        const double start = threadSeconds();
        for (const std::u16string& set : sets) {
            found.clear();
            engine::UnscrambleVia(path, dictionary.words(), dictionary.matchIndex(), set, lengths,
                                  found);
        }
        best = std::min(best, threadSeconds() - start);
    }
    return best / static_cast<double>(sets.size());
}

struct Comparison {
    const char* name;
    const LetterSets& sets;
    engine::LengthMask lengths;
    MatchPath on;
    MatchPath off;
    MatchPath needed;  // the path whose instructions the comparison needs (Automatic: none)
};

// Seconds per set on and off: the on path's time and the gain, or nothing when not available.
void compare(const engine::Dictionary& dictionary, const Comparison& item) {
    if (!engine::MatchPathRuns(item.needed)) {
        std::printf("  %-50s not available on this processor\n", item.name);
        return;
    }
    // Alternated, so that a change of the machine's load touches both alike.
    double on = 1e30;
    double off = 1e30;
    for (int round = 0; round < 2; ++round) {
        on = std::min(on, perSet(dictionary, item.sets, item.on, item.lengths));
        off = std::min(off, perSet(dictionary, item.sets, item.off, item.lengths));
    }
    std::printf("  %-50s on %8.2f us  off %8.2f us  gain %5.2fx\n", item.name, on * 1e6, off * 1e6,
                off / on);
}

}  // namespace

void timeFastPaths(const engine::Dictionary& dictionary, std::size_t sets) {
    const LetterSets blankFree = randomLetterSets(sets, 8, 0, 20210831);
    const LetterSets twoBlanks = withBlanks(blankFree, 2, 7);
    const LetterSets longFree = randomLetterSets(sets / 10, 15, 0, 1509);
    const LetterSets longBlanks = randomLetterSets(sets / 10, 15, 2, 1508);
    const engine::LengthMask longLengths = engine::LengthMask::range(9, 27);
    const Comparison comparisons[] = {
        {"letter tree vs best scan, 8 letters", blankFree, kAllLengths, MatchPath::LetterTree,
         MatchPath::Avx2Scan, MatchPath::Automatic},
        {"(best scan vs letter tree, 8 letters, 2 blanks)", twoBlanks, kAllLengths,
         MatchPath::Avx2Scan, MatchPath::LetterTree, MatchPath::Automatic},
        {"AVX2 scan vs portable scan, 8 letters, 2 blanks", twoBlanks, kAllLengths,
         MatchPath::Avx2Scan, MatchPath::PortableScan, MatchPath::Avx2Scan},
        {"AVX2 pre-filter on vs off, 8 letters, 2 blanks", twoBlanks, kAllLengths,
         MatchPath::Avx2Scan, MatchPath::Avx2ScanUnfiltered, MatchPath::Avx2Scan},
        {"AVX2 pre-filter on vs off, 8 letters", blankFree, kAllLengths, MatchPath::Avx2Scan,
         MatchPath::Avx2ScanUnfiltered, MatchPath::Avx2Scan},
        {"long words AVX2 vs portable, 15 letters, 9-27", longFree, longLengths,
         MatchPath::Avx2Scan, MatchPath::PortableScan, MatchPath::Avx2Scan},
        {"long words AVX2 vs portable, 15 letters, 2 blanks", longBlanks, longLengths,
         MatchPath::Avx2Scan, MatchPath::PortableScan, MatchPath::Avx2Scan},
    };
    std::printf(
        "fast paths on and off, processor time per letter set, best of 6 (%zu sets of "
        "8 letters, %zu of 15):\n",
        sets, sets / 10);
    for (const Comparison& item : comparisons) {
        compare(dictionary, item);
    }
    if (engine::MatchPathRuns(MatchPath::Avx2Scan)) {
        const LetterSets sample = head(twoBlanks, 300);
        const double reference =
            timeReference(dictionary, sample, kAllLengths) / static_cast<double>(sample.size());
        const double avx2 = perSet(dictionary, twoBlanks, MatchPath::Avx2Scan, kAllLengths);
        std::printf(
            "  AVX2 scan, 8 letters, 2 blanks: %.1f us, %.0fx the literal %.0f us "
            "(target >= 80x)\n",
            avx2 * 1e6, reference / avx2, reference * 1e6);
    }
}

}  // namespace wordloom::bench
