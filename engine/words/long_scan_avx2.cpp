// The AVX2 scan of the long words' masks (x86-64 only; run when the processor has AVX2).
#include <immintrin.h>

#include "engine/words/long_words.h"

namespace wordloom::engine::word_search {
namespace {

// Per 32-bit lane, the number of bits set: each half byte looked up in a table of 16, the bytes
// then summed in pairs and the pairs in pairs.
__attribute__((target("avx2"))) inline __m256i bitsPerLane(__m256i bits) {
    const __m256i nibbleBits = _mm256_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4, 0,
                                                1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i low = _mm256_shuffle_epi8(nibbleBits, _mm256_and_si256(bits, nibble));
    const __m256i high =
        _mm256_shuffle_epi8(nibbleBits, _mm256_and_si256(_mm256_srli_epi16(bits, 4), nibble));
    return _mm256_madd_epi16(_mm256_maddubs_epi16(_mm256_add_epi8(low, high), _mm256_set1_epi8(1)),
                             _mm256_set1_epi16(1));
}

// The letter set and the wanted lengths, broadcast to every lane.
struct LongAvx2Set {
    __m256i lacking[MatchIndex::kLongCopies];
    __m256i wanted;
    __m256i blanks;
};

// Lanes (all bits set) whose word has a wanted length and lacks no more first copies than the
// set has blanks; `lacking0` receives the first copies lacked when there are blanks.
__attribute__((target("avx2"))) inline __m256i firstCopiesPass(__m256i first,
                                                               const LongAvx2Set& set,
                                                               bool anyBlank, __m256i& lacking0) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i length = _mm256_and_si256(_mm256_srli_epi32(first, MatchIndex::kLongLengthShift),
                                            _mm256_set1_epi32(0x1F));
    const __m256i lengthWanted =
        _mm256_and_si256(_mm256_srlv_epi32(set.wanted, length), _mm256_set1_epi32(1));
    const __m256i lack0 = _mm256_and_si256(first, set.lacking[0]);
    __m256i left;
    if (!anyBlank) {
        left = _mm256_cmpeq_epi32(lack0, zero);
    } else {
        lacking0 = bitsPerLane(lack0);
        left = _mm256_cmpeq_epi32(_mm256_cmpgt_epi32(lacking0, set.blanks), zero);
    }
    return _mm256_andnot_si256(_mm256_cmpeq_epi32(lengthWanted, zero), left);
}

// Lanes whose words lack no more tiles in all three copies than the set has blanks.
__attribute__((target("avx2"))) inline __m256i allCopiesPass(const std::uint32_t* second,
                                                             const std::uint32_t* third,
                                                             const LongAvx2Set& set, bool anyBlank,
                                                             __m256i lacking0) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lack1 = _mm256_and_si256(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(second)), set.lacking[1]);
    const __m256i lack2 = _mm256_and_si256(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(third)), set.lacking[2]);
    if (!anyBlank) {
        return _mm256_cmpeq_epi32(_mm256_or_si256(lack1, lack2), zero);
    }
    const __m256i lanes =
        _mm256_add_epi32(lacking0, _mm256_add_epi32(bitsPerLane(lack1), bitsPerLane(lack2)));
    return _mm256_cmpeq_epi32(_mm256_cmpgt_epi32(lanes, set.blanks), zero);
}

}  // namespace

__attribute__((target("avx2"))) void scanLongAvx2(LongSearch& search) {
    const std::uint32_t* copies[] = {search.table.copies[0].data(), search.table.copies[1].data(),
                                     search.table.copies[2].data()};
    const std::size_t count = search.table.positions.size();
    LongAvx2Set set{};
    for (std::size_t copy = 0; copy < MatchIndex::kLongCopies; ++copy) {
        set.lacking[copy] = _mm256_set1_epi32(static_cast<int>(search.tiles.lacking[copy]));
    }
    set.wanted = _mm256_set1_epi32(static_cast<int>(search.wanted));
    set.blanks = _mm256_set1_epi32(search.tiles.tiles.blanks);
    const bool anyBlank = search.tiles.tiles.blanks > 0;
    std::size_t k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(copies[0] + k));
        __m256i lacking0 = _mm256_setzero_si256();
        auto pass = static_cast<unsigned>(_mm256_movemask_ps(
            _mm256_castsi256_ps(firstCopiesPass(first, set, anyBlank, lacking0))));
        // Without blanks the first copies and the length rule out nearly every group of eight,
        // so the masks of second and third copies are read only for the groups left. With
        // blanks most groups are left, and the test would only cost a mispredicted branch.
        if (!anyBlank && pass == 0) {
            continue;
        }
        const __m256i fits = allCopiesPass(copies[1] + k, copies[2] + k, set, anyBlank, lacking0);
        pass &= static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(fits)));
        const auto spellOut = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(first)));
        for (; pass != 0; pass &= pass - 1) {
            const auto lane = static_cast<unsigned>(__builtin_ctz(pass));
            search.found(k + lane, ((spellOut >> lane) & 1u) != 0);
        }
    }
    scanLongPortable(search, k);
}

}  // namespace wordloom::engine::word_search
