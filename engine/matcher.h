#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "dictionary.h"
#include "length_filter.h"

namespace wordloom::engine {

// Appends to `found` the word-list position of every word that the (already lower-cased)
// letter set spells, "?" standing for any one character, in word-list order, duplicates kept.
// A found word is listed only when its length is 2 to 8 and `lengths` wants it.
void Unscramble(const Dictionary& dictionary, std::u16string_view letters,
                const LengthFilter& lengths, std::vector<std::uint32_t>& found);

}  // namespace wordloom::engine
