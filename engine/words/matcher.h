#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "dictionary.h"
#include "length_filter.h"

namespace wordloom::engine {

// Appends to `found` the word-list position of every word that the (already lower-cased)
// letter set spells, "?" standing for any one character, in word-list order, duplicates kept.
// A found word is listed only when its length is 2 to 27 and `lengths` wants it. Lengths 2 to 8
// are asked about when a word of that length is found; lengths 9 to 27, which the window never
// offers, once at the start of the call (only those the letter set could spell).
// On an exception nothing is appended.
void Unscramble(const Dictionary& dictionary, std::u16string_view letters,
                const LengthFilter& lengths, std::vector<std::uint32_t>& found);

}  // namespace wordloom::engine
