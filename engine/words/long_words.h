#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/match_index.h"
#include "engine/word_list.h"
#include "engine/words/letter_tiles.h"

// The long words (9 to 27 code units), searched only for a filter that wants some of those
// lengths, through the masks of first, second and third copies (see MatchIndex::LongWords).
namespace wordloom::engine::word_search {

// The long lengths the filter wants, bit L for length L: asked once per call, before the search,
// and only for lengths that some long word has and that the letter set is long enough to spell.
// The window offers no choice above 8, so no live state is read here.
std::uint32_t wantedLongLengths(const MatchIndex& index, std::size_t letterCount, LengthGate& gate);

// Appends the long words the letter set spells, of the `wanted` lengths, in word-list order;
// `vector` allows the AVX2 scan when the processor has it.
void findLong(bool vector, const WordList& words, const MatchIndex& index,
              std::u16string_view letters, std::uint32_t wanted, std::vector<std::uint32_t>& out);

// The letter set as the long words see it: for each of the first three copies, the letters a-z
// the set lacks; the uncapped counts of a-z and the blanks, for the words spelled out.
struct LongTiles {
    std::array<std::uint32_t, MatchIndex::kLongCopies> lacking{};
    Tiles tiles;
};

struct LongSearch {
    const WordList& words;
    const MatchIndex::LongWords& table;
    std::u16string_view letters;
    LongTiles tiles;
    std::uint32_t wanted;  // bit L: length L wanted (and no longer than the letter set)
    std::vector<std::uint32_t>& out;

    // Word k passed the masks; a word marked to be spelled out is checked letter by letter.
    void found(std::size_t k, bool spellOut);
};

// The portable scan from word `from` on; the AVX2 scan finishes with it.
void scanLongPortable(LongSearch& search, std::size_t from);

#if WORDLOOM_X86_SCANS
void scanLongAvx2(LongSearch& search);
#endif

}  // namespace wordloom::engine::word_search
