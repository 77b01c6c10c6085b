#pragma once

// The batch tool's letter rule written out the plain way, for the tests to compare with: a text
// is put in Unicode NFC (with accents folded: decomposed, its non-spacing marks dropped, composed
// again), then each code point is replaced by its simple lower-case mapping; a word is spelled
// when each of its letters can take a letter of the set or a "?" of its own.
#include <string>
#include <string_view>
#include <vector>

namespace wordloom::cli::tool_test {

// A text's code points, and back; a surrogate without its partner stays a code point of its own.
std::u32string codePointsOf(std::u16string_view text);
std::u16string unitsOf(const std::u32string& text);

std::u32string referenceLetters(std::u16string_view text, bool fold);

bool referenceSpells(const std::u32string& word, const std::u32string& letters);

// The tsv rows of word mode: for each letter set (as typed, UTF-8) of 2 to 27 letters, each word
// of `words` (in list order) whose length in letters lies in shortest..longest and which the set
// spells.
std::string referenceWordRows(const std::vector<std::u16string>& words,
                              const std::vector<std::string>& letterSets, int shortest, int longest,
                              bool fold);

// Phrase mode: every multiset of distinct entries of `words` made of letters alone (after the
// rule) whose letters, all of them used, are the phrase's letters with each "?" standing for any
// one; each as its words (as the list spells them) sorted and joined by spaces, the lines sorted.
std::vector<std::string> referencePhraseAnagrams(const std::vector<std::u16string>& words,
                                                 std::u16string_view phrase, bool fold);

}  // namespace wordloom::cli::tool_test
