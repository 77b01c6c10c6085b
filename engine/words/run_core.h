#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/dictionary.h"
#include "engine/length_filter.h"

namespace wordloom::engine {

// A letter set is matched only when it holds 2 to 27 code units.
bool isRunnableLetterSet(std::u16string_view letterSet);

// One letter set of a run, as typed: skipped when not runnable, otherwise lower-cased and
// matched. Appends the positions found to `found`.
void unscrambleLetterSet(const Dictionary& dictionary, std::u16string_view letterSet,
                         const LengthFilter& lengths, std::vector<std::uint32_t>& found);

}  // namespace wordloom::engine
