#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "huge_page_buffer.h"

namespace wordloom::engine {

// The hybrid sort of the word list: a median-of-three quicksort that leaves ranges of five or
// fewer elements alone, then one insertion pass. Only the views move; no word text is copied.
using StringArray = HugePageVector<std::u16string_view>;

void SortStrings(StringArray& array);
void QuickSortRange(StringArray& array, std::int32_t cutoff, std::int32_t lo, std::int32_t hi);
void InsertionSortRange(StringArray& array, std::int32_t lo, std::int32_t hi);
void SwapStrings(std::u16string_view& a, std::u16string_view& b);

}  // namespace wordloom::engine
