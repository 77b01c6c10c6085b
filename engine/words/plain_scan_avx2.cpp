// The AVX2 scan of the plain words' tile codes (x86-64 only; run when the processor has AVX2).
#include <immintrin.h>

#include <array>
#include <vector>

#include "engine/words/plain_scan.h"

namespace wordloom::engine::word_search {
namespace {

// For each byte value, the positions of its set bits (then zeros) and their number: the hits of
// eight words are stored in one go, without a branch per hit.
struct HitLanes {
    std::array<std::array<std::uint8_t, 8>, 256> lanes{};
    std::array<std::uint8_t, 256> counts{};
};

constexpr HitLanes makeHitLanes() {
    HitLanes table;
    for (unsigned bits = 0; bits < 256; ++bits) {
        std::uint8_t count = 0;
        for (std::uint8_t lane = 0; lane < 8; ++lane) {
            if (((bits >> lane) & 1u) != 0) {
                table.lanes[bits][count++] = lane;
            }
        }
        table.counts[bits] = count;
    }
    return table;
}

constexpr HitLanes kHitLanes = makeHitLanes();

// Four tile codes: bit k of the result is set when word k needs no more than the blanks.
//
// A tile lacks a letter when the copies of it seen before in the word (the code's high three
// bits) are at least the set's copies. With `bound` = copies << 5 per letter (0xFF for letters
// with eight copies or more, which no tile lacks, and for the unused tile's letter 31), that is
// code >= bound: the code's low five bits (the letter) never reach the next step of 32. The bound
// is looked up by the code's letter in two 16-entry tables: an index with its top bit set reads
// zero, so adding 0x70 to the letter picks the low table for letters 0-15, and flipping that top
// bit picks the high table for letters 16-31.
__attribute__((target("avx2"))) inline unsigned fitsAvx2(__m256i code, __m256i lowBounds,
                                                         __m256i highBounds, __m256i limit) {
    const __m256i letter = _mm256_and_si256(code, _mm256_set1_epi8(0x1F));
    const __m256i lowIndex = _mm256_add_epi8(letter, _mm256_set1_epi8(0x70));
    const __m256i highIndex = _mm256_xor_si256(lowIndex, _mm256_set1_epi8(static_cast<char>(0x80)));
    const __m256i bound = _mm256_or_si256(_mm256_shuffle_epi8(lowBounds, lowIndex),
                                          _mm256_shuffle_epi8(highBounds, highIndex));
    const __m256i lacking = _mm256_cmpeq_epi8(_mm256_max_epu8(code, bound), code);
    // Each lacking tile adds 255 to its word's sum.
    const __m256i needed = _mm256_sad_epu8(lacking, _mm256_setzero_si256());
    const __m256i over = _mm256_cmpgt_epi64(needed, limit);
    return ~static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(over))) & 0xFu;
}

// The AVX2 scan in two passes, for letter sets of up to kPrefilterBlanks blanks. A word needs at
// least one blank for each letter it holds that the set lacks entirely, so the first pass keeps
// only the groups of eight words in which some word lacks no more letters than there are blanks
// (its letter masks: a few cheap operations, no table lookups), and the second tests the tile
// codes of those groups alone, about a third of them for an 8-letter set with 2 blanks.
constexpr int kPrefilterBlanks = 3;

template <int kBlanks>
__attribute__((target("avx2"))) std::size_t groupsWorthTesting(const MatchIndex& index,
                                                               const Tiles& tiles,
                                                               std::size_t count,
                                                               std::uint32_t* groups) {
    const std::uint32_t* masks = index.letterMasks().data();
    const __m256i absent = _mm256_set1_epi32(static_cast<int>(~tiles.mask));
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i zero = _mm256_setzero_si256();
    std::size_t kept = 0;
    for (std::size_t i = 0; i + 8 <= count; i += 8) {
        __m256i missing = _mm256_and_si256(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(masks + i)), absent);
        for (int blank = 0; blank < kBlanks; ++blank) {  // each blank covers one letter
            missing = _mm256_and_si256(missing, _mm256_sub_epi32(missing, one));
        }
        const int covered =
            _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(missing, zero)));
        groups[kept] = static_cast<std::uint32_t>(i);
        kept += covered != 0 ? 1 : 0;
    }
    return kept;
}

// The letter set as fitsAvx2 sees it.
struct Avx2Bounds {
    __m256i low;
    __m256i high;
    __m256i limit;
};

// Tests the eight words from `first` on and writes the indices of those that fit at `hits`,
// returning their number. All eight lanes are stored: `hits` has room for the spare ones, and
// the next store starts after the true hits.
__attribute__((target("avx2"))) inline std::size_t testGroupAvx2(const std::uint64_t* codes,
                                                                 std::size_t first,
                                                                 const Avx2Bounds& bounds,
                                                                 std::uint32_t* hits) {
    const unsigned fits =
        fitsAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + first)), bounds.low,
                 bounds.high, bounds.limit) |
        fitsAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + first + 4)),
                 bounds.low, bounds.high, bounds.limit)
            << 4;
    const __m256i lanes = _mm256_cvtepu8_epi32(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kHitLanes.lanes[fits].data())));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(hits),
                        _mm256_add_epi32(lanes, _mm256_set1_epi32(static_cast<int>(first))));
    return kHitLanes.counts[fits];
}

// The four lookup tables of fitsAvx2 for this letter set.
__attribute__((target("avx2"))) inline Avx2Bounds boundsOf(const Tiles& tiles) {
    alignas(16) std::array<std::uint8_t, 32> table{};
    table.fill(0xFF);
    for (std::size_t letter = 0; letter < tiles.counts.size(); ++letter) {
        const std::uint8_t copies = tiles.counts[letter];
        table[letter] = copies < 8 ? static_cast<std::uint8_t>(copies << 5) : 0xFF;
    }
    return {
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(table.data()))),
        _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(table.data() + 16))),
        _mm256_set1_epi64x(255LL * tiles.blanks)};
}

// The groups of eight words worth testing, for the prefilter's blanks, into `groups`.
__attribute__((target("avx2"))) std::size_t keptGroups(const MatchIndex& index, const Tiles& tiles,
                                                       std::size_t count,
                                                       std::vector<std::uint32_t>& groups) {
    if (groups.size() < count / 8 + 1) {
        groups.resize(count / 8 + 1);
    }
    switch (tiles.blanks) {
        case 0:
            return groupsWorthTesting<0>(index, tiles, count, groups.data());
        case 1:
            return groupsWorthTesting<1>(index, tiles, count, groups.data());
        case 2:
            return groupsWorthTesting<2>(index, tiles, count, groups.data());
        default:
            return groupsWorthTesting<kPrefilterBlanks>(index, tiles, count, groups.data());
    }
}

}  // namespace

__attribute__((target("avx2"))) std::size_t scanAvx2(const MatchIndex& index, const Tiles& tiles,
                                                     bool prefilter, std::uint32_t* hits) {
    const Avx2Bounds bounds = boundsOf(tiles);
    const std::uint64_t* codes = index.tileCodes().data();
    const std::size_t count = index.tileCodes().size();
    std::size_t hitCount = 0;
    const std::size_t whole = count / 8 * 8;
    if (prefilter && tiles.blanks <= kPrefilterBlanks) {
        std::vector<std::uint32_t>& groups = scratch().groups;
        const std::size_t kept = keptGroups(index, tiles, count, groups);
        for (std::size_t k = 0; k < kept; ++k) {
            hitCount += testGroupAvx2(codes, groups[k], bounds, hits + hitCount);
        }
    } else {
        for (std::size_t i = 0; i < whole; i += 8) {
            hitCount += testGroupAvx2(codes, i, bounds, hits + hitCount);
        }
    }
    if (whole < count) {
        hitCount +=
            scanPortableRange(index, tiles, lackingTiles(tiles), whole, count, hits + hitCount);
    }
    return hitCount;
}

}  // namespace wordloom::engine::word_search
