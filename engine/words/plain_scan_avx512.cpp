// The AVX-512 scan of the plain words' tile codes (x86-64 only; run when the processor has
// AVX-512 F, BW, VL and VBMI).
#include <immintrin.h>

#include <algorithm>
#include <array>

#include "engine/words/plain_scan.h"

namespace wordloom::engine::word_search {

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

}  // namespace wordloom::engine::word_search
