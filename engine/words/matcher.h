#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/dictionary.h"
#include "engine/length_filter.h"
#include "engine/match_index.h"
#include "engine/word_list.h"

namespace wordloom::engine {

// Appends to `found` the word-list position of every word that the (already lower-cased)
// letter set spells, "?" standing for any one character, in word-list order, duplicates kept.
// A found word is listed only when its length is 2 to 27 and `lengths` wants it. Lengths 2 to 8
// are asked about when a word of that length is found; lengths 9 to 27, which the window never
// offers, once at the start of the call (only those the letter set could spell).
// On an exception nothing is appended.
void Unscramble(const Dictionary& dictionary, std::u16string_view letters,
                const LengthFilter& lengths, std::vector<std::uint32_t>& found);

// How the matcher searches. Automatic chooses per letter set and processor; the others let tests
// and benchmarks run every path. A vector scan the processor lacks runs the best scan below it
// (MatchPathRuns tells).
// Avx2ScanUnfiltered is the AVX2 scan without the pre-filter it runs for up to three blanks.
enum class MatchPath { Automatic, PortableScan, Avx2Scan, Avx2ScanUnfiltered, LetterTree };

// Unscramble along the given path, on a word list and its index.
void UnscrambleVia(MatchPath path, const WordList& words, const MatchIndex& index,
                   std::u16string_view letters, const LengthFilter& lengths,
                   std::vector<std::uint32_t>& found);

// Whether this processor runs `path` itself rather than a slower scan in its place.
bool MatchPathRuns(MatchPath path);

}  // namespace wordloom::engine
