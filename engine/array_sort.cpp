#include "array_sort.h"

#include <cstdint>
#include <functional>
#include <utility>

namespace wordloom::engine {

void SortStrings(StringArray& array) {
    if (array.empty()) {
        return;
    }
    const auto hi = static_cast<std::int32_t>(array.size() - 1);
    QuickSortRange(array, 4, 0, hi);
    InsertionSortRange(array, 0, hi);
}

void QuickSortRange(StringArray& array, std::int32_t cutoff, std::int32_t lo, std::int32_t hi) {
    sort_detail::quickSortRange(array.data(), cutoff, lo, hi,
                                sort_detail::unbalancedAllowance(lo, hi), std::less<>{});
}

void InsertionSortRange(StringArray& array, std::int32_t lo, std::int32_t hi) {
    sort_detail::insertionSortRange(array.data(), lo, hi, std::less<>{});
}

void SwapStrings(std::u16string_view& a, std::u16string_view& b) {
    std::swap(a, b);
}

}  // namespace wordloom::engine
