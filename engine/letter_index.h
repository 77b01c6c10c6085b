#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>

#include "word_list.h"

namespace wordloom::engine {

// Where each initial-letter group of the sorted word list begins: entry k (1 = a ... 26 = z)
// holds the position of the (k - 1)-th change of initial, "a" being the initial in force before
// position 0. Entries that no change reaches stay 0.
struct LetterIndex {
    std::array<std::int32_t, 27> entries{};  // entries[0] unused; 1..26 as named above

    std::int32_t entry(int k) const { return entries[static_cast<std::size_t>(k)]; }
};

// Thrown when the list has a 27th initial group; the entries filled before it stay valid.
class TooManyInitialGroups : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills the index from the sorted word list (see LetterIndex).
void BuildLetterIndex(const WordList& words, LetterIndex& index);

}  // namespace wordloom::engine
