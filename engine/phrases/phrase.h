#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/huge_page_buffer.h"
#include "engine/letters/letter_key.h"
#include "engine/word_list.h"

namespace wordloom::engine {

// Phrase anagrams, stage one: what a phrase is, and the dictionary as the phrase search reads it.
//
// A letter is a code unit that the C.UTF-8 locale classifies as alphabetic (iswalpha), surrogates
// excluded. Both sides are compared by their letter keys (letter_key.h: NFC, lower case, accents
// kept or folded), so "Paris" in the dictionary can spell the letters of "pairs"; it is printed
// as the dictionary holds it.

inline constexpr int kMaxPhraseLetters = 64;

// A phrase, an option or a word that the phrase search cannot take; what() says why.
class PhraseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool isPhraseLetter(char16_t unit);

// A phrase reduced to its tiles: lower-cased letters in typed order and the number of blanks.
struct Phrase {
    std::u16string letters;
    int blanks = 0;

    int size() const { return static_cast<int>(letters.size()) + blanks; }
};

// Drops every character of the text's letter key that is not a letter or "?". Throws a
// PhraseError when more than kMaxPhraseLetters letters and blanks remain.
Phrase parsePhrase(std::u16string_view text, Accents accents = Accents::Kept);

// The dictionary prepared once for phrase searches (read-only afterwards; several searches may
// read it at once). It keeps the words that can take part in a phrase anagram: every code unit a
// letter, at most kMaxPhraseLetters long. A word that the list holds more than once is kept once,
// so each anagram is listed once. The word list must outlive the index.
class PhraseIndex {
public:
    struct Word {
        std::uint32_t position;  // in the word list
        // Where its letter key is, when it differs from the word (kAsStored: it does not).
        std::uint32_t loweredOffset;
        std::uint32_t length;     // letters (code units of the key)
        std::uint64_t signature;  // letterSignature() of its letters
    };
    static constexpr std::uint32_t kAsStored = 0xFFFFFFFF;

    explicit PhraseIndex(const WordList& words, Accents accents = Accents::Kept);

    const HugePageVector<Word>& words() const { return m_words; }
    std::u16string_view lettersOf(const Word& word) const {
        if (word.loweredOffset == kAsStored) {
            return (*m_list)[word.position];
        }
        return {m_lowered.data() + word.loweredOffset, word.length};
    }
    // How its letters compare; phrases and the words named in options compare the same way.
    Accents accents() const { return m_accents; }

    // The word as the list holds it.
    std::u16string_view textOf(const Word& word) const { return (*m_list)[word.position]; }

    // The order of a text among the words in a line: the word-list order (binary), a text that
    // is not in the list falling between its neighbours.
    std::uint64_t rankOf(std::u16string_view text) const;
    static std::uint64_t rankOfPosition(std::uint32_t position) {
        return 2 * std::uint64_t{position} + 1;
    }

    // One bit per letter a-z (bits 0-25); every other letter shares one of bits 26-63. A word can
    // be spelled only from letters whose signature covers its own.
    static std::uint64_t letterSignature(std::u16string_view letters);

private:
    const WordList* m_list;
    Accents m_accents;
    HugePageVector<Word> m_words;        // large, filled once: in huge pages
    HugePageBuffer<char16_t> m_lowered;  // the keys that differ from their words
};

}  // namespace wordloom::engine
