#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/dictionary.h"
#include "engine/huge_page_buffer.h"
#include "engine/length_filter.h"
#include "engine/letters/letter_key.h"
#include "engine/match_index.h"
#include "engine/word_list.h"

namespace wordloom::engine {

// The batch tool's word search over a list in any alphabet: the letters of words and letter sets
// compare by their letter keys (see letter_key.h), and a word is listed as the list spells it.
//
// The matcher's fast paths know 26 letters a-z. Each distinct letter of the list's keys is
// therefore given one of those 26 codes at load time: the 26 most frequent letters a code each,
// in their own order, and every rarer letter shares the code that holds the fewest letters so
// far. The search runs on the words spelled in codes, which finds every word the letter set
// spells and, where codes are shared, a few more; those words (the ones holding a letter of a
// shared code) are checked again on their exact letters. A list whose words are all lower-case
// ASCII needs no codes: its own index is searched, exactly as the window searches it.
class KeyedSearch {
public:
    // Whether the list must be searched on letter keys (any capital or non-ASCII character).
    static bool needsKeys(const WordList& words);

    // For a list of lower-case ASCII words (needsKeys() false), indexed by the dictionary, which
    // must outlive this object.
    KeyedSearch(const Dictionary& dictionary, Accents accents);
    // For any list: builds the codes and their index. `words` must outlive this object. Throws
    // std::bad_alloc when they do not fit in memory.
    KeyedSearch(const WordList& words, Accents accents);

    KeyedSearch(const KeyedSearch&) = delete;
    KeyedSearch& operator=(const KeyedSearch&) = delete;

    // A letter set runs when its key holds 2 to 27 letters.
    bool runnable(std::u16string_view letterSet) const;

    // Appends the list positions of the words the letter set (as typed) spells, "?" standing for
    // any one letter, in list order, when their length in letters is one `lengths` wants. Safe
    // to call from several threads at once.
    void find(std::u16string_view letterSet, const LengthFilter& lengths,
              std::vector<std::uint32_t>& found) const;

    // The lengths in code units of the list's words whose length in letters is one of
    // `letterLengths` (bit L for length L, bit 31 for 31 and longer), for preparing their text.
    std::uint32_t unitLengths(std::uint32_t letterLengths) const;

    // The distinct letters of the list (0 for a list searched on its own index).
    std::size_t letterCount() const { return m_letterCount; }

private:
    // A letter set in the search's terms: `coded` for the index, `exact` for the checks.
    struct CodedLetters {
        std::u16string coded;
        std::u16string exact;
    };
    void code(std::u16string_view letterSet, CodedLetters& out) const;
    std::uint32_t letterNumber(char32_t codePoint) const;
    std::uint32_t addLetter(char32_t codePoint);
    void assignCodes(const std::vector<std::uint64_t>& counts);
    void codeWords();
    bool spellsExactly(std::uint32_t position, std::u16string_view exactLetters,
                       std::u16string& remaining) const;

    Accents m_accents;
    const Dictionary* m_dictionary = nullptr;  // a plain list's own index
    WordList m_coded;                          // the words in codes, in list order
    MatchIndex m_index;                        // over m_coded

    // Letter numbers (from 1) of the code points met in the list; 0 for none.
    std::vector<std::uint16_t> m_basicPlane;
    std::unordered_map<char32_t, std::uint16_t> m_otherPlanes;
    std::size_t m_letterCount = 0;
    std::vector<char16_t> m_codeOf;  // per letter number
    std::vector<bool> m_sharedCode;  // per letter number: its code stands for other letters too

    // The words that hold a letter of a shared code: a bit per list position, the number of
    // such words before each block of 64 positions, and their exact letters (one unit per
    // letter, see code()) one after another, where m_checkedOffsets says.
    std::vector<std::uint64_t> m_checkedBits;
    std::vector<std::uint32_t> m_checkedBefore;
    HugePageVector<std::uint32_t> m_checkedOffsets;
    HugePageBuffer<char16_t> m_checkedText;

    std::uint32_t m_unitLengths[32] = {};  // per length in letters
};

}  // namespace wordloom::engine
