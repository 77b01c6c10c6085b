#include "engine/matcher.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "engine/match_index.h"

namespace wordloom::engine {
namespace {

constexpr int kMaxListed = 8;
// Bits 2 to 8: the lengths of the short words.
constexpr std::uint32_t kShortLengths = ((1u << (kMaxListed + 1)) - 1) & ~3u;

// The tiles of one letter set as the plain words see them: the count of each letter a-z (capped
// at 8, the most any listed word can need) and the number of blanks (capped likewise).
struct Tiles {
    std::array<std::uint8_t, 26> counts{};
    std::uint32_t mask = 0;
    int blanks = 0;
};

Tiles countTiles(std::u16string_view letters) {
    Tiles tiles;
    for (const char16_t c : letters) {
        if (c >= u'a' && c <= u'z') {
            std::uint8_t& count = tiles.counts[static_cast<std::size_t>(c - u'a')];
            count = static_cast<std::uint8_t>(std::min(count + 1, kMaxListed));
            tiles.mask |= 1u << (c - u'a');
        } else if (c == u'?' && tiles.blanks < kMaxListed) {
            ++tiles.blanks;
        }
    }
    return tiles;
}

// Asks the length filter once per length, and only when a word of that length has matched.
// Nothing can change the filter's answers within one call (the window does not process events
// while the matcher runs), so remembering them is safe.
class LengthGate {
public:
    explicit LengthGate(const LengthFilter& filter) : m_filter(filter) {}

    bool wants(int length) {
        std::int8_t& answer = m_answers[static_cast<std::size_t>(length)];
        if (answer == kUnknown) {
            answer = m_filter.wants(length) ? kYes : kNo;
        }
        return answer == kYes;
    }

private:
    static constexpr std::int8_t kUnknown = 0;
    static constexpr std::int8_t kYes = 1;
    static constexpr std::int8_t kNo = 2;
    const LengthFilter& m_filter;
    std::array<std::int8_t, MatchIndex::kLongestListed + 1> m_answers{};
};

// Scratch space per thread, so that concurrent calls never share buffers and a call allocates
// only the first time a thread needs more room.
struct Scratch {
    std::vector<std::uint32_t> hits;
    std::vector<std::uint32_t> groups;  // the AVX2 scan's groups of eight words worth testing
    std::vector<std::uint32_t> plainFound;
    std::vector<std::uint32_t> otherFound;
    std::vector<std::uint32_t> shortFound;
    std::vector<std::uint32_t> longFound;
    std::u16string remaining;
};

Scratch& scratch() {
    thread_local Scratch perThread;
    return perThread;
}

// ---- Scans over the tile codes: each writes the indices of the plain words that need at most
// `blanks` blanks, ascending, to `hits` and returns their number. `hits` has room for every
// plain word and kVectorSlack more, which a vector store may write past the last index.

constexpr std::size_t kVectorSlack = 8;

// lacking[tile]: 1 when the letter set has no copy left for this tile.
using LackingTable = std::array<std::uint8_t, 256>;

LackingTable lackingTiles(const Tiles& tiles) {
    LackingTable lacking{};
    for (int tile = 0; tile < 256; ++tile) {
        const int letter = tile & 0x1F;
        const int seen = tile >> 5;
        lacking[static_cast<std::size_t>(tile)] =
            letter < 26 && seen >= tiles.counts[static_cast<std::size_t>(letter)] ? 1 : 0;
    }
    return lacking;
}

std::size_t scanPortableRange(const MatchIndex& index, const Tiles& tiles,
                              const LackingTable& lacking, std::size_t from, std::size_t to,
                              std::uint32_t* hits) {
    const std::uint64_t* codes = index.tileCodes().data();
    const std::uint32_t* masks = index.letterMasks().data();
    const std::uint32_t absent = ~tiles.mask;
    const int blanks = tiles.blanks;
    std::size_t hitCount = 0;
    for (std::size_t i = from; i < to; ++i) {
        // Each letter the set lacks entirely needs at least one blank.
        std::uint32_t missing = masks[i] & absent;
        for (int blank = 0; blank < blanks && missing != 0; ++blank) {
            missing &= missing - 1;
        }
        if (missing != 0) {
            continue;
        }
        std::uint64_t code = codes[i];
        int needed = 0;
        for (int slot = 0; slot < kMaxListed; ++slot, code >>= 8) {
            needed += lacking[code & 0xFF];
        }
        if (needed <= blanks) {
            hits[hitCount++] = static_cast<std::uint32_t>(i);
        }
    }
    return hitCount;
}

std::size_t scanPortable(const MatchIndex& index, const Tiles& tiles, std::uint32_t* hits) {
    return scanPortableRange(index, tiles, lackingTiles(tiles), 0, index.tileCodes().size(), hits);
}

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

__attribute__((target("avx2"))) std::size_t scanAvx2(const MatchIndex& index, const Tiles& tiles,
                                                     std::uint32_t* hits) {
    alignas(16) std::array<std::uint8_t, 32> table{};
    table.fill(0xFF);
    for (std::size_t letter = 0; letter < tiles.counts.size(); ++letter) {
        const std::uint8_t copies = tiles.counts[letter];
        table[letter] = copies < 8 ? static_cast<std::uint8_t>(copies << 5) : 0xFF;
    }
    const Avx2Bounds bounds{
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(table.data()))),
        _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(table.data() + 16))),
        _mm256_set1_epi64x(255LL * tiles.blanks)};

    const std::uint64_t* codes = index.tileCodes().data();
    const std::size_t count = index.tileCodes().size();
    std::size_t hitCount = 0;
    const std::size_t whole = count / 8 * 8;
    if (tiles.blanks <= kPrefilterBlanks) {
        std::vector<std::uint32_t>& groups = scratch().groups;
        if (groups.size() < count / 8 + 1) {
            groups.resize(count / 8 + 1);
        }
        std::size_t kept = 0;
        switch (tiles.blanks) {
            case 0:
                kept = groupsWorthTesting<0>(index, tiles, count, groups.data());
                break;
            case 1:
                kept = groupsWorthTesting<1>(index, tiles, count, groups.data());
                break;
            case 2:
                kept = groupsWorthTesting<2>(index, tiles, count, groups.data());
                break;
            default:
                kept = groupsWorthTesting<kPrefilterBlanks>(index, tiles, count, groups.data());
                break;
        }
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

__attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi"))) std::size_t scanAvx512(
    const MatchIndex& index, const Tiles& tiles, std::uint32_t* hits) {
    // vpermb reads six index bits: the letter and the lowest bit of its count, so the counts
    // appear twice. Unused letters have 255 copies and never lack.
    alignas(64) std::array<std::uint8_t, 64> table{};
    table.fill(0xFF);
    std::copy(tiles.counts.begin(), tiles.counts.end(), table.begin());
    std::copy(tiles.counts.begin(), tiles.counts.end(), table.begin() + 32);
    const __m512i have = _mm512_load_si512(table.data());
    const __m512i seven = _mm512_set1_epi8(7);
    const __m512i one = _mm512_set1_epi8(1);
    const __m512i zero = _mm512_setzero_si512();
    const __m512i limit = _mm512_set1_epi64(tiles.blanks);
    const __m256i step = _mm256_set1_epi32(8);
    __m256i positions = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);

    const std::uint64_t* codes = index.tileCodes().data();
    const std::size_t count = index.tileCodes().size();
    std::size_t hitCount = 0;
    for (std::size_t i = 0; i < count; i += 8) {
        const std::size_t left = count - i;
        const __mmask8 live = left >= 8 ? 0xFF : static_cast<__mmask8>((1u << left) - 1);
        const __m512i code = _mm512_maskz_loadu_epi64(live, codes + i);
        const __m512i copies = _mm512_maskz_permutexvar_epi8(~__mmask64{0}, code, have);
        const __m512i seen = _mm512_and_si512(_mm512_srli_epi16(code, 5), seven);
        const __mmask64 lacking = _mm512_cmpge_epu8_mask(seen, copies);
        const __m512i needed = _mm512_sad_epu8(_mm512_maskz_mov_epi8(lacking, one), zero);
        const __mmask8 fits = _mm512_mask_cmple_epu64_mask(live, needed, limit);
        // Compress in a register and store all eight lanes: a compressing store to memory is
        // microcoded and slow on some processors. `hits` has room for the spare lanes.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(hits + hitCount),
                            _mm256_maskz_compress_epi32(fits, positions));
        hitCount += static_cast<std::size_t>(__builtin_popcount(fits));
        positions = _mm256_add_epi32(positions, step);
    }
    return hitCount;
}

enum class VectorLevel { None, Avx2, Avx512 };

VectorLevel vectorLevel() {
    static const VectorLevel level = [] {
        __builtin_cpu_init();
        VectorLevel supported = VectorLevel::None;
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi")) {
            supported = VectorLevel::Avx512;
        } else if (__builtin_cpu_supports("avx2")) {
            supported = VectorLevel::Avx2;
        }
        // WORDLOOM_SCAN=avx2 or =portable caps the scans at that path, so that the benchmarks
        // can time the slower paths on a processor that has a faster one.
        const char* cap = std::getenv("WORDLOOM_SCAN");
        if (cap != nullptr && std::strcmp(cap, "avx2") == 0) {
            supported = std::min(supported, VectorLevel::Avx2);
        } else if (cap != nullptr && std::strcmp(cap, "portable") == 0) {
            supported = VectorLevel::None;
        }
        return supported;
    }();
    return level;
}

// Plain words found by a scan, in word-list order.
void scanPlain(const MatchIndex& index, const Tiles& tiles, VectorLevel level, LengthGate& gate,
               std::vector<std::uint32_t>& out) {
    std::vector<std::uint32_t>& hits = scratch().hits;
    if (hits.size() < index.tileCodes().size() + kVectorSlack) {
        hits.resize(index.tileCodes().size() + kVectorSlack);
    }
    std::size_t hitCount = 0;
    switch (std::min(level, vectorLevel())) {
        case VectorLevel::Avx512:
            hitCount = scanAvx512(index, tiles, hits.data());
            break;
        case VectorLevel::Avx2:
            hitCount = scanAvx2(index, tiles, hits.data());
            break;
        case VectorLevel::None:
            hitCount = scanPortable(index, tiles, hits.data());
            break;
    }
    // Positions first, noting which lengths occur; the filter is then asked once per length
    // that matched, and only a length it declines costs a second pass.
    const std::uint32_t* positions = index.plainPositions().data();
    const std::uint8_t* lengths = index.plainLengths().data();
    const std::size_t from = out.size();
    out.resize(from + hitCount);
    std::uint32_t* written = out.data() + from;
    std::uint32_t seen = 0;
    for (std::size_t k = 0; k < hitCount; ++k) {
        written[k] = positions[hits[k]];
        seen |= 1u << lengths[hits[k]];
    }
    std::uint32_t declined = 0;
    try {
        for (std::uint32_t rest = seen; rest != 0; rest &= rest - 1) {
            const int length = __builtin_ctz(rest);
            if (!gate.wants(length)) {
                declined |= 1u << length;
            }
        }
    } catch (...) {
        out.resize(from);  // no row the filter has not passed
        throw;
    }
    if (declined != 0) {
        std::size_t kept = 0;
        for (std::size_t k = 0; k < hitCount; ++k) {
            if (((declined >> lengths[hits[k]]) & 1u) == 0) {
                written[kept++] = written[k];
            }
        }
        out.resize(from + kept);
    }
}

// ---- The letter tree: each node reached at most once per letter set. Words come out in tree
// order and are put in word-list order by a radix sort of their positions, which costs no
// branch per position (the positions are few and scattered, so branches on them mispredict).

// The positions a walk finds, kept per thread from call to call. A walk names each position at
// most once (a word sits on one node, and a walk reaches a node once), so room for every word of
// the list, plus one spare slot that a blank-free walk writes ahead without a branch, is always
// enough. The room is allocated but not touched, so only the part a walk writes costs memory.
class FoundPositions {
public:
    void fit(std::size_t wordCount, std::size_t nodeCount) {
        if (m_room < wordCount + 1) {
            m_positions.reset(new std::uint32_t[wordCount + 1]);
            m_spare.reset(new std::uint32_t[wordCount + 1]);
            m_room = wordCount + 1;
        }
        if (m_nodeRoom < nodeCount + 1) {
            m_nodes.reset(new std::uint32_t[nodeCount + 1]);
            m_nodeRoom = nodeCount + 1;
        }
        m_digits = 1;
        while (m_digits * kDigitBits < 32 &&
               (std::size_t{1} << (m_digits * kDigitBits)) < wordCount) {
            ++m_digits;
        }
    }

    void add(std::uint32_t position) { m_positions[m_count++] = position; }

    // For a walk that keeps the counts in registers: it writes at positions() + count() (and at
    // one slot more, which it may leave unused), and at nodes() + nodeCount() the nodes whose
    // several words are to be added later (see addListedWords), then sets the new counts.
    std::uint32_t* positions() { return m_positions.get(); }
    std::uint32_t* nodes() { return m_nodes.get(); }
    std::size_t count() const { return m_count; }
    std::size_t nodeCount() const { return m_nodeCount; }
    void setCounts(std::size_t count, std::size_t nodeCount) {
        m_count = count;
        m_nodeCount = nodeCount;
    }

    // Adds the words of the nodes noted at nodes().
    void addListedWords(const MatchIndex::TreeNode* nodes, const std::uint32_t* words) {
        for (std::size_t k = 0; k < m_nodeCount; ++k) {
            const std::uint32_t* list = words + nodes[m_nodes[k]].words;
            for (std::uint32_t w = 1; w <= list[0]; ++w) {
                add(list[w]);
            }
        }
        m_nodeCount = 0;
    }

    void discard() { setCounts(0, 0); }

    // Appends the positions in ascending order and forgets them: a least-significant-digit radix
    // sort, six bits a digit, the last pass writing straight into `out`.
    void drainSorted(std::vector<std::uint32_t>& out) {
        const std::size_t count = m_count;
        if (count == 0) {
            return;
        }
        const std::size_t from = out.size();
        try {
            out.resize(from + count);
        } catch (...) {
            discard();
            throw;
        }
        std::array<std::array<std::uint32_t, kBuckets>, kMaxDigits> starts{};
        const std::uint32_t* source = m_positions.get();
        for (std::size_t i = 0; i < count; ++i) {
            for (int digit = 0; digit < m_digits; ++digit) {
                ++starts[static_cast<std::size_t>(digit)][digitOf(source[i], digit)];
            }
        }
        for (int digit = 0; digit < m_digits; ++digit) {
            std::uint32_t sum = 0;
            for (std::uint32_t& start : starts[static_cast<std::size_t>(digit)]) {
                sum += std::exchange(start, sum);
            }
        }
        std::uint32_t* buffers[2] = {m_spare.get(), m_positions.get()};
        for (int digit = 0; digit < m_digits; ++digit) {
            std::uint32_t* target = digit + 1 == m_digits ? out.data() + from : buffers[digit % 2];
            std::array<std::uint32_t, kBuckets>& next = starts[static_cast<std::size_t>(digit)];
            for (std::size_t i = 0; i < count; ++i) {
                target[next[digitOf(source[i], digit)]++] = source[i];
            }
            source = target;
        }
        m_count = 0;
    }

private:
    static constexpr int kDigitBits = 6;
    static constexpr int kMaxDigits = (32 + kDigitBits - 1) / kDigitBits;
    static constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;

    static std::size_t digitOf(std::uint32_t position, int digit) {
        return (position >> (digit * kDigitBits)) & (kBuckets - 1);
    }

    std::unique_ptr<std::uint32_t[]> m_positions;
    std::unique_ptr<std::uint32_t[]> m_spare;
    std::unique_ptr<std::uint32_t[]> m_nodes;
    std::size_t m_room = 0;
    std::size_t m_nodeRoom = 0;
    std::size_t m_count = 0;
    std::size_t m_nodeCount = 0;
    int m_digits = 1;
};

// Set bits of a 32-bit value, without the population-count instruction a portable build lacks.
inline std::uint32_t bitCount(std::uint32_t bits) {
    bits -= (bits >> 1) & 0x55555555u;
    bits = (bits & 0x33333333u) + ((bits >> 2) & 0x33333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0Fu;
    return (bits * 0x01010101u) >> 24;
}

// The lengths the filter wants, asked through the gate the first time a word of that length is
// found, and then remembered as two bit masks so that each node costs one test.
struct WantedLengths {
    LengthGate& gate;
    std::uint32_t known = 0;
    std::uint32_t wanted = 0;

    bool wants(int length) {
        const std::uint32_t bit = 1u << length;
        if ((known & bit) == 0) {
            if (gate.wants(length)) {
                wanted |= bit;
            }
            known |= bit;
        }
        return (wanted & bit) != 0;
    }
};

// The walk with blanks: a blank may stand for any letter, so every child can be followed.
struct TreeWalk {
    const MatchIndex::TreeNode* nodes;
    const std::uint32_t* words;
    std::array<std::uint8_t, 26> counts;
    std::uint32_t available;  // letters with a copy left
    WantedLengths lengths;
    FoundPositions& found;
};

inline __attribute__((always_inline)) void markWords(const MatchIndex::TreeNode& here,
                                                     std::uint32_t flags,
                                                     const std::uint32_t* words,
                                                     FoundPositions& found) {
    if (flags == MatchIndex::kOneWord) {
        found.add(here.words);
    } else {
        const std::uint32_t* list = words + here.words;
        for (std::uint32_t k = 1; k <= list[0]; ++k) {
            found.add(list[k]);
        }
    }
}

void visitNode(TreeWalk& walk, std::uint32_t node, int depth, int blanks) {
    const MatchIndex::TreeNode& here = walk.nodes[node];
    const std::uint32_t flags = here.childLetters & ~MatchIndex::kLetterBits;
    if (flags != 0 && depth >= 2 && walk.lengths.wants(depth)) {
        markWords(here, flags, walk.words, walk.found);
    }
    // Without blanks only the letters left can extend the word.
    const std::uint32_t children = here.childLetters & MatchIndex::kLetterBits;
    const std::uint32_t next = blanks > 0 ? children : children & walk.available;
    // Start loading the child groups of every child to be visited, so the fetches overlap.
    for (std::uint32_t rest = next; rest != 0; rest &= rest - 1) {
        const std::uint32_t below = here.firstChild + bitCount(children & ((rest & -rest) - 1));
        __builtin_prefetch(walk.nodes + walk.nodes[below].firstChild);
    }
    for (std::uint32_t rest = next; rest != 0; rest &= rest - 1) {
        const int letter = __builtin_ctz(rest);
        const std::uint32_t bit = 1u << letter;
        const std::uint32_t child = here.firstChild + bitCount(children & (bit - 1));
        if ((walk.available & bit) != 0) {
            std::uint8_t& count = walk.counts[static_cast<std::size_t>(letter)];
            if (--count == 0) {
                walk.available &= ~bit;
            }
            visitNode(walk, child, depth + 1, blanks);
            if (count++ == 0) {
                walk.available |= bit;
            }
        } else {
            visitNode(walk, child, depth + 1, blanks - 1);
        }
    }
}

// The walk without blanks, the batch tool's usual case: only the letters left extend a word.
// The children of a node are a contiguous group in letter order, so a child's index is the
// number of the node's letters below its own. Instantiated twice: with the processor's
// population-count instruction and with the portable count.
template <bool kHardwareCount>
struct CountBits {
    static std::uint32_t of(std::uint32_t bits) { return bitCount(bits); }
};
template <>
struct CountBits<true> {
    __attribute__((target("popcnt"))) static std::uint32_t of(std::uint32_t bits) {
        return static_cast<std::uint32_t>(__builtin_popcount(bits));
    }
};

// A node reached by a walk without blanks. The tree spells each word's letters in ascending
// order, so below a node only letters from its own letter on can follow, and of its own letter
// only the copies the path has not used yet: the letter and that count are all the state a
// node needs.
struct Reached {
    std::uint32_t node;
    std::uint8_t letter;  // the last letter of the path
    std::uint8_t used;    // copies of that letter on the path
};

// Level by level rather than depth first: the nodes of the next level are all known before any
// of them is read, so their loads overlap instead of waiting for each other. Whether a node ends
// words is noted without a branch (nodes end words or not at random, so a branch would
// mispredict); the words of nodes that end several are added after the walk.
template <bool kHardwareCount>
__attribute__((always_inline)) inline void walkWithoutBlanks(const MatchIndex::TreeNode* nodes,
                                                             const std::uint32_t* words,
                                                             const Tiles& tiles,
                                                             WantedLengths& lengths,
                                                             FoundPositions& found) {
    thread_local std::vector<Reached> levels[2];
    std::vector<Reached>* level = &levels[0];
    std::vector<Reached>* nextLevel = &levels[1];
    level->clear();
    {
        const std::uint32_t children = nodes[0].childLetters & MatchIndex::kLetterBits;
        for (std::uint32_t rest = children & tiles.mask; rest != 0; rest &= rest - 1) {
            const std::uint32_t bit = rest & (0u - rest);
            const std::uint32_t child =
                nodes[0].firstChild + CountBits<kHardwareCount>::of(children & (bit - 1));
            __builtin_prefetch(nodes + child);
            level->push_back({child, static_cast<std::uint8_t>(__builtin_ctz(bit)), 1});
        }
    }
    std::uint32_t* const positions = found.positions();
    std::uint32_t* const severalNodes = found.nodes();
    std::size_t count = found.count();
    std::size_t nodeCount = found.nodeCount();
    for (int depth = 1; !level->empty(); ++depth) {
        nextLevel->clear();
        const std::size_t levelStart = count;
        const std::size_t levelNodesStart = nodeCount;
        const bool listed = depth >= 2;  // words of one letter never are
        for (const Reached& reached : *level) {
            const MatchIndex::TreeNode& here = nodes[reached.node];
            const std::uint32_t flags = here.childLetters & ~MatchIndex::kLetterBits;
            positions[count] = here.words;
            count += listed && flags == MatchIndex::kOneWord ? 1 : 0;
            severalNodes[nodeCount] = reached.node;
            nodeCount += listed && flags == MatchIndex::kSeveralWords ? 1 : 0;
            const std::uint32_t children = here.childLetters & MatchIndex::kLetterBits;
            const std::uint32_t last = reached.letter;
            std::uint32_t allowed = tiles.mask & ~((2u << last) - 1);
            if (reached.used < tiles.counts[last]) {
                allowed |= 1u << last;
            }
            for (std::uint32_t rest = children & allowed; rest != 0; rest &= rest - 1) {
                const std::uint32_t bit = rest & (0u - rest);
                const std::uint32_t child =
                    here.firstChild + CountBits<kHardwareCount>::of(children & (bit - 1));
                __builtin_prefetch(nodes + child);
                const auto letter = static_cast<std::uint32_t>(__builtin_ctz(bit));
                nextLevel->push_back(
                    {child, static_cast<std::uint8_t>(letter),
                     static_cast<std::uint8_t>(letter == last ? reached.used + 1 : 1)});
            }
        }
        // The filter is asked about a length only once a word of that length has turned up.
        const bool ended = count != levelStart || nodeCount != levelNodesStart;
        if (ended && !lengths.wants(depth)) {
            count = levelStart;
            nodeCount = levelNodesStart;
        }
        std::swap(level, nextLevel);
    }
    found.setCounts(count, nodeCount);
    found.addListedWords(nodes, words);
}

__attribute__((target("popcnt"))) void walkWithoutBlanksCounting(const MatchIndex::TreeNode* nodes,
                                                                 const std::uint32_t* words,
                                                                 const Tiles& tiles,
                                                                 WantedLengths& lengths,
                                                                 FoundPositions& found) {
    walkWithoutBlanks<true>(nodes, words, tiles, lengths, found);
}

void walkWithoutBlanksPortable(const MatchIndex::TreeNode* nodes, const std::uint32_t* words,
                               const Tiles& tiles, WantedLengths& lengths, FoundPositions& found) {
    walkWithoutBlanks<false>(nodes, words, tiles, lengths, found);
}

bool hasPopulationCount() {
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("popcnt") != 0;
    }();
    return supported;
}

void walkTree(const MatchIndex& index, const Tiles& tiles, LengthGate& gate,
              std::vector<std::uint32_t>& out) {
    thread_local FoundPositions found;
    found.fit(index.wordCount(), index.treeNodes().size());
    const MatchIndex::TreeNode* nodes = index.treeNodes().data();
    const std::uint32_t* words = index.treeWords().data();
    try {
        if (tiles.blanks == 0) {
            WantedLengths lengths{gate};
            if (hasPopulationCount()) {
                walkWithoutBlanksCounting(nodes, words, tiles, lengths, found);
            } else {
                walkWithoutBlanksPortable(nodes, words, tiles, lengths, found);
            }
        } else {
            TreeWalk walk{nodes, words, tiles.counts, tiles.mask, WantedLengths{gate}, found};
            visitNode(walk, 0, 0, tiles.blanks);
        }
    } catch (...) {
        found.discard();  // reused by this thread's next call
        throw;
    }
    found.drainSorted(out);
}

// ---- Words outside a-z: the plain consumption of a copy of the letter set, word by word.

bool spells(std::u16string_view word, std::u16string_view letters, std::u16string& remaining) {
    if (word.size() > letters.size()) {
        return false;
    }
    remaining.assign(letters);
    for (const char16_t c : word) {
        std::size_t at = remaining.find(c);
        if (at == std::u16string::npos) {
            at = remaining.find(u'?');
            if (at == std::u16string::npos) {
                return false;
            }
        }
        remaining.erase(at, 1);
    }
    return true;
}

void checkOthers(const WordList& words, const MatchIndex& index, std::u16string_view letters,
                 LengthGate& gate, std::vector<std::uint32_t>& out) {
    std::u16string& remaining = scratch().remaining;
    for (const std::uint32_t position : index.otherPositions()) {
        const std::u16string_view word = words[position];
        if (spells(word, letters, remaining) && gate.wants(static_cast<int>(word.size()))) {
            out.push_back(position);
        }
    }
}

// ---- Long words (9 to 27 code units), only for a filter that wants some of those lengths.

// The long lengths the filter wants, bit L for length L: asked once per call, before the search,
// and only for lengths that some long word has and that the letter set is long enough to spell.
// The window offers no choice above 8, so no live state is read here.
std::uint32_t wantedLongLengths(const MatchIndex& index, std::size_t letterCount,
                                LengthGate& gate) {
    std::uint32_t wanted = 0;
    const int longest = static_cast<int>(
        std::min<std::size_t>(letterCount, static_cast<std::size_t>(MatchIndex::kLongestListed)));
    for (int length = MatchIndex::kLongestShort + 1; length <= longest; ++length) {
        if (((index.longLengths() >> length) & 1u) != 0 && gate.wants(length)) {
            wanted |= 1u << length;
        }
    }
    return wanted;
}

// The letter set as the long words see it: for each of the first three copies, the letters a-z
// the set lacks; the uncapped counts of a-z and the blanks, for the words spelled out.
struct LongTiles {
    std::array<std::uint32_t, MatchIndex::kLongCopies> lacking{};
    std::array<std::uint8_t, 26> counts{};
    int blanks = 0;
};

LongTiles countLongTiles(std::u16string_view letters) {
    LongTiles tiles;
    for (const char16_t c : letters) {
        if (c >= u'a' && c <= u'z') {
            std::uint8_t& count = tiles.counts[static_cast<std::size_t>(c - u'a')];
            if (count < 255) {
                ++count;
            }
        } else if (c == u'?' && tiles.blanks < MatchIndex::kLongestListed) {
            ++tiles.blanks;
        }
    }
    for (std::size_t copy = 0; copy < tiles.lacking.size(); ++copy) {
        for (std::size_t letter = 0; letter < tiles.counts.size(); ++letter) {
            if (tiles.counts[letter] <= copy) {
                tiles.lacking[copy] |= 1u << letter;
            }
        }
    }
    return tiles;
}

// The tiles a word lacks among its first three copies of each letter: all it lacks, unless the
// word is marked to be spelled out.
inline std::uint32_t longTilesLacking(const std::uint32_t* masks, const LongTiles& tiles) {
    return bitCount(masks[0] & tiles.lacking[0]) + bitCount(masks[1] & tiles.lacking[1]) +
           bitCount(masks[2] & tiles.lacking[2]);
}

bool spells(std::u16string_view word, std::u16string_view letters, std::u16string& remaining);

// The exact test for a word that the masks do not decide. A word of a-z alone takes the copies
// it needs beyond the set's from the blanks; any other word is spelled out from the letters.
bool longWordSpelled(std::u16string_view word, std::u16string_view letters,
                     const LongTiles& tiles) {
    for (const char16_t c : word) {
        if (c < u'a' || c > u'z') {
            return spells(word, letters, scratch().remaining);
        }
    }
    std::array<std::uint8_t, 26> left = tiles.counts;
    int needed = 0;
    for (const char16_t c : word) {
        std::uint8_t& count = left[static_cast<std::size_t>(c - u'a')];
        if (count != 0) {
            --count;
        } else if (++needed > tiles.blanks) {
            return false;
        }
    }
    return true;
}

struct LongSearch {
    const WordList& words;
    const MatchIndex::LongWords& table;
    std::u16string_view letters;
    LongTiles tiles;
    std::uint32_t wanted;  // bit L: length L wanted (and no longer than the letter set)
    std::vector<std::uint32_t>& out;

    // Word k passed the masks.
    void found(std::size_t k, bool spellOut) {
        const std::uint32_t position = table.positions[k];
        if (!spellOut || longWordSpelled(words[position], letters, tiles)) {
            out.push_back(position);
        }
    }
};

void scanLongPortable(LongSearch& search, std::size_t from) {
    const std::uint32_t* copies[] = {search.table.copies[0].data(), search.table.copies[1].data(),
                                     search.table.copies[2].data()};
    const std::size_t count = search.table.positions.size();
    const auto blanks = static_cast<std::uint32_t>(search.tiles.blanks);
    for (std::size_t k = from; k < count; ++k) {
        const std::uint32_t first = copies[0][k];
        if (((search.wanted >> ((first >> MatchIndex::kLongLengthShift) & 0x1F)) & 1u) == 0) {
            continue;
        }
        const std::uint32_t masks[] = {first, copies[1][k], copies[2][k]};
        if (longTilesLacking(masks, search.tiles) <= blanks) {
            search.found(k, (first & MatchIndex::kLongSpellOut) != 0);
        }
    }
}

__attribute__((target("avx2"))) void scanLongAvx2(LongSearch& search) {
    const std::uint32_t* copies[] = {search.table.copies[0].data(), search.table.copies[1].data(),
                                     search.table.copies[2].data()};
    const std::size_t count = search.table.positions.size();
    __m256i lacking[MatchIndex::kLongCopies];
    for (std::size_t copy = 0; copy < 3; ++copy) {
        lacking[copy] = _mm256_set1_epi32(static_cast<int>(search.tiles.lacking[copy]));
    }
    const __m256i wanted = _mm256_set1_epi32(static_cast<int>(search.wanted));
    const __m256i lengthBits = _mm256_set1_epi32(0x1F);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i blanks = _mm256_set1_epi32(search.tiles.blanks);
    // Bits set in each half byte, for counting the tiles lacking.
    const __m256i nibbleBits = _mm256_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4, 0,
                                                1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i byteOnes = _mm256_set1_epi8(1);
    const __m256i wordOnes = _mm256_set1_epi16(1);
    const auto countBits = [&](__m256i lack) __attribute__((target("avx2"))) {
        const __m256i low = _mm256_shuffle_epi8(nibbleBits, _mm256_and_si256(lack, nibble));
        const __m256i high =
            _mm256_shuffle_epi8(nibbleBits, _mm256_and_si256(_mm256_srli_epi16(lack, 4), nibble));
        return _mm256_madd_epi16(_mm256_maddubs_epi16(_mm256_add_epi8(low, high), byteOnes),
                                 wordOnes);
    };
    const bool anyBlank = search.tiles.blanks > 0;
    std::size_t k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(copies[0] + k));
        const __m256i length =
            _mm256_and_si256(_mm256_srli_epi32(first, MatchIndex::kLongLengthShift), lengthBits);
        const __m256i lengthWanted = _mm256_and_si256(_mm256_srlv_epi32(wanted, length), one);
        const __m256i lack0 = _mm256_and_si256(first, lacking[0]);
        __m256i lacking0 = zero;
        __m256i left;
        if (!anyBlank) {
            left = _mm256_cmpeq_epi32(lack0, zero);
        } else {
            lacking0 = countBits(lack0);
            left = _mm256_cmpeq_epi32(_mm256_cmpgt_epi32(lacking0, blanks), zero);
        }
        left = _mm256_andnot_si256(_mm256_cmpeq_epi32(lengthWanted, zero), left);
        auto pass = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(left)));
        // Without blanks the first copies and the length rule out nearly every group of eight,
        // so the masks of second and third copies are read only for the groups left. With
        // blanks most groups are left, and the test would only cost a mispredicted branch.
        if (!anyBlank && pass == 0) {
            continue;
        }
        const __m256i lack1 = _mm256_and_si256(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(copies[1] + k)), lacking[1]);
        const __m256i lack2 = _mm256_and_si256(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(copies[2] + k)), lacking[2]);
        __m256i fits;
        if (!anyBlank) {
            fits = _mm256_cmpeq_epi32(_mm256_or_si256(lack1, lack2), zero);
        } else {
            const __m256i lanes =
                _mm256_add_epi32(lacking0, _mm256_add_epi32(countBits(lack1), countBits(lack2)));
            fits = _mm256_cmpeq_epi32(_mm256_cmpgt_epi32(lanes, blanks), zero);
        }
        pass &= static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(fits)));
        const auto spellOut = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(first)));
        for (; pass != 0; pass &= pass - 1) {
            const auto lane = static_cast<unsigned>(__builtin_ctz(pass));
            search.found(k + lane, ((spellOut >> lane) & 1u) != 0);
        }
    }
    scanLongPortable(search, k);
}

// Appends the long words the letter set spells, of the wanted lengths, in word-list order.
void findLong(MatchPath path, const WordList& words, const MatchIndex& index,
              std::u16string_view letters, std::uint32_t wanted, std::vector<std::uint32_t>& out) {
    LongSearch search{words, index.longWords(words), letters, countLongTiles(letters), wanted, out};
    if (path != MatchPath::PortableScan && vectorLevel() != VectorLevel::None) {
        scanLongAvx2(search);
    } else {
        scanLongPortable(search, 0);
    }
}

// A letter set without blanks spells only a small part of the tree; with blanks, or with many
// letters, the walk reaches most of it and the flat scan is faster.
MatchPath choosePath(const Tiles& tiles, std::size_t letterCount) {
    if (tiles.blanks == 0 && letterCount <= 12) {
        return MatchPath::LetterTree;
    }
    return MatchPath::Avx512Scan;
}

void findPlain(MatchPath path, const MatchIndex& index, const Tiles& tiles, LengthGate& gate,
               std::vector<std::uint32_t>& out) {
    switch (path) {
        case MatchPath::LetterTree:
            walkTree(index, tiles, gate, out);
            return;
        case MatchPath::Avx512Scan:
            scanPlain(index, tiles, VectorLevel::Avx512, gate, out);
            return;
        case MatchPath::Avx2Scan:
            scanPlain(index, tiles, VectorLevel::Avx2, gate, out);
            return;
        case MatchPath::Automatic:
        case MatchPath::PortableScan:
            scanPlain(index, tiles, VectorLevel::None, gate, out);
            return;
    }
}

}  // namespace

void UnscrambleVia(MatchPath path, const WordList& words, const MatchIndex& index,
                   std::u16string_view letters, const LengthFilter& lengths,
                   std::vector<std::uint32_t>& found) {
    const Tiles tiles = countTiles(letters);
    LengthGate gate(lengths);
    const std::uint32_t wantedLong = wantedLongLengths(index, letters.size(), gate);
    const std::optional<std::uint32_t> fixed = lengths.fixedLengths();
    const bool shortWanted = !fixed || (*fixed & kShortLengths) != 0;
    const std::size_t from = found.size();
    if (!shortWanted) {
        // Nothing to do for the short words (the batch tool's -l 9-27).
    } else if (index.otherPositions().empty()) {
        // The usual dictionary: the plain words are all there is, straight into the result.
        findPlain(path == MatchPath::Automatic ? choosePath(tiles, letters.size()) : path, index,
                  tiles, gate, found);
    } else {
        Scratch& buffers = scratch();
        std::vector<std::uint32_t>& plain = buffers.plainFound;
        std::vector<std::uint32_t>& other = buffers.otherFound;
        plain.clear();
        other.clear();
        findPlain(path == MatchPath::Automatic ? choosePath(tiles, letters.size()) : path, index,
                  tiles, gate, plain);
        checkOthers(words, index, letters, gate, other);
        found.resize(from + plain.size() + other.size());
        std::merge(plain.begin(), plain.end(), other.begin(), other.end(),
                   found.begin() + static_cast<std::ptrdiff_t>(from));
    }
    if (wantedLong == 0) {
        return;
    }
    if (found.size() == from) {
        // No short word to interleave: the long ones go straight into the result.
        try {
            findLong(path, words, index, letters, wantedLong, found);
        } catch (...) {
            found.resize(from);  // all of this letter set's rows, or none
            throw;
        }
        return;
    }
    Scratch& buffers = scratch();
    std::vector<std::uint32_t>& longFound = buffers.longFound;
    longFound.clear();
    findLong(path, words, index, letters, wantedLong, longFound);
    if (longFound.empty()) {
        return;
    }
    std::vector<std::uint32_t>& shortFound = buffers.shortFound;
    try {
        shortFound.assign(found.begin() + static_cast<std::ptrdiff_t>(from), found.end());
        found.resize(from + shortFound.size() + longFound.size());
    } catch (...) {
        found.resize(from);
        throw;
    }
    std::merge(shortFound.begin(), shortFound.end(), longFound.begin(), longFound.end(),
               found.begin() + static_cast<std::ptrdiff_t>(from));
}

void Unscramble(const Dictionary& dictionary, std::u16string_view letters,
                const LengthFilter& lengths, std::vector<std::uint32_t>& found) {
    UnscrambleVia(MatchPath::Automatic, dictionary.words(), dictionary.matchIndex(), letters,
                  lengths, found);
}

}  // namespace wordloom::engine
