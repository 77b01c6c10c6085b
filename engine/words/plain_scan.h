#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/match_index.h"
#include "engine/words/letter_tiles.h"

// The scans over the plain words' tile codes. Each kernel writes the indices of the plain words
// that need at most the letter set's blanks, ascending, to `hits` and returns their number.
// `hits` has room for every plain word and kVectorSlack more, which a vector store may write
// past the last index. The vector kernels live in files of their own, compiled only for x86-64
// and run only when the processor has the instructions (see vectorLevel).
namespace wordloom::engine::word_search {

constexpr std::size_t kVectorSlack = 8;

enum class VectorLevel { None, Avx2 };

// The best scan this processor runs; WORDLOOM_SCAN=portable caps it at the portable scan, so
// that a benchmark or a test can run that path on a processor that has AVX2.
VectorLevel vectorLevel();

// Plain words found by the scan of `level` (or the best below it that the processor runs),
// appended to `out` in word-list order. `avx2Prefilter` false runs the AVX2 scan without its
// pre-filter, for the benchmark's on and off figures.
void scanPlain(const MatchIndex& index, const Tiles& tiles, VectorLevel level, bool avx2Prefilter,
               LengthGate& gate, std::vector<std::uint32_t>& out);

// lacking[tile]: 1 when the letter set has no copy left for this tile.
using LackingTable = std::array<std::uint8_t, 256>;
LackingTable lackingTiles(const Tiles& tiles);

// The portable kernel over the words from `from` to `to`; the vector kernels finish with it.
std::size_t scanPortableRange(const MatchIndex& index, const Tiles& tiles,
                              const LackingTable& lacking, std::size_t from, std::size_t to,
                              std::uint32_t* hits);

#if WORDLOOM_X86_SCANS
// `prefilter`: test only the groups of eight words that the letter masks leave (see
// plain_scan_avx2.cpp).
std::size_t scanAvx2(const MatchIndex& index, const Tiles& tiles, bool prefilter,
                     std::uint32_t* hits);
#endif

}  // namespace wordloom::engine::word_search
