#pragma once

// The matcher written the plain way, word by word, as the yardstick for the fast matcher: the
// tests compare their rows with it and the benchmarks measure against it. Deliberately slow.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/length_filter.h"
#include "engine/letter_index.h"
#include "engine/word_list.h"

namespace wordloom::reference {

// Whether a failed first letter passes over the rest of its initial group through the
// LetterIndex. The skip is only sound when every initial a-z has a group and no other initial
// occurs; on other dictionaries it can even move backwards, so those are checked without it.
enum class InitialSkip { Use, Off };

// The longest word ever listed: a letter set holds at most 27 code units. The window offers 2 to
// 8; the batch tool can ask for any of 2 to 27.
constexpr int kLongestListed = 27;

// Walks the whole list; for every word no longer than the letter set, consumes its characters
// from a fresh copy of the set (first occurrence first, "?" only when the character is gone), and
// lists the word when it matched, is 2 to 27 code units long and the filter wants its length.
inline void literalUnscramble(const engine::WordList& words, const engine::LetterIndex& index,
                              std::u16string_view letters, const engine::LengthFilter& lengths,
                              std::vector<std::uint32_t>& found,
                              InitialSkip skip = InitialSkip::Use) {
    const std::size_t wordCount = words.size();
    const std::size_t letterCount = letters.size();
    std::size_t i = 0;
    while (i < wordCount) {
        const std::u16string_view word = words[i];
        if (word.size() <= letterCount) {
            std::u16string remaining(letters);
            bool matched = false;
            bool skipped = false;
            for (std::size_t k = 0; k < word.size(); ++k) {
                const char16_t c = word[k];
                std::size_t at = remaining.find(c);
                if (at == std::u16string::npos) {
                    at = remaining.find(u'?');
                }
                if (at == std::u16string::npos) {
                    matched = false;
                    if (k == 0 && skip == InitialSkip::Use && c >= u'a' && c <= u'y') {
                        i = static_cast<std::size_t>(index.entry(c - u'a' + 2));
                        skipped = true;
                    }
                    break;
                }
                remaining.erase(at, 1);
                matched = true;
            }
            if (skipped) {
                continue;
            }
            const int length = static_cast<int>(word.size());
            if (matched && length >= 2 && length <= kLongestListed && lengths.wants(length)) {
                found.push_back(static_cast<std::uint32_t>(i));
            }
        }
        ++i;
    }
}

}  // namespace wordloom::reference
