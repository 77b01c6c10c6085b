#include "array_sort.h"

#include <cstdint>
#include <utility>

namespace wordloom::engine {

namespace {

// (lo + hi) / 2 rounded to the nearest integer, a half going to the even neighbour.
std::int32_t middleOf(std::int32_t lo, std::int32_t hi) {
    const std::int64_t sum = std::int64_t{lo} + hi;
    std::int64_t half = sum >= 0 ? sum / 2 : -((-sum + 1) / 2);  // floor(sum / 2)
    if ((sum & 1) != 0 && (half & 1) != 0) {
        ++half;
    }
    return static_cast<std::int32_t>(half);
}

}  // namespace

void SortStrings(StringArray& array) {
    if (array.empty()) {
        return;
    }
    const auto hi = static_cast<std::int32_t>(array.size() - 1);
    QuickSortRange(array, 4, 0, hi);
    InsertionSortRange(array, 0, hi);
}

void QuickSortRange(StringArray& array, std::int32_t cutoff, std::int32_t lo, std::int32_t hi) {
    // Each pass partitions lo..hi, then handles the smaller side by recursion and the larger
    // side in this loop, so the stack stays shallow on any input. The two sides never overlap,
    // so the order in which they are handled does not change the result.
    // Ranges of fewer than three elements are never partitioned: the unguarded scans below
    // need the three sorted sentinels at lo, hi - 1 and hi.
    while (hi - lo > cutoff && hi - lo >= 2) {
        const std::int32_t mid = middleOf(lo, hi);
        if (array[lo] > array[mid]) {
            SwapStrings(array[lo], array[mid]);
        }
        if (array[lo] > array[hi]) {
            SwapStrings(array[lo], array[hi]);
        }
        if (array[mid] > array[hi]) {
            SwapStrings(array[mid], array[hi]);
        }

        std::int32_t j = hi - 1;
        SwapStrings(array[mid], array[j]);
        // The pivot is a view of the word at hi - 1; that slot stays put until step 6 below.
        const std::u16string_view pivot = array[hi - 1];
        std::int32_t i = lo;
        for (;;) {
            do {
                ++i;
            } while (array[i] < pivot);
            do {
                --j;
            } while (array[j] > pivot);
            if (j < i) {
                break;
            }
            SwapStrings(array[i], array[j]);
        }
        SwapStrings(array[i], array[hi - 1]);

        if (j - lo <= hi - (i + 1)) {
            QuickSortRange(array, cutoff, lo, j);
            lo = i + 1;
        } else {
            QuickSortRange(array, cutoff, i + 1, hi);
            hi = j;
        }
    }
}

void InsertionSortRange(StringArray& array, std::int32_t lo, std::int32_t hi) {
    for (std::int32_t i = lo + 1; i <= hi; ++i) {
        const std::u16string_view t = array[i];
        std::int32_t j = i;
        while (j > lo && array[j - 1] > t) {
            array[j] = array[j - 1];
            --j;
        }
        array[j] = t;
    }
}

void SwapStrings(std::u16string_view& a, std::u16string_view& b) {
    std::swap(a, b);
}

}  // namespace wordloom::engine
