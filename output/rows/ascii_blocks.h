#pragma once

// Sixteen units at a time between UTF-16 text and ASCII bytes: nearly every word of a dictionary
// is ASCII and at most 14 units long, so preparing the words' bytes and widening them again for
// the clipboard are mostly these two steps. On x86-64 they use SSE2 (part of every x86-64
// processor), which halves the time of both; elsewhere the portable loops below run. Both are
// always compiled, so that wordloom-output-bench can time each against the other.

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wordloom::rows {

namespace portable {

// Narrows the 16 units at `units` into the 16 bytes at `out` when the first `count` (at most 16)
// are ASCII; false otherwise, with `out` unspecified. All 16 units must be readable.
inline bool narrowAsciiBlock(const char16_t* units, std::size_t count, char* out) {
    for (std::size_t k = 0; k < count; ++k) {
        if (units[k] >= 0x80) {
            return false;
        }
    }
    for (std::size_t k = 0; k < 16; ++k) {
        out[k] = static_cast<char>(units[k]);
    }
    return true;
}

// Widens the 16 bytes at `bytes` into the 16 code units at `out`.
inline void widenBlock(const char* bytes, char16_t* out) {
    for (std::size_t k = 0; k < 16; ++k) {
        out[k] = static_cast<unsigned char>(bytes[k]);
    }
}

}  // namespace portable

#if defined(__SSE2__)

inline bool narrowAsciiBlock(const char16_t* units, std::size_t count, char* out) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + 8));
    // Two mask bits per code unit below 0x80, for the first `count` units only.
    const __m128i above = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    const auto ascii = static_cast<std::uint32_t>(
                           _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(low, above), zero))) |
                       static_cast<std::uint32_t>(
                           _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(high, above), zero)))
                           << 16;
    const auto used = static_cast<std::uint32_t>((std::uint64_t{1} << (2 * count)) - 1);
    if ((ascii & used) != used) {
        return false;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(low, high));
    return true;
}

inline void widenBlock(const char* bytes, char16_t* out) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(block, zero));
}

#else

using portable::narrowAsciiBlock;
using portable::widenBlock;

#endif

}  // namespace wordloom::rows
