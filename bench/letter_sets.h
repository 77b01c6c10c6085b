#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wordloom::bench {

// Random letter sets drawn with English letter frequencies from a fixed seed, so every run
// measures the same sets. `blanks` of the `size` characters are "?", at random places.
std::vector<std::u16string> randomLetterSets(std::size_t count, int size, int blanks,
                                             std::uint32_t seed);

// The same sets with `blanks` characters of each replaced by "?" (at random places).
std::vector<std::u16string> withBlanks(std::vector<std::u16string> sets, int blanks,
                                       std::uint32_t seed);

}  // namespace wordloom::bench
